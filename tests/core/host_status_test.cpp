// The host status file that outside tools read.
#include "core/services.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace {

class HostStatusTest : public ::testing::Test {
protected:
    void SetUp() override { ResetCoreTables(); }
    TempFolder folder;
};

TEST_F(HostStatusTest, FileShowsWhatTheHostOrGuestIsDoing)
{
    const char* names[] = {"host", "^1Blue", "guest two"};
    HostStatus status;
    status.gamePort = "63392";
    EXPECT_EQ(WriteHostStatus(status), 1);
    EXPECT_EQ(folder.ReadFile("host63392.txt"), "qvn=0.5Z\nstatus=offline\n");

    status.sessionRunning = true;
    status.inGame = true;
    status.guests = 2;
    status.maxGuests = 8;
    status.hostName = "My Host";
    status.password = "pw";
    status.useMaster = 2;
    status.trackCode = "DK2R";
    status.carsMask = 0x80001;
    status.qualifyMinutes = 10;
    status.raceLengthCode = 105;
    status.laps = 150;
    status.connectionNames = names;
    status.connectionCount = 3;
    EXPECT_EQ(WriteHostStatus(status), 1);
    EXPECT_EQ(folder.ReadFile("host63392.txt"),
              "qvn=0.5Z\nstatus=ingame\nguests=2\nmaxguests=8\nhost=My Host\npass=pw\nusemaster=hidden\n"
              "trackcfg=DK2R\ncars=10000000000000000001\nqual=10\nlaps=150\nconn=host\nconn=^1Blue\n"
              "conn=guest two\n");

    status.raceLengthCode = 192;
    status.laps = 2;
    WriteHostStatus(status);
    EXPECT_NE(folder.ReadFile("host63392.txt").find("\nhours=2\n"), std::string::npos);

    // While a multiplayer replay plays the file is left as it is.
    status.replayPlaying = true;
    EXPECT_EQ(WriteHostStatus(status), 0);
    DeleteHostStatus(status);
    EXPECT_TRUE(std::filesystem::exists(folder.Path() + "/host63392.txt"));
    status.replayPlaying = false;
    DeleteHostStatus(status);
    EXPECT_FALSE(std::filesystem::exists(folder.Path() + "/host63392.txt"));

    HostStatus guest;
    guest.guest = true;
    guest.joinedHost = "Their Host";
    EXPECT_EQ(WriteHostStatus(guest), 1);
    EXPECT_EQ(folder.ReadFile("guest.txt"), "qvn=0.5Z\nstatus=online\njoined=Their Host\n");

    // A port text cannot lead the file out of the folder.
    HostStatus odd;
    odd.gamePort = "../7";
    EXPECT_EQ(HostStatusFileName(odd), "host7.txt");
}

} // namespace
