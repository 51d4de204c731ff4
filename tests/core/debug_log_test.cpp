// The debug log: appended lines, cut to 128 characters.
#include <gtest/gtest.h>

#include <string>

#include "core/services.h"
#include "support/temp_folder.h"

class DebugLogTest : public ::testing::Test {
protected:
    void SetUp() override { ResetCoreTables(); }
};

TEST_F(DebugLogTest, StartDeletesAndLinesAppendCutTo128)
{
    TempFolder folder;
    folder.WriteFile("deb.log", "stale\r\n");
    StartDebugLog();
    LogVersion();
    LogLine(std::string(200, 'x').c_str());
    LogPrintf("load %s : %d", "bans", 3);
    EXPECT_EQ(folder.ReadFile("deb.log"),
              "QVN : 0.5Z\r\n" + std::string(128, 'x') + "\r\nload bans : 3\r\n");
}
