// The in-race session without a world: the game vote rule against its
// majority threshold, votes carried out through the multiplayer layer's
// words, the frame's step accounting whatever the frame lengths, the
// quick-draw road's log lines, and the in-car head turn against the closed
// form of a damped spring.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <numbers>
#include <sstream>

#include "session/local.h"
#include "support/temp_folder.h"

namespace {

// The multiplayer layer's part as the tests play it: frames due by the
// game clock from origin 0, processed one by one; votes in plain words.
struct FakeNet {
    uint32_t processed = 0;
    GameVoteWords words;
    int votes[4] = {};
    int connections = 1;
    int online = 0;
};
FakeNet Net;

uint32_t DueFrame() { return GameTime.clockMs / 10; }

void InstallFakeNet()
{
    Net = {};
    RaceHooks hooks = GetRaceHooks();
    hooks.runDueGameFrames = [](void (*step)()) {
        while (Net.processed < DueFrame()) {
            ++Net.processed;
            step();
        }
    };
    hooks.framesWaiting = [] { return int32_t(DueFrame() - Net.processed); };
    hooks.readVoteWords = [](GameVoteWords& words) { words = Net.words; };
    hooks.writeVoteWords = [](const GameVoteWords& words) { Net.words = words; };
    hooks.connectionVote = [](int c) { return c >= 0 && c < 4 ? Net.votes[c] : 0; };
    hooks.connectionCount = [] { return Net.connections; };
    hooks.isOnline = [] { return Net.online; };
    SetRaceHooks(hooks);
}

void SetClock(uint32_t clockMs, int32_t stepMs)
{
    GameTimeRecord time = GameTime;
    time.clockMs = clockMs;
    time.frameStepMs = stepMs;
    SetGameTime(time);
}

PlayerDescriptor Driver(int connection)
{
    PlayerDescriptor descriptor;
    descriptor.connection = uint8_t(connection);
    descriptor.type = PlayerAi;
    return descriptor;
}

class SessionTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetCoreTables();
        ResetVehicleTables();
        ResetSessionTables();
        InstallFakeNet();
        SetClock(0, 0);
        EditProgramMode([](ProgramModeRecord& mode) {
            mode.graphicsOn = 0;
            mode.dedicatedMode = 0;
        });
    }
    void TearDown() override
    {
        ResetSessionTables();
        ResetVehicleTables();
    }
    // A race of n drivers, one per connection, and its session.
    InRaceSession& StartRace(int drivers)
    {
        Race& race = CreateCurrentRace();
        for (int i = 0; i < drivers; ++i)
            CheckCarsPerConnection(race, Driver(i));
        SetGameKind(2);
        SetRacePhase(1);
        return *CreateSession(nullptr, 0, 0);
    }
};

TEST(GameVoteRuleTest, HalfOfTheDriversRoundedUpDecide)
{
    for (int n = 1; n <= 48; ++n) {
        const int needed = (n + 1) / 2;
        uint8_t votes[48] = {};
        for (int i = 0; i < needed - 1; ++i)
            votes[i] = 1;
        EXPECT_EQ(DecideGameVote(votes, n), 0) << n << " connections, one vote short";
        votes[needed - 1] = 1;
        EXPECT_EQ(DecideGameVote(votes, n), 1) << n << " connections, enough votes";
    }
}

TEST(GameVoteRuleTest, TheHighestKindThatHasEnoughVotesDecides)
{
    const struct {
        uint8_t votes[4];
        int count;
        int decided;
    } cases[] = {
        {{1, 1, 2, 2}, 4, 2},  // end and restart both reach 2 of 4
        {{3, 1, 0, 0}, 3, 0},  // one each of 3: neither reaches 2
        {{3, 3, 1, 0}, 3, 3},
        {{9, 9, 9, 0}, 3, 0},  // a vote that is no kind counts for none
        {{1, 0, 0, 0}, 0, 0},  // nobody drives
    };
    for (const auto& c : cases)
        EXPECT_EQ(DecideGameVote(c.votes, c.count), c.decided);
}

TEST_F(SessionTest, AnOfflineRaceWhoseLastDriverLeftEndsAtTheNextProcessedFrame)
{
    InRaceSession& session = StartRace(1);
    RemovePlayer(*CurrentRace, 0);
    SetClock(10, 10);
    UpdateSession(&session);
    EXPECT_EQ(GameKind, 1);
    EXPECT_EQ(session.running, 0);
    UpdateSession(&session);  // the exit frame frees the session
    EXPECT_EQ(CurrentSession, nullptr);
}

