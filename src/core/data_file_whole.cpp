// Whole-file helpers of the data-file layer: existence, size, time, copy and
// comparison, with no header involved.
#include <vector>

#include "core/services.h"
#include "platform/files.h"

int GetFileTimeMinutes(std::string_view path)
{
    int64_t minutes = platform::FileTimeMinutes(path);
    return minutes > 0 ? static_cast<int>(minutes) : 0;
}

int FileExists(std::string_view path)
{
    // A folder opens for reading on this system, never on the one the game
    // was made for; only regular files count.
    if (!platform::FileExists(path))
        return 0;
    FILE* file = platform::OpenFile(path, "rb");
    if (!file)
        return 0;
    std::fclose(file);
    return 1;
}

int64_t GetFileLength(std::string_view path)
{
    if (!FileExists(path))
        return 0;
    int64_t size = platform::FileSize(path);
    return size > 0 ? size : 0;
}

int CanAppendFile(std::string_view path)
{
    if (platform::FolderExists(path))
        return 0;
    FILE* file = platform::OpenFile(path, "ab");
    if (!file)
        return 0;
    std::fclose(file);
    return 1;
}

int CopyWholeFile(std::string_view source, std::string_view destination)
{
    std::vector<uint8_t> bytes;
    if (!platform::ReadWholeFile(source, bytes)) {
        LogPrintf("CopyWholeFile : could not read : %.*s", static_cast<int>(source.size()),
                  source.data());
        return 0;
    }
    if (!platform::WriteWholeFile(destination, bytes.data(), bytes.size())) {
        LogPrintf("CopyWholeFile : could not write : %.*s", static_cast<int>(destination.size()),
                  destination.data());
        return 0;
    }
    return 1;
}

int CompareFiles(std::string_view first, std::string_view second)
{
    std::vector<uint8_t> a, b;
    if (!platform::ReadWholeFile(first, a) || !platform::ReadWholeFile(second, b))
        return 0;
    return a == b ? 1 : 2;
}
