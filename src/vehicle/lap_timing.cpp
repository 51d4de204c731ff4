// The car's lap and split timing on its own step counter, the false-start
// rule of a car that moves before the start, and the player slot of a car.
// Every time is reported to the participants as a game packet.
#include <algorithm>
#include <cmath>

#include "vehicle/local.h"

namespace {

// A second is a hundred steps.
constexpr int32_t StepsPerSecond = 100;
// The lap time display: 60 s, counted down by 10 per step.
constexpr int32_t LapTimeDisplay = 6000;
// The lap time stays shown for 12 s after the line.
constexpr int32_t LapTimeShownSteps = 1200;
// False starts: a time penalty at a layout start, else a drive-through or
// a stop-go (pit lane with a limit and more than 3 laps) or a time penalty.
constexpr uint8_t FalseStartSeconds = 30;
constexpr int ShortRaceLaps = 3;
constexpr int FalseStartSound = 4;
// The false-start watch: a car this far (m) from its start place has left
// it; on a grid, this far is sent to the pits instead.
constexpr float LeftStartPlace = 0.5f, FarFromStartPlace = 6.0f;
// The car value that sends a car to the pits, and what the watch keeps in
// the false-start byte once it did.
constexpr int CarValueToPits = 4;
constexpr uint8_t FalseStartToPits = 2;
// The start-light state once the start is given.
constexpr int StartGiven = 4;

int SplitIndex(int timingState) { return std::clamp(timingState - 2, 0, 3); }

void QueuePacket(const uint8_t* bytes, int length) { GetCarNetHooks().queueGamePacket(bytes, length); }

// A checkpoint in order: the split time from the lap start, reported.
int CountSplit(CarObject& car, int playerId, bool valid)
{
    CarLapTiming& lap = car.lap;
    const int32_t now = car.race.stepCounter;
    car.race.result.raceTime = now - lap.timingStart;
    int32_t t = now - car.race.lapStart;
    if (!valid)
        t = std::max(t, UntimedLap);
    lap.lastTime = t;
    uint8_t packet[SplitPacketSize] = {SplitPacket, uint8_t(playerId), uint8_t(car.race.timingState + 1), 0};
    PutInt(packet + 4, t);
    QueuePacket(packet, SplitPacketSize);
    lap.lapStartFlag = 0;
    if (car.race.timingState == GetCarTimingHooks().timingPointCount())
        GetCarTimingHooks().noteLapClean(FewWheelsOffRoad(car) ? LapCleanOk : LapCleanNot);
    lap.splits[SplitIndex(car.race.timingState)] = t;
    car.race.timingState++;
    return 1;
}

// The first crossing of the line outside a race starts the timing.
void StartTimingAtLine(CarObject& car, const RaceTimingFacts& facts)
{
    const int32_t now = car.race.stepCounter;
    car.race.result.raceTime = now - car.lap.timingStart;
    GetCarTimingHooks().commitLapClean();
    car.race.lapStart = car.lap.timingStart = now;
    car.race.timingState = 2;
    if (car.lap.telemetryState == 1)
        car.lap.telemetryState = 0;  // no telemetry file can be opened
    if (facts.qualifying && facts.qualifyingOver)
        SetCarQualifyingOver(car, facts.codePage);
}

// The fuel statistics of a lap in which fuel was used.
void CountLapFuel(CarObject& car)
{
    CarLapTiming& lap = car.lap;
    if (lap.fuelAtLapStart > 0 && car.race.fuel < lap.fuelAtLapStart) {
        lap.fuelLaps++;
        lap.fuelUsedInLaps += lap.fuelAtLapStart - car.race.fuel;
    }
    lap.fuelAtLapStart = car.race.fuel;
}

// The race's best hot lap and the car's own best lap follow a clean lap.
void OfferBestLap(CarObject& car, const RaceTimingFacts& facts, int32_t t)
{
    const int index = SplitIndex(car.race.timingState);
    if (facts.hotLapTracked && facts.lapClean == LapCleanOk &&
        (facts.bestSplitCount == 0 || t < facts.bestSplits[index]))
        GetCarTimingHooks().setBestLap(index + 1, car.race.lapCount + 1, car.lap.splits);
    int32_t& best = car.race.result.bestLap;
    if (t < UntimedLap && (best == 0 || t < best))
        best = t;
}

// A complete lap: its time, the finish and the lap packet.
int CountLap(CarObject& car, const RaceTimingFacts& facts, int playerId, bool valid)
{
    CarLapTiming& lap = car.lap;
    const CarTimingHooks& hooks = GetCarTimingHooks();
    const int32_t now = car.race.stepCounter;
    CountLapFuel(car);
    car.race.result.raceTime = now - lap.timingStart;
    int32_t t = now - car.race.lapStart;
    lap.previousLapDifference = t - lap.lastTime;
    if (!valid)
        t = std::max(t, UntimedLap);
    lap.lastTime = t;
    lap.raceLapNumber = facts.raceLapNumber;
    lap.splits[SplitIndex(car.race.timingState)] = t;
    if (lap.telemetryState != 0)
        lap.telemetryState = 0;  // no telemetry file is written
    if (facts.qualifying && facts.qualifyingOver)
        SetCarQualifyingOver(car, facts.codePage);
    lap.lapDistance = car.race.odometer;
    car.race.odometer = 0;
    lap.lapFlag = 1;
    OfferBestLap(car, facts, t);
    hooks.commitLapClean();
    car.race.timingState = 2;
    car.race.lapStart = now;
    if (!car.race.result.classified)
        lap.totalTime = now - lap.timingStart;
    car.race.lapCount++;
    const bool mayFinish = hooks.hasLayoutStart() || !car.race.result.classified;
    if (facts.isRace && ((mayFinish && hooks.finishRuleMet(car.race.lapCount, lap.totalTime)) || facts.raceEnded))
        SetCarFinished(car, facts.codePage);
    uint8_t packet[LapPacketSize] = {LapPacket, uint8_t(playerId), uint8_t(car.race.lapCount & 0xFF),
                                     uint8_t((car.race.lapCount >> 8) & 0xFF)};
    PutInt(packet + 4, t);
    PutInt(packet + 8, lap.totalTime);
    QueuePacket(packet, LapPacketSize);
    return 1;
}

void ReportFalseStartPenalty(CarObject& car, int playerId)
{
    GetCarSoundHooks().playInterfaceSound(FalseStartSound);
    QueueCarPacket(TimePenaltyPacket, playerId, FalseStartSeconds, PenaltyReasonFalseStart);
    car.lap.falseStartSent = 1;
}

// A drive-through (or a stop-go before the lights came on) where the pit
// lane has a limit and the race is long enough to serve it; else a time
// penalty.
void ReportFalseStartDriveThrough(CarObject& car, int playerId, int lightState, int raceLaps)
{
    const bool lit = lightState != 0;
    int code = lit ? PenaltyCode30Seconds : PenaltyCode45Seconds;
    if (raceLaps > ShortRaceLaps && GetCarTimingHooks().hasSpeedZones())
        code = lit ? PenaltyCodeDriveThrough : PenaltyCodeStopGo;
    car.pit.penaltyGiven = static_cast<uint8_t>(code);
    QueueCarPacket(CarPacketPenalty, playerId, code, PenaltyReasonFalseStart);
    car.lap.falseStartSent = 1;
}

} // namespace

