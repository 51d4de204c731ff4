// Temporary bodies of what the car step asks of the loaded world, until
// speed zones, world objects and path followers are built: no world is
// loaded, so there is no speed zone, no object and no path position.
#include "world/services.h"

int GetLowestSpeedLimit() { return 0; }
bool CanCarTouchObject(const WorldObject&, Fixed) { return false; }
int GetCarPathNode(const CarObject&) { return -1; }
