// Rigid bodies: the prepare step, the contact pass and the contact queries
// that run once per 10 ms step at the predicted pose.
#include <cmath>

#include "vehicle/local.h"

namespace {

// The 16.16 product sums of the contact queries: each product in 64 bits,
// a dot product adding the three before the one shift.
std::int64_t Dot16(const FixedVector& a, const FixedVector& b)
{
    return (std::int64_t(a.x.raw) * b.x.raw + std::int64_t(a.y.raw) * b.y.raw +
            std::int64_t(a.z.raw) * b.z.raw) >> 16;
}

FixedVector Cross16(const FixedVector& a, const FixedVector& b)
{
    auto term = [](Fixed p, Fixed q, Fixed r, Fixed s) {
        return Fixed(std::int32_t((std::int64_t(p.raw) * q.raw - std::int64_t(r.raw) * s.raw) >> 16));
    };
    return {term(a.y, b.z, a.z, b.y), term(a.z, b.x, a.x, b.z), term(a.x, b.y, a.y, b.x)};
}

FixedVector Scale16(Fixed w, const FixedVector& d)
{
    return {FixedMul(w, d.x), FixedMul(w, d.y), FixedMul(w, d.z)};
}

// Hot-lap invalidation reasons.
constexpr int HotLapWall = 1;

// Surface kinds that count as walls (fences and barriers).
bool IsWallKind(int kind) { return kind == 6 || kind == 10 || kind == 11; }

// The vertical posts of radius objects push an awake body away from them
// and damp its velocity along the push.
void PushFromRadiusPosts(RigidBody& body, float dt)
{
    BodySurroundings& world = GetBodySurroundings();
    RadiusPost posts[MaxRadiusObjects];
    Fixed halfSide = FixedFromMetres(body.radius);
    int count = world.CollectRadiusPosts(body.position, halfSide, posts, MaxRadiusObjects);
    Vec3 centre = Rotate(body.rotation, body.centreOfMass);
    FixedVector centreFixed = body.position + FixedFromOffset(centre);
    for (int i = 0; i < count; ++i) {
        float rp = float(posts[i].contactRadius) * 0.01f;
        float reach = rp + body.radius;
        Vec3 d = {FixedToMetres(centreFixed.x - posts[i].x), FixedToMetres(centreFixed.y - posts[i].y), 0};
        float d2 = LengthSquared(d);
        if (d2 <= 0.0001f)
            continue;
        float distance = std::sqrt(d2);
        Vec3 u = (1.0f / distance) * d;
        ContactQueryRecord record;
        TestPointAgainstFaces(body, centreFixed, FixedFromOffset(reach * u), record);
        if (record.hitDepth.raw <= 0)
            continue;
        float s = FixedToMetres(record.hitDepth) * reach;
        float k = -(record.hitNormal.x * u.x + record.hitNormal.y * u.y);
        if (!(k > 0))
            continue;
        k = std::fmax(k, 0.5f);
        float penetration = s - distance + rp / k;
        if (!(penetration > 0))
            continue;
        float along = u.x * body.velocity.x + u.y * body.velocity.y;
        Vec3 j = (penetration * body.stiffness * dt) * record.hitNormal + (along * body.damping * dt) * u;
        Vec3 r = OffsetFromFixed(record.hitPosition - body.position);
        body.impulse -= j;
        body.angularImpulse += Cross(j, r);
    }
}

}  // namespace

