// The one reset of this subsystem's tables.
#include "world/local.h"

void ResetWorldTables()
{
    FreeWorld();
    WorldProgram = {};
    InitHumanSystem(Humans);
    SetModelCarCode("");
    ResetWorldHooks();
    WorldLight = {};
    CheckpointSearchBit = 0;
    BuildTreeShell();
}