int GetPlayerSlotOfCar(const CarObject& car)
{
    CarObject* cars[MaxRaceCars] = {};
    const int count = GetCarRaceHooks().raceSlotCars(cars, MaxRaceCars);
    for (int slot = 0; slot < count && slot < MaxRaceCars; slot++)
        if (cars[slot] == &car)
            return slot;
    return -1;
}

int GetPlayerIdOfSlot(int slot) { return GetCarTimingHooks().playerIdOfSlot(slot); }

void StartCarLapTiming(CarObject& car)
{
    RaceTimingFacts facts;
    if (!GetCarTimingHooks().raceFacts(facts) || facts.suppressTimingStart)
        return;
    car.race.lapStart = car.lap.timingStart = facts.startOffsetSeconds * StepsPerSecond;
    car.race.stepCounter = facts.raceClock;
    car.lap.startPending = 1;
    car.race.timingState = 2;
}

int OnCarLapOrSplit(CarObject& car, int timingPoint)
{
    const CarTimingHooks& hooks = GetCarTimingHooks();
    RaceTimingFacts facts;
    hooks.raceFacts(facts);
    if (car.race.result.finished && (hooks.hasLayoutStart() || !facts.isRace))
        return 0;
    const int slot = GetPlayerSlotOfCar(car);
    if (slot < 0)
        return 0;
    const int playerId = GetPlayerIdOfSlot(slot);
    const bool valid = car.race.lapCount > 0 || facts.isRace || facts.hotLapTracked;
    if (timingPoint != FinishLine) {
        if (timingPoint != car.race.timingState || !CountSplit(car, playerId, valid))
            return 0;
        hooks.carCountedTimingPoint(car, timingPoint);
        return 1;
    }
    if (car.lap.startPending) {
        car.lap.startPending = 0;
        car.race.odometer = 0;
        car.lap.fuelAtLapStart = car.race.fuel;
    }
    if (car.race.timingState != hooks.timingPointCount() + 1) {
        if (!facts.isRace && car.race.timingState == 1)
            StartTimingAtLine(car, facts);
        return 0;
    }
    if (!CountLap(car, facts, playerId, valid))
        return 0;
    hooks.carCountedTimingPoint(car, FinishLine);
    return 1;
}

