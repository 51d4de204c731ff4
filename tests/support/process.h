// Runs a program of ours as a separate process, for whole-program tests.
#pragma once

#include <spawn.h>
#include <sys/types.h>

#include <string>
#include <vector>

struct ProcessResult {
    int exitCode = -1;   // -1 when it could not run or ended by a signal
    std::string output;  // standard output and standard error together
};

// Starts the words as a program (found on the PATH when the first word has
// no slash) with the file actions; its process id, or -1.
pid_t SpawnWords(std::vector<std::string> words, const posix_spawn_file_actions_t& actions);

// Runs the program with the arguments in the given folder and waits for it.
ProcessResult RunProcess(const std::string& program, const std::vector<std::string>& arguments,
                         const std::string& folder);

// A program running beside the test, in the given folder, with a pipe to its
// standard input; its standard output and error go to the given file.
// Killed when the test lets it go without waiting for it.
struct RunningProgram {
    pid_t pid = -1;
    int input = -1;
    int status = 0;

    RunningProgram(const std::vector<std::string>& words, const std::string& folder,
                   const std::string& output = "/dev/null");
    ~RunningProgram();
    RunningProgram(const RunningProgram&) = delete;
    RunningProgram& operator=(const RunningProgram&) = delete;

    // Waits up to the time for the program to end (0: looks once); its exit
    // code, or -1 (also once it has been reaped).
    int Wait(int seconds);
    // Writes the text to its standard input.
    void Type(const std::string& text) const;
};
