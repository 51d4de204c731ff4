// Temporary handler of the game packets of race control and timing until
// they are built: a packet that passed the dispatch's checks is logged once
// and changes nothing.
#include "net/local.h"

void HandleRaceGamePacket(int, const uint8_t*, int)
{
    LogNotAvailableOnce(MutableNet.racePacketsNoted, "HandleRaceGamePacket");
}
