// The dispatch of game packets: every type with a wrong length and every
// sender that its type's rule refuses closes the sender's link; the
// session's own packets act as they should.
#include <cstring>
#include <map>

#include "net_fixture.h"

namespace {

// The exact length of every valid game packet type, as the protocol
// defines them; every other type is invalid.
const std::map<int, int> ProtocolLengths = {
    {2, 56}, {4, 68}, {5, 212}, {6, 36}, {8, 4}, {9, 4}, {10, 36}, {11, 4}, {12, 4}, {13, 4},
    {14, 4}, {15, 36}, {17, 4}, {18, 4}, {20, 60}, {23, 4}, {26, 4}, {27, 4}, {28, 4}, {29, 4},
    {30, 4}, {31, 4}, {32, 4}, {33, 4}, {35, 4}, {36, 8}, {38, 8}, {39, 12}, {40, 12}, {42, 4},
    {45, 12}, {46, 132}, {47, 20}, {50, 4}, {52, 4}, {53, 8}, {54, 8}, {55, 24}, {56, 8}, {57, 8},
    {60, 4}, {63, 4}, {64, 4}, {66, 4}, {67, 124}, {69, 16}, {70, 4}, {71, 4}, {72, 4}, {73, 68},
    {74, 20}, {75, 12}, {76, 8}, {77, 4}, {78, 60}, {79, 4}, {80, 24}, {81, 4}, {85, 52}, {86, 4},
};

// Types only the host sends: the track, the delay, joins and departures,
// the state check request, wind, the packet rate, the option words, the
// handicaps, car resets and the votes.
const int HostOnlyTypes[] = {10, 12, 20, 23, 32, 33, 36, 40, 42, 53, 54, 63, 72, 78, 79, 80, 85};

class DispatchTest : public NetTest {
protected:
    void SetUp() override
    {
        NetTest::SetUp();
        StartHostWithTwoGuests();
        StartRace({0, 1, 2});  // player ids 1, 2, 3
    }
    // Connection c's packet goes through the dispatch; 1 when the sender's
    // link stays open.
    bool Accepted(int c, const Bytes& packet)
    {
        const int link = FindClient(c, nullptr);
        ClientLinkTable.links[link].fatal = 0;
        ClientLinkTable.links[link].open = 1;
        HandleGamePacket(c, packet.data(), static_cast<int>(packet.size()));
        return !ClientLinkTable.links[link].fatal;
    }
};

} // namespace

TEST_F(DispatchTest, TheTypeTableIsTheProtocols)
{
    for (int type = 0; type < 256; ++type) {
        const auto it = ProtocolLengths.find(type);
        EXPECT_EQ(GamePacketLength(type), it == ProtocolLengths.end() ? 0 : it->second) << type;
    }
}

// From the host, whose every rule allows it: only the exact length of a
// valid type passes.
TEST_F(DispatchTest, EveryWrongLengthAndEveryInvalidTypeIsRejected)
{
    for (int type = 0; type < 256; ++type) {
        const auto it = ProtocolLengths.find(type);
        const int length = it == ProtocolLengths.end() ? 4 : it->second;
        for (int tried : {1, 3, 4, length - 1, length, length + 1, 255}) {
            if (tried < 1)
                continue;
            SCOPED_TRACE(::testing::Message() << "type " << type << " length " << tried);
            StartSession(3);
            TakeLog();
            Bytes packet(static_cast<size_t>(tried), 0);
            packet[0] = static_cast<uint8_t>(type);
            HandleGamePacket(0, packet.data(), tried);
            const bool rejected = TakeLog().find("Invalid (" + std::to_string(type) + ")") != std::string::npos;
            EXPECT_EQ(rejected, it == ProtocolLengths.end() || tried != it->second);
        }
    }
}

TEST_F(DispatchTest, AGuestCannotSendWhatOnlyTheHostSends)
{
    for (int type : HostOnlyTypes) {
        SCOPED_TRACE(type);
        EXPECT_FALSE(Accepted(1, MakePacket(type, ProtocolLengths.at(type))));
        EXPECT_TRUE(Shown("Invalid (" + std::to_string(type) + ") - rejecting (1)"));
    }
}

