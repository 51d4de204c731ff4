// The car object: construction and destruction, the driving-state reset and
// placement, the race state, repairs and the small queries of a car.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "vehicle/local.h"

CarHandicap CarHandicapTable[CarCount] = {};

namespace {

void ResetInputs(CarObject& car)
{
    for (uint16_t& input : car.inputs.words)
        input = 0;
    car.inputs.words[0] = SteeringCentre;
    car.inputs.words[14] = NoHShifterGear;
}

// The car turned to the heading about the vertical, then tilted so that
// its up axis is the normal, its forward axis still along the heading.
FloatMatrix HeadingOnNormal(float sn, float cs, const Vec3& normal)
{
    const Vec3 heading = {-sn, cs, 0};
    Vec3 forward = heading - Dot(heading, normal) * normal;
    const float length = std::sqrt(LengthSquared(forward));
    if (!(length > 1e-6f))
        return FloatMatrix{{cs, -sn, 0, sn, cs, 0, 0, 0, 1}};
    forward = (1 / length) * forward;
    const Vec3 right = Cross(forward, normal);
    return FloatMatrix{{right.x, forward.x, normal.x, right.y, forward.y, normal.y, right.z, forward.z, normal.z}};
}

// The placement: on the ground below the car at the wheels' reach h, turned
// to the ground, and moved back from scenery that its four corners reach
// into. Passes 1 to lastPass probe the corners at full, three quarters and
// half of the body's extent; a pass with a hit starts again from pass 1,
// and twelve passes end the placement however it stands.
void PlaceCarOnGround(CarObject& car, float heading, float h, int lastPass, int longProbe)
{
    double s, c;
    ComputeSinCos(heading, s, c);
    const float sn = static_cast<float>(s), cs = static_cast<float>(c);
    static const float Scale[3] = {1.0f, 0.75f, 0.5f};
    int pass = 1;
    for (int round = 0; round < 12; round++) {
        const Fixed probeZ = car.position.z + FixedFromMetres(car.centreOfMass.z);
        car.position.z = GetCarRaceHooks().groundHeight(car.position.x, car.position.y, probeZ, longProbe) + FixedFromMetres(h);
        ContactQueryRecord ground;
        ground.queryPosition = car.position - MakeFixedVector(0, 0, 2 << 16);
        ground.queryDirection = MakeFixedVector(0, 0, -(4 << 16));
        if (ProbePlacementSegment(ground))
            car.rotation = HeadingOnNormal(sn, cs, ground.hitNormal);

        bool hit = false;
        FixedVector move = {};
        const float scale = Scale[pass - 1];
        const float xs[2] = {car.minX, car.maxX}, ys[2] = {car.minY, car.maxY};
        for (int corner = 0; corner < 4; corner++) {
            const Vec3 probe = Rotate(car.rotation, Vec3{xs[corner & 1] * scale, ys[corner >> 1] * scale, 0});
            const FixedVector probeFixed = FixedFromOffset(probe);
            ContactQueryRecord query;
            query.queryPosition = car.position + probeFixed;
            query.queryDirection = probeFixed;
            if (!ProbePlacementSegment(query))
                continue;
            hit = true;
            float back = FixedToMetres(query.hitDepth) * 17.0f / 16.0f;
            if (pass == 2)
                back += 1.0f / 3.0f;
            else if (pass == 3)
                back += 1.0f;
            move = move - FixedFromOffset(back * probe);
        }
        car.position = car.position + move;
        if (hit)
            pass = 1;
        else if (pass >= lastPass)
            break;
        else
            pass++;
    }
}

} // namespace

bool ProbePlacementSegment(ContactQueryRecord& query)
{
    query.hitDepth = Fixed(0);
    BodySurroundings& world = GetBodySurroundings();
    if (!world.IsWorldLoaded()) {
        FlatGroundContact(query);
    } else {
        // Every drivable surface whose box the segment's square reaches.
        const FixedVector& d = query.queryDirection;
        int32_t reach = 1;
        for (int32_t v : {d.x.raw, d.y.raw, d.z.raw}) {
            const int32_t size = v < 0 ? (v == INT32_MIN ? INT32_MAX : -v) : v;
            if (size > reach)
                reach = size;
        }
        WorldObject* objects[MaxContactObjects];
        const int count = world.CollectContactObjects(query.queryPosition, Fixed(reach), objects, MaxContactObjects);
        for (int i = 0; i < count; i++)
            world.ObjectContactQuery(*objects[i], query.queryPosition, query.queryDirection, query);
    }
    return query.hitDepth.raw > 0;
}

