// A car's 10 ms step: remote cars between their records, the driver aids
// that turn the input words into engine, clutch, brake and steering
// demands, the lights, the player's requests, the rest test, the sub-steps
// and the work after the move.
#include <cmath>

#include "vehicle/local.h"

namespace {

constexpr int Neutral = 1, FirstGear = 2;
// A remote car without a record for more than this many steps freezes.
constexpr int RemoteFreezeSteps = 150;
// Most change of the clutch, throttle and brake values per step.
constexpr float PedalStep = 0.2f;
// The anti-lock timer, s, and the brake it lets through while it runs:
// 1 when the lock is seen, falling to 0.333 as the timer ends.
constexpr float AntiLockSeconds = 0.2f;
constexpr float AntiLockSlope = 0.667f / AntiLockSeconds;
constexpr float AntiLockFloor = 0.333f;
constexpr float AntiLockSpeed = 5.0f;
// Quiet steps before a car rests.
constexpr int RestSteps = 100;
constexpr int LimiterLampClass = 10;
constexpr int32_t PitLimiterFitted = 1 << 30;
constexpr int32_t WheelSpeedFromFront = 1 << 14;
// Traction control word bits.
constexpr int32_t TcFitted = 1, TcRestoresThrottle = 2, EngineBrakeReductionFitted = 4;
constexpr int MessageColour = 11;  // light yellow
constexpr int InvalidKeySound = 3;
constexpr int HotLapGround = 0;
constexpr uint32_t ResetsAllowed = 0x80;
constexpr float Gravity = 9.81f;

float Word(const CarObject& car, int index) { return float(car.inputs.words[index]) * (1.0f / 65535.0f); }

float MoveTowards(float value, float target, float most)
{
    if (target > value + most)
        return value + most;
    if (target < value - most)
        return value - most;
    return target;
}

float CountDown(float timer, float dt) { return timer > dt ? timer - dt : 0.0f; }

void TellPlayer(const char* text)
{
    GetCarMessageHooks().printMessage(text, MessageColour);
    GetCarSoundHooks().playInterfaceSound(InvalidKeySound);
}

void MarkActive(CarObject& car)
{
    car.activityStep = car.stepCounter;
    car.restCounter = 0;
}

int CountFlatTyres(const CarObject& car)
{
    int count = 0;
    for (int i = 0; i < car.wheelCount; ++i)
        count += car.wheels[i].flat ? 1 : 0;
    return count;
}

bool CanCarRest(const CarObject& car)
{
    const EngineRecord& engine = car.engine;
    if (engine.running || !(car.speed < 0.05f) || !(engine.speed < 1.0f))
        return false;
    if (!(std::fabs(car.gValues.x) < 0.2f && std::fabs(car.gValues.y) < 0.2f && std::fabs(car.gValues.z) < 0.2f))
        return false;
    if (car.pitWork != 0 && car.pitState != 4)
        return false;
    return !CurrentObjectSet || IsClearOfAwakeBodies(*CurrentObjectSet, car);
}

void PutCarToRest(CarObject& car)
{
    car.awake = 0;
    car.speed = 0;
    car.engine.speed = 0;
    car.velocity = car.angularMomentum = {};
    car.force = car.torque = car.impulse = car.angularImpulse = {};
}

// A remote car between its records; true when the step ends here.
bool StepRemoteCar(CarObject& car, float dt)
{
    if (car.remoteState == -1)
        return true;
    const int steps = car.stepCounter - car.lastRecordStep;
    if (steps > RemoteFreezeSteps) {
        car.remoteState = 1;
        car.remoteAge = float(steps) * 0.01f;
        car.enabled = 0;
    }
    if (car.enabled)
        return false;
    if (car.remoteState == 0) {
        // The velocity came in a packet: the step is held to the 16.16
        // range and the position wraps like every 16.16 sum.
        car.position.x += FixedFromMetres(car.velocity.x * 0.01f);
        car.position.y += FixedFromMetres(car.velocity.y * 0.01f);
        car.position.z += FixedFromMetres(car.velocity.z * 0.01f);
        car.predictedPosition = car.position;
        UpdateStoppedState(car);
    }
    UpdateCarViewAndRoute(car, dt, 0);
    return true;
}

// The clutch demand of the clutch word and the clutch hold timer (full in
// its first half, easing off in its second).
float ClutchDemand(CarObject& car, float dt)
{
    float c = Word(car, 11);
    const float duration = car.gearTimings[ClutchHoldTiming];
    if (car.clutchHoldTimer > 0) {
        const float half = 0.5f * duration;
        if (car.clutchHoldTimer > half || !(half > 0))
            c = 1;
        else
            c = Larger(c, car.clutchHoldTimer / half);
        car.clutchHoldTimer = CountDown(car.clutchHoldTimer, dt);
    }
    return c;
}

}  // namespace

