// The desktop's keyboard layout: which layout is active, what the desktop
// calls it, and the Windows ANSI code page its language writes in (the
// code page the game's characters typed on it are in).
#pragma once

namespace platform {

constexpr int KeyboardLayoutNameSize = 32;
constexpr int KeyboardLayoutTextSize = 80;

struct KeyboardLayoutInfo {
    char name[KeyboardLayoutNameSize] = {};  // the layout's short name ("us", "ru", "jp")
    char text[KeyboardLayoutTextSize] = {};  // the desktop's name for it ("Russian"); "" when unknown
    int ansiCodePage = 0;                    // 1252, 1251, 932 ...; 0 when unknown
    bool inputMethod = false;                // an input method is configured for the session
};

// Reads the active layout from the X server's keyboard extension (the
// current group of the layouts it holds); without an X display, the
// system's keyboard configuration (/etc/default/keyboard). Returns 1 with
// the layout, 0 when neither can be read (then only inputMethod is set).
int ReadKeyboardLayout(KeyboardLayoutInfo& info);

// The Windows ANSI code page of a layout's short name: 1250 Central
// European, 1251 Cyrillic, 1253 Greek, 1254 Turkish, 1257 Baltic, 932
// Japanese, 936 Simplified Chinese, 949 Korean, 950 Traditional Chinese,
// else 1252.
int AnsiCodePageOfLayout(const char* name);

} // namespace platform