void RigidBody::PrepareBody(float dt)
{
    RigidBody& body = *this;
    if (!body.awake && !body.touched) {
        for (int i = 0; i < body.pointCount; ++i) {
            body.points[i].query.hitSurface = nullptr;
            body.points[i].query.hitBody = nullptr;
        }
        return;
    }
    body.touched = 0;
    if (body.awake && GetBodySurroundings().IsWorldLoaded())
        PushFromRadiusPosts(body, dt);

    // Impulses collected since the last step.
    Vec3 centre = Rotate(body.rotation, body.centreOfMass);
    body.velocity += (1.0f / body.mass) * body.impulse;
    body.angularMomentum += body.angularImpulse - Cross(centre, body.impulse);
    body.impulse = body.angularImpulse = {};

    // The pose at the end of the step, turning about the centre of mass.
    body.predictedPosition = body.position + FixedFromOffset(dt * body.velocity);
    Vec3 w = AngularVelocity(body, body.rotation);
    float rate = std::sqrt(LengthSquared(w));
    float angle = rate * dt;
    if (angle <= 1e-5f) {
        body.predictedRotation = body.rotation;
    } else {
        FloatMatrix turn;
        AxisAngleMatrix(turn, (1.0f / rate) * w, angle);
        MultiplyFloatMatrix(turn, body.rotation, body.predictedRotation);
        body.predictedPosition += FixedFromOffset(centre - Rotate(body.predictedRotation, body.centreOfMass));
    }
    body.displacement = {};

    FixedVector centreOffset = FixedFromOffset(Rotate(body.predictedRotation, body.centreOfMass));
    for (int i = 0; i < body.pointCount; ++i) {
        ContactPoint& point = body.points[i];
        FixedVector o = FixedFromOffset(Rotate(body.predictedRotation, point.local));
        point.query = {};
        point.query.queryPosition = body.predictedPosition + o;
        point.query.queryDirection = o - centreOffset;
    }
    for (int f = 0; f < body.faceCount; ++f)
        body.faces[f].worldNormal = Rotate(body.predictedRotation, body.faces[f].localNormal);
}

void RunBodyContacts(RigidBody& body, float, int recordForCar)
{
    if (!body.enabled)
        return;
    BodySurroundings& world = GetBodySurroundings();
    if (!world.IsWorldLoaded()) {
        body.FlatGroundContacts();
        body.FinishContacts();
        return;
    }
    Fixed reach = FixedFromMetres(body.radius);
    WorldObject* objects[MaxContactObjects];
    int count = world.CollectContactObjects(body.predictedPosition, reach, objects, MaxContactObjects);
    RigidBody* recordingCar = recordForCar ? MutablePhysicsStep.contactingCar : nullptr;
    if (recordingCar)
        ClearCarNearbyObjects(*recordingCar);
    if (count == 0) {
        body.FlatGroundContacts();
    } else {
        for (int i = 0; i < count; ++i) {
            if (!world.ObjectContainsPoint(*objects[i], body.predictedPosition.x, body.predictedPosition.y, reach))
                continue;
            body.ContactWorldObject(*objects[i], 1, 1, 1);
            if (recordingCar)
                OfferCarNearbyObject(*recordingCar, *objects[i]);
        }
    }

    // Body against body: each side tests its own points against the other's
    // faces, so a pair is handled from both sides over a step.
    ObjectSet* set = MutablePhysicsStep.currentSet;
    if (set && !MutablePhysicsStep.resimulatingCar) {
        for (int i = 0; i < set->count; ++i) {
            RigidBody& other = *set->members[i];
            if (&other == &body || !other.enabled || !(body.awake || other.awake))
                continue;
            FixedVector offset = other.predictedPosition - body.predictedPosition;
            Vec3 d = OffsetFromFixed(offset);
            float reachBoth = body.radius + other.radius;
            if (reachBoth * reachBoth > LengthSquared(d) && BodyBoxesOverlap(body, other) &&
                BodyBoxesOverlap(other, body))
                body.CollideWithBody(other, offset);
        }
    }
    body.FinishContacts();
}

void RigidBody::ContactWorldObject(WorldObject& object, int whenAbove, int whenFront, int whenRear)
{
    BodySurroundings& world = GetBodySurroundings();
    for (int i = 0; i < pointCount; ++i) {
        ContactPoint& point = points[i];
        int selector = point.local.z > centreOfMass.z ? whenAbove : point.local.y > 0 ? whenFront : whenRear;
        if (selector)
            world.ObjectContactQuery(object, point.query.queryPosition, point.query.queryDirection, point.query);
    }
}

