// What the race asks of the loaded world (world_configs.cpp) and of its
// layout's route (layout_route.cpp).
#pragma once

struct Path;
struct World;

// The loaded world's name; "" when none is loaded.
const char* GetLoadedWorldName();
// Makes a configuration (1 based) current, driven reversed or not.
void SelectConfig(World& world, int configuration, int reversed);
// The path's finish node and its first..third checkpoint nodes (index 0..2);
// -1 when the path has none.
int GetPathFinishNode(const Path& path);
int GetPathCheckpointNode(const Path& path, int index);
// What the loaded layout's route holds: its own start position, its own
// finish line (results by total time, no running order, no lapped cars) and
// the number of its timing points (the finish line and the checkpoints;
// 0 when the route cannot be timed).
int HasLayoutStartPosition();
int HasLayoutFinishLine();
int GetLayoutCheckpointCount();
