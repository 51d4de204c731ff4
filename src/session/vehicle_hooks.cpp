// What the race session tells the cars: the race's cars and step counter,
// the hot lap, the lesson's watched car, hits near objects and the ground,
// and what the cars' lap timing and flags read of the race.
#include "session/ai_driver.h"
#include "session/local.h"

namespace {

int RaceSlotCars(CarObject** slots, int capacity)
{
    if (!CurrentRace)
        return 0;
    const int count = capacity < MaxRacePlayers ? capacity : MaxRacePlayers;
    for (int slot = 0; slot < count; slot++)
        slots[slot] = GetRaceSlotCar(*CurrentRace, slot);
    return count;
}

// A race is run for laps or for hours; practice and qualifying are not
// races.
bool IsRaceSession(const Race& race) { return race.raceLength > 0 && race.qualifyMinutes == 0; }

// The lap the race is on: one more than the most laps a car of the race
// has completed.
int32_t RaceLapNumber(const Race& race)
{
    int32_t most = 0;
    for (int slot = 0; slot < RaceSlotsInUse(race); slot++)
        if (const CarObject* car = GetRaceSlotCar(race, slot); car && car->race.lapCount > most)
            most = car->race.lapCount;
    return most + 1;
}

bool RaceTiming(RaceTimingFacts& facts)
{
    if (!CurrentRace)
        return false;
    const Race& race = *CurrentRace;
    facts.raceClock = GetRaceStepCounter(race);
    facts.startOffsetSeconds = race.startCountdown;
    facts.isRace = IsRaceSession(race) ? 1 : 0;
    facts.qualifying = race.qualifyMinutes != 0 ? 1 : 0;
    facts.qualifyingOver = facts.qualifying && IsQualifyingOver(race) ? 1 : 0;
    facts.hotLapTracked = IsHotLapTimed(race) ? 1 : 0;
    facts.lapClean = race.lapValidity[0];
    facts.raceLapNumber = RaceLapNumber(race);
    facts.raceLaps = GetLapCount(race);
    facts.raceEnded = facts.isRace && RaceResultRows(race) > 0 ? 1 : 0;
    facts.codePage = GetRaceHooks().languageCodePage();
    facts.bestLapNumber = race.bestLap.lapNumber;
    facts.bestSplitCount = race.bestLap.splitCount;
    for (int i = 0; i < 4; i++)
        facts.bestSplits[i] = race.bestLap.splits[i];
    return true;
}

int PlayerIdOfSlot(int slot)
{
    if (!CurrentRace || slot < 0 || slot >= RaceSlotsInUse(*CurrentRace))
        return -1;
    return CurrentRace->players[slot].descriptor.playerId;
}

int RunningOrder(uint8_t* slots, int capacity)
{
    if (!CurrentRace)
        return 0;
    const int count = capacity < CurrentRace->orderLength ? capacity : CurrentRace->orderLength;
    for (int i = 0; i < count; i++)
        slots[i] = CurrentRace->runningOrder[i];
    return count;
}

void SetBestLap(int splitCount, int lapNumber, const int32_t splits[4])
{
    if (!CurrentRace)
        return;
    BestLapReference& best = CurrentRace->bestLap;
    best.splitCount = splitCount;
    best.lapNumber = lapNumber;
    for (int i = 0; i < 4; i++)
        best.splits[i] = splits[i];
}

// A race for laps is over for a car that has run them; a race in hours for
// a car whose total time has reached them.
int FinishRuleMet(int lapsDone, int32_t totalTime)
{
    if (!CurrentRace || !IsRaceSession(*CurrentRace))
        return 0;
    const int code = CurrentRace->raceLength;
    if (code >= FirstHoursCode)
        return int64_t(totalTime) >= int64_t(code - FirstHoursCode + 1) * 360000 ? 1 : 0;
    return lapsDone >= GetLapCount(*CurrentRace) ? 1 : 0;
}

// The pit crew's orders of a slot: the pit fuel and tyre wear limit of
// its pit strategy, and the repair bit of its strategy byte.
bool SlotOrders(int slot, CarSlotOrders& orders)
{
    if (!CurrentRace || slot < 0 || slot >= RaceSlotsInUse(*CurrentRace))
        return false;
    const RacePlayer& player = CurrentRace->players[slot];
    if (!player.car)
        return false;
    const uint8_t* strategy = player.descriptor.pitStrategy;
    orders = {};
    orders.playerId = player.descriptor.playerId;
    orders.refuelPercent = strategy[1];
    orders.tyreWearLimit = strategy[2];
    orders.repair = strategy[3] & 1;
    orders.aiDriver = player.descriptor.type == PlayerAi || player.descriptor.type == PlayerRemoteAi ? 1 : 0;
    return true;
}

CarViewState SessionViewState()
{
    CarViewState view;
    view.noSimulation = ProgramMode.dedicatedMode != 0 ? 1 : 0;
    if (CurrentSession)
        view.viewedCar = GetSessionViewedCar(*CurrentSession);
    return view;
}

// The viewed car is shown in detail; the nearest-car list of the views is
// not kept yet, so no other car ranks.
int CarViewRank(const CarObject& car)
{
    return CurrentSession && GetSessionViewedCar(*CurrentSession) == &car ? CarShownInDetail : 0;
}

} // namespace

