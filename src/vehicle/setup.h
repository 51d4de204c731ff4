// Grip, the car's structure records and setups: what a surface and a
// compound give a tyre, the mass model's records and the 120-byte setup with
// its files.
#pragma once

#include <cstdint>

#include "core/services.h"

// Grip, car structure records and setups (grip.cpp, car_records.cpp,
// setup*.cpp).
//
// A tyre's grip on a surface comes from its compound and the surface kind.
// A car's mass model is built from the structure points, bars and mass
// boxes its car data carries. A setup is the 120-byte record of everything
// a driver may adjust; the same record lives in setup files
// "data\setups\<code>_<name>.set", in the car data's built-in list, in
// player records and in packets.

constexpr int TyreCompoundCount = 8;
constexpr int SurfaceKindCount = 17;
// The surface kind of a contact that hit no world surface.
constexpr int NoSurfaceKind = 13;
// Friction factor of compound c (0..7, the setup's tyre type) on surface
// kind k (0..16): GripTable[c][k]. Callers keep both in range. Constant
// for the whole run.
extern const float GripTable[TyreCompoundCount][SurfaceKindCount];

// What each surface kind means to a tyre, and to the lap timing and the AI.
struct SurfaceKindRecord {
    float firstFactor;
    float secondFactor;  // loose surfaces: drag on a rolling tyre per newton of load; 0 for most
    uint8_t loose;       // 1: gravel, grass, sand; the tyre model's loose-surface curves
    uint8_t level;
    uint8_t road;        // 1: counts as road
    uint8_t depth;       // cm of loose material (read by the tyre model as m x 0.01)
};
// Indexed by surface kind. Constant; part of the race settings' checksum.
extern const SurfaceKindRecord SurfaceKindTable[SurfaceKindCount];

// What the tyre model takes from a compound.
struct TyreCompound {
    float stiffnessFactor;   // scales the tyre stiffness with the tyre width
    float optimumTempC;      // optimum tread temperature, degrees C
    float heatingFactor;
    float wearFactor;
};
// Indexed by compound 0..7. Constant for the whole run.
extern const TyreCompound CompoundTable[TyreCompoundCount];

// A point of a car's structure, as the car data stores it (20 bytes).
struct StructurePoint {
    int32_t x = 0, y = 0, z = 0;  // 16.16 m, car frame
    float value = 0;              // the point's size (set by the mass model)
    int16_t kind = 0;
    uint8_t flagA = 0;  // 1, 2, 3: the arm pivot, upper link pivot, swing arm top of an axle
    uint8_t flagB = 0;
};
// A bar of mass between two structure points. Negative indices are
// markers; a bar from a point to itself runs to the point's mirror image.
struct StructureBar {
    int16_t pointA = 0, pointB = 0;
    float value = 0;     // kg/m, held within 0.5..40 (0 when the bar is raw)
    float rawValue = 0;  // the stored value, unchanged, when flag bit 1 is set
    float spare = 0;
    int32_t flags = 0;   // bit 0 marks both points; bit 1 keeps the value raw
};
constexpr int StructureBarRawFlag = 0x2;
// A box of mass; in memory only.
struct MassBox {
    float mass = 0;   // kg
    Vec3 centre;      // m
    Vec3 halfSize;    // m
    int32_t word = 0;
};

// Setups. Ratios (gears, final drive) are stored as v and mean
// 0.5 + 7 v / 65535. Angles: toe (v - 9) / 10 degrees, camber (v - 45) / 10
// degrees, caster v / 10 degrees.
struct SetupAxle {
    float rideHeightReduction = 0;  // m
    float spring = 0;               // N/m
    float bumpDamping = 0;          // N s/m
    float reboundDamping = 0;       // N s/m
    float antiRoll = 0;             // N/m
    float spare = 0;                // always 0
    uint8_t toe = 0;                // 0..18, 9 straight
    uint8_t caster = 0;             // tenths of a degree, 0..240
    uint8_t tyreType = 0;           // 0..7
    uint8_t zero27 = 0;
    uint8_t camberLeft = 0;         // 0..90, 45 upright
    uint8_t camberRight = 0;
    uint8_t zero30 = 0;
    uint8_t preload = 0;            // tens of N m, 0..80
    uint8_t diffType = 0;           // 0 open, 1 locked, 2 viscous, 3 clutch pack
    uint8_t viscousTorque = 0;      // 1..20
    uint8_t powerLocking = 0;       // %, 10..80
    uint8_t coastLocking = 0;       // %, 10..80
    uint16_t pressureLeft = 0;      // kPa above atmospheric
    uint16_t pressureRight = 0;
};
static_assert(sizeof(SetupAxle) == 40);

