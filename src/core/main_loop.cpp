// The main loop: one pass paces the frame, advances the game clock, runs
// the screen chain, draws and presents, takes the window's events and
// carries out the requests other code left for the loop.
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "core/local.h"
#include "core/services.h"
#include "devices/services.h"
#include "graphics/services.h"
#include "net/services.h"
#include "platform/clock.h"
#include "session/services.h"
#include "ui/services.h"
#include "world/services.h"

uint32_t GameClock = 0;
int32_t FrameStep = 0;
float TimeScale = 1.0f;
int32_t ClockNudge = 0;
int32_t ClockNudgeTable[ClockNudgeCount] = {};
uint32_t NudgePeriodIndex = 0;
uint32_t RealTime = 0;
int32_t RealElapsed = 0;
uint16_t RandomState = 0;
WallClockRecord WallClock;
ColourRecord FlashColours[3];
int QuitFlag = 0;
int ScreenshotRequest = 0;
int WindowedRequest = 0;
int FullScreenRequest = -1;
int ControllerReinitRequest = 0;
int TexturesNeedRestore = 0;
int FrameBegun = 0;
int SkipDrawing = 0;
void (*RenderHook)(int argument) = nullptr;
int RenderHookArgument = 0;
float AspectHW = 1.0f;
float AspectWH = 1.0f;
float PixelScaleX = 0.0f;
float PixelScaleY = 0.0f;
float AspectFactor = 1.0f;
float LodFactor = 1.0f;

Screen* TopScreen = nullptr;
uint32_t PassStart = 0;
float CarriedFraction = 0.0f;

void SetQuitFlag() { QuitFlag = 1; }

void BuildClockNudgeTable()
{
    for (int k = 1; k <= ClockNudgeCount; ++k) {
        float period = 5000.0f / static_cast<float>(k);
        ClockNudgeTable[k - 1] = static_cast<int32_t>(RoundHalfEven(period));
    }
}

void PaceFrame()
{
    RealTime = platform::NowMs();
    RealElapsed = static_cast<int32_t>(RealTime - PassStart);
    int sleep = Settings.minSleep;
    int minimumFrame = (Settings.gameLimitFps || DedicatedMode != 0) ? Settings.minFrameTime : 0;
    if (GameKind == 1 || (CurrentSession != nullptr && SessionShowsNoCar(*CurrentSession)))
        minimumFrame = std::max(minimumFrame, MenuMinFrameTime);
    if (RealElapsed < minimumFrame)
        sleep = std::max(sleep, minimumFrame - RealElapsed);
    if (sleep > 0) {
        platform::SleepMs(static_cast<uint32_t>(sleep));
        RealTime = platform::NowMs();
        RealElapsed = static_cast<int32_t>(RealTime - PassStart);
    }
}

void AdvanceGameClock()
{
    if (StartMode == 4) {
        // The replay check runs as fast as it can: every pass is a second.
        RealElapsed = 1000;
    } else if (RealElapsed > 2000 && TimeScale > 1.5f) {
        TimeScale = 1.0f;
        ShowTimeScaleText();
    }
    float x = static_cast<float>(RealElapsed) * TimeScale;
    bool slow = TimeScale < 0.9f;
    if (slow)
        x = x + CarriedFraction;
    // A pass after a very long stall can be longer than FrameStep holds:
    // the step saturates instead of overflowing.
    FrameStep = RoundToInt32(static_cast<double>(x));
    if (slow)
        CarriedFraction = x - static_cast<float>(FrameStep);

    if (ClockNudge != 0) {
        int32_t magnitude = std::min(std::abs(ClockNudge), ClockNudgeCount);
        uint32_t period = static_cast<uint32_t>(ClockNudgeTable[magnitude - 1]);
        uint32_t index = period != 0 ? RealTime / period : 0;
        if (index != NudgePeriodIndex) {
            NudgePeriodIndex = index;
            if (ClockNudge > 0)
                FrameStep = FrameStep == INT32_MAX ? FrameStep : FrameStep + 1;
            else
                FrameStep -= 1;
        }
    }
    if (FrameStep < 0 || InSimTimeStop)
        FrameStep = 0;
    GameClock += static_cast<uint32_t>(FrameStep);
}

