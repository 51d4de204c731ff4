// A data file named on the command line: checked, copied into its data
// folder and handed to a running copy; a copy started to end the running
// one; and the running copy's answers to such requests.
#include "app/local.h"
#include "app/services.h"
#include "core/services.h"
#include "platform/files.h"
#include "platform/handover.h"
#include "platform/message_box.h"
#include "net/services.h"
#include "session/services.h"
#include "ui/services.h"

#include <cstdarg>
#include <cstring>
#include <string>

const FileKind FileKindTable[FileKindCount + 1] = {
    {"", "", ""},
    {"SPR", "spr", "QVNSPR"},
    {"MPR", "mpr", "QVNMPR"},
    {"SET", "setups", "ZKSETT"},
    {"LYT", "layout", "QVNLYT"},
};

namespace {

// Command lines this long or longer are refused.
constexpr size_t MaxHandOverLine = 256;
// A file's own name must be shorter than this.
constexpr size_t MaxOwnNameLength = 68;

bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

// Shows an error box (logged once the debug log runs); returns 0, the
// answer that ends the program.
int ShowError(const char* format, ...) __attribute__((format(printf, 1, 2)));
int ShowError(const char* format, ...)
{
    char text[512];
    va_list arguments;
    va_start(arguments, format);
    std::vsnprintf(text, sizeof text, format, arguments);
    va_end(arguments);
    if (DebugLogging)
        LogLine(text);
    platform::ShowMessageBox(platform::MessageBoxKind::Error, "", text);
    CommandLine.handOverRefused = 1;
    return 0;
}

int ShowInformation(const char* caption, const char* text)
{
    if (DebugLogging)
        LogPrintf("%s : %s", caption, text);
    platform::ShowMessageBox(platform::MessageBoxKind::Information, caption, text);
    return 0;
}

// The kind (1 to 4) of the file named by the last three letters of the
// line, quotes and other characters that are not letters passed over; 0
// when they name none.
int FileKindOfLine(const char* line)
{
    char letters[4] = {};
    int found = 0;
    for (size_t i = std::strlen(line); i > 0 && found < 3; --i) {
        if (IsLetter(line[i - 1]))
            letters[2 - found++] = AsciiToUpper(line[i - 1]);
    }
    if (found < 3)
        return 0;
    for (int kind = 1; kind <= FileKindCount; ++kind) {
        if (std::strcmp(letters, FileKindTable[kind].word) == 0)
            return kind;
    }
    return 0;
}

// Shows why a running copy did not take a request: it sent no answer in
// time, or one that means nothing here. Returns 0.
int ShowRequestNotTaken(int answer)
{
    if (answer == platform::HandOverNoAnswer)
        return ShowError("%s", CommandLineText("The running copy of QVN does not answer"));
    return ShowError("%s", CommandLineText("Could not process message"));
}

// On this system a path may begin with "/" like an option list: it is a
// path when a file of that name exists.
bool NamesExistingFile(const char* line)
{
    char path[MaxHandOverLine];
    CopyWithoutQuotes(path, line, sizeof path - 1);
    return platform::FileExists(path);
}

} // namespace