// The automatic clutch: pressed below 1.25 x idle, let out fully by
// max(1.5 x idle, the throttle's share of 0.667 x the peak torque speed).
float AutoClutchDemand(const CarObject& car)
{
    const EngineRecord& engine = car.engine;
    const float low = 1.25f * engine.idleSpeed;
    if (engine.speed < low)
        return 1;
    const float d = Larger(1.5f * engine.idleSpeed, Word(car, 1) * engine.maxTorqueSpeed * 0.667f);
    if (!(d > low))
        return 0;
    float e = 1 - (engine.speed - low) / (d - low);
    return e < 0 ? 0 : e > 1 ? 1 : e;
}

void StepThrottleAndClutch(CarObject& car, float clutch, float dt)
{
    EngineRecord& engine = car.engine;
    const float wheelsSpeed = GetEngineSpeedFromWheels(car);
    if (car.autoClutch && car.gear != Neutral && engine.speed * 1.1f > wheelsSpeed)
        clutch = Larger(clutch, AutoClutchDemand(car));
    engine.clutchPedal = MoveTowards(engine.clutchPedal, clutch, PedalStep);

    float idleThrottle = 0;
    if (engine.running && engine.speed < engine.idleSpeed && engine.idleSpeed > 0)
        idleThrottle = 1 - engine.speed / engine.idleSpeed;
    float t = Larger(idleThrottle, Word(car, 1) < 1 ? Word(car, 1) : 1.0f);
    if (car.pitSpeedLimit) {
        // Full throttle up to 7/8 of the limit, none at the limit.
        const float g = float(car.pitSpeedLimit) / 3.6f, h = g / 8;
        if (car.speed > g - h) {
            const float f = 1 - (car.speed - (g - h)) / h;
            t *= f > 0 ? f : 0.0f;
        }
    }
    engine.throttle = MoveTowards(engine.throttle, t, PedalStep);

    if (car.throttleCutTimer > 0) {
        engine.throttle = 0;
        car.throttleCutTimer = CountDown(car.throttleCutTimer, dt);
    }
    if (car.waitForRevs) {
        if (wheelsSpeed >= engine.speed)
            car.waitForRevs = 0;
        else
            engine.throttle = 0;
    }
    if (car.blipTimer > 0) {
        const float duration = car.gearTimings[BlipTiming];
        const float blip = duration > 0 ? 0.5f * car.blipTimer / duration : 0.5f;
        engine.throttle = Larger(engine.throttle, blip);
        car.blipTimer = CountDown(car.blipTimer, dt);
    }
}

void StepBrakes(CarObject& car, float dt)
{
    float b = Word(car, 2);
    if (car.brakeHelp && !car.remote) {
        CheckWheelLock(car);
        if (car.antiLockTimer > 0) {
            const float most = car.antiLockTimer * AntiLockSlope + AntiLockFloor;
            b = b < most ? b : most;
            car.antiLockTimer = CountDown(car.antiLockTimer, dt);
        }
    }
    car.brake = MoveTowards(car.brake, b, PedalStep);
    const bool held = car.remote ? car.pitHold != 0 : car.pitWork != 0;
    if (held) {
        car.brake = Larger(car.brake, car.stopped ? 0.125f : 0.5f);
        if (car.remote || car.pitState != 4)
            car.clutchHoldTimer = car.gearTimings[ClutchHoldTiming];
    }
}