void InstallSessionVehicleHooks()
{
    CarRaceHooks race = GetCarRaceHooks();
    race.raceRunning = [] { return CurrentRace != nullptr; };
    race.raceSlotCars = RaceSlotCars;
    race.raceStepCounter = [] { return CurrentRace ? GetRaceStepCounter(*CurrentRace) : int32_t(0); };
    race.isHotLapTimed = [] { return CurrentRace && IsHotLapTimed(*CurrentRace) ? 1 : 0; };
    race.invalidateHotLap = [](int reason) {
        if (CurrentRace)
            InvalidateHotLap(*CurrentRace, reason);
    };
    race.autoKickOn = [] { return int(SessionCars.autoKickOn); };
    race.lessonWatchedCar = []() -> const CarObject* { return LessonWatchedCar; };
    race.checkLessonCarStopped = CheckLessonCarStopped;
    race.reportCarHitAt = ReportCarHitAt;
    race.groundHeight = GetGroundHeight;
    race.slotOrders = SlotOrders;
    race.raceLapCount = [] { return CurrentRace && IsRaceSession(*CurrentRace) ? GetLapCount(*CurrentRace) : 0; };
    race.raceStartOffset = [] { return CurrentRace ? int32_t(CurrentRace->startCountdown) : int32_t(0); };
    race.isLessonRunning = [] { return MutableSessionFrame.lessonState != 0 ? 1 : 0; };
    race.isPlayerCar = [](const CarObject& car) {
        return CurrentSession != nullptr && GetSessionPlayerCar(*CurrentSession) == &car;
    };
    race.viewState = SessionViewState;
    race.carViewRank = CarViewRank;
    SetCarRaceHooks(race);

    CarTimingHooks timing = GetCarTimingHooks();
    timing.raceFacts = RaceTiming;
    timing.playerIdOfSlot = PlayerIdOfSlot;
    timing.runningOrder = RunningOrder;
    timing.noteLapClean = [](int clean) {
        if (CurrentRace)
            SetNextLapValidity(*CurrentRace, clean == LapCleanOk);
    };
    timing.commitLapClean = [] {
        if (CurrentRace)
            AdvanceLapValidity(*CurrentRace);
    };
    timing.setBestLap = SetBestLap;
    timing.finishRuleMet = FinishRuleMet;
    timing.notePenaltyReport = [] {
        if (CurrentRace)
            CurrentRace->penaltyReport = 1;
    };
    timing.carCountedTimingPoint = [](CarObject& car, int timingPoint) {
        const int slot = GetPlayerSlotOfCar(car);
        if (CurrentRace && slot >= 0 && slot < RaceSlotsInUse(*CurrentRace) && CurrentRace->players[slot].ai)
            AiCarCountedTimingPoint(*CurrentRace->players[slot].ai, timingPoint);
    };
    SetCarTimingHooks(timing);
}
