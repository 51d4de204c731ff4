// Temporary bodies of what the program shell, the car step and the paths
// ask of the loaded world, until the world loader, light maps, trees, speed
// zones and world objects are built: no world is ever loaded, so there is
// nothing to step, free or light, no speed zone, no object and no current
// path or sky.
#include "world/services.h"

int LoadWorldStep() { return 1; }
int IsWorldLoading() { return 0; }
const char* WorldProgressText() { return ""; }
int LoadedWorldSite() { return -1; }
void FreeWorld() {}
void ClearLayoutObjects() {}
void RequestWorldMeshRebuild() {}
void ReleaseWorldModelMeshes(World&) {}
void ReleaseObjectDrawables(World&) {}
void BeginWorldMeshes(World&) {}
void BuildTreeShell() {}
void BuildFlatLightMap() {}
void FreeLightMapTextures() {}
int GetWorldSkyLight(WorldSkyLight&) { return 0; }

int GetLowestSpeedLimit() { return 0; }
bool CanCarTouchObject(const WorldObject&, Fixed) { return false; }

PathWorld CurrentPathWorld() { return PathWorld{}; }
