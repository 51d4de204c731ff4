// Applying a setup: the setup held within the car's limits turned into the
// physical car (ratios, axles, wheels, aero points, engine, mass model,
// brakes and suspension), and the ranges the garage offers.
#include <cmath>
#include <cstring>

#include "vehicle/local.h"

namespace {

constexpr float DegreesToRadians = Pi / 180;

const CarSetup* DefaultSetup(const CarObject& car)
{
    return car.data.setupCount > 0 ? &car.data.setups[0].setup : car.data.setup;
}

// The wheel's axes for the sliding and fixed types.
void SetWheelAxes(Wheel& w, const Axle& axle, const CarSetup& setup, float frontHubLead)
{
    const SetupAxle& block = setup.axles[w.axleIndex];
    const uint8_t camber = w.side > 0 ? block.camberRight : block.camberLeft;
    const double theta = (camber - 45) * 0.1 * Pi / 180;
    const double s = w.side, phi = s * theta, k = axle.wheelOffset, t = axle.trackWidth, r = axle.tyreRadius;
    double sinT, cosT, sinP, cosP, sinK, cosK, sinC, cosC;
    ComputeSinCos(theta, sinT, cosT);
    ComputeSinCos(phi, sinP, cosP);
    ComputeSinCos(s * axle.kingpinInclination, sinK, cosK);
    ComputeSinCos(axle.casterAngle, sinC, cosC);
    const float x = static_cast<float>(s * (t / 2 - k * cosT + r * sinT));
    w.dataPosition.x = w.mountPosition.x = x;
    w.wheelCentreX = static_cast<float>(s * (t / 2 + r * sinT));
    w.spinAxis = {static_cast<float>(cosP), 0, static_cast<float>(-sinP)};
    const float lead = w.axleIndex == 1 ? frontHubLead : 0;
    w.hubOffset = {static_cast<float>(s * k * cosP - r * sinP), lead, static_cast<float>(-r * cosP - s * k * sinP)};
    double cosKi, sinKi;
    ComputeSinCos(axle.kingpinInclination, sinKi, cosKi);
    w.steerAxis = {static_cast<float>(-sinK), static_cast<float>(-sinC * cosKi), static_cast<float>(cosC * cosKi)};
}

void SetAxleMountPoints(CarObject& car)
{
    for (Axle& axle : car.axles)
        axle.mountA = axle.mountB = axle.mountC = ZeroVector;
    for (int i = 0; i < car.data.structurePointCount; i++) {
        const StructurePoint& p = car.data.structurePoints[i];
        Axle& axle = car.axles[p.y < 0 ? 0 : 1];
        FixedVector at = MakeFixedVector(p.x, p.y, p.z);
        if (p.flagA == 1)
            axle.mountB = at;
        else if (p.flagA == 2)
            axle.mountA = at;
        else if (p.flagA == 3)
            axle.mountC = at;
    }
}

// The two wings' aero points: the rear wing is point 0, the front wing
// point 1, each with its base angle in the wing limits, its share of the
// slipstream and the flag that puts its load on its axle's wheels.
struct WingPoint {
    int index;
    int baseLimit;
    float slipstreamShare;
    int32_t loadToWheelsFlag;
};
constexpr WingPoint RearWingPoint = {0, 2, 0.3f, AeroRearLoadToWheels};
constexpr WingPoint FrontWingPoint = {1, 6, 0.7f, AeroFrontLoadToWheels};

void PlaceWingAeroPoint(CarObject& car, const WingPoint& wing, FixedVector& offset, int setupAngle)
{
    AeroPoint& point = car.aero[wing.index];
    offset.x = Fixed(0);
    SetWingAeroPoint(point, offset, static_cast<float>(setupAngle + car.data.wingLimits[wing.baseLimit]));
    point.slipstreamShare = wing.slipstreamShare;
    if (car.data.dataFlags & CarDataWingsLoadWheels)
        point.flags |= wing.loadToWheelsFlag;
}

// Aero points from the body model's parts of kinds 6 to 9.
void PlaceAeroPoints(CarObject& car, const CarSetup& setup)
{
    for (AeroPoint& point : car.aero)
        ClearAeroPoint(point);
    const CarModelHooks& model = GetCarModelHooks();
    const int parts = car.data.bodyModel ? model.modelPartCount(*car.data.bodyModel) : 0;
    for (int i = 0; i < parts; i++) {
        FixedVector& offset = *model.modelPartOffset(*car.data.bodyModel, i);
        switch (model.modelPartKind(*car.data.bodyModel, i)) {
        case 6:
            PlaceWingAeroPoint(car, RearWingPoint, offset, setup.rearWing);
            break;
        case 7:
            PlaceWingAeroPoint(car, FrontWingPoint, offset, setup.frontWing);
            break;
        case 8:
            offset.x = Fixed(0);
            offset.y = FixedFromMetres(car.tuning.axleY[0] + 0.4f * car.tuning.wheelbase);
            SetBodyAeroPoint(car.aero[2], offset);
            car.aero[2].slipstreamShare = 0.5f;
            break;
        case 9:
            offset.x = Fixed(0);
            SetBodyAeroPoint(car.aero[3], offset);
            car.aero[3].slipstreamShare = 0.5f;
            break;
        default:
            break;
        }
    }
    if (car.tuning.openRoof && (car.data.dataFlags & CarDataOpenRoofDrag))
        car.aero[3].drag += 0.05f;
    if (!(car.aero[3].flags & AeroPresent)) {
        car.aero[3].flags |= AeroPresent;
        car.aero[3].position = {0, car.centreOfMass.y, car.centreOfMass.z};
        car.aero[3].slipstreamShare = 0.5f;
    }
    car.tuning.dragSum = car.tuning.liftSum = car.tuning.dragFactorSum = car.tuning.liftFactorSum = 0;
    for (const AeroPoint& point : car.aero) {
        if (!(point.flags & AeroPresent))
            continue;
        car.tuning.dragSum += point.drag;
        car.tuning.liftSum += point.lift;
        car.tuning.dragFactorSum += point.dragFactor;
        car.tuning.liftFactorSum += point.liftFactor;
    }
}

} // namespace

