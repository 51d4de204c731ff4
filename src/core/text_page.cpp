// Text pages: help, lesson and welcome texts read a page at a time and
// wrapped to a drawn width.
#include "core/services.h"

#include <cstring>

namespace {

// Lines shorter than this are never broken.
constexpr int MinBreakLength = 8;
// Text files may end at a Ctrl-Z, as they did in text mode.
constexpr int TextEndCharacter = 0x1A;

// The next character with a CR LF pair folded into one LF; EOF at the end.
int ReadTextChar(FILE* file)
{
    int c = std::fgetc(file);
    if (c == TextEndCharacter) {
        std::ungetc(c, file);
        return EOF;
    }
    if (c == '\r') {
        int next = std::fgetc(file);
        if (next == '\n')
            return '\n';
        if (next != EOF)
            std::ungetc(next, file);
    }
    return c;
}

bool IsBreakCharacter(char c) { return c == ' ' || c == ')' || c == '-'; }

// Whether the line must be broken before another character is added.
bool LineIsFull(const char* line, int length, float textSize, float maxWidth, int codePage)
{
    if (length < MinBreakLength)
        return false;
    if (length >= TextPageLineSize - 1)
        return true;
    float width = GetInterfaceHooks().textWidth(line, 0.85f * textSize, codePage);
    return !(width < maxWidth);
}

// Moves the end of a full line to the next one: the words after a blank,
// ")" or "-" in the last quarter of the line, or else a double-byte lead
// byte left without its trail byte. Returns the new length of the line.
int BreakLine(char* line, int length, char* next, int codePage)
{
    next[0] = '\0';
    for (int i = length - 1; i >= length - length / 4; --i) {
        if (IsBreakCharacter(line[i])) {
            int moved = length - (i + 1);
            std::memcpy(next, line + i + 1, static_cast<size_t>(moved));
            next[moved] = '\0';
            line[i + 1] = '\0';
            return i + 1;
        }
    }
    const InterfaceHooks& hooks = GetInterfaceHooks();
    if (hooks.isDoubleBytePage(codePage)) {
        int i = 0;
        bool reported = false;
        while (i < length) {
            auto c = static_cast<unsigned char>(line[i]);
            if (c < 0x20 && !reported) {
                hooks.printError(GetText(TX_3a_invalchr));
                reported = true;
            }
            if (hooks.isLeadByte(codePage, c)) {
                if (i == length - 1) {
                    next[0] = line[i];
                    next[1] = '\0';
                    line[i] = '\0';
                    return i;
                }
                i += 2;
            } else {
                ++i;
            }
        }
    }
    return length;
}

} // namespace

void InitTextPage(TextPage& page, int flag)
{
    page = TextPage{};
    page.flag = flag;
}

void ReadTextPage(TextPage& page, FILE* file, const char* title, float textSize, float maxWidth)
{
    int codePage = page.flag ? 0 : GetInterfaceHooks().textCodePage();
    int c = ReadTextChar(file);
    if (c == '@') {
        while (c != EOF && c != '\n' && c != '\r')
            c = ReadTextChar(file);
    }
    while (c == '\n' || c == '\r')
        c = ReadTextChar(file);

    int lineIndex = 0;
    if (title) {
        CopyFixedString(page.lines[0], title, TextPageLineSize);
        lineIndex = 1;
    }
    char* line = page.lines[lineIndex];
    int length = static_cast<int>(std::strlen(line));

    for (; c != EOF; c = ReadTextChar(file)) {
        if (c == '\n' || c == '\r') {
            if (c == '\r' && length == 0)
                continue;
            if (++lineIndex == TextPageLines)
                return;
            line = page.lines[lineIndex];
            length = static_cast<int>(std::strlen(line));
            continue;
        }
        if (c == '\\' && length == 0)
            return;
        if (LineIsFull(line, length, textSize, maxWidth, codePage)) {
            if (lineIndex + 1 == TextPageLines) {
                // The page is full: the character waits for the next page.
                std::ungetc(c, file);
                return;
            }
            char* next = page.lines[lineIndex + 1];
            BreakLine(line, length, next, codePage);
            line = next;
            length = static_cast<int>(std::strlen(line));
            ++lineIndex;
        }
        line[length++] = static_cast<char>(c);
        line[length] = '\0';
    }
}

int TrimTextPage(TextPage& page, int count)
{
    int kept = 0;
    for (int i = 0; i < TextPageLines; ++i) {
        if (!page.lines[i][0])
            continue;
        if (i >= count)
            page.lines[i][0] = '\0';
        else
            ++kept;
    }
    return kept;
}

int CountTextPageLines(const TextPage& page)
{
    for (int i = TextPageLines; i > 0; --i)
        if (page.lines[i - 1][0])
            return i;
    return 0;
}
