// The active body set and the 10 ms physics step that advances it.
#include <cmath>

#include "vehicle/local.h"

PhysicsStepState MutablePhysicsStep;
const PhysicsStepState& PhysicsStep = MutablePhysicsStep;

namespace {

// The overflow message is re-armed whenever the set holds this many or fewer.
constexpr int OverflowRearmCount = 32;
// Knocked scenery is looked at once per this many steps, and withdrawn
// after this many such periods loose.
constexpr int KnockedPeriodSteps = 100;
constexpr int WithdrawPeriods = 8;
// Plain bodies outside these heights (16.16) have left the world.
constexpr std::int32_t LowestBodyZ = -1310720;  // -20 m
constexpr std::int32_t HighestBodyZ = 5242880;  // 80 m
// Most solid-object bodies one member looks at when it wakes what it touches.
constexpr int MaxCellBodies = 256;

bool IsMember(const ObjectSet& set, const RigidBody& body)
{
    for (int i = 0; i < set.count; ++i)
        if (set.members[i] == &body)
            return true;
    return false;
}

// The bounding spheres at the predicted positions overlap and each body's
// box reaches the other.
bool BodiesMayTouch(const RigidBody& body, const RigidBody& other)
{
    Vec3 d = OffsetFromFixed(other.predictedPosition - body.predictedPosition);
    float reach = body.radius + other.radius;
    return reach * reach > LengthSquared(d) && BodyBoxesOverlap(body, other) && BodyBoxesOverlap(other, body);
}

// Removes member index by moving the last member into its place.
void DropMember(ObjectSet& set, int index)
{
    set.members[index] = set.members[set.count - 1];
    set.members[set.count - 1] = nullptr;
    --set.count;
}

// The cars of the race that stay asleep this step, in slot order.
struct SleepingCars {
    int count = 0;
    RigidBody* cars[MaxRaceCars] = {};

    void Remove(int index)
    {
        for (int i = index; i + 1 < count; ++i)
            cars[i] = cars[i + 1];
        cars[--count] = nullptr;
    }
};

void WakeOrKeepSleeping(ObjectSet& set, SleepingCars& sleeping)
{
    RigidBody* cars[MaxRaceCars];
    int carCount = ListRaceCars(cars);
    for (int i = 0; i < carCount; ++i) {
        RigidBody& car = *cars[i];
        if (car.awake)
            continue;
        if (CarMayStayAsleep(car)) {
            sleeping.cars[sleeping.count++] = &car;
        } else if (WakeObject(set, car)) {
            car.awake = 1;
            ClearCarRestCounter(car);
        }
    }
}

// Members wake the scenery bodies and sleeping cars they are about to
// touch. Bodies that join here are not scanned themselves.
void WakeWhatMembersTouch(ObjectSet& set, SleepingCars& sleeping)
{
    BodySurroundings& world = GetBodySurroundings();
    int present = set.count;
    for (int m = 0; m < present; ++m) {
        RigidBody& member = *set.members[m];
        if (!member.enabled)
            continue;
        if (world.IsWorldLoaded()) {
            RigidBody* bodies[MaxCellBodies];
            int count = world.CollectCellBodies(member.predictedPosition, member.radius, bodies, MaxCellBodies);
            for (int i = 0; i < count; ++i)
                WakeIfTouching(set, member, *bodies[i]);
        }
        for (int i = 0; i < sleeping.count;) {
            RigidBody& car = *sleeping.cars[i];
            if (WakeIfTouching(set, member, car)) {
                car.awake = 1;
                ClearCarRestCounter(car);
                sleeping.Remove(i);
            } else {
                ++i;
            }
        }
    }
}

bool AnythingWithinReach(const ObjectSet& set, const SleepingCars& sleeping, const KnockedObject& knocked)
{
    // Whole metres, cut towards zero; a body of scenery read from a file may
    // be any size, so the cut is held to the int range.
    int objectRadius = RoundToInt32(std::trunc(knocked.body->radius));
    for (int i = 0; i < set.count; ++i)
        if (BodyWithinReach(*set.members[i], knocked.x, knocked.y, objectRadius))
            return true;
    for (int i = 0; i < sleeping.count; ++i)
        if (BodyWithinReach(*sleeping.cars[i], knocked.x, knocked.y, objectRadius))
            return true;
    return false;
}

// Knocked scenery left alone for eight periods is withdrawn, and comes back
// at its own place once nothing is near.
void ReturnKnockedObjects(ObjectSet& set, const SleepingCars& sleeping)
{
    BodySurroundings& world = GetBodySurroundings();
    int count = world.KnockedObjectCount();
    for (int i = 0; i < count; ++i) {
        KnockedObject knocked;
        if (!world.GetKnockedObject(i, knocked) || !knocked.body)
            continue;
        if (knocked.withdrawn) {
            if (!AnythingWithinReach(set, sleeping, knocked))
                world.RestoreKnockedObject(*knocked.object);
            continue;
        }
        if (++knocked.body->restPeriods < WithdrawPeriods)
            continue;
        for (int m = 0; m < set.count; ++m)
            if (set.members[m] == knocked.body) {
                DropMember(set, m);
                break;
            }
        world.WithdrawKnockedObject(*knocked.object, !knocked.body->awake);
    }
}

void DropRestingMembers(ObjectSet& set)
{
    for (int i = 0; i < set.count;) {
        const RigidBody& body = *set.members[i];
        std::int32_t z = body.position.z.raw;
        if (!body.awake || (body.BodyKind() == 0 && (z < LowestBodyZ || z > HighestBodyZ)))
            DropMember(set, i);
        else
            ++i;
    }
}

}  // namespace

