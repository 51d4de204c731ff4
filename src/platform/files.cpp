// Game paths on a Linux file system, file times and safe saves.
#include "platform/files.h"

#include <dirent.h>
#include <fnmatch.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <ctime>

namespace platform {
namespace {

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameNameIgnoringCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (LowerAscii(a[i]) != LowerAscii(b[i]))
            return false;
    return true;
}

bool PathExists(const std::string& path)
{
    struct stat info {};
    return lstat(path.c_str(), &info) == 0;
}

// Finds an entry of the folder whose name equals the component but for case.
bool FindComponentIgnoringCase(const std::string& folder, std::string_view component, std::string* found)
{
    DIR* dir = opendir(folder.empty() ? "." : folder.c_str());
    if (!dir)
        return false;
    bool ok = false;
    std::string best;
    while (struct dirent* entry = readdir(dir)) {
        std::string_view name = entry->d_name;
        if (SameNameIgnoringCase(name, component)) {
            // Several names can differ only by case on Linux: take the
            // smallest in byte order so the choice is stable.
            if (!ok || name < best)
                best = name;
            ok = true;
        }
    }
    closedir(dir);
    if (ok)
        *found = best;
    return ok;
}

int64_t UnixTo100ns(int64_t seconds, int64_t nanoseconds)
{
    return (seconds + UnixEpochIn1601Minutes * 60) * 10000000LL + nanoseconds / 100;
}

} // namespace

std::string NativePath(std::string_view gamePath)
{
    std::string path(gamePath);
    std::replace(path.begin(), path.end(), '\\', '/');
    if (path.empty() || PathExists(path))
        return path;

    // Walk the components, replacing each that is missing by a match that
    // differs only in case. Once one matches nothing, the rest is kept.
    std::string resolved;
    size_t start = 0;
    if (path[0] == '/') {
        resolved = "/";
        start = 1;
    }
    bool searching = true;
    while (start <= path.size()) {
        size_t end = path.find('/', start);
        if (end == std::string::npos)
            end = path.size();
        std::string component = path.substr(start, end - start);
        if (!component.empty()) {
            std::string candidate = resolved;
            if (!candidate.empty() && candidate.back() != '/')
                candidate += '/';
            std::string exact = candidate + component;
            if (searching && !PathExists(exact)) {
                std::string found;
                std::string folder = resolved.empty() ? "." : resolved;
                if (component != "." && component != ".." && FindComponentIgnoringCase(folder, component, &found))
                    component = found;
                else
                    searching = false;
            }
            resolved = candidate + component;
        }
        if (end == path.size())
            break;
        start = end + 1;
    }
    if (!path.empty() && path.back() == '/' && (resolved.empty() || resolved.back() != '/'))
        resolved += '/';
    return resolved;
}

FILE* OpenFile(std::string_view gamePath, const char* mode)
{
    return std::fopen(NativePath(gamePath).c_str(), mode);
}

