// Whole-program tests that run in a copy of the game folder: the data
// builder makes the folder once per test suite, and each test gets its own
// copy of its data.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

#include "support/process.h"
#include "support/temp_folder.h"

class GameFolderTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        built = std::make_unique<TempFolder>();
        ProcessResult result = RunProcess(QV_MKDATA, {built->Path()}, built->Path());
        ASSERT_EQ(result.exitCode, 0) << result.output;
    }
    static void TearDownTestSuite() { built.reset(); }
    void SetUp() override
    {
        std::filesystem::copy(built->Path() + "/data", folder.Path() + "/data",
                              std::filesystem::copy_options::recursive);
    }

    static inline std::unique_ptr<TempFolder> built;
    TempFolder folder;
};
