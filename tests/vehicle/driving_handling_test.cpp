// A whole car cornering on flat tarmac: on a 40 m skidpad its path's
// lateral acceleration is the sum of its tyres' lateral forces over its mass
// and its limit follows the grip of its tyres' compound; at walking pace it
// turns on the radius the steering geometry gives; every generated car
// drives a lap of a test circle under a simple steering controller.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "driving_fixture.h"

namespace {

constexpr double Pi = 3.14159265358979;

// Radius of the circle through three points (m; infinite when in line).
double RadiusThrough(const Point3& a, const Point3& b, const Point3& c)
{
    double ab = std::hypot(b.x - a.x, b.y - a.y), bc = std::hypot(c.x - b.x, c.y - b.y),
           ca = std::hypot(a.x - c.x, a.y - c.y);
    double cross = (b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x);
    return std::fabs(cross) < 1e-12 ? 1e12 : ab * bc * ca / (2 * std::fabs(cross));
}

using DrivingHandlingTest = DrivingTest;

// Newton across the path: over each 0.2 s the centre of mass's path has a
// radius rho (the circle through three of its points) and m v² / rho equals
// the mean of the tyres' lateral forces (aero drag acts along the motion).
// The largest lateral acceleration before the car runs wide is the tyres'
// grip: with compound 4 (grip 1.15 on tarmac) and compound 7 (0.90) on the
// same car the limits stand in the ratio of the grips, within 5 % (the
// temperature and load spread factors differ a little).
TEST_F(DrivingHandlingTest, SkidpadFollowsNewtonAndTheCompoundsGrip)
{
    double limit[2] = {};
    const int compounds[2] = {4, 7};
    for (int c = 0; c < 2; c++) {
        SCOPED_TRACE(compounds[c]);
        CarSetup setup;
        {
            OwnedCar probe;
            ASSERT_TRUE(Load(probe.car, FindCarByCode("JB4")));
            setup = *probe.car.data.setup;
        }
        setup.axles[0].tyreType = setup.axles[1].tyreType = static_cast<uint8_t>(compounds[c]);
        CarObject* placed = Place(FindCarByCode("JB4"), 200.0 * c, 0, 0, &setup);
        ASSERT_TRUE(placed);
        CarObject& car = *placed;
        ASSERT_EQ(car.axles[0].tyreType, compounds[c]);
        Step(60);
        WarmTyres(car);
        const std::vector<SkidpadSample> samples = Skidpad(car, 40, 12, 1.0, 3, 1500);
        ASSERT_GT(samples.size(), 200u);
        const int window = 20;
        int checked = 0;
        for (size_t i = 100; i + window < samples.size(); i += window) {
            const SkidpadSample &a = samples[i], &b = samples[i + window / 2], &e = samples[i + window];
            double force = 0, speed = 0;
            for (size_t j = i; j <= i + window; j++) {
                force += samples[j].lateral / (window + 1);
                speed += samples[j].speed / (window + 1);
            }
            const double acceleration = speed * speed / RadiusThrough(a.centre, b.centre, e.centre);
            limit[c] = std::fmax(limit[c], acceleration);
            if (acceleration < 0.7 * 9.81 * GripTable[compounds[c]][0]) {  // well inside the limit
                EXPECT_NEAR(force / car.mass, acceleration, 0.02 * acceleration + 0.02) << "at " << speed << " m/s";
                checked++;
            }
        }
        EXPECT_GT(checked, 5);
    }
    EXPECT_NEAR(limit[0] / limit[1], GripTable[4][0] / GripTable[7][0], 0.05 * GripTable[4][0] / GripTable[7][0])
        << limit[0] << " and " << limit[1] << " m/s²";
}

// At walking pace (2.5 m/s) with the steering held and the front wheels on
// Ackermann geometry, the tyres barely slip and the car turns about the
// rear axle line: its rear axle's middle runs on a circle of radius
// wheelbase / tan(steering angle), within 2 %. The angle is the front
// wheels' own on the ground: they steer about inclined axes, so they turn a
// little (within 5 %) less than the steering column.
TEST_F(DrivingHandlingTest, WalkingPaceTurnFollowsTheSteeringGeometry)
{
    // Pure Ackermann geometry: no parallel steer share.
    CarSetup setup;
    {
        OwnedCar probe;
        ASSERT_TRUE(Load(probe.car, FindCarByCode("JB4")));
        setup = *probe.car.data.setup;
    }
    setup.parallelSteer = 0;
    CarObject* placed = Place(FindCarByCode("JB4"), 0, 0, 0, &setup);
    ASSERT_TRUE(placed);
    CarObject& car = *placed;
    ASSERT_EQ(car.data.setup->parallelSteer, 0);
    Step(60);
    const double v = 2.5;
    Roll(car, v);
    EngageGear(car, 2, v, 0.1f);
    const double angle = 0.4 * car.data.setup->maxLock * Pi / 180;
    car.inputs.words[0] = SteeringWordFor(car, angle);
    std::vector<Point3> path;
    double column = 0, wheelsCot = 0;
    int counted = 0;
    for (int s = 0; s < 700; s++) {
        HoldSpeed(car, v, 0.2, 0.1);
        Step();
        if (s < 100)
            continue;
        path.push_back(CarPointInWorld(car, {0, car.tuning.axleY[0], 0}));
        column += car.step.steerAngle;
        // Each front wheel's heading on the ground (its rolling direction
        // against the car's forward axis, left positive); on Ackermann
        // geometry the two meet in one bicycle angle d with
        // cot d = (cot d_left + cot d_right) / 2.
        for (int k = 0; k < car.wheelCount; k++) {
            const Wheel& w = car.wheels[k];
            if (w.axleIndex != 1)
                continue;
            const double a = std::atan2(-Dot(w.contactForward, CarRight(car)), Dot(w.contactForward, CarForward(car)));
            wheelsCot += 0.5 / std::tan(a);
        }
        counted++;
    }
    column /= counted;
    wheelsCot /= counted;
    EXPECT_NEAR(column, angle, 0.05 * angle) << "the steering column did not follow its word";
    const CircleFit fit = FitCircle(path);
    // The wheels turn about their inclined steering axes, so on the ground
    // they turn a little less than the column.
    const double expected = car.tuning.wheelbase * wheelsCot;
    EXPECT_LT(std::fabs(std::atan(1 / wheelsCot) - column), 0.05 * column);
    EXPECT_NEAR(fit.radius, expected, 0.02 * expected);
}

// Every generated car laps a circle of 10 m radius at 6 m/s under a pure
// pursuit steering controller: it stays within 1.5 m of the circle, keeps
// all its wheels on the ground and its body off it, and ends the lap.
TEST_F(DrivingHandlingTest, EveryCarLapsTheTestCircle)
{
    const double R = 10, v = 6;
    for (int index = 0; index < CarCount; index++) {
        SCOPED_TRACE(CarNameTable[index].code);
        CarObject* placed = Place(index, 50.0 * index, 0);
        ASSERT_TRUE(placed);
        CarObject& car = *placed;
        Step(40);
        const Point3 start = CarPointInWorld(car, {0, car.tuning.axleY[0], 0});
        const double cx = start.x - R, cy = start.y;
        Roll(car, v);
        ApplyPlayerAids(car, 1 << 9);  // automatic clutch
        EngageGear(car, CruisingGear(car, v), v, 0.2f);
        car.tuning.autoClutch = 1;
        double swept = 0, previous = std::atan2(start.y - cy, start.x - cx), worst = 0;
        int airborne = 0, steps = 0;
        while (swept < 2 * Pi && steps < 2000) {
            car.inputs.words[0] = SteeringWordFor(car, CircleSteer(car, cx, cy, R, 5));
            HoldSpeed(car, v);
            Step();
            steps++;
            const Point3 rear = CarPointInWorld(car, {0, car.tuning.axleY[0], 0});
            const double angle = std::atan2(rear.y - cy, rear.x - cx);
            swept += std::remainder(angle - previous, 2 * Pi);
            previous = angle;
            worst = std::fmax(worst, std::fabs(std::hypot(rear.x - cx, rear.y - cy) - R));
            for (int k = 0; k < car.wheelCount; k++)
                airborne += car.wheels[k].touching ? 0 : 1;
        }
        EXPECT_GE(swept, 2 * Pi) << "the lap took more than 20 s";
        EXPECT_LT(worst, 1.5);
        EXPECT_EQ(airborne, 0);
        EXPECT_GT(CarUp(car).z, 0.95f);
        for (int p = 0; p < car.pointCount; p++)
            EXPECT_EQ(car.points[p].contact, 0) << "body point " << p << " touched the ground";
    }
}

} // namespace
