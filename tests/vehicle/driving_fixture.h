// Driving a whole generated car headless: a plane of chosen surface kinds
// under it, the car alone in an active body set stepped 10 ms at a time,
// its input words written directly, and the small controllers the driving
// tests steer with. Floating-point traps are on, so a NaN fails where it is
// made.
#pragma once

#include <cfenv>
#include <cmath>
#include <vector>

#include "car_fixture.h"
#include "support/test_ground.h"

// ---------------------------------------------------------------------------
// Geometry of a car in world axes (the rotation's columns are the car's
// right, forward and up axes).

inline Vec3 CarRight(const CarObject& car) { return {car.rotation.m[0], car.rotation.m[3], car.rotation.m[6]}; }
inline Vec3 CarForward(const CarObject& car) { return {car.rotation.m[1], car.rotation.m[4], car.rotation.m[7]}; }
inline Vec3 CarUp(const CarObject& car) { return {car.rotation.m[2], car.rotation.m[5], car.rotation.m[8]}; }

struct Point3 {
    double x = 0, y = 0, z = 0;
};

// World position (m) of a point given in the car's frame.
inline Point3 CarPointInWorld(const CarObject& car, const Vec3& local)
{
    Vec3 r = Rotate(car.rotation, local);
    return {car.position.x.raw / 65536.0 + r.x, car.position.y.raw / 65536.0 + r.y,
            car.position.z.raw / 65536.0 + r.z};
}

inline double ForwardSpeed(const CarObject& car) { return Dot(car.velocity, CarForward(car)); }

// A steering angle (rad, left positive) as the steering word at the
// set-up's lock.
inline uint16_t SteeringWordFor(const CarObject& car, double angle)
{
    double lock = car.data.setup->maxLock * 3.14159265358979 / 180;
    double word = 32768 - angle / lock * 32768;
    return static_cast<uint16_t>(std::lround(std::fmin(65535.0, std::fmax(1.0, word))));
}

inline uint16_t PedalWord(double fraction)
{
    return static_cast<uint16_t>(std::lround(65535 * std::fmin(1.0, std::fmax(0.0, fraction))));
}

// The rolling radius of the driven wheels (the first driven wheel's tyre).
inline float DrivenTyreRadius(const CarObject& car)
{
    for (int k = 0; k < car.wheelCount; k++)
        if (car.wheels[k].driven)
            return car.axles[car.wheels[k].axleIndex].tyreRadius;
    return car.axles[0].tyreRadius;
}

// Every tread strip and running surface at the compound's best temperature
// (heat is held as temperature x capacity), so that grip starts at its
// peak.
inline void WarmTyres(CarObject& car)
{
    for (int k = 0; k < car.wheelCount; k++) {
        Wheel& w = car.wheels[k];
        const Axle& axle = car.axles[w.axleIndex];
        const float t = CompoundTable[axle.tyreType].optimumTempC + 273.15f;
        for (TyreSegment& segment : w.segments)
            for (int strip = 0; strip < 3; strip++) {
                segment.treadHeat[strip] = t * TreadCapacity(axle, segment.treadDepth[strip]);
                segment.surfaceHeat[strip] = t * SurfaceCapacity(axle);
            }
    }
}

// The whole tyre at the compound's best temperature: the tread as
// WarmTyres leaves it, and the sidewalls, the air inside and the rim as
// well, as after laps at racing pace, so that no heat flows from the tread
// into a cooler carcass and the air's pressure is the hot one.
inline void WarmWholeTyres(CarObject& car)
{
    WarmTyres(car);
    for (int k = 0; k < car.wheelCount; k++) {
        Wheel& w = car.wheels[k];
        const Axle& axle = car.axles[w.axleIndex];
        const float t = CompoundTable[axle.tyreType].optimumTempC + 273.15f;
        for (TyreSegment& segment : w.segments)
            segment.sidewallHeat[0] = segment.sidewallHeat[1] = t * SidewallCapacity(axle);
        w.airHeat = t * w.airMass * 1005.0f;
        w.rimHeat = t * RimCapacity(axle);
    }
}

// m_eff of a free-rolling car: the mass and every wheel's inertia over its
// radius squared.
inline double RollingMass(const CarObject& car)
{
    double m = car.mass;
    for (int k = 0; k < car.wheelCount; k++) {
        double r = car.axles[car.wheels[k].axleIndex].tyreRadius;
        m += car.wheels[k].wheelInertia / (r * r);
    }
    return m;
}

