// Test entry: failed checks in our own code become test failures, and the
// run starts in the C locale whatever the user's is.
#include <gtest/gtest.h>

#include <clocale>

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
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
