// User interface: the services other subsystems may use.
#pragma once

#include "core/services.h"

// Resets every table this subsystem owns to its start-up state.
void ResetUiTables();

// ---------------------------------------------------------------------------
// Fonts and code pages (temporary bodies in text_stub_tmp.cpp).

// Code page of the language's texts, 0 to 9 ("LETBJCGHSK"); set when a
// language is selected. Lives for the whole run.
extern int TextCodePage;
// Multiplies every horizontal text size in GetTextWidth; set each frame.
extern float TextScale;
// Drawn width of a colour-coded text at a horizontal size, in screen
// units, starting in the given code page.
float GetTextWidth(const char* text, float size, int codePage);
// 1 for the double-byte pages (4, 7, 8 and 9).
int IsDoubleBytePage(int page);
// 1 when the byte is the lead byte of a double-byte character in the page.
int IsLeadByte(int page, unsigned char character);

// ---------------------------------------------------------------------------
// Messages.

// Adds a line in the error colour to the on-screen message list.
void PrintError(const char* text);
// Adds a plain line in a standard colour to the on-screen message list.
void PrintMessage(const char* text, int colour);
// The two texts joined as "%s %s" (at most 127 characters), as PrintMessage.
void PrintMessagePair(const char* first, const char* second, int colour);
// "Could not load file : <name>" in the error colour.
void PrintLoadError(const char* fileName);

// ---------------------------------------------------------------------------
// Font code pages as language files name them (temporary bodies in
// language_stub_tmp.cpp).

// The page (0 to 9) of the last font code page with this Windows code page
// number; -1 when no page has it.
int FindCodePageByNumber(int number);
// 1 when the page's characters cannot be drawn on this computer.
int IsCodePageUnavailable(int page);

// ---------------------------------------------------------------------------
// Garage (temporary body in garage_stub.cpp until the garage screen is built).

// Reloads the setup and colour lists when the garage screen is open; a
// running copy calls it when another copy has copied a setup in.
void ReloadGarageLists();