void ConstructCar(CarObject& car)
{
    InitRigidBody(car, 1, 1, nullptr);
    InitEngineData(car.engine);
    ResetInputs(car);
    car.axles[0] = {};
    car.axles[1] = {};
    car.dataFlags = 0;
    car.carClass = 0;
    car.velocity = {};
    car.angularMomentum = {};
    car.mass = 1200;
    car.driveAxles = 3;
    car.gear = car.gearTarget = 1;
    car.optionCount = 1;
    for (BodyOption& option : car.options)
        option = {};
    car.bodyModel = nullptr;
    car.modelTables = nullptr;
    car.friction = 0.5f;
    car.gearboxKind = 0;
    car.gearCount = 7;
    for (float& ratio : car.gearRatios)
        ratio = 0;
    car.wheelCount = 0;
    car.wheels = nullptr;
    SetDefaultEngine(car.engine);
    car.enginePosition = {0, 1.5f, 0};
    car.driverSeat = {};
    car.fuelTankPosition = {0, -1.5f, 0};
    car.spareWheelPosition = {0, -2, 0};
    // Lock to lock, degrees, until the car data gives the car's own.
    car.steeringRatio = 720;
    car.steeringLimit = 3.14159265f / 4;
    ResetRaceState(car);
    for (MeshNode*& node : car.meshNodes)
        node = nullptr;
    car.undamaged = {};
    car.driverAnimation = -1;
    car.steerAnimation = car.steerFile = nullptr;
    for (AnimHolder*& animation : car.passengerAnimations)
        animation = nullptr;
    car.appliedRestriction = car.appliedMass = car.appliedMassPosition = 0;
    car.follower = GetCarPathHooks().createFollower();
    car.plateIndex = -1;
    for (ColourRecord& colour : car.lightColours)
        colour = {};
    car.massScale = 1;
    car.steerStiffness = car.steerDamping = 1;
}

void DestroyCar(CarObject& car)
{
    FreeCarVertexCopies(car);
    GetCarDrawHooks().freeCarPartMeshes(car);
    if (car.plateIndex >= 0)
        GetCarDrawHooks().releaseNumberPlate(car.plateIndex);
    car.plateIndex = -1;
    FreeBody(car);
    GetCarModelHooks().freeBodyModel(car.bodyModel);
    car.bodyModel = nullptr;
    GetCarModelHooks().freeModelTables(car.modelTables);
    car.modelTables = nullptr;
    delete[] car.structurePoints;
    car.structurePoints = nullptr;
    car.structurePointCount = 0;
    delete[] car.structureBars;
    car.structureBars = nullptr;
    car.structureBarCount = 0;
    GetCarPathHooks().freeFollower(car.follower);
    car.follower = nullptr;
    FreeDriverAnimations(car);
    delete[] car.wheels;
    car.wheels = nullptr;
    car.wheelCount = 0;
    if (car.setupIndex != -1)
        car.setup = nullptr;
    delete[] car.setups;
    car.setups = nullptr;
    car.setupCount = 0;
    if (car.colourIndex != -1)
        car.colour = nullptr;
    delete[] car.colours;
    car.colours = nullptr;
    car.colourCount = 0;
    car.axles[0] = {};
    car.axles[1] = {};
    ReleaseEngineSounds(car.engine);
}

void ResetCarRaceBytes(CarObject& car)
{
    car.raceBytes[0] = car.raceBytes[1] = 255;
}

