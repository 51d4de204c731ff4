// The data folder the builder makes, for each test process its own copy
// (tests may run in parallel processes and change their folder), removed at
// exit; a failed build keeps its log. The builder runs once per folder
// prefix and builder binary: the first process builds a shared folder under
// a lock, the others wait for it and copy it. Needs QV_MKDATA and
// QV_BINARY_DIR.
#pragma once

#include <fcntl.h>
#include <sys/file.h>
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
        const std::string shared = prefix + "shared";
        if (!BuildShared(shared))
            return;
        std::error_code error;
        std::filesystem::copy(shared, folder, std::filesystem::copy_options::recursive, error);
        if (!error)
            path = folder;
    }
    ~BuiltGame()
    {
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    }

private:
    // The shared folder, built unless a build newer than the builder stands
    // there already; true when it is whole.
    static bool BuildShared(const std::string& shared)
    {
        const int lock = open((shared + ".lock").c_str(), O_CREAT | O_RDWR, 0644);
        if (lock < 0 || flock(lock, LOCK_EX) != 0)
            return false;
        const std::string marker = shared + ".built";
        std::error_code error;
        bool whole = std::filesystem::exists(marker, error) &&
                     std::filesystem::last_write_time(marker, error) >= std::filesystem::last_write_time(QV_MKDATA, error);
        if (!whole) {
            std::filesystem::remove(marker, error);
            std::filesystem::remove_all(shared, error);
            const std::string command = std::string(QV_MKDATA) + " " + shared + " > " + shared + ".log 2>&1";
            const int status = std::system(command.c_str());
            whole = WIFEXITED(status) && WEXITSTATUS(status) == 0;
            if (whole)
                whole = close(open(marker.c_str(), O_CREAT | O_WRONLY | O_TRUNC, 0644)) == 0;
        }
        flock(lock, LOCK_UN);
        close(lock);
        return whole;
    }
};
