// The pit lane of a generated car in a race of fakes: speeding penalties by
// how fast and how late, a drive-through and a stop-go served or given
// again, a pit stop's items with their durations, refuelling at the class's
// rate, the reset request and the timed race messages.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "car_fixture.h"
#include "race_fakes.h"

namespace {

using Bytes = std::vector<uint8_t>;

class PitLaneTest : public CarTest {
protected:
    void SetUp() override
    {
        CarTest::SetUp();
        InstallFakeRace();
        for (int index = 0; index < CarCount && !loaded; index++) {
            OwnedCar* candidate = new OwnedCar;
            if (Load(candidate->car, index) && candidate->car.wheelCount == 4 &&
                candidate->car.data.carClass != 4 && candidate->car.data.carClass != 10 &&
                candidate->car.data.carClass != BikeClass) {
                loaded = candidate;
            } else {
                delete candidate;
            }
        }
        ASSERT_NE(loaded, nullptr);
        CarObject& car = loaded->car;
        TheFakeRace().slotCars[0] = &car;
        car.race.stepCounter = 5000;
        car.step.settleCounter = 100;
        car.race.fuel = 20;
        pitSetup = *car.data.setup;
        TheFakeRace().orders.pitSetup = &pitSetup;
    }
    void TearDown() override
    {
        delete loaded;
        CarTest::TearDown();
    }

    CarObject& Car() { return loaded->car; }
    // The car at x metres along the lane at a speed (km/h), one step.
    void DriveAt(double x, double kmh, int stoppedChanged = 0)
    {
        Car().position.x = FixedFromMetres(float(x));
        Car().step.speed = float(kmh / 3.6);
        UpdatePitLane(Car(), 0, 0.01f, stoppedChanged);
        Car().race.stepCounter++;
    }
    // Stops in the pit box: the step on which the stopped state changes.
    void StopInBox()
    {
        Car().race.stopped = 1;
        Car().race.stopStep = Car().race.stepCounter;
        DriveAt(100, 0, 1);
    }
    void Wait(int steps)
    {
        for (int i = 0; i < steps; i++)
            DriveAt(100, 0);
    }
    void MoveOff()
    {
        Car().race.stopped = 0;
        DriveAt(100, 5, 1);
    }
    std::vector<Bytes> Sent(uint8_t type) { return TheFakeRace().OfType(type); }

