// The one reset of this subsystem's tables.
#include "net/services.h"

void ResetNetTables()
{
    ResetHostOptions();
    Online = 0;
    GamePacketWatcher = nullptr;
}
