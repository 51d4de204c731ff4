// Two whole cars meeting on flat tarmac, each with the collision shell its
// body model's physics hull gives it: a car at 15 m/s runs into a parked
// car from behind, at an angle and alongside it. The struck car is pushed,
// the shells never sink far into each other and end apart, the pair gains
// no kinetic energy and, from behind, keeps its rolling momentum but for
// what drag and rolling resistance take from a car rolling alone.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "driving_fixture.h"

namespace {

constexpr double Pi = 3.14159265358979323846;

// A car's shell at its present pose: corners and face normals in world
// axes, and the directions of the faces' edges.
struct WorldShell {
    std::vector<Point3> corners;
    std::vector<Vec3> normals, edges;
};

WorldShell ShellOf(const CarObject& car)
{
    WorldShell shell;
    for (int i = 0; i < car.pointCount; i++)
        shell.corners.push_back(CarPointInWorld(car, car.points[i].local));
    for (int f = 0; f < car.faceCount; f++) {
        const BodyFace& face = car.faces[f];
        shell.normals.push_back(Rotate(car.rotation, face.localNormal));
        for (int e = 0; e < 3; e++)
            shell.edges.push_back(Rotate(car.rotation, face.corners[(e + 1) % 3]->local - face.corners[e]->local));
    }
    return shell;
}

// How far two convex shells sink into each other (m), by separating axes:
// the least overlap of their projections on every face normal of either
// and every cross product of an edge of each. Negative when apart (then a
// lower bound of the gap). Independent of the contact code, which tests
// points against faces.
double Penetration(const CarObject& a, const CarObject& b)
{
    const WorldShell sa = ShellOf(a), sb = ShellOf(b);
    std::vector<Vec3> axes = sa.normals;
    axes.insert(axes.end(), sb.normals.begin(), sb.normals.end());
    for (const Vec3& ea : sa.edges)
        for (const Vec3& eb : sb.edges)
            axes.push_back(Cross(ea, eb));
    double least = 1e9;
    for (const Vec3& axis : axes) {
        const double length = std::sqrt(double(axis.x) * axis.x + double(axis.y) * axis.y + double(axis.z) * axis.z);
        if (length < 1e-6)
            continue;
        auto span = [&](const std::vector<Point3>& corners, double& low, double& high) {
            low = 1e9;
            high = -1e9;
            for (const Point3& p : corners) {
                const double s = (p.x * axis.x + p.y * axis.y + p.z * axis.z) / length;
                low = std::fmin(low, s);
                high = std::fmax(high, s);
            }
        };
        double lowA, highA, lowB, highB;
        span(sa.corners, lowA, highA);
        span(sb.corners, lowB, highB);
        least = std::fmin(least, std::fmin(highA - lowB, highB - lowA));
    }
    return least;
}

// The car's momentum along a horizontal unit direction (x, y), its wheels'
// spin counted as the momentum it carries along the ground: the ground's
// push that spins a wheel up (I ω / r) is a force from outside the car.
double RollingMomentum(const CarObject& car, double x, double y)
{
    double p = car.mass * (car.velocity.x * x + car.velocity.y * y);
    const Vec3 up = CarUp(car), forward = CarForward(car);
    for (int k = 0; k < car.wheelCount; k++) {
        const Wheel& w = car.wheels[k];
        const double r = car.axles[w.axleIndex].tyreRadius;
        const double sign = Dot(Cross(up, Rotate(car.rotation, w.spinAxis)), forward) >= 0 ? 1 : -1;
        p += sign * w.wheelInertia * w.spinRate / r * (forward.x * x + forward.y * y);
    }
    return p;
}

double KineticEnergy(const CarObject& car) { return 0.5 * car.mass * LengthSquared(car.velocity); }

double Speed(const CarObject& car) { return std::sqrt(LengthSquared(car.velocity)); }

class CarCollisionTest : public DrivingTest {
protected:
    void TearDown() override
    {
        ClearCurrentObjectSet();
        DrivingTest::TearDown();
    }

    // The parked car at the origin heading +y and the moving car at (x, y)
    // heading as given, in one active set whose bodies meet each other,
    // settled on their tyres; then the moving car rolls at 15 m/s.
    bool PlaceBoth(double x, double y, double heading)
    {
        parked = Place(0, 0, 0, 0);
        moving = Place(0, x, y, static_cast<float>(heading));
        if (!parked || !moving)
            return false;
        set = {};
        AddToObjectSet(set, *moving);
        AddToObjectSet(set, *parked);
        SetCurrentObjectSet(&set);
        for (int i = 0; i < 50; i++)
            UpdatePhysicsObjects(set, 0);
        Roll(*moving, 15);
        return true;
    }

