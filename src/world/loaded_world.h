// The loaded track world as the program shell and the car step see it: the
// loader's steps, its progress and site, and the speed limits and scenery a
// car meets. The world's own drawing (layout objects, light maps, world
// meshes) comes with the world drawing; its temporary bodies are in
// loaded_world_pending.cpp.
#pragma once

#include "core/services.h"
#include "vehicle/services.h"

struct Material;
struct World;

// One stage of the loaded world's loader; 1 when it has finished loading
// (or when no world is loaded).
int LoadWorldStep();
// 1 while the loaded world is still loading.
int IsWorldLoading();
// The running stage's name while the world loads; "" without a world.
const char* WorldProgressText();
// Site index (0..6) of the loaded world, -1 when none.
int LoadedWorldSite();
// Frees the loaded world (and the one the program opened itself).
void FreeWorld();
// Removes the layout objects and circles from the loaded world.
void ClearLayoutObjects();
// The world's meshes are built again on a later frame.
// Pending: the world meshes are not built; nothing is rebuilt.
void RequestWorldMeshRebuild();
// Before the graphics resources are rebuilt: the built nodes of the world's
// shared models, and the own drawables of its lit objects and instance
// objects, are freed.
// Pending: the world's drawables are not built; both do nothing.
void ReleaseWorldModelMeshes(World& world);
void ReleaseObjectDrawables(World& world);
// Puts a loaded world into mesh building (load stage 16) with its mesh
// option; 1 when the build has begun.
// Pending: the world mesh build is not built; logs once and answers 0 (the
// world draws no meshes).
int BeginWorldMeshes(World& world);
// The flat light map used before a world brings its own; its textures.
// Pending: no light maps; both do nothing.
void BuildFlatLightMap();
void FreeLightMapTextures();
// The sky of the loaded world's selected light scheme, as the frame's sky
// draws it: the sky material (null: none), the sky picture's heading
// (radians), the height factor of the dome and the fog colour that is the
// horizon's. 1 with a loaded world, 0 without.
// Pending: the light schemes' skies are not read yet; answers 0.
struct WorldSkyLight {
    Material* sky = nullptr;
    float heading = 0;
    float heightFactor = 1;
    ColourRecord fog;
};
int GetWorldSkyLight(WorldSkyLight& out);

// The lowest speed limit byte of the loaded world's speed zones; 0 without
// a world or when it has no speed zone (the car's pit limiter then stays
// off).
int GetLowestSpeedLimit();
// True when the object is not marked as ignored and its lowest point lies
// below z (16.16).
// Pending: the ignore mark of scenery objects is not built; answers false.
bool CanCarTouchObject(const WorldObject& object, Fixed belowZ);
// The node of the car's path follower, -1 when it has no path position
// (path_links.cpp).
int GetCarPathNode(const CarObject& car);

// What the multiplayer layer's state check and race requests ask of the
// loaded world.
// The loaded world's wind strength (m/s) and direction (rad); 0 without a
// world (race_services.cpp).
float GetWorldWindStrength();
float GetWorldWindDirection();
// The loaded world's layout objects (circles not counted).
int GetLayoutObjectCount();
// The layout route's start point; 1 when the layout has one.
int GetLayoutStartPoint(FixedVector& point);
// The number of start positions of the current configuration; 0 without
// a world.
int GetStartPositionCount();
// 1 when the loaded track is a rallycross track.
// Pending: no world; answers 0.
int IsRallycrossTrack();