void SetCurrentObjectSet(ObjectSet* set) { MutablePhysicsStep.currentSet = set; }

void ClearCurrentObjectSet() { MutablePhysicsStep.currentSet = nullptr; }

void ClearObjectSet(ObjectSet& set) { set = {}; }

void FillObjectSetWithCars(ObjectSet& set)
{
    set = {};
    set.reportOverflow = 1;
    set.count = ListRaceCars(set.members);
}

bool AddToObjectSet(ObjectSet& set, RigidBody& body)
{
    if (set.count >= MaxObjectSetBodies)
        return false;
    set.members[set.count++] = &body;
    return true;
}

bool RemoveFromObjectSet(ObjectSet& set, RigidBody& body)
{
    for (int i = 0; i < set.count; ++i) {
        if (set.members[i] != &body)
            continue;
        for (int j = i; j + 1 < set.count; ++j)
            set.members[j] = set.members[j + 1];
        set.members[--set.count] = nullptr;
        return true;
    }
    return false;
}

bool WakeObject(ObjectSet& set, RigidBody& body)
{
    if (IsMember(set, body))
        return false;
    if (set.count >= MaxObjectSetBodies) {
        if (set.reportOverflow == 1) {
            GetCarMessageHooks().printError(GetText(TX_3a_toomnyob));
            set.reportOverflow = 0;
        }
        return false;
    }
    // Prepared before it is counted, so that it does not meet itself.
    set.members[set.count] = &body;
    body.PrepareBody(PhysicsStepSeconds);
    ++set.count;
    return true;
}

bool WakeIfTouching(ObjectSet& set, RigidBody& body, RigidBody& other)
{
    if (!BodiesMayTouch(body, other))
        return false;
    return WakeObject(set, other);
}

bool IsClearOfAwakeBodies(const ObjectSet& set, const RigidBody& body)
{
    for (int i = 0; i < set.count; ++i) {
        const RigidBody& other = *set.members[i];
        if (&other != &body && other.awake && BodiesMayTouch(body, other))
            return false;
    }
    return true;
}

void UpdatePhysicsObjects(ObjectSet& set, int drawnAfter)
{
    BodySurroundings& world = GetBodySurroundings();
    const float dt = PhysicsStepSeconds;
    const float gravity = world.Gravity();

    SleepingCars sleeping;
    WakeOrKeepSleeping(set, sleeping);

    for (int i = 0; i < set.count; ++i)
        set.members[i]->PrepareBody(dt);

    WakeWhatMembersTouch(set, sleeping);

    if (set.count <= OverflowRearmCount)
        set.reportOverflow = 1;
    for (int i = 0; i < set.count; ++i) {
        RigidBody& body = *set.members[i];
        if (!body.movable)
            continue;
        bool isCar = body.BodyKind() == 1;
        if (isCar)
            MutablePhysicsStep.contactingCar = &body;
        RunBodyContacts(body, dt, drawnAfter);
        MutablePhysicsStep.contactingCar = nullptr;
    }

    bool layoutStart = world.LayoutHasStartPosition();
    for (int i = 0; i < set.count; ++i) {
        RigidBody& body = *set.members[i];
        if (body.BodyKind() == 1) {
            GatherCarSlipstream(body);
            body.IntegrateBody(dt, gravity);
            CountCarStepTick(body, layoutStart);
        } else {
            body.IntegrateBody(dt, gravity);
        }
    }

    for (int i = 0; i < sleeping.count; ++i)
        StepSleepingCar(*sleeping.cars[i]);

    const CarRaceHooks& race = GetCarRaceHooks();
    if (race.raceRunning() && world.IsWorldLoaded() && race.raceStepCounter() % KnockedPeriodSteps == 0)
        ReturnKnockedObjects(set, sleeping);

    DropRestingMembers(set);

    GetCarSoundHooks().feedGameSound(&set, drawnAfter);
}
