// The dispatch of game packets: every processed packet is checked for its
// type, its exact length and its sender before its handler runs, on every
// computer alike.
#include "net/local.h"
#include "session/services.h"

namespace {

using Handler = void (*)(int c, const uint8_t* packet, int length);

struct HandlerEntry {
    uint8_t length = 0;  // 0: the type is invalid
    SenderRule rule = SenderAnyone;
    Handler handle = nullptr;
};

struct TypeRow {
    uint8_t type;
    uint8_t length;
    SenderRule rule;
    Handler handle;
};

// Every valid type with its length, its sender rule and its handler.
// Players and cars: the sender's own player, or the owner of the player
// named in byte 1. Race control and timing: the host sets the track, the
// options follow the race flags. Pits and penalties: the car's owner; the
// host alone resets cars and sends handicaps. Player order and layouts
// check admin rights in their handlers and ignore others, as they always
// did, so that no honest guest is dropped for them.
constexpr TypeRow TypeRows[] = {
    {GpWearRecord, 56, SenderPlayerOwner, HandlePlayerGamePacket},
    {GpPlayerJoins, 68, SenderDescriptorOwner, HandlePlayerGamePacket},
    {GpCarInfo, 212, SenderPlayerOwner, HandlePlayerGamePacket},
    {GpRename, 36, SenderAnyone, HandlePlayerGamePacket},
    {GpDriverAnimation, 4, SenderPlayerOwner, HandlePlayerGamePacket},
    {GpDrivingSide, 4, SenderAnyone, HandlePlayerGamePacket},
    {GpTrack, 36, SenderHost, HandleRaceGamePacket},
    {GpStartGrid, 4, SenderStartGrid, HandleRaceGamePacket},
    {GpProcessingDelay, 4, SenderHost, HandleProcessingDelayPacket},
    {GpLagFigure, 4, SenderAnyone, HandleLagFigurePacket},
    {GpReadyState, 4, SenderAnyone, HandleRaceGamePacket},
    {GpPlayerOrder, 36, SenderAnyone, HandlePlayerGamePacket},
    {GpRaceControl, 4, SenderRaceControl, HandleRaceGamePacket},
    {GpLeaveRace, 4, SenderAnyone, HandlePlayerGamePacket},
    {GpNewConnection, 60, SenderHost, HandleNewConnectionPacket},
    {GpTrackLoaded, 4, SenderHost, HandleRaceGamePacket},
    {GpPlayerFlags, 4, SenderPlayerOwner, HandlePlayerGamePacket},
    {GpQualifyLength, 4, SenderRaceOptions, HandleRaceGamePacket},
    {GpRaceLength, 4, SenderRaceOptions, HandleRaceGamePacket},
    {GpWindLevel, 4, SenderRaceOptions, HandleRaceGamePacket},
    {GpHorn, 4, SenderAnyone, HandlePlayerGamePacket},
    {GpFlash, 4, SenderAnyone, HandlePlayerGamePacket},
    {GpGuestStarting, 4, SenderHost, HandleGuestStartingPacket},
    {GpGuestFailed, 4, SenderHost, HandleGuestFailedPacket},
    {GpSetupSent, 4, SenderAnyone, HandlePlayerGamePacket},
    {GpStateCheck, 8, SenderHost, HandleStateCheckPacket},
    {GpSplitTime, 8, SenderPlayerOwner, HandleRaceGamePacket},
    {GpLapTime, 12, SenderPlayerOwner, HandleRaceGamePacket},
    {GpWindState, 12, SenderHost, HandleRaceGamePacket},
    {GpPositionRate, 4, SenderHost, HandleRaceGamePacket},
    {GpLayoutEdit, 12, SenderAnyone, HandlePitGamePacket},
    {GpLayoutObjects, 132, SenderAnyone, HandlePitGamePacket},
    {GpStateReport, 20, SenderAnyone, HandleStateReportPacket},
    {GpTimePenalty, 4, SenderPlayerOwner, HandlePitGamePacket},
    {GpResultsCleared, 4, SenderAdmin, HandleRaceGamePacket},
    {GpAllowedCars, 8, SenderHost, HandleAllowedCarsPacket},
    {GpRaceOptions, 8, SenderHost, HandleRaceOptionsPacket},
    {GpHelmetSkin, 24, SenderPlayerOwner, HandlePlayerGamePacket},
    {GpPitPlan, 8, SenderPlayerOwner, HandlePlayerGamePacket},
    {GpImpact, 8, SenderPlayerOwner, HandlePlayerGamePacket},
    {GpPitStopMade, 4, SenderPlayerOwner, HandlePitGamePacket},
    {GpConnectionLeaves, 4, SenderHost, HandleConnectionLeavesPacket},
    {GpMessagesBlocked, 4, SenderAnyone, HandleMessagesBlockedPacket},
    {GpPenalty, 4, SenderPlayerOwner, HandlePitGamePacket},
    {GpSetup, 124, SenderPlayerOwner, HandlePitGamePacket},
    {GpBrakeBalance, 16, SenderPlayerOwner, HandlePitGamePacket},
    {GpCarFlags, 4, SenderPlayerOwner, HandlePlayerGamePacket},
    {GpTakeOver, 4, SenderAnyone, HandlePlayerGamePacket},
    {GpHostFlags, 4, SenderHost, HandleHostFlagsPacket},
    {GpCarMessage, 68, SenderAdmin, HandlePlayerGamePacket},
    {GpTimingState, 20, SenderPlayerOwner, HandleRaceGamePacket},
    {GpPitStopReport, 12, SenderPlayerOwner, HandlePitGamePacket},
    {GpPitLaneTime, 8, SenderPlayerOwner, HandlePitGamePacket},
    {GpPitLaneReport, 4, SenderPlayerOwner, HandlePlayerGamePacket},
    {GpHandicaps, 60, SenderHost, HandlePitGamePacket},
    {GpResetRefused, 4, SenderHost, HandlePitGamePacket},
    {GpCarReset, 24, SenderHost, HandlePitGamePacket},
    {GpCameraReport, 4, SenderPlayerOwner, HandlePlayerGamePacket},
    {GpVotes, 52, SenderHost, HandleVotesPacket},
    {GpCarBlockCleared, 4, SenderPlayerOwner, HandlePlayerGamePacket},
};

struct HandlerTable {
    HandlerEntry entries[GamePacketTypeCount];
};

constexpr HandlerTable MakeHandlerTable()
{
    HandlerTable table{};
    for (const TypeRow& row : TypeRows)
        table.entries[row.type] = {row.length, row.rule, row.handle};
    return table;
}

constexpr HandlerTable Handlers = MakeHandlerTable();

// The host, or the connection of the player with that id. A player that is
// not in the race passes: its packet changes nothing.
bool OwnsPlayer(int c, int playerId)
{
    if (c == 0 || !CurrentRace)
        return true;
    const RacePlayer* slot = FindPlayerById(*CurrentRace, playerId);
    return !slot || slot->descriptor.connection == c;
}

bool MayChangeRaceOptions(int c)
{
    return IsAdminConnection(c) || (RaceOptions.raceFlags & RaceFlagGuestOptions);
}

// Race control sub-codes that act on one player, and on every car.
enum : uint8_t { ControlSpectate = 7, ControlRemove = 9, ControlToPitLane = 10, ControlAllToPitLane = 11,
                 ControlClearMessage = 12 };

bool MaySendRaceControl(int c, const uint8_t* packet)
{
    switch (packet[1]) {
    case ControlSpectate:
    case ControlRemove:
    case ControlToPitLane:
        return OwnsPlayer(c, packet[2]) || IsAdminConnection(c);
    case ControlClearMessage:
        return packet[2] != 0 ? OwnsPlayer(c, packet[2]) || IsAdminConnection(c) : IsAdminConnection(c);
    case ControlAllToPitLane:
        return IsAdminConnection(c);
    default:
        return true;
    }
}

// The connection byte of a packet's player descriptor (game packet 4).
constexpr int DescriptorConnectionByte = 4 + 32;
// Start grid kind 0 removes one player.
constexpr uint8_t GridRemovePlayer = 0;

} // namespace

