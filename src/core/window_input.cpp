// The window procedure: the window layer's events become key codes,
// characters and mouse events for the current screen (or the host console
// without graphics); a few key combinations act globally; quitting starts
// here.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "core/local.h"
#include "core/services.h"
#include "devices/services.h"
#include "graphics/services.h"
#include "net/services.h"
#include "platform/handover.h"
#include "platform/window.h"
#include "session/services.h"
#include "ui/services.h"
#include "world/services.h"

using namespace platform;

Screen* CurrentScreen = nullptr;
uint8_t KeyState[256] = {};
int ShiftHeld = 0, CtrlHeld = 0, AltHeld = 0;
AltNumberRecord AltNumber;
uint8_t ArrowHeld[4] = {};
uint8_t ArrowHeldGame[4] = {};
uint8_t PageHeld[2] = {};
int ConsoleMode = 0;
int PendingMessageKey = 0;
int LastMousePixel[2] = {};
float MousePosition[2] = {};
int MouseMoved = 0;
MouseEvent CurrentMouseEvent;
int AppInactive = 0;
uint8_t DeviceBusy = 0;
int InfoPanel = 0;
int InfoOverlay = 0;
int ResultsMode = 0;
int KeyboardLayoutChanged = 0;
int QuitState = 0;
int QuitReturnTarget = 0;

