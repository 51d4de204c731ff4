// The one reset of this subsystem's tables.
#include "net/local.h"

void ResetNetTables()
{
    ResetHostOptions();
    MutableGameBundle = {};
    MutableFrameClock = {};
    MutableConnectionTable = {};
    MutableMultiplayerMode = {};
    MutableSessionFlags = {};
    MutableSessionVotes = {};
    MutableRaceOptions = {};
    MutableStateCheck = {};
    MutableRaceRequests = {};
    ClientLinkTable = {};
    BehindCount = 0;
    SetGamePacketTrace(nullptr);
}
