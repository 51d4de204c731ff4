// Cars joining and leaving a running session, driver swaps and car hits;
// the session's player car and viewed car never point at a freed car.
#include <cmath>

#include "session/ai_driver.h"
#include "session/local.h"
#include "session/race_car.h"
#include "session/race_car_start.h"
#include "world/services.h"

SessionCarState MutableSessionCars;
const SessionCarState& SessionCars = MutableSessionCars;

namespace {

// Interface sounds of car hits.
constexpr int SoundCarHit = 3;
constexpr int SoundHardCarHit = 4;
constexpr int HardHitKind = 3;
// The car-hit packet: [50][player id][2][0].
constexpr uint8_t CarHitPacketType = 50;
constexpr uint8_t CarHitPacketKind = 2;
// A joining car's lap timing on a layout route starts after the countdown.
constexpr int StepsPerSecond = 100;

// The lowest start position index 0..31 that no other slot uses.
uint8_t LowestFreeStartPosition(const Race& race, const RacePlayer& joining)
{
    bool used[MaxRacePlayers] = {};
    for (int i = 0; i < RaceSlotsInUse(race); ++i) {
        const RacePlayer& other = race.players[i];
        if (&other != &joining && other.descriptor.startPosition < MaxRacePlayers)
            used[other.descriptor.startPosition] = true;
    }
    uint8_t index = 0;
    while (index < MaxRacePlayers - 1 && used[index])
        ++index;
    return index;
}

// A car the session may see: a session runs and a race holds the slot.
int SlotIndexInRace(const RacePlayer& slot)
{
    const Race* race = CurrentRace;
    if (!race)
        return -1;
    const auto index = &slot - race->players;
    return index >= 0 && index < RaceSlotsInUse(*race) ? static_cast<int>(index) : -1;
}

int IsWorldLoaded() { return CurrentWorld && CurrentWorld->ready && !IsWorldLoading(); }

// Which car the session drives and shows after a car joined.
void ChooseCarsAfterJoin(const Race& race, RacePlayer& slot, int inPit)
{
    SessionCarState& cars = MutableSessionCars;
    if (cars.replay && cars.seeking) {
        if (slot.descriptor.playerId == cars.seekViewedPlayerId)
            cars.viewedCar = slot.car;
    } else if (slot.descriptor.type == PlayerLocal) {
        cars.playerCar = slot.car;
        cars.viewedCar = slot.car;
        cars.viewMode = SessionViewDriver;
    } else if (slot.ai) {
        ResetAiDriverForStart(*slot.ai, inPit ? AiStartPit : AiStartGrid);
    }
    if (!cars.viewedCar && !HasLocalPlayer(race))
        cars.viewedCar = slot.car;
}

// The first car in slot order, for a view that lost its car.
CarObject* FirstRaceCar()
{
    const Race* race = CurrentRace;
    for (int i = 0; race && i < RaceSlotsInUse(*race); ++i)
        if (race->players[i].car)
            return race->players[i].car;
    return nullptr;
}

} // namespace

void BeginSessionCars()
{
    MutableSessionCars = {};
    MutableSessionCars.running = 1;
}

void ResetSessionCars() { MutableSessionCars = {}; }

void SetSessionReplayState(int replay, int seeking, int seekViewedPlayerId)
{
    MutableSessionCars.replay = static_cast<uint8_t>(replay ? 1 : 0);
    MutableSessionCars.seeking = static_cast<uint8_t>(seeking ? 1 : 0);
    MutableSessionCars.seekViewedPlayerId = static_cast<uint8_t>(seekViewedPlayerId);
}

void DetachSessionCar(const CarObject& car)
{
    SessionCarState& cars = MutableSessionCars;
    if (cars.playerCar == &car)
        cars.playerCar = nullptr;
    if (cars.viewedCar == &car)
        cars.viewedCar = cars.playerCar;
    if (PhysicsStep.currentSet)
        RemoveFromObjectSet(*PhysicsStep.currentSet, const_cast<CarObject&>(car));
}

