// Game paths, file times and saves that keep the old file on failure.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <utime.h>

#include "platform/files.h"
#include "support/temp_folder.h"

TEST(FilesTest, GamePathsResolveWithoutRegardToCase)
{
    TempFolder folder;
    folder.WriteFile("data/Misc/Usr.BIN", "x");
    struct Case {
        const char* gamePath;
        const char* expected;
    };
    const Case cases[] = {
        {"data\\misc\\usr.bin", "data/Misc/Usr.BIN"},
        {"DATA/MISC/USR.BIN", "data/Misc/Usr.BIN"},
        {"data\\misc\\new.ply", "data/Misc/new.ply"}, // new file in an existing folder
        {"data\\none\\a.txt", "data/none/a.txt"},     // missing folder keeps its spelling
        {"data\\misc\\", "data/Misc/"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(platform::NativePath(c.gamePath), c.expected) << c.gamePath;
    EXPECT_TRUE(platform::FileExists("data\\MISC\\usr.bin"));
    EXPECT_TRUE(platform::FolderExists("Data\\misc"));
    EXPECT_FALSE(platform::FileExists("data\\misc"));
}

TEST(FilesTest, FileTimesCountMinutesSince1601)
{
    TempFolder folder;
    folder.WriteFile("f", "");
    struct utimbuf times {};
    times.modtime = 0; // 1970-01-01 00:00 UTC
    ASSERT_EQ(utime("f", &times), 0);
    EXPECT_EQ(platform::FileTimeMinutes("f"), 194074560); // 11644473600 s / 60
    EXPECT_EQ(platform::FileTime100ns("f"), 116444736000000000LL);
    times.modtime = 90;
    ASSERT_EQ(utime("f", &times), 0);
    EXPECT_EQ(platform::FileTimeMinutes("f"), 194074561);
    EXPECT_EQ(platform::FileTimeMinutes("missing"), -1);
}

TEST(FilesTest, SaveReplacesTheFileOnlyWhenCommitted)
{
    TempFolder folder;
    folder.WriteFile("cfg.txt", "old");
    {
        platform::AtomicFile file;
        ASSERT_EQ(file.Open("cfg.txt"), 1);
        file.Write("new", 3);
        // Abandoned by leaving the scope uncommitted.
    }
    EXPECT_EQ(folder.ReadFile("cfg.txt"), "old");
    EXPECT_FALSE(platform::FileExists("cfg.txt.tmp"));

    ASSERT_EQ(platform::WriteWholeFile("cfg.txt", "new", 3), 1);
    EXPECT_EQ(folder.ReadFile("cfg.txt"), "new");
}

TEST(FilesTest, SaveThatCannotBeWrittenKeepsTheOldFile)
{
    TempFolder folder;
    folder.WriteFile("cfg.txt", "old");
    // /dev/full accepts the open but fails every write: the save must fail
    // and the old file must stay.
    platform::AtomicFile file;
    ASSERT_EQ(file.Open("cfg.txt"), 1);
    FILE* full = std::freopen("/dev/full", "wb", file.Stream());
    ASSERT_NE(full, nullptr);
    std::string big(1 << 16, 'x');
    file.Write(big.data(), big.size());
    EXPECT_EQ(file.Commit(), 0);
    EXPECT_EQ(folder.ReadFile("cfg.txt"), "old");

    EXPECT_EQ(platform::WriteWholeFile("no_folder/cfg.txt", "x", 1), 0);
}

TEST(FilesTest, TextModeFoldsLineEndsAndStopsAtCtrlZ)
{
    TempFolder folder;
    folder.WriteFile("t.txt", std::string("a\r\nb\rc\nd\x1A" "after", 11));
    std::string text;
    ASSERT_EQ(platform::ReadTextFile("t.txt", text), 1);
    EXPECT_EQ(text, "a\nb\rc\nd");
    EXPECT_EQ(platform::TextWithCrLf("a\nb\n"), "a\r\nb\r\n");
}

TEST(FilesTest, FolderListingMatchesPatternsWithoutCase)
{
    TempFolder folder;
    folder.WriteFile("r/b.SPR", "1");
    folder.WriteFile("r/a.spr", "22");
    folder.WriteFile("r/c.mpr", "");
    auto entries = platform::ListFolder("r", "*.spr");
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].name, "a.spr");
    EXPECT_EQ(entries[0].size, 2);
    EXPECT_EQ(entries[1].name, "b.SPR");
}
