// Game packets: their types, exact lengths and sender rules, the dispatch
// that every processed packet goes through on every computer, the two
// routines that close a misbehaving connection's link, and the race option
// words that the host sets by game packet.
#pragma once

#include <cstdint>

// Game packet types (byte 0). Every other number up to 86 is invalid as a
// game packet; several are immediate packets.
enum : uint8_t {
    GpWearRecord = 2,
    GpPlayerJoins = 4,
    GpCarInfo = 5,
    GpRename = 6,
    GpDriverAnimation = 8,
    GpDrivingSide = 9,
    GpTrack = 10,
    GpStartGrid = 11,
    GpProcessingDelay = 12,
    GpLagFigure = 13,
    GpReadyState = 14,
    GpPlayerOrder = 15,
    GpRaceControl = 17,
    GpLeaveRace = 18,
    GpNewConnection = 20,
    GpTrackLoaded = 23,
    GpPlayerFlags = 26,
    GpQualifyLength = 27,
    GpRaceLength = 28,
    GpWindLevel = 29,
    GpHorn = 30,
    GpFlash = 31,
    GpGuestStarting = 32,
    GpGuestFailed = 33,
    GpSetupSent = 35,
    GpStateCheck = 36,
    GpSplitTime = 38,
    GpLapTime = 39,
    GpWindState = 40,
    GpPositionRate = 42,
    GpLayoutEdit = 45,
    GpLayoutObjects = 46,
    GpStateReport = 47,
    GpTimePenalty = 50,
    GpResultsCleared = 52,
    GpAllowedCars = 53,
    GpRaceOptions = 54,
    GpHelmetSkin = 55,
    GpPitPlan = 56,
    GpImpact = 57,
    GpPitStopMade = 60,
    GpConnectionLeaves = 63,
    GpMessagesBlocked = 64,
    GpPenalty = 66,
    GpSetup = 67,
    GpBrakeBalance = 69,
    GpCarFlags = 70,
    GpTakeOver = 71,
    GpHostFlags = 72,
    GpCarMessage = 73,
    GpTimingState = 74,
    GpPitStopReport = 75,
    GpPitLaneTime = 76,
    GpPitLaneReport = 77,
    GpHandicaps = 78,
    GpResetRefused = 79,
    GpCarReset = 80,
    GpCameraReport = 81,
    GpVotes = 85,
    GpCarBlockCleared = 86,
};
// Types above this are invalid.
constexpr int LastGamePacketType = 86;
constexpr int GamePacketTypeCount = LastGamePacketType + 1;

// Who may send a packet type. The sender is the connection whose ring held
// the packet, the same index on every computer, so a refusal is the same
// everywhere.
enum SenderRule : uint8_t {
    SenderAnyone = 0,
    SenderHost,             // connection 0 only
    SenderAdmin,            // a connection with admin rights (the host always)
    SenderPlayerOwner,      // the host or the connection of the player named by byte 1
    SenderDescriptorOwner,  // the host or the connection the packet's player descriptor names
    SenderRaceOptions,      // an admin, or anyone while the race flags let guests change options
    SenderStartGrid,        // by kind: removing one's own player, else as race options
    SenderRaceControl,      // by sub-code: votes anyone; acting on a player its owner or an admin
};

// Required length of a valid type (0 for an invalid one).
int GamePacketLength(int type);
SenderRule GamePacketSenderRule(int type);

// Handles one game packet of connection c: the type and the length must be
// valid and the sender allowed by the type's rule, else the sender's link is
// closed (RejectInvalidPacket); then the type's handler acts. Called for
// every packet of a processed frame, in ring order.
void HandleGamePacket(int c, const uint8_t* packet, int length);
// 1 when the rule of the packet's type allows connection c to send it (the
// length is known to be right).
int IsGamePacketSenderAllowed(int c, const uint8_t* packet);
// Reports and closes the link of a connection that sent an invalid packet.
void RejectInvalidPacket(int c, int type);
// Reports and closes the link of a connection whose frame ring overflowed
// (tags "BLANK", "SIZE", "STORE").
void KickOverflow(const char* tag, int c);

// ---------------------------------------------------------------------------
// Race option words set by the host's game packets. Live for the whole run.

// RaceOptions.raceFlags bits.
constexpr uint32_t RaceFlagVoteKick = 0x1;
constexpr uint32_t RaceFlagGuestOptions = 0x2;   // guests may change track and race options
constexpr uint32_t RaceFlagMidRaceJoin = 0x20;
constexpr uint32_t RaceFlagPitStopRequired = 0x40;
constexpr uint32_t RaceFlagCarReset = 0x80;
constexpr uint32_t RaceFlagForceCockpit = 0x100;
constexpr uint32_t RaceFlagWrongWayAllowed = 0x200;
// RaceOptions.hostFlags bits.
constexpr uint16_t HostFlagNoSkinDownloads = 0x1;

struct RaceOptionsRecord {
    uint32_t allowedCars = 0xFFFFF;  // bit n for car n of the car table (game packet 53)
    uint32_t raceFlags = 0;          // RaceFlag... (game packet 54)
    uint16_t hostFlags = 0;          // HostFlag... (game packet 72)

    bool operator==(const RaceOptionsRecord&) const = default;
};
extern const RaceOptionsRecord& RaceOptions;
// The race flags as the car code reads them (RaceOptions.raceFlags).
extern const uint32_t& HostRules;

// ---------------------------------------------------------------------------
// The processed-packet trace: when set, it sees every packet that a
// processed frame hands to HandleGamePacket (frame, connection, bytes), in
// processing order. Used by tests and to compare computers; lives for the
// whole run, cleared by ResetNetTables.
using GamePacketTraceFunction = void (*)(uint32_t frame, int connection, const uint8_t* packet, int length);
void SetGamePacketTrace(GamePacketTraceFunction trace);
