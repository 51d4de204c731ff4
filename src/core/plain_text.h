// Player names compared as they are shown: colour and code-page codes
// removed, escape codes turned into their characters, case ignored.
#pragma once

// Room for the plain form of a name or line of text (longer texts are cut).
constexpr int PlainTextSize = 96;
// Writes the plain text of a caret-coded text into output (size bytes,
// always terminated): "^0".."^9" and "^:" are dropped, "^" with a code-page
// letter switches the page and is dropped, "^" with an escape letter gives
// its character, "^" with any other character gives that character, a caret
// at the very end stands for itself; characters below 32 are dropped and in
// a double-byte page a lead byte keeps the byte after it. Returns the length.
int GetPlainText(char* output, int size, const char* text);
// 1 when the plain texts of the two are equal, case ignored (a trail byte of
// a double-byte character is compared exactly).
int EqualsPlainText(const char* first, const char* second);
