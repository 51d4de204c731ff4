// The damage record: a car's engine, clutch, fuel, wheel damage and tyre
// state packed into 56 bytes for other computers, and applied from them.
// Every value is held within its byte or bit field, so that no value can
// spill into its neighbours.
#include <cmath>

#include "vehicle/local.h"

namespace {


// round(value) held within low..high.
int RoundWithin(float value, int low, int high)
{
    if (!(value > static_cast<float>(low)))
        return low;
    if (value >= static_cast<float>(high))
        return high;
    return static_cast<int>(std::nearbyint(value));
}

uint32_t Field(int value, int bits, int shift)
{
    const uint32_t mask = (1u << bits) - 1;
    uint32_t v = value < 0 ? 0 : static_cast<uint32_t>(value);
    if (v > mask)
        v = mask;
    return v << shift;
}

int Bits(uint32_t word, int bits, int shift)
{
    return static_cast<int>((word >> shift) & ((1u << bits) - 1));
}

void PutWord(uint8_t* p, uint32_t word)
{
    for (int i = 0; i < 4; i++)
        p[i] = static_cast<uint8_t>(word >> (8 * i));
}

uint32_t GetWord(const uint8_t* p)
{
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
           static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}

float KelvinOf(int byte)
{
    return 293.15f + 180.0f * static_cast<float>(byte) / 63.0f;
}

float SetupToe(const CarObject& car, int axle)
{
    return car.data.setup ? (car.data.setup->axles[axle].toe - 9) * 0.1f * Pi / 180.0f : 0.0f;
}

} // namespace

void MakeDamageRecord(const CarObject& car, DamageRecord& record, int value)
{
    record = {};
    uint8_t* b = record.bytes;
    b[0] = 2;
    b[1] = static_cast<uint8_t>(value);
    b[2] = static_cast<uint8_t>(RoundWithin(car.engine.health * 255, 0, 255));
    b[3] = static_cast<uint8_t>(RoundWithin(car.engine.clutchHeat * 255, 0, 255));
    b[4] = static_cast<uint8_t>(
        car.data.fuelCapacity > 0 ? RoundWithin(car.race.fuel / car.data.fuelCapacity * 255, 0, 255) : 0);
    const int count = car.wheelCount < MaxCarWheels ? car.wheelCount : MaxCarWheels;
    for (int i = 0; i < count; i++) {
        const Wheel& w = car.wheels[i];
        const Axle& axle = car.axles[w.axleIndex];
        uint8_t* block = b + 8 + 12 * i;
        const float travelScale = 0.03f * axle.tyreRadius, armScale = 0.333f * axle.armLength;
        if (w.damageState[0] && travelScale > 0)
            block[0] = static_cast<uint8_t>(RoundWithin(w.travelLoss * 255 / travelScale, 0, 255));
        if (w.damageState[1] && armScale > 0)
            block[1] = static_cast<uint8_t>(RoundWithin(w.upperLinkLoss * 255 / armScale, 0, 255));
        if (w.damageState[2] && armScale > 0)
            block[2] = static_cast<uint8_t>(RoundWithin(w.armLoss * 255 / armScale, 0, 255));
        if (w.damageState[3])
            block[3] = static_cast<uint8_t>(static_cast<int8_t>(RoundWithin(w.toe * 127 / (Pi / 8), -127, 127)));
        const uint8_t* t = w.displayTemperature;
        uint32_t first = (w.flat ? 0x80000000u : 0) | Field(t[0], 6, 18) | Field(t[1], 6, 12) |
                         Field(t[2], 6, 6) | Field(t[3], 6, 0);
        uint32_t second = Field(w.dirtLevel, 3, 27) | Field(w.wearLevel[0], 3, 24) |
                          Field(w.wearLevel[1], 3, 21) | Field(w.wearLevel[2], 3, 18) |
                          Field(t[4], 6, 12) | Field(t[5], 6, 6) | Field(t[6], 6, 0);
        PutWord(block + 4, first);
        PutWord(block + 8, second);
    }
}

