// A whole car driving straight on flat tarmac, against the laws of motion:
// braking with locked wheels stops in a distance that grows with the
// square of the speed and does not depend on the car's mass, and the brake
// help lets locked wheels turn again; in first gear the drivetrain's torque accelerates
// the car's effective mass (its wheels and the engine included); a coasting
// car slows as a + b v² with b its drag over its rolling mass; at top speed
// the engine's power meets drag and rolling resistance.
#include <gtest/gtest.h>

#include <cmath>
#include <stdexcept>
#include <string>
#include <vector>

#include "driving_fixture.h"

namespace {

// Slope of a straight line fitted to (x, y).
double Slope(const std::vector<double>& x, const std::vector<double>& y)
{
    double mx = 0, my = 0;
    for (size_t i = 0; i < x.size(); i++) {
        mx += x[i];
        my += y[i];
    }
    mx /= x.size();
    my /= y.size();
    double sxy = 0, sxx = 0;
    for (size_t i = 0; i < x.size(); i++) {
        sxy += (x[i] - mx) * (y[i] - my);
        sxx += (x[i] - mx) * (x[i] - mx);
    }
    return sxy / sxx;
}

// Sum of the present aero points' drag coefficients: with the air straight
// from ahead each gives c_d v² against the motion.
double DragCoefficientSum(const CarObject& car)
{
    double sum = 0;
    for (const AeroPoint& point : car.aero)
        if (point.flags & AeroPresent)
            sum += point.drag;
    return sum;
}

class DrivingMotionTest : public DrivingTest {
protected:
    // A car of code, settled at rest with warm tyres.
    CarObject& SettledCar(const char* code, double x = 0, CarSetup* setup = nullptr)
    {
        CarObject* car = Place(FindCarByCode(code), x, 0, 0, setup);
        EXPECT_TRUE(car);
        if (!car)
            throw std::runtime_error("car did not load");
        Step(60);
        WarmTyres(*car);
        return *car;
    }

