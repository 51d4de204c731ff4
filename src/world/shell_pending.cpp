// Temporary bodies of the world's drawing services that the program shell
// calls, until layouts, light maps and the world meshes are built: there is
// no layout object, no light map and no world mesh, so there is nothing to
// free or rebuild, and the mesh build never begins.
#include "world/services.h"

namespace {
bool MeshBuildReported = false;
}

void ClearLayoutObjects() {}
void RequestWorldMeshRebuild() {}
void ReleaseWorldModelMeshes(World&) {}
void ReleaseObjectDrawables(World&) {}
int BeginWorldMeshes(World&)
{
    if (!MeshBuildReported) {
        MeshBuildReported = true;
        LogLine("BeginWorldMeshes : the world mesh build is not available");
    }
    return 0;
}
void BuildFlatLightMap() {}
void FreeLightMapTextures() {}
