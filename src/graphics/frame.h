// The frame: begun exactly once a pass, either by the main loop's
// background (a clear and the screens' picture) or by the race's 3D view
// (the sky, or a plain clear), whichever comes first; a small stack of
// background modes decides which. Before each begin the processor may wait
// for the graphics card ("Lag Prevent "). The sky is a dome and a horizon
// ring built on the first sky draw and drawn around the camera. A
// screenshot is the back buffer written as a BMP file.
#pragma once

#include <cstdint>

struct Material;

// Background modes: 0 and 1 the screens' picture (1 also the busy display
// a session pushes while it joins or seeks, kept on top of modes set over
// it), 2 the race scene and 3 the in-car views (the 3D view begins the
// frame), 4 a clear in the camera's ambient colour.
constexpr int MaxBackgroundModes = 15;
enum BackgroundMode : int {
    BackgroundPicture = 0,
    BackgroundBusy = 1,
    BackgroundRaceScene = 2,
    BackgroundInCar = 3,
    BackgroundAmbient = 4,
};
struct BackgroundModeStackRecord {
    int modes[MaxBackgroundModes] = {};
    int count = 0;

    bool operator==(const BackgroundModeStackRecord&) const = default;
};
// Lives for the whole run; only the operations below change it.
extern const BackgroundModeStackRecord& BackgroundModeStack;

// A 16th push is ignored; a pop on an empty stack keeps it empty.
void PushBackgroundMode(int mode);
void PopBackgroundMode();
// The top mode; 0 (the picture) for an empty stack.
int TopBackgroundMode();
// Sets the mode for a view, keeping a busy display (1) on top; undone by
// EndBackgroundMode.
void SetBackgroundMode(int mode);
void EndBackgroundMode();

// Sets FrameBegun and, with "Lag Prevent " on, makes the processor wait
// for the graphics card to finish the previous frame.
void SyncGpuFrame();
// Begins the frame unless begun, cleared to black; sets SkipDrawing when
// the device cannot be drawn to.
void BeginFrame();
// The main loop's begin (once a pass, when nothing began the frame), by the
// top background mode.
void DrawBackground();
// The race view's begin: the loaded world's sky; nothing without a world.
void BeginFrameWithSky(int begin);
// Draws the sky (dome on the texture, turned by the heading in radians;
// horizon ring in its colour) around the camera, building it first when
// needed; with begin set it also begins the frame. Colours are ARGB.
void DrawSky(Material* skyTexture, float heading, float radius, float height, uint32_t clearColour,
             uint32_t horizonColour, int begin);
// Builds the dome "SKY%d" and the horizon ring "HOR%d" (heading as a
// 16-bit angle); LoadSky is what DrawSky calls when they are missing.
void LoadSky(Material* skyTexture, int heading, float radius, float height, uint32_t horizonColour);
// Forgets the sky meshes; the next sky draw builds them again.
void ResetSky();
// Names of the built sky meshes ("" before the first sky draw).
const char* SkyDomeName();
const char* SkyRingName();

// Saves the back buffer as a BMP file; 0 on success, 1 when it could not be
// saved (the reason goes to the message list).
int SaveScreenshot(const char* fileName);

// The in-race display's mode: 0 hidden but for flags and captions, 1
// shown, 2 the replay view.
// Pending: there is no in-race display yet; answers 0.
int InRaceDisplayMode();
// Ends a drag of the replay bar.
// Pending: no replay bar yet; does nothing.
void EndReplayDrag();
