// Temporary bodies of the run-state words and the packet to the host that
// the car step uses, until the connection layer is built: no vote runs and
// there is no host, so nothing is sent.
#include "net/services.h"

int NetworkHold = 0;
uint32_t HostRules = 0;

int OutsideVoteFinalCountdown() { return 1; }
void SendToHost(const uint8_t*, int) {}