namespace {

void ReduceEngineBraking(CarObject& car)
{
    if (!(car.tractionControl & EngineBrakeReductionFitted) || car.tcFactor != 1 || !car.setup)
        return;
    const int r = car.setup->engineBrakeReduction;
    EngineRecord& engine = car.engine;
    if (r == 0 || car.gear < FirstGear || !(engine.clutchPedal < 0.05f))
        return;
    const float full = EngineTorqueAt(engine, engine.speed);
    const float friction = EngineFrictionAt(engine, engine.speed);
    if (full > 1)
        engine.throttle = Larger(engine.throttle, std::fabs(friction * float(r) * 0.01f / full));
}

void UpdateStepLights(CarObject& car)
{
    if (car.carClass != LimiterLampClass) {
        const int on = car.brake >= 0.05f ? 1 : 0;
        if (on != car.brakeLightState) {
            car.brakeLightState = on;
            SetCarLight(car, BrakeLightSwitch, on);
        }
    }
    const int reversing = car.gear < Neutral ? 1 : 0;
    if (reversing != car.reverseLightState) {
        car.reverseLightState = reversing;
        SetCarLight(car, ReverseLightSwitch, reversing);
    }
    const int flash = car.inputs.words[10] ? 1 : 0;
    if (flash != car.flashLightState) {
        car.flashLightState = flash;
        // Headlights that are on stay on when the flash ends.
        SetCarLight(car, HeadlightSwitch, flash || car.headlightsOn);
    }
}

void UpdateGearBookkeeping(CarObject& car)
{
    if (car.gear != car.lastGearSeen) {
        if (car.gear != Neutral && GetCarSoundHooks().isSoundRunning())
            ++car.gearChangeCount;
        car.lastGearSeen = uint8_t(car.gear);
    }
    const int gear = car.gear < 0 ? 0 : car.gear > 8 ? 8 : car.gear;
    car.totalRatio = car.gearRatios[gear] * car.finalDrive;
    car.tcFactor = 1;
    car.engineBrakeFactor = 1;
}

bool IsTractionControlActive(const CarObject& car)
{
    return (car.tractionControl & TcFitted) && car.setup && car.engine.throttle > 0.1f && Word(car, 1) > 0.1f &&
           !car.tcSwitchedOff && car.speed > float(car.setup->tcMinSpeed) && car.totalRatio > 1 &&
           car.engine.clutchPedal < 0.5f;
}

// The rotation's axes made unit and square again: forward kept, up rebuilt
// from right x forward, right from forward x up.
void OrthonormaliseRotation(FloatMatrix& r)
{
    Vec3 forward = {r.m[1], r.m[4], r.m[7]};
    const Vec3 right = {r.m[0], r.m[3], r.m[6]};
    const float f2 = LengthSquared(forward);
    if (!(f2 > 0))
        return;
    forward = (1.0f / std::sqrt(f2)) * forward;
    Vec3 up = Cross(right, forward);
    const float u2 = LengthSquared(up);
    if (!(u2 > 0))
        return;
    up = (1.0f / std::sqrt(u2)) * up;
    const Vec3 newRight = Cross(forward, up);
    r.m[0] = newRight.x, r.m[3] = newRight.y, r.m[6] = newRight.z;
    r.m[1] = forward.x, r.m[4] = forward.y, r.m[7] = forward.z;
    r.m[2] = up.x, r.m[5] = up.y, r.m[8] = up.z;
}

void UpdateWheelSpeedReading(CarObject& car)
{
    float v = 0;
    if (car.dataFlags & WheelSpeedFromFront) {
        for (int i = car.wheelCount - 1; i >= 0; --i) {
            const Wheel& wheel = car.wheels[i];
            if (wheel.axleIndex != 1)
                continue;
            v = car.axles[1].tyreRadius * wheel.spinRate;
            v = v > 0 ? v : 0.0f;
            break;
        }
    } else if (car.drivenWheels > 0) {
        int count = 0;
        for (int i = 0; i < car.wheelCount; ++i) {
            const Wheel& wheel = car.wheels[i];
            if (!wheel.driven)
                continue;
            v += car.axles[wheel.axleIndex].tyreRadius * wheel.spinRate;
            ++count;
        }
        v = count ? std::fabs(v / float(count)) : 0.0f;
    }
    car.speedometer = 0.95f * car.speedometer + 0.05f * v;
}

}  // namespace

