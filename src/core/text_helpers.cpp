// Helpers for colour-coded and code-page-marked texts, bounded string
// copies, number parsing and race-time formatting.
#include "core/local.h"
#include "core/services.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <locale.h>

#include "platform/check.h"

namespace {

// The caret letters of code pages 0 to 9.
constexpr const char* CodePageLetters = "LETBJCGHSK";
// The characters file names cannot hold, and their caret escape letters.
constexpr const char* FileNameSpecials = "\\/:*?\"<>|";
constexpr const char* EscapeLetters = "dscaqtlrv";

// Two alternating buffers for PrepareColourText: a name of up to 23
// characters with its code-page marker and an end code fits with room.
constexpr int PreparedTextSize = 32;
// A marked text keeps at most this many copied bytes behind its marker.
constexpr int MarkedTextBytes = 24;
std::array<std::array<char, PreparedTextSize>, 2> PreparedText{};
int PreparedTextNext = 0;

// Copies the text with "^8" turned into "^:" and a final caret dropped,
// writing at most capacity - 1 bytes and a zero; a pair that does not fit
// whole is left out. Returns the number of bytes written.
int CopyColourPairs(char* output, const char* text, int capacity)
{
    int length = 0;
    for (const char* c = text; *c;) {
        if (*c == '^') {
            if (!c[1])
                break;
            if (length + 2 > capacity - 1)
                break;
            output[length++] = '^';
            output[length++] = c[1] == '8' ? ':' : c[1];
            c += 2;
        } else {
            if (length + 1 > capacity - 1)
                break;
            output[length++] = *c++;
        }
    }
    output[length] = '\0';
    return length;
}

char* PrepareInto(const char* text, int endCodeBytes)
{
    char* output = PreparedText[static_cast<size_t>(PreparedTextNext)].data();
    PreparedTextNext ^= 1;
    if (NeedsCodePageMarker(text, GetInterfaceHooks().textCodePage())) {
        output[0] = '^';
        output[1] = CodePageLetters[0];
        CopyColourPairs(output + 2, text, MarkedTextBytes + 1);
    } else {
        CopyColourPairs(output, text, PreparedTextSize - endCodeBytes);
    }
    return output;
}

} // namespace

void ResetTextHelpers()
{
    PreparedText = {};
    PreparedTextNext = 0;
}

int EqualsNoCase(const char* first, const char* second)
{
    for (;; ++first, ++second) {
        if (AsciiToUpper(*first) != AsciiToUpper(*second))
            return 0;
        if (!*first)
            return 1;
    }
}

int FindInList(const char* text, const char* const* names, int count)
{
    for (int i = 0; i < count; ++i) {
        if (EqualsNoCase(text, names[i]))
            return i;
    }
    return -1;
}

const char* PrepareColourText(const char* text) { return PrepareInto(text, 0); }

const char* PrepareColourTextEnd(const char* text)
{
    char* output = PrepareInto(text, 2);
    std::strcat(output, "^8");
    return output;
}

int NeedsCodePageMarker(const char* text, int page)
{
    if (page == 0)
        return 0;
    for (const char* c = text; *c; ++c)
        if (*c == '\\' || static_cast<unsigned char>(*c) > 0x7F)
            return 1;
    return 0;
}

void InsertCodePageMarker(char* field, int n, int page)
{
    QV_CHECK(page >= 0 && page <= 9);
    if (n < 3 || page < 0 || page > 9)
        return;
    std::memmove(field + 2, field, static_cast<size_t>(n - 3));
    field[0] = '^';
    field[1] = CodePageLetters[page];
    field[n - 1] = '\0';
}

int AddCodePageMarker(char* field, int n, int page)
{
    if (!NeedsCodePageMarker(field, page))
        return 0;
    InsertCodePageMarker(field, n, page);
    return 1;
}

