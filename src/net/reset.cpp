// The multiplayer layer's run record, the read-only names it is exported
// under, and the one reset of this subsystem's tables.
#include "net/local.h"

NetRecord MutableNet;
const int& Online = MutableNet.online;
const int& NetworkHold = MutableNet.networkHold;
const uint32_t& HostRules = MutableNet.hostRules;
const int& MultiplayerReplayPlaying = MutableNet.multiplayerReplayPlaying;
const int& UdpPositions = MutableNet.udpPositions;
const int& CurrentConnectionLimit = MutableNet.currentConnectionLimit;
const int& CurrentCarLimit = MutableNet.currentCarLimit;
const int& InSimTimeStop = MutableNet.inSimTimeStop;
const int& SkinDownloadWaiting = MutableNet.skinDownloadWaiting;
const int& MprMessageBlocking = MutableNet.mprMessageBlocking;

void ResetNetTables()
{
    ResetHostOptions();
    MutableNet = {};
}
