// A whole car driving on flat tarmac through its drivetrain: each axle
// differential passes the whole axle torque and splits it by its kind with
// one driven wheel on a slippery strip; the gear selection of a local car,
// run before each step as its pit-lane step runs it, changes gears by hand
// and automatically by the rules of each gearbox kind.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "driving_fixture.h"

namespace {

constexpr int Neutral = 1, FirstGear = 2;

class DrivingDrivetrainTest : public DrivingTest {
protected:
    // The car's built-in setup 0 with the rear differential of the given
    // kind.
    CarSetup SetupWithRearDiff(int index, int type, int preload, int locking)
    {
        OwnedCar probe;
        EXPECT_TRUE(Load(probe.car, index));
        CarSetup setup = *probe.car.data.setup;
        SetupAxle& rear = setup.axles[0];
        rear.diffType = static_cast<uint8_t>(type);
        rear.preload = static_cast<uint8_t>(preload);
        rear.powerLocking = rear.coastLocking = static_cast<uint8_t>(locking);
        rear.viscousTorque = 10;
        return setup;
    }

    // One step of a local car's gear selection, then the physics step.
    void StepWithGearSelection(CarObject& car)
    {
        car.step.settleCounter = 100;  // settled: the stopped-car watch allows shifting
        SelectGear(car);
        Step();
    }
};

// A rear-driven car pulls away in first gear at part throttle with its left
// wheels on a strip of no grip (surface kind 13) and its right wheels on
// tarmac. Every step the two rear wheels' drive torques add up to the axle
// torque, eta x clutch torque x total ratio, and split as the kind says:
// open, both alike (so the free wheel spins up); locked, one speed;
// viscous, the slower wheel gets 2 x factor x the speed gap more; clutch
// pack, the slower wheel gets 2 (D x locking % + 5 x preload) more, D half
// the axle torque, the preload's share held to what would equalise the
// wheels within the sub-step.
TEST_F(DrivingDrivetrainTest, AxleDifferentialsConserveAndSplitTheTorque)
{
    struct Case {
        const char* what;
        int type, preload, locking;
    } cases[] = {
        {"open", 0, 0, 10},
        {"locked", 1, 0, 10},
        {"viscous", 2, 0, 10},
        {"clutch pack", 3, 0, 40},
        {"clutch pack with preload", 3, 4, 40},
    };
    ground.splitKind = NoSurfaceKind;
    ground.splitX = 0;
    int place = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const int index = FindCarByCode("JB4");  // rear drive, no forced open differentials
        CarSetup setup = SetupWithRearDiff(index, c.type, c.preload, c.locking);
        CarObject* placed = Place(index, 0, 100.0 * place++, 0, &setup);
        ASSERT_TRUE(placed);
        CarObject& car = *placed;
        ASSERT_EQ(car.data.setup->axles[0].diffType, c.type);
        Step(40);
        Roll(car, 2);
        EngageGear(car, FirstGear, 2, 0.6f);
        Wheel& left = *car.axles[0].leftWheel;
        Wheel& right = *car.axles[0].rightWheel;
        ASSERT_TRUE(left.driven && right.driven);
        for (int s = 0; s < 30; s++) {
            Step();
            ASSERT_EQ(left.surfaceKind, NoSurfaceKind);
            ASSERT_EQ(right.surfaceKind, 0);
            const double axle = car.tuning.driveEfficiency * car.engine.clutchTorque * car.step.totalRatio;
            const double tl = left.driveTorque, tr = right.driveTorque;
            EXPECT_NEAR(tl + tr, axle, 1e-4 * std::fabs(axle) + 1e-3);
            const double d = 0.5 * axle;
            const bool leftFaster = left.spinRate > right.spinRate;
            const double slower = leftFaster ? tr : tl, faster = leftFaster ? tl : tr;
            const double gap = std::fabs(left.spinRate - right.spinRate);
            switch (c.type) {
            case 0: EXPECT_NEAR(tl, tr, 1e-6 * std::fabs(d) + 1e-6); break;
            case 1: EXPECT_NEAR(left.spinRate, right.spinRate, 1e-4); break;
            case 2:
                // The speeds are read after the step's last tyre update, one
                // sub-step after the split used them.
                EXPECT_NEAR(slower - faster, 2 * 10 * gap, 0.05 * 2 * 10 * gap + 2);
                break;
            case 3: {
                double e = (d >= 0 ? d * c.locking * 0.01 : -d * c.locking * 0.01);
                if (c.preload == 0) {
                    EXPECT_NEAR(slower - faster, 2 * e, 1e-3 * std::fabs(2 * e) + 1e-2);
                } else {
                    // The preload adds 5 N m a unit, but never more than would
                    // bring the wheels together within the sub-step:
                    // gap x I_faster x 0.5 / dt (the gap read a sub-step late).
                    const Wheel& fast = leftFaster ? left : right;
                    const double equalising = gap * fast.wheelInertia * 0.5 / (0.05 * PhysicsStepSeconds);
                    e += 5 * c.preload;
                    if (equalising > 1.2 * e) {
                        EXPECT_NEAR(slower - faster, 2 * e, 1e-3 * std::fabs(2 * e) + 1e-2);
                    } else {
                        EXPECT_GE(slower - faster, -1e-2);
                        EXPECT_LE(slower - faster, 2 * e + 1e-2);
                    }
                }
                break;
            }
            }
        }
        EXPECT_GT(std::fabs(car.engine.clutchTorque), 10) << "no drive reached the axle";
        if (c.type == 0) {
            EXPECT_GT(left.spinRate, right.spinRate + 5) << "the wheel without grip did not spin up";
        }
    }
}

