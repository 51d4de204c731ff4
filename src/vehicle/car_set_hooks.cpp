// The car's part in the physics step: which race cars may keep sleeping,
// the slipstream a follower finds in the wakes of the cars ahead, the
// car's step tick, the step of a sleeping car, and the scenery objects its
// contact pass meets.
#include <cstring>

#include "vehicle/local.h"

namespace {

// Activity below this change since the stored activity leaves a sleeping
// car asleep (a steering twitch does not wake it).
constexpr int WakeActivity = 512;
constexpr int IgnitionWord = 5;

CarObject& AsCar(RigidBody& body) { return static_cast<CarObject&>(body); }

bool IsExactlyZero(float value)
{
    std::uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits == 0;
}

// The cars whose wakes a follower may sit in: the race's cars, or without a
// race (a hand-made set, the garage) the cars of the current set.
int ListWakeCars(RigidBody** cars)
{
    if (GetCarRaceHooks().raceRunning() || !MutablePhysicsStep.currentSet)
        return ListRaceCars(cars);
    int count = 0;
    const ObjectSet& set = *MutablePhysicsStep.currentSet;
    for (int i = 0; i < set.count && count < MaxRaceCars; ++i)
        if (set.members[i]->BodyKind() == 1)
            cars[count++] = set.members[i];
    return count;
}

}  // namespace

int ListRaceCars(RigidBody** cars)
{
    CarObject* slots[MaxRaceCars];
    const int slotCount = GetCarRaceHooks().raceSlotCars(slots, MaxRaceCars);
    int count = 0;
    for (int slot = 0; slot < slotCount; ++slot)
        if (slots[slot])
            cars[count++] = slots[slot];
    return count;
}

bool CarMayStayAsleep(RigidBody& body)
{
    const CarObject& car = AsCar(body);
    if (car.inputs.words[IgnitionWord] != 0)
        return false;
    if (!IsExactlyZero(car.step.speed) || !IsExactlyZero(car.engine.speed))
        return false;
    const int change = GetInputActivity(car) - car.step.inputActivity;
    return change < WakeActivity && -change < WakeActivity;
}

void ClearCarRestCounter(RigidBody& body) { AsCar(body).step.restCounter = 0; }

void GatherCarSlipstream(RigidBody& body)
{
    CarObject& follower = AsCar(body);
    RigidBody* cars[MaxRaceCars];
    const int count = ListWakeCars(cars);
    for (int i = 0; i < count; ++i) {
        if (cars[i] == &body || !cars[i]->enabled)
            continue;
        const CarObject& leader = AsCar(*cars[i]);
        const float depth = SlipstreamDepth(leader.step.wake, leader.predictedPosition, follower.predictedPosition);
        if (!(depth > 0))
            continue;
        const float factor = depth * leader.tuning.dragSum;
        for (int p = 0; p < 4; ++p) {
            AeroPoint& point = follower.aero[p];
            if (!(point.flags & AeroPresent))
                continue;
            const Vec3 moving = (factor * point.slipstreamShare) * leader.step.wake.originVelocity;
            point.airVelocity += moving;
            if (p == 3)
                follower.step.slipstream += moving;
        }
    }
}

void CountCarStepTick(RigidBody& body, bool layoutStart)
{
    CarObject& car = AsCar(body);
    ++car.race.stepCounter;
    if (layoutStart && car.race.stepCounter == car.race.raceStartStep) {
        car.race.lapStart = car.race.stepCounter;
        car.race.timingState = 2;
    }
}

void StepSleepingCar(RigidBody& body)
{
    CarObject& car = AsCar(body);
    UpdateBlinkers(car);
    if (!car.net.remote) {
        const int slot = GetLocalPlayerSlot(car);
        if (slot >= 0)
            HandlePlayerRequests(car, slot);
        StepRestingCar(car);
    }
    ++car.race.stepCounter;
}

void NoteCarHitByBody(RigidBody& hitCar)
{
    const CarObject* watched = GetCarRaceHooks().lessonWatchedCar();
    if (watched && MutablePhysicsStep.contactingCar && (&hitCar == watched || MutablePhysicsStep.contactingCar == watched))
        GetCarRaceHooks().checkLessonCarStopped();
}

void ClearCarNearbyObjects(RigidBody& car) { ClearTouchedObjects(AsCar(car)); }

void OfferCarNearbyObject(RigidBody& car, WorldObject& object) { AddTouchedObject(AsCar(car), object); }
