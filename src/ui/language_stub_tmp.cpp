// Temporary stand-ins for the message list that the text table and language
// files use, until the message list is built: messages go to the debug log.
#include "ui/services.h"

#include <cstdio>

void PrintMessage(const char* text, int) { LogLine(text); }

void PrintError(const char* text) { LogLine(text); }

void PrintMessagePair(const char* first, const char* second, int colour)
{
    char line[128];
    std::snprintf(line, sizeof line, "%s %s", first, second);
    PrintMessage(line, colour);
}

void PrintLoadError(const char* fileName)
{
    char line[128];
    std::snprintf(line, sizeof line, "%s : ^L%s", GetMessageText(52), fileName);
    LogLine(line);
}
