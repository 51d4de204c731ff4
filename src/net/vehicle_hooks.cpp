// What the multiplayer layer gives the cars: whether a game runs and what
// its host allows, and the packets of impacts, horns, flashes, distance
// reports, pit stops and sanctions.
#include "net/local.h"
#include "session/services.h"
#include "vehicle/services.h"

namespace {

// The sanctions the cars' wrong-way check asks for (the host's "Auto Kick"
// setting): a kick, or a kick with a ban of the user.
constexpr int SanctionKick = 1, SanctionBan = 2;

// The connection index of the player's computer (0 the host); -1 when no
// race has that player or its connection is gone.
int ConnectionOfPlayer(int playerId)
{
    if (!CurrentRace)
        return -1;
    const RacePlayer* player = FindPlayerById(*CurrentRace, playerId);
    if (!player || player->descriptor.connection >= ConnectionTable.count)
        return -1;
    return player->descriptor.connection;
}

// Host: an immediate packet to the computer of the player, handled here
// for the host's own players; nothing for a player that is gone.
void SendToPlayer(int playerId, const uint8_t* packet, int length)
{
    if (!MultiplayerMode.host)
        return;
    const int c = ConnectionOfPlayer(playerId);
    if (c == 0) {
        HandleImmediatePacket(packet, 0, length);
        return;
    }
    const int link = c > 0 ? FindClient(c, "WARN") : -1;
    if (link >= 0)
        SendImmediatePacket(link, packet, length);
}

// Host: the player's computer is kicked (action 1) or kicked and its user
// banned for 12 hours (action 2), which drops it with that reason. The
// host's own connection, a connection already on its way out and a player
// that is gone are left alone.
void SanctionPlayer(int playerId, int action)
{
    if (!MultiplayerMode.host || (action != SanctionKick && action != SanctionBan))
        return;
    const int c = ConnectionOfPlayer(playerId);
    if (c <= 0)
        return;
    Connection& connection = MutableConnectionTable.connections[c];
    if (connection.kickState || connection.leaving)
        return;
    if (action == SanctionBan) {
        // A guest without a user name is dropped but not listed: an empty
        // name would stand for every such guest.
        if (connection.userName[0]) {
            LoadBans();
            AddBan(connection.userName, 0);
        }
        connection.kickState = KickBanned;
    } else {
        connection.kickState = KickKicked;
    }
}

} // namespace

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
    net.sendToPlayer = SendToPlayer;
    net.sanctionPlayer = SanctionPlayer;
    SetCarNetHooks(net);
}
