// A generated car on the generated sites, on the road's own contacts: a
// whole lap of every racing configuration under a path-following driver,
// inside the path's limits and never touching a wall; a car steered off the
// road meets grass and gravel and slows on them; a car driven into a wall at
// 30 m/s stops at it. Floating-point traps are on, so a NaN fails where it
// is made.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "site_fixture.h"

namespace {

using namespace sites;

constexpr double Gravity = 9.81;

// The car's axes in the world: the rotation's columns.
void Axes(const CarObject& car, double forward[2], double right[2])
{
    const float* m = car.rotation.m;
    forward[0] = m[1];
    forward[1] = m[4];
    right[0] = m[0];
    right[1] = m[3];
}

// The car rolls along its forward axis at v (m/s): the body and every
// wheel turning as its tyre rolls forward.
void Roll(CarObject& car, double v)
{
    const float* m = car.rotation.m;
    const Vec3 forward{m[1], m[4], m[7]}, up{m[2], m[5], m[8]};
    car.velocity = {float(v * forward.x), float(v * forward.y), float(v * forward.z)};
    car.angularMomentum = {};
    for (int k = 0; k < car.wheelCount; k++) {
        Wheel& w = car.wheels[k];
        const Vec3& a = w.spinAxis;
        const Vec3 axis{m[0] * a.x + m[1] * a.y + m[2] * a.z, m[3] * a.x + m[4] * a.y + m[5] * a.z,
                        m[6] * a.x + m[7] * a.y + m[8] * a.z};
        const Vec3 rolling{up.y * axis.z - up.z * axis.y, up.z * axis.x - up.x * axis.z, up.x * axis.y - up.y * axis.x};
        const double sign = rolling.x * forward.x + rolling.y * forward.y + rolling.z * forward.z >= 0 ? 1 : -1;
        w.spinRate = static_cast<float>(sign * v / car.axles[w.axleIndex].tyreRadius);
    }
}

uint16_t Pedal(double fraction) { return static_cast<uint16_t>(std::lround(65535 * std::clamp(fraction, 0.0, 1.0))); }

// A driver of the tests: pure pursuit of a point on the path ahead, and a
// speed that every corner ahead allows with the braking it takes to get
// there.
class PathDriver {
public:
    PathDriver(const Path& path, bool closed, double lateral, double braking) : path(path), closed(closed)
    {
        const int n = path.nodeCount;
        allowed.assign(size_t(n), TopSpeed);
        for (int i = 0; i < n; i++) {
            if (!closed && (i < 2 || i >= n - 2))
                continue;
            const PathNode& a = Node(i - 2);
            const PathNode& b = Node(i);
            const PathNode& c = Node(i + 2);
            const double ab = Distance(a, b), bc = Distance(b, c), ca = Distance(c, a);
            const double cross = std::fabs((b.centre.x.raw - a.centre.x.raw) / 65536.0 * (c.centre.y.raw - a.centre.y.raw) / 65536.0 -
                                           (b.centre.y.raw - a.centre.y.raw) / 65536.0 * (c.centre.x.raw - a.centre.x.raw) / 65536.0);
            const double radius = cross > 1e-9 ? ab * bc * ca / (2 * cross) : 1e9;
            allowed[size_t(i)] = std::min(TopSpeed, std::sqrt(lateral * radius));
        }
        // Braking back from every corner, twice round for a closed loop.
        for (int pass = 0; pass < (closed ? 2 : 1); pass++)
            for (int i = n - 2; i >= -1; i--) {
                const int j = (i + n) % n, next = (i + 1 + n) % n;
                if (!closed && i < 0)
                    break;
                allowed[size_t(j)] = std::min(allowed[size_t(j)],
                                              std::sqrt(allowed[size_t(next)] * allowed[size_t(next)] +
                                                        2 * braking * Distance(Node(j), Node(next))));
            }
    }

