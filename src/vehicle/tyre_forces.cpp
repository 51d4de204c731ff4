// The tyre and wheel model of one wheel for one (sub-)step: load, patch
// forces, heat and wear of the tread, rolling resistance, brake, rim
// contact, suspension force and damage, and the wheel's spin.
#include <cmath>

#include "vehicle/local.h"

namespace {

constexpr float AmbientKelvin = 293.15f;
constexpr float MaxPenetrationRate = 4.0f;      // m/s, the rim's contact damping input

inline float Absolute(float v) { return v < 0 ? -v : v; }

// v rounded to the nearest whole number, halves to even (as nearbyint in
// the default rounding mode), without a library call: adding and taking
// away 1.5 x 2^23 leaves no fraction bits for |v| < 2^22.
inline float RoundToNearest(float v)
{
    constexpr float Shift = 12582912.0f;
    if (!(Absolute(v) < 4194304.0f))
        return std::nearbyint(v);
    const float shifted = v + Shift;
    return shifted - Shift;
}

// The rim against the surface its side probe found: a penalty contact
// with the car's stiffness and damping and a sliding friction anchor, as
// the body points have. Returns whether it touched.
[[gnu::noinline]] bool RimContact(Wheel& wheel, const Vec3& rimPoint, float h, float inverseH, const RigidBody& car)
{
    const WheelContact& rim = wheel.rim;
    const float depth = rim.touching ? Dot(rim.normal, rim.point - rimPoint) : 0.0f;
    if (!(depth > 0)) {
        wheel.rimAnchor = rimPoint;
        wheel.rimDepth = 0;
        wheel.rimForce = {};
        return false;
    }
    const Vec3 c = rimPoint + depth * rim.normal;
    float k = car.stiffness, cd = car.damping;
    if (rim.body) {
        k = k < rim.body->stiffness ? k : rim.body->stiffness;
        cd = cd < rim.body->damping ? cd : rim.body->damping;
    }
    float rate = (depth - wheel.rimDepth) * inverseH;
    rate = Clamp(rate, -MaxPenetrationRate, MaxPenetrationRate);
    wheel.rimDepth = depth;
    const float normalForce = cd * rate + k * depth;
    const Vec3 spring = k * (wheel.rimAnchor - c);
    Vec3 tangential = spring - Dot(spring, rim.normal) * rim.normal;
    const float limit = rim.frictionFactor * car.friction * normalForce;
    const float tangentialSquared = LengthSquared(tangential);
    if (limit * limit < 0.0001f || !(k > 0)) {
        wheel.rimAnchor = c;
        tangential = {};
    } else if (tangentialSquared > limit * limit) {
        tangential = (Absolute(limit) / std::sqrt(tangentialSquared)) * tangential;
        wheel.rimAnchor = c + (1.0f / k) * tangential;
    }
    wheel.rimForce = normalForce * rim.normal + tangential;
    if (rim.body) {
        const Vec3 j = h * wheel.rimForce;
        rim.body->impulse -= j;
        rim.body->angularImpulse += Cross(j, OffsetFromFixed(rim.position - rim.body->predictedPosition));
    }
    return true;
}

// A suspension link bent by the step's overload (bend x share x h of its
// length); a third of its length is the most it loses.
void BendLink(float& loss, uint8_t& state, float length, float bend, float share, float h)
{
    const float most = length / 3;
    loss += bend * share * h * length;
    if (loss >= most) {
        loss = most;
        state = DamageAtLimit;
    } else if (share > 0) {
        state = DamageSome;
    }
}

// Bent suspension and steering from loads beyond the wheel's limits (full
// form only). a is the travel axis and spin the spin axis, world axes.
void DamageSuspension(Wheel& wheel, const Axle& axle, const FloatMatrix& R, const Vec3& a, const Vec3& spin,
                      float h, float r)
{
    const float travelLoad = Dot(a, wheel.wheelForce);
    if (wheel.damageState[0] != DamageAtLimit && wheel.failLoad > 0 && travelLoad > wheel.failLoad) {
        const float x = travelLoad / wheel.failLoad - 1;
        wheel.travelLoss += x * x * wheel.failRate * r * h;
        if (wheel.travelLoss >= 0.03f * r) {
            wheel.travelLoss = 0.03f * r;
            FailSuspension(wheel);
        } else {
            wheel.damageState[0] = DamageSome;
        }
    }
    if (wheel.side == 0 || !(wheel.bendLoad > 0))
        return;
    const float sideLoad = -Dot(wheel.side * spin, wheel.wheelForce);
    if (!(sideLoad > wheel.bendLoad))
        return;
    const float over = sideLoad / wheel.bendLoad - 1;
    const float y = over * over;
    // Without a rim hit the arm takes the whole bend; a double wishbone
    // hit at the rim shares it with the upper link by how level the blow is.
    float upperShare = 0, armShare = 1;
    if (wheel.rimTouching) {
        const Vec3 forward = {R.m[1], R.m[4], R.m[7]};
        const Vec3 up = {R.m[2], R.m[5], R.m[8]};
        if (wheel.damageState[3] != DamageAtLimit) {
            constexpr float Limit = Pi / 8;
            wheel.toe -= Dot(wheel.rim.normal, forward) * (Pi / 3) * y * h;
            if (wheel.toe >= Limit || wheel.toe <= -Limit) {
                wheel.toe = wheel.toe > 0 ? Limit : -Limit;
                wheel.damageState[3] = DamageAtLimit;
            } else {
                wheel.damageState[3] = DamageSome;
            }
        }
        if (wheel.suspensionType == 4) {
            upperShare = (1 - Dot(wheel.rim.normal, up)) * 0.5f;
            armShare = 1 - upperShare;
        }
    }
    if (wheel.suspensionType != 3 && wheel.suspensionType != 4)
        return;
    const float bend = y * wheel.bendRate;
    BendLink(wheel.armLoss, wheel.damageState[2], axle.armLength, bend, armShare, h);
    if (wheel.suspensionType == 4)
        BendLink(wheel.upperLinkLoss, wheel.damageState[1], axle.upperLinkLength, bend, upperShare, h);
}

// The constants of the tyre model. Heat and wear factors are the model's
// own calibration: they turn the patch's work into joules of tread heat and
// metres of worn tread.
constexpr float AirSpecificHeat = 1005.0f;        // J/(kg K), at constant volume as the tyre holds it
constexpr float FlatPressureShare = 0.1f;         // of the set pressure, left in a flat tyre
constexpr float TreadShearPerPressure = 0.9f;     // the tread's shear stiffness per unit of pressure stiffness
constexpr float NewTreadShare = 0.03f;            // of the tyre radius: a new tread's depth
constexpr float WornTreadShare = 0.3f;            // of a new tread: a tread worn through
constexpr float BottomingClearance = 0.02f;       // m of sidewall left when the rim presses the tread
constexpr float TravelRateLimit = 16.0f;          // m/s, the suspension's travel rate either way
constexpr float OneStepTravelDamping = 0.333f;    // the one-step form's share of the travel rate kept
constexpr float CamberContactShift = 0.866f;      // |camber| past which the contact shift shrinks (30 degrees)
constexpr float CamberShiftFade = 7.4626865f;     // 1 / (1 - 0.866): the shift falls to nothing lying flat
constexpr float TreadHeatPerLoad = 260.0f;        // heating of the tread strips per load, width and roll
constexpr float SidewallHeatPerLoad = 280.0f;     // heating of each sidewall per load and roll
constexpr float SidewallHeatRadiusShare = 0.015f; // of the tyre radius
constexpr float SlipHeatShare = 0.4f;             // of the tread's shear that heats like load
constexpr float GripTemperatureWidth = 60.0f;     // K: half grip this far from the optimum temperature
constexpr float StripBaseShare = 0.02f;           // of the tyre width: the deflection the edge strips start at
constexpr float StripSpread = 1.6f;               // how fast the edge strips take load with deflection
constexpr float UnevenLoadGripLoss = 0.25f;       // grip lost per unit of the strips' load spread
constexpr float CarcassRoundness = 0.001f;        // m: the profile's share in the carcass pressure law
constexpr float GripPressureScale = 960000.0f;    // Pa: grip 1 at 260 kPa above the offset below
constexpr float GripPressureOffset = 700000.0f;   // Pa
constexpr float BottomedStiffnessPerMass = 50000; // N/m per kg of wheel: the rim pressing the tread
constexpr float BottomedGrip = 0.25f;             // grip factor of a bottomed-out tyre
constexpr float LoadCapShare = 0.999f;            // of sidewall x shear stiffness: the largest shear force
constexpr float PeakSlipPerRoot = 0.35f;          // the peak slip per unit of the curve's stiffness
constexpr float SmallestPeakSlip = 0.001f;
constexpr float StickingFriction = 0.95f;         // of the friction limit, a sticking patch on hard ground
constexpr float CamberSlip = 0.1f;                // slip angle per unit of camber
constexpr float OneStepRelax = 0.2f, SubStepRelax = 0.05f;  // shear relaxation per (sub-)step
constexpr float SmallestSlip = 0.0001f;
constexpr float SlidingHeatShare = 0.00032f;      // of the sliding work that heats the running surface
constexpr float HardDirtLoss = 6e-8f;             // dirt rubbed off per friction, roll and strip area
constexpr float SlidingDirtLoss = 1e-6f;          // dirt rubbed off per joule slid and strip area
constexpr float LooseDirtGain = 4e-6f;            // dirt picked up per friction, depth, roll and strip area
constexpr float CleanDirt = 0.01f;                // dirt below this is none
constexpr float MostDirt = 0.16f;
constexpr float LooseDepthPerUnit = 0.01f;        // m per unit of a surface's depth (cm)
constexpr float SmallestDrag = 0.01f;             // N, a loose surface's smallest hold
constexpr float SpinAngleWrap = 32 * Pi;  // rad: the spin angle stays within this either way

// What one (sub-)step of one wheel's tyre works with: its inputs, the
// wheel's frame on the ground and what each stage hands the next.
struct TyreStep {
    Wheel& wheel;
    const Axle& axle;
    const TyreStepInput& input;
    const FloatMatrix& R;
    bool fullForm;                 // sub-steps (alignment sum given), not the one-step form
    const TyreCompound& compound;
    float r, inverseR;             // m, the tyre radius
    float kt = 0, inverseKt = 0;   // N/m, the tread's lateral shear stiffness
    Vec3 centre{}, S{};            // the tyre's lowest point (m from the car's position) and spin axis
    float halfWidth = 0;           // m
    float rolled = 0;              // m the tread rolled this (sub-)step
    Vec3 weight{};                 // N, the wheel's
    TyreSegment* segment = nullptr;  // the tread segment on the ground
    const SurfaceKindRecord* surface = nullptr;
    bool loose = false;
    int curveKind = HardTyreCurve;
    float cleanliness = 1;         // a dirty tread grips less on a hard surface
    Vec3 N{}, f{}, l{};            // ground normal, rolling and lateral directions
    float cb = 0;                  // camber: spin axis . ground normal
};

// The air's absolute pressure follows its temperature (the set pressure
// holds at 20 C); a flat tyre keeps a tenth.
void UpdateTyrePressure(Wheel& wheel)
{
    if (wheel.flat) {
        wheel.pressure = FlatPressureShare * wheel.coldPressure;
    } else if (wheel.airMass > 0) {
        wheel.pressure = wheel.airHeat * (AtmosphericPressure + wheel.coldPressure) /
                             (wheel.airMass * (AirSpecificHeat * AmbientKelvin)) - AtmosphericPressure;
    } else {
        wheel.pressure = wheel.coldPressure;
    }
}

// The tread segment on the ground (a remote car's tyre keeps one segment),
// and what the surface under it gives the tyre.
void FindGroundSegment(TyreStep& t)
{
    Wheel& wheel = t.wheel;
    int segmentIndex = 0;
    if (!t.input.remote) {
        const int n = static_cast<int>(RoundToNearest(16 * wheel.spinAngle * (1 / TwoPi)));
        segmentIndex = ((n % TyreSegmentCount) + TyreSegmentCount) % TyreSegmentCount;
    }
    t.segment = &wheel.segments[segmentIndex];
    const int kind = wheel.surfaceKind >= 0 && wheel.surfaceKind < SurfaceKindCount ? wheel.surfaceKind : 0;
    t.surface = &SurfaceKindTable[kind];
    t.loose = t.surface->loose != 0;
    t.curveKind = t.loose ? LooseTyreCurve : HardTyreCurve;
    t.cleanliness = t.loose ? 1.0f : 1 - t.segment->dirt;
}

// The one-step form's contact: the tread's reach d below the ground moves
// the suspension directly and the spring carries the load.
void SettleOneStepContact(TyreStep& t, const Vec3& p0, float d)
{
    Wheel& wheel = t.wheel;
    if (wheel.flat)
        d -= wheel.bottomingDeflection;
    wheel.travel += d;
    if (wheel.travel > 0) {
        float rate = d * t.input.inverseH;
        rate = Clamp(rate, -TravelRateLimit, TravelRateLimit);
        wheel.travelRate = wheel.touching ? rate * OneStepTravelDamping : 0.0f;
        UpdateSuspensionGeometry(wheel, t.axle);
        wheel.contactWidth = t.axle.tyreWidth;
        wheel.patchPoint = p0 + d * t.N;
        wheel.load = wheel.springRate * wheel.travel - t.input.gravity * wheel.wheelMass;
        wheel.tyreDeflection = 0;
    }
}

// Whether the tread meets the ground: the rolling and lateral directions
// in the ground plane, the camber, and the contact point, which the
// tread's round profile moves across the tread and, either way the wheel
// leans, up by the profile's curve. A wheel lying flat on the ground has
// no rolling direction: its tread takes no part, the rim contact holds it.
void FindGroundContact(TyreStep& t)
{
    Wheel& wheel = t.wheel;
    const Axle& axle = t.axle;
    const TyreSegment& segment = *t.segment;
    t.N = wheel.ground.normal;
    if (!wheel.ground.touching)
        return;
    const Vec3 across = Cross(t.N, t.S);
    const float acrossSquared = LengthSquared(across);
    if (!(acrossSquared > 1e-12f))
        return;
    t.f = (1.0f / std::sqrt(acrossSquared)) * across;
    t.l = Cross(t.f, t.N);
    t.cb = Dot(t.S, t.N);
    wheel.camber = t.cb;
    const float cbSquared = t.cb * t.cb;
    const float cosCamber = cbSquared < 1 ? std::sqrt(1 - cbSquared) : 0.0f;
    Vec3 shift = axle.profileRadius * ((-t.cb) * t.l + (cosCamber - 1) * t.N);
    const float lateralShift = Absolute(Dot(t.l, shift));
    if (lateralShift > t.halfWidth)
        shift = (t.halfWidth / lateralShift) * shift;
    const float absCb = Absolute(t.cb);
    if (absCb > CamberContactShift)
        shift = ((1 - absCb) * CamberShiftFade) * shift;
    const Vec3 p0 = t.centre + shift;
    const float meanTread = (segment.treadDepth[0] + segment.treadDepth[1] + segment.treadDepth[2]) * (1.0f / 3);
    const float d = Dot(t.N, wheel.ground.point - p0) + (meanTread - wheel.nominalTread);
    if (!t.fullForm) {
        SettleOneStepContact(t, p0, d);
    } else if (d > 0) {
        if (wheel.tyreDeflection != 0)
            wheel.load = (d - wheel.tyreDeflection) * axle.tyreDamping * t.input.inverseH;
        wheel.tyreDeflection = d;
        wheel.contactWidth = axle.tyreWidth;
        wheel.patchPoint = p0 + d * t.N;
    }
}

// A tyre off the ground: no deflection, force or grip; the one-step form
// lets the suspension down.
void LiftTyreOff(TyreStep& t)
{
    Wheel& wheel = t.wheel;
    if (!t.fullForm) {
        wheel.travel = 0;
        wheel.travelRate = 0;
        UpdateSuspensionGeometry(wheel, t.axle);
    }
    wheel.tyreDeflection = 0;
    wheel.lateralDeflection = 0;
    wheel.longitudinalDeflection = 0;
    wheel.wheelForce = {};
    wheel.contactForward = {};
    wheel.contactLateral = {};
    wheel.patchDisplacement = {};
    wheel.gripFactor = 0;
    wheel.touching = 0;
    wheel.frictionLimit = 0;
    wheel.frictionCoefficient = 0;
    wheel.springLoad = 0;
    wheel.patchPoint = t.centre;
    wheel.previousCentre = t.centre;
}

// The grip of each tread strip by its temperature T (heat over capacity
// c): phi = 0.5 / (((T - optimum) / 60)^2 + 1) + 0.5, with T's division
// folded into phi's: 0.5 (60 c)^2 / ((heat - optimum c)^2 + (60 c)^2).
void StripGrips(const TyreStep& t, float phi[3])
{
    const float optimum = t.compound.optimumTempC + 273.15f;
    for (int j = 0; j < 3; j++) {
        const float capacity = TreadCapacity(t.axle, t.segment->treadDepth[j]);
        if (capacity > 0) {
            const float off = t.segment->treadHeat[j] - optimum * capacity;
            const float scale = GripTemperatureWidth * capacity;
            phi[j] = 0.5f * (scale * scale) / (off * off + scale * scale) + 0.5f;
        } else {
            phi[j] = 1;
        }
    }
}

// The load on the three strips across the tread: the middle one takes the
// deflection, the edges more or less of it as the wheel leans.
void SpreadStripLoads(TyreStep& t)
{
    Wheel& wheel = t.wheel;
    const float deflection = wheel.tyreDeflection;
    const float base = t.axle.tyreWidth * StripBaseShare;
    const float spread = (deflection - base) * StripSpread;
    const float tilt = t.halfWidth * t.cb;
    const float inner = tilt + spread;
    const float outer = spread - tilt;
    wheel.stripLoad[0] = inner > 0 ? inner : 0.0f;
    wheel.stripLoad[1] = deflection;
    wheel.stripLoad[2] = outer > 0 ? outer : 0.0f;
}

// The heat that rolling with load and shear puts into the tread strips and
// the sidewalls; returns the whole of it (J).
float HeatRollingTyre(TyreStep& t, float slipMeasure, float rho)
{
    Wheel& wheel = t.wheel;
    TyreSegment& segment = *t.segment;
    float heatTotal = 0;
    const float perLoad = t.compound.heatingFactor * t.axle.tyreWidth * rho * TreadHeatPerLoad;
    for (int j = 0; j < 3; j++) {
        const float heat = (wheel.stripLoad[j] + slipMeasure) * segment.treadDepth[j] * perLoad;
        segment.treadHeat[j] += heat;
        heatTotal += heat;
    }
    const float perSide = rho * t.compound.heatingFactor * SidewallHeatPerLoad * (t.r * SidewallHeatRadiusShare);
    const float first = (slipMeasure + wheel.stripLoad[0]) * perSide;
    const float second = (slipMeasure + wheel.stripLoad[2]) * perSide;
    segment.sidewallHeat[0] += first;
    segment.sidewallHeat[1] += second;
    heatTotal += first + second;
    return heatTotal;
}

// The patch's grip from the strips' grips weighted by their loads, less
// for a load spread unevenly (the loads' standard deviation over their
// mean); 0 without load.
float LoadWeightedGrip(const TyreStep& t, const float phi[3], float strip)
{
    const Wheel& wheel = t.wheel;
    if (!(strip > 0))
        return 0;
    const float inverseStrip = 1 / strip;
    const float mean = strip * (1.0f / 3);
    const float d0 = wheel.stripLoad[0] - mean, d1 = wheel.stripLoad[1] - mean, d2 = wheel.stripLoad[2] - mean;
    const float unevenness = std::sqrt((d0 * d0 + d1 * d1 + d2 * d2) * (1.0f / 6)) * 3 * inverseStrip;
    const float weighted = phi[0] * wheel.stripLoad[0] + phi[1] * wheel.stripLoad[1] + phi[2] * wheel.stripLoad[2];
    return weighted * wheel.ground.grip * inverseStrip * (1 - unevenness * UnevenLoadGripLoss) * t.cleanliness;
}

// The carcass: the inflation pressure on the flattened patch carries the
// load, up to the rim pressing the tread; sets the patch length and the
// grip factor. Returns the spring's share of the load (N).
float CarcassLoad(TyreStep& t, float grip)
{
    Wheel& wheel = t.wheel;
    if (!t.fullForm) {
        wheel.gripFactor = grip * (GripPressureScale / (wheel.pressure + GripPressureOffset));
        wheel.patchLength = wheel.flat ? 0.0f : wheel.contactWidth;
        return wheel.load;
    }
    const float deflection = wheel.tyreDeflection;
    const float kd = t.axle.radialStiffness * deflection;
    // pressure / (1 + rho r / deflection^2 x 0.001), written so that a
    // vanishing deflection gives no load instead of a division by 0.
    const float squared = deflection * deflection;
    const float denominator = squared + wheel.carcassRoundness;
    const float effective = denominator > 0 ? wheel.pressure * squared / denominator : 0.0f;
    const float springLoad = effective * kd;
    wheel.load += springLoad;
    if (deflection <= wheel.bottomingDeflection) {
        wheel.patchLength = kd / wheel.contactWidth;
        // The pressure's factor on its own, so that its division need not
        // wait for the grip.
        wheel.gripFactor = grip * (GripPressureScale / (effective + GripPressureOffset));
    } else {
        wheel.load += (deflection - wheel.bottomingDeflection) * wheel.wheelMass * BottomedStiffnessPerMass;
        wheel.patchLength = 0;
        wheel.gripFactor = BottomedGrip;
    }
    return springLoad;
}

// The slip where the grip peaks, from the friction limit and the tread's
// stiffness (twice that on a loose surface for the curves).
void FindPeakSlip(TyreStep& t)
{
    Wheel& wheel = t.wheel;
    const TyreCurve& along = LongitudinalTyreCurves[t.curveKind];
    const float peakRoot = t.kt > 0 ? wheel.frictionLimit * 0.5f * t.inverseR * t.inverseKt : 0.0f;
    wheel.peakSlip = std::sqrt(peakRoot) * along.stiffness * PeakSlipPerRoot;
    if (!(wheel.peakSlip >= SmallestPeakSlip))
        wheel.peakSlip = SmallestPeakSlip;
    wheel.curveSlip = t.loose ? 2 * wheel.peakSlip : wheel.peakSlip;
}

// A sticking patch: its shear is carried round with the tread and relaxes
// as the tread leaves the patch; beyond the friction limit it slides.
// Returns the friction force (N).
float StickPatch(TyreStep& t, const Vec3& D, float rho, float loadCap)
{
    Wheel& wheel = t.wheel;
    const float peak = wheel.peakSlip;
    const float lo = Dot(t.f, wheel.patchDisplacement), la = Dot(t.l, wheel.patchDisplacement);
    const float turned = rho * t.inverseR;
    const Vec3 P = (-turned * la) * t.l + (t.rolled - lo * turned) * t.f - D;
    wheel.longitudinalDeflection = Dot(P, t.f) + lo;
    wheel.lateralDeflection = Dot(P, t.l) + la;
    const float flo = 2 * t.kt * wheel.longitudinalDeflection, fla = t.kt * wheel.lateralDeflection;
    const float mu = t.loose ? 1.0f : StickingFriction;
    wheel.frictionCoefficient = mu;
    float limit = wheel.frictionLimit * mu;
    if (limit > loadCap)
        limit = loadCap;
    if (!(limit > 0))
        limit = 0;
    wheel.frictionLimit = limit;
    const float squared = flo * flo + fla * fla;
    float frictionForce = std::sqrt(squared);
    if (squared > limit * limit) {
        const float scale = limit / frictionForce;
        wheel.slipDisplay = 2 * peak;
        wheel.slide = (frictionForce - limit) * t.inverseKt;
        wheel.longitudinalDeflection *= scale;
        wheel.lateralDeflection *= scale;
        frictionForce = limit;
    }
    wheel.combinedSlip = wheel.slipDisplay;
    return frictionForce;
}

// A rolling patch: slip ratio and slip angle give the friction from the
// curves; the tread's shear follows the force. Returns the friction force.
float RollPatch(TyreStep& t, const Vec3& D, float forwardMotion, float groundMotion, float loadCap)
{
    Wheel& wheel = t.wheel;
    const float peak = wheel.peakSlip;
    const TyreCurve& along = LongitudinalTyreCurves[t.curveKind];
    const TyreCurve& lateral = LateralTyreCurves[t.curveKind];
    const float inverseMotion = 1 / groundMotion;
    const float u = t.rolled - forwardMotion;
    float sl = 2 * u * inverseMotion;
    const float sa = -Dot(D, t.l) * inverseMotion - CamberSlip * t.cb;
    float z = std::sqrt(sl * sl + sa * sa);
    const float inversePeak = 1 / peak;
    if (!t.loose && z > peak) {
        // Past the peak the ratio loses its factor 2 smoothly.
        float plain = u * inverseMotion;
        const float over = z - peak;
        if (over < 3 * peak) {
            const float s = over * inversePeak * (1.0f / 3);
            plain = (plain - sl) * (3 - 2 * s) * s * s + sl;
        }
        sl = plain;
        z = std::sqrt(sl * sl + sa * sa);
    }
    wheel.combinedSlip = z;
    wheel.slide = groundMotion * z;
    wheel.slipDisplay = z < 2 * peak ? z : 2 * peak;
    const float x = along.knee * z * inversePeak;
    const float muAlong = SampleTyreCurve(along, x);
    const float muAcross = SampleTyreCurve(lateral, x);
    const float relax = t.fullForm ? SubStepRelax : OneStepRelax;
    if (!(z >= SmallestSlip)) {
        wheel.frictionCoefficient = muAlong;
        wheel.slide = 0;
        wheel.longitudinalDeflection *= 1 - relax;
        wheel.lateralDeflection *= 1 - relax;
        return 0;
    }
    const float inverseZ = 1 / z;
    const float share = sa * inverseZ;
    const float mu = (muAcross - muAlong) * share * share + muAlong;
    wheel.frictionCoefficient = mu;
    if (x > 0.001f) {
        // The part of the slip the tread's shear does not take up is sliding.
        const float linear = x * along.values[0] * along.inverseStep;
        wheel.slide *= (linear - mu) / linear;
    }
    float force = mu * wheel.frictionLimit;
    if (force > loadCap)
        force = loadCap;
    const float perSlip = force * inverseZ * t.inverseKt;
    wheel.longitudinalDeflection += (perSlip * sl * 0.5f - wheel.longitudinalDeflection) * relax;
    wheel.lateralDeflection += (perSlip * sa - wheel.lateralDeflection) * relax;
    return force;
}

// Sliding on hard ground heats the running surface, rubs dirt off and
// wears the tread (a worn-through tread goes flat); a loose surface dirties
// the tread up to its depth.
void WearTread(TyreStep& t, float frictionForce, float strip, float rho)
{
    Wheel& wheel = t.wheel;
    TyreSegment& segment = *t.segment;
    const float inverseA = wheel.inverseTreadHeatFactor;
    if (t.loose) {
        const float depth = t.surface->depth * LooseDepthPerUnit;
        if (segment.dirt < depth) {
            segment.dirt += LooseDirtGain * inverseA * wheel.frictionLimit * depth * rho;
            if (segment.dirt > MostDirt)
                segment.dirt = MostDirt;
        }
        return;
    }
    if (segment.dirt != 0) {
        segment.dirt -= HardDirtLoss * inverseA * wheel.frictionLimit * segment.dirt * rho;
        if (segment.dirt < CleanDirt)
            segment.dirt = 0;
    }
    if (wheel.flat || !(strip > 0))
        return;
    // Worked on locals: the segment's fields are written back once, not
    // reloaded after every store.
    const float perStrip = frictionForce * wheel.slide / strip;
    const float heating = t.compound.heatingFactor, wear = t.compound.wearFactor;
    const float dirtPerEnergy = SlidingDirtLoss * inverseA;
    float dirt = segment.dirt;
    bool worn = false;
    for (int j = 0; j < 3; j++) {
        const float e = wheel.stripLoad[j] * perStrip;
        segment.surfaceHeat[j] += e * heating * SlidingHeatShare;
        dirt -= dirtPerEnergy * dirt * e;
        if (dirt < CleanDirt)
            dirt = 0;
        if (!t.input.remote) {
            float depth = segment.treadDepth[j] - e * wear;
            if (depth < wheel.minimumTread) {
                depth = wheel.minimumTread;
                worn = true;
            }
            segment.treadDepth[j] = depth;
        }
    }
    segment.dirt = dirt;
    if (worn) {
        wheel.flat = 1;
        PrepareTyreStep(wheel, t.axle);
    }
}

// The patch's shear force on the wheel (with the tread's damping in the
// sub-steps) and the car, its torque on the wheel, and its reaction on a
// body the tyre stands on.
void ApplyPatchShear(TyreStep& t, Vec3& load, float groundMotion)
{
    Wheel& wheel = t.wheel;
    const float h = t.input.h, inverseH = t.input.inverseH;
    const Vec3 P = wheel.lateralDeflection * t.l + wheel.longitudinalDeflection * t.f;
    Vec3 shear = (2 * t.kt * wheel.longitudinalDeflection) * t.f + (t.kt * wheel.lateralDeflection) * t.l;
    if (t.fullForm)
        shear += (t.axle.tyreDamping * inverseH) * (P - wheel.patchDisplacement);
    wheel.patchDisplacement = P;
    wheel.wheelForce += shear;
    load += wheel.wheelForce;
    wheel.wheelTorque -= Dot(shear, t.f) * t.r;
    if (!t.fullForm && groundMotion < TwoPi * t.r * h)
        wheel.wheelTorque *= groundMotion * inverseH * t.inverseR * (1 / TwoPi);
    if (RigidBody* body = wheel.ground.body) {
        const Vec3 j = h * wheel.wheelForce;
        body->impulse -= j;
        body->angularImpulse += Cross(j, OffsetFromFixed(wheel.ground.position - body->predictedPosition));
    }
    wheel.patchPoint += P;
    wheel.touching = 1;
}

// A tyre on the ground: its grip and heat, the rolling resistance, the
// carcass load and friction limit, a sticking or rolling patch, the
// sliding's heat, wear and dirt, and the patch's force.
void PressTyreOnGround(TyreStep& t, Vec3& load)
{
    Wheel& wheel = t.wheel;
    wheel.contactForward = t.f;
    wheel.contactLateral = t.l;
    const float slipMeasure =
        SlipHeatShare * (Absolute(wheel.lateralDeflection) + Absolute(wheel.longitudinalDeflection));
    const float rho = Absolute(t.rolled);
    float phi[3];
    StripGrips(t, phi);
    const bool heats = t.fullForm && !MutablePhysicsStep.resimulatingCar && !wheel.flat;
    float heatTotal = 0;
    float strip = 0;  // the sum of the strip loads
    float grip;
    if (!t.fullForm) {
        grip = (phi[0] + phi[1] + phi[2]) * wheel.ground.grip * t.cleanliness * 0.333f;
    } else {
        SpreadStripLoads(t);
        if (heats)
            heatTotal = HeatRollingTyre(t, slipMeasure, rho);
        strip = wheel.stripLoad[0] + wheel.stripLoad[1] + wheel.stripLoad[2];
        grip = LoadWeightedGrip(t, phi, strip);
    }
    // Rolling resistance: the heat the tyre makes is work taken from the
    // wheel's turning.
    if (rho > 1e-6f)
        wheel.wheelTorque -= heatTotal / wheel.spinStep;

    // The motion of the tyre's lowest point.
    const Vec3 D = t.centre - wheel.previousCentre;
    wheel.previousCentre = t.centre;
    const float loadCap = wheel.shearForceCap;

    const float springLoad = CarcassLoad(t, grip);
    wheel.springLoad = springLoad;
    // The normal force and the friction it allows.
    wheel.wheelForce = wheel.load * t.N;
    wheel.frictionLimit = springLoad * wheel.gripFactor;
    if (!(wheel.frictionLimit > 0))
        wheel.frictionLimit = 0;
    FindPeakSlip(t);

    // Below one turn per second of ground speed the patch sticks.
    const float forwardMotion = Dot(D, t.f);
    const float groundMotion = Absolute(forwardMotion);
    float frictionForce;
    if (groundMotion < TwoPi * t.r * t.input.h || wheel.patchLength == 0 || !(groundMotion > 0))
        frictionForce = StickPatch(t, D, rho, loadCap);
    else
        frictionForce = RollPatch(t, D, forwardMotion, groundMotion, loadCap);

    if (t.fullForm && !MutablePhysicsStep.resimulatingCar)
        WearTread(t, frictionForce, strip, rho);
    ApplyPatchShear(t, load, groundMotion);
}

// The suspension carries what its spring and damper hold; the rest of the
// force along the travel moves the wheel (in the sub-steps), and loads
// beyond the wheel's limits bend it.
void CarrySuspension(TyreStep& t, const Vec3& load)
{
    Wheel& wheel = t.wheel;
    if (wheel.suspensionType == 0)
        return;
    const float h = t.input.h;
    const Vec3 a = Rotate(t.R, wheel.travelAxis);
    const float damping = wheel.travelRate > 0 ? wheel.bumpDamping : wheel.reboundDamping;
    float net = Dot(a, load) - (damping * wheel.travelRate + wheel.springRate * wheel.travel - wheel.springOffset);
    if ((net <= 0 && wheel.travel <= 0) || (net > 0 && wheel.travel >= wheel.maxTravel))
        net = 0;
    wheel.wheelForce -= net * a;
    if (!t.fullForm)
        return;
    if (wheel.wheelMass > 0) {
        wheel.travelRate += net / wheel.wheelMass * h;
        wheel.travelRate = Clamp(wheel.travelRate, -TravelRateLimit, TravelRateLimit);
    }
    DamageSuspension(wheel, t.axle, t.R, a, t.S, h, t.r);
}

// A loose surface holds a rolling wheel back: a friction anchor that
// slides at the surface's limit.
void HoldOnLooseSurface(TyreStep& t)
{
    Wheel& wheel = t.wheel;
    const float dragLimit = t.surface->secondFactor * wheel.load;
    if (wheel.touching && t.surface->secondFactor != 0 && dragLimit >= SmallestDrag) {
        Vec3 v = t.kt * (wheel.dragAnchor - wheel.previousCentre);
        const float squared = LengthSquared(v);
        if (squared > dragLimit * dragLimit) {
            v = (dragLimit / std::sqrt(squared)) * v;
            wheel.dragAnchor = wheel.previousCentre + t.inverseKt * v;
        }
        wheel.wheelForce += v;
    } else {
        wheel.dragAnchor = wheel.previousCentre;
    }
}

// Spin: drive and tyre torque, then the brake, which can stop the wheel
// but never turn it backwards; the angle of a wheel of a solid axle is the
// axle's.
void SpinWheel(Wheel& wheel, const Axle& axle, float h, float brakeTorque)
{
    const float inverseInertia = wheel.inverseWheelInertia;
    wheel.spinRate += h * inverseInertia * wheel.wheelTorque;
    const float brake = h * inverseInertia * brakeTorque;
    if (wheel.spinRate > brake)
        wheel.spinRate -= brake;
    else if (wheel.spinRate < -brake)
        wheel.spinRate += brake;
    else
        wheel.spinRate = 0;
    wheel.spinStep = h * wheel.spinRate;
    if (axle.solid)
        return;
    wheel.spinAngle += wheel.spinStep;
    if (wheel.spinAngle > SpinAngleWrap)
        wheel.spinAngle -= 2 * SpinAngleWrap;
    else if (wheel.spinAngle < -SpinAngleWrap)
        wheel.spinAngle += 2 * SpinAngleWrap;
}

} // namespace

