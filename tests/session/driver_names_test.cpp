// The AI names file and the message-key file: defaults, saved files decoded
// by an independent Python struct script, the older versions, and bad files
// refused with the defaults in their place.
#include "race_fixture.h"

#include <cstdlib>
#include <cstring>
#include <sys/wait.h>

#include "platform/files.h"
#include "support/temp_folder.h"

namespace {

// A file image built from the layout: the 6-character magic, the version
// high byte first, then the body.
std::string FileImage(int version, const std::string& body)
{
    std::string bytes = "ZKAINM";
    bytes += char(version >> 8);
    bytes += char(version & 0xFF);
    return bytes + body;
}

std::string Field(const char* text, size_t n)
{
    std::string field(text, std::min(std::strlen(text), n));
    field.resize(n, '\0');
    return field;
}

class DriverNamesTest : public RaceTest {
protected:
    void SetUp() override
    {
        RaceTest::SetUp();
        platform::MakeFolder("data");
        platform::MakeFolder("data/misc");
    }
    int RunReference(const char* kind, const char* file)
    {
        const std::string command = std::string(QV_PYTHON) + " " + QV_SOURCE_DIR +
                                    "/tests/session/race_files_reference.py " + kind + " " + folder.Path() + "/" + file;
        const int status = std::system(command.c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    static void ExpectDefaultName(int i)
    {
        const std::string text = "AI " + std::to_string(i + 1);
        EXPECT_EQ(DriverNameTable[i].name, text) << i;
        EXPECT_EQ(std::string(DriverNameTable[i].plate, strnlen(DriverNameTable[i].plate, 8)), text) << i;
        EXPECT_EQ(DriverNameTable[i].gender, 0) << i;
    }

    TempFolder folder;
};

TEST_F(DriverNamesTest, WithoutAFileTheNamesAreTheDefaults)
{
    LoadDriverNames();
    for (int i = 0; i < DriverNameCount; ++i)
        ExpectDefaultName(i);
    EXPECT_EQ(FindDriverName("ai 7"), 6);
    EXPECT_EQ(FindDriverName("Nobody"), 0);  // the first name, not -1
}

TEST_F(DriverNamesTest, SavedNamesDecodeIndependentlyAndLoadBack)
{
    SetDefaultDriverNames();
    DriverNameEntry& zed = MutableDriverNameTable[2];
    CopyFixedString(zed.name, "Zed", sizeof zed.name);
    CopyFixedString(zed.plate, "ZED0", sizeof zed.plate);
    zed.gender = 1;
    const uint8_t extra[3] = {1, 2, 3};
    std::memcpy(zed.extra, extra, 3);
    DriverNameEntry& last = MutableDriverNameTable[19];
    CopyFixedString(last.name, "Twenty three letters!!!", sizeof last.name);
    std::memcpy(last.plate, "PLATE_8C", 8);
    ASSERT_EQ(SaveDriverNames(), 1);
    EXPECT_EQ(RunReference("names", "data/misc/drv.nam"), 0) << "race_files_reference.py rejected drv.nam";

    DriverNameEntry saved[DriverNameCount];
    std::memcpy(saved, DriverNameTable, sizeof saved);
    SetDefaultDriverNames();
    LoadDriverNames();
    EXPECT_EQ(std::memcmp(saved, DriverNameTable, sizeof saved), 0);
    EXPECT_EQ(FindDriverName("ZED"), 2);
}

TEST_F(DriverNamesTest, AShortTableKeepsTheDefaultsAfterIt)
{
    std::string body = std::string("\x05\0\0\0", 4);
    for (int i = 0; i < 5; ++i) {
        const std::string name = i == 1 ? std::string(24, 'n') : "File " + std::to_string(i);
        body += Field(name.c_str(), 24) + Field("PL", 8);
        body += char(i == 3 ? 7 : 0);  // any non-zero gender reads as 1
        body += std::string("\x09\x08\x07", 3);
    }
    folder.WriteFile("data/misc/drv.nam", FileImage(247, body));
    LoadDriverNames();
    EXPECT_STREQ(DriverNameTable[0].name, "File 0");
    EXPECT_EQ(std::string(DriverNameTable[1].name), std::string(23, 'n'));  // ends inside its field
    EXPECT_EQ(DriverNameTable[3].gender, 1);
    EXPECT_EQ(DriverNameTable[4].extra[2], 7);
    for (int i = 5; i < DriverNameCount; ++i)
        ExpectDefaultName(i);
}

TEST_F(DriverNamesTest, OldNewAndBadNameFiles)
{
    std::string full = std::string("\x14\0\0\0", 4);
    for (int i = 0; i < DriverNameCount; ++i)
        full += Field(("Old " + std::to_string(i)).c_str(), 32) + std::string(4, '\0');
    struct Case {
        const char* what;
        std::string file;
        bool loads;
    };
    const Case cases[] = {
        {"version 246", FileImage(246, full), true},
        {"version 245", FileImage(245, full), false},
        {"a later version", FileImage(248, full), false},
        {"twenty names promised, three given", FileImage(247, full.substr(0, 4 + 3 * 36)), false},
        {"a header only", FileImage(247, ""), false},
    };
    for (const Case& c : cases) {
        folder.WriteFile("data/misc/drv.nam", c.file);
        std::memset(static_cast<void*>(MutableDriverNameTable), 0x55, sizeof MutableDriverNameTable);
        LoadDriverNames();
        if (c.loads) {
            EXPECT_STREQ(DriverNameTable[19].name, "Old 19") << c.what;
        } else {
            for (int i = 0; i < DriverNameCount; ++i)
                ExpectDefaultName(i);
        }
    }
}

TEST_F(DriverNamesTest, MessageKeysRoundTripAndDecodeIndependently)
{
    LoadMessageKeys();  // no file: the defaults
    EXPECT_STREQ(MessageKeyTable[2], "good pass");
    EXPECT_STREQ(MessageKeyTable[23], "/exit");
    EXPECT_STREQ(MessageKeyTable[31], "");

    CopyFixedString(MutableMessageKeyTable[31], "/say bye", MessageKeyLength);
    CopyFixedString(MutableMessageKeyTable[5], std::string(80, 'x').c_str(), MessageKeyLength);
    ASSERT_EQ(SaveMessageKeys(), 1);
    EXPECT_EQ(RunReference("keys", "data/misc/fkeys.msg"), 0) << "race_files_reference.py rejected fkeys.msg";

    char saved[MessageKeyCount][MessageKeyLength];
    std::memcpy(saved, MessageKeyTable, sizeof saved);
    SetDefaultMessageKeys();
    LoadMessageKeys();
    EXPECT_EQ(std::memcmp(saved, MessageKeyTable, sizeof saved), 0);
}

TEST_F(DriverNamesTest, OlderMessageKeyFilesReplaceOnlyTheirTexts)
{
    auto texts = [](int n) {
        std::string body;
        for (int i = 0; i < n; ++i)
            body += Field(("text " + std::to_string(i)).c_str(), 64);
        return body;
    };
    std::string unterminated = texts(32);
    unterminated.replace(64 * 4, 64, std::string(64, 'u'));
    struct Case {
        const char* what;
        std::string file;
        int fromFile;  // the first texts taken from the file
        bool refused;  // the defaults replace everything
    };
    const Case cases[] = {
        {"version 248: F1..F8 and Ctrl+F1..F8", FileImage(248, texts(16)), 16, false},
        {"version 249: up to Ctrl+F12", FileImage(249, texts(20)), 20, false},
        {"version 250: all", FileImage(250, texts(32)), 32, false},
        {"version 247 counts as no file", FileImage(247, texts(32)), 0, false},
        {"a version-250 file too short for its texts", FileImage(250, texts(31)), 0, true},
        {"a text without its terminator", FileImage(250, unterminated), 32, false},
    };
    for (const Case& c : cases) {
        folder.WriteFile("data/misc/fkeys.msg", c.file);
        SetDefaultMessageKeys();
        CopyFixedString(MutableMessageKeyTable[30], "kept", MessageKeyLength);  // Alt+F11 has no default
        std::vector<std::string> expected(MessageKeyTable, MessageKeyTable + MessageKeyCount);
        if (c.refused)
            expected[30] = "";
        for (int i = 0; i < c.fromFile; ++i)
            expected[i] = "text " + std::to_string(i);
        if (c.file == FileImage(250, unterminated))
            expected[4] = std::string(63, 'u');
        LoadMessageKeys();
        EXPECT_EQ(std::vector<std::string>(MessageKeyTable, MessageKeyTable + MessageKeyCount), expected) << c.what;
    }
    // Version 249 keeps the default of Alt+F4.
    EXPECT_STREQ(MessageKeyTable[23], "text 23");
    folder.WriteFile("data/misc/fkeys.msg", FileImage(249, texts(20)));
    SetDefaultMessageKeys();
    LoadMessageKeys();
    EXPECT_STREQ(MessageKeyTable[23], "/exit");
    EXPECT_STREQ(MessageKeyTable[19], "text 19");
}

} // namespace
