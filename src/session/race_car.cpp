// The race's one door to the car record: the fields it reads and marks.
#include "session/race_car.h"

#include "world/services.h"

RaceCarView ViewRaceCar(const CarObject& car)
{
    RaceCarView view;
    view.position = car.position;
    view.settled = car.settleCounter >= 100;
    view.pathNode = car.follower ? car.follower->position : -1;
    view.lapsDone = car.lapCount;
    view.timingState = car.timingState;
    view.stopped = car.stopped;
    view.stoppedSteps = car.stopped ? car.stepCounter - car.result.stopStep : 0;
    view.remote = car.remote;
    view.garageHeld = car.held;
    view.shortCode = car.shortCode;
    view.addedMass = car.appliedMass;
    view.restriction = car.appliedRestriction;
    view.stepCounter = car.stepCounter;
    view.gearboxKind = car.gearboxKind;
    return view;
}

CarResultState& GetCarResult(CarObject& car) { return car.result; }
const CarResultState& GetCarResult(const CarObject& car) { return car.result; }

void LinkCarToSlot(CarObject& car, PlayerCarBlock& block)
{
    car.setup = &block.setup;
    car.colour = &block.colours;
}

void DestroyRaceCar(CarObject* car)
{
    if (!car)
        return;
    DestroyCar(*car);
    delete car;
}