    OwnedCar* loaded = nullptr;
    CarSetup pitSetup;
};

// ---------------------------------------------------------------------------
// Speeding: a limit byte of 79 is 80 km/h; up to 20 km/h over gives a
// drive-through (30 s in the last three laps), beyond a stop-go (45 s); a
// penalty already given is only ever made heavier.

TEST_F(PitLaneTest, SpeedingGivesThePenaltyOfItsSpeedStateAndLap)
{
    struct Case {
        const char* name;
        double kmh;
        uint8_t penaltyState, penaltyGiven;
        int laps, lapsDone;
        int expected;  // penalty code sent, -1 none
    };
    const Case cases[] = {
        {"at the limit", 79.9, PenaltyNone, 0, 0, 0, -1},
        {"a little over", 85, PenaltyNone, 0, 0, 0, PenaltyCodeDriveThrough},
        {"far over", 101, PenaltyNone, 0, 0, 0, PenaltyCodeStopGo},
        {"a little over, last laps", 85, PenaltyNone, 0, 10, 7, PenaltyCode30Seconds},
        {"far over, last laps", 101, PenaltyNone, 0, 10, 7, PenaltyCode45Seconds},
        {"a little over, before the last laps", 85, PenaltyNone, 0, 10, 6, PenaltyCodeDriveThrough},
        {"a little over, drive-through to serve", 85, PenaltyDriveThroughToServe, 0, 0, 0, PenaltyCodeDriveThrough},
        {"a little over, stop-go to serve", 85, PenaltyStopGoToServe, 0, 0, 0, PenaltyCodeStopGo},
        {"a little over, stop-go given", 85, PenaltyStopGoGiven, 0, 0, 0, -1},
        {"far over, stop-go given", 101, PenaltyStopGoGiven, 0, 0, 0, -1},
        {"far over, drive-through given", 101, PenaltyDriveThroughGiven, 0, 0, 0, PenaltyCodeStopGo},
        {"late and far over, 30 s given", 101, Penalty30Seconds, 0, 10, 9, PenaltyCode45Seconds},
        {"late and a little over, drive-through to serve", 85, PenaltyDriveThroughToServe, 0, 10, 9,
         PenaltyCodeDriveThrough},
        {"again a little over", 85, PenaltyNone, PenaltyCodeDriveThrough, 0, 0, -1},
        {"again, now far over", 101, PenaltyNone, PenaltyCodeDriveThrough, 0, 0, PenaltyCodeStopGo},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TheFakeRace().sent.clear();
        TheFakeRace().laps = c.laps;
        Car().race.lapCount = c.lapsDone;
        Car().race.result.penaltyState = c.penaltyState;
        Car().pit.penaltyGiven = c.penaltyGiven;
        Car().race.pitState = PitInLane;
        DriveAt(50, c.kmh);
        const std::vector<Bytes> penalties = Sent(CarPacketPenalty);
        if (c.expected < 0) {
            EXPECT_TRUE(penalties.empty());
            continue;
        }
        ASSERT_EQ(penalties.size(), 1u);
        EXPECT_EQ(penalties[0], (Bytes{CarPacketPenalty, 7, uint8_t(c.expected), PenaltyReasonSpeeding}));
        EXPECT_EQ(Car().pit.penaltyGiven, c.expected);
    }
}

TEST_F(PitLaneTest, SpeedingTwiceInOneVisitGivesOneDriveThroughThenAStopGo)
{
    DriveAt(10, 85);
    DriveAt(20, 86);
    EXPECT_EQ(Sent(CarPacketPenalty).size(), 1u);
    DriveAt(30, 110);
    ASSERT_EQ(Sent(CarPacketPenalty).size(), 2u);
    EXPECT_EQ(Sent(CarPacketPenalty)[1][2], PenaltyCodeStopGo);
}

// ---------------------------------------------------------------------------
// Serving penalties.

TEST_F(PitLaneTest, ADriveThroughIsServedByPassingThroughTheLane)
{
    Car().race.result.penaltyState = PenaltyDriveThroughToServe;
    DriveAt(10, 60);
    EXPECT_EQ(Car().race.pitState, PitPassing);
    EXPECT_EQ(Car().pit.purpose, PitPurposeDriveThrough);
    ASSERT_FALSE(TheFakeRace().messages.empty());
    EXPECT_EQ(TheFakeRace().messages.back(), "ENTERED the pit lane for drive-through penalty");
    for (int x = 11; x < 200; x++)
        DriveAt(x, 60);
    // The report goes 250 steps after entering, with its purpose.
    for (int i = 0; i < 70; i++)
        DriveAt(150, 60);
    ASSERT_EQ(Sent(CarPacketPitReport).size(), 1u);
    EXPECT_EQ(Sent(CarPacketPitReport)[0], (Bytes{CarPacketPitReport, 7, PitPurposeDriveThrough, 0}));
    EXPECT_TRUE(Sent(CarPacketPenalty).empty());
    DriveAt(250, 60);
    EXPECT_EQ(Car().race.pitState, PitOutside);
    ASSERT_EQ(Sent(CarPacketPenalty).size(), 1u);
    EXPECT_EQ(Sent(CarPacketPenalty)[0], (Bytes{CarPacketPenalty, 7, PenaltyCodeCleared, PenaltyReasonNone}));
}

TEST_F(PitLaneTest, AStopGoIsServedByTenSecondsInTheBoxAndGivenAgainWhenShorter)
{
    struct Case {
        int steps;
        Bytes penalty;
    };
    const Case cases[] = {
        {999, {CarPacketPenalty, 7, PenaltyCodeStopGo, PenaltyReasonStopTooShort}},
        {1000, {CarPacketPenalty, 7, PenaltyCodeCleared, PenaltyReasonNone}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.steps);
        TheFakeRace().sent.clear();
        Car().race.pitState = PitOutside;
        Car().race.pitWork = 0;
        Car().race.result.penaltyState = PenaltyStopGoToServe;
        DriveAt(90, 50);
        StopInBox();
        EXPECT_EQ(Car().race.pitState, PitDone);
        EXPECT_TRUE(Sent(CarPacketPitStopStart).empty()) << "a penalty stop has no service";
        Wait(c.steps - 1);
        MoveOff();
        ASSERT_EQ(Sent(CarPacketPitStopDone).size(), 1u);
        Bytes done = {CarPacketPitStopDone, 7, 0, 0, 0, 0, 0, 0};
        PutInt(done.data() + 4, c.steps);
        EXPECT_EQ(Sent(CarPacketPitStopDone)[0], done);
        ASSERT_EQ(Sent(CarPacketPenalty).size(), 1u);
        EXPECT_EQ(Sent(CarPacketPenalty)[0], c.penalty);
        EXPECT_EQ(Car().race.pitWork, 0);
    }
}

// ---------------------------------------------------------------------------
// Pit stops.

TEST_F(PitLaneTest, NoServiceBeforeTwentySecondsOfRunning)
{
    Car().race.stepCounter = 1500;
    DriveAt(90, 50);
    StopInBox();
    EXPECT_EQ(Car().race.pitWork, 0);
    EXPECT_EQ(Car().race.pitState, PitInLane);
}

// New tyres all round (the pit set-up asks for another compound), a front
// wheel repaired, body repair and refuelling: each item takes its time, in
// item order, and the stop ends when the tank reaches its target.
TEST_F(PitLaneTest, APitStopWorksThroughItsItemsAndRefuels)
{
    CarObject& car = Car();
    pitSetup.axles[1].tyreType = uint8_t((car.data.setup->axles[1].tyreType + 1) % 6);
    pitSetup.axles[0].tyreType = uint8_t((car.data.setup->axles[0].tyreType + 1) % 6);
    TheFakeRace().orders.refuelPercent = 30;
    int frontLeft = -1;
    for (int i = 0; i < car.wheelCount; i++)
        if (car.wheels[i].axleIndex == 1 && car.wheels[i].side < 0)
            frontLeft = i;
    ASSERT_GE(frontLeft, 0);
    car.wheels[frontLeft].damageState[0] = DamageSome;
    car.wheels[frontLeft].travelLoss = 0.025f * car.axles[1].tyreRadius;
    car.step.impactCount = 3;

    DriveAt(90, 50);
    StopInBox();
    ASSERT_EQ(car.race.pitState, PitWorking);
    // Items: 1 the stop, 4 front left repair, 5 and 7 front tyres, 11 and
    // 13 rear tyres, 14 body repair, 17 refuelling.
    const int32_t mask = 1 << 1 | 1 << 4 | 1 << 5 | 1 << 7 | 1 << 11 | 1 << 13 | 1 << 14 | 1 << 17;
    EXPECT_EQ(car.pit.workMask, mask);
    const std::vector<Bytes> starts = Sent(CarPacketPitStopStart), works = Sent(CarPacketPitWork),
                             setups = Sent(CarPacketPitSetup);
    ASSERT_EQ(starts.size(), 1u);
    EXPECT_EQ(starts[0], (Bytes{CarPacketPitStopStart, 7, 0, 0}));
    ASSERT_EQ(works.size(), 1u);
    Bytes work = {CarPacketPitWork, 7, 0, 0, 0, 0, 0, 0, pitSetup.axles[0].tyreType, pitSetup.axles[0].tyreType,
                  pitSetup.axles[1].tyreType, pitSetup.axles[1].tyreType};
    PutInt(work.data() + 4, mask);
    EXPECT_EQ(works[0], work);
    ASSERT_EQ(setups.size(), 1u);
    ASSERT_EQ(setups[0].size(), 124u);
    EXPECT_EQ(std::memcmp(setups[0].data() + 4, &pitSetup, 120), 0);
    EXPECT_EQ(TheFakeRace().bundlesSent, 1);

    // Seconds per item: 1, 6, 3, 3, 3, 3, 6, then refuelling.
    const int expectedItems[] = {1, 4, 5, 7, 11, 13, 14};
    const int seconds[] = {1, 6, 3, 3, 3, 3, 6};
    for (int k = 0; k < 7; k++) {
        SCOPED_TRACE(expectedItems[k]);
        EXPECT_EQ(car.race.pitWork, expectedItems[k]);
        Wait(seconds[k] * 100 - 1);
        EXPECT_EQ(car.race.pitWork, expectedItems[k]);
        Wait(1);
    }
    EXPECT_EQ(car.race.pitWork, PitItemRefuel);
    const float target = car.pit.fuelTarget;
    EXPECT_FLOAT_EQ(target, 20 + 0.3f * car.data.fuelCapacity);
    const float rate = CarClassTable[car.data.carClass].refuelRate;
    const int refuelSteps = int((target - 20) / (rate * 0.01f));
    Wait(refuelSteps - 2);
    EXPECT_EQ(car.race.pitState, PitWorking);
    Wait(4);
    EXPECT_EQ(car.race.pitState, PitDone);
    EXPECT_FLOAT_EQ(car.race.fuel, target);
    char expected[80];
    std::snprintf(expected, sizeof expected, "Finished refuelling : %.1f litres", double(target));
    EXPECT_EQ(TheFakeRace().messages.back(), expected);
    // The stop's work went online, so no damage record follows it.
    for (const SentPacket& packet : TheFakeRace().sent)
        EXPECT_NE(packet.bytes.size(), size_t(DamageRecordSize));
    MoveOff();
    EXPECT_EQ(car.race.pitWork, 0);
    ASSERT_EQ(Sent(CarPacketPitStopDone).size(), 1u);
}

TEST_F(PitLaneTest, AStopWithoutFuelToAddEndsWithTheFinishedMessage)
{
    CarObject& car = Car();
    car.race.fuel = car.data.fuelCapacity;
    DriveAt(90, 50);
    StopInBox();
    ASSERT_EQ(car.pit.workMask, 1 << 1);
    Wait(100);
    EXPECT_EQ(car.race.pitState, PitDone);
    EXPECT_EQ(TheFakeRace().messages.back(), "Finished pit stop");
}

// A fuel target for a car without a tank size is none, never a division by
// zero.
TEST_F(PitLaneTest, FuelTargetFollowsTheSlotsRefuelShare)
{
    CarObject& car = Car();
    const float capacity = car.data.fuelCapacity;
    car.race.fuel = 0.5f * capacity;
    EXPECT_FLOAT_EQ(GetFuelTarget(car, 20), 0.7f * capacity);
    EXPECT_FLOAT_EQ(GetFuelTarget(car, 80), capacity);
    car.data.fuelCapacity = 0;
    EXPECT_EQ(GetFuelTarget(car, 50), 0.0f);
}

// ---------------------------------------------------------------------------
// Timed race messages: each countdown sends its packet once, recorded.

TEST_F(PitLaneTest, TimedMessagesGoOnceWhenTheirCountdownEnds)
{
    CarObject& car = Car();
    car.tuning.liveBrakeBalance = 62;
    car.tuning.liveAntiRoll[0] = 12000;
    car.tuning.liveAntiRoll[1] = 18000.5f;
    car.pit.liveSetupCountdown = 3;
    car.pit.optionCountdown = 1;
    car.pit.optionByte = 9;
    for (int i = 0; i < 5; i++)
        RunTimedRaceMessages(car, 0);
    ASSERT_EQ(Sent(CarPacketLiveSetup).size(), 1u);
    Bytes live(16, 0);
    live[0] = CarPacketLiveSetup;
    live[1] = 7;
    live[4] = 62;
    PutFloat(live.data() + 8, 12000);
    PutFloat(live.data() + 12, 18000.5f);
    EXPECT_EQ(Sent(CarPacketLiveSetup)[0], live);
    ASSERT_EQ(Sent(CarPacketOption).size(), 1u);
    EXPECT_EQ(Sent(CarPacketOption)[0], (Bytes{CarPacketOption, 7, 9, 0}));
    EXPECT_TRUE(Sent(CarPacketStartFuel).empty());
    for (const SentPacket& packet : TheFakeRace().sent)
        EXPECT_EQ(packet.road, "recorded");
}

// ---------------------------------------------------------------------------
// A car standing for more than 40 s with the engine below idle is held.

TEST_F(PitLaneTest, ALongStandingCarStopsItsEngineAndHoldsItsHandbrake)
{
    CarObject& car = Car();
    StartEngine(car.engine);
    car.engine.speed = 0.5f * car.engine.idleSpeed;
    car.step.gear = 1;
    car.race.stopped = 1;
    car.step.activityStep = car.race.stepCounter - 4000;
    HoldStoppedCar(car);
    EXPECT_TRUE(car.engine.running) << "held only after more than 4000 steps";
    car.step.activityStep--;
    HoldStoppedCar(car);
    EXPECT_FALSE(car.engine.running);
    EXPECT_EQ(car.step.handbrake, 1.0f);
}

}  // namespace

