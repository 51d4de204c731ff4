// Text between the Windows code pages that the game's bytes are in and the
// UTF-8 that the desktop speaks (clipboard, input method, typed text), and
// the code page in which the keyboard's characters reach the game.
#pragma once

#include <string>
#include <string_view>

namespace platform {

// The bytes of a text in a Windows ANSI code page (1252, 932, 949, ...) as
// UTF-8. Bytes below 32 and bytes the page does not define (a lead byte
// without its trail, an unassigned byte) are left out.
std::string CodePageToUtf8(int codePageNumber, std::string_view bytes);
// UTF-8 text in the code page's bytes. Control characters (below 32 and
// 127) and invalid UTF-8 sequences are left out; a character the page has
// no byte for becomes "?", as the desktop's own conversion would give it.
std::string Utf8ToCodePage(int codePageNumber, std::string_view utf8);

// The Windows code page of the characters typed on the keyboard: the
// window back ends turn typed text into its bytes. 1252 until set; the
// interface sets it whenever the keyboard's code page changes. Lives for
// the whole run.
void SetKeyboardCodePageNumber(int codePageNumber);
int KeyboardCodePageNumber();

} // namespace platform