void CarCrossedTimingPoint(CarObject& car, int timingPoint)
{
    if (car.net.remote)
        return;
    if (OnCarLapOrSplit(car, timingPoint))
        ArmLapTimeCountdown(car);
}

void ArmLapTimeCountdown(CarObject& car)
{
    if (car.lap.lastTime > 0 && car.lap.lastTime < UntimedLap)
        car.race.lapTimeCountdown = LapTimeDisplay;
}

bool IsLapTimeShown(const CarObject& car)
{
    const int32_t d = car.race.stepCounter - car.race.lapStart;
    if (d < LapTimeShownSteps)
        return car.race.lapCount > 0;
    return car.lap.lastTime < d && d - car.lap.lastTime < LapTimeShownSteps;
}

void AdvancePenaltyState(CarObject& car)
{
    uint8_t& state = car.race.result.penaltyState;
    if (state == PenaltyDriveThroughGiven)
        state = PenaltyDriveThroughToServe;
    else if (state == PenaltyStopGoGiven)
        state = PenaltyStopGoToServe;
}

void SetCarQualifyingOver(CarObject& car, int codePage)
{
    car.race.result.finished = 1;
    if (car.race.result.tag[0] == 0)
        SetCarStatusTag(car, codePage, GetText(TX_3a_qualover));
}

void ArmTelemetryAtLap(CarObject& car, int lap, int askedLap)
{
    if (askedLap > 0 && lap == askedLap - 1)
        car.lap.telemetryState = 1;
}

void CheckFalseStartOnMoving(CarObject& car, int slot)
{
    const CarTimingHooks& hooks = GetCarTimingHooks();
    if (!GetBodySurroundings().IsWorldLoaded() || car.lap.falseStartSent)
        return;
    RaceTimingFacts facts;
    hooks.raceFacts(facts);
    const int lightState = hooks.startLightState();
    const int playerId = GetPlayerIdOfSlot(slot);
    if (hooks.hasLayoutStart()) {
        if (lightState != 4 || car.race.stepCounter < car.lap.timingStart)
            ReportFalseStartPenalty(car, playerId);
    } else if (lightState != 4 && facts.isRace) {
        ReportFalseStartDriveThrough(car, playerId, lightState, facts.raceLaps);
        hooks.notePenaltyReport();
    }
}

void WatchFalseStartDistance(CarObject& car, int slot)
{
    const CarTimingHooks& hooks = GetCarTimingHooks();
    if (!GetBodySurroundings().IsWorldLoaded() || slot < 0)
        return;
    const int lightState = hooks.startLightState();
    const float dx = FixedToMetres(car.position.x - car.pit.startX);
    const float dy = FixedToMetres(car.position.y - car.pit.startY);
    const float distance = std::sqrt(dx * dx + dy * dy);
    const int playerId = GetPlayerIdOfSlot(slot);
    if (hooks.hasLayoutStart()) {
        const bool early = lightState != StartGiven || car.race.stepCounter < car.lap.timingStart;
        if (early && distance >= LeftStartPlace && !car.lap.falseStartSent)
            ReportFalseStartPenalty(car, playerId);
        return;
    }
    RaceTimingFacts facts;
    hooks.raceFacts(facts);
    if (lightState == StartGiven || !facts.isRace || car.lap.falseStartSent >= FalseStartToPits)
        return;
    if (distance >= FarFromStartPlace) {
        SendCarValue(car, CarValueToPits);
        car.lap.falseStartSent = FalseStartToPits;
        hooks.notePenaltyReport();
    } else if (distance >= LeftStartPlace && !car.lap.falseStartSent) {
        ReportFalseStartDriveThrough(car, playerId, lightState, facts.raceLaps);
        hooks.notePenaltyReport();
    }
}
