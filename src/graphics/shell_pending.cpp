// Temporary bodies of the colour, built-in texture, camera, frame and
// screenshot services that the program shell calls, until those parts of
// the graphics are built: the standard colours hold their named values,
// a frame is the back buffer cleared to black, and a screenshot is the
// back buffer saved as it stands.
#include "graphics/services.h"

#include "graphics/local.h"
#include "platform/gfx.h"
#include "platform/gfx_util.h"
#include "ui/services.h"

ColourRecord StandardColours[StandardColourCount];

void InitStandardColours()
{
    struct Named {
        int index;
        ColourRecord colour;
    };
    static constexpr Named Values[] = {
        {0, {0, 0, 0, 0}},       {1, {255, 0, 0, 0}},     {2, {0, 255, 0, 0}},
        {3, {255, 255, 0, 0}},   {4, {0, 0, 255, 0}},     {5, {255, 0, 255, 0}},
        {6, {0, 255, 255, 0}},   {7, {255, 255, 255, 0}}, {8, {128, 128, 128, 0}},
        {9, {250, 140, 120, 0}}, {10, {140, 250, 140, 0}}, {11, {255, 255, 140, 0}},
        {12, {160, 160, 255, 0}}, {15, {255, 160, 60, 0}}, {18, {200, 200, 200, 0}},
        {20, {230, 110, 90, 0}}, {21, {100, 220, 60, 0}},
    };
    for (ColourRecord& colour : StandardColours)
        colour = {192, 192, 192, 0};
    for (const Named& named : Values)
        StandardColours[named.index] = named.colour;
}

uint32_t MakeColour(const ColourRecord& c) { return 0xFF000000u | uint32_t(c.r) << 16 | uint32_t(c.g) << 8 | c.b; }
uint32_t PackColourX888(const ColourRecord& c) { return MakeColour(c); }
uint32_t PackColour565(const ColourRecord& c) { return uint32_t(c.r >> 3) << 11 | uint32_t(c.g >> 2) << 5 | c.b >> 3; }
uint32_t PackColour555(const ColourRecord& c) { return uint32_t(c.r >> 3) << 10 | uint32_t(c.g >> 3) << 5 | c.b >> 3; }

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
int UseCompressedTextures = 0;
void InitCamera(const Vec3&, const Vec3&, const ColourRecord&, const ColourRecord&) {}

void BeginFrame()
{
    if (FrameBegun)
        return;
    if (!DeviceExists() || !TestDeviceState()) {
        SkipDrawing = 1;
        return;
    }
    BeginDeviceScene();
    FrameBegun = 1;
}

void DrawBackground()
{
    BeginFrame();
    if (FrameBegun)
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
