// The frame's begin: the background mode stack, the wait for the graphics
// card, the main loop's background (a clear and the screens' picture, or
// the camera's ambient colour) and screenshots of the back buffer.
#include <cmath>

#include "graphics/local.h"
#include "platform/gfx_util.h"
#include "world/services.h"

FrameRecord MutableFrame;
const BackgroundModeStackRecord& BackgroundModeStack = MutableFrame.backgroundModes;

namespace {

// The picture's texture coordinates stay this far inside its edges.
constexpr float PictureUvMin = 1.0f / 2048.0f;
constexpr float PictureUvMax = 0.99951171875f;
constexpr uint32_t LagPreventClear = 0xFFFF0000u;
constexpr uint32_t Black = 0xFF000000u, White = 0xFFFFFFFFu;
// The dome's radius and height in metres, before the light scheme's height factor.
constexpr float SkyRadius = 4096.0f, SkyHeight = 4096.0f;

// The screens' picture over the whole screen and one pixel beyond each
// edge, its middle part as wide as the 2D aspect factor says.
void DrawEntryPicture(Material* picture)
{
    const float px = DisplayPass.pixelScaleX, py = DisplayPass.pixelScaleY;
    const float a = DisplayPass.aspectFactor;
    const float u0 = Clamp(0.5f - a / 2, PictureUvMin, PictureUvMax);
    const float u1 = Clamp((1 + a) / 2, PictureUvMin, PictureUvMax);
    BeginScreenBatch(picture);
    SetRenderStateCached(platform::RsZWriteEnable, 0);
    const int topLeft = AddScreenVertex(-1 - px, -1 - py, u0, PictureUvMin, White);
    const int topRight = AddScreenVertex(1 + px, -1 - py, u1, PictureUvMin, White);
    const int bottomRight = AddScreenVertex(1 + px, 1 + py, u1, PictureUvMax, White);
    const int bottomLeft = AddScreenVertex(-1 - px, 1 + py, u0, PictureUvMax, White);
    AddBatchQuad(topLeft, topRight, bottomRight, bottomLeft);
    EndScreenBatch();
    SetRenderStateCached(platform::RsZWriteEnable, 1);
}

} // namespace

bool OpenFrameScene()
{
    if (!DeviceExists() || !TestDeviceState()) {
        SetSkipDrawing(1);
        return false;
    }
    BeginDeviceScene();
    return true;
}

void PushBackgroundMode(int mode)
{
    if (MutableFrame.backgroundModes.count < MaxBackgroundModes)
        MutableFrame.backgroundModes.modes[MutableFrame.backgroundModes.count++] = mode;
}

void PopBackgroundMode()
{
    if (MutableFrame.backgroundModes.count > 0)
        MutableFrame.backgroundModes.count--;
}

int TopBackgroundMode()
{
    const BackgroundModeStackRecord& stack = MutableFrame.backgroundModes;
    return stack.count > 0 ? stack.modes[stack.count - 1] : BackgroundPicture;
}

void SetBackgroundMode(int mode)
{
    if (MutableFrame.backgroundModes.count > 0 && TopBackgroundMode() == BackgroundBusy) {
        PopBackgroundMode();
        PushBackgroundMode(mode);
        PushBackgroundMode(BackgroundBusy);
    } else {
        PushBackgroundMode(mode);
    }
}

void EndBackgroundMode()
{
    if (MutableFrame.backgroundModes.count > 0 && TopBackgroundMode() == BackgroundBusy) {
        PopBackgroundMode();
        PopBackgroundMode();
        PushBackgroundMode(BackgroundBusy);
    } else {
        PopBackgroundMode();
    }
}

void SyncGpuFrame()
{
    SetFrameBegun(1);
    if (Settings.lagPrevent == 0 || Gfx.device == nullptr)
        return;
    platform::GfxSurface* target = TextureStages.blockSurfaces[MutableFrame.syncTargetIndex];
    if (target == nullptr)
        return;
    // Drawing into one small target and reading the other back makes the
    // processor wait until the card has finished the frame before.
    Gfx.device->SetRenderTarget(target, nullptr);
    Gfx.device->Clear(0, nullptr, platform::ClearTarget, LagPreventClear, 1.0f, 0);
    Gfx.device->SetRenderTarget(Gfx.backBufferSurface, Gfx.backDepthSurface);
    SetViewportRecord(Gfx.viewport);
    MutableFrame.syncTargetIndex ^= 1;
    platform::GfxSurface* other = TextureStages.blockSurfaces[MutableFrame.syncTargetIndex];
    platform::GfxLockedRect locked;
    if (other != nullptr && platform::GfxSucceeded(other->LockRect(locked, nullptr, platform::LockReadOnly)))
        other->UnlockRect();
}

void ResetFrameSync() { MutableFrame.syncTargetIndex = 0; }

void BeginFrame()
{
    if (DisplayPass.frameBegun)
        return;
    SyncGpuFrame();
    if (OpenFrameScene())
        ClearTarget(Black, 3);
}

void DrawBackground()
{
    if (DisplayPass.frameBegun)
        return;
    switch (TopBackgroundMode()) {
    case BackgroundPicture:
    case BackgroundBusy: {
        BeginFrame();
        Material* picture = BuiltinMaterials.background;
        if (DisplayPass.frameBegun && !DisplayPass.skipDrawing && picture != nullptr && !EntryBackgroundHidden())
            DrawEntryPicture(picture);
        break;
    }
    case BackgroundAmbient: {
        const Camera& camera = *CurrentCamera;
        SyncGpuFrame();
        if (OpenFrameScene())
            ClearTarget(MakeColour(camera.ambient[0], camera.ambient[1], camera.ambient[2]), 3);
        break;
    }
    default: break;  // the 3D view begins the frame
    }
}

void BeginFrameWithSky(int begin)
{
    if (begin && DisplayPass.frameBegun)
        return;
    WorldSkyLight light;
    if (!GetWorldSkyLight(light))
        return;
    DrawSky(light.sky, light.heading, SkyRadius, SkyHeight * light.heightFactor,
            MakeColour(CurrentCamera->ambient[0], CurrentCamera->ambient[1], CurrentCamera->ambient[2]),
            MakeColour(light.fog), begin);
}

int SaveScreenshot(const char* fileName)
{
    if (Gfx.device == nullptr)
        return 1;
    const GraphicsMessageHooks& hooks = GetGraphicsMessageHooks();
    platform::GfxSurface* backBuffer = nullptr;
    if (!platform::GfxSucceeded(Gfx.device->GetBackBuffer(0, &backBuffer)) || backBuffer == nullptr) {
        hooks.printMessage(GetText(TX_3q_nobackbf), 9);
        return 1;
    }
    platform::GfxResult saved = platform::GfxSaveSurfaceToBmp(fileName, backBuffer);
    backBuffer->Release();
    if (!platform::GfxSucceeded(saved)) {
        hooks.printMessage(GetText(TX_3q_nosvsurf), 9);
        return 1;
    }
    return 0;
}

void ResetFrameTables() { MutableFrame = FrameRecord{}; }
