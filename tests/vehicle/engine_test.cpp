// Engine: the torque curve and the free-revving engine against solutions
// computed here independently, the rev limiter, the clutch, and engine
// files of every sub-version, good and damaged.
#include <gtest/gtest.h>

#include <algorithm>
#include <cfenv>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "support/temp_folder.h"
#include "vehicle/local.h"

namespace {

// An engine that frees its waves with the test.
struct OwnedEngine {
    EngineRecord e;
    OwnedEngine() { InitEngineData(e); }
    ~OwnedEngine() { ReleaseEngineSounds(e); }
    OwnedEngine(const OwnedEngine&) = delete;
    OwnedEngine& operator=(const OwnedEngine&) = delete;
};

// A road car's engine: 1.6 litre four in the touring class.
void MakeRoadEngine(EngineRecord& e)
{
    SetDefaultEngine(e);
    e.displacement = 1600;
    e.cylinders = 4;
    e.boost = 0;
    e.torqueFactor = 0.8f;
    e.revRangeFactor = 0.8f;
    e.peakSpeedFactor = 0.5f;
    e.maxSpeed = 740;
    SetUpEngine(e, CarClassTable[1]);
}

// The model written out again from its rules, in double: the full-throttle
// torque with its smooth start, and the friction, for class 1.
struct ReferenceEngine {
    double peak, peakSpeed, width, idle, friction, inertia, maxSpeed;

    explicit ReferenceEngine(double displacement, int cylinders, double torqueFactor,
                             double revRange, double peakFactor, double maxSpeed_)
    {
        const double perCylinder = displacement / cylinders;
        const double k = std::cbrt(perCylinder);
        peak = 0.143 * torqueFactor * displacement;
        const double s = 4654 / k * 1.6;
        peakSpeed = s * peakFactor;
        width = 0.55 * revRange * s;
        idle = 104.71;
        friction = displacement * perCylinder * 1.417e-10;
        inertia = k * k * 1.2e-6 * displacement;
        maxSpeed = maxSpeed_;
    }
    double Full(double w) const
    {
        double x = (w - peakSpeed) / width;
        double t = peak / (x * x + 1);
        if (w < 1.5 * idle) {
            if (w <= 0)
                return 0;
            double s = w * 0.667 / idle;
            t *= s * s * (3 - 2 * s);
        }
        return t;
    }
    // Net torque of a new, running, unboosted engine below the limiter.
    double Net(double w, double throttle) const
    {
        return Full(w) * throttle - friction * w * w - 0.015 * peak;
    }
};

class EngineTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetVehicleTables();
        std::feclearexcept(FE_ALL_EXCEPT);
        feenableexcept(FE_INVALID | FE_DIVBYZERO | FE_OVERFLOW);
    }
    void TearDown() override { fedisableexcept(FE_ALL_EXCEPT); }
};

TEST_F(EngineTest, DerivedValuesFollowTheDescriptionAndTheClass)
{
    OwnedEngine owned;
    EngineRecord& e = owned.e;
    MakeRoadEngine(e);
    ReferenceEngine ref(1600, 4, 0.8, 0.8, 0.5, 740);
    EXPECT_NEAR(e.peakTorque, ref.peak, 1e-3);
    EXPECT_NEAR(e.peakTorqueSpeed, ref.peakSpeed, ref.peakSpeed * 1e-6);
    EXPECT_NEAR(e.torqueCurveWidth, ref.width, ref.width * 1e-6);
    EXPECT_NEAR(e.inertia, ref.inertia, ref.inertia * 1e-6);
    EXPECT_NEAR(e.frictionCoeff, ref.friction, ref.friction * 1e-6);

    // The full-throttle curve peaks at the peak-torque speed.
    float bestSpeed = 0, best = -1;
    for (float w = 1; w < 1000; w += 0.25f) {
        float t = EngineTorqueAt(e, w);
        if (t > best)
            best = t, bestSpeed = w;
    }
    EXPECT_NEAR(bestSpeed, ref.peakSpeed, 0.25);

    // The scanned maxima lie within one scan step of the true maxima of
    // net torque and power below the rev limit (golden-section search).
    auto goldenMax = [](auto f, double a, double b) {
        const double g = (std::sqrt(5.0) - 1) / 2;
        for (int i = 0; i < 200; i++) {
            double c = b - g * (b - a), d = a + g * (b - a);
            if (f(c) > f(d))
                b = d;
            else
                a = c;
        }
        return (a + b) / 2;
    };
    double step = 740.0 / 256;
    double torqueAt = goldenMax([&](double w) { return ref.Net(w, 1); }, 200, 739);
    double powerAt = goldenMax([&](double w) { return ref.Net(w, 1) * w; }, 200, 739);
    EXPECT_NEAR(e.maxTorqueSpeed, torqueAt, step);
    EXPECT_NEAR(e.maxPowerSpeed, powerAt, step);
    EXPECT_NEAR(e.maxTorque, ref.Net(torqueAt, 1), ref.peak * 1e-3);
    EXPECT_NEAR(e.clutchCapacity, std::fmax(1.4 * e.maxTorque, 2800 * e.inertia), 1e-2);
    EXPECT_FLOAT_EQ(e.couplingStiffness, 4 * e.maxTorque);

    // The smooth start meets the curve at 1.5 × idle.
    float joint = 1.5f * e.idleSpeed;
    EXPECT_NEAR(EngineTorqueAt(e, joint - 0.001f), EngineTorqueAt(e, joint + 0.001f), 1e-2);
    EXPECT_EQ(EngineTorqueAt(e, 0), 0);
    EXPECT_EQ(EngineFrictionAt(e, 0), 0);
    EXPECT_FLOAT_EQ(EngineFrictionAt(e, -300), -EngineFrictionAt(e, 300));
}

