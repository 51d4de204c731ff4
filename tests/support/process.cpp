// Child processes for whole-program tests.
#include "support/process.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>

extern char** environ;

pid_t SpawnWords(std::vector<std::string> words, const posix_spawn_file_actions_t& actions)
{
    std::vector<char*> argv;
    for (std::string& word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);
    pid_t pid = -1;
    if (posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0)
        return -1;
    return pid;
}

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

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], 1);
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], 2);
    posix_spawn_file_actions_addclose(&actions, pipeEnds[0]);
    posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
    pid_t pid = SpawnWords(words, actions);
    posix_spawn_file_actions_destroy(&actions);
    close(pipeEnds[1]);
    if (pid > 0) {
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

RunningProgram::RunningProgram(const std::vector<std::string>& words, const std::string& folder,
                               const std::string& output)
{
    int in[2];
    if (pipe(in) != 0)
        return;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, in[0], 0);
    posix_spawn_file_actions_addclose(&actions, in[1]);
    posix_spawn_file_actions_addopen(&actions, 1, output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
    pid = SpawnWords(words, actions);
    posix_spawn_file_actions_destroy(&actions);
    close(in[0]);
    input = in[1];
}

RunningProgram::~RunningProgram()
{
    if (pid > 0) {
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
    }
    if (input >= 0)
        close(input);
}

int RunningProgram::Wait(int seconds)
{
    for (int tenth = 0;; ++tenth) {
        if (pid > 0 && waitpid(pid, &status, WNOHANG) == pid) {
            pid = -1;
            return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        }
        if (tenth >= seconds * 10)
            return -1;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
}

void RunningProgram::Type(const std::string& text) const { (void)!write(input, text.data(), text.size()); }