void RigidBody::CollideWithBody(RigidBody& other, const FixedVector& offset)
{
    for (int i = 0; i < pointCount; ++i) {
        ContactQueryRecord& record = points[i].query;
        if (Dot16(record.queryDirection, offset) > 0)
            TestPointAgainstFaces(other, record.queryPosition, record.queryDirection, record);
    }
}

// Integer-exact segment test: the segment runs from P - D to P and must
// enter a face from outside.
void TestPointAgainstFaces(RigidBody& target, const FixedVector& position, const FixedVector& direction,
                           ContactQueryRecord& record)
{
    for (int f = 0; f < target.faceCount; ++f) {
        const BodyFace& face = target.faces[f];
        FixedVector n = FixedFromOffset(face.worldNormal);
        std::int64_t b = Dot16(direction, n);
        if (!(b < -64))
            continue;
        const FixedVector& a = face.corners[0]->query.queryPosition;
        std::int64_t v = Dot16(n, position - a);
        if (!(v < 0 && b < v))
            continue;
        // v × 65536 needs 64 bits once |v| reaches half a metre.
        Fixed w(std::int32_t((v * 65536) / b));
        if (!(w > record.hitDepth))
            continue;
        FixedVector h = position - Scale16(w, direction);
        bool inside = true;
        for (int e = 0; e < 3 && inside; ++e) {
            const FixedVector& from = face.corners[e]->query.queryPosition;
            const FixedVector& to = face.corners[(e + 1) % 3]->query.queryPosition;
            inside = Dot16(n, Cross16(to - from, h - from)) > 0;
        }
        if (!inside)
            continue;
        record.hitNormal = face.worldNormal;
        record.hitPosition = h;
        record.hitSurface = nullptr;
        record.hitBody = &target;
        record.hitDepth = w;
    }
}

void FlatGroundContact(ContactQueryRecord& record)
{
    std::int64_t pz = record.queryPosition.z.raw;
    std::int64_t dz = record.queryDirection.z.raw;
    if (!(dz < -64 && pz < 0 && dz < pz))
        return;
    Fixed w(std::int32_t((pz * 65536) / dz));
    if (!(w > record.hitDepth))
        return;
    record.hitNormal = {0, 0, 1};
    record.hitPosition = {record.queryPosition.x, record.queryPosition.y, Fixed(0)};
    record.hitSurface = nullptr;
    record.hitBody = nullptr;
    record.hitDepth = w;
}

void RigidBody::FlatGroundContacts()
{
    for (int i = 0; i < pointCount; ++i)
        FlatGroundContact(points[i].query);
}

void RigidBody::FinishContacts()
{
    BodySurroundings& world = GetBodySurroundings();
    int wallHits = 0;
    for (int i = 0; i < pointCount; ++i) {
        ContactPoint& point = points[i];
        const ContactQueryRecord& hit = point.query;
        if (hit.hitDepth.raw <= 0) {
            point.contact = 0;
            continue;
        }
        if (point.state != 0) {
            point.planeStart = point.planeEnd;
            point.normalStart = point.normalEnd;
        }
        point.planeEnd = OffsetFromFixed(hit.hitPosition - position);
        point.normalEnd = hit.hitNormal;
        if (point.state == 0) {
            point.planeStart = point.planeEnd;
            point.normalStart = point.normalEnd;
        }
        point.frictionStart = point.frictionEnd;
        point.frictionEnd = 1.0f;
        RigidBody* other = hit.hitBody;
        if (other && (awake || other->awake)) {
            if (movable)
                touched = 1;
            if (other->movable) {
                if (other->BodyKind() == 1 && MutablePhysicsStep.contactingCar)
                    NoteCarHitByBody(*other);
                other->touched = 1;
            }
            point.contact = 1;
        } else if (hit.hitSurface) {
            point.contact = std::uint8_t(1 + (world.SurfaceFlags(*hit.hitSurface) & 1));
            if (IsWallKind(world.SurfaceKind(*hit.hitSurface)))
                ++wallHits;
        } else {
            point.contact = 1;
        }
    }
    if (wallHits > 2 && GetCarRaceHooks().isHotLapTimed())
        GetCarRaceHooks().invalidateHotLap(HotLapWall);
}