    // Mean deceleration (m/s², positive when slowing) and mean v² of a car
    // left to run for `steps` after `settle` steps.
    void MeasureDeceleration(CarObject& car, int settle, int steps, double& deceleration, double& v2)
    {
        Step(settle);
        std::vector<double> t, v;
        v2 = 0;
        for (int s = 0; s < steps; s++) {
            Step();
            t.push_back(0.01 * s);
            v.push_back(ForwardSpeed(car));
            v2 += v.back() * v.back() / steps;
        }
        deceleration = -Slope(t, v);
    }
};

// Every wheel's brake far beyond what its tyre can hold, so that the wheels
// lock at once.
void LockBrakes(CarObject& car)
{
    for (int k = 0; k < car.wheelCount; k++)
        car.wheels[k].brakeTorque = 50000;
}

// On locked wheels the tyre slides at a fixed share of its grip, so the
// deceleration is constant: twice the speed stops in four times the
// distance, and added mass adds grip in proportion (same distance).
// Tolerances: one step of travel in the stop and the grip's slight fall
// with load. The brake help releases the brakes whenever an axle locks, so
// the locked front wheels turn again in every cycle.
TEST_F(DrivingMotionTest, BrakingDistanceFollowsTheSquareOfTheSpeed)
{
    CarObject& slow = SettledCar("JB4", 0);
    LockBrakes(slow);
    const double d10 = StoppingDistance(slow, 10);
    CarObject& fast = SettledCar("JB4", 100);
    LockBrakes(fast);
    const double d20 = StoppingDistance(fast, 20);
    EXPECT_NEAR(d20 / d10, 4, 4 * 0.03) << d10 << " m, " << d20 << " m";

    CarObject& heavy = SettledCar("JB4", 200);
    ApplyAddedMass(heavy, 150);
    Step(40);
    EXPECT_NEAR(heavy.mass, slow.mass + 150, 1);
    LockBrakes(heavy);
    const double heavy20 = StoppingDistance(heavy, 20);
    EXPECT_NEAR(heavy20 / d20, 1, 0.02) << heavy20 << " m with 150 kg more";

    // The car's own brakes lock its front wheels; the brake help releases
    // them whenever an axle locks above 5 m/s, so they turn again for part
    // of every cycle (and the car can steer).
    double rolling[2] = {};
    double distance[2] = {};
    for (int help = 0; help < 2; help++) {
        CarObject& car = SettledCar("JB4", 300 + 100 * help);
        if (help)
            ApplyPlayerAids(car, 1 << 6);
        ASSERT_EQ(car.tuning.brakeHelp != 0, help == 1);
        distance[help] = StoppingDistance(car, 20, &rolling[help]);
    }
    EXPECT_LT(rolling[0], 0.1) << "the front wheels should lock without the brake help";
    EXPECT_GT(rolling[1], 0.15) << "the brake help should let the front wheels turn";
    RecordProperty("stop_from_20_locked_m", std::to_string(d20));
    RecordProperty("stop_from_20_own_brakes_m", std::to_string(distance[0]));
    RecordProperty("stop_from_20_brake_help_m", std::to_string(distance[1]));
}

// First gear, clutch engaged, part throttle, no wheelspin: with T the
// engine's torque at its speed (the full-throttle curve times the throttle,
// plus its friction), G the total ratio, eta the drive efficiency and r the
// driven tyres' radius,
//     a = (eta G T / r - R) / (m + sum I_w / r_w² + eta I_e G² / r²)
// where R, the road's resistance at this speed, is measured by coasting
// in neutral just before. 3 %: the clutch spring's ringing and the tyres'
// small slip.
TEST_F(DrivingMotionTest, FirstGearAccelerationIsTheDriveTorqueOverTheEffectiveMass)
{
    CarObject& car = SettledCar("JB4");
    const double v0 = 6, r = DrivenTyreRadius(car);
    Roll(car, v0);
    double coast = 0, v2 = 0;
    MeasureDeceleration(car, 20, 30, coast, v2);
    const double resistance = coast * RollingMass(car);

    const float throttle = 0.3f;
    EngageGear(car, 2, ForwardSpeed(car), throttle);
    Step(20);
    std::vector<double> t, v;
    double engineSpeed = 0, slip = 0;
    const int steps = 40;
    for (int s = 0; s < steps; s++) {
        Step();
        t.push_back(0.01 * s);
        v.push_back(ForwardSpeed(car));
        engineSpeed += car.engine.speed / steps;
        for (int k = 0; k < car.wheelCount; k++)
            if (car.wheels[k].driven)
                slip = std::fmax(slip, std::fabs(car.wheels[k].combinedSlip));
    }
    ASSERT_EQ(car.step.gear, 2);
    EXPECT_NEAR(car.engine.throttle, throttle, 1e-4);
    const double G = car.tuning.gearRatios[2] * car.tuning.finalDrive, eta = car.tuning.driveEfficiency;
    const double torque = throttle * EngineTorqueAt(car.engine, static_cast<float>(engineSpeed)) +
                          EngineFrictionAt(car.engine, static_cast<float>(engineSpeed));
    const double effectiveMass = RollingMass(car) + eta * car.engine.inertia * G * G / (r * r);
    const double expected = (eta * G * torque / r - resistance) / effectiveMass;
    EXPECT_NEAR(Slope(t, v), expected, 0.03 * expected) << "engine at " << engineSpeed << " rad/s";
    EXPECT_LT(slip, 0.05) << "the driven wheels spun";
}

// Coasting in neutral from 50 m/s the car slows as a(v) = A + B v²: the
// drag of its aero points (air straight from ahead: sum c_d v²) over its
// mass with every wheel's rolling inertia, plus the rolling resistance A,
// which does not grow with speed. Three speeds fit the two constants.
TEST_F(DrivingMotionTest, CoastDownFitsDragOverTheRollingMass)
{
    CarObject& car = SettledCar("JB4");
    const double speeds[3] = {50, 35, 20};
    double a[3], v2[3];
    for (int i = 0; i < 3; i++) {
        Roll(car, speeds[i]);
        MeasureDeceleration(car, 30, 100, a[i], v2[i]);
    }
    // Least squares of a = A + B v².
    double mx = (v2[0] + v2[1] + v2[2]) / 3, my = (a[0] + a[1] + a[2]) / 3, sxy = 0, sxx = 0;
    for (int i = 0; i < 3; i++) {
        sxy += (v2[i] - mx) * (a[i] - my);
        sxx += (v2[i] - mx) * (v2[i] - mx);
    }
    const double B = sxy / sxx, A = my - B * mx;
    EXPECT_NEAR(B, DragCoefficientSum(car) / RollingMass(car), 0.03 * B);
    EXPECT_GT(A, 0);
    EXPECT_LT(A, 0.3) << "rolling resistance above 3 % of the weight";
    // The fit leaves nothing over: the law holds at each speed.
    for (int i = 0; i < 3; i++)
        EXPECT_NEAR(a[i], A + B * v2[i], 0.01 * a[i]) << speeds[i] << " m/s";
}

// At top speed in top gear at full throttle the power at the wheels,
// eta (T_full(w) + T_friction(w)) w with w = v G / r, meets the drag
// sum c_d v³ and the rolling resistance R v (R measured by coasting at
// that speed). Started at the speed this balance predicts, the car holds
// it: its acceleration is below what a 1.5 % error in the top speed would
// leave.
TEST_F(DrivingMotionTest, TopSpeedIsThePowerBalance)
{
    CarObject& car = SettledCar("JB4");
    const int top = car.data.gearCount - 1;
    const double G = car.tuning.gearRatios[top] * car.tuning.finalDrive, r = DrivenTyreRadius(car), eta = car.tuning.driveEfficiency;
    const double cd = DragCoefficientSum(car);
    auto drive = [&](double v) {
        float w = static_cast<float>(v * G / r);
        return eta * (EngineTorqueAt(car.engine, w) + EngineFrictionAt(car.engine, w)) * G / r;
    };
    // First without rolling resistance, then with it measured there.
    double resistance = 0, vTop = 0;
    for (int pass = 0; pass < 2; pass++) {
        double lo = 10, hi = 150;
        for (int i = 0; i < 60; i++) {
            double v = 0.5 * (lo + hi);
            (drive(v) > cd * v * v + resistance ? lo : hi) = v;
        }
        vTop = lo;
        Roll(car, vTop);
        car.step.gear = car.step.gearTarget = 1;
        double coast = 0, v2 = 0;
        MeasureDeceleration(car, 20, 40, coast, v2);
        resistance = coast * RollingMass(car) - cd * v2;
    }
    ASSERT_LT(vTop * G / r, 0.97 * car.engine.maxSpeed) << "top speed is not power limited: choose another car";

    Roll(car, vTop);
    EngageGear(car, top, vTop, 1);
    car.inputs.words[2] = 0;
    double a = 0, v2 = 0;
    MeasureDeceleration(car, 30, 60, a, v2);
    const double v = std::sqrt(v2);
    const double effectiveMass = RollingMass(car) + eta * car.engine.inertia * G * G / (r * r);
    const double slope = (drive(v * 1.01) - cd * v * v * 1.0201 - drive(v * 0.99) + cd * v * v * 0.9801) / (0.02 * v);
    EXPECT_LT(std::fabs(a) * effectiveMass, std::fabs(slope) * 0.015 * vTop)
        << "predicted top speed " << vTop << " m/s, held at " << v << " with acceleration " << -a;
}

} // namespace
