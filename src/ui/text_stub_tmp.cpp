// Temporary stand-ins for the font and code-page services, until the
// character map and caret-coded text measuring are built: one code page
// (Latin 1), no double-byte fonts, every character one size unit wide.
#include "ui/services.h"

int TextCodePage = 0;
float TextScale = 1.0f;

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

// Temporary: without the character map no byte is known as a lead byte.
int IsLeadByte(int, unsigned char) { return 0; }

// Temporary: the on-screen message list is not built yet; errors go to the
// debug log.
void PrintError(const char* text) { LogLine(text); }
