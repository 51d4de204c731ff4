// The drivetrain: the clutch's torque through gearbox, final drive and the
// centre and axle differentials to the wheels, anti-roll bars, brakes and
// Ackermann steering, the tyre model of each wheel, and the driven wheels'
// rotation fed back to the clutch side. Runs twenty times per step for
// every local car, so it allocates nothing and walks each wheel once.
#include "vehicle/local.h"

namespace {

constexpr int Neutral = 1;
constexpr double HalfPi = std::numbers::pi / 2;

// Arctangent from + - x / only, so that every machine steers alike:
// reduced to |t| <= tan(pi/12), where the odd series to t^11 is exact to
// well below a float's precision.
double ArcTanReduced(double t)
{
    constexpr double Sqrt3 = 1.7320508075688772, Tan15 = 0.2679491924311227;
    double offset = 0;
    if (t > Tan15) {
        t = (t * Sqrt3 - 1) / (t + Sqrt3);
        offset = HalfPi / 3;
    }
    const double t2 = t * t;
    const double series =
        t * (1 - t2 * (1.0 / 3 - t2 * (1.0 / 5 - t2 * (1.0 / 7 - t2 * (1.0 / 9 - t2 * (1.0 / 11))))));
    return offset + series;
}

// The angle of (x, y) seen from the origin, for y >= 0: 0 .. pi.
float AngleTowards(float y, float x)
{
    if (x == 0)
        return static_cast<float>(HalfPi);
    // One division: the smaller of |x| and y over the larger.
    const double across = x < 0 ? -static_cast<double>(x) : x;
    const double a = y > across ? HalfPi - ArcTanReduced(across / y) : ArcTanReduced(y / across);
    return static_cast<float>(x > 0 ? a : 2 * HalfPi - a);
}

// Mean angular speed of an axle's wheels; 0 without wheels.
float MeanSpin(const Axle& axle)
{
    if (axle.leftWheel && axle.rightWheel)
        return 0.5f * (axle.leftWheel->spinRate + axle.rightWheel->spinRate);
    if (axle.leftWheel)
        return axle.leftWheel->spinRate;
    return axle.rightWheel ? axle.rightWheel->spinRate : 0;
}

// The centre split: the torque of each axle (rear, front) from T at the
// gearbox output.
void SplitToAxles(const CarObject& car, float t, float axleTorque[2])
{
    axleTorque[0] = axleTorque[1] = 0;
    if (car.step.gear == Neutral)
        return;
    switch (car.tuning.driveAxles) {
    case 1: axleTorque[0] = t; break;
    case 2: axleTorque[1] = t; break;
    case 3: {
        axleTorque[0] = 0.5f * t * car.tuning.torqueShare[0];
        axleTorque[1] = 0.5f * t * car.tuning.torqueShare[1];
        if (car.data.setup && car.data.setup->centreDiff == 1) {
            const float v = (MeanSpin(car.axles[1]) - MeanSpin(car.axles[0])) * car.data.setup->centreViscous;
            axleTorque[0] += v;
            axleTorque[1] -= v;
        }
        break;
    }
    default: break;
    }
}

// The axle differential: the two wheels' shares of the axle torque.
void SplitAcrossAxle(const SetupAxle& block, float axleTorque, float dt, Wheel& first, Wheel& second)
{
    const float d = 0.5f * axleTorque;
    switch (block.diffType) {
    case 2: {
        const float e = (second.spinRate - first.spinRate) * block.viscousTorque;
        first.driveTorque = d + e;
        second.driveTorque = d - e;
        return;
    }
    case 3: {
        float e = d >= 0 ? d * block.powerLocking * 0.01f : d * block.coastLocking * -0.01f;
        // The second wheel counts as the faster when both turn alike.
        Wheel& faster = first.spinRate > second.spinRate ? first : second;
        Wheel& slower = &faster == &first ? second : first;
        if (block.preload) {
            e += 5.0f * block.preload;
            // No more than the torque that brings the two together within
            // the step.
            if (dt > 0) {
                const float gap = faster.spinRate - slower.spinRate;
                const float limit = gap * faster.wheelInertia * 0.5f / dt;
                if (e > limit)
                    e = limit;
            }
        }
        faster.driveTorque = d - e;
        slower.driveTorque = d + e;
        return;
    }
    default:  // 0 open, 1 locked (a locked axle turns as one, see below)
        first.driveTorque = d;
        second.driveTorque = d;
        return;
    }
}

float WrapAngle(float a)
{
    while (a > Pi)
        a -= 2 * Pi;
    while (a < -Pi)
        a += 2 * Pi;
    return a;
}

} // namespace

