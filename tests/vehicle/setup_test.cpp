// Grip and compound tables, structure records, and setups: clamping, the
// file form against an independent decoder, and the older forms still read.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>

#include "support/temp_folder.h"
#include "vehicle/local.h"

namespace {

constexpr double Pi = 3.14159265358979323846;

// Little-endian bytes of a stream, written the way the file layouts list them.
struct Bytes {
    std::string data;
    Bytes& U8(int v) { data.push_back(static_cast<char>(v)); return *this; }
    Bytes& U16(int v) { U8(v & 0xFF); return U8((v >> 8) & 0xFF); }
    Bytes& I32(int32_t v)
    {
        auto u = static_cast<uint32_t>(v);
        for (int i = 0; i < 4; i++)
            U8(static_cast<int>((u >> (8 * i)) & 0xFF));
        return *this;
    }
    Bytes& F32(float v)
    {
        uint32_t u;
        std::memcpy(&u, &v, 4);
        return I32(static_cast<int32_t>(u));
    }
    Bytes& Header(const char* magic, int version)
    {
        data.append(magic, 6);
        U8(version >> 8);
        return U8(version & 0xFF);
    }
};

// ---------------------------------------------------------------------------
// Grip and compounds.

TEST(GripTableTest, SlicksFollowTheirRuleAndNoSurfaceGripsLittle)
{
    const int tarmacLike[] = {0, 1, 6, 7, 9, 10, 12, 14, 15, 16};
    for (int compound = 0; compound < TyreCompoundCount; compound++)
        EXPECT_FLOAT_EQ(GripTable[compound][NoSurfaceKind], 0.10f) << compound;
    for (int n = 1; n < 4; n++)
        for (int kind = 0; kind < SurfaceKindCount; kind++) {
            bool tarmac = std::find(std::begin(tarmacLike), std::end(tarmacLike), kind) != std::end(tarmacLike);
            float expected = GripTable[0][kind] - (tarmac ? 0.02f * static_cast<float>(n) : 0.0f);
            EXPECT_NEAR(GripTable[n][kind], expected, 1e-6f) << n << " " << kind;
        }
    // Spot values of the other rows: knobbly tyres are best on gravel-like
    // kinds, road tyres on tarmac.
    EXPECT_FLOAT_EQ(GripTable[7][2], 0.95f);
    EXPECT_FLOAT_EQ(GripTable[5][0], 1.05f);
    EXPECT_FLOAT_EQ(GripTable[6][4], 0.80f);
    EXPECT_FLOAT_EQ(CompoundTable[2].optimumTempC, 100.0f);
    EXPECT_FLOAT_EQ(CompoundTable[5].stiffnessFactor, 0.5f);
}

// ---------------------------------------------------------------------------
// Structure records.

TEST(StructureRecordTest, ReadsPointsAndBarsFromTheirStoredBytes)
{
    struct Case {
        float stored;
        int flags;
        float clamped, raw;
    } cases[] = {
        {0.2f, 0, 0.5f, 0},      // below the range
        {0.2f, 2, 0, 0.2f},      // raw: kept as stored
        {12.5f, 1, 12.5f, 0},    // inside
        {90.0f, 0, 40.0f, 0},    // above
        {NAN, 0, 0.5f, 0},       // not a number: the minimum
    };
    Bytes bytes;
    bytes.I32(-65536).I32(2 * 65536).I32(32768).F32(1.5f).U16(-3 & 0xFFFF).U8(2).U8(9);
    for (const Case& c : cases)
        bytes.U16(1).U16(-1 & 0xFFFF).F32(c.stored).I32(c.flags);
    DataFile reader;
    std::string image = Bytes().Header("\0\0\0\0\0\0", 251).data + bytes.data;
    int version = 0;
    OpenDataBlock(reader, reinterpret_cast<const uint8_t*>(image.data()), image.size(), version);

    StructurePoint point;
    ReadStructurePoint(point, reader);
    EXPECT_EQ(point.x, -65536);
    EXPECT_EQ(point.y, 131072);
    EXPECT_EQ(point.z, 32768);
    EXPECT_FLOAT_EQ(point.value, 1.5f);
    EXPECT_EQ(point.kind, -3);
    EXPECT_EQ(point.flagA, 2);
    EXPECT_EQ(point.flagB, 9);
    for (const Case& c : cases) {
        StructureBar bar;
        ReadStructureBar(bar, reader);
        EXPECT_EQ(bar.pointA, 1);
        EXPECT_EQ(bar.pointB, -1);
        EXPECT_EQ(bar.flags, c.flags);
        EXPECT_FLOAT_EQ(bar.value, c.clamped) << c.stored;
        EXPECT_FLOAT_EQ(bar.rawValue, c.raw) << c.stored;
    }
    EXPECT_FALSE(reader.Overran());
}

// ---------------------------------------------------------------------------
// Setups.

class SetupTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetVehicleTables();
        folder.WriteFile("data/setups/placeholder", "");
    }
    void TearDown() override { ResetVehicleTables(); }

    // Writes the bytes as a file and loads it into the record.
    int LoadBytes(const std::string& bytes, CarSetup& setup)
    {
        folder.WriteFile("data/setups/TST_old.set", bytes);
        return LoadSetup(setup, "data\\setups\\TST_old.set");
    }

    TempFolder folder;
};