void ResetRaceState(CarObject& car)
{
    car.lapTimeState = -1;
    car.lapCount = 0;
    car.result = {};
    car.odometer = 0;
    car.tcCopy = IsTractionControlOn(car) ? 1 : 0;
    car.lastCheckpoint = 255;
    car.raceStartStep = INT32_MIN;
    car.lapStart = 0;
    car.timingState = 1;
    ResetCarRaceBytes(car);
    car.remoteState = car.remote ? -1 : 0;
    car.requestField = car.remote ? 0 : 2;
    RepairCar(car, 0, 1);
    car.fuel = 0;
    car.pitCountdown = 3;
}

void RepairCar(CarObject& car, int wearLimitPercent, int repairEngine)
{
    // 1, 2. The dents undone: the body model's shape and the contact points.
    if (car.bodyModel && car.impactCount > 0) {
        GetCarMessageHooks().printNetDebug("Repaired Mesh", 0);
        car.impactCount = 0;
        GetCarDrawHooks().freeCarPartMeshes(car);
        RestoreCarShape(car, 1);
    }
    car.impactCount = 0;
    if (car.undamaged.contacts)
        for (int i = 0; i < car.pointCount && i < car.undamaged.contactCount; i++)
            car.points[i].local = car.undamaged.contacts[i];
    if (repairEngine)
        RepairEngine(car.engine);
    for (int i = 0; i < car.wheelCount; i++) {
        Wheel& wheel = car.wheels[i];
        const Axle& axle = car.axles[wheel.axleIndex];
        bool worn = IsTyreWorn(wheel, wearLimitPercent);
        ResetWheelDamage(wheel);
        if (worn)
            InitTyreHeat(wheel, axle, car.remote);
        if (car.setup)
            wheel.toe = (car.setup->axles[wheel.axleIndex].toe - 9) * 0.1f * 3.14159265f / 180.0f;
    }
    CopySuspensionToWheels(car);
}

void SwitchCarLightsOff(CarObject& car)
{
    for (uint8_t& light : car.lights)
        light = 0;
}

namespace {

// What the car's step keeps from one step to the next: a reset car starts
// with no brake, timer, steering movement, traction cut, smoothed motion,
// touched object or wake left over from before.
void ClearCarStepState(CarObject& car)
{
    car.wheelEngineSpeed = car.outputSpeed = 0;
    car.clutchHoldTimer = car.throttleCutTimer = car.ignitionCutTimer = car.blipTimer = car.antiLockTimer = 0;
    car.waitForRevs = 0;
    car.tcFactor = car.engineBrakeFactor = 1;
    car.throttleBeforeTc = 0;
    car.tcActive = 0;
    car.runningSuspended = 0;
    car.brake = car.handbrake = 0;
    car.steerTargetPrevious = car.steerTarget = car.steerTargetNow = car.steerTargetRate = 0;
    car.steerAngle = car.steerRate = car.rollRate = 0;
    car.turnDirection = 0;
    car.turnRadius = 0;
    car.lastGearSeen = 1;
    car.fuelUsed = 0;
    car.settleCounter = 0;
    car.restCounter = 0;
    car.smoothedAcceleration = car.gValues = car.smoothedForce = car.smoothedAngularVelocity = {};
    car.airSpeed = 0;
    car.aeroForce = car.aeroTorque = car.reactionAxisWorld = {};
    car.alignTorque = car.alignTorqueSum = car.alignTorqueMean = 0;
    car.speedometer = 0;
    car.slipstream = {};
    car.wake = {};
    car.stepDistance = 0;
    ClearTouchedObjects(car);
}

}  // namespace

