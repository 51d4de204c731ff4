// The tyre: its friction curves, stiffness figures, forces in the contact
// patch, pressure, wear, spin, and the heat exchange between its parts.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <iterator>

#include "physics_fixture.h"

namespace {

constexpr float Pi = 3.14159265358979f;

float Length(const Vec3& v) { return std::sqrt(Dot(v, v)); }

class TyreTest : public PhysicsTest {};

// ---------------------------------------------------------------------------
// Friction curves.

TEST_F(TyreTest, CurvesPassThroughTheirPeaksAndEnds)
{
    struct Case {
        const TyreCurve* curve;
        float x, expected, tolerance;
    };
    const TyreCurve& hardAlong = LongitudinalTyreCurves[HardTyreCurve];
    const TyreCurve& looseAlong = LongitudinalTyreCurves[LooseTyreCurve];
    const TyreCurve& hardAcross = LateralTyreCurves[HardTyreCurve];
    const TyreCurve& looseAcross = LateralTyreCurves[LooseTyreCurve];
    const Case cases[] = {
        {&hardAlong, 1.2f, 1.15f, 1e-5f},
        {&hardAlong, 2.4f, 0.95f, 1e-5f},
        // The first sample, at 2.4 / 64: the rising cubic at t = 1 / 32.
        {&hardAlong, 0.0375f, 0.0472900f, 1e-6f},
        // Below the first sample the curve is a straight line from 0.
        {&hardAlong, 0.01875f, 0.0236450f, 1e-6f},
        // Beyond the end the curve holds its last value.
        {&hardAlong, 10.0f, 0.95f, 1e-6f},
        {&hardAlong, 1e9f, 0.95f, 1e-6f},
        {&hardAcross, 2.4f, 0.95f, 1e-5f},
        {&hardAcross, 1.8f, 0.95f, 1e-5f},
        {&looseAlong, 4.0f / 1.5f, 0.85f, 2e-3f},
        {&looseAlong, 8.0f / 1.5f, 1.0f, 1e-5f},
        {&looseAcross, 8.0f / 1.5f, 1.1f, 1e-5f},
        {&hardAlong, 0.0f, 0.0f, 0.0f},
    };
    for (const Case& c : cases)
        EXPECT_NEAR(SampleTyreCurve(*c.curve, c.x), c.expected, c.tolerance) << "x = " << c.x;
    EXPECT_FLOAT_EQ(hardAlong.stiffness, 1.8f);
    EXPECT_FLOAT_EQ(looseAlong.stiffness, 4.0f);
}

// On hard ground the lateral curve never falls once risen; the
// longitudinal one falls after its peak; on loose ground both keep rising.
TEST_F(TyreTest, CurveShapes)
{
    auto rises = [](const TyreCurve& curve, int from, int to) {
        for (int i = from; i < to; i++)
            if (curve.values[i + 1] < curve.values[i] - 1e-6f)
                return false;
        return true;
    };
    EXPECT_TRUE(rises(LateralTyreCurves[HardTyreCurve], 0, 63));
    EXPECT_TRUE(rises(LongitudinalTyreCurves[LooseTyreCurve], 0, 63));
    EXPECT_TRUE(rises(LateralTyreCurves[LooseTyreCurve], 0, 63));
    EXPECT_TRUE(rises(LongitudinalTyreCurves[HardTyreCurve], 0, 31));
    EXPECT_LT(LongitudinalTyreCurves[HardTyreCurve].values[63], LongitudinalTyreCurves[HardTyreCurve].values[31]);
}

// ---------------------------------------------------------------------------
// The tyre's stiffness figures from its dimensions: the sidewall height
// under the sidewall figure is the height from the rim lip to the outer
// edge of the tread's curve, for the round bike profile as for a car's.

TEST_F(TyreTest, ProfileFigures)
{
    struct Case {
        float width, ratio, rim;
        int bike, compound;
        float sidewall, contact, size, crown;
    };
    const Case cases[] = {
        {0.18f, 0.5f, 0.165f, 1, 4, 0.556079f, 1.131948f, 642.7286f, 0.127278f},
        {0.205f, 0.55f, 0.1905f, 0, 0, 0.800665f, 1.464961f, 747.9948f, 0.179263f},
    };
    for (const Case& c : cases) {
        Axle axle;
        axle.tyreWidth = c.width;
        axle.sidewallRatio = c.ratio;
        axle.rimRadius = c.rim;
        axle.tyreType = c.compound;
        BuildTyreProfile(axle, c.bike);
        EXPECT_NEAR(axle.pressureStiffness, c.sidewall, 2e-5f) << "bike " << c.bike;
        EXPECT_NEAR(axle.radialStiffness, c.contact, 2e-5f);
        EXPECT_NEAR(axle.tyreDamping, c.size, 1e-2f);
        EXPECT_NEAR(axle.profileRadius, c.crown, 1e-6f);
    }
}

// ---------------------------------------------------------------------------
// A wheel on a test rig: a car tyre 205/55 on a 15 inch rim, fixed
// suspension, standing on flat ground z = 0 of surface kind 0.

struct TyreRig {
    CarObject car;
    Wheel wheel;
    Axle axle;
    Vec3 hub;  // the wheel's centre; its lowest point is a tyre radius below
    float h = 0.0005f;
    float align = 0;

