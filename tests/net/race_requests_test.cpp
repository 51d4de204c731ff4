// The race requests and the grid order of a restart: which packet each
// request queues and when it refuses, and the orders by results, reversed
// results and random draw.
#include <algorithm>
#include <cstring>

#include "net_fixture.h"

namespace {

class RaceRequestsTest : public NetTest {
protected:
    // The packets queued into the bundle so far.
    std::vector<Bytes> Queued() const
    {
        std::vector<Bytes> packets;
        for (int at = GameBundleHeaderSize; at < GameBundle.bytes[0]; at += 1 + GameBundle.bytes[at])
            packets.emplace_back(GameBundle.bytes + at + 1, GameBundle.bytes + at + 1 + GameBundle.bytes[at]);
        return packets;
    }
    void AddResult(Race& race, const char* name)
    {
        RaceResult& row = race.results[race.resultCount++];
        CopyFixedString(row.nameAndPlate, name, PlayerNameSize);
    }
};

} // namespace

// Results A and B with player C unplaced: by results A, B, C; reversed
// C, B, A. Without results neither order is sent.
TEST_F(RaceRequestsTest, GridOrderByResults)
{
    StartSession(1);
    Race& race = StartRace({0, 0, 0});  // P1, P2, P3: ids 1, 2, 3
    uint16_t state = 0;
    uint8_t ids[MaxRacePlayers];
    EXPECT_EQ(BuildGridOrder(GridOrderResults, ids, state), 0);
    AddResult(race, "P2");  // A
    AddResult(race, "P1");  // B
    ASSERT_EQ(BuildGridOrder(GridOrderResults, ids, state), 3);
    EXPECT_EQ(std::vector<int>(ids, ids + 3), (std::vector<int>{2, 1, 3}));
    ASSERT_EQ(BuildGridOrder(GridOrderReversed, ids, state), 3);
    EXPECT_EQ(std::vector<int>(ids, ids + 3), (std::vector<int>{3, 1, 2}));
    EXPECT_EQ(BuildGridOrder(GridOrderNone, ids, state), 0);
}

// The generator x = 5x + 1 mod 65536 has full period, so within one period
// (state / 256) mod n takes every value for every n from 2 to 32, and the
// draw ends whatever the state it starts from.
TEST_F(RaceRequestsTest, TheRandomDrawEndsForEveryPlayerCount)
{
    for (int players = 2; players <= MaxRacePlayers; ++players) {
        std::vector<bool> seen(static_cast<size_t>(players));
        uint16_t x = 0;
        for (int step = 0; step < 65536; ++step) {
            x = static_cast<uint16_t>(x * 5 + 1);
            seen[static_cast<size_t>((x / 256) % players)] = true;
            ASSERT_FALSE(step > 0 && x == 1 && step < 65535) << "period shorter than 65536";
        }
        EXPECT_TRUE(std::all_of(seen.begin(), seen.end(), [](bool b) { return b; })) << players;
    }
    StartSession(1);
    for (int players = 2; players <= MaxRacePlayers; ++players) {
        StartRace(std::vector<int>(static_cast<size_t>(players), 0));
        for (uint16_t start : {0, 1, 255, 256, 4097, 65535}) {
            uint16_t state = start;
            uint8_t ids[MaxRacePlayers];
            ASSERT_EQ(BuildGridOrder(GridOrderRandom, ids, state), players);
            std::vector<int> sorted(ids, ids + players);
            std::sort(sorted.begin(), sorted.end());
            for (int i = 0; i < players; ++i)
                EXPECT_EQ(sorted[static_cast<size_t>(i)], i + 1);
        }
    }
}

TEST_F(RaceRequestsTest, SendGridOrderQueuesThePlayerOrderAndSendsIt)
{
    StartSession(1);
    Race& race = StartRace({0, 0});
    AddResult(race, "P2");
    EditSettings([](SettingsRecord& settings) { settings.raceStart = GridOrderReversed; });
    EXPECT_EQ(SendGridOrder(), 1);
    EXPECT_EQ(FrameClock.sentFrames, 1u);
    const FrameRing& ring = ConnectionTable.connections[0].ring;
    EXPECT_EQ(ring.buffer[0], 37);  // one entry of [36][packet 15]
    EXPECT_EQ(ring.buffer[1], 36);
    EXPECT_EQ(ring.buffer[2], GpPlayerOrder);
    EXPECT_EQ(ring.buffer[3], 2);
    EXPECT_EQ(ring.buffer[6], 1);
    EXPECT_EQ(ring.buffer[7], 2);
}

