// What the AI drivers see of the loaded world and the current race in a
// step, gathered in one place so the driving code reads plain values.
#include "session/ai_driver_record.h"
#include "session/local.h"

namespace {

// One draw of the simulation's random value, which the world keeps with
// the start delay and the wind, so a race with AI drivers stays the same
// on every computer that runs it.
uint16_t DrawWorldRandom() { return CurrentWorld ? StepWorldRandom(*CurrentWorld) : uint16_t(0); }

// The bit of the host's rules that lets cars be reset onto the track.
constexpr uint32_t HostRuleCarResets = 0x80;
// The garage place of the car's race slot: its pit box, else its start
// place.
bool SlotPitPlace(const CarObject& car, FixedVector& place, float& heading)
{
    const int slot = GetPlayerSlotOfCar(car);
    if (!CurrentWorld || slot < 0)
        return false;
    GetPitPosition(*CurrentWorld, place, heading, slot, nullptr, 1);
    return true;
}

void GatherWorld(AiRaceView& view)
{
    view.pathWorld = CurrentPathWorld();
    if (!CurrentWorld)
        return;
    const World& world = *CurrentWorld;
    view.pathWorld.currentPath = world.racingPath;
    view.configuration = world.configuration;
    view.reversed = world.reversed;
    view.startLightPhase = world.startLightState;
    view.timingPointCount = GetCheckpointCount(world);
    view.pitSpeedLimit = PitLaneSpeedLimit(world);
    view.pitBoxCount = GetCarPathHooks().pitBoxes(view.pitBoxes, MaxRacePlayers);
    if (world.startGrid) {
        FixedVector point;
        view.hasStartGrid = 1;
        GetGridPosition(*world.startGrid, 0, point, view.startGridHeading);
    }
    view.pitPlace = SlotPitPlace;
    view.drawRandom = DrawWorldRandom;
}

void GatherRace(AiRaceView& view)
{
    if (!CurrentRace)
        return;
    const Race& race = *CurrentRace;
    view.raceSession = IsRaceSession();
    view.qualifying = IsQualifyingSession();
    view.raceLengthCode = race.raceLength;
    view.raceLaps = race.raceLength > 0 && race.raceLength < FirstHoursCode ? GetLapCount(race) : 0;
    // Offline a car may always be put back on the road; online the host's
    // rules say.
    const uint32_t rules = GetCarNetHooks().hostRules();
    view.resetsAllowed = !GetCarNetHooks().isOnline() || (rules & HostRuleCarResets) ? 1 : 0;
    view.pitStopRequired = GetRaceHooks().isPitStopRequired();
    view.slotCount = RaceSlotsInUse(race);
    for (int i = 0; i < view.slotCount; i++)
        view.cars[i] = race.players[i].car;
    view.orderLength = race.orderLength > MaxRacePlayers ? MaxRacePlayers : race.orderLength;
    for (int i = 0; i < view.orderLength; i++)
        view.runningOrder[i] = race.runningOrder[i];
}

} // namespace

AiRaceView GatherAiRaceView()
{
    AiRaceView view;
    GatherWorld(view);
    GatherRace(view);
    return view;
}