bool FileExists(std::string_view gamePath)
{
    struct stat info {};
    return stat(NativePath(gamePath).c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

bool FolderExists(std::string_view gamePath)
{
    struct stat info {};
    return stat(NativePath(gamePath).c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

int64_t FileSize(std::string_view gamePath)
{
    struct stat info {};
    if (stat(NativePath(gamePath).c_str(), &info) != 0 || !S_ISREG(info.st_mode))
        return -1;
    return static_cast<int64_t>(info.st_size);
}

int MakeFolder(std::string_view gamePath)
{
    std::string path = NativePath(gamePath);
    if (mkdir(path.c_str(), 0755) == 0)
        return 1;
    return (errno == EEXIST && FolderExists(path)) ? 1 : 0;
}

int RemoveFile(std::string_view gamePath)
{
    return unlink(NativePath(gamePath).c_str()) == 0 ? 1 : 0;
}

int RenameFile(std::string_view fromGamePath, std::string_view toGamePath)
{
    return std::rename(NativePath(fromGamePath).c_str(), NativePath(toGamePath).c_str()) == 0 ? 1 : 0;
}

int64_t FileTime100ns(std::string_view gamePath)
{
    struct stat info {};
    if (stat(NativePath(gamePath).c_str(), &info) != 0)
        return -1;
    return UnixTo100ns(info.st_mtim.tv_sec, info.st_mtim.tv_nsec);
}

int64_t FileTimeMinutes(std::string_view gamePath)
{
    struct stat info {};
    if (stat(NativePath(gamePath).c_str(), &info) != 0)
        return -1;
    // Floor division, so times before 1970 still fall in the right minute.
    int64_t seconds = static_cast<int64_t>(info.st_mtim.tv_sec) + UnixEpochIn1601Minutes * 60;
    return seconds >= 0 ? seconds / 60 : -((-seconds + 59) / 60);
}

int64_t NowFileTime100ns()
{
    struct timespec ts {};
    clock_gettime(CLOCK_REALTIME, &ts);
    return UnixTo100ns(ts.tv_sec, ts.tv_nsec);
}

std::vector<FolderEntry> ListFolder(std::string_view gameFolder, std::string_view pattern)
{
    std::vector<FolderEntry> entries;
    std::string folder = NativePath(gameFolder);
    DIR* dir = opendir(folder.empty() ? "." : folder.c_str());
    if (!dir)
        return entries;
    std::string patternText(pattern);
    while (struct dirent* entry = readdir(dir)) {
        std::string name = entry->d_name;
        if (name == "." || name == "..")
            continue;
        if (fnmatch(patternText.c_str(), name.c_str(), FNM_CASEFOLD | FNM_PERIOD) != 0)
            continue;
        struct stat info {};
        std::string full = folder.empty() ? name : folder + "/" + name;
        if (stat(full.c_str(), &info) != 0)
            continue;
        FolderEntry item;
        item.name = name;
        item.isFolder = S_ISDIR(info.st_mode);
        item.fileTime100ns = UnixTo100ns(info.st_mtim.tv_sec, info.st_mtim.tv_nsec);
        item.size = static_cast<int64_t>(info.st_size);
        entries.push_back(std::move(item));
    }
    closedir(dir);
    std::sort(entries.begin(), entries.end(),
              [](const FolderEntry& a, const FolderEntry& b) { return a.name < b.name; });
    return entries;
}

int ReadWholeFile(std::string_view gamePath, std::vector<uint8_t>& bytes)
{
    FILE* file = OpenFile(gamePath, "rb");
    if (!file)
        return 0;
    std::vector<uint8_t> data;
    uint8_t block[65536];
    size_t got = 0;
    while ((got = std::fread(block, 1, sizeof block, file)) > 0)
        data.insert(data.end(), block, block + got);
    bool ok = !std::ferror(file);
    std::fclose(file);
    if (!ok)
        return 0;
    bytes = std::move(data);
    return 1;
}

int ReadTextFile(std::string_view gamePath, std::string& text)
{
    std::vector<uint8_t> bytes;
    if (!ReadWholeFile(gamePath, bytes))
        return 0;
    std::string out;
    out.reserve(bytes.size());
    for (size_t i = 0; i < bytes.size(); ++i) {
        char c = static_cast<char>(bytes[i]);
        if (c == 0x1A)
            break;
        if (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n')
            continue;
        out += c;
    }
    text = std::move(out);
    return 1;
}

std::string TextWithCrLf(std::string_view text)
{
    std::string out;
    out.reserve(text.size() + text.size() / 16);
    for (char c : text) {
        if (c == '\n')
            out += '\r';
        out += c;
    }
    return out;
}

AtomicFile::~AtomicFile() { Abandon(); }

int AtomicFile::Open(std::string_view gamePath)
{
    Abandon();
    finalPath = NativePath(gamePath);
    tempPath = finalPath + ".tmp";
    failed = false;
    stream = std::fopen(tempPath.c_str(), "wb");
    return stream ? 1 : 0;
}

int AtomicFile::Write(const void* data, size_t size)
{
    if (!stream)
        return 0;
    if (size != 0 && std::fwrite(data, 1, size, stream) != size)
        failed = true;
    return failed ? 0 : 1;
}

int AtomicFile::Commit()
{
    if (!stream)
        return 0;
    bool ok = !failed && std::fflush(stream) == 0 && !std::ferror(stream);
    ok = (std::fclose(stream) == 0) && ok;
    stream = nullptr;
    if (ok)
        ok = std::rename(tempPath.c_str(), finalPath.c_str()) == 0;
    if (!ok)
        unlink(tempPath.c_str());
    return ok ? 1 : 0;
}

void AtomicFile::Abandon()
{
    if (!stream)
        return;
    std::fclose(stream);
    stream = nullptr;
    unlink(tempPath.c_str());
}

int WriteWholeFile(std::string_view gamePath, const void* data, size_t size)
{
    AtomicFile file;
    if (!file.Open(gamePath))
        return 0;
    file.Write(data, size);
    return file.Commit();
}

} // namespace platform
