// Rigid bodies: set-up, mass properties, resets and the cheap overlap tests.
#include <cmath>

#include "vehicle/local.h"

namespace {

// The answers of no world loaded.
class NoWorld final : public BodySurroundings {};

NoWorld NoWorldSurroundings;
// Lives for the whole run; a loaded world replaces it while it is loaded.
BodySurroundings* Surroundings = &NoWorldSurroundings;

}  // namespace

BodySurroundings& GetBodySurroundings() { return *Surroundings; }

void SetBodySurroundings(BodySurroundings* surroundings)
{
    Surroundings = surroundings ? surroundings : &NoWorldSurroundings;
}

void InitRigidBody(RigidBody& body, int movable, int awake, WorldObject* owner)
{
    body.movable = std::uint8_t(movable);
    body.awake = std::uint8_t(awake);
    body.owner = owner;
    body.mass = 0;
    body.centreOfMass = {};
    body.inertia = {};
}

void InitContactPoint(ContactPoint& point)
{
    Vec3 local = point.local;
    point = {};
    point.local = local;
}

void ClearBodyArrays(RigidBody& body)
{
    body.points = nullptr;
    body.pointCount = 0;
    body.faces = nullptr;
    body.faceCount = 0;
}

void FreeBody(RigidBody& body)
{
    delete[] body.points;
    delete[] body.faces;
    ClearBodyArrays(body);
}

void UpdateBodyBounds(RigidBody& body)
{
    body.maxX = body.minX = body.maxY = body.minY = 0;
    for (int i = 0; i < body.pointCount; ++i) {
        const Vec3& p = body.points[i].local;
        body.maxX = std::fmax(body.maxX, p.x);
        body.minX = std::fmin(body.minX, p.x);
        body.maxY = std::fmax(body.maxY, p.y);
        body.minY = std::fmin(body.minY, p.y);
    }
}

namespace {

// Second moments of a triangle of mass m about its centroid, with the
// corners' coordinates p (and q) taken from the centroid.
float SquaredTerm(float m, float p1, float p2, float p3)
{
    return m / 18.0f * (p1 * p1 + p2 * p2 + p3 * p3 - (p1 * p2 + p1 * p3 + p2 * p3));
}

float ProductTerm(float m, float p1, float p2, float p3, float q1, float q2, float q3)
{
    return m / 18.0f *
           (p1 * q1 + p2 * q2 + p3 * q3 - (p1 * q2 + p1 * q3 + p2 * q1 + p2 * q3 + p3 * q1 + p3 * q2) / 2.0f);
}

}  // namespace