void ResetCar(CarObject& car, float heading, int careful, int longProbe)
{
    // 1. The driving state: neutral, no shift word held.
    car.gear = car.gearTarget = 1;
    car.upLatch = car.downLatch = 0;
    car.autoShiftDelay = 0;
    car.freshlyPlaced = 1;
    car.held = 0;
    car.enabled = 1;
    car.awake = 1;
    car.resetPosition = car.position;
    car.speed = 0;
    ResetBody(car);
    ResetEngineState(car.engine);
    ClearCarStepState(car);
    car.oneFullStep = static_cast<uint8_t>(car.remote);

    // 2. Turned to the heading.
    double s, c;
    ComputeSinCos(heading, s, c);
    const float cs = static_cast<float>(c), sn = static_cast<float>(s);
    car.rotation = FloatMatrix{{cs, -sn, 0, sn, cs, 0, 0, 0, 1}};

    // 3. On the ground: the wheels' lowest reach below the origin plus 5 cm.
    float h = -1000;
    for (int i = 0; i < car.wheelCount; i++) {
        const Wheel& wheel = car.wheels[i];
        float reach = car.axles[wheel.axleIndex].tyreRadius -
                      (car.setup ? car.setup->axles[wheel.axleIndex].rideHeightReduction : 0);
        if (reach > h)
            h = reach;
    }
    if (car.wheelCount == 0)
        h = 0;
    h += 0.05f;
    PlaceCarOnGround(car, heading, h, careful ? 3 : 1, longProbe);

    // 4. The predicted pose.
    car.predictedPosition = car.position;
    car.predictedRotation = car.rotation;

    // 5. Inputs, lights, wheels, aero, impacts.
    ResetInputs(car);
    SwitchCarLightsOff(car);
    for (int i = 0; i < car.wheelCount; i++) {
        Wheel& wheel = car.wheels[i];
        ResetWheel(wheel);
        UpdateSuspensionGeometry(wheel, car.axles[wheel.axleIndex]);
        if (!careful)
            InitTyreHeat(wheel, car.axles[wheel.axleIndex], car.remote);
    }
    for (AeroPoint& point : car.aero)
        ResetAeroPoint(point);
    car.halfRoadSpeed = car.lateralOffset = 0;
    car.lane = 0;
    if (car.remoteState == -1)
        car.enabled = 0;
    else
        car.remoteState = 0;
    car.impactCount = 0;
}

void SetFuelPercent(CarObject& car, float percent)
{
    float share = percent / 100;
    car.fuel = car.fuelCapacity * (share < 1 ? share : 1);
}

void GetSetupAxleSums(const CarObject& car, float& rear, float& front)
{
    rear = front = 0;
    if (!car.setup)
        return;
    rear = car.setup->axles[0].spring + 2 * car.setup->axles[0].antiRoll;
    front = car.setup->axles[1].spring + 2 * car.setup->axles[1].antiRoll;
}

bool IsTractionControlOn(const CarObject& car)
{
    return car.tractionControl != 0 && car.setup && !(car.setup->flags & SetupTcOff);
}

int IsNonFormulaClass(const CarObject& car)
{
    return car.carClass == 4 || car.carClass == 10 || car.carClass == 11 ? 0 : 1;
}

void SetCarLocalControl(CarObject& car)
{
    if (!car.remote)
        return;
    car.remote = 0;
    car.enabled = 1;
    car.oneFullStep = 0;
    for (Axle& axle : car.axles) {
        axle.treadHeatFactor *= 1.0f / 16;
        axle.sidewallHeatFactor *= 1.0f / 16;
    }
    for (int i = 0; i < car.wheelCount; i++)
        ToLocalTyres(car.wheels[i]);
    if (car.freshlyPlaced)
        car.held = 1;
    car.tcCopy = IsTractionControlOn(car) ? 1 : 0;
}

void ClearCarLocalControl(CarObject& car)
{
    if (car.remote)
        return;
    car.remote = 1;
    for (Axle& axle : car.axles) {
        axle.treadHeatFactor *= 16;
        axle.sidewallHeatFactor *= 16;
    }
    for (int i = 0; i < car.wheelCount; i++)
        ToRemoteTyres(car.wheels[i]);
    car.held = 0;
    car.tcCopy = IsTractionControlOn(car) ? 1 : 0;
}

void ApplyPlayerAids(CarObject& car, int32_t aidFlags)
{
    car.autoGears = (aidFlags & 8) ? 8 : 0;
    car.autoClutch = (aidFlags & (1 << 9)) ? 1 : 0;
    car.brakeHelp = (aidFlags & (1 << 6)) ? 1 : 0;
    car.throttleCut = car.blip = 0;
    const bool automatic = car.autoGears != 0;
    switch (car.gearboxKind) {
    case 1:
        if (automatic)
            car.throttleCut = car.blip = car.autoClutch = 1;
        break;
    case 2:
    case 3:
        if (automatic)
            car.throttleCut = car.autoClutch = 1;
        break;
    case 4:
        if (automatic)
            car.autoClutch = 1;
        break;
    default:  // paddle shift, and anything unknown
        car.throttleCut = car.blip = car.autoClutch = 1;
        break;
    }
    UpdateMassScales(car);
}

