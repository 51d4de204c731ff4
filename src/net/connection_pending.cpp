// Temporary bodies of the parts of the multiplayer layer the program shell
// calls that are not built yet: there are no race flags to set, no
// multiplayer screen, no network lock and no host list.
#include "net/local.h"

void SetRaceFlags(uint32_t, uint32_t) {}
Screen* OpenMultiplayerScreen(Screen*) { return nullptr; }
void InitNetworkLock() {}
void FreeHostList() {}
