// Temporary bodies of the game-packet queue until the game bundle is
// built: no multiplayer game runs, so a queued packet is handed only to
// the stand-in watcher and then dropped.
#include "net/services.h"

int Online = 0;
void (*GamePacketWatcher)(const uint8_t* bytes, int length) = nullptr;

void QueueGamePacket(const uint8_t* bytes, int length)
{
    if (GamePacketWatcher)
        GamePacketWatcher(bytes, length);
}
