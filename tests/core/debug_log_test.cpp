// The debug log: appended lines, cut to 128 characters; one copy's own file
// among copies that share a folder; never a user's file; echoed to the
// terminal on request.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "core/services.h"
#include "platform/file_claim.h"
#include "support/temp_folder.h"

class DebugLogTest : public ::testing::Test {
protected:
    void SetUp() override { ResetCoreTables(); }
    void TearDown() override { ResetCoreTables(); }
    TempFolder folder;
};

TEST_F(DebugLogTest, StartEmptiesAndLinesAppendCutTo128)
{
    folder.WriteFile("deb.log", "stale\r\n");
    EXPECT_EQ(StartDebugLog(), "");
    LogVersion();
    LogLine(std::string(200, 'x').c_str());
    LogPrintf("load %s : %d", "bans", 3);
    EXPECT_EQ(folder.ReadFile("deb.log"),
              "QVN : 0.5Z\r\n" + std::string(128, 'x') + "\r\nload bans : 3\r\n");
}

// Another running copy holds the folder's log (here a claim of the test's
// own, which the log's claim cannot share): this copy takes the next free
// name and leaves the other's lines alone; with every name taken it keeps
// no log at all.
TEST_F(DebugLogTest, AnotherCopysLogIsLeftAloneAndTheNextNameIsTaken)
{
    folder.WriteFile("deb.log", "QVN : 0.5Z\r\nthe first copy\r\n");
    std::vector<std::unique_ptr<platform::FileClaim>> others;
    others.push_back(std::make_unique<platform::FileClaim>());
    ASSERT_EQ(others.back()->Take("deb.log", false), platform::FileClaim::Taken);

    EXPECT_EQ(StartDebugLog(),
              "deb.log is written by another running copy of QVN in this folder: this copy logs to deb_2.log");
    EXPECT_STREQ(DebugLogName(), "deb_2.log");
    LogVersion();
    EXPECT_EQ(folder.ReadFile("deb.log"), "QVN : 0.5Z\r\nthe first copy\r\n");
    EXPECT_EQ(folder.ReadFile("deb_2.log"), "QVN : 0.5Z\r\n");

    ResetDebugLog();
    for (int copy = 2; copy <= 9; ++copy) {
        others.push_back(std::make_unique<platform::FileClaim>());
        ASSERT_EQ(others.back()->Take("deb_" + std::to_string(copy) + ".log", false), platform::FileClaim::Taken);
    }
    EXPECT_NE(StartDebugLog().find("this copy keeps no debug log"), std::string::npos);
    EXPECT_EQ(LogLine("nowhere"), 0);
    EXPECT_EQ(folder.ReadFile("deb.log"), "QVN : 0.5Z\r\nthe first copy\r\n");

    // The log named by the "log" option is refused while another copy has it.
    EXPECT_EQ(UseDebugLogFile("deb_5.log"), "deb_5.log is written by another running copy of QVN");
    // Once the first copy has ended, its log is free again.
    others.front()->Release();
    EXPECT_EQ(StartDebugLog(), "");
    EXPECT_EQ(folder.ReadFile("deb.log"), "");
}

// A log name that is a second name of a user's file (a symbolic or a hard
// link) is taken away and replaced, never written through.
TEST_F(DebugLogTest, ALinkInPlaceOfTheLogNeverReachesTheFileItNames)
{
    const std::string mine = "my own file\n";
    for (bool symbolic : {true, false}) {
        SCOPED_TRACE(symbolic ? "symbolic link" : "hard link");
        folder.WriteFile("mine.txt", mine);
        std::filesystem::remove(folder.Path() + "/deb.log");
        if (symbolic)
            std::filesystem::create_symlink("mine.txt", folder.Path() + "/deb.log");
        else
            std::filesystem::create_hard_link(folder.Path() + "/mine.txt", folder.Path() + "/deb.log");
        ResetDebugLog();
        EXPECT_EQ(StartDebugLog(), "");
        LogVersion();
        EXPECT_EQ(folder.ReadFile("mine.txt"), mine);
        EXPECT_FALSE(std::filesystem::is_symlink(folder.Path() + "/deb.log"));
        EXPECT_EQ(folder.ReadFile("deb.log"), "QVN : 0.5Z\r\n");
    }
}

// Echo on: the lines so far, then each new line, go to standard output
// without their CR; echo off: only the file.
TEST_F(DebugLogTest, EchoWritesTheLogSoFarAndEachLineToStandardOutput)
{
    StartDebugLog();
    LogVersion();
    LogLine("before");
    testing::internal::CaptureStdout();
    EchoDebugLog(true);
    LogLine("^1after");
    EchoDebugLog(false);
    LogLine("quiet");
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "QVN : 0.5Z\nbefore\nafter\n");
    EXPECT_EQ(folder.ReadFile("deb.log"), "QVN : 0.5Z\r\nbefore\r\nafter\r\nquiet\r\n");
}
