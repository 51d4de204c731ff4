// The multiplayer layer's reset: the host options and the run record are
// back at their start-up state whatever they held, so a host option or a
// half-typed console line never outlives the reset.
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
    ASSERT_NE(MutableNet, NetRecord{});
    ASSERT_NE(HostOptions, HostOptionsRecord{});

    ResetNetTables();

    EXPECT_EQ(MutableNet, NetRecord{});
    EXPECT_EQ(HostOptions, HostOptionsRecord{});
    EXPECT_EQ(CurrentConnectionLimit, 16);
    EXPECT_EQ(CurrentCarLimit, 12);
    EXPECT_STREQ(HostOptions.inSimPortText, "0");
    EXPECT_EQ(HostOptions.raceCarsMask, 0xFFFFFu);
}

TEST_F(NetResetTest, ABanListThatCannotBeReadYetSaysSoOnce)
{
    LoadBans();
    LoadBans();
    const std::string log = folder.ReadFile("deb.log");
    const size_t first = log.find("LoadBans : not available yet");
    ASSERT_NE(first, std::string::npos);
    EXPECT_EQ(log.find("LoadBans : not available yet", first + 1), std::string::npos);
}

} // namespace
