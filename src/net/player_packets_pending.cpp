// Temporary handler of the game packets of players and cars until they are
// built: a packet that passed the dispatch's checks is logged once and
// changes nothing.
#include "net/local.h"

void HandlePlayerGamePacket(int, const uint8_t*, int)
{
    LogNotAvailableOnce(MutableNet.playerPacketsNoted, "HandlePlayerGamePacket");
}