int GetLocalPlayerSlot(const CarObject& car)
{
    return !car.remote && GetBodySurroundings().IsWorldLoaded() ? GetPlayerSlotOfCar(car) : -1;
}

int GetInputActivity(const CarObject& car)
{
    const uint16_t* w = car.inputs.words;
    int sum = w[0] + w[1] + w[2] + w[11] + w[12];
    if (w[3] || w[4] || w[9] || w[10])
        sum += 1024;
    return sum;
}

int FewWheelsOffRoad(const CarObject& car)
{
    int offRoad = 0;
    for (int i = 0; i < car.wheelCount; ++i)
        if (car.wheels[i].surfaceKind == 3 || car.wheels[i].surfaceKind == 4)
            ++offRoad;
    return offRoad < 3 ? 1 : 0;
}

void StepRestingCar(CarObject& car)
{
    CoolClutch(car.engine);
    if (car.showroom)
        return;
    // Still air; a remote car's tyre heat is held in one segment, as it
    // was set up, so that its means stay true.
    for (int i = 0; i < car.wheelCount; ++i)
        StepTyre(car.wheels[i], car.axles[car.wheels[i].axleIndex], PhysicsStepSeconds, 1, car.remote);
}

void CheckWheelLock(CarObject& car)
{
    if (car.antiLockTimer != 0 || !(car.speed > AntiLockSpeed))
        return;
    // An axle is locked unless a wheel of it grips the ground below twice
    // its curve's slip; an axle without wheels never is.
    bool present[2] = {false, false}, gripping[2] = {false, false};
    for (int i = 0; i < car.wheelCount; ++i) {
        const Wheel& wheel = car.wheels[i];
        const int axle = wheel.axleIndex == 1 ? 1 : 0;
        present[axle] = true;
        if (wheel.touching && wheel.combinedSlip < 2 * wheel.curveSlip)
            gripping[axle] = true;
    }
    if ((present[0] && !gripping[0]) || (present[1] && !gripping[1]))
        car.antiLockTimer = AntiLockSeconds;
}

void ApplyTractionControl(CarObject& car, float k)
{
    if (!car.tcActive)
        return;
    const float s = float(car.setup->tcSlip) * 0.001f;
    const float v0 = float(car.setup->tcMinSpeed);
    float u = 0;
    bool anyFront = false;
    for (int i = 0; i < car.wheelCount; ++i) {
        const Wheel& wheel = car.wheels[i];
        if (wheel.axleIndex != 1)
            continue;
        u = anyFront ? Larger(u, wheel.spinRate) : wheel.spinRate;
        anyFront = true;
    }
    if (!(u > 0.001f))
        return;
    const float ratio = k * car.engine.speed / (u * car.totalRatio);
    if (!(ratio > 1 + s))
        return;
    float cut = (ratio > 1 + 1.5f * s || !(s > 0)) ? 1.0f : (ratio - (1 + s)) / (0.5f * s);
    if (car.speed < 1.5f * v0)
        cut *= (car.speed - v0) / (0.5f * v0);
    car.tcFactor = 1 - cut;
    car.engine.throttle = car.tcFactor * car.throttleBeforeTc;
}