    explicit TyreRig(int compound = 4, int segments = 16)
    {
        axle.tyreWidth = 0.205f;
        axle.sidewallRatio = 0.55f;
        axle.rimRadius = 0.1905f;
        axle.rimWidth = 0.16f;
        axle.tyreType = compound;
        BuildTyreProfile(axle, 0);
        const float r = axle.tyreRadius, e = axle.rimRadius;
        axle.rimVolume = 2 * Pi * e * axle.rimWidth * 0.02f * r;
        axle.airVolume = Pi * (r * r - e * e) * axle.treadWidth;
        axle.treadHeatFactor = axle.treadWidth / 3 * 2 * Pi * r / static_cast<float>(segments);
        axle.sidewallHeatFactor = (r - e) * 2 * Pi * r / static_cast<float>(segments);
        InitWheel(wheel);
        wheel.side = 1;
        wheel.axleIndex = 1;
        wheel.suspensionType = 0;
        wheel.coldPressure = 200000;
        wheel.airMass = (AtmosphericPressure + wheel.coldPressure) / AtmosphericPressure * axle.airVolume * 1.205f;
        wheel.wheelMass = 15;
        wheel.wheelInertia = r * r * wheel.wheelMass / 2;
        wheel.spinAxis = {1, 0, 0};
        wheel.steerAxis = {0, 0, 1};
        wheel.hubOffset = {0, 0, -r};
        wheel.travelAxis = {0, 0, 1};
        wheel.ground.touching = 1;
        wheel.ground.normal = {0, 0, 1};
        wheel.ground.grip = 1.15f;
        InitTyreHeat(wheel, axle, segments == 1);
        car.stiffness = 300000;
        car.damping = 15000;
        car.friction = 0.5f;
        hub = {0, 0, r + 0.01f};
        wheel.previousCentre = hub + wheel.hubOffset;
    }
    // The wheel centre brought down so that the tyre is pressed depth into the ground.
    void PressTo(float depth) { hub.z = axle.tyreRadius - depth; }
    // One call of the full form (alignment sum given) or the one-step form.
    Vec3 Step(Vec3 aero = {}, int remote = 0, bool fullForm = true, float brake = 0)
    {
        Vec3 load = aero;
        const float step = fullForm ? h : 0.01f;
        PrepareTyreStep(wheel, axle);
        ComputeTyreForces(wheel, axle, Input(brake, fullForm ? &align : nullptr, step, remote), load);
        return load;
    }
    // What the car gives the tyre: its body (upright), the hub, the brake.
    TyreStepInput Input(float brake, float* alignSum, float step, int remote)
    {
        TyreStepInput input;
        input.car = &car;
        input.hubPosition = hub;
        input.brakeTorque = brake;
        input.alignTorque = alignSum;
        input.h = step;
        input.inverseH = 1 / step;
        input.gravity = -9.81f;
        input.remote = remote;
        return input;
    }
    float ShearStiffness() const { return axle.pressureStiffness * wheel.pressure * 0.9f; }
};

// The pressure follows the gas law at constant volume: the absolute
// pressure is the set one times the air's temperature over 20 C. A flat
// tyre keeps a tenth of its set pressure.
TEST_F(TyreTest, PressureFollowsTheAirTemperature)
{
    struct Case {
        float airKelvin;
        int flat;
        float expected;
    };
    const float absolute = AtmosphericPressure + 200000;
    const Case cases[] = {
        {293.15f, 0, 200000},
        {353.15f, 0, absolute * 353.15f / 293.15f - AtmosphericPressure},
        {273.15f, 0, absolute * 273.15f / 293.15f - AtmosphericPressure},
        {353.15f, 1, 20000},
    };
    for (const Case& c : cases) {
        TyreRig rig;
        rig.wheel.ground.touching = 0;
        rig.wheel.airHeat = c.airKelvin * rig.wheel.airMass * 1005;
        rig.wheel.flat = static_cast<uint8_t>(c.flat);
        rig.Step();
        EXPECT_NEAR(rig.wheel.pressure, c.expected, 1.0f) << c.airKelvin << " K, flat " << c.flat;
    }
}

// Off the ground the tyre carries nothing: only the wheel's weight, the
// aerodynamic load and the suspension act. A sliding suspension passes its
// spring force to the car, and the rest moves the wheel along its travel.
TEST_F(TyreTest, NoContactLeavesWeightAeroAndSuspension)
{
    struct Case {
        int type;
        float travel;
    };
    const Vec3 aero = {30, -20, -400};
    for (const Case& c : {Case{0, 0}, Case{1, 0}, Case{1, 0.05f}}) {
        TyreRig rig;
        rig.wheel.ground.touching = 0;
        rig.wheel.suspensionType = c.type;
        rig.wheel.springRate = 50000;
        rig.wheel.maxTravel = 0.1f;
        rig.wheel.travel = c.travel;
        const Vec3 load = rig.Step(aero);
        const Wheel& w = rig.wheel;
        const Vec3 weight = {0, 0, -9.81f * w.wheelMass};
        SCOPED_TRACE(testing::Message() << "type " << c.type << " travel " << c.travel);
        EXPECT_EQ(w.load, 0);
        EXPECT_EQ(w.frictionLimit, 0);
        EXPECT_EQ(w.touching, 0);
        EXPECT_EQ(load, aero + weight);
        // The spring pushes (along the travel) only when compressed; at
        // the bottom of the travel the whole load stays on the car.
        const float spring = 50000 * c.travel;
        const Vec3 expected = c.travel > 0 ? Vec3{aero.x, aero.y, spring} : aero + weight;
        EXPECT_NEAR(w.wheelForce.x, expected.x, 1e-3f);
        EXPECT_NEAR(w.wheelForce.y, expected.y, 1e-3f);
        EXPECT_NEAR(w.wheelForce.z, expected.z, 1e-3f);
        const float fall = c.travel > 0 ? (aero.z + weight.z - spring) / w.wheelMass * rig.h : 0.0f;
        EXPECT_NEAR(w.travelRate, fall, 1e-5f);
    }
}

// A tyre pressed past its bottoming deflection carries a steep extra load
// (the rim on the carcass: wheel mass x 50000 N/m more) and grips with a
// fixed factor of 0.25.
TEST_F(TyreTest, BottomingOutGivesSteepLoadAndLowGrip)
{
    TyreRig probe;
    const float bottoming = probe.axle.tyreRadius - probe.axle.rimRadius - 0.02f;
    const float offsets[] = {-0.004f, -0.002f, 0.002f, 0.004f};
    float loads[4] = {};
    for (int i = 0; i < 4; i++) {
        TyreRig rig;
        rig.PressTo(bottoming + offsets[i]);
        rig.Step();
        const Wheel& w = rig.wheel;
        EXPECT_NEAR(w.tyreDeflection, bottoming + offsets[i], 1e-6f);
        if (offsets[i] > 0) {
            EXPECT_EQ(w.gripFactor, 0.25f);
            EXPECT_EQ(w.patchLength, 0);
        } else {
            EXPECT_GT(w.gripFactor, 0.5f);
            EXPECT_GT(w.patchLength, 0);
            EXPECT_EQ(w.load, w.springLoad);
        }
        EXPECT_NEAR(w.wheelForce.z, w.load - 9.81f * w.wheelMass, 1e-2f);
        loads[i] = w.load;
    }
    const float carcass = (loads[1] - loads[0]) / 0.002f;
    const float bottomed = (loads[3] - loads[2]) / 0.002f;
    EXPECT_NEAR(bottomed - carcass, probe.wheel.wheelMass * 50000, 0.1f * probe.wheel.wheelMass * 50000);
}

// A wheel turning slower than one turn per second holds the ground like a
// spring: nudged sideways and forwards (braked, as parked) it pushes back
// in proportion, twice as stiff along the tyre, and brought back it ends
// where it began with no force, so a parked car does not creep.
TEST_F(TyreTest, ParkedWheelSticksLikeASpring)
{
    constexpr float Brake = 1e5f;
    TyreRig rig;
    rig.PressTo(0.02f);
    rig.Step({}, 0, true, Brake);
    const Vec3 start = rig.hub;
    const float kt = rig.ShearStiffness();
    // Nudge 1 mm across and 0.5 mm forwards over ten sub-steps (0.2 m/s),
    // then hold still for one sub-step so the tread's damping is at rest.
    for (int i = 1; i <= 10; i++) {
        rig.hub = start + Vec3{0.0001f * i, 0.00005f * i, 0};
        rig.Step({}, 0, true, Brake);
    }
    rig.Step({}, 0, true, Brake);
    EXPECT_NEAR(rig.wheel.wheelForce.x, -kt * 0.001f, 0.01f * kt * 0.001f);
    EXPECT_NEAR(rig.wheel.wheelForce.y, -2 * kt * 0.0005f, 0.01f * kt * 0.001f);
    for (int i = 9; i >= 0; i--) {
        rig.hub = start + Vec3{0.0001f * i, 0.00005f * i, 0};
        rig.Step({}, 0, true, Brake);
    }
    rig.Step({}, 0, true, Brake);
    EXPECT_NEAR(rig.wheel.wheelForce.x, 0, 1e-2f);
    EXPECT_NEAR(rig.wheel.wheelForce.y, 0, 1e-2f);
    EXPECT_NEAR(rig.wheel.lateralDeflection, 0, 1e-7f);
    EXPECT_NEAR(rig.wheel.longitudinalDeflection, 0, 1e-7f);

    // Pushed sideways 20 cm at once, further than the tread can hold, the
    // patch slides: the slip display shows it, the tread keeps only the
    // shear of the friction limit and holds there once the wheel stops.
    rig.hub = start + Vec3{0.2f, 0, 0};
    rig.Step({}, 0, true, Brake);
    const float limit = rig.wheel.frictionLimit;
    EXPECT_EQ(rig.wheel.slipDisplay, 2 * rig.wheel.peakSlip);
    EXPECT_NEAR(rig.wheel.slide, 0.2f - limit / kt, 0.002f);
    rig.Step({}, 0, true, Brake);
    EXPECT_NEAR(rig.wheel.wheelForce.x, -limit, 1e-3f * limit);
    EXPECT_EQ(rig.wheel.slipDisplay, 0);
}

// A free-rolling wheel at 20 m/s with a slip angle: the side force opposes
// the slip, is odd in the angle, grows with it, and never exceeds the
// friction limit.
TEST_F(TyreTest, RollingSideForceIsOddAndBounded)
{
    const float angles[] = {0.01f, 0.05f, 0.25f};
    float previous = 0;
    for (float angle : angles) {
        float side[2] = {};
        for (int sign = 0; sign < 2; sign++) {
            const float a = sign ? -angle : angle;
            TyreRig rig;
            rig.PressTo(0.02f);
            const float speed = 20;
            const Vec3 velocity = {speed * std::sin(a), speed * std::cos(a), 0};
            rig.wheel.previousCentre = rig.hub + rig.wheel.hubOffset - rig.h * velocity;
            for (int i = 0; i < 400; i++) {
                rig.wheel.spinRate = velocity.y / rig.axle.tyreRadius;
                rig.wheel.spinStep = rig.wheel.spinRate * rig.h;
                rig.wheel.wheelTorque = 0;
                rig.hub += rig.h * velocity;
                rig.Step();
                const Vec3 horizontal = {rig.wheel.wheelForce.x, rig.wheel.wheelForce.y, 0};
                ASSERT_LE(Length(horizontal), rig.wheel.frictionLimit * 1.001f + 1.0f) << a << " step " << i;
            }
            side[sign] = rig.wheel.wheelForce.x;
            EXPECT_LT(side[sign] * a, 0) << a;
        }
        EXPECT_NEAR(side[0], -side[1], 1e-3f * std::fabs(side[0]) + 0.5f) << angle;
        EXPECT_GT(std::fabs(side[0]), previous);
        previous = std::fabs(side[0]);
    }
}

// Tread wears while it slides; at 0.3 of its nominal depth the tyre goes
// flat at once, its pressure then a tenth of its set pressure. A remote
// car's tyres do not wear here (their owner reports them).
TEST_F(TyreTest, WornTreadGoesFlat)
{
    for (int remote : {0, 1}) {
        TyreRig rig;
        rig.PressTo(0.02f);
        const float minimum = 0.3f * 0.03f * rig.axle.tyreRadius;
        for (TyreSegment& segment : rig.wheel.segments)
            for (float& depth : segment.treadDepth)
                depth = minimum + 2e-6f;
        // A locked wheel dragged forwards at 20 m/s.
        const Vec3 velocity = {0, 20, 0};
        rig.wheel.previousCentre = rig.hub + rig.wheel.hubOffset - rig.h * velocity;
        for (int i = 0; i < 200 && !rig.wheel.flat; i++) {
            rig.hub += rig.h * velocity;
            rig.Step({}, remote);
        }
        EXPECT_EQ(rig.wheel.flat, remote ? 0 : 1) << "remote " << remote;
        if (!remote) {
            float least = 1;
            for (const TyreSegment& segment : rig.wheel.segments)
                for (float depth : segment.treadDepth)
                    least = std::fmin(least, depth);
            EXPECT_EQ(least, minimum);
            rig.Step();
            EXPECT_FLOAT_EQ(rig.wheel.pressure, 0.1f * rig.wheel.coldPressure);
        }
    }
}

// The wheel's spin: torque and brake, the brake never turning the wheel
// backwards, and the angle kept within +-32 pi (a solid axle's angle is
// the drivetrain's).
TEST_F(TyreTest, SpinBrakeAndAngleWrap)
{
    struct Case {
        float spinAngle, spinRate, torque, brake;
        int solid;
        float expectedRate, expectedAngle;
    };
    const float wrap = 32 * Pi;
    TyreRig probe;
    const float inertia = probe.wheel.wheelInertia, h = probe.h;
    const Case cases[] = {
        {wrap - 0.001f, 4, 0, 0, 0, 4, -wrap - 0.001f + 4 * h},
        {-wrap + 0.001f, -4, 0, 0, 0, -4, wrap + 0.001f - 4 * h},
        {1, 10, 0, 1e6f, 0, 0, 1},
        {1, -10, 0, 1e6f, 0, 0, 1},
        {1, 10, 0, 0.5f * 10 * inertia / h, 0, 5, 1 + 5 * h},
        {1, 0, 2 * inertia / h, 0, 0, 2, 1 + 2 * h},
        {1, 10, 0, 0, 1, 10, 1},
    };
    for (const Case& c : cases) {
        TyreRig rig;
        rig.wheel.ground.touching = 0;
        rig.axle.solid = static_cast<uint8_t>(c.solid);
        rig.wheel.spinAngle = c.spinAngle;
        rig.wheel.spinRate = c.spinRate;
        rig.wheel.wheelTorque = c.torque;
        Vec3 load;
        PrepareTyreStep(rig.wheel, rig.axle);
        ComputeTyreForces(rig.wheel, rig.axle, rig.Input(c.brake, &rig.align, h, 0), load);
        EXPECT_NEAR(rig.wheel.spinRate, c.expectedRate, 1e-4f) << c.spinAngle << " " << c.spinRate;
        EXPECT_NEAR(rig.wheel.spinAngle, c.expectedAngle, 1e-4f) << c.spinAngle << " " << c.spinRate;
        EXPECT_FLOAT_EQ(rig.wheel.spinStep, h * rig.wheel.spinRate);
    }
}

// A car simulated in one full step (a remote car) takes the ground's depth
// under the tyre as suspension travel, and its load is the spring's; a
// wheel off the ground hangs at the bottom of its travel.
TEST_F(TyreTest, OneStepFormTakesTheDepthAsTravel)
{
    TyreRig rig(4, 1);
    rig.wheel.suspensionType = 1;
    rig.wheel.springRate = 50000;
    rig.wheel.maxTravel = 0.12f;
    rig.wheel.travel = 0.03f;
    rig.PressTo(0.01f);
    rig.Step({}, 1, false);
    const Wheel& w = rig.wheel;
    EXPECT_NEAR(w.travel, 0.04f, 1e-6f);
    EXPECT_EQ(w.travelRate, 0);  // it was not touching before
    EXPECT_NEAR(w.load, 50000 * 0.04f + 9.81f * w.wheelMass, 0.05f);
    EXPECT_EQ(w.touching, 1);
    EXPECT_EQ(w.tyreDeflection, 0);
    rig.Step({}, 1, false);
    EXPECT_NEAR(w.travel, 0.05f, 1e-6f);
    EXPECT_NEAR(w.travelRate, 0.01f / 0.01f * 0.333f, 1e-5f);
    rig.wheel.ground.touching = 0;
    rig.Step({}, 1, false);
    EXPECT_EQ(w.travel, 0);
    EXPECT_EQ(w.travelRate, 0);
    EXPECT_EQ(w.touching, 0);
}

// A tyre counts as worn when flat or when a strip's wear level is at most
// the nearest integer to (100 - percent) x 0.07.
TEST_F(TyreTest, WornByFlatOrStripLevel)
{
    struct Case {
        int percent;
        uint8_t levels[3];
        uint8_t flat;
        bool worn;
    };
    const Case cases[] = {
        {100, {1, 1, 1}, 0, false}, {100, {7, 0, 7}, 0, true}, {100, {7, 7, 7}, 1, true},
        {90, {2, 2, 2}, 0, false},  {90, {2, 1, 2}, 0, true},  {0, {7, 7, 7}, 0, true},
    };
    for (const Case& c : cases) {
        Wheel wheel;
        InitWheel(wheel);
        for (int j = 0; j < 3; j++)
            wheel.wearLevel[j] = c.levels[j];
        wheel.flat = c.flat;
        EXPECT_EQ(IsTyreWorn(wheel, c.percent), c.worn) << c.percent << "% " << int(c.levels[1]);
    }
}

// Inputs where the model's formulas divide by zero or take a root of a
// negative number give finite results (the fixture traps invalid
// operations and divisions by zero).
TEST_F(TyreTest, DegenerateInputsStayFinite)
{
    enum { ZeroInertia, NoAir, GrazingContact, LyingFlat, NoStiffness, ZeroRadius, Count };
    for (int which = 0; which < Count; which++) {
        for (bool fullForm : {true, false}) {
            TyreRig rig;
            rig.PressTo(0.01f);
            rig.wheel.spinStep = 0.001f;
            switch (which) {
            case ZeroInertia: rig.wheel.wheelInertia = 0; rig.wheel.wheelMass = 0; break;
            case NoAir: rig.wheel.airMass = 0; break;
            case GrazingContact: rig.PressTo(1e-30f); break;
            case LyingFlat: rig.wheel.ground.normal = {1, 0, 0}; break;
            case NoStiffness: rig.axle.pressureStiffness = 0; break;
            case ZeroRadius: rig.axle.tyreRadius = 0; rig.axle.treadHeatFactor = 0; break;
            }
            Vec3 load;
            for (int i = 0; i < 3; i++)
                load = rig.Step({}, 0, fullForm);
            SCOPED_TRACE(testing::Message() << "case " << which << " full " << fullForm);
            EXPECT_TRUE(std::isfinite(Length(load)));
            EXPECT_TRUE(std::isfinite(Length(rig.wheel.wheelForce)));
            EXPECT_TRUE(std::isfinite(rig.wheel.spinRate));
            EXPECT_TRUE(std::isfinite(rig.wheel.pressure));
            EXPECT_TRUE(std::isfinite(rig.wheel.peakSlip));
        }
    }
}

// ---------------------------------------------------------------------------
// Heat.

float TreadKelvin(const Wheel& w, const Axle& a, int segment, int strip)
{
    return w.segments[segment].treadHeat[strip] / TreadCapacity(a, w.segments[segment].treadDepth[strip]);
}

// A tyre starts 20 C below its compound's optimum, never below 20 C.
TEST_F(TyreTest, StartingTemperatures)
{
    struct Case {
        int compound;
        float kelvin;
        int displayByte;  // -1: a tie, not checked
    };
    for (const Case& c : {Case{0, 323.15f, -1}, Case{3, 368.15f, 26}, Case{5, 303.15f, -1}, Case{7, 293.15f, 0}}) {
        TyreRig rig(c.compound);
        const Wheel& w = rig.wheel;
        EXPECT_NEAR(TreadKelvin(w, rig.axle, 15, 2), c.kelvin, 1e-3f) << c.compound;
        EXPECT_NEAR(w.segments[7].surfaceHeat[1] / SurfaceCapacity(rig.axle), c.kelvin, 1e-3f);
        EXPECT_NEAR(w.segments[3].sidewallHeat[0] / SidewallCapacity(rig.axle), c.kelvin, 1e-3f);
        EXPECT_NEAR(w.airHeat / (w.airMass * 1005), c.kelvin, 1e-3f);
        EXPECT_NEAR(w.rimHeat / RimCapacity(rig.axle), c.kelvin, 1e-3f);
        if (c.displayByte >= 0) {
            EXPECT_EQ(w.displayTemperature[0], c.displayByte);
        }
        EXPECT_EQ(w.wearLevel[1], 7);
    }
}

double TotalHeat(const Wheel& w)
{
    double sum = w.airHeat + w.rimHeat;
    for (const TyreSegment& s : w.segments) {
        for (int j = 0; j < 3; j++)
            sum += double(s.treadHeat[j]) + s.surfaceHeat[j];
        sum += double(s.sidewallHeat[0]) + s.sidewallHeat[1];
    }
    return sum;
}

// With no air flowing past, no heat leaves the tyre: every exchange inside
// it conserves the sum, while the parts move towards one temperature.
TEST_F(TyreTest, HeatIsConservedWithoutOutsideAir)
{
    TyreRig rig;
    Wheel& w = rig.wheel;
    const Axle& a = rig.axle;
    for (int s = 0; s < TyreSegmentCount; s++) {
        w.segments[s].surfaceHeat[s % 3] *= 1.3f;
        w.segments[s].treadHeat[(s + 1) % 3] *= 1.1f;
        w.segments[s].sidewallHeat[s % 2] *= 0.95f;
    }
    w.rimHeat *= 1.2f;
    const double before = TotalHeat(w);
    const float airBefore = w.airHeat;
    for (int i = 0; i < 100; i++)
        StepTyre(w, a, 0.01f, 0, 0);
    EXPECT_NEAR(TotalHeat(w) / before, 1.0, 1e-5);
    EXPECT_NE(w.airHeat, airBefore);
    // The hot surface of segment 0's first strip gave heat to its bulk.
    EXPECT_LT(w.segments[0].surfaceHeat[0] / SurfaceCapacity(a), 1.3f * 323.15f);
}

// Left standing in moving air the tyre cools every part towards 20 C,
// without passing it.
TEST_F(TyreTest, StandingTyreCoolsTowardsTheAir)
{
    TyreRig rig(2);
    Wheel& w = rig.wheel;
    const Axle& a = rig.axle;
    const float start = 353.15f;
    for (int i = 0; i < 60000; i++)  // ten minutes
        StepTyre(w, a, 0.01f, 1, 0);
    const float parts[] = {TreadKelvin(w, a, 5, 1), w.segments[5].surfaceHeat[1] / SurfaceCapacity(a),
                           w.segments[5].sidewallHeat[1] / SidewallCapacity(a), w.airHeat / (w.airMass * 1005),
                           w.rimHeat / RimCapacity(a)};
    for (float kelvin : parts) {
        EXPECT_LT(kelvin, start - 1);
        EXPECT_GT(kelvin, 293.15f);
    }
}

// A strip whose bulk passes 200 C flattens the tyre in the same step; its
// display byte holds at the top of its 6 bits. Wear levels read 7 new and
// 0 at the minimum tread.
TEST_F(TyreTest, OverheatAndDisplayBytes)
{
    TyreRig rig(0, 1);
    Wheel& w = rig.wheel;
    const Axle& a = rig.axle;
    w.segments[0].treadHeat[2] = 480 * TreadCapacity(a, w.segments[0].treadDepth[2]);
    w.segments[0].treadDepth[0] = 0.3f * 0.03f * a.tyreRadius;
    StepTyre(w, a, 0.01f, 1, 1);
    EXPECT_EQ(w.flat, 1);
    EXPECT_EQ(w.displayTemperature[2], 63);
    EXPECT_EQ(w.wearLevel[0], 0);
    EXPECT_EQ(w.wearLevel[1], 7);
}

} // namespace

