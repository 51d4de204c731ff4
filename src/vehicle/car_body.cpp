// The car's body operations: the wheels' ground and side probes in the
// contact pass, the prepare step, the commit with the distance and fuel
// report, the impact list, the touched objects, the mass with its fuel and
// the stand-alone stepping of a car outside a race.
#include <cmath>
#include <cstring>

#include "vehicle/local.h"

namespace {

// Fuel density, kg per litre.
constexpr float FuelDensity = 0.74f;
// cos 45 degrees: an up axis above it is upright, below its negative upside down.
constexpr float UprightLimit = 0.7071f;
// How far a ground probe reaches below the fully compressed hub beyond the
// tyre radius and the travel, m: a wheel hanging free still sees the ground.
constexpr float ProbeMargin = 0.1f;
// Report counters, 16.16: a report goes at 2048 m or 192 hundredths of a
// litre; counters at twice that are dropped (a long unreported stretch).
constexpr int32_t ReportDistance = 2048 << 16, DropDistance = 4096 << 16;
constexpr int32_t ReportFuel = 192 << 16, DropFuel = 384 << 16;
constexpr uint8_t DistanceReportPacket = 48;
constexpr uint8_t ImpactPacket = 57;
// Stand-alone stepping never catches up more than this, ms.
constexpr uint32_t MaxCatchUpMs = 100;

int ClampKind(int kind) { return kind < 0 || kind >= SurfaceKindCount ? NoSurfaceKind : kind; }

// The car's down axis in world axes (minus the rotation's third column).
Vec3 DownAxis(const FloatMatrix& r) { return {-r.m[2], -r.m[5], -r.m[8]}; }
Vec3 RightAxis(const FloatMatrix& r) { return {r.m[0], r.m[3], r.m[6]}; }

// One probe's result into its wheel contact: the end values move to the
// previous ones (or, for a new contact, the previous ones take the new).
void TakeProbeHit(CarObject& car, WheelContact& contact, const ContactQueryRecord& hit, float reach)
{
    Vec3 point = OffsetFromFixed(hit.hitPosition - car.position);
    float depth = FixedToMetres(hit.hitDepth) * reach;
    if (contact.touching) {
        contact.previousPoint = contact.endPoint;
        contact.previousNormal = contact.endNormal;
        contact.previousDepth = contact.endDepth;
    } else {
        contact.previousPoint = point;
        contact.previousNormal = hit.hitNormal;
        contact.previousDepth = depth;
        contact.point = point;
        contact.normal = hit.hitNormal;
        contact.depth = depth;
    }
    contact.endPoint = point;
    contact.endNormal = hit.hitNormal;
    contact.endDepth = depth;
    contact.position = hit.hitPosition;
    contact.body = hit.hitBody;
    contact.surface = hit.hitSurface;
    contact.previousGrip = contact.grip;
    contact.touching = 1;
}

void ShiftContact(WheelContact& contact, const Vec3& d)
{
    contact.point -= d;
    contact.previousPoint -= d;
    contact.endPoint -= d;
}

// Places the two probes of every wheel at the car's pose before the step.
void PlaceWheelProbes(CarObject& car)
{
    const Vec3 down = DownAxis(car.rotation);
    const Vec3 right = RightAxis(car.rotation);
    const float moved = std::sqrt(LengthSquared(car.velocity)) * PhysicsStepSeconds;
    for (int i = 0; i < car.wheelCount; ++i) {
        Wheel& wheel = car.wheels[i];
        const Axle& axle = car.axles[wheel.axleIndex];
        wheel.probeCountdown = wheel.probeCountdown > moved ? wheel.probeCountdown - moved : 0.0f;
        // From the hub at full compression straight down past the tyre.
        const Vec3 top = {wheel.hubPoint.x, wheel.hubPoint.y, wheel.mountHeight + wheel.maxTravel};
        wheel.probeReach = wheel.maxTravel + axle.tyreRadius + ProbeMargin;
        const FixedVector reach = FixedFromOffset(wheel.probeReach * down);
        wheel.groundProbe = {};
        wheel.groundProbe.queryPosition = car.position + FixedFromOffset(Rotate(car.rotation, top)) + reach;
        wheel.groundProbe.queryDirection = reach;
        wheel.sideProbe = {};
        if (wheel.side != 0) {
            // From the hub out along the axle to the rim's outer side.
            const FixedVector out = FixedFromOffset((wheel.side * (axle.tyreWidth * 0.5f + axle.wheelOffset)) * right);
            wheel.sideProbe.queryPosition = car.position + FixedFromOffset(Rotate(car.rotation, wheel.hubPoint)) + out;
            wheel.sideProbe.queryDirection = out;
        }
    }
}

// The wake: where a following car finds the slipstream.
void UpdateWake(CarObject& car)
{
    CarWake& wake = car.step.wake;
    wake = {};
    wake.originVelocity = car.velocity;
    Vec3 r = car.step.wind - car.velocity;
    float r2 = LengthSquared(r);
    if (r2 >= 0.0001f) {
        float length = std::sqrt(r2);
        wake.trailing = (1.0f / length) * r;
        wake.halfWidth = car.radius;
        wake.farEnd = length * 0.24f + car.radius;
        wake.nearEnd = -car.radius;
    }
}

void RebuildCarShape(CarObject& car)
{
    GetCarDrawHooks().freeCarPartMeshes(car);
    RestoreCarShape(car);
    DeformCarMesh(car);
}

}  // namespace