int HandOverFile(const platform::HandOverPeer* runningCopy, const char* commandLine)
{
    CommandLine.handOverRefused = 0;
    if (commandLine == nullptr || commandLine[0] == 0)
        return 1;
    if (commandLine[0] == '/' && !NamesExistingFile(commandLine))
        return 1;
    int kind = FileKindOfLine(commandLine);
    if (kind == 0)
        return 1;
    const FileKind& fileKind = FileKindTable[kind];
    if (std::strlen(commandLine) >= MaxHandOverLine)
        return ShowError(CommandLineText("%s file name is too long"), fileKind.word);

    char source[MaxHandOverLine];
    CopyWithoutQuotes(source, commandLine, sizeof source - 1);
    FILE* file = platform::OpenFile(source, "rb");
    if (file == nullptr)
        return ShowError(CommandLineText("Could not open %s file"), fileKind.word);
    unsigned char header[8];
    size_t got = std::fread(header, 1, sizeof header, file);
    std::fclose(file);
    if (got < sizeof header)
        return ShowError(CommandLineText("%s file is too short"), fileKind.word);
    if (std::memcmp(header, fileKind.magic, 6) != 0)
        return ShowError(CommandLineText("%s file of unknown format"), fileKind.word);

    // The program runs in its own folder, which holds "data"; the file's own
    // name follows its last separator of either kind, so that it cannot
    // lead out of the data folder.
    const char* ownName = source;
    for (const char* p = source; *p != 0; ++p) {
        if (*p == '/' || *p == '\\')
            ownName = p + 1;
    }
    size_t ownLength = std::strlen(ownName);
    if (ownLength >= MaxOwnNameLength || ownLength < 5)
        return ShowError(CommandLineText("%s file name is too long"), fileKind.word);
    bool replay = kind <= 2;
    // The name without its extension must fit the replay to open.
    if (replay && ownLength - 4 > static_cast<size_t>(ReplayNameLength))
        return ShowError(CommandLineText("%s file name is too long"), fileKind.word);
    std::string target = std::string("data\\") + fileKind.folder + "\\" + ownName;

    bool copy = true;
    if (platform::FileExists(target)) {
        int same = CompareFiles(source, target);
        if (same == 1) {
            if (!replay)
                return ShowInformation(CommandLineText("No need to save"),
                                       CommandLineText("The same file already exists"));
            copy = false;
        } else if (same == 2) {
            int answer = platform::ShowMessageBox(platform::MessageBoxKind::Question,
                                                  CommandLineText("A different file with the same name already exists"),
                                                  CommandLineText("Overwrite the existing file?"));
            if (answer != platform::MessageBoxYes)
                return 0;
        } else {
            return ShowError("%s", CommandLineText("Error checking files"));
        }
    }
    if (copy && !CopyWholeFile(source, target))
        return ShowError("%s", CommandLineText("Error copying file"));

    if (!replay) {
        if (runningCopy != nullptr)
            platform::SendHandOver(*runningCopy, kind, "");
        return ShowInformation(CommandLineText("Copied file"), DisplayPath(target).c_str());
    }

    std::memcpy(CommandLine.replayToOpen, ownName, ownLength - 4);
    CommandLine.replayToOpen[ownLength - 4] = 0;
    CommandLine.replayOpenRequest = kind;
    if (runningCopy == nullptr)
        return 1;
    int answer = platform::SendHandOver(*runningCopy, kind, CommandLine.replayToOpen);
    switch (answer) {
    case 1:
        return 0;
    case 2:
    case 3:
        return ShowError("%s", CommandLineText("QVN is not in the entry screen"));
    case 4:
        return ShowError("%s", CommandLineText("Atom error"));
    default:
        return ShowRequestNotTaken(answer);
    }
}

int EndRunningCopy(const platform::HandOverPeer* runningCopy)
{
    if (runningCopy == nullptr)
        return ShowError("%s", CommandLineText("No running copy of QVN was found"));
    int answer = platform::SendHandOver(*runningCopy, platform::HandOverCloseKind, "");
    if (answer != 1)
        return ShowRequestNotTaken(answer);
    LogLine("kill : the running copy closes");
    return 1;
}

int OnHandOverRequest(int kind, const char* name)
{
    if (kind != platform::HandOverCloseKind)
        return OnFileRequest(kind, name);
    LogLine("OnHandOverRequest : asked to close by another copy");
    BeginQuit(0);
    return 1;
}

int IsIdleForFileRequest()
{
    return IsRootIdle() || IsReplayBrowserIdle() || IsViewerSessionIdle();
}

int OnFileRequest(int kind, const char* name)
{
    if (kind == 3) {
        ReloadGarageLists();
        return 0;
    }
    if (kind != 1 && kind != 2)
        return 0;
    // Only a copy started normally opens replays: a host, a guest or a
    // replay check would drop the request, so it says it is busy.
    if (ProgramMode.startMode != 1 || !IsIdleForFileRequest())
        return 3;
    if (name == nullptr || name[0] == 0 || std::strlen(name) > static_cast<size_t>(ReplayNameLength))
        return 4;
    for (const char* p = name; *p != 0; ++p) {
        if (CharToEscapeLetter(*p) != 0)
            return 4;
    }
    std::strcpy(CommandLine.replayToOpen, name);
    CommandLine.replayOpenRequest = kind;
    LogPrintf("OnFileRequest : replay handed over : %s", name);
    return 1;
}