// The setup that setup_reference.py expects to find in the saved file.
CarSetup ReferenceSetup()
{
    CarSetup s;
    s.flags = 0x80;
    s.carried1 = 7;
    s.addedMassPosition = 60;
    s.carried3 = 2;
    s.maxBrakeTorque = 1234.5f;
    s.rearWing = 12;
    s.frontWing = 7;
    s.addedMass = 30;
    s.intakeRestriction = 10;
    s.maxLock = 31;
    s.parallelSteer = 40;
    s.brakeBalance = 66;
    s.engineBrakeReduction = 20;
    s.centreDiff = 1;
    s.centreViscous = 8;
    s.frontTorqueSplit = 35;
    const uint16_t gears[7] = {40000, 30000, 22000, 17000, 14000, 12000, 10000};
    std::memcpy(s.gears, gears, sizeof gears);
    s.finalDrive = 25000;
    s.passengers = 0x41;
    s.bodyOption = 1;
    s.tcSlip = 60;
    s.tcMinSpeed = 10;
    s.axles[0] = {0.01f, 45000, 3000, 4500, 20000, 0, 10, 0, 5, 0, 42, 43, 0, 6, 2, 10, 30, 20, 200, 205};
    s.axles[1] = {0.02f, 50000, 3200, 4800, 25000, 0, 8, 60, 4, 0, 38, 37, 0, 0, 0, 1, 10, 10, 210, 215};
    return s;
}

TEST_F(SetupTest, SavedFileMatchesTheLayoutAndReadsBack)
{
    CarSetup saved = ReferenceSetup();
    ASSERT_EQ(SaveSetup(saved, "data\\setups\\TST_ref.set"), 1);

    std::string command = std::string(QV_PYTHON) + " " + QV_SOURCE_DIR +
                          "/tests/vehicle/setup_reference.py " + folder.Path() + "/data/setups/TST_ref.set";
    int status = std::system(command.c_str());
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "setup_reference.py rejected the file";

    CarSetup loaded;
    ASSERT_EQ(LoadSetup(loaded, "data\\setups\\TST_ref.set"), 1);
    EXPECT_EQ(SetupsDiffer(loaded, saved), 0);
    EXPECT_EQ(SetupsDiffer(saved, saved), 0);
    loaded.axles[1].pressureRight++;
    EXPECT_EQ(SetupsDiffer(loaded, saved), 1);
}

