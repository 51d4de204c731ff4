// The car assembled from the generated data folder: every car constructs,
// resets, is placed, damaged and repaired; its mass model matches the
// closed forms of its parts; the axle loads follow the lever rule; setups
// from outside are held within the car's limits; the damage record packs
// within its fields; bad car data is refused.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "graphics/services.h"
#include "vehicle/local.h"
#include "world/services.h"

namespace {

// The data folder the builder makes, once per test process (tests may run
// in parallel processes, each with its own folder), removed at exit.
struct BuiltGame {
    std::string path;
    BuiltGame()
    {
        std::string folder = std::string(QV_BINARY_DIR) + "/tests/vehicle/car_game_" + std::to_string(getpid());
        std::filesystem::remove_all(folder);
        std::string command = std::string(QV_MKDATA) + " " + folder + " > " + folder + ".log 2>&1";
        int status = std::system(command.c_str());
        if (WIFEXITED(status) && WEXITSTATUS(status) == 0)
            path = folder;
    }
    ~BuiltGame()
    {
        std::error_code ignored;
        std::filesystem::remove_all(std::string(QV_BINARY_DIR) + "/tests/vehicle/car_game_" + std::to_string(getpid()), ignored);
        if (!path.empty())  // a failed build keeps its log
            std::filesystem::remove(path + ".log", ignored);
    }
};

std::string GameFolder()
{
    static BuiltGame game;
    return game.path;
}

class CarTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetVehicleTables();
        previous = std::filesystem::current_path();
        folder = GameFolder();
        ASSERT_FALSE(folder.empty()) << "the data builder failed (see car_game_<pid>.log)";
        std::filesystem::current_path(folder);
    }
    void TearDown() override
    {
        std::filesystem::current_path(previous);
        ResetVehicleTables();
    }

    // A car of the folder with its first built-in setup.
    bool Load(CarObject& car, int index, int setupIndex = 0, CarSetup* setup = nullptr)
    {
        ConstructCar(car);
        return LoadCarData(car, CarNameTable[index].code, 0, setupIndex, setup, 0, nullptr) == 1;
    }

    std::filesystem::path previous;
    std::string folder;
};

// A car destroyed with the test.
struct OwnedCar {
    CarObject car;
    ~OwnedCar() { DestroyCar(car); }
};

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
    for (int k = 0; k < car.structureBarCount; k++) {
        const StructureBar& bar = car.structureBars[k];
        if (bar.pointA < 0 || bar.pointB < 0)
            continue;
        const StructurePoint &a = car.structurePoints[bar.pointA], &b = car.structurePoints[bar.pointB];
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
    GetEngineBlockSize(car.engine, (car.dataFlags >> 6) & 1, block);
    t.Box(engineMass, car.enginePosition.x, car.enginePosition.y, car.enginePosition.z, block.x / 2, block.y / 2,
          block.z / 2);
    const double side = std::cbrt(0.002 * car.fuelCapacity) / 2;
    t.Box(0.3 * engineMass, car.fuelTankPosition.x, car.fuelTankPosition.y, car.fuelTankPosition.z, side, side,
          side / 2);
    auto seat = [&](double x, const Vec3& at, double w) {
        t.Box(5 * w / 0.2, x, at.y + 0.05, at.z + 0.5, w, 0.05, 0.3);
        t.Box(10 * w / 0.2, x, at.y + 0.3, at.z + 0.1, w, 0.3, 0.1);
    };
    const double dx = car.driverSeat.x;
    seat(dx, car.driverSeat, 0.2);
    if ((car.dataFlags & (1 << 8)) && std::fabs(dx) > 0.2)
        seat(-dx, car.driverSeat, 0.2);
    if (car.dataFlags & (1 << 10))
        seat(car.rearSeat.x, car.rearSeat, std::fabs(dx) + 0.2);
    if (car.dataFlags & (1 << 2)) {
        const Axle& a = car.axles[car.wheels[0].axleIndex];
        t.Box(car.wheels[0].wheelMass, car.spareWheelPosition.x, car.spareWheelPosition.y, car.spareWheelPosition.z,
              a.tyreWidth / 2, a.tyreRadius, a.tyreRadius);
    }
    for (int k = 0; k < car.wheelCount; k++) {
        const Wheel& w = car.wheels[k];
        const Axle& a = car.axles[w.axleIndex];
        const double m = CarClassTable[car.carClass].wheelDriveMassFactor * engineMass;
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
        EXPECT_EQ(car.gearboxKind, CarNameTable[index].gearboxKind);
        EXPECT_EQ(car.wheelCount, 4);
        EXPECT_EQ(car.driverAnimation, 0);

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
        t.Box(35, car.driverSeat.x, car.driverSeat.y + 0.2, car.driverSeat.z + 0.65, 0.15, 0.1, 0.25);
        t.Box(35, car.driverSeat.x, car.driverSeat.y + 0.5, car.driverSeat.z + 0.3, 0.15, 0.4, 0.1);
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
        const double rearY = car.axleY[0], frontY = car.axleY[1], lead = car.frontHubLead;
        const double wheelbase = frontY - rearY + lead;
        EXPECT_NEAR(car.wheelbase, wheelbase, 1e-5);
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
        ResetCar(car, 3.14159265f / 2, 0, 1);
        float reach = -1000;
        for (int k = 0; k < car.wheelCount; k++) {
            const Wheel& w = car.wheels[k];
            reach = std::fmax(reach, car.axles[w.axleIndex].tyreRadius - car.setup->axles[w.axleIndex].rideHeightReduction);
        }
        EXPECT_EQ(car.position.z, FixedFromMetres(reach + 0.05f));
        EXPECT_EQ(car.position.x.raw, 10 << 16);
        EXPECT_NEAR(car.rotation.m[0], 0, 1e-6);
        EXPECT_NEAR(car.rotation.m[3], 1, 1e-6);
        EXPECT_EQ(car.velocity, Vec3{});
        EXPECT_EQ(car.inputs.words[0], SteeringCentre);
        EXPECT_EQ(car.inputs.words[14], NoHShifterGear);
        EXPECT_EQ(car.gear, 1);
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
        EXPECT_NEAR(copy.car.fuel, car.fuel, car.fuelCapacity / 255);
        EXPECT_NEAR(copy.car.wheels[1].travelLoss, hurt.travelLoss, 0.03f * car.axles[hurt.axleIndex].tyreRadius / 255);
        EXPECT_NEAR(copy.car.wheels[1].toe, 0.1f, 3.14159f / 8 / 127);
        RepairCar(copy.car, 0, 1);
        EXPECT_EQ(copy.car.wheels[1].damageState[0], DamageNone);
        EXPECT_EQ(copy.car.wheels[1].travelLoss, 0);
        EXPECT_NEAR(copy.car.wheels[1].toe, (copy.car.setup->axles[copy.car.wheels[1].axleIndex].toe - 9) * 0.1f * 3.14159265f / 180, 1e-6);
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
        held = *probe.car.setup;
    }
    held.addedMass = 250 > 255 ? 255 : 200;  // the byte holds at most 200 after clamping
    held.addedMassPosition = 100;
    ASSERT_TRUE(Load(car, 0, -1, &held));
    const float dry = car.dryMass;
    int limit = 10 * static_cast<int>(std::nearbyint(dry * 0.02f));
    if (limit > 200)
        limit = 200;
    EXPECT_EQ(car.appliedMass, limit);
    // The added mass sits on the front axle line: the centre moves towards it
    // by m (front y - c) / (M + m).
    CarSetup none = held;
    none.addedMass = 0;
    OwnedCar plain;
    ASSERT_TRUE(Load(plain.car, 0, -1, &none));
    EXPECT_NEAR(car.mass, plain.car.mass + limit, 1e-2);
    const double expectedY = (plain.car.mass * plain.car.centreOfMass.y + limit * car.axleY[1]) / (plain.car.mass + limit);
    EXPECT_NEAR(car.centreOfMass.y, expectedY, 1e-4);
    // A host's minimum raises it.
    CarHandicapTable[0].mass = 190;
    CarHandicapTable[0].restriction = 20;
    none.addedMass = 0;
    OwnedCar raised;
    ASSERT_TRUE(Load(raised.car, 0, -1, &none));
    EXPECT_EQ(raised.car.appliedMass, 190);
    EXPECT_EQ(raised.car.appliedRestriction, 20);
    // The restriction sets up the engine as if its torque factor were 0.8,
    // leaving the stored factor.
    EXPECT_EQ(raised.car.engine.torqueFactor, plain.car.engine.torqueFactor);
    EXPECT_LT(raised.car.engine.maxPower, plain.car.engine.maxPower);
    EngineRecord reduced = plain.car.engine;
    reduced.torqueFactor *= 0.8f;
    SetUpEngine(reduced, CarClassTable[plain.car.carClass]);
    EXPECT_EQ(raised.car.engine.maxPower, reduced.maxPower);
    CarHandicapTable[0] = {};
}

