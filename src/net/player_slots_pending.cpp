// Temporary body of the player flags packet until it is built: no player
// flags are sent.
#include "net/local.h"
#include "session/services.h"

void SendPlayerFlags(const RacePlayer&) {}
