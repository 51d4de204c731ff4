// The in-race session's life: creation on a screen, the cars it loads and
// the clock it starts, the exit request, and the small questions others ask
// of the running session.
#include <new>

#include "session/local.h"

namespace {

// The car the cameras follow when none is chosen: the player's car, else
// the first slot that has a car.
CarObject* FirstViewableCar()
{
    if (SessionCars.playerCar)
        return SessionCars.playerCar;
    if (!CurrentRace)
        return nullptr;
    for (int slot = 0; slot < RaceSlotsInUse(*CurrentRace); ++slot)
        if (CarObject* car = GetRaceSlotCar(*CurrentRace, slot))
            return car;
    return nullptr;
}

// The local slot's car drives on this computer; AI and remote cars do not.
CarObject* FindLocalPlayerCar()
{
    if (!CurrentRace)
        return nullptr;
    const int slot = FindLocalPlayerIndex(*CurrentRace);
    return slot >= 0 ? CurrentRace->players[slot].car : nullptr;
}

// Loads the car of every slot that has not left the race; answers how
// many cars were loaded.
int LoadSessionCars(Race& race)
{
    int loaded = 0;
    for (int slot = 0; slot < RaceSlotsInUse(race); ++slot) {
        RacePlayer& player = race.players[slot];
        if (player.descriptor.flags & PlayerLeftRace)
            continue;
        LoadPlayerCar(player);
        if (player.car)
            ++loaded;
    }
    return loaded;
}

// The cars of the race and the clock: every slot that has not left the race
// loads its car, the due step starts at the race's step (online every
// computer allows the same loading time per car, offline the real loading
// time is added, so that the race starts where it stands), and the drive
// starts: every car on its place, the lights and the wind set from the race.
void SetupSessionCars(InRaceSession& session, int joinRunning)
{
    const uint32_t loadStartMs = GameTime.realMs;
    Race* race = MutableSession.race;
    int loaded = 0;
    if (race) {
        race->fromGrid = 1;
        loaded = LoadSessionCars(*race);
    }
    const int32_t loadingMs = int32_t(GameTime.realMs - loadStartMs);
    const RaceHooks& hooks = GetRaceHooks();
    if (!joinRunning)
        hooks.shiftClockOrigin(hooks.isOnline() ? loaded * OnlineLoadAllowanceMs : loadingMs);
    StartDrive(&session, GameKind == 3 ? 1 : 0, joinRunning, race && joinRunning ? race->stepCounter : 0);
    if (!SessionCars.playerCar)
        MutableSessionCars.playerCar = FindLocalPlayerCar();
    if (!SessionCars.viewedCar)
        MutableSessionCars.viewedCar = FirstViewableCar();
}

} // namespace

InRaceSession* CreateSession(Screen* owner, int type, int joinRunning)
{
    InRaceSession* session = new InRaceSession{};
    SetCurrentObjectSet(&session->objectSet);
    session->owner = owner;
    session->running = 1;
    session->backgroundReplay = type == 1 ? 1 : 0;
    session->replayViewer = type == 2 ? 1 : 0;
    MutableSession.session = session;
    MutableSessionFrame = {};
    BeginSessionCars();
    SetupSessionCars(*session, joinRunning);
    return session;
}

int SessionShowsNoCar(const InRaceSession&) { return SessionCars.viewedCar ? 0 : 1; }

CarObject* GetSessionPlayerCar(const InRaceSession&) { return SessionCars.playerCar; }
CarObject* GetSessionViewedCar(const InRaceSession&) { return SessionCars.viewedCar; }

ObjectSet& GetSessionObjectSet(InRaceSession& session) { return session.objectSet; }

void ChooseViewedCarIfNone(InRaceSession&)
{
    if (!SessionCars.viewedCar)
        MutableSessionCars.viewedCar = FirstViewableCar();
}

void RestartSessionDrive(InRaceSession& session) { StartDrive(&session, 0, 0, 0); }

void RequestSessionExit()
{
    if (!CurrentSession)
        return;
    MutableSession.racePhase = 0;
    MutableSession.gameKind = 1;
    CurrentSession->running = 0;
}

void ClearSessionRunFlag(InRaceSession& session) { session.running = 0; }

const char* GetSessionKindText()
{
    if (!CurrentRace || CurrentRace->raceLength == 0)
        return GetText(TX_3a_smlpract);
    return RacePhase == 2 ? GetText(TX_3a_smlqulng) : GetText(TX_3a_sml_race);
}

int AreLocalCarsIdle()
{
    if (!CurrentSession || !CurrentRace || !GetRaceHooks().isOnline())
        return 1;
    GameVoteWords votes;
    GetRaceHooks().readVoteWords(votes);
    if (votes.decidedVote != 0)
        return 1;
    for (int slot = 0; slot < RaceSlotsInUse(*CurrentRace); ++slot) {
        const RacePlayer& player = CurrentRace->players[slot];
        if (player.descriptor.type != PlayerLocal || !player.car)
            continue;
        const RaceCarView car = ViewRaceCar(*player.car);
        if (!car.stopped || car.stoppedSteps < IdleAfterStopSteps)
            return 0;
    }
    return 1;
}
