// The tyre and wheel model of one wheel for one (sub-)step: load, patch
// forces, heat and wear of the tread, rolling resistance, brake, rim
// contact, suspension force and damage, and the wheel's spin.
#include <cmath>

#include "vehicle/local.h"

namespace {

constexpr float TwoPi = 6.28318530717958647692f;
constexpr float AmbientKelvin = 293.15f;
constexpr float RubberHeat = 2000.0f * 910.0f;  // J/(kg K) x kg/m^3
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

// Sine and cosine of a steering angle: the Taylor series in float, exact
// to a unit in the last place within a radian (steering and toe angles stay
// well inside it), the same bits on every machine; beyond, the core's.
inline void SteerSinCos(float angle, float& sine, float& cosine)
{
    if (angle > 1 || angle < -1) {
        double s, c;
        ComputeSinCos(angle, s, c);
        sine = static_cast<float>(s);
        cosine = static_cast<float>(c);
        return;
    }
    const float x2 = angle * angle;
    float s = -1.0f / 39916800;
    s = 1.0f / 362880 + x2 * s;
    s = -1.0f / 5040 + x2 * s;
    s = 1.0f / 120 + x2 * s;
    s = -1.0f / 6 + x2 * s;
    sine = angle + angle * (x2 * s);
    float c = 1.0f / 479001600;
    c = -1.0f / 3628800 + x2 * c;
    c = 1.0f / 40320 + x2 * c;
    c = -1.0f / 720 + x2 * c;
    c = 1.0f / 24 + x2 * c;
    c = -0.5f + x2 * c;
    cosine = 1 + x2 * c;
}

// v turned by the angle (sine, cosine) about the unit axis.
inline Vec3 TurnAbout(const Vec3& axis, float sine, float cosine, const Vec3& v)
{
    return cosine * v + sine * Cross(axis, v) + ((1 - cosine) * Dot(axis, v)) * axis;
}

// The rim against the surface its side probe found: a penalty contact
// with the car's stiffness and damping and a sliding friction anchor, as
// the body points have. Returns whether it touched.
[[gnu::noinline]] bool RimContact(Wheel& wheel, const Vec3& rimPoint, float h, float inverseH, CarObject& car)
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
    rate = rate > MaxPenetrationRate ? MaxPenetrationRate : rate < -MaxPenetrationRate ? -MaxPenetrationRate : rate;
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
            constexpr float Limit = 3.14159265358979f / 8;
            wheel.toe -= Dot(wheel.rim.normal, forward) * (3.14159265358979f / 3) * y * h;
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

} // namespace

