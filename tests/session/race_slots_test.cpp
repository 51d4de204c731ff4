// The race's player slots: joining rules, removal with its moves, the
// look-ups, the hot-lap validity, the race length codes and the checksums.
#include "race_fixture.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sys/wait.h>

namespace {

using RaceSlotsTest = RaceTest;

TEST_F(RaceSlotsTest, NewRaceTakesItsDefaults)
{
    EditSettings([](SettingsRecord& settings) { settings.skillLevel = 9; });
    Race fresh;
    fresh.playerCount = 7;
    InitRace(fresh);
    EXPECT_EQ(fresh.playerCount, 0);
    EXPECT_EQ(fresh.selectionTimer, 4000);
    EXPECT_EQ(fresh.raceLength, 5);
    EXPECT_EQ(fresh.aiSkill, 4);  // held to the five skill levels
    EXPECT_EQ(fresh.wind, 1);
    EXPECT_EQ(GetLapCount(fresh), 5);
}

TEST_F(RaceSlotsTest, JoiningMakesOtherConnectionsRemoteAndSelectsOwnSlots)
{
    HookLog().ownConnection = 1;
    AddPlayer("Host", PlayerLocal, 0);
    AddPlayer("Host AI", PlayerAi, 0);
    race.selectedSlot = 0;
    AddPlayer("Guest", PlayerLocal, 1);
    EXPECT_EQ(race.players[0].descriptor.type, PlayerRemote);
    EXPECT_EQ(race.players[1].descriptor.type, PlayerRemoteAi);
    EXPECT_EQ(race.players[2].descriptor.type, PlayerLocal);
    EXPECT_EQ(race.selectedSlot, 2);
}

TEST_F(RaceSlotsTest, OnlineAFourthSlotOfOneConnectionIsRefused)
{
    HookLog().online = 1;
    HookLog().ownConnection = 2;
    for (int connection : {1, 2}) {
        for (int i = 0; i < MaxPlayersPerConnection; ++i)
            AddPlayer(("P" + std::to_string(connection) + std::to_string(i)).c_str(), PlayerAi, connection);
        PlayerDescriptor fourth;
        fourth.connection = static_cast<uint8_t>(connection);
        EXPECT_EQ(CheckCarsPerConnection(race, fourth), nullptr);
    }
    // Only the computer whose own drivers were refused is told.
    ASSERT_EQ(HookLog().errors.size(), 1u);
    EXPECT_EQ(HookLog().errors[0], "Maximum 3 local drivers");
    EXPECT_EQ(race.playerCount, 6);

    HookLog().online = 0;  // offline one computer may fill the race
    PlayerDescriptor more;
    more.connection = 1;
    EXPECT_NE(CheckCarsPerConnection(race, more), nullptr);
}

TEST_F(RaceSlotsTest, NoSlotPastTheThirtySecond)
{
    for (int i = 0; i < MaxRacePlayers; ++i)
        AddPlayer("AI", PlayerAi);
    PlayerDescriptor extra;
    EXPECT_EQ(CheckCarsPerConnection(race, extra), nullptr);
    EXPECT_EQ(race.playerCount, MaxRacePlayers);
    race.playerCount = 200;  // a count that went wrong never reaches past the slots
    EXPECT_EQ(GetRaceSlotCar(race, 40), nullptr);
    EXPECT_EQ(FindPlayerIndexById(race, 99), -1);
    RemovePlayer(race, 40);
    race.playerCount = MaxRacePlayers;
}

TEST_F(RaceSlotsTest, DescriptorTextsEndInsideTheirFields)
{
    PlayerDescriptor d;
    std::memset(d.name, 'n', sizeof d.name);
    std::memset(d.helmetSkin, 'h', sizeof d.helmetSkin);
    RacePlayer* slot = CheckCarsPerConnection(race, d);
    ASSERT_NE(slot, nullptr);
    EXPECT_EQ(std::strlen(slot->descriptor.name), 23u);
    EXPECT_EQ(std::strlen(slot->descriptor.helmetSkin), 15u);
}

TEST_F(RaceSlotsTest, RemovingTheFirstOfThreeMovesTheOthersDown)
{
    HookLog().host = 1;
    AddPlayer("A", PlayerLocal, 0, 11);
    AddPlayer("B", PlayerAi, 0, 12);
    AddPlayer("C", PlayerAi, 0, 13);
    for (int i = 0; i < 3; ++i)
        GiveCar(i);
    RelinkPlayerCars(race);
    CarObject* carB = race.players[1].car;
    CarObject* carC = race.players[2].car;
    race.runningOrder[0] = 2;
    race.runningOrder[1] = 0;
    race.runningOrder[2] = 1;
    race.orderLength = 3;
    race.selectedSlot = 2;

    RemovePlayer(race, 0);

    ASSERT_EQ(race.playerCount, 2);
    EXPECT_STREQ(race.players[0].descriptor.name, "B");
    EXPECT_STREQ(race.players[1].descriptor.name, "C");
    EXPECT_EQ(race.players[0].car, carB);
    EXPECT_EQ(race.players[1].car, carC);
    // The moved cars read their set-up and colours from their new slots.
    EXPECT_EQ(carB->data.setup, &race.players[0].carBlock.setup);
    EXPECT_EQ(carB->data.colour, &race.players[0].carBlock.colours);
    EXPECT_EQ(carC->data.setup, &race.players[1].carBlock.setup);
    EXPECT_EQ(race.players[2].car, nullptr);
    EXPECT_EQ(Order(), (std::vector<int>{1, 0}));
    EXPECT_EQ(race.selectedSlot, 1);
    EXPECT_EQ(race.selectionTimer, 4000);  // the selected slot is not local
    EXPECT_EQ(HookLog().leftIds, std::vector<int>{11});
    EXPECT_EQ(HookLog().freedIds, std::vector<int>{11});

    RemovePlayer(race, 2);  // past the slots in use: nothing
    EXPECT_EQ(race.playerCount, 2);
    RemovePlayer(race, 1);
    RemovePlayer(race, 0);
    EXPECT_EQ(race.playerCount, 0);
    EXPECT_EQ(race.selectedSlot, 0);
    EXPECT_EQ(HookLog().entryVotesCleared, 1);
}

TEST_F(RaceSlotsTest, LookUps)
{
    HookLog().driverNames = {"^1Red^8 Host", "Guest"};
    AddPlayer("^1Red^8 Host", PlayerLocal, 0, 5);
    AddPlayer("Robot One", PlayerAi, 0, 6);
    AddPlayer("Robot Two", PlayerAi, 0, 7);
    AddPlayer("Guest", PlayerRemote, 1, 8);
    AddPlayer("Guest AI", PlayerRemoteAi, 1, 9);
    CarObject& car = GiveCar(2);

    EXPECT_EQ(FindPlayerIndexById(race, 7), 2);
    EXPECT_EQ(FindPlayerById(race, 42), nullptr);
    EXPECT_EQ(FindPlayerByName(race, "robot TWO"), &race.players[2]);
    EXPECT_EQ(FindPlayerByName(race, "Red Host"), nullptr);  // colour codes count here
    EXPECT_EQ(FindPlayerOfCar(race, &car), &race.players[2]);
    EXPECT_EQ(FindPlayerOfCar(race, nullptr), nullptr);
    EXPECT_EQ(FindPlayerOfConnection(race, 1), &race.players[3]);
    EXPECT_EQ(FindPlayerOfConnection(race, 7), nullptr);
    EXPECT_EQ(FindLocalPlayer(race), &race.players[0]);
    EXPECT_EQ(HasPlayerOfConnection(race), 1);

    struct Case {
        const char* text;
        int all;
        int expected;  // slot, -1 none
    };
    const Case cases[] = {
        {"red host", 0, 0},  // colour codes removed, case ignored
        {"one", 0, 1},
        {"robot", 0, -1},    // two match
        {"guest", 0, -1},    // remote slots only with all
        {"guest ai", 1, 4},
        {"guest", 1, -1},
        {"nobody", 1, -1},
    };
    for (const Case& c : cases) {
        RacePlayer* found = FindPlayerByPartName(race, c.text, c.all);
        EXPECT_EQ(found ? int(found - race.players) : -1, c.expected) << c.text;
    }

    EXPECT_EQ(IsNameUsedElsewhere(race, "^3guest", 0), 1);
    EXPECT_EQ(IsNameUsedElsewhere(race, "guest", 1), 0);
    // Connection 1's own driver may keep its name; another of its slots may not take it.
    EXPECT_EQ(IsNameInUse(race, "Guest", 1), 0);
    EXPECT_EQ(IsNameInUse(race, "guest ai", 1), 1);
    EXPECT_EQ(IsNameInUse(race, "Robot one", 1), 1);

    SelectLastLocalPlayer(race);
    EXPECT_EQ(race.selectedSlot, 0);
    EXPECT_EQ(race.selectionTimer, 0);
}

TEST_F(RaceSlotsTest, LookUpsOnAnEmptyRace)
{
    EXPECT_EQ(FindPlayerById(race, 1), nullptr);
    EXPECT_EQ(FindPlayerIndexById(race, 1), -1);
    EXPECT_EQ(FindLocalPlayerIndex(race), -1);
    EXPECT_EQ(HasLocalPlayer(race), 0);
    SelectLastLocalPlayer(race);
    EXPECT_EQ(race.selectedSlot, -1);
}

TEST_F(RaceSlotsTest, RaceLengthCodes)
{
    const int table[][2] = {{0, 0}, {1, 1}, {100, 100}, {101, 110}, {150, 600}, {190, 1000}, {191, 1}, {238, 1}};
    for (const auto& row : table)
        EXPECT_EQ(LapsFromLengthCode(row[0]), row[1]) << row[0];
    // Without a loaded world the stored code stays.
    race.raceLength = 12;
    SetRaceLengthByte(race, 250);
    EXPECT_EQ(race.raceLength, 12);
}

TEST_F(RaceSlotsTest, HotLapValidity)
{
    race.hotLapOption = 1;
    AddPlayer("Solo");
    ResetRaceProgress(race, 0);
    ASSERT_TRUE(IsHotLapTimed(race));
    EXPECT_EQ(race.lapValidity[1], LapValid);

    AdvanceLapValidity(race);  // the line: the timed lap begins
    SetNextLapValidity(race, 1);
    InvalidateHotLap(race, HotLapReasonWall);
    EXPECT_EQ(race.lapValidity[0], LapInvalid);
    EXPECT_EQ(race.lapValidity[1], LapInvalid);
    InvalidateHotLap(race, HotLapReasonObject);  // nothing left to spoil: no second notice
    EXPECT_EQ(HookLog().notices, std::vector<std::string>{"Hot lap invalid (wall)"});

    AdvanceLapValidity(race);
    SetNextLapValidity(race, 1);
    race.lapValidity[0] = LapValid;
    InvalidateHotLap(race, HotLapReasonWrongWay);  // the current lap only
    EXPECT_EQ(race.lapValidity[0], LapInvalid);
    EXPECT_EQ(race.lapValidity[1], LapValid);
    EXPECT_EQ(HookLog().notices.back(), "Hot lap invalid (wrong way)");

    // Online, or with a second player, there is no hot lap.
    HookLog().online = 1;
    ResetRaceProgress(race, 0);
    EXPECT_FALSE(IsHotLapTimed(race));
    EXPECT_EQ(race.lapValidity[1], LapUntimed);
}

TEST_F(RaceSlotsTest, CarBlocksControlsAndFreeing)
{
    RacePlayer& slot = AddPlayer("A");
    CopyFixedString(slot.carBlock.carName, "Test Car", CarFullNameSize);
    slot.carBlock.setup.rearWing = 9;
    slot.carBlock.skinFlag = 1;
    ClearPlayerCarBlock(slot);
    EXPECT_STREQ(slot.carBlock.carName, "Test Car");
    EXPECT_EQ(slot.carBlock.setup.rearWing, 0);
    EXPECT_EQ(slot.carBlock.skinFlag, 0);

    slot.controls.words[1] = 900;
    slot.pendingFlag = 1;
    ClearPlayerControls(slot);
    EXPECT_EQ(slot.controls.words[0], SteeringCentre);
    EXPECT_EQ(slot.controls.words[14], NoHShifterGear);
    EXPECT_EQ(slot.controls.words[1], 0);
    EXPECT_EQ(slot.pendingFlag, 0);

    GiveCar(0);
    slot.descriptor.flags = PlayerLeftRace | 0x8;
    FreePlayerCars(race);
    EXPECT_EQ(slot.car, nullptr);
    EXPECT_EQ(slot.descriptor.flags, 0x8);
    EXPECT_EQ(race.playerCount, 1);
}

// The race checksum recomputed by an independent implementation: a Python
// bit-by-bit polynomial division over the positions packed with struct.
TEST_F(RaceSlotsTest, RaceChecksumAgreesWithAnIndependentComputation)
{
    race.stepCounter = 0x9E3779B9u;
    const int32_t positions[3][3] = {{65536 * 120, -65536 * 33 + 7, 98304}, {-1, 0x7FFFFFFF, INT32_MIN}, {5, 6, 7}};
    std::string arguments;
    for (int i = 0; i < 4; ++i) {
        AddPlayer("P");
        if (i == 1)
            continue;  // a slot without a car adds nothing
        const int32_t* p = positions[i == 0 ? 0 : i - 1];
        GiveCar(i).position = MakeFixedVector(p[0], p[1], p[2]);
        for (int k = 0; k < 3; ++k)
            arguments += " " + std::to_string(p[k]);
    }
    const std::string command = std::string(QV_PYTHON) + " " + QV_SOURCE_DIR +
                                "/tests/session/race_files_reference.py checksum " +
                                std::to_string(race.stepCounter) + arguments;
    FILE* pipe = popen(command.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    char line[64] = {};
    ASSERT_NE(std::fgets(line, sizeof line, pipe), nullptr);
    EXPECT_EQ(pclose(pipe), 0);
    EXPECT_EQ(ChecksumRacePlayers(race), static_cast<uint32_t>(std::strtoul(line, nullptr, 10)));

    // The step counter seeds it: another step, another checksum.
    const uint32_t now = ChecksumRacePlayers(race);
    ++race.stepCounter;
    EXPECT_NE(ChecksumRacePlayers(race), now);
}

TEST_F(RaceSlotsTest, SlotChecksumFoldsEachPartIntoItsOwnValue)
{
    RacePlayer& slot = AddPlayer("Checked");
    CopyFixedString(slot.carBlock.carName, "Car", CarFullNameSize);
    auto sums = [&] {
        uint32_t who = 1, colours = 2, setup = 3;
        ChecksumPlayerSlot(slot, who, colours, setup);
        return std::array<uint32_t, 3>{who, colours, setup};
    };
    const std::array<uint32_t, 3> base = sums();
    struct Change {
        const char* what;
        void (*apply)(RacePlayer&);
        int part;  // 0 who, 1 colours, 2 set-up, -1 none
    };
    const Change changes[] = {
        {"plate", [](RacePlayer& s) { s.descriptor.plate[7] = 'x'; }, 0},
        {"start position", [](RacePlayer& s) { s.descriptor.startPosition = 4; }, 0},
        {"car name", [](RacePlayer& s) { s.carBlock.carName[30] = 'q'; }, 0},
        {"colour", [](RacePlayer& s) { s.carBlock.colours.colours[7].blue = 1; }, 1},
        {"set-up", [](RacePlayer& s) { s.carBlock.setup.axles[1].pressureRight = 5; }, 2},
        {"helmet skin", [](RacePlayer& s) { s.descriptor.helmetSkin[0] = 'h'; }, -1},
        {"pit strategy", [](RacePlayer& s) { s.descriptor.pitStrategy[0] = 50; }, -1},
    };
    for (const Change& change : changes) {
        const RacePlayer kept = slot;
        change.apply(slot);
        const std::array<uint32_t, 3> now = sums();
        for (int part = 0; part < 3; ++part)
            EXPECT_EQ(now[part] != base[part], part == change.part) << change.what << " part " << part;
        slot = kept;
    }
}

TEST_F(RaceSlotsTest, SkinListHoldsEachSkinOnce)
{
    const struct {
        const char* car;
        const char* skin;
        const char* helmet;
    } players[] = {
        {"VO GT TURBO", "Blue", "HelmA"}, {"VO GT TURBO", "BLUE", "helma"}, {"Unknown Car", "Red", ""},
        {"SN4", "Red", ""},
    };
    for (const auto& p : players) {
        RacePlayer& slot = AddPlayer("P");
        CopyFixedString(slot.carBlock.carName, p.car, CarFullNameSize);
        CopyFixedString(slot.carBlock.colours.name, p.skin, 16);
        slot.carBlock.skinFlag = 1;
        CopyFixedString(slot.descriptor.helmetSkin, p.helmet, HelmetSkinSize);
    }
    SkinListEntry list[SkinListCapacity];
    int count = -1;
    ListPlayerSkins(race, list, count);
    std::vector<std::string> names;
    for (int i = 0; i < count; ++i)
        names.emplace_back(list[i].name);
    const std::string first = std::string(GetCarCode("VO GT TURBO")) + "_Blue";
    const std::string fourth = std::string(GetCarCode("SN4")) + "_Red";
    EXPECT_EQ(names, (std::vector<std::string>{first, "HEL_HelmA", fourth}));
    EXPECT_EQ(list[0].value, 1);
}

} // namespace
