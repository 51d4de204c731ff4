// Gear changes: the shift words, the H-shifter word and the automatic
// gearbox choose a target gear; the gearbox kind decides how it engages.
#include "vehicle/local.h"

namespace {

constexpr int Reverse = 0, Neutral = 1, FirstGear = 2;
// Steps the automatic gearbox waits after a change down and up.
constexpr uint8_t DelayAfterDownshift = 20, DelayAfterUpshift = 100;

int LastGear(const CarObject& car)
{
    return car.data.gearCount - 1;
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
    if (car.tuning.drivenWheels <= 0)
        return 0;
    float sum = 0;
    for (int i = 0; i < car.wheelCount; i++) {
        const Wheel& w = car.wheels[i];
        if (w.driven)
            sum += car.tuning.torqueShare[w.axleIndex] * w.spinRate;
    }
    return sum / static_cast<float>(car.tuning.drivenWheels) * car.tuning.gearRatios[target] * car.tuning.finalDrive;
}

// One gear down by the shift word.
int GearBelow(const CarObject& car)
{
    if (car.data.gearboxKind == 2) {
        // The motorbike box: neutral sits between first and second.
        if (car.step.gear == Reverse)
            return Neutral;
        if (car.step.gear == Neutral || car.step.gear == FirstGear)
            return FirstGear;
        return car.step.gear - 1;
    }
    return car.step.gear > Reverse ? car.step.gear - 1 : Reverse;
}

// One gear up by the shift word.
int GearAbove(const CarObject& car)
{
    if (car.data.gearboxKind == 2) {
        if (car.step.gear == Reverse || car.step.gear == Neutral)
            return Neutral;
        if (car.step.gear == FirstGear)
            return car.step.speed < 2 ? Neutral : FirstGear + 1;
    }
    return car.step.gear < LastGear(car) ? car.step.gear + 1 : LastGear(car);
}

// A sequential box engages its next gear once the drive through the dogs
// unloads: the clutch's torque is below 0.3 x the engine's maximum torque.
// On a change up in a forward gear the drive also unloads when it turns
// from pull to overrun (the clutch torque at or below zero): at high engine
// speed a cut or closed engine brakes the car with more than that limit,
// so its torque passes through zero between two steps and never shows
// below the limit, and the change would wait for ever.
bool DriveUnloaded(const EngineRecord& e, bool forwardUpshift)
{
    if (forwardUpshift && e.clutchTorque <= 0)
        return true;
    const float torque = e.clutchTorque < 0 ? -e.clutchTorque : e.clutchTorque;
    return torque < 0.3f * e.maxTorque;
}

} // namespace

void SetShiftTimings(CarObject& car)
{
    float seconds;
    switch (car.data.gearboxKind) {
    case 1: seconds = 0.2f; break;
    case 2:
    case 3:
    case 4: seconds = 0.1f; break;
    case 5: seconds = 0.05f; break;
    default: return;
    }
    car.data.gearTimings[ClutchHoldTiming] = seconds;
    car.data.gearTimings[CutTiming] = seconds;
    car.data.gearTimings[BlipTiming] = seconds;
}

float GetEngineSpeedFromWheels(const CarObject& car)
{
    const float radius = car.axles[0].tyreRadius;
    if (radius <= 0)
        return 0;
    return car.step.speed * car.step.totalRatio / radius;
}

int ChooseAutoGear(const CarObject& car, float w)
{
    const EngineRecord& e = car.engine;
    const int g = car.step.gear;
    // Stalling in gear with the throttle open.
    if (0.75f * e.idleSpeed > w && g > FirstGear && e.throttle > 0.5f)
        return 1;
    // No change in neutral or with the clutch pressed.
    if (g == Neutral || e.clutchPedal > 0.75f)
        return 0;
    // The power now, with the turbo's boost.
    const float boost = (e.flags & EngineTurbo) ? 1 + e.boost : 1;
    const float p = PowerAt(e, w, boost);
    // Up, past the peak power when the next gear gives more.
    if (g >= FirstGear && g < LastGear(car) && w > e.maxPowerSpeed) {
        if (e.clutchPedal > 0.05f || DrivenWheelSlips(car))
            return 0;
        if (w > 0.99f * e.maxSpeed)
            return 2;
        if (car.tuning.gearRatios[g] <= 0)
            return 0;
        return PowerAt(e, w * car.tuning.gearRatios[g + 1] / car.tuning.gearRatios[g], boost) > p ? 2 : 0;
    }
    // Down, below the peak power when the gear below gives more.
    if (g > FirstGear && w < e.maxPowerSpeed && car.tuning.gearRatios[g] > 0) {
        const float v = w * car.tuning.gearRatios[g - 1] / car.tuning.gearRatios[g];
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
        car.step.gearTarget = car.step.gear - 1;
        car.step.autoShiftDelay = DelayAfterDownshift;
        break;
    case 2:
        car.step.gearTarget = car.step.gear + 1;
        car.step.autoShiftDelay = DelayAfterUpshift;
        break;
    default:
        break;
    }
}

