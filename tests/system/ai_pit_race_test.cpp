// AI drivers that pit in a race: a driver short of fuel comes in at the end
// of a lap, drives its pit line into its box, refuels for the distance it
// planned and rejoins, keeping to the pit lane's speed limit; drivers given
// a drive-through or a stop-go penalty serve it. One race of three AI
// drivers, run through the program's session in the data builder's folder,
// covers all three.
//
// The drivers' lines are built here in memory from the loaded world: the
// racing line along the path's centre, and the pit line from the racing
// line across into the lane beside the pit boxes and back.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "core/services.h"
#include "game_folder_fixture.h"
#include "net/services.h"
#include "session/services.h"
#include "support/headless_race.h"
#include "vehicle/services.h"
#include "world/services.h"

namespace {

// The short club configuration of the seventh site: a closed loop whose pit
// straight holds the finish line.
constexpr int Site = 6, Configuration = 4;
constexpr int Laps = 3;
// The three drivers: the first starts short of fuel, the second is given a
// stop-go penalty and the third a drive-through.
enum : int { FuelCar = 0, StopGoCar = 1, DriveThroughCar = 2, CarsInRace = 3 };
// What the racing line's knowledge says a lap uses, in percent of the tank,
// and what the short car starts with: enough for the first lap, not for
// the second.
constexpr float FuelPerLapPercent = 4;
constexpr float ShortStartPercent = 5;
constexpr float FullStartPercent = 60;
// The penalties are given this long after the start lights go out.
constexpr uint32_t PenaltyAfterSteps = 1000;
// The penalty packet's kind and reason bytes.
constexpr uint8_t PenaltyPacket = 66, GivenDriveThrough = 1, GivenStopGo = 3, ReasonByAdmin = 1;
// The pit line: the lane's middle lies this far nearer the track than the
// boxes; the line keeps to it this far before the first box and after the
// last, and crosses over to it along this much of the road.
constexpr float BoxBesideLane = 1.5f;
constexpr float LaneMargin = 40.0f, CrossingLength = 70.0f;  // m

float Metres(Fixed value) { return float(value.raw) * (1.0f / 65536.0f); }

int Wrap(int node, int count) { return ((node % count) + count) % count; }

// The path node nearest the point (flat distance).
int NearestNode(const Path& path, Fixed x, Fixed y)
{
    int best = 0;
    float bestSq = 0;
    for (int i = 0; i < path.nodeCount; ++i) {
        const float dx = Metres(path.nodes[size_t(i)].centre.x - x), dy = Metres(path.nodes[size_t(i)].centre.y - y);
        if (i == 0 || dx * dx + dy * dy < bestSq) {
            best = i;
            bestSq = dx * dx + dy * dy;
        }
    }
    return best;
}

// The point's distance across the node, right positive.
float AcrossNode(const PathNode& node, Fixed x, Fixed y)
{
    return Metres(x - node.centre.x) * node.direction.y - Metres(y - node.centre.y) * node.direction.x;
}

float NodeGap(const Path& path, int node)
{
    const PathNode& a = path.nodes[size_t(node)];
    const PathNode& b = path.nodes[size_t(Wrap(node + 1, path.nodeCount))];
    const float dx = Metres(b.centre.x - a.centre.x), dy = Metres(b.centre.y - a.centre.y);
    return std::sqrt(dx * dx + dy * dy);
}

// The node reached from node walking metres along the path (backwards for
// a negative distance).
int WalkNodes(const Path& path, int node, float metres)
{
    const int step = metres < 0 ? -1 : 1;
    for (float run = 0; run < std::fabs(metres);) {
        run += NodeGap(path, step < 0 ? Wrap(node - 1, path.nodeCount) : node);
        node = Wrap(node + step, path.nodeCount);
    }
    return node;
}

// The pit line from the world's pit boxes: from the racing line (the
// path's centre) it crosses to the lane's middle before the first box,
// keeps to it past the last and crosses back. Its nodes stand on the
// path's nodes, entry to exit; entry and exit are those nodes.
bool BuildPitLine(const Path& path, const World& world, AiKnowledge& pit, int& entry, int& exit)
{
    if (world.pitBoxCount <= 0 || path.nodeCount < 8)
        return false;
    const int n = path.nodeCount;
    const SolidObject& firstBox = *world.pitBoxes[0];
    const int reference = NearestNode(path, firstBox.x, firstBox.y);
    const float lane = AcrossNode(path.nodes[size_t(reference)], firstBox.x, firstBox.y) + BoxBesideLane;
    int fromBox = 0, toBox = 0;  // node steps from the reference to the first and the last box
    for (int i = 0; i < world.pitBoxCount; ++i) {
        const int step = Wrap(NearestNode(path, world.pitBoxes[i]->x, world.pitBoxes[i]->y) - reference + n / 2, n) - n / 2;
        fromBox = std::min(fromBox, step);
        toBox = std::max(toBox, step);
    }
    const int laneFrom = WalkNodes(path, Wrap(reference + fromBox, n), -LaneMargin);
    const int laneTo = WalkNodes(path, Wrap(reference + toBox, n), LaneMargin);
    entry = WalkNodes(path, laneFrom, -CrossingLength);
    exit = WalkNodes(path, laneTo, CrossingLength);
    const int span = Wrap(exit - entry, n), into = Wrap(laneFrom - entry, n), outOf = Wrap(exit - laneTo, n);
    AllocKnowledgeNodes(pit, span + 1);
    for (int k = 0; k <= span; ++k) {
        // A smooth step from the racing line into the lane and back.
        float share = 1;
        if (k < into)
            share = float(k) / float(into);
        else if (k > span - outOf)
            share = float(span - k) / float(outOf);
        share = share * share * (3 - 2 * share);
        const PathNode& road = path.nodes[size_t(Wrap(entry + k, n))];
        KnowledgeNode& node = pit.nodes[size_t(k)];
        node.offset = lane * share;
        node.x = road.centre.x + FixedFromMetres(node.offset * road.direction.y);
        node.y = road.centre.y - FixedFromMetres(node.offset * road.direction.x);
        node.z = road.centre.z + Fixed(2048);
        node.dir = road.direction;
        node.normal = {0, 0, 1};
    }
    ComputeLineGeometry(pit, 0);
    return true;
}

// What the test saw of each car in the race.
struct CarWatch {
    float startFuel = 0;              // litres
    float fuelAtStop = -1, fuelAfterStop = -1;
    int boxStops = 0;                 // stops in a box with pit work begun
    int stopSteps = 0;                // the last stop's length as the car measured it
    int passedThroughLane = 0;        // times it drove through the pit lane without stopping
    float fastestInLane = 0;          // m/s, while in the pit lane's speed zone
    int speedingPenalty = 0;
    int penaltyGiven = 0;             // the test's penalty reached the car
    // The car's state at the race's last step.
    int penaltyAtFinish = -1;
    int lapsAtFinish = 0;
    int finished = 0;
    uint8_t refuelPercent = 0;        // the pit fuel its strategy asks for
    float tankLitres = 0;
    uint8_t previousPitState = 0;
};

struct PitRaceRecord {
    bool prepared = false;
    int pitLines = 0;
    uint32_t lightsOutStep = 0;
    int laneLimitByte = 0;            // km/h - 1
    CarWatch cars[CarsInRace];
    HeadlessRaceOutcome outcome;
};
PitRaceRecord Record;

CarObject* SlotCar(Race& race, int slot) { return slot < RaceSlotsInUse(race) ? GetRaceSlotCar(race, slot) : nullptr; }

// Before the first step: each AI driver gets its lines and plans its fuel,
// and the short car's tank is nearly emptied.
bool PrepareDrivers(Race& race)
{
    const Path* path = CurrentWorld ? CurrentWorld->racingPath : nullptr;
    if (!path || RaceSlotsInUse(race) != CarsInRace)
        return false;
    AiKnowledge pit;
    int entry = -1, exit = -1;
    if (BuildPitLine(*path, *CurrentWorld, pit, entry, exit))
        Record.pitLines = 1;
    Record.laneLimitByte = GetLowestSpeedLimit(*CurrentWorld);
    for (int slot = 0; slot < CarsInRace; ++slot) {
        RacePlayer& player = race.players[slot];
        CarObject* car = player.car;
        if (!car || !player.ai)
            return false;
        AiKnowledge main;
        main.car = car;
        if (!BuildKnowledge(main, *path, car->tuning.largerHalfWidth, CurrentPathWorld()))
            return false;
        main.fuelPerLap = FuelPerLapPercent / 100 * car->data.fuelCapacity;
        if (!GiveAiKnowledge(*player.ai, main, Record.pitLines ? &pit : nullptr, entry, exit))
            return false;
        PlanAiFuel(*player.ai, player, 0);
        const float percent = slot == FuelCar ? ShortStartPercent : FullStartPercent;
        car->race.fuel = percent / 100 * car->data.fuelCapacity;
        Record.cars[slot].startFuel = car->race.fuel;
        Record.cars[slot].tankLitres = car->data.fuelCapacity;
    }
    Record.prepared = true;
    return true;
}

void GivePenalty(const RacePlayer& player, uint8_t kind)
{
    const uint8_t packet[4] = {PenaltyPacket, player.descriptor.playerId, kind, ReasonByAdmin};
    QueueGamePacket(packet, 4);
}

// After every step: the pit lane as each car drives it, and the penalties
// given once the race is under way.
void WatchPits(Race& race)
{
    if (Record.lightsOutStep == 0 && CurrentWorld && CurrentWorld->startLightState == 4 && race.stepCounter > 0)
        Record.lightsOutStep = race.stepCounter;
    if (Record.lightsOutStep && race.stepCounter == Record.lightsOutStep + PenaltyAfterSteps) {
        GivePenalty(race.players[StopGoCar], GivenStopGo);
        GivePenalty(race.players[DriveThroughCar], GivenDriveThrough);
    }
    for (int slot = 0; slot < CarsInRace; ++slot) {
        CarObject* car = SlotCar(race, slot);
        if (!car)
            continue;
        CarWatch& watch = Record.cars[slot];
        const uint8_t state = car->race.pitState, before = watch.previousPitState;
        if (state == PitWorking && before != PitWorking)
            watch.fuelAtStop = car->race.fuel;
        if (state == PitDone && before != PitDone) {
            watch.boxStops++;
            if (before == PitWorking)
                watch.fuelAfterStop = car->race.fuel;
        }
        if (state == PitOutside && before == PitPassing)
            watch.passedThroughLane++;
        if (car->pit.speedZone >= 0)
            watch.fastestInLane = std::fmax(watch.fastestInLane, car->step.speed);
        if (car->race.result.penaltyReason == PenaltyReasonSpeeding)
            watch.speedingPenalty = 1;
        if (car->race.result.penaltyState != PenaltyNone)
            watch.penaltyGiven = 1;
        watch.stopSteps = car->pit.stopTime;
        watch.penaltyAtFinish = car->race.result.penaltyState;
        watch.lapsAtFinish = car->race.lapCount;
        watch.finished = car->race.result.finished;
        watch.refuelPercent = race.players[slot].descriptor.pitStrategy[1];
        watch.previousPitState = state;
    }
}

// Runs the race in the game folder; false when it could not start.
bool RunPitRace(const std::string& folder)
{
    Record = {};
    const std::filesystem::path previous = std::filesystem::current_path();
    std::filesystem::current_path(folder);
    HeadlessRaceOptions options;
    options.cars = CarsInRace;
    options.laps = Laps;
    options.site = Site;
    options.configuration = Configuration;
    options.frameMs = 20;
    options.maxSeconds = 600;
    options.traceEvery = 0;
    options.aiDrivers = 1;
    options.prepare = PrepareDrivers;
    options.watch = WatchPits;
    Record.outcome = RunHeadlessRace(options);
    std::filesystem::current_path(previous);
    return Record.outcome.loaded != 0;
}

void ExpectFuelStop(const CarWatch& car)
{
    SCOPED_TRACE("the driver short of fuel");
    // The plan: fuel for the race's laps plus a spare one, with a 5 %
    // margin, in one stint.
    const float planned = std::nearbyint(FuelPerLapPercent * (Laps + 1) * 1.05f + 0.5f);
    EXPECT_EQ(car.refuelPercent, uint8_t(planned));
    ASSERT_EQ(car.boxStops, 1);
    ASSERT_GE(car.fuelAtStop, 0);
    EXPECT_LT(car.fuelAtStop, car.startFuel);
    // Topped up by the planned share of the tank (the engine idles on
    // while the work goes on).
    EXPECT_NEAR(car.fuelAfterStop, car.fuelAtStop + float(car.refuelPercent) / 100 * car.tankLitres, 0.05f);
    // The stop itself (1 s) and the refuelling at the class's rate.
    EXPECT_GT(car.stopSteps, 100);
    EXPECT_LT(car.stopSteps, 6000);
}

void ExpectPitLaneSpeedKept(const CarWatch& car)
{
    const float limit = float(Record.laneLimitByte + 1) / 3.6f;
    EXPECT_GT(car.fastestInLane, 0) << "the car never entered the pit lane";
    EXPECT_LE(car.fastestInLane, limit);
    EXPECT_EQ(car.speedingPenalty, 0);
}

void ExpectPenaltiesServed(const CarWatch& stopGo, const CarWatch& driveThrough)
{
    EXPECT_EQ(stopGo.penaltyGiven, 1);
    EXPECT_EQ(stopGo.boxStops, 1);
    EXPECT_GT(stopGo.stopSteps, 1000) << "a stop-go lasts more than 10 s";
    EXPECT_EQ(stopGo.penaltyAtFinish, PenaltyNone);
    EXPECT_EQ(driveThrough.penaltyGiven, 1);
    EXPECT_EQ(driveThrough.boxStops, 0);
    EXPECT_EQ(driveThrough.passedThroughLane, 1);
    EXPECT_EQ(driveThrough.penaltyAtFinish, PenaltyNone);
}

// The race runs in its own copy of the game folder.
using AiPitRaceTest = GameFolderTest;

// Disabled until the drivers take their pit line from the pit lane the data
// builder now writes into the world: the line this test builds from the pit
// boxes no longer matches the world's own, and the drive-through car stops
// in its box.
TEST_F(AiPitRaceTest, DISABLED_DriversPitForFuelAndServeTheirPenalties)
{
    ASSERT_TRUE(RunPitRace(folder.Path())) << "the race could not be set up";
    ASSERT_TRUE(Record.prepared) << "the drivers' lines could not be set up";
    ASSERT_TRUE(Record.pitLines) << "no pit line could be built from the world's pit boxes";
    ExpectFuelStop(Record.cars[FuelCar]);
    {
        SCOPED_TRACE("the stop-go and the drive-through");
        ExpectPenaltiesServed(Record.cars[StopGoCar], Record.cars[DriveThroughCar]);
    }
    for (int slot = 0; slot < CarsInRace; ++slot) {
        SCOPED_TRACE(slot);
        ExpectPitLaneSpeedKept(Record.cars[slot]);
        EXPECT_EQ(Record.cars[slot].finished, 1);
        EXPECT_EQ(Record.cars[slot].lapsAtFinish, Laps);
    }
}

}  // namespace
