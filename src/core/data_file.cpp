// The binary data-file layer: header check, the three reading modes and the
// streaming writer that every binary file of the game goes through.
#include <sys/stat.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "core/services.h"
#include "platform/check.h"
#include "platform/files.h"

namespace {

// The failure texts are translatable and read at the moment of failure, so
// they follow the current language; this one is not translated.
constexpr const char* TextIdLengthNot6 = "Id length not 6";

constexpr int HeaderSize = 8;
constexpr int MagicLength = 6;

// Reports a failure as "operation : text path", the path as this system
// shows it. It goes to the debug log;
// showing it on the caller's screen waits for the user interface's message
// dialog.
void ReportDataFileError(Screen* screen, const char* operation, const char* text,
                         std::string_view path)
{
    (void)screen;
    if (path.empty())
        LogPrintf("%s : %s", operation, text);
    else
        LogPrintf("%s : %s %s", operation, text, DisplayPath(path).c_str());
}

} // namespace

// The file being saved, and its name for the log.
struct DataFileWriter {
    platform::AtomicFile file;
    std::string path;
};

DataFile::~DataFile()
{
    // A writer that was never closed is abandoned: its save did not finish.
    if (writer)
        writer->file.Abandon();
    if (open)
        CloseDataFile(*this);
}

const char* OpenDataFile(DataFile& reader, Screen*, std::string_view path, const char* magic,
                         int& version, int maxVersion)
{
    CloseDataFile(reader);
    reader.overran = false;
    FILE* file = platform::OpenFile(path, "rb");
    if (!file)
        return GetText(TX_3a_cnocolon);
    reader.mode = DataFileStream;
    reader.file = file;
    reader.open = true;

    // The expected magic as six bytes: a shorter one is zero filled, so it
    // can only match a file that holds those zeros.
    uint8_t expected[MagicLength] = {};
    std::memcpy(expected, magic, strnlen(magic, MagicLength));
    bool mismatch = false;
    for (int i = 0; i < MagicLength; i++) {
        // A byte missing at the end of the file reads as -1 and never matches.
        if (ReadByte(reader) != expected[i])
            mismatch = true;
    }
    if (mismatch) {
        CloseDataFile(reader);
        return GetText(TX_3a_filenohc);
    }
    // Missing version bytes read as 0xFF, so a file cut short here is refused
    // as a later version.
    int high = ReadByte(reader) & 0xFF;
    int low = ReadByte(reader) & 0xFF;
    version = high << 8 | low;
    if (version > maxVersion) {
        CloseDataFile(reader);
        return GetText(TX_3a_latervfl);
    }
    return nullptr;
}

const char* LoadDataFile(DataFile& reader, Screen* screen, std::string_view path, const char* magic,
                         int& version, int maxVersion, bool stream)
{
    const char* error = OpenDataFile(reader, screen, path, magic, version, maxVersion);
    if (!error && !stream) {
        FILE* file = reader.file;
        long length = -1;
        if (std::fseek(file, 0, SEEK_END) == 0)
            length = std::ftell(file);
        if (length < HeaderSize || std::fseek(file, HeaderSize, SEEK_SET) != 0) {
            error = GetText(TX_3a_cnocolon);
        } else {
            size_t size = static_cast<size_t>(length - HeaderSize);
            uint8_t* copy = new uint8_t[size];
            size_t got = size ? std::fread(copy, 1, size, file) : 0;
            if (got != size || std::ferror(file)) {
                delete[] copy;
                error = GetText(TX_3a_cnocolon);
            } else {
                std::fclose(file);
                reader.file = nullptr;
                reader.mode = DataFileLoaded;
                reader.image = copy;
                reader.cursor = copy;
                reader.end = copy + size;
            }
        }
        if (error)
            CloseDataFile(reader);
    }
    if (error)
        ReportDataFileError(screen, "LoadDataFile", error, path);
    return error;
}

void OpenDataBlock(DataFile& reader, const uint8_t* image, size_t size, int& version)
{
    CloseDataFile(reader);
    reader.overran = false;
    reader.mode = DataFileImage;
    reader.open = true;
    reader.cursor = image;
    reader.end = image + size;
    // The version sits in bytes 6 and 7; an image too short for the header
    // reads its missing bytes as 0xFF and counts as an overrun.
    uint8_t header[HeaderSize];
    ReadBlock(reader, header, HeaderSize);
    version = header[6] << 8 | header[7];
}

void CreateDataFile(DataFile& writer, Screen* screen, std::string_view path, std::string_view magic,
                    int version)
{
    CloseDataFile(writer);
    writer.overran = false;
    if (magic.size() != MagicLength) {
        ReportDataFileError(screen, "CreateDataFile", TextIdLengthNot6, {});
        return;
    }
    auto* file = new DataFileWriter;
    file->path = path;
    if (!file->file.Open(path)) {
        delete file;
        ReportDataFileError(screen, "CreateDataFile", GetText(TX_3a_nocrtfil), path);
        return;
    }
    writer.mode = DataFileStream;
    writer.writer = file;
    writer.open = true;
    WriteBlock(writer, magic.data(), MagicLength);
    WriteByte(writer, version >> 8);
    WriteByte(writer, version);
}

