// A car driven on another computer: taking its state records in, deciding
// how closely it is simulated, and simulating again the steps that passed
// since a record was made; between records, straight-line motion.
#include <cmath>

#include "vehicle/local.h"

namespace {

// Steps after a reset during which records are ignored (they were made
// before the reset).
constexpr int32_t IgnoreAfterResetSteps = 100;
// Records older than this many steps freeze the car.
constexpr int32_t StaleRecordSteps = 100;
// Steps without a record after which a car freezes.
constexpr int32_t RemoteFreezeSteps = 150;
// A local car within this distance (m) may need the remote car simulated,
// when their bounding spheres are closer than the gap or closer than a
// second of their summed speeds.
constexpr double NearCarDistance = 60, NearCarGap = 4, NearCarSeconds = 1;
// A car within this distance (m) of the viewed car, and shown in detail,
// takes the twenty sub-steps.
constexpr double ViewedCarDistance = 120;
// The record moves the car when its position differs by more than 1/16 m
// on an axis, or when either speed is above this (m/s).
constexpr int32_t MoveThreshold = 4096;
constexpr float MovingSpeed = 0.1f;
constexpr float StepSeconds = 0.01f;

double DistanceBetween(const RigidBody& a, const RigidBody& b)
{
    const double dx = (double(a.position.x.raw) - b.position.x.raw) / 65536.0;
    const double dy = (double(a.position.y.raw) - b.position.y.raw) / 65536.0;
    const double dz = (double(a.position.z.raw) - b.position.z.raw) / 65536.0;
    return std::sqrt(dx * dx + dy * dy + dz * dz);
}

// Whether a car driven on this computer is close enough to touch the car
// soon.
bool IsNearLocalCar(const CarObject& car)
{
    CarObject* slots[MaxRaceCars] = {};
    const int count = GetCarRaceHooks().raceSlotCars(slots, MaxRaceCars);
    for (int i = 0; i < count && i < MaxRaceCars; i++) {
        const CarObject* other = slots[i];
        if (!other || other == &car || other->net.remote)
            continue;
        const double distance = DistanceBetween(car, *other);
        if (!(distance < NearCarDistance))
            continue;
        const double gap = distance - double(car.radius) - double(other->radius);
        const double speeds = double(car.step.speed) + double(other->step.speed);
        if (gap < NearCarGap || (speeds > 0 && gap / speeds < NearCarSeconds))
            return true;
    }
    return false;
}

bool IsDedicatedHost() { return ProgramMode.dedicatedMode != 0; }

// Whether the car takes part in the physics, without the record's age.
bool ShouldSimulate(const CarObject& car, const CarViewState& view)
{
    if (view.noSimulation)
        return false;
    if (IsDedicatedHost() || !Settings.mpSpeedupOpt || car.remoteRecord.catchUp)
        return true;
    if (view.freeCamera)
        return (GetCarRaceHooks().carViewRank(car) & CarKeptSimulated) || view.editorAllCars;
    if (view.everyCarSimulated)
        return true;
    return IsNearLocalCar(car);
}

// Whether the car is simulated in one full step rather than twenty
// sub-steps.
bool TakesOneFullStep(const CarObject& car, const CarViewState& view)
{
    if (view.noSimulation)
        return true;
    if (IsDedicatedHost())
        return false;
    const int rank = GetCarRaceHooks().carViewRank(car);
    if (view.freeCamera)
        return !(rank & (CarShownInDetail | CarAmongNearest));
    if (!view.viewedCar || view.viewedCar == &car)
        return false;
    return !(DistanceBetween(car, *view.viewedCar) < ViewedCarDistance && (rank & CarShownInDetail));
}

void DecideRemoteSimulation(CarObject& car, int32_t age)
{
    if (age > StaleRecordSteps) {
        car.net.remoteState = 1;
        car.net.remoteAge = float(age) * StepSeconds;
        car.enabled = 0;
        return;
    }
    car.net.remoteState = 0;
    const CarViewState view = GetCarRaceHooks().viewState();
    car.enabled = ShouldSimulate(car, view) ? 1 : 0;
    car.net.oneFullStep = TakesOneFullStep(car, view) ? 1 : 0;
    if (!car.net.oneFullStep)
        car.enabled = 1;
}

uint16_t QuarterWord(int quarters) { return uint16_t(quarters * 65535 / 3); }

void ApplyRecordLights(CarObject& car, uint8_t gearFlags, uint8_t driveFlags)
{
    const int indicator = gearFlags >> StateIndicatorShift & 3;
    if (indicator != car.lamps.indicatorMode && indicator == 0) {
        SetCarLight(car, LeftIndicatorSwitch, 0);
        SetCarLight(car, RightIndicatorSwitch, 0);
    }
    car.lamps.indicatorMode = indicator;
    const int headlights = driveFlags & StateHeadlights ? 1 : 0;
    if (headlights != car.lamps.headlightsOn) {
        car.lamps.headlightsOn = headlights;
        SetCarLight(car, HeadlightSwitch, headlights);
        SetCarLight(car, HeadlightSwitch2, headlights);
    }
}

// The record's controls and state bits into the car and its input words.
void ApplyRecordControls(CarObject& car, const uint8_t* b)
{
    const int32_t now = car.race.stepCounter;
    const uint8_t gearFlags = b[StateGearFlags], lookFlags = b[StateLookFlags], driveFlags = b[StateDriveFlags];
    car.step.gear = car.step.gearTarget = gearFlags & StateGearMask;
    ApplyRecordLights(car, gearFlags, driveFlags);
    car.net.pitHold = gearFlags & StatePitHold ? 1 : 0;
    if (car.net.pitHold) {
        car.race.stopStep = car.step.activityStep = now;
        car.step.restCounter = 0;
    }
    uint16_t* w = car.inputs.words;
    w[15] = lookFlags & StateLookMask;
    car.tuning.tcSwitchedOff = lookFlags & StateTcOff ? 1 : 0;
    car.step.lost = driveFlags & StateLost ? 1 : 0;
    const int limit = driveFlags & StatePitLimiter ? GetCarPathHooks().lowestSpeedLimit() : 0;
    car.race.pitSpeedLimit = uint8_t(Clamp(limit, 0, 255));
    w[11] = QuarterWord(driveFlags >> StateClutchShift & 3);
    w[12] = QuarterWord(driveFlags >> StateHandbrakeShift & 3);
    w[0] = uint16_t(GetShort(b + StateSteering));
    w[1] = uint16_t(b[StateThrottle] * 257);
    w[2] = uint16_t(b[StateBrake] * 257);
    const int running = driveFlags & StateEngineRunning ? 1 : 0;
    if (running != (car.engine.running ? 1 : 0)) {
        if (!running) {
            StopEngine(car.engine);
        } else {
            StartEngine(car.engine);
            if (GetCarSoundHooks().isSoundRunning())
                car.step.starterSound = 1;
        }
    }
}

void ApplyRecordSteering(CarObject& car)
{
    CarStepState& s = car.step;
    if (IsDedicatedHost()) {
        s.steerTargetPrevious = s.steerTarget = s.steerTargetNow = s.steerAngle = 0;
        s.steerTargetRate = s.steerRate = 0;
        return;
    }
    const float target = SteerAngleFromWord(car, car.inputs.words[0]);
    if (!car.awake || target == s.steerTarget)
        return;
    s.steerTargetPrevious = s.steerTarget = s.steerTargetNow = s.steerAngle = target;
    s.steerTargetRate = s.steerRate = 0;
}

Vec3 ReadAxis(const uint8_t* p)
{
    const float scale = 1.0f / 32767;
    return {float(int16_t(GetShort(p))) * scale, float(int16_t(GetShort(p + 2))) * scale,
            float(int16_t(GetShort(p + 4))) * scale};
}

Vec3 Normalised(const Vec3& v)
{
    const float length = std::sqrt(LengthSquared(v));
    return length > 0 ? (1 / length) * v : v;
}

// A speed and packed direction as a vector.
Vec3 ReadMotion(const uint8_t* p)
{
    Vec3 direction;
    UnpackStateDirection(uint32_t(GetInt(p + 4)), direction.x, direction.y, direction.z);
    return GetFloat(p) * direction;
}

bool RecordMovesCar(const CarObject& car, const uint8_t* b)
{
    const int32_t raw[3] = {GetInt(b + StatePosition), GetInt(b + StatePosition + 4), GetInt(b + StatePosition + 8)};
    const int32_t own[3] = {car.position.x.raw, car.position.y.raw, car.position.z.raw};
    for (int i = 0; i < 3; i++) {
        const int64_t d = int64_t(raw[i]) - own[i];
        if (d > MoveThreshold || d < -MoveThreshold)
            return true;
    }
    return GetFloat(b + StateSpeed) > MovingSpeed || car.step.speed > MovingSpeed;
}

void ReplaceWheelStates(CarObject& car, const uint8_t* b)
{
    for (int i = 0; i < car.wheelCount && i < MaxCarWheels; i++) {
        Wheel& wheel = car.wheels[i];
        wheel.spinRate = StateWheelSpinValue(GetShort(b + StateWheelSpin + 2 * i));
        wheel.travel = float(b[StateTravel + i]) * wheel.maxTravel * (1.0f / 255);
        UpdateSuspensionGeometry(wheel, car.axles[wheel.axleIndex]);
        wheel.ground = {};
        wheel.rim = {};
        wheel.wheelForce = wheel.rimForce = wheel.patchDisplacement = {};
        wheel.load = wheel.springLoad = wheel.tyreDeflection = 0;
        wheel.longitudinalDeflection = wheel.lateralDeflection = 0;
        wheel.touching = wheel.rimTouching = 0;
    }
}

// The record's pose and motion replace the body's.
void ReplaceBodyState(CarObject& car, const uint8_t* b)
{
    const Vec3 right = Normalised(ReadAxis(b + StateRightAxis));
    const Vec3 up = Normalised(Cross(right, Normalised(ReadAxis(b + StateForwardAxis))));
    const Vec3 forward = Cross(up, right);
    FloatMatrix& m = car.rotation;
    m.m[0] = right.x, m.m[3] = right.y, m.m[6] = right.z;
    m.m[1] = forward.x, m.m[4] = forward.y, m.m[7] = forward.z;
    m.m[2] = up.x, m.m[5] = up.y, m.m[8] = up.z;
    car.predictedRotation = m;
    SetCarPosition(car, {Fixed(GetInt(b + StatePosition)), Fixed(GetInt(b + StatePosition + 4)),
                         Fixed(GetInt(b + StatePosition + 8))});
    car.velocity = ReadMotion(b + StateSpeed);
    car.step.speed = GetFloat(b + StateSpeed);
    // L = R I R^T w.
    const Vec3 omega = ReadMotion(b + StateAngularSpeed);
    car.angularMomentum = Rotate(m, Rotate(car.inertia, RotateByTranspose(m, omega)));
    ReplaceWheelStates(car, b);
}

// The steps since the record was made, simulated again by the car alone.
void ResimulateRemoteCar(CarObject& car, int32_t steps)
{
    const float gravity = GetBodySurroundings().Gravity();
    MutablePhysicsStep.resimulatingCar = 1;
    car.force = car.torque = car.impulse = car.angularImpulse = {};
    for (int32_t i = 0; i < steps; i++) {
        car.PrepareBody(StepSeconds);
        MutablePhysicsStep.contactingCar = &car;
        RunBodyContacts(car, StepSeconds, 0);
        MutablePhysicsStep.contactingCar = nullptr;
        StepCar(car, StepSeconds, gravity);
    }
    MutablePhysicsStep.resimulatingCar = 0;
}

// The car moved along its velocity for the given time. The velocity came
// in a record: the move is held to the 16.16 range and the position wraps
// like every 16.16 sum.
void MoveAlongVelocity(CarObject& car, float seconds)
{
    car.position.x += FixedFromMetres(car.velocity.x * seconds);
    car.position.y += FixedFromMetres(car.velocity.y * seconds);
    car.position.z += FixedFromMetres(car.velocity.z * seconds);
    car.predictedPosition = car.position;
}

void CatchUpWithRecord(CarObject& car, int32_t age)
{
    if (IsDedicatedHost()) {
        if (car.enabled)
            for (int32_t i = 0; i < age; i++)
                ExtrapolateRemoteCar(car);
        return;
    }
    if (car.enabled) {
        ResimulateRemoteCar(car, age);
    } else if (car.net.remoteState != 1) {
        MoveAlongVelocity(car, float(age) * StepSeconds);
    }
}

}  // namespace

