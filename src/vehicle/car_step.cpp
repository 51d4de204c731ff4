// A car's 10 ms step: remote cars between their records, the driver aids
// that turn the input words into engine, clutch, brake and steering
// demands, the lights, the player's requests, the rest test, the sub-steps
// and the work after the move.
#include <cmath>

#include "vehicle/local.h"

namespace {

constexpr int Reverse = 0, Neutral = 1, FirstGear = 2;
// Most change of the clutch, throttle and brake values per step.
constexpr float PedalStep = 0.2f;
// The brake help holds the braked wheels near the slip where their grip
// peaks. A wheel locks within a few sub-steps, far faster than a 10 ms step
// can see, so the help works on each axle in every sub-step: while both
// wheels of an axle slip past their peak it eases that axle's brake fast,
// down to a third at most (in 33 ms), and while one grips it brings the
// brake back twice as slowly, so that the wheels spend most of the cycle
// just below the peak. Eased only once a step, the wheels spent most of
// every cycle sliding at the grip of a locked tyre and the help stopped a
// car in a longer distance than locked wheels. The anti-lock timer runs
// for 0.2 s after the help last eased an axle.
constexpr float AntiLockSeconds = 0.2f;
constexpr float AntiLockLeast = 0.333f;
constexpr float AntiLockRisePerSecond = 10;
constexpr float AntiLockEasePerSecond = 20;
constexpr float AntiLockSpeed = 5.0f;
// Quiet steps before a car rests.
constexpr int RestSteps = 100;
constexpr int LimiterLampClass = 10;
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
    car.step.activityStep = car.race.stepCounter;
    car.step.restCounter = 0;
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
    if (engine.running || !(car.step.speed < 0.05f) || !(engine.speed < 1.0f))
        return false;
    if (!(std::fabs(car.step.gValues.x) < 0.2f && std::fabs(car.step.gValues.y) < 0.2f && std::fabs(car.step.gValues.z) < 0.2f))
        return false;
    if (car.race.pitWork != 0 && car.race.pitState != 4)
        return false;
    return !MutablePhysicsStep.currentSet || IsClearOfAwakeBodies(*MutablePhysicsStep.currentSet, car);
}

void PutCarToRest(CarObject& car)
{
    car.awake = 0;
    car.step.speed = 0;
    car.engine.speed = 0;
    car.velocity = car.angularMomentum = {};
    car.force = car.torque = car.impulse = car.angularImpulse = {};
}

// A remote car between its records; true when the step ends here.
bool StepRemoteCar(CarObject& car, float dt)
{
    if (car.net.remoteState == -1)
        return true;
    FreezeStaleRemoteCar(car);
    if (car.enabled)
        return false;
    if (car.net.remoteState == 0)
        MoveRemoteCarOneStep(car);
    UpdateCarViewAndRoute(car, dt, 0);
    return true;
}

