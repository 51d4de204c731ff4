// What the race reads of its cars and marks in them. The race reaches car
// fields only through this file, so that the car record can change its
// shape without the race changing.
#pragma once

#include "session/race.h"

// The race's view of one car at one moment.
struct RaceCarView {
    FixedVector position;    // 16.16 m
    int settled = 0;         // 1 once 100 steps passed since the car's last reset
    int pathNode = -1;       // node of the car's path follower; -1 without one
    int lapsDone = 0;
    int timingState = 0;     // 2: lap timing started, before the first line crossing
    int stopped = 0;
    int stoppedSteps = 0;    // steps since it stopped; 0 while moving
    int remote = 0;          // driven by another computer or a replay
    int garageHeld = 0;      // held in its garage since it was placed
    const char* shortCode = "";  // 3-letter car code
    uint8_t addedMass = 0;   // kg, handicap
    uint8_t restriction = 0; // %, handicap
    int32_t stepCounter = 0; // the car's clock
    int gearboxKind = 0;     // 1..5
    float steering = 0;      // rad, the front wheels' steering angle, left positive
};

RaceCarView ViewRaceCar(const CarObject& car);
// The car's penalty and finishing state, which the results read and mark.
CarResultState& GetCarResult(CarObject& car);
const CarResultState& GetCarResult(const CarObject& car);
// The car reads its set-up and colours from the slot's car block.
void LinkCarToSlot(CarObject& car, PlayerCarBlock& block);
// The car's place on the path is searched again at the next drive.
void ResetRaceCarFollower(CarObject& car);
// Destroys a car the race owns.
void DestroyRaceCar(CarObject* car);
