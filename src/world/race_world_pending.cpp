// Temporary bodies of what the race asks of the loaded world, until the
// world loader, the paths' timing points and the layout routes are built:
// no world is loaded, so there is no name, no configuration to select, no
// timing node and no layout route.
#include "world/services.h"

const char* GetLoadedWorldName() { return ""; }
void SelectConfig(World&, int, int) {}
int GetPathFinishNode(const Path&) { return -1; }
int GetPathCheckpointNode(const Path&, int) { return -1; }
int HasLayoutStartPosition() { return 0; }
int HasLayoutFinishLine() { return 0; }
int GetLayoutCheckpointCount() { return 0; }
