// The main window: its creation, the window procedure that turns the
// window's events into keys, characters and mouse events for the current
// screen, the display modes, and the graphics device on the window.
#pragma once

#include <cstdint>

#include "app/shell_events.h"

namespace platform {
struct WindowEvent;
}

// Creates the main window (console: the dedicated host's status window);
// 1 when it exists.
int CreateMainWindow(int console);
// Windowed or full-screen style for the current mode and the client size.
void SetWindowStyle();
// Presses and releases a key with the given modifiers; the key-up's result.
int SimulateKeyPress(int ctrl, int shift, int alt, int key);
// Moves the pointer to the window's centre and takes it as the position.
void CentreCursor();
// Asks the loop for a full-screen mode unless already shown.
void RequestFullScreenMode(int index);
// Function keys 9 to 12: the information panel n (1..4).
void SelectInfoPanel(int n);
// The window procedure: one event of the window layer.
int WindowProc(const platform::WindowEvent& event);
// Takes the waiting window events (at most MaxWindowEventsPerPass) and
// hand-over requests and dispatches them.
void PumpWindowMessages();

// The display mode of start-up: the configured mode, the quick modes'
// records, the full-screen mode and the client size from the adapter's modes.
void ChooseDisplayMode();
// Creates the device on the main window in the full-screen mode; 1 or 0.
int InitGraphicsDevice();
void ShutdownGraphics();
// 1 (refused, with a message) when windowed use is not allowed, else 0.
int CheckWindowedAllowed();
int SetFullScreenMode(int index);
int SetWindowedMode();
int OnWindowResized();
void ResetTextureFilters();
// 1 while the device cannot be drawn to; else begins the scene, 0.
int CheckDeviceLost();
void EndFrame();
// Once the device exists: reads its capabilities, logs what it can do
// ("max texture size %d", then "can" or "can't" "do shadows", "use 2x
// tex", "do multi tex", "use dynamic tex", "use compressed tex") and fits
// the settings to them (FitSettingsToDevice). Nothing without a device.
void ReportGraphicsCaps();
// After a change of the graphics options or of the lighting freed the
// graphics resources (the caller frees them first): makes the built-in
// textures, the world's meshes, the helmet, the figures, the screens'
// pictures and preview cars and the session's cars again, with the looping
// sound paused; the frame under way is not drawn. Returns the result of
// restarting the looping sound when it was playing, else 1.
int RebuildGraphicsResources();

// The pointer confined to the window, or free; ApplyCursorClip follows the
// "Screen Flags" bit of the current mode (0x100 windowed, 0x200 full screen).
void ClipCursorToWindow();
void ReleaseCursorClip();
void ApplyCursorClip();
// Flips that bit, applies it and says so.
void ToggleCursorClip();

// Takes a new back-buffer format: bits per pixel and colour packer; returns
// the format's name ("A888", "X888", "565", "X555" or "unknown").
const char* SetBackBufferFormat(uint32_t format);
