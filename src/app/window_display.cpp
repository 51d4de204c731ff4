// The main window's creation and the display modes: the mode chosen at
// start-up, full-screen and windowed switching, resizing, the device's
// creation on the window, texture filters and the cursor clip.
#include <algorithm>

#include "app/local.h"
#include "app/services.h"
#include "core/services.h"
#include "devices/services.h"
#include "graphics/services.h"
#include "platform/gfx.h"
#include "platform/window.h"
#include "ui/services.h"
#include "world/services.h"

namespace {

// The window's client area in a window never exceeds the desktop less
// room for the frame and the task bar.
void CapClientToDesktop()
{
    const ScreenSizeRecord& size = ScreenSize;
    if (size.desktop.width <= 0 || size.desktop.height <= 0)
        return;
    SetClientSize(std::min(size.client.width, size.desktop.width - 128),
                  std::min(size.client.height, size.desktop.height - 96));
}

bool ModeMatches(const DisplayModeRecord& record, const ScreenModeSetting& mode)
{
    return record.sixteenBit == mode.lowColour && record.refreshRate <= mode.refreshHz &&
           static_cast<int>(record.width) == mode.width && static_cast<int>(record.height) == mode.height;
}

ScreenModeSetting ModeOfRecord(const DisplayModeRecord& record)
{
    return {record.sixteenBit, record.refreshRate, static_cast<int>(record.width),
            static_cast<int>(record.height)};
}

} // namespace

void UpdateViewOfDrawingArea()
{
    UpdateFovTangent();
    SetScreenScale(DerivedSettings.wideScreen, Settings.screenCx, Settings.screenCy, Settings.screenXmul,
                   Settings.screenYmul);
}

void ChooseDisplayMode()
{
    AdapterRecord* adapter = GetCurrentAdapter();
    SettingsRecord settings = Settings;
    ScreenModeSetting& configured = settings.screenInfo;
    if (configured.width == 0 && configured.height == 0) {
        if (adapter->desktopWidth != 0) {
            bool lowColour = adapter->desktopFormat == platform::FmtR5G6B5 ||
                             adapter->desktopFormat == platform::FmtX1R5G5B5;
            configured = {lowColour ? 1 : 0, static_cast<int>(adapter->desktopRefresh),
                          static_cast<int>(adapter->desktopWidth), static_cast<int>(adapter->desktopHeight)};
            settings.infoF12 = configured;
        } else {
            configured = {1, 0, 1024, 768};
        }
    }
    const ScreenModeSetting* quick[4] = {&settings.infoF9, &settings.infoF10, &settings.infoF11,
                                         &settings.infoF12};
    Shell.fullScreenModeIndex = -1;
    for (int& index : Shell.quickModeIndex)
        index = -1;
    for (int i = 0; i < adapter->modeCount; ++i) {
        const DisplayModeRecord& record = adapter->modes[i];
        for (int q = 0; q < 4; ++q) {
            if (ModeMatches(record, *quick[q]))
                Shell.quickModeIndex[q] = i;
        }
        if (ModeMatches(record, configured))
            Shell.fullScreenModeIndex = i;
    }
    if (Shell.fullScreenModeIndex == -1 && adapter->modeCount > 0) {
        // The configured mode is not offered: the first mode, or a
        // 1024 x 768 mode with a 16-bit flag and at most 100 Hz when there
        // is one. The mode chosen is the one shown full screen.
        Shell.fullScreenModeIndex = 0;
        configured = ModeOfRecord(adapter->modes[0]);
        for (int i = 0; i < adapter->modeCount; ++i) {
            const DisplayModeRecord& record = adapter->modes[i];
            if (record.sixteenBit != 0 && record.refreshRate <= 100 && record.width == 1024 &&
                record.height == 768) {
                Shell.fullScreenModeIndex = i;
                configured = ModeOfRecord(record);
            }
        }
    }
    SetClientSize(configured.width, configured.height);
    SetSettings(settings);
}