TEST_F(EngineTest, ClassLimitsClampTheDescription)
{
    struct Case {
        int carClass;
        float displacement;
        int cylinders;
        float boost;
        float wantDisplacement;
        int wantCylinders;
        float wantBoost;
    };
    const Case cases[] = {
        {2, 3000, 6, 1, 2000, 4, 1},      // saloon: 2000 cm^3 and four cylinders at most
        {10, 1800, 4, 4, 2000, 8, 3},     // N1: eight cylinders, 2000..2400, boost at most 3
        {6, 400, 2, -1, 250, 1, 0},       // hire kart: one cylinder
    };
    for (const Case& c : cases) {
        OwnedEngine owned;
        EngineRecord& e = owned.e;
        SetDefaultEngine(e);
        e.displacement = c.displacement;
        e.cylinders = c.cylinders;
        e.boost = c.boost;
        e.maxSpeed = 800;
        SetUpEngine(e, CarClassTable[c.carClass]);
        EXPECT_EQ(e.displacement, c.wantDisplacement) << CarClassTable[c.carClass].name;
        EXPECT_EQ(e.cylinders, c.wantCylinders) << CarClassTable[c.carClass].name;
        EXPECT_EQ(e.boost, c.wantBoost) << CarClassTable[c.carClass].name;
        EXPECT_EQ(e.idleSpeed, CarClassTable[c.carClass].idleSpeed);
    }
}

TEST_F(EngineTest, FreeRevvingEngineFollowsTheMotionEquation)
{
    OwnedEngine owned;
    EngineRecord& e = owned.e;
    MakeRoadEngine(e);
    ReferenceEngine ref(1600, 4, 0.8, 0.8, 0.5, 740);
    StartEngineAtIdle(e);
    e.driveRatio = 0;

    // Throttle step from idle to 0.25 at t = 0; the engine settles
    // below the rev limiter, where I dw/dt = T(w) p + F(w) holds exactly.
    const double throttle = 0.25;
    e.throttle = static_cast<float>(throttle);
    double w = e.speed;
    const double fine = 1e-5;  // reference step, s: fourth order, 50 per sub-step
    auto rate = [&](double speed) { return ref.Net(speed, throttle) / ref.inertia; };
    double worst = 0;
    for (int step = 0; step < 800; step++) {  // 8 s of 10 ms steps
        for (int sub = 0; sub < 20; sub++) {
            StepClutch(e);
            float power, revCut = 1;
            StepEngineFree(e, 0.0005f, power, revCut);
        }
        for (int i = 0; i < 1000; i++) {
            double k1 = rate(w), k2 = rate(w + fine / 2 * k1), k3 = rate(w + fine / 2 * k2),
                   k4 = rate(w + fine * k3);
            w += fine / 6 * (k1 + 2 * k2 + 2 * k3 + k4);
        }
        worst = std::fmax(worst, std::fabs(e.speed - w));
        ASSERT_LT(e.speed, 0.99 * ref.maxSpeed);
    }
    // Semi-explicit sub-steps of 0.5 ms against the fine reference: the
    // difference stays within a fraction of a percent of the speed.
    EXPECT_LT(worst, 0.004 * w) << "final speed " << w;
    // The end is the equilibrium: T(w) p + F(w) = 0, found by bisection.
    double low = 300, high = 739;
    for (int i = 0; i < 100; i++) {
        double mid = (low + high) / 2;
        (ref.Net(mid, throttle) > 0 ? low : high) = mid;
    }
    EXPECT_NEAR(e.speed, low, 0.5);
    EXPECT_NEAR(e.smoothedSpeed, e.speed, 0.5);
    EXPECT_EQ(e.clutchTorque, 0);
}

