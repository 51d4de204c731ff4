// Game packets of race control and timing: the track, the start grid,
// readiness, race and qualifying length, wind, race control requests, the
// track-loaded signal, the car-state packet rate, and the split and lap
// times that the owner of a car reports so that every computer keeps the
// same times and results.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "net/local.h"
#include "session/services.h"
#include "ui/services.h"
#include "world/services.h"

namespace {

// Packet 10: configuration, reversed flag, light scheme, then the name.
constexpr int TrackNameAt = 4;
// The site whose layouts are driven without a lap path; leaving it for a
// circuit sets the race back to this many laps.
constexpr int AutocrossSite = 3;
constexpr int LapsAfterAutocross = 5;
// Light schemes a site offers.
constexpr int LightSchemeCount = 4;
// Packet 11: start grid kinds.
enum : uint8_t { GridRemove = 0, GridSwap = 1, GridClear = 2 };
// Race phases.
enum : int { PhasePractice = 0, PhaseRace = 1, PhaseQualify = 2 };
constexpr int MaxWindLevel = 2;
// Packet 38: split number, then the split time; packet 39: laps, lap time,
// total time; packet 74: the timing state.
constexpr int SplitTimeAt = 4;
constexpr int LapLapsAt = 2, LapTimeAt = 4, LapTotalAt = 8;
constexpr int TimingLapsAt = 6, TimingCurrentAt = 8, TimingReferenceAt = 12, TimingTotalAt = 16;
// The split after which a car on its last lap must have stopped when a pit
// stop is required.
constexpr int LastPitSplit = 3;
// Reason of the penalty for a stop that came too late.
constexpr uint8_t PenaltyReasonStopTooLate = 6;
// The car-state packet rate a host may set, packets per second.
constexpr int MinPositionRate = 3, MaxPositionRate = 12;
// Packet 40: generator state, strength and direction.
constexpr int WindStateAt = 2, WindStrengthAt = 4, WindDirectionAt = 8;

bool InRaceSetup() { return GameKind == 1 && CurrentRace; }
bool IsHotLapping() { return CurrentRace && CurrentRace->hotLapOption; }

// --- Track and grid.

// A track packet names a site of the site table and one of its
// configurations; anything else would reach the world loader as a file
// name, so every computer refuses it alike.
bool IsTrackPacketValid(const uint8_t* packet, char* name)
{
    std::memcpy(name, packet + TrackNameAt, TrackNameSize);
    name[TrackNameSize - 1] = 0;
    const int site = FindSite(name, nullptr);
    return site >= 0 && packet[1] >= 1 && packet[1] <= SiteTable[site].configCount && packet[2] <= 1 &&
           packet[3] < LightSchemeCount;
}

void HandleTrack(const uint8_t* packet)
{
    if (!InRaceSetup() || SessionFlags.trackChanging)
        return;
    char name[TrackNameSize];
    if (!IsTrackPacketValid(packet, name)) {
        ReportLine(ColourLightRed, "Unknown track refused");
        return;
    }
    if (MultiplayerMode.host)
        MutableSessionFlags.layoutState = LayoutWaitingForTrack;
    PostponeStateCheck();
    if (CurrentWorld)
        ClearLayoutObjects();
    MutableSessionFlags.trackChanging = 1;
    const int newSite = FindSite(name, nullptr);
    if (newSite != AutocrossSite && FindSite(Settings.mapName, nullptr) == AutocrossSite && !IsHotLapping())
        CurrentRace->raceLength = LapsAfterAutocross;
    EditSettings([&](SettingsRecord& settings) {
        CopyFixedString(settings.mapName, name, sizeof settings.mapName);
        settings.config = packet[1];
        settings.flip = packet[2];
        settings.lighting = packet[3];
    });
    CopyFixedString(CurrentRace->trackName, name, sizeof CurrentRace->trackName);
    CurrentRace->configuration = packet[1];
    CurrentRace->reversed = packet[2];
    CurrentRace->lighting = packet[3];
    ClearEntryVotes();
}

void HandleStartGrid(int c, const uint8_t* packet)
{
    if (!InRaceSetup())
        return;
    PostponeStateCheck();
    Race& race = *CurrentRace;
    switch (packet[1]) {
    case GridRemove: {
        const int at = FindPlayerIndexById(race, packet[2]);
        if (at < 0)
            break;
        if (race.players[at].descriptor.connection != c)
            ReportLine(ColourLightGrey, "%s^8 removed %s^8 from the start grid", ConnectionTable.connections[c].name,
                       race.players[at].descriptor.name);
        RemovePlayer(race, at);
        break;
    }
    case GridSwap: {
        const int a = FindPlayerIndexById(race, packet[2]);
        const int b = FindPlayerIndexById(race, packet[3]);
        if (a >= 0 && b >= 0 && a != b) {
            std::swap(race.players[a], race.players[b]);
            RelinkPlayerCars(race);
        }
        break;
    }
    case GridClear:
        for (int i = RaceSlotsInUse(race) - 1; i >= 0; --i)
            RemovePlayer(race, i);
        break;
    default:
        break;
    }
    BeginSession();
}

void HandleReadyState(int c, const uint8_t* packet)
{
    if (!InRaceSetup())
        return;
    MutableConnectionTable.connections[c].entryVote = packet[1];
    if (!SessionVotes.votesBlocked)
        BeginSession();
    PostponeStateCheck();
}

void HandleRaceControl(int c, const uint8_t* packet)
{
    if (InRaceSetup()) {
        if (packet[1] == 0)
            SetRacePhase(PhasePractice);
        return;
    }
    if (GameKind == 2 || MutableNet.multiplayerReplayPlaying)
        HandleRaceControlPacket(CurrentSession, c, packet);
}

void HandleTrackLoaded()
{
    if (Online)
        ReportLine(ColourLightGrey, "Track loaded");
    PostponeStateCheck();
    MutableSessionFlags.layoutState = LayoutIdle;
    MutableSessionFlags.trackChanging = 0;
    if (InRaceSetup())
        CheckPlayersBeforeStart(*CurrentRace);
}

// --- Race options.

void HandleQualifyLength(const uint8_t* packet)
{
    if (!CurrentRace || IsHotLapping())
        return;
    StopSessionRecordingIfAny();
    PostponeStateCheck();
    CurrentRace->qualifyMinutes = packet[1];
}

void HandleRaceLength(const uint8_t* packet)
{
    if (!CurrentRace || !CurrentWorld || IsHotLapping())
        return;
    StopSessionRecordingIfAny();
    PostponeStateCheck();
    SetRaceLengthByte(*CurrentRace, std::min<int>(ReadPacketShort(packet + 2), MaxRaceLengthCode));
}

void HandleWindLevel(const uint8_t* packet)
{
    if (!CurrentRace || IsHotLapping())
        return;
    StopSessionRecordingIfAny();
    PostponeStateCheck();
    CurrentRace->wind = static_cast<uint8_t>(std::min<int>(packet[1], MaxWindLevel));
}

void HandleResultsCleared(const uint8_t* packet)
{
    if (!CurrentRace || IsHotLapping())
        return;
    PostponeStateCheck();
    ClearRaceResults(*CurrentRace);
    CurrentRace->qualifyMinutes = 0;
    SetRaceLengthByte(*CurrentRace, packet[1]);
}

void HandleWindState(const uint8_t* packet)
{
    if (!CurrentWorld)
        return;
    const float strength = ReadPacketFloat(packet + WindStrengthAt);
    const float direction = ReadPacketFloat(packet + WindDirectionAt);
    if (!std::isfinite(strength) || !std::isfinite(direction))
        return;
    SetWind(*CurrentWorld, strength, direction);
    SeedWorldRandom(*CurrentWorld, ReadPacketShort(packet + WindStateAt));
}

void HandlePositionRate(const uint8_t* packet)
{
    if (SessionFlags.guestConnecting)
        return;
    const int rate = std::clamp<int>(packet[1], MinPositionRate, MaxPositionRate);
    EditSettings([rate](SettingsRecord& settings) { settings.packsPerSec = rate; });
    ReportLine(ColourLightGrey, "Packs Per Second %d", rate);
}

// --- Timing.

// Host: a car that passed the last split of its last lap without the
// required pit stop is penalised (a time penalty, or a stop-go when it
// already has a penalty).
void PenaliseLateStop(const Race& race, const RacePlayer& slot, int split)
{
    const CarObject& car = *slot.car;
    const CarResultState& result = car.race.result;
    if (!(RaceOptions.raceFlags & RaceFlagPitStopRequired) || !IsHostNotReplaying() || split != LastPitSplit)
        return;
    if (result.pitStops > 0 || result.requiredStopDone || car.race.lapCount != GetLapCount(race) - 1)
        return;
    const uint8_t kind = result.penaltyState == PenaltyNone ? PenaltyCode30Seconds : PenaltyCodeStopGo;
    const uint8_t penalty[4] = {GpPenalty, slot.descriptor.playerId, kind, PenaltyReasonStopTooLate};
    QueueGamePacket(penalty, sizeof penalty);
}

void HandleSplitTime(const uint8_t* packet)
{
    if (!HasRaceStarted())
        return;
    RacePlayer* slot = FindPacketPlayer(packet[1]);
    if (!slot || !slot->car)
        return;
    CarObject& car = *slot->car;
    AdvancePenaltyState(car);
    if (car.net.remote) {
        car.lap.lastTime = static_cast<int32_t>(ReadPacketLong(packet + SplitTimeAt));
        ArmLapTimeCountdown(car);
    }
    PenaliseLateStop(*CurrentRace, *slot, packet[2]);
}

// A race finish: the car is marked finished and its row placed when it
// has run the race's laps, or when the race already has results and the
// car crossed the line after the winner. The car's own lap timing may have
// marked it finished already; only a row it holds means it is recorded.
void FinishCarIfDone(Race& race, int slotIndex, int laps, uint32_t totalTime)
{
    CarObject& car = *race.players[slotIndex].car;
    if (car.race.result.classified)
        return;
    FixedVector startPoint;
    const bool layoutStart = GetLayoutStartPoint(startPoint);
    const bool winnerFinished = RaceResultRows(race) > 0 && totalTime > race.results[0].totalTime;
    if (!layoutStart && !HasFinished(race, laps, totalTime) && !winnerFinished)
        return;
    SetCarFinished(car, 0);
    RecordPlayerFinish(race, slotIndex, totalTime, laps);
}

void HandleLapTime(const uint8_t* packet)
{
    if (!HasRaceStarted())
        return;
    Race& race = *CurrentRace;
    const int slotIndex = FindPlayerIndexById(race, packet[1]);
    if (slotIndex < 0 || !race.players[slotIndex].car)
        return;
    CarObject& car = *race.players[slotIndex].car;
    const int laps = ReadPacketShort(packet + LapLapsAt);
    const int32_t lapTime = static_cast<int32_t>(ReadPacketLong(packet + LapTimeAt));
    const uint32_t totalTime = ReadPacketLong(packet + LapTotalAt);
    if (lapTime <= 0)
        return;
    if (IsQualifyingSession() && lapTime < UntimedLap)
        UpdateTimedResult(race, slotIndex, static_cast<uint32_t>(lapTime), 0, 0);
    CarResultState& result = car.race.result;
    if (result.bestLap == 0 || lapTime < result.bestLap)
        result.bestLap = lapTime;
    result.raceTime = static_cast<int32_t>(totalTime);
    car.race.lapCount = laps;
    if (car.net.remote)
        car.lap.totalTime = static_cast<int32_t>(totalTime);
    if (IsRaceSession())
        FinishCarIfDone(race, slotIndex, laps, totalTime);
}

void HandleTimingState(const uint8_t* packet)
{
    if (!HasRaceStarted())
        return;
    CarObject* car = FindPacketCar(packet[1]);
    if (!car)
        return;
    car->race.lastCheckpoint = packet[2];
    car->race.timingState = packet[3];
    car->race.lapCount = ReadPacketShort(packet + TimingLapsAt);
    car->lap.lastTime = static_cast<int32_t>(ReadPacketLong(packet + TimingCurrentAt));
    car->lap.previousLapDifference = static_cast<int32_t>(ReadPacketLong(packet + TimingReferenceAt));
    car->lap.totalTime = static_cast<int32_t>(ReadPacketLong(packet + TimingTotalAt));
}

} // namespace

void HandleRaceGamePacket(int c, const uint8_t* packet, int)
{
    switch (packet[0]) {
    case GpTrack: HandleTrack(packet); break;
    case GpStartGrid: HandleStartGrid(c, packet); break;
    case GpReadyState: HandleReadyState(c, packet); break;
    case GpRaceControl: HandleRaceControl(c, packet); break;
    case GpTrackLoaded: HandleTrackLoaded(); break;
    case GpQualifyLength: HandleQualifyLength(packet); break;
    case GpRaceLength: HandleRaceLength(packet); break;
    case GpWindLevel: HandleWindLevel(packet); break;
    case GpSplitTime: HandleSplitTime(packet); break;
    case GpLapTime: HandleLapTime(packet); break;
    case GpWindState: HandleWindState(packet); break;
    case GpPositionRate: HandlePositionRate(packet); break;
    case GpResultsCleared: HandleResultsCleared(packet); break;
    case GpTimingState: HandleTimingState(packet); break;
    default: break;
    }
}
