// File lists: one listing of a folder, filtered, cut and kept sorted by
// name, time or language as the entries go in.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <string>
#include <string_view>

#include "platform/files.h"
#include "ui/local.h"

namespace {

constexpr const char* LanguageNames[] = {
    "English", "Deutsch", "Portuguese", "French", "Suomi", "Norsk", "Nederlands", "Catalan", "Turkish",
    "Castellano", "Italiano", "Dansk", "Czech", "Russian", "Estonian", "Serbian", "Greek", "Polski", "Croatian",
    "Hungarian", "Brazilian", "Swedish", "Slovak", "Galego", "Slovenski", "Belarussian", "Latvian", "Lithuanian",
    "Traditional_Chinese", "Simplified_Chinese", "Japanese", "Korean", "Bulgarian",
};
constexpr int UnlistedLanguageOrder = 255;
// Setup names begin with a car code and "_": 5 to 19 characters.
constexpr int SetupNameMin = 5, SetupNameMax = 19, SetupNameMark = 3;
constexpr int64_t FileTimeUnitsPerSecond = 10000000;
constexpr int64_t UnixEpochInFileTimeSeconds = platform::UnixEpochIn1601Minutes * 60;

// -1, 0 or 1 as a is below, equal to or above b, letters compared without
// regard to case.
int CompareNoCase(const char* a, const char* b)
{
    for (;; ++a, ++b) {
        const unsigned char ca = static_cast<unsigned char>(AsciiToUpper(*a));
        const unsigned char cb = static_cast<unsigned char>(AsciiToUpper(*b));
        if (ca != cb)
            return ca < cb ? -1 : 1;
        if (ca == 0)
            return 0;
    }
}

// A pattern split into its folder (game path) and the file part.
struct SplitPattern {
    std::string folder;
    std::string files;
};

SplitPattern SplitAtFolder(const char* pattern)
{
    std::string_view text(pattern);
    const size_t slash = text.find_last_of("\\/");
    if (slash == std::string_view::npos)
        return {".", std::string(text)};
    return {std::string(text.substr(0, slash)), std::string(text.substr(slash + 1))};
}

// The name as listed: cut at its last "." unless the pattern keeps
// extensions, then to maxNameLength - 1 characters.
void CutName(char* out, const std::string& fileName, bool keepExtension, int maxNameLength)
{
    size_t length = fileName.size();
    if (!keepExtension) {
        const size_t dot = fileName.find_last_of('.');
        if (dot != std::string::npos)
            length = dot;
    }
    length = std::min<size_t>(length, static_cast<size_t>(maxNameLength - 1));
    std::memcpy(out, fileName.data(), length);
    out[length] = '\0';
}

// The checks of the scan's filter on a listed name.
struct ScanFilter {
    int sortKind = 0;
    const char* excludedPrefix = nullptr;
    int singleByteOnly = 0;
    int skipDuplicates = 0;
};

bool PassesFilter(const ScanFilter& filter, const char* name, const FileList& list)
{
    const size_t length = std::strlen(name);
    if (length == 0)
        return false;
    if (filter.sortKind == FileSortSetupNames &&
        (length < SetupNameMin || length > SetupNameMax || name[SetupNameMark] != '_'))
        return false;
    if (filter.excludedPrefix != nullptr && filter.excludedPrefix[0] != 0 &&
        StartsWithNoCase(name, filter.excludedPrefix))
        return false;
    if (filter.singleByteOnly &&
        std::any_of(name, name + length, [](char c) { return static_cast<unsigned char>(c) > 126; }))
        return false;
    if (filter.skipDuplicates && std::any_of(list.entries.begin(), list.entries.end(),
                                             [&](const FileEntry& e) { return EqualsNoCase(e.name, name); }))
        return false;
    return true;
}

void FillTimeTexts(FileEntry& entry)
{
    const time_t seconds = static_cast<time_t>(entry.fileTime / FileTimeUnitsPerSecond - UnixEpochInFileTimeSeconds);
    struct tm utc {};
    gmtime_r(&seconds, &utc);
    std::snprintf(entry.timeText, sizeof entry.timeText, "%.2d:%.2d.%.2d", utc.tm_hour, utc.tm_min, utc.tm_sec);
    // Day, month and the year's last two digits: each at most two digits.
    std::snprintf(entry.dateText, sizeof entry.dateText, "%u/%u/%.2u", unsigned(utc.tm_mday) % 100u,
                  unsigned(utc.tm_mon + 1) % 100u, unsigned(utc.tm_year + 1900) % 100u);
}

// Where a new entry goes so that the list stays sorted: before the first
// entry not below its full name, not newer, or of equal or higher order.
size_t SortedPlace(const FileList& list, const FileEntry& entry, const std::string& fullName, int sortKind)
{
    const auto first = [&](auto stopsHere) {
        return static_cast<size_t>(std::find_if(list.entries.begin(), list.entries.end(), stopsHere) -
                                   list.entries.begin());
    };
    if (sortKind == FileSortByTime || sortKind == FileSortSetupNames)
        return first([&](const FileEntry& e) { return e.fileTime <= entry.fileTime; });
    if (sortKind == FileSortByLanguage)
        return first([&](const FileEntry& e) { return e.languageOrder >= entry.languageOrder; });
    return first([&](const FileEntry& e) { return CompareNoCase(e.name, fullName.c_str()) >= 0; });
}

// Adds the files of one listing that pass the filter; fromSecond marks
// those of the second pattern.
void AddListedFiles(FileList& list, const std::vector<platform::FolderEntry>& files, const ScanFilter& filter,
                    bool keepExtension, bool fromSecond)
{
    for (const platform::FolderEntry& file : files) {
        if (file.isFolder)
            continue;
        FileEntry entry;
        CutName(entry.name, file.name, keepExtension, list.maxNameLength);
        if (!PassesFilter(filter, entry.name, list))
            continue;
        entry.fileTime = file.fileTime100ns;
        entry.fromSecond = fromSecond ? 1 : 0;
        entry.languageOrder = static_cast<uint8_t>(LanguageOrder(entry.name));
        FillTimeTexts(entry);
        list.entries.insert(list.entries.begin() + static_cast<std::ptrdiff_t>(
                                                       SortedPlace(list, entry, file.name, filter.sortKind)),
                            entry);
    }
}

std::vector<platform::FolderEntry> ListPattern(const char* pattern)
{
    if (pattern == nullptr || pattern[0] == 0)
        return {};
    const SplitPattern split = SplitAtFolder(pattern);
    return platform::ListFolder(split.folder, split.files);
}

} // namespace

