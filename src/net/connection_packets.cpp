// Game packets of the session itself: the processing delay and lag figures,
// guests joining and leaving, message blocking, the host's option words and
// the votes. Every computer handles them in the same frame.
#include <cstdio>
#include <cstring>

#include "net/local.h"
#include "session/services.h"
#include "ui/services.h"

RaceOptionsRecord MutableRaceOptions;
const RaceOptionsRecord& RaceOptions = MutableRaceOptions;
const uint32_t& HostRules = MutableRaceOptions.raceFlags;

namespace {

// Layout of game packet 20.
constexpr int NewConnectionNameAt = 4;
constexpr int NewConnectionUserAt = NewConnectionNameAt + ConnectionNameSize;
// Layout of game packet 85: mode, decided kind, countdown (hundreds of
// frames), then one vote byte per connection.
constexpr int VotesAt = 4;
enum : uint8_t { EntryVotes = 0, GameVotes = 1 };
// A new guest's record is confirmed with the master server within this time.
constexpr uint32_t MasterConfirmMs = 240000;
// Immediate packet 34: the clock start of a new guest.
constexpr uint8_t ClockStartPacket = 34;
constexpr int ClockStartSize = 12;
// The track confirmation that tells a joiner its place (a raw 68-byte frame).
constexpr int TrackConfirmationSize = 68;

// An empty bundle stamped with the last sent frame: where a new connection's
// ring of our frames begins.
void WriteStartFrame(uint8_t* payload)
{
    payload[0] = TransportBundle;
    payload[1] = static_cast<uint8_t>(FrameClock.stampedFrame);
    payload[2] = static_cast<uint8_t>(FrameClock.stampedFrame >> 8);
    payload[3] = 0;
    payload[4] = 0;
}
constexpr int StartFrameSize = 5;

// What the host sends a new guest's link once every computer added it: its
// clock start and the host's start frame.
void SendStartInfo()
{
    if (SessionFlags.joinState == JoinError) {
        ReportNet(ColourLightGrey, "JS_P_ERROR - won't try to send start info");
        return;
    }
    const int link = ClientLinkTable.linkCount - 1;
    if (link < 0)
        return;
    if (ClientLinkTable.links[link].fatal) {
        ReportNet(ColourLightGrey, "Won't send start info to guest with fatal error");
        return;
    }
    uint8_t clockStart[ClockStartSize] = {ClockStartPacket};
    WritePacketLong(clockStart + 4, FrameClock.processedFrame + 1);
    WritePacketLong(clockStart + 8, MprBaseFrame());
    SendImmediatePacket(link, clockStart, sizeof clockStart);
    uint8_t frame[1 + StartFrameSize] = {StartFrameSize};
    WriteStartFrame(frame + 1);
    SendOnLink(link, frame, 0);
    if (GameKind == 2)
        MutableStateCheck.suppressed = 1;
}

// A guest sends its start frame to the new connection through the host.
void SendStartFrameToNewGuest(int ucid)
{
    uint8_t frame[1 + 2 + StartFrameSize] = {2 + StartFrameSize, TransportForwarded, static_cast<uint8_t>(ucid)};
    WriteStartFrame(frame + 3);
    SendOnLink(0, frame, 0);
    ReportNet(ColourLightGrey, "New User UCID %d", ucid);
}

// Host: the current votes go to a new connection (entry votes in race
// setup, game votes while racing).
void QueueVotesPacket()
{
    uint8_t packet[VotesAt + MaxConnections] = {GpVotes};
    const bool racing = GameKind == 2;
    packet[1] = racing ? GameVotes : EntryVotes;
    if (racing && SessionVotes.decidedVote) {
        packet[2] = SessionVotes.decidedVote;
        packet[3] = static_cast<uint8_t>(SessionVotes.countdown / 100 + 1);
    }
    for (int i = 0; i < MaxConnections; ++i) {
        const Connection& c = ConnectionTable.connections[i];
        packet[VotesAt + i] = racing ? c.gameVote : c.entryVote;
    }
    QueueGamePacket(packet, sizeof packet);
    SendGameBundle(0);
    MutableSessionVotes.votesSent = 1;
}

// Host: the joiner learns its place and the track (its admission step 2).
void SendTrackConfirmation()
{
    const int link = ClientLinkTable.linkCount - 1;
    if (link < 0)
        return;
    uint8_t frame[1 + TrackConfirmationSize] = {TrackConfirmationSize};
    uint8_t* body = frame + 1;
    // Host name, the joiner's index less one, then the fields of a track
    // packet from its byte 1 on.
    CopyFixedString(reinterpret_cast<char*>(body), Settings.gameName, ConnectionNameSize);
    WriteTrackFields(body + ConnectionNameSize);
    body[ConnectionNameSize] = static_cast<uint8_t>(ConnectionTable.count - 1);
    body[TrackConfirmationSize - 1] = 0;
    if (!SendOnLink(link, frame, 0)) {
        ReportNet(ColourLightRed, "Removed joiner - error sending guest list");
        CancelJoin();
    } else if (AnyoneLeavingOrFailing()) {
        ReportNet(ColourLightRed, "Removed joiner - player disconnecting");
        CancelJoin();
    } else {
        ReportNet(ColourLightGrey, "Sent guest list to new guest");
        MutableSessionFlags.joinState = 3;
        ClientLinkTable.links[link].timeStamp = GameTime.clockMs;
        SendUdpPathTest(link);
    }
}

// The option packets are refused while a guest connects; the sender's own
// side says so.
bool RefuseOptionChange(int c)
{
    if (!SessionFlags.guestConnecting)
        return false;
    RefuseGuestConnecting("change info", c);
    return true;
}

} // namespace