void GetTyreTypeRange(const CarObject& car, int& low, int& high)
{
    switch (car.data.carClass) {
    case 0: low = 0; high = 7; break;
    case 2: low = 5; high = 7; break;
    case 4:
    case 10: {
        const CarSetup* d = DefaultSetup(car);
        int t = d ? d->axles[0].tyreType : 0;
        low = t > 0 ? t - 1 : 0;
        high = t < 7 ? t + 1 : 7;
        break;
    }
    case 5: low = 1; high = 3; break;
    case 6: case 7: case 8: case 9: case 11: low = 0; high = 2; break;
    default: low = 4; high = 7; break;
    }
}

void GetSetupRangeHalf(const CarObject& car, int axle, int& low, int& high)
{
    const CarSetup* d = DefaultSetup(car);
    const float p = d ? d->axles[axle].pressureLeft : 0;
    low = static_cast<int>(std::nearbyint(0.5f * p));
    high = static_cast<int>(std::nearbyint(1.5f * p));
}

void GetSetupRangeCapped(const CarObject& car, int axle, float& low, float& high)
{
    const CarSetup* d = DefaultSetup(car);
    const float r = d ? d->axles[axle].rideHeightReduction : 0;
    float reach = std::fabs(car.axles[axle].maxHeight - r);
    if (reach > 0.08f)
        reach = 0.08f;
    low = r - reach;
    high = r + reach;
}

float GetFullLoadWeight(const CarObject& car)
{
    // The top speed the power gives against the drag; without drag the
    // car would have none, and 200 m/s (the speed at which a car counts as
    // lost) stands in for it.
    float v = 200;
    if (car.tuning.dragFactorSum > 0)
        v = static_cast<float>(std::cbrt(car.tuning.driveEfficiency * car.engine.maxPower / car.tuning.dragFactorSum));
    const float g = GetBodySurroundings().Gravity();
    const float load = ((car.data.dataFlags & CarDataRearSeats) ? 3 : 0) + 2;
    return -(load * 70 + car.tuning.dryMass) * g - v * v * car.tuning.liftFactorSum;
}

