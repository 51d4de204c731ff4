// The forces on a car's body: the air on its aero points, the steering
// column, the engine's reaction, a bike's balance, the sums of the wheels'
// and body points' contact forces, and the sub-steps that integrate them;
// then the skid marks and the smoke and dust the tyres leave.
#include <cmath>

#include "vehicle/local.h"

namespace {

constexpr int SubSteps = 20;
// Below this the wheels count as straight, rad.
constexpr float StraightAngle = 0.00001f;
// Bikes: the steering balances the lean above this speed; below the next
// one a torque holds the bike upright, m/s.
constexpr float BikeSteerSpeed = 2.0f;
constexpr float BikeBalanceSpeed = 4.0f;
// Skid marks: least strength, the point's lift off the ground (1/64 m in
// 16.16), least and most move per step for a segment, m.
constexpr float MarkStrengthMin = 0.0625f;
constexpr int32_t MarkLift = 1024;
constexpr float MarkMoveMin = 0.02f;
constexpr float MarkMoveMax = 0.4f;
constexpr uint8_t MarkEnded = 0, MarkReady = 1, MarkRunning = 2;
// Standard colour 7, white, 0x00BBGGRR.
constexpr uint32_t SmokeColour = 0xFFFFFF;

inline Vec3 Column(const FloatMatrix& r, int c) { return {r.m[c], r.m[3 + c], r.m[6 + c]}; }

Vec3 UnitOrZero(const Vec3& v)
{
    float l2 = LengthSquared(v);
    return l2 > 0 ? (1.0f / std::sqrt(l2)) * v : Vec3{};
}

// The Taylor coefficients of sin x / x and cos x in x^2: (-1)^n / (2n+1)!
// and (-1)^n / (2n)!, n = 0..8.
constexpr int SeriesTerms = 9;
struct SineCosineSeries {
    double sine[SeriesTerms], cosine[SeriesTerms];
    constexpr SineCosineSeries() : sine(), cosine()
    {
        double factorial = 1;  // (2n)!
        for (int n = 0; n < SeriesTerms; ++n) {
            if (n > 0)
                factorial *= double(2 * n - 1) * double(2 * n);
            const double sign = n % 2 ? -1.0 : 1.0;
            cosine[n] = sign / factorial;
            sine[n] = sign / (factorial * double(2 * n + 1));
        }
    }
};
constexpr SineCosineSeries Series;

// 1 / tan(x) for 0 < x: cosine over sine by their series, which need only
// arithmetic (the same bits on every machine) and are exact to 2e-16 for
// steering angles up to 1 rad (the first terms left out are x^18 / 18! and
// x^18 / 19!), far below the float the radius is kept in; larger angles
// take the core's sine and cosine. One division, as this runs every
// sub-step.
double CotangentOf(double x)
{
    if (x > 1) {
        double s, c;
        ComputeSinCos(x, s, c);
        return c / s;
    }
    const double x2 = x * x;
    double s = Series.sine[SeriesTerms - 1], c = Series.cosine[SeriesTerms - 1];
    for (int n = SeriesTerms - 2; n >= 0; --n) {
        s = Series.sine[n] + x2 * s;
        c = Series.cosine[n] + x2 * c;
    }
    return c / (x * s);
}

// Turn direction and radius of the front wheels' angle.
void SetTurnGeometry(CarObject& car)
{
    float angle = car.step.steerAngle;
    if (angle > StraightAngle || angle < -StraightAngle) {
        car.step.turnDirection = angle > 0 ? 1 : 2;
        car.step.turnRadius = float(double(car.tuning.wheelbase) * CotangentOf(std::fabs(double(angle))));
    } else {
        car.step.turnDirection = 0;
    }
}

// Contact values from the previous step's towards this step's: a and b are
// the weights of the previous and the new.
void BlendContact(WheelContact& contact, float a, float b)
{
    if (!contact.touching)
        return;
    contact.point = a * contact.previousPoint + b * contact.endPoint;
    contact.normal = a * contact.previousNormal + b * contact.endNormal;
    contact.depth = a * contact.previousDepth + b * contact.endDepth;
}

// The force and torque sums of a (sub-)step integrated into the motion.
// torque holds the engine and aero torques about the origin on entry; the
// wheels' hubs are where the drive of the (sub-)step placed them.
void IntegrateCarForces(CarObject& car, Vec3 torque, float h, float gravity)
{
    const FloatMatrix& r = car.rotation;
    const Vec3 displacement = car.displacement;
    Vec3 force = car.step.aeroForce;
    for (int i = 0; i < car.wheelCount; ++i) {
        const Wheel& wheel = car.wheels[i];
        force += wheel.wheelForce;
        torque += Cross(wheel.hubTurned, wheel.wheelForce);
    }
    for (int i = 0; i < car.pointCount; ++i) {
        const ContactPoint& point = car.points[i];
        if (point.state == 0)
            continue;
        force += point.force;
        torque += Cross(point.anchor - displacement, point.force);
    }
    const float sprungMass = car.mass - car.tuning.wheelMassSum;
    const Vec3 weight = {0, 0, sprungMass * gravity};
    force += weight;
    torque += Cross(Rotate(r, car.step.sprungCentre), weight);
    car.force = force;
    const Vec3 centre = Rotate(r, car.centreOfMass);
    // About the centre of mass.
    car.torque = torque - Cross(centre, force);
    // A body without mass cannot be moved by a force (no division by 0).
    if (car.mass > 0)
        car.velocity += (h / car.mass) * force;
    car.angularMomentum += h * car.torque;
    car.step.smoothedForce = 0.9f * car.step.smoothedForce + 0.1f * force;
    car.step.smoothedAngularVelocity = 0.9f * car.step.smoothedAngularVelocity + 0.1f * AngularVelocity(car, r);
}

}  // namespace

