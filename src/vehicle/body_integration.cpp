// Rigid bodies: the twenty sub-steps of a 10 ms step, the contact forces of
// the points and the commit of the step into the fixed-point position.
#include <cmath>

#include "vehicle/local.h"

namespace {

constexpr int SubSteps = 20;
// Below this speed (0.02 m/s) a scenery body goes to sleep.
constexpr float RestingSpeedSquared = 0.0004f;
// The largest penetration rate the damping sees, m/s.
constexpr float MaxPenetrationRate = 4.0f;
constexpr int HotLapObject = 2;

// A scenery body's sleep and wake at the end of its step.
void UpdateScenerySleep(RigidBody& body)
{
    BodySurroundings& world = GetBodySurroundings();
    bool moving = LengthSquared(body.velocity) > RestingSpeedSquared;
    if (body.awake && !moving) {
        body.predictedRotation = body.rotation;
        body.awake = 0;
        world.OnOwnerResting(body);
    } else if (!body.awake && moving) {
        body.awake = 1;
        const CarRaceHooks& race = GetCarRaceHooks();
        if (world.LayoutHasStartPosition())
            race.reportCarHitAt(body.position, body.radius);
        if (race.isHotLapTimed())
            race.invalidateHotLap(HotLapObject);
        world.OnOwnerKnocked(body);
    }
    if (!body.awake)
        body.velocity = body.angularMomentum = body.impulse = body.angularImpulse = {};
}

}  // namespace

void RigidBody::IntegrateBody(float dt, float gravity)
{
    RigidBody& body = *this;
    float h = dt * 0.05f;
    // Air drag with a coefficient of 1, fixed for the step from the velocity
    // at its start.
    Vec3 air = body.velocity - GetBodySurroundings().Wind();
    Vec3 drag = -std::sqrt(LengthSquared(air)) * air;
    Vec3 weight = {0, 0, gravity * body.mass};
    for (int k = 0; k < SubSteps; ++k) {
        float a = float(SubSteps - k) * 0.05f;
        float b = float(k) * 0.05f;
        if (body.awake)
            AdvanceBodyPose(body, h);
        BlendContactSurfaces(body, a, b);
        SolvePointContacts(body, h);
        if (body.awake || body.touched) {
            Vec3 force = drag, torque;
            const Vec3 displacement = body.displacement;
            for (int i = 0; i < body.pointCount; ++i) {
                const ContactPoint& point = body.points[i];
                if (point.state == 0)
                    continue;
                force += point.force;
                torque += Cross(point.anchor - displacement, point.force);
            }
            body.force = force;
            body.torque = torque;
            Vec3 centre = Rotate(body.rotation, body.centreOfMass);
            body.force += weight;
            body.torque += Cross(centre, weight);
            body.velocity += (h / body.mass) * body.force;
            body.angularMomentum += h * (body.torque - Cross(centre, body.force));
        }
    }
    if (body.owner)
        UpdateScenerySleep(body);
    if (body.awake)
        body.CommitBodyMove();
}

void BlendContactSurfaces(RigidBody& body, float a, float b)
{
    for (int i = 0; i < body.pointCount; ++i) {
        ContactPoint& point = body.points[i];
        if (point.contact == 0)
            continue;
        point.normal = a * point.normalStart + b * point.normalEnd;
        point.plane = a * point.planeStart + b * point.planeEnd;
        point.frictionNow = a * point.frictionStart + b * point.frictionEnd;
    }
}

void SolvePointContacts(RigidBody& body, float h)
{
    // Local copies: the compiler cannot know that the points' stores leave
    // the body's pose alone.
    const FloatMatrix rotation = body.rotation;
    const Vec3 displacement = body.displacement;
    const float stiffness = body.stiffness, damping = body.damping, friction = body.friction;
    for (int i = 0; i < body.pointCount; ++i) {
        ContactPoint& point = body.points[i];
        point.sliding = 0;
        Vec3 p = Rotate(rotation, point.local) + displacement;
        float depth = point.contact ? Dot(point.normal, point.plane - p) : 0.0f;
        if (!(depth > 0)) {
            point.lastDepth = 0;
            point.force = {};
            point.anchor = p;
            point.state = 0;
            continue;
        }
        Vec3 c = p + depth * point.normal;
        RigidBody* other = point.query.hitBody;
        float k = stiffness, cd = damping;
        if (other) {
            k = Smaller(k, other->stiffness);
            cd = Smaller(cd, other->damping);
        }
        // The friction spring acts in the contact plane only: its part along
        // the normal would add support that no friction gives (an anchor
        // left above the surface by the approach would hold the body up).
        Vec3 spring = k * (point.anchor - c);
        Vec3 tangential = spring - Dot(spring, point.normal) * point.normal;
        float rate = (depth - point.lastDepth) / h;
        rate = Smaller(Larger(rate, -MaxPenetrationRate), MaxPenetrationRate);
        float previousDepth = point.lastDepth;
        point.lastDepth = depth;
        // A linear spring-damper: the push may turn into a pull while the
        // point eases out, as the linear contact model has it.
        float normalForce = cd * rate + k * depth;
        point.force = normalForce * point.normal;
        float limit = point.frictionNow * friction * normalForce;
        float limitSquared = limit * limit;
        if (limitSquared < 0.0001f) {
            point.anchor = c;
            tangential = {};
        } else {
            float tangentialSquared = LengthSquared(tangential);
            if (tangentialSquared > limitSquared) {
                // Scaled to the length of the limit whatever its sign: a
                // pulling contact must not turn friction into a push along
                // the slide.
                tangential = (std::fabs(limit) / std::sqrt(tangentialSquared)) * tangential;
                point.anchor = c + (1.0f / k) * tangential;
                point.sliding = 1;
            }
        }
        point.force += tangential;
        if (other) {
            Vec3 j = h * point.force;
            Vec3 r = OffsetFromFixed(point.query.queryPosition - other->predictedPosition);
            other->impulse -= j;
            other->angularImpulse += Cross(j, r);
        }
        if (depth - previousDepth > 0)
            point.state = 1;
        else if (point.state == 1)
            point.state = 2;
    }
}

void AdvanceBodyPose(RigidBody& body, float h)
{
    body.displacement += h * body.velocity;
    Vec3 w = AngularVelocity(body, body.rotation);
    float rate = std::sqrt(LengthSquared(w));
    float angle = rate * h;
    if (!(angle > 1e-5f))
        return;
    FloatMatrix turn, turned;
    AxisAngleMatrix(turn, (1.0f / rate) * w, angle);
    MultiplyFloatMatrix(turn, body.rotation, turned);
    body.displacement += Rotate(body.rotation, body.centreOfMass) - Rotate(turned, body.centreOfMass);
    body.rotation = turned;
}

void RigidBody::CommitBodyMove()
{
    position += FixedFromOffset(displacement);
    for (int i = 0; i < pointCount; ++i) {
        points[i].anchor -= displacement;
        points[i].planeEnd -= displacement;
    }
}
