// The car object: construction and destruction, the driving-state reset and
// placement, the race state, repairs and the small queries of a car.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "vehicle/local.h"

std::array<CarHandicap, CarCount> MutableCarHandicapTable = {};
const std::array<CarHandicap, CarCount>& CarHandicapTable = MutableCarHandicapTable;

void SetCarHandicapTable(const std::array<CarHandicap, CarCount>& table) { MutableCarHandicapTable = table; }

namespace {

// A car's mass (kg) until its car data gives the mass model, and the
// friction factor of its body's contact points.
constexpr float MassBeforeCarData = 1200;
constexpr float CarBodyFriction = 0.5f;
// The car is placed this high (m) above where its tyres would touch.
constexpr float PlacementLift = 0.05f;
// The race state byte's value after the driver changed hands.
constexpr uint8_t ControlChanged = 4;

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
    car.velocity = {};
    car.angularMomentum = {};
    car.mass = MassBeforeCarData;
    car.friction = CarBodyFriction;
    car.data = {};
    car.tuning = {};
    car.step = {};
    car.race = {};
    car.net = {};
    car.lamps = {};
    car.drawing = {};
    InitEngineData(car.engine);
    SetDefaultEngine(car.engine);
    car.wheelCount = 0;
    car.wheels = nullptr;
    car.axles[0] = {};
    car.axles[1] = {};
    ResetInputs(car);
    ResetRaceState(car);
    car.follower = GetCarPathHooks().createFollower();
}

void DestroyCar(CarObject& car)
{
    FreeCarVertexCopies(car);
    GetCarDrawHooks().freeCarPartMeshes(car);
    if (car.drawing.plateIndex >= 0)
        GetCarDrawHooks().releaseNumberPlate(car.drawing.plateIndex);
    car.drawing.plateIndex = -1;
    FreeBody(car);
    GetCarModelHooks().freeBodyModel(car.data.bodyModel);
    car.data.bodyModel = nullptr;
    GetCarModelHooks().freeModelTables(car.data.modelTables);
    car.data.modelTables = nullptr;
    delete[] car.data.structurePoints;
    car.data.structurePoints = nullptr;
    car.data.structurePointCount = 0;
    delete[] car.data.structureBars;
    car.data.structureBars = nullptr;
    car.data.structureBarCount = 0;
    GetCarPathHooks().freeFollower(car.follower);
    car.follower = nullptr;
    FreeDriverAnimations(car);
    delete[] car.wheels;
    car.wheels = nullptr;
    car.wheelCount = 0;
    if (car.data.setupIndex != -1)
        car.data.setup = nullptr;
    delete[] car.data.setups;
    car.data.setups = nullptr;
    car.data.setupCount = 0;
    if (car.data.colourIndex != -1)
        car.data.colour = nullptr;
    delete[] car.data.colours;
    car.data.colours = nullptr;
    car.data.colourCount = 0;
    car.axles[0] = {};
    car.axles[1] = {};
    ReleaseEngineSounds(car.engine);
}

void ResetCarRaceBytes(CarObject& car)
{
    car.race.raceBytes[0] = car.race.raceBytes[1] = 255;
}

void MarkCarLost(CarObject& car)
{
    car.step.lost = 1;
    car.step.speed = 0;
    car.velocity = {};
    car.angularMomentum = {};
}

void ResetRaceState(CarObject& car)
{
    car.race.lapTimeState = -1;
    car.race.lapCount = 0;
    car.race.result = {};
    car.race.odometer = 0;
    car.race.tcCopy = IsTractionControlOn(car) ? 1 : 0;
    car.race.lastCheckpoint = 255;
    car.race.controlChange = 0;
    car.race.raceStartStep = INT32_MIN;
    car.race.lapStart = 0;
    car.race.timingState = 1;
    car.lap = {};
    car.route = {};
    ResetCarRaceBytes(car);
    car.net.remoteState = car.net.remote ? -1 : 0;
    car.race.requestField = car.net.remote ? 0 : 2;
    RepairCar(car, 0, 1);
    car.race.fuel = 0;
    car.race.pitCountdown = 3;
    car.pit = {};
}

void RepairCar(CarObject& car, int wearLimitPercent, int repairEngine)
{
    // The dents undone: the body model's shape and the contact points.
    if (car.data.bodyModel && car.step.impactCount > 0) {
        GetCarMessageHooks().printNetDebug("Repaired Mesh", 0);
        car.step.impactCount = 0;
        GetCarDrawHooks().freeCarPartMeshes(car);
        RestoreCarShape(car, 1);
    }
    car.step.impactCount = 0;
    if (car.drawing.undamaged.contacts)
        for (int i = 0; i < car.pointCount && i < car.drawing.undamaged.contactCount; i++)
            car.points[i].local = car.drawing.undamaged.contacts[i];
    if (repairEngine)
        RepairEngine(car.engine);
    for (int i = 0; i < car.wheelCount; i++) {
        Wheel& wheel = car.wheels[i];
        const Axle& axle = car.axles[wheel.axleIndex];
        bool worn = IsTyreWorn(wheel, wearLimitPercent);
        ResetWheelDamage(wheel);
        if (worn)
            InitTyreHeat(wheel, axle, car.net.remote);
        if (car.data.setup)
            wheel.toe = (car.data.setup->axles[wheel.axleIndex].toe - 9) * 0.1f * Pi / 180.0f;
    }
    CopySuspensionToWheels(car);
}

