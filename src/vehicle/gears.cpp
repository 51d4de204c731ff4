// Gear changes: the shift words, the H-shifter word and the automatic
// gearbox choose a target gear; the gearbox kind decides how it engages.
#include "vehicle/local.h"

namespace {

constexpr int Reverse = 0, Neutral = 1, FirstGear = 2;
// Steps the automatic gearbox waits after a change down and up.
constexpr uint8_t DelayAfterDownshift = 20, DelayAfterUpshift = 100;

int LastGear(const CarObject& car)
{
    return car.gearCount - 1;
}

// Power at engine speed x with the given boost factor: (friction + full
// torque x boost) x speed.
float PowerAt(const EngineRecord& engine, float x, float boost)
{
    return (EngineFrictionAt(engine, x) + EngineTorqueAt(engine, x) * boost) * x;
}

// A driven wheel off the ground or slipping beyond its curve's slip keeps
// the automatic gearbox from changing up.
bool DrivenWheelSlips(const CarObject& car)
{
    for (int i = 0; i < car.wheelCount; i++) {
        const Wheel& w = car.wheels[i];
        if (w.driven && (!w.touching || w.combinedSlip > w.curveSlip))
            return true;
    }
    return false;
}

// rad/s: the engine speed the driven wheels give in the target gear. With
// no driven wheel the wheels give nothing (0).
float DrivenWheelEngineSpeed(const CarObject& car, int target)
{
    if (car.drivenWheels <= 0)
        return 0;
    float sum = 0;
    for (int i = 0; i < car.wheelCount; i++) {
        const Wheel& w = car.wheels[i];
        if (w.driven)
            sum += car.torqueShare[w.axleIndex] * w.spinRate;
    }
    return sum / static_cast<float>(car.drivenWheels) * car.gearRatios[target] * car.finalDrive;
}

// One gear down by the shift word.
int GearBelow(const CarObject& car)
{
    if (car.gearboxKind == 2) {
        // The motorbike box: neutral sits between first and second.
        if (car.gear == Reverse)
            return Neutral;
        if (car.gear == Neutral || car.gear == FirstGear)
            return FirstGear;
        return car.gear - 1;
    }
    return car.gear > Reverse ? car.gear - 1 : Reverse;
}

// One gear up by the shift word.
int GearAbove(const CarObject& car)
{
    if (car.gearboxKind == 2) {
        if (car.gear == Reverse || car.gear == Neutral)
            return Neutral;
        if (car.gear == FirstGear)
            return car.speed < 2 ? Neutral : FirstGear + 1;
    }
    return car.gear < LastGear(car) ? car.gear + 1 : LastGear(car);
}

} // namespace

void SetShiftTimings(CarObject& car)
{
    float seconds;
    switch (car.gearboxKind) {
    case 1: seconds = 0.2f; break;
    case 2:
    case 3:
    case 4: seconds = 0.1f; break;
    case 5: seconds = 0.05f; break;
    default: return;
    }
    car.gearTimings[ClutchHoldTiming] = seconds;
    car.gearTimings[CutTiming] = seconds;
    car.gearTimings[BlipTiming] = seconds;
}

float GetEngineSpeedFromWheels(const CarObject& car)
{
    const float radius = car.axles[0].tyreRadius;
    if (radius <= 0)
        return 0;
    return car.speed * car.totalRatio / radius;
}

int ChooseAutoGear(const CarObject& car, float w)
{
    const EngineRecord& e = car.engine;
    const int g = car.gear;
    // 1. Stalling in gear with the throttle open.
    if (0.75f * e.idleSpeed > w && g > FirstGear && e.throttle > 0.5f)
        return 1;
    // 2.
    if (g == Neutral || e.clutchPedal > 0.75f)
        return 0;
    // 3.
    const float boost = (e.flags & EngineTurbo) ? 1 + e.boost : 1;
    const float p = PowerAt(e, w, boost);
    // 4. Up.
    if (g >= FirstGear && g < LastGear(car) && w > e.maxPowerSpeed) {
        if (e.clutchPedal > 0.05f || DrivenWheelSlips(car))
            return 0;
        if (w > 0.99f * e.maxSpeed)
            return 2;
        if (car.gearRatios[g] <= 0)
            return 0;
        return PowerAt(e, w * car.gearRatios[g + 1] / car.gearRatios[g], boost) > p ? 2 : 0;
    }
    // 5. Down.
    if (g > FirstGear && w < e.maxPowerSpeed && car.gearRatios[g] > 0) {
        const float v = w * car.gearRatios[g - 1] / car.gearRatios[g];
        if (PowerAt(e, v, boost) > p && v < e.maxPowerSpeed)
            return 1;
    }
    return 0;
}