void ComputeTyreForces(Wheel& wheel, const Axle& axle, const FloatMatrix& R, const Vec3& hubPosition,
                       float brakeTorque, float* alignTorque, float h, float inverseH, float gravity,
                       CarObject& car, Vec3& load, int remote)
{
    const bool fullForm = alignTorque != nullptr;
    const Vec3 aeroLoad = load;
    const TyreCompound& compound = CompoundTable[axle.tyreType & 7];
    const float r = axle.tyreRadius;
    const float inverseR = r > 0 ? 1.0f / r : 0.0f;

    // 1. Pressure: the air's absolute pressure follows its temperature
    // (the set pressure holds at 20 C); a flat tyre keeps a tenth.
    if (wheel.flat) {
        wheel.pressure = 0.1f * wheel.coldPressure;
    } else if (wheel.airMass > 0) {
        wheel.pressure = wheel.airHeat * (AtmosphericPressure + wheel.coldPressure) /
                             (wheel.airMass * (1005.0f * AmbientKelvin)) - AtmosphericPressure;
    } else {
        wheel.pressure = wheel.coldPressure;
    }
    // 2. The tread's shear stiffness (lateral; twice that along the tyre).
    const float kt = axle.pressureStiffness * wheel.pressure * 0.9f;
    const float inverseKt = kt > 0 ? 1.0f / kt : 0.0f;

    // 3. The wheel's frame: steered about its steering axis, the spin axis
    // leaned in its plane by the tread's lateral shear.
    const float lean = wheel.lateralDeflection * 0.5f * inverseR;
    const float leanSquared = lean * lean;
    const float upright = leanSquared < 1 ? std::sqrt(1 - leanSquared) : 0.0f;
    const Vec3 leaned = {upright * wheel.spinAxis.x - lean * wheel.spinAxis.z, wheel.spinAxis.y,
                         lean * wheel.spinAxis.x + upright * wheel.spinAxis.z};
    Vec3 offset = wheel.hubOffset, spinLocal = leaned;
    if (wheel.steerAngle != 0) {
        float s, c;
        SteerSinCos(wheel.steerAngle, s, c);
        offset = TurnAbout(wheel.steerAxis, s, c, offset);
        spinLocal = TurnAbout(wheel.steerAxis, s, c, spinLocal);
    }
    // The tyre's lowest point in the wheel's plane: a tyre radius from the
    // hub; the patch and the ground speed are taken there.
    const Vec3 centre = hubPosition + Rotate(R, offset);
    const Vec3 S = Rotate(R, spinLocal);

    // 4. Sizes.
    const float halfWidth = axle.tyreWidth * 0.5f;
    const float sidewall = r - axle.rimRadius;
    const float nominalTread = 0.03f * r;
    const float minimumTread = 0.3f * nominalTread;
    const float bottoming = sidewall - 0.02f;
    const float rolled = r * wheel.spinStep;
    const Vec3 weight = {0, 0, gravity * wheel.wheelMass};
    load += weight;

    // 5. The tread segment on the ground.
    wheel.contactWidth = 0;
    wheel.load = 0;
    wheel.slipDisplay = 0;
    wheel.combinedSlip = 0;
    wheel.slide = 0;
    int segmentIndex = 0;
    if (!remote) {
        const int n = static_cast<int>(RoundToNearest(16 * wheel.spinAngle * (1 / TwoPi)));
        segmentIndex = ((n % TyreSegmentCount) + TyreSegmentCount) % TyreSegmentCount;
    }
    TyreSegment& segment = wheel.segments[segmentIndex];
    const int kind = wheel.surfaceKind >= 0 && wheel.surfaceKind < SurfaceKindCount ? wheel.surfaceKind : 0;
    const SurfaceKindRecord& surface = SurfaceKindTable[kind];
    const bool loose = surface.loose != 0;
    const int curveKind = loose ? LooseTyreCurve : HardTyreCurve;

    // 6. A dirty tread grips less on a hard surface.
    const float cleanliness = loose ? 1.0f : 1 - segment.dirt;

    // 7. Ground contact.
    const Vec3 N = wheel.ground.normal;
    Vec3 f, l;
    float cb = 0;
    if (wheel.ground.touching) {
        const Vec3 across = Cross(N, S);
        const float acrossSquared = LengthSquared(across);
        // A wheel lying flat on the ground has no rolling direction: its
        // tread takes no part, the rim contact holds it.
        if (acrossSquared > 1e-12f) {
            f = (1.0f / std::sqrt(acrossSquared)) * across;
            l = Cross(f, N);
            cb = Dot(S, N);
            wheel.camber = cb;
            // The tread's round profile moves the contact across the tread
            // and, either way the wheel leans, up by the profile's curve.
            const float cbSquared = cb * cb;
            const float cosCamber = cbSquared < 1 ? std::sqrt(1 - cbSquared) : 0.0f;
            Vec3 shift = axle.profileRadius * ((-cb) * l + (cosCamber - 1) * N);
            const float lateralShift = Absolute(Dot(l, shift));
            if (lateralShift > halfWidth)
                shift = (halfWidth / lateralShift) * shift;
            const float absCb = Absolute(cb);
            if (absCb > 0.866f)
                shift = ((1 - absCb) * 7.4626865f) * shift;
            const Vec3 p0 = centre + shift;
            const float meanTread =
                (segment.treadDepth[0] + segment.treadDepth[1] + segment.treadDepth[2]) * (1.0f / 3);
            float d = Dot(N, wheel.ground.point - p0) + (meanTread - nominalTread);
            if (!fullForm) {
                if (wheel.flat)
                    d -= bottoming;
                wheel.travel += d;
                if (wheel.travel > 0) {
                    float rate = d * inverseH;
                    rate = rate > 16 ? 16 : rate < -16 ? -16 : rate;
                    wheel.travelRate = wheel.touching ? rate * 0.333f : 0.0f;
                    UpdateSuspensionGeometry(wheel, axle);
                    wheel.contactWidth = axle.tyreWidth;
                    wheel.patchPoint = p0 + d * N;
                    wheel.load = wheel.springRate * wheel.travel - gravity * wheel.wheelMass;
                    wheel.tyreDeflection = 0;
                }
            } else if (d > 0) {
                if (wheel.tyreDeflection != 0)
                    wheel.load = (d - wheel.tyreDeflection) * axle.tyreDamping * inverseH;
                wheel.tyreDeflection = d;
                wheel.contactWidth = axle.tyreWidth;
                wheel.patchPoint = p0 + d * N;
            }
        }
    }

    if (wheel.contactWidth == 0) {
        // 8. Off the ground.
        if (!fullForm) {
            wheel.travel = 0;
            wheel.travelRate = 0;
            UpdateSuspensionGeometry(wheel, axle);
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
        wheel.patchPoint = centre;
        wheel.previousCentre = centre;
    } else {
        // 9. In contact.
        wheel.contactForward = f;
        wheel.contactLateral = l;
        const float slipMeasure = 0.4f * (Absolute(wheel.lateralDeflection) + Absolute(wheel.longitudinalDeflection));
        const float optimum = compound.optimumTempC + 273.15f;
        const float rho = Absolute(rolled);
        const float A = axle.treadHeatFactor;
        const float inverseA = A > 0 ? 1.0f / A : 0.0f;
        // The strips' grip by their temperature T (heat over capacity c):
        // phi = 0.5 / (((T - optimum) / 60)^2 + 1) + 0.5, with T's division
        // folded into phi's: 0.5 (60 c)^2 / ((heat - optimum c)^2 + (60 c)^2).
        float phi[3];
        for (int j = 0; j < 3; j++) {
            const float capacity = A * segment.treadDepth[j] * RubberHeat;
            if (capacity > 0) {
                const float off = segment.treadHeat[j] - optimum * capacity;
                const float scale = 60 * capacity;
                phi[j] = 0.5f * (scale * scale) / (off * off + scale * scale) + 0.5f;
            } else {
                phi[j] = 1;
            }
        }
        const float surfaceGrip = wheel.ground.grip;
        const bool heats = fullForm && !MutablePhysicsStep.resimulatingCar && !wheel.flat;
        float heatTotal = 0;
        float strip = 0;  // the sum of the strip loads
        float grip;
        if (!fullForm) {
            grip = (phi[0] + phi[1] + phi[2]) * surfaceGrip * cleanliness * 0.333f;
        } else {
            const float deflection = wheel.tyreDeflection;
            const float base = axle.tyreWidth * 0.02f;
            const float spread = (deflection - base) * 1.6f;
            const float tilt = halfWidth * cb;
            const float inner = tilt + spread;
            const float outer = spread - tilt;
            wheel.stripLoad[0] = inner > 0 ? inner : 0.0f;
            wheel.stripLoad[1] = deflection;
            wheel.stripLoad[2] = outer > 0 ? outer : 0.0f;
            if (heats) {
                const float perLoad = compound.heatingFactor * axle.tyreWidth * rho * 260;
                for (int j = 0; j < 3; j++) {
                    const float heat = (wheel.stripLoad[j] + slipMeasure) * segment.treadDepth[j] * perLoad;
                    segment.treadHeat[j] += heat;
                    heatTotal += heat;
                }
                // 4. Sidewalls.
                const float perSide = rho * compound.heatingFactor * 280 * (r * 0.015f);
                const float first = (slipMeasure + wheel.stripLoad[0]) * perSide;
                const float second = (slipMeasure + wheel.stripLoad[2]) * perSide;
                segment.sidewallHeat[0] += first;
                segment.sidewallHeat[1] += second;
                heatTotal += first + second;
            }
            strip = wheel.stripLoad[0] + wheel.stripLoad[1] + wheel.stripLoad[2];
            if (strip > 0) {
                const float inverseStrip = 1 / strip;
                const float mean = strip * (1.0f / 3);
                const float d0 = wheel.stripLoad[0] - mean, d1 = wheel.stripLoad[1] - mean,
                            d2 = wheel.stripLoad[2] - mean;
                // The loads' standard deviation over their mean.
                const float unevenness = std::sqrt((d0 * d0 + d1 * d1 + d2 * d2) * (1.0f / 6)) * 3 * inverseStrip;
                const float weighted = phi[0] * wheel.stripLoad[0] + phi[1] * wheel.stripLoad[1] +
                                       phi[2] * wheel.stripLoad[2];
                grip = weighted * surfaceGrip * inverseStrip * (1 - unevenness * 0.25f) * cleanliness;
            } else {
                grip = 0;
            }
        }
        // 5. Rolling resistance: the heat the tyre makes is work taken from
        // the wheel's turning.
        if (rho > 1e-6f)
            wheel.wheelTorque -= heatTotal / wheel.spinStep;

        // 6. The motion of the tyre's lowest point.
        const Vec3 D = centre - wheel.previousCentre;
        wheel.previousCentre = centre;
        const float loadCap = sidewall * kt * 0.999f;

        // 7. The carcass: the inflation pressure on the flattened patch.
        float springLoad;
        if (fullForm) {
            const float deflection = wheel.tyreDeflection;
            const float kd = axle.radialStiffness * deflection;
            // pressure / (1 + rho r / deflection^2 x 0.001), written so that a
            // vanishing deflection gives no load instead of a division by 0.
            const float squared = deflection * deflection;
            const float denominator = squared + axle.profileRadius * r * 0.001f;
            const float effective = denominator > 0 ? wheel.pressure * squared / denominator : 0.0f;
            springLoad = effective * kd;
            wheel.load += springLoad;
            if (deflection <= bottoming) {
                wheel.patchLength = kd / wheel.contactWidth;
                // The pressure's factor on its own, so that its division
                // need not wait for the grip.
                wheel.gripFactor = grip * (960000 / (effective + 700000));
            } else {
                wheel.load += (deflection - bottoming) * wheel.wheelMass * 50000;
                wheel.patchLength = 0;
                wheel.gripFactor = 0.25f;
            }
        } else {
            springLoad = wheel.load;
            wheel.gripFactor = grip * (960000 / (wheel.pressure + 700000));
            wheel.patchLength = wheel.flat ? 0.0f : wheel.contactWidth;
        }
        wheel.springLoad = springLoad;

        // 8. The normal force and the friction it allows.
        wheel.wheelForce = wheel.load * N;
        wheel.frictionLimit = springLoad * wheel.gripFactor;
        if (!(wheel.frictionLimit > 0))
            wheel.frictionLimit = 0;

        // 9. The slip where the grip peaks.
        const TyreCurve& along = LongitudinalTyreCurves[curveKind];
        const TyreCurve& lateral = LateralTyreCurves[curveKind];
        const float peakRoot = kt > 0 ? wheel.frictionLimit * 0.5f * inverseR * inverseKt : 0.0f;
        wheel.peakSlip = std::sqrt(peakRoot) * along.stiffness * 0.35f;
        if (!(wheel.peakSlip >= 0.001f))
            wheel.peakSlip = 0.001f;
        wheel.curveSlip = loose ? 2 * wheel.peakSlip : wheel.peakSlip;
        const float peak = wheel.peakSlip;

        // 10. Below one turn per second of ground speed the patch sticks.
        const float forwardMotion = Dot(D, f);
        const float groundMotion = Absolute(forwardMotion);
        float frictionForce = 0;
        if (groundMotion < TwoPi * r * h || wheel.patchLength == 0 || !(groundMotion > 0)) {
            // 11. Sticking: the patch's shear is carried round with the tread
            // and relaxes as the tread leaves the patch.
            const float lo = Dot(f, wheel.patchDisplacement), la = Dot(l, wheel.patchDisplacement);
            const float turned = rho * inverseR;
            const Vec3 P = (-turned * la) * l + (rolled - lo * turned) * f - D;
            wheel.longitudinalDeflection = Dot(P, f) + lo;
            wheel.lateralDeflection = Dot(P, l) + la;
            const float flo = 2 * kt * wheel.longitudinalDeflection, fla = kt * wheel.lateralDeflection;
            const float mu = loose ? 1.0f : 0.95f;
            wheel.frictionCoefficient = mu;
            float limit = wheel.frictionLimit * mu;
            if (limit > loadCap)
                limit = loadCap;
            if (!(limit > 0))
                limit = 0;
            wheel.frictionLimit = limit;
            const float squared = flo * flo + fla * fla;
            frictionForce = std::sqrt(squared);
            if (squared > limit * limit) {
                const float scale = limit / frictionForce;
                wheel.slipDisplay = 2 * peak;
                wheel.slide = (frictionForce - limit) * inverseKt;
                wheel.longitudinalDeflection *= scale;
                wheel.lateralDeflection *= scale;
                frictionForce = limit;
            }
            wheel.combinedSlip = wheel.slipDisplay;
        } else {
            // 12. Rolling: slip ratio and slip angle.
            const float inverseMotion = 1 / groundMotion;
            const float u = rolled - forwardMotion;
            float sl = 2 * u * inverseMotion;
            const float sa = -Dot(D, l) * inverseMotion - 0.1f * cb;
            float z = std::sqrt(sl * sl + sa * sa);
            const float inversePeak = 1 / peak;
            if (!loose && z > peak) {
                // Past the peak the ratio loses its factor 2 smoothly.
                float plain = u * inverseMotion;
                const float over = z - peak;
                if (over < 3 * peak) {
                    const float t = over * inversePeak * (1.0f / 3);
                    plain = (plain - sl) * (3 - 2 * t) * t * t + sl;
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
            const float relax = fullForm ? 0.05f : 0.2f;
            if (z >= 0.0001f) {
                const float inverseZ = 1 / z;
                const float share = sa * inverseZ;
                const float mu = (muAcross - muAlong) * share * share + muAlong;
                wheel.frictionCoefficient = mu;
                if (x > 0.001f) {
                    // The part of the slip the tread's shear does not take up
                    // is sliding.
                    const float linear = x * along.values[0] * along.inverseStep;
                    wheel.slide *= (linear - mu) / linear;
                }
                float force = mu * wheel.frictionLimit;
                if (force > loadCap)
                    force = loadCap;
                frictionForce = force;
                const float perSlip = force * inverseZ * inverseKt;
                wheel.longitudinalDeflection += (perSlip * sl * 0.5f - wheel.longitudinalDeflection) * relax;
                wheel.lateralDeflection += (perSlip * sa - wheel.lateralDeflection) * relax;
            } else {
                wheel.frictionCoefficient = muAlong;
                wheel.slide = 0;
                wheel.longitudinalDeflection *= 1 - relax;
                wheel.lateralDeflection *= 1 - relax;
            }
        }

        // 13. Sliding heat, wear and dirt.
        if (fullForm && !MutablePhysicsStep.resimulatingCar) {
            if (!loose) {
                if (segment.dirt != 0) {
                    segment.dirt -= 6e-8f * inverseA * wheel.frictionLimit * segment.dirt * rho;
                    if (segment.dirt < 0.01f)
                        segment.dirt = 0;
                }
                if (!wheel.flat && strip > 0) {
                    // Worked on locals: the segment's fields are written
                    // back once, not reloaded after every store.
                    const float perStrip = frictionForce * wheel.slide / strip;
                    const float heating = compound.heatingFactor, wear = compound.wearFactor;
                    const float dirtPerEnergy = 1e-6f * inverseA;
                    float dirt = segment.dirt;
                    bool worn = false;
                    for (int j = 0; j < 3; j++) {
                        const float e = wheel.stripLoad[j] * perStrip;
                        segment.surfaceHeat[j] += e * heating * 0.00032f;
                        dirt -= dirtPerEnergy * dirt * e;
                        if (dirt < 0.01f)
                            dirt = 0;
                        if (!remote) {
                            float depth = segment.treadDepth[j] - e * wear;
                            if (depth < minimumTread) {
                                depth = minimumTread;
                                worn = true;
                            }
                            segment.treadDepth[j] = depth;
                        }
                    }
                    segment.dirt = dirt;
                    if (worn)
                        wheel.flat = 1;
                }
            } else {
                const float depth = surface.depth * 0.01f;
                if (segment.dirt < depth) {
                    segment.dirt += 4e-6f * inverseA * wheel.frictionLimit * depth * rho;
                    if (segment.dirt > 0.16f)
                        segment.dirt = 0.16f;
                }
            }
        }

        // 14. The patch's shear force.
        const Vec3 P = wheel.lateralDeflection * l + wheel.longitudinalDeflection * f;
        Vec3 shear = (2 * kt * wheel.longitudinalDeflection) * f + (kt * wheel.lateralDeflection) * l;
        if (fullForm)
            shear += (axle.tyreDamping * inverseH) * (P - wheel.patchDisplacement);
        wheel.patchDisplacement = P;
        wheel.wheelForce += shear;
        load += wheel.wheelForce;
        wheel.wheelTorque -= Dot(shear, f) * r;
        if (!fullForm && groundMotion < TwoPi * r * h)
            wheel.wheelTorque *= groundMotion * inverseH * inverseR * (1 / TwoPi);
        if (RigidBody* body = wheel.ground.body) {
            const Vec3 j = h * wheel.wheelForce;
            body->impulse -= j;
            body->angularImpulse += Cross(j, OffsetFromFixed(wheel.ground.position - body->predictedPosition));
        }
        wheel.patchPoint += P;
        wheel.touching = 1;
    }

    // 10. The rim against a kerb or a wall.
    const Vec3 rimPoint = hubPosition + (wheel.side * (halfWidth + axle.wheelOffset)) * S;
    wheel.rimTouching = RimContact(wheel, rimPoint, h, inverseH, car) ? 1 : 0;
    if (wheel.rimTouching)
        wheel.wheelForce += wheel.rimForce;

    // 11. The suspension carries what its spring and damper hold; the rest
    // of the force along the travel moves the wheel.
    if (wheel.suspensionType != 0) {
        const Vec3 a = Rotate(R, wheel.travelAxis);
        const float damping = wheel.travelRate > 0 ? wheel.bumpDamping : wheel.reboundDamping;
        float net = Dot(a, load) -
                    (damping * wheel.travelRate + wheel.springRate * wheel.travel - wheel.springOffset);
        if ((net <= 0 && wheel.travel <= 0) || (net > 0 && wheel.travel >= wheel.maxTravel))
            net = 0;
        wheel.wheelForce -= net * a;
        if (fullForm) {
            if (wheel.wheelMass > 0) {
                wheel.travelRate += net / wheel.wheelMass * h;
                wheel.travelRate = wheel.travelRate > 16 ? 16 : wheel.travelRate < -16 ? -16 : wheel.travelRate;
            }
            DamageSuspension(wheel, axle, R, a, S, h, r);
        }
    }

    // 12. Aerodynamic load and the wheel's weight.
    wheel.wheelForce += aeroLoad + weight;

    // 13. A loose surface holds a rolling wheel back.
    const float dragLimit = surface.secondFactor * wheel.load;
    if (wheel.touching && surface.secondFactor != 0 && dragLimit >= 0.01f) {
        Vec3 v = kt * (wheel.dragAnchor - wheel.previousCentre);
        const float squared = LengthSquared(v);
        if (squared > dragLimit * dragLimit) {
            v = (dragLimit / std::sqrt(squared)) * v;
            wheel.dragAnchor = wheel.previousCentre + inverseKt * v;
        }
        wheel.wheelForce += v;
    } else {
        wheel.dragAnchor = wheel.previousCentre;
    }

    // 14. Aligning torque about the steering axis.
    if (fullForm && wheel.axleIndex == 1)
        *alignTorque += Dot(Cross(wheel.patchPoint - hubPosition, wheel.wheelForce), Rotate(R, wheel.steerAxis));

    // 15. Spin: drive and tyre torque, then the brake, which can stop the
    // wheel but never turn it backwards.
    const float inverseInertia = wheel.wheelInertia > 0 ? 1.0f / wheel.wheelInertia : 0.0f;
    wheel.spinRate += h * inverseInertia * wheel.wheelTorque;
    const float brake = h * inverseInertia * brakeTorque;
    if (wheel.spinRate > brake)
        wheel.spinRate -= brake;
    else if (wheel.spinRate < -brake)
        wheel.spinRate += brake;
    else
        wheel.spinRate = 0;
    wheel.spinStep = h * wheel.spinRate;
    if (!axle.solid) {
        constexpr float Wrap = 32 * 3.14159265358979f;
        wheel.spinAngle += wheel.spinStep;
        if (wheel.spinAngle > Wrap)
            wheel.spinAngle -= 2 * Wrap;
        else if (wheel.spinAngle < -Wrap)
            wheel.spinAngle += 2 * Wrap;
    }
}
