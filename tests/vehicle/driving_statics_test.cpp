// A whole car at rest on flat tarmac: its wheel loads carry its weight,
// split front to rear by the lever rule about the centre of mass and left
// to right by the moment balance; dropped from 5 cm it settles to the sink
// of each corner's suspension spring in series with its tyre; braked on a
// ramp it holds.
#include <gtest/gtest.h>

#include <cmath>

#include "driving_fixture.h"

namespace {

constexpr double G = 9.81;

// Loads and patch positions of a settled car, averaged over a window so that
// what is left of the settling oscillation cancels.
struct RestingLoads {
    double load[MaxCarWheels] = {};
    double patchX[MaxCarWheels] = {};  // m, car frame
    double total = 0;
    int touching = 0;                  // fewest wheels on the ground in any step of the window
};

class DrivingStaticsTest : public DrivingTest {
protected:
    RestingLoads SettleAndMeasure(CarObject& car, int settleSteps, int windowSteps)
    {
        Step(settleSteps);
        RestingLoads rest;
        rest.touching = car.wheelCount;
        for (int s = 0; s < windowSteps; s++) {
            Step();
            int touching = 0;
            for (int k = 0; k < car.wheelCount; k++) {
                const Wheel& w = car.wheels[k];
                rest.load[k] += w.load / windowSteps;
                rest.patchX[k] += Dot(CarRight(car), w.patchPoint) / windowSteps;
                touching += w.touching;
            }
            rest.touching = std::min(rest.touching, touching);
        }
        for (int k = 0; k < car.wheelCount; k++)
            rest.total += rest.load[k];
        return rest;
    }
};

// Every generated car: the loads sum to m g; the front axle carries
// (y_cm - y_rear) / wheelbase of it; the loads' moment about the centre of
// mass across the car vanishes; a car whose mass lies on its centre line
// (the single-seaters) stands equally on its left and right wheels. The
// tolerances allow for the suspension's small fore-and-aft and sideways
// shift of the contact patches over its travel.
TEST_F(DrivingStaticsTest, EveryCarCarriesItsWeightByTheLeverRule)
{
    for (int index = 0; index < CarCount; index++) {
        SCOPED_TRACE(CarNameTable[index].code);
        CarObject* placed = Place(index, 30.0 * index, 0);
        ASSERT_TRUE(placed);
        CarObject& car = *placed;
        RestingLoads rest = SettleAndMeasure(car, 150, 50);
        const double weight = car.mass * G;
        EXPECT_EQ(rest.touching, car.wheelCount);
        EXPECT_NEAR(rest.total / weight, 1, 0.005);

        double front = 0, left = 0, right = 0, roll = 0;
        for (int k = 0; k < car.wheelCount; k++) {
            const Wheel& w = car.wheels[k];
            if (w.axleIndex == 1)
                front += rest.load[k];
            (w.side < 0 ? left : right) += rest.load[k];
            roll += rest.load[k] * (rest.patchX[k] - car.centreOfMass.x);
        }
        const double frontShare = (car.centreOfMass.y - car.tuning.axleY[0]) / car.tuning.wheelbase;
        EXPECT_NEAR(front / rest.total, frontShare, 0.01);
        EXPECT_NEAR(roll / (weight * 0.5 * car.axles[1].trackWidth), 0, 0.01);
        if (std::fabs(car.centreOfMass.x) < 0.002) {
            EXPECT_NEAR(left / right, 1, 0.01);
        }
        // The car does not creep while it rests.
        EXPECT_LT(car.step.speed, 0.01);
    }
}

// Each corner of a car dropped with its largest tyres 5 cm above the ground
// sinks by its tyre's height above the ground, the suspension spring's share (the sprung corner load along
// the line of travel: a_z² (F - m_w g) / k) and the tyre's vertical
// deflection under F, where the tyre's load is its inflation pressure,
// corrected for the deflection (p' = p / (1 + rho r / d² 0.001)), times its
// radial stiffness times the deflection. Exact for the vertical sliders at
// the rear; the front struts lean (see below).
TEST_F(DrivingStaticsTest, DroppedCarSettlesToTheSeriesSpringSink)
{
    for (const char* code : {"JB4", "WQG", "GEX", "QPZ"}) {
        SCOPED_TRACE(code);
        CarObject* placed = Place(FindCarByCode(code));
        ASSERT_TRUE(placed);
        CarObject& car = *placed;
        Vec3 above[MaxCarWheels];
        double start[MaxCarWheels], gap[MaxCarWheels];
        for (int k = 0; k < car.wheelCount; k++) {
            const Wheel& w = car.wheels[k];
            above[k] = w.hubPoint;  // a point of the body, over the wheel at full droop
            start[k] = CarPointInWorld(car, above[k]).z;
            // The tyre's lowest point above the ground: 5 cm for the
            // largest tyre, more for a smaller one.
            gap[k] = CarPointInWorld(car, w.hubPoint + w.hubOffset).z;
            EXPECT_GE(gap[k], 0.05 - 1e-4);
        }
        RestingLoads rest = SettleAndMeasure(car, 250, 50);
        for (int k = 0; k < car.wheelCount; k++) {
            SCOPED_TRACE(k);
            const Wheel& w = car.wheels[k];
            const Axle& axle = car.axles[w.axleIndex];
            const double F = rest.load[k];
            const double az = w.travelAxis.z;
            const double spring = az * az * (F - w.wheelMass * G) / w.springRate;
            // The tyre: solve F = p' K d for d by bisection.
            const double p = w.pressure, K = axle.radialStiffness;
            const double rr = axle.profileRadius * axle.tyreRadius * 0.001;
            double lo = 0, hi = axle.tyreRadius - axle.rimRadius;
            for (int i = 0; i < 60; i++) {
                double d = 0.5 * (lo + hi);
                (p / (1 + rr / (d * d)) * K * d < F ? lo : hi) = d;
            }
            double tread = 0;
            for (float depth : w.segments[0].treadDepth)
                tread += depth / 3;
            const double tyre = lo - (tread - 0.03 * axle.tyreRadius);
            const double sink = start[k] - CarPointInWorld(car, above[k]).z;
            const double expected = gap[k] + spring + tyre;
            if (w.travelAxis.x == 0 && w.travelAxis.y == 0) {
                EXPECT_NEAR(sink, expected, 0.02 * (spring + tyre) + 0.0005) << "spring " << spring << " tyre " << tyre;
            } else {
                // A strut's line of travel leans in with the steering axis:
                // as it compresses the tyre's patch is pushed across and its
                // sideways stiffness takes a share of the load, so the corner
                // sinks somewhat less than the springs alone would let it.
                EXPECT_LE(sink, expected + 0.0005);
                EXPECT_GE(sink, expected - 0.12 * spring) << "spring " << spring << " tyre " << tyre;
            }
        }
    }
}

// Parked on a 10 % ramp with its brakes on, a car stands on its tyres with
// the weight's share across the slope, m g cos(slope), as their summed
// normal load, and its braked wheels' sticking tyres hold it where it is.
TEST_F(DrivingStaticsTest, BrakedCarHoldsOnARamp)
{
    const double slope = std::atan(0.1);
    ground.planeNormal = {0, -static_cast<float>(std::sin(slope)), static_cast<float>(std::cos(slope))};
    CarObject* placed = Place(FindCarByCode("JB4"));
    ASSERT_TRUE(placed);
    CarObject& car = *placed;
    // Nose up the slope, the tyres a few centimetres above it.
    const float c = static_cast<float>(std::cos(slope)), s = static_cast<float>(std::sin(slope));
    car.rotation = {{1, 0, 0, 0, c, -s, 0, s, c}};
    car.predictedRotation = car.rotation;
    car.inputs.words[2] = 65535;
    RestingLoads rest = SettleAndMeasure(car, 150, 50);
    EXPECT_EQ(rest.touching, car.wheelCount);
    EXPECT_NEAR(rest.total / (car.mass * G * std::cos(slope)), 1, 0.005);
    const Point3 before = CarPointInWorld(car, {});
    Step(100);
    const Point3 after = CarPointInWorld(car, {});
    EXPECT_LT(std::hypot(after.x - before.x, after.y - before.y), 0.002) << "the car crept down the ramp";
}

} // namespace
