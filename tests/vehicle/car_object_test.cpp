// The car assembled from the generated data folder: every car constructs,
// resets, is placed, damaged and repaired; its mass model matches the
// closed forms of its parts; the axle loads follow the lever rule; setups
// from outside are held within the car's limits; the damage record packs
// within its fields; bad car data is refused; dents follow the impact rule
// and are undone exactly; the reset check weighs the other cars; drivers
// and passengers get their animations; placement clears nearby walls.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <fstream>
#include <string>
#include <vector>

#include "car_fixture.h"
#include "vehicle/local.h"

namespace {

// ---------------------------------------------------------------------------
// The mass model, computed here from the car's parts with the textbook
// formulas: a box's own inertia m/3 (b² + c²), a thin rod's m L²/12 about
// its middle, the parallel-axis theorem, all in double.

struct Tensor {
    double mass = 0, mx = 0, my = 0, mz = 0;
    double i[3][3] = {};
    void Point(double m, double x, double y, double z)
    {
        mass += m;
        mx += m * x;
        my += m * y;
        mz += m * z;
        const double p[3] = {x, y, z};
        for (int a = 0; a < 3; a++)
            for (int b = 0; b < 3; b++)
                i[a][b] += m * ((a == b ? x * x + y * y + z * z : 0) - p[a] * p[b]);
    }
    void Box(double m, double x, double y, double z, double hx, double hy, double hz)
    {
        Point(m, x, y, z);
        i[0][0] += m * (hy * hy + hz * hz) / 3;
        i[1][1] += m * (hx * hx + hz * hz) / 3;
        i[2][2] += m * (hx * hx + hy * hy) / 3;
    }
    void Rod(double m, const double p[3], const double q[3])
    {
        Point(m, (p[0] + q[0]) / 2, (p[1] + q[1]) / 2, (p[2] + q[2]) / 2);
        const double d[3] = {q[0] - p[0], q[1] - p[1], q[2] - p[2]};
        const double l2 = d[0] * d[0] + d[1] * d[1] + d[2] * d[2];
        for (int a = 0; a < 3; a++)
            for (int b = 0; b < 3; b++)
                i[a][b] += m / 12 * ((a == b ? l2 : 0) - d[a] * d[b]);
    }
};

Tensor ExpectedMassModel(const CarObject& car)
{
    Tensor t;
    for (int k = 0; k < car.data.structureBarCount; k++) {
        const StructureBar& bar = car.data.structureBars[k];
        if (bar.pointA < 0 || bar.pointB < 0)
            continue;
        const StructurePoint &a = car.data.structurePoints[bar.pointA], &b = car.data.structurePoints[bar.pointB];
        double p[3] = {a.x / 65536.0, a.y / 65536.0, a.z / 65536.0};
        double q[3] = {b.x / 65536.0, b.y / 65536.0, b.z / 65536.0};
        if (bar.pointA == bar.pointB) {
            double m[3] = {-p[0], p[1], p[2]};
            t.Rod(2 * std::fabs(p[0]) * bar.value, p, m);
        } else {
            double length = std::sqrt((q[0] - p[0]) * (q[0] - p[0]) + (q[1] - p[1]) * (q[1] - p[1]) +
                                      (q[2] - p[2]) * (q[2] - p[2]));
            t.Rod(length * bar.value, p, q);
            double pm[3] = {-p[0], p[1], p[2]}, qm[3] = {-q[0], q[1], q[2]};
            t.Rod(length * bar.value, pm, qm);
        }
    }
    const double engineMass = GetEngineMass(car.engine);
    Vec3 block;
    GetEngineBlockSize(car.engine, (car.data.dataFlags & CarDataTransverseEngine) ? 1 : 0, block);
    t.Box(engineMass, car.data.enginePosition.x, car.data.enginePosition.y, car.data.enginePosition.z, block.x / 2, block.y / 2,
          block.z / 2);
    const double side = std::cbrt(0.002 * car.data.fuelCapacity) / 2;
    t.Box(0.3 * engineMass, car.data.fuelTankPosition.x, car.data.fuelTankPosition.y, car.data.fuelTankPosition.z, side, side,
          side / 2);
    auto seat = [&](double x, const Vec3& at, double w) {
        t.Box(5 * w / 0.2, x, at.y + 0.05, at.z + 0.5, w, 0.05, 0.3);
        t.Box(10 * w / 0.2, x, at.y + 0.3, at.z + 0.1, w, 0.3, 0.1);
    };
    const double dx = car.data.driverSeat.x;
    seat(dx, car.data.driverSeat, 0.2);
    if ((car.data.dataFlags & CarDataFrontPassengerSeat) && std::fabs(dx) > 0.2)
        seat(-dx, car.data.driverSeat, 0.2);
    if (car.data.dataFlags & CarDataRearSeats)
        seat(car.data.rearSeat.x, car.data.rearSeat, std::fabs(dx) + 0.2);
    if (car.data.dataFlags & CarDataSpareWheel) {
        const Axle& a = car.axles[car.wheels[0].axleIndex];
        t.Box(car.wheels[0].wheelMass, car.data.spareWheelPosition.x, car.data.spareWheelPosition.y, car.data.spareWheelPosition.z,
              a.tyreWidth / 2, a.tyreRadius, a.tyreRadius);
    }
    for (int k = 0; k < car.wheelCount; k++) {
        const Wheel& w = car.wheels[k];
        const Axle& a = car.axles[w.axleIndex];
        const double m = CarClassTable[car.data.carClass].wheelDriveMassFactor * engineMass;
        t.Box(m, w.wheelCentreX - w.side * a.tyreWidth / 2, w.mountPosition.y, w.mountHeight, 0, 0, 0.2);
        // The wheel: 24 pi (r² + r w + e w) kg at its centre.
        const double r = a.tyreRadius, tw = a.tyreWidth, e = a.rimRadius;
        const double wheelMass = 24 * 3.14159265358979 * (r * r + r * tw + e * tw);
        EXPECT_NEAR(w.wheelMass, wheelMass, 1e-3 * wheelMass);
        const Vec3 c = {w.hubPoint.x + w.hubOffset.x, w.hubPoint.y + w.hubOffset.y, w.hubPoint.z + w.hubOffset.z};
        t.Box(wheelMass, c.x, c.y, c.z, tw / 2, r, r);
    }
    return t;
}

TEST_F(CarTest, EveryCarBuildsWithTheMassModelOfItsParts)
{
    for (int index = 0; index < CarCount; index++) {
        SCOPED_TRACE(CarNameTable[index].code);
        OwnedCar owned;
        CarObject& car = owned.car;
        ASSERT_TRUE(Load(car, index));
        EXPECT_EQ(car.BodyKind(), 1);
        EXPECT_EQ(car.data.gearboxKind, CarNameTable[index].gearboxKind);
        EXPECT_EQ(car.wheelCount, 4);
        EXPECT_EQ(car.data.driverAnimation, 0);

        // The engine in the car data is the engine of the engine file.
        EngineRecord scratch, sound;
        InitEngineData(scratch);
        InitEngineData(sound);
        std::string enginePath = std::string("data\\engine\\") + CarNameTable[index].code + "_default.eng";
        ASSERT_EQ(OpenEngineFile(scratch, enginePath.c_str(), nullptr, sound), 1);
        EXPECT_EQ(scratch.displacement, car.engine.displacement);
        EXPECT_EQ(scratch.cylinders, car.engine.cylinders);
        EXPECT_EQ(scratch.boost, car.engine.boost);
        EXPECT_EQ(scratch.torqueFactor, car.engine.torqueFactor);
        EXPECT_EQ(scratch.maxSpeed, car.engine.maxSpeed);
        ReleaseEngineSounds(sound);

        // Mass, centre of mass and inertia against the parts (the car has a
        // driver seat but no driver: animation 0 is not -1, so 70 kg more).
        Tensor t = ExpectedMassModel(car);
        t.Box(35, car.data.driverSeat.x, car.data.driverSeat.y + 0.2, car.data.driverSeat.z + 0.65, 0.15, 0.1, 0.25);
        t.Box(35, car.data.driverSeat.x, car.data.driverSeat.y + 0.5, car.data.driverSeat.z + 0.3, 0.15, 0.4, 0.1);
        EXPECT_NEAR(car.mass, t.mass, 1e-4 * t.mass);
        const double c[3] = {t.mx / t.mass, t.my / t.mass, t.mz / t.mass};
        EXPECT_NEAR(car.centreOfMass.x, c[0], 1e-4);
        EXPECT_NEAR(car.centreOfMass.y, c[1], 1e-4);
        EXPECT_NEAR(car.centreOfMass.z, c[2], 1e-4);
        const double c2 = c[0] * c[0] + c[1] * c[1] + c[2] * c[2];
        for (int a = 0; a < 3; a++)
            for (int b = 0; b < 3; b++) {
                double expected = t.i[a][b] - t.mass * ((a == b ? c2 : 0) - c[a] * c[b]);
                EXPECT_NEAR(car.inertia.m[a * 3 + b], expected, 1e-3 * t.i[a][a] + 1e-3) << a << b;
            }
        // The inverse inertia is the inverse.
        for (int a = 0; a < 3; a++)
            for (int b = 0; b < 3; b++) {
                double sum = 0;
                for (int k = 0; k < 3; k++)
                    sum += double(car.inertia.m[a * 3 + k]) * car.inverseInertia.m[k * 3 + b];
                EXPECT_NEAR(sum, a == b ? 1 : 0, 1e-4);
            }

        // The axle loads the damage limits are built on follow the lever
        // rule about the centre of mass, over the wheelbase that reaches to
        // the front hubs (the front hub lead ahead of the front mounts).
        const double rearY = car.tuning.axleY[0], frontY = car.tuning.axleY[1], lead = car.data.frontHubLead;
        const double wheelbase = frontY - rearY + lead;
        EXPECT_NEAR(car.tuning.wheelbase, wheelbase, 1e-5);
        const Wheel* front = car.axles[1].rightWheel;
        const Wheel* rear = car.axles[0].rightWheel;
        ASSERT_TRUE(front && rear);
        const double weight = car.mass * 9.81 * 3;
        EXPECT_NEAR(front->failLoad / weight, (c[1] - rearY + lead) / wheelbase, 1e-4);
        EXPECT_NEAR(rear->failLoad / weight, (frontY + lead - c[1]) / wheelbase, 1e-4);
        EXPECT_NEAR(car.axles[1].leftWheel->failLoad, front->failLoad, 1e-3);
        EXPECT_NEAR(front->bendLoad, 2 * front->failLoad, 1e-2);

        // Reset and placement on the flat ground at a heading.
        car.position = MakeFixedVector(10 << 16, -(4 << 16), 7 << 16);
        car.velocity = {3, 0, 0};
        car.inputs.words[0] = 1000;
        car.step.gear = car.step.gearTarget = 3;
        car.step.upLatch = 1;
        car.step.autoShiftDelay = 100;
        ResetCar(car, 3.14159265f / 2, 0, 1);
        float reach = -1000;
        for (int k = 0; k < car.wheelCount; k++) {
            const Wheel& w = car.wheels[k];
            reach = std::fmax(reach, car.axles[w.axleIndex].tyreRadius - car.data.setup->axles[w.axleIndex].rideHeightReduction);
        }
        EXPECT_EQ(car.position.z, FixedFromMetres(reach + 0.05f));
        EXPECT_EQ(car.position.x.raw, 10 << 16);
        EXPECT_NEAR(car.rotation.m[0], 0, 1e-6);
        EXPECT_NEAR(car.rotation.m[3], 1, 1e-6);
        EXPECT_EQ(car.velocity, Vec3{});
        EXPECT_EQ(car.inputs.words[0], SteeringCentre);
        EXPECT_EQ(car.inputs.words[14], NoHShifterGear);
        EXPECT_EQ(car.step.gear, 1);
        EXPECT_EQ(car.step.gearTarget, 1);
        EXPECT_EQ(car.step.upLatch, 0);
        EXPECT_EQ(car.step.autoShiftDelay, 0);
        EXPECT_EQ(car.predictedPosition, car.position);

        // Damage, carried to a second copy of the car, then repaired.
        car.engine.health = 0.6f;
        car.engine.clutchHeat = 0.25f;
        SetFuelPercent(car, 40);
        Wheel& hurt = car.wheels[1];
        hurt.travelLoss = 0.01f * car.axles[hurt.axleIndex].tyreRadius;
        hurt.damageState[0] = DamageSome;
        hurt.toe = 0.1f;
        hurt.damageState[3] = DamageSome;
        DamageRecord record;
        MakeDamageRecord(car, record, 7);
        OwnedCar copy;
        ASSERT_TRUE(Load(copy.car, index));
        ApplyDamageRecord(copy.car, record);
        EXPECT_NEAR(copy.car.engine.health, 0.6f, 1.0f / 255);
        EXPECT_NEAR(copy.car.engine.clutchHeat, 0.25f, 1.0f / 255);
        EXPECT_NEAR(copy.car.race.fuel, car.race.fuel, car.data.fuelCapacity / 255);
        EXPECT_NEAR(copy.car.wheels[1].travelLoss, hurt.travelLoss, 0.03f * car.axles[hurt.axleIndex].tyreRadius / 255);
        EXPECT_NEAR(copy.car.wheels[1].toe, 0.1f, 3.14159f / 8 / 127);
        RepairCar(copy.car, 0, 1);
        EXPECT_EQ(copy.car.wheels[1].damageState[0], DamageNone);
        EXPECT_EQ(copy.car.wheels[1].travelLoss, 0);
        EXPECT_NEAR(copy.car.wheels[1].toe, (copy.car.data.setup->axles[copy.car.wheels[1].axleIndex].toe - 9) * 0.1f * 3.14159265f / 180, 1e-6);
        EXPECT_EQ(copy.car.engine.health, 1);
        EXPECT_EQ(copy.car.wheels[1].wearLevel[0], 7);
    }
}

TEST_F(CarTest, AddedMassAndRestrictionFollowTheHandicapRules)
{
    OwnedCar owned;
    CarObject& car = owned.car;
    CarSetup held;
    {
        OwnedCar probe;
        ASSERT_TRUE(Load(probe.car, 0));
        held = *probe.car.data.setup;
    }
    held.addedMass = 250 > 255 ? 255 : 200;  // the byte holds at most 200 after clamping
    held.addedMassPosition = 100;
    ASSERT_TRUE(Load(car, 0, -1, &held));
    const float dry = car.tuning.dryMass;
    int limit = 10 * static_cast<int>(std::nearbyint(dry * 0.02f));
    if (limit > 200)
        limit = 200;
    EXPECT_EQ(car.tuning.appliedMass, limit);
    // The added mass sits on the front axle line: the centre moves towards it
    // by m (front y - c) / (M + m).
    CarSetup none = held;
    none.addedMass = 0;
    OwnedCar plain;
    ASSERT_TRUE(Load(plain.car, 0, -1, &none));
    EXPECT_NEAR(car.mass, plain.car.mass + limit, 1e-2);
    const double expectedY = (plain.car.mass * plain.car.centreOfMass.y + limit * car.tuning.axleY[1]) / (plain.car.mass + limit);
    EXPECT_NEAR(car.centreOfMass.y, expectedY, 1e-4);
    // A host's minimum raises it.
    MutableCarHandicapTable[0].mass = 190;
    MutableCarHandicapTable[0].restriction = 20;
    none.addedMass = 0;
    OwnedCar raised;
    ASSERT_TRUE(Load(raised.car, 0, -1, &none));
    EXPECT_EQ(raised.car.tuning.appliedMass, 190);
    EXPECT_EQ(raised.car.tuning.appliedRestriction, 20);
    // The restriction sets up the engine as if its torque factor were 0.8,
    // leaving the stored factor.
    EXPECT_EQ(raised.car.engine.torqueFactor, plain.car.engine.torqueFactor);
    EXPECT_LT(raised.car.engine.maxPower, plain.car.engine.maxPower);
    EngineRecord reduced = plain.car.engine;
    reduced.torqueFactor *= 0.8f;
    SetUpEngine(reduced, CarClassTable[plain.car.data.carClass]);
    EXPECT_EQ(raised.car.engine.maxPower, reduced.maxPower);
    MutableCarHandicapTable[0] = {};
}

TEST_F(CarTest, SetupFromOutsideIsHeldWithinTheCarsLimits)
{
    const int gtr = FindCarByCode("WQR");  // a GT racer: rear wing, slicks
    OwnedCar probe;
    ASSERT_TRUE(Load(probe.car, gtr));
    const CarSetup builtIn = *probe.car.data.setup;
    CarSetup held = builtIn;
    held.rearWing = 40;            // beyond the car's 30 (and the file's 30)
    held.frontWing = 10;           // the car has no front wing range: 0
    held.maxLock = 45;             // beyond the largest built-in lock
    held.axles[0].tyreType = 6;    // GT: 1 to 3
    held.axles[1].tyreType = 0;
    held.axles[0].rideHeightReduction = 0.5f;
    held.flags &= static_cast<uint8_t>(~SetupSymmetric);  // so both sides are held separately
    held.axles[1].pressureLeft = 1000;
    held.axles[1].pressureRight = 10;
    held.maxBrakeTorque = 1e6f;
    held.gears[3] = 60000;         // above the third gear
    held.axles[0].spring = 1e8f;
    OwnedCar car;
    ASSERT_TRUE(Load(car.car, gtr, -1, &held));
    EXPECT_EQ(car.car.data.setup, &held);  // the caller's record itself
    EXPECT_EQ(held.rearWing, 30);
    EXPECT_EQ(held.frontWing, 0);
    EXPECT_EQ(held.maxLock, builtIn.maxLock);
    EXPECT_EQ(held.axles[0].tyreType, 3);
    EXPECT_EQ(held.axles[1].tyreType, 1);
    float low, high;
    GetSetupRangeCapped(car.car, 0, low, high);
    EXPECT_EQ(held.axles[0].rideHeightReduction, high);
    EXPECT_NEAR(high, builtIn.axles[0].rideHeightReduction +
                          std::fmin(std::fabs(car.car.axles[0].maxHeight - builtIn.axles[0].rideHeightReduction), 0.08f), 1e-6);
    EXPECT_EQ(held.axles[1].pressureLeft, static_cast<int>(std::nearbyint(1.5f * builtIn.axles[1].pressureLeft)));
    EXPECT_EQ(held.axles[1].pressureRight, static_cast<int>(std::nearbyint(0.5f * builtIn.axles[1].pressureLeft)));
    float brakeLow, brakeHigh;
    GetLoadDerivedLimits(car.car, brakeLow, brakeHigh);
    EXPECT_EQ(held.maxBrakeTorque, brakeHigh);
    EXPECT_NEAR(brakeHigh, GetFullLoadWeight(car.car) * car.car.axles[1].tyreRadius * 0.41f, 1e-2);
    EXPECT_EQ(held.gears[3], held.gears[2]);
    float springMax, damperMax;
    GetRoundedLoadLimits(car.car, springMax, damperMax);
    EXPECT_EQ(springMax, 10000 * (std::trunc(11 * GetFullLoadWeight(car.car) / 10000) + 1));
    for (int k = 0; k < car.car.wheelCount; k++) {
        if (car.car.wheels[k].axleIndex == 0) {
            EXPECT_EQ(car.car.wheels[k].springRate, springMax);
        }
    }
    // Rear wing 8 on a base of 5 degrees: lift (sin 26° × 1.03923 + 0.1) × factor.
    const AeroPoint& wing = probe.car.aero[0];
    ASSERT_TRUE(wing.flags & AeroPresent);
    const double a = 2 * 13 * 3.14159265358979 / 180;
    EXPECT_NEAR(wing.lift, (std::sin(a) * 1.03923 + 0.1) * wing.liftFactor, 1e-5);
    EXPECT_NEAR(wing.drag, ((1 - std::cos(a)) * 1.8 + 0.1) * wing.dragFactor, 1e-5);
}

// Held pressures lie within half to one and a half of the default setup's;
// a default above 43690 kPa reaches past the 16-bit field, whose top is
// then the range's top (not the wrapped remainder).
// The full-load weight: two occupants (five with rear seats) of 70 kg and
// the dry mass under gravity, and the wings' lift at the top speed the
// power gives against the drag, however high; with no drag at all the
// speed is 200 m/s.
TEST_F(CarTest, FullLoadWeightTakesTheLiftAtThePowersTopSpeed)
{
    OwnedCar car;
    ASSERT_TRUE(Load(car.car, FindCarByCode("NQ1")));
    CarTuning& t = car.car.tuning;
    const double seats = (car.car.data.dataFlags & CarDataRearSeats) ? 5 : 2;
    const double still = (seats * 70 + t.dryMass) * 9.81;
    ASSERT_LT(t.liftFactorSum, 0) << "a grand prix car's wings press it down";
    struct Case {
        float dragFactorSum;
        double speed;  // m/s
    } cases[] = {
        {t.dragFactorSum, std::cbrt(t.driveEfficiency * car.car.engine.maxPower / t.dragFactorSum)},
        {1e-3f, std::cbrt(t.driveEfficiency * car.car.engine.maxPower / 1e-3)},  // beyond 200 m/s
        {0, 200},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.dragFactorSum);
        t.dragFactorSum = c.dragFactorSum;
        const double expected = still - c.speed * c.speed * t.liftFactorSum;
        EXPECT_NEAR(GetFullLoadWeight(car.car), expected, 1e-4 * expected);
    }
}

