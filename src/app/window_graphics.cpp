// The graphics device's side of the shell: the report of what the device
// can do, and rebuilding every graphics resource of the program after a
// change of the graphics options or of the lighting freed them.
#include <algorithm>

#include "app/services.h"
#include "core/services.h"
#include "devices/services.h"
#include "graphics/services.h"
#include "session/services.h"
#include "ui/services.h"
#include "platform/gfx.h"
#include "world/services.h"

void ReportGraphicsCaps()
{
    using namespace platform;
    const GfxCaps* caps = DeviceCaps();
    if (caps == nullptr)
        return;
    DeviceLimits limits;
    limits.maxTextureSize = static_cast<int>(std::min(caps->maxTextureWidth, caps->maxTextureHeight));
    limits.maxAnisotropy = static_cast<int>(caps->maxAnisotropy);
    limits.compressed = DeviceTextureFormatUsable(FmtDxt1) && DeviceTextureFormatUsable(FmtDxt3);
    SetUseCompressedTextures(limits.compressed ? 1 : 0);
    // Shadows and doubled textures multiply the frame by a texture: the
    // colour of each is the source's factor of the other.
    bool multiplies = (caps->srcBlendCaps & BlendCapsBit(BlendDestColour)) != 0 &&
                      (caps->destBlendCaps & BlendCapsBit(BlendSrcColour)) != 0;
    limits.shadows = multiplies && (caps->textureAddressCaps & TextureAddressCapsClamp) != 0;
    limits.modulate2x = multiplies && (caps->textureOpCaps & TextureOpCapsModulate2x) != 0;
    limits.multiTexture = caps->maxSimultaneousTextures > 1;
    bool dynamic = (caps->caps2 & Caps2DynamicTextures) != 0;
    auto can = [](bool yes) { return yes ? "can" : "can't"; };
    LogPrintf("max texture size %d", limits.maxTextureSize);
    LogPrintf("%s do shadows", can(limits.shadows));
    LogPrintf("%s use 2x tex", can(limits.modulate2x));
    LogPrintf("%s do multi tex", can(limits.multiTexture));
    LogPrintf("%s use dynamic tex", can(dynamic));
    LogPrintf("%s use compressed tex", can(limits.compressed));
    FitSettingsToDevice(limits);
}

int RebuildGraphicsResources()
{
    int soundWasPlaying = StopLoopingSound();
    BeginDeviceScene();
    CreateBuiltinTextures();
    SetSoftwareTarget(ScreenSize.client.height, nullptr);
    FreeLightMapTextures();
    FreeHelmetTextures();
    if (CurrentWorld != nullptr) {
        ReleaseWorldModelMeshes(*CurrentWorld);
        ReleaseObjectDrawables(*CurrentWorld);
        // A world that is still loading builds its meshes when it gets there.
        if (!IsWorldLoading())
            BeginWorldMeshes(*CurrentWorld);
    }
    ResetSky();
    RebuildHelmetTextures();
    ReloadHumans();
    RefreshGarageView();
    ClearPlayerMarks();
    RefreshTrackScreenPictures();
    ReloadCarChoicePictures();
    ShowLessonPictureIfAny();
    RefreshDriverTabPreview();
    FreeCharCaches();
    RebuildSessionGraphics();
    Shell.texturesNeedRestore = 1;
    // The frame under way may still name freed resources: it is not drawn.
    SetSkipDrawing(1);
    return soundWasPlaying ? RestartLoopingSound() : 1;
}
