// The rubber a car lays on the node it drives over, on a straight road of
// fakes: the band follows the car's track and weight, its edges widen fast
// and narrow slowly, it darkens with the tyres' slip, and a car far off the
// road lays nothing. The expected values are worked out by hand from the
// laying rule at the default "Rubber Lay" of 0.6.
#include <gtest/gtest.h>

#include <array>

#include "vehicle/local.h"

namespace {

constexpr int Node = 3;
constexpr float Limit = 5;  // m each side: the node's outer limits

// The node's band as the world keeps it, and how often it was written.
struct FakeNode {
    NodeRubber rubber;
    int writes = 0;
};
FakeNode Stored;

void InstallStraightRoad()
{
    Stored = {};
    CarTimingHooks timing = GetCarTimingHooks();
    timing.pathNodeRoad = [](int node, RoadPlace& road) {
        road = {};
        road.direction = {0, 1, 0};
        road.leftEdge = -3;
        road.rightEdge = 3;
        road.leftLimit = -Limit;
        road.rightLimit = Limit;
        return node == Node;
    };
    SetCarTimingHooks(timing);
    CarPathHooks path = GetCarPathHooks();
    path.readNodeRubber = [](int node, NodeRubber& rubber) {
        rubber = Stored.rubber;
        return node == Node;
    };
    path.writeNodeRubber = [](int, const NodeRubber& rubber) {
        Stored.rubber = rubber;
        Stored.writes++;
    };
    SetCarPathHooks(path);
}

struct LayCase {
    const char* name;
    float offset;             // m, the car across the road
    float leftLoad, rightLoad;  // each wheel's load as a share of the car's weight
    float leftSlip, rightSlip;  // each wheel's slip over its peak slip
    bool lays;
    std::array<float, 3> offsets, intensities;
};

// Half width 1 m, mass 1000 kg. Centre target = offset + (right load share
// - left load share) x half width, moved by 0.03 of the gap; an edge
// target = offset -/+ 1 kept within the limits, moved by 0.06 of the gap
// when it widens the band, 0.015 when it narrows it; intensities move by
// 0.03 towards left slip^2, their sum, right slip^2.
const LayCase Cases[] = {
    {"right of centre, weight to the right", 2.0f, 0.2f, 0.3f, 0.5f, 1.0f, true,
     {-0.97f, 0.066f, 1.12f}, {0.0075f, 0.0375f, 0.03f}},
    {"near the limit: the edge stops at it; slip beyond the peak counts as 1", 4.5f, 0.25f, 0.25f, 2.0f, 2.0f, true,
     {-0.9325f, 0.135f, 1.24f}, {0.03f, 0.06f, 0.03f}},
    {"left of centre, rolling without slip", -1.5f, 0.25f, 0.25f, 0.0f, 0.0f, true,
     {-1.09f, -0.045f, 0.9775f}, {0.0f, 0.0f, 0.0f}},
    {"just within twice its half width outside the limit", 6.9f, 0.25f, 0.25f, 0.0f, 0.0f, true,
     {-0.91f, 0.207f, 1.24f}, {0.0f, 0.0f, 0.0f}},
    {"further outside: no rubber", 7.1f, 0.25f, 0.25f, 1.0f, 1.0f, false,
     {-1.0f, 0.0f, 1.0f}, {0.0f, 0.0f, 0.0f}},
};

class RubberLayingTest : public ::testing::TestWithParam<LayCase> {
protected:
    void SetUp() override
    {
        ResetVehicleTables();
        InstallStraightRoad();
        ConstructCar(car);
        car.mass = 1000;
        car.tuning.largerHalfWidth = 1;
        EditSettings([](SettingsRecord& s) { s.rubberLay = 0.6f; });
    }
    void TearDown() override
    {
        car.wheels = nullptr;
        car.wheelCount = 0;
        DestroyCar(car);
        ResetVehicleTables();
        SetSettings(SettingsRecord{});
    }
    // Four wheels, two each side, with the case's loads and slips.
    void FitWheels(const LayCase& c)
    {
        for (int i = 0; i < 4; i++) {
            Wheel& wheel = wheels[size_t(i)];
            const bool left = i % 2 == 0;
            wheel.side = left ? -1.0f : 1.0f;
            wheel.load = (left ? c.leftLoad : c.rightLoad) * car.mass * 9.81f;
            wheel.peakSlip = 0.1f;
            wheel.slipDisplay = (left ? c.leftSlip : c.rightSlip) * wheel.peakSlip;
        }
        car.wheels = wheels.data();
        car.wheelCount = 4;
    }
    CarObject car;
    std::array<Wheel, 4> wheels{};
};

} // namespace

TEST_P(RubberLayingTest, BandMovesTowardsTheTyresWork)
{
    const LayCase& c = GetParam();
    FitWheels(c);
    car.step.lateralOffset = c.offset;
    LayRubberOnPathNode(car, Node);
    EXPECT_EQ(Stored.writes, c.lays ? 1 : 0);
    for (int k = 0; k < 3; k++) {
        EXPECT_NEAR(Stored.rubber.offset[k], c.offsets[size_t(k)], 1e-5f) << "point " << k;
        EXPECT_NEAR(Stored.rubber.intensity[k], c.intensities[size_t(k)], 1e-6f) << "point " << k;
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, RubberLayingTest, ::testing::ValuesIn(Cases),
                         [](const auto& info) { return "Case" + std::to_string(info.index); });

// Driven over again and again, the band settles on the car's track and
// darkens towards the slip's squares, never past them.
TEST_F(RubberLayingTest, RepeatedPassesSettleOnTheCarsTrack)
{
    const LayCase steady{"", 2.0f, 0.25f, 0.25f, 0.5f, 0.5f, true, {}, {}};
    FitWheels(steady);
    car.step.lateralOffset = steady.offset;
    for (int pass = 0; pass < 2000; pass++)
        LayRubberOnPathNode(car, Node);
    EXPECT_NEAR(Stored.rubber.offset[0], 1.0f, 1e-3f);
    EXPECT_NEAR(Stored.rubber.offset[1], 2.0f, 1e-3f);
    EXPECT_NEAR(Stored.rubber.offset[2], 3.0f, 1e-3f);
    EXPECT_NEAR(Stored.rubber.intensity[0], 0.25f, 1e-3f);
    EXPECT_NEAR(Stored.rubber.intensity[1], 0.5f, 1e-3f);
    EXPECT_NEAR(Stored.rubber.intensity[2], 0.25f, 1e-3f);
}

// A node the path does not have is left alone.
TEST_F(RubberLayingTest, NodeOffThePathIsLeftAlone)
{
    car.step.lateralOffset = 0;
    LayRubberOnPathNode(car, Node + 1);
    EXPECT_EQ(Stored.writes, 0);
}
