// The binary data-file layer: header check, the three reading modes, reads
// past the end, writers and safe saves, checked against Python's struct.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <csignal>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#include "core/services.h"
#include "support/process.h"
#include "support/temp_folder.h"

namespace {

class DataFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetCoreTables();
        StartDebugLog();
    }
    std::string Log() const { return folder.ReadFile("deb.log"); }

    TempFolder folder;
};

std::string Header(const char* magic, int version)
{
    std::string bytes(magic, 6);
    bytes += static_cast<char>(version >> 8);
    bytes += static_cast<char>(version & 0xFF);
    return bytes;
}

std::vector<uint8_t> Bytes(const std::string& text) { return {text.begin(), text.end()}; }

// The reference values that tests/core/data_file_reference.py packs with
// struct, in the same order.
enum class Kind { Byte, Short, Int, Float, String };
struct ReferenceValue {
    Kind kind;
    int integer = 0;
    float real = 0;
    const char* text = nullptr;  // written into a field of integer bytes
    const char* stored = nullptr;
};
const ReferenceValue ReferenceValues[] = {
    {Kind::Byte, 0},
    {Kind::Byte, 255},
    {Kind::Byte, 0x7F},
    {Kind::Short, -2},
    {Kind::Short, 32767},
    {Kind::Short, -32768},
    {Kind::Short, 1},
    {Kind::Int, -1},
    {Kind::Int, 0x7FFFFFFF},
    {Kind::Int, INT32_MIN},
    {Kind::Int, 123456789},
    {Kind::Float, 0, 1.5f},
    {Kind::Float, 0, -0.0f},
    {Kind::Float, 0, 3.4028234663852886e38f},
    {Kind::Float, 0, 5.0f},
    {Kind::Float, 0, 1e-45f},
    {Kind::Float, 0, -273.15f},
    {Kind::String, 8, 0, "abc", "abc\0\0\0\0\0"},
    {Kind::String, 6, 0, "abcdefgh", "abcde\0"},
};

uint32_t FloatBits(float value)
{
    uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

// Reads the reference values from an open reader and checks every one.
void ExpectReferenceValues(DataFile& reader)
{
    for (const ReferenceValue& value : ReferenceValues) {
        switch (value.kind) {
        case Kind::Byte: EXPECT_EQ(ReadByte(reader), value.integer); break;
        case Kind::Short: EXPECT_EQ(ReadShort(reader), value.integer); break;
        case Kind::Int: EXPECT_EQ(ReadInt(reader), value.integer); break;
        case Kind::Float: EXPECT_EQ(FloatBits(ReadFloat(reader)), FloatBits(value.real)); break;
        case Kind::String: {
            std::string field(static_cast<size_t>(value.integer), '?');
            ReadBlock(reader, field.data(), value.integer);
            EXPECT_EQ(field, std::string(value.stored, static_cast<size_t>(value.integer)));
            break;
        }
        }
    }
    EXPECT_FALSE(reader.Overran());
    EXPECT_EQ(ReadByte(reader), -1);  // nothing follows
    EXPECT_TRUE(reader.Overran());
}

void WriteReferenceValues(DataFile& writer)
{
    for (const ReferenceValue& value : ReferenceValues) {
        switch (value.kind) {
        case Kind::Byte: WriteByte(writer, value.integer); break;
        case Kind::Short: WriteShort(writer, value.integer); break;
        case Kind::Int: WriteInt(writer, value.integer); break;
        case Kind::Float: WriteFloat(writer, value.real); break;
        case Kind::String: WriteFixedString(writer, value.text, value.integer); break;
        }
    }
}

ProcessResult RunReference(const char* command, const std::string& path)
{
    return RunProcess(QV_PYTHON, {QV_SOURCE_DIR "/tests/core/data_file_reference.py", command, path},
                      ".");
}

} // namespace

TEST_F(DataFileTest, ReadsWhatPythonStructWroteInEveryMode)
{
    ProcessResult python = RunReference("write", folder.Path() + "/py.bin");
    ASSERT_EQ(python.exitCode, 0) << python.output;

    for (bool stream : {false, true}) {
        SCOPED_TRACE(stream ? "streaming" : "loaded");
        DataFile reader;
        int version = 0;
        LoadDataFile(reader, nullptr, "py.bin", "QVNTST", version, 251, stream);
        ASSERT_TRUE(reader.IsOpen());
        EXPECT_EQ(reader.mode, stream ? DataFileStream : DataFileLoaded);
        EXPECT_EQ(version, 251);
        ExpectReferenceValues(reader);
        EXPECT_EQ(CloseDataFile(reader), 1);
        EXPECT_FALSE(reader.IsOpen());
    }

    std::vector<uint8_t> image = Bytes(folder.ReadFile("py.bin"));
    DataFile reader;
    int version = 0;
    OpenDataBlock(reader, image.data(), image.size(), version);
    EXPECT_EQ(version, 251);
    ExpectReferenceValues(reader);
    CloseDataFile(reader);
}

