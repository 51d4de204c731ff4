// The plain form of colour-coded texts, for comparing player names.
#include "core/local.h"
#include "core/services.h"

#include <cstring>

namespace {

// The code pages of the caret letters, in page order; J, H, S and K are the
// double-byte pages.
constexpr const char* CodePageLetters = "LETBJCGHSK";
bool IsDoubleBytePageLetter(char letter) { return letter == 'J' || letter == 'H' || letter == 'S' || letter == 'K'; }

// The character that an escape letter stands for; 0 for other letters.
char EscapedCharacter(char letter)
{
    for (int c = 1; c < 256; ++c)
        if (CharToEscapeLetter(static_cast<char>(c)) == letter && letter != 0)
            return static_cast<char>(c);
    return 0;
}

// The plain text as pairs of (byte, is-trail-byte) packed as the byte with
// a flag array beside it.
int PlainWithTrailMarks(char* output, bool* trail, int size, const char* text)
{
    int n = 0;
    bool doubleByte = false;
    auto put = [&](char c, bool isTrail) {
        if (n < size - 1) {
            output[n] = c;
            if (trail)
                trail[n] = isTrail;
            ++n;
        }
    };
    for (const char* p = text; *p; ++p) {
        const unsigned char c = static_cast<unsigned char>(*p);
        if (c == '^') {
            const char code = p[1];
            if (code == 0) {
                put('^', false);
                break;
            }
            ++p;
            if ((code >= '0' && code <= '9') || code == ':') {
                if (code == '8' || code == ':')
                    doubleByte = false;
                continue;
            }
            if (std::strchr(CodePageLetters, code)) {
                doubleByte = IsDoubleBytePageLetter(code);
                continue;
            }
            const char escaped = EscapedCharacter(code);
            put(escaped ? escaped : code, false);
            continue;
        }
        if (c < 32)
            continue;
        if (doubleByte && c >= 0x81) {
            if (p[1] == 0)
                break;
            put(static_cast<char>(c), false);
            put(*++p, true);
            continue;
        }
        put(static_cast<char>(c), false);
    }
    output[n] = 0;
    return n;
}

} // namespace

int GetPlainText(char* output, int size, const char* text)
{
    if (size <= 0)
        return 0;
    return PlainWithTrailMarks(output, nullptr, size, text);
}

int EqualsPlainText(const char* first, const char* second)
{
    char a[PlainTextSize], b[PlainTextSize];
    bool trailA[PlainTextSize], trailB[PlainTextSize];
    const int n = PlainWithTrailMarks(a, trailA, PlainTextSize, first);
    if (PlainWithTrailMarks(b, trailB, PlainTextSize, second) != n)
        return 0;
    for (int i = 0; i < n; ++i) {
        if (trailA[i] != trailB[i])
            return 0;
        if (trailA[i] ? a[i] != b[i] : AsciiToUpper(a[i]) != AsciiToUpper(b[i]))
            return 0;
    }
    return 1;
}