int IsAdminConnection(int c)
{
    return c == 0 || (c < ConnectionTable.count && ConnectionTable.connections[c].admin);
}

int GamePacketLength(int type)
{
    return type >= 0 && type < GamePacketTypeCount ? Handlers.entries[type].length : 0;
}

SenderRule GamePacketSenderRule(int type)
{
    return type >= 0 && type < GamePacketTypeCount ? Handlers.entries[type].rule : SenderAnyone;
}

int IsGamePacketSenderAllowed(int c, const uint8_t* packet)
{
    switch (GamePacketSenderRule(packet[0])) {
    case SenderAnyone:
        return 1;
    case SenderHost:
        return c == 0;
    case SenderAdmin:
        return IsAdminConnection(c);
    case SenderPlayerOwner:
        return OwnsPlayer(c, packet[1]);
    case SenderDescriptorOwner:
        return c == 0 || packet[DescriptorConnectionByte] == c;
    case SenderRaceOptions:
        return MayChangeRaceOptions(c);
    case SenderStartGrid:
        return MayChangeRaceOptions(c) || (packet[1] == GridRemovePlayer && OwnsPlayer(c, packet[2]));
    case SenderRaceControl:
        return MaySendRaceControl(c, packet);
    }
    return 0;
}

void HandleGamePacket(int c, const uint8_t* packet, int length)
{
    const int type = length > 0 ? packet[0] : 0;
    if (type >= GamePacketTypeCount) {
        RejectInvalidPacket(c, type);
        return;
    }
    const HandlerEntry& entry = Handlers.entries[type];
    if (entry.length == 0 || length != entry.length || !IsGamePacketSenderAllowed(c, packet)) {
        RejectInvalidPacket(c, type);
        return;
    }
    entry.handle(c, packet, length);
}

void HandleGameBundle(int c, const uint8_t* entries, int length)
{
    int at = 0;
    while (at < length) {
        const int packetLength = entries[at];
        if (packetLength == 0 || packetLength > length - at - 1)
            return;
        const uint8_t* packet = entries + at + 1;
        if (MutableNet.packetTrace)
            MutableNet.packetTrace(FrameClock.processedFrame, c, packet, packetLength);
        HandleGamePacket(c, packet, packetLength);
        at += 1 + packetLength;
    }
}

void RejectInvalidPacket(int c, int type)
{
    if (FindClient(c, nullptr) < 0) {
        ReportLine(ColourLightRed, "Invalid (%d) - could not find connection", type);
        return;
    }
    ReportLine(ColourLightRed, "Invalid (%d) - rejecting (%d)", type, c);
    FailLinkOfConnection(c);
}

void KickOverflow(const char* tag, int c)
{
    const char* name = c >= 0 && c < MaxConnections ? ConnectionTable.connections[c].name : "";
    ReportLine(ColourLightRed, "%s : OVERFLOW - %s", tag, name);
    FailLinkOfConnection(c);
}

void SetGamePacketTrace(GamePacketTraceFunction trace) { MutableNet.packetTrace = trace; }