int CreateMainWindow(int console)
{
    platform::MainWindowParams params;
    params.console = console;
    params.clientWidth = ScreenSize.client.width;
    params.clientHeight = ScreenSize.client.height;
    params.windowed = Settings.startWindowed;
    if (!platform::OpenMainWindow(params))
        return 0;
    if (!console && Settings.startWindowed)
        SetWindowStyle();
    platform::ShowMainWindow();
    return 1;
}

void SetWindowStyle()
{
    platform::SetWindowStyle(Settings.startWindowed, ScreenSize.client.width, ScreenSize.client.height);
}

void RequestFullScreenMode(int index)
{
    if (index == -1 || (!Settings.startWindowed && index == Shell.fullScreenModeIndex))
        return;
    Shell.fullScreenRequest = index;
}

int InitGraphicsDevice()
{
    SetDisplaySettings(ScreenSize.client.width, ScreenSize.client.height, Settings.startWindowed,
                       Settings.antialiasing);
    Shell.deviceBusy = 1;
    UpdateViewOfDrawingArea();
    SetWindowStyle();
    if (CreateRenderDevice(platform::MainWindowHandle(), 0, Shell.fullScreenModeIndex) != 0) {
        LogLine("Could not initialise QVNE");
        return 0;
    }
    Shell.deviceBusy = 0;
    platform::ShowMainWindow();
    platform::RaiseMainWindow();
    return 1;
}

void ShutdownGraphics()
{
    Shell.deviceBusy = 1;
    ShutdownDirect3D();
    Shell.deviceBusy = 0;
}

int CheckWindowedAllowed()
{
    AdapterRecord* adapter = GetCurrentAdapter();
    if (adapter->ordinal != 0) {
        PrintMessage(GetText(TX_3q_winnoprm), 9);
        return 1;
    }
    if (!adapter->canRenderWindowed) {
        PrintMessage(GetText(TX_3q_adnowind), 9);
        return 1;
    }
    return 0;
}

namespace {

// The device part of a change to full screen (mode index) or to a window
// (-1, windowed 1), once the client size is set: the new mode, textures
// and world meshes to be restored, the controllers back.
void FinishModeChange(int index, int windowed)
{
    ChangeDisplayMode(ScreenSize.client.width, ScreenSize.client.height, index, windowed, DeviceMultisampleType());
    Shell.texturesNeedRestore = 1;
    RequestWorldMeshRebuild();
    Shell.deviceBusy = 0;
    RequestControllerReinit();
}

} // namespace

int SetFullScreenMode(int index)
{
    AdapterRecord* adapter = GetCurrentAdapter();
    if (index < 0 || index >= adapter->modeCount)
        return 0;
    const DisplayModeRecord& record = adapter->modes[index];
    Shell.fullScreenModeIndex = index;
    EditSettings([&record](SettingsRecord& settings) {
        settings.screenInfo = ModeOfRecord(record);
        settings.startWindowed = 0;
    });
    if (DeviceExists() && !Shell.deviceBusy) {
        ReleaseControllers();
        Shell.deviceBusy = 1;
        SetClientSize(static_cast<int>(record.width), static_cast<int>(record.height));
        SetWindowStyle();
        FinishModeChange(index, 0);
    }
    UpdateViewOfDrawingArea();
    ApplyCursorClip();
    return 1;
}

int SetWindowedMode()
{
    if (CheckWindowedAllowed())
        return 0;
    EditSettings([](SettingsRecord& settings) { settings.startWindowed = 1; });
    if (DeviceExists() && !Shell.deviceBusy) {
        ReleaseControllers();
        Shell.deviceBusy = 1;
        CapClientToDesktop();
        SetWindowStyle();
        int width = 0, height = 0;
        platform::GetClientSize(width, height);
        if (width > 0 && height > 0)
            SetClientSize(width, height);
        FinishModeChange(-1, 1);
    }
    UpdateViewOfDrawingArea();
    ApplyCursorClip();
    return 1;
}

