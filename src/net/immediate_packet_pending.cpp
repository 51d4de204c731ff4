// Temporary bodies of the immediate packets and of the admission of a new
// guest until they are built: a received immediate packet is logged once
// and ignored, a joiner is refused, nothing is sent.
#include "net/local.h"

void HandleImmediatePacket(const uint8_t*, int, int)
{
    LogNotAvailableOnce(MutableNet.immediatePacketNoted, "HandleImmediatePacket");
}

void AcceptNewGuest(const uint8_t*, int)
{
    LogNotAvailableOnce(MutableNet.admissionNoted, "AcceptNewGuest");
}

void SendRaceStates(int) {}
void RequestJoinRetry() {}