void PrepareTyreStep(Wheel& wheel, const Axle& axle)
{
    UpdateTyrePressure(wheel);
    const float kt = axle.pressureStiffness * wheel.pressure * TreadShearPerPressure;
    wheel.treadStiffness = kt;
    wheel.inverseTreadStiffness = kt > 0 ? 1.0f / kt : 0.0f;
    wheel.inverseTyreRadius = axle.tyreRadius > 0 ? 1.0f / axle.tyreRadius : 0.0f;
    wheel.inverseWheelInertia = wheel.wheelInertia > 0 ? 1.0f / wheel.wheelInertia : 0.0f;
    const float A = axle.treadHeatFactor;
    wheel.inverseTreadHeatFactor = A > 0 ? 1.0f / A : 0.0f;
    const float r = axle.tyreRadius;
    wheel.tyreSidewall = r - axle.rimRadius;
    wheel.nominalTread = NewTreadShare * r;
    wheel.minimumTread = WornTreadShare * wheel.nominalTread;
    wheel.bottomingDeflection = wheel.tyreSidewall - BottomingClearance;
    wheel.carcassRoundness = axle.profileRadius * r * CarcassRoundness;
    wheel.shearForceCap = wheel.tyreSidewall * kt * LoadCapShare;
}

void ComputeTyreForces(Wheel& wheel, const Axle& axle, const TyreStepInput& input, Vec3& load)
{
    const float r = axle.tyreRadius;
    TyreStep t{wheel, axle, input, input.car->rotation, input.alignTorque != nullptr, CompoundTable[axle.tyreType & 7],
               r, wheel.inverseTyreRadius};
    const Vec3 aeroLoad = load;
    t.kt = wheel.treadStiffness;
    t.inverseKt = wheel.inverseTreadStiffness;
    const TyreFrame frame = input.frame ? *input.frame : PlaceTyreFrame(wheel, t.R, input.hubPosition);
    t.centre = frame.centre;
    t.S = frame.spinAxis;

    t.halfWidth = axle.tyreWidth * 0.5f;
    t.rolled = r * wheel.spinStep;
    t.weight = {0, 0, input.gravity * wheel.wheelMass};
    load += t.weight;

    wheel.contactWidth = 0;
    wheel.load = 0;
    wheel.slipDisplay = 0;
    wheel.combinedSlip = 0;
    wheel.slide = 0;
    FindGroundSegment(t);
    FindGroundContact(t);
    if (wheel.contactWidth == 0)
        LiftTyreOff(t);
    else
        PressTyreOnGround(t, load);

    // The rim against a kerb or a wall.
    const Vec3 rimPoint = input.hubPosition + (wheel.side * (t.halfWidth + axle.wheelOffset)) * t.S;
    wheel.rimTouching = RimContact(wheel, rimPoint, input.h, input.inverseH, *input.car) ? 1 : 0;
    if (wheel.rimTouching)
        wheel.wheelForce += wheel.rimForce;

    CarrySuspension(t, load);
    wheel.wheelForce += aeroLoad + t.weight;
    HoldOnLooseSurface(t);
    // The aligning torque about the steering axis.
    if (t.fullForm && wheel.axleIndex == 1)
        *input.alignTorque +=
            Dot(Cross(wheel.patchPoint - input.hubPosition, wheel.wheelForce), Rotate(t.R, wheel.steerAxis));
    SpinWheel(wheel, axle, input.h, input.brakeTorque);
}