// The centre of mass in world axes.
inline Point3 CentreOfMass(const CarObject& car) { return CarPointInWorld(car, car.centreOfMass); }

// The gear whose engine speed at v is nearest engineSpeed (rad/s).
inline int GearForEngineSpeed(const CarObject& car, double v, double engineSpeed)
{
    int best = 2;
    double bestError = 1e30;
    for (int g = 2; g < car.data.gearCount; g++) {
        double w = v * car.tuning.gearRatios[g] * car.tuning.finalDrive / DrivenTyreRadius(car);
        double error = std::fabs(w - engineSpeed);
        if (error < bestError) {
            bestError = error;
            best = g;
        }
    }
    return best;
}

// The gear whose engine speed at v is nearest 45 % of the engine's limit.
inline int CruisingGear(const CarObject& car, double v) { return GearForEngineSpeed(car, v, 0.45 * car.engine.maxSpeed); }

// The gear whose engine speed at v is nearest the engine's peak-power
// speed: the gear a driver holds to reach v with power to spare.
inline int PullingGear(const CarObject& car, double v) { return GearForEngineSpeed(car, v, car.engine.maxPowerSpeed); }

// What a skidpad run records every step.
struct SkidpadSample {
    Point3 centre;       // centre of mass
    double speed = 0;
    double lateral = 0;  // N: the wheels' horizontal forces across the velocity, to the left
};

// ---------------------------------------------------------------------------
// Controllers a driver of the tests would use.

// Follows a circle of radius R about (cx, cy), anticlockwise, by pure
// pursuit of a point on the circle `ahead` metres along it from the car's
// nearest point. Returns the steering angle (rad, left positive).
inline double CircleSteer(const CarObject& car, double cx, double cy, double R, double ahead)
{
    const Point3 rear = CarPointInWorld(car, {0, car.tuning.axleY[0], 0});
    const double wheelbase = car.tuning.wheelbase;
    double a = std::atan2(rear.y - cy, rear.x - cx) + ahead / R;
    double tx = cx + R * std::cos(a) - rear.x, ty = cy + R * std::sin(a) - rear.y;
    const Vec3 f = CarForward(car), r = CarRight(car);
    double along = tx * f.x + ty * f.y, across = -(tx * r.x + ty * r.y);  // left positive
    double distance2 = along * along + across * across;
    return std::atan(2 * wheelbase * across / distance2);
}

// Throttle (and brake below the target) towards a forward speed target.
inline void HoldSpeed(CarObject& car, double target, double gain = 0.4, double base = 0.15)
{
    double error = target - ForwardSpeed(car);
    double t = base + gain * error;
    car.inputs.words[1] = PedalWord(t);
    car.inputs.words[2] = PedalWord(error < -1 ? -0.2 * error : 0);
}

// ---------------------------------------------------------------------------
// The fixture: a car of the generated folder alone on the test ground.

class DrivingTest : public CarTest {
protected:
    void SetUp() override
    {
        CarTest::SetUp();
        SetBodySurroundings(&ground);
        std::feclearexcept(FE_ALL_EXCEPT);
        feenableexcept(FE_INVALID | FE_DIVBYZERO | FE_OVERFLOW);
    }
    void TearDown() override
    {
        fedisableexcept(FE_ALL_EXCEPT);
        for (CarObject* car : cars)
            DestroyCar(*car);
        for (CarObject* car : cars)
            delete car;
        cars.clear();
        SetBodySurroundings(nullptr);
        CarTest::TearDown();
    }

    // Loads car `index` (its built-in setup 0, or the caller's setup held
    // within the car's limits), places it at (x, y) heading along +y turned
    // by heading (rad, left positive) with its tyres 5 cm above the ground,
    // and puts it alone in the active set. Null when the car fails to load.
    CarObject* Place(int index, double x = 0, double y = 0, float heading = 0, CarSetup* setup = nullptr)
    {
        CarObject* car = new CarObject;
        cars.push_back(car);
        if (!Load(*car, index, setup ? -1 : 0, setup))
            return nullptr;
        car->position = {FixedFromMetres(static_cast<float>(x)), FixedFromMetres(static_cast<float>(y)), Fixed{}};
        ResetCar(*car, heading, 0, 1);
        car->awake = 1;
        // Idling in neutral, so that the car never goes to rest (a resting
        // car leaves the active set).
        SetFuelPercent(*car, 50);  // without fuel the engine stops
        StartEngineAtIdle(car->engine);
        set = {};
        AddToObjectSet(set, *car);
        return car;
    }