// Full throttle from 5 m/s in first gear with the automatic gearbox: the
// gears only go up; each change up is chosen with the engine beyond its
// speed of maximum power; two changes up are at least the 100 steps of
// the automatic gearbox's delay apart; no change up is chosen while a
// driven wheel slips beyond its curve's slip; by 8 s the car is in third
// gear or higher.
TEST_F(DrivingDrivetrainTest, AutomaticGearboxChangesUpAtPeakPower)
{
    CarObject* placed = Place(FindCarByCode("WQG"));  // H-pattern box: shifts through neutral
    ASSERT_TRUE(placed);
    CarObject& car = *placed;
    Step(40);
    WarmTyres(car);
    Roll(car, 5);
    EngageGear(car, FirstGear, 5, 1);
    ApplyPlayerAids(car, 8);  // automatic gears (with throttle cut, blip and clutch on this box)
    ASSERT_TRUE(car.tuning.autoGears && car.tuning.autoClutch);
    int highest = FirstGear, lastUpshift = -1000, upshifts = 0;
    int target = car.step.gearTarget;
    for (int s = 0; s < 800; s++) {
        const float engineSpeed = std::fmax(car.engine.speed, GetEngineSpeedFromWheels(car));
        bool slipping = false;
        for (int k = 0; k < car.wheelCount; k++) {
            const Wheel& w = car.wheels[k];
            slipping = slipping || (w.driven && w.combinedSlip > w.curveSlip);
        }
        car.inputs.words[1] = 65535;
        StepWithGearSelection(car);
        if (car.step.gearTarget > target) {
            SCOPED_TRACE(s);
            EXPECT_EQ(car.step.gearTarget, target + 1);
            EXPECT_GT(engineSpeed, car.engine.maxPowerSpeed);
            EXPECT_FALSE(slipping);
            EXPECT_GE(s - lastUpshift, 100);
            lastUpshift = s;
            upshifts++;
        }
        EXPECT_GE(car.step.gearTarget, target) << "changed down under full throttle at step " << s;
        target = car.step.gearTarget;
        if (car.step.gear != Neutral)
            highest = std::max(highest, car.step.gear);
        EXPECT_TRUE(car.step.gear == Neutral || car.step.gear >= highest) << s;
    }
    EXPECT_GE(upshifts, 2);
    EXPECT_GE(car.step.gear, FirstGear + 2);
    EXPECT_LT(car.engine.speed, car.engine.maxSpeed);
}