// A bike below walking pace is held upright about its forward axis.
Vec3 BikeBalanceTorque(const CarObject& car)
{
    if (car.data.carClass != 0 || !(car.step.speed < BikeBalanceSpeed))
        return {};
    const Vec3 forward = Column(car.rotation, 1);
    const float lean = car.rotation.m[6];  // the right axis's vertical part
    if (!(std::fabs(lean) < 0.5f))
        return {};
    float roll = Dot(forward, AngularVelocity(car, car.rotation));
    float t = (2500.0f * lean - 500.0f * roll) * (1.0f - car.step.speed / BikeBalanceSpeed);
    return t * forward;
}

// ---------------------------------------------------------------------------
// Aerodynamics.

void ComputeAeroForces(CarObject& car)
{
    const FloatMatrix& r = car.rotation;
    const Vec3 right = Column(r, 0), forward = Column(r, 1), up = Column(r, 2);
    car.step.aeroForce = car.step.aeroTorque = {};
    for (int i = 0; i < 4; ++i) {
        AeroPoint& point = car.aero[i];
        if (!(point.flags & AeroPresent))
            continue;
        const Vec3 air = car.velocity - point.airVelocity;
        const float air2 = LengthSquared(air);
        if (i == 3)
            car.step.airSpeed = std::sqrt(air2);
        if (!(air2 > 0.001f)) {
            point.force = point.wheelShare = {};
            continue;
        }
        const Vec3 n = (1.0f / std::sqrt(air2)) * air;
        const float ahead = Dot(n, forward);
        const float facing = ahead > 0 ? ahead * ahead : 0.0f;
        const Vec3 lift = UnitOrZero(Cross(right, n));
        float cl = point.lift, cd = point.drag;
        if (i < 2) {
            // b = 2 (wing angle - a) with sin a = L . forward, a within
            // -pi/2..pi/2: sin b and cos b from the double-angle forms.
            float sa = Dot(lift, forward);
            sa = Clamp(sa, -1, 1);
            const float ca = std::sqrt(1 - sa * sa);
            const float s2a = 2 * sa * ca, c2a = 1 - 2 * sa * sa;
            double s2w, c2w;
            ComputeSinCos(2.0 * double(point.wingAngle), s2w, c2w);
            const float sb = float(s2w) * c2a - float(c2w) * s2a;
            const float cb = float(c2w) * c2a + float(s2w) * s2a;
            cl = (sb * 1.03923f + 0.1f) * point.liftFactor;
            cd = ((1 - cb) * 1.8f + 0.1f) * point.dragFactor;
        }
        const float a = cl * facing * air2;
        const float b = -((cd - point.sideDrag) * facing + point.sideDrag) * air2;
        Vec3 force = a * lift + b * n;
        point.wheelShare = {};
        if (point.flags & (AeroFrontLoadToWheels | AeroRearLoadToWheels)) {
            point.wheelShare = Dot(force, up) * up;
            force -= point.wheelShare;
        }
        point.force = force;
        car.step.aeroForce += force;
        car.step.aeroTorque += Cross(Rotate(r, point.position), force);
    }
}

