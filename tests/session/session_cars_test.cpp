// The session's cars on a site the data builder writes: the start
// countdown, grid places on the site's lap, a drive start, players joining
// under the add rules and through their join record, the race-control
// packet and the checks made before a start.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>

#include "race_fixture.h"
#include "session/local.h"
#include "site_fixture.h"
#include "vehicle/services.h"
#include "world/services.h"

namespace {

// Hollowmere: a lap with a finish line, start places and pit boxes.
constexpr int LapSite = 0;
constexpr const char* TestCar = "WQ SPORT";

double Metres(Fixed value) { return value.raw / 65536.0; }

// What the fake network heard of votes and refusals.
struct VoteLog {
    int votes[8] = {};
    int clearAll = 0;
    std::vector<std::string> refusals;  // the refusal's text, to its connection only
};
VoteLog Votes;

void InstallVoteHooks()
{
    RaceHooks hooks = GetRaceHooks();
    hooks.connectionVote = [](int c) { return Votes.votes[c & 7]; };
    hooks.setConnectionVote = [](int c, int vote) { Votes.votes[c & 7] = vote; };
    hooks.clearAllPlayers = [] { ++Votes.clearAll; };
    hooks.sendToConnection = [](int, const uint8_t* bytes, int length) {
        ASSERT_EQ(length, 68);
        Votes.refusals.emplace_back(reinterpret_cast<const char*>(bytes + 4));
    };
    SetRaceHooks(hooks);
}

class SessionCarsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetCoreTables();
        ResetVehicleTables();
        ResetWorldTables();
        ResetSessionTables();
        HookLog() = {};
        Votes = {};
        InstallRecordingRaceHooks();
        InstallVoteHooks();
        InstallWorldVehicleHooks();
        InstallSessionVehicleHooks();
        EditProgramMode([](ProgramModeRecord& mode) { mode.graphicsOn = 0; });
        EditSettings([](SettingsRecord& s) { CopyFixedString(s.selectedCar, TestCar, sizeof s.selectedCar); });
        ASSERT_TRUE(EnterGameFolder(previous));
        ASSERT_TRUE(LoadWholeSite(world, LapSite));
        CreateCurrentRace();
        BeginSessionCars();
        SetCurrentObjectSet(&set);
    }
    void TearDown() override
    {
        ClearCurrentObjectSet();
        ResetSessionTables();
        world.reset();
        std::filesystem::current_path(previous);
        ResetWorldTables();
        ResetVehicleTables();
    }
    Race& race() { return *MutableSession.race; }
    // Appends a slot with a car block of the test car.
    RacePlayer& AddSlot(const char* name, int type, int connection, int playerId)
    {
        PlayerDescriptor d;
        CopyFixedString(d.name, name, PlayerNameSize);
        d.type = static_cast<uint8_t>(type);
        d.connection = static_cast<uint8_t>(connection);
        d.playerId = static_cast<uint8_t>(playerId);
        d.pitStrategy[0] = 50;
        RacePlayer* slot = CheckCarsPerConnection(race(), d);
        EXPECT_NE(slot, nullptr);
        SetPlayerCarFromName(slot->carBlock, TestCar);
        return *slot;
    }
    std::filesystem::path previous;
    std::unique_ptr<World> world;
    ObjectSet set;
};

// Seconds from the start of the drive to the start of timing.
TEST(StartCountdownTest, FollowsTheKindOfDriveAndThePlayerCount)
{
    struct Case {
        int layoutRoute, shortDrive, players, online, seconds;
    } cases[] = {
        {0, 0, 6, 0, 11}, {0, 0, 6, 1, 15}, {0, 0, 7, 0, 11}, {0, 0, 7, 1, 15},
        {0, 0, 1, 0, 8},  {0, 0, 32, 1, 28}, {0, 1, 20, 1, 3}, {1, 0, 20, 1, 6}, {1, 1, 5, 0, 6},
    };
    for (const Case& c : cases)
        EXPECT_EQ(GetStartCountdown(c.layoutRoute, c.shortDrive, c.players, c.online), c.seconds)
            << c.layoutRoute << c.shortDrive << " players " << c.players << " online " << c.online;
}

