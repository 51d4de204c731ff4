// Temporary bodies of what the multiplayer layer asks of the loaded world,
// until the world loader, wind and layouts are built: no world is loaded,
// so there is no wind, no layout and no start position.
#include "world/services.h"

float GetWorldWindStrength() { return 0; }
float GetWorldWindDirection() { return 0; }
int GetLayoutObjectCount() { return 0; }
int GetLayoutStartPoint(FixedVector&) { return 0; }
int GetStartPositionCount() { return 0; }
int IsRallycrossTrack() { return 0; }
