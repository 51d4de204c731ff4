// The main loop: one pass paces the frame, advances the game clock, runs
// the screen chain, draws and presents, takes the window's events and
// carries out the requests other code left for the loop.
#include <cstdio>

#include "app/local.h"
#include "app/services.h"
#include "core/services.h"
#include "devices/services.h"
#include "graphics/services.h"
#include "net/services.h"
#include "session/services.h"
#include "ui/services.h"
#include "world/services.h"

void SetQuitFlag() { Shell.quitFlag = 1; }

namespace {

// A menu shows instead of a car: the front end, or a session that shows
// no car. The frame is then paced more slowly.
int MenuShown() { return GameKind == 1 || (CurrentSession != nullptr && SessionShowsNoCar(*CurrentSession)); }

// The game clock of the pass; a fast time scale that a long stall brought
// back to 1 is announced.
void AdvanceClockOfPass()
{
    if (AdvanceGameClock(InSimTimeStop))
        ShowTimeScaleText();
}

void UpdateFlashColours()
{
    static constexpr int On[3] = {9, 11, 11};
    static constexpr int Off[3] = {1, 10, 22};
    const int* source = GameTime.clockMs % 1000 > 500 ? On : Off;
    for (int i = 0; i < 3; ++i)
        Shell.flashColours[i] = StandardColours[source[i]];
}

// The graphics' side of a new pass: a changed back-buffer format, the
// special textures refilled after a mode change, the background.
void PrepareDrawing()
{
    if (TakeBackBufferFormatChanged())
        SetBackBufferFormat(DeviceBackBufferFormat());
    if (Shell.texturesNeedRestore && !DisplayPass.skipDrawing && RestoreSpecialTextures())
        Shell.texturesNeedRestore = 0;
    if (!DisplayPass.skipDrawing)
        DrawBackground();
}

// Saves the back buffer as "data\shots\qvn_<number>.bmp" and counts the
// number on.
void TakeScreenshot()
{
    Shell.screenshotRequest = 0;
    char name[64];
    std::snprintf(name, sizeof name, "data\\shots\\qvn_%.8d.bmp", Settings.nextShot);
    EditSettings([](SettingsRecord& settings) { settings.nextShot += 1; });
    if (SaveScreenshot(name) == 0)
        PrintMessage(name, 7);
}

void DrawAndPresent()
{
    if (DisplayPass.skipDrawing)
        return;
    if (!DisplayPass.frameBegun)
        BeginFrame();
    if (DisplayPass.skipDrawing)
        return;
    Draw2DLayer();
    if (Shell.renderHook != nullptr)
        Shell.renderHook(Shell.renderHookArgument);
    if (DisplayPass.skipDrawing)
        return;
    EndFrame();
    if (DisplayPass.skipDrawing)
        return;
    if (Shell.screenshotRequest)
        TakeScreenshot();
    PresentBackBuffer();
}

// Runs a change of display mode with the sound stopped around it.
template <typename Change>
void WithSoundStopped(Change change)
{
    int soundRan = IsSoundRunning();
    if (soundRan)
        StopSound();
    change();
    if (soundRan)
        StartSound();
}

void CarryOutRequests()
{
    if (Shell.fullScreenRequest != -1) {
        if (Settings.startWindowed || Shell.fullScreenRequest != Shell.fullScreenModeIndex)
            WithSoundStopped([] { SetFullScreenMode(Shell.fullScreenRequest); });
        Shell.fullScreenRequest = -1;
    }
    if (Shell.windowedRequest) {
        if (!Settings.startWindowed)
            WithSoundStopped([] { SetWindowedMode(); });
        Shell.windowedRequest = 0;
    }
    if (ProgramMode.graphicsOn && DeviceExists() && Settings.antialiasing != DeviceMultisampleType()) {
        const SizeRecord& client = ScreenSize.client;
        ChangeDisplayMode(client.width, client.height, -1, DeviceWindowed(), Settings.antialiasing);
        Shell.texturesNeedRestore = 1;
    }
    if (Shell.controllerReinitRequest) {
        Shell.controllerReinitRequest = 0;
        InitHeadTracker();
        InitControllers();
    }
}

} // namespace

void MainLoopPass()
{
    StepProgramRandom();
    if (Shell.hasConsoleWindow)
        UpdateHostWindow();
    PaceFrame(MenuShown());
    RefreshWallClock();
    AdvanceClockOfPass();
    UpdateFlashColours();

    BeginDisplayPass();
    SetTextScale(DisplayPass.aspectFactor);
    ClearDisplayList();
    if (ProgramMode.graphicsOn)
        PrepareDrawing();
    SetMessageAreaTop(-1.0f);

    Screen* next = Shell.topScreen != nullptr ? Shell.topScreen->frame(Shell.topScreen) : nullptr;
    Shell.topScreen = next;
    PollControlsWithoutSession();

    if (ProgramMode.graphicsOn)
        DrawAndPresent();

    if (next == nullptr)
        SetQuitFlag();
    else if (IsSoundRunning() && IsMusicPlaying())
        RefillMusicStream();
    SetKeyHeld(4, 0);
    SetKeyHeld(5, 0);
    if (!Shell.quitFlag) {
        PumpWindowMessages();
        if (InputState.keyboardLayoutChanged)
            UpdateImeState();
    }
    if (SkinDownloadWaiting)
        ProcessFinishedSkin();
    CarryOutRequests();
    EndGamePass();
}

void RunMainLoop()
{
    while (!Shell.quitFlag)
        MainLoopPass();
}