bool FreezeStaleRemoteCar(CarObject& car)
{
    const int32_t steps = car.race.stepCounter - car.net.lastRecordStep;
    if (steps <= RemoteFreezeSteps)
        return car.net.remoteState == 1;
    car.net.remoteState = 1;
    car.net.remoteAge = float(steps) * StepSeconds;
    car.enabled = 0;
    return true;
}

void MoveRemoteCarOneStep(CarObject& car)
{
    MoveAlongVelocity(car, StepSeconds);
    UpdateStoppedState(car);
}

void ExtrapolateRemoteCar(CarObject& car)
{
    FreezeStaleRemoteCar(car);
    if (car.enabled)
        MoveRemoteCarOneStep(car);
}

void ApplyCarControlRecord(CarObject& car, const CarStateRecord& record, int32_t recordStep)
{
    const int32_t now = car.race.stepCounter;
    car.net.lastRecordStep = now;
    if (int64_t(now) - car.remoteRecord.recordIgnoreStep < IgnoreAfterResetSteps)
        return;
    const int32_t age = now - recordStep;
    DecideRemoteSimulation(car, age);
    const uint8_t* b = record.bytes;
    ApplyRecordControls(car, b);
    ApplyRecordSteering(car);
    car.engine.speed = StateEngineSpeedValue(GetShort(b + StateEngineSpeed));
    car.engine.turboSpeed = StateTurboSpeedValue(GetShort(b + StateTurboSpeed));
    // A frozen car keeps its place until a fresh record comes.
    const bool replaced = car.net.remoteState != 1 && RecordMovesCar(car, b);
    if (replaced)
        ReplaceBodyState(car, b);
    car.remoteRecord.last = record;
    car.net.remoteAge = age < 1 ? 0.0f : float(age) * StepSeconds;
    if (replaced && age >= 1)
        CatchUpWithRecord(car, age);
    car.remoteRecord.hadRecord = 1;
}
