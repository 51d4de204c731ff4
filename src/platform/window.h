// The program's window and everything the machine tells the game: keys,
// characters, mouse, focus, size, close requests and hand-over requests all
// come through one PollEvent queue, in the form the window procedure of the
// game expects (keys as Windows virtual-key codes, characters as bytes).
//
// Two back ends: the real one over SDL2 (a window of class "QVN" titled
// "Quorvan") and a null one (no window) for the dedicated host without
// graphics, the replay check and tests. The null back end never touches SDL
// video; with a console it reads typed characters from standard input and
// writes status lines to standard output. In every back end SIGTERM and
// SIGINT arrive as close requests.
#pragma once

#include <cstdint>

namespace platform {

enum class WindowBackEnd {
    Null,  // no window; the terminal serves as the host console
    Sdl,   // an SDL2 window made for OpenGL
};

// What one event is; named after the window message it stands for.
enum class WindowEventKind : uint8_t {
    None,
    KeyDown,       // key: virtual-key code; repeat set for auto-repeat
    KeyUp,         // key: virtual-key code
    Char,          // character: 0..255 (a byte of the input code page)
    MouseMove,     // x, y: client pixels
    MouseDown,     // button: 1 left, 2 right, 3 middle; x, y
    MouseUp,       // button as MouseDown; x, y
    MouseWheel,    // wheel: +120 per notch up, -120 down; x, y as last known
    MouseLeave,    // the pointer left the client area
    Activate,      // active: 1 gained focus, 0 lost it; minimised
    Resize,        // width, height: the new client size
    Paint,         // the window needs drawing again
    Close,         // the user asked to close (window manager, SIGTERM, SIGINT)
    KeymapChanged, // the keyboard layout changed
    TextEditing,   // text: an unfinished composition of the input method (UTF-8,
                   // empty when it ended); editCursor: its cursor in characters
};

struct WindowEvent {
    WindowEventKind kind = WindowEventKind::None;
    int key = 0;        // virtual-key code
    int character = 0;  // 0..255
    int button = 0;
    int wheel = 0;
    int x = 0, y = 0;
    int width = 0, height = 0;
    uint8_t repeat = 0;
    uint8_t active = 0;
    uint8_t minimised = 0;
    uint8_t ctrl = 0, shift = 0;  // modifier state with a mouse event
    int editCursor = 0;           // TextEditing
    char text[128] = {};          // TextEditing
};

// Virtual-key codes the game's key handling names.
enum : int {
    VkLButton = 0x01, VkRButton = 0x02, VkMButton = 0x04,
    VkBack = 0x08, VkTab = 0x09, VkReturn = 0x0D,
    VkShift = 0x10, VkControl = 0x11, VkMenu = 0x12, VkPause = 0x13, VkCapital = 0x14,
    VkEscape = 0x1B, VkSpace = 0x20,
    VkPrior = 0x21, VkNext = 0x22, VkEnd = 0x23, VkHome = 0x24,
    VkLeft = 0x25, VkUp = 0x26, VkRight = 0x27, VkDown = 0x28,
    VkSnapshot = 0x2C, VkInsert = 0x2D, VkDelete = 0x2E,
    VkNumpad0 = 0x60, VkMultiply = 0x6A, VkAdd = 0x6B, VkSubtract = 0x6D, VkDecimal = 0x6E,
    VkDivide = 0x6F, VkF1 = 0x70, VkF12 = 0x7B, VkNumLock = 0x90, VkScroll = 0x91,
    VkOem1 = 0xBA, VkOemPlus = 0xBB, VkOemComma = 0xBC, VkOemMinus = 0xBD,
    VkOemPeriod = 0xBE, VkOem2 = 0xBF, VkOem3 = 0xC0, VkOem4 = 0xDB, VkOem5 = 0xDC,
    VkOem6 = 0xDD, VkOem7 = 0xDE, VkOem102 = 0xE2,
};

// From now on SIGTERM and SIGINT are close requests, read with the window's
// events (OpenWindowSystem does this too). Called first thing, so that a
// signal during start-up ends the program at its first pass, settings saved.
void CatchCloseSignals();

// Chooses the back end; call once before OpenMainWindow. Returns 1, or 0
// when the back end cannot start (no display for SDL).
int OpenWindowSystem(WindowBackEnd backEnd);
WindowBackEnd CurrentWindowBackEnd();

// Width and height of the desktop (0 x 0 without a display).
void GetDesktopSize(int& width, int& height);

// Creates the main window: class "QVN", title "Quorvan". A console window
// (the dedicated host's) with the null back end is the terminal. Returns 1
// when it exists. At most one main window exists.
struct MainWindowParams {
    int console = 0;         // the dedicated host's status window
    int clientWidth = 0;     // 0 x 0: decided when the device sets its mode
    int clientHeight = 0;
    int x = 64, y = 32;      // where a console window goes
    int windowed = 1;
    int shown = 1;
};
int OpenMainWindow(const MainWindowParams& params);
// The window as the graphics device takes it (an SDL window made for
// OpenGL), or nullptr without one.
void* MainWindowHandle();
// Destroys the window (at process end).
void CloseMainWindow();
// Shuts the window system down.
void CloseWindowSystem();

// Window style and size: windowed keeps the position, full screen puts the
// client area at the screen origin; neither raises the window.
void SetWindowStyle(int windowed, int clientWidth, int clientHeight);
// The client area's size now (0 x 0 without a window).
void GetClientSize(int& width, int& height);
void ShowMainWindow();
void RaiseMainWindow();
// Whether the window has the input focus (1 also while nobody knows yet).
int IsMainWindowForeground();
// Confines the pointer to the window, or frees it.
void ClipCursorToWindow(int clip);
// Keeps mouse events coming while a button is held outside the window.
void CaptureMouse(int capture);
// Moves the pointer to a client position.
void WarpMouse(int x, int y);

// Takes the next event (gathering when none waits); 0 when none waits.
// Never blocks. A close request made by a signal comes before the events
// that wait.
int PollEvent(WindowEvent& event);
// Puts what the machine has told since the last look (signals, the window
// system, the console) into the queue; returns the number of events that
// wait.
int GatherEvents();
// Puts an event at the end of the queue (tests script input this way).
void PushEvent(const WindowEvent& event);
// Empties the queue.
void ClearEvents();

// The terminal as the host console (null back end with a console window):
// writes one status line to standard output.
void WriteConsoleLine(const char* text);

// Shows message boxes through the window system once a window exists; the
// box then belongs to the window. Without a window boxes go to standard
// error (see message_box.h).
void UseWindowMessageBoxes(int use);

} // namespace platform
