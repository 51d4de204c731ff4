// The car's race logic on a site the data builder made: a car moved along
// the configuration's path at constant speed is timed lap by lap, false
// starts, wrong-way driving, lost cars and the blue and yellow flags; every
// packet is checked against an independent layout (race_packets_reference.py).
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <sys/wait.h>
#include <vector>

#include "site_fixture.h"

namespace {

using sites::LoadSite;
using sites::SiteFolderTest;

Vec3 operator+(const Vec3& a, const Vec3& b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
Vec3 operator-(const Vec3& a, const Vec3& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
Vec3 operator*(const Vec3& a, float k) { return {a.x * k, a.y * k, a.z * k}; }

// The race the cars' hooks see, and what the cars sent and asked.
struct FakeRace {
    RaceTimingFacts facts;
    std::vector<CarObject*> slots;
    std::vector<uint8_t> order;
    std::vector<std::vector<uint8_t>> packets;
    std::vector<int> invalidated;
    int bestSplitCount = 0, bestLapNumber = 0;
    int32_t bestSplits[4] = {};
    int layoutStart = 0;
    int autoKickOn = 0;
    // Wrong-way packets: where each went ("player" or "guests") and its bytes.
    std::vector<std::pair<std::string, std::vector<uint8_t>>> kicks;
};
FakeRace Fake;

void InstallFakeRace()
{
    Fake = {};
    CarRaceHooks race = GetCarRaceHooks();
    race.raceRunning = [] { return true; };
    race.raceSlotCars = [](CarObject** cars, int capacity) {
        const int n = std::min<int>(capacity, int(Fake.slots.size()));
        for (int i = 0; i < n; i++)
            cars[i] = Fake.slots[size_t(i)];
        return n;
    };
    race.isHotLapTimed = [] { return Fake.facts.hotLapTracked; };
    race.invalidateHotLap = [](int reason) { Fake.invalidated.push_back(reason); };
    race.autoKickOn = [] { return Fake.autoKickOn; };
    SetCarRaceHooks(race);
    CarNetHooks net = GetCarNetHooks();
    net.queueGamePacket = [](const uint8_t* bytes, int length) { Fake.packets.emplace_back(bytes, bytes + length); };
    net.sendToPlayer = [](int, const uint8_t* bytes, int length) {
        Fake.kicks.push_back({"player", std::vector<uint8_t>(bytes, bytes + length)});
    };
    net.sendToAllGuests = [](const uint8_t* bytes, int length) {
        Fake.kicks.push_back({"guests", std::vector<uint8_t>(bytes, bytes + length)});
    };
    SetCarNetHooks(net);
    CarTimingHooks timing = GetCarTimingHooks();
    timing.raceFacts = [](RaceTimingFacts& facts) {
        facts = Fake.facts;
        facts.bestSplitCount = Fake.bestSplitCount;
        facts.bestLapNumber = Fake.bestLapNumber;
        std::copy(Fake.bestSplits, Fake.bestSplits + 4, facts.bestSplits);
        return true;
    };
    timing.playerIdOfSlot = [](int slot) { return slot + 10; };
    timing.runningOrder = [](uint8_t* slots, int capacity) {
        const int n = std::min<int>(capacity, int(Fake.order.size()));
        std::copy(Fake.order.begin(), Fake.order.begin() + n, slots);
        return n;
    };
    timing.setBestLap = [](int count, int lap, const int32_t splits[4]) {
        Fake.bestSplitCount = count;
        Fake.bestLapNumber = lap;
        std::copy(splits, splits + 4, Fake.bestSplits);
    };
    timing.finishRuleMet = [](int laps, int32_t) { return laps >= Fake.facts.raceLaps ? 1 : 0; };
    timing.hasLayoutStart = [] { return Fake.layoutStart; };
    SetCarTimingHooks(timing);
}

// A car moved by the test, not by its physics: along the path's centre
// line, or set at a place with a velocity.
struct MovedCar {
    CarObject car;
    MovedCar() { ConstructCar(car); }
    ~MovedCar() { DestroyCar(car); }

    void Set(const Vec3& at, const Vec3& velocity)
    {
        car.position = FixedFromOffset(at);
        car.velocity = velocity;
        car.step.speed = std::sqrt(velocity.x * velocity.x + velocity.y * velocity.y + velocity.z * velocity.z);
        if (car.step.speed > 0) {
            // Facing where it goes: the forward axis is the second column.
            car.rotation = {{velocity.y / car.step.speed, velocity.x / car.step.speed, 0, -velocity.x / car.step.speed,
                             velocity.y / car.step.speed, 0, 0, 0, 1}};
        }
    }
};

Vec3 Centre(const Path& path, int node) { return OffsetFromFixed(path.nodes[size_t(node)].centre); }

double Length(const Vec3& v) { return std::sqrt(double(v.x) * v.x + double(v.y) * v.y + double(v.z) * v.z); }

// The centre line of a closed path as straight pieces between node centres.
struct CentreLine {
    const Path& path;
    std::vector<double> starts;  // m along the line where each piece starts
    double length = 0;
    explicit CentreLine(const Path& p) : path(p)
    {
        for (int i = 0; i < path.nodeCount; i++) {
            starts.push_back(length);
            length += Length(Centre(path, (i + 1) % path.nodeCount) - Centre(path, i));
        }
    }
    // The point s metres on from node `from` and the unit direction there.
    void At(int from, double s, Vec3& point, Vec3& direction) const
    {
        double d = std::fmod(starts[size_t(from)] + s, length);
        if (d < 0)
            d += length;
        int i = int(std::upper_bound(starts.begin(), starts.end(), d) - starts.begin()) - 1;
        const Vec3 a = Centre(path, i), b = Centre(path, (i + 1) % path.nodeCount);
        const double piece = Length(b - a);
        direction = (b - a) * float(1 / piece);
        point = a + (b - a) * float((d - starts[size_t(i)]) / piece);
    }
};

// Every packet a test checks, with the values it should carry, for the
// layout check at the end of the test.
std::vector<std::pair<std::vector<uint8_t>, std::vector<long>>> CheckedPackets;
void LogPacket(const std::vector<uint8_t>& bytes, const std::vector<long>& fields)
{
    CheckedPackets.emplace_back(bytes, fields);
}

// race_packets_reference.py packs the values with each packet type's own
// struct layout and compares the bytes.
void CheckPacketLayouts(const std::string& folder)
{
    if (CheckedPackets.empty())
        return;
    const std::string file = folder + "/race_packets.txt";
    {
        std::ofstream out(file);
        for (const auto& [bytes, fields] : CheckedPackets) {
            for (long f : fields)
                out << f << ' ';
            out << ':';
            for (uint8_t b : bytes)
                out << ' ' << int(b);
            out << '\n';
        }
    }
    CheckedPackets.clear();
    const std::string command =
        std::string(QV_SYSTEM_PYTHON) + " " + QV_SOURCE_DIR + "/tests/world/race_packets_reference.py " + file;
    const int status = std::system(command.c_str());
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "race_packets_reference.py rejected a packet";
}

class RaceTimingTest : public SiteFolderTest {
protected:
    void SetUp() override
    {
        SiteFolderTest::SetUp();
        world = LoadSite(0, 1, 0);
        ASSERT_TRUE(world->ready);
        ASSERT_EQ(CurrentWorld, world.get());
        InstallFakeRace();
        CheckedPackets.clear();
    }
    void TearDown() override
    {
        CheckPacketLayouts(folder);
        SiteFolderTest::TearDown();
    }
    // Places the car on the path `s` metres on from a node, its follower
    // found there.
    void PlaceOnLine(MovedCar& moved, const CentreLine& line, int node, double s, double speed)
    {
        Vec3 point, direction;
        line.At(node, s, point, direction);
        moved.Set(point, direction * float(speed));
        ResetPathFollower(*moved.car.follower);
        ASSERT_GE(FindFollowerPosition(*moved.car.follower, moved.car.position, 0), 0);
    }
    // A car in slot 0 before the start: the layout or grid start, the race
    // kind and laps and the start lights as a case gives them.
    void SetStartCase(MovedCar& moved, int layoutStart, int isRace, int raceLaps, int lightState)
    {
        Fake.slots = {&moved.car};
        Fake.packets.clear();
        Fake.layoutStart = layoutStart;
        Fake.facts.isRace = isRace;
        Fake.facts.raceLaps = raceLaps;
        world->startLightState = lightState;
    }
    std::unique_ptr<World> world;
};

std::vector<std::vector<uint8_t>> PacketsOfType(uint8_t type)
{
    std::vector<std::vector<uint8_t>> found;
    for (const auto& p : Fake.packets)
        if (p[0] == type)
            found.push_back(p);
    return found;
}

int32_t Int32At(const std::vector<uint8_t>& p, size_t at)
{
    return int32_t(uint32_t(p[at]) | uint32_t(p[at + 1]) << 8 | uint32_t(p[at + 2]) << 16 | uint32_t(p[at + 3]) << 24);
}

TEST_F(RaceTimingTest, CarAtConstantSpeedIsTimedLapByLapWithSplitsInOrder)
{
    const Path& path = *world->currentPath;
    ASSERT_TRUE(path.flags & PathClosedLoop);
    const int finish = path.timingNodes[0];
    ASSERT_GE(finish, 0);
    const CentreLine line(path);
    const double speed = 31.25;  // m/s
    MovedCar moved;
    CarObject& car = moved.car;
    Fake.slots = {&car};
    Fake.facts.hotLapTracked = 1;
    Fake.facts.lapClean = LapCleanOk;
    // Start 40 m before the line, as from a grid behind it.
    const int start = (finish - 20 + path.nodeCount) % path.nodeCount;
    double s = 0;
    PlaceOnLine(moved, line, start, s, speed);
    const int laps = 3;
    const int steps = int((line.length * laps + 20) / speed * 100);
    for (int step = 0; step < steps; step++) {
        s += speed * 0.01;
        Vec3 point, direction;
        line.At(start, s, point, direction);
        moved.Set(point, direction * float(speed));
        car.race.stepCounter++;
        UpdateCarViewAndRoute(car, 0.01f, 1);
    }
    const double expected = line.length / speed * 100;  // hundredths
    const auto lapPackets = PacketsOfType(LapPacket);
    ASSERT_EQ(int(lapPackets.size()), laps - 1) << "the first crossing starts the timing";
    for (size_t i = 0; i < lapPackets.size(); i++) {
        const int32_t t = Int32At(lapPackets[i], 4);
        EXPECT_NEAR(t, expected, 1.0) << "lap " << i + 1;
        LogPacket(lapPackets[i], {LapPacket, 10, long(i + 1), t, Int32At(lapPackets[i], 8)});
    }
    EXPECT_EQ(car.race.lapCount, laps - 1);
    EXPECT_NEAR(car.race.result.bestLap, expected, 1.0);
    // The race's best lap: its splits are the last lap's, the lap time last.
    EXPECT_EQ(Fake.bestSplitCount, world->timingPointCount);
    EXPECT_NEAR(Fake.bestSplits[Fake.bestSplitCount - 1], expected, 1.0);

    // Splits come in timing point order within each lap, rising, below the lap time.
    const auto splits = PacketsOfType(SplitPacket);
    // Every lap timed and the one begun at the end pass all checkpoints.
    ASSERT_EQ(int(splits.size()), laps * (world->timingPointCount - 1));
    int32_t previous = 0;
    int expectedPoint = 3;
    for (const auto& p : splits) {
        EXPECT_EQ(p[2], expectedPoint);
        const int32_t t = Int32At(p, 4);
        EXPECT_GT(t, expectedPoint == 3 ? 0 : previous);
        EXPECT_LT(t, expected);
        LogPacket(p, {SplitPacket, 10, p[2], 0, t});
        previous = t;
        expectedPoint = expectedPoint == world->timingPointCount + 1 ? 3 : expectedPoint + 1;
    }
    // The splits measure the centre line to the checkpoints' nodes.
    for (int k = 1; k < world->timingPointCount; k++) {
        const int node = path.timingNodes[k];
        const double along = std::fmod(line.starts[size_t(node)] - line.starts[size_t(finish)] + line.length, line.length);
        EXPECT_NEAR(Int32At(splits[size_t(k - 1)], 4), along / speed * 100, 1.0) << "checkpoint " << k;
    }
}

TEST_F(RaceTimingTest, GreenStartsTheLapTimingOfEveryCarInASlot)
{
    MovedCar first, second;
    Fake.slots = {&first.car, nullptr, &second.car};
    Fake.facts.raceClock = 777;
    Fake.facts.startOffsetSeconds = 4;
    WorldRaceSettings race;
    race.startLightSeconds = 4;
    race.raceLength = 5;
    race.online = 1;
    ResetWorldRaceState(*world, &race);
    int steps = 0;
    for (; steps < 1000 && world->startLightState != 4; steps++) {
        EXPECT_EQ(first.car.race.timingState, 1) << "timing before green";
        StepWorld(*world, &race);
    }
    EXPECT_EQ(steps, 401) << "green on the step that begins at 4 s";
    for (MovedCar* m : {&first, &second}) {
        EXPECT_EQ(m->car.race.timingState, 2);
        EXPECT_EQ(m->car.race.stepCounter, 777);
        EXPECT_EQ(m->car.race.lapStart, 400);
        EXPECT_EQ(m->car.lap.timingStart, 400);
        EXPECT_EQ(m->car.lap.startPending, 1);
    }
}

TEST_F(RaceTimingTest, AFirstLapOutsideARaceWithoutHotLapsReadsAnHour)
{
    const Path& path = *world->currentPath;
    const CentreLine line(path);
    MovedCar moved;
    Fake.slots = {&moved.car};
    const int start = (path.timingNodes[0] - 20 + path.nodeCount) % path.nodeCount;
    double s = 0;
    PlaceOnLine(moved, line, start, s, 40);
    for (int step = 0; step < int((line.length + 100) / 40 * 100); step++) {
        s += 0.4;
        Vec3 point, direction;
        line.At(start, s, point, direction);
        moved.Set(point, direction * 40.0f);
        moved.car.race.stepCounter++;
        UpdateCarViewAndRoute(moved.car, 0.01f, 1);
    }
    const auto lapPackets = PacketsOfType(LapPacket);
    ASSERT_EQ(lapPackets.size(), 1u);
    EXPECT_EQ(Int32At(lapPackets[0], 4), UntimedLap);
    EXPECT_EQ(moved.car.race.result.bestLap, 0);
}

TEST_F(RaceTimingTest, MovingBeforeTheStartGivesOneFalseStartPenalty)
{
    struct Case {
        int layoutStart, lightState, raceLaps;
        std::vector<long> packet;  // type, player id, value, reason
    };
    const Case cases[] = {
        {0, 2, 5, {CarPacketPenalty, 10, 1, 3}},    // lights lit, pit lane with a limit: drive-through
        {0, 0, 5, {CarPacketPenalty, 10, 3, 3}},    // before the lights: stop-go
        {0, 2, 3, {CarPacketPenalty, 10, 5, 3}},    // too short a race to serve one: time
        {0, 0, 2, {CarPacketPenalty, 10, 6, 3}},
        {1, 2, 5, {TimePenaltyPacket, 10, 30, 3}},    // a layout start: 30 seconds
        {0, 4, 5, {}},                                // the start was given
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.lightState);
        MovedCar moved;
        CarObject& car = moved.car;
        SetStartCase(moved, c.layoutStart, 1, c.raceLaps, c.lightState);
        car.step.settleCounter = 100;
        car.race.stopped = 1;
        for (int twice = 0; twice < 2; twice++) {
            car.step.speed = 2;
            UpdateStoppedState(car);
            car.step.speed = 0;
            UpdateStoppedState(car);
        }
        if (c.packet.empty()) {
            EXPECT_TRUE(Fake.packets.empty());
            continue;
        }
        ASSERT_EQ(Fake.packets.size(), 1u) << "one penalty, never a second";
        EXPECT_EQ(std::vector<long>(Fake.packets[0].begin(), Fake.packets[0].end()), c.packet);
        LogPacket(Fake.packets[0], c.packet);
    }
}

// The watch over a car's start place, run with the timed race messages:
// each case moves the car from its start place by the distances in turn
// (twice each) and lists every packet it sent.
TEST_F(RaceTimingTest, LeavingTheStartPlaceBeforeTheStartIsPenalisedOnce)
{
    struct Case {
        const char* name;
        int layoutStart, lightState, isRace;
        int32_t timingStart;  // the car's step counter is 500
        std::vector<float> metres;
        std::vector<std::vector<long>> packets;
        int reports;          // the race's penalty report flag was set this often
    };
    const Case cases[] = {
        {"grid, within half a metre", 0, 2, 1, 0, {0.45f}, {}, 0},
        {"grid, lights lit", 0, 2, 1, 0, {0.55f}, {{CarPacketPenalty, 10, 1, 3}}, 1},
        {"grid, before the lights", 0, 0, 1, 0, {0.55f}, {{CarPacketPenalty, 10, 3, 3}}, 1},
        {"grid, far off: to the pits", 0, 2, 1, 0, {6.5f}, {{CarPacketValue, CarValueSubtype, 10, 4}}, 1},
        {"grid, a drive-through then to the pits", 0, 2, 1, 0, {0.55f, 3.0f, 6.5f, 20.0f},
         {{CarPacketPenalty, 10, 1, 3}, {CarPacketValue, CarValueSubtype, 10, 4}}, 2},
        {"grid, the start given", 0, 4, 1, 0, {10.0f}, {}, 0},
        {"grid, practice", 0, 2, 0, 0, {10.0f}, {}, 0},
        {"layout, lights lit", 1, 2, 1, 0, {0.55f, 10.0f}, {{TimePenaltyPacket, 10, 30, 3}}, 0},
        {"layout, before its timing start", 1, 4, 1, 600, {0.55f}, {{TimePenaltyPacket, 10, 30, 3}}, 0},
        {"layout, started", 1, 4, 1, 400, {10.0f}, {}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MovedCar moved;
        CarObject& car = moved.car;
        SetStartCase(moved, c.layoutStart, c.isRace, 5, c.lightState);
        int reports = 0;
        static int* reportCount;
        reportCount = &reports;
        CarTimingHooks timing = GetCarTimingHooks();
        timing.notePenaltyReport = [] { ++*reportCount; };
        SetCarTimingHooks(timing);
        car.race.stepCounter = 500;
        car.lap.timingStart = c.timingStart;
        const Vec3 start = Centre(*world->currentPath, 0);
        moved.Set(start, {0, 0, 0});
        SetCarStartPoint(car);
        for (float metres : c.metres) {
            moved.Set(start + Vec3{metres * 0.6f, metres * 0.8f, 0}, {0, 0, 0});
            RunTimedRaceMessages(car, 0);
            RunTimedRaceMessages(car, 0);
        }
        std::vector<std::vector<long>> sent;
        for (const auto& p : Fake.packets) {
            sent.emplace_back(p.begin(), p.end());
            LogPacket(p, sent.back());
        }
        EXPECT_EQ(sent, c.packets);
        EXPECT_EQ(reports, c.reports);
        // The car keeps the penalty it sent; its penalty state changes only
        // when the packet comes back, as on every other computer.
        if (!sent.empty() && sent[0][0] == CarPacketPenalty) {
            EXPECT_EQ(car.pit.penaltyGiven, sent[0][2]);
        }
        EXPECT_EQ(car.race.result.penaltyState, 0);
    }
}

TEST_F(RaceTimingTest, DrivingBackwardsOverFiveNodesInvalidatesTheHotLapOnce)
{
    const Path& path = *world->currentPath;
    const CentreLine line(path);
    MovedCar moved;
    Fake.slots = {&moved.car};
    Fake.facts.hotLapTracked = 1;
    const int start = 100 % path.nodeCount;
    double s = 0.5;
    PlaceOnLine(moved, line, start, s, 0);
    for (int step = 0; step < 4000; step++) {
        s -= 0.05;
        Vec3 point, direction;
        line.At(start, s, point, direction);
        moved.Set(point, direction * -5.0f);
        UpdateCarViewAndRoute(moved.car, 0.01f, 1);
    }
    EXPECT_EQ(Fake.invalidated, std::vector<int>{HotLapWrongWay});
    EXPECT_GE(moved.car.route.wrongWayTurns, 1);
}

// Where the host sanctions wrong-way driving, every node boundary driven
// backwards counts towards it instead of the hot lap: at full throttle in
// gear (6 a boundary) the warning comes at the third, the second level at
// the eighth and the sanction at the tenth.
TEST_F(RaceTimingTest, DrivingBackwardsWhereTheHostAutoKicksWarnsThenSanctions)
{
    const Path& path = *world->currentPath;
    const CentreLine line(path);
    SettingsRecord settings;
    settings.autoKick = 1;
    SetSettings(settings);
    MovedCar moved;
    CarObject& car = moved.car;
    Fake.slots = {&car};
    Fake.facts.hotLapTracked = 1;
    Fake.autoKickOn = 1;
    car.step.gear = 2;
    car.inputs.words[1] = 65535;
    const int start = 100 % path.nodeCount;
    double s = 0.5;
    PlaceOnLine(moved, line, start, s, 0);
    int boundaries = 0, node = car.follower->position;
    std::vector<int> kickedAt;
    for (int step = 0; step < 4000 && boundaries < 12; step++) {
        s -= 0.05;
        Vec3 point, direction;
        line.At(start, s, point, direction);
        moved.Set(point, direction * -5.0f);
        const size_t kicksBefore = Fake.kicks.size();
        UpdateCarViewAndRoute(car, 0.01f, 1);
        if (car.follower->position != node) {
            node = car.follower->position;
            boundaries++;
        }
        for (size_t i = kicksBefore; i < Fake.kicks.size(); i++)
            kickedAt.push_back(boundaries);
    }
    EXPECT_EQ(kickedAt, (std::vector<int>{3, 8, 10}));
    ASSERT_EQ(Fake.kicks.size(), 3u);
    // [68][player id][action][2]: a warning, then the host's setting (kick).
    EXPECT_EQ(Fake.kicks[0], (std::pair<std::string, std::vector<uint8_t>>{"player", {68, 10, 0, 2}}));
    EXPECT_EQ(Fake.kicks[1], (std::pair<std::string, std::vector<uint8_t>>{"player", {68, 10, 1, 2}}));
    EXPECT_EQ(Fake.kicks[2], (std::pair<std::string, std::vector<uint8_t>>{"guests", {68, 10, 1, 2}}));
    LogPacket(Fake.kicks[1].second, {68, 10, 1, 2});
    EXPECT_EQ(car.pit.kickLevel, 3);
    EXPECT_TRUE(Fake.invalidated.empty()) << "the hot lap is not what counts here";
    SetSettings(SettingsRecord{});
}

TEST_F(RaceTimingTest, ACarFarOutsideTheRoadLimitsIsLost)
{
    const Path& path = *world->currentPath;
    const int node = 50 % path.nodeCount;
    const PathNode& a = path.nodes[size_t(node)];
    const PathNode& b = path.nodes[size_t((node + 1) % path.nodeCount)];
    const Vec3 middle = (OffsetFromFixed(a.centre) + OffsetFromFixed(b.centre)) * 0.5f;
    PathNode between;
    InterpolatePathNode(between, a, b, 0.5f);
    const Vec3 right{between.direction.y, -between.direction.x, 0};
    struct Case {
        int side;         // 1 right, -1 left
        float beyond;     // m beyond the outer limit
        bool lost;
    };
    for (const Case& c : {Case{1, 19, false}, Case{1, 21, true}, Case{-1, 19, false}, Case{-1, 21, true}}) {
        SCOPED_TRACE(c.side * c.beyond);
        MovedCar moved;
        const float limit = c.side > 0 ? between.rightLimit : between.leftLimit;
        moved.Set(middle + right * (limit + float(c.side) * c.beyond), {});
        moved.car.follower->position = node;
        UpdateCarViewAndRoute(moved.car, 0.01f, 1);
        EXPECT_EQ(moved.car.step.lost != 0, c.lost);
    }
}

TEST_F(RaceTimingTest, BlueFlagIsRaisedOnceForALappingCarAndClearedWhenItHasGone)
{
    const Path& path = *world->currentPath;
    const CentreLine line(path);
    MovedCar slow, fast;
    Fake.slots = {&slow.car, &fast.car};
    Fake.order = {1, 0};
    Fake.facts.isRace = 1;
    const int node = 200 % path.nodeCount;
    PlaceOnLine(slow, line, node, 1, 20);
    PlaceOnLine(fast, line, (node - 3 + path.nodeCount) % path.nodeCount, 1, 40);
    for (MovedCar* m : {&slow, &fast}) {
        m->car.race.timingState = 2;
        UpdateCarViewAndRoute(m->car, 0.01f, 1);
    }
    slow.car.race.lapCount = 3;
    fast.car.race.lapCount = 4;
    for (int period = 0; period < 12; period++) {
        slow.car.race.stepCounter = period * 32;
        CheckTrackPosition(slow.car, 0);
    }
    ASSERT_EQ(Fake.packets.size(), 1u) << "sent once, not every 32 steps";
    const std::vector<long> raised{FlagPacket, 10, FlagRaised | BlueFlag, 11};
    EXPECT_EQ(std::vector<long>(Fake.packets[0].begin(), Fake.packets[0].end()), raised);
    LogPacket(Fake.packets[0], raised);
    // The lapping car has gone by: the flag clears once.
    fast.car.race.lapCount = 3;
    for (int period = 12; period < 24; period++) {
        slow.car.race.stepCounter = period * 32;
        CheckTrackPosition(slow.car, 0);
    }
    ASSERT_EQ(Fake.packets.size(), 2u);
    const std::vector<long> cleared{FlagPacket, 10, BlueFlag, 0};
    EXPECT_EQ(std::vector<long>(Fake.packets[1].begin(), Fake.packets[1].end()), cleared);
    LogPacket(Fake.packets[1], cleared);
}

TEST_F(RaceTimingTest, YellowFlagForACarAcrossTheRoadAfterTheFirstTwelveSeconds)
{
    const Path& path = *world->currentPath;
    const CentreLine line(path);
    MovedCar car;
    Fake.slots = {&car.car};
    const int node = 300 % path.nodeCount;
    PlaceOnLine(car, line, node, 1, 10);
    UpdateCarViewAndRoute(car.car, 0.01f, 1);
    // Turned across the path, nearly stopped.
    const Vec3 d = car.car.route.pathDirection;
    car.Set(OffsetFromFixed(car.car.position), Vec3{d.y, -d.x, 0} * 0.1f);
    for (int early : {1, 0}) {
        Fake.facts.raceClock = early ? 1000 : 2000;
        for (int period = 0; period < 6; period++) {
            car.car.race.stepCounter = period * 32 + 16;
            CheckTrackPosition(car.car, 0);
        }
        EXPECT_EQ(Fake.packets.size(), early ? 0u : 1u);
    }
    const std::vector<long> raised{FlagPacket, 10, FlagRaised | YellowFlag, 0};
    EXPECT_EQ(std::vector<long>(Fake.packets[0].begin(), Fake.packets[0].end()), raised);
    LogPacket(Fake.packets[0], raised);
    PlaceOnLine(car, line, node, 1, 10);
    for (int period = 6; period < 12; period++) {
        car.car.race.stepCounter = period * 32 + 16;
        CheckTrackPosition(car.car, 0);
    }
    ASSERT_EQ(Fake.packets.size(), 2u);
    const std::vector<long> cleared{FlagPacket, 10, YellowFlag, 0};
    EXPECT_EQ(std::vector<long>(Fake.packets[1].begin(), Fake.packets[1].end()), cleared);
    LogPacket(Fake.packets[1], cleared);
}

} // namespace

// A car driven round the path 2 m right of its centre after full steps
// pulls every node's rubber band towards its track: the centre line right,
// the left edge in slowly and the right edge out quickly. Steps between
// full ones lay nothing, and the race's restart (which loads the rubber
// line again, none having been saved) clears it.
TEST_F(RaceTimingTest, DrivingOverTheNodesLaysRubberWhereTheCarRuns)
{
    Path& path = *world->currentPath;
    ASSERT_EQ(GetKnowledgePath(), &path);
    EditSettings([](SettingsRecord& s) { s.rubberLay = 0.6f; });
    const CentreLine line(path);
    const double speed = 25;
    MovedCar moved;
    CarObject& car = moved.car;
    car.tuning.largerHalfWidth = 1;
    const auto driveLap = [&](int fullStep) {
        double s = 0;
        PlaceOnLine(moved, line, 0, s, speed);
        const int steps = int(line.length / speed * 100);
        for (int step = 0; step < steps; step++) {
            s += speed * 0.01;
            Vec3 point, direction;
            line.At(0, s, point, direction);
            moved.Set(point + Vec3{direction.y, -direction.x, 0} * 2.0f, direction * float(speed));
            UpdateCarViewAndRoute(car, 0.01f, fullStep);
        }
    };
    driveLap(0);
    for (const PathNode& node : path.nodes)
        ASSERT_EQ(node.rubber[1].offset, 0.0f) << "a sub-step laid rubber";

    driveLap(1);
    int laid = 0;
    for (const PathNode& node : path.nodes) {
        const RubberPoint* r = node.rubber;
        if (r[1].offset == 0.0f)
            continue;
        laid++;
        EXPECT_GT(r[1].offset, 0.0f);
        EXPECT_LT(r[1].offset, 2.0f);
        EXPECT_GT(r[0].offset, -1.0f);
        EXPECT_GT(r[2].offset, 1.0f);
        // Over the same steps the right edge widened further than the left
        // narrowed, both 2 m from their targets at first.
        EXPECT_GT(r[2].offset - 1.0f, r[0].offset + 1.0f);
    }
    EXPECT_GT(laid, path.nodeCount * 9 / 10);

    LoadPathKnowledge();
    for (const PathNode& node : path.nodes)
        for (int k = 0; k < RubberPointCount; k++)
            ASSERT_EQ(node.rubber[k].offset, float(k - 1));
}