void HandlePlayerRequests(CarObject& car, int slot)
{
    if (!GetCarNetHooks().isNetworkHold())
        RunTimedRaceMessages(car, slot);
    uint16_t* w = car.inputs.words;
    EngineRecord& engine = car.engine;
    if (w[5]) {
        if (engine.running) {
            StopEngine(engine);
        } else if (car.carClass == LimiterLampClass) {
            TellPlayer("This car does not have a starter motor");
        } else {
            StartEngine(engine);
            if (GetCarSoundHooks().isSoundRunning())
                car.starterSound = 1;
        }
        w[5] = 0;
        MarkActive(car);
    }
    if (w[16]) {
        if (car.pitSpeedLimit) {
            car.pitSpeedLimit = 0;
        } else if (!(car.dataFlags & PitLimiterFitted)) {
            TellPlayer("This car does not have a pit lane speed limiter");
        } else {
            const int limit = GetCarPathHooks().lowestSpeedLimit();
            if (limit <= 0)
                TellPlayer("There is no speed limit zone on this track");
            else
                car.pitSpeedLimit = uint8_t(limit > 255 ? 255 : limit);
        }
        w[16] = 0;
        MarkActive(car);
    }
    if (w[17]) {
        if (car.tcSwitchedOff)
            car.tcSwitchedOff = 0;
        else if (car.tractionControl & TcFitted)
            car.tcSwitchedOff = 1;
        else
            TellPlayer("This car does not have traction control");
        w[17] = 0;
        MarkActive(car);
    }
    if (w[7]) {
        car.headlightsOn = car.headlightsOn ? 0 : 1;
        SetCarLight(car, HeadlightSwitch, car.headlightsOn);
        SetCarLight(car, HeadlightSwitch2, car.headlightsOn);
        w[7] = 0;
        MarkActive(car);
    }
    if (w[13]) {
        static const int left[4] = {0, 1, 0, 1}, right[4] = {0, 0, 1, 1};
        const int request = w[13] >= 1 && w[13] <= 4 ? w[13] : 1;
        car.indicatorMode = request - 1;
        SetCarLight(car, LeftIndicatorSwitch, left[request - 1]);
        SetCarLight(car, RightIndicatorSwitch, right[request - 1]);
        car.blinkerTimerMs = 0;
        w[13] = 0;
        MarkActive(car);
    }
}

void HandleLostCar(CarObject& car)
{
    if (car.remote || car.lost != 1)
        return;
    const CarNetHooks& net = GetCarNetHooks();
    if (net.isOnline() && !(net.hostRules() & ResetsAllowed)) {
        SendCarValue(car, 2);
        car.lost = 2;
    } else {
        RequestCarReset(car, 0);
    }
}

void AccumulateInputChange(CarObject& car)
{
    const uint16_t* w = car.inputs.words;
    auto difference = [](int a, int b) { return a > b ? a - b : b - a; };
    const int change = difference(w[0], car.sentSteering) / 8 + 2 * difference(w[1] >> 8, car.sentThrottle) +
                       2 * difference(w[2] >> 8, car.sentBrake);
    car.inputChangeTotal += change;
    car.sendBudget -= car.inputChangeTotal;
    if (car.sendBudget <= 0)
        car.sendBudget = car.inputChangeTotal = 0;
    car.flatTyresBefore = uint8_t(CountFlatTyres(car));
}

