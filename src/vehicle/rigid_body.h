// Rigid bodies and their contact points: the records and operations every
// moving thing of the physics shares.
#pragma once

#include <cstdint>

#include "core/services.h"

class RigidBody;
class WorldObject;
struct WorldTexture;

// Rigid bodies and contact points.
//
// Positions are 16.16 fixed point (65536 = 1 m); everything else is in
// single-precision SI units (m, m/s, kg, N, N s). Rotations are row-major
// float matrices taking body-frame vectors to world vectors. z is up.

// One contact query: scenery objects and bodies fill it. A query looks for
// a surface crossed by the segment from queryPosition - queryDirection to
// queryPosition and keeps only the deepest hit.
struct ContactQueryRecord {
    FixedVector queryPosition;   // the point at the predicted pose, world
    FixedVector queryDirection;  // centre of mass to the point, predicted pose
    FixedVector hitPosition;     // where the segment crosses the surface
    Vec3 hitNormal;              // unit, world axes
    WorldTexture* hitSurface = nullptr;  // surface hit; null for bodies and flat ground
    RigidBody* hitBody = nullptr;        // body hit; null otherwise
    Fixed hitDepth;              // 16.16 fraction of queryDirection behind the surface; > 0 on a hit
    std::int32_t areaCode = 0;   // filled by curved surfaces during checkpoint set-up only
};

// A point fixed in a body's frame that meets surfaces.
struct ContactPoint {
    Vec3 local;        // m, body frame
    Vec3 force;        // N, world axes, this sub-step
    Vec3 anchor;       // m, world axes from the body's fixed-point position: friction stick point
    float lastDepth = 0;  // m, penetration in the previous sub-step
    std::uint8_t state = 0;    // 0 free, 1 pressing in, 2 easing out
    std::uint8_t sliding = 0;  // 1 when friction reached its limit in the last sub-step
    std::uint8_t contact = 0;  // 0 none this step, 1 contact, 2 contact with a flagged surface
    ContactQueryRecord query;
    // The contact surface at the start of the step, at its end and now: a
    // point of it (m, from the fixed-point position), its friction factor
    // and its unit normal.
    Vec3 planeStart, planeEnd, plane;
    float frictionStart = 0, frictionEnd = 0, frictionNow = 0;
    Vec3 normalStart, normalEnd, normal;
};

// A triangle of a body that other bodies' points can hit.
struct BodyFace {
    Vec3 localNormal;  // body frame, pointing out of the body
    Vec3 worldNormal;  // at the predicted pose
    ContactPoint* corners[3] = {};  // counter-clockwise seen from outside
};

// Largest numbers of scenery objects one body gathers per step.
constexpr int MaxContactObjects = 64;
constexpr int MaxRadiusObjects = 64;

// The physical body every moving thing shares. Contact is a penalty method:
// each point that found a surface is pushed out by a spring-damper along the
// surface normal and held by a friction spring whose anchor slides at the
// Coulomb limit. Contacts are searched once per 10 ms step at the predicted
// end-of-step pose; forces are integrated in twenty sub-steps.
//
// The operations are virtual in this order (the car overrides all of them).
// There is no virtual destructor: each owner frees its bodies through the
// concrete class.
class RigidBody {
public:
    RigidBody(const RigidBody&) = delete;
    RigidBody& operator=(const RigidBody&) = delete;

    // 0 plain body, 1 car, 2 eight-point body.
    virtual int BodyKind() const = 0;
    // Queries the object's surface for every point whose selector is set:
    // whenAbove for points above the centre of mass, else whenFront for
    // points ahead of it (local y > 0), else whenRear.
    virtual void ContactWorldObject(WorldObject& object, int whenAbove, int whenFront, int whenRear);
    // Tests the points heading towards the other body (offset: other's
    // predicted position less this one's, 16.16) against its faces.
    virtual void CollideWithBody(RigidBody& other, const FixedVector& offset);
    // Contacts with the ground plane z = 0, used when no scenery is near.
    virtual void FlatGroundContacts();
    // Turns the step's query results into contact surfaces.
    virtual void FinishContacts();
    // One step of dt seconds in twenty sub-steps; gravity along z in m/s^2.
    virtual void IntegrateBody(float dt, float gravity);
    // Once per step before the contact pass: collected impulses, predicted
    // pose and the contact queries.
    virtual void PrepareBody(float dt);
    // Folds the step's float displacement into the fixed-point position.
    virtual void CommitBodyMove();

    std::uint8_t movable = 0;  // runs contact passes and reacts when touched
    std::uint8_t awake = 0;    // moves, is integrated, belongs to the active set
    std::uint8_t touched = 0;  // an awake body hit it this step
    std::uint8_t enabled = 0;  // takes part in contacts at all
    std::int32_t restPeriods = 0;  // 100-step periods a knocked object has been loose
    float radius = 0;  // m, farthest contact point from the origin
    float mass = 0;    // kg
    float maxY = 0, minY = 0, maxX = 0, minX = 0;  // m, horizontal extents, body frame
    Vec3 centreOfMass;          // m, body frame
    FloatMatrix inertia;        // kg m^2, body frame, about the centre of mass
    FloatMatrix inverseInertia;
    FixedVector position;       // 16.16, world: the body origin
    FloatMatrix rotation{{1, 0, 0, 0, 1, 0, 0, 0, 1}};
    Vec3 displacement;          // m, moved since the last commit
    Vec3 velocity;              // m/s, world
    Vec3 angularMomentum;       // kg m^2/s, world axes, about the centre of mass
    FixedVector predictedPosition;  // 16.16, the pose expected at the end of the step
    FloatMatrix predictedRotation{{1, 0, 0, 0, 1, 0, 0, 0, 1}};
    Vec3 force;           // N, this sub-step
    Vec3 torque;          // N m about the origin, this sub-step
    Vec3 impulse;         // N s, collected from outside between two prepare steps
    Vec3 angularImpulse;  // N m s about the origin, likewise
    float stiffness = 0;  // N/m per contact point
    float friction = 0;   // Coulomb factor
    float damping = 0;    // N s/m per contact point
    std::int32_t pointCount = 0;
    ContactPoint* points = nullptr;  // owned
    std::int32_t faceCount = 0;
    BodyFace* faces = nullptr;       // owned
    WorldObject* owner = nullptr;    // the scenery object whose loose copy this is

protected:
    RigidBody() = default;
    ~RigidBody() = default;
};

// A plain body: loose scenery objects. All operations are the base ones.
class PlainBody : public RigidBody {
public:
    int BodyKind() const override { return 0; }
};

// Sets the two flags and the owner; zeroes mass, centre of mass and inertia.
void InitRigidBody(RigidBody& body, int movable, int awake, WorldObject* owner);
// Zeroes everything of a point but its local position.
void InitContactPoint(ContactPoint& point);
// Frees both arrays and empties them; harmless on an empty body.
void FreeBody(RigidBody& body);
// Recomputes the four horizontal extents from the points (the box always
// contains the origin).
void UpdateBodyBounds(RigidBody& body);
// Mass, centre of mass, inertia and radius of a thin shell of uniform
// areal density (kg/m^2) over the faces.
void ComputeMassProperties(RigidBody& body, float density);
// Clears motion, forces, impulses and contact state; enabled 1. The pose
// stays; face normals follow the current rotation.
void ResetBody(RigidBody& body);
