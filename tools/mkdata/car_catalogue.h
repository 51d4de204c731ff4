// What makes each of the 20 cars itself, shared by the builder steps that
// write its files: the engine description (engines.cpp) and the car's
// chassis, tyres, aero and setup character (cars.cpp).
#pragma once

#include "builder.h"
#include "core/services.h"

// The broad kind of a car, which sets its proportions and its setup style.
enum class CarKind { Road, RoadTurbo, BikeGeared, GtRacer, Formula, GrandPrix };

struct CarSpec {
    const char* family;     // body code
    CarKind kind;
    int driveAxles;         // 1 rear, 2 front, 3 both
    float dryMassTarget;    // kg, what the structure bars are sized for
    float wheelbase, track; // m
    float frontTyreWidth, rearTyreWidth, sidewallRatio, rimRadius;  // m
    float engineY;          // m, engine position along the car
    float driverX;          // m, driver seat across the car
    float fuelCapacity;     // litres
    int tyreType;           // compound of the default setup
    int forwardGears;       // 4..7
};

// car: 0 to CarCount - 1, in car name table order. The engine of each car
// is GetDefaultEngineSpec(car).
const CarSpec& GetCarSpec(int car);