// ---------------------------------------------------------------------------
// Steering.

float SteerAngleFromWord(const CarObject& car, int word)
{
    const float lockDegrees = car.data.setup ? float(car.data.setup->maxLock) : 0.0f;
    return -(float(word - 32768) / 32768.0f) * lockDegrees * Pi / 180.0f;
}

void StepSteering(CarObject& car, float dt)
{
    const float lock = car.data.setup ? float(car.data.setup->maxLock) * Pi / 180.0f : 0.0f;
    if (car.data.carClass == 0) {
        const float roll = Dot(Column(car.rotation, 1), AngularVelocity(car, car.rotation));
        if (car.step.speed > BikeSteerSpeed && lock > 0) {
            // The speed is above 2 m/s here, so 1 / speed is bounded.
            const float o = 2.5f / std::sqrt(car.step.speed);
            const float lean = car.rotation.m[6];
            car.step.steerAngle += o * (lean - o * roll - 0.5f * o * o * (roll - car.step.rollRate) / dt -
                                   2 * car.step.steerTargetNow / lock) * 0.01f / car.step.speed;
            car.step.steerAngle = Clamp(car.step.steerAngle, -lock, lock);
        }
        car.step.rollRate = roll;
    } else {
        const float inertia = car.tuning.steerInertia > 0 ? car.tuning.steerInertia : 1.0f;
        car.step.steerRate += dt *
                         ((car.step.steerTargetNow - car.step.steerAngle) * car.tuning.steerStiffness -
                          (car.step.steerRate - car.step.steerTargetRate) * car.tuning.steerDamping + car.step.alignTorque) /
                         inertia;
        car.step.steerAngle += dt * car.step.steerRate;
        if (car.step.steerAngle >= lock) {
            car.step.steerAngle = lock;
            car.step.steerRate = 0;
        } else if (car.step.steerAngle <= -lock) {
            car.step.steerAngle = -lock;
            car.step.steerRate = 0;
        }
    }
    SetTurnGeometry(car);
}

void SetSteeringDirect(CarObject& car)
{
    car.step.steerAngle = car.step.steerTargetNow;
    car.step.steerRate = 0;
    SetTurnGeometry(car);
}

// ---------------------------------------------------------------------------
// The sub-steps and the full step.

void PrepareCarTyres(CarObject& car)
{
    for (int i = 0; i < car.wheelCount; ++i)
        PrepareTyreStep(car.wheels[i], car.axles[car.wheels[i].axleIndex]);
}

void RunCarSubSteps(CarObject& car, float dt, float gravity)
{
    PrepareCarTyres(car);
    const float h = dt * 0.05f;
    const float targetStep = (car.step.steerTarget - car.step.steerTargetPrevious) * 0.05f;
    car.step.steerTargetRate = (car.step.steerTarget - car.step.steerTargetPrevious) / dt;
    car.step.steerTargetNow = car.step.steerTargetPrevious;
    car.step.reactionAxisWorld = Rotate(car.rotation, car.tuning.engineAxis);
    car.step.alignTorqueSum = 0;
    const float k = car.tuning.tyreRadiusRatio;
    for (int step = 0; step < SubSteps; ++step) {
        car.step.steerTargetNow += targetStep;
        StepSteering(car, h);
        ApplyTractionControl(car, k);
        StepClutch(car.engine);
        float power = 0, revCut = 0;
        const float u = StepEngineFree(car.engine, h, power, revCut);
        Vec3 torque = u * car.step.reactionAxisWorld + car.step.aeroTorque;
        // Only a running engine burns fuel, and never a negative amount.
        if (car.engine.running && power > 0)
            car.step.fuelUsed += h * power * FuelPerJoule;
        torque += BikeBalanceTorque(car);
        AdvanceBodyPose(car, h);
        const float a = float(SubSteps - step) * 0.05f, b = float(step) * 0.05f;
        for (int i = 0; i < car.wheelCount; ++i) {
            BlendContact(car.wheels[i].ground, a, b);
            BlendContact(car.wheels[i].rim, a, b);
        }
        car.step.alignTorque = 0;
        DriveWheels(car, h, 0, gravity);
        car.step.alignTorqueSum += car.step.alignTorque;
        BlendContactSurfaces(car, a, b);
        SolvePointContacts(car, h, PlacesIdlePoints(step, SubSteps));
        IntegrateCarForces(car, torque, h, gravity);
    }
    car.step.manifoldReading = 0.05f * car.engine.manifoldPressure + 0.95f * car.step.manifoldReading;
    car.step.alignTorqueMean = car.step.alignTorqueSum * (1.0f / SubSteps);
}

