// The multiplayer layer's run record, the read-only names it is exported
// under with their setters, and the one reset of this subsystem's tables.
#include "net/local.h"

NetRecord MutableNet;
const int& NetworkHold = MutableNet.networkHold;
const int& MultiplayerReplayPlaying = MutableNet.multiplayerReplayPlaying;
const int& UdpPositions = MutableNet.udpPositions;
const int& CurrentConnectionLimit = MutableNet.currentConnectionLimit;
const int& CurrentCarLimit = MutableNet.currentCarLimit;
const int& InSimTimeStop = MutableNet.inSimTimeStop;
const int& SkinDownloadWaiting = MutableNet.skinDownloadWaiting;
const int& MprMessageBlocking = MutableNet.mprMessageBlocking;

void SetMultiplayerReplayPlaying(int playing) { MutableNet.multiplayerReplayPlaying = playing; }

void SetConnectionLimits(int connections, int cars)
{
    MutableNet.currentConnectionLimit = connections;
    MutableNet.currentCarLimit = cars;
}

void ResetNetTables()
{
    ResetHostOptions();
    MutableNet = {};
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
    ResetBanList();
}
