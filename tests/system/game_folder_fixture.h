// Whole-program tests that run in a copy of the game folder: the data
// builder makes the folder once per test run (the test run's first step,
// QV_GAME_FOLDER), and each test gets its own copy of its data, so that no
// test sees what another changed.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "support/process.h"
#include "support/temp_folder.h"

// The game folder the data builder made for this test run. A test program
// started by hand, without the run's first step, builds it once itself.
// Returns "" when the builder failed; the failure is a test failure.
inline std::string SharedGameFolder()
{
    static const std::string path = [] {
        const std::string folder = QV_GAME_FOLDER;
        if (std::filesystem::is_directory(folder + "/data"))
            return folder;
        std::filesystem::create_directories(folder);
        ProcessResult built = RunProcess(QV_MKDATA, {folder}, folder);
        if (built.exitCode != 0) {
            ADD_FAILURE() << "the data builder failed: " << built.output;
            std::filesystem::remove_all(folder);
            return std::string();
        }
        return folder;
    }();
    return path;
}

// Copies the shared game folder's data below the folder; "" or what failed.
inline std::string CopyGameData(const std::string& folder)
{
    const std::string built = SharedGameFolder();
    if (built.empty())
        return "no game folder";
    std::error_code error;
    std::filesystem::copy(built + "/data", folder + "/data", std::filesystem::copy_options::recursive, error);
    return error ? "copying the game folder: " + error.message() : std::string();
}

class GameFolderTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(CopyGameData(folder.Path()), ""); }

    TempFolder folder;
};