// The clutch demand of the clutch word and the clutch hold timer (full in
// its first half, easing off in its second).
float ClutchDemand(CarObject& car, float dt)
{
    float c = Word(car, 11);
    const float duration = car.data.gearTimings[ClutchHoldTiming];
    if (car.step.clutchHoldTimer > 0) {
        const float half = 0.5f * duration;
        if (car.step.clutchHoldTimer > half || !(half > 0))
            c = 1;
        else
            c = Larger(c, car.step.clutchHoldTimer / half);
        car.step.clutchHoldTimer = CountDown(car.step.clutchHoldTimer, dt);
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
    return Clamp(e, 0, 1);
}

void StepThrottleAndClutch(CarObject& car, float clutch, float dt)
{
    EngineRecord& engine = car.engine;
    const float wheelsSpeed = GetEngineSpeedFromWheels(car);
    if (car.tuning.autoClutch && car.step.gear != Neutral && engine.speed * 1.1f > wheelsSpeed)
        clutch = Larger(clutch, AutoClutchDemand(car));
    engine.clutchPedal = MoveTowards(engine.clutchPedal, clutch, PedalStep);

    float idleThrottle = 0;
    if (engine.running && engine.speed < engine.idleSpeed && engine.idleSpeed > 0)
        idleThrottle = 1 - engine.speed / engine.idleSpeed;
    float t = Larger(idleThrottle, Word(car, 1) < 1 ? Word(car, 1) : 1.0f);
    if (car.race.pitSpeedLimit) {
        // Full throttle up to 7/8 of the limit, none at the limit.
        const float g = float(car.race.pitSpeedLimit) / 3.6f, h = g / 8;
        if (car.step.speed > g - h) {
            const float f = 1 - (car.step.speed - (g - h)) / h;
            t *= f > 0 ? f : 0.0f;
        }
    }
    engine.throttle = MoveTowards(engine.throttle, t, PedalStep);

    if (car.step.throttleCutTimer > 0) {
        engine.throttle = 0;
        car.step.throttleCutTimer = CountDown(car.step.throttleCutTimer, dt);
    }
    if (car.step.waitForRevs) {
        if (wheelsSpeed >= engine.speed)
            car.step.waitForRevs = 0;
        else
            engine.throttle = 0;
    }
    if (car.step.blipTimer > 0) {
        const float duration = car.data.gearTimings[BlipTiming];
        const float blip = duration > 0 ? 0.5f * car.step.blipTimer / duration : 0.5f;
        engine.throttle = Larger(engine.throttle, blip);
        car.step.blipTimer = CountDown(car.step.blipTimer, dt);
    }
}

void StepBrakes(CarObject& car, float dt)
{
    const float b = Word(car, 2);
    if (car.tuning.brakeHelp && !car.net.remote)
        car.step.antiLockTimer = CountDown(car.step.antiLockTimer, dt);
    else
        car.step.brakeHelpShare[0] = car.step.brakeHelpShare[1] = 1;
    car.step.brake = MoveTowards(car.step.brake, b, PedalStep);
    const bool held = car.net.remote ? car.net.pitHold != 0 : car.race.pitWork != 0;
    if (held) {
        car.step.brake = Larger(car.step.brake, car.race.stopped ? 0.125f : 0.5f);
        if (car.net.remote || car.race.pitState != 4)
            car.step.clutchHoldTimer = car.data.gearTimings[ClutchHoldTiming];
    }
}

void ReduceEngineBraking(CarObject& car)
{
    if (!(car.data.tractionControl & EngineBrakeReductionFitted) || car.step.tcFactor != 1 || !car.data.setup)
        return;
    const int r = car.data.setup->engineBrakeReduction;
    EngineRecord& engine = car.engine;
    if (r == 0 || car.step.gear < FirstGear || !(engine.clutchPedal < 0.05f))
        return;
    const float full = EngineTorqueAt(engine, engine.speed);
    const float friction = EngineFrictionAt(engine, engine.speed);
    if (full > 1)
        engine.throttle = Larger(engine.throttle, std::fabs(friction * float(r) * 0.01f / full));
}

namespace {

void UpdateStepLights(CarObject& car)
{
    if (car.data.carClass != LimiterLampClass) {
        const int on = car.step.brake >= 0.05f ? 1 : 0;
        if (on != car.lamps.brakeLightState) {
            car.lamps.brakeLightState = on;
            SetCarLight(car, BrakeLightSwitch, on);
        }
    }
    const int reversing = car.step.gear < Neutral ? 1 : 0;
    if (reversing != car.lamps.reverseLightState) {
        car.lamps.reverseLightState = reversing;
        SetCarLight(car, ReverseLightSwitch, reversing);
    }
    const int flash = car.inputs.words[10] ? 1 : 0;
    if (flash != car.lamps.flashLightState) {
        car.lamps.flashLightState = flash;
        // Headlights that are on stay on when the flash ends.
        SetCarLight(car, HeadlightSwitch, flash || car.lamps.headlightsOn);
    }
}

void UpdateGearBookkeeping(CarObject& car)
{
    if (car.step.gear != car.step.lastGearSeen) {
        if (car.step.gear != Neutral && GetCarSoundHooks().isSoundRunning())
            ++car.step.gearChangeCount;
        car.step.lastGearSeen = uint8_t(car.step.gear);
    }
    const int gear = Clamp(car.step.gear, 0, 8);
    // The car data gives every gear's ratio as a size; reverse turns the
    // wheels the other way, so its total ratio is negative (the engine
    // speed the wheels imply stays positive while the car backs off).
    const float ratio = gear == Reverse ? -std::fabs(car.tuning.gearRatios[gear]) : car.tuning.gearRatios[gear];
    car.step.totalRatio = ratio * car.tuning.finalDrive;
    car.step.tcFactor = 1;
    car.step.engineBrakeFactor = 1;
}

bool IsTractionControlActive(const CarObject& car)
{
    return (car.data.tractionControl & TcFitted) && car.data.setup && car.engine.throttle > 0.1f && Word(car, 1) > 0.1f &&
           !car.tuning.tcSwitchedOff && car.step.speed > float(car.data.setup->tcMinSpeed) && car.step.totalRatio > 1 &&
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
    if (car.data.dataFlags & CarDataFrontHubLead) {
        for (int i = car.wheelCount - 1; i >= 0; --i) {
            const Wheel& wheel = car.wheels[i];
            if (wheel.axleIndex != 1)
                continue;
            v = car.axles[1].tyreRadius * wheel.spinRate;
            v = v > 0 ? v : 0.0f;
            break;
        }
    } else if (car.tuning.drivenWheels > 0) {
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
    car.step.speedometer = 0.95f * car.step.speedometer + 0.05f * v;
}

}  // namespace

int GetLocalPlayerSlot(const CarObject& car)
{
    return !car.net.remote && GetBodySurroundings().IsWorldLoaded() ? GetPlayerSlotOfCar(car) : -1;
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
    if (car.race.showroom)
        return;
    // Still air; a remote car's tyre heat is held in one segment, as it
    // was set up, so that its means stay true.
    for (int i = 0; i < car.wheelCount; ++i)
        StepTyre(car.wheels[i], car.axles[car.wheels[i].axleIndex], PhysicsStepSeconds, 1, car.net.remote);
}

void CheckWheelLock(CarObject& car, float dt)
{
    // An axle is locked unless a wheel of it grips the ground below its
    // curve's peak slip; an axle without wheels never is. Below 5 m/s a
    // lock eases nothing, so that a car comes to rest on its full brake.
    bool present[2] = {false, false}, gripping[2] = {false, false};
    for (int i = 0; i < car.wheelCount; ++i) {
        const Wheel& wheel = car.wheels[i];
        const int axle = wheel.axleIndex == 1 ? 1 : 0;
        present[axle] = true;
        if (wheel.touching && wheel.combinedSlip < wheel.curveSlip)
            gripping[axle] = true;
    }
    const bool fast = car.step.speed > AntiLockSpeed;
    for (int axle = 0; axle < 2; ++axle) {
        float& share = car.step.brakeHelpShare[axle];
        if (fast && present[axle] && !gripping[axle] && car.step.brake > 0) {
            share = Larger(share - AntiLockEasePerSecond * dt, AntiLockLeast);
            car.step.antiLockTimer = AntiLockSeconds;
        } else {
            share = Smaller(share + AntiLockRisePerSecond * dt, 1.0f);
        }
    }
}

void ApplyTractionControl(CarObject& car, float k)
{
    if (!car.step.tcActive)
        return;
    const float s = float(car.data.setup->tcSlip) * 0.001f;
    const float v0 = float(car.data.setup->tcMinSpeed);
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
    const float ratio = k * car.engine.speed / (u * car.step.totalRatio);
    if (!(ratio > 1 + s))
        return;
    float cut = (ratio > 1 + 1.5f * s || !(s > 0)) ? 1.0f : (ratio - (1 + s)) / (0.5f * s);
    if (car.step.speed < 1.5f * v0)
        cut *= (car.step.speed - v0) / (0.5f * v0);
    car.step.tcFactor = 1 - cut;
    car.engine.throttle = car.step.tcFactor * car.step.throttleBeforeTc;
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
        } else if (car.data.carClass == LimiterLampClass) {
            TellPlayer(GetText(TX_3h_thisnost));
        } else {
            StartEngine(engine);
            if (GetCarSoundHooks().isSoundRunning())
                car.step.starterSound = 1;
        }
        w[5] = 0;
        MarkActive(car);
    }
    if (w[16]) {
        if (car.race.pitSpeedLimit) {
            car.race.pitSpeedLimit = 0;
        } else if (!(car.data.dataFlags & CarDataPitLimiter)) {
            TellPlayer(GetText(TX_3g_nospdlim));
        } else {
            const int limit = GetCarPathHooks().lowestSpeedLimit();
            if (limit <= 0)
                TellPlayer(GetText(TX_3g_notequip));
            else
                car.race.pitSpeedLimit = uint8_t(limit > 255 ? 255 : limit);
        }
        w[16] = 0;
        MarkActive(car);
    }
    if (w[17]) {
        if (car.tuning.tcSwitchedOff)
            car.tuning.tcSwitchedOff = 0;
        else if (car.data.tractionControl & TcFitted)
            car.tuning.tcSwitchedOff = 1;
        else
            TellPlayer(GetText(TX_3h_thisnotc));
        w[17] = 0;
        MarkActive(car);
    }
    if (w[7]) {
        car.lamps.headlightsOn = car.lamps.headlightsOn ? 0 : 1;
        SetCarLight(car, HeadlightSwitch, car.lamps.headlightsOn);
        SetCarLight(car, HeadlightSwitch2, car.lamps.headlightsOn);
        w[7] = 0;
        MarkActive(car);
    }
    if (w[13]) {
        static const int left[4] = {0, 1, 0, 1}, right[4] = {0, 0, 1, 1};
        const int request = w[13] >= 1 && w[13] <= 4 ? w[13] : 1;
        car.lamps.indicatorMode = request - 1;
        SetCarLight(car, LeftIndicatorSwitch, left[request - 1]);
        SetCarLight(car, RightIndicatorSwitch, right[request - 1]);
        car.lamps.blinkerTimerMs = 0;
        w[13] = 0;
        MarkActive(car);
    }
}

