// The pit lane's watch of a local car with a player slot: entering and
// leaving the speed-limit zone, speeding penalties, the pit stop in a pit
// box, the pit-lane report and the gear selection that ends the step.
#include <cstdio>

#include "vehicle/local.h"

namespace {

// Steps from entering or leaving the pit lane to its report.
constexpr uint8_t PitReportSteps = 250;
// Standard colour of the pit-lane messages: light blue.
constexpr int PitMessageColour = 12;
// m/s: speeding by more than 20 km/h gives the heavier penalty.
constexpr float SpeedingMargin = 20.0f / 3.6f;
// Speeding in the last laps gives a time penalty instead of a stop.
constexpr int LateLaps = 3;
// Steps a car must have run before it is served in a pit box.
constexpr int32_t FirstServiceStep = 2000;
// A stopped car with the engine below idle is held after this many
// inactive steps (40 s).
constexpr int32_t HoldAfterSteps = 4000;
constexpr int NoStarterClass = 10;
constexpr int Neutral = 1;

bool PenaltyToServe(const CarObject& car)
{
    const uint8_t state = car.race.result.penaltyState;
    return state == PenaltyDriveThroughToServe || state == PenaltyStopGoToServe;
}

// The car entered the zone: why, and the message for passing through.
void EnterPitLane(CarObject& car)
{
    const char* reason = nullptr;
    switch (car.race.result.penaltyState) {
    case PenaltyDriveThroughGiven:
    case PenaltyStopGoGiven:
        car.pit.purpose = PitPurposeNothing;
        reason = GetText(TX_3g_nopurtxt);
        break;
    case PenaltyDriveThroughToServe:
        car.pit.purpose = PitPurposeDriveThrough;
        reason = GetText(TX_3g_drthrtxt);
        break;
    case PenaltyStopGoToServe:
        car.pit.purpose = PitPurposeStopGo;
        reason = GetText(TX_3g_stpgotxt);
        break;
    default:
        car.pit.purpose = PitPurposeStop;
        break;
    }
    if (reason) {
        char text[160];
        std::snprintf(text, sizeof text, "%s %s", GetText(TX_3a_entrdpit), reason);
        GetCarMessageHooks().printMessage(text, PitMessageColour);
        car.race.pitState = PitPassing;
    } else {
        car.race.pitState = PitInLane;
    }
    car.pit.reportCountdown = PitReportSteps;
}

int Severity(int code)
{
    if (code == PenaltyCodeDriveThrough || code == PenaltyCode30Seconds)
        return 1;
    if (code == PenaltyCodeStopGo || code == PenaltyCode45Seconds)
        return 2;
    return 0;
}

}  // namespace

// The penalty a speeding code gives from the car's penalty state: a
// drive-through or its time equivalent in the last laps, a stop-go or its
// equivalent, upgraded by the state already given; 0 none.
int SpeedingPenalty(int code, int penaltyState)
{
    switch (code) {
    case PenaltyCodeDriveThrough:
        if (penaltyState == PenaltyNone || penaltyState == PenaltyDriveThroughToServe)
            return PenaltyCodeDriveThrough;
        return penaltyState == PenaltyStopGoToServe ? PenaltyCodeStopGo : 0;
    case PenaltyCodeStopGo:
        return penaltyState == PenaltyStopGoGiven ? 0 : PenaltyCodeStopGo;
    case PenaltyCode30Seconds:
        if (penaltyState == PenaltyNone)
            return PenaltyCode30Seconds;
        if (penaltyState == PenaltyDriveThroughToServe)
            return PenaltyCodeDriveThrough;
        return penaltyState == PenaltyStopGoToServe ? PenaltyCodeStopGo : 0;
    case PenaltyCode45Seconds:
        if (penaltyState == PenaltyDriveThroughGiven || penaltyState == PenaltyDriveThroughToServe ||
            penaltyState == PenaltyStopGoToServe)
            return PenaltyCodeStopGo;
        if (penaltyState == Penalty30Seconds || penaltyState == PenaltyNone)
            return PenaltyCode45Seconds;
        return 0;
    default:
        return 0;
    }
}

