// The car step's rules: the air on the aero points, the steering column, a
// bike's balance, the driver aids (pit limiter, brake ramp, anti-lock,
// automatic clutch), the lights and requests, the impact list, the distance
// and fuel report, remote cars between records, skid marks and particles;
// and a generated car that settles on flat ground and drives off.
#include <gtest/gtest.h>

#include <cfenv>
#include <cmath>
#include <cstring>
#include <string>
#include <type_traits>
#include <vector>

#include "car_fixture.h"
#include "physics_fixture.h"
#include "vehicle/local.h"

namespace {

constexpr float Pi = 3.14159265f;

// A car record without car data: only what each rule reads is set.
struct BareCar {
    CarObject car;
    CarSetup setup;
    BareCar()
    {
        setup.maxLock = 30;
        car.data.setup = &setup;
        car.mass = 1000;
        car.rotation = FloatMatrix{{1, 0, 0, 0, 1, 0, 0, 0, 1}};
        for (int i = 0; i < 9; ++i)
            car.inverseInertia.m[i] = (i % 4 == 0) ? 0.001f : 0.0f;
    }
};

// Fresh tables and floating-point traps, as every physics test.
class CarRuleTest : public PhysicsTest {};

// ---------------------------------------------------------------------------
// Aerodynamics: still air gives nothing, air from behind only side drag, and
// a wing in a head wind lift and drag by the wing's curves (computed here
// with the library's sine and cosine).

TEST_F(CarRuleTest, AeroPointsFollowTheAirOverThem)
{
    struct Case {
        const char* name;
        Vec3 velocity, wind;
        int point;  // 0 a wing, 2 a body point
    };
    const Case cases[] = {
        {"at rest in still air, wing", {0, 0, 0}, {0, 0, 0}, 0},
        {"at rest in still air, body", {0, 0, 0}, {0, 0, 0}, 2},
        {"wind from behind, wing", {0, 0, 0}, {0, 12, 0}, 0},
        {"reversing, body", {0, -10, 0}, {0, 0, 0}, 2},
        {"head wind, wing", {0, 20, 0}, {0, 0, 0}, 0},
        {"head wind, body", {0, 20, 0}, {0, 0, 0}, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        BareCar bare;
        CarObject& car = bare.car;
        AeroPoint& point = car.aero[c.point];
        point.flags = AeroPresent;
        point.wingAngle = 0.2f;
        point.liftFactor = -0.5f;
        point.dragFactor = 0.3f;
        point.sideDrag = 0.4f;
        point.lift = -0.25f;
        point.drag = 0.35f;
        point.position = {0, -1.5f, 0.8f};
        point.airVelocity = c.wind;
        car.velocity = c.velocity;
        ComputeAeroForces(car);

        const Vec3 r = c.velocity - c.wind;
        const float r2 = LengthSquared(r);
        Vec3 expected;
        if (r2 > 0.001f) {
            const Vec3 n = (1.0f / std::sqrt(r2)) * r;
            if (n.y <= 0) {
                expected = (-point.sideDrag * r2) * n;  // side drag alone, no lift
            } else {
                double cl = point.lift, cd = point.drag;
                if (c.point == 0) {
                    const double b = 2.0 * 0.2;  // angle of attack 0 in a level head wind
                    cl = (std::sin(b) * 1.03923 + 0.1) * point.liftFactor;
                    cd = ((1 - std::cos(b)) * 1.8 + 0.1) * point.dragFactor;
                }
                expected = {0, float(-cd * r2), float(cl * r2)};  // lift along up, drag against the air
            }
        }
        EXPECT_NEAR(point.force.x, expected.x, 1e-3f);
        EXPECT_NEAR(point.force.y, expected.y, 1e-3f * (1 + std::fabs(expected.y)));
        EXPECT_NEAR(point.force.z, expected.z, 1e-3f * (1 + std::fabs(expected.z)));
        EXPECT_NEAR(car.step.aeroForce.y, expected.y, 1e-3f * (1 + std::fabs(expected.y)));
        // The torque is the force's moment about the car's origin.
        const Vec3 moment = Cross(point.position, point.force);
        EXPECT_NEAR(car.step.aeroTorque.x, moment.x, 1e-3f * (1 + std::fabs(moment.x)));
    }
}

TEST_F(CarRuleTest, WingLoadForTheWheelsLeavesTheBody)
{
    BareCar bare;
    CarObject& car = bare.car;
    AeroPoint& wing = car.aero[1];
    wing.flags = AeroPresent | AeroFrontLoadToWheels;
    wing.wingAngle = 0.2f;
    wing.liftFactor = -1;
    wing.dragFactor = 0.2f;
    car.velocity = {0, 30, 0};
    ComputeAeroForces(car);
    EXPECT_EQ(wing.force.z, 0.0f);
    EXPECT_LT(wing.wheelShare.z, -100.0f);  // downforce
    EXPECT_LT(wing.force.y, 0.0f);          // the drag stays on the body
}

// ---------------------------------------------------------------------------
// Steering.

TEST_F(CarRuleTest, SteeringColumnAtFullLockHoldsThereWithZeroRate)
{
    struct Case {
        float angle, target, targetRate, rate;  // angle and target in locks
    };
    const Case cases[] = {
        {1, 1, 0, 0}, {1, 1, 0, 5}, {1, 1, 3, 0}, {-1, -1, 0, -5}, {-1, -1, -3, 0}, {0.99f, 1, 0, 40},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.angle << " " << c.target << " " << c.rate);
        BareCar bare;
        CarObject& car = bare.car;
        const float lock = 30 * Pi / 180;
        car.data.carClass = 4;
        car.tuning.steerInertia = 1;
        car.tuning.steerStiffness = 600;
        car.tuning.steerDamping = 6;
        car.tuning.wheelbase = 2.5f;
        car.step.steerAngle = c.angle * lock;
        car.step.steerTargetNow = c.target * lock;
        car.step.steerTargetRate = c.targetRate;
        car.step.steerRate = c.rate;
        for (int k = 0; k < 20; ++k)
            StepSteering(car, 0.0005f);
        EXPECT_FLOAT_EQ(car.step.steerAngle, c.target * lock);
        EXPECT_EQ(car.step.steerRate, 0.0f);
        EXPECT_EQ(car.step.turnDirection, c.target > 0 ? 1 : 2);
        EXPECT_NEAR(car.step.turnRadius, 2.5 / std::tan(double(lock)), 1e-4);
    }
}

TEST_F(CarRuleTest, SteeringWordGivesTheAngleAtTheSetupsLock)
{
    BareCar bare;
    const float lock = 30 * Pi / 180;
    EXPECT_EQ(SteerAngleFromWord(bare.car, 32768), 0.0f);
    EXPECT_FLOAT_EQ(SteerAngleFromWord(bare.car, 0), lock);        // left
    EXPECT_FLOAT_EQ(SteerAngleFromWord(bare.car, 49152), -lock / 2);  // right
    bare.car.step.steerTargetNow = 0;
    SetSteeringDirect(bare.car);
    EXPECT_EQ(bare.car.step.turnDirection, 0);
    // Turn radius: wheelbase / tan(angle), either way round.
    bare.car.tuning.wheelbase = 2.6f;
    for (float angle : {0.0001f, 0.01f, 0.3f, -0.5f, 0.785f, 1.2f}) {
        bare.car.step.steerTargetNow = angle;
        SetSteeringDirect(bare.car);
        EXPECT_EQ(bare.car.step.steerAngle, angle);
        EXPECT_EQ(bare.car.step.steerRate, 0.0f);
        EXPECT_EQ(bare.car.step.turnDirection, angle > 0 ? 1 : 2);
        const double expected = 2.6 / std::tan(std::fabs(double(angle)));
        EXPECT_NEAR(bare.car.step.turnRadius, expected, 1e-6 * expected) << angle;
    }
}

TEST_F(CarRuleTest, BikeBalanceHoldsABikeUprightBelowFourMetresASecond)
{
    struct Case {
        int carClass;
        float speed, lean;  // lean: the right axis's vertical part
        float expected;     // torque about the forward axis
    };
    const Case cases[] = {
        {0, 0, 0.2f, 2500 * 0.2f},   {0, 2, 0.2f, 2500 * 0.2f * 0.5f}, {0, 4, 0.2f, 0},
        {0, 6, 0.2f, 0},             {0, 1, 0.6f, 0},  // lying over: no torque
        {3, 0, 0.2f, 0},             // not a bike
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.carClass << " " << c.speed << " " << c.lean);
        BareCar bare;
        CarObject& car = bare.car;
        car.data.carClass = c.carClass;
        car.step.speed = c.speed;
        // Rolled about the forward axis so that the right axis rises by lean.
        const float up = std::sqrt(1 - c.lean * c.lean);
        car.rotation = FloatMatrix{{up, 0, -c.lean, 0, 1, 0, c.lean, 0, up}};
        const Vec3 t = BikeBalanceTorque(car);
        EXPECT_NEAR(t.y, c.expected, 1e-3f);
        EXPECT_EQ(t.x, 0.0f);
        EXPECT_EQ(t.z, 0.0f);
    }
}