// CarSetup::flags.
constexpr uint8_t SetupSymmetric = 0x01;  // right-side values follow the left
constexpr uint8_t SetupTcOff = 0x02;      // traction control switched off
constexpr uint8_t SetupCurrentForm = 0x80;

// The 120-byte setup; its memory layout is its stored layout (little-endian).
struct CarSetup {
    uint8_t flags = 0;
    uint8_t carried1 = 0;
    uint8_t addedMassPosition = 0;  // % towards the front, 0..100
    uint8_t carried3 = 0;           // 0..6
    float maxBrakeTorque = 0;       // N m per wheel
    uint8_t rearWing = 0;           // degrees, 0..30
    uint8_t frontWing = 0;
    uint8_t addedMass = 0;          // kg, 0..200
    uint8_t intakeRestriction = 0;  // %, 0..50
    uint8_t maxLock = 0;            // degrees, 9..45
    uint8_t parallelSteer = 0;      // %, 0..100
    uint8_t brakeBalance = 0;       // % front, 5..95
    uint8_t engineBrakeReduction = 0;  // %, 0..100
    uint8_t centreDiff = 0;         // 0 open, 1 viscous
    uint8_t centreViscous = 0;      // 1..20
    uint8_t zero18 = 0;
    uint8_t frontTorqueSplit = 0;   // %, 5..95
    uint16_t gears[7] = {};         // first to seventh
    uint16_t finalDrive = 0;
    uint8_t passengers = 0;         // 2-bit fields: front, rear left, rear middle, rear right
    uint8_t bodyOption = 0;         // index into the car's option list
    uint8_t tcSlip = 0;             // tenths of a %, 20..100
    uint8_t tcMinSpeed = 0;         // m/s, 5..20
    SetupAxle axles[2];             // rear, front
};
static_assert(sizeof(CarSetup) == 120);

// A car has at most this many body options (car data and setups).
constexpr int MaxBodyOptions = 16;

// A built-in setup of a car.
constexpr int SetupNameLength = 16;
struct NamedSetup {
    char name[SetupNameLength] = {};
    CarSetup setup;
};

constexpr const char* SetupFileMagic = "ZKSETT";
constexpr int SetupFileVersion = 251;
// Older files are refused.
constexpr int OldestSetupFileVersion = 248;
// The newest setup sub-version; a higher one is refused.
constexpr int SetupSubVersion = 2;

// The setup chosen by the race setup and garage screens: a built-in index,
// or -1 with the name of a setup file. Live for the whole run; cleared by
// ResetVehicleTables.
struct ChosenSetupRecord {
    int32_t index = 0;    // a built-in setup, or -1 for the setup file
    char name[32] = {};   // the setup file's name (the part after "<code>_")

    bool operator==(const ChosenSetupRecord&) const = default;
};
extern const ChosenSetupRecord& ChosenSetup;
// The screens' choice: a built-in index, or -1 with a setup file's name
// (cut to 31 characters).
void SetChosenSetup(int index, const char* name);

// A ratio byte pair decoded: 0.5 + 7 v / 65535.
float DecodeSetupRatio(uint16_t v);
// Applies the limits every loaded setup is held to, then MatchSetupSides
// when the symmetric flag is set.
void ClampSetup(CarSetup& setup);
// In both axle blocks the right camber and pressure take the left ones.
void MatchSetupSides(CarSetup& setup);
// 1 when the 120 bytes differ, else 0.
int SetupsDiffer(const CarSetup& a, const CarSetup& b);
// Axle blocks whose tyre type is 6 or 7 (hybrid, knobbly).
int CountSpecialTyres(const CarSetup& setup);
// Writes a setup file; 1 when saved, 0 otherwise (the old file stays).
int SaveSetup(const CarSetup& setup, const char* path);
// Reads a setup file of version 248 to 251; 1, or 0 with the load-error
// message (the record is then unchanged).
int LoadSetup(CarSetup& setup, const char* path);
// Reads the setup stream of a file or car data of the given version; the
// fields an older form lacks keep what the record held. 1, or 0 when the
// sub-version is unknown or the stream ends early.
int ReadSetup(CarSetup& setup, DataFile& reader, int version);
// The 16-character name, then ReadSetup.
int ReadNamedSetup(NamedSetup& named, DataFile& reader, int version);
// Writes the stream form that ReadSetup reads at the newest version.
void WriteSetup(const CarSetup& setup, DataFile& writer);
void WriteNamedSetup(const NamedSetup& named, DataFile& writer);
// Loads the chosen setup file of the car into setup. Returns 1 when a
// chosen file failed to load (the choice then falls back to built-in
// setup 0), else 0: with a built-in setup chosen, the record is zeroed for
// the caller to fill.
int LoadCarSetupFile(CarSetup& setup, const char* carCode);
