// Gear changes: the shift words' latches per gearbox kind, the H-shifter
// through neutral until the revs match, sequential boxes waiting for the
// drive to unload, the automatic gearbox's choice and the durations.
#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "physics_fixture.h"

namespace {

// A rear-driven car with a seven-index gearbox (reverse, neutral, five
// forward gears), its wheels on the ground, settled and at rest.
struct GearCar {
    CarObject car;
    GearCar(int kind, int gear)
    {
        ConstructCar(car);
        car.engine.maxSpeed = 1000;  // rad/s, the rev limit, well above the power peak
        SetUpEngine(car.engine, CarClassTable[1]);
        car.data.gearboxKind = kind;
        car.data.gearCount = 7;
        const float ratios[7] = {3.0f, 0, 3.0f, 2.0f, 1.5f, 1.2f, 1.0f};
        for (int g = 0; g < 7; g++)
            car.tuning.gearRatios[g] = ratios[g];
        car.tuning.finalDrive = 4;
        car.step.gear = car.step.gearTarget = gear;
        car.step.settleCounter = 100;
        car.wheelCount = 4;
        car.wheels = new Wheel[4];
        for (int i = 0; i < 4; i++) {
            Wheel& w = car.wheels[i];
            InitWheel(w);
            w.axleIndex = i < 2 ? 0 : 1;
            w.driven = i < 2 ? 1 : 0;
            w.touching = 1;
        }
        car.tuning.driveAxles = 1;
        car.tuning.drivenWheels = 2;
        car.tuning.torqueShare[0] = car.tuning.torqueShare[1] = 1;
        car.axles[0].tyreRadius = car.axles[1].tyreRadius = 0.3f;
        SetShiftTimings(car);
    }
    ~GearCar() { DestroyCar(car); }
    GearCar(const GearCar&) = delete;
    GearCar& operator=(const GearCar&) = delete;