// A guest votes at most once in 4 s; the host is not limited.
TEST_F(RaceRequestsTest, GuestVotesAreLimited)
{
    for (int own : {1, 0}) {
        SCOPED_TRACE(own);
        StartSession(2, own);
        if (!CurrentRace)
            StartRace({0});
        MutableRaceRequests = {};
        SetGameClockMs(10000);
        EXPECT_EQ(VoteRestart(), 1);
        AdvanceGameClockMs(3000);
        EXPECT_EQ(VoteRestart(), own == 0 ? 1 : 0);
        AdvanceGameClockMs(1000);
        EXPECT_EQ(VoteEndRace(), 1);
        const size_t expected = own == 0 ? 3 : 2;
        EXPECT_EQ(Queued().size(), expected);
    }
}

TEST_F(RaceRequestsTest, EnteringThePits)
{
    StartSession(1);
    Race& race = StartRace({0});
    EditSettings([](SettingsRecord& settings) { std::strcpy(settings.plyName, "P1"); });
    EXPECT_EQ(RequestEnterPits(), 1);
    EXPECT_EQ(Queued().back(), (Bytes{GpLeaveRace, 0, 0, 0}));
    CarObject car;
    race.players[0].car = &car;
    EXPECT_EQ(RequestEnterPits(), 1);
    EXPECT_EQ(Queued().back(), (Bytes{GpRaceControl, 7, 1, 0}));
    EditSettings([](SettingsRecord& settings) { std::strcpy(settings.plyName, "Renamed"); });
    EXPECT_EQ(RequestEnterPits(), 1);
    EXPECT_EQ(Queued().back(), (Bytes{GpLeaveRace, 0, 0, 0}));
    race.players[0].car = nullptr;

    MutableSessionFlags.guestConnecting = 1;
    const size_t before = Queued().size();
    EXPECT_EQ(RequestEnterPits(), 0);
    EXPECT_EQ(Queued().size(), before);
    EXPECT_TRUE(Shown("Can't enter pits - a guest is connecting"));
}

TEST_F(RaceRequestsTest, QualifyingRefusals)
{
    StartSession(1);
    Race& race = StartRace({0});
    race.raceLength = 0;
    EXPECT_EQ(VoteQualify(), 0);
    EXPECT_TRUE(Shown("Can't qualify - Practice session"));
    race.raceLength = 5;
    EXPECT_EQ(VoteQualify(), 0);
    EXPECT_TRUE(Shown("Can't qualify - Not enabled"));
    EXPECT_TRUE(Queued().empty());
}

TEST_F(RaceRequestsTest, ControlTags)
{
    StartSession(2);
    Race& race = StartRace({0, 1});
    struct Case {
        uint16_t flags;
        const char* tag;
    } cases[] = {
        {PlayerMouseSteer | PlayerKeyboardSteer, "M"},
        {PlayerKeyboardSteer | PlayerKeyboardSteerHelp, "Kn"},
        {PlayerKeyboardSteerHelp, "Ks"},
        {0, "W"},
    };
    for (const Case& c : cases) {
        race.players[1].descriptor.flags = c.flags;
        SetControlTag(race.players[1]);
        EXPECT_STREQ(ConnectionTable.connections[1].controlTag, c.tag);
    }
    race.players[1].descriptor.type = PlayerAi;
    race.players[1].descriptor.flags = 0;
    SetControlTag(race.players[1]);
    EXPECT_STREQ(ConnectionTable.connections[1].controlTag, "W");  // an AI driver leaves it
}

TEST_F(RaceRequestsTest, TheLastTwoSecondsOfADecidedVote)
{
    EXPECT_TRUE(OutsideVoteFinalCountdown());
    MutableSessionVotes.decidedVote = 2;
    MutableSessionVotes.countdown = 200;
    EXPECT_TRUE(OutsideVoteFinalCountdown());
    MutableSessionVotes.countdown = 199;
    EXPECT_FALSE(OutsideVoteFinalCountdown());
}