TEST_F(SetupTest, ClampHoldsEveryFieldToItsLimits)
{
    CarSetup s;
    std::memset(static_cast<void*>(&s), 0xFF, sizeof s);
    s.maxBrakeTorque = -5;
    s.flags = SetupSymmetric;
    s.bodyOption = 17;
    s.axles[0].rideHeightReduction = INFINITY;
    s.axles[0].spring = NAN;
    s.axles[1].bumpDamping = -1;
    s.axles[1].rideHeightReduction = -0.02f;  // a negative ride height reduction is allowed
    s.axles[0].camberLeft = 30;
    s.axles[0].pressureLeft = 190;
    ClampSetup(s);
    EXPECT_EQ(s.addedMassPosition, 100);
    EXPECT_EQ(s.carried3, 6);
    EXPECT_EQ(s.maxBrakeTorque, 0);
    EXPECT_EQ(s.rearWing, 30);
    EXPECT_EQ(s.addedMass, 200);
    EXPECT_EQ(s.intakeRestriction, 50);
    EXPECT_EQ(s.maxLock, 45);
    EXPECT_EQ(s.brakeBalance, 95);
    EXPECT_EQ(s.centreDiff, 1);
    EXPECT_EQ(s.centreViscous, 20);
    EXPECT_EQ(s.zero18, 0);
    EXPECT_EQ(s.frontTorqueSplit, 95);
    for (uint16_t gear : s.gears)
        EXPECT_EQ(gear, 0xFFFE);
    EXPECT_EQ(s.finalDrive, 0xFFFE);
    EXPECT_EQ(s.bodyOption, 0);
    EXPECT_EQ(s.tcSlip, 100);
    EXPECT_EQ(s.tcMinSpeed, 20);
    EXPECT_EQ(s.axles[0].rideHeightReduction, 0);
    EXPECT_EQ(s.axles[0].spring, 0);
    EXPECT_EQ(s.axles[1].bumpDamping, 0);
    EXPECT_EQ(s.axles[1].rideHeightReduction, -0.02f);
    for (const SetupAxle& a : s.axles) {
        EXPECT_EQ(a.toe, 18);
        EXPECT_EQ(a.caster, 240);
        EXPECT_EQ(a.tyreType, 7);
        EXPECT_EQ(a.zero27, 0);
        EXPECT_EQ(a.zero30, 0);
        EXPECT_EQ(a.preload, 80);
        EXPECT_EQ(a.diffType, 3);
        EXPECT_EQ(a.powerLocking, 80);
        EXPECT_EQ(a.camberRight, a.camberLeft);
        EXPECT_EQ(a.pressureRight, a.pressureLeft);
    }
    EXPECT_EQ(s.axles[0].camberRight, 30);
    EXPECT_EQ(s.axles[0].pressureRight, 190);

    // The low ends.
    CarSetup low;
    ClampSetup(low);
    EXPECT_EQ(low.maxLock, 9);
    EXPECT_EQ(low.brakeBalance, 5);
    EXPECT_EQ(low.centreViscous, 1);
    EXPECT_EQ(low.tcSlip, 20);
    EXPECT_EQ(low.tcMinSpeed, 5);
    EXPECT_EQ(low.axles[0].viscousTorque, 1);
    EXPECT_EQ(low.axles[0].coastLocking, 10);
    EXPECT_EQ(CountSpecialTyres(s), 2);
    EXPECT_EQ(CountSpecialTyres(low), 0);
}

// The stream of an old form: version below 250 (no sub-version, floats for
// the angles and pressures, a viscous differential only).
std::string Version249File(float toeRad, float camberRad)
{
    Bytes b;
    b.Header("ZKSETT", 249);
    b.F32(900);                                       // brake torque
    b.F32(0).U16(70 * 655).U16(0).U16(10 * 655).U16(5 * 655);  // balance, wings
    b.F32(static_cast<float>(30 * Pi / 180)).F32(0.25f).F32(9.0f).U16(19660);  // lock, parallel, viscous, split
    b.U16(22000);                                     // final drive
    for (int g = 0; g < 6; g++)
        b.U16(40000 - 5000 * g);
    b.U8(0).U8(0).U8(60).U8(10);
    for (int axle = 0; axle < 2; axle++) {
        b.F32(0.01f).F32(40000).F32(3000).F32(4000).F32(15000).F32(0);
        b.F32(toeRad).F32(camberRad).F32(12.0f).I32(5).F32(190000.0f);
    }
    return b.data;
}

