// Helpers for texts: pages of help files, colour-coded and code-page-marked
// names, bounded copies, case-insensitive compares, numbers and race times.
#pragma once

#include <cstdio>

#include "core/plain_text.h"

// A page of text from help, lesson and welcome files: 20 lines of up to
// 127 characters. With the flag set the page is measured and drawn in
// code page 0, else in the language's code page.
constexpr int TextPageLines = 20;
constexpr int TextPageLineSize = 128;
struct TextPage {
    int flag = 0;
    char lines[TextPageLines][TextPageLineSize] = {};
};

// Clears every line and sets the flag.
void InitTextPage(TextPage& page, int flag);
// Reads the next page of an open text file (see text_page.cpp): lines are
// wrapped to the width and the page ends at a line that begins with a
// backslash, at the end of the file or after 20 lines; the next call goes
// on from there. The title, when given, becomes line 0.
void ReadTextPage(TextPage& page, FILE* file, const char* title, float textSize, float maxWidth);
// Empties every non-empty line from index count on; returns the number of
// non-empty lines kept.
int TrimTextPage(TextPage& page, int count);
// Index of the last non-empty line plus one (0 for an empty page).
int CountTextPageLines(const TextPage& page);

// Copies a player name into the next of two alternating 32-byte buffers
// ready to go into a message: "^8" becomes "^:", a caret at the very end
// is dropped, and when the language's code page is not 0 and the name
// holds a backslash or a character above 0x7F, "^L" goes in front. Long
// names are cut so that the result fits. Valid until the second-next call.
const char* PrepareColourText(const char* text);
// The same with "^8" appended.
const char* PrepareColourTextEnd(const char* text);
// 1 when page is not 0 and the text holds a backslash or a character above
// 0x7F, else 0.
int NeedsCodePageMarker(const char* text, int page);
// Moves the first n-3 bytes of an n-byte field two places right, puts "^"
// and the page's letter in front and a zero in the last byte.
void InsertCodePageMarker(char* field, int n, int page);
// InsertCodePageMarker when NeedsCodePageMarker says so; returns 1 when it
// inserted.
int AddCodePageMarker(char* field, int n, int page);
// Writes exactly n bytes of the text with colour codes removed: "^0" to
// "^7" and "^9" dropped, "^8" and "^:" written as "^L", any other pair
// kept; a pair that does not fit whole is left out; the rest is zero
// filled, so a text that fills the output has no terminator. Returns the
// output index that matches the input position (the caret of an edited
// text).
int StripColourCodes(char* output, const char* text, int n, int position);
// The escape letter ("dscaqtlrv") of a character that file names cannot
// hold (\ / : * ? " < > |); 0 for any other character.
char CharToEscapeLetter(char character);
// Removes in place every character that has an escape letter.
void RemoveFileNameSpecials(char* text);

// Copies at most n-1 characters into an n-byte field and fills the rest
// with zeros.
void CopyFixedString(char* field, const char* text, int n);
// Copies the text into an output of n bytes, leaving out double quotes;
// always terminated. Returns the number of characters written.
int CopyWithoutQuotes(char* output, const char* text, int n);

// Case-insensitive compares: the one way the program compares names without
// regard to case. Only the letters A to Z fold, the same in every locale
// (so a name never matches differently on another machine).
// Upper case of the letters a to z only.
inline char AsciiToUpper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c; }
// 1 when two texts are equal, letters compared without regard to case.
int EqualsNoCase(const char* first, const char* second);
// 1 when the text begins with the prefix, letters compared without regard
// to case; an empty prefix gives 1.
int StartsWithNoCase(const char* text, const char* prefix);
// Index of the text in the list of names, compared with EqualsNoCase; -1
// when absent.
int FindInList(const char* text, const char* const* names, int count);

// "" for 1, else "s".
const char* PluralSuffix(int count);
// Compares the 8-character number plates that follow the 24-character name
// at the start of two player records: 0 when equal (up to the first zero
// or all 8 characters), 1 when different.
int CompareNumberPlates(const char* firstRecord, const char* secondRecord);
// The decimal integer the text begins with (after blanks); 0 when none.
int ParseInt(const char* text);
// The number in the first 15 characters, a comma taken as the decimal
// point, read the same in every locale; 0 when none or not finite.
float ParseFloat(const char* text);
// Writes a race time from hundredths (negative counts as 0) as
// "h:mm:ss.cc" from one hour, else "m:ss.cc", after the prefix and, with
// the blank flag, one blank. A glyph set g other than 0 raises every
// character by 16 * g + 80 (the font's other digit glyphs). The output
// holds outputSize bytes and is always terminated.
void FormatRaceTime(char* output, int outputSize, const char* prefix, int blankFlag,
                    int hundredths, int glyphSet);