// The shift words on a driving car, by gearbox kind.
TEST_F(DrivingDrivetrainTest, ShiftWordsFollowTheGearboxKind)
{
    // H pattern (kind 1), no aids: shift up held with the clutch out selects
    // second but does not engage it; pressing the clutch engages it; holding
    // the word on changes no further gear.
    {
        CarObject* placed = Place(FindCarByCode("WQG"));
        ASSERT_TRUE(placed);
        CarObject& car = *placed;
        ASSERT_EQ(car.data.gearboxKind, 1);
        Step(40);
        Roll(car, 6);
        EngageGear(car, FirstGear, 6, 0.2f);
        car.inputs.words[3] = 1;
        for (int s = 0; s < 20; s++)
            StepWithGearSelection(car);
        EXPECT_EQ(car.step.gear, FirstGear);
        EXPECT_EQ(car.step.gearTarget, FirstGear + 1);
        car.inputs.words[11] = 65535;
        for (int s = 0; s < 20; s++)
            StepWithGearSelection(car);
        EXPECT_EQ(car.step.gear, FirstGear + 1);
        car.inputs.words[3] = 0;
        StepWithGearSelection(car);
        car.inputs.words[3] = 1;
        StepWithGearSelection(car);
        EXPECT_EQ(car.step.gearTarget, FirstGear + 2) << "released and pressed again: the next gear";
    }
    // Sequential boxes, second to third at full throttle: the change waits
    // until the clutch's torque is below 0.3 x the engine's maximum torque.
    // Kind 3 without aids waits until the throttle is lifted; kind 4 cuts
    // the ignition and kind 5 (throttle cut always on) cuts the throttle, so
    // both change within their 0.1 s and 0.05 s cuts with the pedal down.
    struct Sequential {
        const char* code;
        int kind;
        bool changesUnderLoad;
    } boxes[] = {{"KTA", 3, false}, {"GEX", 4, true}, {"NQ1", 5, true}};
    for (const Sequential& box : boxes) {
        SCOPED_TRACE(box.code);
        CarObject* placed = Place(FindCarByCode(box.code), 100 + 50 * box.kind);
        ASSERT_TRUE(placed);
        CarObject& car = *placed;
        ASSERT_EQ(car.data.gearboxKind, box.kind);
        Step(40);
        WarmTyres(car);
        Roll(car, 20);
        EngageGear(car, FirstGear + 1, 20, 1);
        ApplyPlayerAids(car, 0);
        Step(10);
        ASSERT_GE(std::fabs(car.engine.clutchTorque), 0.3f * car.engine.maxTorque) << "not under load";
        car.inputs.words[3] = 1;
        int changedAt = -1;
        for (int s = 0; s < 40 && changedAt < 0; s++) {
            if (s == 15)
                car.inputs.words[1] = 0;  // lift
            const float torque = std::fabs(car.engine.clutchTorque);
            StepWithGearSelection(car);
            if (car.step.gear == FirstGear + 2) {
                changedAt = s;
                EXPECT_LT(torque, 0.3f * car.engine.maxTorque);
            } else {
                EXPECT_EQ(car.step.gear, FirstGear + 1);
            }
        }
        ASSERT_GE(changedAt, 0) << "the change never came";
        if (box.changesUnderLoad) {
            EXPECT_LT(changedAt, 15) << "waited for the lift";
        } else {
            EXPECT_GE(changedAt, 15) << "changed under full load";
        }
        // Down from neutral is reverse.
        car.inputs.words[3] = 0;
        StepWithGearSelection(car);
        car.step.gear = car.step.gearTarget = Neutral;
        car.inputs.words[4] = 1;
        StepWithGearSelection(car);
        EXPECT_EQ(car.step.gearTarget, 0);
    }
    // Motorbike box (kind 2): neutral lies between first and second; shift
    // up from first below 2 m/s selects neutral, above it second gear.
    for (double v : {1.0, 3.0}) {
        SCOPED_TRACE(v);
        CarObject* placed = Place(FindCarByCode("YAS"), 200 + 20 * v);
        ASSERT_TRUE(placed);
        CarObject& car = *placed;
        ASSERT_EQ(car.data.gearboxKind, 2);
        Step(40);
        Roll(car, v);
        EngageGear(car, FirstGear, v, 0.1f);
        Step();
        car.inputs.words[3] = 1;
        StepWithGearSelection(car);
        EXPECT_EQ(car.step.gearTarget, v < 2 ? Neutral : FirstGear + 1);
    }
}