    // Finds the car's node, then sets its steering, throttle and brake.
    void Drive(CarObject& car)
    {
        Track(car);
        double forward[2], right[2];
        Axes(car, forward, right);
        const double speed = std::sqrt(car.velocity.x * car.velocity.x + car.velocity.y * car.velocity.y);
        const double ahead = 5 + 0.45 * speed;
        int target = node;
        for (double run = 0; run < ahead && (closed || target < path.nodeCount - 1); target++)
            run += Distance(Node(target), Node(target + 1));
        const double rearX = car.position.x.raw / 65536.0 + car.tuning.axleY[0] * forward[0];
        const double rearY = car.position.y.raw / 65536.0 + car.tuning.axleY[0] * forward[1];
        const double dx = Node(target).centre.x.raw / 65536.0 - rearX, dy = Node(target).centre.y.raw / 65536.0 - rearY;
        const double along = dx * forward[0] + dy * forward[1], across = -(dx * right[0] + dy * right[1]);
        const double steer = std::atan(2 * car.tuning.wheelbase * across / (along * along + across * across));
        const double lock = car.data.setup->maxLock * 3.14159265358979 / 180;
        car.inputs.words[0] = static_cast<uint16_t>(std::lround(std::clamp(32768 - steer / lock * 32768, 1.0, 65535.0)));
        const double error = allowed[size_t(node)] - speed;
        // Traction and stability help: the throttle eases while a driven
        // wheel slips past its peak or the car slides sideways.
        double slip = 0;
        for (int k = 0; k < car.wheelCount; k++)
            if (car.wheels[k].driven)
                slip = std::max(slip, double(car.wheels[k].slipDisplay));
        const double sideways = std::fabs(car.velocity.x * right[0] + car.velocity.y * right[1]) / std::max(speed, 3.0);
        double throttle = 0.35 + 0.4 * error;
        if (slip > 0.6 || sideways > 0.04)
            throttle = std::min(throttle, 0.1);
        car.inputs.words[1] = Pedal(throttle);
        car.inputs.words[2] = Pedal(error < -0.5 ? -0.25 * error : 0);
    }

    // The car's lateral offset at its node and the node's limits.
    bool InsideLimits(const CarObject& car, double& offset) const
    {
        const PathNode& n = Node(node);
        const double dx = (car.position.x.raw - n.centre.x.raw) / 65536.0, dy = (car.position.y.raw - n.centre.y.raw) / 65536.0;
        const double level = std::sqrt(n.direction.x * n.direction.x + n.direction.y * n.direction.y);
        offset = (dx * n.direction.y - dy * n.direction.x) / level;
        return offset >= n.leftLimit && offset <= n.rightLimit;
    }

    double Allowed() const { return allowed[size_t(node)]; }
    int travelled = 0;  // nodes passed since the start
    int node = 0;

    void Start(const CarObject& car)
    {
        node = Nearest(car, 0, path.nodeCount);
        travelled = 0;
    }

private:
    static constexpr double TopSpeed = 45;

    const PathNode& Node(int i) const
    {
        const int n = path.nodeCount;
        return path.nodes[size_t(closed ? ((i % n) + n) % n : std::clamp(i, 0, n - 1))];
    }
    static double Distance(const PathNode& a, const PathNode& b)
    {
        const double dx = (b.centre.x.raw - a.centre.x.raw) / 65536.0, dy = (b.centre.y.raw - a.centre.y.raw) / 65536.0;
        return std::sqrt(dx * dx + dy * dy);
    }
    int Nearest(const CarObject& car, int from, int count) const
    {
        int best = node;
        double bestDistance = 1e18;
        for (int k = 0; k < count; k++) {
            const int i = from + k;
            if (!closed && (i < 0 || i >= path.nodeCount))
                continue;
            const PathNode& n = Node(i);
            const double dx = (car.position.x.raw - n.centre.x.raw) / 65536.0, dy = (car.position.y.raw - n.centre.y.raw) / 65536.0;
            if (dx * dx + dy * dy < bestDistance) {
                bestDistance = dx * dx + dy * dy;
                best = closed ? ((i % path.nodeCount) + path.nodeCount) % path.nodeCount : i;
            }
        }
        return best;
    }
    void Track(const CarObject& car)
    {
        const int found = Nearest(car, node - 3, 20);
        int step = found - node;
        if (closed && step < -path.nodeCount / 2)
            step += path.nodeCount;
        travelled += step;
        node = found;
    }