// ---------------------------------------------------------------------------
// Every packet of the car's race logic, and the state record, checked byte
// for byte against a layout written apart from the code
// (car_packets_reference.py, with Python's struct).

namespace {

// One line per packet: its name, the field values in layout order, and its
// bytes in hex.
void WritePacketLine(FILE* file, const char* name, const std::vector<long long>& fields, const Bytes& bytes)
{
    std::fprintf(file, "%s ", name);
    for (size_t i = 0; i < fields.size(); i++)
        std::fprintf(file, "%s%lld", i ? "," : "", fields[i]);
    std::fprintf(file, " ");
    for (uint8_t b : bytes)
        std::fprintf(file, "%02x", b);
    std::fprintf(file, "\n");
}

long long FloatBitsOf(float value)
{
    uint32_t bits;
    std::memcpy(&bits, &value, 4);
    return bits;
}

}  // namespace

TEST_F(PitLaneTest, PacketsMatchAnIndependentLayout)
{
    CarObject& car = Car();
    const std::string path = folder + "/car_packets.txt";
    FILE* file = std::fopen(path.c_str(), "w");
    ASSERT_NE(file, nullptr);

    // A pit stop with new front tyres and refuelling.
    pitSetup.axles[1].tyreType = uint8_t((car.data.setup->axles[1].tyreType + 1) % 6);
    TheFakeRace().orders.refuelPercent = 10;
    DriveAt(90, 85);
    StopInBox();
    Wait(999);
    car.race.pitState = PitDone;
    MoveOff();
    DriveAt(250, 50);
    const auto one = [&](uint8_t type) {
        const std::vector<Bytes> found = Sent(type);
        EXPECT_EQ(found.size(), 1u) << int(type);
        return found.empty() ? Bytes{} : found[0];
    };
    WritePacketLine(file, "penalty", {CarPacketPenalty, 7, PenaltyCodeDriveThrough, PenaltyReasonSpeeding},
                    one(CarPacketPenalty));
    WritePacketLine(file, "pit_stop_start", {CarPacketPitStopStart, 7, 0, 0}, one(CarPacketPitStopStart));
    const Bytes work = one(CarPacketPitWork);
    ASSERT_EQ(work.size(), 12u);
    WritePacketLine(file, "pit_work",
                    {CarPacketPitWork, 7, 0, 0, car.pit.workMask, car.axles[0].tyreType, car.axles[0].tyreType,
                     pitSetup.axles[1].tyreType, pitSetup.axles[1].tyreType},
                    work);
    const Bytes setup = one(CarPacketPitSetup);
    std::vector<long long> setupFields = {CarPacketPitSetup, 7, 0, 0};
    for (int i = 0; i < 120; i++)
        setupFields.push_back(reinterpret_cast<const uint8_t*>(&pitSetup)[i]);
    WritePacketLine(file, "pit_setup", setupFields, setup);
    WritePacketLine(file, "pit_stop_done", {CarPacketPitStopDone, 7, 0, 0, 1000}, one(CarPacketPitStopDone));
    WritePacketLine(file, "pit_report", {CarPacketPitReport, 7, PitPurposeStop, 0}, one(CarPacketPitReport));

    // The timed messages.
    TheFakeRace().sent.clear();
    car.tuning.liveBrakeBalance = 58;
    car.tuning.liveAntiRoll[0] = 15000.25f;
    car.tuning.liveAntiRoll[1] = 21000.5f;
    car.pit.liveSetupCountdown = car.pit.startFuelCountdown = car.pit.optionCountdown = 1;
    car.pit.optionByte = 3;
    SettingsRecord settings;
    settings.fuelStart = 45;
    SetSettings(settings);
    RunTimedRaceMessages(car, 0);
    SetSettings(SettingsRecord{});
    WritePacketLine(file, "live_setup",
                    {CarPacketLiveSetup, 7, 0, 0, 58, FloatBitsOf(15000.25f), FloatBitsOf(21000.5f)},
                    one(CarPacketLiveSetup));
    WritePacketLine(file, "start_fuel", {CarPacketStartFuel, 7, 0, 0, 45}, one(CarPacketStartFuel));
    WritePacketLine(file, "option", {CarPacketOption, 7, 3, 0}, one(CarPacketOption));

    // The race-state packet of a car moving off with its bytes set, the
    // auto-kick and the distance report.
    TheFakeRace().sent.clear();
    car.race.raceBytes[0] = 3;
    car.race.stopped = 0;
    DriveAt(300, 20, 1);
    WritePacketLine(file, "race_state", {CarPacketRaceState, 0, 0, 0}, one(CarPacketRaceState));
    ApplyAutoKick(car);
    WritePacketLine(file, "auto_kick", {CarPacketAutoKick, 7, 0, 2}, one(CarPacketAutoKick));
    car.net.distanceCounter = 1500 << 16;
    car.net.fuelCounter = 2 << 16;
    SendCarDistanceReport(car, 0);
    WritePacketLine(file, "distance", {CarPacketDistance, 2, 1500}, one(CarPacketDistance));
    // The car value goes with the frame's bundle at once; a car without a
    // slot sends none.
    const int bundles = TheFakeRace().bundlesSent;
    SendCarValue(car, 2);
    WritePacketLine(file, "car_value", {CarPacketValue, CarValueSubtype, 7, 2}, one(CarPacketValue));
    EXPECT_EQ(TheFakeRace().bundlesSent, bundles + 1);
    OwnedCar spare;
    ConstructCar(spare.car);
    SendCarValue(spare.car, 4);
    EXPECT_EQ(Sent(CarPacketValue).size(), 1u);

    // The state record of a car in motion: the fields as the car holds
    // them, which the script reads back from the record.
    car.position = {Fixed(123456789), Fixed(-98765432), Fixed(654321)};
    const float c = 0.8f, s = 0.6f;
    car.rotation = FloatMatrix{{c, -s, 0, s, c, 0, 0, 0, 1}};
    car.velocity = {-12, 16, 0.5f};
    car.angularMomentum = Rotate(car.rotation, Rotate(car.inertia, RotateByTranspose(car.rotation, Vec3{0.1f, -0.2f, 0.7f})));
    car.inputs.words[0] = 40000;
    car.inputs.words[1] = 0xC3FF;
    car.inputs.words[2] = 0x1200;
    car.inputs.words[11] = 0x9000;
    car.inputs.words[15] = 5;
    car.step.gear = 4;
    car.step.handbrake = 1;
    car.lamps.indicatorMode = 2;
    car.lamps.headlightsOn = 1;
    StartEngine(car.engine);
    car.engine.speed = 600;
    car.engine.turboSpeed = 9000;
    car.race.pitSpeedLimit = 80;
    car.race.pitWork = 0;
    for (int i = 0; i < car.wheelCount; i++) {
        car.wheels[i].spinRate = 40.0f + float(i);
        car.wheels[i].travel = 0.25f * float(i) * car.wheels[i].maxTravel;
    }
    CarStateRecord record;
    MakeCarStateRecord(car, record);
    const Vec3 w = AngularVelocity(car, car.rotation);
    std::fprintf(file, "state %d %d %d %.9g %.9g %.9g %.9g %.9g %.9g %.9g %.9g %.9g %.9g %.9g %.9g %.9g %.9g", car.position.x.raw,
                 car.position.y.raw, car.position.z.raw, c, s, 0.0, -s, c, 0.0, car.velocity.x, car.velocity.y,
                 car.velocity.z, w.x, w.y, w.z, car.engine.speed, car.engine.turboSpeed);
    for (int i = 0; i < 4; i++)
        std::fprintf(file, " %.9g %.9g", car.wheels[i].spinRate, 0.25 * i);
    std::fprintf(file, " ");
    for (uint8_t b : record.bytes)
        std::fprintf(file, "%02x", b);
    std::fprintf(file, "\n");
    ASSERT_EQ(std::fclose(file), 0);

    const std::string command = std::string(QV_PYTHON) + " " + QV_SOURCE_DIR +
                                "/tests/vehicle/car_packets_reference.py " + path;
    const int status = std::system(command.c_str());
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "car_packets_reference.py rejected the packets";
}