void AutoShift(CarObject& car)
{
    float s = GetEngineSpeedFromWheels(car);
    if (car.engine.speed > s)
        s = car.engine.speed;
    switch (ChooseAutoGear(car, s)) {
    case 1:
        car.gearTarget = car.gear - 1;
        car.autoShiftDelay = DelayAfterDownshift;
        break;
    case 2:
        car.gearTarget = car.gear + 1;
        car.autoShiftDelay = DelayAfterUpshift;
        break;
    default:
        break;
    }
}

void ShiftGear(CarObject& car)
{
    EngineRecord& e = car.engine;
    const int target = car.gearTarget;
    const int kind = car.gearboxKind;
    // 1. The automatic clutch presses at once.
    if (car.autoClutch && (kind == 1 || kind == 5 || car.gear == Neutral)) {
        car.clutchHoldTimer = car.gearTimings[ClutchHoldTiming];
        e.clutchPedal = 1;
    }
    // 2. Out of neutral: with the clutch pressed, a still engine, or the
    // revs matching the wheels within 2 %.
    if (car.gear == Neutral) {
        if (e.clutchPedal > 0.9f || e.speed < 1) {
            car.gear = target;
            return;
        }
        const float wheels = DrivenWheelEngineSpeed(car, target);
        const float difference = e.speed - wheels;
        if ((difference < 0 ? -difference : difference) < 0.02f * e.speed)
            car.gear = target;
        return;
    }
    const bool upshift = target > car.gear;
    const bool downToForward = target < car.gear && target >= FirstGear;
    if (kind == 1) {
        if (!car.upLatch && !car.downLatch) {
            // 3. The H-shifter: through neutral, engaged by rule 2 later.
            if (upshift && car.throttleCut)
                car.waitForRevs = 1;
            else if (downToForward && car.blip)
                car.blipTimer = car.gearTimings[BlipTiming];
            car.gear = Neutral;
        } else if (e.clutchPedal > 0.9f) {
            // 4. The shift words need the clutch.
            car.gear = target;
        }
        return;
    }
    // 5. Sequential boxes cut or blip, and engage once the drive unloads.
    if (upshift) {
        if (car.throttleCut)
            car.throttleCutTimer = car.gearTimings[CutTiming];
        else if (kind == 4)
            car.ignitionCutTimer = car.gearTimings[CutTiming];
    } else if (downToForward && car.blip) {
        car.blipTimer = car.gearTimings[BlipTiming];
    }
    const float torque = e.clutchTorque < 0 ? -e.clutchTorque : e.clutchTorque;
    if (torque < 0.3f * e.maxTorque)
        car.gear = target;
}

void SelectGear(CarObject& car)
{
    if (car.settleCounter < 100)
        return;
    const uint16_t* words = car.inputs.words;
    if (words[14] != NoHShifterGear) {
        car.gearTarget = words[14];
    } else {
        const bool down = words[4] != 0, up = words[3] != 0;
        if (down && up && !car.downLatch && !car.upLatch) {
            car.gearTarget = car.gear;
            car.downLatch = car.upLatch = 1;
        }
        // A released word cancels the change it asked for that has not come
        // yet. Releases go first, so that letting go of one word in the step
        // the other is pressed keeps the new request.
        if (!down) {
            if (car.downLatch)
                car.gearTarget = car.gear;
            car.downLatch = 0;
        }
        if (!up) {
            if (car.upLatch)
                car.gearTarget = car.gear;
            car.upLatch = 0;
        }
        if (down && !car.downLatch) {
            car.gearTarget = GearBelow(car);
            car.autoShiftDelay = DelayAfterDownshift;
            car.downLatch = 1;
        }
        if (up && !car.upLatch) {
            car.gearTarget = GearAbove(car);
            car.autoShiftDelay = DelayAfterUpshift;
            car.upLatch = 1;
        }
    }
    if (car.autoGears) {
        if (car.autoShiftDelay > 0)
            car.autoShiftDelay--;
        if (car.autoShiftDelay == 0) {
            car.waitForRevs = 0;
            AutoShift(car);
        }
    }
    // A target word beyond the gearbox (from a recorded or remote word)
    // stays within its gears.
    if (car.gearTarget < Reverse)
        car.gearTarget = Reverse;
    if (car.gearTarget > LastGear(car))
        car.gearTarget = LastGear(car);
    if (car.gearTarget != car.gear)
        ShiftGear(car);
}
