// Temporary bodies of the player slot operations of the session until they
// are built: no handicap table is kept and no player flags are sent.
#include "net/local.h"

void ClearHandicaps() {}
void SendPlayerFlags(const RacePlayer&) {}
