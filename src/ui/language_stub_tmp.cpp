// Temporary stand-ins for the message list and the font code pages that the
// text table and language files use, until the user interface is built:
// messages go to the debug log, and the code pages are the ten standard ones
// of the vector font, all drawable.
#include "ui/services.h"

#include <cstdio>

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

int FindCodePageByNumber(int number)
{
    // Windows code page numbers of the pages Latin 1, Central Europe,
    // Turkish, Baltic, Japanese, Cyrillic, Greek, Traditional Chinese,
    // Simplified Chinese and Korean.
    static const int pageNumbers[] = {1252, 1250, 1254, 1257, 932, 1251, 1253, 950, 936, 949};
    for (int page = 9; page >= 0; --page)
        if (pageNumbers[page] == number)
            return page;
    return -1;
}

int IsCodePageUnavailable(int) { return 0; }
