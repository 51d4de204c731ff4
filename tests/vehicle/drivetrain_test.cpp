// The drivetrain on a generated car with its wheels in the air: the centre
// split and every axle differential conserve torque and send it where they
// should, the brake's floor, parallel and Ackermann steering against the
// closed forms, the wheels' turn fed back to the engine, and the guards
// against dividing by nothing.
#include <gtest/gtest.h>

#include <cfenv>
#include <cmath>

#include "car_fixture.h"

namespace {

constexpr float SubStep = 0.0005f;  // s, one twentieth of a step

class DrivetrainTest : public CarTest {
protected:
    void SetUp() override
    {
        CarTest::SetUp();
        ASSERT_TRUE(Load(owned.car, 0));
        CarObject& car = owned.car;
        ASSERT_EQ(car.wheelCount, 4);
        ASSERT_TRUE(car.axles[0].present && car.axles[1].present);
        setup = car.data.setup;
        // Plain drive: every axle open, torque through unchanged.
        for (SetupAxle& block : setup->axles)
            block = SetupAxle{.diffType = 0};
        setup->centreDiff = 0;
        setup->parallelSteer = 0;
        car.axles[0].solid = car.axles[1].solid = 0;
        SetLayout(1);
        car.tuning.driveEfficiency = 1;
        car.step.totalRatio = 1;
        car.tuning.finalDrive = 4;
        car.step.gear = 2;
        for (int i = 0; i < car.wheelCount; i++)
            car.wheels[i].toe = 0;
        std::feclearexcept(FE_ALL_EXCEPT);
        feenableexcept(FE_INVALID | FE_DIVBYZERO | FE_OVERFLOW);
    }
    void TearDown() override
    {
        fedisableexcept(FE_ALL_EXCEPT);
        DestroyCar(owned.car);  // through the world's hooks, before the reset takes them away
        CarTest::TearDown();
    }

    void SetLayout(uint8_t axles)
    {
        CarObject& car = owned.car;
        car.tuning.driveAxles = axles;
        car.tuning.drivenWheels = 0;
        for (int i = 0; i < car.wheelCount; i++) {
            Wheel& w = car.wheels[i];
            w.driven = (axles >> w.axleIndex) & 1;
            car.tuning.drivenWheels += w.driven;
        }
    }
    // The gearbox passes axleTorque in total (efficiency and ratio 1).
    void Drive(float torque, float dt = SubStep, int fullStep = 0)
    {
        owned.car.engine.clutchTorque = torque;
        PrepareCarTyres(owned.car);
        DriveWheels(owned.car, dt, fullStep, -9.81f);
    }
    Wheel& First(int axle) { return *owned.car.axles[axle].leftWheel; }
    Wheel& Second(int axle) { return *owned.car.axles[axle].rightWheel; }
    float AxleSum(int axle) { return First(axle).driveTorque + Second(axle).driveTorque; }