TEST_F(DataFileTest, WritesWhatPythonStructExpects)
{
    DataFile writer;
    CreateDataFile(writer, nullptr, "ours.bin", "QVNTST", 251);
    ASSERT_TRUE(writer.IsOpen());
    WriteReferenceValues(writer);
    ASSERT_EQ(CloseDataFile(writer), 1);

    ProcessResult python = RunReference("check", folder.Path() + "/ours.bin");
    EXPECT_EQ(python.exitCode, 0) << python.output;
}

TEST_F(DataFileTest, HeaderCheckRefusesWithTheRightText)
{
    struct Case {
        const char* name;
        std::string bytes;
        const char* error;  // nullptr: opens
        int version;
    };
    const Case cases[] = {
        {"version at the maximum", Header("QVNTST", 251) + "x", nullptr, 251},
        {"older version", Header("QVNTST", 3), nullptr, 3},
        {"version above the maximum", Header("QVNTST", 252), "File was created by a later version :", 252},
        {"last magic character differs", Header("QVNTSU", 251), "File failed header check :", 0},
        {"ends inside the version", std::string("QVNTST\x00", 7), "File was created by a later version :", 0xFF},
        {"ends inside the magic", "QVN", "File failed header check :", 0},
        {"empty", "", "File failed header check :", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        folder.WriteFile("data/test.bin", c.bytes);
        DataFile reader;
        int version = 0;
        const char* error = OpenDataFile(reader, nullptr, "data\\TEST.bin", "QVNTST", version, 251);
        if (c.error) {
            ASSERT_NE(error, nullptr);
            EXPECT_STREQ(error, c.error);
            EXPECT_FALSE(reader.IsOpen());
        } else {
            EXPECT_EQ(error, nullptr);
            EXPECT_TRUE(reader.IsOpen());
        }
        if (c.version) {
            EXPECT_EQ(version, c.version);
        }
    }

    DataFile reader;
    int version = 0;
    EXPECT_STREQ(OpenDataFile(reader, nullptr, "missing.bin", "QVNTST", version, 251),
                 "Could not open file :");
    EXPECT_FALSE(reader.IsOpen());
    // OpenDataFile leaves reporting to its caller.
    EXPECT_EQ(Log(), "");
}

TEST_F(DataFileTest, LoadFailuresAreLoggedWithTextAndPath)
{
    folder.WriteFile("old.bin", Header("QVNTST", 300));
    DataFile reader;
    int version = 0;
    LoadDataFile(reader, nullptr, "missing.bin", "QVNTST", version, 251, false);
    EXPECT_FALSE(reader.IsOpen());
    LoadDataFile(reader, nullptr, "old.bin", "QVNTST", version, 251, true);
    EXPECT_FALSE(reader.IsOpen());
    EXPECT_EQ(Log(),
              "LoadDataFile : Could not open file : missing.bin\r\n"
              "LoadDataFile : File was created by a later version : old.bin\r\n");
}

// Whatever the mode, a read past the end gives what streaming gives at the
// end of a file (0xFF for each missing byte) and marks the reader.
TEST_F(DataFileTest, ReadsPastTheEndAreBoundedAndRecorded)
{
    const std::string file = Header("QVNTST", 1) + std::string("\x01\x02\x03", 3);
    folder.WriteFile("short.bin", file);
    std::vector<uint8_t> image = Bytes(file);

    for (int mode : {DataFileStream, DataFileLoaded, DataFileImage}) {
        SCOPED_TRACE(mode);
        DataFile reader;
        int version = 0;
        if (mode == DataFileImage)
            OpenDataBlock(reader, image.data(), image.size(), version);
        else
            LoadDataFile(reader, nullptr, "short.bin", "QVNTST", version, 1, mode == DataFileStream);
        ASSERT_TRUE(reader.IsOpen());
        EXPECT_EQ(reader.mode, mode);

        EXPECT_EQ(ReadShort(reader), 0x0201);
        EXPECT_FALSE(reader.Overran());
        EXPECT_EQ(static_cast<uint32_t>(ReadInt(reader)), 0xFFFFFF03u);
        EXPECT_TRUE(reader.Overran());
        EXPECT_EQ(ReadByte(reader), -1);
        EXPECT_EQ(ReadShort(reader), -1);
        EXPECT_EQ(ReadInt(reader), -1);
        uint8_t block[4] = {1, 2, 3, 4};
        ReadBlock(reader, block, 4);
        EXPECT_EQ(std::memcmp(block, "\xFF\xFF\xFF\xFF", 4), 0);
        ReadBytes(reader, block, 2);
        EXPECT_EQ(block[0], 0xFF);
        CloseDataFile(reader);
    }
}

TEST_F(DataFileTest, BlockReadStopsAtTheEndOfTheImage)
{
    const std::string file = Header("QVNTST", 1) + "abc";
    std::vector<uint8_t> image = Bytes(file);
    DataFile reader;
    int version = 0;
    OpenDataBlock(reader, image.data(), image.size(), version);
    char block[6];
    ReadBlock(reader, block, 6);
    EXPECT_EQ(std::string(block, 6), "abc\xFF\xFF\xFF");
    EXPECT_TRUE(reader.Overran());
}

TEST_F(DataFileTest, ImageShorterThanTheHeaderIsAnOverrun)
{
    std::vector<uint8_t> image = Bytes(std::string("QVNTST\x01", 7));
    DataFile reader;
    int version = 0;
    OpenDataBlock(reader, image.data(), image.size(), version);
    EXPECT_EQ(version, 0x01FF);
    EXPECT_TRUE(reader.Overran());
    EXPECT_EQ(ReadByte(reader), -1);
}

TEST_F(DataFileTest, LoadingAHeaderOnlyFileGivesAnEmptyCopy)
{
    folder.WriteFile("empty.bin", Header("QVNTST", 5));
    DataFile reader;
    int version = 0;
    LoadDataFile(reader, nullptr, "empty.bin", "QVNTST", version, 251, false);
    ASSERT_TRUE(reader.IsOpen());
    EXPECT_EQ(reader.mode, DataFileLoaded);
    EXPECT_EQ(version, 5);
    EXPECT_FALSE(reader.Overran());
    EXPECT_EQ(ReadByte(reader), -1);
    EXPECT_TRUE(reader.Overran());
}

TEST_F(DataFileTest, ReadFloatClampedLimitsAndRefusesNotANumber)
{
    struct Case {
        float stored, expected;
    };
    const Case cases[] = {{5.0f, 1.0f}, {-3.0f, 0.0f}, {0.25f, 0.25f}, {__builtin_nanf(""), 0.0f}};
    for (const Case& c : cases) {
        std::string file = Header("QVNTST", 1) + std::string(4, '\0');
        uint32_t bits = FloatBits(c.stored);
        for (int i = 0; i < 4; i++)
            file[8 + i] = static_cast<char>(bits >> (8 * i));
        std::vector<uint8_t> image = Bytes(file);
        DataFile reader;
        int version = 0;
        OpenDataBlock(reader, image.data(), image.size(), version);
        EXPECT_EQ(ReadFloatClamped(reader, 0.0f, 1.0f), c.expected) << c.stored;
    }
}

TEST_F(DataFileTest, StringFieldsHaveExactLengths)
{
    DataFile writer;
    CreateDataFile(writer, nullptr, "s.bin", "QVNTST", 1);
    ASSERT_TRUE(writer.IsOpen());
    WriteFixedString(writer, "abc", 6);
    WritePaddedString(writer, "abcdefgh", 6);
    WriteFixedString(writer, "x", 1);
    WritePadding(writer, 7);
    WriteFixedString(writer, "", 70);
    ASSERT_EQ(CloseDataFile(writer), 1);
    EXPECT_EQ(folder.ReadFile("s.bin"), Header("QVNTST", 1) + std::string("abc\0\0\0abcde\0\0", 13) +
                                            std::string(4, '\0') + std::string(70, '\0'));
}

TEST_F(DataFileTest, ColourStringFieldDropsColourCodes)
{
    DataFile writer;
    CreateDataFile(writer, nullptr, "c.bin", "QVNTST", 1);
    WriteColourStringToFile(writer, "^1Ab^8c", 8);
    ASSERT_EQ(CloseDataFile(writer), 1);
    EXPECT_EQ(folder.ReadFile("c.bin").substr(8), std::string("Ab^Lc\0\0\0", 8));
}

TEST_F(DataFileTest, CreateRefusesBadMagicAndUnwritablePaths)
{
    for (const char* magic : {"QVNTS", "QVNTSTX"}) {
        DataFile writer;
        CreateDataFile(writer, nullptr, "bad.bin", magic, 1);
        EXPECT_FALSE(writer.IsOpen());
    }
    EXPECT_EQ(FileExists("bad.bin"), 0);
    EXPECT_EQ(FileExists("bad.bin.tmp"), 0);

    DataFile writer;
    CreateDataFile(writer, nullptr, "no_folder\\x.bin", "QVNTST", 1);
    EXPECT_FALSE(writer.IsOpen());
    EXPECT_EQ(Log(),
              "CreateDataFile : Id length not 6\r\n"
              "CreateDataFile : Id length not 6\r\n"
              "CreateDataFile : Could not create file : no_folder/x.bin\r\n");
}

// A save that cannot finish keeps the last good copy and says so.
TEST_F(DataFileTest, FailedSaveKeepsTheOldFile)
{
    const std::string old = Header("QVNTST", 1) + "old contents";
    folder.WriteFile("save.bin", old);

    {
        // Leaving a writer unclosed abandons it.
        DataFile writer;
        CreateDataFile(writer, nullptr, "save.bin", "QVNTST", 2);
        WriteInt(writer, 7);
    }
    EXPECT_EQ(folder.ReadFile("save.bin"), old);

    // A disk that fills up: writes beyond a file-size limit fail.
    struct rlimit saved {};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = saved;
    small.rlim_cur = 4096;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    DataFile writer;
    CreateDataFile(writer, nullptr, "save.bin", "QVNTST", 2);
    ASSERT_TRUE(writer.IsOpen());
    std::vector<uint8_t> big(100000, 0x55);
    WriteBlock(writer, big.data(), static_cast<int>(big.size()));
    int result = CloseDataFile(writer);
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previousHandler);

    EXPECT_EQ(result, 0);
    EXPECT_EQ(folder.ReadFile("save.bin"), old);
    EXPECT_EQ(FileExists("save.bin.tmp"), 0);
    EXPECT_NE(Log().find("CloseDataFile : save failed, old file kept : save.bin"), std::string::npos);
}