TEST_F(EngineTest, RevLimiterAndStall)
{
    OwnedEngine owned;
    EngineRecord& e = owned.e;
    MakeRoadEngine(e);
    e.running = 1;
    e.throttle = 1;
    struct Case {
        float speedPart;  // of maxSpeed
        float wantCut;    // revCut after the step (-1: unchanged from 7)
        bool drive;       // the engine gives drive torque
    };
    const Case cases[] = {
        {0.5f, -1, true},
        {0.995f, 0.5f, true},
        {1.0f, 0, false},
        {1.1f, 0, false},
    };
    for (const Case& c : cases) {
        e.speed = c.speedPart * e.maxSpeed;
        float power, revCut = 7;
        float friction = EngineFrictionAt(e, e.speed);
        float net = StepEngineFree(e, 1e-4f, power, revCut);
        if (c.wantCut < 0)
            EXPECT_EQ(revCut, 7);
        else
            EXPECT_NEAR(revCut, c.wantCut, 1e-3) << c.speedPart;
        EXPECT_EQ(net > friction + 1, c.drive) << c.speedPart;
    }
    // Over-revving costs health.
    EXPECT_LT(e.health, 1);

    // A speed that falls below 1 rad/s comes to rest.
    e.running = 0;
    e.speed = 1.1f;
    e.smoothedSpeed = 3;
    float power, revCut;
    StepEngineFree(e, 0.01f, power, revCut);
    EXPECT_EQ(e.speed, 0);
    EXPECT_EQ(e.smoothedSpeed, 0);
    EXPECT_EQ(e.manifoldPressure, 0);

    // Starting raises the speed to a quarter of idle.
    EXPECT_EQ(StartEngine(e), 1);
    EXPECT_FLOAT_EQ(e.speed, e.idleSpeed / 4);
    EXPECT_EQ(StartEngine(e), 0);
}

TEST_F(EngineTest, ClutchCarriesItsCapacityThenSlipsAndHeats)
{
    OwnedEngine owned;
    EngineRecord& e = owned.e;
    MakeRoadEngine(e);
    e.driveRatio = 3;
    e.crankAngle = 0.5f * e.clutchCapacity / e.couplingStiffness;
    StepClutch(e);
    EXPECT_FALSE(e.clutchSlipping);
    EXPECT_NEAR(e.clutchTorque, 0.5f * e.clutchCapacity, 1e-2);

    e.crankAngle = -2 * e.clutchCapacity / e.couplingStiffness;
    e.clutchAngle = 0;
    StepClutch(e);
    EXPECT_TRUE(e.clutchSlipping);
    EXPECT_FLOAT_EQ(e.clutchTorque, -e.clutchCapacity);
    EXPECT_GT(e.clutchHeat, 0);
    // The clutch side followed to the edge of its capacity.
    EXPECT_NEAR((e.crankAngle - e.clutchAngle) * e.couplingStiffness, -e.clutchCapacity, 1e-2);

    e.driveRatio = 0;
    StepClutch(e);
    EXPECT_EQ(e.clutchTorque, 0);
    EXPECT_FALSE(e.clutchSlipping);

    e.clutchHeat = 0.000200005f;  // cools to just below 0.0002
    CoolClutch(e);
    EXPECT_EQ(e.clutchHeat, 0);
}

