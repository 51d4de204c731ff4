// The race object: who takes part in the current race (32 player slots in
// joining order), with which car, set-up and colours, how far each has got
// (the running order) and the results table; the hot-lap validity and the
// race options.
#pragma once

#include "vehicle/services.h"

class CarObject;
struct AiDriver;

constexpr int MaxRacePlayers = 32;
// At most this many slots belong to one connection online.
constexpr int MaxPlayersPerConnection = 3;

// PlayerDescriptor::type.
enum : uint8_t {
    PlayerLocal = 0,     // the driver at this computer
    PlayerRemote = 1,    // a driver at another computer
    PlayerAi = 2,        // an AI driver this computer runs
    PlayerRemoteAi = 3,  // an AI driver another computer runs
};
// PlayerDescriptor::flags: bit 0 the profile's aid switch (driver seated
// left), the driving-aid bits of GetAssistFlags, and these.
constexpr uint16_t PlayerAiFlag = 0x200;
constexpr uint16_t PlayerLeftRace = 0x100;    // cleared whenever the cars are freed
constexpr uint16_t PlayerMouseSteer = 0x400;
constexpr uint16_t PlayerKeyboardSteer = 0x800;
constexpr uint16_t PlayerKeyboardSteerHelp = 0x1000;

constexpr int PlayerNameSize = 24;
constexpr int NumberPlateSize = 8;
constexpr int HelmetSkinSize = 16;
constexpr int CarFullNameSize = 32;

// Who a player is (64 bytes): the same bytes travel in join and
// player-update packets and in grid files.
struct PlayerDescriptor {
    char name[PlayerNameSize] = {};       // colour codes allowed, ends in a zero
    char plate[NumberPlateSize] = {};     // number-plate text, not ended when full
    uint8_t connection = 0;               // of the owning computer, 0 the host
    uint8_t type = PlayerLocal;
    uint16_t flags = 0;
    uint8_t figure = 0;                   // driver figure variant
    uint8_t playerId = 0;                 // unique in the race, given by the host
    uint8_t startPosition = 0;            // grid place index
    uint8_t pitStart = 0;                 // 1: starts from the pit lane
    // Start fuel %, pit fuel %, tyre wear limit %, strategy.
    uint8_t pitStrategy[4] = {};
    int32_t helmetExists = 0;             // 1 when the helmet skin exists as a file
    char helmetSkin[HelmetSkinSize] = {}; // ends in a zero
};
static_assert(sizeof(PlayerDescriptor) == 64);
static_assert(offsetof(PlayerDescriptor, connection) == 32 && offsetof(PlayerDescriptor, flags) == 34 &&
              offsetof(PlayerDescriptor, pitStrategy) == 40 && offsetof(PlayerDescriptor, helmetSkin) == 48);

// Which car a player drives (204 bytes): carried in join records, grid
// files and replay headers.
struct PlayerCarBlock {
    int32_t skinFlag = 0;                 // 1: the colours name a skin file that exists
    char carName[CarFullNameSize] = {};   // full car name, ends in a zero
    ColourConfig colours;                 // its name is the skin name
    CarSetup setup;                       // first byte 0 until the player has joined with a car
};
static_assert(sizeof(PlayerCarBlock) == 204);
static_assert(offsetof(PlayerCarBlock, colours) == 36 && offsetof(PlayerCarBlock, setup) == 84);

// One player slot. Zero-filled when appended.
struct RacePlayer {
    CarObject* car = nullptr;  // owned; null until the car is loaded
    AiDriver* ai = nullptr;    // owned; the AI of an AI slot on the computer that runs it
    int32_t pendingStep = 0;   // simulation step at which the pending state record is due
    uint8_t pendingFlag = 0;   // 1 while a pending state record waits
    uint8_t joinSent = 0;      // 1 after this computer sent the slot's join record
    uint8_t state = 0;         // bit 0 cleared when a car block arrives for the slot
    uint8_t placed = 0;        // scratch flag of the running order
    PlayerDescriptor descriptor;
    PlayerCarBlock carBlock;
    uint8_t pendingCarState[CarStateRecordSize] = {};  // a state record kept until its step has come
    CarSetup savedSetup;       // the set-up kept for a replay header
    CarInputs controls;        // the last control words recorded for the car
};

constexpr int PlayerNameAndPlateSize = PlayerNameSize + NumberPlateSize;

// ResultRow::flags.
constexpr uint8_t ResultAnnounced = 0x01;      // the provisional message was shown
constexpr uint8_t ResultConfirmed = 0x02;
constexpr uint8_t ResultDsqDriveThrough = 0x04;  // penalty state 1 or 2 at the finish
constexpr uint8_t ResultDsqStopGo = 0x08;        // penalty state 3 or 4 at the finish
constexpr uint8_t Result30Seconds = 0x10;
constexpr uint8_t Result45Seconds = 0x20;
constexpr uint8_t ResultDsqPitStop = 0x40;       // a required pit stop was not made
constexpr uint8_t ResultDisqualified = ResultDsqDriveThrough | ResultDsqStopGo | ResultDsqPitStop;
constexpr uint8_t ResultTimePenalty = Result30Seconds | Result45Seconds;