// Grid place k stands 10 k nodes behind the start node (wrapping past node
// 0), moved across the road by a quarter of (left + right edge), facing
// along the node: checked by the geometry of the place, not by the formula.
TEST_F(SessionCarsTest, GridPlacesLieTenNodesApartBehindTheStartNode)
{
    const Path* path = GetCurrentPath();
    ASSERT_NE(path, nullptr);
    const int start = GetPathFinishNode(*path);
    ASSERT_GE(start, 0);
    const int count = path->nodeCount;
    const int wrapping = start / 10 + 1;  // the first place behind node 0
    for (int k : {0, 1, 3, wrapping, wrapping + 2}) {
        SCOPED_TRACE("grid place " + std::to_string(k));
        FixedVector place;
        float heading = 0;
        ASSERT_EQ(GetPathGridPosition(place, heading, k), 1);
        const int expected = ((start - 10 * k) % count + count) % count;
        const PathNode& node = path->nodes[size_t(expected)];
        const double dx = Metres(place.x - node.centre.x), dy = Metres(place.y - node.centre.y);
        const double along = dx * node.direction.x + dy * node.direction.y;
        const double across = dx * node.direction.y - dy * node.direction.x;
        EXPECT_NEAR(along, 0, 0.001);
        EXPECT_NEAR(across, (double(node.leftEdge) + node.rightEdge) / 4, 0.001);
        const double length = std::hypot(node.direction.x, node.direction.y);
        EXPECT_NEAR(-std::sin(heading), node.direction.x / length, 1e-5);
        EXPECT_NEAR(std::cos(heading), node.direction.y / length, 1e-5);
    }
}

// Offline race of three: AI cars in the first slots, the local driver last.
// Every car stands on the start place of its slot, the countdown is half the
// players + 8 s, and the local car is driven and viewed.
TEST_F(SessionCarsTest, DriveStartPlacesEveryCarAndViewsTheLocalCar)
{
    SetRacePhase(1);
    race().raceLength = 5;
    AddSlot("AI 1", PlayerAi, 0, 1);
    AddSlot("AI 2", PlayerAi, 0, 2);
    RacePlayer& local = AddSlot("Driver", PlayerLocal, 0, 3);
    for (int i = 0; i < 3; ++i)
        ASSERT_EQ(LoadPlayerCar(race().players[i]), 1) << i;

    StartDrive(nullptr, 0, 0, 0);

    EXPECT_EQ(GameKind, 2);
    EXPECT_EQ(race().startCountdown, 3 / 2 + 8);
    EXPECT_EQ(set.count, 3);
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE("slot " + std::to_string(i));
        const RacePlayer& slot = race().players[i];
        EXPECT_EQ(slot.descriptor.startPosition, i);
        FixedVector place;
        float heading = 0;
        GetStartPosition(*world, place, heading, i);
        EXPECT_EQ(race().startTable[i], place);
        EXPECT_NEAR(Metres(slot.car->position.x), Metres(place.x), 0.01);
        EXPECT_NEAR(Metres(slot.car->position.y), Metres(place.y), 0.01);
        const double ground = Metres(GetGroundHeight(place.x, place.y, Fixed(0), 1));
        EXPECT_GT(Metres(slot.car->position.z), ground) << "stands on the ground, not at height 0";
        EXPECT_LT(Metres(slot.car->position.z), ground + 1.5);
    }
    EXPECT_EQ(SessionCars.playerCar, local.car);
    EXPECT_EQ(SessionCars.viewedCar, local.car);
    EXPECT_EQ(SessionCars.viewMode, SessionViewDriver);
}

