// The connection table: look-ups, connection ids with the list of recently
// freed ones, and removal of a connection, which keeps the table dense by
// moving the last record into the gap.
#include <cstring>

#include "net/local.h"
#include "session/services.h"

ConnectionTableRecord MutableConnectionTable;
const ConnectionTableRecord& ConnectionTable = MutableConnectionTable;

namespace {

// The highest connection or player id.
constexpr int MaxUcid = 255;
// After a connection leaves, the host sends its next state check only this
// many frames later.
constexpr uint32_t CheckAfterRemoval = 800;

bool IsIdInUse(int id)
{
    for (int i = 0; i < ConnectionTable.count; ++i) {
        if (ConnectionTable.connections[i].ucid == id)
            return true;
    }
    for (uint8_t freed : ConnectionTable.recentlyFreed) {
        if (freed == id)
            return true;
    }
    if (const Race* race = CurrentRace) {
        for (int i = 0; i < RaceSlotsInUse(*race); ++i) {
            if (race->players[i].descriptor.playerId == id)
                return true;
        }
    }
    return false;
}

// The last admitted link that carries connection n; -1 when none.
int LastLinkOfConnection(int n)
{
    for (int i = ClientLinkTable.linkCount - 1; i >= 0; --i) {
        if (ClientLinkTable.links[i].connection == n)
            return i;
    }
    return -1;
}

// Every player of connection n leaves the race.
void RemovePlayersOfConnection(int n)
{
    Race* race = CurrentRace;
    if (!race)
        return;
    for (int i = RaceSlotsInUse(*race) - 1; i >= 0; --i) {
        RacePlayer& slot = race->players[i];
        if (slot.descriptor.connection != n)
            continue;
        RemoveCarFromSession(slot);
        RemovePlayer(*race, i);
    }
}

// What removing a connection means for an admission in progress.
void ReportRemovalDuringJoin()
{
    switch (SessionFlags.joinState) {
    case 2:
    case 3:
        ReportNet(ColourLightRed, "Forced to disconnect new guest");
        CancelJoin();
        break;
    case JoinProtected:
        ReportNet(ColourLightRed, "RemoveConn while JS_PROTECTED");
        break;
    case JoinError:
        ReportNet(ColourLightRed, "RemoveConn while JS_ERROR");
        break;
    default:
        break;
    }
}

} // namespace

int FindConnByUcid(int ucid)
{
    for (int i = 1; i < ConnectionTable.count; ++i) {
        if (ConnectionTable.connections[i].ucid == ucid)
            return i;
    }
    return 0;
}

const Connection* FindConnRecordByUcid(int ucid)
{
    const int i = FindConnByUcid(ucid);
    return i != 0 ? &ConnectionTable.connections[i] : nullptr;
}

const Connection* FindConnRecord(int ucid)
{
    if (ConnectionTable.count > 0 && ConnectionTable.connections[0].ucid == ucid)
        return &ConnectionTable.connections[0];
    return FindConnRecordByUcid(ucid);
}

int FindClient(int connection, const char* tag)
{
    for (int i = 0; i < ClientLinkTable.linkCount; ++i) {
        if (ClientLinkTable.links[i].connection == connection)
            return i;
    }
    if (tag)
        ReportLine(ColourLightRed, "%s : Could not find client for connection %d", tag, connection);
    return -1;
}

void DropClientLink(ClientLink& link)
{
    FreeClientLink(link, 0);
    link.fatal = 1;
}

int FailLinkOfConnection(int c)
{
    const int link = FindClient(c, nullptr);
    if (link >= 0)
        DropClientLink(ClientLinkTable.links[link]);
    return link;
}

int FindLinkByUcid(int ucid)
{
    for (int i = 0; i < ClientLinkTable.linkCount; ++i) {
        const int c = ClientLinkTable.links[i].connection;
        if (c != 0 && c < ConnectionTable.count && ConnectionTable.connections[c].ucid == ucid)
            return i;
    }
    return -1;
}

int FindLinkOfConnection(int connection) { return FindClient(connection, nullptr); }

int AdmittedLinkCount()
{
    return SessionFlags.joinState >= 2 ? ClientLinkTable.linkCount - 1 : ClientLinkTable.linkCount;
}

int AllocUcid()
{
    for (int id = 1; id <= MaxUcid; ++id) {
        if (!IsIdInUse(id)) {
            RememberFreedUcid(id);
            return id;
        }
    }
    LogPrintf("AllocUcid : every id is in use (%d)", MaxUcid);
    return 0;
}

