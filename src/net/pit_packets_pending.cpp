// Temporary handler of the game packets of pit stops, penalties, resets,
// setups, handicaps and layouts until they are built: a packet that passed
// the dispatch's checks is logged once and changes nothing; no layout is
// ever streamed.
#include "net/local.h"

void HandlePitGamePacket(int, const uint8_t*, int)
{
    LogNotAvailableOnce(MutableNet.pitPacketsNoted, "HandlePitGamePacket");
}

int IsLayoutTransferRunning() { return 0; }
