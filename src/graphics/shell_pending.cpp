// Temporary bodies of the built-in texture, frame and screenshot services
// that the program shell calls, until those parts of the graphics are
// built: a frame is the back buffer cleared to black, and a screenshot is
// the back buffer saved as it stands.
#include "graphics/services.h"

#include "graphics/local.h"
#include "platform/gfx.h"
#include "platform/gfx_util.h"
#include "ui/services.h"

void BuildSegmentTables() {}
int CreateBuiltinTextures() { return 1; }
int RestoreSpecialTextures() { return 1; }
void SetEntryBackground(const char*) {}
void SetSoftwareTarget(int, void*) {}
void ClearParticles() {}
int LoadHelmet() { return 1; }
void FreeHelmet() {}
void FreeHelmetTextures() {}
void RebuildHelmetTextures() {}
void ResetSky() {}

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
    platform::GfxSurface* backBuffer = nullptr;
    if (!platform::GfxSucceeded(Gfx.device->GetBackBuffer(0, &backBuffer)) || backBuffer == nullptr) {
        PrintMessage("Could not get back buffer", 9);
        return 1;
    }
    platform::GfxResult saved = platform::GfxSaveSurfaceToBmp(fileName, backBuffer);
    backBuffer->Release();
    if (!platform::GfxSucceeded(saved)) {
        PrintMessage("Could not save surface to file", 9);
        return 1;
    }
    return 0;
}

void EndReplayDrag() {}