TEST_F(DataFileTest, WholeFileHelpers)
{
    folder.WriteFile("a.bin", "12345");
    folder.WriteFile("b.bin", "12345");
    folder.WriteFile("c.bin", "123456");
    folder.WriteFile("dir/x", "");

    EXPECT_EQ(FileExists("A.BIN"), 1);
    EXPECT_EQ(FileExists("dir"), 0);
    EXPECT_EQ(FileExists("none.bin"), 0);
    EXPECT_EQ(GetFileLength("c.bin"), 6);
    EXPECT_EQ(GetFileLength("none.bin"), 0);

    EXPECT_EQ(CompareFiles("a.bin", "b.bin"), 1);
    EXPECT_EQ(CompareFiles("a.bin", "c.bin"), 2);
    EXPECT_EQ(CompareFiles("a.bin", "none.bin"), 0);

    EXPECT_EQ(CopyWholeFile("c.bin", "a.bin"), 1);
    EXPECT_EQ(folder.ReadFile("a.bin"), "123456");
    EXPECT_EQ(CopyWholeFile("c.bin", "c.bin"), 1);
    EXPECT_EQ(folder.ReadFile("c.bin"), "123456");
    EXPECT_EQ(CopyWholeFile("none.bin", "b.bin"), 0);
    EXPECT_EQ(folder.ReadFile("b.bin"), "12345");

    EXPECT_EQ(CanAppendFile("new.log"), 1);
    EXPECT_EQ(FileExists("new.log"), 1);
    EXPECT_EQ(CanAppendFile("dir"), 0);
}

TEST_F(DataFileTest, FileTimeIsMinutesSince1601)
{
    folder.WriteFile("t.bin", "");
    struct timespec times[2] = {{0, 0}, {0, 0}};  // 1970-01-01 00:00 UTC
    ASSERT_EQ(utimensat(AT_FDCWD, "t.bin", times, 0), 0);
    EXPECT_EQ(GetFileTimeMinutes("t.bin"), 194074560);  // 11644473600 s / 60
    times[1].tv_sec = 59 + 60;
    ASSERT_EQ(utimensat(AT_FDCWD, "t.bin", times, 0), 0);
    EXPECT_EQ(GetFileTimeMinutes("T.BIN"), 194074561);
    EXPECT_EQ(GetFileTimeMinutes("none.bin"), 0);
}
