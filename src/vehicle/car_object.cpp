// The car object: construction and destruction, the driving-state reset and
// placement, the race state, repairs and the small queries of a car.
#include <cmath>
#include <cstring>

#include "graphics/services.h"
#include "session/services.h"
#include "vehicle/local.h"
#include "world/services.h"

CarHandicap CarHandicapTable[CarCount] = {};

namespace {

void ResetInputs(CarObject& car)
{
    for (uint16_t& input : car.inputs.words)
        input = 0;
    car.inputs.words[0] = SteeringCentre;
    car.inputs.words[14] = NoHShifterGear;
}

} // namespace

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
    car.modelTables = new CarModelTables;
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
    car.driverAnimation = -1;
    car.appliedRestriction = car.appliedMass = car.appliedMassPosition = 0;
    car.plateIndex = -1;
    car.massScale = 1;
    car.steerStiffness = car.steerDamping = 1;
}

void DestroyCar(CarObject& car)
{
    if (car.plateIndex >= 0)
        ReleaseNumberPlate(car.plateIndex);
    car.plateIndex = -1;
    FreeBody(car);
    if (car.bodyModel) {
        FreeObjectModel(*car.bodyModel);
        delete car.bodyModel;
        car.bodyModel = nullptr;
    }
    delete car.modelTables;
    car.modelTables = nullptr;
    delete[] car.structurePoints;
    car.structurePoints = nullptr;
    car.structurePointCount = 0;
    delete[] car.structureBars;
    car.structureBars = nullptr;
    car.structureBarCount = 0;
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
    car.odometer = 0;
    car.tcCopy = IsTractionControlOn(car) ? 1 : 0;
    car.lastCheckpoint = 255;
    ResetCarRaceBytes(car);
    car.remoteState = car.remote ? -1 : 0;
    car.requestField = car.remote ? 0 : 2;
    RepairCar(car, 0, 1);
    car.fuel = 0;
    car.pitCountdown = 3;
}

void RepairCar(CarObject& car, int wearLimitPercent, int repairEngine)
{
    car.impactCount = 0;
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

void ResetCar(CarObject& car, float heading, int careful, int longProbe)
{
    // 1. The driving state.
    car.gear = car.gearTarget = 1;
    car.freshlyPlaced = 1;
    car.held = 0;
    car.enabled = 1;
    car.awake = 1;
    car.resetPosition = car.position;
    car.speed = 0;
    ResetBody(car);
    ResetEngineState(car.engine);
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
    // The corner probes against scenery need the world's point query; on
    // the flat ground without scenery the first pass finds nothing more.
    const Fixed probeZ = car.position.z + FixedFromMetres(car.centreOfMass.z);
    car.position.z = GetGroundHeight(car.position.x, car.position.y, probeZ, longProbe) + FixedFromMetres(h);

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
