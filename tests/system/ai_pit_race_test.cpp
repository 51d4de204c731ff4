// AI drivers that pit in a race: a driver short of fuel comes in at the end
// of a lap, drives its pit line into its box, refuels for the distance it
// planned and rejoins, keeping to the pit lane's speed limit; drivers given
// a drive-through or a stop-go penalty serve it. One race of three AI
// drivers, run through the program's session in the data builder's folder,
// covers all three.
//
// The drivers take their knowledge as a race gives it to them: the data
// builder's file for their car and the configuration, and the pit line
// built from the world's own pit lane.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <string>

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
// The short car starts with this many laps of the fuel its knowledge says
// a lap uses: enough to reach its box at the end of the first lap, even
// when the car burns half as much again, and too little to go on.
constexpr float ShortStartLaps = 1.8f;
constexpr float FullStartPercent = 60;
// The penalties are given this long after the start lights go out.
constexpr uint32_t PenaltyAfterSteps = 1000;
// The penalty packet's kind and reason bytes.
constexpr uint8_t PenaltyPacket = 66, GivenDriveThrough = 1, GivenStopGo = 3, ReasonByAdmin = 1;

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
    float fuelPerLap = 0;             // litres, as its knowledge file says
    uint8_t previousPitState = 0;
};

struct PitRaceRecord {
    bool prepared = false;
    int pitLines = 0;                 // drivers that built a pit line
    uint32_t lightsOutStep = 0;
    int laneLimitByte = 0;            // km/h; speeding is above one more
    CarWatch cars[CarsInRace];
    HeadlessRaceOutcome outcome;
};
PitRaceRecord Record;

CarObject* SlotCar(Race& race, int slot) { return slot < RaceSlotsInUse(race) ? GetRaceSlotCar(race, slot) : nullptr; }

// The fuel a lap uses (litres) as the car's knowledge file for the loaded
// configuration says; 0 without one.
float KnowledgeFuelPerLap(const CarObject& car, const Path& path)
{
    char name[KnowledgeFileNameSize];
    KnowledgeFileName(name, car.data.shortCode);
    AiKnowledge knowledge;
    const float litres = LoadKnowledge(knowledge, name, path.nodeCount) ? knowledge.fuelPerLap : 0.0f;
    FreeKnowledge(knowledge);
    return litres;
}

// Before the first step: each AI driver plans its fuel, which loads its
// knowledge and pit line as a race start does, and the short car's tank is
// nearly emptied.
bool PrepareDrivers(Race& race)
{
    const Path* path = CurrentWorld ? CurrentWorld->racingPath : nullptr;
    if (!path || RaceSlotsInUse(race) != CarsInRace)
        return false;
    Record.laneLimitByte = GetLowestSpeedLimit(*CurrentWorld);
    for (int slot = 0; slot < CarsInRace; ++slot) {
        RacePlayer& player = race.players[slot];
        CarObject* car = player.car;
        if (!car || !player.ai)
            return false;
        CarWatch& watch = Record.cars[slot];
        watch.fuelPerLap = KnowledgeFuelPerLap(*car, *path);
        if (!(watch.fuelPerLap > 0))
            return false;
        PlanAiFuel(*player.ai, player, 0);
        Record.pitLines += AiHasPitLine(*player.ai);
        const float tank = car->data.fuelCapacity;
        car->race.fuel = slot == FuelCar ? ShortStartLaps * watch.fuelPerLap : FullStartPercent / 100 * tank;
        watch.startFuel = car->race.fuel;
        watch.tankLitres = tank;
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
    const float planned = std::nearbyint(car.fuelPerLap * (Laps + 1) * 1.05f * 100 / car.tankLitres + 0.5f);
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

TEST_F(AiPitRaceTest, DriversPitForFuelAndServeTheirPenalties)
{
    ASSERT_TRUE(RunPitRace(folder.Path())) << "the race could not be set up";
    ASSERT_TRUE(Record.prepared) << "the drivers' lines could not be set up";
    ASSERT_EQ(Record.pitLines, CarsInRace) << "no pit line could be built from the world's pit lane";
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