// Every change up completes, on every gearbox kind, from every forward gear
// below the last, with the engine just past its peak power and at its limit:
// full throttle, the automatic clutch and gears on (with the cuts each kind
// takes), the change asked by the shift word. A cut or closed engine at
// high speed brakes through the clutch with more than the 0.3 x maximum
// torque that the change waits for; the change must not wait for ever.
TEST_F(DrivingDrivetrainTest, EveryUpshiftCompletesAtEveryGearUpToTheRevLimit)
{
    struct Box {
        const char* code;
        int kind;
    } boxes[] = {{"WQG", 1}, {"YAS", 2}, {"KTA", 3}, {"GEX", 4}, {"NQ1", 5}};
    const double engineSpeeds[] = {1.02, 0.995};  // of the peak power speed, of the limit
    int placed = 0;
    for (const Box& box : boxes) {
        OwnedCar probe;
        ASSERT_TRUE(Load(probe.car, FindCarByCode(box.code)));
        ASSERT_EQ(probe.car.data.gearboxKind, box.kind) << box.code;
        for (int gear = FirstGear; gear < probe.car.data.gearCount - 1; gear++) {
            for (int k = 0; k < 2; k++) {
                SCOPED_TRACE(testing::Message() << box.code << " gear " << gear - 1 << (k ? " at the limit" : " past peak power"));
                CarObject* car = Place(FindCarByCode(box.code), 60.0 * placed++);
                ASSERT_TRUE(car);
                Step(40);
                WarmTyres(*car);
                const double w = k ? engineSpeeds[k] * car->engine.maxSpeed : engineSpeeds[k] * car->engine.maxPowerSpeed;
                const double v = w * DrivenTyreRadius(*car) / (car->tuning.gearRatios[gear] * car->tuning.finalDrive);
                Roll(*car, v);
                car->step.speed = static_cast<float>(v);  // the motorbike box reads it for first to second
                EngageGear(*car, gear, v, 1);
                ApplyPlayerAids(*car, PlayerAidAutoGears | PlayerAidAutoClutch);
                car->inputs.words[3] = 1;
                int engagedAt = -1;
                for (int s = 0; s < 50 && engagedAt < 0; s++) {
                    StepWithGearSelection(*car);
                    if (car->step.gear == gear + 1)
                        engagedAt = s;
                }
                EXPECT_GE(engagedAt, 0) << "the change never came: gear " << car->step.gear - 1 << ", engine "
                                        << car->engine.speed << " rad/s, clutch torque " << car->engine.clutchTorque;
            }
        }
    }
}

// A car's own steps settle it: for the 100 steps after its reset its gear
// selection does nothing, then the shift word acts. Settled and standing,
// it is marked stopped; rolling above 1 m/s it moves again, and it stops
// again once it is slower than 0.6 m/s.
TEST_F(DrivingDrivetrainTest, TheCarsOwnStepsSettleItAndMarkItStopped)
{
    CarObject* placed = Place(FindCarByCode("KTA"));
    ASSERT_TRUE(placed);
    CarObject& car = *placed;
    car.inputs.words[3] = 1;  // shift up held from the start
    for (int s = 0; s < 99; s++) {
        Step();
        SelectGear(car);
    }
    EXPECT_EQ(car.step.settleCounter, 99);
    EXPECT_EQ(car.step.gearTarget, Neutral) << "a gear was chosen before the car settled";
    EXPECT_EQ(car.race.stopped, 0);
    Step(2);
    SelectGear(car);
    EXPECT_EQ(car.step.gearTarget, FirstGear);
    EXPECT_EQ(car.race.stopped, 1) << "a settled car standing still is stopped";
    EXPECT_EQ(car.race.stopStep, car.step.activityStep);

    car.inputs.words[3] = 0;
    Roll(car, 3);
    Step(2);  // the step reads the speed of the step before
    EXPECT_EQ(car.race.stopped, 0);
    car.inputs.words[2] = 65535;  // brake to a stop
    int stoppedAt = -1;
    for (int s = 0; s < 300 && stoppedAt < 0; s++) {
        const double before = car.step.speed;
        Step();
        if (car.race.stopped) {
            stoppedAt = s;
            EXPECT_LT(car.step.speed, 0.6);
            EXPECT_GE(before, 0.6 - 0.2) << "stopped well before it slowed to 0.6 m/s";
        }
    }
    EXPECT_GE(stoppedAt, 0) << "a braked car never came to a stop";
}

// A lost car stops where it is and takes no steps until it is reset; the
// reset brings it back to life.
TEST_F(DrivingDrivetrainTest, ALostCarStopsAndWaitsForItsReset)
{
    CarObject* placed = Place(FindCarByCode("JB4"));
    ASSERT_TRUE(placed);
    CarObject& car = *placed;
    Step(20);
    Roll(car, 30);
    Step();
    MarkCarLost(car);
    EXPECT_EQ(car.step.lost, 1);
    EXPECT_EQ(car.step.speed, 0);
    EXPECT_TRUE(car.velocity == Vec3{});
    EXPECT_TRUE(car.angularMomentum == Vec3{});
    const FixedVector where = car.position;
    for (int s = 0; s < 10; s++)
        UpdatePhysicsObjects(set, 0);
    EXPECT_TRUE(car.position == where) << "a lost car moved";
    ResetCar(car, 0, 0, 1);
    EXPECT_EQ(car.step.lost, 0);
}

} // namespace