void RunCarFullStep(CarObject& car, float dt, float gravity)
{
    PrepareCarTyres(car);
    car.step.steerTargetNow = car.step.steerTarget;
    car.step.steerTargetRate = (car.step.steerTarget - car.step.steerTargetPrevious) / dt;
    car.step.alignTorqueSum = car.step.alignTorque = 0;
    SetSteeringDirect(car);
    Vec3 torque = car.step.aeroTorque;
    ApplyTractionControl(car, 1.0f);
    StepClutch(car.engine);
    float power = 0, revCut = 0;
    if (car.step.gear == 1 || car.engine.clutchPedal >= 0.5f)
        StepEngineFree(car.engine, dt, power, revCut);
    else
        StepEngineCoupled(car.engine, dt, power, revCut);
    AdvanceBodyPose(car, dt);
    for (int i = 0; i < car.wheelCount; ++i) {
        BlendContact(car.wheels[i].ground, 0, 1);
        BlendContact(car.wheels[i].rim, 0, 1);
    }
    DriveWheels(car, dt, 1, gravity);
    BlendContactSurfaces(car, 0, 1);
    SolvePointContacts(car, dt);
    IntegrateCarForces(car, torque, dt, gravity);
    car.step.manifoldReading = car.engine.manifoldPressure > 0 ? car.engine.manifoldPressure : 0.0f;
    car.step.alignTorqueMean = 0;
}

void UpdateSprungCentre(CarObject& car)
{
    const float sprungMass = car.mass - car.tuning.wheelMassSum;
    if (!(sprungMass > 0)) {
        car.step.sprungCentre = car.centreOfMass;
        return;
    }
    Vec3 moment = car.mass * car.centreOfMass;
    for (int i = 0; i < car.wheelCount; ++i)
        moment -= car.wheels[i].wheelMass * car.wheels[i].hubPoint;
    car.step.sprungCentre = (1.0f / sprungMass) * moment;
}

// ---------------------------------------------------------------------------
// Skid marks, smoke and dust.

namespace {

float MarkStrength(const CarObject& car, const Wheel& wheel)
{
    const float weight = car.mass * 9.81f;
    if (!(wheel.peakSlip > 0) || !(weight > 0))
        return 0;
    float s = wheel.slipDisplay / wheel.peakSlip - 1.2f;
    s = s > 1 ? 1 : s;
    return s * wheel.load / weight;
}

void EndMark(Wheel& wheel)
{
    if (wheel.skidState == MarkRunning) {
        GetCarDrawHooks().closeSkidMark(wheel.skidSegment);
        wheel.skidState = MarkEnded;
        wheel.skidSegment = -1;
    }
}

}  // namespace

void UpdateSkidMark(CarObject& car, Wheel& wheel, int pathNode)
{
    const float s = MarkStrength(car, wheel);
    const int kind = wheel.surfaceKind >= 0 && wheel.surfaceKind < SurfaceKindCount ? wheel.surfaceKind : 0;
    const bool canMark = Settings.noRubber < 2 && s > MarkStrengthMin && pathNode >= 0 && !wheel.ground.body &&
                         wheel.patchLength != 0 && SurfaceKindTable[kind].road;
    if (!canMark) {
        EndMark(wheel);
        return;
    }
    FixedVector p = car.position + FixedFromOffset(wheel.patchPoint);
    p.z.raw += MarkLift;
    if (wheel.skidState == MarkEnded)
        wheel.skidState = MarkReady;
    const Vec3 d = OffsetFromFixed(p - wheel.lastMarkPoint);
    const float length = std::sqrt(LengthSquared(d));
    const bool within = length > MarkMoveMin && length < MarkMoveMax + car.step.speed * 0.01f;
    if (within) {
        const Vec3 u = (1.0f / length) * d;
        const float c = std::fabs(Dot(u, wheel.contactForward));
        const float half = ((1 - c) * wheel.patchLength + c * wheel.contactWidth) * 0.6f;
        const Vec3 side = half * Cross(wheel.ground.normal, u);
        int running = wheel.skidState == MarkRunning ? wheel.skidSegment : -1;
        int segment = GetCarDrawHooks().addSkidMark(p + FixedFromOffset(side), p - FixedFromOffset(side), s, running, pathNode);
        if (segment >= 0) {
            wheel.skidSegment = segment;
            wheel.skidState = MarkRunning;
        }
    }
    wheel.lastMarkPoint = p;
    if (!within)
        EndMark(wheel);
}

