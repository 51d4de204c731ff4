// What a drive start, a join and a pit return do to a car record.
#include "session/race_car_start.h"

#include <cstring>

#include "session/race_car.h"
#include "world/services.h"

CarObject* CreateSlotCar(RacePlayer& slot, const char* carCode, int remote)
{
    auto* car = new CarObject;
    ConstructCar(*car);
    car->net.remote = remote ? 1 : 0;
    std::memcpy(car->data.plateText, slot.descriptor.plate, sizeof car->data.plateText);
    if (!LoadCarData(*car, carCode, slot.descriptor.figure, -1, &slot.carBlock.setup, -1, &slot.carBlock.colours)) {
        DestroyRaceCar(car);
        return nullptr;
    }
    LinkCarToSlot(*car, slot.carBlock);
    char skin[17];
    ColourConfigName(slot.carBlock.colours, skin);
    SetCarSkinName(*car, skin, &slot);
    return car;
}

void ResetCarFollower(CarObject& car)
{
    if (car.follower)
        ResetPathFollower(*car.follower);
}

void ResetCarOnPlace(CarObject& car, const CarPlacement& placement)
{
    car.race.stepCounter = placement.raceStep;
    car.net.lastRecordStep = placement.raceStep;
    ApplyPlayerAids(car, placement.aidFlags);
    car.lap.telemetryState = 0;
    ResetRaceState(car);
    SetCarPosition(car, placement.position);
    SetCarStartPoint(car);
    ResetCar(car, placement.heading, 0, 1);
    StartEngineAtIdle(car.engine);
    car.race.pitSpeedLimit = static_cast<uint8_t>(Clamp(placement.pitSpeedLimit, 0, 255));
    if (placement.markFinished)
        car.race.result.finished = 1;
    SetFuelPercent(car, placement.fuelPercent);
    UpdateCarMassProperties(car);
    ClearCarCaption(car);
}

void RestartCarLapTiming(CarObject& car) { StartCarLapTiming(car); }

void SetCarRaceStartStep(CarObject& car, int32_t step) { car.race.raceStartStep = step; }

void ClearCarCaption(CarObject& car) { std::memset(car.race.result.tag, 0, sizeof car.race.result.tag); }

int CarHasPitLimiter(const CarObject& car) { return (car.data.dataFlags & CarDataPitLimiter) ? 1 : 0; }

float GetCarRadius(const CarObject& car) { return car.radius; }

int IsCarStillRacing(const CarObject& car)
{
    return !car.race.result.finished && car.race.pitState == 0 && !IsCarStopped(car);
}
