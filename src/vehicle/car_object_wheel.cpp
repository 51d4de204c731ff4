// A car's wheel records: construction, resets, damage, worn tyres, the
// renewed tyre's heat, and the switch between one and sixteen tread
// segments.
#include <cmath>

#include "vehicle/local.h"

namespace {

constexpr float AmbientKelvin = 293.15f;

} // namespace

uint8_t TemperatureByte(float kelvin)
{
    float v = (kelvin - AmbientKelvin) * 63.0f / 180.0f;
    if (!(v > 0))
        return 0;
    if (v >= 63)
        return 63;
    return static_cast<uint8_t>(std::nearbyint(v));
}

float RimCapacity(const Axle& axle)
{
    return axle.rimVolume * 2700.0f * 1000.0f;
}

void InitWheel(Wheel& wheel)
{
    wheel = {};
    ResetWheel(wheel);
    ResetWheelDamage(wheel);
}

void ResetWheel(Wheel& wheel)
{
    wheel.peakSlip = wheel.curveSlip = 1;
    wheel.pressure = AtmosphericPressure;
    wheel.travel = wheel.travelRate = 0;
    wheel.surfaceKind = 0;
    wheel.steerAngle = 0;
    wheel.frictionLimit = 0;
    wheel.springOffset = wheel.wheelTorque = 0;
    wheel.spinRate = wheel.spinStep = 0;
    wheel.stripLoad[0] = wheel.stripLoad[1] = wheel.stripLoad[2] = 0;
    wheel.spinAngle = Pi;
    wheel.stateWord = -1;
    wheel.ground = {};
    wheel.rim = {};
    wheel.wheelForce = wheel.contactForward = wheel.contactLateral = {};
    wheel.patchPoint = wheel.patchDisplacement = wheel.previousCentre = {};
    wheel.dragAnchor = wheel.rimAnchor = wheel.rimForce = {};
    wheel.camber = wheel.rimDepth = wheel.load = wheel.springLoad = 0;
    wheel.tyreDeflection = wheel.longitudinalDeflection = wheel.lateralDeflection = 0;
    wheel.contactWidth = wheel.patchLength = wheel.gripFactor = wheel.frictionCoefficient = 0;
    wheel.combinedSlip = wheel.slipDisplay = wheel.slide = 0;
    wheel.touching = wheel.rimTouching = 0;
    wheel.driveTorque = 0;
    // The probes search afresh and no skid mark or smoke runs on.
    wheel.groundProbe = {};
    wheel.sideProbe = {};
    wheel.probeCountdown = 0;
    wheel.skidState = 0;
    wheel.skidSegment = -1;
    wheel.lastMarkPoint = {};
    wheel.particleCounter = 0;
}

void ResetWheelDamage(Wheel& wheel)
{
    wheel.travelLoss = wheel.upperLinkLoss = wheel.armLoss = wheel.toeLoss = 0;
    for (uint8_t& state : wheel.damageState)
        state = DamageNone;
    wheel.flat = 0;
    for (uint8_t& state : wheel.moreStates)
        state = 0;
    wheel.mountPosition = wheel.dataPosition;
}

void ReadWheelPosition(Wheel& wheel, DataFile& reader)
{
    wheel.dataPosition.x = ReadFloat(reader);
    wheel.dataPosition.y = ReadFloat(reader);
    wheel.dataPosition.z = ReadFloat(reader);
}

void FailSuspension(Wheel& wheel)
{
    wheel.damageState[0] = DamageAtLimit;
    wheel.springRate = wheel.bumpDamping = wheel.reboundDamping = 0;
}

bool IsTyreWorn(const Wheel& wheel, int percent)
{
    if (wheel.flat)
        return true;
    const int limit = static_cast<int>(std::nearbyint((100 - percent) * 0.07));
    for (uint8_t level : wheel.wearLevel)
        if (level <= limit)
            return true;
    return false;
}

void InitTyreHeat(Wheel& wheel, const Axle& axle, int oneSegment)
{
    const float optimum = CompoundTable[axle.tyreType & 7].optimumTempC - 20 + 273.15f;
    const float t0 = optimum > AmbientKelvin ? optimum : AmbientKelvin;
    wheel.flat = 0;
    const uint8_t display = TemperatureByte(t0);
    for (uint8_t& byte : wheel.displayTemperature)
        byte = display;
    for (uint8_t& level : wheel.wearLevel)
        level = 7;
    wheel.dirtLevel = 0;
    wheel.rimHeat = t0 * RimCapacity(axle);
    wheel.airHeat = t0 * wheel.airMass * 1005.0f;
    const int segments = oneSegment ? 1 : TyreSegmentCount;
    for (int s = 0; s < segments; s++) {
        TyreSegment& segment = wheel.segments[s];
        for (int strip = 0; strip < 3; strip++) {
            segment.treadDepth[strip] = 0.03f * axle.tyreRadius;
            segment.treadHeat[strip] = t0 * TreadCapacity(axle, segment.treadDepth[strip]);
            segment.surfaceHeat[strip] = t0 * SurfaceCapacity(axle);
        }
        segment.sidewallHeat[0] = segment.sidewallHeat[1] = t0 * SidewallCapacity(axle);
        segment.dirt = 0;
    }
}

// A remote car's tyre lives in segment 0, its heats those of the whole
// tyre; a local car spreads them over sixteen segments.
void ToLocalTyres(Wheel& wheel)
{
    TyreSegment& first = wheel.segments[0];
    for (int strip = 0; strip < 3; strip++) {
        first.treadHeat[strip] *= 0.0625f;
        first.surfaceHeat[strip] *= 0.0625f;
    }
    first.sidewallHeat[0] *= 0.0625f;
    first.sidewallHeat[1] *= 0.0625f;
    for (int s = 1; s < TyreSegmentCount; s++)
        wheel.segments[s] = first;
}

void ToRemoteTyres(Wheel& wheel)
{
    TyreSegment& first = wheel.segments[0];
    for (int strip = 0; strip < 3; strip++) {
        first.treadHeat[strip] *= 16;
        first.surfaceHeat[strip] *= 16;
    }
    first.sidewallHeat[0] *= 16;
    first.sidewallHeat[1] *= 16;
}
