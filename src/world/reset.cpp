// The world's global records and the one reset of this subsystem's tables.
#include "world/local.h"

LoadedWorldRecord MutableLoadedWorld;
World* const& CurrentWorld = MutableLoadedWorld.world;
WorldRunRecord MutableWorldRun;
LayoutStateRecord MutableLayoutState;
const LayoutStateRecord& LayoutState = MutableLayoutState;

void ResetWorldTables()
{
    FreeWorld();
    InitHumanSystem(MutableHumans);
    MutableLoadedWorld = {};
    MutableWorldRun = {};
    MutableLayoutState = {};
    ResetWorldHooks();
    BuildTreeShell();
}
