// Figure skeletons: boxes and joints built from a skeleton set, their rest
// states, and posing a figure instance.
#include <cmath>
#include <numbers>

#include "world/local.h"

namespace {

constexpr double Pi = std::numbers::pi;

// The rest rotation of a body from its three angles: rows as below, which
// is a turn about z by a1, then about x by a2, then about y by a3.
FloatMatrix RestRotation(float a1, float a2, float a3)
{
    const double s1 = std::sin(a1), c1 = std::cos(a1);
    const double s2 = std::sin(a2), c2 = std::cos(a2);
    const double s3 = std::sin(a3), c3 = std::cos(a3);
    FloatMatrix m;
    m.m[0] = float(c3 * c1 - s1 * s3 * s2);
    m.m[1] = float(-s1 * c2);
    m.m[2] = float(s3 * c1 + s1 * c3 * s2);
    m.m[3] = float(c3 * s1 + c1 * s3 * s2);
    m.m[4] = float(c1 * c2);
    m.m[5] = float(s3 * s1 - c1 * c3 * s2);
    m.m[6] = float(-s3 * c2);
    m.m[7] = float(s2);
    m.m[8] = float(c3 * c2);
    return m;
}

FloatMatrix Transposed(const FloatMatrix& a)
{
    FloatMatrix t;
    for (int r = 0; r < 3; r++)
        for (int c = 0; c < 3; c++)
            t.m[r * 3 + c] = a.m[c * 3 + r];
    return t;
}

Vec3 MultiplyVector(const FloatMatrix& m, double x, double y, double z)
{
    return Vec3{float(m.m[0] * x + m.m[1] * y + m.m[2] * z),
                float(m.m[3] * x + m.m[4] * y + m.m[5] * z),
                float(m.m[6] * x + m.m[7] * y + m.m[8] * z)};
}

// One body of a skeleton: an eight-point box of the body record's half sizes at
// its rest pose, with the mass and inertia of a solid box of the set's
// density.
void BuildBody(const BodySpec& spec, float density, bool mirrored, ObjectBody& body,
               SkeletonBodyLook& look)
{
    const float hx = spec.halfSize[0], hy = spec.halfSize[1], hz = spec.halfSize[2];
    static constexpr int Signs[8][3] = {{1, 1, 1},  {-1, 1, 1},  {1, -1, 1},  {-1, -1, 1},
                                        {1, 1, -1}, {-1, 1, -1}, {1, -1, -1}, {-1, -1, -1}};
    for (int i = 0; i < ObjectBodyPointCount; i++)
        body.points[i].local = Vec3{Signs[i][0] * hx, Signs[i][1] * hy, Signs[i][2] * hz};
    for (int i = 0; i < 3; i++)
        look.halfSize[i] = spec.halfSize[i];
    for (int i = 0; i < 4; i++)
        look.colour[i] = spec.colour[i];
    body.mass = hx * hy * hz * 8.0f * density;
    body.radius = std::sqrt(hx * hx + hy * hy + hz * hz);
    body.stiffness = 1000.0f * body.mass;
    body.damping = 50.0f * body.mass;
    const float inertia[3] = {body.mass / 3.0f * (hy * hy + hz * hz),
                              body.mass / 3.0f * (hx * hx + hz * hz),
                              body.mass / 3.0f * (hx * hx + hy * hy)};
    body.inertia = FloatMatrix{};
    body.inverseInertia = FloatMatrix{};
    for (int i = 0; i < 3; i++) {
        body.inertia.m[i * 4] = inertia[i];
        body.inverseInertia.m[i * 4] = inertia[i] != 0.0f ? 1.0f / inertia[i] : 0.0f;
    }
    body.position = spec.position;
    float a1 = spec.angle[0], a3 = spec.angle[2];
    if (mirrored) {
        body.position.x = -body.position.x;
        a1 = -a1;
        a3 = -a3;
    }
    body.rotation = RestRotation(a1, spec.angle[1], a3);
}

// The body a joint side attaches to: the record's own body, or its mirrored
// twin on the mirrored side when the body is a pair.
int JointBody(const SkeletonSet& set, int specIndex, bool mirrored)
{
    const BodySpec& spec = set.bodies[size_t(specIndex)];
    return spec.firstBody + ((mirrored && (spec.flags & 1)) ? 1 : 0);
}

Vec3 AnchorInBody(const SkeletonSet& set, const BuiltSkeleton& built, int specIndex,
                  const FixedVector& anchor, bool mirrored)
{
    const BodySpec& spec = set.bodies[size_t(specIndex)];
    const ObjectBody& body = built.Body(JointBody(set, specIndex, mirrored));
    // The difference wraps at 32 bits as every 16.16 difference does.
    const FixedVector d = anchor - spec.position;
    double dx = double(d.x.raw) / 65536.0;
    double dy = double(d.y.raw) / 65536.0;
    double dz = double(d.z.raw) / 65536.0;
    if (mirrored)
        dx = -dx;
    return MultiplyVector(Transposed(body.rotation), dx, dy, dz);
}

void BuildJoint(const SkeletonSet& set, const BuiltSkeleton& built, const JointSpec& spec,
                bool mirrored, SkeletonJoint& joint)
{
    joint.kind = spec.kind;
    joint.bodyA = JointBody(set, spec.bodyA, mirrored);
    joint.bodyB = JointBody(set, spec.bodyB, mirrored);
    joint.anchorA = AnchorInBody(set, built, spec.bodyA, spec.anchor, mirrored);
    joint.anchorB = AnchorInBody(set, built, spec.bodyB, spec.anchor, mirrored);
    FloatMatrix rotation;
    if (spec.kind == 1) {
        // Body B's rest rotation turned about its own x axis by angle 2.
        rotation = built.Body(joint.bodyB).rotation;
        const double s = std::sin(spec.angle[1]), c = std::cos(spec.angle[1]);
        for (int r = 0; r < 3; r++) {
            const double y = rotation.m[r * 3 + 1], z = rotation.m[r * 3 + 2];
            rotation.m[r * 3 + 1] = float(c * y + s * z);
            rotation.m[r * 3 + 2] = float(-s * y + c * z);
        }
    } else {
        FloatMatrix turn, tilt;
        FloatRotationZ(turn, mirrored ? -spec.angle[0] : spec.angle[0]);
        FloatRotationXY(tilt, spec.angle[1], mirrored ? -spec.angle[2] : spec.angle[2]);
        MultiplyFloatMatrix(turn, tilt, rotation);
    }
    MultiplyFloatMatrix(Transposed(built.Body(joint.bodyA).rotation), rotation,
                        joint.restRotation);
    for (int i = 0; i < 2; i++)
        joint.limit[i] = float(2.0 * std::sin(spec.limit[i] * Pi / 360.0));
}

} // namespace

