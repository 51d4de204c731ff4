// The car's race logic: its lap and split timing with the false-start
// rule, and its place on the track (path position, wrong way, lost cars,
// blue and yellow flags). Race events are queued as game packets that every
// participant applies, never applied where they arise.
#pragma once

#include <cstdint>

#include "core/services.h"

class CarObject;

// A time that is not a lap time: one hour, in hundredths of a second.
constexpr int32_t UntimedLap = 360000;
// A car's timing points: the finish line is 1, the checkpoints follow.
constexpr int FinishLine = 1;

// The game packets of the car's lap timing and flags, with their first
// byte (the penalty packet and the penalty reasons are the pit lane's).
enum : uint8_t {
    SplitPacket = 38,        // [38][player id][timing point][0][time int32]
    LapPacket = 39,          // [39][player id][laps u16][lap time int32][total time int32]
    TimePenaltyPacket = 50,  // [50][player id][seconds][reason]
    FlagPacket = 70,         // [70][player id][flag][other player id]
};
constexpr int SplitPacketSize = 8, LapPacketSize = 12;
// FlagPacket flags: raised (with FlagRaised) or cleared.
enum : uint8_t { BlueFlag = 1, YellowFlag = 2, FlagRaised = 0x80 };
// The hot lap's reason "wrong way".
constexpr int HotLapWrongWay = 3;
// A lap's clean state as the race keeps it.
enum : int { LapCleanOk = 1, LapCleanNot = 2 };

// One drive's lap timing of a car: cleared by the car's race-state reset.
// Times are in hundredths of a second (10 ms steps).
struct CarLapTiming {
    int32_t timingStart = 0;      // step counter at the start of timing
    int32_t lastTime = 0;         // the last lap or split time from the lap start
    int32_t previousLapDifference = 0;
    int32_t splits[4] = {};       // the times at timing points 2..5 of this lap
    int32_t totalTime = 0;        // time since the timing start at the last lap
    int32_t raceLapNumber = 0;    // the race's lap counter at the last lap
    uint8_t startPending = 0;     // the next line crossing starts the odometer and fuel count
    uint8_t lapFlag = 0;          // a lap was completed (read and cleared by the race)
    uint8_t lapStartFlag = 0;     // the lap has only just begun: no split yet
    uint8_t falseStartSent = 0;
    float fuelAtLapStart = 0;     // litres; 0 unset
    int32_t fuelLaps = 0;
    float fuelUsedInLaps = 0;     // litres over the counted laps
    float lapDistance = 0;        // m, the last lap's odometer
    int32_t telemetryState = 0;   // 0 none, 1 start at the next line, 2 recording

    bool operator==(const CarLapTiming&) const = default;
};

// One drive's route state of a car: cleared by the car's race-state reset.
struct CarRouteState {
    int32_t wrongWayCount = 0;    // node boundaries driven backwards
    int32_t wrongWayTurns = 0;    // steps turned against the path
    // The road at the car's place when it was last within a node: the
    // path's direction and the road's edges and outer limits (m, across the
    // path, right positive).
    uint8_t onPath = 0;
    Vec3 pathDirection;
    float leftEdge = 0, rightEdge = 0, leftLimit = 0, rightLimit = 0;
    uint8_t blueCounter = 0, blueCarId = 0, yellowCounter = 0;
    uint8_t blueSent = 0;         // the blue flag shown now names blueCarId
    uint8_t laysRubber = 1;       // the car lays rubber on the path it drives
    // The layout's route: the route index the car must touch next, the
    // circle it touched last (-1 none), whether it is behind the gate it
    // watches, and its speed (m/s) at the last gate passed.
    uint8_t nextGate = 0;
    int16_t lastTouched = -1;
    uint8_t behindGate = 0;
    float gateSpeed = 0;

    bool operator==(const CarRouteState&) const = default;
};

// --- Lap and split timing (lap_timing.cpp).

// At the race start: the car's clock takes the race clock, its timing
// starts at the race's start offset and its next timing point is the first
// checkpoint. Nothing when the race suppresses the timing start.
void StartCarLapTiming(CarObject& car);
// A crossing of timing point k (1 the finish line, then the checkpoints):
// 1 when it counted (in order, by a car with a slot), 0 otherwise.
int OnCarLapOrSplit(CarObject& car, int timingPoint);
// A local car's crossing as the route finds it: the lap timing, and the
// lap time display when it counted.
void CarCrossedTimingPoint(CarObject& car, int timingPoint);
// The lap time display shows a set time for 60 s.
void ArmLapTimeCountdown(CarObject& car);
// Whether the lap or split time just made is to be shown.
bool IsLapTimeShown(const CarObject& car);
// A split of the car applied after the start: a penalty given moves on to
// the one to serve.
void AdvancePenaltyState(CarObject& car);
// Finished, the race's mark cleared, "QUALIFYING OVER" when no tag shows.
void SetCarQualifyingOver(CarObject& car, int codePage);
// The telemetry of the car starts at the line of the given lap when it is
// the lap asked for.
void ArmTelemetryAtLap(CarObject& car, int lap, int askedLap);

// --- Track position and flags (track_position.cpp).

// A car is lost this far (m) beyond the road's outer limits.
constexpr float LostOutsideRoad = 20;
// Driving backwards over this many node boundaries makes a hot lap invalid.
constexpr int WrongWayLimit = 5;