void RenewWornTyres(CarObject& car, int wearLimitPercent)
{
    for (int i = 0; i < car.wheelCount; i++) {
        Wheel& wheel = car.wheels[i];
        if (IsTyreWorn(wheel, wearLimitPercent))
            InitTyreHeat(wheel, car.axles[wheel.axleIndex], car.net.remote);
    }
}

void FlagWheelsOfAxle(CarObject& car, int axle)
{
    for (int i = 0; i < car.wheelCount; i++)
        if (car.wheels[i].axleIndex == axle)
            car.wheels[i].flat = 1;
}

void SwitchCarLightsOff(CarObject& car)
{
    for (uint8_t& light : car.lamps.lights)
        light = 0;
}

namespace {

// The rotation of a car turned to the heading (rad) about the vertical.
FloatMatrix HeadingRotation(float heading)
{
    double s, c;
    ComputeSinCos(heading, s, c);
    const float cs = static_cast<float>(c), sn = static_cast<float>(s);
    return FloatMatrix{{cs, -sn, 0, sn, cs, 0, 0, 0, 1}};
}

// How far below the car's origin its wheels reach with their tyres on
// (the largest tyre radius less the setup's ride height reduction), m; 0
// for a car without wheels.
float LowestWheelReach(const CarObject& car)
{
    float reach = -1000;
    for (int i = 0; i < car.wheelCount; i++) {
        const Wheel& wheel = car.wheels[i];
        const float wheelReach = car.axles[wheel.axleIndex].tyreRadius -
                                 (car.data.setup ? car.data.setup->axles[wheel.axleIndex].rideHeightReduction : 0);
        if (wheelReach > reach)
            reach = wheelReach;
    }
    return car.wheelCount == 0 ? 0.0f : reach;
}

// The wheels at rest on their suspension, their tyres renewed unless the
// placement is careful, and the aero points still.
void ResetCarParts(CarObject& car, int careful)
{
    for (int i = 0; i < car.wheelCount; i++) {
        Wheel& wheel = car.wheels[i];
        ResetWheel(wheel);
        UpdateSuspensionGeometry(wheel, car.axles[wheel.axleIndex]);
        if (!careful)
            InitTyreHeat(wheel, car.axles[wheel.axleIndex], car.net.remote);
    }
    for (AeroPoint& point : car.aero)
        ResetAeroPoint(point);
}

}  // namespace

void ResetCar(CarObject& car, float heading, int careful, int longProbe)
{
    // The driving state starts afresh, in neutral, at the place the reset
    // was asked for; the body stops and the engine comes to rest.
    car.step = {};
    car.step.freshlyPlaced = 1;
    car.step.resetPosition = car.position;
    car.enabled = 1;
    car.awake = 1;
    ResetBody(car);
    ResetEngineState(car.engine);
    car.net.oneFullStep = static_cast<uint8_t>(car.net.remote);

    car.rotation = HeadingRotation(heading);
    PlaceCarOnGround(car, heading, LowestWheelReach(car) + PlacementLift, careful ? 3 : 1, longProbe);
    car.predictedPosition = car.position;
    car.predictedRotation = car.rotation;

    ResetInputs(car);
    SwitchCarLightsOff(car);
    ResetCarParts(car, careful);
    // A remote car waiting for its first record stays out of the contacts.
    if (car.net.remoteState == -1)
        car.enabled = 0;
    else
        car.net.remoteState = 0;
}

void SetFuelPercent(CarObject& car, float percent)
{
    float share = percent / 100;
    car.race.fuel = car.data.fuelCapacity * (share < 1 ? share : 1);
}

void GetSetupAxleSums(const CarObject& car, float& rear, float& front)
{
    rear = front = 0;
    if (!car.data.setup)
        return;
    rear = car.data.setup->axles[0].spring + 2 * car.data.setup->axles[0].antiRoll;
    front = car.data.setup->axles[1].spring + 2 * car.data.setup->axles[1].antiRoll;
}

bool IsTractionControlOn(const CarObject& car)
{
    return car.data.tractionControl != 0 && car.data.setup && !(car.data.setup->flags & SetupTcOff);
}

int IsNonFormulaClass(const CarObject& car)
{
    return car.data.carClass == 4 || car.data.carClass == 10 || car.data.carClass == 11 ? 0 : 1;
}