namespace {

// The selected row of the in-race panels; function keys reset it.
int PanelSelection = 0;

// A key code or character for whoever takes input: the current screen, or
// the host console without graphics.
void DeliverKey(int code)
{
    if (!GraphicsOn) {
        OnHostConsoleKey(code);
        return;
    }
    if (CurrentScreen != nullptr && CurrentScreen->key != nullptr)
        CurrentScreen->key(CurrentScreen, code);
}

void DeliverSpecialCode(int code)
{
    if (CancelDrag())
        return;
    DeliverKey(code);
}

void RunMessageKey(int number)
{
    if (ConsoleMode || DialogOpen) {
        PendingMessageKey = number + 1;
        return;
    }
    const char* text = MessageKeyTable[number];
    if (text[0] != 0 && MaySendText(text, 0))
        ExecuteCommand(nullptr, text, 0);
}

bool ModeKeysAllowed() { return GraphicsOn && !IsWorldLoading(); }

void ShowOnOff(TextId format, int on, int colour)
{
    char line[128];
    std::snprintf(line, sizeof line, GetText(format), GetText(on ? TX_3a_on_buttn : TX_3a_off_butt));
    PrintMessage(line, colour);
}

// Function keys without Shift: message keys and panel keys. Returns 1
// when the key was used up here.
int HandleFunctionKey(int key)
{
    int number = key - VkF1 + 1;  // 1..12
    if (AltHeld && !CtrlHeld) {
        RunMessageKey(19 + number);
        return 1;
    }
    if (number >= 9 && !CtrlHeld) {
        PanelSelection = 0;
        if (GameKind == 3 && number >= 11)
            InfoPanel = 0;
        else
            SelectInfoPanel(number - 8);
        return 1;
    }
    bool replayPlays = MultiplayerReplayPlaying || GameKind == 3;
    if (replayPlays && number <= 3 && !CtrlHeld)
        return 0;
    RunMessageKey(CtrlHeld ? 7 + number : number - 1);
    return 1;
}

int OnKeyDown(int key)
{
    if (QuitState != 0)
        return 0;
    if (key >= VkF1 && key <= VkF12 && !ShiftHeld && HandleFunctionKey(key))
        return 0;
    if (AltHeld && key != VkMenu)
        return 0;
    if (key >= 256)
        return 0;
    switch (key) {
    case VkBack:
    case VkPause:
    case VkNumLock:
    case VkScroll: return 0;
    case VkShift: ShiftHeld = 1; return 0;
    case VkControl: CtrlHeld = 1; return 0;
    case VkMenu:
        // The first press starts a new Alt number; the key's repeats do not.
        if (!AltHeld)
            AltNumber = {};
        AltHeld = 1;
        return 0;
    case VkPrior: PageHeld[0] = 1; DeliverSpecialCode(KeyCodePageUp); return 0;
    case VkNext: PageHeld[1] = 1; DeliverSpecialCode(KeyCodePageDown); return 0;
    case VkEnd: DeliverSpecialCode(KeyCodeEnd); return 0;
    case VkHome: DeliverSpecialCode(KeyCodeHome); return 0;
    case VkUp:
    case VkDown:
    case VkRight:
    case VkLeft: {
        static constexpr int Slot[4] = {3, 0, 2, 1};   // left, up, right, down
        static constexpr int Code[4] = {KeyCodeLeft, KeyCodeUp, KeyCodeRight, KeyCodeDown};
        int index = key - VkLeft;
        ArrowHeld[Slot[index]] = 1;
        if (!ConsoleMode)
            ArrowHeldGame[Slot[index]] = 1;
        DeliverSpecialCode(Code[index]);
        return 0;
    }
    case VkInsert:
        DeliverSpecialCode(CtrlHeld ? KeyCodeCopy : ShiftHeld ? KeyCodePaste : KeyCodeInsert);
        return 0;
    case VkDelete: KeyState[VkDelete] = 1; DeliverSpecialCode(KeyCodeDelete); return 0;
    default: break;
    }
    if (key >= VkF1 && key <= VkF1 + 2 && (ShiftHeld || !CtrlHeld)) {
        DeliverSpecialCode(KeyCodeF1 + key - VkF1);
        return 0;
    }
    if (ShiftHeld && key == VkF1 + 3) {
        if (ModeKeysAllowed()) {
            if (Settings.startWindowed)
                FullScreenRequest = FullScreenModeIndex;
            else
                WindowedRequest = 1;
        }
        return 0;
    }
    if (ShiftHeld && key == VkF1 + 4) {
        if (Settings.language[0] != 0) {
            ResetTextTable();
            LoadLanguage(Settings.language, true);
            SelectTranslationCodePage();
        }
        return 0;
    }
    if (ShiftHeld && key == VkF1 + 7) {
        NetworkDebug = !NetworkDebug;
        ShowOnOff(TX_3a_shf8nwdb, NetworkDebug, 15);
        return 0;
    }
    if (ShiftHeld && key >= VkF1 + 8 && key <= VkF12) {
        if (ModeKeysAllowed())
            RequestFullScreenMode(QuickModeIndex[key - (VkF1 + 8)]);
        return 0;
    }
    if (CtrlHeld) {
        switch (key) {
        case 'S': ScreenshotRequest = 1; return 0;
        case 'T':
            if (UdpPositions)
                RequestTcpPositions();
            else
                PrintMessage("Using TCP for position updates", 9);
            return 0;
        case 'V': DeliverSpecialCode(KeyCodePaste); return 0;
        case 'C':
            if (ConsoleMode || DialogOpen)
                DeliverSpecialCode(KeyCodeCopy);
            else
                ToggleCursorClip();
            return 0;
        case 'H': RetireAllMessages(); return 0;
        case VkTab: {
            ResultsMode = (ResultsMode + 1) % 3;
            static constexpr TextId Names[3] = {TX_3a_small_no, TX_3h_smallaut, TX_3a_smallyes};
            char line[128];
            std::snprintf(line, sizeof line, GetText(TX_3h_s_coln_s), GetText(TX_3a_ctabshwr),
                          GetText(Names[ResultsMode]));
            PrintMessage(line, 11);
            return 0;
        }
        default: break;
        }
        bool digit = (key >= '0' && key <= '8') || (key >= VkNumpad0 && key <= VkNumpad0 + 8);
        if (digit) {
            if (!GraphicsOn)
                OnHostConsoleKey(key);
            else if (CurrentScreen != nullptr && !CurrentScreen->rawKeys && CurrentScreen->key != nullptr)
                CurrentScreen->key(CurrentScreen, key);
        }
        if (!ConsoleMode)
            KeyState[key] = 1;
        return 0;
    }
    if (GraphicsOn && CurrentScreen != nullptr && CurrentScreen->rawKeys && CurrentScreen->key != nullptr) {
        SetKeyDownDispatching(1);
        CurrentScreen->key(CurrentScreen, key);
        SetKeyDownDispatching(0);
    }
    if (!ConsoleMode)
        KeyState[key] = 1;
    return 0;
}

int OnKeyUp(int key)
{
    switch (key) {
    case VkShift: ShiftHeld = 0; return 0;
    case VkControl: CtrlHeld = 0; return 0;
    case VkMenu: {
        AltHeld = 0;
        if (AltNumber.count > 0) {
            AltNumber.digits[AltNumber.count] = 0;
            int code = std::atoi(AltNumber.digits);
            AltNumber = {};
            if (IsTypableCharacter(code))
                DeliverKey(code);
        }
        return 0;
    }
    case VkPrior: PageHeld[0] = 0; return 0;
    case VkNext: PageHeld[1] = 0; return 0;
    case VkUp: ArrowHeld[0] = ArrowHeldGame[0] = 0; return 0;
    case VkDown: ArrowHeld[1] = ArrowHeldGame[1] = 0; return 0;
    case VkRight: ArrowHeld[2] = ArrowHeldGame[2] = 0; return 0;
    case VkLeft: ArrowHeld[3] = ArrowHeldGame[3] = 0; return 0;
    case VkDelete: KeyState[VkDelete] = 0; return 0;
    default: break;
    }
    if (key >= 0 && key < 256)
        KeyState[key] = 0;
    return 0;
}

int OnChar(int character)
{
    if (QuitState != 0) {
        SetSwallowNextChar(0);
        return 0;
    }
    // Digits typed with Alt held make a character code, delivered when Alt
    // is released whatever kind of screen is current.
    if (AltHeld && character >= '0' && character <= '9') {
        if (AltNumber.count >= 3) {
            PlayUiSound(3);
            return 0;
        }
        AltNumber.digits[AltNumber.count++] = static_cast<char>(character);
        return 0;
    }
    if (CurrentScreen == nullptr || CurrentScreen->rawKeys || SwallowNextChar) {
        SetSwallowNextChar(0);
        return 0;
    }
    if (character >= 256) {
        char line[64];
        std::snprintf(line, sizeof line, "Unknown key %d", character);
        PrintMessage(line, 11);
        return 0;
    }
    if (CancelDrag())
        return 0;
    DeliverKey(character);
    return 0;
}

// Pixel position to movement and interface units along one axis; a
// position outside the client area gives no movement.
int TrackAxis(int axis, int pixel, int limit, float scale)
{
    if (pixel < 0 || pixel >= limit)
        return 0;
    int movement = pixel - LastMousePixel[axis];
    LastMousePixel[axis] = pixel;
    MousePosition[axis] = static_cast<float>(pixel) * scale - 1.0f;
    return movement;
}

int OnMouse(const WindowEvent& event)
{
    MouseEvent& mouse = CurrentMouseEvent;
    mouse.press = 0;
    mouse.wheel = 0;
    mouse.release = 0;
    bool wheel = false;
    switch (event.kind) {
    case WindowEventKind::MouseMove: MouseMoved = 1; break;
    case WindowEventKind::MouseDown:
    case WindowEventKind::MouseUp: {
        bool down = event.kind == WindowEventKind::MouseDown;
        CaptureMouse(down ? 1 : 0);
        if (event.button == 3) {
            KeyState[3] = down ? 1 : 0;
            return 0;
        }
        KeyState[event.button] = down ? 1 : 0;
        if (down)
            mouse.press = event.button;
        else
            mouse.release = static_cast<uint8_t>(event.button);
        break;
    }
    case WindowEventKind::MouseWheel:
        if (event.wheel == 0)
            return 0;
        wheel = true;
        KeyState[event.wheel > 0 ? 4 : 5] = 1;
        mouse.wheel = event.wheel > 0 ? 1 : 2;
        break;
    default: return 0;
    }
    if (!wheel) {
        mouse.dx = TrackAxis(0, event.x, ClientSize.width, PixelScaleX);
        mouse.dy = TrackAxis(1, event.y, ClientSize.height, PixelScaleY);
    }
    mouse.leftHeld = KeyState[1];
    mouse.rightHeld = KeyState[2];
    if (mouse.press != 0)
        mouse.press += (event.ctrl ? 4 : 0) + (event.shift ? 8 : 0);
    if (CurrentScreen != nullptr && CurrentScreen->mouse != nullptr)
        CurrentScreen->mouse(CurrentScreen, &mouse);
    return 0;
}

int OnActivate(int active, int minimised)
{
    if (active) {
        if (minimised)
            return 0;
        AppInactive = 0;
        RequestControllerReinit();
        TexturesNeedRestore = 1;
        return 0;
    }
    // Keys released while another window has the focus never arrive here:
    // forget every held key now.
    ShiftHeld = CtrlHeld = AltHeld = 0;
    AltNumber = {};
    std::memset(KeyState, 0, sizeof KeyState);
    AppInactive = 1;
    PageHeld[0] = PageHeld[1] = 0;
    FreeControllers();
    return 0;
}

int OnPaint()
{
    if (!GraphicsOn && DedicatedMode != 3)
        PaintHostWindow();
    return 0;
}

} // namespace

