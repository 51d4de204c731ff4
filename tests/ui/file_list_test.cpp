// File lists on a folder made by the test: names cut at the extension and
// to the length asked, sorted by name, time or language, the filters, the
// second pattern, and the look-ups by name.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <utime.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/files.h"
#include "support/temp_folder.h"
#include "ui/local.h"

namespace {

// 2024-03-05 07:08:09 UTC in seconds since 1970.
constexpr time_t MarchFifth = 1709622489;

class FileListTest : public ::testing::Test {
protected:
    // A file in data/spr with its modification time.
    void Make(const std::string& name, time_t modified = MarchFifth)
    {
        folder.WriteFile("data/spr/" + name, "x");
        const std::string path = folder.Path() + "/data/spr/" + name;
        struct utimbuf times {modified, modified};
        ASSERT_EQ(utime(path.c_str(), &times), 0);
    }
    static std::vector<std::string> Names(const FileList& list)
    {
        std::vector<std::string> names;
        for (const FileEntry& entry : list.entries)
            names.push_back(entry.name);
        return names;
    }
    using Names_ = std::vector<std::string>;
    TempFolder folder;
    FileList list;
};

TEST_F(FileListTest, NamesAreCutAndSortedAsAsked)
{
    Make("b.spr", MarchFifth + 20);
    Make("A.spr", MarchFifth + 10);
    Make("c.two.spr", MarchFifth + 30);
    Make("d.txt");
    folder.WriteFile("data/spr/sub.spr/inner", "folders are not files");
    const struct {
        const char* what;
        const char* pattern;
        int sort;
        int maxLength;
        Names_ names;
    } cases[] = {
        {"by name without extension", "data\\spr\\*.spr", FileSortByName, 32, {"A", "b", "c.two"}},
        {"a pattern ending in * keeps extensions", "data\\spr\\*", FileSortByName, 32,
         {"A.spr", "b.spr", "c.two.spr", "d.txt"}},
        {"by time, newest first", "data\\spr\\*.spr", FileSortByTime, 32, {"c.two", "b", "A"}},
        {"names cut to the length less one", "data\\spr\\*.spr", FileSortByName, 3, {"A", "b", "c."}},
        {"nothing matches", "data\\spr\\*.rpl", FileSortByName, 32, {}},
        {"a missing folder", "data\\none\\*.rpl", FileSortByName, 32, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(ScanFileList(list, c.pattern, c.sort, c.maxLength, nullptr, 0, nullptr, 0),
                  static_cast<int>(c.names.size()));
        EXPECT_EQ(Names(list), c.names);
    }
}

TEST_F(FileListTest, EqualTimesPutTheLaterListedFirstAndStampsReadInUtc)
{
    Make("first.spr");
    Make("second.spr");
    Make("older.spr", MarchFifth - 3600);
    ScanFileList(list, "data\\spr\\*.spr", FileSortByTime, 32, nullptr, 0, nullptr, 0);
    EXPECT_EQ(Names(list), (Names_{"second", "first", "older"}));
    EXPECT_STREQ(list.entries[0].timeText, "07:08.09");
    EXPECT_STREQ(list.entries[0].dateText, "5/3/24");
    EXPECT_EQ(list.entries[0].fileTime, (MarchFifth + platform::UnixEpochIn1601Minutes * 60) * 10000000);
    EXPECT_EQ(NewestFile(list), 0);
}

TEST_F(FileListTest, LongNamesAreCutToTheLimitAndNeverOverflow)
{
    Make(std::string(20, 'n') + ".spr");
    Make(std::string(200, 'm') + ".spr");
    ScanFileList(list, "data\\spr\\*.spr", FileSortByName, 16, nullptr, 0, nullptr, 0);
    EXPECT_EQ(Names(list), (Names_{std::string(15, 'm'), std::string(15, 'n')}));
    ScanFileList(list, "data\\spr\\*.spr", FileSortByName, 1000, nullptr, 0, nullptr, 0);
    EXPECT_EQ(list.maxNameLength, FileNameSize);
    EXPECT_EQ(Names(list)[0], std::string(FileNameSize - 1, 'm'));
}

TEST_F(FileListTest, FiltersLeaveOutWhatTheyName)
{
    for (const char* name : {"XFG_race.set", "XF_r.set", "FBM_.set", "LX4_a_very_long_name.set", "tmp_ok.set",
                             "caf\xE9.set"})
        Make(name);
    const struct {
        const char* what;
        int sort;
        const char* excluded;
        int singleByte;
        Names_ names;
    } cases[] = {
        {"setup names: 5 to 19 characters, _ fourth", FileSortSetupNames, nullptr, 0, {"XFG_race", "tmp_ok"}},
        {"an excluded prefix in any case", FileSortByName, "XF", 0,
         {"caf\xE9", "FBM_", "LX4_a_very_long_name", "tmp_ok"}},
        {"single-byte only", FileSortByName, nullptr, 1,
         {"FBM_", "LX4_a_very_long_name", "tmp_ok", "XFG_race", "XF_r"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ScanFileList(list, "data\\spr\\*.set", c.sort, 32, c.excluded, c.singleByte, nullptr, 0);
        std::vector<std::string> names = Names(list);
        if (c.sort == FileSortSetupNames)
            std::sort(names.begin(), names.end());  // equal times: the order is the listing's
        EXPECT_EQ(names, c.names);
    }
}

TEST_F(FileListTest, TheSecondPatternServesInsteadOrAfterAndSkipsDuplicates)
{
    Make("own.lyt");
    Make("shared.def");
    Make("own.def");
    ScanFileList(list, "data\\spr\\*.lyt", FileSortByName, 32, nullptr, 0, "data\\spr\\*.def", 1);
    EXPECT_EQ(Names(list), (Names_{"own", "shared"}));
    EXPECT_EQ(list.entries[0].fromSecond, 0);
    EXPECT_EQ(list.entries[1].fromSecond, 1);
    ScanFileList(list, "data\\spr\\*.none", FileSortByName, 32, nullptr, 0, "data\\spr\\*.def", 0);
    EXPECT_EQ(Names(list), (Names_{"own", "shared"}));
    MarkAllFiles(list);
    EXPECT_EQ(list.entries[0].fromSecond, 1);
}

TEST_F(FileListTest, LanguagesGoInTheirOrderWithUnknownOnesLast)
{
    for (const char* name : {"Klingon.txt", "Japanese.txt", "deutsch.txt", "English.txt", "max_len.txt"})
        Make(name);
    ScanFileList(list, "data\\spr\\*.txt", FileSortByLanguage, 32, nullptr, 0, nullptr, 0);
    // Of two unknown languages the one listed later comes first.
    EXPECT_EQ(Names(list), (Names_{"English", "deutsch", "Japanese", "max_len", "Klingon"}));
    EXPECT_EQ(LanguageOrder("English"), 0);
    EXPECT_EQ(LanguageOrder("Bulgarian"), 32);
    EXPECT_EQ(LanguageOrder("Klingon"), 255);
    ResolveLanguageNames(list, "data\\spr");
    EXPECT_EQ(Names(list), (Names_{"English", "deutsch", "Japanese", "Klingon"}));
    EXPECT_STREQ(list.entries[3].displayName, "Klingon") << "a file without its own name shows the file's";
}

TEST_F(FileListTest, LookUpsIgnoreCase)
{
    for (const char* name : {"alpha.spr", "Beta.spr", "beta2.spr"})
        Make(name);
    ScanFileList(list, "data\\spr\\*.spr", FileSortByName, 32, nullptr, 0, nullptr, 0);
    ASSERT_EQ(Names(list), (Names_{"alpha", "Beta", "beta2"}));
    EXPECT_EQ(FindFile(list, "BE"), 1);
    EXPECT_EQ(FindFile(list, "gamma"), -1);
    EXPECT_EQ(SelectFile(list, "BETA.spr"), 1);
    EXPECT_EQ(SelectFile(list, "none.spr"), -1);
    RemoveFile(list, "ALPHA");
    EXPECT_EQ(Names(list), (Names_{"Beta", "beta2"}));
    RemoveFile(list, "beta");
    RemoveFile(list, "beta2");
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(list.selection, -1);
}

TEST(FileNameTest, NamesThatWouldLeaveTheirFolderAreRefused)
{
    for (const char* name : {"", ".", "..", "../x", "a/b", "a\\b", "c:x", "tab\there"})
        EXPECT_EQ(IsSafeFileName(name), 0) << name;
    for (const char* name : {"name", "a.b", "..x", "^s..^setc", "caf\xE9"})
        EXPECT_EQ(IsSafeFileName(name), 1) << name;
}

} // namespace
