// Screens (screen.cpp). Every menu, panel and dialog is a screen: an object
// whose first part is this header. The main loop runs the top screen's
// frame once per pass; a screen runs its one child's frame inside its own.
// Input does not travel down the chain: it goes to CurrentScreen.
#pragma once

#include <cstdint>

#include "core/services.h"

struct MouseEvent;
struct Screen {
    Screen* parent = nullptr;      // the screen that opened this one; null for a top screen
    Screen* child = nullptr;       // the open child, null when none
    uint8_t alive = 0;             // 1 from InitScreen, 0 once closed
    uint8_t rawKeys = 0;           // 1: key-downs as virtual-key codes; 0: characters
    const char* background = nullptr;  // background picture name, or null
    Screen* (*frame)(Screen* screen) = nullptr;  // returns the screen to run next
    void (*key)(Screen* screen, int code) = nullptr;
    int (*mouse)(Screen* screen, MouseEvent* event) = nullptr;
};

// Special key codes every screen receives whatever its raw-key flag.
enum : int {
    KeyCodeUp = 256, KeyCodeDown = 257, KeyCodeRight = 258, KeyCodeLeft = 259,
    KeyCodePageUp = 260, KeyCodePageDown = 261, KeyCodeDelete = 262, KeyCodeCopy = 263,
    KeyCodeHome = 264, KeyCodeEnd = 265, KeyCodePaste = 266, KeyCodeF1 = 267,
    KeyCodeF2 = 268, KeyCodeF3 = 269, KeyCodeInsert = 270,
};

// 1 while a modal dialog is open; the interface mode (0 game view, 1 full
// menu screen, 2 modal dialog). Read-only outside the interface; live for
// the whole run.
extern const int& DialogOpen;
extern const int& UiMode;
// Set by the window code around a raw key-down's delivery; a character
// screen opened meanwhile swallows the character of the same keystroke.
// Read-only outside the interface.
extern const int& KeyDownDispatching;
extern const int& SwallowNextChar;
void SetKeyDownDispatching(int dispatching);
void SetSwallowNextChar(int swallow);

// The screen that receives keys, characters and mouse events. Lives for
// the whole run; changed only through SetCurrentScreen.
extern Screen* const& CurrentScreen;
// Makes the screen the input target and shows its background picture.
void SetCurrentScreen(Screen* screen);

// Fills the header (raw keys only while graphics are on) and returns it.
Screen* InitScreen(Screen* screen, Screen* parent, Screen* (*frame)(Screen*),
                   void (*key)(Screen*, int), int (*mouse)(Screen*, MouseEvent*),
                   const char* background, int rawKeys);
// Makes child the parent's child (nothing when null); returns child.
Screen* OpenChildScreen(Screen* parent, Screen* child);
// Runs the child's frame and keeps what it returns; returns the new child.
Screen* StepChildScreen(Screen* screen);
// Makes the parent current and clears alive; the next frame frees it.
void CloseScreen(Screen* screen);
// Drops the child without running it and makes the screen current.
void ResumeScreen(Screen* screen);
// 1 with a child; closes the screen while quitting; else 1 when the pass is
// not drawn.
int ScreenFrameBusy(Screen* screen);
// The standard key and mouse handlers of menu screens.
void DefaultScreenKey(Screen* screen, int code);
int DefaultScreenMouse(Screen* screen, MouseEvent* event);
// 1 for the character codes 32..126 and 128..255.
int IsTypableCharacter(int code);

// The first screen of the chain; on its first frame it hands over to the
// screen that the successor makes (the shell's root screen).
// Pending: no entry screen yet (entry_screen_pending.cpp); it hands over
// on its first frame.
Screen* CreateEntryScreen(Screen* (*successor)(Screen* parent));
