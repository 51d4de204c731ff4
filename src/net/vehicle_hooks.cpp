// What the multiplayer layer gives the cars: whether a game runs and what
// its host allows, and the packets of impacts, horns, flashes, distance
// reports, pit stops and sanctions.
#include "net/services.h"
#include "vehicle/services.h"

void InstallNetVehicleHooks()
{
    CarNetHooks net = GetCarNetHooks();
    net.isOnline = [] { return Online; };
    net.isReplayPlaying = [] { return MultiplayerReplayPlaying; };
    net.hostRules = [] { return HostRules; };
    net.isNetworkHold = [] { return NetworkHold; };
    net.outsideVoteFinalCountdown = OutsideVoteFinalCountdown;
    net.queueGamePacket = QueueGamePacket;
    net.sendToHost = SendToHost;
    net.queueRecordedGamePacket = QueueGamePacketRecorded;
    net.sendGameBundle = [] { SendGameBundle(0); };
    net.sendToAllGuests = SendToAllGuests;
    SetCarNetHooks(net);
}