// Without a local driver the first AI car is viewed and none is driven; a
// practice session puts the cars in the pit lane.
TEST_F(SessionCarsTest, PracticeWithOnlyAiCarsViewsTheFirstFromThePitLane)
{
    SetRacePhase(0);
    race().raceLength = 0;
    AddSlot("AI 1", PlayerAi, 0, 1);
    AddSlot("AI 2", PlayerAi, 0, 2);
    for (int i = 0; i < 2; ++i)
        ASSERT_EQ(LoadPlayerCar(race().players[i]), 1);

    StartDrive(nullptr, 0, 0, 0);

    EXPECT_EQ(race().startCountdown, 3);
    EXPECT_EQ(SessionCars.playerCar, nullptr);
    EXPECT_EQ(SessionCars.viewedCar, race().players[0].car);
    EXPECT_EQ(SessionCars.viewMode, SessionViewCam);
    FixedVector pit;
    float heading = 0;
    GetPitPosition(*world, pit, heading, 1, nullptr, 1);
    EXPECT_NEAR(Metres(race().players[1].car->position.x), Metres(pit.x), 0.01);
    EXPECT_NEAR(Metres(race().players[1].car->position.y), Metres(pit.y), 0.01);
}

// A joining car takes the lowest start position index no other slot uses.
TEST_F(SessionCarsTest, AJoiningCarTakesTheLowestFreeStartPosition)
{
    SetRacePhase(1);
    const int taken[] = {0, 2, 3};
    for (int i = 0; i < 3; ++i)
        AddSlot(("AI " + std::to_string(i + 1)).c_str(), PlayerAi, 0, i + 1).descriptor.startPosition =
            static_cast<uint8_t>(taken[i]);
    RacePlayer& joining = AddSlot("AI 4", PlayerAi, 0, 4);
    joining.descriptor.startPosition = 9;

    EXPECT_EQ(AddCarToSession(joining), 1) << "a race on a loaded world starts a joining car in the pit lane";
    EXPECT_EQ(joining.descriptor.startPosition, 1);
    EXPECT_EQ(joining.descriptor.pitStart, 1);
    ASSERT_NE(joining.car, nullptr);
    EXPECT_EQ(set.count, 1);
    EXPECT_EQ(SessionCars.viewedCar, joining.car) << "no local player: the new car is viewed";
}

// A join record goes out for an AI driver this computer adds; applied, it
// gives the slot its car; the race-control packet then takes it out again.
TEST_F(SessionCarsTest, JoinAndLeaveThroughTheJoinRecord)
{
    SetRacePhase(1);
    PlayerDescriptor d;
    CopyFixedString(d.name, "AI 1", PlayerNameSize);
    d.type = PlayerAi;
    d.playerId = 7;
    AddPlayerFromRecord(race(), d);
    ASSERT_EQ(race().playerCount, 1);
    ASSERT_EQ(HookLog().packets.size(), 1u);
    const std::vector<uint8_t>& sent = HookLog().packets[0];
    ASSERT_EQ(sent.size(), size_t(JoinRecordSize));
    EXPECT_EQ(sent[0], JoinRecordType);
    EXPECT_EQ(sent[1], 7);
    RacePlayer& slot = race().players[0];
    EXPECT_EQ(slot.joinSent, 1);

    JoinRecord record;
    std::memcpy(record.bytes, sent.data(), JoinRecordSize);
    SetPlayerFromJoinRecord(slot, record);
    EXPECT_STREQ(slot.carBlock.carName, TestCar);
    EXPECT_EQ(AddCarToSession(slot), 1);
    ASSERT_NE(slot.car, nullptr);
    EXPECT_EQ(set.count, 1);

    const uint8_t leave[4] = {RaceControlPacketType, RaceControlLeaveRace, 7, 1};
    HandleRaceControlPacket(nullptr, 0, leave);
    EXPECT_EQ(race().playerCount, 0);
    EXPECT_EQ(set.count, 0);
    EXPECT_EQ(SessionCars.viewedCar, nullptr);
    ASSERT_EQ(HookLog().notices.size(), 1u);
    EXPECT_EQ(HookLog().notices[0], "AI 1^8 did not finish");
}

