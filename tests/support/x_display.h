// A private X server for window tests (Xvfb on a display number it picks
// itself), an optional window manager on it, and what the tests ask of the
// server through Xlib: a window found by its class, where it is, and the
// close request a window manager sends when the user closes a window.
#pragma once

#include <string>

class PrivateDisplay {
public:
    PrivateDisplay() = default;
    ~PrivateDisplay();
    PrivateDisplay(const PrivateDisplay&) = delete;
    PrivateDisplay& operator=(const PrivateDisplay&) = delete;

    // Starts Xvfb with one screen of the size and sets DISPLAY for this
    // process and the programs it starts. Returns "" or what went wrong.
    std::string Start(int width, int height);
    // Starts a window manager (a program name such as "openbox") and waits
    // until it manages the screen. Returns "" or what went wrong.
    std::string StartWindowManager(const std::string& program);
    void StopWindowManager();
    void Stop();

private:
    int serverPid = -1;
    int managerPid = -1;
};

// Where a window is on the screen.
struct WindowPlace {
    unsigned long id = 0;  // 0: no such window
    int x = 0, y = 0;      // of the client area, in screen pixels
    int width = 0, height = 0;
};

// The last viewable window whose class (the second word of WM_CLASS) is the
// name, searched through the whole window tree.
WindowPlace FindWindowOfClass(const std::string& className);

// Sends the window a WM_PROTOCOLS message naming WM_DELETE_WINDOW, as a
// window manager does when the user closes it. Returns 1 when sent.
int SendCloseRequest(unsigned long window);
