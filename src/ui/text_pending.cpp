// Temporary stand-ins for text measuring and the code pages, until the
// character map's caret-coded text measuring is built: every drawn
// character is one size unit wide, no byte is a lead byte, and the code
// pages are the ten standard ones of the vector font, all drawable.
#include "ui/services.h"

float GetTextWidth(const char* text, float size, int)
{
    // Temporary: a fixed advance of one size unit per drawn character,
    // with caret codes decoded as drawing decodes them.
    int characters = 0;
    for (const char* c = text; *c; ++c) {
        if (*c == '^' && c[1]) {
            char code = *++c;
            bool drawsNothing = (code >= '0' && code <= ':');
            for (const char* letter = "LETBJCGHSK"; *letter && !drawsNothing; ++letter)
                drawsNothing = (code == *letter);
            if (!drawsNothing)
                ++characters;
        } else if (static_cast<unsigned char>(*c) >= 32) {
            ++characters;
        }
    }
    return static_cast<float>(characters) * size * TextScale;
}

int IsDoubleBytePage(int page) { return page == 4 || page == 7 || page == 8 || page == 9; }

int IsLeadByte(int, unsigned char) { return 0; }

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
