// The debug log: one line per event, appended and closed at once so that
// nothing is lost when the program ends abruptly.
#include "core/services.h"

#include <cstdarg>
#include <cstring>
#include <string>

#include "platform/files.h"

bool DebugLogging = false;

namespace {
// Lives for the whole run; set by the "log" option and text command.
std::string LogFileName = "deb.log";
constexpr size_t MaxLogLineChars = 128;
constexpr size_t LogPrintfBufferSize = 256;
}

void SetDebugLogName(std::string_view fileName) { LogFileName = std::string(fileName); }

const char* DebugLogName() { return LogFileName.c_str(); }

void StartDebugLog()
{
    DebugLogging = true;
    platform::RemoveFile(LogFileName);
}

int LogLine(const char* text)
{
    FILE* file = platform::OpenFile(LogFileName, "ab");
    if (!file)
        return 0;
    char line[MaxLogLineChars + 1];
    StripColourCodes(line, text, static_cast<int>(MaxLogLineChars), 0);
    line[MaxLogLineChars] = '\0';
    size_t length = std::strlen(line);
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

void LogVersion() { LogPrintf("%s : %s", ProductShortName, ProductVersion); }
