// The car's race logic that keeps every computer's copy of a race the same:
// the pit lane, pit stops and penalties, the timed race messages, the reset
// request, the car's part of the state check, the race parameters, the
// wrong-way sanction and the distance report.
#pragma once

#include <cstdint>

class CarObject;

// Pit lane, pit stops and penalties (pit_lane.cpp, pit_stop.cpp,
// race_messages.cpp).
//
// A locally driven car with a player slot watches the speed-limit zones of
// the track. It reports entering and leaving the pit lane, gives itself
// speeding penalties, starts its pit stop when it stops in a pit box, works
// through the stop item by item (tyres, repairs, refuelling) and serves its
// drive-through and stop-go penalties. None of this is applied where it
// arises: the car queues game packets, and every computer, this one
// included, applies them when the frame's packets come back.

// Pit states (CarRaceState::pitState).
enum : uint8_t {
    PitOutside = 0,      // outside the pit lane
    PitInLane = 1,       // in the pit lane to stop
    PitWorking = 2,      // pit work running
    PitPassing = 3,      // passing through: no purpose, or serving a drive-through
    PitDone = 4,         // pit work done, or a penalty stop made
};
// Why the car entered the pit lane, as the pit-lane report carries it.
enum : uint8_t {
    PitPurposeNone = 0, PitPurposeStop = 1, PitPurposeNothing = 2, PitPurposeDriveThrough = 3,
    PitPurposeStopGo = 4,
};
// Penalty codes of the penalty packet (the penalty states they set), and
// its reasons.
enum : uint8_t {
    PenaltyCodeCleared = 0, PenaltyCodeDriveThrough = 1, PenaltyCodeStopGo = 3, PenaltyCode30Seconds = 5,
    PenaltyCode45Seconds = 6,
};
enum : uint8_t {
    PenaltyReasonNone = 0, PenaltyReasonWrongRoute = 2, PenaltyReasonFalseStart = 3, PenaltyReasonSpeeding = 4, PenaltyReasonStopTooShort = 5,
};

// Pit work items: item 1 (the stop itself) is always done; 2 to 13 are the
// wheels' repairs and new tyres (a wheel's item w is its repair and w + 1
// its tyres), 14 and 15 body repair, 16 spare, 17 refuelling.
constexpr int PitItemStart = 1, PitItemBodyRepair = 14, PitItemMajorBodyRepair = 15, PitItemRefuel = 17;
constexpr int PitItemCount = 18;

// Game packet types the car's race logic queues.
enum : uint8_t {
    CarPacketValue = 17, CarPacketStartFuel = 56, CarPacketPitStopStart = 60, CarPacketPenalty = 66,
    CarPacketPitSetup = 67, CarPacketAutoKick = 68, CarPacketLiveSetup = 69, CarPacketRaceState = 71,
    CarPacketPitWork = 75, CarPacketPitStopDone = 76, CarPacketPitReport = 77, CarPacketReset = 80,
    CarPacketOption = 81, CarPacketDistance = 48,
};
// The sub-type of packet 17 that carries a car's value.
constexpr uint8_t CarValueSubtype = 9;
// Sizes of the packets with more than the four bytes of header.
constexpr int PitWorkPacketSize = 12, PitSetupPacketSize = 124, PitStopDonePacketSize = 8,
              LiveSetupPacketSize = 16, StartFuelPacketSize = 8;

// The car's pit lane and race-message state. Lives with the car for one
// race; the car's race-state reset clears it.
struct CarPitState {
    int32_t speedZone = -1;        // the speed-limit zone under the car this step, -1 none
    uint8_t penaltyGiven = 0;      // the last penalty code this car sent, 0 after one served
    uint8_t purpose = 0;           // PitPurpose*, reported when the countdown ends
    uint8_t reportCountdown = 0;   // steps; at 1 the pit-lane report is queued
    uint8_t sentByThisStep = 0;    // the pit stop was sent online by this computer
    int32_t workMask = 0;          // bit n: pit work item n is to be done
    int32_t nextItemStep = 0;      // car step counter at which the current item ends
    float fuelTarget = 0;          // litres, where refuelling stops
    int32_t stopTime = 0;          // steps, length of the last pit stop
    // Countdowns (steps) of the timed race messages; at 1 each sends its
    // packet once. The option byte is what its packet carries.
    uint8_t liveSetupCountdown = 0, startFuelCountdown = 0, optionCountdown = 0;
    uint8_t optionByte = 0;
    // Where the car stood at the start (16.16), watched for a jumped start.
    Fixed startX, startY;
    // Driving the wrong way: the weighted count of steps and the warning
    // level reached (3: sanctioned).
    int32_t wrongWayCount = 0;
    uint8_t kickLevel = 0;
    // The race parameters' values that only the race reads (record offsets
    // 8, 2 and 3).
    int32_t raceValue = 0;
    uint8_t raceParamBytes[2] = {};

    bool operator==(const CarPitState&) const = default;
};

// The pit lane's step of a local car with a player slot: entering and
// leaving the pit lane, speeding, the pit stop and its work, the held
// stopped car, the report and, at the end, the gear selection.
// stoppedChanged is 1 on the step the stopped state changed.
void UpdatePitLane(CarObject& car, int slot, float dt, int stoppedChanged);
// Litres: the tank capacity x min(1, fuel / capacity + the slot's refuel
// percentage / 100).
float GetFuelTarget(const CarObject& car, int refuelPercent);
// A car left standing for more than 40 s with the engine below idle: the
// engine stops (but for the class that has no starter) and the handbrake
// goes on in neutral or with the clutch pressed.
void HoldStoppedCar(CarObject& car);
// The timed race messages of a local car with a slot: each countdown that
// reaches 1 queues its packet (live set-up, start fuel, option byte); then
// the watch for a car that leaves its start place before the start.
void RunTimedRaceMessages(CarObject& car, int slot);
// Remembers where the car stands now as its start place.
void SetCarStartPoint(CarObject& car);
// The car reset request of a stopped car, at most once per 200 steps;
// askedByPlayer is 1 when the player's reset control asked for it.
void RequestCarReset(CarObject& car, int askedByPlayer);

// The car's part of the state check, the race parameters, the wrong-way
// sanction and the distance report (car_consistency.cpp).

// The 16-byte race parameters record that brings a car's race state into
// line on every computer: result recorded flag, penalty state, two race
// bytes, laps done (16 bits), the two race-state bytes, a race value and
// the lap start offset from the race start (steps), little-endian.
constexpr int RaceParamsSize = 16;
struct CarRaceParams {
    uint8_t bytes[RaceParamsSize] = {};
};
// The car's race parameters, and the record taken into the car (the lap
// start becomes the record's offset + the race's start offset x 100).
void GetCarRaceParams(const CarObject& car, CarRaceParams& record);
void SetCarRaceParams(CarObject& car, const CarRaceParams& record);
// Adds the car to the four running CRC values of the state check: body,
// axles with their grip rows, engine, race state.
void GetCarChecksum(const CarObject& car, uint32_t values[4]);
// One step driven backwards across a path node: the wrong-way count rises
// (by the gear and throttle) and warns at 15 and 45, sanctions at 60.
void AutoKickWrongWay(CarObject& car);
// The wrong-way sanction: spectate, kick or ban as the host's "Auto Kick"
// setting says (spectate for an AI driver).
void ApplyAutoKick(CarObject& car);
// A guest's report of its driven distance and fuel to the host; the
// counters are cleared. Nothing goes for a short, fuel-free distance.
void SendCarDistanceReport(CarObject& car, int slot);