void SetCurrentScreen(Screen* screen)
{
    CurrentScreen = screen;
    if (screen != nullptr && screen->background != nullptr)
        SetEntryBackground(screen->background);
}

int RequestQuit(int target)
{
    if (QuitState != 0)
        return QuitState;
    if (IsHostingLive()) {
        RemoveAllGuests();
        QuitDecision = 1;
        QuitState = 2;
    } else {
        QuitState = 1;
    }
    if (target != 0) {
        QuitReturnTarget = target;
        if (CurrentScreen == nullptr || CurrentScreen->background == nullptr ||
            std::strcmp(CurrentScreen->background, "entry") != 0)
            SetEntryBackground(nullptr);
    } else {
        CloseInSim();
        StopSound();
        SetEntryBackground(nullptr);
    }
    return QuitState;
}

void QuitWithExitCode(int code)
{
    ExitCode = code;
    RequestQuit(0);
}

int SimulateKeyPress(int ctrl, int shift, int alt, int key)
{
    int savedCtrl = CtrlHeld, savedShift = ShiftHeld, savedAlt = AltHeld;
    CtrlHeld = ctrl;
    ShiftHeld = shift;
    AltHeld = alt;
    OnKeyDown(key);
    int result = OnKeyUp(key);
    CtrlHeld = savedCtrl;
    ShiftHeld = savedShift;
    AltHeld = savedAlt;
    return result;
}