TEST_F(CarTest, SetupFromOutsideIsHeldWithinTheCarsLimits)
{
    const int gtr = FindCarByCode("WQR");  // a GT racer: rear wing, slicks
    OwnedCar probe;
    ASSERT_TRUE(Load(probe.car, gtr));
    const CarSetup builtIn = *probe.car.setup;
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
    EXPECT_EQ(car.car.setup, &held);  // the caller's record itself
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
    EXPECT_EQ(owned.car.dashboardType, 3);
    EXPECT_EQ(owned.car.dashboardLayout[4], 100);  // the default layout of type 3
    EXPECT_EQ(owned.car.dashboardLayout[79], 24);
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
    EXPECT_EQ(car.remote, 1);
    EXPECT_FLOAT_EQ(car.axles[0].treadHeatFactor, 16 * tread);
    EXPECT_NEAR(w.segments[0].treadHeat[1] / TreadCapacity(car.axles[w.axleIndex], w.segments[0].treadDepth[1]),
                temperature, 1e-3);
    SetCarLocalControl(car);
    EXPECT_EQ(car.remote, 0);
    EXPECT_FLOAT_EQ(car.axles[0].treadHeatFactor, tread);
    EXPECT_FLOAT_EQ(car.axles[1].sidewallHeatFactor, sidewall);
    EXPECT_NEAR(w.segments[9].treadHeat[1] / TreadCapacity(car.axles[w.axleIndex], w.segments[9].treadDepth[1]),
                temperature, 1e-3);
}

TEST_F(CarTest, DrivingAidsFollowTheGearbox)
{
    struct Case {
        const char* code;
        int flags;
        int cut, blip, clutch;
    } cases[] = {
        {"WQG", 8, 1, 1, 1},        // H pattern, automatic gears: everything
        {"WQG", 1 << 9, 0, 0, 1},   // automatic clutch only
        {"YAS", 8, 1, 0, 1},        // motorbike
        {"GEX", 8, 0, 0, 1},        // sequential with ignition cut
        {"NQ1", 0, 1, 1, 1},        // paddle shift: always
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.code);
        OwnedCar owned;
        ASSERT_TRUE(Load(owned.car, FindCarByCode(c.code)));
        ApplyPlayerAids(owned.car, c.flags);
        EXPECT_EQ(owned.car.throttleCut, c.cut);
        EXPECT_EQ(owned.car.blip, c.blip);
        EXPECT_EQ(owned.car.autoClutch, c.clutch);
    }
}

} // namespace
