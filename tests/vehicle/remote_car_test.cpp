// Remote cars: a generated car driven here sends its state records, and a
// second copy fed those records n steps late stays with it after each
// re-simulation; records that are too old, or stop coming, freeze the copy,
// and a fresh one brings it back; a copy far from every local car only
// moves along its velocity.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "driving_fixture.h"
#include "race_fakes.h"

namespace {

double GapMetres(const CarObject& a, const CarObject& b)
{
    const double dx = (double(a.position.x.raw) - b.position.x.raw) / 65536.0;
    const double dy = (double(a.position.y.raw) - b.position.y.raw) / 65536.0;
    const double dz = (double(a.position.z.raw) - b.position.z.raw) / 65536.0;
    return std::sqrt(dx * dx + dy * dy + dz * dz);
}

class RemoteCarTest : public DrivingTest {
protected:
    void SetUp() override
    {
        DrivingTest::SetUp();
        InstallFakeRace();
        TheFakeRace().online = 0;
    }
    void TearDown() override
    {
        SetSettings(SettingsRecord{});
        DrivingTest::TearDown();
    }

    // The driven car and its remote copy, each alone in its own set so that
    // they never touch; the copy waits for its first record.
    void PlacePair(int index, double copyX = 0)
    {
        local = Place(index);
        ASSERT_NE(local, nullptr);
        localSet = set;
        copy = Place(index, copyX, 0);
        ASSERT_NE(copy, nullptr);
        copySet = set;
        ClearCarLocalControl(*copy);
        copy->net.remoteState = -1;
        TheFakeRace().slotCars[0] = local;
        TheFakeRace().slotCars[1] = copy;
    }
    void StepBoth()
    {
        UpdatePhysicsObjects(localSet, 0);
        UpdatePhysicsObjects(copySet, 0);
    }
    // The driver: full throttle in second gear, steering slowly from side
    // to side.
    void Drive(int step)
    {
        local->inputs.words[0] = SteeringWordFor(*local, 0.05 * std::sin(step * 0.01));
        local->inputs.words[1] = 65535;
    }

