// What the window back ends share inside the platform layer.
#pragma once

#include <cstdint>

#include "platform/window.h"

namespace platform {

// The event queue that every back end fills.
void QueueWindowEvent(const WindowEvent& event);

// The SDL2 back end (window_sdl.cpp).
namespace sdl {
int OpenSystem();
void CloseSystem();
void GetDesktopSize(int& width, int& height);
int OpenWindow(const MainWindowParams& params);
void CloseWindow();
void* WindowHandle();
void SetStyle(int windowed, int clientWidth, int clientHeight);
void GetClientSize(int& width, int& height);
void Show();
void Raise();
int IsForeground();
void ClipCursor(int clip);
void Capture(int capture);
void Warp(int x, int y);
// Moves every waiting SDL event into the queue.
void Pump();
// Installs or removes the SDL message boxes.
void UseMessageBoxes(int use);
} // namespace sdl

// The Windows virtual-key code of an SDL key code; 0 for keys the game
// does not know (keys_sdl.cpp).
int VirtualKeyFromSdl(int32_t sdlKeyCode);

} // namespace platform