TEST_F(SessionTest, TheHostsOwnVoteDecidesWithTheOnlineCountdown)
{
    InRaceSession& session = StartRace(3);
    Net.online = 1;
    for (const int connections : {1, 3}) {
        Net.words = {};
        Net.connections = connections;
        Net.votes[0] = 2;
        ProcessVotes(session);
        EXPECT_EQ(Net.words.decidedVote, 2);
        EXPECT_EQ(Net.words.countdown, connections == 1 ? 100 : 300);
    }
}

TEST_F(SessionTest, AnEndVoteOfTheDriversEndsTheRaceAfterItsCountdown)
{
    InRaceSession& session = StartRace(3);
    Net.online = 1;
    Net.connections = 3;
    Net.votes[1] = Net.votes[2] = 1;
    ProcessVotes(session);
    ASSERT_EQ(Net.words.decidedVote, 1);
    for (int frame = 1; frame < 300; ++frame)
        ProcessVotes(session);
    EXPECT_EQ(session.running, 1) << "the countdown has one frame left";
    ProcessVotes(session);
    EXPECT_EQ(session.running, 0);
    EXPECT_EQ(GameKind, 1);
    EXPECT_EQ(RacePhase, 0);
}

TEST_F(SessionTest, EveryDueStepRunsOnceWhateverTheFrameLengths)
{
    for (const int frameMs : {1, 7, 16, 250}) {
        InRaceSession& session = StartRace(1);
        Net.processed = 0;
        uint32_t clock = 0;
        while (clock < 5000) {
            clock += uint32_t(frameMs);
            SetClock(clock, frameMs);
            UpdateSession(&session);
        }
        EXPECT_EQ(CurrentRace->stepCounter, clock / 10) << frameMs << " ms frames";
        EXPECT_EQ(uint32_t(SessionCars.stepCount), clock / 10) << frameMs << " ms frames";
        RequestSessionExit();
        UpdateSession(&session);
        ASSERT_EQ(CurrentSession, nullptr);
        SetClock(0, 0);
    }
}

TEST_F(SessionTest, TheQuickDrawRoadIsLoggedWhenItIsTakenAndLeftNotEveryFrame)
{
    TempFolder folder;
    const std::filesystem::path previous = std::filesystem::current_path();
    std::filesystem::current_path(folder.Path());
    StartDebugLog();
    InRaceSession& session = StartRace(1);
    for (int frame = 1; frame <= 50; ++frame) {
        if (frame == 30)
            EditProgramMode([](ProgramModeRecord& mode) { mode.graphicsOn = 1; });
        SetClock(uint32_t(frame) * 10, 10);
        UpdateSession(&session);
    }
    ResetDebugLog();
    std::ifstream log(folder.Path() + "/deb.log");
    std::stringstream text;
    text << log.rdbuf();
    std::filesystem::current_path(previous);
    const std::string lines = text.str();
    auto count = [&](const std::string& line) {
        int n = 0;
        for (size_t at = lines.find(line); at != std::string::npos; at = lines.find(line, at + 1))
            ++n;
        return n;
    };
    EXPECT_EQ(count("Exit : quick draw"), 1) << lines;
    EXPECT_EQ(count("Exit : return"), 1) << lines;
    EXPECT_LT(lines.find("Exit : quick draw"), lines.find("Exit : return"));
}

// The head turn is x'' = 500 (target - x) - 40 x', integrated at 0.01 s:
// from rest it follows the underdamped closed form within the step's
// error (omega h / 2 of the target, about 0.11), and overshoots by about exp(-pi zeta / sqrt(1 - zeta^2)).
TEST_F(SessionTest, TheHeadTurnFollowsTheDampedSpring)
{
    InRaceSession& session = StartRace(1);
    CarObject car;
    MutableSessionCars.viewedCar = &car;
    session.lookState = 2;  // look left: the "Button Look" angle
    const double target = std::numbers::pi * Settings.buttonLook / 180;
    const double omega = std::sqrt(500.0), zeta = 40 / (2 * omega), damped = omega * std::sqrt(1 - zeta * zeta);
    double highest = 0;
    for (int step = 1; step <= 200; ++step) {
        SmoothViewTurn(session);
        const double t = 0.01 * step;
        const double exact = target * (1 - std::exp(-zeta * omega * t) *
                                               (std::cos(damped * t) + zeta * omega / damped * std::sin(damped * t)));
        EXPECT_NEAR(session.lookAngle, exact, 0.12 * target) << "at " << t << " s";
        highest = std::max(highest, double(session.lookAngle));
    }
    const double overshoot = std::exp(-std::numbers::pi * zeta / std::sqrt(1 - zeta * zeta));
    EXPECT_NEAR(highest / target - 1, overshoot, 0.01);
    EXPECT_NEAR(session.lookAngle, target, 1e-4 * target);
}

} // namespace
