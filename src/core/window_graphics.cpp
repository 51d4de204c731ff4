// Rebuilding every graphics resource of the program after a change of the
// graphics options or of the lighting freed them.
#include "core/services.h"
#include "devices/services.h"
#include "graphics/services.h"
#include "session/services.h"
#include "ui/services.h"
#include "world/services.h"

int RebuildGraphicsResources()
{
    int soundWasPlaying = StopLoopingSound();
    BeginDeviceScene();
    CreateBuiltinTextures();
    SetSoftwareTarget(ClientSize.height, nullptr);
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
    TexturesNeedRestore = 1;
    // The frame under way may still name freed resources: it is not drawn.
    SkipDrawing = 1;
    return soundWasPlaying ? RestartLoopingSound() : 1;
}