// ---------------------------------------------------------------------------
// Driver aids.

TEST_F(CarRuleTest, PitLimiterOpensFullyToSevenEighthsOfTheLimitAndShutsAtIt)
{
    struct Case {
        float kmh, throttle;
    };
    const Case cases[] = {{0, 1}, {50, 1}, {52.5f, 1}, {56.25f, 0.5f}, {60, 0}, {80, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.kmh);
        BareCar bare;
        CarObject& car = bare.car;
        car.race.pitSpeedLimit = 60;
        car.step.speed = c.kmh / 3.6f;
        car.inputs.words[1] = 65535;
        for (int step = 0; step < 10; ++step)
            StepThrottleAndClutch(car, 0, 0.01f);
        EXPECT_NEAR(car.engine.throttle, c.throttle, 1e-4f);
    }
    // Without a limit the throttle follows the pedal at any speed.
    BareCar free;
    free.car.step.speed = 80;
    free.car.inputs.words[1] = 65535;
    for (int step = 0; step < 10; ++step)
        StepThrottleAndClutch(free.car, 0, 0.01f);
    EXPECT_EQ(free.car.engine.throttle, 1.0f);
}

TEST_F(CarRuleTest, PedalsRampByAFifthPerStep)
{
    BareCar bare;
    CarObject& car = bare.car;
    car.inputs.words[2] = 65535;
    car.inputs.words[1] = 65535;
    for (int step = 1; step <= 5; ++step) {
        StepBrakes(car, 0.01f);
        StepThrottleAndClutch(car, 1, 0.01f);
        if (step < 5) {
            EXPECT_NEAR(car.step.brake, 0.2f * step, 1e-5f);
            EXPECT_LT(car.engine.throttle, 1.0f);
        }
    }
    EXPECT_EQ(car.step.brake, 1.0f);
    EXPECT_EQ(car.engine.throttle, 1.0f);
    EXPECT_EQ(car.engine.clutchPedal, 1.0f);
    car.inputs.words[2] = 0;
    StepBrakes(car, 0.01f);
    EXPECT_NEAR(car.step.brake, 0.8f, 1e-6f);
}

// The brake help works on each axle in every sub-step: an axle counts as
// locked once both its wheels slip past their grip's peak (or leave the
// ground); its brake share then falls at 20 per second, never below a
// third, and climbs back at 10 per second while a wheel grips. Below 5 m/s
// or with the foot off the brake nothing is eased; without the help the
// shares are full.
TEST_F(CarRuleTest, AntiLockEasesTheLockedAxleInEverySubStep)
{
    constexpr float SubStep = 0.0005f;
    BareCar bare;
    CarObject& car = bare.car;
    Wheel wheels[4];
    for (int i = 0; i < 4; ++i) {
        wheels[i].axleIndex = i / 2;
        wheels[i].touching = 1;
        wheels[i].curveSlip = 0.1f;
    }
    car.wheels = wheels;
    car.wheelCount = 4;
    car.tuning.brakeHelp = 1;
    car.step.speed = 20;
    car.step.brake = 1;
    const auto setSlip = [&](int axle, float slip) {
        for (Wheel& wheel : wheels)
            if (wheel.axleIndex == axle)
                wheel.combinedSlip = slip;
    };
    // Below the peak on both axles, or past it on one wheel of an axle
    // only: both shares stay full.
    setSlip(0, 0.09f);
    setSlip(1, 0.09f);
    wheels[2].combinedSlip = 0.15f;
    CheckWheelLock(car, SubStep);
    EXPECT_EQ(car.step.brakeHelpShare[0], 1.0f);
    EXPECT_EQ(car.step.brakeHelpShare[1], 1.0f);
    EXPECT_EQ(car.step.antiLockTimer, 0.0f);
    // Both front wheels past the peak: only the front share falls, by 20
    // per second, and the timer shows the help at work.
    setSlip(1, 0.15f);
    CheckWheelLock(car, SubStep);
    EXPECT_NEAR(car.step.brakeHelpShare[1], 1 - 20 * SubStep, 1e-6f);
    EXPECT_EQ(car.step.brakeHelpShare[0], 1.0f);
    EXPECT_NEAR(car.step.antiLockTimer, 0.2f, 1e-6f);
    // Held locked, it never goes below a third.
    for (int s = 0; s < 200; ++s)
        CheckWheelLock(car, SubStep);
    EXPECT_NEAR(car.step.brakeHelpShare[1], 0.333f, 1e-6f);
    // Gripping again: back to full at 10 per second.
    setSlip(1, 0.05f);
    int subSteps = 0;
    while (car.step.brakeHelpShare[1] < 1.0f && subSteps < 1000) {
        CheckWheelLock(car, SubStep);
        ++subSteps;
    }
    EXPECT_NEAR(subSteps, 0.667f / (10 * SubStep), 2);
    // Wheels off the ground count as locked, but not below 5 m/s nor with
    // the foot off the brake.
    for (Wheel& wheel : wheels)
        wheel.touching = 0;
    car.step.speed = 4;
    CheckWheelLock(car, SubStep);
    EXPECT_EQ(car.step.brakeHelpShare[0], 1.0f);
    car.step.speed = 6;
    car.step.brake = 0;
    CheckWheelLock(car, SubStep);
    EXPECT_EQ(car.step.brakeHelpShare[0], 1.0f);
    car.step.brake = 1;
    CheckWheelLock(car, SubStep);
    EXPECT_LT(car.step.brakeHelpShare[0], 1.0f);
    // With the help switched off the brakes step restores full shares.
    car.tuning.brakeHelp = 0;
    StepBrakes(car, 0.01f);
    EXPECT_EQ(car.step.brakeHelpShare[0], 1.0f);
    EXPECT_EQ(car.step.brakeHelpShare[1], 1.0f);
    car.wheels = nullptr;
    car.wheelCount = 0;
}

