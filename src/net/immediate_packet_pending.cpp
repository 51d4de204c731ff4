// Temporary bodies of the immediate packets and of the admission of a new
// guest until they are built: a received immediate packet is logged once
// and ignored, a joiner is refused, nothing is sent.
#include "net/local.h"

namespace {
bool ImmediateLogged = false;
bool AdmissionLogged = false;
} // namespace

void HandleImmediatePacket(const uint8_t*, int, int)
{
    LogPendingOnce("HandleImmediatePacket", ImmediateLogged);
}

void AcceptNewGuest(const uint8_t*, int)
{
    LogPendingOnce("AcceptNewGuest", AdmissionLogged);
}

void SendRaceStates(int) {}
void RequestJoinRetry() {}
