// The records the program shell keeps for every subsystem to read: the
// program's mode, the data paths, the drawing area and the display values
// of the pass, and the keys and the mouse; with the rules that change them.
#include "core/local.h"
#include "core/services.h"

#include <algorithm>
#include <cmath>

ProgramModeRecord MutableProgramMode;
const ProgramModeRecord& ProgramMode = MutableProgramMode;
DataPathRecord MutableDataPaths;
const DataPathRecord& DataPaths = MutableDataPaths;
ScreenSizeRecord MutableScreenSize;
const ScreenSizeRecord& ScreenSize = MutableScreenSize;
DisplayPassRecord MutableDisplayPass;
const DisplayPassRecord& DisplayPass = MutableDisplayPass;
InputStateRecord MutableInputState;
const InputStateRecord& InputState = MutableInputState;

void SetProgramMode(const ProgramModeRecord& mode) { MutableProgramMode = mode; }
void SetStartMode(int startMode) { MutableProgramMode.startMode = startMode; }
void SetConsoleMode(int consoleMode) { MutableProgramMode.consoleMode = consoleMode; }
void SetNetworkDebug(int networkDebug) { MutableProgramMode.networkDebug = networkDebug; }
void SetQuitState(int quitState) { MutableProgramMode.quitState = quitState; }

void SetDataPaths(const DataPathRecord& paths) { MutableDataPaths = paths; }

void SetDesktopSize(int width, int height) { MutableScreenSize.desktop = {width, height}; }
void SetClientSize(int width, int height) { MutableScreenSize.client = {width, height}; }

namespace {

// The display values of a drawing area of the given size.
void ComputeDisplayValues(DisplayPassRecord& pass, const SizeRecord& client)
{
    if (client.width <= 0 || client.height <= 0) {
        pass.skipDrawing = 1;
        pass.aspectHW = pass.aspectWH = 1.0f;
        pass.pixelScaleX = pass.pixelScaleY = 0.0f;
        pass.aspectFactor = 1.0f;
        return;
    }
    pass.skipDrawing = 0;
    float width = static_cast<float>(client.width);
    float height = static_cast<float>(client.height);
    if (client.width >= 3 * client.height)
        width /= 3.0f;
    pass.aspectHW = height / width;
    pass.aspectWH = width / height;
    float xMul = Settings.screenXmul != 0.0f ? Settings.screenXmul : 1.0f;
    float yMul = Settings.screenYmul != 0.0f ? Settings.screenYmul : 1.0f;
    pass.pixelScaleX = 2.0f / (width * xMul);
    pass.pixelScaleY = 2.0f / (height * yMul);
    pass.aspectFactor = std::min(1.0f, std::sqrt(1.333f / pass.aspectWH));
}

} // namespace

void BeginDisplayPass()
{
    DisplayPassRecord& pass = MutableDisplayPass;
    pass.frameBegun = 0;
    if (!ProgramMode.graphicsOn) {
        pass.skipDrawing = 1;
        pass.lodFactor = 1.0f;
        return;
    }
    ComputeDisplayValues(pass, ScreenSize.client);
    pass.lodFactor = Settings.mainLod > 0.0f ? 1024.0f / (Settings.mainLod * 1920.0f) : 1.0f;
}

void SetFrameBegun(int begun) { MutableDisplayPass.frameBegun = begun; }
void SetSkipDrawing(int skip) { MutableDisplayPass.skipDrawing = skip; }
void SetDisplayPass(const DisplayPassRecord& pass) { MutableDisplayPass = pass; }

void SetKeyHeld(int index, int held)
{
    if (index >= 0 && index < 256)
        MutableInputState.keyState[index] = static_cast<uint8_t>(held ? 1 : 0);
}

void SetModifierKeys(int shift, int ctrl, int alt)
{
    MutableInputState.shiftHeld = shift;
    MutableInputState.ctrlHeld = ctrl;
    MutableInputState.altHeld = alt;
}

void SetArrowHeld(int slot, int held)
{
    if (slot < 0 || slot >= 4)
        return;
    InputStateRecord& input = MutableInputState;
    if (!held) {
        input.arrowHeld[slot] = input.arrowHeldGame[slot] = 0;
        return;
    }
    input.arrowHeld[slot] = 1;
    if (!ProgramMode.consoleMode)
        input.arrowHeldGame[slot] = 1;
}

void SetPageHeld(int which, int held)
{
    if (which >= 0 && which < 2)
        MutableInputState.pageHeld[which] = static_cast<uint8_t>(held ? 1 : 0);
}

void ReleaseHeldKeys()
{
    InputStateRecord& input = MutableInputState;
    input.shiftHeld = input.ctrlHeld = input.altHeld = 0;
    std::fill(std::begin(input.keyState), std::end(input.keyState), uint8_t{0});
    input.pageHeld[0] = input.pageHeld[1] = 0;
}

void SetMouseAxis(int axis, int pixel, float position)
{
    if (axis < 0 || axis >= 2)
        return;
    MutableInputState.lastMousePixel[axis] = pixel;
    MutableInputState.mousePosition[axis] = position;
}

void SetMouseMoved(int moved) { MutableInputState.mouseMoved = moved; }
void SetAppInactive(int inactive) { MutableInputState.appInactive = inactive; }
void SetKeyboardLayoutChanged(int changed) { MutableInputState.keyboardLayoutChanged = changed; }
void SetInputState(const InputStateRecord& input) { MutableInputState = input; }

void ResetShellState()
{
    MutableProgramMode = {};
    MutableDataPaths = {};
    MutableScreenSize = {};
    MutableDisplayPass = {};
    MutableInputState = {};
    MutableGameTime = {};
    BuildClockNudgeTable();
}
