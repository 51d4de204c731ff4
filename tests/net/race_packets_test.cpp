// The game packets of players, cars, race control and pits, written from
// their field layouts by a Python reference of its own, each through the
// dispatch: what it changes in the race, and what it refuses.
#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>
#include <map>
#include <string>

#include "net_fixture.h"

namespace {

// The reference's packets by name.
std::map<std::string, Bytes> ReadReferencePackets()
{
    std::map<std::string, Bytes> packets;
    const std::string command =
        std::string(QV_PYTHON) + " " + QV_SOURCE_DIR + "/tests/net/game_packets_reference.py";
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        return packets;
    char name[64], hex[600];
    while (std::fscanf(pipe, "%63s %599s", name, hex) == 2) {
        Bytes bytes;
        for (size_t i = 0; hex[i] && hex[i + 1]; i += 2) {
            unsigned value = 0;
            std::sscanf(hex + i, "%2x", &value);
            bytes.push_back(static_cast<uint8_t>(value));
        }
        packets[name] = bytes;
    }
    pclose(pipe);
    return packets;
}

struct PacketCase {
    const char* packet;   // the reference's name
    int sender;           // connection index
    int gameKind;         // 1 race setup, 2 racing
    std::function<bool(const Race&)> changed;
};

CarObject& CarOf(const Race& race, int slot) { return *race.players[slot].car; }

const PacketCase Cases[] = {
    {"leave", 1, 2, [](const Race& r) { return (r.players[1].descriptor.flags & PlayerLeftRace) != 0; }},
    {"penalty_drive_through", 1, 2,
     [](const Race& r) {
         return CarOf(r, 1).race.result.penaltyState == PenaltyDriveThroughGiven &&
                CarOf(r, 1).race.result.penaltyReason == 2;
     }},
    {"penalty_unknown_kind", 1, 2, [](const Race& r) { return CarOf(r, 1).race.result.penaltyState == 0; }},
    {"time_penalty_30", 1, 2, [](const Race& r) { return CarOf(r, 1).race.result.timePenalty == 3000; }},
    {"pit_stop", 1, 2, [](const Race& r) { return CarOf(r, 1).race.result.pitStops == 1; }},
    {"pit_plan", 1, 2,
     [](const Race& r) {
         const uint8_t* plan = r.players[1].descriptor.pitStrategy;
         return plan[0] == 100 && plan[1] == 40 && plan[2] == 100 && plan[3] == 1;
     }},
    {"horn_9", 1, 2, [](const Race& r) { return CarOf(r, 1).net.horn == 5; }},
    // A count of 255 reads only the 32 ids the packet holds; the unknown id
    // takes no place.
    {"order_count_255", 0, 2,
     [](const Race& r) {
         return r.players[0].descriptor.playerId == 3 && r.players[1].descriptor.playerId == 2 &&
                r.players[2].descriptor.playerId == 1 && r.playerCount == 3;
     }},
    // Without a world every position is outside it.
    {"reset_far", 0, 2, [](const Race& r) { return CarOf(r, 1).position.x.raw == 0; }},
    {"lap_2_of_2", 1, 2,
     [](const Race& r) {
         return r.resultCount == 1 && r.results[0].playerId == 2 && r.results[0].totalTime == 12000 &&
                CarOf(r, 1).race.result.finished && CarOf(r, 1).race.result.bestLap == 6000;
     }},
    {"helmet_path", 1, 2, [](const Race& r) { return std::strcmp(r.players[1].descriptor.helmetSkin, "DEFAULT") == 0; }},
    {"track_unknown", 0, 1, [](const Race& r) { return r.trackName[0] == 0 && !SessionFlags.trackChanging; }},
    {"track_config_99", 0, 1, [](const Race& r) { return r.configuration == 0 && !SessionFlags.trackChanging; }},
    {"message_all", 0, 2,
     [](const Race& r) {
         for (int i = 0; i < 3; ++i)
             if (std::strlen(CarOf(r, i).net.message) != 63)
                 return false;
         return true;
     }},
    {"balance_nan", 1, 2, [](const Race& r) { return r.players[1].carBlock.setup.brakeBalance == 0; }},
};

class RacePacketsTest : public NetTest {
protected:
    void SetUp() override
    {
        NetTest::SetUp();
        InstallNetSessionHooks();
        StartHostWithTwoGuests();
        Race& race = StartRace({0, 1, 2});  // player ids 1, 2, 3
        for (int i = 0; i < 3; ++i) {
            auto* car = new CarObject;
            ConstructCar(*car);
            car->net.remote = i != 0;
            race.players[i].car = car;
            // The player of a connection is the one named as its driver.
            CopyFixedString(race.players[i].descriptor.name, ConnectionTable.connections[i].name, PlayerNameSize);
        }
        race.raceLength = 2;
        MutableRaceOptions.raceFlags |= RaceFlagCarReset;
        SetRacePhase(1);
    }
    void TearDown() override
    {
        SetGameKind(1);
        NetTest::TearDown();
        SetRaceHooks({});
    }
};

} // namespace

TEST_F(RacePacketsTest, EachPacketChangesTheRaceAsItShouldOrIsRefused)
{
    const std::map<std::string, Bytes> packets = ReadReferencePackets();
    ASSERT_EQ(packets.size(), std::size(Cases));
    for (const PacketCase& c : Cases) {
        SCOPED_TRACE(c.packet);
        TearDown();
        SetUp();
        SetGameKind(c.gameKind);
        const Bytes& packet = packets.at(c.packet);
        HandleGamePacket(c.sender, packet.data(), static_cast<int>(packet.size()));
        EXPECT_TRUE(c.changed(*CurrentRace));
        EXPECT_FALSE(ClientLinkTable.links[0].fatal || ClientLinkTable.links[1].fatal) << "the sender was dropped";
    }
}

// A false start's time penalty counts before the start; any other waits.
TEST_F(RacePacketsTest, OnlyAFalseStartPenaltyCountsBeforeTheStart)
{
    SetGameKind(2);
    CurrentRace->startCountdown = 10;
    const uint8_t falseStart[4] = {GpTimePenalty, 2, 30, 3};
    const uint8_t wrongWay[4] = {GpTimePenalty, 2, 45, 2};
    HandleGamePacket(1, wrongWay, 4);
    HandleGamePacket(1, falseStart, 4);
    EXPECT_EQ(CarOf(*CurrentRace, 1).race.result.timePenalty, 3000);
}