TEST_F(CarTest, APressureRangePastTheFieldEndsAtTheFieldsTop)
{
    CarSetup held;  // outlives the car that holds it
    OwnedCar owned;
    CarObject& car = owned.car;
    ASSERT_TRUE(Load(car, FindCarByCode("WQR")));
    car.data.setups[0].setup.axles[1].pressureLeft = 60000;
    held = car.data.setups[0].setup;
    held.flags &= static_cast<uint8_t>(~SetupSymmetric);
    held.axles[1].pressureLeft = 65000;
    held.axles[1].pressureRight = 20000;
    car.data.setup = &held;
    car.data.setupIndex = -1;
    ApplySetup(car, 1);
    EXPECT_EQ(held.axles[1].pressureLeft, 65000);
    EXPECT_EQ(held.axles[1].pressureRight, 30000);
}

TEST(DamageRecordTest, ValuesOutsideTheirFieldsAreHeldWithinThem)
{
    CarObject car;
    ConstructCar(car);
    car.wheelCount = 2;
    car.wheels = new Wheel[2];
    for (int k = 0; k < 2; k++)
        InitWheel(car.wheels[k]);
    car.axles[0].tyreRadius = 0.3f;
    car.axles[0].armLength = 0.3f;
    car.axles[0].upperLinkLength = 0.5f;
    Wheel& w = car.wheels[0];
    for (uint8_t& t : w.displayTemperature)
        t = 200;  // a tyre hotter than the display's range
    w.wearLevel[0] = 9;
    w.dirtLevel = 12;
    w.upperLinkLoss = 0.5f;  // far beyond a third of the arm length
    w.damageState[1] = DamageSome;
    w.toe = -1;              // beyond -pi/8
    w.damageState[3] = DamageSome;
    car.engine.health = 1.5f;
    DamageRecord record;
    MakeDamageRecord(car, record, 300);
    const uint8_t* block = record.bytes + 8;
    EXPECT_EQ(record.bytes[0], 2);
    EXPECT_EQ(record.bytes[2], 255);
    EXPECT_EQ(block[1], 255);
    EXPECT_EQ(static_cast<int8_t>(block[3]), -127);
    uint32_t first = block[4] | block[5] << 8 | block[6] << 16 | static_cast<uint32_t>(block[7]) << 24;
    uint32_t second = block[8] | block[9] << 8 | block[10] << 16 | static_cast<uint32_t>(block[11]) << 24;
    EXPECT_EQ(first, (63u << 18) | (63u << 12) | (63u << 6) | 63u);  // bit 31 (flat) untouched
    EXPECT_EQ(second, (7u << 27) | (7u << 24) | (63u << 12) | (63u << 6) | 63u);
    // The second wheel's block is its own: nothing spilled into it.
    EXPECT_EQ(record.bytes[20], 0);
    for (int k = 21; k < 32; k++)
        EXPECT_EQ(record.bytes[k], 0) << k;
    EXPECT_EQ(record.bytes[32], 0);
    DestroyCar(car);
}