    // Steps of 10 ms of the set; the car must stay in it.
    void Step(int steps = 1)
    {
        for (int i = 0; i < steps; i++) {
            UpdatePhysicsObjects(set, 0);
            ASSERT_EQ(set.count, 1) << "the car left the active set";
        }
    }

    // The car rolls along its forward axis at v (m/s): body velocity, and
    // every wheel turning at v / r in the direction its tyre rolls forward.
    static void Roll(CarObject& car, double v)
    {
        car.velocity = static_cast<float>(v) * CarForward(car);
        car.angularMomentum = {};
        const Vec3 up = CarUp(car), forward = CarForward(car);
        for (int k = 0; k < car.wheelCount; k++) {
            Wheel& w = car.wheels[k];
            double r = car.axles[w.axleIndex].tyreRadius;
            double sign = Dot(Cross(up, Rotate(car.rotation, w.spinAxis)), forward) >= 0 ? 1 : -1;
            w.spinRate = static_cast<float>(sign * v / r);
        }
    }

    // Runs the engine in a gear with the clutch engaged at the speed the
    // wheels give (the car rolling at v), throttle preset.
    static void EngageGear(CarObject& car, int gear, double v, float throttle)
    {
        car.step.gear = car.step.gearTarget = gear;
        car.step.totalRatio = car.tuning.gearRatios[gear] * car.tuning.finalDrive;
        car.tuning.autoClutch = 0;
        car.inputs.words[11] = 0;
        car.engine.clutchPedal = 0;
        StartEngine(car.engine);
        car.engine.speed = static_cast<float>(v * car.step.totalRatio / DrivenTyreRadius(car));
        car.engine.clutchAngle = car.engine.crankAngle;
        car.engine.throttle = throttle;
        car.inputs.words[1] = PedalWord(throttle);
    }

    // Drives anticlockwise round a circle of radius R whose centre is R to
    // the car's left, the speed target rising from v0 at `ramp` m/s², until
    // the car runs wide of the circle by `wide`, slides (its velocity 0.1
    // rad off its heading) or `steps` pass. The driver pursues a point
    // ahead on the circle and, as a driver on a skidpad does, adds steering
    // for as long as the rear axle runs wide: pursuit alone holds a car
    // that needs more steering than the circle's geometry (one that
    // understeers) wide of the circle by an offset that grows with the
    // square of the look-ahead, so that on a large circle the run would end
    // wide before the tyres reach their limit.
    std::vector<SkidpadSample> Skidpad(CarObject& car, double R, double v0, double ramp, double wide, int steps)
    {
        // Steering added per metre wide and second: a tenth of the circle's
        // own steering angle (wheelbase over radius), gentle enough not to
        // upset the car at speed.
        const double trimPerMetreSecond = 0.1 * car.tuning.wheelbase / R;
        const Point3 start = CarPointInWorld(car, {0, car.tuning.axleY[0], 0});
        const double cx = start.x - R, cy = start.y;
        Roll(car, v0);
        // Already turning at the circle's rate, as if it had been driven onto
        // the circle (the car stands level: its up axis is the world's).
        const float yawRate = static_cast<float>(v0 / R);
        car.angularMomentum = Rotate(car.rotation, Vec3{car.inertia.m[2] * yawRate, car.inertia.m[5] * yawRate,
                                                        car.inertia.m[8] * yawRate});
        // In the gear that pulls at peak power when the speed target ends.
        EngageGear(car, PullingGear(car, v0 + ramp * steps * 0.01), v0, 0.3f);
        std::vector<SkidpadSample> samples;
        double trim = 0;
        for (int s = 0; s < steps; s++) {
            const Point3 rear = CarPointInWorld(car, {0, car.tuning.axleY[0], 0});
            trim += trimPerMetreSecond * (std::hypot(rear.x - cx, rear.y - cy) - R) * 0.01;
            car.inputs.words[0] = SteeringWordFor(car, CircleSteer(car, cx, cy, R, std::fmax(8.0, 0.2 * R)) + trim);
            HoldSpeed(car, v0 + ramp * 0.01 * s);
            Step();
            SkidpadSample sample;
            sample.centre = CentreOfMass(car);
            sample.speed = std::hypot(car.velocity.x, car.velocity.y);
            const double lx = -car.velocity.y / sample.speed, ly = car.velocity.x / sample.speed;
            for (int k = 0; k < car.wheelCount; k++)
                sample.lateral += TyreGroundForce(car.wheels[k]).x * lx + TyreGroundForce(car.wheels[k]).y * ly;
            samples.push_back(sample);
            if (std::hypot(sample.centre.x - cx, sample.centre.y - cy) > R + wide)
                break;
            // Past the limit the car slides or spins: its heading leaves its
            // path.
            if (sample.speed > 1 && std::fabs(Dot(CarRight(car), car.velocity)) > 0.1 * sample.speed)
                break;
        }
        return samples;
    }

