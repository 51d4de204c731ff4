// What the host does when a car's wrong-way check sanctions its driver:
// the driver's computer is kicked or banned through its connection's kick
// state, never the host's own, never twice; and the warning packets find
// the player's own computer.
#include "net_fixture.h"
#include "vehicle/services.h"

namespace {

class PlayerSanctionsTest : public NetTest {
protected:
    void SetUp() override
    {
        NetTest::SetUp();
        ResetVehicleTables();
        InstallNetVehicleHooks();
        StartHostWithTwoGuests();
        StartRace({0, 1, 2});  // player 1 the host's, 2 Guest1's, 3 Guest2's
    }
    void TearDown() override
    {
        ResetVehicleTables();
        NetTest::TearDown();
    }
};

} // namespace

TEST_F(PlayerSanctionsTest, KickOrBanReachesOnlyTheDriversOwnGuestConnection)
{
    struct Case {
        const char* name;
        int playerId;
        int action;
        uint8_t expected[3];  // kick states of connections 0, 1, 2
    } cases[] = {
        {"kick a guest's driver", 2, 1, {KickNone, KickKicked, KickNone}},
        {"ban a guest's driver", 3, 2, {KickNone, KickNone, KickBanned}},
        {"the host's own driver stays", 1, 2, {KickNone, KickNone, KickNone}},
        {"a player who is gone", 9, 1, {KickNone, KickNone, KickNone}},
        {"spectating is no sanction here", 2, 3, {KickNone, KickNone, KickNone}},
        {"a warning is no sanction", 2, 0, {KickNone, KickNone, KickNone}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        for (int i = 0; i < 3; i++)
            MutableConnectionTable.connections[i].kickState = KickNone;
        GetCarNetHooks().sanctionPlayer(c.playerId, c.action);
        for (int i = 0; i < 3; i++)
            EXPECT_EQ(ConnectionTable.connections[i].kickState, c.expected[i]) << "connection " << i;
    }
}

// The ban goes on the list under the guest's user name for 12 hours, and
// into the ban file.
TEST_F(PlayerSanctionsTest, ABanListsTheUserForTwelveHours)
{
    folder.WriteFile("data/misc/.keep", "");
    std::snprintf(MutableConnectionTable.connections[2].userName, ConnectionUserNameSize, "guest2user");
    GetCarNetHooks().sanctionPlayer(2, 1);
    EXPECT_EQ(BanList.count, 0) << "a kick bans no one";
    GetCarNetHooks().sanctionPlayer(3, 2);
    ASSERT_EQ(BanList.count, 1);
    EXPECT_STREQ(BanList.entries[0].userName, "guest2user");
    EXPECT_EQ(BanList.entries[0].hours, 12);
    ResetNetTables();
    EXPECT_EQ(IsBanned("Guest2User"), 1) << "read back from the file";
}

// A connection already on its way out keeps the reason it leaves with, and
// a guest computer never sanctions anyone.
TEST_F(PlayerSanctionsTest, LeavingConnectionsAndGuestsChangeNothing)
{
    MutableConnectionTable.connections[1].kickState = KickSyncLate;
    GetCarNetHooks().sanctionPlayer(2, 2);
    EXPECT_EQ(ConnectionTable.connections[1].kickState, KickSyncLate);

    MutableConnectionTable.connections[2].leaving = 1;
    GetCarNetHooks().sanctionPlayer(3, 1);
    EXPECT_EQ(ConnectionTable.connections[2].kickState, KickNone);

    MutableMultiplayerMode.host = 0;
    MutableConnectionTable.connections[2].leaving = 0;
    GetCarNetHooks().sanctionPlayer(3, 1);
    EXPECT_EQ(ConnectionTable.connections[2].kickState, KickNone);
}

// The warning goes to the link of the driver's computer; one without a
// link is reported under the warning's tag, and nothing is sent.
TEST_F(PlayerSanctionsTest, WarningLooksForTheDriversOwnLink)
{
    const Bytes warning{68, 3, 0, 2};
    ClientLinkTable.linkCount = 1;  // Guest2's link is gone
    GetCarNetHooks().sendToPlayer(3, warning.data(), 4);
    EXPECT_TRUE(Shown("WARN : Could not find client for connection 2"));
    GetCarNetHooks().sendToPlayer(2, warning.data(), 4);
    EXPECT_FALSE(Shown("Could not find client"));
}