TEST_F(EngineTest, RevCounterAndBlock)
{
    OwnedEngine owned;
    EngineRecord& e = owned.e;
    e.maxSpeed = 740;  // 7066 rpm
    RevCounterScale scale;
    GetRevCounterScale(e, scale);
    EXPECT_EQ(scale.step, 1);
    EXPECT_EQ(scale.marks, 14);
    EXPECT_EQ(scale.top, 8);
    e.maxSpeed = 2100;  // 20053 rpm
    GetRevCounterScale(e, scale);
    EXPECT_EQ(scale.step, 2);
    EXPECT_EQ(scale.marks, 20);
    EXPECT_EQ(scale.top, 22);
    // A rev limit far out of range (car data takes any number) holds the
    // counts at the int range.
    const struct {
        float maxSpeed;
        int step, marks, top;
    } far[] = {{1e30f, 2, INT32_MAX, INT32_MAX}, {-1e30f, 1, INT32_MIN, INT32_MIN}};
    for (const auto& f : far) {
        e.maxSpeed = f.maxSpeed;
        GetRevCounterScale(e, scale);
        EXPECT_EQ(scale.step, f.step) << f.maxSpeed;
        EXPECT_EQ(scale.marks, f.marks) << f.maxSpeed;
        EXPECT_EQ(scale.top, f.top) << f.maxSpeed;
    }

    e.displacement = 8000;  // cube root 20
    e.layout = 2;
    Vec3 size;
    GetEngineBlockSize(e, 1, size);
    EXPECT_FLOAT_EQ(size.x, 0.52f);
    EXPECT_FLOAT_EQ(size.y, 0.48f);
    EXPECT_FLOAT_EQ(size.z, 0.32f);
    EXPECT_FLOAT_EQ(GetEngineMass(e), 400);
}

// ---------------------------------------------------------------------------
// Engine files.

// Little-endian bytes of a hand-made engine file.
struct Bytes {
    std::string s;
    void Byte(int v) { s.push_back(static_cast<char>(v)); }
    void Int(int v)
    {
        for (int i = 0; i < 4; i++)
            Byte((static_cast<uint32_t>(v) >> (8 * i)) & 0xFF);
    }
    void Float(float f)
    {
        uint32_t bits;
        std::memcpy(&bits, &f, 4);
        Int(static_cast<int>(bits));
    }
    void Header() { s += "QVNENG"; Byte(0); Byte(251); }
};

// A file of sub-version v: bits 2 and 3 set, the header, `waves` waves of
// kind 3 with `samples` samples, then `values` sound floats 100, 101, ...
std::string MakeEngineFile(int v, int waves, int samples, int values)
{
    Bytes b;
    b.Header();
    b.Int(EngineHasRevRange | EngineHasSubVersion);
    b.Byte(v), b.Byte(0), b.Byte(0), b.Byte(0);
    b.Float(1800), b.Byte(6), b.Byte(2), b.Byte(0), b.Byte(0);
    b.Float(0.5f), b.Float(0.9f), b.Float(1.1f), b.Float(760), b.Float(0.6f);
    if (v < 2)
        b.Int(0);
    if (v < 2)
        b.Float(0);
    for (int w = 0; w < waves; w++) {
        b.Byte(0), b.Byte(0), b.Byte(3), b.Byte(w + 10);
        b.Int(samples);
        for (int i = 0; i < samples; i++)
            b.Float(static_cast<float>(i) / 8);
    }
    for (int i = 0; i < values; i++)
        b.Float(100 + static_cast<float>(i));
    return b.s;
}

class EngineFileTest : public EngineTest {
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        std::filesystem::create_directories("data/engine");
    }
    TempFolder folder;
};

