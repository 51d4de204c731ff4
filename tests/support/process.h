// Runs a program of ours as a separate process, for whole-program tests.
#pragma once

#include <string>
#include <vector>

struct ProcessResult {
    int exitCode = -1;   // -1 when it could not run or ended by a signal
    std::string output;  // standard output and standard error together
};

// Runs the program with the arguments in the given folder and waits for it.
ProcessResult RunProcess(const std::string& program, const std::vector<std::string>& arguments,
                         const std::string& folder);
