// Test entry: failed checks in our own code become test failures, the run
// starts in the C locale whatever the user's is, and each test process has
// a runtime folder of its own, so that copies of the program it starts find
// only each other when they look for a running copy.
#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/check.h"

namespace {
void RecordCheckFailure(const char* file, int line, const char* condition)
{
    ADD_FAILURE_AT(file, line) << "check failed: " << condition;
}
} // namespace

int main(int argc, char** argv)
{
    std::setlocale(LC_ALL, "C");
    platform::SetCheckHook(RecordCheckFailure);
    std::string runtimeFolder = (std::filesystem::temp_directory_path() / "quorvan-run-XXXXXX").string();
    if (mkdtemp(runtimeFolder.data()))
        setenv("XDG_RUNTIME_DIR", runtimeFolder.c_str(), 1);
    ::testing::InitGoogleTest(&argc, argv);
    int result = RUN_ALL_TESTS();
    std::error_code ignored;
    std::filesystem::remove_all(runtimeFolder, ignored);
    return result;
}
