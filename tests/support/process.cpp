// Child processes for whole-program tests.
#include "support/process.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

ProcessResult RunProcess(const std::string& program, const std::vector<std::string>& arguments,
                         const std::string& folder)
{
    ProcessResult result;
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0)
        return result;
    std::vector<std::string> words;
    words.push_back(program);
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], 1);
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], 2);
    posix_spawn_file_actions_addclose(&actions, pipeEnds[0]);
    posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
    pid_t pid = 0;
    int failed = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(pipeEnds[1]);
    if (failed == 0) {
        char block[4096];
        ssize_t got = 0;
        while ((got = read(pipeEnds[0], block, sizeof block)) > 0)
            result.output.append(block, static_cast<size_t>(got));
        int status = 0;
        waitpid(pid, &status, 0);
        if (WIFEXITED(status))
            result.exitCode = WEXITSTATUS(status);
    }
    close(pipeEnds[0]);
    return result;
}
