// Car classes and the engine: its description, derived curve, running
// state and sound, and the engine files.
#pragma once

#include <cstdint>

#include "core/services.h"

// Car classes and the engine (car_class.cpp, engine*.cpp).
//
// Every car's engine is described by a few numbers (displacement,
// cylinders, boost, tuning factors) from its car data; SetUpEngine derives
// the torque curve, friction, inertia and limits from them and the car's
// class. The engine and clutch are stepped every sub-step. Engine files
// "data\engine\%s.eng" carry the same description and the engine's sound
// (sound values and recorded waves); a car takes only the sound from them.
// Speeds are rad/s, torques N m, powers W, displacement cm^3.

// Fuel an engine burns per joule of the work it does, litres.
constexpr float FuelPerJoule = 1.75f / 30000000.0f;

// One row of the class table: what the engine model, the setup limits, the
// mass model, the pits and the engine sound take from the class.
struct CarClass {
    const char* name;
    float wheelDriveMassFactor;  // drive mass per wheel, × engine mass
    int32_t driveOverride;       // drive axles forced on the car; 4 keeps the car's own
    uint8_t rearAxleFixed;       // 1: rear axle locked and straight
    uint8_t frontBrakes;         // 0: all braking at the rear
    uint8_t minGearCount, maxGearCount;  // forward gears + reverse + neutral
    uint8_t altEngineSound;      // the mixer's alternative engine treatment
    uint8_t classFlag;
    uint8_t minCylinders, maxCylinders;
    float minDisplacement, maxDisplacement;  // cm^3
    float speedScale;            // scales the peak-torque speed
    float frictionFactor;        // friction per cm^3 and cm^3 per cylinder
    float inertiaFactor;
    float torquePerCc;           // N m per cm^3 at the peak
    float turboInertiaFactor;
    float refuelRate;
    float tankSizeFactor;
    float idleSpeed;             // rad/s
};
constexpr int CarClassCount = 12;
// Indexed by class number (the car data reader accepts 0 to 11 only).
// Constant for the whole run.
extern const CarClass CarClassTable[CarClassCount];

// The engine's sound definition, copied whole into and out of the
// engine-sound editor.
constexpr int EngineSoundValueCount = 29;
struct EngineSoundParams {
    char name[32] = {};  // the engine file's name; empty for the car's own
    // Exhaust pipe tone, tone variation, silencers, unevenness, exhaust
    // pulse tone, off-power tone and volume, idle volume boost, turbo
    // recorded rpm, turbo volume and muffler, dump valve volume and muffler,
    // gear whine recorded rpm, volume and muffler, air intake volume and
    // muffler, gear shift volume and muffler, starter volume and muffler,
    // exhaust volume, cockpit muffling, wind and skid volume, header,
    // collector and tail mix: in this order (SetDefaultEngineParams).
    float values[EngineSoundValueCount] = {};
    uint8_t extra[4] = {6, 12, 0, 0};  // kept at these values; no file carries them
};

// One recorded sound wave: exhaust pulse 0, turbo 1, gear whine 3, air
// intake 4, dump valve 5, gear shift 6, starter 7 (2 unnamed). Its file
// form and its reading and writing belong to the sound devices
// (ReadWaveShape, WriteWaveShape, FreeWave).
struct EngineWave {
    uint8_t type = 0;
    int32_t count = 0;
    float* samples = nullptr;  // count samples, owned; null when empty
};
constexpr int EngineWaveCount = 8;

// EngineRecord::flags.
enum : int32_t {
    EngineTurbo = 1,          // turbocharged
    EngineAltFiring = 2,      // the other firing order of a V8
    EngineHasRevRange = 4,    // rev-range factor and maximum speed were read
    EngineHasSubVersion = 8,  // the sub-version byte was read
};