void RememberFreedUcid(int ucid)
{
    uint8_t* list = MutableConnectionTable.recentlyFreed;
    std::memmove(list + 1, list, RecentUcidCount - 1);
    list[0] = static_cast<uint8_t>(ucid);
}

void SwapConnIndices(int a, int b)
{
    for (int i = 0; i < ClientLinkTable.linkCount; ++i) {
        uint8_t& c = ClientLinkTable.links[i].connection;
        if (c == a)
            c = static_cast<uint8_t>(b);
        else if (c == b)
            c = static_cast<uint8_t>(a);
    }
    if (Race* race = CurrentRace) {
        for (int i = 0; i < RaceSlotsInUse(*race); ++i) {
            uint8_t& c = race->players[i].descriptor.connection;
            if (c == a)
                c = static_cast<uint8_t>(b);
            else if (c == b)
                c = static_cast<uint8_t>(a);
        }
    }
}

void RemoveLinkAt(int link)
{
    ClientLinkTableRecord& table = ClientLinkTable;
    if (link < 0 || link >= table.linkCount)
        return;
    FreeClientLink(table.links[link], 1);
    for (int i = link; i + 1 < table.linkCount; ++i)
        table.links[i] = table.links[i + 1];
    --table.linkCount;
    table.links[table.linkCount] = ClientLink{};
    for (int i = 0; i < ConnectionTable.count; ++i)
        MutableConnectionTable.connections[i].numToForward = static_cast<uint8_t>(table.linkCount);
}

void RemoveConn(int n)
{
    PostponeStateCheck();
    ConnectionTableRecord& table = MutableConnectionTable;
    if (n < 0 || n >= table.count)
        return;
    const bool host = MultiplayerMode.host;
    int link = -1;
    if (host) {
        MutableStateCheck.nextCheck = FrameClock.processedFrame + CheckAfterRemoval;
        link = LastLinkOfConnection(n);
    }
    const int32_t token = table.connections[n].masterToken;
    if (host) {
        CancelKickVoteAgainst(table.connections[n].ucid);
        RememberFreedUcid(table.connections[n].ucid);
    }
    RemovePlayersOfConnection(n);
    const int last = table.count - 1;
    if (IsInSimOpen())
        TellInSimConnectionLeft(n, last, table.connections[n].leaveReason);
    if (n != last) {
        table.connections[n] = table.connections[last];
        if (table.ownIndex == last)
            table.ownIndex = n;
        SwapConnIndices(last, n);
    }
    ReportRemovalDuringJoin();
    MarkHostConsoleConnections();
    MutableStateCheck.hold = 0;
    MutableSessionFlags.guestConnecting = 0;
    table.count = last;
    ReportToMaster("JOL", token);
    table.connections[last] = Connection{};
    WriteSessionStatus();
    if (link >= 0)
        RemoveLinkAt(link);
}

void CancelJoin()
{
    if (!MultiplayerMode.host || MultiplayerReplayPlaying)
        return;
    const uint8_t failed[4] = {GpGuestFailed, 0, 0, 0};
    QueueGamePacket(failed, sizeof failed);
    ReportNet(ColourLightRed, "Cancelled join");
    ClientLinkTableRecord& table = ClientLinkTable;
    if (table.linkCount > 0) {
        --table.linkCount;
        FreeClientLink(table.links[table.linkCount], 1);
        table.links[table.linkCount] = ClientLink{};
    }
    MutableSessionFlags.joinState = JoinNone;
}

void RemoveAllGuests()
{
    while (ConnectionTable.count > 1)
        RemoveConn(ConnectionTable.count - 1);
    CloseAllLinks();
}

int AnyoneLeavingOrFailing()
{
    for (int i = 1; i < ConnectionTable.count; ++i) {
        const Connection& c = ConnectionTable.connections[i];
        if (c.kickState || c.leaving)
            return 1;
    }
    for (int i = 0; i < AdmittedLinkCount(); ++i) {
        if (ClientLinkTable.links[i].fatal)
            return 1;
    }
    return 0;
}

int SessionBlocksJoin()
{
    return CurrentSession && GetSessionRunState(*CurrentSession) != 4;
}

void ClearEntryVotes()
{
    for (Connection& c : MutableConnectionTable.connections)
        c.entryVote = 0;
}

void ClearTrackLoadedFlags()
{
    for (Connection& c : MutableConnectionTable.connections)
        c.trackLoaded = 0;
}