namespace {

// Speeding in the zone whose limit byte is given: the speeding code by how
// far and how late in the race, sent when it is heavier than the last.
void CheckPitLaneSpeed(CarObject& car, int playerId, int limitByte)
{
    const float limit = float(limitByte + 1) / 3.6f;
    if (!(car.step.speed > limit))
        return;
    const int laps = GetCarRaceHooks().raceLapCount();
    const bool late = laps > 0 && car.race.lapCount >= laps - LateLaps;
    int code;
    if (car.step.speed > limit + SpeedingMargin)
        code = late ? PenaltyCode45Seconds : PenaltyCodeStopGo;
    else
        code = late ? PenaltyCode30Seconds : PenaltyCodeDriveThrough;
    if (Severity(code) <= Severity(car.pit.penaltyGiven))
        return;
    const int penalty = SpeedingPenalty(code, car.race.result.penaltyState);
    if (!penalty)
        return;
    car.pit.penaltyGiven = uint8_t(penalty);
    QueueCarPacket(CarPacketPenalty, playerId, penalty, PenaltyReasonSpeeding);
}

// Out of the zone: a drive-through to serve is served by passing through.
void LeavePitLane(CarObject& car, int playerId)
{
    car.pit.purpose = PitPurposeNone;
    car.race.pitState = PitOutside;
    car.pit.reportCountdown = PitReportSteps;
    if (car.race.result.penaltyState == PenaltyDriveThroughToServe) {
        car.pit.penaltyGiven = 0;
        QueueCarPacket(CarPacketPenalty, playerId, PenaltyCodeCleared, PenaltyReasonNone);
    }
}

void CountDownPitReport(CarObject& car, int playerId)
{
    if (car.pit.reportCountdown == 0)
        return;
    if (car.pit.reportCountdown == 1) {
        QueueCarPacket(CarPacketPitReport, playerId, car.pit.purpose, 0);
        GetCarNetHooks().sendGameBundle();
    }
    car.pit.reportCountdown--;
}

// The stop in the box, the work, and moving off again.
void UpdatePitStop(CarObject& car, const CarSlotOrders& orders, float dt, int stoppedChanged)
{
    if (stoppedChanged && car.race.stopped && car.race.pitWork == 0 && car.race.pitState != PitWorking &&
        car.race.pitState != PitDone && car.race.stepCounter > FirstServiceStep && IsCarInPitBox(car))
        StartPitStop(car, orders);
    if (car.race.pitWork != 0 && !PenaltyToServe(car) && car.race.pitState != PitPassing &&
        car.race.pitState != PitDone)
        RunPitWork(car, orders, dt);
    if (stoppedChanged && !car.race.stopped && car.race.pitState == PitDone)
        LeavePitBox(car, orders);
    if (car.race.stopped && car.race.pitWork == 0)
        HoldStoppedCar(car);
}

}  // namespace

void UpdatePitLane(CarObject& car, int slot, float dt, int stoppedChanged)
{
    if (stoppedChanged && !car.race.stopped && (car.race.raceBytes[0] != 255 || car.race.raceBytes[1] != 255))
        QueueCarPacket(CarPacketRaceState, 0, 0, 0);
    const CarSlotOrders orders = GetSlotOrders(slot);
    int limitByte = 0;
    car.pit.speedZone = GetCarPathHooks().speedZoneAt(car.position.x, car.position.y, limitByte);
    if (car.pit.speedZone >= 0) {
        if (car.race.pitState == PitOutside)
            EnterPitLane(car);
        CheckPitLaneSpeed(car, orders.playerId, limitByte);
    }
    UpdatePitStop(car, orders, dt, stoppedChanged);
    if (car.pit.speedZone < 0 && car.race.pitState != PitOutside)
        LeavePitLane(car, orders.playerId);
    CountDownPitReport(car, orders.playerId);
    if (car.step.settleCounter >= CarSettledSteps)
        SelectGear(car);
}

void HoldStoppedCar(CarObject& car)
{
    EngineRecord& engine = car.engine;
    if (car.race.stepCounter - car.step.activityStep <= HoldAfterSteps || !(engine.speed < engine.idleSpeed))
        return;
    if (engine.running && car.data.carClass != NoStarterClass)
        StopEngine(engine);
    if (car.step.gear == Neutral || engine.clutchPedal > 0.9f)
        car.step.handbrake = 1;
}
