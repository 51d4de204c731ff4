// Files and folders as the game names them: paths written with backslashes
// and matched without regard to case, file times in minutes since 1601,
// and saves that never destroy the last good copy.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// Turns a game path ("data\misc\usr.bin") into the Linux path to use:
// backslashes become slashes and, where the exact name is missing, each
// component is matched case-insensitively (ASCII letters only) against what
// the folder holds. Components that match nothing keep their own spelling,
// so a new file is created under the name given.
std::string NativePath(std::string_view gamePath);

// Opens a file through NativePath. The mode is fopen's; files are always
// binary on this system, text conversion is done by the text helpers below.
FILE* OpenFile(std::string_view gamePath, const char* mode);

bool FileExists(std::string_view gamePath);   // a regular file
bool FolderExists(std::string_view gamePath);
int64_t FileSize(std::string_view gamePath);  // -1 when absent

// Creates one folder; returns 1 when it exists afterwards.
int MakeFolder(std::string_view gamePath);
// Returns 1 when the file was removed.
int RemoveFile(std::string_view gamePath);
// Renames, replacing an existing target; returns 1 on success.
int RenameFile(std::string_view fromGamePath, std::string_view toGamePath);

// Minutes between 1601-01-01 and 1970-01-01 UTC.
constexpr int64_t UnixEpochIn1601Minutes = 11644473600LL / 60;

// Last write time in whole minutes since 1601-01-01 UTC; -1 when absent.
int64_t FileTimeMinutes(std::string_view gamePath);
// Last write time as a file time: 100 ns units since 1601-01-01 UTC; -1 when absent.
int64_t FileTime100ns(std::string_view gamePath);
// The current time as a file time (100 ns units since 1601).
int64_t NowFileTime100ns();

// One entry of a folder listing.
struct FolderEntry {
    std::string name;          // without the folder
    bool isFolder = false;
    int64_t fileTime100ns = 0; // last write, 100 ns units since 1601
    int64_t size = 0;
};

// Lists a folder's entries whose names match the pattern ("*.spr"; '*' and
// '?' wildcards, case-insensitive), sorted by name in byte order.
std::vector<FolderEntry> ListFolder(std::string_view gameFolder, std::string_view pattern = "*");

// Reads a whole file; returns 1 on success, 0 when it cannot be read.
int ReadWholeFile(std::string_view gamePath, std::vector<uint8_t>& bytes);

// Reads a file in text mode as the game's text files expect: CR LF becomes
// LF and a Ctrl+Z (0x1A) ends the text. Returns 1 on success.
int ReadTextFile(std::string_view gamePath, std::string& text);

// Turns LF line ends into CR LF, for files written in text mode.
std::string TextWithCrLf(std::string_view text);

// A file saved in place of another: the bytes go to "<name>.tmp", and only
// when every write and the close succeeded is the temporary renamed over
// the old file. A save that fails or is abandoned leaves the old file as it
// was. Destroying an uncommitted AtomicFile abandons it.
class AtomicFile {
public:
    AtomicFile() = default;
    ~AtomicFile();
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    // Returns 1 when the temporary file is open for writing.
    int Open(std::string_view gamePath);
    bool IsOpen() const { return stream != nullptr; }
    // The stream to write to; write errors are noticed at Commit.
    FILE* Stream() { return stream; }
    // Writes bytes; returns 1 when all were written.
    int Write(const void* data, size_t size);
    // Flushes, closes and renames into place; returns 1 on success.
    int Commit();
    // Closes and deletes the temporary file; the old file stays.
    void Abandon();

private:
    FILE* stream = nullptr;
    bool failed = false;
    std::string finalPath;
    std::string tempPath;
};

// Saves a whole buffer through AtomicFile; returns 1 on success.
int WriteWholeFile(std::string_view gamePath, const void* data, size_t size);

} // namespace platform
