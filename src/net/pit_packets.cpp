// Game packets of pit stops, penalties, car resets, set-ups, brake balance
// and the handicap table, and the car reports that only outside programs
// read. A set-up, a float or a position from another computer is checked
// here before any car takes it, the same way on every computer.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "net/local.h"
#include "session/services.h"
#include "ui/services.h"
#include "world/services.h"

namespace {

// Packet 60: byte 2 set when the car is serviced by its pit plan.
// Pit plan bytes: 2 the tyre wear limit, 3 the strategy flags.
constexpr int PlanWearLimit = 2, PlanStrategy = 3;
constexpr uint8_t PlanRepairDamage = 0x1;
// The split a car has reached when its stop comes too late on its last lap.
constexpr uint8_t SplitBeforeStop = 2;
constexpr uint8_t PenaltyReasonAdmin = 1, PenaltyReasonStopTooLate = 6;
constexpr uint8_t LastPenaltyKind = Penalty45Seconds;
// Packet 67: the set-up from byte 4; packet 69: the brake balance byte and
// the two anti-roll floats (front, rear).
constexpr int SetupAt = 4;
constexpr int BalanceAt = 4, FrontAntiRollAt = 8, RearAntiRollAt = 12;
constexpr int RearAxle = 0, FrontAxle = 1;
// Packet 75: the pit work flags; packet 78: the handicap table.
constexpr int PitWorkAt = 4;
constexpr int HandicapsAt = 4;
// Packet 80: path node, lateral offset, then x, y, z (16.16).
constexpr int ResetNodeAt = 4, ResetOffsetAt = 8, ResetPositionAt = 12;

bool IsOwnCar(const CarObject* car) { return car && car == SessionCars.playerCar; }

const char* PenaltyText(int kind)
{
    switch (kind) {
    case PenaltyDriveThroughGiven:
    case PenaltyDriveThroughToServe: return "DRIVE-THROUGH PENALTY";
    case PenaltyStopGoGiven:
    case PenaltyStopGoToServe: return "STOP-GO PENALTY";
    case Penalty30Seconds: return "30 SECOND TIME PENALTY";
    case Penalty45Seconds: return "45 SECOND TIME PENALTY";
    default: return "";
    }
}

void QueuePenalty(uint8_t playerId, uint8_t kind, uint8_t reason)
{
    const uint8_t penalty[4] = {GpPenalty, playerId, kind, reason};
    QueueGamePacket(penalty, sizeof penalty);
}

// --- Penalties and pit stops.

void HandleTimePenalty(const uint8_t* packet)
{
    if (!HasRaceStarted() && packet[3] != PenaltyReasonFalseStart)
        return;
    if (CarObject* car = FindPacketCar(packet[1]))
        car->race.result.timePenalty += 100 * packet[2];
}

// The penalty's notice: a cleared or completed penalty, or the new one.
void ShowPenaltyNotice(const RacePlayer& slot, int oldKind, int newKind, int reason)
{
    const char* name = slot.descriptor.name;
    char text[128] = {};
    if (newKind == PenaltyNone) {
        if (oldKind != PenaltyNone && reason == PenaltyReasonAdmin)
            std::snprintf(text, sizeof text, "%s : %s", name, "PENALTY CLEARED");
        else if ((oldKind == PenaltyDriveThroughToServe || oldKind == PenaltyStopGoToServe) && reason == 0)
            std::snprintf(text, sizeof text, "%s^8 : completed %s", name,
                          oldKind == PenaltyDriveThroughToServe ? "drive-through penalty" : "stop-go penalty");
    } else {
        std::snprintf(text, sizeof text, "%s : %s", name, PenaltyText(newKind));
    }
    if (text[0])
        PrintNotice(text);
}

void HandlePenalty(const uint8_t* packet)
{
    RacePlayer* slot = FindPacketPlayer(packet[1]);
    const uint8_t kind = packet[2];
    if (!slot || !slot->car || kind > LastPenaltyKind)
        return;
    if (!HasRaceStarted() && packet[3] != PenaltyReasonFalseStart)
        return;
    CarObject& car = *slot->car;
    ShowPenaltyNotice(*slot, car.race.result.penaltyState, kind, packet[3]);
    car.race.result.penaltyState = kind;
    car.race.result.penaltyReason = packet[3];
    // A penalty to serve cannot be served on the pass through the pit lane
    // the car is on: it goes back to given.
    const bool toServe = kind == PenaltyDriveThroughToServe || kind == PenaltyStopGoToServe;
    if (toServe && !car.net.remote && car.race.pitState != PitOutside) {
        QueuePenalty(packet[1], static_cast<uint8_t>(kind - 1), packet[3]);
        SendGameBundle(1);
    }
}

void HandlePitStopMade(const uint8_t* packet)
{
    RacePlayer* slot = FindPacketPlayer(packet[1]);
    if (!slot || !slot->car)
        return;
    CarObject& car = *slot->car;
    CarResultState& result = car.race.result;
    if (result.pitStops < 255)
        ++result.pitStops;
    if (!IsOwnCar(&car))
        ReportLine(ColourLightGrey, "%s^8 made a pit stop", slot->descriptor.name);
    const bool required = RaceOptions.raceFlags & RaceFlagPitStopRequired;
    if (IsHostNotReplaying() && required && result.pitStops == 1 && car.race.lastCheckpoint != SplitBeforeStop &&
        CurrentRace && car.race.lapCount == GetLapCount(*CurrentRace) - 1) {
        QueuePenalty(packet[1], result.penaltyState == PenaltyNone ? PenaltyCode30Seconds : PenaltyCodeStopGo,
                     PenaltyReasonStopTooLate);
    }
    if (car.lap.lastTime != 0)
        result.requiredStopDone = 1;
    if (!packet[2])
        return;
    const uint8_t* plan = slot->descriptor.pitStrategy;
    if (plan[PlanStrategy] & PlanRepairDamage)
        RepairCar(car, plan[PlanWearLimit], 1);
    else
        RenewWornTyres(car, plan[PlanWearLimit]);
}

// --- Set-ups and brake balance.

// A set-up whose floats are not all numbers is refused; the others are
// held to what the car offers before the car takes them.
void HandleSetup(const uint8_t* packet)
{
    RacePlayer* slot = FindPacketPlayer(packet[1]);
    if (!slot || !slot->car)
        return;
    CarObject& car = *slot->car;
    CarSetup setup;
    std::memcpy(&setup, packet + SetupAt, sizeof setup);
    if (!IsSetupFinite(setup)) {
        ReportLine(ColourLightRed, "Setup refused : %s", slot->descriptor.name);
        return;
    }
    ClampSetupToCar(car, setup);
    if (IsOwnCar(&car))
        ReportLine(ColourLightBlue, "Updated settings");
    for (int axle : {RearAxle, FrontAxle})
        if (setup.axles[axle].tyreType != slot->carBlock.setup.axles[axle].tyreType)
            FlagWheelsOfAxle(car, axle);
    slot->carBlock.setup = setup;
    RepairCar(car, slot->descriptor.pitStrategy[PlanWearLimit], 1);
    ApplySetup(car, 0);
    ApplyPlayerAids(car, slot->descriptor.flags);
}

void HandleBrakeBalance(const uint8_t* packet)
{
    RacePlayer* slot = FindPacketPlayer(packet[1]);
    if (!slot || !slot->car)
        return;
    CarSetup setup = slot->carBlock.setup;
    setup.brakeBalance = packet[BalanceAt];
    setup.axles[FrontAxle].antiRoll = ReadPacketFloat(packet + FrontAntiRollAt);
    setup.axles[RearAxle].antiRoll = ReadPacketFloat(packet + RearAntiRollAt);
    if (!IsSetupFinite(setup))
        return;
    ClampSetupToCar(*slot->car, setup);
    slot->carBlock.setup = setup;
    ApplySetup(*slot->car, 1);
}

// --- Reports, handicaps and resets.

void HandlePitStopReport(const uint8_t* packet)
{
    if (CarObject* car = FindPacketCar(packet[1]))
        car->race.result.pitWorkFlags = static_cast<int32_t>(ReadPacketLong(packet + PitWorkAt));
}

void HandleHandicaps(const uint8_t* packet)
{
    std::array<CarHandicap, CarCount> table{};
    for (int i = 0; i < CarCount; ++i)
        table[static_cast<size_t>(i)] = {packet[HandicapsAt + 2 * i], packet[HandicapsAt + 2 * i + 1]};
    SetCarHandicapTable(table);
    ReportNet(ColourWhite, "Handicaps :");
    for (int i = 0; i < CarCount; ++i) {
        const CarHandicap& h = table[static_cast<size_t>(i)];
        if (h.mass || h.restriction)
            ReportNet(ColourWhite, "%s : mass %d kg / tres %d%%", CarNameTable[i].code, h.mass, h.restriction);
    }
    if (!CurrentRace)
        return;
    for (int i = 0; i < RaceSlotsInUse(*CurrentRace); ++i)
        if (CarObject* car = CurrentRace->players[i].car)
            UpdateCarHandicaps(*car);
}

void HandleResetRefused(const uint8_t* packet)
{
    RacePlayer* slot = FindPacketPlayer(packet[1]);
    if (slot && slot->car && slot->descriptor.type == PlayerLocal && !slot->car->net.remote)
        ShowCantResetMessage(packet[2]);
}

// The heading of a reset car: along the road halfway from the packet's
// node to the next, turned towards the edge the car is nearer at its
// lateral offset; a node the path does not have keeps the car's own
// heading (its forward axis about the vertical).
float ResetHeading(const CarObject& car, int32_t node, float lateralOffset)
{
    RoadPlace road;
    if (GetCarPathHooks().roadPlace(node, road))
        return GetPlacementHeading(road, lateralOffset);
    return static_cast<float>(ComputeAtan2(-car.rotation.m[1], car.rotation.m[4]));
}

// The car is put where its owner's reset asked. A position outside the
// world or a lateral offset that is not a number is refused on every
// computer alike.
void HandleCarReset(const uint8_t* packet)
{
    if (Online && !(RaceOptions.raceFlags & RaceFlagCarReset))
        return;
    CarObject* car = FindPacketCar(packet[1]);
    if (!car)
        return;
    FixedVector position;
    position.x.raw = static_cast<int32_t>(ReadPacketLong(packet + ResetPositionAt));
    position.y.raw = static_cast<int32_t>(ReadPacketLong(packet + ResetPositionAt + 4));
    position.z.raw = static_cast<int32_t>(ReadPacketLong(packet + ResetPositionAt + 8));
    const float offset = ReadPacketFloat(packet + ResetOffsetAt);
    if (!std::isfinite(offset) || !IsPositionInWorld(position)) {
        ReportLine(ColourLightRed, "Car reset outside the world refused");
        return;
    }
    const int32_t node = static_cast<int32_t>(ReadPacketLong(packet + ResetNodeAt));
    SetCarPosition(*car, position);
    car->step.lateralOffset = offset;
    // Any node from the packet, even the extremes of its range, compares
    // without overflow.
    const int64_t nodesAway = int64_t(node) - (car->follower ? car->follower->position : 0);
    if (car->follower && (nodesAway < -1 || nodesAway > 1))
        FindFollowerPosition(*car->follower, position, 1);
    RepairCar(*car, 0, 1);
    ResetCar(*car, ResetHeading(*car, node, offset), packet[3], 0);
    StartEngineAtIdle(car->engine);
}

} // namespace

void ClearHandicaps() { SetCarHandicapTable({}); }

void HandlePitGamePacket(int c, const uint8_t* packet, int length)
{
    switch (packet[0]) {
    case GpLayoutEdit:
    case GpLayoutObjects:
        if (IsAdminConnection(c))
            HandleLayoutPacket(c, packet, length);
        break;
    case GpTimePenalty: HandleTimePenalty(packet); break;
    case GpPitStopMade: HandlePitStopMade(packet); break;
    case GpPenalty: HandlePenalty(packet); break;
    case GpSetup: HandleSetup(packet); break;
    case GpBrakeBalance: HandleBrakeBalance(packet); break;
    case GpPitStopReport: HandlePitStopReport(packet); break;
    case GpHandicaps: HandleHandicaps(packet); break;
    case GpResetRefused: HandleResetRefused(packet); break;
    case GpCarReset: HandleCarReset(packet); break;
    default: break;  // the pit lane time is for outside programs alone
    }
}
