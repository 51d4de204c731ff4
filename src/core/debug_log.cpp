// The debug log: one line per event, appended and closed at once so that
// nothing is lost when the program ends abruptly.
//
// A folder's log belongs to one running copy: the copy that starts the log
// claims the file, and a second copy started in the same folder writes a
// log of its own ("deb_2.log" and on) instead of emptying the first one's.
#include "core/local.h"
#include "core/services.h"

#include <cstdarg>
#include <cstring>
#include <string>

#include "platform/file_claim.h"
#include "platform/files.h"

namespace {
// Whether StartDebugLog has run. Lives for the whole run.
bool LogStarted = false;
// Lives for the whole run; set when the log starts and by the "log" option.
std::string LogFileName = "deb.log";
// This copy's claim on the log file; held from the start of the log to the
// end of the run.
platform::FileClaim LogClaim;
// Whether each line also goes to standard output.
bool EchoLines = false;

constexpr size_t MaxLogLineChars = 128;
constexpr size_t LogPrintfBufferSize = 256;
// Logs a second copy may take when the folder's own is written by another.
constexpr int MaxLogCopies = 9;

// The log file's name for a copy: "deb.log" for the first, "deb_N.log" after.
std::string CopyLogName(int copy)
{
    return copy == 1 ? std::string("deb.log") : "deb_" + std::to_string(copy) + ".log";
}

// A name that may become the debug log: a plain file name in the program's
// folder that ends in ".log".
bool IsLogFileName(std::string_view name)
{
    if (name.size() <= 4 || name == "..")
        return false;
    for (char c : name) {
        if (c < 32 || CharToEscapeLetter(c) != 0)
            return false;
    }
    std::string_view extension = name.substr(name.size() - 4);
    return extension[0] == '.' && AsciiToUpper(extension[1]) == 'L' && AsciiToUpper(extension[2]) == 'O' &&
           AsciiToUpper(extension[3]) == 'G';
}

// Whether an existing file is one of our debug logs (empty, or begun with
// the version line), which the log may replace.
bool IsOurLogOrAbsent(std::string_view name)
{
    FILE* file = platform::OpenFile(name, "rb");
    if (file == nullptr)
        return !platform::FileExists(name);
    const std::string prefix = std::string(ProductShortName) + " : ";
    char start[16] = {};
    size_t got = std::fread(start, 1, prefix.size(), file);
    std::fclose(file);
    return got == 0 || (got == prefix.size() && std::memcmp(start, prefix.data(), got) == 0);
}

void WriteLogFileToOutput()
{
    std::string text;
    if (!platform::ReadTextFile(LogFileName, text))
        return;
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fflush(stdout);
}

} // namespace

const bool& DebugLogging = LogStarted;

void ResetDebugLog()
{
    LogStarted = false;
    LogClaim.Release();
    LogFileName = "deb.log";
    EchoLines = false;
}

const char* DebugLogName() { return LogFileName.c_str(); }

std::string StartDebugLog()
{
    LogStarted = true;
    for (int copy = 1; copy <= MaxLogCopies; ++copy) {
        std::string name = CopyLogName(copy);
        if (LogClaim.Take(name, true) != platform::FileClaim::Taken)
            continue;
        LogFileName = name;
        if (copy == 1)
            return {};
        return "deb.log is written by another running copy of QVN in this folder: this copy logs to " + name;
    }
    LogFileName.clear();
    return "deb.log and deb_2.log to deb_" + std::to_string(MaxLogCopies) +
           ".log are written by other copies of QVN or cannot be written: this copy keeps no debug log";
}

std::string UseDebugLogFile(std::string_view fileName)
{
    std::string name(fileName);
    if (!IsLogFileName(name))
        return name + " is not a file name ending in .log in the program's folder";
    bool current = name == LogFileName;
    if (!current && !IsOurLogOrAbsent(name))
        return name + " is not a debug log of QVN and is kept";
    // The current log is let go first: a claim is refused even to its own
    // copy while another is held on the same file.
    if (current)
        LogClaim.Release();
    platform::FileClaim claim;
    platform::FileClaim::Result result = claim.Take(name, true);
    if (result != platform::FileClaim::Taken) {
        if (current)
            LogClaim.Take(name, false);
        if (result == platform::FileClaim::HeldByAnother)
            return name + " is written by another running copy of QVN";
        return name + " cannot be written";
    }
    LogClaim = std::move(claim);
    LogFileName = name;
    return {};
}

void EchoDebugLog(bool on)
{
    if (on && !EchoLines && !LogFileName.empty())
        WriteLogFileToOutput();
    EchoLines = on;
}

int LogLine(const char* text)
{
    char line[MaxLogLineChars + 1];
    StripColourCodes(line, text, static_cast<int>(MaxLogLineChars), 0);
    line[MaxLogLineChars] = '\0';
    size_t length = std::strlen(line);
    if (EchoLines) {
        std::fwrite(line, 1, length, stdout);
        std::fputc('\n', stdout);
        std::fflush(stdout);
    }
    if (LogFileName.empty())
        return 0;
    FILE* file = platform::OpenFile(LogFileName, "ab");
    if (!file)
        return 0;
    std::fwrite(line, 1, length, file);
    std::fwrite("\r\n", 1, 2, file);
    std::fclose(file);
    return 1;
}

int LogPrintf(const char* format, ...)
{
    char buffer[LogPrintfBufferSize];
    va_list args;
    va_start(args, format);
    std::vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    return LogLine(buffer);
}

void LogNotAvailableOnce(bool& noted, const char* name)
{
    if (!noted)
        LogPrintf("%s : not available yet", name);
    noted = true;
}

void LogVersion() { LogPrintf("%s : %s", ProductShortName, ProductVersion); }
