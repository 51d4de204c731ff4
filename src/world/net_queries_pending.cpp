// Temporary bodies of what the multiplayer layer asks of the loaded world,
// until the layouts are built: there is no layout and no start position.
#include "world/services.h"

int GetLayoutObjectCount() { return 0; }
int GetLayoutStartPoint(FixedVector&) { return 0; }
int IsRallycrossTrack() { return 0; }
