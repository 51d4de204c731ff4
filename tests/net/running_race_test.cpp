// Game packets during a running race: a host with two guests drives a race
// on a site the data builder writes, each player's car loaded and placed by
// the program's own drive start and every frame run through the session.
// Joins, leaves, votes, resets, pit requests and penalties arrive through
// their packets and change the race; what each should change is checked.
#include <cmath>
#include <cstring>
#include <filesystem>
#include <functional>
#include <numbers>
#include <string>

#include "net_fixture.h"
#include "support/built_game.h"
#include "vehicle/services.h"
#include "world/services.h"

namespace {

// Hollowmere, configuration 1: a lap with start places and pit boxes.
constexpr int LapSite = 0, LapConfiguration = 1;
constexpr const char* TestCar = "WQ SPORT";
constexpr int FrameMs = 10;
// Frames for a decided vote to act: its online countdown with several
// connections (300) and the processing delay.
constexpr int DecidedVoteFrames = 330;
// Frames past the set-up's start after which a car that joins stays: 12 s
// of racing after the lights.
constexpr int LateJoinFrames = 1100;

std::string GameFolder()
{
    static BuiltGame game(std::string(QV_BINARY_DIR) + "/tests/net/running_game_");
    return game.path;
}

// The heading (rad) a car faces: its forward axis about the vertical.
double CarHeading(const CarObject& car) { return std::atan2(-car.rotation.m[1], car.rotation.m[4]); }

// The angle between two headings, in 0..pi.
double HeadingApart(double a, double b)
{
    const double d = std::fmod(std::fabs(a - b), 2 * std::numbers::pi);
    return d > std::numbers::pi ? 2 * std::numbers::pi - d : d;
}

// The guests' computers keep up: every frame due on the host has an empty
// bundle from each guest, so the host processes its frames in step.
void DeliverGuestBundles()
{
    for (int c = 1; c < ConnectionTable.count; ++c) {
        for (int guard = 0; guard < 1000 && ConnectionTable.connections[c].ring.framesReceived <= FrameClock.currentFrame;
             ++guard) {
            const uint32_t frame = ConnectionTable.connections[c].ring.framesReceived;
            const uint8_t bundle[5] = {0, uint8_t(frame), uint8_t(frame >> 8), 0, 0};
            OnConnectionFrame(c, sizeof bundle, bundle);
        }
    }
}

void RunFrames(int frames)
{
    for (int i = 0; i < frames && CurrentSession; ++i) {
        GameTimeRecord time = GameTime;
        time.clockMs += FrameMs;
        time.frameStepMs = FrameMs;
        time.realElapsedMs = FrameMs;
        SetGameTime(time);
        UpdateGameFrame();
        NetUpdate(0);
        DeliverGuestBundles();
        UpdateSession(CurrentSession);
    }
}

const RacePlayer* Player(int playerId)
{
    const int at = CurrentRace ? FindPlayerIndexById(*CurrentRace, playerId) : -1;
    return at < 0 ? nullptr : &CurrentRace->players[at];
}

CarObject* CarOfPlayer(int playerId)
{
    const RacePlayer* slot = Player(playerId);
    return slot ? slot->car : nullptr;
}

void Send(int sender, const Bytes& packet) { HandleGamePacket(sender, packet.data(), int(packet.size())); }

Bytes Control(int subType, int byte2 = 0, int byte3 = 0)
{
    return {GpRaceControl, uint8_t(subType), uint8_t(byte2), uint8_t(byte3)};
}

Bytes Join(int connection, int type, int playerId, const char* name)
{
    Bytes packet = MakePacket(GpPlayerJoins, 68);
    PlayerDescriptor d;
    CopyFixedString(d.name, name, PlayerNameSize);
    d.connection = uint8_t(connection);
    d.type = uint8_t(type);
    d.playerId = uint8_t(playerId);
    std::memcpy(packet.data() + 4, &d, sizeof d);
    return packet;
}

// A car information packet for a player: the car block of the named car,
// its set-up enciphered under the player's key.
Bytes CarInfo(int playerId, const char* carName)
{
    RacePlayer sender;
    sender.descriptor = Player(playerId)->descriptor;
    SetPlayerCarFromName(sender.carBlock, TestCar);
    CopyFixedString(sender.carBlock.carName, carName, CarFullNameSize);
    JoinRecord record;
    record.bytes[0] = GpCarInfo;
    FillJoinRecordBlock(sender, record);
    return Bytes(record.bytes, record.bytes + JoinRecordSize);
}

// Whether the player's slot holds the named car's block with the set-up
// an AI driver of it gets (the block arrived deciphered).
bool HasCarOf(int playerId, const char* carName)
{
    const RacePlayer* slot = Player(playerId);
    if (!slot || std::strcmp(slot->carBlock.carName, carName) != 0)
        return false;
    PlayerCarBlock expected;
    SetAiPlayerCar(expected, 0, carName);
    return std::memcmp(&expected.setup, &slot->carBlock.setup, sizeof expected.setup) == 0;
}

// Whether the host dropped the first guest (it is kicked, or already gone
// with its driver).
bool GuestDropped()
{
    const Connection& guest = ConnectionTable.connections[1];
    return guest.kickState != KickNone || guest.leaving || ConnectionTable.count == 2;
}

// Whether the car stands within a few metres of one of the site's pit boxes.
bool InPitBox(const CarObject* car)
{
    if (!car)
        return false;
    FixedVector boxes[64];
    const int count = GetCarPathHooks().pitBoxes(boxes, 64);
    for (int i = 0; i < count; ++i) {
        const double dx = (car->position.x.raw - boxes[i].x.raw) / 65536.0;
        const double dy = (car->position.y.raw - boxes[i].y.raw) / 65536.0;
        if (dx * dx + dy * dy < 8.0 * 8.0)
            return true;
    }
    return false;
}

class RunningRaceTest : public NetTest {
protected:
    void SetUp() override
    {
        NetTest::SetUp();
        ResetVehicleTables();
        ResetWorldTables();
        const std::string game = GameFolder();
        ASSERT_FALSE(game.empty()) << "the data builder failed (see running_game_<pid>.log)";
        if (!std::filesystem::exists(folder.Path() + "/data"))
            std::filesystem::create_directory_symlink(game + "/data", folder.Path() + "/data");
        InstallWorldVehicleHooks();
        InstallSessionVehicleHooks();
        InstallNetVehicleHooks();
        InstallNetSessionHooks();
        EditProgramMode([](ProgramModeRecord& mode) { mode.graphicsOn = 0; });
        EditSettings([](SettingsRecord& s) {
            CopyFixedString(s.selectedCar, TestCar, sizeof s.selectedCar);
            s.carsPerGuest = 1;
        });
        StartHostWithTwoGuests();
        ASSERT_EQ(LoadSiteNow(SiteTable[LapSite].name, LapConfiguration, 0), 1);
        // The host's driver, and one driver of each guest: player ids 1, 2, 3.
        Race& race = StartRace({0, 1, 2});
        for (int i = 0; i < 3; ++i) {
            CopyFixedString(race.players[i].descriptor.name, ConnectionTable.connections[i].name, PlayerNameSize);
            SetPlayerCarFromName(race.players[i].carBlock, TestCar);
        }
        SetRaceLengthByte(race, 3);
        race.startCountdown = 2;
        MutableRaceOptions.raceFlags |= RaceFlagCarReset;
        SetGameKind(2);
        SetRacePhase(1);
        // Each car joins the session (loaded from its car block), then the
        // drive starts with every car on its grid place.
        InRaceSession* session = CreateSession(nullptr, 0, 0);
        ASSERT_NE(session, nullptr);
        for (int i = 0; i < 3; ++i) {
            AddCarToSession(race.players[i]);
            ASSERT_NE(race.players[i].car, nullptr) << "every player's car loads";
        }
        StartDrive(session, 0, 0, 0);
        // Past the start lights, so that the race's rules apply.
        RunFrames(100 * CurrentRace->startCountdown + 200);
        ASSERT_TRUE(HasRaceStarted());
        TakeLog();
    }
    void TearDown() override
    {
        if (CurrentSession) {
            RequestSessionExit();
            UpdateSession(CurrentSession);
        }
        NetTest::TearDown();
        FreeWorld();
        ResetWorldTables();
        ResetVehicleTables();
    }
};

// Packets from their senders, the frames run after them, and what the race
// shows then.
struct RaceCase {
    const char* name;
    std::function<void()> send;
    int frames;
    std::function<bool()> changed;
    const char* shown;  // part of a message the race shows; "" for none
};

const RaceCase Cases[] = {
    // Joins: an AI driver of the host joins the running race and sends its
    // car, whose set-up arrives deciphered and whose car leaves the pits;
    // within the race's first 12 s the host sends such a car out again; a
    // guest's second driver is beyond its one car and told to leave.
    {"host's AI driver joins",
     [] {
         RunFrames(LateJoinFrames);
         Send(0, Join(0, PlayerAi, 4, "Robot 1"));
     },
     20, [] { return CurrentRace->playerCount == 4 && HasCarOf(4, TestCar) && Player(4)->car; },
     "Robot 1 left the pits (WQ SPORT)"},
    {"a join in the race's first seconds is sent out", [] { Send(0, Join(0, PlayerAi, 4, "Robot 1")); }, 20,
     [] { return CurrentRace->playerCount == 3 && !Player(4); }, "Robot 1 left the pits"},
    // Car information from a guest for its driver, who has a car: the car
    // stays, and the host drops a guest whose car is unknown or not allowed.
    {"a second car for a driver", [] { Send(1, CarInfo(2, TestCar)); }, 1,
     [] { return Player(2) && Player(2)->car && ConnectionTable.connections[1].kickState == KickNone; },
     "Guest1 already has a car"},
    {"a car not allowed",
     [] {
         MutableRaceOptions.allowedCars &= ~(1u << FindCarByName(TestCar));
         Send(1, CarInfo(2, TestCar));
     },
     1, [] { return GuestDropped(); }, "Unknown car - guest disconnected"},
    {"an unknown car", [] { Send(1, CarInfo(2, "NO SUCH CAR")); }, 1,
     [] { return GuestDropped(); },
     "Unknown car refused : NO SUCH CAR"},
    {"a guest's second driver is refused", [] { Send(1, Join(1, PlayerAi, 5, "Robot 2")); }, 20,
     [] { return CurrentRace->playerCount == 3 && !Player(5) && Player(2) && Player(2)->car; }, ""},
    // Leaves: to the pits (the player stays without a car), to the
    // spectators, and out of the race with a reason.
    {"leave to the pits", [] { Send(1, MakePacket(GpLeaveRace, 4)); }, 1,
     [] { return Player(2) && !Player(2)->car && (Player(2)->descriptor.flags & PlayerLeftRace); }, "Guest1 pitted"},
    {"spectate", [] { Send(0, Control(7, 3)); }, 1, [] { return !Player(3) && CurrentRace->playerCount == 2; },
     "Guest2 joined the spectators"},
    {"leave on the wrong route", [] { Send(0, Control(9, 2, 2)); }, 1, [] { return !Player(2); },
     "Guest1 took the wrong route"},
    // Votes: two of the three connections with drivers decide, one does
    // not, the host's own vote decides alone, and a second identical vote
    // withdraws the first. A decided vote acts after its countdown of 300
    // frames (online, several connections).
    {"two of three vote to end", [] { Send(1, Control(0)); Send(2, Control(0)); }, DecidedVoteFrames,
     [] { return GameKind == 1; }, "Guest2 voted to end the race"},
    {"one of three votes to end", [] { Send(1, Control(0)); }, DecidedVoteFrames,
     [] { return GameKind == 2 && ConnectionTable.connections[1].gameVote == 1 && SessionVotes.decidedVote == 0; },
     "Guest1 voted to end the race"},
    {"the host's own vote ends the race", [] { Send(0, Control(0)); }, DecidedVoteFrames, [] { return GameKind == 1; },
     ""},
    {"a second vote withdraws the first", [] { Send(1, Control(0)); Send(1, Control(0)); Send(2, Control(0)); },
     DecidedVoteFrames, [] { return GameKind == 2 && ConnectionTable.connections[1].gameVote == 0; }, ""},
    {"two of three vote to qualify", [] { Send(1, Control(2)); Send(2, Control(2)); }, DecidedVoteFrames,
     [] { return GameKind == 2 && RacePhase == 2 && ConnectionTable.connections[1].gameVote == 0; },
     "Guest1 voted to qualify"},
    // A guest's restart vote three seconds into the race comes too early:
    // every vote is cancelled.
    {"an early restart vote", [] { Send(2, Control(0)); Send(1, Control(1)); }, 20,
     [] { return GameKind == 2 && ConnectionTable.connections[1].gameVote == 0; }, "Vote cancelled"},
    // Pit requests: one car, or every car, back to the pit lane.
    {"one car to the pits", [] { Send(0, Control(10, 2, 1)); }, 1,
     [] { return InPitBox(CarOfPlayer(2)) && !InPitBox(CarOfPlayer(3)); }, "Guest1 returned to the pits"},
    {"every car to the pits", [] { Send(0, Control(11, 0, 1)); }, 1,
     [] { return InPitBox(CarOfPlayer(1)) && InPitBox(CarOfPlayer(2)) && InPitBox(CarOfPlayer(3)); },
     "All cars returned to the pit lane"},
    // Penalties and pit stops of a guest's car.
    {"drive-through", [] { Send(1, {GpPenalty, 2, PenaltyDriveThroughGiven, 2}); }, 1,
     [] { return CarOfPlayer(2)->race.result.penaltyState == PenaltyDriveThroughGiven; },
     "Guest1 : DRIVE-THROUGH PENALTY"},
    {"time penalty", [] { Send(1, {GpTimePenalty, 2, 45, 2}); }, 1,
     [] { return CarOfPlayer(2)->race.result.timePenalty == 4500; }, ""},
    {"pit stop made", [] { Send(1, {GpPitStopMade, 2, 0, 0}); }, 1,
     [] { return CarOfPlayer(2)->race.result.pitStops == 1; }, "Guest1 made a pit stop"},
};

TEST_F(RunningRaceTest, EachPacketChangesTheRunningRace)
{
    for (const RaceCase& c : Cases) {
        SCOPED_TRACE(c.name);
        TearDown();
        SetUp();
        c.send();
        RunFrames(c.frames);
        const std::string log = TakeLog();
        EXPECT_TRUE(c.changed()) << log;
        if (c.shown[0]) {
            EXPECT_NE(log.find(c.shown), std::string::npos) << log;
        }
    }
}

// A car reset at a path node faces along the road there, whatever way the
// car faced before: the heading comes from the road halfway to the next
// node, not from the car.
TEST_F(RunningRaceTest, AResetCarFacesAlongTheRoadAtItsNode)
{
    CarObject& car = *CarOfPlayer(2);
    const double before = CarHeading(car);
    // The node whose road points furthest from the car.
    int node = -1;
    double apart = 0, along = 0;
    RoadPlace road, chosen;
    for (int n = 0; n < GetCarPathHooks().pathNodeCount(); ++n) {
        if (!GetCarPathHooks().roadPlace(n, road))
            continue;
        const double heading = std::atan2(-road.direction.x, road.direction.y);
        if (HeadingApart(heading, before) > apart) {
            apart = HeadingApart(heading, before);
            node = n;
            along = heading;
            chosen = road;
        }
    }
    ASSERT_GE(node, 0);
    ASSERT_GT(apart, 1.0);
    Bytes reset = MakePacket(GpCarReset, 24, 2);
    const int32_t x = chosen.centre.x.raw, y = chosen.centre.y.raw, z = chosen.centre.z.raw + FixedFromMetres(0.5).raw;
    const float offset = 0;
    std::memcpy(reset.data() + 4, &node, 4);
    std::memcpy(reset.data() + 8, &offset, 4);
    std::memcpy(reset.data() + 12, &x, 4);
    std::memcpy(reset.data() + 16, &y, 4);
    std::memcpy(reset.data() + 20, &z, 4);
    Send(0, reset);
    EXPECT_EQ(car.position.x.raw, x);
    EXPECT_EQ(car.position.y.raw, y);
    EXPECT_LT(HeadingApart(CarHeading(car), along), 0.01) << "the car faces along the road";
}

} // namespace