int CountBodySlots(const SkeletonSet& set)
{
    int slots = 0;
    for (const BodySpec& spec : set.bodies)
        slots += (spec.flags & 1) ? 2 : 1;
    return slots;
}

BuiltSkeleton::BuiltSkeleton(BuiltSkeleton&& other) noexcept
    : bodies(other.bodies), looks(std::move(other.looks)), joints(std::move(other.joints))
{
    InitObjectBodySet(other.bodies);
}

BuiltSkeleton& BuiltSkeleton::operator=(BuiltSkeleton&& other) noexcept
{
    if (this != &other) {
        FreeObjectBodySet(bodies);
        bodies = other.bodies;
        InitObjectBodySet(other.bodies);
        looks = std::move(other.looks);
        joints = std::move(other.joints);
    }
    return *this;
}

void BuildSkeleton(SkeletonSet& set, BuiltSkeleton& built)
{
    built = BuiltSkeleton{};
    CreateObjectBodyNodes(built.bodies, CountBodySlots(set));
    built.looks.resize(size_t(built.BodyCount()));
    int count = 0;
    for (BodySpec& spec : set.bodies) {
        spec.firstBody = count;
        for (int side = 0; side < ((spec.flags & 1) ? 2 : 1); side++, count++)
            BuildBody(spec, set.density, side == 1, built.bodies.nodes[count], built.looks[size_t(count)]);
    }
    for (JointSpec& spec : set.joints) {
        spec.firstJoint = static_cast<int32_t>(built.joints.size());
        for (int side = 0; side < ((spec.flags & 1) ? 2 : 1); side++) {
            built.joints.emplace_back();
            BuildJoint(set, built, spec, side == 1, built.joints.back());
        }
    }
    built.bodies.secondCount = static_cast<int32_t>(built.joints.size());
}

std::vector<ObjectState> SnapshotSkeleton(const BuiltSkeleton& built)
{
    std::vector<ObjectState> states(size_t(built.BodyCount()));
    StoreObjectStates(built.bodies, states.data());
    return states;
}

void InitFigureInstance(FigureInstance& instance)
{
    instance = FigureInstance{};
    instance.transform = IdentityTransform;
}

void FreeFigureInstance(FigureInstance& instance)
{
    InitFigureInstance(instance);
}

void SetFigurePose(FigureInstance& instance, const Pose* pose, const BuiltSkeleton& built)
{
    instance.bodyCount = built.BodyCount();
    if (pose && !pose->animationA.keys.empty()) {
        const std::vector<ObjectState>& first = pose->animationA.keys[0].states;
        instance.pose.assign(size_t(instance.bodyCount), ObjectState{IdentityMatrix, ZeroVector});
        for (size_t i = 0; i < instance.pose.size() && i < first.size(); i++)
            instance.pose[i] = first[i];
    } else {
        instance.pose = SnapshotSkeleton(built);
    }
}
