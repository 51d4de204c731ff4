// The frame as the program shell drives it: the 3D frame begun once per
// pass, its background, and screenshots of the back buffer.
#include "graphics/local.h"
#include "platform/gfx_util.h"

void BeginFrame()
{
    if (DisplayPass.frameBegun)
        return;
    if (!DeviceExists() || !TestDeviceState()) {
        SetSkipDrawing(1);
        return;
    }
    BeginDeviceScene();
    SetFrameBegun(1);
}

void DrawBackground()
{
    BeginFrame();
    if (DisplayPass.frameBegun)
        ClearTarget(0xFF000000u, 3);
}

int SaveScreenshot(const char* fileName)
{
    if (Gfx.device == nullptr)
        return 1;
    const GraphicsMessageHooks& hooks = GetGraphicsMessageHooks();
    platform::GfxSurface* backBuffer = nullptr;
    if (!platform::GfxSucceeded(Gfx.device->GetBackBuffer(0, &backBuffer)) || backBuffer == nullptr) {
        hooks.printMessage("Could not get back buffer", 9);
        return 1;
    }
    platform::GfxResult saved = platform::GfxSaveSurfaceToBmp(fileName, backBuffer);
    backBuffer->Release();
    if (!platform::GfxSucceeded(saved)) {
        hooks.printMessage("Could not save surface to file", 9);
        return 1;
    }
    return 0;
}