// ---------------------------------------------------------------------------
// The body operations.

void CarObject::ContactWorldObject(WorldObject& object, int whenAbove, int whenFront, int whenRear)
{
    CarObject& car = *this;
    bool skipWheels = false;
    if (car.net.oneFullStep) {
        const float up = car.rotation.m[8];
        if (up > UprightLimit && car.step.roadLane >= 1 && car.step.roadLane <= 6) {
            // An upright remote car on the road: its body only where a wheel
            // has run out of travel or lost its suspension.
            int rear = 0, front = 0;
            for (int i = 0; i < car.wheelCount; ++i) {
                const Wheel& wheel = car.wheels[i];
                if (wheel.travel > wheel.maxTravel || wheel.damageState[0] == DamageAtLimit)
                    (wheel.axleIndex == 0 ? rear : front) = 1;
            }
            if (rear || front)
                RigidBody::ContactWorldObject(object, 0, front, rear);
        } else {
            skipWheels = up < -UprightLimit;
            RigidBody::ContactWorldObject(object, 1, 1, 1);
        }
    } else {
        RigidBody::ContactWorldObject(object, whenAbove, whenFront, whenRear);
    }
    if (skipWheels)
        return;
    BodySurroundings& world = GetBodySurroundings();
    for (int i = 0; i < car.wheelCount; ++i) {
        Wheel& wheel = car.wheels[i];
        world.ObjectContactQuery(object, wheel.groundProbe.queryPosition, wheel.groundProbe.queryDirection,
                                 wheel.groundProbe);
        if (wheel.side != 0)
            world.ObjectContactQuery(object, wheel.sideProbe.queryPosition, wheel.sideProbe.queryDirection,
                                     wheel.sideProbe);
    }
}

void CarObject::CollideWithBody(RigidBody& other, const FixedVector& offset)
{
    RigidBody::CollideWithBody(other, offset);
    const Vec3 toOther = OffsetFromFixed(offset);
    for (int i = 0; i < wheelCount; ++i) {
        Wheel& wheel = wheels[i];
        TestPointAgainstFaces(other, wheel.groundProbe.queryPosition, wheel.groundProbe.queryDirection,
                              wheel.groundProbe);
        if (wheel.side != 0 && Dot(OffsetFromFixed(wheel.sideProbe.queryDirection), toOther) > 0)
            TestPointAgainstFaces(other, wheel.sideProbe.queryPosition, wheel.sideProbe.queryDirection,
                                  wheel.sideProbe);
    }
}

void CarObject::FlatGroundContacts()
{
    RigidBody::FlatGroundContacts();
    for (int i = 0; i < wheelCount; ++i) {
        FlatGroundContact(wheels[i].groundProbe);
        if (wheels[i].side != 0)
            FlatGroundContact(wheels[i].sideProbe);
    }
}

void CarObject::FinishContacts()
{
    RigidBody::FinishContacts();
    CarObject& car = *this;
    BodySurroundings& world = GetBodySurroundings();
    for (int i = 0; i < car.wheelCount; ++i) {
        Wheel& wheel = car.wheels[i];
        const ContactQueryRecord& ground = wheel.groundProbe;
        if (ground.hitDepth.raw <= 0) {
            wheel.ground.touching = 0;
        } else {
            int kind = ground.hitSurface ? ClampKind(world.SurfaceKind(*ground.hitSurface)) : NoSurfaceKind;
            wheel.surfaceKind = kind;
            TakeProbeHit(car, wheel.ground, ground, wheel.probeReach);
            int compound = car.axles[wheel.axleIndex].tyreType;
            compound = compound < 0 || compound >= TyreCompoundCount ? 0 : compound;
            wheel.ground.grip = GripTable[compound][kind];
        }
        const ContactQueryRecord& side = wheel.sideProbe;
        if (wheel.side == 0 || side.hitDepth.raw <= 0) {
            wheel.rim.touching = 0;
            continue;
        }
        const float reach = std::sqrt(LengthSquared(OffsetFromFixed(side.queryDirection)));
        TakeProbeHit(car, wheel.rim, side, reach);
        wheel.rim.grip = 1;
        wheel.rim.frictionFactor = 1;
        if (side.hitBody) {
            wheel.rim.kind = 1;
            if (side.hitBody->movable)
                side.hitBody->touched = 1;
        } else if (side.hitSurface) {
            wheel.rim.kind = (world.SurfaceFlags(*side.hitSurface) & 1) ? 2 : 1;
        } else {
            wheel.rim.kind = 1;
        }
    }
}