TEST_F(DispatchTest, SendersByRule)
{
    struct Case {
        const char* name;
        Bytes packet;
        bool guest, admin, guestOptions;  // what the sender (connection 1) passes
    } cases[] = {
        {"own player's car information", MakePacket(GpCarInfo, 212, 2), true, true, true},
        {"another player's car information", MakePacket(GpCarInfo, 212, 3), false, false, false},
        {"the host's player's lap", MakePacket(GpLapTime, 12, 1), false, false, false},
        {"an unknown player's lap", MakePacket(GpLapTime, 12, 40), true, true, true},
        {"horn of the sender's own car", MakePacket(GpHorn, 4, 5), true, true, true},
        {"race length", MakePacket(GpRaceLength, 4), false, true, true},
        {"results cleared", MakePacket(GpResultsCleared, 4), false, true, false},
        {"car message", MakePacket(GpCarMessage, 68), false, true, false},
        {"end race vote", MakePacket(GpRaceControl, 4, 0), true, true, true},
        {"own player to the spectators", {GpRaceControl, 7, 2, 0}, true, true, true},
        {"another player to the spectators", {GpRaceControl, 7, 3, 0}, false, true, false},
        {"every car to the pit lane", {GpRaceControl, 11, 0, 1}, false, true, false},
        {"own player off the grid", {GpStartGrid, 0, 2, 0}, true, true, true},
        {"another player off the grid", {GpStartGrid, 0, 3, 0}, false, true, true},
        {"two players swapped", {GpStartGrid, 1, 2, 3}, false, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Accepted(1, c.packet), c.guest);
        MutableConnectionTable.connections[1].admin = 1;
        EXPECT_EQ(Accepted(1, c.packet), c.admin);
        MutableConnectionTable.connections[1].admin = 0;
        MutableRaceOptions.raceFlags = RaceFlagGuestOptions;
        EXPECT_EQ(Accepted(1, c.packet), c.guestOptions);
        MutableRaceOptions.raceFlags = 0;
    }
}

// A descriptor of a player joining must name the sender's own connection.
TEST_F(DispatchTest, JoiningPlayersBelongToTheirSender)
{
    Bytes join = MakePacket(GpPlayerJoins, 68);
    join[4 + 32] = 1;
    EXPECT_TRUE(Accepted(1, join));
    join[4 + 32] = 2;
    EXPECT_FALSE(Accepted(1, join));
}

TEST_F(DispatchTest, TheProcessingDelayStaysWithin100AndWaitsForAJoiningGuest)
{
    HandleGamePacket(0, MakePacket(GpProcessingDelay, 4, 250).data(), 4);
    EXPECT_EQ(FrameClock.processingDelay, 100);
    HandleGamePacket(0, MakePacket(GpProcessingDelay, 4, 7).data(), 4);
    EXPECT_EQ(FrameClock.processingDelay, 7);
    MutableSessionFlags.guestConnecting = 1;
    HandleGamePacket(0, MakePacket(GpProcessingDelay, 4, 9).data(), 4);
    EXPECT_EQ(FrameClock.processingDelay, 7);
}

TEST_F(DispatchTest, OptionWordsWaitForAJoiningGuest)
{
    const Bytes cars = {GpAllowedCars, 0, 0, 0, 0x05, 0, 0, 0};
    const Bytes flags = {GpRaceOptions, 0, 0, 0, 0xC0, 0, 0, 0};
    HandleGamePacket(0, cars.data(), 8);
    HandleGamePacket(0, flags.data(), 8);
    EXPECT_EQ(RaceOptions.allowedCars, 5u);
    EXPECT_EQ(HostRules, 0xC0u);
    MutableSessionFlags.guestConnecting = 1;
    const Bytes none = {GpAllowedCars, 0, 0, 0, 0, 0, 0, 0};
    HandleGamePacket(0, none.data(), 8);
    EXPECT_EQ(RaceOptions.allowedCars, 5u);
    EXPECT_TRUE(Shown("Can't change info - a guest is connecting"));
}