    // The horizontal force the tyre's contact with the ground puts on the
    // car (world axes).
    static Vec3 TyreGroundForce(const Wheel& wheel) { return wheel.wheelForce; }

    // Distance (m) from full braking at v0 to the stop, the stop found
    // between the last step moving forward and the first that is not.
    // rolling, when given, receives the share of the steps above 5 m/s in
    // which a front wheel turned with the road (its combined slip below
    // twice its curve's slip).
    double StoppingDistance(CarObject& car, double v0, double* rolling = nullptr)
    {
        int fast = 0, turning = 0;
        Roll(car, v0);
        car.inputs.words[1] = 0;
        car.inputs.words[2] = 65535;
        car.step.brake = 1;
        const Point3 start = CarPointInWorld(car, {});
        double travelled = 0, speed = v0;
        for (int s = 0; s < 1000; s++) {
            Step();
            const Point3 now = CarPointInWorld(car, {});
            const double d = std::hypot(now.x - start.x, now.y - start.y);
            const double v = ForwardSpeed(car);
            if (v > 5) {
                fast++;
                for (int k = 0; k < car.wheelCount; k++) {
                    const Wheel& w = car.wheels[k];
                    if (w.axleIndex == 1 && w.touching && w.combinedSlip < 2 * w.curveSlip) {
                        turning++;
                        break;
                    }
                }
            }
            if (rolling)
                *rolling = fast ? double(turning) / fast : 0;
            if (v <= 0)
                return travelled + (d - travelled) * speed / (speed - v);
            travelled = d;
            speed = v;
        }
        ADD_FAILURE() << "the car did not stop";
        return 0;
    }

    TestGround ground;
    ObjectSet set;
    std::vector<CarObject*> cars;
};

// Least-squares circle through points (x, y): centre and radius (a Kasa
// fit, exact for points on a circle).
struct CircleFit {
    double cx = 0, cy = 0, radius = 0;
};
inline CircleFit FitCircle(const std::vector<Point3>& points)
{
    // Solve for (D, E, F) in x² + y² + D x + E y + F = 0, in centred
    // coordinates for accuracy.
    double mx = 0, my = 0;
    for (const Point3& p : points) {
        mx += p.x;
        my += p.y;
    }
    mx /= points.size();
    my /= points.size();
    double a[3][4] = {};
    for (const Point3& p : points) {
        double x = p.x - mx, y = p.y - my, row[3] = {x, y, 1}, rhs = -(x * x + y * y);
        for (int i = 0; i < 3; i++) {
            for (int j = 0; j < 3; j++)
                a[i][j] += row[i] * row[j];
            a[i][3] += row[i] * rhs;
        }
    }
    for (int i = 0; i < 3; i++) {  // Gauss-Jordan, the matrix is symmetric positive definite
        for (int k = 0; k < 3; k++) {
            if (k == i)
                continue;
            double f = a[k][i] / a[i][i];
            for (int j = 0; j < 4; j++)
                a[k][j] -= f * a[i][j];
        }
    }
    double d = a[0][3] / a[0][0], e = a[1][3] / a[1][1], f = a[2][3] / a[2][2];
    CircleFit fit;
    fit.cx = mx - d / 2;
    fit.cy = my - e / 2;
    fit.radius = std::sqrt(d * d / 4 + e * e / 4 - f);
    return fit;
}