// ---------------------------------------------------------------------------
// Driver animations.

namespace {

void DropAnimation(AnimHolder*& animation)
{
    if (!animation)
        return;
    GetCarFigureHooks().freeAnimation(animation);
    animation = nullptr;
}

// A name that becomes part of a file name: no folder parts.
bool IsPlainName(const char* name)
{
    return !std::strchr(name, '\\') && !std::strchr(name, '/') && !std::strstr(name, "..");
}

// The two passenger animations; the lower bit of a passenger's field picks.
const char* const PassengerAnimationNames[2] = {"pass2", "pass1"};

} // namespace

void FreeDriverAnimations(CarObject& car)
{
    DropAnimation(car.steerAnimation);
    DropAnimation(car.steerFile);
    for (AnimHolder*& animation : car.passengerAnimations)
        DropAnimation(animation);
}

AnimHolder* LoadDriverAnimation(CarObject& car, int index, const char* name, int keep)
{
    const CarFigureHooks& figures = GetCarFigureHooks();
    if (!figures.figuresLoaded() || index < 0 || index >= figures.figureCount())
        return nullptr;
    const int set = figures.figureSkeleton(index);
    if (set < 0)
        return nullptr;
    AnimHolder* animation;
    if (keep && car.steerFile) {
        animation = figures.copyAnimation(*car.steerFile);
    } else {
        char movement[sizeof car.driverMovement + 1] = {};
        std::memcpy(movement, car.driverMovement, sizeof car.driverMovement);
        char path[96];
        std::snprintf(path, sizeof path, "data\\move\\%s_%s%s.ban", name, movement, set == 1 ? "_F" : "");
        // Without a file (or with a movement name that would leave the
        // folder) the figure sits in its rest pose.
        AnimHolder* file = figures.loadAnimation(set, IsPlainName(name) && IsPlainName(movement) ? path : nullptr);
        if (!file)
            return nullptr;
        animation = figures.copyAnimation(*file);
        if (keep) {
            DropAnimation(car.steerFile);
            car.steerFile = file;
        } else {
            DropAnimation(file);
        }
    }
    if (keep && car.steerAnimation != animation) {
        // The driver is posed from it when the car is drawn.
        DropAnimation(car.steerAnimation);
        car.steerAnimation = animation;
    }
    return animation;
}

void UpdateDriverAnimations(CarObject& car)
{
    if (!GetCarFigureHooks().figuresLoaded()) {
        FreeDriverAnimations(car);
        return;
    }
    const int figures = GetCarFigureHooks().figureCount();
    if (!car.steerAnimation && car.driverAnimation >= 0) {
        if (car.driverAnimation >= figures)
            car.driverAnimation = 0;
        LoadDriverAnimation(car, car.driverAnimation, "steer", 1);
    }
    const int passengers = car.setup ? car.setup->passengers : 0;
    const float seatX = std::fabs(car.driverSeat.x);
    const bool rearSeats = (car.dataFlags & (1 << 10)) != 0;
    const bool seated[4] = {
        (car.dataFlags & (1 << 8)) && seatX > 0.2f && (passengers & 3),
        rearSeats && ((passengers >> 2) & 3),
        rearSeats && ((passengers >> 4) & 3) && seatX >= 0.35f,
        rearSeats && ((passengers >> 6) & 3),
    };
    const int figure = car.driverAnimation >= 0 && car.driverAnimation < figures ? car.driverAnimation : 0;
    for (int slot = 0; slot < 4; slot++) {
        DropAnimation(car.passengerAnimations[slot]);
        if (seated[slot])
            car.passengerAnimations[slot] =
                LoadDriverAnimation(car, figure, PassengerAnimationNames[(passengers >> (2 * slot)) & 1], 0);
    }
}