    void Step(int up, int down, uint16_t shifter = NoHShifterGear)
    {
        car.inputs.words[3] = static_cast<uint16_t>(up);
        car.inputs.words[4] = static_cast<uint16_t>(down);
        car.inputs.words[14] = shifter;
        SelectGear(car);
    }
    // The engine speed the rear wheels give in gear g, as a factor of the
    // engine's speed.
    void SetWheelsToRevs(int g, float factor)
    {
        const float spin = car.engine.speed * factor / (car.tuning.gearRatios[g] * car.tuning.finalDrive);
        car.wheels[0].spinRate = car.wheels[1].spinRate = spin;
    }
};

class GearTest : public PhysicsTest {};

struct WordCase {
    const char* name;
    int kind;
    int startGear;
    float speed;     // m/s
    float clutch;    // 0 engaged .. 1 pressed
    int settle;
    std::vector<std::pair<int, int>> steps;  // shift up, shift down words
    std::vector<int> gears;                  // the gear after each step
};

TEST_F(GearTest, ShiftWordsActOnceByGearboxKind)
{
    const WordCase cases[] = {
        {"held up word changes one gear, a new press the next", 3, 2, 10, 0, 100,
         {{1, 0}, {1, 0}, {1, 0}, {0, 0}, {1, 0}}, {3, 3, 3, 3, 4}},
        {"sequential down from neutral selects reverse", 3, 1, 0, 0, 100, {{0, 1}, {0, 0}, {0, 1}}, {0, 0, 0}},
        {"up stops at the last gear", 5, 6, 50, 0, 100, {{1, 0}}, {6}},
        {"both words together change nothing", 3, 3, 10, 0, 100, {{1, 1}, {1, 1}, {0, 0}, {0, 1}}, {3, 3, 3, 2}},
        {"motorbike: up from first at 1 m/s selects neutral", 2, 2, 1, 0, 100, {{1, 0}}, {1}},
        {"motorbike: up from first at 3 m/s selects second", 2, 2, 3, 0, 100, {{1, 0}}, {3}},
        {"motorbike: down from reverse, neutral and first", 2, 0, 0, 0, 100,
         {{0, 1}, {0, 0}, {0, 1}, {0, 0}, {0, 1}}, {1, 1, 2, 2, 2}},
        {"motorbike: up from neutral stays in neutral", 2, 1, 5, 0, 100, {{1, 0}}, {1}},
        {"H-pattern by the words waits for the clutch; release cancels", 1, 3, 10, 0, 100,
         {{1, 0}, {1, 0}, {0, 0}, {0, 0}}, {3, 3, 3, 3}},
        {"H-pattern by the words with the clutch pressed", 1, 3, 10, 1, 100, {{1, 0}, {0, 0}, {0, 1}}, {4, 4, 3}},
        {"letting go of up as down is pressed keeps the down request", 3, 3, 10, 0, 100, {{1, 0}, {0, 1}}, {4, 3}},
        {"nothing before the car has settled", 3, 2, 10, 0, 99, {{1, 0}, {0, 0}}, {2, 2}},
    };
    for (const WordCase& c : cases) {
        SCOPED_TRACE(c.name);
        GearCar g(c.kind, c.startGear);
        g.car.step.speed = c.speed;
        g.car.engine.clutchPedal = c.clutch;
        g.car.step.settleCounter = static_cast<uint8_t>(c.settle);
        for (size_t i = 0; i < c.steps.size(); i++) {
            g.Step(c.steps[i].first, c.steps[i].second);
            EXPECT_EQ(g.car.step.gear, c.gears[i]) << "after step " << i;
        }
        EXPECT_EQ(g.car.step.gearTarget, g.car.step.gear);  // nothing left pending
    }
}

TEST_F(GearTest, HShifterWaitsInNeutralUntilTheRevsMatch)
{
    GearCar g(1, 3);
    g.car.tuning.throttleCut = 1;
    g.car.engine.speed = 500;
    g.SetWheelsToRevs(4, 1.03f);
    g.Step(0, 0, 4);  // second to third, clutch engaged
    EXPECT_EQ(g.car.step.gear, 1);
    EXPECT_EQ(g.car.step.waitForRevs, 1);
    g.Step(0, 0, 4);  // 3 % apart
    EXPECT_EQ(g.car.step.gear, 1);
    g.SetWheelsToRevs(4, 1.015f);
    g.Step(0, 0, 4);
    EXPECT_EQ(g.car.step.gear, 4);

    // Down to a forward gear blips the throttle on the way through neutral.
    g.car.tuning.blip = 1;
    g.Step(0, 0, 3);
    EXPECT_EQ(g.car.step.gear, 1);
    EXPECT_FLOAT_EQ(g.car.step.blipTimer, 0.2f);
    // With the clutch pressed the gear goes in whatever the revs.
    g.car.engine.clutchPedal = 1;
    g.Step(0, 0, 3);
    EXPECT_EQ(g.car.step.gear, 3);
}

// A sequential change up waits while the engine pulls through the clutch
// with 0.3 x its maximum torque or more, and engages once the pull falls
// below that, or once the drive turns to overrun: a cut engine at high
// speed brakes with more than the limit, and the change must still come.
TEST_F(GearTest, SequentialUpshiftWaitsForTheDriveToUnload)
{
    struct Case {
        int kind;
        uint8_t throttleCut;
        float throttleTimer, ignitionTimer;  // started by the first attempt
    } cases[] = {
        {2, 1, 0.1f, 0}, {3, 1, 0.1f, 0}, {4, 0, 0, 0.1f}, {5, 1, 0.05f, 0}, {3, 0, 0, 0},
    };
    const float unloaded[] = {0.29f, 0, -0.31f, -2};  // x the maximum torque
    for (const Case& c : cases) {
        for (float release : unloaded) {
            SCOPED_TRACE(testing::Message() << "kind " << c.kind << " cut " << int(c.throttleCut) << " then " << release);
            GearCar g(c.kind, 3);
            g.car.tuning.throttleCut = c.throttleCut;
            const float full = g.car.engine.maxTorque;
            ASSERT_GT(full, 0);
            g.car.engine.clutchTorque = 0.31f * full;
            g.Step(1, 0);
            EXPECT_EQ(g.car.step.gear, 3);
            EXPECT_EQ(g.car.step.gearTarget, 4);
            EXPECT_FLOAT_EQ(g.car.step.throttleCutTimer, c.throttleTimer);
            EXPECT_FLOAT_EQ(g.car.step.ignitionCutTimer, c.ignitionTimer);
            g.Step(1, 0);
            EXPECT_EQ(g.car.step.gear, 3) << "changed while the engine pulls";
            g.car.engine.clutchTorque = release * full;
            g.Step(1, 0);
            EXPECT_EQ(g.car.step.gear, 4);
        }
    }
}

// A change down waits for the torque either way: the blip drives the
// engine up to the lower gear's speed, and the gear engages once the
// clutch carries less than 0.3 x the maximum torque.
TEST_F(GearTest, SequentialDownshiftWaitsForTheTorqueEitherWay)
{
    GearCar g(4, 4);
    const float full = g.car.engine.maxTorque;
    g.car.engine.clutchTorque = -0.31f * full;
    g.Step(0, 1);
    EXPECT_EQ(g.car.step.gear, 4);
    EXPECT_EQ(g.car.step.gearTarget, 3);
    g.car.engine.clutchTorque = 0.31f * full;
    g.Step(0, 1);
    EXPECT_EQ(g.car.step.gear, 4);
    g.car.engine.clutchTorque = -0.29f * full;
    g.Step(0, 1);
    EXPECT_EQ(g.car.step.gear, 3);
}

TEST_F(GearTest, AutomaticGearboxChoice)
{
    struct Case {
        const char* name;
        int gear;
        float speedOfMax;   // w as a factor of the maximum engine speed (0: use w below)
        float speedOfPower; // w as a factor of the speed of maximum power
        float clutch, throttle;
        int slippingWheel;  // -1 none
        float slip;         // its combined slip (curve slip 1)
        int liftedWheel;    // -1 none
        int expected;
    } cases[] = {
        {"changes up from first near the limiter", 2, 0.995f, 0, 0, 1, -1, 0, -1, 2},
        {"not while a driven wheel slips beyond its curve", 2, 0.995f, 0, 0, 1, 0, 1.5f, -1, 0},
        {"a driven wheel just at its curve slip allows it", 2, 0.995f, 0, 0, 1, 1, 1.0f, -1, 2},
        {"not while a driven wheel is off the ground", 3, 0.995f, 0, 0, 1, -1, 0, 1, 0},
        {"an undriven wheel's slip does not matter", 2, 0.995f, 0, 0, 1, 2, 3.0f, 3, 2},
        {"not while the clutch slips", 2, 0.995f, 0, 0.1f, 1, -1, 0, -1, 0},
        {"never up from the last gear", 6, 0.995f, 0, 0, 1, -1, 0, -1, 0},
        {"neutral keeps", 1, 0.995f, 0, 0, 1, -1, 0, -1, 0},
        {"down where the lower gear gives more power", 4, 0, 0.6f, 0, 0.3f, -1, 0, -1, 1},
        {"never down from first", 2, 0, 0.6f, 0, 0.3f, -1, 0, -1, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        GearCar g(3, c.gear);
        EngineRecord& e = g.car.engine;
        ASSERT_LT(e.maxPowerSpeed, 0.99f * e.maxSpeed);
        e.clutchPedal = c.clutch;
        e.throttle = c.throttle;
        if (c.slippingWheel >= 0)
            g.car.wheels[c.slippingWheel].combinedSlip = c.slip;
        if (c.liftedWheel >= 0)
            g.car.wheels[c.liftedWheel].touching = 0;
        const float w = c.speedOfMax > 0 ? c.speedOfMax * e.maxSpeed : c.speedOfPower * e.maxPowerSpeed;
        EXPECT_EQ(ChooseAutoGear(g.car, w), c.expected);
    }

    // Stalling in a gear above first with the throttle open changes down,
    // even with the clutch pressed.
    GearCar g(3, 4);
    g.car.engine.clutchPedal = 0.8f;
    g.car.engine.throttle = 0.8f;
    EXPECT_EQ(ChooseAutoGear(g.car, 0.5f * g.car.engine.idleSpeed), 1);
    g.car.engine.throttle = 0.4f;
    EXPECT_EQ(ChooseAutoGear(g.car, 0.5f * g.car.engine.idleSpeed), 0);
}

TEST_F(GearTest, AutomaticGearsWaitAfterAChange)
{
    GearCar g(3, 2);
    g.car.tuning.autoGears = 8;
    EngineRecord& e = g.car.engine;
    e.speed = 0.995f * e.maxSpeed;
    g.Step(0, 0);
    EXPECT_EQ(g.car.step.gear, 3);
    EXPECT_EQ(g.car.step.autoShiftDelay, 100);
    // Still screaming, but the box holds the gear for 100 steps.
    for (int i = 0; i < 99; i++)
        g.Step(0, 0);
    EXPECT_EQ(g.car.step.gear, 3);
    g.Step(0, 0);
    EXPECT_EQ(g.car.step.gear, 4);
}

TEST_F(GearTest, ShiftTimingsByGearboxKind)
{
    const std::pair<int, float> cases[] = {{1, 0.2f}, {2, 0.1f}, {3, 0.1f}, {4, 0.1f}, {5, 0.05f}, {0, 0.7f}, {6, 0.7f}};
    for (const auto& [kind, seconds] : cases) {
        SCOPED_TRACE(kind);
        CarObject car;
        car.data.gearboxKind = kind;
        car.data.gearTimings[0] = car.data.gearTimings[1] = car.data.gearTimings[2] = 0.7f;
        SetShiftTimings(car);
        for (float t : car.data.gearTimings)
            EXPECT_FLOAT_EQ(t, seconds);
    }
}

TEST_F(GearTest, EngineSpeedFromWheels)
{
    GearCar g(3, 3);
    g.car.step.speed = 20;
    g.car.step.totalRatio = 8;
    EXPECT_FLOAT_EQ(GetEngineSpeedFromWheels(g.car), 20 * 8 / 0.3f);
    g.car.axles[0].tyreRadius = 0;  // no rear tyre: no reading, no division
    EXPECT_EQ(GetEngineSpeedFromWheels(g.car), 0);
}

TEST_F(GearTest, ShifterWordBeyondTheGearboxSelectsTheTopGear)
{
    // A recorded or received word may name a gear the car lacks.
    GearCar g(1, 1);
    g.car.engine.clutchPedal = 1;
    g.Step(0, 0, 200);
    EXPECT_EQ(g.car.step.gearTarget, 6);
    EXPECT_EQ(g.car.step.gear, 6);
}

TEST_F(GearTest, NeutralEngagesWithoutDrivenWheels)
{
    // A car without driven wheels has no wheel speed to match: the revs
    // must match 0, which a turning engine never does.
    GearCar g(3, 1);
    g.car.tuning.drivenWheels = 0;
    for (int i = 0; i < 4; i++)
        g.car.wheels[i].driven = 0;
    g.car.engine.speed = 300;
    g.Step(1, 0);
    EXPECT_EQ(g.car.step.gear, 1);
    g.car.engine.speed = 0.5f;
    g.Step(0, 0, 2);
    EXPECT_EQ(g.car.step.gear, 2);
}

} // namespace