// Sub-types that name a player who is not in the race change nothing and
// say nothing.
TEST_F(SessionCarsTest, RaceControlForAnUnknownPlayerIsIgnored)
{
    SetRacePhase(1);
    RacePlayer& slot = AddSlot("AI 1", PlayerAi, 0, 5);
    ASSERT_EQ(AddCarToSession(slot), 1);
    const FixedVector where = slot.car->position;
    for (uint8_t subType : {RaceControlSpectate, RaceControlLeaveRace, RaceControlPitReturn}) {
        const uint8_t packet[4] = {RaceControlPacketType, subType, 99, 1};
        HandleRaceControlPacket(nullptr, 0, packet);
        EXPECT_EQ(race().playerCount, 1) << int(subType);
    }
    EXPECT_NE(slot.car, nullptr);
    EXPECT_EQ(slot.car->position, where);
    EXPECT_TRUE(HookLog().notices.empty());
    EXPECT_TRUE(HookLog().sounds.empty());
}

// Why a player left, by reason byte.
TEST_F(SessionCarsTest, ALeavingPlayerIsAnnouncedByReason)
{
    struct Case {
        uint8_t reason;
        const char* notice;  // null: none
    } cases[] = {
        {0, nullptr},
        {1, "Ann^8 did not finish"},
        {2, "Ann^8 took the wrong route"},
        {3, "Ann^8 drove into a restricted area"},
        {4, "Ann^8 - FALSE START - SPECTATE"},
    };
    for (const Case& c : cases) {
        HookLog().notices.clear();
        AddSlot("Ann", PlayerAi, 0, 3);
        const uint8_t packet[4] = {RaceControlPacketType, RaceControlLeaveRace, 3, c.reason};
        HandleRaceControlPacket(nullptr, 0, packet);
        EXPECT_EQ(race().playerCount, 0);
        if (c.notice) {
            ASSERT_EQ(HookLog().notices.size(), 1u) << int(c.reason);
            EXPECT_EQ(HookLog().notices[0], c.notice);
        } else {
            EXPECT_TRUE(HookLog().notices.empty()) << int(c.reason);
        }
    }
}