// ---------------------------------------------------------------------------
// Bad car data.

std::vector<char> ReadBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<char>(std::istreambuf_iterator<char>(in), {});
}

void WriteBytes(const std::string& path, const std::vector<char>& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

void PutInt(std::vector<char>& bytes, size_t at, int32_t value)
{
    for (int i = 0; i < 4; i++)
        bytes[at + i] = static_cast<char>((static_cast<uint32_t>(value) >> (8 * i)) & 0xFF);
}

TEST_F(CarTest, BadCarDataIsRefused)
{
    // FORMULA VO: no rear seats, traction control, two setups, three colours.
    const std::string good = "data/veh/GEX.veh";
    const std::vector<char> original = ReadBytes(good);
    ASSERT_GT(original.size(), 700u);
    struct Case {
        const char* what;
        size_t offset;
        int32_t value;  // a byte when below 0x100 and the field is a byte
        bool byte;
    } cases[] = {
        {"class 12", 12, 12, false},
        {"gearbox kind 0", 16, 0, false},
        {"gearbox kind 6", 16, 6, false},
        {"setup count huge", 64, 0x7FFFFFFF, false},
        {"setup count negative", 64, -1, false},
        {"colour count huge", 348, 100000, false},
        {"option count 17", 500, 17, false},
        {"dashboard layout 81 bytes", 633, 81, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<char> bytes = original;
        if (c.byte)
            bytes[c.offset] = static_cast<char>(c.value);
        else
            PutInt(bytes, c.offset, c.value);
        WriteBytes(good, bytes);
        OwnedCar owned;
        EXPECT_FALSE(Load(owned.car, FindCarByCode("GEX")));
    }
    // Cut short anywhere: refused, never read past the end.
    for (size_t length : {size_t(7), size_t(40), size_t(400), original.size() / 2, original.size() - 1}) {
        SCOPED_TRACE(length);
        WriteBytes(good, std::vector<char>(original.begin(), original.begin() + static_cast<long>(length)));
        OwnedCar owned;
        EXPECT_FALSE(Load(owned.car, FindCarByCode("GEX")));
    }
    WriteBytes(good, original);
    OwnedCar owned;
    EXPECT_TRUE(Load(owned.car, FindCarByCode("GEX")));
    EXPECT_EQ(owned.car.data.dashboardType, 3);
    EXPECT_EQ(owned.car.data.dashboardLayout[4], 100);  // the default layout of type 3
    EXPECT_EQ(owned.car.data.dashboardLayout[79], 24);
}

// The added mass is held to 10 x round(2% of the dry mass) kg, at most 200.
// A car data file with an extra mass far out of range (found by fuzzing the
// reader) once made that rounding an undefined conversion. A dry mass far
// above the range gives 200 kg, one below it or no number at all 0.
TEST_F(CarTest, ADryMassFarOutOfRangeHoldsTheAddedMassWithinItsLimit)
{
    const std::string path = "data/veh/GEX.veh";
    const std::vector<char> original = ReadBytes(path);
    ASSERT_GT(original.size(), 700u);
    // Restores the file whatever the test finds.
    struct Restore {
        const std::string& path;
        const std::vector<char>& bytes;
        ~Restore() { WriteBytes(path, bytes); }
    } restore{path, original};
    // The extra mass: after the option list (16 bytes an option) the engine
    // and seat positions, then the tank and extra mass positions.
    int32_t options = 0;
    std::memcpy(&options, &original[500], 4);
    const size_t extraMassAt = 504 + 16 * size_t(options) + 24 + 24;
    auto withExtraMass = [&](float kg) {
        std::vector<char> bytes = original;
        std::memcpy(&bytes[extraMassAt], &kg, 4);
        WriteBytes(path, bytes);
    };
    CarSetup held;
    int ownLimit = 0;  // the car's limit without an extra mass
    {
        OwnedCar probe;
        withExtraMass(123.5f);
        ASSERT_TRUE(Load(probe.car, FindCarByCode("GEX")));
        ASSERT_EQ(probe.car.data.extraMass, 123.5f);  // the offset is the extra mass
        held = *probe.car.data.setup;
        held.addedMass = 200;
        OwnedCar plain;
        withExtraMass(0);
        CarSetup setup = held;
        ASSERT_TRUE(Load(plain.car, FindCarByCode("GEX"), -1, &setup));
        ownLimit = plain.car.tuning.appliedMass;
        ASSERT_EQ(ownLimit, 10 * static_cast<int>(std::nearbyint(plain.car.tuning.dryMass * 0.02f)));
    }
    // From the file: an extra mass that is not above 0 adds nothing.
    const struct {
        const char* what;
        float extraMass;
        int appliedMass;
    } fromFile[] = {
        {"huge", 1e30f, 200},
        {"what the fuzzer found", 5.76460752e17f, 200},
        {"endless", INFINITY, 200},
        {"negative", -1e30f, ownLimit},
        {"not a number", std::nanf(""), ownLimit},
    };
    for (const auto& c : fromFile) {
        SCOPED_TRACE(c.what);
        withExtraMass(c.extraMass);
        CarSetup setup = held;
        OwnedCar owned;
        ASSERT_TRUE(Load(owned.car, FindCarByCode("GEX"), -1, &setup));
        EXPECT_EQ(owned.car.tuning.appliedMass, c.appliedMass);
    }
    // Any dry mass, as the mass model may leave it.
    withExtraMass(0);
    CarSetup setup = held;
    OwnedCar owned;
    ASSERT_TRUE(Load(owned.car, FindCarByCode("GEX"), -1, &setup));
    const struct {
        float dryMass;
        int appliedMass;
    } dry[] = {{900, 180}, {1e30f, 200}, {INFINITY, 200}, {-1e30f, 0}, {-INFINITY, 0}, {std::nanf(""), 0}};
    for (const auto& d : dry) {
        owned.car.tuning.dryMass = d.dryMass;
        UpdateCarHandicaps(owned.car);
        EXPECT_EQ(owned.car.tuning.appliedMass, d.appliedMass) << d.dryMass;
    }
}

} // namespace

namespace {

TEST_F(CarTest, TakingOverARemoteCarKeepsItsTyreTemperatures)
{
    OwnedCar owned;
    CarObject& car = owned.car;
    ASSERT_TRUE(Load(car, FindCarByCode("SN6")));
    const float tread = car.axles[0].treadHeatFactor, sidewall = car.axles[1].sidewallHeatFactor;
    const Wheel& w = car.wheels[2];
    const float temperature = w.segments[5].treadHeat[1] / TreadCapacity(car.axles[w.axleIndex], w.segments[5].treadDepth[1]);
    ClearCarLocalControl(car);
    EXPECT_EQ(car.net.remote, 1);
    EXPECT_FLOAT_EQ(car.axles[0].treadHeatFactor, 16 * tread);
    EXPECT_NEAR(w.segments[0].treadHeat[1] / TreadCapacity(car.axles[w.axleIndex], w.segments[0].treadDepth[1]),
                temperature, 1e-3);
    SetCarLocalControl(car);
    EXPECT_EQ(car.net.remote, 0);
    EXPECT_FLOAT_EQ(car.axles[0].treadHeatFactor, tread);
    EXPECT_FLOAT_EQ(car.axles[1].sidewallHeatFactor, sidewall);
    EXPECT_NEAR(w.segments[9].treadHeat[1] / TreadCapacity(car.axles[w.axleIndex], w.segments[9].treadDepth[1]),
                temperature, 1e-3);
}

// A parked car's tyres cool in still air. A remote car holds each tyre's
// heat in one segment: starting equally hot, its tyres cool as a local
// car's sixteen segments do.
TEST_F(CarTest, ARestingRemoteCarsTyresCoolLikeALocalCars)
{
    OwnedCar localOwned, remoteOwned;
    CarObject& local = localOwned.car;
    CarObject& remote = remoteOwned.car;
    ASSERT_TRUE(Load(local, FindCarByCode("SN6")));
    ASSERT_TRUE(Load(remote, FindCarByCode("SN6")));
    ClearCarLocalControl(remote);
    ASSERT_EQ(remote.net.remote, 1);
    for (CarObject* car : {&local, &remote}) {
        const int segments = car->net.remote ? 1 : TyreSegmentCount;
        for (int i = 0; i < car->wheelCount; ++i)
            for (int s = 0; s < segments; ++s) {
                TyreSegment& segment = car->wheels[i].segments[s];
                for (int j = 0; j < 3; ++j) {
                    segment.treadHeat[j] *= 1.3f;
                    segment.surfaceHeat[j] *= 1.3f;
                }
            }
    }
    StepRestingCar(local);
    StepRestingCar(remote);
    const Wheel& hot = local.wheels[0];
    const int startTread = hot.displayTemperature[1];
    for (int step = 0; step < 3000; ++step) {
        StepRestingCar(local);
        StepRestingCar(remote);
    }
    EXPECT_LT(hot.displayTemperature[1], startTread);
    for (int i = 0; i < local.wheelCount; ++i)
        for (int t = 0; t < 7; ++t)
            EXPECT_NEAR(remote.wheels[i].displayTemperature[t], local.wheels[i].displayTemperature[t], 1)
                << "wheel " << i << " reading " << t;
}

TEST_F(CarTest, DrivingAidsFollowTheGearbox)
{
    struct Case {
        const char* code;
        int flags;
        int cut, blip, clutch;
    } cases[] = {
        {"WQG", PlayerAidAutoGears, 1, 1, 1},   // H pattern, automatic gears: everything
        {"WQG", PlayerAidAutoClutch, 0, 0, 1},  // automatic clutch only
        {"YAS", PlayerAidAutoGears, 1, 0, 1},   // motorbike
        {"GEX", PlayerAidAutoGears, 0, 0, 1},   // sequential with ignition cut
        {"NQ1", 0, 1, 1, 1},                    // paddle shift: always
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.code);
        OwnedCar owned;
        ASSERT_TRUE(Load(owned.car, FindCarByCode(c.code)));
        ApplyPlayerAids(owned.car, c.flags);
        EXPECT_EQ(owned.car.tuning.throttleCut, c.cut);
        EXPECT_EQ(owned.car.tuning.blip, c.blip);
        EXPECT_EQ(owned.car.tuning.autoClutch, c.clutch);
    }
}

} // namespace

