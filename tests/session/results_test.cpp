// The results table from synthetic car states: race finishes with
// penalties, disqualifications and ties, the winner's flag for cars behind,
// timed rows, confirmation and its announcements, and cars sent off the
// track so that the results can settle.
#include "race_fixture.h"

#include <algorithm>
#include <cstring>

namespace {

class ResultsTest : public RaceTest {
protected:
    // A car crosses the line for the last time and finishes.
    void Finish(int slot, int laps, int hundredths)
    {
        CarObject& car = *race.players[slot].car;
        car.race.lapCount = laps;
        car.race.result.raceTime = hundredths;
        RecordPlayerFinish(race, slot, static_cast<uint32_t>(hundredths), laps);
    }
    std::vector<std::string> MessageTexts() const
    {
        std::vector<std::string> texts;
        for (const auto& m : HookLog().messages)
            texts.push_back(m.text);
        return texts;
    }
};

struct FinishCase {
    const char* what;
    int pitStopRequired;
    struct Arrival {
        int laps, hundredths, penalty, pitStops;
        int givenPenalty = 0;  // hundredths of time penalties given during the race
    };
    std::vector<Arrival> arrivals;  // slot i finishes i-th
    std::vector<int> expectedSlots;
    std::vector<uint32_t> expectedTotals;
    std::vector<int> expectedFlags;
};

TEST_F(ResultsTest, RaceFinishesInOrderOfLapsAndTime)
{
    const FinishCase cases[] = {
        {"a time penalty and a disqualification", 0,
         {{5, 50000, PenaltyNone, 0}, {5, 49900, Penalty30Seconds, 0}, {5, 49000, PenaltyDriveThroughToServe, 0}},
         {0, 1, 2}, {50000, 52900, 49000}, {0, Result30Seconds, ResultDsqDriveThrough}},
        {"equal times keep the order the finishes arrived in", 0,
         {{5, 40000, PenaltyNone, 0}, {5, 40000, PenaltyNone, 0}, {5, 40000, Penalty45Seconds, 0}},
         {0, 1, 2}, {40000, 40000, 44500}, {0, 0, Result45Seconds}},
        {"fewer laps go behind, a faster time of as many laps in front", 0,
         {{5, 50000, PenaltyNone, 0}, {4, 30000, PenaltyNone, 0}, {5, 49000, PenaltyNone, 0}},
         {2, 0, 1}, {49000, 50000, 30000}, {0, 0, 0}},
        {"disqualified rows stay last in arrival order", 0,
         {{5, 41000, PenaltyStopGoGiven, 0}, {5, 42000, PenaltyDriveThroughGiven, 0}, {2, 90000, PenaltyNone, 0}},
         {2, 0, 1}, {90000, 41000, 42000}, {0, ResultDsqStopGo, ResultDsqDriveThrough}},
        {"time penalties given during the race count in the total and the order", 0,
         {{5, 50000, PenaltyNone, 0}, {5, 49000, PenaltyNone, 0, 1500}, {5, 48000, Penalty30Seconds, 0, 1000}},
         {0, 1, 2}, {50000, 50500, 52000}, {0, 0, Result30Seconds}},
        {"a required pit stop not made disqualifies", 1,
         {{5, 40000, PenaltyNone, 0}, {5, 41000, PenaltyNone, 1}, {5, 42000, PenaltyStopGoToServe, 0}},
         {1, 0, 2}, {41000, 40000, 42000}, {0, ResultDsqPitStop, ResultDsqStopGo}},
    };
    for (const FinishCase& c : cases) {
        RemoveAllPlayers(race);
        InitRace(race);
        HookLog() = {};
        InstallRecordingRaceHooks();
        HookLog().pitStopRequired = c.pitStopRequired;
        for (size_t i = 0; i < c.arrivals.size(); ++i) {
            AddPlayer(std::string(1, char('A' + i)).c_str());
            CarState state;
            state.penalty = c.arrivals[i].penalty;
            state.pitStops = c.arrivals[i].pitStops;
            GiveCar(int(i), state);
            race.players[i].car->race.result.timePenalty = c.arrivals[i].givenPenalty;
        }
        for (size_t i = 0; i < c.arrivals.size(); ++i)
            Finish(int(i), c.arrivals[i].laps, c.arrivals[i].hundredths);
        ASSERT_EQ(race.resultCount, c.expectedSlots.size()) << c.what;
        for (size_t r = 0; r < c.expectedSlots.size(); ++r) {
            const RaceResult& row = race.results[r];
            EXPECT_EQ(row.playerId, c.expectedSlots[r] + 1) << c.what << " row " << r;
            EXPECT_EQ(row.totalTime, c.expectedTotals[r]) << c.what << " row " << r;
            EXPECT_EQ(row.flags, c.expectedFlags[r]) << c.what << " row " << r;
        }
        for (size_t i = 0; i < c.arrivals.size(); ++i) {
            const CarResultState& state = race.players[i].car->race.result;
            EXPECT_EQ(state.classified, 1) << c.what;
            const bool disqualified = std::strcmp(state.tag, "DISQUALIFIED") == 0;
            const int flags = c.expectedFlags[std::find(c.expectedSlots.begin(), c.expectedSlots.end(), int(i)) -
                                              c.expectedSlots.begin()];
            EXPECT_EQ(disqualified, (flags & ResultDisqualified) != 0) << c.what << " car " << i;
        }
        EXPECT_EQ(race.resultsSendFrame, HookLog().frame + 100);
        EXPECT_EQ(HookLog().inSimFinishIds.size(), c.arrivals.size());
    }
}

TEST_F(ResultsTest, TheWinnersFlagFinishesCarsThatCrossedTheLineLater)
{
    for (const char* name : {"Winner", "Early", "Lapped", "Slow"})
        AddPlayer(name);
    CarState early;  // its lap arrived first, but it crossed the line after the winner
    early.laps = 5;
    early.raceTime = 30050;
    CarState lapped;  // a lap down, crossed the line after the winner too
    lapped.laps = 4;
    lapped.raceTime = 30020;
    CarState slow;  // crossed the line before the winner: still racing
    slow.laps = 4;
    slow.raceTime = 29000;
    GiveCar(0);
    GiveCar(1, early);
    GiveCar(2, lapped);
    GiveCar(3, slow);
    race.raceUnderWay = 1;

    Finish(0, 5, 30000);

    EXPECT_EQ(ResultNames(), (std::vector<std::string>{"Winner", "Early", "Lapped"}));
    EXPECT_EQ(race.results[1].totalTime, 30050u);
    EXPECT_EQ(race.results[2].laps, 4);
    EXPECT_EQ(race.raceUnderWay, 0);
    for (int slot : {1, 2}) {
        const CarResultState& state = race.players[slot].car->race.result;
        EXPECT_EQ(state.flagged, 1);
        EXPECT_EQ(state.finished, 1);
        EXPECT_STREQ(state.tag, "FINISHED");
    }
    EXPECT_EQ(race.players[3].car->race.result.finished, 0);
    EXPECT_EQ(race.players[3].car->race.result.classified, 0);
}

TEST_F(ResultsTest, ConfirmingAndAnnouncingTheResults)
{
    race.winnerPending = 1;
    AddPlayer("Ann");
    AddPlayer("Bob", PlayerAi);
    AddPlayer("Cid", PlayerAi);
    CarState running;
    running.laps = 4;
    GiveCar(0);
    GiveCar(1, running);
    GiveCar(2, running);

    // Ann wins while the others are a lap down: nobody can pass her.
    Finish(0, 5, 50000);
    UpdateRaceResults(race);
    EXPECT_EQ(MessageTexts(), std::vector<std::string>{"Ann^8 won the race"});
    EXPECT_EQ(HookLog().messages.back().colour, 11);
    EXPECT_EQ(HookLog().effects, std::vector<int>{5});  // the local winner
    EXPECT_EQ(HookLog().sounds, std::vector<int>{2});
    EXPECT_STREQ(race.players[0].car->race.result.tag, "WINNER");
    EXPECT_EQ(race.winnerPending, 0);
    EXPECT_EQ(race.resultsNotFinal, 0);
    EXPECT_EQ(race.resultsSendFrame, 0);

    // Bob finishes after the leader's results went out; Cid, still running,
    // has as many laps done, so Bob's place is only provisional.
    race.players[2].car->race.lapCount = 5;
    Finish(1, 5, 51000);
    UpdateRaceResults(race);
    EXPECT_EQ(MessageTexts().back(), "Bob^8 finished");
    EXPECT_EQ(HookLog().messages.back().colour, 18);
    EXPECT_EQ(race.resultsNotFinal, 1);
    EXPECT_EQ(race.results[1].flags, ResultAnnounced);

    // Cid finishes a lap down: both rows are final now.
    Finish(2, 4, 52000);
    UpdateRaceResults(race);
    const std::vector<std::string> texts = MessageTexts();
    ASSERT_EQ(texts.size(), 4u);
    EXPECT_EQ(texts[2], "Bob^8's final position is 2nd");
    EXPECT_EQ(texts[3], "Cid^8 finished 3rd");
    EXPECT_EQ(race.results[1].flags, ResultConfirmed);
    EXPECT_STREQ(race.players[1].car->race.result.tag, "2nd");
    EXPECT_STREQ(race.players[2].car->race.result.tag, "3rd");
    EXPECT_EQ(HookLog().inSimPositions, (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(HookLog().effects, std::vector<int>{5});  // AI drivers make no sound
}

TEST_F(ResultsTest, ProvisionalMessagesSayHowFarBehind)
{
    for (const char* name : {"Lead", "One", "Two", "Out", "Runner"})
        AddPlayer(name, PlayerAi);
    CarState runner;  // still running with as many laps as the leader
    runner.laps = 6;
    for (int i = 0; i < 4; ++i)
        GiveCar(i);
    GiveCar(4, runner);
    Finish(0, 6, 60000);
    Finish(1, 5, 61000);
    Finish(2, 4, 62000);
    race.players[3].car->race.result.penaltyState = PenaltyDriveThroughToServe;
    Finish(3, 6, 58000);
    UpdateRaceResults(race);
    EXPECT_EQ(MessageTexts(), (std::vector<std::string>{"Lead^8 finished", "One^8 finished 1 lap behind",
                                                        "Two^8 finished 2 laps behind", "Out^8 is disqualified"}));
    // The disqualified row is final at once; the others wait for the runner.
    EXPECT_EQ(race.results[3].flags, ResultConfirmed | ResultDsqDriveThrough);
    EXPECT_EQ(race.results[2].flags, ResultAnnounced);
    EXPECT_EQ(race.resultsNotFinal, 1);
}

TEST_F(ResultsTest, APenalisedRowWaitsWhileACarIsOneLapBehindIt)
{
    struct Case {
        int penalty;
        int runnerLaps;
        bool final;
    };
    const Case cases[] = {{Penalty45Seconds, 4, false}, {Penalty45Seconds, 3, true}, {Penalty30Seconds, 4, false},
                          {PenaltyNone, 4, true},       {PenaltyNone, 5, false}};
    for (const Case& c : cases) {
        RemoveAllPlayers(race);
        InitRace(race);
        AddPlayer("Penalised", PlayerAi);
        AddPlayer("Runner", PlayerAi);
        CarState finisher;
        finisher.penalty = c.penalty;
        GiveCar(0, finisher);
        CarState runner;
        runner.laps = c.runnerLaps;
        GiveCar(1, runner);
        Finish(0, 5, 50000);
        UpdateRaceResults(race);
        EXPECT_EQ((race.results[0].flags & ResultConfirmed) != 0, c.final)
            << "penalty " << c.penalty << ", runner laps " << c.runnerLaps;
        EXPECT_EQ(race.resultsNotFinal, c.final ? 0 : 1);
    }
}

TEST_F(ResultsTest, ASinglePlayerJustFinishes)
{
    AddPlayer("Solo");
    GiveCar(0);
    Finish(0, 3, 20000);
    UpdateRaceResults(race);
    ASSERT_EQ(HookLog().messages.size(), 1u);
    EXPECT_EQ(HookLog().messages[0].text, "Solo^8 finished");
    EXPECT_EQ(HookLog().messages[0].colour, 16);
    EXPECT_EQ(HookLog().effects, std::vector<int>{6});
    EXPECT_STREQ(race.players[0].car->race.result.tag, "");  // no place caption when alone
}

TEST_F(ResultsTest, TimedRowsKeepEachPlayersBestTime)
{
    SetRacePhase(2);
    AddPlayer("Ann");
    AddPlayer("Bob");
    GiveCar(0);
    GiveCar(1);
    UpdateTimedResult(race, 0, 6000, 0, 0);
    UpdateTimedResult(race, 1, 5900, 0, 0);
    EXPECT_EQ(ResultNames(), (std::vector<std::string>{"Bob", "Ann"}));

    UpdateTimedResult(race, 0, 6100, 0, 0);  // slower: the table stays, InSim sees the time
    EXPECT_EQ(ResultNames(), (std::vector<std::string>{"Bob", "Ann"}));
    EXPECT_EQ(race.results[1].bestLap, 6000u);
    EXPECT_EQ(HookLog().inSimPositions.back(), 255);

    race.players[0].car->race.stepCounter = 777;
    UpdateTimedResult(race, 0, 5800, 0, 0);  // faster: Ann's row moves up
    EXPECT_EQ(ResultNames(), (std::vector<std::string>{"Ann", "Bob"}));
    EXPECT_EQ(race.resultCount, 2);
    EXPECT_EQ(race.results[0].bestLap, 5800u);
    EXPECT_EQ(race.players[0].car->race.result.resultStep, 777);
    EXPECT_TRUE(HookLog().sounds.empty());  // qualifying laps make no sound
    EXPECT_TRUE(HookLog().effects.empty());

    UpdateRaceResults(race);  // qualifying rows are final at once
    EXPECT_EQ(race.results[0].flags & ResultConfirmed, ResultConfirmed);
    EXPECT_EQ(race.results[1].flags & ResultConfirmed, ResultConfirmed);
}

TEST_F(ResultsTest, CourseTimesSoundByTheirPlace)
{
    for (int i = 0; i < 4; ++i) {
        AddPlayer(std::string(1, char('A' + i)).c_str());
        GiveCar(i);
    }
    InsertResultEntry(race, 0, 0, 5000, 0);  // the first row goes last
    InsertResultEntry(race, 1, 0, 4000, 0);  // first, ahead of one row only
    InsertResultEntry(race, 2, 0, 3000, 0);  // first, ahead of two rows
    InsertResultEntry(race, 3, 0, 4500, 0);  // in the middle
    EXPECT_EQ(HookLog().sounds, std::vector<int>{2});
    EXPECT_EQ(HookLog().effects, (std::vector<int>{6, 5, 6}));
    EXPECT_EQ(ResultNames(), (std::vector<std::string>{"C", "B", "D", "A"}));
    EXPECT_EQ(HookLog().inSimPositions, (std::vector<int>{0, 0, 0, 2}));
}

TEST_F(ResultsTest, AFullTableTakesNoMoreFinishesAndOnlyFasterTimes)
{
    for (int i = 0; i < MaxRacePlayers; ++i) {
        AddPlayer(("P" + std::to_string(i)).c_str());
        GiveCar(i);
        InsertResultEntry(race, i, static_cast<uint32_t>(6000 + i), 0, 0);
    }
    ASSERT_EQ(race.resultCount, MaxRacePlayers);
    Finish(0, 5, 50000);
    EXPECT_EQ(race.resultCount, MaxRacePlayers);
    EXPECT_EQ(race.players[0].car->race.result.classified, 0);

    // A new name slower than the last row makes no row; a faster one drops the last.
    std::strcpy(race.players[31].descriptor.name, "Newcomer");
    UpdateTimedResult(race, 31, 7000, 0, 0);
    EXPECT_EQ(race.results[31].bestLap, 6031u);
    UpdateTimedResult(race, 31, 5000, 0, 0);
    EXPECT_STREQ(race.results[0].nameAndPlate, "Newcomer");
    EXPECT_EQ(race.results[31].bestLap, 6030u);
    EXPECT_EQ(race.resultCount, MaxRacePlayers);
}

// A row count past the table (a count that went wrong, or one brought by a
// packet) reads and moves only the table's 32 rows: no finish or new name is
// added, a better time of a name already there moves its row within the
// table, and nothing reaches past the rows (the sanitizer build stops at an
// index outside the array).
TEST_F(ResultsTest, ARowCountPastTheTableStaysInsideIt)
{
    for (int i = 0; i < MaxRacePlayers; ++i) {
        AddPlayer(("P" + std::to_string(i)).c_str());
        GiveCar(i);
        InsertResultEntry(race, i, static_cast<uint32_t>(6000 + i), 0, 0);
    }
    std::vector<std::string> rows = ResultNames();
    std::rotate(rows.begin(), rows.begin() + 5, rows.begin() + 6);  // P5's better time leads
    race.resultCount = 200;
    Finish(3, 5, 50000);
    UpdateTimedResult(race, 5, 5000, 0, 0);
    InsertResultEntry(race, 6, 4000, 0, 0);
    ScheduleResultsSend(race);
    UpdateRaceResults(race);
    CheckLappedCars(race);
    BuildRunningOrder(race, 100, 10, 40);
    ASSERT_LE(race.resultCount, MaxRacePlayers);
    race.resultCount = MaxRacePlayers;
    EXPECT_EQ(ResultNames(), rows);
    EXPECT_EQ(race.results[0].bestLap, 5000u);
}

TEST_F(ResultsTest, CarsStandingOnTrackAreSentOffSoTheResultsSettle)
{
    struct Case {
        const char* what;
        CarState state;
        bool sent;
    };
    auto standing = [](int laps, int steps, int remote, int held) {
        CarState s;
        s.laps = laps;
        s.stopped = 1;
        s.stoppedSteps = steps;
        s.remote = remote;
        s.garageHeld = held;
        return s;
    };
    const Case cases[] = {
        {"stopped long enough", standing(4, 801, 0, 0), true},
        {"not long enough", standing(4, 800, 0, 0), false},
        {"more laps than the row", standing(6, 2000, 0, 0), false},
        {"held in its garage", standing(4, 2000, 0, 1), false},
        {"moving", standing(4, 0, 0, 0), false},
        {"a remote car in its garage", standing(4, 2000, 1, 1), true},
    };
    for (const Case& c : cases) {
        RemoveAllPlayers(race);
        InitRace(race);
        HookLog().packets.clear();
        AddPlayer("Winner", PlayerAi, 0, 40);
        AddPlayer("Stander", PlayerAi, 0, 41);
        GiveCar(0);
        GiveCar(1, c.state);
        race.players[1].car->race.stopped = static_cast<uint8_t>(c.state.stopped && c.state.stoppedSteps > 0);
        Finish(0, 5, 50000);
        CheckLappedCars(race);
        if (c.sent) {
            ASSERT_EQ(HookLog().packets.size(), 1u) << c.what;
            EXPECT_EQ(HookLog().packets[0], (std::vector<uint8_t>{17, 9, 41, 1})) << c.what;
        } else {
            EXPECT_TRUE(HookLog().packets.empty()) << c.what;
        }
    }
    // Qualifying has no lapped cars, and a confirmed row holds nobody back.
    HookLog().packets.clear();
    SetRacePhase(2);
    CheckLappedCars(race);
    SetRacePhase(1);
    race.results[0].flags |= ResultConfirmed;
    CheckLappedCars(race);
    EXPECT_TRUE(HookLog().packets.empty());
}

TEST_F(ResultsTest, RowsCarryTheSlotAndItsConnection)
{
    HookLog().connections = 2;
    HookLog().driverNames = {"Host", "Guest"};
    RacePlayer& guest = AddPlayer("Guest", PlayerRemote, 1, 21);
    guest.descriptor.startPosition = 3;
    std::memcpy(guest.descriptor.plate, "PLATE123", NumberPlateSize);
    guest.descriptor.flags = 0x208;
    RacePlayer& ai = AddPlayer("Robot", PlayerAi, 1, 22);
    ai.descriptor.pitStart = 1;
    CarObject& car = GiveCar(0);
    car.tuning.appliedMass = 40;
    car.tuning.appliedRestriction = 15;

    RaceResult row;
    FillResultRow(row, guest, 123, 45, ResultConfirmed, 7, 2, 30);
    EXPECT_EQ(std::string(row.nameAndPlate, PlayerNameAndPlateSize),
              std::string("Guest\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0PLATE123", 32));
    EXPECT_STREQ(row.carCode, "VOG");
    EXPECT_EQ(row.addedMass, 40);
    EXPECT_EQ(row.restriction, 15);
    EXPECT_EQ(row.start, 4);
    EXPECT_EQ(row.playerFlags, 0x208);
    EXPECT_EQ(row.userNumber, 1001);
    EXPECT_STREQ(row.userName, "Guest");

    FillResultRow(row, ai, 0, 0, 0, 0, 0, 0);
    EXPECT_EQ(row.start, 0);  // from the pit lane
    EXPECT_EQ(row.userNumber, 0);
    EXPECT_STREQ(row.userName, "");
    EXPECT_STREQ(row.carCode, "");
}

TEST_F(ResultsTest, PlaceNamesQualifyingClockAndResultsDue)
{
    const std::pair<int, const char*> places[] = {{0, "unclassified"}, {1, "1st"},   {2, "2nd"},  {3, "3rd"},
                                                  {4, "4th"},          {11, "11th"}, {12, "12th"}, {21, "21st"},
                                                  {22, "22nd"},        {23, "23rd"}, {32, "32nd"}, {33, "unclassified"}};
    for (const auto& [place, name] : places) {
        char text[32];
        GetPlaceName(text, sizeof text, place);
        EXPECT_STREQ(text, name) << place;
    }

    race.qualifyMinutes = 2;
    race.startCountdown = 10;
    const std::pair<uint32_t, bool> clock[] = {{0, false}, {13000, false}, {13001, true}};
    for (const auto& [steps, over] : clock) {
        race.stepCounter = steps;
        EXPECT_EQ(IsQualifyingOver(race), over) << steps;
    }

    AddPlayer("A");
    GiveCar(0);
    Finish(0, 1, 100);
    race.resultsSendFrame = 0;
    HookLog().frame = 5000;
    ScheduleResultsSend(race);
    EXPECT_EQ(race.resultsSendFrame, 5100);
    race.results[0].flags |= ResultConfirmed;
    race.resultsSendFrame = 0;
    ScheduleResultsSend(race);
    EXPECT_EQ(race.resultsSendFrame, 0);

    ClearRaceResults(race);
    EXPECT_EQ(race.resultCount, 0);
    EXPECT_EQ(race.results[0].totalTime, 0u);
}

} // namespace
