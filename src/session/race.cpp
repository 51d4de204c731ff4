// The race object's life: construction, freeing its cars, the per-drive
// resets, and the cars' links to their slots.
#include <cstring>

#include "session/ai_driver_record.h"
#include "session/race_car.h"
#include "session/services.h"
#include "world/services.h"

namespace {
// The AI's time step: one simulation step.
constexpr float AiStepSeconds = 0.01f;
constexpr int NewRaceLengthCode = 5;
constexpr int SelectionShowMs = 4000;
constexpr int MaxAiSkill = 4;
} // namespace

void InitRace(Race& race)
{
    race = Race{};
    race.selectionTimer = SelectionShowMs;
    race.raceLength = NewRaceLengthCode;
    const int skill = Settings.skillLevel;
    race.aiSkill = static_cast<uint8_t>(skill < 0 ? 0 : skill > MaxAiSkill ? MaxAiSkill : skill);
    race.wind = 1;
}

void FreePlayerSlot(RacePlayer& slot)
{
    DestroyRaceCar(slot.car);
    slot.car = nullptr;
    FreeAiDriver(slot.ai);
    slot.ai = nullptr;
}

void FreePlayerCars(Race& race)
{
    for (RacePlayer& slot : race.players) {
        slot.descriptor.flags &= static_cast<uint16_t>(~PlayerLeftRace);
        FreePlayerSlot(slot);
    }
}

void RemoveAllPlayers(Race& race) { FreePlayerCars(race); }

void ClearPlayerControls(RacePlayer& slot)
{
    slot.controls = {};
    slot.controls.words[0] = SteeringCentre;
    slot.controls.words[14] = NoHShifterGear;
    slot.pendingStep = 0;
    slot.pendingFlag = 0;
}

void ResetRaceProgress(Race& race, int keepResults)
{
    for (RacePlayer& slot : race.players)
        ClearPlayerControls(slot);
    race.hotLapMode = 0;
    race.lapValidity[0] = race.lapValidity[1] = LapUntimed;
    race.orderLength = 0;
    race.resultsNotFinal = 0;
    if (race.hotLapOption && !GetRaceHooks().isOnline() && race.playerCount == 1 &&
        race.players[0].descriptor.type == PlayerLocal) {
        race.hotLapMode = 1;
        race.lapValidity[1] = LapValid;
    }
    if (!keepResults && !HasLayoutStartPosition())
        ClearRaceResults(race);
}

void ClearPlayerCarBlock(RacePlayer& slot)
{
    char name[CarFullNameSize];
    std::memcpy(name, slot.carBlock.carName, sizeof name);
    slot.carBlock = {};
    std::memcpy(slot.carBlock.carName, name, sizeof name);
}

void ResetPlayerCars(Race& race)
{
    for (int i = 0; i < RaceSlotsInUse(race); ++i)
        if (race.players[i].car)
            GetRaceHooks().sendCarDistanceReport(*race.players[i].car);
}

void RelinkPlayerCars(Race& race)
{
    for (int i = 0; i < RaceSlotsInUse(race); ++i)
        if (RacePlayer& slot = race.players[i]; slot.car)
            LinkCarToSlot(*slot.car, slot.carBlock);
}

// The view of the world and the race is gathered once for all the drivers
// of the step.
void UpdateAiDrivers(Race& race, const CarObject*)
{
    AiRaceView view;
    bool gathered = false;
    for (int i = 0; i < RaceSlotsInUse(race); ++i) {
        RacePlayer& slot = race.players[i];
        if (!slot.ai || !slot.car || !ViewRaceCar(*slot.car).settled)
            continue;
        if (!gathered) {
            view = GatherAiRaceView();
            gathered = true;
        }
        StepAiDriver(*slot.ai, view, AiStepSeconds);
    }
}

int32_t GetRaceStepCounter(const Race& race) { return static_cast<int32_t>(race.stepCounter); }

bool IsHotLapTimed(const Race& race) { return race.hotLapMode != 0; }

int IsQualifyingSession() { return RacePhase == 2; }

int IsRaceSession() { return CurrentRace && !IsQualifyingSession() && CurrentRace->raceLength != 0; }
