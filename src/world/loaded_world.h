// The loaded track world as the program shell and the car step see it. The
// world loader, light maps, trees, speed zones and world objects are not
// built yet: no world is ever loaded, and the temporary bodies
// (loaded_world_pending.cpp) answer as a program without a
// world would.
#pragma once

#include "core/services.h"
#include "vehicle/services.h"

struct Material;
struct World;

// The one loaded track world, read-only outside the world; null when none
// is loaded. Lives with the loaded world.
// Pending: no world loader yet, so it stays null.
extern World* const& CurrentWorld;

// One stage of the world loader; 1 when the world has finished loading.
// Pending: nothing loads; answers 1.
int LoadWorldStep();
// 1 while the loaded world is still loading.
// Pending: nothing loads; answers 0.
int IsWorldLoading();
// The running stage's name while the world loads.
// Pending: answers "".
const char* WorldProgressText();
// Site index (0..6) of the loaded world, -1 when none.
// Pending: no world; answers -1.
int LoadedWorldSite();
// Frees the loaded world and its graphics resources.
// Pending: no world to free; does nothing.
void FreeWorld();
// Removes the layout objects from the loaded world.
// Pending: no layout objects; does nothing.
void ClearLayoutObjects();
// The world's meshes are built again on a later frame.
// Pending: no world meshes; does nothing.
void RequestWorldMeshRebuild();
// Before the graphics resources are rebuilt: the built nodes of the world's
// shared models, and the own drawables of its lit objects and instance
// objects, are freed.
// Pending: no world objects; both do nothing.
void ReleaseWorldModelMeshes(World& world);
void ReleaseObjectDrawables(World& world);
// Puts a loaded world back into mesh building (load stage 16) with its mesh
// option; the loader's frames then build the meshes again.
// Pending: no world loader; does nothing.
void BeginWorldMeshes(World& world);
// The shared tree shell, built at start-up.
// Pending: no trees; does nothing.
void BuildTreeShell();
// The flat light map used before a world brings its own; its textures.
// Pending: no light maps; both do nothing.
void BuildFlatLightMap();
void FreeLightMapTextures();
// The sky of the loaded world's selected light scheme, as the frame's sky
// draws it: the sky material (null: none), the sky picture's heading
// (radians), the height factor of the dome and the fog colour that is the
// horizon's. 1 with a loaded world, 0 without.
// Pending: no world is ever loaded yet; answers 0.
struct WorldSkyLight {
    Material* sky = nullptr;
    float heading = 0;
    float heightFactor = 1;
    ColourRecord fog;
};
int GetWorldSkyLight(WorldSkyLight& out);

// The lowest speed limit of the world's speed zones, km/h; 0 when the
// world has no speed zone.
// Pending: no speed zones; answers 0.
int GetLowestSpeedLimit();
// True when the object is not marked as ignored and its lowest point lies
// below z (16.16).
// Pending: no world objects; answers false.
bool CanCarTouchObject(const WorldObject& object, Fixed belowZ);
// The node of the car's path follower, -1 when it has no path position
// (path_links.cpp).
int GetCarPathNode(const CarObject& car);
