// A car put back on the road at a path node, checked against the geometry
// of a circular road: where across the road it is set and which way it
// faces at every offset.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "car_fixture.h"

namespace {

constexpr double Radius = 100;  // m, the centre line of the circular road
constexpr float Edge = 5, Limit = 9;  // m each side: the road's edges and outer limits

// The road at the angle theta of a circle about the origin, driven
// anticlockwise: the direction is the tangent, so the right of the road
// (positive offsets) is the outward radius.
RoadPlace CircleRoad(double theta)
{
    RoadPlace road;
    road.centre = {FixedFromMetres(Radius * std::cos(theta)), FixedFromMetres(Radius * std::sin(theta)), Fixed{}};
    road.direction = {float(-std::sin(theta)), float(std::cos(theta)), 0};
    road.leftEdge = -Edge;
    road.rightEdge = Edge;
    road.leftLimit = -Limit;
    road.rightLimit = Limit;
    return road;
}

// The forward axis of a car turned to the heading: the second column of its
// rotation about the vertical.
void ForwardOfHeading(float heading, double& x, double& y)
{
    x = -std::sin(double(heading));
    y = std::cos(double(heading));
}

} // namespace

// The car faces along the tangent on the centre line and turns towards the
// edge it is nearer: outwards on the right, inwards on the left, a quarter
// of pi at the road's edge and half of pi (straight along the radius) at the
// outer limit, never further.
TEST(PlacementHeadingTest, TurnsTowardsTheNearerEdgeAsTheCircleSays)
{
    const struct {
        float offset;
        double turn;  // rad from the tangent towards the outward radius
    } cases[] = {
        {0, 0},
        {2.5f, std::numbers::pi / 8},
        {5, std::numbers::pi / 4},
        {7, 3 * std::numbers::pi / 8},
        {9, std::numbers::pi / 2},
        {30, std::numbers::pi / 2},
        {-2.5f, -std::numbers::pi / 8},
        {-5, -std::numbers::pi / 4},
        {-9, -std::numbers::pi / 2},
    };
    for (double theta : {0.0, 0.7, 2.0, 3.1, -1.2, -2.9}) {
        const RoadPlace road = CircleRoad(theta);
        for (const auto& c : cases) {
            double x, y;
            ForwardOfHeading(GetPlacementHeading(road, c.offset), x, y);
            const double tangent = x * -std::sin(theta) + y * std::cos(theta);
            const double outward = x * std::cos(theta) + y * std::sin(theta);
            EXPECT_NEAR(tangent, std::cos(c.turn), 1e-6) << "theta " << theta << " offset " << c.offset;
            EXPECT_NEAR(outward, std::sin(c.turn), 1e-6) << "theta " << theta << " offset " << c.offset;
        }
    }
}

// A node whose outer limit lies on its edge, and an offset that is not a
// number, give a finite heading.
TEST(PlacementHeadingTest, DegenerateNodesAndOffsetsGiveAFiniteHeading)
{
    RoadPlace road = CircleRoad(0.3);
    road.rightLimit = road.rightEdge;
    EXPECT_NEAR(GetPlacementHeading(road, 6), 0.3 - std::numbers::pi / 2, 1e-6);
    EXPECT_NEAR(GetPlacementHeading(road, NAN), 0.3, 1e-6);
    road.rightEdge = road.rightLimit = 0;
    EXPECT_TRUE(std::isfinite(GetPlacementHeading(road, 0)));
}

class PlaceCarOnPathNodeTest : public CarTest {};

// The car is set at its offset across the node (kept while the whole car
// fits within the outer limits, brought inside them otherwise), faces the
// placement heading, is reset with its engine idling.
TEST_F(PlaceCarOnPathNodeTest, SetsTheCarOnTheCircleAtItsOffset)
{
    OwnedCar owned;
    ASSERT_TRUE(Load(owned.car, 0));
    CarObject& car = owned.car;
    const float half = car.tuning.largerHalfWidth;
    ASSERT_GT(half, 0.5f);
    const double theta = 0.7;
    const RoadPlace road = CircleRoad(theta);
    const struct {
        float offset, placed;
    } cases[] = {
        {2, 2},
        {-Edge + 0.2f, -Edge + 0.2f},
        {Edge + 1, Edge + 1},
        {15, Limit - half},
        {-40, -Limit + half},
        {NAN, -Limit + half},
    };
    for (const auto& c : cases) {
        car.step.lateralOffset = c.offset;
        car.engine.running = 0;
        car.engine.speed = 0;
        car.velocity = {3, 4, 0};
        PlaceCarOnPathNode(car, road);
        const Vec3 at = OffsetFromFixed(car.position);
        const double radius = std::sqrt(double(at.x) * at.x + double(at.y) * at.y);
        EXPECT_NEAR(radius, Radius + c.placed, 1e-3) << c.offset;
        EXPECT_NEAR(std::atan2(at.y, at.x), theta, 1e-5) << c.offset;
        double x, y;
        ForwardOfHeading(GetPlacementHeading(road, c.placed), x, y);
        EXPECT_NEAR(car.rotation.m[1], x, 1e-3) << c.offset;
        EXPECT_NEAR(car.rotation.m[4], y, 1e-3) << c.offset;
        EXPECT_EQ(car.velocity, Vec3{}) << c.offset;
        EXPECT_EQ(car.engine.running, 1);
        EXPECT_EQ(car.engine.speed, car.engine.idleSpeed);
    }
}
