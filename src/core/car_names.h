// The table of the 20 cars: names, short codes, gearbox kinds, car lists
// and the body models they share.
#pragma once

#include <cstdint>

// The 20 cars the program knows. A car's index (0 to 19) is also its bit in
// every 20-bit car mask; its short code names its data, engine, setup,
// colour and skin files.
constexpr int CarCount = 20;
struct CarName {
    const char* name;     // display name, at most 31 characters
    const char* code;     // 3-letter short code
    uint8_t gearboxKind;  // 1 H-pattern, 2 motorbike, 3 sequential,
                          // 4 sequential with ignition cut, 5 paddle shift
    uint8_t offRoad;      // nonzero: AI drivers may take it off-road
};
// Constant for the whole run.
extern const CarName CarNameTable[CarCount];
// The car index shown at each position of car lists.
extern const uint8_t CarListOrder[CarCount];

// The body codes whose models are loaded at start-up, shared by related cars.
constexpr int BodyCodeCount = 13;
extern const char* const BodyCodeTable[BodyCodeCount];
// Entry i is the model of body code i, loaded from "data\veh\%s.vob" at
// start-up (null until then). Lives for the whole run; the program shell's
// start-up and shut-down own the models and set them here.
struct ObjectModel;
extern ObjectModel* const (&BodyObjects)[BodyCodeCount];
void SetCarBodyObject(int index, ObjectModel* model);

// Look-ups compare letters A to Z without regard to case, the same in
// every locale. Index 0..19, or -1 when no car matches.
int FindCarByName(const char* name);
int FindCarByCode(const char* code);
// The short code of the named car; nullptr when unknown.
const char* GetCarCode(const char* name);
// The gearbox kind of the named car; 0 when unknown.
int GetCarGearboxKind(const char* name);
// The off-road flag of the named car; 0 when unknown.
int GetCarOffRoadFlag(const char* name);
// The loaded body model of a body code, compared case-sensitively; nullptr
// when the code is not a body code or its model is not loaded.
ObjectModel* GetCarBodyObject(const char* bodyCode);

// Reads a car list as hosts write it ("ALL-KTA", "ROAD+GEX": short codes and
// the group words ALL, ROAD, RACE, TBO, SZQ and GTR joined by "+" and "-");
// returns 1 and a non-zero 20-bit car mask, or 0.
int ParseCarList(const char* text, uint32_t& mask);
