// File lists: a sorted snapshot of the files whose paths match a pattern,
// with names cut at the extension, modification times as texts and
// optional filters; the screens that pick a replay, layout, setup, skin,
// profile or language keep one.
#pragma once

#include <cstdint>
#include <vector>

struct Screen;

constexpr int FileNameSize = 64;      // a listed name's room, terminator included
constexpr int FileDisplayNameSize = 32;
constexpr int FileStampSize = 12;

struct FileEntry {
    char name[FileNameSize] = {};        // without path, cut at the last "." unless the pattern ends in "*"
    char displayName[FileDisplayNameSize] = {};  // a language list: the language's own name
    char timeText[FileStampSize] = {};   // "hh:mm.ss" of the modification time (UTC)
    char dateText[FileStampSize] = {};   // "d/m/yy" (UTC)
    int64_t fileTime = 0;                // modification time, 100 ns units since 1601
    uint8_t fromSecond = 0;              // 1 from the second pattern (or MarkAllFiles)
    uint8_t languageOrder = 0;           // 0 English, 1..32 the listed languages, 255 others
};

// Sort kinds of ScanFileList.
enum : int {
    FileSortByName = 0,
    FileSortByTime = 1,
    FileSortSetupNames = 2,  // by time; only names of 5 to 19 characters with "_" fourth
    FileSortByLanguage = 3,
};

struct FileList {
    int selection = -1;     // selected entry, -1 none
    int firstRow = 0;       // first row drawn
    int maxNameLength = FileNameSize;  // names keep at most maxNameLength - 1 characters
    std::vector<FileEntry> entries;    // sorted; empty when nothing was found

    int Count() const { return static_cast<int>(entries.size()); }
};

// Empties the list (selection -1, no entries).
void ClearFileList(FileList& list);
// Rebuilds the list from one listing of the pattern's folder (a game path
// such as "data\spr\*.spr"; the second pattern instead when the first
// matches nothing, else after it): names beginning with the excluded
// prefix, names with characters above 126 when single-byte only, folders
// and, with skip duplicates, names already listed are left out. Returns
// the count.
int ScanFileList(FileList& list, const char* pattern, int sortKind, int maxNameLength, const char* excludedPrefix,
                 int singleByteOnly, const char* secondPattern, int skipDuplicates);
// Index of the newest entry (the first on a tie; 0 when empty).
int NewestFile(const FileList& list);
void MarkAllFiles(FileList& list);
// Removes "max_len" and gives every other entry the language's own name
// from its file (folder: where the language files are, game path).
void ResolveLanguageNames(FileList& list, const char* folder);
// Removes every entry of that name (case ignored).
void RemoveFile(FileList& list, const char* name);
// Selects the last entry whose name equals name up to its first "."
// (case ignored); the selection, -1 when none.
int SelectFile(FileList& list, const char* name);
// The first index whose name begins with text (case ignored), or -1.
int FindFile(const FileList& list, const char* text);
// The language sort key of a name: 0 English, 1..32 the listed ones, 255.
int LanguageOrder(const char* name);
// 1 when a name typed or listed can be a file in its folder: not empty, no
// path separator or drive colon, not "." or "..", no control character.
int IsSafeFileName(const char* name);
