// Temporary bodies of the on-screen message list, until it is built: every
// line goes to the debug log, and the network-message switch is off.
#include <cstdio>

#include "ui/local.h"

void PrintMessage(const char* text, int) { LogLine(text); }

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

void PrintError(const char* text) { LogLine(text); }
void PrintNotice(const char* text) { LogLine(text); }
void PrintNetDebugMessage(const char*, int) {}
void RetireAllMessages() {}

int RecallMessage(char*, int, int, int*) { return -1; }

int RecallMessageBefore(char* buffer, int, int size, int* codePage)
{
    if (size > 0)
        buffer[0] = '\0';
    *codePage = InputCodePage;
    return -1;
}
void RetireOldMessages() {}
void DrawMessageTexts() {}
void DrawMessageBackgrounds() {}
