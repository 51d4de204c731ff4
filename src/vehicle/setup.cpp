// Setups: the limits every loaded setup is held to, comparisons, and the
// setup the player has chosen.
#include <cmath>
#include <cstring>

#include "vehicle/local.h"

ChosenSetupRecord MutableChosenSetup;
const ChosenSetupRecord& ChosenSetup = MutableChosenSetup;

void SetChosenSetup(int index, const char* name)
{
    MutableChosenSetup = {};
    MutableChosenSetup.index = index;
    if (name)
        CopyFixedString(MutableChosenSetup.name, name, sizeof MutableChosenSetup.name);
}

namespace {

void HoldAtMost(uint8_t& value, uint8_t max)
{
    if (value > max)
        value = max;
}

// A torque, stiffness or damping: finite and not negative, else 0.
void HoldPositive(float& value)
{
    if (!std::isfinite(value) || value < 0)
        value = 0;
}

// 0xFFFF is kept free as a marker; a ratio takes at most 0xFFFE.
void HoldRatio(uint16_t& value)
{
    if (value == 0xFFFF)
        value = 0xFFFE;
}

// Viscous torque: 1..20, where 0 means 1.
void HoldViscous(uint8_t& value)
{
    value = Clamp(value, 1, 20);
}

} // namespace

float DecodeSetupRatio(uint16_t v)
{
    return 0.5f + 7.0f * static_cast<float>(v) / 65535.0f;
}

void MatchSetupSides(CarSetup& setup)
{
    for (SetupAxle& axle : setup.axles) {
        axle.camberRight = axle.camberLeft;
        axle.pressureRight = axle.pressureLeft;
    }
}

void ClampSetup(CarSetup& s)
{
    HoldAtMost(s.addedMassPosition, 100);
    HoldAtMost(s.carried3, 6);
    HoldPositive(s.maxBrakeTorque);
    HoldAtMost(s.rearWing, 30);
    HoldAtMost(s.frontWing, 30);
    HoldAtMost(s.addedMass, 200);
    HoldAtMost(s.intakeRestriction, 50);
    s.maxLock = Clamp(s.maxLock, 9, 45);
    HoldAtMost(s.parallelSteer, 100);
    s.brakeBalance = Clamp(s.brakeBalance, 5, 95);
    HoldAtMost(s.engineBrakeReduction, 100);
    HoldAtMost(s.centreDiff, 1);
    HoldViscous(s.centreViscous);
    s.zero18 = 0;
    s.frontTorqueSplit = Clamp(s.frontTorqueSplit, 5, 95);
    for (uint16_t& gear : s.gears)
        HoldRatio(gear);
    HoldRatio(s.finalDrive);
    // A car has at most 16 body options (0 to 15): any index beyond the
    // list falls back to the first option.
    if (s.bodyOption >= MaxBodyOptions)
        s.bodyOption = 0;
    s.tcSlip = Clamp(s.tcSlip, 20, 100);
    s.tcMinSpeed = Clamp(s.tcMinSpeed, 5, 20);
    for (SetupAxle& a : s.axles) {
        if (!std::isfinite(a.rideHeightReduction))
            a.rideHeightReduction = 0;
        HoldPositive(a.spring);
        HoldPositive(a.bumpDamping);
        HoldPositive(a.reboundDamping);
        HoldPositive(a.antiRoll);
        HoldPositive(a.spare);
        HoldAtMost(a.toe, 18);
        HoldAtMost(a.caster, 240);
        HoldAtMost(a.tyreType, 7);
        a.zero27 = 0;
        HoldAtMost(a.camberLeft, 90);
        HoldAtMost(a.camberRight, 90);
        a.zero30 = 0;
        HoldAtMost(a.preload, 80);
        HoldAtMost(a.diffType, 3);
        HoldViscous(a.viscousTorque);
        a.powerLocking = Clamp(a.powerLocking, 10, 80);
        a.coastLocking = Clamp(a.coastLocking, 10, 80);
    }
    if (s.flags & SetupSymmetric)
        MatchSetupSides(s);
}

int SetupsDiffer(const CarSetup& a, const CarSetup& b)
{
    return std::memcmp(&a, &b, sizeof(CarSetup)) != 0 ? 1 : 0;
}

int CountSpecialTyres(const CarSetup& setup)
{
    int count = 0;
    for (const SetupAxle& axle : setup.axles)
        if (axle.tyreType == 6 || axle.tyreType == 7)
            ++count;
    return count;
}
