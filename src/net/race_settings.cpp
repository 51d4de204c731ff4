// The race-settings block: every computer folds its session, connections,
// players, options, wind, layout and cars into 20 bytes of CRC values in
// the frame that processes a state check, and the host compares the
// guests' blocks with its own.
#include <cstring>

#include "devices/services.h"
#include "net/local.h"
#include "session/services.h"
#include "vehicle/services.h"
#include "world/services.h"

StateCheckRecord MutableStateCheck;
const StateCheckRecord& StateCheck = MutableStateCheck;

namespace {

// A state check follows this many quiet frames after a change.
constexpr uint32_t QuietFramesBeforeCheck = 200;
// The game kind while a race runs.
constexpr int GameKindRacing = 2;

uint32_t FloatBits(float value)
{
    uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

uint8_t* PutFloat(uint8_t* at, float value)
{
    WritePacketLong(at, FloatBits(value));
    return at + 4;
}

// A tyre curve pair as bytes: for each curve its knee, end, stiffness and
// step, then its 64 values, every float little-endian.
void PutCurvePair(uint8_t* at, const TyreCurve (&curves)[2])
{
    for (const TyreCurve& curve : curves) {
        at = PutFloat(at, curve.knee);
        at = PutFloat(at, curve.end);
        at = PutFloat(at, curve.stiffness);
        at = PutFloat(at, curve.step);
        for (float value : curve.values)
            at = PutFloat(at, value);
    }
}
static_assert(2 * (4 + TyreCurveSamples) * 4 == TyreCurvePairBytes);

void PutSurfaceTable(uint8_t* at)
{
    for (const SurfaceKindRecord& kind : SurfaceKindTable) {
        at = PutFloat(at, kind.firstFactor);
        at = PutFloat(at, kind.secondFactor);
        *at++ = kind.loose;
        *at++ = kind.level;
        *at++ = kind.road;
        *at++ = kind.depth;
    }
}
static_assert(SurfaceKindCount * 12 == SurfaceTableBytes);

void GatherSystemBytes(RaceSettingsFields& fields, const Race* race)
{
    uint8_t* b = fields.systemBytes;
    b[0] = static_cast<uint8_t>(GameKind);
    b[1] = static_cast<uint8_t>(SessionFlags.trackChanging);
    b[2] = static_cast<uint8_t>(RacePhase);
    if (race) {
        b[3] = static_cast<uint8_t>(race->configuration);
        b[4] = static_cast<uint8_t>(race->reversed);
        b[5] = static_cast<uint8_t>(race->lighting);
        b[6] = race->qualifyMinutes;
        b[7] = race->raceLength;
        b[8] = race->wind;
    }
    b[9] = static_cast<uint8_t>(ConnectionTable.count);
}

void GatherPlayers(RaceSettingsFields& fields, const Race* race)
{
    if (!race)
        return;
    fields.playerCount = static_cast<uint32_t>(race->playerCount);
    uint32_t cars[4] = {};
    for (int i = 0; i < RaceSlotsInUse(*race); ++i) {
        const RacePlayer& slot = race->players[i];
        ChecksumPlayerSlot(slot, fields.playersValue, fields.coloursValue, fields.setupsValue);
        if (fields.racing && slot.car)
            GetCarChecksum(*slot.car, cars);
    }
    fields.carsValue = cars[0];
    fields.wheelsValue = cars[1];
    fields.enginesValue = cars[2];
    fields.raceStateValue = cars[3];
}

} // namespace

const char* RaceSettingsFieldWord(int offset)
{
    static const char* const Words[] = {"",      " COUNT", " MPSYS", " CONNS", " VOTE", " READY",
                                        " RACE", " PLY",   " COL",   " SET",   " WIND", " OBJS",
                                        " CAR",  " WHL",   " ENG",   " RES"};
    if (offset >= RsMain && offset < RaceSettingsBlockSize)
        return " MAIN";
    return offset > 0 && offset < RsMain ? Words[offset] : "";
}

int ListRaceSettingsMismatches(const uint8_t* ours, const uint8_t* theirs, char* list, int size)
{
    list[0] = 0;
    int words = 0;
    for (int i = RsFrame; i < RsMain; ++i) {
        if (ours[i] != theirs[i]) {
            std::strncat(list, RaceSettingsFieldWord(i), static_cast<size_t>(size) - std::strlen(list) - 1);
            ++words;
        }
    }
    if (words == 0 && std::memcmp(ours + RsMain, theirs + RsMain, RaceSettingsBlockSize - RsMain) != 0) {
        std::strncat(list, RaceSettingsFieldWord(RsMain), static_cast<size_t>(size) - std::strlen(list) - 1);
        ++words;
    }
    return words;
}

void GatherRaceSettingsFields(RaceSettingsFields& fields)
{
    fields = RaceSettingsFields{};
    const Race* race = CurrentRace;
    fields.processedFrame = FrameClock.processedFrame;
    fields.replayBaseFrame = MprBaseFrame();
    fields.decidedVote = SessionVotes.decidedVote;
    fields.raceStartDelay = race ? race->startCountdown : 0;
    fields.voteCountdown = static_cast<uint32_t>(SessionVotes.countdown);
    GatherSystemBytes(fields, race);
    fields.connectionCount = ConnectionTable.count;
    for (int i = 0; i < ConnectionTable.count; ++i) {
        const Connection& c = ConnectionTable.connections[i];
        RaceSettingsFields::ConnectionFields& out = fields.connections[i];
        out.ucid = c.ucid;
        out.admin = c.admin;
        out.gameVote = c.gameVote;
        out.entryVote = c.entryVote;
        CopyFixedString(out.name, c.name, ConnectionNameSize);
    }
    fields.gravity = GetBodySurroundings().Gravity();
    fields.timeScale = GameTime.timeScale;
    PutSurfaceTable(fields.surfaceTable);
    PutCurvePair(fields.lateralCurves, LateralTyreCurves);
    PutCurvePair(fields.longitudinalCurves, LongitudinalTyreCurves);
    fields.racing = GameKind == GameKindRacing;
    if (fields.racing) {
        fields.windStrength = GetWorldWindStrength();
        fields.windDirection = GetWorldWindDirection();
    }
    fields.layoutObjects = static_cast<uint32_t>(GetLayoutObjectCount());
    GatherPlayers(fields, race);
}

void ComputeRaceSettingsBlock(const RaceSettingsFields& f, uint32_t seed, uint8_t block[RaceSettingsBlockSize])
{
    uint32_t values[RsMain] = {};
    values[RsFrame] = CrcAddInt(f.processedFrame, f.replayBaseFrame);
    uint32_t system = CrcAddInt(CrcAddInt(f.decidedVote, f.raceStartDelay), f.voteCountdown);
    for (uint8_t b : f.systemBytes)
        system = CrcAddByte(system, b);
    values[RsSystem] = system;
    uint32_t ready = 0;
    for (int i = 0; i < f.connectionCount; ++i) {
        const RaceSettingsFields::ConnectionFields& c = f.connections[i];
        values[RsConnections] = CrcAddByte(values[RsConnections], c.ucid);
        values[RsConnections] = CrcAddByte(values[RsConnections], c.admin);
        values[RsConnections] = CrcAddString(values[RsConnections], c.name);
        values[RsVotes] = CrcAddByte(values[RsVotes], c.gameVote);
        ready += c.entryVote;
    }
    values[RsReady] = ready & 0xFF;
    uint32_t race = CrcAddInt(f.playerCount, FloatBits(f.gravity));
    race = CrcAddInt(race, FloatBits(f.timeScale));
    race = CrcAddBuffer(race, f.surfaceTable, SurfaceTableBytes);
    race = CrcAddBuffer(race, f.lateralCurves, TyreCurvePairBytes);
    race = CrcAddBuffer(race, f.longitudinalCurves, TyreCurvePairBytes);
    if (f.racing) {
        race = CrcAddInt(CrcAddInt(race, FloatBits(f.windStrength)), FloatBits(f.windDirection));
        values[RsWind] = CrcAddInt(CrcAddInt(0, FloatBits(f.windStrength)), FloatBits(f.windDirection));
        values[RsCars] = f.carsValue;
        values[RsWheels] = f.wheelsValue;
        values[RsEngines] = f.enginesValue;
        values[RsRaceState] = f.raceStateValue;
    }
    values[RsRace] = race;
    values[RsPlayers] = f.playersValue;
    values[RsColours] = f.coloursValue;
    values[RsSetups] = f.setupsValue;
    values[RsObjects] = f.layoutObjects;

    block[0] = GpStateReport;
    uint32_t main = seed;
    for (int i = RsFrame; i < RsMain; ++i) {
        block[i] = static_cast<uint8_t>(values[i]);
        main = CrcAddInt(main, values[i]);
    }
    WritePacketLong(block + RsMain, main);
}

void BuildRaceSettings(uint32_t seed)
{
    RaceSettingsFields fields;
    GatherRaceSettingsFields(fields);
    uint8_t block[RaceSettingsBlockSize];
    ComputeRaceSettingsBlock(fields, seed, block);
    if (MultiplayerMode.host)
        std::memcpy(MutableStateCheck.ownBlock, block, sizeof block);
    else
        QueueGamePacket(block, sizeof block);
}

void PostponeStateCheck()
{
    MutableStateCheck.checkTimer = FrameClock.processedFrame + QuietFramesBeforeCheck;
}

void ApplyHostRaceSettings(Race& race)
{
    CopyFixedString(race.trackName, Settings.mapName, TrackNameSize);
    race.configuration = Settings.config;
    race.reversed = Settings.flip;
    race.lighting = Settings.lighting;
    race.qualifyMinutes = static_cast<uint8_t>(HostOptions.qualifyMinutes);
    race.raceLength = static_cast<uint8_t>(HostOptions.raceLengthCode < MaxRaceLengthCode ? HostOptions.raceLengthCode : MaxRaceLengthCode);
    race.wind = static_cast<uint8_t>(HostOptions.windLevel);
}