TEST_F(SetupTest, Version249FormGetsTheNewFieldsDefaults)
{
    CarSetup s;
    s.addedMass = 11;  // not in the old form: kept
    const float toeStep = static_cast<float>(0.005 * Pi / 9), camberStep = static_cast<float>(0.025 * Pi / 45);
    ASSERT_EQ(LoadBytes(Version249File(toeStep, -5 * camberStep), s), 1);
    EXPECT_EQ(s.flags, SetupCurrentForm);
    EXPECT_EQ(s.addedMassPosition, 50);
    EXPECT_EQ(s.addedMass, 11);
    EXPECT_EQ(s.brakeBalance, 70);
    EXPECT_EQ(s.rearWing, 10);
    EXPECT_EQ(s.frontWing, 5);
    EXPECT_EQ(s.maxLock, 30);
    EXPECT_EQ(s.parallelSteer, 25);
    EXPECT_EQ(s.centreDiff, 1);
    EXPECT_EQ(s.centreViscous, 9);
    EXPECT_EQ(s.frontTorqueSplit, 30);
    EXPECT_EQ(s.finalDrive, 22000);
    EXPECT_EQ(s.gears[5], 15000);
    for (const SetupAxle& a : s.axles) {
        EXPECT_EQ(a.toe, 10);
        EXPECT_EQ(a.camberLeft, 40);
        EXPECT_EQ(a.camberRight, 40);
        EXPECT_EQ(a.diffType, 2);
        EXPECT_EQ(a.viscousTorque, 12);
        EXPECT_EQ(a.powerLocking, 25);
        EXPECT_EQ(a.coastLocking, 25);
        EXPECT_EQ(a.preload, 6);  // (25 + 25) >> 3
        EXPECT_EQ(a.tyreType, 5);
        EXPECT_EQ(a.pressureLeft, 190);
        EXPECT_EQ(a.pressureRight, 190);
    }
}

// Version 250 with sub-version 0 or 1: the header bytes are there, the
// angles and pressures are still floats.
std::string Version250File(int subVersion, uint8_t flags)
{
    Bytes b;
    b.Header("ZKSETT", 250);
    b.U8(subVersion).U8(0).U8(0).U8(0);
    b.U8(flags).U8(0).U8(70).U8(0);
    b.F32(1000);
    b.F32(0).U16(60 * 655).U16(0).U16(3 * 655).U16(4 * 655);
    b.U8(28).U8(30).U8(99).U8(10).U8(1).U8(6).U8(0).U8(40).U16(9000);  // 12..19, seventh gear
    b.U16(21000);
    for (int g = 0; g < 6; g++)
        b.U16(40000 - 4000 * g);
    b.U8(0).U8(0).U8(60).U8(10);
    for (int axle = 0; axle < 2; axle++) {
        b.F32(0).F32(40000).F32(3000).F32(4000).F32(15000).F32(0);
        if (subVersion >= 1)
            b.U8(8).U8(50).U8(4).U8(0);
        else
            b.F32(0);
        b.F32(0);                            // camber 0 degrees
        b.U8(3).U8(5).U8(40).U8(20);         // diff, viscous, lockings
        if (subVersion == 0)
            b.I32(6);
        b.F32(180400.0f);                    // pressure, Pa
    }
    return b.data;
}

TEST_F(SetupTest, Version250SubVersionsZeroAndOneRead)
{
    for (int subVersion : {0, 1}) {
        SCOPED_TRACE(subVersion);
        CarSetup s;
        ASSERT_EQ(LoadBytes(Version250File(subVersion, 0x80), s), 1);
        EXPECT_EQ(s.flags, 0x80);
        EXPECT_EQ(s.addedMassPosition, 70);  // the current form keeps its own
        EXPECT_EQ(s.brakeBalance, 60);       // from the old 16-bit field
        EXPECT_EQ(s.rearWing, 3);
        EXPECT_EQ(s.maxLock, 28);
        EXPECT_EQ(s.engineBrakeReduction, 10);
        EXPECT_EQ(s.gears[6], 9000);
        EXPECT_EQ(s.frontTorqueSplit, 40);
        for (const SetupAxle& a : s.axles) {
            EXPECT_EQ(a.camberLeft, 45);
            EXPECT_EQ(a.camberRight, 45);
            EXPECT_EQ(a.diffType, 3);
            EXPECT_EQ(a.powerLocking, 40);
            EXPECT_EQ(a.pressureLeft, 180);
            EXPECT_EQ(a.pressureRight, 180);
            EXPECT_EQ(a.toe, subVersion == 0 ? 9 : 8);
            EXPECT_EQ(a.caster, subVersion == 0 ? 0 : 50);
            EXPECT_EQ(a.tyreType, subVersion == 0 ? 6 : 4);
        }
    }
}