int OnWindowResized()
{
    if (DeviceExists() && !Shell.deviceBusy) {
        int width = 0, height = 0;
        platform::GetClientSize(width, height);
        if (width > 0 && height > 0) {
            if (Settings.startWindowed) {
                SetClientSize(width, height);
                ChangeDisplayMode(width, height, -1, DeviceWindowed(), DeviceMultisampleType());
                Shell.texturesNeedRestore = 1;
                RequestWorldMeshRebuild();
            } else {
                SetWindowStyle();
                platform::ShowMainWindow();
                platform::RaiseMainWindow();
            }
        }
        UpdateViewOfDrawingArea();
    }
    ApplyCursorClip();
    return 0;
}

void ResetTextureFilters()
{
    using namespace platform;
    switch (Settings.mipFilter) {
    case 0:
        SetStageStateCached(0, TssMagFilter, FilterLinear);
        SetStageStateCached(0, TssMinFilter, FilterLinear);
        SetStageStateCached(0, TssMipFilter, FilterPoint);
        SetStageStateCached(0, TssMaxAnisotropy, 1);
        break;
    case 1:
        SetStageStateCached(0, TssMagFilter, FilterLinear);
        SetStageStateCached(0, TssMinFilter, FilterLinear);
        SetStageStateCached(0, TssMipFilter, FilterLinear);
        SetStageStateCached(0, TssMaxAnisotropy, 1);
        break;
    default:
        SetStageStateCached(0, TssMagFilter, FilterAnisotropic);
        SetStageStateCached(0, TssMinFilter, FilterAnisotropic);
        SetStageStateCached(0, TssMipFilter, 3);
        SetStageStateCached(0, TssMaxAnisotropy, static_cast<uint32_t>(Settings.mipFilter));
        break;
    }
    FlushStateCache();
}

int CheckDeviceLost()
{
    if (!TestDeviceState())
        return 1;
    BeginDeviceScene();
    ResetTextureFilters();
    return 0;
}

void EndFrame() { EndDeviceScene(); }

void ClipCursorToWindow() { platform::ClipCursorToWindow(1); }

void ReleaseCursorClip() { platform::ClipCursorToWindow(0); }

namespace {
int CursorClipBit() { return Settings.startWindowed ? 0x100 : 0x200; }
}

void ApplyCursorClip()
{
    if (Settings.screenFlags & CursorClipBit())
        ClipCursorToWindow();
    else
        ReleaseCursorClip();
}

void ToggleCursorClip()
{
    EditSettings([](SettingsRecord& settings) { settings.screenFlags ^= CursorClipBit(); });
    ApplyCursorClip();
    bool clipped = (Settings.screenFlags & CursorClipBit()) != 0;
    PrintMessagePair(GetText(clipped ? TX_3a_ctrcclip : TX_3a_ctrcfree),
                     GetText(Settings.startWindowed ? TX_3a_windotxt : TX_3a_fullstxt), 16);
}

const char* SetBackBufferFormat(uint32_t format)
{
    using namespace platform;
    const char* name = "unknown";
    switch (format) {
    case FmtA8R8G8B8: Shell.backBufferBits = 32; Shell.backBufferPacker = PackColourX888; name = "A888"; break;
    case FmtX8R8G8B8: Shell.backBufferBits = 32; Shell.backBufferPacker = PackColourX888; name = "X888"; break;
    case FmtR5G6B5: Shell.backBufferBits = 16; Shell.backBufferPacker = PackColour565; name = "565"; break;
    case FmtX1R5G5B5: Shell.backBufferBits = 16; Shell.backBufferPacker = PackColour555; name = "X555"; break;
    default: break;
    }
    Shell.texturePacker = MakeColour;
    return name;
}