// The body is a thin shell of uniform areal density over its faces: each
// face is a point mass at its centroid plus its own second moments.
void ComputeMassProperties(RigidBody& body, float density)
{
    float totalMass = 0;
    Vec3 moment;
    float xx = 0, yy = 0, zz = 0, xy = 0, xz = 0, yz = 0;
    for (int f = 0; f < body.faceCount; ++f) {
        const BodyFace& face = body.faces[f];
        Vec3 a = face.corners[0]->local, b = face.corners[1]->local, c = face.corners[2]->local;
        float area = std::sqrt(LengthSquared(Cross(b - a, c - a))) / 2.0f;
        float m = area * density;
        Vec3 g = 0.33333334f * (a + b + c);
        totalMass += m;
        moment += m * g;
        xx += m * (g.y * g.y + g.z * g.z);
        yy += m * (g.x * g.x + g.z * g.z);
        zz += m * (g.x * g.x + g.y * g.y);
        xy -= m * g.x * g.y;
        xz -= m * g.x * g.z;
        yz -= m * g.y * g.z;
        Vec3 p1 = a - g, p2 = b - g, p3 = c - g;
        float sx = SquaredTerm(m, p1.x, p2.x, p3.x);
        float sy = SquaredTerm(m, p1.y, p2.y, p3.y);
        float sz = SquaredTerm(m, p1.z, p2.z, p3.z);
        xx += sy + sz;
        yy += sx + sz;
        zz += sx + sy;
        xy -= ProductTerm(m, p1.x, p2.x, p3.x, p1.y, p2.y, p3.y);
        xz -= ProductTerm(m, p1.x, p2.x, p3.x, p1.z, p2.z, p3.z);
        yz -= ProductTerm(m, p1.y, p2.y, p3.y, p1.z, p2.z, p3.z);
    }
    body.mass = totalMass;
    // A body without faces has no mass; its centre stays at the origin
    // rather than becoming 0/0.
    body.centreOfMass = totalMass > 0 ? (1.0f / totalMass) * moment : Vec3{};
    const Vec3& c = body.centreOfMass;
    xx -= totalMass * (c.y * c.y + c.z * c.z);
    yy -= totalMass * (c.x * c.x + c.z * c.z);
    zz -= totalMass * (c.x * c.x + c.y * c.y);
    xy += totalMass * c.x * c.y;
    xz += totalMass * c.x * c.z;
    yz += totalMass * c.y * c.z;
    body.inertia = {{xx, xy, xz, xy, yy, yz, xz, yz, zz}};
    InvertFloatMatrix(body.inverseInertia, body.inertia);
    float largest = 0;
    for (int i = 0; i < body.pointCount; ++i)
        largest = std::fmax(largest, LengthSquared(body.points[i].local));
    body.radius = std::sqrt(largest);
}

void ResetBody(RigidBody& body)
{
    body.touched = 0;
    body.enabled = 1;
    body.restPeriods = 0;
    body.displacement = body.velocity = body.angularMomentum = {};
    body.force = body.torque = body.impulse = body.angularImpulse = {};
    for (int i = 0; i < body.pointCount; ++i)
        InitContactPoint(body.points[i]);
    for (int f = 0; f < body.faceCount; ++f)
        body.faces[f].worldNormal = Rotate(body.rotation, body.faces[f].localNormal);
}

void MatrixTimesVector(const FloatMatrix& matrix, const Vec3& vector, Vec3& out)
{
    out = Rotate(matrix, vector);
}

namespace {

// Which sides of the body's box a predicted point lies beyond.
constexpr int BeyondMaxY = 1, BeyondMinY = 2, BeyondMaxX = 4, BeyondMinX = 8;

int SidesBeyond(const RigidBody& body, const FixedVector& point)
{
    Vec3 local = RotateByTranspose(body.predictedRotation, OffsetFromFixed(point - body.predictedPosition));
    int sides = 0;
    if (local.y > body.maxY) sides |= BeyondMaxY;
    if (local.y < body.minY) sides |= BeyondMinY;
    if (local.x > body.maxX) sides |= BeyondMaxX;
    if (local.x < body.minX) sides |= BeyondMinX;
    return sides;
}

}  // namespace

// The other's origin inside the box settles it; otherwise the other
// overlaps unless one side of the box has all its points beyond it.
bool BodyBoxesOverlap(const RigidBody& body, const RigidBody& other)
{
    int open = SidesBeyond(body, other.predictedPosition);
    if (open == 0)
        return true;
    for (int i = 0; i < other.pointCount; ++i) {
        open &= SidesBeyond(body, other.points[i].query.queryPosition);
        if (open == 0)
            return true;
    }
    return false;
}

bool BodyWithinReach(const RigidBody& body, Fixed x, Fixed y, int objectRadius)
{
    float dx = FixedToMetres(x - body.position.x);
    float dy = FixedToMetres(y - body.position.y);
    float d2 = dx * dx + dy * dy;
    if (d2 > 6400.0f)
        return false;
    if (d2 < 1.0f)
        return true;
    float d = std::sqrt(d2);
    float closing = std::fmax(0.0f, dx * body.velocity.x + dy * body.velocity.y) / d;
    return d - body.radius - float(objectRadius) - closing < 0.0f;
}
