// The settle counter and the stopped flag of a car: a freshly reset car
// settles on its springs before gears can be chosen, and a car that stands
// still is marked stopped for the brakes, the rest test and the pit stop.
#include "vehicle/local.h"

namespace {

// m/s: a stopped car moves again above the first speed, a moving car
// stops below the second; the gap keeps a creeping car from flickering.
constexpr float MovingAgainSpeed = 1.0f, StoppingSpeed = 0.6f;

// The car comes to a standstill: the stop and activity steps (the stop
// step is kept while pit work runs, so the stop's time counts from its
// start), a fresh rest count and the input activity to compare against.
void MarkCarStopped(CarObject& car)
{
    car.race.stopped = 1;
    car.step.activityStep = car.race.stepCounter;
    if (car.race.pitWork == 0)
        car.race.stopStep = car.race.stepCounter;
    car.step.restCounter = 0;
    car.step.inputActivity = GetInputActivity(car);
}

} // namespace

int UpdateStoppedState(CarObject& car)
{
    if (car.step.settleCounter < CarSettledSteps) {
        car.step.settleCounter++;
        return 0;
    }
    const float threshold = car.race.stopped ? MovingAgainSpeed : StoppingSpeed;
    const uint8_t slow = car.step.speed < threshold ? 1 : 0;
    if (slow == car.race.stopped)
        return 0;
    if (slow) {
        MarkCarStopped(car);
    } else {
        car.race.stopped = 0;
        const int slot = car.net.remote ? -1 : GetPlayerSlotOfCar(car);
        if (slot >= 0)
            CheckFalseStartOnMoving(car, slot);
    }
    return 1;
}