TEST_F(EngineFileTest, SavedEngineReadsBackAndPeaksWhereTheFileSays)
{
    OwnedEngine saved;
    EngineRecord& e = saved.e;
    SetDefaultEngine(e);
    e.flags = EngineTurbo | EngineHasRevRange | EngineHasSubVersion | 0x100;
    e.displacement = 2000, e.cylinders = 4, e.boost = 0.8f, e.torqueFactor = 0.55f;
    e.revRangeFactor = 0.8f, e.maxSpeed = 700, e.peakSpeedFactor = 0.5f;
    for (int i = 0; i < EngineWaveCount; i++) {
        e.waves[i].type = static_cast<uint8_t>(i + 1);
        e.waves[i].count = 3 + i;
        e.waves[i].samples = new float[3 + i];
        for (int j = 0; j < 3 + i; j++)
            e.waves[i].samples[j] = static_cast<float>(i * 10 + j);
    }
    e.soundParams.values[13] = 7000;
    ASSERT_EQ(SaveEngineFile(e, "data\\engine\\TST.eng", nullptr), 1);
    std::string bytes = folder.ReadFile("data/engine/TST.eng");
    ASSERT_GE(bytes.size(), 13u);
    EXPECT_EQ(bytes.substr(0, 8), std::string("QVNENG\0\xfb", 8));
    EXPECT_EQ(bytes[8], EngineTurbo | EngineHasRevRange | EngineHasSubVersion);  // bits 0..3 only
    EXPECT_EQ(bytes[12], 12);

    OwnedEngine scratch, target;
    ASSERT_EQ(OpenEngineFile(scratch.e, "data\\engine\\TST.eng", nullptr, target.e), 1);
    EXPECT_EQ(scratch.e.displacement, 2000);
    EXPECT_EQ(scratch.e.maxSpeed, 700);
    EXPECT_EQ(scratch.e.peakSpeedFactor, 0.5f);
    for (int i = 0; i < EngineWaveCount; i++) {
        ASSERT_EQ(target.e.waves[i].count, 3 + i);
        EXPECT_EQ(target.e.waves[i].type, i + 1);
        EXPECT_EQ(target.e.waves[i].samples[2], static_cast<float>(i * 10 + 2));
    }
    EXPECT_EQ(target.e.soundParams.values[13], 7000);
    EXPECT_EQ(target.e.soundParams.values[0], 40);

    // The description read from the file, set up in the GT class, peaks
    // at 4654 / cbrt(cm^3 per cylinder) × class speed scale × the file's
    // peak-speed factor.
    scratch.e.inertiaFactor = 1;
    SetUpEngine(scratch.e, CarClassTable[5]);
    double want = 4654 / std::cbrt(500.0) * 2.225 * 0.5;
    float bestSpeed = 0, best = -1;
    for (float w = 1; w < 700; w += 0.125f) {
        float t = EngineTorqueAt(scratch.e, w);
        if (t > best)
            best = t, bestSpeed = w;
    }
    EXPECT_NEAR(bestSpeed, want, 0.125);

    // Without a turbo, waves 1 and 5 are emptied before saving. An engine
    // whose flags never came from a file is still saved readable.
    e.flags = 0;
    ASSERT_EQ(SaveEngineFile(e, "data\\engine\\TST.eng", nullptr), 1);
    EXPECT_EQ(e.waves[1].samples, nullptr);
    OwnedEngine target2;
    ASSERT_EQ(OpenEngineFile(scratch.e, "data\\engine\\TST.eng", nullptr, target2.e), 1);
    EXPECT_EQ(target2.e.waves[1].count, 0);
    EXPECT_EQ(target2.e.waves[5].count, 0);
    EXPECT_EQ(target2.e.waves[4].count, 7);
    EXPECT_EQ(scratch.e.flags, EngineHasRevRange | EngineHasSubVersion);
    EXPECT_EQ(scratch.e.maxSpeed, 700);
}

TEST_F(EngineFileTest, OlderSubVersionsReadTheirWavesAndValues)
{
    struct Case {
        int v, waves;
        int floats;             // sound floats in the file, skipped ones included
        std::vector<int> kept;  // value numbers the file does not carry
    };
    const Case cases[] = {
        {12, 8, 29, {}},
        {5, 4, 19, {2, 8, 12, 13, 18, 19, 20, 21, 22, 24, 25, 26, 27, 28, 29}},
        {7, 7, 25, {2, 8, 21, 22, 24, 27, 28, 29}},
        {1, 4, 11, {2, 8, 9, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 24, 25, 26, 27, 28, 29}},
    };
    for (const Case& c : cases) {
        folder.WriteFile("data/engine/OLD.eng", MakeEngineFile(c.v, c.waves, 2, c.floats));
        OwnedEngine scratch, target;
        for (float& value : target.e.soundParams.values)
            value = -1;
        ASSERT_EQ(OpenEngineFile(scratch.e, "data\\engine\\OLD.eng", nullptr, target.e), 1) << c.v;
        for (int w = 0; w < EngineWaveCount; w++)
            EXPECT_EQ(target.e.waves[w].count, w < c.waves ? 2 : 0) << c.v;
        int read = 0;
        for (int n = 1; n <= EngineSoundValueCount; n++) {
            bool kept = std::find(c.kept.begin(), c.kept.end(), n) != c.kept.end();
            float value = target.e.soundParams.values[n - 1];
            if (kept)
                EXPECT_EQ(value, -1) << "sub-version " << c.v << " value " << n;
            else
                EXPECT_GE(value, 100) << "sub-version " << c.v << " value " << n;
            read += kept ? 0 : 1;
        }
        EXPECT_EQ(read + static_cast<int>(c.kept.size()), EngineSoundValueCount);
    }
}