void ClearFileList(FileList& list)
{
    list.selection = -1;
    list.firstRow = 0;
    list.entries.clear();
    list.entries.shrink_to_fit();
}

int ScanFileList(FileList& list, const char* pattern, int sortKind, int maxNameLength, const char* excludedPrefix,
                 int singleByteOnly, const char* secondPattern, int skipDuplicates)
{
    ClearFileList(list);
    list.maxNameLength = std::clamp(maxNameLength, 1, FileNameSize);
    const ScanFilter filter{sortKind, excludedPrefix, singleByteOnly, skipDuplicates};
    const std::vector<platform::FolderEntry> first = ListPattern(pattern);
    const bool firstMatched = std::any_of(first.begin(), first.end(), [](const auto& f) { return !f.isFolder; });
    const std::vector<platform::FolderEntry> second =
        secondPattern != nullptr ? ListPattern(secondPattern) : std::vector<platform::FolderEntry>{};
    list.entries.reserve(first.size() + second.size());
    if (firstMatched) {
        const size_t length = std::strlen(pattern);
        AddListedFiles(list, first, filter, pattern[length - 1] == '*', false);
    }
    if (secondPattern != nullptr && secondPattern[0] != 0) {
        const size_t length = std::strlen(secondPattern);
        AddListedFiles(list, second, filter, secondPattern[length - 1] == '*', firstMatched);
    }
    return list.Count();
}

int NewestFile(const FileList& list)
{
    int newest = 0;
    for (int i = 1; i < list.Count(); ++i) {
        if (list.entries[i].fileTime > list.entries[newest].fileTime)
            newest = i;
    }
    return newest;
}

void MarkAllFiles(FileList& list)
{
    for (FileEntry& entry : list.entries)
        entry.fromSecond = 1;
}

void ResolveLanguageNames(FileList& list, const char* folder)
{
    RemoveFile(list, "max_len");
    for (FileEntry& entry : list.entries) {
        char path[256];
        std::snprintf(path, sizeof path, "%s\\%s.txt", folder, entry.name);
        entry.displayName[0] = '\0';
        ReadLanguageHeader(path, entry.displayName, sizeof entry.displayName);
        if (entry.displayName[0] == '\0') {
            const size_t length = std::min(std::strlen(entry.name), sizeof entry.displayName - 1);
            std::memcpy(entry.displayName, entry.name, length);
            entry.displayName[length] = '\0';
        }
    }
}

void RemoveFile(FileList& list, const char* name)
{
    std::erase_if(list.entries, [&](const FileEntry& e) { return EqualsNoCase(e.name, name); });
    if (list.entries.empty())
        ClearFileList(list);
    else if (list.selection >= list.Count())
        list.selection = list.Count() - 1;
}

int SelectFile(FileList& list, const char* name)
{
    const char* dot = std::strchr(name, '.');
    const std::string base(name, dot != nullptr ? static_cast<size_t>(dot - name) : std::strlen(name));
    list.selection = -1;
    for (int i = 0; i < list.Count(); ++i) {
        if (EqualsNoCase(list.entries[i].name, base.c_str()))
            list.selection = i;
    }
    return list.selection;
}

int FindFile(const FileList& list, const char* text)
{
    for (int i = 0; i < list.Count(); ++i) {
        if (StartsWithNoCase(list.entries[i].name, text))
            return i;
    }
    return -1;
}

int LanguageOrder(const char* name)
{
    const int index = FindInList(name, LanguageNames, static_cast<int>(std::size(LanguageNames)));
    return index >= 0 ? index : UnlistedLanguageOrder;
}

int IsSafeFileName(const char* name)
{
    if (name == nullptr || name[0] == '\0' || std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0)
        return 0;
    for (const char* p = name; *p != 0; ++p) {
        const unsigned char c = static_cast<unsigned char>(*p);
        if (c < 32 || c == '/' || c == '\\' || c == ':')
            return 0;
    }
    return 1;
}