int CloseDataFile(DataFile& file)
{
    int result = 1;
    if (file.writer) {
        if (!file.writer->file.Commit()) {
            result = 0;
            LogPrintf("CloseDataFile : save failed, old file kept : %s", file.writer->path.c_str());
        }
        delete file.writer;
    }
    if (file.file)
        std::fclose(file.file);
    delete[] file.image;
    file.mode = DataFileStream;
    file.file = nullptr;
    file.writer = nullptr;
    file.image = nullptr;
    file.cursor = nullptr;
    file.end = nullptr;
    file.open = false;
    return result;
}

// Streaming writes go through here, so a failed write is remembered by the
// temporary file and the save refused at close.
static void WriteRaw(DataFile& writer, const void* bytes, size_t size)
{
    if (!writer.writer) {
        QV_CHECK(writer.writer != nullptr);
        return;
    }
    writer.writer->file.Write(bytes, size);
}

// Reading -------------------------------------------------------------------

int64_t DataFileBytesLeft(const DataFile& reader)
{
    if (!reader.open)
        return 0;
    if (reader.mode != DataFileStream)
        return reader.end - reader.cursor;
    if (!reader.file)
        return 0;
    long position = std::ftell(reader.file);
    struct stat info {};
    if (position < 0 || fstat(fileno(reader.file), &info) != 0)
        return 0;
    return std::max<int64_t>(0, static_cast<int64_t>(info.st_size) - position);
}

int ReadByteSlow(DataFile& reader)
{
    if (reader.cursor < reader.end)
        return *reader.cursor++;
    if (reader.mode == DataFileStream && reader.file) {
        int byte = std::getc(reader.file);
        if (byte != EOF)
            return byte;
    }
    reader.overran = true;
    return -1;
}

uint32_t ReadBytesLittleEndianSlow(DataFile& reader, int count)
{
    uint32_t value = 0;
    for (int i = 0; i < count; i++)
        value |= static_cast<uint32_t>(ReadByte(reader) & 0xFF) << (8 * i);
    return value;
}

float ReadFloatClamped(DataFile& reader, float min, float max)
{
    float value = ReadFloat(reader);
    if (std::isnan(value) || value < min)
        return min;
    if (value > max)
        return max;
    return value;
}

void ReadBytes(DataFile& reader, void* buffer, int n)
{
    QV_CHECK(n >= 0);
    auto* out = static_cast<uint8_t*>(buffer);
    for (int i = 0; i < n; i++)
        out[i] = static_cast<uint8_t>(ReadByte(reader));
}

void ReadBlock(DataFile& reader, void* buffer, int n)
{
    QV_CHECK(n >= 0);
    if (n <= 0)
        return;
    auto* out = static_cast<uint8_t*>(buffer);
    size_t wanted = static_cast<size_t>(n);
    size_t got = 0;
    if (reader.cursor < reader.end) {
        got = std::min(wanted, static_cast<size_t>(reader.end - reader.cursor));
        std::memcpy(out, reader.cursor, got);
        reader.cursor += got;
    } else if (reader.mode == DataFileStream && reader.file) {
        got = std::fread(out, 1, wanted, reader.file);
    }
    if (got < wanted) {
        std::memset(out + got, 0xFF, wanted - got);
        reader.overran = true;
    }
}

// Writing -------------------------------------------------------------------

void WriteByte(DataFile& writer, int value)
{
    uint8_t byte = static_cast<uint8_t>(value);
    WriteRaw(writer, &byte, 1);
}

void WriteShort(DataFile& writer, int value)
{
    uint8_t bytes[2] = {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8)};
    WriteRaw(writer, bytes, sizeof bytes);
}

void WriteInt(DataFile& writer, int value)
{
    uint32_t bits = static_cast<uint32_t>(value);
    uint8_t bytes[4] = {static_cast<uint8_t>(bits), static_cast<uint8_t>(bits >> 8),
                        static_cast<uint8_t>(bits >> 16), static_cast<uint8_t>(bits >> 24)};
    WriteRaw(writer, bytes, sizeof bytes);
}

void WriteFloat(DataFile& writer, float value)
{
    uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    WriteInt(writer, static_cast<int>(bits));
}

void WriteBlock(DataFile& writer, const void* buffer, int n)
{
    QV_CHECK(n >= 0);
    if (n > 0)
        WriteRaw(writer, buffer, static_cast<size_t>(n));
}

void WriteFixedString(DataFile& writer, const char* text, int n)
{
    QV_CHECK(n >= 0);
    if (n <= 0)
        return;
    size_t length = strnlen(text, static_cast<size_t>(n - 1));
    WriteRaw(writer, text, length);
    static const uint8_t zeros[64] = {};
    for (size_t left = static_cast<size_t>(n) - length; left > 0;) {
        size_t part = std::min(left, sizeof zeros);
        WriteRaw(writer, zeros, part);
        left -= part;
    }
}

void WritePaddedString(DataFile& writer, const char* text, int n)
{
    WriteFixedString(writer, text, n);
}

void WritePadding(DataFile& writer, int n)
{
    for (int i = 0; i < n / 4; i++)
        WriteInt(writer, 0);
}

void WriteColourStringToFile(DataFile& writer, const char* text, int n)
{
    QV_CHECK(n >= 0);
    if (n <= 0)
        return;
    char small[256];
    std::vector<char> large;
    char* field = small;
    if (n > static_cast<int>(sizeof small)) {
        large.resize(static_cast<size_t>(n));
        field = large.data();
    }
    StripColourCodes(field, text, n, 0);
    WriteRaw(writer, field, static_cast<size_t>(n));
}
