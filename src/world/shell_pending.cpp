// Temporary bodies of the world services that the program shell calls,
// until the world loader, light maps and trees are built: no world is ever
// loaded, so there is nothing to step, free or light.
#include "world/services.h"

World* CurrentWorld = nullptr;

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