namespace {

void RefreshWallClock()
{
    if (RealTime - WallClock.readMs <= 1000)
        return;
    platform::TimeOfDay time = WallClock.toggle == 0 ? platform::UtcTimeOfDay() : platform::LocalTimeOfDay();
    int slot = WallClock.toggle == 0 ? 1 : 0;
    WallClock.hour[slot] = time.hour % 24;
    WallClock.minute[slot] = time.minute;
    WallClock.toggle ^= 1;
    WallClock.readMs = RealTime;
}

void UpdateFlashColours()
{
    static constexpr int On[3] = {9, 11, 11};
    static constexpr int Off[3] = {1, 10, 22};
    const int* source = GameClock % 1000 > 500 ? On : Off;
    for (int i = 0; i < 3; ++i)
        FlashColours[i] = StandardColours[source[i]];
}

void ComputeDisplayValues()
{
    if (!GraphicsOn) {
        SkipDrawing = 1;
        return;
    }
    if (ClientSize.width > 0 && ClientSize.height > 0) {
        SkipDrawing = 0;
        float width = static_cast<float>(ClientSize.width);
        float height = static_cast<float>(ClientSize.height);
        // A window three times as wide as high spans three screens: the
        // interface lives on the middle one.
        if (ClientSize.width >= 3 * ClientSize.height)
            width /= 3.0f;
        AspectHW = height / width;
        AspectWH = width / height;
        float xMul = Settings.screenXmul != 0.0f ? Settings.screenXmul : 1.0f;
        float yMul = Settings.screenYmul != 0.0f ? Settings.screenYmul : 1.0f;
        PixelScaleX = 2.0f / (width * xMul);
        PixelScaleY = 2.0f / (height * yMul);
        AspectFactor = std::min(1.0f, std::sqrt(1.333f / AspectWH));
        TextScale = AspectFactor;
    } else {
        SkipDrawing = 1;
        AspectHW = AspectWH = 1.0f;
        PixelScaleX = PixelScaleY = 0.0f;
        AspectFactor = 1.0f;
    }
}

void DrawAndPresent()
{
    if (SkipDrawing)
        return;
    if (!FrameBegun)
        BeginFrame();
    if (SkipDrawing)
        return;
    Draw2DLayer();
    if (RenderHook != nullptr)
        RenderHook(RenderHookArgument);
    if (SkipDrawing)
        return;
    EndFrame();
    if (SkipDrawing)
        return;
    if (ScreenshotRequest) {
        ScreenshotRequest = 0;
        char name[64];
        std::snprintf(name, sizeof name, "data\\shots\\qvn_%.8d.bmp", Settings.nextShot);
        Settings.nextShot += 1;
        if (SaveScreenshot(name) == 0)
            PrintMessage(name, 7);
    }
    PresentBackBuffer();
}

void CarryOutRequests()
{
    if (FullScreenRequest != -1) {
        if (Settings.startWindowed || FullScreenRequest != FullScreenModeIndex) {
            int soundRan = IsSoundRunning();
            if (soundRan)
                StopSound();
            SetFullScreenMode(FullScreenRequest);
            if (soundRan)
                StartSound();
        }
        FullScreenRequest = -1;
    }
    if (WindowedRequest) {
        if (!Settings.startWindowed) {
            int soundRan = IsSoundRunning();
            if (soundRan)
                StopSound();
            SetWindowedMode();
            if (soundRan)
                StartSound();
        }
        WindowedRequest = 0;
    }
    if (GraphicsOn && DeviceExists() && Settings.antialiasing != DeviceMultisampleType()) {
        ChangeDisplayMode(ClientSize.width, ClientSize.height, -1, DeviceWindowed(), Settings.antialiasing);
        TexturesNeedRestore = 1;
    }
    if (ControllerReinitRequest) {
        ControllerReinitRequest = 0;
        InitHeadTracker();
        InitControllers();
    }
}

} // namespace

void MainLoopPass()
{
    RandomState = static_cast<uint16_t>(RandomState * 5u + 1u);
    if (HasConsoleWindow)
        UpdateHostWindow();
    PaceFrame();
    RefreshWallClock();
    AdvanceGameClock();
    UpdateFlashColours();

    FrameBegun = 0;
    ClearDisplayList();
    ComputeDisplayValues();
    if (GraphicsOn) {
        if (TakeBackBufferFormatChanged())
            SetBackBufferFormat(DeviceBackBufferFormat());
        if (TexturesNeedRestore && !SkipDrawing && RestoreSpecialTextures())
            TexturesNeedRestore = 0;
        if (!SkipDrawing)
            DrawBackground();
        LodFactor = Settings.mainLod > 0.0f ? 1024.0f / (Settings.mainLod * 1920.0f) : 1.0f;
    } else {
        LodFactor = 1.0f;
    }
    MessageAreaTop = -1.0f;

    Screen* next = TopScreen != nullptr ? TopScreen->frame(TopScreen) : nullptr;
    TopScreen = next;
    PollControlsWithoutSession();

    if (GraphicsOn)
        DrawAndPresent();

    if (next == nullptr)
        SetQuitFlag();
    else if (IsSoundRunning() && IsMusicPlaying())
        RefillMusicStream();
    KeyState[4] = 0;
    KeyState[5] = 0;
    if (!QuitFlag) {
        PumpWindowMessages();
        if (KeyboardLayoutChanged)
            UpdateImeState();
    }
    if (SkinDownloadWaiting)
        ProcessFinishedSkin();
    CarryOutRequests();
    PassStart = RealTime;
}

void RunMainLoop()
{
    while (!QuitFlag)
        MainLoopPass();
}

void ResetShell()
{
    GameClock = 0;
    FrameStep = 0;
    TimeScale = 1.0f;
    ClockNudge = 0;
    BuildClockNudgeTable();
    NudgePeriodIndex = 0;
    RealTime = 0;
    RealElapsed = 0;
    RandomState = 0;
    WallClock = {};
    QuitFlag = 0;
    ScreenshotRequest = 0;
    WindowedRequest = 0;
    FullScreenRequest = -1;
    ControllerReinitRequest = 0;
    TexturesNeedRestore = 0;
    FrameBegun = 0;
    SkipDrawing = 0;
    RenderHook = nullptr;
    TopScreen = nullptr;
    PassStart = 0;
    CarriedFraction = 0.0f;
    HasConsoleWindow = 0;
    DesktopSize = {};
    ClientSize = {};
    FullScreenModeIndex = -1;
    for (int& index : QuickModeIndex)
        index = -1;
    CurrentScreen = nullptr;
    std::fill(std::begin(KeyState), std::end(KeyState), uint8_t{0});
    ShiftHeld = CtrlHeld = AltHeld = 0;
    AltNumber = {};
    ConsoleMode = 0;
    PendingMessageKey = 0;
    CurrentMouseEvent = {};
    AppInactive = 0;
    DeviceBusy = 0;
    InfoPanel = 0;
    InfoOverlay = 0;
    ResultsMode = 0;
    KeyboardLayoutChanged = 0;
    QuitState = 0;
    QuitReturnTarget = 0;
    QuitDecision = 0;
    HotLapMode = 0;
}
