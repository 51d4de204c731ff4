// Temporary bodies of the connection layer and the game bundle, until they
// are built: no multiplayer game runs, no vote runs and there is no host,
// so a queued packet goes only to the stand-in watcher and nothing is sent.
#include "net/local.h"

void SetOnline(int online) { MutableNet.online = online; }
void SetMultiplayerReplayPlaying(int playing) { MutableNet.multiplayerReplayPlaying = playing; }

void SetConnectionLimits(int connections, int cars)
{
    MutableNet.currentConnectionLimit = connections;
    MutableNet.currentCarLimit = cars;
}

void SetGamePacketWatcher(void (*watcher)(const uint8_t*, int)) { MutableNet.gamePacketWatcher = watcher; }

void QueueGamePacket(const uint8_t* bytes, int length)
{
    if (MutableNet.gamePacketWatcher)
        MutableNet.gamePacketWatcher(bytes, length);
}

int OutsideVoteFinalCountdown() { return 1; }
void SendToHost(const uint8_t*, int) {}
int IsHostingLive() { return 0; }
void RemoveAllGuests() {}
void RequestTcpPositions() {}
void SetRaceFlags(uint32_t, uint32_t) {}
Screen* OpenMultiplayerScreen(Screen*) { return nullptr; }
void InitNetworkLock() {}
void FreeHostList() {}
void LoadBans() { LogNotAvailableOnce(MutableNet.bansNoted, "LoadBans"); }
