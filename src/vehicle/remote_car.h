// Remote cars: the 68-byte state record that a car driven on another
// computer sends, and what its copy here does with it.
#pragma once

#include <cstdint>

class CarObject;

// Remote car records (remote_car.cpp, car_state_record.cpp).
//
// A car driven on another computer is moved by the state records its owner
// sends. Each record replaces the copy's body state when it differs, and the
// steps that passed since it was made are simulated again, so that the copy
// is where its owner's car is now. Between records the copy is simulated in
// full when near local cars or the viewed car, else only moved along its
// velocity, and frozen when records stop coming.

// The 68-byte state record, little-endian. Bytes 0 to 3 (frame number,
// player id) are the network layer's.
constexpr int CarStateRecordSize = 68;
struct CarStateRecord {
    uint8_t bytes[CarStateRecordSize] = {};

    bool operator==(const CarStateRecord&) const = default;
};
// Offsets of the car's fields in the record.
enum : int {
    StateSteering = 4, StateThrottle = 6, StateBrake = 7, StateGearFlags = 8, StateLookFlags = 9,
    StateDriveFlags = 10, StatePosition = 12, StateRightAxis = 24, StateForwardAxis = 30, StateSpeed = 36,
    StateVelocityDirection = 40, StateAngularSpeed = 44, StateAngularDirection = 48, StateEngineSpeed = 52,
    StateTurboSpeed = 54, StateWheelSpin = 56, StateTravel = 64,
};
// Bits of the gear byte (8), the look byte (9) and the drive byte (10).
enum : uint8_t {
    StateGearMask = 0x0F, StateIndicatorShift = 4, StateRaceTimeMode = 0x40, StatePitHold = 0x80,
    StateLookMask = 0x07, StateTcOff = 0x80,
    StateLost = 0x01, StateHeadlights = 0x02, StateEngineRunning = 0x04, StatePitLimiter = 0x08,
    StateClutchShift = 4, StateHandbrakeShift = 6,
};

// A remote car's record keeping. Lives with the car; the car's race-state
// reset leaves it (records keep coming across a reset).
struct CarRemoteRecordState {
    CarStateRecord last;           // the last record whole
    int32_t recordIgnoreStep = INT32_MIN / 2;  // records are ignored for 100 steps after it (a reset)
    uint8_t catchUp = 0;           // the previous record asked for the car to be simulated
    uint8_t hadRecord = 0;         // a record has come since the car was made remote
    uint8_t keepSimulated = 0;     // the layout editor keeps this car simulated

    bool operator==(const CarRemoteRecordState&) const = default;
};

// A unit direction packed as three signed 10-bit fields (bits 22-31, 12-21
// and 2-11, each the component x 1023 / 2 rounded), and unpacked.
uint32_t PackStateDirection(float x, float y, float z);
void UnpackStateDirection(uint32_t packed, float& x, float& y, float& z);
// The record of a car driven on this computer (bytes 4 to 67).
void MakeCarStateRecord(const CarObject& car, CarStateRecord& record);
// Takes a record made at recordStep (the race's step counter) into the
// remote car: control and state bits, the body state when it moved, and the
// steps since it was made simulated again.
void ApplyCarControlRecord(CarObject& car, const CarStateRecord& record, int32_t recordStep);
// One 10 ms step of straight-line motion of a remote car that is not
// simulated; it freezes after 150 steps without a record.
void ExtrapolateRemoteCar(CarObject& car);