namespace {

// The same bits: a lane's frame must equal the wheel's frame alone exactly,
// or replays drift.
bool SameBits(const Vec3& a, const Vec3& b)
{
    return std::memcmp(&a, &b, sizeof(Vec3)) == 0;
}

} // namespace

// Four wheels placed side by side match each wheel placed alone bit for
// bit: unsteered, steered by the series, steered past a radian (the core's
// sine), leaned past upright, and fewer wheels than lanes.
TEST_F(TyreTest, WheelFramesSideBySideMatchOneByOne)
{
    struct Case {
        float steerAngle, lateralDeflection, inverseRadius;
    };
    const Case cases[] = {
        {0, 0, 3.3f}, {0.31f, 0.004f, 3.3f}, {-0.047f, -0.011f, 2.9f}, {1.3f, 0.002f, 3.1f},
        {-0.6f, 0.9f, 3.0f},  // lean past upright: the spin axis loses its upright part
        {1e-7f, -0.0f, 3.2f},
    };
    FloatMatrix R;
    // A car turned about 37 degrees and pitched a little.
    R.m[0] = 0.7986355f, R.m[1] = -0.6018150f, R.m[2] = 0.0017453f;
    R.m[3] = 0.6018125f, R.m[4] = 0.7986335f, R.m[5] = 0.0069812f;
    R.m[6] = -0.0055952f, R.m[7] = -0.0045182f, R.m[8] = 0.9999741f;
    const int caseCount = static_cast<int>(std::size(cases));
    for (int first = 0; first < caseCount; first += 4) {
        const int count = caseCount - first < 4 ? caseCount - first : 4;
        Wheel wheels[4];
        Vec3 hubs[4];
        for (int i = 0; i < count; i++) {
            const Case& c = cases[first + i];
            Wheel& w = wheels[i];
            w.steerAngle = c.steerAngle;
            w.lateralDeflection = c.lateralDeflection;
            w.inverseTyreRadius = c.inverseRadius;
            w.spinAxis = {0.9961947f, 0.0348995f, -0.0812460f};
            w.steerAxis = {0.0871557f, -0.1736482f, 0.9809511f};
            w.hubOffset = {0.0213f, 0.0177f, -0.3041f};
            hubs[i] = {1.2f * i, -0.7f, 0.31f};
        }
        TyreFrame frames[4];
        PlaceTyreFrames(wheels, count, R, hubs, frames);
        for (int i = 0; i < count; i++) {
            const TyreFrame alone = PlaceTyreFrame(wheels[i], R, hubs[i]);
            EXPECT_TRUE(SameBits(frames[i].centre, alone.centre)) << "case " << first + i;
            EXPECT_TRUE(SameBits(frames[i].spinAxis, alone.spinAxis)) << "case " << first + i;
        }
    }
}
