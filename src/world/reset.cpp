// The world's global records and the one reset of this subsystem's tables.
#include "world/local.h"

LoadedWorldRecord MutableLoadedWorld;
World* const& CurrentWorld = MutableLoadedWorld.world;
WorldRunRecord MutableWorldRun;

void ResetWorldTables()
{
    InitHumanSystem(MutableHumans);
    MutableLoadedWorld = {};
    MutableWorldRun = {};
    ResetWorldHooks();
}
