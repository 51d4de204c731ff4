// Binary data files: the reader and writer every file format goes through,
// and whole-file helpers.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string_view>

// Binary data files (DataFile).
//
// Every binary file starts with an 8-byte header: six ASCII characters naming
// the kind of file (six zero bytes in car data), then the format version,
// high byte first. The values after it are little-endian: bytes, signed
// 16-bit and 32-bit integers, 32-bit floats, zero-filled fixed strings and
// raw blocks.
//
// A reader streams from the open file, reads a copy of the whole file that
// it loaded, or reads a complete file image that its caller holds. Reads past
// the end never leave the data: each missing byte reads as 0xFF (ReadByte
// gives -1), and the reader remembers the overrun so that a loader can refuse
// the file. Writers stream to "<name>.tmp"; CloseDataFile renames it into
// place only when every write succeeded, so a failed save keeps the old file.

struct Screen;
struct DataFileWriter;

enum DataFileMode : int {
    DataFileStream = 0,  // reads or writes go to the open file
    DataFileImage = 1,   // reads from a file image held by the caller
    DataFileLoaded = 2,  // reads from a copy of the file that the record owns
};

// One open data file, usually a local of its reader or writer. A record
// that goes out of scope still open is closed; a writer closed that way is
// abandoned (the old file stays).
struct DataFile {
    DataFileMode mode = DataFileStream;
    FILE* file = nullptr;                     // streaming reader
    DataFileWriter* writer = nullptr;         // streaming writer
    const uint8_t* cursor = nullptr;          // next byte, memory modes
    const uint8_t* end = nullptr;             // end of the bytes, memory modes
    uint8_t* image = nullptr;                 // the owned copy, loaded mode
    bool open = false;
    bool overran = false;

    DataFile() = default;
    ~DataFile();
    DataFile(const DataFile&) = delete;
    DataFile& operator=(const DataFile&) = delete;

    // Whether an open, load or create succeeded and CloseDataFile has not run.
    bool IsOpen() const { return open; }
    // Whether a read asked for bytes past the end of the file.
    bool Overran() const { return overran; }
};

// Opens a file for streaming reads and checks its header: all six magic
// bytes must match and the version (returned through version) must not be
// above maxVersion. Returns nullptr on success, else the error text; the
// reader is then closed. The screen is not used. Nothing is logged.
const char* OpenDataFile(DataFile& reader, Screen* screen, std::string_view path,
                         const char* magic, int& version, int maxVersion);
// OpenDataFile, then (unless stream is set) reads everything after the
// header into a copy and closes the file. A failure is logged as
// "LoadDataFile : <error text> <path>"; with a screen it is the user's
// message as well. Returns the error text, nullptr on success.
const char* LoadDataFile(DataFile& reader, Screen* screen, std::string_view path, const char* magic,
                         int& version, int maxVersion, bool stream);
// Reads from a complete file image (header included) of size bytes that the
// caller keeps alive; the version comes from image bytes 6 and 7, the magic
// is not checked.
void OpenDataBlock(DataFile& reader, const uint8_t* image, size_t size, int& version);
// Creates the file (through "<path>.tmp") and writes the header; the magic
// must be 6 bytes (car data has six zero bytes there). Failures are logged;
// callers test IsOpen.
void CreateDataFile(DataFile& writer, Screen* screen, std::string_view path, std::string_view magic,
                    int version);
// Closes a reader or writer. For a writer it returns 1 when every write,
// the close and the rename into place succeeded; 0 otherwise, with the old
// file left as it was and a log line. Readers always give 1.
int CloseDataFile(DataFile& file);

// Bytes a reader has left before the end of its file or image; 0 when closed.
int64_t DataFileBytesLeft(const DataFile& reader);
// Whether count records of recordBytes each can still be read: how readers
// check a count taken from the file before they trust it.
inline bool DataFileHolds(const DataFile& reader, int64_t count, int64_t recordBytes)
{
    return count >= 0 && (recordBytes <= 0 || count <= DataFileBytesLeft(reader) / recordBytes);
}