    const Path& path;
    bool closed;
    std::vector<double> allowed;  // m/s at each node
};

// Whether a point of the car's body rests on one of the site's walls.
bool TouchesWall(const CarObject& car, const World& world)
{
    for (int i = 0; i < car.pointCount; i++) {
        const ContactPoint& p = car.points[i];
        if (p.contact && p.query.hitSurface == &world.textures[TexWall])
            return true;
    }
    return false;
}

class DrivingTest : public SiteFolderTest, public ::testing::WithParamInterface<int> {};

TEST_P(DrivingTest, CarDrivesAWholeLapOfEveryRacingConfiguration)
{
    const int site = GetParam();
    SiteDesign design;
    std::string error;
    ASSERT_TRUE(DesignSite(site, design, error)) << error;
    for (int configuration = 1; configuration <= SiteTable[site].configCount; configuration++) {
        const RoadLoop& loop = design.roads.loops[size_t(configuration - 1)];
        if (!loop.racing)
            continue;
        SCOPED_TRACE(configuration);
        std::unique_ptr<World> world = LoadSite(site, configuration, 0);
        ASSERT_TRUE(world->ready);
        FixedVector place;
        float heading;
        GetStartPosition(*world, place, heading, 0);
        SiteCar driven;  // a new car for each lap
        ASSERT_TRUE(driven.loaded);
        CarObject& car = driven.car;
        driven.Place(*world, place.x.raw / 65536.0, place.y.raw / 65536.0, heading);
        ApplyPlayerAids(car, 0x8 | 0x40 | 0x200);  // automatic gears, brake help, automatic clutch
        car.step.gear = car.step.gearTarget = 2;
        const Path& path = *world->currentPath;
        PathDriver driver(path, loop.closed, loop.loose ? 3.0 : 6.0, loop.loose ? 3.0 : 5.5);
        driver.Start(car);
        const double lap = loop.closed ? path.nodes[size_t(path.timingNodes[0])].distance : path.nodes.back().distance;
        const int limit = static_cast<int>(lap / 3.0 * 100) + 2000;
        int steps = 0;
        // A wide grid on an open area may stand beside a marked course: the
        // limits hold from the moment the car first comes inside them.
        bool joined = false, outside = false, wall = false;
        while (steps < limit) {
            driver.Drive(car);
            driven.Step();
            ASSERT_EQ(driven.set.count, 1) << "the car left the active set";
            steps++;
            double offset = 0;
            const bool inside = driver.InsideLimits(car, offset);
            joined = joined || inside;
            if (joined && !inside && !outside) {
                ADD_FAILURE() << "outside the limits at node " << driver.node << " by " << offset << " at "
                              << driven.Speed() << " m/s (allowed " << driver.Allowed() << ")";
                outside = true;
            }
            if (TouchesWall(car, *world) && !wall) {
                ADD_FAILURE() << "touched a wall at node " << driver.node;
                wall = true;
            }
            const bool done = loop.closed ? driver.travelled >= path.nodeCount : driver.node >= path.nodeCount - 1;
            if (done)
                break;
        }
        EXPECT_TRUE(joined) << "the car never came inside the limits";
        EXPECT_LT(steps, limit) << "the lap took too long (" << driver.travelled << " of " << path.nodeCount << " nodes)";
        RecordProperty("lap" + std::to_string(configuration), std::to_string(steps / 100.0) + " s");
    }
}

INSTANTIATE_TEST_SUITE_P(Sites, DrivingTest, ::testing::Range(0, SiteCount), SiteName);

class OffRoadTest : public SiteFolderTest {
protected:
    // Loads the site's first configuration and sets the car rolling at
    // `speed` (m/s) from (x, y) along `heading` once it has settled on its
    // wheels.
    void Launch(int site, double x, double y, double heading, double speed)
    {
        world = LoadSite(site, 1, 0);
        ASSERT_TRUE(world->ready);
        driven = std::make_unique<SiteCar>();
        ASSERT_TRUE(driven->loaded);
        driven->Place(*world, x, y, heading);
        for (int s = 0; s < 30; s++)
            driven->Step();
        Roll(driven->car, speed);
    }
    void TearDown() override
    {
        driven.reset();
        world.reset();
        SiteFolderTest::TearDown();
    }
    std::unique_ptr<World> world;
    std::unique_ptr<SiteCar> driven;
};

// On Hollowmere's pit straight (heading east), a car rolling at 22 m/s
// turned 12 degrees to the right leaves the road over the kerb onto the
// grass and then the gravel, and slows there faster than rolling on the
// road.
TEST_F(OffRoadTest, CarSteeredOffTheRoadMeetsGrassAndGravelAndSlows)
{
    const double heading = -3.14159265358979 / 2 - 12 * 3.14159265358979 / 180;
    ASSERT_NO_FATAL_FAILURE(Launch(0, 120, 0, heading, 22));
    SiteCar& driven = *this->driven;
    CarObject& car = driven.car;
    bool grass = false, gravel = false;
    double roadLoss = -1, start = driven.Speed();
    double enteredGravel = 0;
    int gravelSteps = 0;
    for (int s = 0; s < 600 && driven.Y() > -14.5; s++) {
        driven.Step();
        bool allRoad = true;
        for (int k = 0; k < car.wheelCount; k++) {
            const Wheel& w = car.wheels[k];
            if (!w.ground.touching)
                continue;
            grass = grass || w.surfaceKind == 2;
            gravel = gravel || w.surfaceKind == 4;
            allRoad = allRoad && IsRoadKind(w.surfaceKind);
        }
        if (!allRoad && roadLoss < 0)
            roadLoss = (start - driven.Speed()) / (s + 1);  // m/s per step while on the road
        bool allGravel = true;
        for (int k = 0; k < car.wheelCount; k++)
            allGravel = allGravel && car.wheels[k].surfaceKind == 4;
        if (allGravel) {
            if (gravelSteps == 0)
                enteredGravel = driven.Speed();
            gravelSteps++;
        }
        if (gravelSteps == 40)
            break;
    }
    EXPECT_TRUE(grass);
    EXPECT_TRUE(gravel);
    ASSERT_EQ(gravelSteps, 40) << "the car did not run on the gravel";
    ASSERT_GT(roadLoss, -1);
    const double gravelLoss = (enteredGravel - driven.Speed()) / 40;
    EXPECT_GT(gravelLoss, 3 * std::max(roadLoss, 0.001)) << "road " << roadLoss << " gravel " << gravelLoss;
    EXPECT_GT(gravelLoss * 100, 0.1 * Gravity) << "the gravel holds the car back";
}

// On Dockside's quay (heading east) the wall on the right stands 6 m from
// the centre line. A car at 30 m/s straight at it stops there: it never
// passes the wall, its speed into the wall is gone within a few steps of the
// impact, and it comes back off the wall slower than it came.
TEST_F(OffRoadTest, CarDrivenIntoAWallAtThirtyMetresASecondStopsAtIt)
{
    ASSERT_NO_FATAL_FAILURE(Launch(1, 200, 2, 3.14159265358979, 30));  // facing south, at the wall
    SiteCar& driven = *this->driven;
    CarObject& car = driven.car;
    double deepest = 0;
    int impact = -1;
    for (int s = 0; s < 300 && (impact < 0 || s < impact + 30); s++) {
        driven.Step();
        double forward[2], right[2];
        Axes(car, forward, right);
        // The car's front end: its centre plus its front extent.
        const double front = driven.Y() + car.maxY * forward[1];
        deepest = std::min(deepest, front);
        if (impact < 0 && TouchesWall(car, *world))
            impact = s;
        EXPECT_GT(driven.Y(), -6.0) << "the car's centre passed the wall at step " << s;
    }
    ASSERT_GE(impact, 0) << "the car never reached the wall";
    // The crumpling front may press into the wall by less than a metre; the
    // car itself never gets through.
    EXPECT_GT(deepest, -7.0) << "the car passed through the wall";
    EXPECT_LT(deepest, -5.9) << "the car never reached the wall";
    EXPECT_GT(car.velocity.y, -0.5f) << "the car still moves into the wall";
    EXPECT_LT(driven.Speed(), 20.0) << "the wall gave back the car's speed";
}

} // namespace