void GetLoadDerivedLimits(const CarObject& car, float& low, float& high)
{
    high = GetFullLoadWeight(car) * car.axles[1].tyreRadius * 0.41f;
    low = 0.24f * high;
}

float RoundUpToStep(float value, float step)
{
    return step * (std::trunc(value / step) + 1);
}

void GetRoundedLoadLimits(const CarObject& car, float& springMax, float& damperMax)
{
    const float w = GetFullLoadWeight(car);
    springMax = RoundUpToStep(11 * w, 10000);
    damperMax = RoundUpToStep(1.1f * w, 1000);
}

int IsSetupFinite(const CarSetup& setup)
{
    if (!std::isfinite(setup.maxBrakeTorque))
        return 0;
    for (const SetupAxle& a : setup.axles) {
        for (float v : {a.rideHeightReduction, a.spring, a.bumpDamping, a.reboundDamping, a.antiRoll, a.spare})
            if (!std::isfinite(v))
                return 0;
    }
    return 1;
}

void ClampSetupToCar(const CarObject& car, CarSetup& setup)
{
    ClampSetup(setup);
    int tyreLow = 0, tyreHigh = 7;
    GetTyreTypeRange(car, tyreLow, tyreHigh);
    float springMax = 0, damperMax = 0;
    GetRoundedLoadLimits(car, springMax, damperMax);
    for (int axle = 0; axle < 2; ++axle) {
        SetupAxle& a = setup.axles[axle];
        a.tyreType = static_cast<uint8_t>(Clamp<int>(a.tyreType, tyreLow, tyreHigh));
        float low = 0, high = 0;
        GetSetupRangeCapped(car, axle, low, high);
        a.rideHeightReduction = Clamp(a.rideHeightReduction, low, high);
        // A car without its load figures (not read from car data) keeps
        // the general limits alone.
        if (springMax <= 0 || damperMax <= 0)
            continue;
        a.spring = Clamp(a.spring, 0.1f * springMax, springMax);
        a.bumpDamping = Clamp(a.bumpDamping, 0.1f * damperMax, damperMax);
        a.reboundDamping = Clamp(a.reboundDamping, 0.1f * damperMax, damperMax);
        a.antiRoll = Clamp(a.antiRoll, 0.0f, springMax);
    }
}

void CopySuspensionToWheels(CarObject& car)
{
    if (!car.data.setup)
        return;
    float springMax, damperMax;
    GetRoundedLoadLimits(car, springMax, damperMax);
    for (int i = 0; i < car.wheelCount; i++) {
        Wheel& w = car.wheels[i];
        if (w.damageState[0] == DamageAtLimit) {
            w.springRate = w.bumpDamping = w.reboundDamping = 0;
            continue;
        }
        const SetupAxle& a = car.data.setup->axles[w.axleIndex];
        float spring = a.spring, bump = a.bumpDamping, rebound = a.reboundDamping;
        spring = Clamp(spring, 0.1f * springMax, springMax);
        rebound = Clamp(rebound, 0.1f * damperMax, damperMax);
        if (car.data.dataFlags & CarDataBumpFromRebound)
            bump = rebound / 2;
        else
            bump = Clamp(bump, 0.1f * damperMax, damperMax);
        w.springRate = spring;
        w.bumpDamping = bump;
        w.reboundDamping = rebound;
    }
    for (int axle = 0; axle < 2; axle++) {
        float roll = car.data.setup->axles[axle].antiRoll;
        roll = Clamp(roll, 0.0f, springMax);
        const bool none = (car.data.dataFlags & (axle == 0 ? CarDataNoRearAntiRoll : CarDataNoFrontAntiRoll)) != 0;
        car.tuning.liveAntiRoll[axle] = none ? 0 : roll;
    }
}