void CentreCursor()
{
    int x = ClientSize.width / 2;
    int y = ClientSize.height / 2;
    WarpMouse(x, y);
    LastMousePixel[0] = x;
    LastMousePixel[1] = y;
    MousePosition[0] = static_cast<float>(x) * PixelScaleX - 1.0f;
    MousePosition[1] = static_cast<float>(y) * PixelScaleY - 1.0f;
}

void SelectInfoPanel(int n)
{
    if (IsFreeCameraActive())
        return;
    if (n == InfoPanel && InfoOverlay) {
        if (Settings.showNames != 1) {
            InfoPanel = 0;
            return;
        }
        Settings.showNames = 2;
    } else if (Settings.showNames == 1) {
        Settings.showNames = 2;
    }
    InfoPanel = n;
    InfoOverlay = 1;
}

int WindowProc(const WindowEvent& event)
{
    switch (event.kind) {
    case WindowEventKind::Close: RequestQuit(0); return 0;
    case WindowEventKind::Resize: return OnWindowResized();
    case WindowEventKind::Activate: return OnActivate(event.active, event.minimised);
    case WindowEventKind::Paint: return OnPaint();
    case WindowEventKind::KeymapChanged: KeyboardLayoutChanged = 1; return 0;
    case WindowEventKind::MouseLeave: MouseMoved = 0; return 0;
    case WindowEventKind::KeyDown: return OnKeyDown(event.key);
    case WindowEventKind::KeyUp: return OnKeyUp(event.key);
    case WindowEventKind::Char: return OnChar(event.character);
    case WindowEventKind::TextEditing: UpdateComposition(event.text); return 0;
    case WindowEventKind::MouseMove:
    case WindowEventKind::MouseDown:
    case WindowEventKind::MouseUp:
    case WindowEventKind::MouseWheel: return OnMouse(event);
    default: return 0;
    }
}

void PumpWindowMessages()
{
    // A pass takes the events that wait when it gets here, up to a bound;
    // those that handling them brings (a window system can answer a change
    // of style with a size change) wait for the next pass. The screens,
    // which read a request to quit, then run every pass whatever arrives.
    int waiting = std::min(GatherEvents(), MaxWindowEventsPerPass);
    WindowEvent event;
    for (int taken = 0; taken < waiting && PollEvent(event); ++taken)
        WindowProc(event);
    // A second copy's hand-over is answered here, on the main thread, like
    // the application message it stands for.
    HandOverPoll(OnHandOverRequest);
}
