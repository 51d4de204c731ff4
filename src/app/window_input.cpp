// The window procedure: the window layer's events become key codes,
// characters and mouse events for the current screen (or the host console
// without graphics); a few key combinations act globally; quitting starts
// here.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "app/local.h"
#include "app/services.h"
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

namespace {

// The modifier keys as they stand.
int ShiftHeld() { return InputState.shiftHeld; }
int CtrlHeld() { return InputState.ctrlHeld; }
int AltHeld() { return InputState.altHeld; }

// A key code or character for whoever takes input: the current screen, or
// the host console without graphics.
void DeliverKey(int code)
{
    if (!ProgramMode.graphicsOn) {
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
    // While a dialog is open the entry line inserts the message instead.
    if (DialogOpen) {
        RequestStoredMessage(number + 1);
        return;
    }
    if (ProgramMode.consoleMode) {
        Shell.pendingMessageKey = number + 1;
        return;
    }
    const char* text = MessageKeyTable[number];
    if (text[0] != 0 && MaySendText(text, 0))
        ExecuteCommand(nullptr, text, 0);
}

bool ModeKeysAllowed() { return ProgramMode.graphicsOn && !IsWorldLoading(); }

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
    if (AltHeld() && !CtrlHeld()) {
        RunMessageKey(19 + number);
        return 1;
    }
    if (number >= 9 && !CtrlHeld()) {
        Shell.panelSelection = 0;
        if (GameKind == 3 && number >= 11)
            Shell.infoPanel = 0;
        else
            SelectInfoPanel(number - 8);
        return 1;
    }
    bool replayPlays = MultiplayerReplayPlaying || GameKind == 3;
    if (replayPlays && number <= 3 && !CtrlHeld())
        return 0;
    RunMessageKey(CtrlHeld() ? 7 + number : number - 1);
    return 1;
}

// The keys that act the same on every screen: modifiers, paging, arrows,
// Home, End, Insert and Delete (some become special codes for the screen).
// Returns 1 when the key was used up here.
int HandleEditingKey(int key)
{
    switch (key) {
    case VkBack:
    case VkPause:
    case VkNumLock:
    case VkScroll: return 1;
    case VkShift: SetModifierKeys(1, CtrlHeld(), AltHeld()); return 1;
    case VkControl: SetModifierKeys(ShiftHeld(), 1, AltHeld()); return 1;
    case VkMenu:
        // The first press starts a new Alt number; the key's repeats do not.
        if (!AltHeld())
            Shell.altNumber = {};
        SetModifierKeys(ShiftHeld(), CtrlHeld(), 1);
        return 1;
    case VkPrior: SetPageHeld(0, 1); DeliverSpecialCode(KeyCodePageUp); return 1;
    case VkNext: SetPageHeld(1, 1); DeliverSpecialCode(KeyCodePageDown); return 1;
    case VkEnd: DeliverSpecialCode(KeyCodeEnd); return 1;
    case VkHome: DeliverSpecialCode(KeyCodeHome); return 1;
    case VkUp:
    case VkDown:
    case VkRight:
    case VkLeft: {
        static constexpr int Slot[4] = {3, 0, 2, 1};   // left, up, right, down
        static constexpr int Code[4] = {KeyCodeLeft, KeyCodeUp, KeyCodeRight, KeyCodeDown};
        int index = key - VkLeft;
        SetArrowHeld(Slot[index], 1);
        DeliverSpecialCode(Code[index]);
        return 1;
    }
    case VkInsert:
        DeliverSpecialCode(CtrlHeld() ? KeyCodeCopy : ShiftHeld() ? KeyCodePaste : KeyCodeInsert);
        return 1;
    case VkDelete: SetKeyHeld(VkDelete, 1); DeliverSpecialCode(KeyCodeDelete); return 1;
    default: return 0;
    }
}

// Shift with a function key: F1 to F3 as special codes (also without
// Ctrl), windowed or full screen, the language again, network debugging
// and the quick modes. Returns 1 when the key was used up here.
int HandleShiftedFunctionKey(int key)
{
    if (key >= VkF1 && key <= VkF1 + 2 && (ShiftHeld() || !CtrlHeld())) {
        DeliverSpecialCode(KeyCodeF1 + key - VkF1);
        return 1;
    }
    if (ShiftHeld() && key == VkF1 + 3) {
        if (ModeKeysAllowed()) {
            if (Settings.startWindowed)
                Shell.fullScreenRequest = Shell.fullScreenModeIndex;
            else
                Shell.windowedRequest = 1;
        }
        return 1;
    }
    if (ShiftHeld() && key == VkF1 + 4) {
        if (Settings.language[0] != 0) {
            ResetTextTable();
            LoadLanguage(Settings.language, true);
            SelectTranslationCodePage();
        }
        return 1;
    }
    if (ShiftHeld() && key == VkF1 + 7) {
        SetNetworkDebug(!ProgramMode.networkDebug);
        ShowOnOff(TX_3a_shf8nwdb, ProgramMode.networkDebug, 15);
        return 1;
    }
    if (ShiftHeld() && key >= VkF1 + 8 && key <= VkF12) {
        if (ModeKeysAllowed())
            RequestFullScreenMode(Shell.quickModeIndex[key - (VkF1 + 8)]);
        return 1;
    }
    return 0;
}

// Ctrl with a key: screenshots, positions by TCP, paste and copy, the
// cursor clip, the message list, the results display; digits reach
// character screens.
void HandleCtrlKey(int key)
{
    switch (key) {
    case 'S': Shell.screenshotRequest = 1; return;
    case 'T':
        if (UdpPositions)
            RequestTcpPositions();
        else
            PrintMessage(GetText(TX_3q_tcpusing), 9);
        return;
    case 'V': DeliverSpecialCode(KeyCodePaste); return;
    case 'C':
        if (ProgramMode.consoleMode || DialogOpen)
            DeliverSpecialCode(KeyCodeCopy);
        else
            ToggleCursorClip();
        return;
    case 'H': RetireAllMessages(); return;
    case VkTab: {
        Shell.resultsMode = (Shell.resultsMode + 1) % 3;
        static constexpr TextId Names[3] = {TX_3a_small_no, TX_3h_smallaut, TX_3a_smallyes};
        char line[128];
        std::snprintf(line, sizeof line, GetText(TX_3h_s_coln_s), GetText(TX_3a_ctabshwr),
                      GetText(Names[Shell.resultsMode]));
        PrintMessage(line, 11);
        return;
    }
    default: break;
    }
    bool digit = (key >= '0' && key <= '8') || (key >= VkNumpad0 && key <= VkNumpad0 + 8);
    if (digit) {
        if (!ProgramMode.graphicsOn)
            OnHostConsoleKey(key);
        else if (CurrentScreen != nullptr && !CurrentScreen->rawKeys && CurrentScreen->key != nullptr)
            CurrentScreen->key(CurrentScreen, key);
    }
    if (!ProgramMode.consoleMode)
        SetKeyHeld(key, 1);
}

int OnKeyDown(int key)
{
    if (ProgramMode.quitState != 0)
        return 0;
    if (key >= VkF1 && key <= VkF12 && !ShiftHeld() && HandleFunctionKey(key))
        return 0;
    if (AltHeld() && key != VkMenu)
        return 0;
    if (key >= 256 || HandleEditingKey(key) || HandleShiftedFunctionKey(key))
        return 0;
    if (CtrlHeld()) {
        HandleCtrlKey(key);
        return 0;
    }
    // A key that ends a slider drag only ends it: the value goes back to
    // where the drag began, and the screen, which the key might close
    // under the drag, never sees it. Shift, Ctrl and Alt alone end no drag:
    // they begin a combination (Ctrl+S saves the picture of the drag).
    const bool modifier = key == VkShift || key == VkControl || key == VkMenu;
    if (ProgramMode.graphicsOn && CurrentScreen != nullptr && CurrentScreen->rawKeys && CurrentScreen->key != nullptr &&
        (modifier || !CancelDrag())) {
        SetKeyDownDispatching(1);
        CurrentScreen->key(CurrentScreen, key);
        SetKeyDownDispatching(0);
    }
    if (!ProgramMode.consoleMode)
        SetKeyHeld(key, 1);
    return 0;
}

int OnKeyUp(int key)
{
    switch (key) {
    case VkShift: SetModifierKeys(0, CtrlHeld(), AltHeld()); return 0;
    case VkControl: SetModifierKeys(ShiftHeld(), 0, AltHeld()); return 0;
    case VkMenu: {
        SetModifierKeys(ShiftHeld(), CtrlHeld(), 0);
        if (Shell.altNumber.count > 0) {
            Shell.altNumber.digits[Shell.altNumber.count] = 0;
            int code = std::atoi(Shell.altNumber.digits);
            Shell.altNumber = {};
            if (IsTypableCharacter(code))
                DeliverKey(code);
        }
        return 0;
    }
    case VkPrior: SetPageHeld(0, 0); return 0;
    case VkNext: SetPageHeld(1, 0); return 0;
    case VkUp: SetArrowHeld(0, 0); return 0;
    case VkDown: SetArrowHeld(1, 0); return 0;
    case VkRight: SetArrowHeld(2, 0); return 0;
    case VkLeft: SetArrowHeld(3, 0); return 0;
    case VkDelete: SetKeyHeld(VkDelete, 0); return 0;
    default: break;
    }
    if (key >= 0 && key < 256)
        SetKeyHeld(key, 0);
    return 0;
}

int OnChar(int character)
{
    if (ProgramMode.quitState != 0) {
        SetSwallowNextChar(0);
        return 0;
    }
    // Digits typed with Alt held make a character code, delivered when Alt
    // is released whatever kind of screen is current.
    if (AltHeld() && character >= '0' && character <= '9') {
        if (Shell.altNumber.count >= 3) {
            PlayUiSound(3);
            return 0;
        }
        Shell.altNumber.digits[Shell.altNumber.count++] = static_cast<char>(character);
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
    int movement = pixel - InputState.lastMousePixel[axis];
    SetMouseAxis(axis, pixel, static_cast<float>(pixel) * scale - 1.0f);
    return movement;
}

int OnMouse(const WindowEvent& event)
{
    MouseEvent& mouse = Shell.mouseEvent;
    mouse.press = 0;
    mouse.wheel = 0;
    mouse.release = 0;
    bool wheel = false;
    switch (event.kind) {
    case WindowEventKind::MouseMove: SetMouseMoved(1); break;
    case WindowEventKind::MouseDown:
    case WindowEventKind::MouseUp: {
        bool down = event.kind == WindowEventKind::MouseDown;
        CaptureMouse(down ? 1 : 0);
        if (event.button == 3) {
            SetKeyHeld(3, down ? 1 : 0);
            return 0;
        }
        SetKeyHeld(event.button, down ? 1 : 0);
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
        SetKeyHeld(event.wheel > 0 ? 4 : 5, 1);
        mouse.wheel = event.wheel > 0 ? 1 : 2;
        break;
    default: return 0;
    }
    if (!wheel) {
        mouse.dx = TrackAxis(0, event.x, ScreenSize.client.width, DisplayPass.pixelScaleX);
        mouse.dy = TrackAxis(1, event.y, ScreenSize.client.height, DisplayPass.pixelScaleY);
    }
    mouse.leftHeld = InputState.keyState[1];
    mouse.rightHeld = InputState.keyState[2];
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
        SetAppInactive(0);
        RequestControllerReinit();
        Shell.texturesNeedRestore = 1;
        return 0;
    }
    // Keys released while another window has the focus never arrive here:
    // forget every held key now.
    ReleaseHeldKeys();
    Shell.altNumber = {};
    SetAppInactive(1);
    FreeControllers();
    return 0;
}

int OnPaint()
{
    if (!ProgramMode.graphicsOn && ProgramMode.dedicatedMode != 3)
        PaintHostWindow();
    return 0;
}

} // namespace

int BeginQuit(int target)
{
    if (ProgramMode.quitState != 0)
        return ProgramMode.quitState;
    if (IsHostingLive()) {
        RemoveAllGuests();
        RootState.quitDecision = 1;
        SetQuitState(2);
    } else {
        SetQuitState(1);
    }
    if (target != 0) {
        Shell.quitReturnTarget = target;
        if (CurrentScreen == nullptr || CurrentScreen->background == nullptr ||
            std::strcmp(CurrentScreen->background, "entry") != 0)
            SetEntryBackground(nullptr);
    } else {
        CloseInSim();
        StopSound();
        SetEntryBackground(nullptr);
    }
    return ProgramMode.quitState;
}

void QuitWithExitCode(int code)
{
    Shell.exitCode = code;
    BeginQuit(0);
}

int SimulateKeyPress(int ctrl, int shift, int alt, int key)
{
    int savedCtrl = CtrlHeld(), savedShift = ShiftHeld(), savedAlt = AltHeld();
    SetModifierKeys(shift, ctrl, alt);
    OnKeyDown(key);
    int result = OnKeyUp(key);
    SetModifierKeys(savedShift, savedCtrl, savedAlt);
    return result;
}

void CentreCursor()
{
    int x = ScreenSize.client.width / 2;
    int y = ScreenSize.client.height / 2;
    WarpMouse(x, y);
    SetMouseAxis(0, x, static_cast<float>(x) * DisplayPass.pixelScaleX - 1.0f);
    SetMouseAxis(1, y, static_cast<float>(y) * DisplayPass.pixelScaleY - 1.0f);
}

void SelectInfoPanel(int n)
{
    if (IsFreeCameraActive())
        return;
    if (n == Shell.infoPanel && Shell.infoOverlay && Settings.showNames != 1) {
        Shell.infoPanel = 0;
        return;
    }
    // A panel chosen by its key turns "Show Names" 1 into 2.
    if (Settings.showNames == 1)
        EditSettings([](SettingsRecord& settings) { settings.showNames = 2; });
    Shell.infoPanel = n;
    Shell.infoOverlay = 1;
}

int WindowProc(const WindowEvent& event)
{
    switch (event.kind) {
    case WindowEventKind::Close: BeginQuit(0); return 0;
    case WindowEventKind::Resize: return OnWindowResized();
    case WindowEventKind::Activate: return OnActivate(event.active, event.minimised);
    case WindowEventKind::Paint: return OnPaint();
    case WindowEventKind::KeymapChanged: SetKeyboardLayoutChanged(1); return 0;
    case WindowEventKind::MouseLeave: SetMouseMoved(0); return 0;
    case WindowEventKind::KeyDown: return OnKeyDown(event.key);
    case WindowEventKind::KeyUp: return OnKeyUp(event.key);
    case WindowEventKind::Char: return OnChar(event.character);
    case WindowEventKind::TextEditing: UpdateComposition(event.text, event.editCursor); return 0;
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