namespace {

// Gears never rise from one to the next; the ratios in use follow them.
void SetGearRatios(CarObject& car, CarSetup& s)
{
    for (int g = 1; g < 7; g++)
        if (s.gears[g] > s.gears[g - 1])
            s.gears[g] = s.gears[g - 1];
    car.tuning.gearRatios[1] = 0;
    for (int g = 0; g < 7; g++)
        car.tuning.gearRatios[2 + g] = DecodeSetupRatio(s.gears[g]);
}

// A class with a fixed rear axle has it locked and straight.
void FixRearAxle(CarObject& car, CarSetup& s, const CarClass& row)
{
    if (row.rearAxleFixed) {
        s.axles[0].diffType = 1;
        s.axles[0].toe = 9;
        s.axles[0].camberLeft = s.axles[0].camberRight = 45;
    }
    car.tuning.rearAxleFixed = row.rearAxleFixed;
}

// A setup from outside (a player's, a file's) held within the car's
// limits: wings, lock, ride height, tyre compounds and pressures.
void HoldSetupWithinCarLimits(const CarObject& car, CarSetup& s)
{
    const int8_t* wings = car.data.wingLimits;
    ClampSetup(s);
    s.rearWing = Clamp(s.rearWing, static_cast<uint8_t>(wings[0] < 0 ? 0 : wings[0]),
                       static_cast<uint8_t>(wings[1] < 0 ? 0 : wings[1]));
    s.frontWing = Clamp(s.frontWing, static_cast<uint8_t>(wings[4] < 0 ? 0 : wings[4]),
                        static_cast<uint8_t>(wings[5] < 0 ? 0 : wings[5]));
    uint8_t maxLock = 0;
    for (int i = 0; i < car.data.setupCount; i++)
        if (car.data.setups[i].setup.maxLock > maxLock)
            maxLock = car.data.setups[i].setup.maxLock;
    if (car.data.setupCount > 0 && s.maxLock > maxLock)
        s.maxLock = maxLock;
    int tyreLow, tyreHigh;
    GetTyreTypeRange(car, tyreLow, tyreHigh);
    for (int axle = 0; axle < 2; axle++) {
        SetupAxle& a = s.axles[axle];
        float low, high;
        GetSetupRangeCapped(car, axle, low, high);
        a.rideHeightReduction = Clamp(a.rideHeightReduction, low, high);
        a.spare = 0;
        a.tyreType = Clamp(a.tyreType, static_cast<uint8_t>(tyreLow), static_cast<uint8_t>(tyreHigh));
        int pLow, pHigh;
        GetSetupRangeHalf(car, axle, pLow, pHigh);
        // A default pressure above 43690 kPa has a range beyond the 16-bit
        // field: its top is the field's top, not a wrapped value.
        pHigh = pHigh > 65535 ? 65535 : pHigh;
        a.pressureLeft = Clamp(a.pressureLeft, static_cast<uint16_t>(pLow), static_cast<uint16_t>(pHigh));
        a.pressureRight = Clamp(a.pressureRight, static_cast<uint16_t>(pLow), static_cast<uint16_t>(pHigh));
    }
}

// Each axle's compound and caster: the caster of the suspension types that
// have one comes from the setup (the rear axle's from the car's own
// setup), held within the type's range.
void FitTyresAndCaster(CarObject& car, CarSetup& s)
{
    const CarSetup* d = DefaultSetup(car);
    for (int axle = 0; axle < 2; axle++) {
        Axle& a = car.axles[axle];
        SetupAxle& block = s.axles[axle];
        a.leftWheel = a.rightWheel = nullptr;
        a.tyreType = block.tyreType;
        if (a.suspensionType != 0 && a.suspensionType != 4) {
            block.caster = 0;
            continue;
        }
        if (axle == 0) {
            block.caster = d->axles[0].caster;
        } else {
            if (block.caster == 0)
                block.caster = d->axles[1].caster;
            if (a.suspensionType == 4)
                block.caster = Clamp(block.caster, 10, 60);
            else
                block.caster = Clamp(block.caster, 40, 240);
        }
        a.casterAngle = block.caster * Pi / 1800;
    }
}

// The tyres' shapes (the rear taking the front's sizes when the car data
// says so).
void ShapeTyres(CarObject& car)
{
    if (car.data.dataFlags & CarDataSameTyres) {
        car.axles[0].tyreWidth = car.axles[1].tyreWidth;
        car.axles[0].sidewallRatio = car.axles[1].sidewallRatio;
        car.axles[0].rimRadius = car.axles[1].rimRadius;
        car.axles[0].rimWidth = car.axles[1].rimWidth;
    }
    BuildAxleTyreModels(car);
}

// The structure's bars give their points a size (the square root of the
// bar's value) and marks; a bar to a wheel's side marks the links of that
// axle.
void MarkStructure(CarObject& car)
{
    CarData& data = car.data;
    data.dataFlags &= ~(CarDataLinks | CarDataFrontWheelLinks | CarDataRearWheelLinks);
    for (int i = 0; i < data.structurePointCount; i++) {
        data.structurePoints[i].value = 0;
        data.structurePoints[i].flagB = 0;
    }
    for (int i = 0; i < data.structureBarCount; i++) {
        StructureBar& bar = data.structureBars[i];
        if (bar.value > 0)
            bar.spare = std::sqrt(bar.value) * 0.01f;
        const int marker = bar.pointA < 0 ? bar.pointA : bar.pointB;
        if (bar.pointA < 0 || bar.pointB < 0) {
            if (marker == -6 || marker == -4 || marker == -3)
                data.dataFlags |= CarDataLinks | CarDataRearWheelLinks;
            else if (marker == -5 || marker == -2 || marker == -1)
                data.dataFlags |= CarDataLinks | CarDataFrontWheelLinks;
        } else if (bar.pointA < data.structurePointCount && bar.pointB < data.structurePointCount) {
            for (int16_t index : {bar.pointA, bar.pointB}) {
                StructurePoint& p = data.structurePoints[index];
                if (p.value < bar.spare)
                    p.value = bar.spare;
                if (bar.flags & 1) {
                    p.flagB = 1;
                    data.dataFlags |= CarDataLinks;
                }
            }
        }
    }
}

// Each wheel onto its axle and side, with its cold pressure.
void PlaceWheelsOnAxles(CarObject& car, const CarSetup& s)
{
    for (int i = 0; i < car.wheelCount; i++) {
        Wheel& w = car.wheels[i];
        w.axleIndex = w.dataPosition.y > 0 ? 1 : 0;
        w.side = w.dataPosition.x > 0.01f ? 1.0f : w.dataPosition.x < -0.01f ? -1.0f : 0.0f;
        Axle& a = car.axles[w.axleIndex];
        if (w.side == 1)
            a.rightWheel = &w;
        else
            a.leftWheel = &w;
        w.slot = w.axleIndex * 2 + (w.side == 1 ? 1 : 0);
        const SetupAxle& block = s.axles[w.axleIndex];
        w.coldPressure = (w.side > 0 ? block.pressureRight : block.pressureLeft) * 1000.0f;
    }
}

// The axles' differentials and the drive: which axles are driven, their
// torque shares and the drivetrain's efficiency; the class's gear count.
void SetUpDrive(CarObject& car, CarSetup& s, const CarClass& row)
{
    for (int axle = 0; axle < 2; axle++) {
        Axle& a = car.axles[axle];
        SetupAxle& block = s.axles[axle];
        a.present = a.leftWheel && a.rightWheel ? 1 : 0;
        if (car.data.dataFlags & CarDataOpenDifferentials)
            block.diffType = 0;
        if (car.data.dataFlags & CarDataEvenLocking)
            block.coastLocking = block.powerLocking;
        a.solid = (car.tuning.driveAxles & (1 << axle)) && block.diffType == 1 ? 1 : 0;
    }
    CarTuning& tuning = car.tuning;
    if (tuning.driveAxles == 3 && !(car.axles[0].present && car.axles[1].present))
        tuning.driveAxles = 1;
    if (tuning.driveAxles == 3) {
        tuning.torqueShare[0] = 2 * (1 - tuning.frontTorqueSplit);
        tuning.torqueShare[1] = 2 * tuning.frontTorqueSplit;
    } else {
        tuning.torqueShare[0] = tuning.torqueShare[1] = 1;
    }
    if (row.driveOverride != 4)
        tuning.driveAxles = static_cast<uint8_t>(row.driveOverride);
    tuning.driveEfficiency = row.rearAxleFixed || car.data.carClass == BikeClass ? 0.9f
                             : tuning.driveAxles == 3                            ? 0.8f
                                                                                 : 0.85f;
    car.data.gearCount = Clamp(car.data.gearCount, row.minGearCount, row.maxGearCount);
}

// A swing arm or double wishbone wheel: the arm's direction and rest
// angle, the link, the wheel centre; the axes are the geometry's.
void SetArmWheel(Wheel& w, const Axle& a, const SetupAxle& block)
{
    const uint8_t camber = w.side > 0 ? block.camberRight : block.camberLeft;
    const double angle = (Pi / 2 + (camber - 45) * 0.1 * DegreesToRadians + a.armAngleOffset) * w.side;
    double sn, cs;
    ComputeSinCos(angle, sn, cs);
    w.armDirection = {static_cast<float>(cs), static_cast<float>(sn)};
    w.restArmAngle =
        a.armLength > 0 ? std::atan((block.rideHeightReduction - a.kingpinHalfLength - w.pivotB.z) / a.armLength) : 0.0f;
    if (w.suspensionType == 3) {
        w.linkVector = {w.pivotC.x - w.pivotB.x, 0, w.pivotC.z - w.pivotB.z};
        w.wheelCentreX = (a.wheelOffset + a.armLength) * w.side + w.pivotB.x;
    } else {
        w.linkVector = {w.pivotA.x - w.pivotB.x, 0, w.pivotA.z - w.pivotB.z};
        w.wheelCentreX =
            a.wheelOffset * w.side + (a.armLength * w.side + w.pivotB.x + a.upperLinkLength * w.side + w.pivotA.x) / 2;
    }
    w.hubOffset = {};
    w.spinAxis = {w.side, 0, 0};
    w.steerAxis = {0, 0, 1};
    w.travelAxis = {0, 0, 1};
}

// One wheel from its axle and the setup: mass and inertia, ride height,
// toe, travel, drive, the axle's mounting points on its side and its
// suspension geometry.
void SetUpWheel(CarObject& car, Wheel& w, const CarSetup& s)
{
    const Axle& a = car.axles[w.axleIndex];
    const SetupAxle& block = s.axles[w.axleIndex];
    const float r = a.tyreRadius, tw = a.tyreWidth, e = a.rimRadius;
    w.wheelMass = 24 * Pi * (r * r + r * tw + e * tw);
    w.wheelInertia = r * r * w.wheelMass / 2;
    w.mountHeight = block.rideHeightReduction;
    w.springRate = w.bumpDamping = w.reboundDamping = 0;
    w.toe = (block.toe - 9) * 0.1f * DegreesToRadians;
    w.maxTravel = a.maxHeight - block.rideHeightReduction;
    if (w.maxTravel < 0)
        w.maxTravel = 0;
    if (w.axleIndex == 1)
        car.tuning.steerInertia += w.wheelInertia;
    w.driven = (car.tuning.driveAxles & (1 << w.axleIndex)) ? 1 : 0;
    car.tuning.drivenWheels += w.driven;
    const float sideSign = w.side;
    w.pivotA = sideSign * OffsetFromFixed(a.mountA);
    w.pivotB = sideSign * OffsetFromFixed(a.mountB);
    w.pivotC = sideSign * OffsetFromFixed(a.mountC);
    w.pivotA.y = FixedToMetres(a.mountA.y);
    w.pivotB.y = FixedToMetres(a.mountB.y);
    w.pivotC.y = FixedToMetres(a.mountC.y);
    w.pivotA.z = FixedToMetres(a.mountA.z);
    w.pivotB.z = FixedToMetres(a.mountB.z);
    w.pivotC.z = FixedToMetres(a.mountC.z);
    w.linkVector = {};
    w.armDirection = {};
    w.restArmAngle = 0;
    w.suspensionType = a.suspensionType;
    if (w.suspensionType == 0 || w.suspensionType == 1 || w.suspensionType == 5) {
        SetWheelAxes(w, a, s, car.data.frontHubLead);
        w.travelAxis = {0, 0, 1};
    } else if (w.suspensionType == 2) {
        SetWheelAxes(w, a, s, car.data.frontHubLead);
        w.travelAxis = w.steerAxis;
    } else if (w.suspensionType == 3 || w.suspensionType == 4) {
        SetArmWheel(w, a, block);
    }
    UpdateSuspensionGeometry(w, a);
}

// The tyres' rim and air volumes and heat factors (per tread segment in
// use), and the air in each tyre at its cold pressure.
void SetTyreVolumes(CarObject& car)
{
    const float segments = car.net.remote ? 1.0f : 16.0f;
    for (Axle& a : car.axles) {
        const float r = a.tyreRadius, e = a.rimRadius;
        a.rimVolume = 2 * Pi * e * a.rimWidth * 0.02f * r;
        a.airVolume = Pi * (r * r - e * e) * a.treadWidth;
        a.treadHeatFactor = a.treadWidth / 3 * 2 * Pi * r / segments;
        a.sidewallHeatFactor = (r - e) * 2 * Pi * r / segments;
        for (Wheel* w : {a.leftWheel, a.rightWheel})
            if (w)
                w->airMass = (AtmosphericPressure + w->coldPressure) / AtmosphericPressure * a.airVolume * 1.205f;
    }
}

// The loads beyond which each wheel's suspension fails or bends: three and
// six times the weight its axle carries.
void SetWheelLoadLimits(CarObject& car)
{
    for (int i = 0; i < car.wheelCount; i++) {
        Wheel& w = car.wheels[i];
        const float f = car.tuning.wheelbase > 0
                            ? 1 - std::fabs(w.mountPosition.y - car.centreOfMass.y) / car.tuning.wheelbase
                            : 0.5f;
        w.failLoad = f * car.mass * 9.81f * 3;
        w.failRate = 0.06f;
        w.bendLoad = f * car.mass * 9.81f * 6;
        w.bendRate = 1.2f;
    }
}

// The body's contact material by its mass, its radius, extents and lowest
// point, and the ground clearance.
void SetBodyContacts(CarObject& car)
{
    car.stiffness = 300 * car.mass;
    car.damping = 15 * car.mass;
    car.tuning.lowestPoint = car.data.enginePosition.z;
    float radius2 = 0;
    for (int i = 0; i < car.pointCount; i++) {
        const Vec3& p = car.points[i].local;
        if (LengthSquared(p) > radius2)
            radius2 = LengthSquared(p);
        if (p.z < car.tuning.lowestPoint)
            car.tuning.lowestPoint = p.z;
    }
    car.radius = std::sqrt(radius2);
    UpdateBodyBounds(car);
    car.tuning.largerHalfWidth = std::fabs(car.minX) > std::fabs(car.maxX) ? std::fabs(car.minX) : std::fabs(car.maxX);
    float reach = -1000;
    for (const Axle& a : car.axles)
        if (a.maxHeight - a.tyreRadius > reach)
            reach = a.maxHeight - a.tyreRadius;
    car.tuning.groundClearance = car.centreOfMass.z - reach;
}

// The brakes: the balance (all at the rear for a class without front
// brakes) and the torque, held within the load's limits whether the setup
// is built in or from outside, shared between the axles and their wheels.
void SetUpBrakes(CarObject& car, CarSetup& s, const CarClass& row)
{
    if (!row.frontBrakes)
        s.brakeBalance = 0;
    float brakeLow, brakeHigh;
    GetLoadDerivedLimits(car, brakeLow, brakeHigh);
    s.maxBrakeTorque = Clamp(s.maxBrakeTorque, brakeLow, brakeHigh);
    const float brake = s.maxBrakeTorque;
    car.tuning.brakeBalance = s.brakeBalance * 0.01f;
    car.axles[1].brakeTorque = car.tuning.brakeBalance * brake * 2;
    car.axles[0].brakeTorque = (1 - car.tuning.brakeBalance) * brake * 2;
    for (int i = 0; i < car.wheelCount; i++)
        car.wheels[i].brakeTorque = car.axles[car.wheels[i].axleIndex].brakeTorque;
}

// The top speed the engine's power reaches against the drag (200 m/s at
// most).
float EstimateTopSpeed(const CarObject& car)
{
    if (car.tuning.dragSum > 0) {
        float v = static_cast<float>(std::cbrt(car.engine.maxPower * car.tuning.driveEfficiency / car.tuning.dragSum));
        if (v < 200)
            return v;
    }
    return 200;
}

} // namespace