TEST_F(SetupTest, BadFilesAreRefusedAndTheRecordKept)
{
    CarSetup kept = ReferenceSetup();
    CarSetup s = kept;
    // A sub-version from the future.
    std::string future = Version250File(1, 0x80);
    future[8] = 3;
    EXPECT_EQ(LoadBytes(future, s), 0);
    EXPECT_EQ(SetupsDiffer(s, kept), 0);
    // Too old.
    std::string old = Version249File(0, 0);
    old[7] = static_cast<char>(247);
    EXPECT_EQ(LoadBytes(old, s), 0);
    EXPECT_EQ(SetupsDiffer(s, kept), 0);
    // Cut short.
    ASSERT_EQ(SaveSetup(ReferenceSetup(), "data\\setups\\TST_ref.set"), 1);
    std::string whole = folder.ReadFile("data/setups/TST_ref.set");
    EXPECT_EQ(LoadBytes(whole.substr(0, whole.size() - 3), s), 0);
    EXPECT_EQ(SetupsDiffer(s, kept), 0);
    // Missing.
    EXPECT_EQ(LoadSetup(s, "data\\setups\\none.set"), 0);
}

TEST_F(SetupTest, LoadedSetupIsClampedAndSymmetric)
{
    CarSetup s = ReferenceSetup();
    s.flags |= SetupSymmetric;
    s.gears[2] = 0xFFFF;
    s.bodyOption = 17;
    ASSERT_EQ(SaveSetup(s, "data\\setups\\TST_sym.set"), 1);
    CarSetup loaded;
    ASSERT_EQ(LoadSetup(loaded, "data\\setups\\TST_sym.set"), 1);
    EXPECT_EQ(loaded.gears[2], 0xFFFE);
    EXPECT_EQ(loaded.bodyOption, 0);
    for (const SetupAxle& a : loaded.axles) {
        EXPECT_EQ(a.camberRight, a.camberLeft);
        EXPECT_EQ(a.pressureRight, a.pressureLeft);
    }
}

TEST_F(SetupTest, ChosenSetupFileLoadsOrFallsBack)
{
    CarSetup s = ReferenceSetup();
    // A built-in setup chosen: the caller fills the zeroed record.
    SetChosenSetup(2, "x");
    EXPECT_EQ(LoadCarSetupFile(s, "TST"), 0);
    EXPECT_EQ(s.maxBrakeTorque, 0);
    EXPECT_EQ(ChosenSetup.name[0], 0);
    EXPECT_EQ(ChosenSetup.index, 2);

    ASSERT_EQ(SaveSetup(ReferenceSetup(), "data\\setups\\TST_race.set"), 1);
    SetChosenSetup(-1, "race");
    EXPECT_EQ(LoadCarSetupFile(s, "TST"), 0);
    EXPECT_FLOAT_EQ(s.maxBrakeTorque, 1234.5f);

    // A missing file, or a name reaching out of the folder, fails back to
    // the first built-in setup.
    for (const char* name : {"missing", "../TST_race", "a/b"}) {
        SetChosenSetup(-1, name);
        EXPECT_EQ(LoadCarSetupFile(s, "TST"), 1) << name;
        EXPECT_EQ(ChosenSetup.index, 0);
        EXPECT_EQ(ChosenSetup.name[0], 0);
        EXPECT_EQ(s.maxBrakeTorque, 0);
    }
}

} // namespace