void ApplyDamageRecord(CarObject& car, const DamageRecord& record)
{
    const uint8_t* b = record.bytes;
    car.engine.health = b[2] / 255.0f;
    car.engine.clutchHeat = b[3] / 255.0f;
    car.race.fuel = b[4] / 255.0f * car.data.fuelCapacity;
    // The fuel's mass moves the car's mass, centre and inertia.
    UpdateCarMassProperties(car);
    bool restoreSprings = false;
    const int count = car.wheelCount < MaxCarWheels ? car.wheelCount : MaxCarWheels;
    for (int i = 0; i < count; i++) {
        Wheel& w = car.wheels[i];
        const Axle& axle = car.axles[w.axleIndex];
        const uint8_t* block = b + 8 + 12 * i;
        const float travelScale = 0.03f * axle.tyreRadius, armScale = 0.333f * axle.armLength;
        // Travel loss.
        if (block[0]) {
            w.travelLoss = block[0] / 255.0f * travelScale;
            if (block[0] == 255 && w.damageState[0] != DamageAtLimit)
                FailSuspension(w);
            w.damageState[0] = block[0] == 255 ? DamageAtLimit : 1;
        } else if (w.damageState[0]) {
            if (w.damageState[0] == DamageAtLimit)
                restoreSprings = true;
            w.travelLoss = 0;
            w.damageState[0] = DamageNone;
        }
        // Upper link and arm.
        float* losses[2] = {&w.upperLinkLoss, &w.armLoss};
        for (int k = 0; k < 2; k++) {
            uint8_t v = block[1 + k];
            if (v) {
                *losses[k] = v / 255.0f * armScale;
                w.damageState[1 + k] = v == 255 ? DamageAtLimit : 1;
            } else if (w.damageState[1 + k]) {
                *losses[k] = 0;
                w.damageState[1 + k] = DamageNone;
            }
        }
        // Toe.
        auto toeByte = static_cast<int8_t>(block[3]);
        if (toeByte) {
            w.toe = toeByte * (Pi / 8) / 127;
            w.damageState[3] = toeByte == 127 || toeByte == -127 ? DamageAtLimit : 1;
        } else if (w.damageState[3]) {
            w.toe = SetupToe(car, w.axleIndex);
            w.damageState[3] = DamageNone;
        }
        const uint32_t first = GetWord(block + 4), second = GetWord(block + 8);
        w.flat = (first >> 31) ? 1 : 0;
        // Wear: the strip's depth follows its level, its heat its depth.
        const int segments = car.net.remote ? 1 : TyreSegmentCount;
        const int wearShift[3] = {24, 21, 18};
        for (int strip = 0; strip < 3; strip++) {
            int level = Bits(second, 3, wearShift[strip]);
            if (level == w.wearLevel[strip])
                continue;
            w.wearLevel[strip] = static_cast<uint8_t>(level);
            float depth = (0.3f + 0.7f * static_cast<float>(level) / 7) * 0.03f * axle.tyreRadius;
            for (int s = 0; s < segments; s++) {
                TyreSegment& seg = w.segments[s];
                if (seg.treadDepth[strip] > 0)
                    seg.treadHeat[strip] *= depth / seg.treadDepth[strip];
                seg.treadDepth[strip] = depth;
            }
        }
        w.dirtLevel = static_cast<uint8_t>(Bits(second, 3, 27));
        for (int s = 0; s < segments; s++)
            w.segments[s].dirt = w.dirtLevel * 0.16f / 7;
        // Temperatures that moved by two steps or more.
        const int bytes[7] = {Bits(first, 6, 18), Bits(first, 6, 12), Bits(first, 6, 6), Bits(first, 6, 0),
                              Bits(second, 6, 12), Bits(second, 6, 6), Bits(second, 6, 0)};
        for (int k = 0; k < 7; k++) {
            if (std::abs(bytes[k] - w.displayTemperature[k]) < 2)
                continue;
            w.displayTemperature[k] = static_cast<uint8_t>(bytes[k]);
            const float t = KelvinOf(bytes[k]);
            if (k < 3) {
                for (int s = 0; s < segments; s++)
                    w.segments[s].treadHeat[k] = t * TreadCapacity(axle, w.segments[s].treadDepth[k]);
            } else if (k == 3) {
                w.airHeat = t * w.airMass * 1005;
            } else if (k < 6) {
                for (int s = 0; s < segments; s++)
                    w.segments[s].sidewallHeat[k - 4] = t * SidewallCapacity(axle);
            } else {
                w.rimHeat = t * RimCapacity(axle);
            }
        }
    }
    if (restoreSprings)
        CopySuspensionToWheels(car);
}
