// The race fixture: recording hooks and synthetic cars.
#include "race_fixture.h"

#include <cstring>

namespace {
RaceHookLog Log;
} // namespace

RaceHookLog& HookLog() { return Log; }

void InstallRecordingRaceHooks()
{
    RaceHooks hooks;
    hooks.queueGamePacket = [](const uint8_t* bytes, int length) { Log.packets.emplace_back(bytes, bytes + length); };
    hooks.isOnline = [] { return Log.online; };
    hooks.isHost = [] { return Log.host; };
    hooks.gameFrame = [] { return int32_t(Log.frame); };
    hooks.ownConnection = [] { return Log.ownConnection; };
    hooks.connectionCount = [] { return Log.connections; };
    hooks.connectionDriverName = [](int c) -> const char* {
        return c >= 0 && c < int(Log.driverNames.size()) ? Log.driverNames[c].c_str() : nullptr;
    };
    hooks.connectionUserName = [](int c) -> const char* {
        return c >= 0 && c < int(Log.driverNames.size()) ? Log.driverNames[c].c_str() : nullptr;
    };
    hooks.connectionUserNumber = [](int c) { return int32_t(1000 + c); };
    hooks.clearEntryVotes = [] { ++Log.entryVotesCleared; };
    hooks.rememberFreedPlayerId = [](int id) { Log.freedIds.push_back(id); };
    hooks.isPitStopRequired = [] { return Log.pitStopRequired; };
    hooks.isInSimActive = [] { return 1; };
    hooks.inSimPlayerLeft = [](const RacePlayer& slot) { Log.leftIds.push_back(slot.descriptor.playerId); };
    hooks.inSimFinish = [](const RaceResult& row, const RacePlayer&) { Log.inSimFinishIds.push_back(row.playerId); };
    hooks.inSimResult = [](const RaceResult&, int position) { Log.inSimPositions.push_back(position); };
    hooks.printMessage = [](const char* text, int colour) { Log.messages.push_back({text, colour}); };
    hooks.printNotice = [](const char* text) { Log.notices.emplace_back(text); };
    hooks.printError = [](const char* text) { Log.errors.emplace_back(text); };
    hooks.showMessageBox = [](Screen*, const char* text) { Log.boxes.emplace_back(text); };
    hooks.playInterfaceSound = [](int effect) { Log.sounds.push_back(effect); };
    hooks.playMixedEffect = [](int effect) { Log.effects.push_back(effect); };
    SetRaceHooks(hooks);
}

void RaceTest::SetUp()
{
    ResetCoreTables();
    ResetSessionTables();
    Log = {};
    InstallRecordingRaceHooks();
    InstallWorldVehicleHooks();  // the cars' path followers
    InitRace(race);
}

void RaceTest::TearDown()
{
    RemoveAllPlayers(race);
    SetRaceHooks(RaceHooks{});
    ResetSessionTables();
}

RacePlayer& RaceTest::AddPlayer(const char* name, int type, int connection, int playerId)
{
    PlayerDescriptor d;
    CopyFixedString(d.name, name, PlayerNameSize);
    d.type = static_cast<uint8_t>(type);
    d.connection = static_cast<uint8_t>(connection);
    d.playerId = static_cast<uint8_t>(playerId >= 0 ? playerId : race.playerCount + 1);
    RacePlayer* slot = CheckCarsPerConnection(race, d);
    EXPECT_NE(slot, nullptr) << name;
    return *slot;
}

void RaceTest::SetCarState(CarObject& car, const CarState& s)
{
    car.race.lapCount = s.laps;
    if (!car.follower)
        car.follower = CreatePathFollower();
    car.follower->position = s.node;
    car.race.timingState = s.timingState;
    car.race.stopped = static_cast<uint8_t>(s.stopped);
    car.race.stepCounter = 5000;
    car.race.result.stopStep = car.race.stepCounter - s.stoppedSteps;
    car.net.remote = s.remote;
    car.step.held = static_cast<uint8_t>(s.garageHeld);
    car.race.result.penaltyState = static_cast<uint8_t>(s.penalty);
    car.race.result.pitStops = static_cast<uint8_t>(s.pitStops);
    car.race.result.bestLap = s.bestLap;
    car.race.result.raceTime = s.raceTime;
    CopyFixedString(car.data.shortCode, s.code, sizeof car.data.shortCode);
}

CarObject& RaceTest::GiveCar(int slot, const CarState& state)
{
    auto* car = new CarObject;
    ConstructCar(*car);
    race.players[slot].car = car;
    SetCarState(*car, state);
    return *car;
}

std::vector<std::string> RaceTest::ResultNames() const
{
    std::vector<std::string> names;
    for (int i = 0; i < race.resultCount; ++i)
        names.emplace_back(race.results[i].nameAndPlate);
    return names;
}

std::vector<int> RaceTest::Order() const { return {race.runningOrder, race.runningOrder + race.orderLength}; }
