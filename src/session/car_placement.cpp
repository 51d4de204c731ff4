// Loading a player's car and placing it on its start or pit place: the
// building blocks of a drive start, a join and a pit return.
#include <algorithm>
#include <cstdio>

#include "session/ai_driver.h"
#include "session/local.h"
#include "session/race_car.h"
#include "session/race_car_start.h"
#include "world/services.h"

namespace {

// Grid places lie this many path nodes apart.
constexpr int NodesPerGridPlace = 10;

int SlotIndexOf(const Race& race, const RacePlayer& slot)
{
    const auto index = &slot - race.players;
    return index >= 0 && index < MaxRacePlayers ? static_cast<int>(index) : -1;
}

// A car driven by another computer or by a multiplayer replay.
int IsRemoteSlot(const RacePlayer& slot)
{
    const bool multiplayerReplay = SessionCars.replay && GameKind == 2;
    return multiplayerReplay || slot.descriptor.type == PlayerRemote || slot.descriptor.type == PlayerRemoteAi;
}

// A lesson's AI drivers get skill 4, 2 and then 0 by slot.
int AiSkillForSlot(const Race& race, int slotIndex)
{
    if (SessionCars.lessonRunning)
        return std::max(0, 2 * (2 - slotIndex));
    return race.aiSkill;
}

// The car's script, its AI driver: what a car this computer drives gets
// once it is loaded.
void PrepareOwnCar(Race& race, RacePlayer& slot, const char* carCode)
{
    if (slot.car->net.remote || GameKind == 3)
        return;
    if (slot.descriptor.type == PlayerLocal)
        RunScript(carCode);
    else if (slot.descriptor.type == PlayerAi)
        slot.ai = CreateAiDriver(*slot.car, AiSkillForSlot(race, SlotIndexOf(race, slot)));
}

} // namespace

int LoadPlayerCar(RacePlayer& slot)
{
    const char* carCode = GetCarCode(slot.carBlock.carName);
    if (!carCode)
        return 0;
    if (slot.car)
        DetachSessionCar(*slot.car);
    FreePlayerSlot(slot);
    CarObject* car = CreateSlotCar(slot, carCode, IsRemoteSlot(slot));
    if (!car) {
        char text[96];
        std::snprintf(text, sizeof text, GetText(TX_3a_x_noldcr), slot.descriptor.name);
        GetRaceHooks().printError(text);
        if (SessionCars.running && CurrentRace)
            MutableSession.race->fromGrid = 0;
        return 0;
    }
    if (!SessionCars.running || !CurrentRace) {
        DestroyRaceCar(car);
        return 0;
    }
    slot.car = car;
    PrepareOwnCar(*MutableSession.race, slot, carCode);
    return 1;
}

int GetPathGridPosition(FixedVector& position, float& heading, int number)
{
    const Path* path = GetCurrentPath();
    if (!path || path->nodeCount <= 0 || static_cast<int>(path->nodes.size()) < path->nodeCount)
        return 0;
    const int startNode = GetPathFinishNode(*path);
    if (startNode < 0 || startNode >= path->nodeCount)
        return 0;
    int index = (startNode - NodesPerGridPlace * number) % path->nodeCount;
    if (index < 0)
        index += path->nodeCount;
    const PathNode& node = path->nodes[static_cast<size_t>(index)];
    // Across the road: the node's right-hand normal (dy, -dx).
    const double across = (static_cast<double>(node.leftEdge) + node.rightEdge) * 0.25;
    position = node.centre;
    position.x = position.x + FixedFromMetres(node.direction.y * across);
    position.y = position.y + FixedFromMetres(-node.direction.x * across);
    heading = static_cast<float>(ComputeAtan2(-node.direction.x, node.direction.y));
    return 1;
}

void GetCarStartPosition(InRaceSession*, FixedVector& position, float& heading, int number, CarObject* car,
                         int joinRunning)
{
    position = {};
    heading = 0;
    Race* race = MutableSession.race;
    if (CurrentWorld)
        GetStartPosition(*CurrentWorld, position, heading, number);
    if (race && number >= 0 && number < MaxRacePlayers)
        race->startTable[number] = position;
    if (race && race->hotLapOption) {
        FixedVector layoutPoint;
        if (GetLayoutStartPoint(layoutPoint))
            position = layoutPoint;
        else
            GetPathGridPosition(position, heading, 0);
    }
    if (car && car->follower && GetCurrentPath() && !joinRunning)
        FindFollowerPosition(*car->follower, position, 0);
}

void GetCarPitPosition(InRaceSession*, FixedVector& position, float& heading, int number, CarObject* car,
                       int joinRunning)
{
    position = {};
    heading = 0;
    if (CurrentWorld)
        GetPitPosition(*CurrentWorld, position, heading, number, car, joinRunning);
}

void PlaceCar(InRaceSession* session, int slotIndex, int inPit, int joinRunning)
{
    Race* race = MutableSession.race;
    if (!race || slotIndex < 0 || slotIndex >= RaceSlotsInUse(*race) || !race->players[slotIndex].car)
        return;
    RacePlayer& slot = race->players[slotIndex];
    CarObject& car = *slot.car;
    ResetCarFollower(car);
    CarPlacement placement;
    const int number = slot.descriptor.startPosition;
    if (inPit)
        GetCarPitPosition(session, placement.position, placement.heading, number, &car, joinRunning);
    else
        GetCarStartPosition(session, placement.position, placement.heading, number, &car, joinRunning);
    placement.raceStep = static_cast<int32_t>(race->stepCounter);
    placement.aidFlags = slot.descriptor.flags;
    if (inPit && slot.descriptor.type == PlayerLocal && CarHasPitLimiter(car))
        placement.pitSpeedLimit = GetLowestSpeedLimit();
    placement.markFinished = IsRaceSession() && !SessionCars.layoutRoute && RaceResultRows(*race) > 0;
    placement.fuelPercent = slot.descriptor.pitStrategy[0];
    ResetCarOnPlace(car, placement);
}

void ReturnCarToPit(InRaceSession* session, int slotIndex)
{
    Race* race = MutableSession.race;
    if (!race || slotIndex < 0 || slotIndex >= RaceSlotsInUse(*race) || !race->players[slotIndex].car)
        return;
    RacePlayer& slot = race->players[slotIndex];
    GetRaceHooks().sendCarDistanceReport(*slot.car);
    PlaceCar(session, slotIndex, 1, 0);
    RestartCarLapTiming(*slot.car);
    if (PhysicsStep.currentSet)
        WakeObject(*PhysicsStep.currentSet, *slot.car);
    if (slot.ai)
        ResetAiDriverForStart(*slot.ai, AiStartPit);
}