namespace {

// The hottest tread strip of the segment in the contact patch, degrees C.
float PatchTemperature(const CarObject& car, const Wheel& wheel, const Axle& axle)
{
    int segment = 0;
    if (!car.net.remote) {
        segment = int(std::nearbyint(16.0f * wheel.spinAngle / TwoPi)) % 16;
        segment = segment < 0 ? segment + 16 : segment;
    }
    float hottest = -273.15f;
    for (int strip = 0; strip < 3; ++strip) {
        const float capacity = TreadCapacity(axle, wheel.segments[segment].treadDepth[strip]);
        if (!(capacity > 0))
            continue;
        const float t = wheel.segments[segment].treadHeat[strip] / capacity - 273.15f;
        hottest = t > hottest ? t : hottest;
    }
    return hottest;
}

}  // namespace

void UpdateTyreParticles(CarObject& car, Wheel& wheel, const Axle& axle)
{
    if (!wheel.touching)
        return;
    const float t = PatchTemperature(car, wheel, axle);
    const int compound = axle.tyreType >= 0 && axle.tyreType < TyreCompoundCount ? axle.tyreType : 0;
    const float topt = CompoundTable[compound].optimumTempC;
    uint32_t colour = 0;
    int opacity = 0;
    float k = 0;
    if (topt > 0 && t > 2 * topt) {
        opacity = int(std::nearbyint(255.0f * t / (2 * topt))) - 255;
        opacity = opacity > 128 ? 128 : opacity;
        colour = SmokeColour;
        k = 0.1f;
    } else if (wheel.slipDisplay > wheel.peakSlip && wheel.ground.surface &&
               (GetBodySurroundings().SurfaceFlags(*wheel.ground.surface) & 1)) {
        opacity = 255;
        colour = GetCarDrawHooks().surfaceDrawColour(*wheel.ground.surface);
        k = 1;
    } else {
        return;
    }
    float lod = Settings.dustLod;
    lod = Clamp(lod, 0.2f, 1);
    const int p = int(std::nearbyint(4.0f / lod));
    ++wheel.particleCounter;
    if (wheel.particleCounter % p == 0) {
        const int lifeMs = wheel.particleCounter * int(std::nearbyint(2400.0f / float(4 * p)));
        const float w = wheel.spinRate * axle.tyreRadius;
        double sn, cs;
        ComputeSinCos(double(wheel.steerAngle), sn, cs);
        const Vec3 heading = Rotate(car.rotation, Vec3{-float(sn), float(cs), 0});
        const float e = 0.04f * (std::fabs(w) + 0.3f * car.step.speed);
        const Vec3 velocity = k * (car.velocity - (w * 0.5f) * heading) + e * Column(car.rotation, 2);
        uint32_t doubled = 0;
        for (int c = 0; c < 3; ++c) {
            uint32_t v = ((colour >> (8 * c)) & 0xFF) * 2;
            doubled |= (v > 255 ? 255 : v) << (8 * c);
        }
        doubled |= uint32_t(opacity < 0 ? 0 : opacity) << 24;
        GetCarDrawHooks().addParticle(wheel.ground.position, velocity, 0.1f, e * float(lifeMs) * 0.001f, doubled, lifeMs);
    }
    if (wheel.particleCounter >= 4 * p)
        wheel.particleCounter = 0;
}

void UpdateWheelMarks(CarObject& car)
{
    const int pathNode = GetCarPathHooks().carPathNode(car);
    for (int i = 0; i < car.wheelCount; ++i) {
        Wheel& wheel = car.wheels[i];
        UpdateSkidMark(car, wheel, pathNode);
        UpdateTyreParticles(car, wheel, car.axles[wheel.axleIndex]);
    }
}