void CarObject::IntegrateBody(float dt, float gravity) { StepCar(*this, dt, gravity); }

void CarObject::PrepareBody(float dt)
{
    CarObject& car = *this;
    if (!car.awake) {
        // A car being woken is prepared before its awake byte is set: the
        // body as the base prepares it, and the wheels' probes where it
        // stands, so that its first contact pass finds its ground.
        RigidBody::PrepareBody(dt);
        PlaceWheelProbes(car);
        return;
    }
    if (car.net.rebuildDamage) {
        car.net.rebuildDamage = 0;
        RebuildCarShape(car);
    }
    if (!car.net.remote)
        UpdateCarMassProperties(car);
    RigidBody::PrepareBody(dt);
    PlaceWheelProbes(car);
    car.step.wind = GetBodySurroundings().Wind();
    for (AeroPoint& point : car.aero)
        point.airVelocity = car.step.wind;
    car.step.slipstream = {};
    if (!MutablePhysicsStep.resimulatingCar)
        UpdateWake(car);
}

void CarObject::CommitBodyMove()
{
    CarObject& car = *this;
    if (car.step.lost)
        return;
    const float d = std::sqrt(LengthSquared(car.displacement));
    car.step.stepDistance = int32_t(std::nearbyint(d * 65536.0f));
    if (!car.net.remote) {
        if (!car.step.held)
            car.race.odometer += d;
        car.net.distanceCounter += car.step.stepDistance;
        car.net.fuelCounter += int32_t(std::nearbyint(double(car.step.fuelUsed) * 6553600.0));
        if (car.net.distanceCounter >= ReportDistance || car.net.fuelCounter >= ReportFuel) {
            if (car.net.distanceCounter >= DropDistance)
                car.net.distanceCounter = 0;
            if (car.net.fuelCounter >= DropFuel)
                car.net.fuelCounter = 0;
            int fuelUnits = car.net.fuelCounter >> 16;
            int metres = car.net.distanceCounter >> 16;
            fuelUnits = fuelUnits > 192 ? 192 : fuelUnits;
            metres = metres > 2048 ? 2048 : metres;
            car.net.lastReport[0] = DistanceReportPacket;
            car.net.lastReport[1] = uint8_t(fuelUnits);
            car.net.lastReport[2] = uint8_t(metres & 0xFF);
            car.net.lastReport[3] = uint8_t(metres >> 8);
            car.net.fuelCounter -= fuelUnits << 16;
            car.net.distanceCounter -= metres << 16;
            const CarNetHooks& net = GetCarNetHooks();
            if (net.isOnline() && !net.isReplayPlaying() && GetPlayerSlotOfCar(car) >= 0) {
                car.net.reportFlag = 1;
                net.sendToHost(car.net.lastReport, 4);
            }
        }
    }
    const Vec3 moved = car.displacement;
    RigidBody::CommitBodyMove();
    for (int i = 0; i < car.wheelCount; ++i) {
        Wheel& wheel = car.wheels[i];
        ShiftContact(wheel.ground, moved);
        ShiftContact(wheel.rim, moved);
        // The tyre's own points, kept from the car's position like the contacts.
        wheel.patchPoint -= moved;
        wheel.previousCentre -= moved;
        wheel.dragAnchor -= moved;
        wheel.rimAnchor -= moved;
    }
}

// ---------------------------------------------------------------------------
// Impacts and touched objects.

int AddCarImpact(CarObject& car, uint32_t entry)
{
    auto strength = [](uint32_t e) { return (e >> 8) & 0xFF; };
    if (car.step.impactCount >= MaxCarImpacts) {
        int weakest = 0;
        for (int i = 1; i < MaxCarImpacts; ++i)
            if (strength(car.step.impacts[i]) < strength(car.step.impacts[weakest]))
                weakest = i;
        if (strength(entry) <= strength(car.step.impacts[weakest]))
            return 0;
        for (int i = weakest; i + 1 < MaxCarImpacts; ++i)
            car.step.impacts[i] = car.step.impacts[i + 1];
        car.step.impactCount = MaxCarImpacts - 1;
    }
    car.step.impacts[car.step.impactCount++] = entry;
    return 1;
}