void SetCarLocalControl(CarObject& car)
{
    if (!car.net.remote)
        return;
    car.net.remote = 0;
    car.enabled = 1;
    car.net.oneFullStep = 0;
    for (Axle& axle : car.axles) {
        axle.treadHeatFactor *= 1.0f / 16;
        axle.sidewallHeatFactor *= 1.0f / 16;
    }
    for (int i = 0; i < car.wheelCount; i++)
        ToLocalTyres(car.wheels[i]);
    if (car.step.freshlyPlaced) {
        car.step.held = 1;
        car.race.controlChange = ControlChanged;
    }
    if (car.data.dataFlags & CarDataPitLimiter)
        car.race.pitSpeedLimit = static_cast<uint8_t>(Clamp(GetCarPathHooks().lowestSpeedLimit(), 0, 255));
    car.race.tcCopy = IsTractionControlOn(car) ? 1 : 0;
    if (car.follower)
        GetCarPathHooks().refreshFollower(*car.follower, car.position);
}

void ClearCarLocalControl(CarObject& car)
{
    if (car.net.remote)
        return;
    car.net.remote = 1;
    for (Axle& axle : car.axles) {
        axle.treadHeatFactor *= 16;
        axle.sidewallHeatFactor *= 16;
    }
    for (int i = 0; i < car.wheelCount; i++)
        ToRemoteTyres(car.wheels[i]);
    car.step.held = 0;
    car.race.controlChange = ControlChanged;
    car.race.pitSpeedLimit = 0;
    car.race.tcCopy = IsTractionControlOn(car) ? 1 : 0;
    car.net.handedBack = 1;
}

void ApplyPlayerAids(CarObject& car, int32_t aidFlags)
{
    car.tuning.autoGears = (aidFlags & PlayerAidAutoGears) ? PlayerAidAutoGears : 0;
    car.tuning.autoClutch = (aidFlags & PlayerAidAutoClutch) ? 1 : 0;
    car.tuning.brakeHelp = (aidFlags & PlayerAidBrakeHelp) ? 1 : 0;
    car.tuning.throttleCut = car.tuning.blip = 0;
    const bool automatic = car.tuning.autoGears != 0;
    switch (car.data.gearboxKind) {
    case 1:
        if (automatic)
            car.tuning.throttleCut = car.tuning.blip = car.tuning.autoClutch = 1;
        break;
    case 2:
    case 3:
        if (automatic)
            car.tuning.throttleCut = car.tuning.autoClutch = 1;
        break;
    case 4:
        if (automatic)
            car.tuning.autoClutch = 1;
        break;
    default:  // paddle shift, and anything unknown
        car.tuning.throttleCut = car.tuning.blip = car.tuning.autoClutch = 1;
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
    DropAnimation(car.drawing.steerAnimation);
    DropAnimation(car.drawing.steerFile);
    for (AnimHolder*& animation : car.drawing.passengerAnimations)
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
    if (keep && car.drawing.steerFile) {
        animation = figures.copyAnimation(*car.drawing.steerFile);
    } else {
        char movement[sizeof car.data.driverMovement + 1] = {};
        std::memcpy(movement, car.data.driverMovement, sizeof car.data.driverMovement);
        char path[96];
        std::snprintf(path, sizeof path, "data\\move\\%s_%s%s.ban", name, movement, set == 1 ? "_F" : "");
        // Without a file (or with a movement name that would leave the
        // folder) the figure sits in its rest pose.
        AnimHolder* file = figures.loadAnimation(set, IsPlainName(name) && IsPlainName(movement) ? path : nullptr);
        if (!file)
            return nullptr;
        animation = figures.copyAnimation(*file);
        if (keep) {
            DropAnimation(car.drawing.steerFile);
            car.drawing.steerFile = file;
        } else {
            DropAnimation(file);
        }
    }
    if (keep && car.drawing.steerAnimation != animation) {
        // The driver is posed from it when the car is drawn.
        DropAnimation(car.drawing.steerAnimation);
        car.drawing.steerAnimation = animation;
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
    if (!car.drawing.steerAnimation && car.data.driverAnimation >= 0) {
        if (car.data.driverAnimation >= figures)
            car.data.driverAnimation = 0;
        LoadDriverAnimation(car, car.data.driverAnimation, "steer", 1);
    }
    const int passengers = car.data.setup ? car.data.setup->passengers : 0;
    const float seatX = std::fabs(car.data.driverSeat.x);
    const bool rearSeats = (car.data.dataFlags & CarDataRearSeats) != 0;
    const bool seated[4] = {
        (car.data.dataFlags & CarDataFrontPassengerSeat) && seatX > 0.2f && (passengers & 3),
        rearSeats && ((passengers >> 2) & 3),
        rearSeats && ((passengers >> 4) & 3) && seatX >= 0.35f,
        rearSeats && ((passengers >> 6) & 3),
    };
    const int figure = car.data.driverAnimation >= 0 && car.data.driverAnimation < figures ? car.data.driverAnimation : 0;
    for (int slot = 0; slot < 4; slot++) {
        DropAnimation(car.drawing.passengerAnimations[slot]);
        if (seated[slot])
            car.drawing.passengerAnimations[slot] =
                LoadDriverAnimation(car, figure, PassengerAnimationNames[(passengers >> (2 * slot)) & 1], 0);
    }
}