// Traction control with 6 % slip allowed from 10 m/s: the engine turning
// the front wheels' speed up to 6 % fast keeps the throttle; the cut grows
// over the next 3 % to all of it, and below 15 m/s it is scaled down to
// nothing at 10 m/s. Without a turning front wheel or an active step it
// does nothing.
TEST_F(CarRuleTest, TractionControlCutsTheThrottleByTheDrivenWheelsSlip)
{
    struct Case {
        const char* name;
        float engineOverWheels;  // engine speed over what the front wheels imply
        float speed, frontSpin;
        int active;
        float factor;            // the traction control factor left
    };
    const Case cases[] = {
        {"within the slip", 1.05f, 20, 50, 1, 1},
        {"halfway into the cut", 1.075f, 20, 50, 1, 0.5f},
        {"past the cut", 1.2f, 20, 50, 1, 0},
        {"slow: the cut scaled by half", 1.2f, 12.5f, 50, 1, 0.5f},
        {"front wheels still", 1.2f, 20, 0, 1, 1},
        {"not active this step", 1.2f, 20, 50, 0, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        BareCar bare;
        CarObject& car = bare.car;
        bare.setup.tcSlip = 60;
        bare.setup.tcMinSpeed = 10;
        Wheel wheels[4];
        for (int i = 0; i < 4; ++i) {
            wheels[i].axleIndex = i / 2;
            wheels[i].spinRate = i / 2 == 1 ? c.frontSpin : 3 * c.frontSpin;
        }
        car.wheels = wheels;
        car.wheelCount = 4;
        car.step.tcActive = static_cast<uint8_t>(c.active);
        car.step.speed = c.speed;
        car.step.totalRatio = 10;
        car.step.tcFactor = 1;
        car.step.throttleBeforeTc = 0.8f;
        car.engine.throttle = 0.8f;
        car.engine.speed = c.engineOverWheels * (c.frontSpin > 0 ? c.frontSpin : 50) * 10;
        ApplyTractionControl(car, 1.0f);
        EXPECT_NEAR(car.step.tcFactor, c.factor, 1e-4f);
        EXPECT_NEAR(car.engine.throttle, 0.8f * c.factor, 1e-4f);
        car.wheels = nullptr;
        car.wheelCount = 0;
    }
}

// Engine brake reduction of 30 %: off the clutch in a forward gear the
// throttle opens to 0.3 of the friction torque over the full-throttle
// torque at the engine's speed; it does nothing when the car data does not
// fit it, in a step with a traction cut, in neutral, with the clutch
// pressed or at 0 %, and never closes an open throttle.
TEST_F(CarRuleTest, EngineBrakeReductionOpensTheThrottleByItsShareOfTheFriction)
{
    struct Case {
        const char* name;
        int32_t tcWord;
        float tcFactor;
        int gear;
        float clutch, throttle;
        uint8_t percent;
        bool reduces;
    };
    const Case cases[] = {
        {"fitted, coasting in third", 4, 1, 4, 0, 0, 30, true},
        {"not fitted", 1, 1, 4, 0, 0, 30, false},
        {"a traction cut this step", 5, 0.5f, 4, 0, 0, 30, false},
        {"neutral", 4, 1, 1, 0, 0, 30, false},
        {"clutch pressed", 4, 1, 4, 0.5f, 0, 30, false},
        {"set to 0 %", 4, 1, 4, 0, 0, 0, false},
        {"throttle already open", 4, 1, 4, 0, 0.9f, 30, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        BareCar bare;
        CarObject& car = bare.car;
        EngineRecord& e = car.engine;
        SetDefaultEngine(e);
        e.displacement = 1600;
        e.cylinders = 4;
        e.torqueFactor = 0.8f;
        e.revRangeFactor = 0.8f;
        e.peakSpeedFactor = 0.5f;
        e.maxSpeed = 740;
        SetUpEngine(e, CarClassTable[1]);
        e.speed = 0.6f * e.maxSpeed;
        car.data.tractionControl = c.tcWord;
        bare.setup.engineBrakeReduction = c.percent;
        car.step.tcFactor = c.tcFactor;
        car.step.gear = c.gear;
        car.engine.clutchPedal = c.clutch;
        car.engine.throttle = c.throttle;
        const float full = EngineTorqueAt(car.engine, car.engine.speed);
        const float friction = EngineFrictionAt(car.engine, car.engine.speed);
        ASSERT_GT(full, 1.0f);
        ASSERT_NE(friction, 0.0f);
        ReduceEngineBraking(car);
        EXPECT_NEAR(car.engine.throttle, c.reduces ? std::fabs(friction) * 0.3f / full : c.throttle, 1e-6f);
    }
}

TEST_F(CarRuleTest, AutomaticClutchEngagesBetweenOneAndAQuarterIdleAndTheBitePoint)
{
    struct Case {
        float throttleWord, speedInIdles, demand;
    };
    // Idle 100 rad/s, peak torque at 400 rad/s: full throttle lets the
    // clutch out fully at max(150, 0.667 x 400 = 266.8).
    const Case cases[] = {
        {1, 0.5f, 1}, {1, 1.2f, 1}, {1, 1.25f, 1}, {1, (125 + 266.8f) / 200, 0.5f}, {1, 2.668f, 0},
        {1, 4, 0},    {0, 1.25f, 1}, {0, 1.375f, 0.5f}, {0, 1.5f, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.throttleWord << " " << c.speedInIdles);
        BareCar bare;
        CarObject& car = bare.car;
        car.engine.idleSpeed = 100;
        car.engine.maxTorqueSpeed = 400;
        car.engine.speed = c.speedInIdles * 100;
        car.inputs.words[1] = uint16_t(c.throttleWord * 65535);
        EXPECT_NEAR(AutoClutchDemand(car), c.demand, 1e-4f);
    }
    // No idle speed: no division, the clutch is let out.
    BareCar odd;
    odd.car.engine.speed = 10;
    EXPECT_EQ(AutoClutchDemand(odd.car), 0.0f);
}

// ---------------------------------------------------------------------------
// Lights and requests.

TEST_F(CarRuleTest, HazardLightsBlinkBothLampsHalfASecondOnAndOff)
{
    BareCar bare;
    CarObject& car = bare.car;
    float left = -1, right = -1;
    car.lamps.lightSwitches[LeftIndicatorSwitch].targets[0] = &left;
    car.lamps.lightSwitches[RightIndicatorSwitch].targets[0] = &right;
    car.lamps.lightSwitches[LeftIndicatorSwitch].onValue = car.lamps.lightSwitches[RightIndicatorSwitch].onValue = 0.9f;
    car.inputs.words[13] = 4;
    HandlePlayerRequests(car, 0);
    EXPECT_EQ(car.lamps.indicatorMode, 3);
    EXPECT_EQ(car.inputs.words[13], 0);
    for (int ms = 10; ms <= 2000; ms += 10) {
        UpdateBlinkers(car);
        const bool on = (ms % 1000) < 500;
        ASSERT_EQ(left, on ? 0.9f : 0.0f) << ms << " ms";
        ASSERT_EQ(right, on ? 0.9f : 0.0f) << ms << " ms";
    }
    // Off: both lamps out, and they stay out.
    car.inputs.words[13] = 1;
    HandlePlayerRequests(car, 0);
    for (int ms = 0; ms < 1500; ms += 10)
        UpdateBlinkers(car);
    EXPECT_EQ(left, 0.0f);
    EXPECT_EQ(right, 0.0f);
}

TEST_F(CarRuleTest, RequestsActOnceAndOnlyWhereTheCarHasTheFeature)
{
    struct Case {
        const char* name;
        int word, carClass, dataFlags, tc;
        bool running, expectRunning;
        int expectLimit, expectTcOff;
    };
    const Case cases[] = {
        {"ignition starts an engine", 5, 4, 0, 0, false, true, 0, 0},
        {"ignition stops a running one", 5, 4, 0, 0, true, false, 0, 0},
        {"class 10 has no starter motor", 5, 10, 0, 0, false, false, 0, 0},
        {"no pit limiter fitted", 16, 4, 0, 0, false, false, 0, 0},
        {"limiter but no speed zone", 16, 4, 1 << 30, 0, false, false, 0, 0},
        {"traction control fitted", 17, 4, 0, 1, false, false, 0, 1},
        {"no traction control", 17, 4, 0, 0, false, false, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        BareCar bare;
        CarObject& car = bare.car;
        SetDefaultEngine(car.engine);
        car.data.carClass = c.carClass;
        car.data.dataFlags = c.dataFlags;
        car.data.tractionControl = c.tc;
        car.step.restCounter = 50;
        car.race.stepCounter = 77;
        if (c.running)
            StartEngineAtIdle(car.engine);
        car.inputs.words[c.word] = 1;
        HandlePlayerRequests(car, 0);
        EXPECT_EQ(car.inputs.words[c.word], 0);
        EXPECT_EQ(car.engine.running != 0, c.expectRunning);
        EXPECT_EQ(car.race.pitSpeedLimit, c.expectLimit);
        EXPECT_EQ(car.tuning.tcSwitchedOff, c.expectTcOff);
        EXPECT_EQ(car.step.restCounter, 0);
        EXPECT_EQ(car.step.activityStep, 77);
    }
}

// ---------------------------------------------------------------------------
// Impacts and the distance and fuel report.

TEST_F(CarRuleTest, AFullImpactListKeepsTheStrongest)
{
    auto entry = [](int point, int strength) { return uint32_t(point) | uint32_t(strength) << 8; };
    struct Case {
        const char* name;
        uint32_t added;
        int expectedResult;
        int droppedPoint;  // the held entry that went, -1 none
    };
    // Held: point i with strength 100 + i, except point 5 with 40 and
    // point 9 with 40 (the first of equals goes).
    const Case cases[] = {
        {"weaker than all", entry(20, 30), 0, -1},
        {"equal to the weakest", entry(20, 40), 0, -1},
        {"stronger than the weakest", entry(20, 41), 1, 5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        BareCar bare;
        CarObject& car = bare.car;
        for (int i = 0; i < MaxCarImpacts; ++i)
            ASSERT_EQ(AddCarImpact(car, entry(i, i == 5 || i == 9 ? 40 : 100 + i)), 1);
        EXPECT_EQ(AddCarImpact(car, c.added), c.expectedResult);
        ASSERT_EQ(car.step.impactCount, MaxCarImpacts);
        std::vector<uint32_t> expected;
        for (int i = 0; i < MaxCarImpacts; ++i)
            if (i != c.droppedPoint)
                expected.push_back(entry(i, i == 5 || i == 9 ? 40 : 100 + i));
        if (c.droppedPoint >= 0)
            expected.push_back(c.added);
        EXPECT_EQ(std::vector<uint32_t>(car.step.impacts, car.step.impacts + MaxCarImpacts), expected);
    }
}

TEST_F(CarRuleTest, HardNewContactsDentTheCarInProportionToTheirDepth)
{
    struct Case {
        const char* name;
        float depth, forceN, otherStiffness;  // otherStiffness 0: the ground
        int strength;                         // 0: no impact
    };
    // Half wheelbase 1.3 m; the point 2 m ahead of the centre of mass may be
    // dented by at most 0.24 m.
    const Case cases[] = {
        {"5 cm into a wall", 0.05f, 20000, 0, 10},           // round(0.05 x 255 / 1.3)
        {"light touch", 0.05f, 5000, 0, 0},                  // below the car's weight
        {"deep: held at 0.12 of the distance", 0.4f, 20000, 0, 47},
        {"against an equally stiff car", 0.05f, 20000, 300000, 5},
        {"a scratch", 0.001f, 20000, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CarObject car;
        ConstructCar(car);
        car.mass = 1000;
        car.tuning.wheelbase = 2.6f;
        car.stiffness = 300000;
        car.pointCount = 1;
        car.points = new ContactPoint[1];
        InitContactPoint(car.points[0]);
        ContactPoint& point = car.points[0];
        point.local = {0, 2, 0};
        point.state = 2;
        point.normal = {0, -1, 0};
        point.force = c.forceN * point.normal;
        point.lastDepth = c.depth;
        PlainBody other;
        other.stiffness = c.otherStiffness;
        point.query.hitBody = c.otherStiffness > 0 ? &other : nullptr;
        ApplyImpactDamage(car, 0);
        EXPECT_EQ(point.state, 3);
        if (c.strength == 0) {
            EXPECT_EQ(car.step.impactCount, 0);
        } else {
            ASSERT_EQ(car.step.impactCount, 1);
            EXPECT_EQ(car.step.impacts[0], uint32_t(c.strength) << 8 | PackCarImpactDirection({0, -1, 0}) << 16);
        }
        // Taken once: the contact is no longer new.
        ApplyImpactDamage(car, 0);
        EXPECT_EQ(car.step.impactCount, c.strength ? 1 : 0);
        DestroyCar(car);
    }
}

TEST_F(CarRuleTest, DistanceAndFuelAreReportedInWholeUnitsWithTheRestKept)
{
    struct Case {
        const char* name;
        float metres, litres;
        bool report;
        int reportedFuel, reportedMetres;
        float keptMetres, keptFuelUnits;
    };
    const Case cases[] = {
        {"below both", 2000, 1.5f, false, 0, 0, 2000, 150},
        {"2500 m", 2500, 0, true, 0, 2048, 452, 0},
        {"2.5 litres", 100, 2.5f, true, 192, 100, 0, 58},
        {"far beyond: dropped", 5000, 0.5f, true, 50, 0, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        BareCar bare;
        CarObject& car = bare.car;
        car.displacement = {c.metres, 0, 0};
        car.step.fuelUsed = c.litres;
        car.CommitBodyMove();
        EXPECT_NEAR(car.race.odometer, c.metres, 1e-3f * c.metres);
        EXPECT_EQ(car.position.x.raw, FixedFromMetres(c.metres).raw);
        if (c.report) {
            EXPECT_EQ(car.net.lastReport[0], 48);
            EXPECT_EQ(car.net.lastReport[1], c.reportedFuel);
            EXPECT_EQ(car.net.lastReport[2] | car.net.lastReport[3] << 8, c.reportedMetres);
        } else {
            EXPECT_EQ(car.net.lastReport[0], 0);
        }
        EXPECT_NEAR(FixedToMetres(Fixed(car.net.distanceCounter)), c.keptMetres, 0.01f);
        EXPECT_NEAR(FixedToMetres(Fixed(car.net.fuelCounter)), c.keptFuelUnits, 0.01f);
    }
    // A held car's odometer does not run; a lost car does not move.
    BareCar held;
    held.car.step.held = 1;
    held.car.displacement = {5, 0, 0};
    held.car.CommitBodyMove();
    EXPECT_EQ(held.car.race.odometer, 0.0f);
    BareCar lost;
    lost.car.step.lost = 1;
    lost.car.displacement = {5, 0, 0};
    lost.car.CommitBodyMove();
    EXPECT_EQ(lost.car.position.x.raw, 0);
}

// ---------------------------------------------------------------------------
// Remote cars between records.

TEST_F(CarRuleTest, ARemoteCarWithoutRecordsMovesOnThenFreezesAtStep151)
{
    BareCar bare;
    CarObject& car = bare.car;
    car.net.remote = 1;
    car.enabled = 0;
    car.velocity = {2, 0, 0};
    for (int step = 1; step <= 160; ++step) {
        car.race.stepCounter = step;
        const int32_t before = car.position.x.raw;
        StepCar(car, 0.01f, -9.81f);
        if (step <= 150) {
            ASSERT_EQ(car.net.remoteState, 0) << step;
            ASSERT_EQ(car.position.x.raw - before, 1311) << step;  // 0.02 m
        } else {
            ASSERT_EQ(car.net.remoteState, 1) << step;
            ASSERT_EQ(car.position.x.raw, before) << step;
            if (step == 151) {
                EXPECT_FLOAT_EQ(car.net.remoteAge, 1.51f);
            }
        }
        EXPECT_EQ(car.predictedPosition.x.raw, car.position.x.raw);
    }
    // A remote car that takes no steps stays where it is.
    BareCar idle;
    idle.car.net.remote = 1;
    idle.car.net.remoteState = -1;
    idle.car.velocity = {2, 0, 0};
    idle.car.race.stepCounter = 500;
    StepCar(idle.car, 0.01f, -9.81f);
    EXPECT_EQ(idle.car.position.x.raw, 0);
    EXPECT_EQ(idle.car.net.remoteState, -1);
    // A velocity far out of range (a damaged packet) moves the car by the
    // largest 16.16 step, wrapping like every position; one that is no
    // number does not move it. (Values that are no numbers on purpose: the
    // traps are off.)
    fedisableexcept(FE_ALL_EXCEPT);
    BareCar wild;
    wild.car.net.remote = 1;
    wild.car.enabled = 0;
    wild.car.race.stepCounter = 1;
    wild.car.position = MakeFixedVector(100, 0, 7);
    wild.car.velocity = {1e30f, -INFINITY, std::nanf("")};
    StepCar(wild.car, 0.01f, -9.81f);
    EXPECT_EQ(wild.car.position.x.raw, (Fixed(100) + Fixed(INT32_MAX)).raw);
    EXPECT_EQ(wild.car.position.y.raw, INT32_MIN);
    EXPECT_EQ(wild.car.position.z.raw, 7);
}

// ---------------------------------------------------------------------------
// Skid marks and particles.

struct LaidMark {
    float strength;
    int running;
};
std::vector<LaidMark> LaidMarks;
std::vector<int> ParticleLives;
std::vector<uint32_t> ParticleColours;

int WatchSkidMark(const FixedVector&, const FixedVector&, float strength, int running, int)
{
    LaidMarks.push_back({strength, running});
    return int(LaidMarks.size());
}

void WatchParticle(const FixedVector&, const Vec3&, float, float, uint32_t colour, int lifeMs)
{
    ParticleLives.push_back(lifeMs);
    ParticleColours.push_back(colour);
}

class TyreTrailTest : public CarRuleTest {
protected:
    void SetUp() override
    {
        CarRuleTest::SetUp();
        LaidMarks.clear();
        ParticleLives.clear();
        ParticleColours.clear();
        CarDrawHooks draw;
        draw.addSkidMark = WatchSkidMark;
        draw.addParticle = WatchParticle;
        SetCarDrawHooks(draw);
        savedSettings = Settings;
    }
    void TearDown() override
    {
        SetSettings(savedSettings);
        SetCarDrawHooks({});
        CarRuleTest::TearDown();
    }
    SettingsRecord savedSettings;
};

TEST_F(TyreTrailTest, SkidMarksNeedSlipLoadAndAMoveOfTwoCentimetresAStep)
{
    struct Case {
        const char* name;
        float slipOverPeak, moveMetres;
        int noRubber, pathNode, surfaceKind;
        size_t marks;  // over five moves
    };
    const Case cases[] = {
        {"sliding on tarmac", 2.5f, 0.1f, 0, 3, 0, 5},
        {"slip at 1.2 x peak", 1.2f, 0.1f, 0, 3, 0, 0},
        {"slip just above the threshold", 1.2f + 0.07f, 0.1f, 0, 3, 0, 5},
        {"moving under 2 cm a step", 2.5f, 0.0199f, 0, 3, 0, 0},
        {"moving too far", 2.5f, 0.5f, 0, 3, 0, 0},
        {"No Rubber 2", 2.5f, 0.1f, 2, 3, 0, 0},
        {"no path position", 2.5f, 0.1f, 0, -1, 0, 0},
        {"on gravel", 2.5f, 0.1f, 0, 3, 3, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        LaidMarks.clear();
        EditSettings([&](SettingsRecord& record) { record.noRubber = c.noRubber; });
        BareCar bare;
        CarObject& car = bare.car;
        Wheel wheel;
        wheel.peakSlip = 0.1f;
        wheel.slipDisplay = c.slipOverPeak * 0.1f;
        wheel.load = car.mass * 9.81f;  // the whole weight: strength = slip over peak - 1.2
        wheel.patchLength = 0.1f;
        wheel.contactWidth = 0.2f;
        wheel.contactForward = {0, 1, 0};
        wheel.surfaceKind = c.surfaceKind;
        for (int step = 0; step < 6; ++step) {
            wheel.patchPoint = {0, c.moveMetres * float(step), 0};
            UpdateSkidMark(car, wheel, c.pathNode);
        }
        ASSERT_EQ(LaidMarks.size(), c.marks);
        for (size_t i = 0; i < LaidMarks.size(); ++i) {
            EXPECT_NEAR(LaidMarks[i].strength, std::fmin(c.slipOverPeak - 1.2f, 1.0f), 1e-5f);
            EXPECT_EQ(LaidMarks[i].running, i == 0 ? -1 : int(i));  // each joins the last
        }
        // Running while segments join; otherwise no mark is open.
        EXPECT_EQ(wheel.skidState == 2, c.marks > 0);
        // A wheel that stops ends its mark.
        UpdateSkidMark(car, wheel, c.pathNode);
        EXPECT_NE(wheel.skidState, 2);
    }
}

TEST_F(TyreTrailTest, SmokingTyresMakeParticlesAtTheDustLodCadence)
{
    struct Case {
        float dustLod;
        std::vector<int> lives;  // over the first 4 p steps
    };
    const Case cases[] = {
        {1.0f, {600, 1200, 1800, 2400}},
        {0.5f, {600, 1200, 1800, 2400}},
        {0.2f, {600, 1200, 1800, 2400}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.dustLod);
        ParticleLives.clear();
        ParticleColours.clear();
        EditSettings([&](SettingsRecord& record) { record.dustLod = c.dustLod; });
        BareCar bare;
        CarObject& car = bare.car;
        Axle axle;
        axle.treadHeatFactor = 0.001f;
        axle.tyreRadius = 0.3f;
        axle.tyreType = 0;  // optimum 70 degrees C
        Wheel wheel;
        wheel.touching = 1;
        for (TyreSegment& segment : wheel.segments)
            for (int strip = 0; strip < 3; ++strip) {
                segment.treadDepth[strip] = 0.003f;
                segment.treadHeat[strip] = TreadCapacity(axle, 0.003f) * (273.15f + 200);  // 200 C
            }
        const int p = int(std::lround(4 / c.dustLod));
        std::vector<int> steps;
        for (int step = 1; step <= 8 * p; ++step) {
            const size_t before = ParticleLives.size();
            UpdateTyreParticles(car, wheel, axle);
            if (ParticleLives.size() != before)
                steps.push_back(step);
        }
        ASSERT_EQ(ParticleLives.size(), 8u);
        EXPECT_EQ(std::vector<int>(ParticleLives.begin(), ParticleLives.begin() + 4), c.lives);
        EXPECT_EQ(std::vector<int>(ParticleLives.begin() + 4, ParticleLives.end()), c.lives);
        EXPECT_EQ(steps[0], p);
        EXPECT_EQ(steps[1], 2 * p);
        // 200 C against an optimum of 70: opacity round(255 x 200 / 140) - 255
        // = 109 on doubled white.
        EXPECT_EQ(ParticleColours[0], 0xFFFFFFu | 109u << 24);
    }
    // A cool tyre that grips makes nothing.
    ParticleLives.clear();
    BareCar bare;
    Axle axle;
    axle.treadHeatFactor = 0.001f;
    Wheel wheel;
    wheel.touching = 1;
    for (TyreSegment& segment : wheel.segments)
        for (int strip = 0; strip < 3; ++strip) {
            segment.treadDepth[strip] = 0.003f;
            segment.treadHeat[strip] = TreadCapacity(axle, 0.003f) * (273.15f + 60);
        }
    for (int step = 0; step < 40; ++step)
        UpdateTyreParticles(bare.car, wheel, axle);
    EXPECT_TRUE(ParticleLives.empty());
}

// ---------------------------------------------------------------------------
// A generated car in the active set on flat ground: it settles on its
// wheels, rests once quiet, and drives forward when the throttle opens.

class CarDrivingTest : public CarTest {
protected:
    void SetUp() override
    {
        CarTest::SetUp();
        SetBodySurroundings(&plane);
    }
    void TearDown() override
    {
        SetBodySurroundings(nullptr);
        CarTest::TearDown();
    }
    TestGround plane;  // flat tarmac: the ground without a world grips like ice
};

TEST_F(CarDrivingTest, AGeneratedCarSettlesOnFlatGroundAndDrivesForward)
{
    for (int index : {0, 5, 12}) {
        SCOPED_TRACE(CarNameTable[index].code);
        OwnedCar owned;
        CarObject& car = owned.car;
        ASSERT_TRUE(Load(car, index));
        SetFuelPercent(car, 50);
        ResetCar(car, 0, 0, 1);
        ObjectSet set;
        ASSERT_TRUE(AddToObjectSet(set, car));
        const float startZ = FixedToMetres(car.position.z);

        // Two seconds untouched: it comes to rest on its tyres, not its body.
        for (int step = 0; step < 200 && car.awake; ++step)
            UpdatePhysicsObjects(set, 0);
        ASSERT_TRUE(std::isfinite(FixedToMetres(car.position.z)));
        EXPECT_LT(std::fabs(FixedToMetres(car.position.x)), 0.05f);
        EXPECT_LT(std::fabs(FixedToMetres(car.position.y)), 0.05f);
        EXPECT_LT(FixedToMetres(car.position.z), startZ + 0.01f);
        EXPECT_GT(FixedToMetres(car.position.z), startZ - 0.5f);
        EXPECT_LT(car.step.speed, 0.05f);
        EXPECT_GT(car.rotation.m[8], 0.99f);  // upright
        for (int i = 0; i < car.wheelCount; ++i)
            EXPECT_TRUE(car.wheels[i].ground.touching) << "wheel " << i;
        for (int i = 0; i < car.pointCount; ++i)
            EXPECT_EQ(car.points[i].state, 0) << "body point " << i << " on the ground";
        // Engine off and quiet: the car went to rest and left the set.
        EXPECT_EQ(car.awake, 0);
        EXPECT_EQ(set.count, 0);

        // Engine running, first gear, full throttle for three seconds.
        car.awake = 1;
        ASSERT_TRUE(AddToObjectSet(set, car));
        StartEngineAtIdle(car.engine);
        car.race.fuel = 20;
        car.tuning.autoClutch = 1;
        car.step.gear = car.step.gearTarget = 2;
        car.inputs.words[1] = 65535;
        for (int step = 0; step < 300; ++step)
            UpdatePhysicsObjects(set, 0);
        const Vec3 forward = {car.rotation.m[1], car.rotation.m[4], car.rotation.m[7]};
        EXPECT_GT(Dot(car.velocity, forward), 3.0f);
        EXPECT_GT(FixedToMetres(car.position.y), 3.0f);
        EXPECT_LT(std::fabs(FixedToMetres(car.position.x)), 0.1f * FixedToMetres(car.position.y));
        EXPECT_GT(car.rotation.m[8], 0.98f);
        EXPECT_LT(car.race.fuel, 20.0f);
        EXPECT_GT(car.race.odometer, 3.0f);
        for (int i = 0; i < car.pointCount; ++i)
            EXPECT_EQ(car.points[i].state, 0) << "body point " << i << " on the ground";

        // Coasting in gear with the engine off turns the engine but burns
        // no fuel.
        StopEngine(car.engine);
        car.inputs.words[1] = 0;
        const float fuel = car.race.fuel;
        for (int step = 0; step < 50; ++step)
            UpdatePhysicsObjects(set, 0);
        EXPECT_GT(car.step.speed, 1.0f);
        EXPECT_GT(car.engine.speed, 10.0f);
        EXPECT_EQ(car.race.fuel, fuel);
    }
}

// The wheels' ground probes in the contact pass: a first contact starts
// with previous = new, a later one keeps the last as previous, the grip
// comes from the compound and the surface kind, and a wheel off the ground
// loses its contact.
TEST_F(CarDrivingTest, WheelProbesFindTheGroundAndKeepThePreviousContact)
{
    OwnedCar owned;
    CarObject& car = owned.car;
    ASSERT_TRUE(Load(car, 0));
    ResetCar(car, 0.3f, 0, 1);
    auto contactPass = [&car] {
        car.PrepareBody(PhysicsStepSeconds);
        RunBodyContacts(car, PhysicsStepSeconds, 0);
    };
    contactPass();
    std::vector<float> firstZ;
    for (int i = 0; i < car.wheelCount; ++i) {
        SCOPED_TRACE(i);
        const WheelContact& ground = car.wheels[i].ground;
        ASSERT_TRUE(ground.touching);
        EXPECT_EQ(ground.surface, plane.MainSurface());
        EXPECT_EQ(car.wheels[i].surfaceKind, 0);
        EXPECT_EQ(ground.grip, GripTable[car.axles[car.wheels[i].axleIndex].tyreType][0]);
        EXPECT_EQ(ground.endNormal.z, 1.0f);
        // The plane point lies on the ground, below the wheel.
        EXPECT_NEAR(ground.endPoint.z + FixedToMetres(car.position.z), 0, 1e-4f);
        const Vec3 hub = Rotate(car.rotation, car.wheels[i].hubPoint);
        EXPECT_NEAR(ground.endPoint.x, hub.x, 0.01f);
        EXPECT_NEAR(ground.endPoint.y, hub.y, 0.01f);
        EXPECT_EQ(ground.previousPoint.z, ground.endPoint.z);
        EXPECT_GT(ground.endDepth, 0.0f);
        EXPECT_FALSE(car.wheels[i].rim.touching);  // nothing beside the wheels
        firstZ.push_back(ground.endPoint.z);
    }
    // One centimetre lower: the ground is 1 cm nearer, the last contact is
    // the previous one.
    car.position.z.raw -= 655;
    contactPass();
    for (int i = 0; i < car.wheelCount; ++i) {
        const WheelContact& ground = car.wheels[i].ground;
        ASSERT_TRUE(ground.touching);
        EXPECT_EQ(ground.previousPoint.z, firstZ[size_t(i)]);
        EXPECT_NEAR(ground.endPoint.z - firstZ[size_t(i)], 0.01f, 1e-4f);
    }
    // Two metres up: out of the probes' reach.
    car.position.z.raw += 2 << 16;
    contactPass();
    for (int i = 0; i < car.wheelCount; ++i)
        EXPECT_FALSE(car.wheels[i].ground.touching);
}

TEST_F(CarDrivingTest, FuelAddsABoxOfMassInTheTank)
{
    OwnedCar owned;
    CarObject& car = owned.car;
    ASSERT_TRUE(Load(car, 0));
    car.race.fuel = 0;
    UpdateCarMassProperties(car);
    const float dryMass = car.mass;
    const Vec3 dryCentre = car.centreOfMass;
    const FloatMatrix dryInertia = car.inertia;
    car.race.fuel = 40;
    UpdateCarMassProperties(car);
    // 0.74 kg per litre, a uniform box of the tank's half sizes.
    const double m0 = dryMass, mf = 40 * 0.74, m = m0 + mf;
    const Vec3 t = car.data.fuelTankPosition, h = car.tuning.fuelTankHalfSize;
    const double cx = (m0 * dryCentre.x + mf * t.x) / m, cy = (m0 * dryCentre.y + mf * t.y) / m,
                 cz = (m0 * dryCentre.z + mf * t.z) / m;
    EXPECT_NEAR(car.mass, m, 1e-3 * m);
    EXPECT_NEAR(car.centreOfMass.x, cx, 1e-4);
    EXPECT_NEAR(car.centreOfMass.y, cy, 1e-4);
    EXPECT_NEAR(car.centreOfMass.z, cz, 1e-4);
    auto sq = [](double v) { return v * v; };
    const double izz = dryInertia.m[8] + m0 * (sq(dryCentre.x - cx) + sq(dryCentre.y - cy)) +
                       mf * (h.x * h.x + h.y * h.y) / 3 + mf * (sq(t.x - cx) + sq(t.y - cy));
    const double ixx = dryInertia.m[0] + m0 * (sq(dryCentre.y - cy) + sq(dryCentre.z - cz)) +
                       mf * (h.y * h.y + h.z * h.z) / 3 + mf * (sq(t.y - cy) + sq(t.z - cz));
    EXPECT_NEAR(car.inertia.m[8], izz, 1e-4 * izz);
    EXPECT_NEAR(car.inertia.m[0], ixx, 1e-4 * ixx);
    // The inverse goes with it.
    FloatMatrix product;
    MultiplyFloatMatrix(car.inertia, car.inverseInertia, product);
    for (int i = 0; i < 9; ++i)
        EXPECT_NEAR(product.m[i], i % 4 == 0 ? 1.0f : 0.0f, 1e-3f);
}

TEST_F(CarDrivingTest, AGarageCarCatchesUpAtMostATenthOfASecond)
{
    OwnedCar owned;
    CarObject& car = owned.car;
    ASSERT_TRUE(Load(car, 0));
    ResetCar(car, 0, 0, 1);
    SetBodySurroundings(nullptr);  // no world: flat ground
    const GameTimeRecord savedTime = GameTime;
    const int savedInactive = InputState.appInactive;
    struct Frame {
        int inactive, frameMs, steps;
    };
    // Steps run while the stepped time is behind the clock, 10 ms each.
    const Frame frames[] = {{0, 30, 3}, {0, 500, 10}, {0, 15, 2}, {1, 40, 0}, {0, 15, 1}};
    for (const Frame& f : frames) {
        SetAppInactive(f.inactive);
        GameTimeRecord time = GameTime;
        time.frameStepMs = f.frameMs;
        SetGameTime(time);
        const int before = car.race.stepCounter;
        StepCarAlone(car);
        EXPECT_EQ(car.race.stepCounter - before, f.steps) << f.frameMs << " ms";
    }
    SetGameTime(savedTime);
    SetAppInactive(savedInactive);
}

TEST_F(CarRuleTest, SkinNamesMatchIgnoringCase)
{
    BareCar bare;
    std::memcpy(bare.car.data.skinName, "Mavrek_NH", 10);
    std::memcpy(bare.car.data.secondSkinName, "SIXTEEN_LETTERS_", 16);  // no zero at the end
    struct Case {
        int which;
        const char* name;
        int expected;
    };
    const Case cases[] = {
        {1, "mavrek_nh", 1}, {1, "MAVREK_NH", 1}, {1, "Mavrek", 0},  {1, "Mavrek_NHX", 0},
        {0, "sixteen_letters_", 1}, {0, "sixteen_letters_x", 0}, {0, "Mavrek_NH", 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CarUsesSkinName(bare.car, c.which, c.name), c.expected) << c.which << " " << c.name;
}

// ---------------------------------------------------------------------------
// The car in the active set: slipstream, rest and waking, and the reset.

FixedVector AtMetres(float x, float y, float z) { return {FixedFromMetres(x), FixedFromMetres(y), FixedFromMetres(z)}; }

// Leaders heading +y at 30 m/s leave a wake 20 m long behind them and 2 m
// either side; the follower at the origin finds in each the leader's
// velocity times its depth, the leader's drag sum (0.5) and the point's
// share.
TEST_F(CarRuleTest, FollowersInAWakeGetTheLeadersMovingAir)
{
    struct Leader {
        float x, y;
        uint8_t enabled;
    };
    struct Case {
        const char* what;
        std::vector<Leader> leaders;
        float factor;  // sum over the leaders of depth x drag sum
    };
    const Case cases[] = {
        {"10 m behind one leader", {{0, 10, 1}}, 0.75f * 0.5f},
        {"behind two leaders", {{0, 10, 1}, {0, 5, 1}}, (0.75f + 0.9375f) * 0.5f},
        {"behind a disabled leader", {{0, 10, 0}}, 0},
        {"3 m aside of the wake", {{3, 10, 1}}, 0},
        {"beyond the wake's end", {{0, 21, 1}}, 0},
    };
    auto leaveWake = [](CarObject& car) {
        car.tuning.dragSum = 0.5f;
        car.step.wake.originVelocity = {0, 30, 0};
        car.step.wake.trailing = {0, -1, 0};
        car.step.wake.halfWidth = 2;
        car.step.wake.farEnd = 20;
        car.step.wake.nearEnd = -2;
    };
    const Vec3 wind = {1, 0, 0};
    const float shares[4] = {0.3f, 0.7f, 0.5f, 0.5f};
    const int32_t flags[4] = {AeroPresent, 0, AeroPresent, AeroPresent};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ObjectSet set;
        BareCar follower;
        // The follower leaves a wake too: a car is never in its own.
        leaveWake(follower.car);
        for (int p = 0; p < 4; ++p) {
            follower.car.aero[p].flags = flags[p];
            follower.car.aero[p].slipstreamShare = shares[p];
            follower.car.aero[p].airVelocity = wind;
        }
        AddToObjectSet(set, follower.car);
        std::vector<BareCar> leaders(c.leaders.size());
        for (std::size_t i = 0; i < leaders.size(); ++i) {
            CarObject& car = leaders[i].car;
            leaveWake(car);
            car.enabled = c.leaders[i].enabled;
            car.predictedPosition = AtMetres(c.leaders[i].x, c.leaders[i].y, 0);
            AddToObjectSet(set, car);
        }
        SetCurrentObjectSet(&set);
        GatherCarSlipstream(follower.car);
        ClearCurrentObjectSet();
        for (int p = 0; p < 4; ++p) {
            const float added = flags[p] ? c.factor * shares[p] * 30 : 0.0f;
            const Vec3 air = follower.car.aero[p].airVelocity;
            EXPECT_EQ(air.x, 1.0f) << "point " << p;
            EXPECT_NEAR(air.y, added, 1e-4f) << "point " << p;
            EXPECT_EQ(air.z, 0.0f) << "point " << p;
        }
        EXPECT_NEAR(follower.car.step.slipstream.y, c.factor * 0.5f * 30, 1e-4f);
        EXPECT_EQ(follower.car.step.slipstream.x, 0.0f);
    }
}

TEST_F(CarRuleTest, TheStepTickStartsTheLapAtThePendingStartOnlyWithALayoutStart)
{
    struct Case {
        bool layoutStart;
        int32_t pendingStart;
        int32_t lapStart, timingState;
    };
    const Case cases[] = {
        {true, 41, 41, 2},
        {false, 41, 0, 1},
        {true, 40, 0, 1},  // the tick has passed it
    };
    for (const Case& c : cases) {
        BareCar bare;
        bare.car.race.stepCounter = 40;
        bare.car.race.raceStartStep = c.pendingStart;
        CountCarStepTick(bare.car, c.layoutStart);
        EXPECT_EQ(bare.car.race.stepCounter, 41);
        EXPECT_EQ(bare.car.race.lapStart, c.lapStart) << c.layoutStart << " " << c.pendingStart;
        EXPECT_EQ(bare.car.race.timingState, c.timingState) << c.layoutStart << " " << c.pendingStart;
    }
}

// A generated car that the active set put to rest: which input wakes it,
// and what its sleeping step does.
TEST_F(CarDrivingTest, ARestingCarWakesForInputThatMattersAndCoolsWhileAsleep)
{
    OwnedCar owned;
    CarObject& car = owned.car;
    ASSERT_TRUE(Load(car, 0));
    ResetCar(car, 0, 0, 1);
    ObjectSet set;
    ASSERT_TRUE(AddToObjectSet(set, car));
    for (int step = 0; step < 300 && set.count > 0; ++step)
        UpdatePhysicsObjects(set, 0);
    ASSERT_EQ(car.awake, 0);
    ASSERT_EQ(set.count, 0);
    // The activity as the stopped car's step stores it.
    car.step.inputActivity = GetInputActivity(car);
    EXPECT_TRUE(CarMayStayAsleep(car));

    struct Case {
        const char* what;
        int word;
        uint16_t value;
        bool staysAsleep;
    };
    const Case cases[] = {
        {"steering 400 right", 0, SteeringCentre + 400, true},
        {"steering 600 left", 0, SteeringCentre - 600, false},
        {"throttle 511", 1, 511, true},
        {"throttle 512", 1, 512, false},
        {"ignition request", 5, 1, false},
        {"headlight flash", 10, 1, false},
        {"shift up held", 3, 1, false},
    };
    for (const Case& c : cases) {
        const CarInputs saved = car.inputs;
        car.inputs.words[c.word] = c.value;
        EXPECT_EQ(CarMayStayAsleep(car), c.staysAsleep) << c.what;
        car.inputs = saved;
    }
    // Rolling or turning over, however slowly, wakes it.
    car.step.speed = 1e-30f;
    EXPECT_FALSE(CarMayStayAsleep(car));
    car.step.speed = 0;
    car.engine.speed = -0.0f;
    EXPECT_FALSE(CarMayStayAsleep(car));
    car.engine.speed = 0;

    // Asleep: the blinkers run, the tyres cool in still air, the tick counts.
    for (int i = 0; i < car.wheelCount; ++i)
        for (TyreSegment& segment : car.wheels[i].segments)
            for (float& heat : segment.treadHeat)
                heat *= 1.25f;
    const float airHeat = car.wheels[0].airHeat;
    car.lamps.indicatorMode = 3;
    car.lamps.blinkerTimerMs = 0;
    const int32_t tick = car.race.stepCounter;
    for (int step = 0; step < 50; ++step)
        StepSleepingCar(car);
    EXPECT_EQ(car.race.stepCounter, tick + 50);
    EXPECT_EQ(car.lamps.blinkerTimerMs, 500);
    EXPECT_GT(car.wheels[0].airHeat, airHeat);  // the hot tread warms the air inside

    // Woken by the set: the rest counter starts again and, left alone, the
    // car rests once more after its quiet steps.
    car.step.restCounter = 77;
    ASSERT_TRUE(WakeObject(set, car));
    car.awake = 1;
    ClearCarRestCounter(car);
    EXPECT_EQ(car.step.restCounter, 0);
    car.lamps.indicatorMode = 0;
    int steps = 0;
    while (set.count > 0 && steps < 300) {
        UpdatePhysicsObjects(set, 0);
        ++steps;
    }
    EXPECT_EQ(car.awake, 0);
    EXPECT_GE(steps, 100);
}

// Two generated cars at 25 m/s, one 6 m behind the other: the follower's
// body points meet slower air and less drag; the leader meets the full.
TEST_F(CarDrivingTest, AFollowerInTheLeadersWakeMeetsLessDrag)
{
    OwnedCar leaderCar, followerCar;
    CarObject& leader = leaderCar.car;
    CarObject& follower = followerCar.car;
    ASSERT_TRUE(Load(leader, 0));
    ASSERT_TRUE(Load(follower, 0));
    SetCarPosition(follower, AtMetres(0, -6, 0));
    ResetCar(leader, 0, 0, 1);
    ResetCar(follower, 0, 0, 1);
    ASSERT_GT(leader.tuning.dragSum, 0.0f);
    ObjectSet set;
    for (CarObject* car : {&follower, &leader}) {
        car->velocity = {0, 25, 0};
        ASSERT_TRUE(AddToObjectSet(set, *car));
    }
    follower.step.touchedCount = 2;  // the list of the last drawn frame
    SetCurrentObjectSet(&set);
    UpdatePhysicsObjects(set, 1);
    ClearCurrentObjectSet();
    // The drawn step's contact pass starts the car's list again; each
    // member's step tick counts.
    EXPECT_EQ(follower.step.touchedCount, 0);
    EXPECT_EQ(leader.race.stepCounter, 1);
    EXPECT_EQ(follower.race.stepCounter, 1);
    EXPECT_GT(follower.step.slipstream.y, 0.0f);
    EXPECT_EQ(leader.step.slipstream.y, 0.0f);
    EXPECT_GT(follower.aero[3].airVelocity.y, 0.0f);
    EXPECT_EQ(leader.aero[3].airVelocity.y, 0.0f);
    // Drag pulls towards -y; the follower's is smaller.
    EXPECT_LT(leader.step.aeroForce.y, 0.0f);
    EXPECT_GT(follower.step.aeroForce.y, leader.step.aeroForce.y);
}

// A car driven hard, then reset where a fresh copy of it is reset: from
// then on both take the same steps, bit for bit.
TEST_F(CarDrivingTest, AResetCarStepsLikeAFreshOne)
{
    OwnedCar drivenCar, freshCar;
    CarObject& driven = drivenCar.car;
    CarObject& fresh = freshCar.car;
    ASSERT_TRUE(Load(driven, 5));
    ASSERT_TRUE(Load(fresh, 5));
    SetFuelPercent(driven, 50);
    ResetCar(driven, 0, 0, 1);
    ObjectSet set;
    ASSERT_TRUE(AddToObjectSet(set, driven));
    StartEngineAtIdle(driven.engine);
    driven.tuning.autoClutch = 1;
    driven.tuning.brakeHelp = 1;
    driven.step.gear = driven.step.gearTarget = 2;
    driven.inputs.words[1] = 65535;
    driven.inputs.words[0] = SteeringCentre + 20000;
    for (int step = 0; step < 150; ++step)
        UpdatePhysicsObjects(set, 0);
    driven.inputs.words[1] = 0;
    driven.inputs.words[2] = 65535;
    driven.inputs.words[12] = 65535;
    for (int step = 0; step < 20; ++step)
        UpdatePhysicsObjects(set, 0);
    ASSERT_GT(driven.step.brake, 0.3f);
    ASSERT_NE(driven.step.steerAngle, 0.0f);

    // Every field of the step state dirtied: the reset must set each one.
    static_assert(std::is_trivially_copyable_v<CarStepState>);
    std::memset(static_cast<void*>(&driven.step), 0xA5, sizeof driven.step);
    SetCarPosition(driven, AtMetres(0, 0, 0));
    ResetCar(driven, 0, 0, 1);
    // The clutch keeps its heat through a reset, as it keeps its wear.
    ASSERT_GT(driven.engine.clutchHeat, 0.0f);
    driven.engine.clutchHeat = fresh.engine.clutchHeat;
    SetFuelPercent(driven, 50);
    SetFuelPercent(fresh, 50);
    SetCarPosition(fresh, AtMetres(0, 0, 0));
    ResetCar(fresh, 0, 0, 1);
    EXPECT_TRUE(driven.step == fresh.step);
    CarStepState placed;
    placed.freshlyPlaced = 1;
    placed.resetPosition = AtMetres(0, 0, 0);
    EXPECT_TRUE(fresh.step == placed) << "a reset leaves the step state of a newly placed car";
    for (int i = 0; i < driven.wheelCount; ++i) {
        const Wheel& wheel = driven.wheels[i];
        EXPECT_FALSE(wheel.ground.touching || wheel.rim.touching) << "wheel " << i;
        EXPECT_EQ(wheel.ground.body, nullptr) << "wheel " << i;
        EXPECT_EQ(wheel.skidState, 0) << "wheel " << i;
    }
    EXPECT_EQ(driven.step.brake, 0.0f);
    EXPECT_EQ(driven.step.handbrake, 0.0f);
    EXPECT_EQ(driven.step.steerAngle, 0.0f);
    EXPECT_EQ(driven.step.steerTarget, 0.0f);
    EXPECT_EQ(driven.step.alignTorqueMean, 0.0f);
    EXPECT_EQ(driven.step.touchedCount, 0);

    ObjectSet freshSet;
    ASSERT_TRUE(AddToObjectSet(freshSet, fresh));
    for (CarObject* car : {&driven, &fresh}) {
        StartEngineAtIdle(car->engine);
        car->tuning.autoClutch = car->tuning.brakeHelp = 1;
        car->step.gear = car->step.gearTarget = 2;
        car->inputs.words[1] = 40000;
        car->inputs.words[0] = SteeringCentre - 8000;
    }
    for (int step = 0; step < 100; ++step) {
        UpdatePhysicsObjects(set, 0);
        UpdatePhysicsObjects(freshSet, 0);
    }
    EXPECT_GT(fresh.step.speed, 1.0f);
    EXPECT_EQ(std::memcmp(&driven.position, &fresh.position, sizeof fresh.position), 0);
    EXPECT_EQ(std::memcmp(&driven.velocity, &fresh.velocity, sizeof fresh.velocity), 0);
    EXPECT_EQ(std::memcmp(&driven.rotation, &fresh.rotation, sizeof fresh.rotation), 0);
    EXPECT_EQ(driven.engine.speed, fresh.engine.speed);
    EXPECT_TRUE(driven.step == fresh.step) << "field by field, bit for bit";
}

}  // namespace