// ---------------------------------------------------------------------------
// Dents, the reset check, the reset request record, the downforce split,
// driver animations, lamps and the corner probes of the placement.

namespace {

// 16.16 of metres, nearest.
int32_t Raw(double metres)
{
    return static_cast<int32_t>(std::nearbyint(metres * 65536));
}

// A body model as the dents see it through the model hooks: its points and
// one part.
struct FakeModel {
    std::vector<FixedVector> points;
    std::vector<FixedVector> parts;
};
FakeModel& AsFake(ObjectModel& model) { return *reinterpret_cast<FakeModel*>(&model); }
const FakeModel& AsFake(const ObjectModel& model) { return *reinterpret_cast<const FakeModel*>(&model); }

// A small car made by hand: two contact points, a body model with the
// points of the table below and one part, one wheel, 2.4 m wheelbase
// (impact reach R = 1.2 m, Q = 0.3996 m ahead).
struct DentCar {
    FakeModel model;
    CarObject car;
    DentCar()
    {
        CarModelHooks hooks;
        hooks.modelPointCount = [](const ObjectModel& m) { return static_cast<int>(AsFake(m).points.size()); };
        hooks.modelPoint = [](ObjectModel& m, int i) { return &AsFake(m).points[size_t(i)]; };
        hooks.modelPartCount = [](const ObjectModel& m) { return static_cast<int>(AsFake(m).parts.size()); };
        hooks.modelPartOffset = [](ObjectModel& m, int i) { return &AsFake(m).parts[size_t(i)]; };
        SetCarModelHooks(hooks);
        ConstructCar(car);
        car.tuning.wheelbase = 2.4f;
        car.pointCount = 2;
        car.points = new ContactPoint[2];
        car.points[0].local = {0, 2, 0.3f};
        car.points[1].local = {0, -2, 0.3f};
        car.data.bodyModel = reinterpret_cast<ObjectModel*>(&model);
        model.parts.push_back(MakeFixedVector(0, Raw(2.5), Raw(0.3)));
        car.wheelCount = 1;
        car.wheels = new Wheel[1];
        InitWheel(car.wheels[0]);
        car.wheels[0].dataPosition = car.wheels[0].mountPosition = {0.1f, 2.6f, 0.3f};
    }
    ~DentCar()
    {
        DestroyCar(car);
        SetCarModelHooks({});
    }
    void AddPoint(double x, double y, double z) { model.points.push_back(MakeFixedVector(Raw(x), Raw(y), Raw(z))); }
};

// The rule written out in double: a point v and an impact at p along d of
// strength s (m): the share, full behind the point, down to nothing at Q
// ahead and at R away.
double DentShare(const double v[3], const double p[3], const double d[3], double R)
{
    const double Q = 0.333 * R;
    const double o[3] = {v[0] - p[0], v[1] - p[1], v[2] - p[2]};
    const double along = o[0] * d[0] + o[1] * d[1] + o[2] * d[2];
    const double r2 = o[0] * o[0] + o[1] * o[1] + o[2] * o[2];
    if (along >= Q || r2 >= R * R)
        return 0;
    return (1 - r2 / (R * R)) * (along >= 0 ? 1 - along / Q : 1);
}

TEST(CarShapeTest, ImpactDirectionsPackAsTheEntryLayoutSays)
{
    struct Case {
        Vec3 direction;
        uint32_t bits;
    } cases[] = {
        {{1, 0, 0}, 15u << 11},
        {{0, 1, 0}, 15u << 6},
        {{0, 0, -1}, 17u << 1},       // -15 in five bits
        {{0.6f, 0, -0.8f}, (9u << 11) | (20u << 1)},
    };
    for (const Case& c : cases)
        EXPECT_EQ(PackCarImpactDirection(c.direction), c.bits) << c.direction.x << " " << c.direction.z;
    EXPECT_EQ(CarImpactEntry(3, 200, 0xABCD), 0xABCDC803u);
}

TEST(CarShapeTest, ImpactsMoveWhatLiesNearAndRestoreReturnsItExactly)
{
    DentCar dent;
    CarObject& car = dent.car;
    // Body points: behind the point, just ahead, beyond Q ahead, beyond R
    // aside, above within R, and one far away.
    const double table[][3] = {{0, 2.5, 0.3}, {0.1, 1.9, 0.3}, {0, 1.5, 0.3}, {1.3, 2, 0.3}, {0, 2, 1.4}, {0, -2, 0.3}};
    for (const auto& v : table)
        dent.AddPoint(v[0], v[1], v[2]);
    const std::vector<FixedVector> before = dent.model.points;
    const FixedVector partBefore = dent.model.parts[0];

    // Point 0 pushed backwards (-y) at strength 51 of 255, point 1 pushed
    // down and to the right at full strength; an entry naming a point the
    // car does not have (from another computer) and one of strength 0 are
    // passed over.
    car.step.impacts[0] = CarImpactEntry(0, 51, PackCarImpactDirection({0, -1, 0}));
    car.step.impacts[1] = CarImpactEntry(7, 255, PackCarImpactDirection({0, -1, 0}));
    car.step.impacts[2] = CarImpactEntry(0, 0, PackCarImpactDirection({1, 0, 0}));
    car.step.impacts[3] = CarImpactEntry(1, 255, PackCarImpactDirection({0.6f, 0, -0.8f}));
    car.step.impactCount = 4;
    DeformCarMesh(car);

    const double R = 1.2, s0 = 51 * R / 255, s1 = R;
    const double p0[3] = {0, 2, 0.3}, d0[3] = {0, -1, 0};
    const double p1[3] = {0, -2, 0.3}, d1[3] = {9 / 15.0, 0, -12 / 15.0};
    for (size_t i = 0; i < before.size(); i++) {
        SCOPED_TRACE(i);
        const FixedVector& was = before[i];
        const double v[3] = {was.x.raw / 65536.0, was.y.raw / 65536.0, was.z.raw / 65536.0};
        const uint32_t sum = uint32_t(was.x.raw) + uint32_t(was.y.raw) + uint32_t(was.z.raw);
        const double spread = ((sum & 127) * 256 + 32768) / 65536.0;
        double move[3] = {};
        const double f0 = DentShare(v, p0, d0, R) * s0 * spread;
        for (int k = 0; k < 3; k++)
            move[k] += f0 * d0[k];
        // The second impact sees the first's result; none of the table's
        // points lies near point 1 but the last.
        const double f1 = DentShare(v, p1, d1, R) * s1 * spread;
        for (int k = 0; k < 3; k++)
            move[k] += f1 * d1[k];
        const FixedVector& now = dent.model.points[i];
        EXPECT_NEAR(now.x.raw - was.x.raw, move[0] * 65536, 1.0);
        EXPECT_NEAR(now.y.raw - was.y.raw, move[1] * 65536, 1.0);
        EXPECT_NEAR(now.z.raw - was.z.raw, move[2] * 65536, 1.0);
    }
    EXPECT_EQ(dent.model.points[2], before[2]);  // more than Q ahead
    EXPECT_EQ(dent.model.points[3], before[3]);  // farther than R
    EXPECT_NE(dent.model.points[0], before[0]);
    EXPECT_NE(dent.model.points[5], before[5]);

    // The part and the wheel mount move without the spread; the contact
    // points by the whole strength.
    const double partV[3] = {0, 2.5, 0.3}, mountV[3] = {0.1, 2.6, 0.3};
    EXPECT_NEAR(dent.model.parts[0].y.raw - partBefore.y.raw, -DentShare(partV, p0, d0, R) * s0 * 65536, 1.0);
    EXPECT_NEAR(car.wheels[0].mountPosition.y - 2.6, -DentShare(mountV, p0, d0, R) * s0, 1e-6);
    EXPECT_NEAR(car.points[0].local.y, 2 - s0, 1e-6);
    EXPECT_NEAR(car.points[1].local.x, 0.6 * s1, 1e-6);
    EXPECT_NEAR(car.points[1].local.z, 0.3 - 0.8 * s1, 1e-6);

    // Rebuilding the damage (restore, then the same list again) gives the
    // same shape to the bit.
    const std::vector<FixedVector> dented = dent.model.points;
    const Vec3 contact0 = car.points[0].local;
    RestoreCarShape(car, 1);
    DeformCarMesh(car);
    for (size_t i = 0; i < dented.size(); i++)
        EXPECT_EQ(dent.model.points[i], dented[i]) << i;
    EXPECT_EQ(car.points[0].local, contact0);

    // Without the vertices only the mounts and contact points go back.
    RestoreCarShape(car, 0);
    EXPECT_EQ(car.points[0].local, (Vec3{0, 2, 0.3f}));
    EXPECT_EQ(car.wheels[0].mountPosition, car.wheels[0].dataPosition);
    EXPECT_EQ(dent.model.points[0], dented[0]);
    // With them, everything is where it was before the first impact.
    DeformCarMesh(car);
    RestoreCarShape(car, 1);
    for (size_t i = 0; i < before.size(); i++)
        EXPECT_EQ(dent.model.points[i], before[i]) << i;
    EXPECT_EQ(dent.model.parts[0], partBefore);
    EXPECT_EQ(car.points[0].local, (Vec3{0, 2, 0.3f}));
    EXPECT_EQ(car.points[1].local, (Vec3{0, -2, 0.3f}));

    // A repair undoes the dents and empties the list.
    DeformCarMesh(car);
    RepairCar(car, 0, 1);
    EXPECT_EQ(car.step.impactCount, 0);
    for (size_t i = 0; i < before.size(); i++)
        EXPECT_EQ(dent.model.points[i], before[i]) << i;
    EXPECT_EQ(car.points[1].local, (Vec3{0, -2, 0.3f}));
}

TEST(CarShapeTest, ImpactsThatCannotDentMoveNothing)
{
    struct Case {
        const char* what;
        int strength;
        float wheelbase;  // the reach is half of it
    } cases[] = {
        {"strength 0", 0, 2.4f},
        {"a car without a wheelbase", 255, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        DentCar dent;
        dent.AddPoint(0, 2.2, 0.3);
        dent.car.tuning.wheelbase = c.wheelbase;
        dent.car.step.impacts[0] = CarImpactEntry(0, c.strength, PackCarImpactDirection({0, -1, 0}));
        dent.car.step.impactCount = 1;
        DeformCarMesh(dent.car);
        EXPECT_EQ(dent.model.points[0], MakeFixedVector(0, Raw(2.2), Raw(0.3)));
        EXPECT_EQ(dent.car.points[0].local, (Vec3{0, 2, 0.3f}));
        EXPECT_EQ(dent.car.wheels[0].mountPosition, (Vec3{0.1f, 2.6f, 0.3f}));
    }
}

// ---------------------------------------------------------------------------
// The reset check.

// A closed racing loop of 100 nodes up the y axis, 10 m apart (the loop's
// return is not drawn): road edges ±5 m, limits ±8 m; served to the reset
// check through the path hooks. Each car's follower holds its node.
struct FakeFollower {
    int node = -1;
};
struct TestPath {
    static inline std::vector<RoadPlace> places;  // halfway from each node to the next
    static inline bool flagPath = true;
    TestPath()
    {
        places.assign(100, RoadPlace{});
        for (int i = 0; i < 100; i++) {
            places[i].centre = MakeFixedVector(0, Raw(10.0 * i + 5), 0);
            places[i].direction = {0, 1, 0};
            places[i].leftEdge = -5;
            places[i].rightEdge = 5;
            places[i].leftLimit = -8;
            places[i].rightLimit = 8;
        }
        flagPath = true;
        CarPathHooks hooks;
        hooks.createFollower = [] { return reinterpret_cast<PathFollower*>(new FakeFollower); };
        hooks.freeFollower = [](PathFollower* f) { delete reinterpret_cast<FakeFollower*>(f); };
        hooks.followerNode = [](const PathFollower& f) { return reinterpret_cast<const FakeFollower&>(f).node; };
        hooks.pathNodeCount = [] { return static_cast<int>(places.size()); };
        hooks.isFlagPath = [] { return flagPath ? 1 : 0; };
        hooks.roadPlace = [](int node, RoadPlace& place) {
            place = places[size_t(node)];
            return true;
        };
        SetCarPathHooks(hooks);
    }
    ~TestPath() { SetCarPathHooks({}); }
};

// A car of a slot: radius 2 m.
struct SlotCar {
    CarObject car;
    SlotCar() { ConstructCar(car); car.radius = 2; }
    ~SlotCar() { DestroyCar(car); }
    void SetNode(int node) { reinterpret_cast<FakeFollower*>(car.follower)->node = node; }
};

// A request for a node at a lateral position, with the request's flag; its
// own reset point is (0, 25 m), halfway from node 2 to node 3.
CarPosRecord Request(int node, float lateral, int flag)
{
    CarPosRecord r;
    r.bytes[0] = 80;
    r.bytes[2] = static_cast<uint8_t>(flag);
    for (int i = 0; i < 4; i++)
        r.bytes[4 + i] = static_cast<uint8_t>(static_cast<uint32_t>(node) >> (8 * i));
    uint32_t bits;
    std::memcpy(&bits, &lateral, 4);
    for (int i = 0; i < 4; i++)
        r.bytes[8 + i] = static_cast<uint8_t>(bits >> (8 * i));
    const int32_t y = Raw(25);
    for (int i = 0; i < 4; i++)
        r.bytes[16 + i] = static_cast<uint8_t>(static_cast<uint32_t>(y) >> (8 * i));
    return r;
}

int32_t IntAt(const CarPosRecord& r, int at)
{
    return static_cast<int32_t>(r.bytes[at] | r.bytes[at + 1] << 8 | r.bytes[at + 2] << 16 |
                                static_cast<uint32_t>(r.bytes[at + 3]) << 24);
}

float FloatAt(const CarPosRecord& r, int at)
{
    const int32_t bits = IntAt(r, at);
    float value;
    std::memcpy(&value, &bits, 4);
    return value;
}

TEST(ResetCheckTest, OtherCarsBlockTheResetByDistanceClosingSpeedAndFlags)
{
    TestPath track;
    SlotCar self;
    // What a slot car does: its place (x m beside the reset point at
    // (0, 25)), its speed towards the point, a recent reset point, and its
    // path node with a speed above its half road speed.
    struct Other {
        float x = 100;
        float closing = 0;
        bool recentlyReset = false;
        float resetX = 0;
        int node = -1;
        bool fast = false;
    };
    struct Case {
        const char* what;
        std::vector<Other> slots;
        int ignored;
        bool flagPath;  // the path is a closed racing loop
        int expected;
        int requestNode = 2;
    } cases[] = {
        {"nobody near", {{}}, -1, true, 0},
        {"too close in the first slot, clear in the next", {{3.9f}, {}}, -1, true, 1},
        {"standing just outside the two radii", {{4.1f}}, -1, true, 0},
        {"approaching at 1 m/s, 4 m further out", {{7.9f, 1}}, -1, true, 1},
        {"approaching at 1 m/s, beyond that", {{8.1f, 1}}, -1, true, 0},
        {"moving away at 1 m/s", {{4.1f, -1}}, -1, true, 0},
        {"too close but the ignored slot", {{}, {3.9f}}, 1, true, 0},
        {"recently reset within the radii and a metre", {{20, 0, true, 4.9f}}, -1, true, 2},
        {"recently reset farther", {{20, 0, true, 5.1f}}, -1, true, 0},
        {"fast and 2 nodes behind", {{100, 0, false, 0, 0, true}}, -1, true, 3},
        {"fast and 2 nodes behind round the loop", {{100, 0, false, 0, 99, true}}, -1, true, 3, 1},
        {"fast and 30 nodes behind", {{100, 0, false, 0, 72, true}}, -1, true, 3, 2},
        {"fast and 31 nodes behind", {{100, 0, false, 0, 71, true}}, -1, true, 0, 2},
        {"fast but level with the point", {{100, 0, false, 0, 2, true}}, -1, true, 0},
        {"fast but past the point", {{100, 0, false, 0, 3, true}}, -1, true, 0},
        {"slow and behind", {{100, 0, false, 0, 0, false}}, -1, true, 0},
        {"fast and behind on a path that is not a loop", {{100, 0, false, 0, 0, true}}, -1, false, 0},
        {"the last finding in slot order stands", {{3.9f}, {100, 0, false, 0, 0, true}}, -1, true, 3},
        {"and the other way round", {{100, 0, false, 0, 0, true}, {3.9f}}, -1, true, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TestPath::flagPath = c.flagPath;
        std::vector<std::unique_ptr<SlotCar>> owned;
        std::vector<CarObject*> slots;
        for (const Other& o : c.slots) {
            owned.push_back(std::make_unique<SlotCar>());
            CarObject& car = owned.back()->car;
            car.position = MakeFixedVector(Raw(o.x), Raw(25), 0);
            car.velocity = {-o.closing, 0, 0};
            car.step.freshlyPlaced = o.recentlyReset ? 1 : 0;
            car.step.resetPosition = MakeFixedVector(Raw(o.resetX), Raw(25), 0);
            owned.back()->SetNode(o.node);
            car.step.speed = o.fast ? 30.0f : 5.0f;
            car.step.halfRoadSpeed = 10;
            slots.push_back(&car);
        }
        CarPosRecord request = Request(c.requestNode, 0, 0);
        EXPECT_EQ(CheckResetPlace(self.car, request, c.ignored, slots.data(), static_cast<int>(slots.size())),
                  c.expected);
    }
}

// A standing car's reset where other cars stand or were just put on its own
// place goes across the road, one car width at a time, nearest first and
// left before right; two cars wedged side by side so no longer refuse each
// other's reset for ever.
TEST(ResetCheckTest, AStandingCarsResetGoesAcrossTheRoadPastCarsOnItsPlace)
{
    TestPath track;
    SlotCar self;
    self.car.tuning.largerHalfWidth = 1;
    struct Case {
        const char* what;
        std::vector<float> standingAt;  // m right of the reset point's line
        float limit;                    // the road's limits at +-limit m
        int flag;                       // the request asks to be placed (a standing car)
        int expected;
        float lateral;                  // after the check
    } cases[] = {
        {"nobody near: its own place", {20}, 8, 1, 0, 0},
        {"a car on its place: a step left is too near, two are clear", {1}, 8, 1, 0, -4},
        {"cars on both sides: the first clear place", {1, -3}, 8, 1, 0, 6},
        {"no clear place within the limits", {1}, 3, 1, 1, 0},
        {"a request that does not ask to be placed", {1}, 8, 0, 1, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        for (RoadPlace& place : TestPath::places) {
            place.leftLimit = -c.limit;
            place.rightLimit = c.limit;
        }
        std::vector<std::unique_ptr<SlotCar>> owned;
        std::vector<CarObject*> slots;
        for (const float x : c.standingAt) {
            owned.push_back(std::make_unique<SlotCar>());
            owned.back()->car.position = MakeFixedVector(Raw(x), Raw(25), 0);
            slots.push_back(&owned.back()->car);
        }
        CarPosRecord request = Request(2, 0, c.flag);
        EXPECT_EQ(CheckResetPlace(self.car, request, -1, slots.data(), static_cast<int>(slots.size())),
                  c.expected);
        EXPECT_EQ(FloatAt(request, 8), c.lateral);
        EXPECT_EQ(IntAt(request, 12), Raw(c.lateral));
        EXPECT_EQ(IntAt(request, 16), Raw(25));
    }
}

TEST(ResetCheckTest, APointOffTheRoadIsPutOnItWithinTheLimits)
{
    TestPath track;
    SlotCar self;
    self.car.tuning.largerHalfWidth = 1;
    struct Case {
        const char* what;
        int node;
        float lateral;
        int flag;
        int expected;
        bool moved;
        float lateral2;  // after the check
    } cases[] = {
        {"on the road stays", 2, 3.5f, 0, 0, false, 3.5f},
        {"the request asks to be placed", 2, 3.5f, 1, 0, true, 3.5f},
        {"off the road, within the limits", 2, 6, 0, 0, true, 6},
        {"beyond the right limit", 2, 20, 0, 0, true, 7},
        {"beyond the left limit", 2, -20, 0, 0, true, -7},
        {"not a number", 2, std::nanf(""), 0, 0, true, -7},
        {"node before the path", -1, 0, 0, 4, false, 0},
        {"node after the path", 100, 0, 0, 4, false, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CarPosRecord request = Request(c.node, c.lateral, c.flag);
        EXPECT_EQ(CheckResetPlace(self.car, request, -1, nullptr, 0), c.expected);
        EXPECT_EQ(request.bytes[3], c.moved ? 1 : 0);
        if (c.expected == 4)
            continue;
        EXPECT_EQ(FloatAt(request, 8), c.lateral2);
        // Right of a path up the y axis is +x; the point lies halfway to the
        // next node, on the node's height.
        EXPECT_EQ(IntAt(request, 12), c.moved ? Raw(c.lateral2) : 0);
        EXPECT_EQ(IntAt(request, 16), Raw(25));
        EXPECT_EQ(IntAt(request, 20), 0);
    }
    // Limits past the 16.16 range (a damaged path): the point is held at
    // the range's edge.
    for (RoadPlace& place : TestPath::places) {
        place.leftLimit = -1e30f;
        place.rightLimit = 1e30f;
    }
    for (const float lateral : {1e30f, -1e30f}) {
        CarPosRecord far = Request(2, lateral, 1);
        EXPECT_EQ(CheckResetPlace(self.car, far, -1, nullptr, 0), 0);
        EXPECT_EQ(IntAt(far, 12), lateral > 0 ? INT32_MAX : INT32_MIN);
        EXPECT_EQ(IntAt(far, 16), Raw(25));
    }
    // Without a path (no world loaded): 4.
    CarPathHooks noPath = GetCarPathHooks();
    noPath.pathNodeCount = [] { return 0; };
    SetCarPathHooks(noPath);
    CarPosRecord request = Request(2, 0, 0);
    EXPECT_EQ(CheckResetPosition(self.car, request, -1), 4);
}

TEST(ResetCheckTest, TheRequestRecordHoldsItsFieldsAtTheirOffsets)
{
    TestPath track;
    SlotCar owned;
    CarObject& car = owned.car;
    owned.SetNode(0x01020304);
    car.step.lateralOffset = -2.75f;
    car.position = MakeFixedVector(-123456789, 0x7F00FF01, -1);
    struct Case {
        uint8_t held;
        float speed;
        uint8_t stopped;
    } cases[] = {{0, 1.99f, 1}, {0, 2.0f, 0}, {1, 0, 0}};
    for (const Case& c : cases) {
        car.step.held = c.held;
        car.step.speed = c.speed;
        CarPosRecord record;
        record.bytes[0] = 80;
        FillCarPosRecord(car, record, 201);
        // The layout: four bytes, then five little-endian 32-bit fields.
        const uint8_t expected[24] = {
            80, 201, c.stopped, 0,
            0x04, 0x03, 0x02, 0x01,
            0x00, 0x00, 0x30, 0xC0,  // -2.75f
            0xEB, 0x32, 0xA4, 0xF8,  // -123456789
            0x01, 0xFF, 0x00, 0x7F,
            0xFF, 0xFF, 0xFF, 0xFF,
        };
        for (int i = 0; i < 24; i++)
            EXPECT_EQ(record.bytes[i], expected[i]) << i;
    }
}

// ---------------------------------------------------------------------------
// The downforce split.

TEST(DownforceSplitTest, TheAxleSharesSumToTheVerticalAeroForce)
{
    CarObject car;
    ConstructCar(car);
    car.tuning.axleY[0] = -1.2f;
    car.tuning.axleY[1] = 1.4f;
    car.tuning.wheelbase = 2.6f;
    struct Point {
        int flags;
        float y, force;
    } points[4] = {
        {AeroPresent, -1.2f, -1000},  // rear wing on the rear axle line
        {AeroPresent, 2.0f, -600},    // front wing ahead of the front axle
        {AeroPresent, 0.1f, 150},     // body point with lift
        {0, 0, -5000},                // absent: counts for nothing
    };
    for (int i = 0; i < 4; i++) {
        car.aero[i].flags = points[i].flags;
        car.aero[i].position = {0, points[i].y, 0.3f};
        car.aero[i].force = {7, 3, points[i].force};
    }
    float rear, front;
    GetDownforceSplit(car, rear, front);
    EXPECT_NEAR(rear + front, 1000 + 600 - 150, 1e-3);
    const double x1 = (2.0 + 1.2) / 2.6, x2 = (0.1 + 1.2) / 2.6;
    EXPECT_NEAR(front, x1 * 600 - x2 * 150, 1e-3);
    EXPECT_NEAR(rear, 1000 + (1 - x1) * 600 - (1 - x2) * 150, 1e-3);
    DestroyCar(car);
}

// ---------------------------------------------------------------------------
// Driver animations and lamps of loaded cars.

// Figures as the figure hooks serve them: three entries, the last of the
// second skeleton set; an animation remembers the file it was asked for
// (empty: the rest pose) and its skeleton set.
struct FakeAnimation {
    std::string path;
    int skeleton = 0;
};
FakeAnimation* AsFake(AnimHolder* animation) { return reinterpret_cast<FakeAnimation*>(animation); }

class CarDriverTest : public CarTest {
protected:
    static inline bool loaded = false;
    static inline int live = 0;  // animations not yet freed
    static constexpr int Male = 0, Female = 2;

    void SetUp() override
    {
        CarTest::SetUp();
        loaded = false;
        live = 0;
        CarFigureHooks figures;
        figures.figuresLoaded = [] { return loaded; };
        figures.figureCount = [] { return 3; };
        figures.figureSkeleton = [](int figure) { return figure == Female ? 1 : 0; };
        figures.loadAnimation = [](int skeleton, const char* path) {
            ++live;
            return reinterpret_cast<AnimHolder*>(new FakeAnimation{path ? path : "", skeleton});
        };
        figures.copyAnimation = [](const AnimHolder& animation) {
            ++live;
            return reinterpret_cast<AnimHolder*>(new FakeAnimation(reinterpret_cast<const FakeAnimation&>(animation)));
        };
        figures.freeAnimation = [](AnimHolder* animation) {
            --live;
            delete AsFake(animation);
        };
        SetCarFigureHooks(figures);
    }
    void TearDown() override
    {
        EXPECT_EQ(live, 0) << "animations left";
        CarTest::TearDown();
    }
};

TEST_F(CarDriverTest, ADriverGetsTheSteeringAnimationAndPassengersTheirSeats)
{
    {
        OwnedCar owned;
        CarObject& car = owned.car;
        ASSERT_TRUE(Load(car, FindCarByCode("WQG")));
        // The lamps: eight colours of the car data, all twelve drawn unlit.
        EXPECT_EQ(car.lamps.lightColours[0], (ColourRecord{0xA0, 0xC0, 0xE0, 0xFF}));
        EXPECT_EQ(car.lamps.lightColours[11], (ColourRecord{0, 0, 0, 1}));

        // Without the figures nothing is loaded, and what there was is freed.
        UpdateDriverAnimations(car);
        EXPECT_EQ(car.drawing.steerAnimation, nullptr);
        loaded = true;

        // The steering file of the car's movement; the figure of the second
        // skeleton set reads the "_F" file.
        const std::string movement(car.data.driverMovement);
        car.data.driverAnimation = Male;
        UpdateDriverAnimations(car);
        ASSERT_NE(car.drawing.steerAnimation, nullptr);
        ASSERT_NE(car.drawing.steerFile, nullptr);
        EXPECT_EQ(AsFake(car.drawing.steerAnimation)->path, "data\\move\\steer_" + movement + ".ban");
        EXPECT_EQ(AsFake(car.drawing.steerAnimation)->skeleton, 0);
        FreeDriverAnimations(car);
        car.data.driverAnimation = Female;
        UpdateDriverAnimations(car);
        ASSERT_NE(car.drawing.steerAnimation, nullptr);
        EXPECT_EQ(AsFake(car.drawing.steerAnimation)->path, "data\\move\\steer_" + movement + "_F.ban");
        EXPECT_EQ(AsFake(car.drawing.steerAnimation)->skeleton, 1);
        // A movement name that would leave the folder gives the rest pose.
        FreeDriverAnimations(car);
        std::memcpy(car.data.driverMovement, "..\\x", 5);
        UpdateDriverAnimations(car);
        ASSERT_NE(car.drawing.steerAnimation, nullptr);
        EXPECT_EQ(AsFake(car.drawing.steerAnimation)->path, "");
        std::memcpy(car.data.driverMovement, movement.c_str(), movement.size() + 1);
        // An index beyond the figures becomes the first figure.
        FreeDriverAnimations(car);
        car.data.driverAnimation = 1000;
        UpdateDriverAnimations(car);
        EXPECT_EQ(car.data.driverAnimation, 0);
        EXPECT_NE(car.drawing.steerAnimation, nullptr);

        // Passengers by the setup's byte and the car's seats; the lower bit
        // of a passenger's field picks the animation.
        struct Case {
            int flags;
            float seatX;
            int passengers;
            bool front, rearLeft, rearMiddle, rearRight;
        } cases[] = {
            {CarDataFrontPassengerSeat | CarDataRearSeats, 0.4f, 0xFF, true, true, true, true},
            {CarDataFrontPassengerSeat | CarDataRearSeats, 0.3f, 0xFF, true, true, false, true},  // a middle seat needs 0.35 m
            {CarDataFrontPassengerSeat, 0.4f, 0xFF, true, false, false, false},          // no rear seats
            {CarDataRearSeats, 0.4f, 0x01, false, false, false, false},        // no front seat
            {CarDataFrontPassengerSeat | CarDataRearSeats, 0.1f, 0x41, false, false, false, true}, // a central driver has no front passenger
            {CarDataFrontPassengerSeat | CarDataRearSeats, 0.4f, 0x00, false, false, false, false},
        };
        for (const Case& c : cases) {
            SCOPED_TRACE(c.passengers);
            car.data.dataFlags = c.flags;
            car.data.driverSeat.x = c.seatX;
            car.data.setup->passengers = static_cast<uint8_t>(c.passengers);
            UpdateDriverAnimations(car);
            EXPECT_EQ(car.drawing.passengerAnimations[0] != nullptr, c.front);
            EXPECT_EQ(car.drawing.passengerAnimations[1] != nullptr, c.rearLeft);
            EXPECT_EQ(car.drawing.passengerAnimations[2] != nullptr, c.rearMiddle);
            EXPECT_EQ(car.drawing.passengerAnimations[3] != nullptr, c.rearRight);
        }
        car.data.dataFlags = CarDataFrontPassengerSeat | CarDataRearSeats;
        car.data.driverSeat.x = 0.4f;
        car.data.setup->passengers = 0x42;  // front field 2, rear right field 1
        UpdateDriverAnimations(car);
        ASSERT_NE(car.drawing.passengerAnimations[0], nullptr);
        ASSERT_NE(car.drawing.passengerAnimations[3], nullptr);
        EXPECT_EQ(AsFake(car.drawing.passengerAnimations[0])->path, "data\\move\\pass2_" + movement + ".ban");
        EXPECT_EQ(AsFake(car.drawing.passengerAnimations[3])->path, "data\\move\\pass1_" + movement + ".ban");
        // Without the figures the car lets its animations go.
        loaded = false;
        UpdateDriverAnimations(car);
        EXPECT_EQ(car.drawing.steerAnimation, nullptr);
        EXPECT_EQ(car.drawing.passengerAnimations[3], nullptr);
    }
}

// ---------------------------------------------------------------------------
// The corner probes of the placement.

// Flat ground and a wall across x at wallX facing -x (or, everywhere, a
// wall every horizontal query meets halfway); counts the queries.
class WallGround final : public BodySurroundings {
public:
    float wallX = 1.0f;
    bool everywhere = false;
    int queries = 0;
    bool IsWorldLoaded() const override { return true; }
    int CollectContactObjects(const FixedVector&, Fixed, WorldObject** out, int capacity) override
    {
        if (capacity < 1)
            return 0;
        out[0] = reinterpret_cast<WorldObject*>(this);  // a stand-in, never used as an object
        return 1;
    }
    void ObjectContactQuery(WorldObject&, const FixedVector& position, const FixedVector& direction,
                            ContactQueryRecord& record) override
    {
        ++queries;
        FlatGroundContact(record);
        if (direction.z.raw != 0)
            return;
        const double end = position.x.raw / 65536.0, start = end - direction.x.raw / 65536.0;
        Fixed depth(0);
        if (everywhere)
            depth = Fixed(32768);
        else if (start < wallX && end >= wallX)
            depth = Fixed(static_cast<int32_t>((end - wallX) / (end - start) * 65536));
        if (depth.raw > record.hitDepth.raw) {
            record.hitDepth = depth;
            record.hitNormal = {-1, 0, 0};
        }
    }
};

TEST_F(CarTest, PlacementMovesTheCarBackFromAWallItsCornersReach)
{
    OwnedCar owned;
    CarObject& car = owned.car;
    ASSERT_TRUE(Load(car, FindCarByCode("SN6")));
    WallGround wall;
    SetBodySurroundings(&wall);
    struct Case {
        int careful;
        float startX;
    } cases[] = {{0, 0.5f}, {1, 0.5f}, {1, -3.0f}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.startX);
        car.position = MakeFixedVector(Raw(c.startX), Raw(40), Raw(3));
        ResetCar(car, 0, c.careful, 1);
        const double x = car.position.x.raw / 65536.0;
        const double reach = c.startX + car.maxX - wall.wallX;
        if (reach < 0) {
            EXPECT_EQ(car.position.x.raw, Raw(c.startX));  // clear: not moved
        } else {
            // Both right-hand corners went in by reach: each moves the car
            // back by reach x 17/16; then a full set of passes finds nothing.
            EXPECT_NEAR(x, c.startX - 2 * reach * 17 / 16, 1e-4);
            EXPECT_LE(x + car.maxX, wall.wallX);
        }
        EXPECT_NEAR(car.rotation.m[4], 1, 1e-6);  // heading kept on flat ground
    }
    // A wall the car can never leave: the placement stops after twelve
    // passes (the ground and four corners each).
    wall.everywhere = true;
    wall.queries = 0;
    car.position = MakeFixedVector(0, 0, Raw(3));
    ResetCar(car, 0, 1, 1);
    EXPECT_EQ(wall.queries, 12 * 5);
    SetBodySurroundings(nullptr);
}

} // namespace
