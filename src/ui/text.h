// Text measuring and the code pages of languages. Caret-coded text
// measuring with the character map is not built yet: the temporary bodies
// (text_pending.cpp) measure every drawn character as one size unit and
// know the ten standard code pages of the vector font, all drawable.
#pragma once

// Code page of the language's texts, 0 to 9 ("LETBJCGHSK"); set when a
// language is selected. Read-only outside the interface; lives for the
// whole run.
extern const int& TextCodePage;
void SetTextCodePage(int page);
// Multiplies every horizontal text size in GetTextWidth; set each frame.
// Read-only outside the interface.
extern const float& TextScale;
void SetTextScale(float scale);
// Drawn width of a colour-coded text at a horizontal size, in screen
// units, starting in the given code page.
// Pending: one size unit per drawn character, caret codes decoded.
float GetTextWidth(const char* text, float size, int codePage);
// 1 for the double-byte pages (4, 7, 8 and 9).
int IsDoubleBytePage(int page);
// 1 when the byte is the lead byte of a double-byte character in the page.
// Pending: without the character map's pages no byte is a lead byte;
// answers 0.
int IsLeadByte(int page, unsigned char character);
// The page (0 to 9) of the last font code page with this Windows code page
// number; -1 when no page has it.
int FindCodePageByNumber(int number);
// 1 when the page's characters cannot be drawn on this computer.
// Pending: every standard page is drawable; answers 0.
int IsCodePageUnavailable(int page);
