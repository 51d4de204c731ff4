// What the program shell keeps that every subsystem reads: how this run
// works, the data paths the command line chose, the drawing area with the
// display values of the pass, and the keys and the mouse. Core owns these
// records; the shell, and the few subsystems that set a value, change them
// only through the functions here.
#pragma once

#include <cstdint>

#include "core/records.h"

// How this run works. Set by the command line at start-up; lives for the
// whole run.
struct ProgramModeRecord {
    int startMode = 1;      // 1 normal, 2 host, 3 join, 4 replay check, 6 kill;
                            // 0 after a command-line error
    int graphicsOn = 1;     // 1 while the program draws; the replay check and the
                            // dedicated modes "nogfx" and "invisible" clear it
    int dedicatedMode = 0;  // dedicated host: 0 no, 1 yes, 2 nogfx, 3 invisible
    int consoleMode = 0;    // 1 when the window is the dedicated host's console
    int networkDebug = 0;   // network debug messages show ("ndebug", Shift+F8)
    int quitState = 0;      // 0, or the quit under way: 1 quitting, 2 quitting while hosting

    constexpr bool operator==(const ProgramModeRecord&) const = default;
};
extern const ProgramModeRecord& ProgramMode;
// Replaces the record (the command line, once read).
void SetProgramMode(const ProgramModeRecord& mode);
// A host restart starts the host again; the host console takes the keys;
// Shift+F8; a quit begins or is called off.
void SetStartMode(int startMode);
void SetConsoleMode(int consoleMode);
void SetNetworkDebug(int networkDebug);
void SetQuitState(int quitState);
// Changes a copy of the record and puts it in its place (tests).
template <typename Change>
void EditProgramMode(Change change)
{
    EditRecord(ProgramMode, SetProgramMode, change);
}

// Formats of multiplayer replay and layout paths and their search patterns;
// the "mprdir" and "lytdir" options put another folder in them. Any "%" of
// a folder name is doubled, so the formats take exactly their one "%s".
// Lives for the whole run.
constexpr int PathTemplateSize = 48;
struct DataPathRecord {
    char mprFile[PathTemplateSize] = "data\\mpr\\%s.mpr";
    char mprSearch[PathTemplateSize] = "data\\mpr\\*.mpr";
    char layoutFile[PathTemplateSize] = "data\\layout\\%s.lyt";
    char layoutSearch[PathTemplateSize] = "data\\layout\\%s_*.lyt";

    constexpr bool operator==(const DataPathRecord&) const = default;
};
extern const DataPathRecord& DataPaths;
void SetDataPaths(const DataPathRecord& paths);

// Width and height in pixels.
struct SizeRecord {
    int width = 0;
    int height = 0;

    constexpr bool operator==(const SizeRecord&) const = default;
};
// The desktop (read once) and the drawing area (0 x 0 without graphics).
// Lives for the whole run.
struct ScreenSizeRecord {
    SizeRecord desktop;
    SizeRecord client;

    constexpr bool operator==(const ScreenSizeRecord&) const = default;
};
extern const ScreenSizeRecord& ScreenSize;
void SetDesktopSize(int width, int height);
void SetClientSize(int width, int height);

// The display values of the pass, for the drawing code. Lives for one pass
// of the main loop.
struct DisplayPassRecord {
    int skipDrawing = 0;        // 1 while nothing is drawn in this pass (no drawing area, device lost)
    int frameBegun = 0;         // set by the drawing code when it has begun the 3D frame
    float aspectHW = 1.0f;      // height / width
    float aspectWH = 1.0f;      // width / height
    float pixelScaleX = 0.0f;   // 2 / (width * "SCREEN_XMUL")
    float pixelScaleY = 0.0f;   // 2 / (height * "SCREEN_YMUL")
    float aspectFactor = 1.0f;  // min(1, sqrt(1.333 / aspectWH))
    float lodFactor = 1.0f;     // 1024 / ("Main LOD" * 1920) with graphics, else 1

    constexpr bool operator==(const DisplayPassRecord&) const = default;
};
extern const DisplayPassRecord& DisplayPass;
// Begins the display of a pass: the frame not begun, and the display values
// of the drawing area (a window three times as wide as high spans three
// screens, and the interface lives on the middle one). Without graphics or
// a drawing area nothing is drawn.
void BeginDisplayPass();
// The drawing code begins the 3D frame, or finds it cannot draw this pass.
void SetFrameBegun(int begun);
void SetSkipDrawing(int skip);
// Replaces the whole record (tests of a given drawing area).
void SetDisplayPass(const DisplayPassRecord& pass);

// What a screen's mouse handler receives, rewritten for every event.
struct MouseEvent {
    int32_t dx = 0;        // pixels since the last event (0 outside the client area)
    int32_t dy = 0;
    int32_t leftHeld = 0;  // 0 or 1
    int32_t rightHeld = 0;
    int32_t press = 0;     // 1 left, 2 right; + 4 with Ctrl, + 8 with Shift; 0 none
    uint8_t wheel = 0;     // 1 up, 2 down, 0 none
    uint8_t release = 0;   // 1 left, 2 right, 0 none

    constexpr bool operator==(const MouseEvent&) const = default;
};

// The keys and the mouse as the window's events leave them. Lives for the
// whole run.
struct InputStateRecord {
    uint8_t keyState[256] = {};     // 1 while a key is down, by virtual-key code; entries
                                    // 1 left, 2 right, 3 middle button, 4 and 5 wheel
                                    // up and down this pass
    int shiftHeld = 0;
    int ctrlHeld = 0;
    int altHeld = 0;
    uint8_t arrowHeld[4] = {};      // up, down, right, left
    uint8_t arrowHeldGame[4] = {};  // the same, set only outside console mode
    uint8_t pageHeld[2] = {};       // page up, page down
    int lastMousePixel[2] = {};     // the pointer in client pixels
    float mousePosition[2] = {};    // the pointer in interface units (-1..1)
    int mouseMoved = 0;             // the pointer moved over the window since it entered
    int appInactive = 0;            // 1 while the window is inactive or minimised
    int keyboardLayoutChanged = 0;  // the input method is brought up to date while set

    constexpr bool operator==(const InputStateRecord&) const = default;
};
extern const InputStateRecord& InputState;
// An entry of keyState (0 to 255).
void SetKeyHeld(int index, int held);
void SetModifierKeys(int shift, int ctrl, int alt);
// An arrow key (slot 0 up, 1 down, 2 right, 3 left) pressed or released;
// a press reaches arrowHeldGame only outside console mode.
void SetArrowHeld(int slot, int held);
void SetPageHeld(int which, int held);
// The window lost the focus: keys released there never arrive, so every
// held key and modifier is let go (the arrows stay as they are).
void ReleaseHeldKeys();
// The pointer along one axis (0 x, 1 y): client pixel and interface units.
void SetMouseAxis(int axis, int pixel, float position);
void SetMouseMoved(int moved);
void SetAppInactive(int inactive);
void SetKeyboardLayoutChanged(int changed);
// Replaces the whole record (tests).
void SetInputState(const InputStateRecord& input);
