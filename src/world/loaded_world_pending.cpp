// Temporary bodies of the loaded world's drawing, its skies and the
// scenery's ignore mark, until layouts, light maps, the world meshes, the
// light schemes' skies and the marks are built: there is no layout object,
// no light map, no world mesh and no sky, so there is nothing to free or
// rebuild, the mesh build never begins, and no car touches a scenery object
// through this question.
#include "world/local.h"

void RequestWorldMeshRebuild() {}
void ReleaseWorldModelMeshes(World&) {}
void ReleaseObjectDrawables(World&) {}
int BeginWorldMeshes(World&)
{
    LogNotAvailableOnce(MutableWorldRun.meshBuildNoted, "BeginWorldMeshes");
    return 0;
}
void BuildFlatLightMap() {}
void FreeLightMapTextures() {}
int GetWorldSkyLight(WorldSkyLight&) { return 0; }

bool CanCarTouchObject(const WorldObject&, Fixed) { return false; }
