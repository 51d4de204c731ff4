// The one reset of this subsystem's tables.
#include "world/services.h"

void ResetWorldTables()
{
    InitHumanSystem(Humans);
    SetModelCarCode("");
    ResetWorldHooks();
    WorldLight = {};
}