void ApplyImpactDamage(CarObject& car, int slot)
{
    const float weight = car.mass * 9.81f;
    const float halfBase = car.tuning.wheelbase * 0.5f;
    bool added = false;
    for (int i = 0; i < car.pointCount; ++i) {
        ContactPoint& point = car.points[i];
        if (point.state != 2)
            continue;
        point.state = 3;
        if (!(Dot(point.force, point.normal) > weight) || !(halfBase > 0))
            continue;
        float b = point.lastDepth;
        b = b < 0 ? 0 : b > halfBase ? halfBase : b;
        if (const RigidBody* other = point.query.hitBody) {
            float k = other->stiffness + car.stiffness;
            b = k > 0 ? b * other->stiffness / k : 0;
        }
        // The dents at a point reach at most 0.12 of its undamaged distance
        // from the centre of mass: the new dent gives up the excess.
        const Vec3 n = RotateByTranspose(car.rotation, point.normal);
        const Vec3 undamaged = i < car.drawing.undamaged.contactCount && car.drawing.undamaged.contacts
                                   ? car.drawing.undamaged.contacts[i]
                                   : point.local;
        const float limit = 0.12f * std::sqrt(LengthSquared(undamaged - car.centreOfMass));
        const float reach = std::sqrt(LengthSquared(point.local + b * n - undamaged));
        if (reach > limit)
            b = b > reach - limit ? b - (reach - limit) : 0.0f;
        int strength = int(std::nearbyint(b * 255.0f / halfBase));
        if (strength <= 0)
            continue;
        strength = strength > 255 ? 255 : strength;
        uint32_t entry = uint32_t(i & 0xFF) | uint32_t(strength) << 8 | PackCarImpactDirection(n) << 16;
        if (!AddCarImpact(car, entry))
            continue;
        added = true;
        const CarNetHooks& net = GetCarNetHooks();
        if (net.isOnline() && net.outsideVoteFinalCountdown()) {
            uint8_t packet[8] = {ImpactPacket, uint8_t(GetPlayerIdOfSlot(slot)), 0, 0};
            std::memcpy(packet + 4, &entry, 4);
            net.queueGamePacket(packet, 8);
        }
    }
    if (added)
        RebuildCarShape(car);
}

void ClearTouchedObjects(CarObject& car)
{
    car.step.touchedCount = 0;
    for (WorldObject*& object : car.step.touchedObjects)
        object = nullptr;
}

void AddTouchedObject(CarObject& car, WorldObject& object)
{
    if (car.step.touchedCount >= MaxTouchedObjects)
        return;
    if (!GetCarPathHooks().canCarTouchObject(object, car.position.z + FixedFromMetres(car.radius)))
        return;
    car.step.touchedObjects[car.step.touchedCount++] = &object;
}

// ---------------------------------------------------------------------------
// Placement, mass and stepping alone.

void SetCarPosition(CarObject& car, const FixedVector& position)
{
    car.position = position;
    car.predictedPosition = position;
}

void UpdateCarMassProperties(CarObject& car)
{
    float fuel = car.race.fuel > 0 ? car.race.fuel : 0.0f;
    CommitCarMassWithLoad(car, fuel * FuelDensity, car.data.fuelTankPosition, car.tuning.fuelTankHalfSize);
}

void StepCarAlone(CarObject& car)
{
    if (InputState.appInactive)
        return;
    car.race.aloneClockMs += uint32_t(GameTime.frameStepMs);
    if (int32_t(car.race.aloneClockMs - car.race.aloneSteppedMs) > int32_t(MaxCatchUpMs))
        car.race.aloneSteppedMs = car.race.aloneClockMs - MaxCatchUpMs;
    BodySurroundings& world = GetBodySurroundings();
    const float gravity = world.IsWorldLoaded() ? world.Gravity() : -9.81f;
    while (int32_t(car.race.aloneClockMs - car.race.aloneSteppedMs) > 0) {
        car.PrepareBody(PhysicsStepSeconds);
        RunBodyContacts(car, PhysicsStepSeconds, 0);
        car.IntegrateBody(PhysicsStepSeconds, gravity);
        car.race.aloneSteppedMs += 10;
        ++car.race.stepCounter;
    }
}

int CarUsesSkinName(const CarObject& car, int which, const char* name)
{
    const char* own = which ? car.data.skinName : car.data.secondSkinName;
    if (!SameTextNoCase(own, name, SkinNameLength))
        return 0;
    // A skin name that fills its field matches only a name that ends there.
    return strnlen(own, SkinNameLength) < SkinNameLength || name[SkinNameLength] == 0 ? 1 : 0;
}
