// What keeps every computer's copy of a car the same: the four state-check
// registers of the 20 generated cars loaded twice, the register each kind
// of change moves, the race parameters record, the wrong-way sanction and
// the distance report.
#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "car_fixture.h"
#include "race_fakes.h"

namespace {

using Bytes = std::vector<uint8_t>;
using Registers = std::array<uint32_t, 4>;

Registers Checksum(const CarObject& car)
{
    Registers values = {0x12345678u, 0x9abcdef0u, 0x0f1e2d3cu, 0x4b5a6978u};
    GetCarChecksum(car, values.data());
    return values;
}

class CarConsistencyTest : public CarTest {
protected:
    void SetUp() override
    {
        CarTest::SetUp();
        InstallFakeRace();
    }
    void TearDown() override
    {
        SetSettings(SettingsRecord{});
        CarTest::TearDown();
    }
};

// Two copies of each car made apart from each other (each loaded from its
// file, set up and fuelled alike) give the same four registers.
TEST_F(CarConsistencyTest, TwoCopiesOfEveryCarAgree)
{
    for (int index = 0; index < CarCount; index++) {
        SCOPED_TRACE(CarNameTable[index].code);
        OwnedCar a, b;
        ASSERT_TRUE(Load(a.car, index));
        SetFuelPercent(a.car, 40);
        ASSERT_TRUE(Load(b.car, index));
        SetFuelPercent(b.car, 40);
        EXPECT_EQ(Checksum(a.car), Checksum(b.car));
    }
}

// Each change moves exactly the register that holds it: added mass the
// body's, a front tyre compound the axles', an intake restriction the
// engine's, a penalty the race state's. The anti-roll bars are in none of
// them.
TEST_F(CarConsistencyTest, AChangeMovesOnlyItsRegister)
{
    struct Case {
        const char* name;
        void (*changeSetup)(const CarObject& car, CarSetup& setup);  // then applied
        void (*changeCar)(CarObject& car);
        int movedRegister;  // -1 none
    };
    const Case cases[] = {
        {"added mass", [](const CarObject&, CarSetup& s) { s.addedMass = uint8_t(s.addedMass + 40); }, nullptr, 0},
        {"front tyre compound",
         [](const CarObject& car, CarSetup& s) {
             int low, high;
             GetTyreTypeRange(car, low, high);
             s.axles[1].tyreType = uint8_t(s.axles[1].tyreType < high ? s.axles[1].tyreType + 1 : low);
         },
         nullptr, 1},
        {"intake restriction", [](const CarObject&, CarSetup& s) { s.intakeRestriction = uint8_t(s.intakeRestriction + 20); },
         nullptr, 2},
        {"penalty state", nullptr, [](CarObject& c) { c.race.result.penaltyState = PenaltyStopGoToServe; }, 3},
        {"laps done", nullptr, [](CarObject& c) { c.race.lapCount += 1; }, 3},
        {"front anti-roll", [](const CarObject&, CarSetup& s) { s.axles[1].antiRoll += 5000; }, nullptr, -1},
    };
    const int index = 2;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        OwnedCar reference, changed;
        ASSERT_TRUE(Load(reference.car, index));
        CarSetup setup = *reference.car.data.setup;
        ASSERT_TRUE(Load(changed.car, index, -1, &setup));
        if (c.changeSetup) {
            c.changeSetup(changed.car, setup);
            ApplySetup(changed.car, 0);
        }
        if (c.changeCar)
            c.changeCar(changed.car);
        SetFuelPercent(reference.car, 40);
        SetFuelPercent(changed.car, 40);
        const Registers before = Checksum(reference.car), after = Checksum(changed.car);
        for (int r = 0; r < 4; r++)
            EXPECT_EQ(before[r] != after[r], r == c.movedRegister) << "register " << r + 1;
    }
}

TEST_F(CarConsistencyTest, RaceParametersTravelWholeBetweenCars)
{
    OwnedCar a, b;
    ASSERT_TRUE(Load(a.car, 0));
    ASSERT_TRUE(Load(b.car, 0));
    CarRaceHooks race = GetCarRaceHooks();
    race.raceStartOffset = [] { return int32_t(7); };
    SetCarRaceHooks(race);
    const Bytes record = {1, PenaltyStopGoGiven, 0x21, 0x43, 0x2c, 0x01, 4, 255,
                          0x78, 0x56, 0x34, 0x12, 0x10, 0x27, 0, 0};
    CarRaceParams in;
    std::copy(record.begin(), record.end(), in.bytes);
    SetCarRaceParams(a.car, in);
    EXPECT_EQ(a.car.race.lapCount, 300);
    EXPECT_EQ(a.car.race.result.penaltyState, PenaltyStopGoGiven);
    EXPECT_EQ(a.car.race.lapStart, 10000 + 700);
    CarRaceParams out;
    GetCarRaceParams(a.car, out);
    EXPECT_EQ(Bytes(out.bytes, out.bytes + RaceParamsSize), record);
    SetCarRaceParams(b.car, out);
    EXPECT_EQ(Checksum(a.car)[3], Checksum(b.car)[3]);
}

