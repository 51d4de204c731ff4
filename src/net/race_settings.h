// The race-settings block that every computer builds at a state check and
// the host compares, the timing of state checks, and the small formatters
// that turn the track and the race options into codes and words.
#pragma once

#include <cstdint>

#include "net/connections.h"

struct Race;

// ---------------------------------------------------------------------------
// The race-settings block: 20 bytes of check values, sent unchanged as game
// packet 47. Byte 0 is 47, bytes 1 to 15 the low bytes of the partial
// values, bytes 16 to 19 the main register (little-endian).
constexpr int RaceSettingsBlockSize = 20;
enum : int {
    RsFrame = 1, RsSystem, RsConnections, RsVotes, RsReady, RsRace, RsPlayers, RsColours, RsSetups,
    RsWind, RsObjects, RsCars, RsWheels, RsEngines, RsRaceState, RsMain = 16,
};
// The word of a differing byte in a mismatch report (" COUNT" .. " RES",
// " MAIN" for bytes 16 to 19).
const char* RaceSettingsFieldWord(int offset);

// Writes the words of the fields in which two blocks differ into list
// (size bytes): one per differing byte 1 to 15, " MAIN" only when nothing
// else differs. Returns the number of words.
int ListRaceSettingsMismatches(const uint8_t* ours, const uint8_t* theirs, char* list, int size);

// Constant data of the program folded into the race value, so that copies
// of different builds do not race together: the surface kind table and the
// two pairs of tyre force curves, as bytes.
constexpr int SurfaceTableBytes = 204;
constexpr int TyreCurvePairBytes = 544;

// Everything the block is made of, gathered from the session in the frame
// that processes the check request.
struct RaceSettingsFields {
    uint32_t processedFrame = 0;
    uint32_t replayBaseFrame = 0;
    uint32_t decidedVote = 0;
    uint32_t raceStartDelay = 0;    // s
    uint32_t voteCountdown = 0;     // frames
    uint8_t systemBytes[10] = {};   // game kind, track changing, race phase, configuration, reversed,
                                    // light scheme, qualifying minutes, race length, wind level, connections
    int connectionCount = 0;
    struct ConnectionFields {
        uint8_t ucid = 0, admin = 0, gameVote = 0, entryVote = 0;
        char name[ConnectionNameSize] = {};
    } connections[MaxConnections];
    uint32_t playerCount = 0;
    float gravity = 0;              // m/s^2 along z
    float timeScale = 0;
    uint8_t surfaceTable[SurfaceTableBytes] = {};
    uint8_t lateralCurves[TyreCurvePairBytes] = {};
    uint8_t longitudinalCurves[TyreCurvePairBytes] = {};
    int racing = 0;                 // a race runs (game kind 2)
    float windStrength = 0;         // m/s
    float windDirection = 0;        // rad
    uint32_t playersValue = 0, coloursValue = 0, setupsValue = 0;  // of every player slot
    uint32_t layoutObjects = 0;
    uint32_t carsValue = 0, wheelsValue = 0, enginesValue = 0, raceStateValue = 0;  // of every car
};

// Fills the fields from the session as it is now.
void GatherRaceSettingsFields(RaceSettingsFields& fields);
// The block of the fields under the check seed.
void ComputeRaceSettingsBlock(const RaceSettingsFields& fields, uint32_t seed, uint8_t block[RaceSettingsBlockSize]);
// Builds the block from the session and the seed of a state check request;
// a guest queues it as game packet 47, the host keeps it (StateCheck.ownBlock).
void BuildRaceSettings(uint32_t seed);

// ---------------------------------------------------------------------------
// State-check timing. Lives for one session: ResetSession clears it.
struct StateCheckRecord {
    uint32_t checkTimer = 0;   // processed frame before which no state check work happens
    uint32_t nextCheck = 0;    // processed frame after which the host sends the next check
    uint32_t checkFrame = 0;   // processed frame at which the last check was queued
    int hold = 0;              // checks held while a new connection joins a running race
    uint32_t startFrame = 0;   // no comparison while the processed frame has not passed it
    int suppressed = 0;        // host: no comparison until the next wind request
    uint8_t ownBlock[RaceSettingsBlockSize] = {};  // the host's block; byte 0 is 0 until built

    bool operator==(const StateCheckRecord&) const = default;
};
extern const StateCheckRecord& StateCheck;

// Moves the check timer to 200 frames after the processed frame, earlier or
// later than before, so that a check follows 200 quiet frames after any
// change of shared state.
void PostponeStateCheck();

// ---------------------------------------------------------------------------
// Track codes and race descriptions.

constexpr int TrackCodeSize = 8;
// "%s%d%c": two letters, the configuration and "R" when reversed.
void FormatTrackCodeTo(char* buffer, const char* letters, int configuration, int reversed);
// The code of the current track: the first two characters of its name
// upper-cased ("XX" when the name is shorter).
void FormatTrackCode(char* buffer);
// The code of a track packet's name, configuration (byte 1) and reversed
// flag (byte 2).
void FormatTrackCodeOfPacket(char* buffer, const uint8_t* trackPacket);
// Bytes 1 to 35 of a track packet: configuration, reversed, light scheme,
// track name (32 bytes).
void WriteTrackFields(uint8_t* packet);
// The race of a new session takes the host's track and race options.
void ApplyHostRaceSettings(Race& race);

constexpr int RaceDescriptionSize = 32;
// "no qualify", "qual 1 min", "qual %d mins".
void FormatQualifyLength(char* buffer, int minutes);
// "race 1 hour", "race %d hours" for codes 191 to 238; else "practice",
// "race 1 lap", "race %d laps" by the laps of the code.
void FormatRaceLength(char* buffer, int code);
// "no wind", "low wind", "high wind".
void FormatWind(char* buffer, int level);
