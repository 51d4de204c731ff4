// The multiplayer layer's message lines: network diagnostics, shown only
// while the network messages are switched on, and lines always shown.
#include <cstdarg>
#include <cstdio>

#include "net/local.h"
#include "ui/services.h"

namespace {

constexpr int MessageLineSize = 128;

void ShowFormatted(void (*show)(const char*, int), int colour, const char* format, va_list arguments)
{
    char line[MessageLineSize];
    std::vsnprintf(line, sizeof line, format, arguments);
    show(line, colour);
}

} // namespace

void ReportNet(int colour, const char* format, ...)
{
    va_list arguments;
    va_start(arguments, format);
    ShowFormatted(PrintNetDebugMessage, colour, format, arguments);
    va_end(arguments);
}

void ReportLine(int colour, const char* format, ...)
{
    va_list arguments;
    va_start(arguments, format);
    ShowFormatted(PrintMessage, colour, format, arguments);
    va_end(arguments);
}