    CarObject* local = nullptr;
    CarObject* copy = nullptr;
    ObjectSet localSet, copySet;
};

// The copy takes every record n steps after it was made and re-simulates
// the n steps: it stays within 5 cm plus 1.5 cm per step of delay of the
// driven car (the record rounds directions to a thousandth and the copy
// drives the missed steps with the record's inputs).
TEST_F(RemoteCarTest, ACopyFedLateRecordsStaysWithTheDrivenCar)
{
    for (int delay = 0; delay <= 20; delay++) {
        SCOPED_TRACE(delay);
        PlacePair(1);
        Roll(*local, 5);
        EngageGear(*local, 2, 5, 1);
        std::vector<CarStateRecord> records;
        std::vector<int32_t> steps;
        double worst = 0;
        for (int step = 0; step < 160; step++) {
            Drive(step);
            StepBoth();
            CarStateRecord record;
            MakeCarStateRecord(*local, record);
            records.push_back(record);
            steps.push_back(local->race.stepCounter);
            ASSERT_EQ(copy->race.stepCounter, local->race.stepCounter);
            if (step < delay)
                continue;
            ApplyCarControlRecord(*copy, records[step - delay], steps[step - delay]);
            if (step > 40)
                worst = std::fmax(worst, GapMetres(*local, *copy));
        }
        EXPECT_GT(ForwardSpeed(*local), 8) << "the driven car got going";
        EXPECT_EQ(copy->net.remoteState, 0);
        EXPECT_LT(worst, 0.05 + 0.015 * delay);
        for (CarObject* car : cars) {
            DestroyCar(*car);
            delete car;
        }
        cars.clear();
    }
}

// Records that are too old, and steps without records, freeze the copy;
// the next fresh record brings it back.
TEST_F(RemoteCarTest, TheCopyFreezesByRecordAgeAndLivesAgainWithAFreshRecord)
{
    PlacePair(1);
    Roll(*local, 10);
    CarStateRecord record;
    MakeCarStateRecord(*local, record);
    copy->race.stepCounter = 1000;

    // 101 steps old: frozen where it is.
    const FixedVector before = copy->position;
    ApplyCarControlRecord(*copy, record, 1000 - 101);
    EXPECT_EQ(copy->net.remoteState, 1);
    EXPECT_EQ(copy->enabled, 0);
    EXPECT_FLOAT_EQ(copy->net.remoteAge, 1.01f);
    EXPECT_EQ(copy->position.x.raw, before.x.raw);
    EXPECT_EQ(copy->position.y.raw, before.y.raw);

    // A fresh record: live, simulated and in the record's place.
    ApplyCarControlRecord(*copy, record, 1000);
    EXPECT_EQ(copy->net.remoteState, 0);
    EXPECT_EQ(copy->enabled, 1);
    EXPECT_EQ(copy->position.y.raw, local->position.y.raw);

    // 150 steps without a record are still live; the 151st freezes.
    copy->race.stepCounter = 1150;
    ExtrapolateRemoteCar(*copy);
    EXPECT_EQ(copy->net.remoteState, 0);
    copy->race.stepCounter = 1151;
    ExtrapolateRemoteCar(*copy);
    EXPECT_EQ(copy->net.remoteState, 1);
    EXPECT_EQ(copy->enabled, 0);

    // Records made before a reset are ignored for 100 steps after it.
    copy->remoteRecord.recordIgnoreStep = 1151;
    copy->race.stepCounter = 1250;
    ApplyCarControlRecord(*copy, record, 1250);
    EXPECT_EQ(copy->net.remoteState, 1);
    copy->race.stepCounter = 1251;
    ApplyCarControlRecord(*copy, record, 1251);
    EXPECT_EQ(copy->net.remoteState, 0);
}

// With the speed-up option a copy 70 m from every local car and from the
// viewed car is not simulated: a late record moves it along its velocity
// only.
TEST_F(RemoteCarTest, AFarCopyIsNotSimulatedAndOnlyMovesAlong)
{
    SettingsRecord settings;
    settings.mpSpeedupOpt = 1;
    SetSettings(settings);
    PlacePair(1, 70);
    local->position.x = FixedFromMetres(-70.0f);
    Roll(*local, 10);
    copy->race.stepCounter = 500;
    CarStateRecord record;
    MakeCarStateRecord(*local, record);
    // The record puts the copy where the driven car was, 70 m from it now.
    local->position.x = FixedFromMetres(0.0f);
    TheFakeRace().view.viewedCar = local;
    ApplyCarControlRecord(*copy, record, 500 - 30);
    EXPECT_EQ(copy->enabled, 0);
    EXPECT_EQ(copy->net.oneFullStep, 1) << "far from the viewed car";
    const double moved = (copy->position.y.raw - FixedFromMetres(0.0f).raw) / 65536.0;
    EXPECT_NEAR(moved, 30 * 0.01 * 10, 0.02);
}

// The 10:10:10 directions: each component rounds to the nearest 2 / 1023.
TEST(StateDirectionTest, PackedDirectionsComeBackWithinAStep)
{
    const float cases[][3] = {{1, 0, 0}, {0, -1, 0}, {0, 0, 1}, {0.6f, 0.8f, 0}, {-0.48f, 0.6f, -0.64f}};
    for (const auto& c : cases) {
        float x, y, z;
        UnpackStateDirection(PackStateDirection(c[0], c[1], c[2]), x, y, z);
        EXPECT_NEAR(x, c[0], 1.0 / 1023 + 1e-6);
        EXPECT_NEAR(y, c[1], 1.0 / 1023 + 1e-6);
        EXPECT_NEAR(z, c[2], 1.0 / 1023 + 1e-6);
    }
    EXPECT_EQ(PackStateDirection(0, 0, 0), 0u);
    EXPECT_EQ(PackStateDirection(1, 0, 0) & 3u, 0u) << "bits 0 and 1 stay clear";
}

}  // namespace