void StepCar(CarObject& car, float dt, float gravity)
{
    EngineRecord& engine = car.engine;
    // 1, 2.
    if (car.lapTimeCountdown > 0)
        car.lapTimeCountdown -= 10;
    if (car.remote && StepRemoteCar(car, dt))
        return;
    // 3 to 7.
    const int slot = GetLocalPlayerSlot(car);
    UpdateBlinkers(car);
    const int stoppedChanged = UpdateStoppedState(car);
    if (slot >= 0)
        UpdatePitLane(car, slot, dt, stoppedChanged);
    if (car.autoClutch && car.gear != Neutral && engine.speed < 0.75f * engine.idleSpeed)
        car.clutchHoldTimer = car.gearTimings[ClutchHoldTiming];
    const float clutch = ClutchDemand(car, dt);
    if (slot >= 0)
        HandlePlayerRequests(car, slot);
    // 8. The handbrake stays on for a stopped car out of gear.
    if (car.stopped && car.handbrake > 0.1f && (car.gear == Neutral || engine.clutchPedal > 0.9f))
        car.handbrake = 1;
    else
        car.handbrake = Word(car, 12);
    // 9, 10.
    if (!car.showroom) {
        if (CanCarRest(car)) {
            if (++car.restCounter >= RestSteps) {
                car.restCounter = 0;
                PutCarToRest(car);
                return;
            }
        } else {
            car.restCounter = 0;
        }
    }
    if (car.lost) {
        HandleLostCar(car);
        return;
    }
    // 11 to 16.
    StepThrottleAndClutch(car, clutch, dt);
    StepBrakes(car, dt);
    ReduceEngineBraking(car);
    UpdateStepLights(car);
    if (slot >= 0 && GetCarNetHooks().isOnline())
        AccumulateInputChange(car);
    // 17, 18.
    car.steerTargetPrevious = car.steerTarget;
    car.steerTarget = SteerAngleFromWord(car, car.inputs.words[0]);
    ComputeAeroForces(car);
    // 19. An empty tank stops the engine; an ignition cut holds it off.
    if (engine.running && !(car.fuel > 0))
        StopEngine(engine);
    car.runningSuspended = 0;
    if (car.ignitionCutTimer > 0) {
        car.ignitionCutTimer = CountDown(car.ignitionCutTimer, dt);
        if (engine.running) {
            car.runningSuspended = 1;
            engine.running = 0;
        }
    }
    // 20, 21.
    UpdateGearBookkeeping(car);
    engine.driveRatio = car.gear == Neutral ? 0.0f : car.totalRatio;
    car.tcActive = IsTractionControlActive(car) ? 1 : 0;
    car.throttleBeforeTc = engine.throttle;
    UpdateSprungCentre(car);
    // 22, 23.
    car.fuelUsed = 0;
    if (car.oneFullStep) {
        RunCarFullStep(car, dt, gravity);
    } else {
        RunCarSubSteps(car, dt, gravity);
        if (slot >= 0)
            ApplyImpactDamage(car, slot);
        car.fuel = car.fuel > car.fuelUsed ? car.fuel - car.fuelUsed : 0.0f;
    }
    // 25.
    if (car.runningSuspended) {
        engine.running = 1;
        car.runningSuspended = 0;
    }
    if (car.tractionControl & TcRestoresThrottle)
        engine.throttle = car.throttleBeforeTc;
    else if (car.tcFactor != 1)
        car.tcFactor = 2;
    // 26.
    car.CommitBodyMove();
    if (ResimulatingCar)
        return;
    // 27.
    if (car.stopped) {
        const int activity = GetInputActivity(car);
        if (activity - car.inputActivity >= 512 || car.inputActivity - activity >= 512) {
            car.inputActivity = activity;
            MarkActive(car);
        }
    }
    // 28.
    if (!car.showroom) {
        const float airFlow = std::sqrt(car.airSpeed + 1);
        for (int i = 0; i < car.wheelCount; ++i)
            StepTyre(car.wheels[i], car.axles[car.wheels[i].axleIndex], dt, airFlow, car.remote);
        car.flatTyresAfter = uint8_t(CountFlatTyres(car));
        UpdateWheelMarks(car);
    }
    // 29, 30.
    car.speed = std::sqrt(LengthSquared(car.velocity));
    if (car.mass > 0) {
        car.smoothedAcceleration = 0.9f * car.smoothedAcceleration + 0.1f * ((1.0f / car.mass) * car.force);
        car.gValues = (1.0f / (car.mass * Gravity)) * RotateByTranspose(car.rotation, car.smoothedForce);
    }
    if (!car.remote)
        OrthonormaliseRotation(car.rotation);
    if (slot >= 0)
        CheckTrackPosition(car, slot);
    // 31 to 33.
    UpdateCarViewAndRoute(car, dt, car.oneFullStep ? 0 : 1);
    if (GetCarRaceHooks().isHotLapTimed() && FewWheelsOffRoad(car) == 0)
        GetCarRaceHooks().invalidateHotLap(HotLapGround);
    if (!car.oneFullStep)
        UpdateWheelSpeedReading(car);
}