void HandleLostCar(CarObject& car)
{
    if (car.net.remote || car.step.lost != 1)
        return;
    const CarNetHooks& net = GetCarNetHooks();
    if (net.isOnline() && !(net.hostRules() & ResetsAllowed)) {
        SendCarValue(car, 2);
        car.step.lost = 2;
    } else {
        RequestCarReset(car, 0);
    }
}

void AccumulateInputChange(CarObject& car)
{
    const uint16_t* w = car.inputs.words;
    auto difference = [](int a, int b) { return a > b ? a - b : b - a; };
    const int change = difference(w[0], car.net.sentSteering) / 8 + 2 * difference(w[1] >> 8, car.net.sentThrottle) +
                       2 * difference(w[2] >> 8, car.net.sentBrake);
    car.net.inputChangeTotal += change;
    car.net.sendBudget -= car.net.inputChangeTotal;
    if (car.net.sendBudget <= 0)
        car.net.sendBudget = car.net.inputChangeTotal = 0;
    car.step.flatTyresBefore = uint8_t(CountFlatTyres(car));
}

namespace {

// The clock of the lap time shown after a lap, in steps of 10 ms.
constexpr int LapTimeCountdownStep = 10;
// Input activity that wakes a stopped car's rest counter.
constexpr int ActivityChange = 512;

// What the driver asks of the car before its forces: the blinkers, the
// stopped state and pit lane of a car with a slot, the automatic clutch's
// hold below idle, the clutch demand, the player's requests and the
// handbrake (which stays on for a stopped car out of gear). Returns the
// clutch demand.
float TakeDriverRequests(CarObject& car, int slot, float dt)
{
    EngineRecord& engine = car.engine;
    UpdateBlinkers(car);
    const int stoppedChanged = UpdateStoppedState(car);
    if (slot >= 0)
        UpdatePitLane(car, slot, dt, stoppedChanged);
    if (car.tuning.autoClutch && car.step.gear != Neutral && engine.speed < 0.75f * engine.idleSpeed)
        car.step.clutchHoldTimer = car.data.gearTimings[ClutchHoldTiming];
    const float clutch = ClutchDemand(car, dt);
    if (slot >= 0)
        HandlePlayerRequests(car, slot);
    if (car.race.stopped && car.step.handbrake > 0.1f && (car.step.gear == Neutral || engine.clutchPedal > 0.9f))
        car.step.handbrake = 1;
    else
        car.step.handbrake = Word(car, 12);
    return clutch;
}

// A quiet car outside the garage goes to rest after RestSteps quiet steps;
// true when it went to rest this step.
bool RestIfQuiet(CarObject& car)
{
    if (car.race.showroom)
        return false;
    if (!CanCarRest(car)) {
        car.step.restCounter = 0;
        return false;
    }
    if (++car.step.restCounter < RestSteps)
        return false;
    car.step.restCounter = 0;
    PutCarToRest(car);
    return true;
}

// The driver aids between the words and the car: throttle and clutch,
// brakes, the engine braking reduction, the lamps, and the change of a
// local online car's inputs for its next position packet.
void ApplyDriverAids(CarObject& car, int slot, float clutch, float dt)
{
    StepThrottleAndClutch(car, clutch, dt);
    StepBrakes(car, dt);
    ReduceEngineBraking(car);
    UpdateStepLights(car);
    if (slot >= 0 && GetCarNetHooks().isOnline())
        AccumulateInputChange(car);
}

// An empty tank stops the engine; an ignition cut holds it off for the
// step (it runs again after the step).
void CutIgnition(CarObject& car, float dt)
{
    EngineRecord& engine = car.engine;
    if (engine.running && !(car.race.fuel > 0))
        StopEngine(engine);
    car.step.runningSuspended = 0;
    if (car.step.ignitionCutTimer > 0) {
        car.step.ignitionCutTimer = CountDown(car.step.ignitionCutTimer, dt);
        if (engine.running) {
            car.step.runningSuspended = 1;
            engine.running = 0;
        }
    }
}

// The gear in use and its ratio for the drive, whether traction control
// may cut this step, and the centre of the sprung mass.
void PrepareDrive(CarObject& car)
{
    UpdateGearBookkeeping(car);
    car.engine.driveRatio = car.step.gear == Neutral ? 0.0f : car.step.totalRatio;
    car.step.tcActive = IsTractionControlActive(car) ? 1 : 0;
    car.step.throttleBeforeTc = car.engine.throttle;
    UpdateSprungCentre(car);
}

// The forces and motion of the step: twenty sub-steps, with the dents of a
// local car's hard contacts and the fuel it burned, or one full step of a
// remote car.
void MoveCar(CarObject& car, int slot, float dt, float gravity)
{
    car.step.fuelUsed = 0;
    if (car.net.oneFullStep) {
        RunCarFullStep(car, dt, gravity);
        return;
    }
    RunCarSubSteps(car, dt, gravity);
    if (slot >= 0)
        ApplyImpactDamage(car, slot);
    car.race.fuel = car.race.fuel > car.step.fuelUsed ? car.race.fuel - car.step.fuelUsed : 0.0f;
}

// After the forces: the engine held off by the ignition cut runs again,
// and traction control restores the throttle or marks its cut.
void EndIgnitionAndTractionCuts(CarObject& car)
{
    if (car.step.runningSuspended) {
        car.engine.running = 1;
        car.step.runningSuspended = 0;
    }
    if (car.data.tractionControl & TcRestoresThrottle)
        car.engine.throttle = car.step.throttleBeforeTc;
    else if (car.step.tcFactor != 1)
        car.step.tcFactor = 2;
}

// The tyres' heat, flat tyres and the marks they leave (not in the garage).
void StepTyresAfterMove(CarObject& car, float dt)
{
    if (car.race.showroom)
        return;
    const float airFlow = std::sqrt(car.step.airSpeed + 1);
    for (int i = 0; i < car.wheelCount; ++i)
        StepTyre(car.wheels[i], car.axles[car.wheels[i].axleIndex], dt, airFlow, car.net.remote);
    car.step.flatTyresAfter = uint8_t(CountFlatTyres(car));
    UpdateWheelMarks(car);
}

// The speed and the smoothed acceleration in g along the car's axes; a
// local car's rotation made square again.
void UpdateMotionReadings(CarObject& car)
{
    car.step.speed = std::sqrt(LengthSquared(car.velocity));
    if (car.mass > 0) {
        car.step.smoothedAcceleration = 0.9f * car.step.smoothedAcceleration + 0.1f * ((1.0f / car.mass) * car.force);
        car.step.gValues = (1.0f / (car.mass * Gravity)) * RotateByTranspose(car.rotation, car.step.smoothedForce);
    }
    if (!car.net.remote)
        OrthonormaliseRotation(car.rotation);
}

// What follows the move: a stopped car's activity, the tyres, the motion
// readings, the track position, view and route, the hot lap's ground rule
// and the speedometer.
void FinishCarStep(CarObject& car, int slot, float dt)
{
    if (car.race.stopped) {
        const int activity = GetInputActivity(car);
        if (activity - car.step.inputActivity >= ActivityChange || car.step.inputActivity - activity >= ActivityChange) {
            car.step.inputActivity = activity;
            MarkActive(car);
        }
    }
    StepTyresAfterMove(car, dt);
    UpdateMotionReadings(car);
    if (slot >= 0)
        CheckTrackPosition(car, slot);
    UpdateCarViewAndRoute(car, dt, car.net.oneFullStep ? 0 : 1);
    if (GetCarRaceHooks().isHotLapTimed() && FewWheelsOffRoad(car) == 0)
        GetCarRaceHooks().invalidateHotLap(HotLapGround);
    if (!car.net.oneFullStep)
        UpdateWheelSpeedReading(car);
}

}  // namespace

void StepCar(CarObject& car, float dt, float gravity)
{
    if (car.race.lapTimeCountdown > 0)
        car.race.lapTimeCountdown -= LapTimeCountdownStep;
    if (car.net.remote && StepRemoteCar(car, dt))
        return;
    const int slot = GetLocalPlayerSlot(car);
    const float clutch = TakeDriverRequests(car, slot, dt);
    if (RestIfQuiet(car))
        return;
    if (car.step.lost) {
        HandleLostCar(car);
        return;
    }
    ApplyDriverAids(car, slot, clutch, dt);
    car.step.steerTargetPrevious = car.step.steerTarget;
    car.step.steerTarget = SteerAngleFromWord(car, car.inputs.words[0]);
    ComputeAeroForces(car);
    CutIgnition(car, dt);
    PrepareDrive(car);
    MoveCar(car, slot, dt, gravity);
    EndIgnitionAndTractionCuts(car);
    car.CommitBodyMove();
    if (MutablePhysicsStep.resimulatingCar)
        return;
    FinishCarStep(car, slot, dt);
}