// The engine of one car: description, derived curve and limits, running
// state and sound. Lives inside its car; InitEngineData clears it.
struct EngineRecord {
    int32_t flags = 0;
    int32_t soundChannelMask = -1;  // bit n: sound channel n plays
    float frictionCoeff = 0;   // quadratic friction coefficient (derived)
    float inertia = 0;         // kg m^2 (derived)
    float idleSpeed = 0;       // from the class
    float displacement = 0;    // cm^3
    int32_t cylinders = 0;
    int32_t layout = 0;        // 0 inline, 1 flat, 2 V
    float boost = 0;           // bar, 0..3
    float torqueFactor = 0;    // scales the peak torque
    float revRangeFactor = 0;  // scales the width of the torque curve
    float couplingStiffness = 0;  // N m/rad between crank and clutch side (derived)
    float driveRatio = 0;      // total ratio written by the car step; 0 in neutral
    int32_t clutchSlipping = 0;
    float clutchTorque = 0;    // carried this sub-step
    float peakTorque = 0;      // derived
    float maxSpeed = 0;        // rev limit; above it the engine is damaged
    float peakSpeedFactor = 0;
    float inertiaFactor = 0;
    float peakTorqueSpeed = 0;   // derived
    float torqueCurveWidth = 0;  // derived
    float turboPowerRef = 0;     // derived
    float turboInertia = 0;      // derived
    float turboDrag = 0;         // derived
    float maxPower = 0, maxPowerSpeed = 0;    // derived by scanning the curve
    float maxTorque = 0, maxTorqueSpeed = 0;  // derived by scanning the curve
    float clutchCapacity = 0;  // N m (derived)
    float health = 0;          // 1 new; falls with over-revving
    float clutchHeat = 0;      // 0 cold .. 1
    float clutchPedal = 0;     // 0 engaged .. 1 pressed (set by the car step)
    float clutchAngle = 0;     // rad
    float speed = 0;           // rad/s
    float smoothedSpeed = 0;   // filtered at 20 per second
    float throttle = 0;        // air-flow fraction set by the car step
    float crankAngle = 0;      // rad, within ±32π
    int32_t running = 0;
    int32_t spare[2] = {};     // cleared with the running state
    float turboSpeed = 0;      // rad/s
    float manifoldPressure = 0;  // gauge, bar
    float boostNow = 0;        // bar
    uint8_t firingOrder[12] = {};
    EngineSoundParams soundParams;
    EngineWave waves[EngineWaveCount];
};

// Highest engine sub-version read; files are written with it.
constexpr int EngineSubVersion = 12;
// Engine files: magic and version.
constexpr const char* EngineFileMagic = "QVNENG";
constexpr int EngineFileVersion = 251;

// Zeroes the record (wave arrays are forgotten, not freed); channel mask -1.
void InitEngineData(EngineRecord& engine);
// Frees the sample arrays of the eight waves.
void ReleaseEngineSounds(EngineRecord& engine);
// The sound values' defaults (the name is left alone).
void SetDefaultEngineParams(EngineSoundParams& params);
// A 2800 cm^3 four-cylinder engine with default sound, at rest and repaired.
void SetDefaultEngine(EngineRecord& engine);
// Running state to rest; throttle 0.05.
void ResetEngineState(EngineRecord& engine);
// Health 1, clutch cold.
void RepairEngine(EngineRecord& engine);
// Running; a speed below a quarter of idle is raised to it. Returns 1 when
// it raised the speed.
int StartEngine(EngineRecord& engine);
void StartEngineAtIdle(EngineRecord& engine);
void StopEngine(EngineRecord& engine);
// Full-throttle torque and friction torque at an engine speed.
float EngineTorqueAt(const EngineRecord& engine, float speed);
float EngineFrictionAt(const EngineRecord& engine, float speed);
// Derives the curve, limits, clutch and firing order from the description
// and the class; the description is clamped to the class's ranges.
void SetUpEngine(EngineRecord& engine, const CarClass& carClass);

// Rev counter: top mark, step between numbers and number of marks.
struct RevCounterScale {
    int top = 0, step = 0, marks = 0;
};
void GetRevCounterScale(const EngineRecord& engine, RevCounterScale& scale);
// Outer size of the engine block in m; swapped: the engine lies across.
void GetEngineBlockSize(const EngineRecord& engine, int swapped, Vec3& size);
// kg.
float GetEngineMass(const EngineRecord& engine);
// The garage's three engine lines from the text table: displacement with
// turbo, layout and cylinder words; peak torque and peak power, each with
// its engine speed in rpm. Each text holds EngineInfoTextLength bytes.
constexpr int EngineInfoTextLength = 64;
void FormatEngineInfo(const EngineRecord& engine, char* displacementText, char* torqueText, char* powerText);

// Reads the engine description (the same header is part of the car data).
// The description goes into engine, the body (waves and sound values) into
// target, unless headerOnly stops after the description of a stream of
// sub-version above 7. Returns 1, or 0 with a message when the stream is
// bad; what was read so far stays.
int ReadEngine(EngineRecord& engine, DataFile& reader, int version, EngineRecord& target,
               int headerOnly);
// Writes the engine description alone (sub-version 12, no waves or sound
// values): the form car data holds and ReadEngine reads with headerOnly.
void WriteEngineHeader(DataFile& writer, const EngineRecord& engine);
// Writes the whole engine file (sub-version 12); waves 1 and 5 are emptied
// first when the engine has no turbo. Returns 1 when saved.
int SaveEngineFile(EngineRecord& engine, const char* path, Screen* screen);
// Opens an engine file and reads it: the description into scratch, the
// sound into target. Returns 1 or 0.
int OpenEngineFile(EngineRecord& scratch, const char* path, Screen* screen, EngineRecord& target);
// The sound of a car's engine: the driver's chosen engine file for the car
// when set and readable (its name then becomes the sound's name; a failed
// one is cleared from the profile), else "data\engine\<code>_default.eng".
// Returns 1 when a file was read.
int LoadEngineFile(EngineRecord& engine, const char* carCode);