TEST_F(DispatchTest, ANewConnectionJoinsAfterTheFrameThatAddsIt)
{
    MutableFrameClock.processedFrame = 40;
    Bytes packet = MakePacket(GpNewConnection, 60, 33);
    packet[2] = 1;
    std::memcpy(packet.data() + 4, "Newcomer", 8);
    std::memcpy(packet.data() + 36, "newuser", 7);
    HandleGamePacket(0, packet.data(), 60);
    ASSERT_EQ(ConnectionTable.count, 4);
    const Connection& added = ConnectionTable.connections[3];
    EXPECT_EQ(added.ucid, 33);
    EXPECT_EQ(added.admin, 1);
    EXPECT_STREQ(added.name, "Newcomer");
    EXPECT_STREQ(added.userName, "newuser");
    EXPECT_EQ(added.ring.framesReceived, 41u);
    EXPECT_EQ(added.numToForward, 2);
    EXPECT_TRUE(Shown("Newcomer connected (newuser)"));
    // The host sends the current votes at once.
    EXPECT_EQ(FrameClock.sentFrames, 1u);
}

TEST_F(DispatchTest, ANewConnectionIsRefusedWhenTheTableIsFull)
{
    StartSession(MaxConnections);
    HandleGamePacket(0, MakePacket(GpNewConnection, 60, 99).data(), 60);
    EXPECT_EQ(ConnectionTable.count, MaxConnections);
    EXPECT_TRUE(Shown("New connection refused : table full (48)"));
}

TEST_F(DispatchTest, VotesCountOnlyInTheirMode)
{
    SetGameKind(1);
    Bytes votes = MakePacket(GpVotes, 52, 1);
    votes[2] = 2;
    votes[3] = 4;
    votes[4 + 1] = 1;
    HandleGamePacket(0, votes.data(), 52);
    EXPECT_TRUE(Shown("Received game vote packets in wrong mode"));
    EXPECT_EQ(SessionVotes.decidedVote, 0);
    EXPECT_EQ(ConnectionTable.connections[1].gameVote, 0);

    votes[1] = 0;
    HandleGamePacket(0, votes.data(), 52);
    EXPECT_EQ(ConnectionTable.connections[1].entryVote, 1);

    SetGameKind(2);
    votes[1] = 1;
    HandleGamePacket(0, votes.data(), 52);
    EXPECT_EQ(SessionVotes.decidedVote, 2);
    EXPECT_EQ(SessionVotes.countdown, 400);
    EXPECT_EQ(ConnectionTable.connections[1].gameVote, 1);
}

TEST_F(DispatchTest, AJoiningGuestSetsAndClearsTheConnectingFlags)
{
    HandleGamePacket(0, MakePacket(GpGuestStarting, 4).data(), 4);
    EXPECT_TRUE(SessionFlags.guestConnecting);
    EXPECT_TRUE(SessionVotes.votesBlocked);
    EXPECT_TRUE(Shown("A new guest is connecting"));
    HandleGamePacket(0, MakePacket(GpGuestFailed, 4).data(), 4);
    EXPECT_FALSE(SessionFlags.guestConnecting);
    EXPECT_FALSE(SessionVotes.votesBlocked);
    EXPECT_TRUE(Shown("New guest failed to connect"));
}

TEST_F(DispatchTest, LagFiguresAndMessageBlockingBelongToTheSender)
{
    HandleGamePacket(2, MakePacket(GpLagFigure, 4, 77).data(), 4);
    EXPECT_EQ(ConnectionTable.connections[2].lag, 77);
    HandleGamePacket(2, MakePacket(GpMessagesBlocked, 4, 1).data(), 4);
    EXPECT_TRUE(Shown("Guest2 blocked messages"));
}