    CarObject* parked = nullptr;
    CarObject* moving = nullptr;
};

// Every car of the folder takes a convex shell with faces from its body
// model's hull: at most 24 points, each on or behind every face.
TEST_F(CarCollisionTest, EveryCarHasAClosedConvexShell)
{
    for (int index = 0; index < CarCount; index++) {
        SCOPED_TRACE(CarNameTable[index].code);
        OwnedCar owned;
        ASSERT_TRUE(Load(owned.car, index));
        const CarObject& car = owned.car;
        EXPECT_GE(car.pointCount, 4);
        EXPECT_LE(car.pointCount, 24);
        EXPECT_GE(car.faceCount, 4);
        for (int f = 0; f < car.faceCount; f++)
            for (int i = 0; i < car.pointCount; i++)
                EXPECT_LE(Dot(car.faces[f].localNormal, car.points[i].local - car.faces[f].corners[0]->local), 0.001f)
                    << "face " << f << ", point " << i;
    }
}

TEST_F(CarCollisionTest, ACarRunningIntoAParkedCarPushesItAndNeverPassesThrough)
{
    struct Case {
        const char* name;
        double x, y;        // the moving car's start (m)
        double heading;     // rad, left positive
        double pushedAtLeast;  // the parked car's speed afterwards (m/s)
        bool alongTheAxis;  // from behind: the pair keeps its rolling momentum
    } cases[] = {
        {"from behind", 0, -10, 0, 5, true},
        {"at an angle", 7, -7, Pi / 4, 3, false},
        {"alongside", -1.9, -5, -0.1, 0.3, false},
    };
    // A car at 15 m/s moves 15 cm a step, so a corner may be caught that
    // deep inside before its spring pushes back; deeper than this it would
    // be on its way through (the shells are about 1.7 m wide, 4 m long).
    constexpr double MostPenetration = 0.4;
    // Apart at the end, but for the contact springs' own give.
    constexpr double EndPenetration = 0.01;
    constexpr int Steps = 150;

    // What a car rolling alone loses over the same time (drag, rolling
    // resistance): the most the pair may lose from behind.
    double rollingLoss = 0;
    {
        CarObject* alone = Place(0, 0, -10, 0);
        ASSERT_NE(alone, nullptr);
        for (int i = 0; i < 50; i++)
            UpdatePhysicsObjects(set, 0);
        Roll(*alone, 15);
        const double before = RollingMomentum(*alone, 0, 1);
        for (int i = 0; i < Steps; i++)
            UpdatePhysicsObjects(set, 0);
        rollingLoss = before - RollingMomentum(*alone, 0, 1);
        ASSERT_GT(rollingLoss, 0);
        TearDown();
        SetUp();
    }

    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(PlaceBoth(c.x, c.y, c.heading));
        ASSERT_LT(Penetration(*moving, *parked), 0) << "the cars start apart";
        const Vec3 f = CarForward(*moving);
        const double hx = f.x / std::hypot(f.x, f.y), hy = f.y / std::hypot(f.x, f.y);
        const double energyBefore = KineticEnergy(*moving) + KineticEnergy(*parked);
        const double momentumBefore = RollingMomentum(*moving, hx, hy) + RollingMomentum(*parked, hx, hy);
        double deepest = -1e9;
        for (int step = 0; step < Steps; step++) {
            UpdatePhysicsObjects(set, 0);
            ASSERT_EQ(set.count, 2);
            deepest = std::fmax(deepest, Penetration(*moving, *parked));
        }
        EXPECT_GT(Speed(*parked), c.pushedAtLeast);
        EXPECT_GT(deepest, 0) << "the cars never touched";
        EXPECT_LT(deepest, MostPenetration);
        EXPECT_LT(Penetration(*moving, *parked), EndPenetration);
        EXPECT_LT(KineticEnergy(*moving) + KineticEnergy(*parked), energyBefore);
        if (c.alongTheAxis) {
            const double momentumAfter = RollingMomentum(*moving, hx, hy) + RollingMomentum(*parked, hx, hy);
            // Drag and rolling resistance take from both cars, each slower
            // than the one car alone: less than twice what it lost.
            EXPECT_GT(momentumAfter, momentumBefore - 2 * rollingLoss);
            EXPECT_LE(momentumAfter, momentumBefore);
            // From behind the cars stay in line: the moving car behind.
            EXPECT_LT(moving->position.y.raw, parked->position.y.raw);
        }
        TearDown();
        SetUp();
    }
}

} // namespace