void HandleProcessingDelayPacket(int, const uint8_t* packet, int)
{
    if (SessionFlags.guestConnecting)
        return;
    MutableFrameClock.processingDelay = packet[1] < MaxProcessingDelay ? packet[1] : MaxProcessingDelay;
}

void HandleLagFigurePacket(int c, const uint8_t* packet, int)
{
    MutableConnectionTable.connections[c].lag = packet[1];
}

void HandleNewConnectionPacket(int, const uint8_t* packet, int)
{
    char name[ConnectionNameSize], user[ConnectionUserNameSize];
    CopyFixedString(name, reinterpret_cast<const char*>(packet + NewConnectionNameAt), sizeof name);
    CopyFixedString(user, reinterpret_cast<const char*>(packet + NewConnectionUserAt), sizeof user);
    if (ConnectionTable.count >= MaxConnections) {
        // The table is full on every computer alike: nobody adds it.
        ReportLine(ColourLightRed, "New connection refused : table full (%d)", MaxConnections);
        return;
    }
    char line[160];
    std::snprintf(line, sizeof line, GetText(TX_3a_x_conn_x), PrepareColourText(name), PrepareColourText(user));
    PrintNotice(line);

    const int index = ConnectionTable.count;
    Connection& added = MutableConnectionTable.connections[index];
    added = Connection{};
    added.ucid = packet[1];
    added.admin = packet[2] ? 1 : 0;
    added.numToForward = static_cast<uint8_t>(ClientLinkTable.linkCount);
    std::memcpy(added.name, name, sizeof name);
    std::memcpy(added.userName, user, sizeof user);
    added.ring.framesReceived = FrameClock.processedFrame + 1;
    const bool host = MultiplayerMode.host;
    if (host && SessionFlags.joinState != JoinNone && ClientLinkTable.linkCount > 0) {
        ClientLink& link = ClientLinkTable.links[ClientLinkTable.linkCount - 1];
        link.open = 1;
        added.masterToken = link.masterToken;
        added.masterDeadline = GameTime.clockMs + MasterConfirmMs;
    }
    if (!MultiplayerReplayPlaying) {
        if (host)
            SendStartInfo();
        else
            SendStartFrameToNewGuest(added.ucid);
    }
    TellInSimNewConnection(index);
    ++MutableConnectionTable.count;
    WriteSessionStatus();
    MutableSessionFlags.lastAdmissionTime = GameTime.clockMs;
    MutableSessionFlags.joinState = JoinNone;
    MutableSessionFlags.guestConnecting = 0;
    PostponeStateCheck();
    if (host && !MultiplayerReplayPlaying)
        QueueVotesPacket();
}