int AddCarToSession(RacePlayer& slot)
{
    Race* race = MutableSession.race;
    const int index = SlotIndexInRace(slot);
    if (!race || index < 0)
        return 0;
    LoadPlayerCar(slot);
    slot.descriptor.flags &= static_cast<uint16_t>(~PlayerLeftRace);
    slot.descriptor.startPosition = LowestFreeStartPosition(*race, slot);
    slot.descriptor.pitStart = 0;
    if (!slot.car)
        return 0;
    const int inPit = !IsRaceSession() || (IsWorldLoaded() && !SessionCars.layoutRoute);
    if (inPit)
        slot.descriptor.pitStart = 1;
    PlaceCar(CurrentSession, index, inPit, 0);
    if (PhysicsStep.currentSet)
        WakeObject(*PhysicsStep.currentSet, *slot.car);
    ChooseCarsAfterJoin(*race, slot, inPit);
    if (SessionCars.layoutRoute) {
        SetCarRaceStartStep(*slot.car,
                            static_cast<int32_t>(race->stepCounter) + StepsPerSecond * SessionCars.startCountdown);
        slot.descriptor.pitStart = 1;
    } else if (IsWorldLoaded()) {
        RestartCarLapTiming(*slot.car);
    }
    if (SessionCars.hotLapping)
        GetRaceHooks().voteRestart();
    return inPit;
}

void RemoveCarFromSession(RacePlayer& slot)
{
    if (!SessionCars.running || !slot.car)
        return;
    CarObject* car = slot.car;
    slot.car = nullptr;
    const RaceHooks& hooks = GetRaceHooks();
    if (hooks.isOnline() && slot.descriptor.connection < hooks.connectionCount())
        hooks.clearConnectionInRace(slot.descriptor.connection);
    DetachSessionCar(*car);
    if (!SessionCars.viewedCar) {
        MutableSessionCars.viewMode = SessionViewCam;
        MutableSessionCars.viewedCar = FirstRaceCar();
    }
    if (Race* race = MutableSession.race; race && RacePhase == 1 && !SessionCars.layoutRoute)
        ScheduleResultsSend(*race);
    FreeAiDriver(slot.ai);
    slot.ai = nullptr;
    DestroyRaceCar(car);
}

void ReleasePlayerCar()
{
    SessionCarState& cars = MutableSessionCars;
    if (!cars.running || !CurrentRace || !cars.playerCar)
        return;
    ClearCarLocalControl(*cars.playerCar);
    cars.playerCar = nullptr;
    cars.viewMode = SessionViewCam;
}

void TakeOverPlayerCar(RacePlayer& slot)
{
    if (!slot.car)
        return;
    SessionCarState& cars = MutableSessionCars;
    cars.playerCar = slot.car;
    SetCarLocalControl(*slot.car);
    cars.viewedCar = slot.car;
    cars.viewMode = SessionViewDriver;
    if (const char* code = GetCarCode(slot.carBlock.carName))
        RunScript(code);
}

void OnCarHitPacket(const CarObject& car, int kind)
{
    if (&car == SessionCars.viewedCar)
        GetRaceHooks().playInterfaceSound(kind == HardHitKind ? SoundHardCarHit : SoundCarHit);
}

void ReportCarHitAt(const FixedVector& point, float radius)
{
    const Race* race = CurrentRace;
    if (!race)
        return;
    int nearest = -1;
    double nearestDistance = 0;
    for (int i = 0; i < RaceSlotsInUse(*race); ++i) {
        const CarObject* car = race->players[i].car;
        if (!car)
            continue;
        const FixedVector at = ViewRaceCar(*car).position;
        const double dx = (at.x - point.x).raw / 65536.0, dy = (at.y - point.y).raw / 65536.0,
                     dz = (at.z - point.z).raw / 65536.0;
        const double distance = std::sqrt(dx * dx + dy * dy + dz * dz);
        if (distance < radius + GetCarRadius(*car) && (nearest < 0 || distance < nearestDistance)) {
            nearest = i;
            nearestDistance = distance;
        }
    }
    if (nearest < 0)
        return;
    const RacePlayer& slot = race->players[nearest];
    if (slot.descriptor.type != PlayerLocal && slot.descriptor.type != PlayerAi)
        return;
    const RaceHooks& hooks = GetRaceHooks();
    if (slot.car == SessionCars.viewedCar)
        hooks.playInterfaceSound(SoundCarHit);
    if (!(SessionCars.replay && GameKind == 2)) {
        const uint8_t packet[4] = {CarHitPacketType, slot.descriptor.playerId, CarHitPacketKind, 0};
        hooks.queueGamePacket(packet, 4);
    }
}