void ShiftGear(CarObject& car)
{
    EngineRecord& e = car.engine;
    const int target = car.step.gearTarget;
    const int kind = car.data.gearboxKind;
    // The automatic clutch presses at once.
    if (car.tuning.autoClutch && (kind == 1 || kind == 5 || car.step.gear == Neutral)) {
        car.step.clutchHoldTimer = car.data.gearTimings[ClutchHoldTiming];
        e.clutchPedal = 1;
    }
    // Out of neutral: with the clutch pressed, a still engine, or the
    // revs matching the wheels within 2 %.
    if (car.step.gear == Neutral) {
        if (e.clutchPedal > 0.9f || e.speed < 1) {
            car.step.gear = target;
            return;
        }
        const float wheels = DrivenWheelEngineSpeed(car, target);
        const float difference = e.speed - wheels;
        if ((difference < 0 ? -difference : difference) < 0.02f * e.speed)
            car.step.gear = target;
        return;
    }
    const bool upshift = target > car.step.gear;
    const bool downToForward = target < car.step.gear && target >= FirstGear;
    if (kind == 1) {
        if (!car.step.upLatch && !car.step.downLatch) {
            // The H-shifter: through neutral, engaged out of neutral later.
            if (upshift && car.tuning.throttleCut)
                car.step.waitForRevs = 1;
            else if (downToForward && car.tuning.blip)
                car.step.blipTimer = car.data.gearTimings[BlipTiming];
            car.step.gear = Neutral;
        } else if (e.clutchPedal > 0.9f) {
            // The shift words need the clutch.
            car.step.gear = target;
        }
        return;
    }
    // Sequential boxes cut or blip, and engage once the drive unloads.
    if (upshift) {
        if (car.tuning.throttleCut)
            car.step.throttleCutTimer = car.data.gearTimings[CutTiming];
        else if (kind == 4)
            car.step.ignitionCutTimer = car.data.gearTimings[CutTiming];
    } else if (downToForward && car.tuning.blip) {
        car.step.blipTimer = car.data.gearTimings[BlipTiming];
    }
    if (DriveUnloaded(e, upshift && car.step.gear >= FirstGear))
        car.step.gear = target;
}

void SelectGear(CarObject& car)
{
    if (car.step.settleCounter < CarSettledSteps)
        return;
    const uint16_t* words = car.inputs.words;
    if (words[14] != NoHShifterGear) {
        car.step.gearTarget = words[14];
    } else {
        const bool down = words[4] != 0, up = words[3] != 0;
        if (down && up && !car.step.downLatch && !car.step.upLatch) {
            car.step.gearTarget = car.step.gear;
            car.step.downLatch = car.step.upLatch = 1;
        }
        // A released word cancels the change it asked for that has not come
        // yet. Releases go first, so that letting go of one word in the step
        // the other is pressed keeps the new request.
        if (!down) {
            if (car.step.downLatch)
                car.step.gearTarget = car.step.gear;
            car.step.downLatch = 0;
        }
        if (!up) {
            if (car.step.upLatch)
                car.step.gearTarget = car.step.gear;
            car.step.upLatch = 0;
        }
        if (down && !car.step.downLatch) {
            car.step.gearTarget = GearBelow(car);
            car.step.autoShiftDelay = DelayAfterDownshift;
            car.step.downLatch = 1;
        }
        if (up && !car.step.upLatch) {
            car.step.gearTarget = GearAbove(car);
            car.step.autoShiftDelay = DelayAfterUpshift;
            car.step.upLatch = 1;
        }
    }
    if (car.tuning.autoGears) {
        if (car.step.autoShiftDelay > 0)
            car.step.autoShiftDelay--;
        if (car.step.autoShiftDelay == 0) {
            car.step.waitForRevs = 0;
            AutoShift(car);
        }
    }
    // A target word beyond the gearbox (from a recorded or remote word)
    // stays within its gears.
    if (car.step.gearTarget < Reverse)
        car.step.gearTarget = Reverse;
    if (car.step.gearTarget > LastGear(car))
        car.step.gearTarget = LastGear(car);
    if (car.step.gearTarget != car.step.gear)
        ShiftGear(car);
}
