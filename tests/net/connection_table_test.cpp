// The connection table: ids that are not given out again while recently
// used, removal that keeps the table dense and renumbers links and player
// slots, and the watchdogs that drop silent participants.
#include <algorithm>

#include "net_fixture.h"
#include "ui/services.h"

namespace {

class ConnectionTableTest : public NetTest {};

} // namespace

// An id freed by a leaving connection waits behind 64 newer allocations.
TEST_F(ConnectionTableTest, AFreedIdComesBackAfter64Allocations)
{
    StartSession(6);  // ids 10 .. 14
    for (int i = 1; i < 6; ++i)
        MutableConnectionTable.connections[i].ucid = static_cast<uint8_t>(i);  // ids 1 .. 5
    RemoveConn(5);
    EXPECT_EQ(ConnectionTable.recentlyFreed[0], 5);
    std::vector<int> ids;
    for (int i = 0; i < 65; ++i)
        ids.push_back(AllocUcid());
    for (int i = 0; i < 64; ++i)
        EXPECT_EQ(ids[static_cast<size_t>(i)], 6 + i);
    EXPECT_EQ(ids[64], 5);
}

TEST_F(ConnectionTableTest, PlayerIdsAreTakenToo)
{
    StartSession(1);
    StartRace({0, 0});  // player ids 1 and 2
    EXPECT_EQ(AllocUcid(), 3);
}

