// Temporary handler of the layout packets until the world keeps layout
// objects: an edit or a batch of objects from an admin is logged once and
// changes nothing; no layout is ever streamed.
#include "net/local.h"

void HandleLayoutPacket(int, const uint8_t*, int)
{
    LogNotAvailableOnce(MutableNet.layoutPacketsNoted, "HandleLayoutPacket");
}

int IsLayoutTransferRunning() { return 0; }