int StripColourCodes(char* output, const char* text, int n, int position)
{
    int out = 0;
    int matched = -1;
    int in = 0;
    while (text[in] && out < n) {
        if (matched < 0 && in >= position)
            matched = out;
        if (text[in] != '^') {
            output[out++] = text[in++];
            continue;
        }
        char code = text[in + 1];
        if (!code) {
            // A caret that ends the text stays a plain caret.
            output[out++] = '^';
            ++in;
            continue;
        }
        in += 2;
        if ((code >= '0' && code <= '7') || code == '9')
            continue;
        if (out + 2 > n)
            break;
        output[out++] = '^';
        output[out++] = (code == '8' || code == ':') ? 'L' : code;
    }
    if (matched < 0)
        matched = out;
    if (out < n)
        std::memset(output + out, 0, static_cast<size_t>(n - out));
    return matched;
}

char CharToEscapeLetter(char character)
{
    if (!character)
        return 0;
    const char* found = std::strchr(FileNameSpecials, character);
    return found ? EscapeLetters[found - FileNameSpecials] : 0;
}

void RemoveFileNameSpecials(char* text)
{
    char* out = text;
    for (const char* c = text; *c; ++c)
        if (!CharToEscapeLetter(*c))
            *out++ = *c;
    *out = '\0';
}

void CopyFixedString(char* field, const char* text, int n)
{
    if (n <= 0)
        return;
    int length = 0;
    while (length < n - 1 && text[length])
        ++length;
    std::memcpy(field, text, static_cast<size_t>(length));
    std::memset(field + length, 0, static_cast<size_t>(n - length));
}

int CopyWithoutQuotes(char* output, const char* text, int n)
{
    if (n <= 0)
        return 0;
    int written = 0;
    for (const char* c = text; *c && written < n - 1; ++c)
        if (*c != '"')
            output[written++] = *c;
    output[written] = '\0';
    return written;
}

int StartsWithNoCase(const char* text, const char* prefix)
{
    for (; *prefix; ++text, ++prefix)
        if (AsciiToUpper(*text) != AsciiToUpper(*prefix))
            return 0;
    return 1;
}

const char* PluralSuffix(int count) { return count == 1 ? "" : "s"; }

int CompareNumberPlates(const char* firstRecord, const char* secondRecord)
{
    constexpr int PlateOffset = 24;
    constexpr int PlateLength = 8;
    const char* first = firstRecord + PlateOffset;
    const char* second = secondRecord + PlateOffset;
    for (int i = 0; i < PlateLength; ++i) {
        if (first[i] != second[i])
            return 1;
        if (!first[i])
            return 0;
    }
    return 0;
}

int ParseInt(const char* text)
{
    char* end = nullptr;
    long value = std::strtol(text, &end, 10);
    if (end == text)
        return 0;
    return static_cast<int>(std::clamp<long>(value, INT_MIN, INT_MAX));
}

float ParseFloat(const char* text)
{
    // Numbers in settings and typed values use a point (or a comma) in
    // every locale, so they are read in the C locale.
    static locale_t cLocale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    constexpr int MaxChars = 15;
    char copy[MaxChars + 1];
    int length = 0;
    for (; length < MaxChars && text[length]; ++length)
        copy[length] = text[length] == ',' ? '.' : text[length];
    copy[length] = '\0';
    char* end = nullptr;
    float value = strtof_l(copy, &end, cLocale);
    if (end == copy || !std::isfinite(value))
        return 0.0f;
    return value;
}

void FormatRaceTime(char* output, int outputSize, const char* prefix, int blankFlag,
                    int hundredths, int glyphSet)
{
    if (outputSize <= 0)
        return;
    int t = std::max(hundredths, 0);
    int hours = t / 360000;
    int minutes = t % 360000 / 6000;
    int seconds = t % 6000 / 100;
    int centi = t % 100;
    const char* separator = blankFlag ? " " : "";
    auto size = static_cast<size_t>(outputSize);
    if (hours > 0)
        std::snprintf(output, size, "%s%s%d:%02d:%02d.%02d", prefix, separator, hours, minutes,
                      seconds, centi);
    else
        std::snprintf(output, size, "%s%s%d:%02d.%02d", prefix, separator, minutes, seconds,
                      centi);
    if (glyphSet != 0) {
        int raise = 16 * glyphSet + 80;
        size_t length = std::strlen(output);
        for (size_t i = 0; i < length; ++i)
            output[i] = static_cast<char>(static_cast<unsigned char>(output[i]) + raise);
    }
}
