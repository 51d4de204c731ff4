// What the multiplayer layer gives the race: its game-packet queue and
// whether a multiplayer game runs. The rest of the race's network hooks keep
// their offline bodies until the connection layer is built.
#include "net/services.h"
#include "session/services.h"

void InstallNetSessionHooks()
{
    RaceHooks hooks = GetRaceHooks();
    hooks.queueGamePacket = QueueGamePacket;
    hooks.isOnline = [] { return Online; };
    SetRaceHooks(hooks);
}
