// What the race asks of the loaded world. The world loader, the paths'
// timing points and layout routes are not built yet: the temporary bodies
// (race_world_pending.cpp) answer as a program without a world would.
#pragma once

struct Path;
struct World;

// The loaded world's name; "" when none is loaded.
// Pending: no world loader; answers "".
const char* GetLoadedWorldName();
// Makes a configuration (1 based) current, driven reversed or not.
// Pending: no world to configure; does nothing.
void SelectConfig(World& world, int configuration, int reversed);
// The path's finish node and its first..third checkpoint nodes (index 0..2);
// -1 when the path has none.
// Pending: no timing points on any path; both answer -1.
int GetPathFinishNode(const Path& path);
int GetPathCheckpointNode(const Path& path, int index);
// What the loaded layout's route holds: its own start position, its own
// finish line (results by total time, no running order, no lapped cars) and
// the number of its checkpoints.
// Pending: no layout routes; all three answer 0.
int HasLayoutStartPosition();
int HasLayoutFinishLine();
int GetLayoutCheckpointCount();