// One row of the results table (84 bytes).
struct RaceResult {
    char nameAndPlate[PlayerNameAndPlateSize] = {};  // copied from the slot
    char carCode[4] = {};        // three letters and a zero
    uint16_t laps = 0;           // laps completed
    uint16_t playerFlags = 0;    // the player's flags word
    uint8_t flags = 0;           // Result... bits
    uint8_t pitStops = 0;
    uint16_t penaltySeconds = 0;
    uint32_t totalTime = 0;      // hundredths, penalty included; 0 for a best-lap row
    uint32_t bestLap = 0;        // hundredths
    uint8_t playerId = 0;
    uint8_t start = 0;           // start position + 1, 0 for a pit-lane start
    uint8_t addedMass = 0;       // kg, the car's handicap
    uint8_t restriction = 0;     // %, the car's handicap
    int32_t userNumber = 0;      // a human player's master-server user number
    char userName[PlayerNameSize] = {};  // a human player's online user name
};
static_assert(sizeof(RaceResult) == 84);

// Lap validity of a timed hot lap.
enum : int32_t { LapUntimed = 0, LapValid = 1, LapInvalid = 2 };
// Reasons a hot lap becomes invalid.
enum : int { HotLapReasonGround = 0, HotLapReasonWall = 1, HotLapReasonObject = 2, HotLapReasonWrongWay = 3 };

// The best hot lap so far, for split comparisons (the car's lap timing
// keeps it).
struct BestLapReference {
    int32_t lapNumber = 0;
    int32_t splitCount = 0;
    int32_t splits[4] = {};  // hundredths
};

// Race length codes: 0 practice, 1..100 laps, 101..190 ten times (code - 90)
// laps, 191..238 code - 190 hours.
constexpr int MaxRaceLengthCode = 238;
constexpr int FirstHoursCode = 191;

constexpr int TrackNameSize = 32;

// The race. Created with new by its owner and set up by InitRace; lives for
// one race (the session's exit clean-up deletes it with its players).
struct Race {
    uint32_t stepCounter = 0;        // 10 ms steps since the start of the drive
    char trackName[TrackNameSize] = {};
    int32_t configuration = 0;       // 1 based
    int32_t reversed = 0;
    int32_t lighting = 0;            // light scheme index
    uint8_t qualifyMinutes = 0;      // 0 none
    uint8_t startCountdown = 0;      // seconds from the start of the drive to the start of timing
    uint8_t fromGrid = 0;            // 1 after a grid file was read into the race
    uint8_t raceLength = 0;          // race length code
    uint8_t aiSkill = 0;             // 0..4, given to new AI drivers
    uint8_t wind = 0;                // 0 none, 1, 2
    uint8_t hotLapOption = 0;        // a single local driver offline is timed as a hot lap
    int32_t playerCount = 0;         // slots 0..count-1 are in use
    int32_t selectionTimer = 0;      // ms, counted down by the race setup screen
    int32_t selectedSlot = 0;        // the slot the race setup shows selected, -1 none
    int32_t hotLapMode = 0;          // 1 while the drive is timed as a hot lap
    int32_t lapValidity[2] = {};     // the current and the next lap: LapUntimed, LapValid, LapInvalid
    BestLapReference bestLap;
    // Set when a car was penalised for a false start in this race.
    uint8_t penaltyReport = 0;
    int32_t resultsSendFrame = 0;    // game frame at which the results become due; 0 none
    uint8_t resultCount = 0;
    uint8_t reserved = 0;
    uint8_t orderLength = 0;
    uint8_t resultsNotFinal = 0;     // 1 while a row waits for cars that may pass it
    uint8_t runningOrder[MaxRacePlayers] = {};  // slot indexes, leader first
    RacePlayer players[MaxRacePlayers];
    RaceResult results[MaxRacePlayers];
    // Set by the start of a race and cleared by the first finish.
    int32_t raceUnderWay = 0;
    // Set by the start of a qualifying drive and cleared when the winner is announced.
    int32_t winnerPending = 0;
    // The world's random value at the start of the drive, given back to the
    // world when a single-player replay plays the drive.
    uint16_t worldRandom = 0;
    // The start place of each start number, as the drive start found it.
    FixedVector startTable[MaxRacePlayers] = {};
};

// The slots in use, never more than the table holds.
inline int RaceSlotsInUse(const Race& race)
{
    return race.playerCount < 0 ? 0 : race.playerCount > MaxRacePlayers ? MaxRacePlayers : race.playerCount;
}

// The result rows in use, never more than the table holds.
inline int RaceResultRows(const Race& race)
{
    return race.resultCount > MaxRacePlayers ? MaxRacePlayers : race.resultCount;
}

// The current race; null between races. Read-only outside the session.
// Lives from InitRace of the screen that starts a race to the session's
// exit clean-up.
extern Race* const& CurrentRace;
// Frees the current race with its players, then makes a new one (InitRace)
// the current race; returns it.
Race& CreateCurrentRace();
// Frees the current race with its players; none is current afterwards.
void FreeCurrentRace();
// The race length code that new races take (5 at start); a configuration
// whose path is not a closed lap makes it 1. Read-only outside the
// session; lives for the whole run.
extern const int& RaceLengthSetting;