// Removing connection 2 of 4 moves record 3 into slot 2; the player slots
// of connection 3 follow it, connection 2's players leave. On the host the
// links follow too and the id waits before it is given out again; on a guest
// whose own record moves, its own index follows.
TEST_F(ConnectionTableTest, RemovalMovesTheLastRecordIntoTheGap)
{
    struct Case {
        const char* name;
        int ownIndex;
        int ownAfter;
    } cases[] = {
        {"the host", 0, 0},
        {"a guest whose record moves", 3, 2},
        {"a guest whose record stays", 1, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ClientLinkTable = {};
        StartSession(4, c.ownIndex);
        const bool host = c.ownIndex == 0;
        if (host) {
            AddLink(1);
            AddLink(2);
            AddLink(3);
        } else {
            AddLink(0);
        }
        Race& race = StartRace({0, 2, 3, 3, 1});
        RemoveConn(2);
        EXPECT_EQ(ConnectionTable.count, 3);
        EXPECT_EQ(ConnectionTable.ownIndex, c.ownAfter);
        EXPECT_STREQ(ConnectionTable.connections[2].name, "Guest3");
        EXPECT_EQ(ConnectionTable.connections[2].ucid, 12);
        EXPECT_TRUE(ConnectionTable.connections[3] == Connection{});
        ASSERT_EQ(race.playerCount, 4);
        const int connections[] = {0, 2, 2, 1};
        for (int i = 0; i < 4; ++i)
            EXPECT_EQ(race.players[i].descriptor.connection, connections[i]) << i;
        EXPECT_STREQ(race.players[1].descriptor.name, "P3");
        if (host) {
            ASSERT_EQ(ClientLinkTable.linkCount, 2);
            EXPECT_EQ(ClientLinkTable.links[0].connection, 1);
            EXPECT_EQ(ClientLinkTable.links[1].connection, 2);
            EXPECT_EQ(ConnectionTable.recentlyFreed[0], 11);
        } else {
            EXPECT_EQ(ClientLinkTable.linkCount, 1);
            EXPECT_EQ(ConnectionTable.recentlyFreed[0], 0);
        }
    }
}

// A guest that sends nothing for 1000 frames is dropped; its departure is
// announced and queued for every computer.
TEST_F(ConnectionTableTest, TheHostDropsAGuestSilentFor1000Frames)
{
    StartSession(2);
    ClientLink& link = AddLink(1);
    MutableConnectionTable.connections[1].ring.framesReceived = 50;
    MutableFrameClock.sentFrames = 1050;
    CheckGuestLinks();
    EXPECT_FALSE(link.fatal);
    EXPECT_EQ(GameBundle.bytes[0], GameBundleHeaderSize);
    MutableFrameClock.sentFrames = 1051;
    CheckGuestLinks();
    EXPECT_TRUE(link.fatal);
    EXPECT_FALSE(link.open);
    const Connection& guest = ConnectionTable.connections[1];
    EXPECT_TRUE(guest.leaving);
    EXPECT_EQ(guest.kickState, KickLeaving);
    EXPECT_EQ(guest.leaveReason, LeaveTimedOut);
    EXPECT_TRUE(Shown("Guest1 timed out"));
    const uint8_t leaves[] = {4, GpConnectionLeaves, 10, LeaveTimedOut, 0};
    EXPECT_EQ(GameBundle.bytes[0], GameBundleHeaderSize + 5);
    EXPECT_TRUE(std::equal(leaves, leaves + 5, GameBundle.bytes + GameBundleHeaderSize));
    // Announced once.
    CheckGuestLinks();
    EXPECT_EQ(GameBundle.bytes[0], GameBundleHeaderSize + 5);
}

// A kicked guest is dropped only once no other guest is being admitted; a
// guest dropped by the state check leaves without a text.
TEST_F(ConnectionTableTest, KickedGuestsWaitForAnAdmissionToEnd)
{
    struct Case {
        uint8_t kick;
        int reason;
        const char* text;
    } cases[] = {
        {KickKicked, LeaveKicked, "Guest1 was kicked"},
        {KickBanned, LeaveBanned, "Guest1 was banned"},
        {KickSyncLate, LeaveSyncLate, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reason);
        ClientLinkTable = {};
        StartSession(2);
        ClientLink& link = AddLink(1);
        MutableConnectionTable.connections[1].kickState = c.kick;
        MutableSessionFlags.guestConnecting = 1;
        CheckGuestLinks();
        EXPECT_FALSE(link.fatal);
        MutableSessionFlags.guestConnecting = 0;
        TakeLog();
        CheckGuestLinks();
        EXPECT_TRUE(link.fatal);
        EXPECT_EQ(ConnectionTable.connections[1].leaveReason, c.reason);
        const std::string log = TakeLog();
        if (c.text)
            EXPECT_NE(log.find(c.text), std::string::npos);
        else
            EXPECT_EQ(log.find("Guest1"), std::string::npos);
    }
}

// A guest whose host is silent for 2000 frames ends its session with the
// text of its join stage.
TEST_F(ConnectionTableTest, AGuestGivesUpASilentHostAfter2000Frames)
{
    struct Case {
        int stage;
        const char* text;
    } cases[] = {
        {0, "Lost connection to host"},
        {2, "Initial synchronisation failed"},
        {3, "Lost synchronisation with host"},
        {4, "Lost connection to host"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stage);
        ClientLinkTable = {};
        StartSession(2, 1);
        ClientLink& link = AddLink(0);
        MutableSessionFlags.guestJoinStage = c.stage;
        MutableConnectionTable.connections[0].ring.framesReceived = 100;
        MutableFrameClock.sentFrames = 2100;
        CheckHostLink();
        EXPECT_FALSE(link.fatal);
        EXPECT_FALSE(FrameClock.hostLost);
        MutableFrameClock.sentFrames = 2101;
        TakeLog();
        CheckHostLink();
        EXPECT_TRUE(link.fatal);
        EXPECT_EQ(FrameClock.hostLost, 1);
        EXPECT_TRUE(Shown(c.text));
    }
}

// Packet 63 of a live session only marks the connection; it leaves after
// the frame, together with its players, on every computer at once.
TEST_F(ConnectionTableTest, ADepartureTakesEffectAfterItsFrame)
{
    StartSession(3);
    Race& race = StartRace({0, 1, 2});
    MutableConnectionTable.connections[1].ring.framesReceived = 1;
    MutableConnectionTable.connections[2].ring.framesReceived = 1;
    const uint8_t leaves[4] = {GpConnectionLeaves, 10, LeaveLostConnection, 0};
    const uint8_t lag[4] = {GpLagFigure, 7, 0, 0};
    QueueGamePacket(leaves, 4);
    QueueGamePacket(lag, 4);
    SendGameBundle(0);
    ASSERT_TRUE(IsNextFrameReady());
    static int countSeen;
    countSeen = 0;
    SetGamePacketTrace([](uint32_t, int, const uint8_t* packet, int) {
        if (packet[0] == GpLagFigure)
            countSeen = ConnectionTable.count;
    });
    ProcessNextFrame();
    EXPECT_EQ(countSeen, 3);
    EXPECT_EQ(ConnectionTable.count, 2);
    EXPECT_STREQ(ConnectionTable.connections[1].name, "Guest2");
    ASSERT_EQ(race.playerCount, 2);
    EXPECT_EQ(race.players[1].descriptor.connection, 1);
    EXPECT_STREQ(race.players[1].descriptor.name, "P3");
}

TEST_F(ConnectionTableTest, PlayersOfAConnectionThatIsGoneLeaveTheRace)
{
    StartSession(2);
    MutableConnectionTable.connections[1].ring.framesReceived = 1;
    Race& race = StartRace({0, 5, 1});
    SendGameBundle(0);
    ProcessNextFrame();
    ASSERT_EQ(race.playerCount, 2);
    EXPECT_STREQ(race.players[1].descriptor.name, "P3");
    EXPECT_TRUE(Shown("removed P2 (bad connection)"));
}

// A chat line from a connection shows under the name the table holds for
// it, and follows the table when a removal moves the record.
TEST_F(ConnectionTableTest, ChatLinesShowTheSendersNameFromTheTable)
{
    ResetUiTables();
    StartSession(3);  // "Host", "Guest1", "Guest2"
    InstallNetUiHooks();
    AddMessage("hello", 2, 2);
    RemoveConn(1);
    AddMessage("again", 2, 1);
    EXPECT_STREQ(MessageList.visible[0].text, "^7Guest2 ^7: ^8hello");
    EXPECT_STREQ(MessageList.visible[1].text, "^7Guest2 ^7: ^8again");
    EXPECT_EQ(GetMessageHooks().connectionName(MaxConnections), nullptr);
    ResetUiTables();
}