    OwnedCar owned;
    CarSetup* setup = nullptr;
};

TEST_F(DrivetrainTest, AxleDifferentialsConserveAndSplitTorque)
{
    struct Case {
        const char* name;
        uint8_t type, viscous, power, coast, preload;
        float firstSpin, secondSpin, axleTorque;
        float first, second;  // N m; NAN: limited by the equalising torque
    } cases[] = {
        {"open: equal whatever the speeds", 0, 0, 0, 0, 0, 10, 30, 200, 100, 100},
        {"locked: equal shares", 1, 0, 0, 0, 0, 10, 30, 200, 100, 100},
        {"viscous: towards the slower wheel", 2, 2, 0, 0, 0, 10, 15, 200, 110, 90},
        {"clutch pack 10 %: 90 to the faster, 110 to the slower", 3, 0, 10, 40, 0, 30, 10, 200, 90, 110},
        {"clutch pack, the second wheel faster", 3, 0, 10, 40, 0, 10, 30, 200, 110, 90},
        {"clutch pack, equal speeds: the second counts as faster", 3, 0, 10, 40, 0, 20, 20, 200, 110, 90},
        {"clutch pack on coast uses the coast locking", 3, 0, 10, 20, 0, 30, 10, -200, -120, -80},
        {"clutch pack with preload adds 5 N m per step of it", 3, 0, 10, 40, 4, 30, 10, 200, 70, 130},
        {"preload no more than brings the wheels together", 3, 0, 10, 40, 4, 20.001f, 20, 200, NAN, NAN},
        {"preload with equal speeds locks nothing", 3, 0, 10, 40, 4, 20, 20, 200, 100, 100},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        setup->axles[0] = SetupAxle{.preload = c.preload, .diffType = c.type, .viscousTorque = c.viscous,
                                    .powerLocking = c.power, .coastLocking = c.coast};
        First(0).spinRate = c.firstSpin;
        Second(0).spinRate = c.secondSpin;
        Drive(c.axleTorque);
        float first = c.first, second = c.second;
        if (std::isnan(first)) {
            const float limit = (c.firstSpin - c.secondSpin) * First(0).wheelInertia * 0.5f / SubStep;
            ASSERT_LT(limit, 30);
            first = 100 - limit;
            second = 100 + limit;
        }
        EXPECT_NEAR(First(0).driveTorque, first, 1e-3f);
        EXPECT_NEAR(Second(0).driveTorque, second, 1e-3f);
        EXPECT_NEAR(AxleSum(0), c.axleTorque, 1e-3f);
        EXPECT_EQ(AxleSum(1), 0);  // the undriven front
    }
}

TEST_F(DrivetrainTest, CentreSplitByLayout)
{
    struct Case {
        const char* name;
        uint8_t layout;
        int gear;
        uint8_t centreViscous;  // 0: no viscous centre
        float frontSpin, rearSpin;
        float rear, front;
    } cases[] = {
        {"rear-wheel drive", 1, 2, 0, 0, 0, 200, 0},
        {"front-wheel drive", 2, 2, 0, 0, 0, 0, 200},
        {"four-wheel drive by the front split (40 %)", 3, 2, 0, 0, 0, 120, 80},
        {"viscous centre sends torque to the slower rear", 3, 2, 5, 12, 10, 130, 70},
        {"reverse drives too", 1, 0, 0, 0, 0, 200, 0},
        {"neutral, rear-wheel drive", 1, 1, 0, 0, 0, 0, 0},
        {"neutral, front-wheel drive", 2, 1, 0, 0, 0, 0, 0},
        {"neutral, four-wheel drive with a viscous centre", 3, 1, 5, 12, 10, 0, 0},
        {"no driven axle", 0, 2, 0, 0, 0, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CarObject& car = owned.car;
        SetLayout(c.layout);
        car.step.gear = c.gear;
        car.tuning.torqueShare[0] = 2 * (1 - 0.4f);
        car.tuning.torqueShare[1] = 2 * 0.4f;
        setup->centreDiff = c.centreViscous ? 1 : 0;
        setup->centreViscous = c.centreViscous;
        First(0).spinRate = Second(0).spinRate = c.rearSpin;
        First(1).spinRate = Second(1).spinRate = c.frontSpin;
        Drive(200);
        EXPECT_NEAR(AxleSum(0), c.rear, 1e-3f);
        EXPECT_NEAR(AxleSum(1), c.front, 1e-3f);
    }
}

TEST_F(DrivetrainTest, SteeringAnglesParallelAndAckermann)
{
    CarObject& car = owned.car;
    const float wb = car.tuning.wheelbase;
    ASSERT_GT(wb, 1);
    struct Case {
        const char* name;
        int direction;
        float radius, column;
        uint8_t parallel;
        float toe;
    } cases[] = {
        {"parallel steer 100 %: the column's angle plus toe", 1, 12, 0.2f, 100, 0.01f},
        {"Ackermann to the left", 1, 10, 0, 0, 0},
        {"Ackermann to the right", 2, 10, 0, 0, 0},
        {"tight Ackermann to the left", 1, 3, 0, 0, 0},
        {"half and half", 1, 8, 0.3f, 50, 0},
        {"straight ahead keeps the toe", 0, 0, 0, 0, -0.02f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        car.step.turnDirection = c.direction;
        car.step.turnRadius = c.radius;
        car.step.steerAngle = c.column;
        setup->parallelSteer = c.parallel;
        for (int i = 0; i < car.wheelCount; i++)
            car.wheels[i].toe = c.toe;
        Drive(0);
        for (int i = 0; i < car.wheelCount; i++) {
            const Wheel& w = car.wheels[i];
            const double x = w.mountPosition.x;
            double ackermann = 0;
            if (c.direction == 1)
                ackermann = std::atan(wb / (x + c.radius));
            else if (c.direction == 2)
                ackermann = -std::atan(wb / (c.radius - x));
            const double f = c.parallel * 0.01;
            const double expected = w.axleIndex == 1 ? ackermann * (1 - f) + f * c.column : 0;
            EXPECT_NEAR(w.steerAngle, expected + c.toe * w.side, 2e-6) << "wheel " << i;
        }
        if (c.parallel == 0 && c.direction != 0) {
            // The front wheels' axes meet on the rear axle's line, at the
            // turn's centre.
            for (Wheel* w : {&First(1), &Second(1)}) {
                const double centre = w->mountPosition.x - wb / std::tan(static_cast<double>(w->steerAngle));
                EXPECT_NEAR(centre, c.direction == 1 ? -c.radius : c.radius, 1e-4);
            }
        }
    }
}

TEST_F(DrivetrainTest, BrakeTorqueHasAFloor)
{
    // In the air and in neutral only the brake slows a wheel: its spin
    // falls by dt / inertia x the brake torque in one full step.
    CarObject& car = owned.car;
    car.step.gear = 1;
    const float dt = 0.01f;
    struct Case {
        float brake, handbrake;
    } cases[] = {{0, 0}, {1, 0}, {0, 1}, {0.5f, 0.25f}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "brake " << c.brake << " handbrake " << c.handbrake);
        car.step.brake = c.brake;
        car.step.handbrake = c.handbrake;
        float expected[4], start[4];
        for (int i = 0; i < car.wheelCount; i++) {
            Wheel& w = car.wheels[i];
            expected[i] = w.brakeTorque * c.brake + 0.1f + (w.axleIndex == 0 ? setup->maxBrakeTorque * c.handbrake : 0);
            start[i] = 1 + 2 * dt / w.wheelInertia * expected[i];
            w.spinRate = start[i];
        }
        Drive(0, dt, 1);
        for (int i = 0; i < car.wheelCount; i++) {
            const Wheel& w = car.wheels[i];
            EXPECT_NEAR((start[i] - w.spinRate) * w.wheelInertia / dt, expected[i], 2e-3f * expected[i])
                << "wheel " << i;
        }
    }
}

TEST_F(DrivetrainTest, WheelsTurnTheEngineSide)
{
    CarObject& car = owned.car;
    car.step.totalRatio = 10;
    struct Case {
        const char* name;
        int gear;
        float clutch, spin;
        int fullStep;
        float engineSpeed;  // -1: the wheels' speed x total ratio
    } cases[] = {
        {"full step, clutch engaged: the engine is locked to the wheels", 2, 0, 30, 1, -1},
        {"rolling backwards in gear stops the engine, never turns it back", 2, 0, -30, 1, 0},
        {"full step, clutch pressed: the engine turns by itself", 2, 0.6f, 30, 1, 123},
        {"sub-step: the engine runs its own step", 2, 0, 30, 0, 123},
        {"neutral", 1, 0, 30, 1, 123},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        car.step.gear = c.gear;
        car.engine.clutchPedal = c.clutch;
        car.engine.speed = 123;
        car.engine.crankAngle = 1.5f;
        car.engine.clutchAngle = 0.25f;
        for (int i = 0; i < car.wheelCount; i++)
            car.wheels[i].spinRate = c.spin;
        const float dt = c.fullStep ? 0.01f : SubStep;
        Drive(0, dt, c.fullStep);
        const float wheels = 0.5f * (First(0).spinRate + Second(0).spinRate);
        EXPECT_NEAR(car.step.outputSpeed, std::fabs(wheels * car.tuning.finalDrive), 1e-3f);
        if (c.gear == 1) {
            EXPECT_EQ(car.engine.clutchAngle, car.engine.crankAngle);
        } else {
            EXPECT_NEAR(car.step.wheelEngineSpeed, wheels * 10, 1e-3f);
            EXPECT_NEAR(car.engine.clutchAngle, 0.25f + wheels * dt * 10, 1e-5f);
        }
        if (c.engineSpeed < 0)
            EXPECT_NEAR(car.engine.speed, wheels * 10, 1e-3f);
        else
            EXPECT_EQ(car.engine.speed, c.engineSpeed);
    }
}

TEST_F(DrivetrainTest, NothingDividesByZero)
{
    CarObject& car = owned.car;
    // No driven wheel at all: no turn reaches the clutch side.
    SetLayout(0);
    car.engine.clutchAngle = 0.5f;
    for (int i = 0; i < car.wheelCount; i++)
        car.wheels[i].spinRate = 20;
    Drive(100, 0.01f, 1);
    EXPECT_EQ(car.step.outputSpeed, 0);
    EXPECT_EQ(car.step.wheelEngineSpeed, 0);
    EXPECT_EQ(car.engine.clutchAngle, 0.5f);

    // A step of no time changes nothing.
    SetLayout(1);
    First(0).driveTorque = 7;
    First(0).spinRate = 20;
    Drive(100, 0);
    EXPECT_EQ(First(0).driveTorque, 7);
    EXPECT_EQ(First(0).spinRate, 20);
}

} // namespace