TEST_F(EngineFileTest, DamagedFilesAreRefusedAndLeaveTheSoundAlone)
{
    std::string good = MakeEngineFile(12, 8, 4, 29);
    const size_t firstWave = 8 + 36;
    auto withByte = [&](size_t at, int value) {
        std::string s = good;
        s[at] = static_cast<char>(value);
        return s;
    };
    auto withInt = [&](size_t at, uint32_t value) {
        std::string s = good;
        for (int i = 0; i < 4; i++)
            s[at + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
        return s;
    };
    struct Case {
        const char* what;
        std::string bytes;
    };
    const Case cases[] = {
        {"a later sub-version", withByte(12, 13)},
        {"an unknown wave kind", withByte(firstWave + 2, 7)},
        {"a negative sample count", withInt(firstWave + 4, 0xFFFFFFF0u)},
        {"a sample count beyond the file", withInt(firstWave + 4, 1000000)},
        {"a huge sample count", withInt(firstWave + 4, 0x7FFFFFFF)},
        {"a displacement that is not a number", withInt(16, 0x7FC00000u)},
        {"an infinite maximum speed", withInt(36, 0x7F800000u)},
        {"a file cut inside the sound values", good.substr(0, good.size() - 6)},
        {"a file cut inside the header", good.substr(0, 20)},
    };
    for (const Case& c : cases) {
        folder.WriteFile("data/engine/BAD.eng", c.bytes);
        OwnedEngine scratch, target;
        target.e.waves[0].count = 1;
        target.e.waves[0].samples = new float[1]{42};
        target.e.soundParams.values[0] = 33;
        EXPECT_EQ(OpenEngineFile(scratch.e, "data\\engine\\BAD.eng", nullptr, target.e), 0) << c.what;
        EXPECT_EQ(target.e.waves[0].count, 1) << c.what;
        EXPECT_EQ(target.e.waves[0].samples[0], 42) << c.what;
        EXPECT_EQ(target.e.soundParams.values[0], 33) << c.what;
    }
}

TEST_F(EngineFileTest, CarSoundFromTheDriversChoiceOrTheDefault)
{
    folder.WriteFile("data/engine/WQG_default.eng", MakeEngineFile(12, 8, 1, 29));
    folder.WriteFile("data/engine/loud.eng", MakeEngineFile(12, 8, 3, 29));
    ResetCoreTables();
    const CarSettings* car = GetCarSettings("WQG");
    ASSERT_NE(car, nullptr);

    struct Case {
        const char* chosen;  // the driver's engine sound for the car
        const char* code;
        int want;            // LoadEngineFile's result
        int samples;         // of wave 0
        const char* name;    // the sound's name after
        bool cleared;        // the driver's choice was cleared
    };
    const Case cases[] = {
        {"loud", "WQG", 1, 3, "loud", false},
        {"missing", "WQG", 1, 1, "", true},
        {"../engine/loud", "WQG", 1, 1, "", true},
        {"", "WQG", 1, 1, "", false},
        {"", "../WQG", 0, 0, "", false},
    };
    for (const Case& c : cases) {
        EditPlayerProfile([&c](PlayerProfileRecord& profile) {
            CopyFixedString(profile.cars[0].engineName, c.chosen, sizeof profile.cars[0].engineName);
        });
        OwnedEngine owned;
        EXPECT_EQ(LoadEngineFile(owned.e, c.code), c.want) << c.chosen;
        EXPECT_EQ(owned.e.waves[0].count, c.samples) << c.chosen;
        EXPECT_STREQ(owned.e.soundParams.name, c.name) << c.chosen;
        EXPECT_EQ(car->engineName[0] == 0, c.cleared || !c.chosen[0]) << c.chosen;
    }
}

} // namespace
