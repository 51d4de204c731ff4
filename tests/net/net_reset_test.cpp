// One reset returns every table of the multiplayer layer to its start-up
// state, however each field was left.
#include <cstring>

#include "net_fixture.h"

namespace {

template <typename Record>
void Dirty(Record& record)
{
    std::memset(static_cast<void*>(&record), 0xA5, sizeof record);
}

} // namespace

TEST(NetResetTest, EveryFieldOfEveryTableReturns)
{
    Dirty(MutableGameBundle);
    Dirty(MutableFrameClock);
    Dirty(MutableConnectionTable);
    Dirty(MutableMultiplayerMode);
    Dirty(MutableSessionFlags);
    Dirty(MutableSessionVotes);
    Dirty(MutableRaceOptions);
    Dirty(MutableStateCheck);
    Dirty(MutableRaceRequests);
    Dirty(ClientLinkTable);
    BehindCount = 9;
    SetGamePacketTrace([](uint32_t, int, const uint8_t*, int) { FAIL() << "trace left installed"; });
    ResetNetTables();
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
    EXPECT_EQ(BehindCount, 0);
    // The trace is gone: processing a frame calls nothing.
    ResetSession(1, 0);
    const uint8_t horn[4] = {GpHorn, 0, 0, 0};
    QueueGamePacket(horn, 4);
    SendGameBundle(0);
    ProcessNextFrame();
    ResetNetTables();
}
