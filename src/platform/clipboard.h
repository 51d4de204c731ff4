// The desktop's clipboard, as UTF-8 text. The SDL2 window back end serves
// it while its window system is open; without one the clipboard is the
// program's own (a copy can be pasted back within the same run), so the
// null back end and tests behave like a desktop with no other program.
#pragma once

#include <string>
#include <string_view>

namespace platform {

// Puts the text on the clipboard in place of what it held; 1 when it is
// there.
int WriteClipboardText(std::string_view utf8);
// Reads the clipboard's text; 0 when it holds no text or cannot be read
// (the text is then empty).
int ReadClipboardText(std::string& utf8);

// A clipboard of a window system; nullptr returns to the program's own.
struct ClipboardBackEnd {
    int (*write)(std::string_view utf8) = nullptr;
    int (*read)(std::string& utf8) = nullptr;
};
void SetClipboardBackEnd(const ClipboardBackEnd* backEnd);

} // namespace platform
