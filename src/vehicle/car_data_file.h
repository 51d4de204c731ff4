// Writing car data files "data\veh\<code>.veh": every item of the file in
// the order the car data reader takes it, saved through one writer that the
// data builder and the tests share with the game.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "vehicle/services.h"

// The car data flag bits (CarDataFlag, car_records.h) decide which optional
// items follow in the file.

// An aero point's factors: rear wing, front wing, then two body points.
struct CarDataAeroPoint {
    float liftFactor = 0, dragFactor = 0, sideDrag = 0;
};
constexpr int CarDataAeroPointCount = 4;

// Everything a car data file holds, in the file's order. Counts are the
// sizes of the vectors; an optional item is written only when its flag
// bit is set.
struct CarDataContents {
    // The head, which is all a header-only read takes.
    int32_t flags = 0;
    int32_t carClass = 0;     // 0..CarClassCount - 1
    int32_t gearboxKind = 1;  // 1..5
    uint8_t driveAxles = 1;   // bit 0 rear, bit 1 front
    EngineRecord engine;      // its description; the sounds live in the engine file
    std::vector<NamedSetup> setups;      // at most MaxCarSetups
    std::vector<ColourConfig> colours;   // at most MaxCarColours
    std::vector<BodyOption> options;     // at most MaxBodyOptions
    Vec3 enginePosition, driverSeat;     // m, car frame
    Vec3 rearSeat;                       // m, with CarDataRearSeats
    Vec3 fuelTankPosition, extraMassPosition;
    float extraMass = 0;                 // kg
    Vec3 spareWheelPosition;
    float spareWheelAngle = 0;
    float steeringRatio = 0;             // degrees of steering wheel, lock to lock
    float steeringValues[2] = {};
    float frontHubLead = 0;              // m, with CarDataFrontHubLead
    float fuelCapacity = 0;              // litres, with CarDataFuelCapacity
    float gearTimings[3] = {};           // s
    int32_t tractionControl = 0;         // traction control word; non-zero adds the two values
    int32_t tractionValues[2] = {};
    uint8_t dashboardType = 0;
    uint8_t dashboardBytes[2] = {};
    std::vector<uint8_t> dashboardLayout;  // at most DashboardLayoutSize; empty: the default layout
    char shortCode[4] = {};                // the car's code, three letters
    int8_t wingLimits[8] = {};
    // The body.
    int32_t gearCount = 7;          // forward gears + 2, 2..9
    float reverseRatio = 0;
    char driverMovement[8] = {};    // the driver animation set, "single" or "saloon"
    ColourRecord lightColours[8];
    char familyCode[4] = {};        // the body family, two letters
    std::vector<StructurePoint> structurePoints;  // at most MaxStructurePoints
    std::vector<StructureBar> structureBars;      // at most MaxStructureBars; points by index
    std::vector<Vec3> wheelPositions;             // m, car frame; 1..MaxCarWheels
    CarDataAxle axles[2];                         // rear, front
    int32_t modelFlags = 0;
    // The body model and the tables that follow it, whose formats are the
    // world's: the caller writes them at their place (1 when written).
    std::function<int(DataFile&)> writeBodyModel;
    CarDataAeroPoint aero[CarDataAeroPointCount];
};

// Saves the car data file (through "<path>.tmp"). Returns 1 when saved; 0
// with a log line when a count is beyond what the reader accepts, the body
// model could not be written, or the save failed (the old file is kept).
int SaveCarData(const CarDataContents& contents, const char* path);