// Who may join: a live host tells refused players to leave; a full
// connection is refused by the slot table itself.
TEST_F(SessionCarsTest, AddRulesDecideWhoJoins)
{
    struct Case {
        const char* what;
        int online, host, carsPerGuest;
        int existingOfGuest;          // AI slots of connection 1 already in the race
        const char* name;             // the new AI driver's name
        int added, toldToLeave;
    } cases[] = {
        {"offline AI", 0, 0, 3, 0, "AI 9", 1, 0},
        {"a guest's third car", 1, 1, 3, 2, "AI 9", 1, 0},
        {"a guest's fourth car", 1, 1, 9, 3, "AI 9", 0, 0},
        {"beyond the host's cars per guest", 1, 1, 1, 1, "AI 9", 1, 1},
        {"an AI name already racing", 1, 1, 3, 1, "ai 1", 1, 1},
        {"a guest adds on another host", 1, 0, 1, 1, "AI 9", 1, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        RemoveAllPlayers(race());
        race().playerCount = 0;
        HookLog().packets.clear();
        HookLog().online = c.online;
        HookLog().host = c.host;
        HookLog().ownConnection = c.host || !c.online ? 0 : 2;
        EditSettings([&](SettingsRecord& s) { s.carsPerGuest = c.carsPerGuest; });
        for (int i = 0; i < c.existingOfGuest; ++i)
            AddSlot(("AI " + std::to_string(i + 1)).c_str(), PlayerAi, 1, 10 + i);
        PlayerDescriptor d;
        CopyFixedString(d.name, c.name, PlayerNameSize);
        d.type = PlayerAi;
        d.connection = 1;
        d.playerId = 40;
        AddPlayerFromRecord(race(), d);
        EXPECT_EQ(race().playerCount, c.existingOfGuest + c.added);
        const bool told = !HookLog().packets.empty() && HookLog().packets[0][0] == RaceControlPacketType;
        EXPECT_EQ(told, c.toldToLeave != 0);
        if (told) {
            EXPECT_EQ(HookLog().packets[0], (std::vector<uint8_t>{17, 9, 40, 0}));
        }
    }
}

// A host refuses a guest's restart vote too soon after the start or after
// the first finisher.
TEST_F(SessionCarsTest, RestartVotesTooEarlyAreRefused)
{
    struct Case {
        const char* what;
        int finisherSeconds;  // race time of the first finisher; -1 none
        int raceSeconds;      // race time now
        const char* refusal;  // null: the vote stands
    } cases[] = {
        {"59 s into the race", -1, 59, "Too early to restart race"},
        {"60 s into the race", -1, 60, nullptr},
        {"20 s after the first finisher", 100, 120, "Too early to restart race"},
        {"30 s after the first finisher", 100, 130, nullptr},
    };
    SetRacePhase(1);
    HookLog().online = HookLog().host = 1;
    HookLog().connections = 2;
    HookLog().driverNames = {"Host", "Guest"};
    ASSERT_EQ(AddCarToSession(AddSlot("Host", PlayerLocal, 0, 1)), 1);
    ASSERT_EQ(AddCarToSession(AddSlot("Guest", PlayerRemote, 1, 2)), 1);
    race().startCountdown = 10;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Votes.votes[1] = 0;
        Votes.refusals.clear();
        HookLog().packets.clear();
        race().resultCount = c.finisherSeconds < 0 ? 0 : 1;
        race().results[0].totalTime = uint32_t(std::max(c.finisherSeconds, 0) * 100);
        race().stepCounter = uint32_t((c.raceSeconds + race().startCountdown) * 100);
        const uint8_t vote[4] = {RaceControlPacketType, RaceControlVoteRestart, 0, 0};
        HandleRaceControlPacket(nullptr, 1, vote);
        EXPECT_EQ(Votes.votes[1], ConnectionVoteRestart);
        if (c.refusal) {
            ASSERT_EQ(Votes.refusals.size(), 1u);
            EXPECT_EQ(Votes.refusals[0], c.refusal);
            EXPECT_EQ(HookLog().packets.back(), (std::vector<uint8_t>{17, 8, 0, 0}));
        } else {
            EXPECT_TRUE(Votes.refusals.empty());
        }
    }
    // A second identical vote withdraws it without a notice.
    HookLog().notices.clear();
    const uint8_t again[4] = {RaceControlPacketType, RaceControlVoteEnd, 0, 0};
    HandleRaceControlPacket(nullptr, 1, again);
    EXPECT_EQ(Votes.votes[1], ConnectionVoteEnd);
    HandleRaceControlPacket(nullptr, 1, again);
    EXPECT_EQ(Votes.votes[1], ConnectionVoteNone);
    EXPECT_EQ(HookLog().notices.size(), 1u);
}

// Before a start: loose-surface tyres on both axles of a local car on a road track are warned
// about; an AI driver is asked to choose its own set-up.
TEST_F(SessionCarsTest, PreStartCheckWarnsAndClears)
{
    ASSERT_FALSE(IsMostlyOffRoad(*world)) << "the lap site is a road track";
    RacePlayer& local = AddSlot("Driver", PlayerLocal, 0, 1);
    AddSlot("AI 1", PlayerAi, 0, 2);
    local.carBlock.setup.axles[0].tyreType = 6;
    local.carBlock.setup.axles[1].tyreType = 7;

    EXPECT_EQ(CheckPlayersBeforeStart(race()), 1);
    ASSERT_EQ(HookLog().notices.size(), 1u);
    EXPECT_EQ(HookLog().notices[0], "^6Warning : Rallycross tyres on road track");
    ASSERT_EQ(HookLog().packets.size(), 1u);
    EXPECT_EQ(HookLog().packets[0], (std::vector<uint8_t>{86, 2, 0, 0}));
    EXPECT_EQ(Votes.clearAll, 0) << "the site has a start place for every player";
}

} // namespace