float AckermannAngle(const CarObject& car, const Wheel& wheel)
{
    const float lateral = wheel.mountPosition.x;
    switch (car.step.turnDirection) {
    case 1: return AngleTowards(car.tuning.wheelbase, lateral + car.step.turnRadius);
    case 2: return -AngleTowards(car.tuning.wheelbase, car.step.turnRadius - lateral);
    default: return 0;
    }
}

namespace {

// The gearbox's output through the centre differential to the axles, and
// each axle's anti-roll bar and differential to its wheels.
void DriveAxles(CarObject& car, float dt)
{
    const CarSetup* setup = car.data.setup;
    float axleTorque[2];
    SplitToAxles(car, car.tuning.driveEfficiency * car.engine.clutchTorque * car.step.totalRatio, axleTorque);
    for (int a = 0; a < 2; a++) {
        Axle& axle = car.axles[a];
        const bool driven = (car.tuning.driveAxles >> a) & 1;
        if (axle.leftWheel && axle.rightWheel) {
            Wheel& first = *axle.leftWheel;
            Wheel& second = *axle.rightWheel;
            const float f = (second.travel - first.travel) * car.tuning.liveAntiRoll[a];
            first.springOffset = f;
            second.springOffset = -f;
            if (!driven || !setup)
                first.driveTorque = second.driveTorque = 0;
            else if (axle.present)
                SplitAcrossAxle(setup->axles[a], axleTorque[a], dt, first, second);
            else
                first.driveTorque = axleTorque[a], second.driveTorque = 0;
        } else if (Wheel* single = axle.leftWheel ? axle.leftWheel : axle.rightWheel) {
            // One wheel takes its axle's whole torque.
            single->driveTorque = driven ? axleTorque[a] : 0;
        }
    }
}

// Each wheel: its travel, steering, brake and the wings' load, then the
// wheels' frames side by side, then each tyre. Returns the driven wheels'
// turn weighted by their axles' torque shares.
float DriveEachWheel(CarObject& car, float dt, float inverseDt, int fullStep, float gravity)
{
    const CarSetup* setup = car.data.setup;
    const float parallel = setup ? setup->parallelSteer * 0.01f : 0;
    const float handbrakeTorque = setup ? setup->maxBrakeTorque * car.step.handbrake : 0;
    const int count = car.wheelCount < MaxCarWheels ? car.wheelCount : MaxCarWheels;
    TyreStepInput inputs[MaxCarWheels];
    Vec3 loads[MaxCarWheels];
    Vec3 hubPositions[MaxCarWheels];
    TyreFrame frames[MaxCarWheels];
    for (int i = 0; i < count; i++) {
        Wheel& wheel = car.wheels[i];
        const Axle& axle = car.axles[wheel.axleIndex];
        if (!fullStep && wheel.suspensionType != 0) {
            wheel.travel += dt * wheel.travelRate;
            if (wheel.travel < 0) {
                wheel.travel = 0;
                wheel.travelRate = 0;
            } else if (wheel.travel > wheel.maxTravel) {
                wheel.travel = wheel.maxTravel;
                wheel.travelRate = 0;
            }
            UpdateSuspensionGeometry(wheel, axle);
        }
        float steer = 0;
        if (wheel.axleIndex == 1)
            steer = AckermannAngle(car, wheel) * (1 - parallel) + parallel * car.step.steerAngle;
        wheel.steerAngle = steer + wheel.toe * wheel.side;

        float brake = wheel.brakeTorque * car.step.brake * car.step.brakeHelpShare[wheel.axleIndex == 1 ? 1 : 0] + 0.1f;
        if (wheel.axleIndex == 0)
            brake += handbrakeTorque;

        // The wing's downforce on the wheels: half of the axle's wing share
        // each (wing 0 rear, wing 1 front).
        Vec3& load = loads[i];
        load = {};
        const AeroPoint& wing = car.aero[wheel.axleIndex];
        if (wing.flags & (AeroFrontLoadToWheels | AeroRearLoadToWheels))
            load = 0.5f * wing.wheelShare;

        wheel.wheelTorque = wheel.driveTorque;
        TyreStepInput& input = inputs[i];
        input.car = &car;
        wheel.hubTurned = Rotate(car.rotation, wheel.hubPoint);
        input.hubPosition = wheel.hubTurned + car.displacement;
        hubPositions[i] = input.hubPosition;
        input.brakeTorque = brake;
        input.alignTorque = fullStep ? nullptr : &car.step.alignTorque;
        input.h = dt;
        input.inverseH = inverseDt;
        input.gravity = gravity;
        input.remote = car.net.remote;
        input.frame = &frames[i];
    }
    PlaceTyreFrames(car.wheels, count, car.rotation, hubPositions, frames);
    float drivenRotation = 0;
    for (int i = 0; i < count; i++) {
        Wheel& wheel = car.wheels[i];
        ComputeTyreForces(wheel, car.axles[wheel.axleIndex], inputs[i], loads[i]);
        if (wheel.driven)
            drivenRotation += wheel.spinStep * car.tuning.torqueShare[wheel.axleIndex];
    }
    if (car.tuning.brakeHelp && !car.net.remote)
        CheckWheelLock(car, dt);
    return drivenRotation;
}

// The wheels of a solid axle turn as one.
void TurnSolidAxles(CarObject& car)
{
    for (Axle& axle : car.axles) {
        if (!axle.solid || !axle.leftWheel || !axle.rightWheel)
            continue;
        Wheel& l = *axle.leftWheel;
        Wheel& r = *axle.rightWheel;
        const float rate = 0.5f * (l.spinRate + r.spinRate);
        const float step = 0.5f * (l.spinStep + r.spinStep);
        l.spinRate = r.spinRate = rate;
        l.spinStep = r.spinStep = step;
        l.spinAngle = WrapAngle(l.spinAngle + step);
        r.spinAngle = WrapAngle(r.spinAngle + step);
    }
}

// The driven wheels' mean turn back through the gearbox to the clutch side
// (and, in one full step with the clutch in, to the engine). A car without
// driven wheels turns nothing.
void TurnGearboxFromWheels(CarObject& car, float drivenRotation, float inverseDt, int fullStep)
{
    const float t = car.tuning.drivenWheels > 0 ? drivenRotation / static_cast<float>(car.tuning.drivenWheels) : 0;
    const float output = t * inverseDt * car.tuning.finalDrive;
    car.step.outputSpeed = output < 0 ? -output : output;
    EngineRecord& engine = car.engine;
    if (car.step.gear == Neutral) {
        engine.clutchAngle = engine.crankAngle;
        return;
    }
    const float turn = t * car.step.totalRatio;
    engine.clutchAngle += turn;
    car.step.wheelEngineSpeed = turn * inverseDt;
    if (fullStep && engine.clutchPedal < 0.5f) {
        // The engine is locked to the wheels.
        engine.crankAngle += turn;
        engine.speed = car.step.wheelEngineSpeed > 0 ? car.step.wheelEngineSpeed : 0;
    }
}

} // namespace

void DriveWheels(CarObject& car, float dt, int fullStep, float gravity)
{
    // Nothing moves in no time (and 1 / dt below would not exist); the
    // hubs are still placed for the sums of the forces.
    if (!(dt > 0)) {
        for (int i = 0; i < car.wheelCount; i++)
            car.wheels[i].hubTurned = Rotate(car.rotation, car.wheels[i].hubPoint);
        return;
    }
    // The caller adds this sub-step's aligning torque to the step's sum.
    car.step.alignTorque = 0;
    DriveAxles(car, dt);
    const float inverseDt = 1 / dt;
    const float drivenRotation = DriveEachWheel(car, dt, inverseDt, fullStep, gravity);
    TurnSolidAxles(car);
    TurnGearboxFromWheels(car, drivenRotation, inverseDt, fullStep);
}