void HandleGuestStartingPacket(int, const uint8_t*, int)
{
    PrintMessage(GetText(TX_3a_newgconn), ColourLightBlue);
    MutableSessionFlags.guestConnecting = 1;
    MutableSessionVotes.votesBlocked = 1;
    PostponeStateCheck();
    if (!MultiplayerMode.host || MultiplayerReplayPlaying)
        return;
    if (SessionFlags.joinState == 2)
        SendTrackConfirmation();
    else
        ReportLine(ColourLightRed, "New guest but wrong state");
}

void HandleGuestFailedPacket(int, const uint8_t*, int)
{
    PrintMessage(GetText(TX_3a_gfailcon), ColourLightRed);
    MutableSessionFlags.joinState = JoinNone;
    MutableSessionFlags.guestConnecting = 0;
    MutableSessionVotes.votesBlocked = 0;
    PostponeStateCheck();
}

void HandleAllowedCarsPacket(int c, const uint8_t* packet, int)
{
    if (!RefuseOptionChange(c))
        MutableRaceOptions.allowedCars = ReadPacketLong(packet + 4);
}

void HandleRaceOptionsPacket(int c, const uint8_t* packet, int)
{
    if (!RefuseOptionChange(c))
        MutableRaceOptions.raceFlags = ReadPacketLong(packet + 4);
}

void HandleHostFlagsPacket(int, const uint8_t* packet, int)
{
    MutableRaceOptions.hostFlags = ReadPacketShort(packet + 2);
}

void HandleConnectionLeavesPacket(int, const uint8_t* packet, int)
{
    const int leaver = FindConnByUcid(packet[1]);
    if (leaver == 0) {
        ReportLine(ColourLightRed, "Can't remove - Unknown!");
        return;
    }
    Connection& record = MutableConnectionTable.connections[leaver];
    ReportNet(ColourLightGrey, "Leave @ %u : %s", FrameClock.processedFrame, record.name);
    record.remove = 1;
    if (!MultiplayerReplayPlaying)
        return;
    const int reason = packet[2];
    if (reason == LeaveSyncLate) {
        char line[96];
        std::snprintf(line, sizeof line, "%c %s^1 : OOS / CP", 155, record.name);
        PrintMessage(line, ColourLightGrey);
    } else {
        LeaveMessage(leaver, reason);
    }
    RemoveConn(leaver);
}

void HandleMessagesBlockedPacket(int c, const uint8_t* packet, int)
{
    char line[96];
    std::snprintf(line, sizeof line, GetText(packet[1] ? TX_3g_x_blkmsg : TX_3g_x_unblkm),
                  PrepareColourText(ConnectionTable.connections[c].name));
    PrintMessage(line, ColourLightGrey);
}

void HandleVotesPacket(int, const uint8_t* packet, int)
{
    MutableSessionVotes.votesBlocked = 0;
    MutableSessionVotes.votesSent = 0;
    if (packet[1] == EntryVotes) {
        if (GameKind != 1) {
            ReportLine(ColourLightRed, "Received entry screen votes in wrong mode");
            return;
        }
        for (int i = 0; i < MaxConnections; ++i)
            MutableConnectionTable.connections[i].entryVote = packet[VotesAt + i];
        BeginSession();
        return;
    }
    if (GameKind != 2) {
        ReportLine(ColourLightRed, "Received game vote packets in wrong mode");
        return;
    }
    MutableSessionVotes.decidedVote = packet[2];
    MutableSessionVotes.countdown = packet[3] * 100;
    for (int i = 0; i < MaxConnections; ++i)
        MutableConnectionTable.connections[i].gameVote = packet[VotesAt + i];
}
