// The multiplayer layer's reset: the host options, the run record and every
// table of the frame road and the session are back at their start-up state
// whatever they held, so a host option, a half-typed console line, a queued
// packet or a connection never outlives the reset.
#include <gtest/gtest.h>

#include <string>

#include "net/local.h"
#include "support/dirty_record.h"
#include "support/temp_folder.h"

namespace {

class NetResetTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetCoreTables();
        ResetNetTables();
    }
    void TearDown() override
    {
        ResetNetTables();
        ResetCoreTables();
    }
    TempFolder folder;  // the debug log goes here
};

TEST_F(NetResetTest, ResetGivesBackEveryRecordAtItsDefaults)
{
    DirtyRecord(MutableNet, 0x01);
    DirtyRecord(MutableHostOptions);
    DirtyRecord(MutableGameBundle);
    DirtyRecord(MutableFrameClock);
    DirtyRecord(MutableConnectionTable);
    DirtyRecord(MutableMultiplayerMode);
    DirtyRecord(MutableSessionFlags);
    DirtyRecord(MutableSessionVotes);
    DirtyRecord(MutableRaceOptions);
    DirtyRecord(MutableStateCheck);
    DirtyRecord(MutableRaceRequests);
    DirtyRecord(ClientLinkTable);
    ASSERT_NE(MutableNet, NetRecord{});
    ASSERT_NE(HostOptions, HostOptionsRecord{});

    ResetNetTables();

    EXPECT_EQ(MutableNet, NetRecord{});
    EXPECT_EQ(HostOptions, HostOptionsRecord{});
    EXPECT_EQ(CurrentConnectionLimit, 16);
    EXPECT_EQ(CurrentCarLimit, 12);
    EXPECT_STREQ(HostOptions.inSimPortText, "0");
    EXPECT_EQ(HostOptions.raceCarsMask, 0xFFFFFu);
    EXPECT_TRUE(GameBundle == GameBundleRecord{});
    EXPECT_EQ(GameBundle.bytes[0], GameBundleHeaderSize);
    EXPECT_TRUE(FrameClock == FrameClockRecord{});
    EXPECT_TRUE(ConnectionTable == ConnectionTableRecord{});
    EXPECT_EQ(ConnectionTable.count, 1);
    EXPECT_TRUE(MultiplayerMode == MultiplayerModeRecord{});
    EXPECT_EQ(Online, 0);
    EXPECT_TRUE(SessionFlags == SessionFlagsRecord{});
    EXPECT_TRUE(SessionVotes == SessionVotesRecord{});
    EXPECT_TRUE(RaceOptions == RaceOptionsRecord{});
    EXPECT_EQ(HostRules, 0u);
    EXPECT_TRUE(StateCheck == StateCheckRecord{});
    EXPECT_TRUE(RaceRequests == RaceRequestsRecord{});
    EXPECT_TRUE(ClientLinkTable == ClientLinkTableRecord{});
}

TEST_F(NetResetTest, ThePacketTraceDoesNotOutliveTheReset)
{
    SetGamePacketTrace([](uint32_t, int, const uint8_t*, int) { FAIL() << "trace left installed"; });
    ResetNetTables();
    // Processing a frame with a packet in it calls no trace.
    ResetSession(1, 0);
    const uint8_t horn[4] = {GpHorn, 0, 0, 0};
    QueueGamePacket(horn, 4);
    SendGameBundle(0);
    ProcessNextFrame();
}

} // namespace
