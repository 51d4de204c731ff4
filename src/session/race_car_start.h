// What a drive start, a join and a pit return do to a car: creating it
// from the slot's car data and resetting it on its place. The session's car
// placement reaches car fields only through this file.
#pragma once

#include "session/race.h"

// Creates the slot's car from "data\veh\<code>.veh" with the slot's set-up,
// colours, plate and driver figure, driven by another computer or a replay
// when remote is set; null when the car data cannot be loaded.
CarObject* CreateSlotCar(RacePlayer& slot, const char* carCode, int remote);

// How a car is put on its place at the start of a drive.
struct CarPlacement {
    FixedVector position;        // 16.16 m, on the ground below it
    float heading = 0;           // rad about the vertical
    int32_t raceStep = 0;        // the race's step counter: the car's clocks take it
    int32_t aidFlags = 0;        // the player's flags word
    int pitSpeedLimit = 0;       // km/h for the pit limiter; 0 leaves it off
    int markFinished = 0;        // the race already has finishers
    float fuelPercent = 0;       // 0..100
};
// The car's clocks, race state, position, heading, engine, set-up, fuel and
// caption made ready for a drive.
void ResetCarOnPlace(CarObject& car, const CarPlacement& placement);
// The car's path follower starts again without a position.
void ResetCarFollower(CarObject& car);
// The car's lap timing starts now.
void RestartCarLapTiming(CarObject& car);
// A layout route: the car's lap timing starts at that race step.
void SetCarRaceStartStep(CarObject& car, int32_t step);
// The car's status caption cleared.
void ClearCarCaption(CarObject& car);
// 1 when the car data fits a pit limiter.
int CarHasPitLimiter(const CarObject& car);
// The car's bounding radius (m), for hit reports.
float GetCarRadius(const CarObject& car);
// The car is moving faster than its own threshold and not in pit work.
int IsCarStillRacing(const CarObject& car);
