// The data folder the builder makes, once per test process (tests may run
// in parallel processes, each with its own folder), removed at exit; a
// failed build keeps its log. Needs QV_MKDATA and QV_BINARY_DIR.
#pragma once

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

struct BuiltGame {
    std::string folder;  // where it is built
    std::string path;    // the folder once built; empty when the build failed
    explicit BuiltGame(const std::string& prefix)
    {
        folder = prefix + std::to_string(getpid());
        std::filesystem::remove_all(folder);
        std::string command = std::string(QV_MKDATA) + " " + folder + " > " + folder + ".log 2>&1";
        int status = std::system(command.c_str());
        if (WIFEXITED(status) && WEXITSTATUS(status) == 0)
            path = folder;
    }
    ~BuiltGame()
    {
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
        if (!path.empty())
            std::filesystem::remove(path + ".log", ignored);
    }
};