void ApplySetup(CarObject& car, int keepStructure)
{
    if (!car.data.setup)
        return;
    CarSetup& s = *car.data.setup;
    const CarClass& row = CarClassTable[car.data.carClass];
    car.tuning.appliedRestriction = car.tuning.appliedMass = car.tuning.appliedMassPosition = 0;
    SetGearRatios(car, s);
    car.tuning.openRoof =
        s.bodyOption < car.data.optionCount && SameTextNoCase(car.data.options[s.bodyOption].name, "OPEN ROOF", 12);
    FixRearAxle(car, s, row);
    if (car.data.setupIndex == -1)
        HoldSetupWithinCarLimits(car, s);
    if (s.bodyOption >= car.data.optionCount)
        s.bodyOption = 0;
    SetAxleMountPoints(car);
    car.tuning.finalDrive = DecodeSetupRatio(s.finalDrive);
    car.tuning.frontTorqueSplit = s.frontTorqueSplit * 0.01f;
    FitTyresAndCaster(car, s);
    ShapeTyres(car);
    if (!keepStructure)
        MarkStructure(car);
    if (car.engine.inertiaFactor == 0)
        car.engine.inertiaFactor = 1;
    SetUpEngine(car.engine, row);
    PlaceWheelsOnAxles(car, s);
    SetUpDrive(car, s, row);
    car.tuning.steerInertia = 0;
    car.tuning.drivenWheels = 0;
    for (int i = 0; i < car.wheelCount; i++)
        SetUpWheel(car, car.wheels[i], s);
    SetTyreVolumes(car);
    // The axles' places and the wheelbase before the mass model, which
    // places the added mass by the axles.
    for (int i = 0; i < car.wheelCount; i++)
        car.tuning.axleY[car.wheels[i].axleIndex] = car.wheels[i].mountPosition.y;
    car.tuning.wheelbase = car.tuning.axleY[1] - car.tuning.axleY[0] + car.data.frontHubLead;
    if (!keepStructure) {
        ComputeCarMassProperties(car, 1);
        ComputeCarMassProperties(car, 2);
    }
    PlaceAeroPoints(car, s);
    UpdateMassScales(car);
    SetWheelLoadLimits(car);
    SetBodyContacts(car);
    SetUpBrakes(car, s, row);
    CopySuspensionToWheels(car);
    // The engine turns about the car's x axis when it lies across, else
    // about y; the car data gives the sense.
    const float sense = (car.data.dataFlags & CarDataEngineTurnsForward) ? 1.0f : -1.0f;
    car.tuning.engineAxis = (car.data.dataFlags & CarDataTransverseEngine) ? Vec3{sense, 0, 0} : Vec3{0, sense, 0};
    car.tuning.topSpeed = EstimateTopSpeed(car);
    car.tuning.liveBrakeBalance = s.brakeBalance;
    car.tuning.tyreRadiusRatio = car.axles[1].tyreRadius > 0 ? car.axles[0].tyreRadius / car.axles[1].tyreRadius : 1;
    UpdateCarHandicaps(car);
}

void GetCarBodyOptions(const CarObject& car, bool& frontSeat, bool& rearSeats)
{
    frontSeat = (car.data.dataFlags & CarDataFrontPassengerSeat) && std::fabs(car.data.driverSeat.x) > 0.2f;
    rearSeats = (car.data.dataFlags & CarDataRearSeats) != 0;
}

void SetCarSkinName(CarObject& car, const char* name, void* owner)
{
    // The whole field may hold the name: a name of SkinNameLength
    // characters has no terminator, a shorter one is padded with zeros.
    const size_t length = strnlen(name, SkinNameLength);
    std::memset(car.data.skinName, 0, SkinNameLength);
    std::memcpy(car.data.skinName, name, length);
    car.data.ownerRecord = owner;
}

void BuildAxleTyreModels(CarObject& car)
{
    for (Axle& a : car.axles)
        BuildTyreProfile(a, car.data.carClass == BikeClass);
}
