// What the race tells the cars' lap timing: the lap the race is on, which
// each lap stores with the car, and the race's note of a false-start
// penalty.
#include "race_fixture.h"

namespace {

class RaceTimingHooksTest : public RaceTest {
protected:
    void SetUp() override
    {
        RaceTest::SetUp();
        InstallSessionVehicleHooks();
        MutableSession.race = &race;
    }
    void TearDown() override
    {
        MutableSession.race = nullptr;
        RaceTest::TearDown();  // frees the cars through the installed hooks
        ResetVehicleTables();
    }
    int RaceLapNumber()
    {
        RaceTimingFacts facts;
        EXPECT_TRUE(GetCarTimingHooks().raceFacts(facts));
        return facts.raceLapNumber;
    }
};

} // namespace

// The race is on the lap after the most laps any of its cars has done; a
// slot without a car counts for nothing.
TEST_F(RaceTimingHooksTest, RaceLapIsTheLeadersNextLap)
{
    AddPlayer("A");
    AddPlayer("B");
    AddPlayer("C");
    EXPECT_EQ(RaceLapNumber(), 1) << "no car has a lap";
    CarState state;
    state.laps = 4;
    GiveCar(1, state);
    state.laps = 2;
    GiveCar(0, state);
    EXPECT_EQ(RaceLapNumber(), 5);
}

TEST_F(RaceTimingHooksTest, PenaltyReportMarksTheCurrentRaceOnly)
{
    EXPECT_EQ(race.penaltyReport, 0);
    GetCarTimingHooks().notePenaltyReport();
    EXPECT_EQ(race.penaltyReport, 1);
    MutableSession.race = nullptr;
    GetCarTimingHooks().notePenaltyReport();  // no race: nothing to mark
}
