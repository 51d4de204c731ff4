// What the race session tells the cars: the race's cars and step counter,
// the hot lap, the lesson's watched car, hits near objects and the ground.
#include "session/services.h"
#include "vehicle/services.h"

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
    race.lessonWatchedCar = []() -> const CarObject* { return LessonWatchedCar; };
    race.checkLessonCarStopped = CheckLessonCarStopped;
    race.reportCarHitAt = ReportCarHitAt;
    race.groundHeight = GetGroundHeight;
    SetCarRaceHooks(race);
}
