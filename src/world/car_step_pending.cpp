// Temporary bodies of what the car step asks of the loaded world, until
// speed zones and world objects are built: no world is loaded, so there is
// no speed zone and no object.
#include "world/services.h"

int GetLowestSpeedLimit() { return 0; }
bool CanCarTouchObject(const WorldObject&, Fixed) { return false; }