// Out-of-line paths of the readers: streaming, and the end of an image.
int ReadByteSlow(DataFile& reader);
uint32_t ReadBytesLittleEndianSlow(DataFile& reader, int count);

// Next byte, 0..255; -1 past the end of the file.
inline int ReadByte(DataFile& reader)
{
    if (reader.cursor < reader.end)
        return *reader.cursor++;
    return ReadByteSlow(reader);
}
// Next 2 bytes, low first, as a signed 16-bit value.
inline int ReadShort(DataFile& reader)
{
    if (reader.end - reader.cursor >= 2) {
        const uint8_t* p = reader.cursor;
        reader.cursor += 2;
        return static_cast<int16_t>(static_cast<uint16_t>(p[0] | p[1] << 8));
    }
    return static_cast<int16_t>(ReadBytesLittleEndianSlow(reader, 2));
}
// Next 4 bytes, low first, as a 32-bit integer.
inline int ReadInt(DataFile& reader)
{
    if (reader.end - reader.cursor >= 4) {
        const uint8_t* p = reader.cursor;
        reader.cursor += 4;
        return static_cast<int32_t>(static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
                                    static_cast<uint32_t>(p[2]) << 16 |
                                    static_cast<uint32_t>(p[3]) << 24);
    }
    return static_cast<int32_t>(ReadBytesLittleEndianSlow(reader, 4));
}
// Next 4 bytes, low first, as a 32-bit float.
inline float ReadFloat(DataFile& reader)
{
    uint32_t bits = static_cast<uint32_t>(ReadInt(reader));
    float value;
    __builtin_memcpy(&value, &bits, sizeof value);
    return value;
}
// ReadFloat limited to min..max; a value that is not a number gives min.
float ReadFloatClamped(DataFile& reader, float min, float max);
// Reads n bytes into the buffer one at a time (missing bytes read as 0xFF).
void ReadBytes(DataFile& reader, void* buffer, int n);
// Reads n bytes into the buffer as one block (missing bytes read as 0xFF).
void ReadBlock(DataFile& reader, void* buffer, int n);

// Writers. Errors are remembered and reported by CloseDataFile.
void WriteByte(DataFile& writer, int value);          // the low 8 bits
void WriteShort(DataFile& writer, int value);         // 2 bytes, low first
void WriteInt(DataFile& writer, int value);           // 4 bytes, low first
void WriteFloat(DataFile& writer, float value);       // its 4 bytes, as WriteInt
void WriteBlock(DataFile& writer, const void* buffer, int n);
// Exactly n bytes: the text's first n-1 characters, then zeros up to n.
void WriteFixedString(DataFile& writer, const char* text, int n);
// The same n bytes as WriteFixedString.
void WritePaddedString(DataFile& writer, const char* text, int n);
// n/4 zero 32-bit words.
void WritePadding(DataFile& writer, int n);
// Exactly n bytes of the text with its colour codes removed (StripColourCodes);
// zero filled, with no terminator when the converted text fills the field.
void WriteColourStringToFile(DataFile& writer, const char* text, int n);

// Whole-file helpers (no header involved).
// Last write time in whole minutes since 1601-01-01 UTC; 0 when absent.
int GetFileTimeMinutes(std::string_view path);
// 1 when the file opens for binary reading, else 0.
int FileExists(std::string_view path);
// Size in bytes; 0 when the file cannot be opened.
int64_t GetFileLength(std::string_view path);
// 1 when the file opens for appending (an empty file is created when none
// existed), else 0.
int CanAppendFile(std::string_view path);
// Copies the source over the destination (through "<destination>.tmp");
// 1 on success, 0 when either file cannot be read or written.
int CopyWholeFile(std::string_view source, std::string_view destination);
// 1 when both files hold the same bytes, 2 when they differ, 0 when either
// cannot be read.
int CompareFiles(std::string_view first, std::string_view second);