// ---------------------------------------------------------------------------
// Driving the wrong way: the count rises by 6 in gear at full throttle, 3
// at some throttle and 1 otherwise; 15 warns, 45 warns with the host's
// action, 60 sanctions.

TEST_F(CarConsistencyTest, WrongWayWarningsRiseToTheSanction)
{
    struct Case {
        const char* name;
        int gear;
        uint16_t throttle;
        int warnStep, secondStep, sanctionStep;
    };
    const Case cases[] = {
        {"full throttle in gear", 2, 65535, 3, 8, 10},
        {"some throttle", 2, 5000, 5, 15, 20},
        {"a little throttle", 2, 1000, 15, 45, 60},
        {"neutral at full throttle", 1, 65535, 15, 45, 60},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        InstallFakeRace();
        SettingsRecord settings;
        settings.autoKick = 2;
        SetSettings(settings);
        OwnedCar owned;
        CarObject& car = owned.car;
        TheFakeRace().slotCars[0] = &car;
        car.step.gear = c.gear;
        car.inputs.words[1] = c.throttle;
        std::vector<int> levels;
        int step = 0;
        for (; step < 100 && car.pit.kickLevel < 3; step++) {
            const int before = car.pit.kickLevel;
            AutoKickWrongWay(car);
            if (car.pit.kickLevel != before)
                levels.push_back(step + 1);
        }
        EXPECT_EQ(levels, (std::vector<int>{c.warnStep, c.secondStep, c.sanctionStep}));
        const std::vector<SentPacket>& sent = TheFakeRace().sent;
        ASSERT_EQ(sent.size(), 3u);
        EXPECT_EQ(sent[0].road, "player");
        EXPECT_EQ(sent[0].bytes, (Bytes{CarPacketAutoKick, 7, 0, 2}));
        EXPECT_EQ(sent[1].road, "player");
        EXPECT_EQ(sent[1].bytes, (Bytes{CarPacketAutoKick, 7, 2, 2}));
        EXPECT_EQ(sent[2].road, "guests");
        EXPECT_EQ(sent[2].bytes, (Bytes{CarPacketAutoKick, 7, 2, 2}));
        EXPECT_EQ(TheFakeRace().sanctions, (std::vector<std::pair<int, int>>{{7, 2}}));
    }
}

TEST_F(CarConsistencyTest, WrongWayIsNeverSanctionedWhereTheHostAllowsIt)
{
    TheFakeRace().hostRules = 0x200;
    OwnedCar owned;
    owned.car.step.gear = 2;
    owned.car.inputs.words[1] = 65535;
    for (int i = 0; i < 100; i++)
        AutoKickWrongWay(owned.car);
    EXPECT_EQ(owned.car.pit.kickLevel, 0);
    EXPECT_TRUE(TheFakeRace().sent.empty());
}

TEST_F(CarConsistencyTest, AnAiDriverIsSentToSpectate)
{
    TheFakeRace().orders.aiDriver = 1;
    OwnedCar owned;
    TheFakeRace().slotCars[0] = &owned.car;
    ApplyAutoKick(owned.car);
    ASSERT_EQ(TheFakeRace().sent.size(), 2u);
    EXPECT_EQ(TheFakeRace().sent[0].bytes, (Bytes{CarPacketAutoKick, 7, 3, 2}));
    // The car spectates: its value 0 goes to everyone.
    EXPECT_EQ(TheFakeRace().sent[1].bytes, (Bytes{CarPacketValue, CarValueSubtype, 7, 0}));
    EXPECT_TRUE(TheFakeRace().sanctions.empty());
}

// ---------------------------------------------------------------------------
// The distance report: whole metres and fuel units, long distances as -2,
// nothing for a short, fuel-free drive.

TEST_F(CarConsistencyTest, DistanceReportsCarryMetresAndFuel)
{
    struct Case {
        const char* name;
        int metres, fuel, pending;
        Bytes expected;  // empty: nothing sent
    };
    const Case cases[] = {
        {"short and fuel-free", 3, 0, 0, {}},
        {"short, report pending", 3, 0, 1, {CarPacketDistance, 0, 3, 0}},
        {"some fuel", 2, 1, 0, {CarPacketDistance, 1, 2, 0}},
        {"a lap", 1234, 5, 0, {CarPacketDistance, 5, 0xd2, 0x04}},
        {"5000 m", 5000, 0, 0, {CarPacketDistance, 0, 0xfe, 0xff}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TheFakeRace().sent.clear();
        OwnedCar owned;
        owned.car.net.distanceCounter = c.metres << 16 | 0x8000;
        owned.car.net.fuelCounter = c.fuel << 16;
        owned.car.net.reportFlag = uint8_t(c.pending);
        SendCarDistanceReport(owned.car, 0);
        EXPECT_EQ(owned.car.net.distanceCounter, 0);
        EXPECT_EQ(owned.car.net.fuelCounter, 0);
        if (c.expected.empty()) {
            EXPECT_TRUE(TheFakeRace().sent.empty());
            continue;
        }
        ASSERT_EQ(TheFakeRace().sent.size(), 1u);
        EXPECT_EQ(TheFakeRace().sent[0].road, "host");
        EXPECT_EQ(TheFakeRace().sent[0].bytes, c.expected);
    }
}

}  // namespace
