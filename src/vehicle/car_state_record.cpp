// The 68-byte state record of a car driven on this computer: its controls,
// state bits, pose, motion, engine and wheels as the other computers read
// them, and the packed directions it carries.
#include <cmath>

#include "vehicle/local.h"

namespace {

// Ranges of the scaled fields: engine and wheel speeds up to 1000 pi rad/s,
// the turbo up to 150000 rpm.
constexpr float SpinScale = 1000.0f * Pi;
constexpr float TurboScale = 150000.0f * TwoPi / 60.0f;
// A record never carries a speed below this, so its direction is defined.
constexpr float LeastSpeed = 0.01f;
constexpr int DirectionFieldMask = 0x3FF;

int RoundWithin(float value, int low, int high)
{
    const float r = std::nearbyint(value);
    if (!(r > float(low)))
        return low;
    return r < float(high) ? int(r) : high;
}

int DirectionField(float component) { return RoundWithin(component * 511.5f, -511, 511) & DirectionFieldMask; }

float DirectionComponent(uint32_t field)
{
    const int value = (field & 0x200) ? int(field) - 0x400 : int(field);
    return float(value) * (2.0f / 1023.0f);
}

void PutAxis(uint8_t* p, float x, float y, float z)
{
    PutShort(p, RoundWithin(x * 32767, -32767, 32767));
    PutShort(p + 2, RoundWithin(y * 32767, -32767, 32767));
    PutShort(p + 4, RoundWithin(z * 32767, -32767, 32767));
}

// A vector as its length (at least LeastSpeed) and packed direction.
void PutMotion(uint8_t* p, const Vec3& v)
{
    const float length = std::sqrt(LengthSquared(v));
    if (length > 0)
        PutInt(p + 4, int32_t(PackStateDirection(v.x / length, v.y / length, v.z / length)));
    else
        PutInt(p + 4, int32_t(PackStateDirection(0, 0, 1)));
    PutFloat(p, Larger(length, LeastSpeed));
}

uint8_t GearFlags(const CarObject& car)
{
    uint8_t flags = uint8_t(car.step.gear & StateGearMask);
    flags |= uint8_t((car.lamps.indicatorMode & 3) << StateIndicatorShift);
    if (car.race.pitWork != 0 && car.race.pitState != PitDone)
        flags |= StatePitHold;
    return flags;
}

uint8_t DriveFlags(const CarObject& car)
{
    uint8_t flags = 0;
    if (car.step.lost)
        flags |= StateLost;
    if (car.lamps.headlightsOn)
        flags |= StateHeadlights;
    if (car.engine.running)
        flags |= StateEngineRunning;
    if (car.race.pitSpeedLimit)
        flags |= StatePitLimiter;
    flags |= uint8_t((car.inputs.words[11] >> 14) << StateClutchShift);
    flags |= uint8_t((RoundWithin(car.step.handbrake * 65535, 0, 65535) >> 14) << StateHandbrakeShift);
    return flags;
}

}  // namespace

uint32_t PackStateDirection(float x, float y, float z)
{
    return uint32_t(DirectionField(x)) << 22 | uint32_t(DirectionField(y)) << 12 | uint32_t(DirectionField(z)) << 2;
}

void UnpackStateDirection(uint32_t packed, float& x, float& y, float& z)
{
    x = DirectionComponent(packed >> 22 & DirectionFieldMask);
    y = DirectionComponent(packed >> 12 & DirectionFieldMask);
    z = DirectionComponent(packed >> 2 & DirectionFieldMask);
}

void MakeCarStateRecord(const CarObject& car, CarStateRecord& record)
{
    uint8_t* b = record.bytes;
    const uint16_t* w = car.inputs.words;
    PutShort(b + StateSteering, w[0]);
    b[StateThrottle] = uint8_t(w[1] >> 8);
    b[StateBrake] = uint8_t(w[2] >> 8);
    b[StateGearFlags] = GearFlags(car);
    b[StateLookFlags] = uint8_t((w[15] & StateLookMask) | (car.tuning.tcSwitchedOff ? StateTcOff : 0));
    b[StateDriveFlags] = DriveFlags(car);
    b[11] = 0;
    PutInt(b + StatePosition, car.position.x.raw);
    PutInt(b + StatePosition + 4, car.position.y.raw);
    PutInt(b + StatePosition + 8, car.position.z.raw);
    const float* m = car.rotation.m;
    PutAxis(b + StateRightAxis, m[0], m[3], m[6]);
    PutAxis(b + StateForwardAxis, m[1], m[4], m[7]);
    PutMotion(b + StateSpeed, car.velocity);
    PutMotion(b + StateAngularSpeed, AngularVelocity(car, car.rotation));
    PutShort(b + StateEngineSpeed, RoundWithin(car.engine.speed / SpinScale * 65535, 0, 65535));
    PutShort(b + StateTurboSpeed, RoundWithin(car.engine.turboSpeed / TurboScale * 65535, 0, 65535));
    for (int i = 0; i < MaxCarWheels; i++) {
        const Wheel* wheel = i < car.wheelCount ? &car.wheels[i] : nullptr;
        const float spin = wheel ? wheel->spinRate / SpinScale * 32767 : 0;
        PutShort(b + StateWheelSpin + 2 * i, RoundWithin(spin, -32767, 32767));
        const bool travels = wheel && wheel->maxTravel > 0;
        b[StateTravel + i] = uint8_t(travels ? RoundWithin(wheel->travel / wheel->maxTravel * 255, 0, 255) : 0);
    }
}

// Reading the scaled fields back (remote_car.cpp).
float StateEngineSpeedValue(int word) { return float(word) * (SpinScale / 65535.0f); }
float StateTurboSpeedValue(int word) { return float(word) * (TurboScale / 65535.0f); }
float StateWheelSpinValue(int word) { return float(int16_t(word)) * (SpinScale / 32767.0f); }
