// The race's one door to the car record: the fields it reads and marks.
#include "session/race_car.h"

#include "world/services.h"

RaceCarView ViewRaceCar(const CarObject& car)
{
    RaceCarView view;
    view.position = car.position;
    view.settled = car.step.settleCounter >= 100;
    view.pathNode = car.follower ? car.follower->position : -1;
    view.lapsDone = car.race.lapCount;
    view.timingState = car.race.timingState;
    view.stopped = car.race.stopped;
    view.stoppedSteps = car.race.stopped ? car.race.stepCounter - car.race.result.stopStep : 0;
    view.remote = car.net.remote;
    view.garageHeld = car.step.held;
    view.shortCode = car.data.shortCode;
    view.addedMass = car.tuning.appliedMass;
    view.restriction = car.tuning.appliedRestriction;
    view.stepCounter = car.race.stepCounter;
    view.gearboxKind = car.data.gearboxKind;
    view.steering = car.step.steerAngle;
    return view;
}

CarResultState& GetCarResult(CarObject& car) { return car.race.result; }
const CarResultState& GetCarResult(const CarObject& car) { return car.race.result; }

void LinkCarToSlot(CarObject& car, PlayerCarBlock& block)
{
    car.data.setup = &block.setup;
    car.data.colour = &block.colours;
}

void DestroyRaceCar(CarObject* car)
{
    if (!car)
        return;
    DestroyCar(*car);
    delete car;
}

void ResetRaceCarFollower(CarObject& car)
{
    if (car.follower)
        ResetPathFollower(*car.follower);
}
