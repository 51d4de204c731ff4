// A race for the race-object tests: cars made from synthetic states, and
// hooks that record what the race sends, shows and plays instead of the
// subsystems above it.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "session/local.h"
#include "world/services.h"

// What the race told the subsystems above it.
struct RaceHookLog {
    struct Message {
        std::string text;
        int colour;
    };
    std::vector<std::vector<uint8_t>> packets;
    std::vector<Message> messages;
    std::vector<std::string> notices, errors, boxes;
    std::vector<int> sounds, effects;
    std::vector<int> inSimPositions;   // InSim result rows, by position
    std::vector<int> inSimFinishIds;   // InSim finishes, by player id
    std::vector<int> leftIds, freedIds;
    int entryVotesCleared = 0;
    // What the fake network answers.
    int online = 0, host = 0, frame = 1000, ownConnection = 0, connections = 0, pitStopRequired = 0;
    std::vector<std::string> driverNames;  // by connection
};

// The log the installed fakes write; reset by the fixture.
RaceHookLog& HookLog();
// Installs the recording fakes over the race's hooks.
void InstallRecordingRaceHooks();

// A car's race state as a test sets it.
struct CarState {
    int laps = 0;
    int node = -1;            // path node, -1 none
    int timingState = 1;
    int stopped = 0;
    int stoppedSteps = 0;
    int remote = 0, garageHeld = 0;
    int penalty = PenaltyNone;
    int pitStops = 0;
    int bestLap = 0;          // hundredths
    int raceTime = 0;         // hundredths at the last line crossing
    const char* code = "VOG";
};

class RaceTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Appends a slot through the race's own road and gives it an id (its
    // index + 1 unless given).
    RacePlayer& AddPlayer(const char* name, int type = PlayerLocal, int connection = 0, int playerId = -1);
    // Gives a slot a car in the state given.
    CarObject& GiveCar(int slot, const CarState& state = {});
    // Sets a car's state.
    static void SetCarState(CarObject& car, const CarState& state);
    // The result rows' player names in table order.
    std::vector<std::string> ResultNames() const;
    std::vector<int> Order() const;

    std::unique_ptr<Race> owned{new Race};
    Race& race = *owned;
};
