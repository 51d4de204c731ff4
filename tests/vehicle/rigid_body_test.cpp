// Rigid bodies: mass properties of face shells, the integer contact
// queries and the overlap and reach tests.
#include "physics_fixture.h"

#include <cmath>

using testing_bodies::BoxSpec;
using testing_bodies::Metres;

namespace {

using RigidBodyTest = PhysicsTest;

// The second moments of a closed box shell, summed plate by plate: a plate
// of sides p and q at distance d from the centre has p^2/12 (or q^2/12)
// about its own axes plus d^2 for the axes across it.
void BoxShellInertia(const BoxSpec& s, double out[3])
{
    double a = 2.0 * s.halfX, b = 2.0 * s.halfY, c = 2.0 * s.halfZ;
    double density = s.mass / (2.0 * (a * b + a * c + b * c));
    double plateZ = density * a * b, plateY = density * a * c, plateX = density * b * c;
    double hx2 = double(s.halfX) * s.halfX, hy2 = double(s.halfY) * s.halfY, hz2 = double(s.halfZ) * s.halfZ;
    // Two plates of each pair.
    out[0] = 2 * (plateZ * (b * b / 12 + hz2) + plateY * (c * c / 12 + hy2) + plateX * (b * b + c * c) / 12);
    out[1] = 2 * (plateZ * (a * a / 12 + hz2) + plateX * (c * c / 12 + hx2) + plateY * (a * a + c * c) / 12);
    out[2] = 2 * (plateY * (a * a / 12 + hy2) + plateX * (b * b / 12 + hx2) + plateZ * (a * a + b * b) / 12);
}

TEST_F(RigidBodyTest, ShellMassPropertiesMatchClosedForms)
{
    struct Case {
        BoxSpec spec;
    };
    BoxSpec cube;
    cube.mass = 6.0f;
    BoxSpec offsetCube = cube;
    offsetCube.centreOffset = {1.0f, -2.0f, 3.0f};
    BoxSpec brick;
    brick.halfX = 0.25f;
    brick.halfY = 1.0f;
    brick.halfZ = 1.5f;
    brick.mass = 120.0f;
    const Case cases[] = {{cube}, {offsetCube}, {brick}};
    for (const Case& c : cases) {
        OwnedBox box(c.spec);
        const RigidBody& body = box.body;
        double expected[3];
        BoxShellInertia(c.spec, expected);
        // Single-precision sums over twelve faces: a few ulps of the total.
        double tolerance = 1e-5 * expected[0] + 1e-5 * c.spec.mass * (1 + LengthSquared(c.spec.centreOffset));
        EXPECT_NEAR(body.mass, c.spec.mass, 1e-5 * c.spec.mass);
        EXPECT_NEAR(body.centreOfMass.x, c.spec.centreOffset.x, 1e-5);
        EXPECT_NEAR(body.centreOfMass.y, c.spec.centreOffset.y, 1e-5);
        EXPECT_NEAR(body.centreOfMass.z, c.spec.centreOffset.z, 1e-5);
        for (int axis = 0; axis < 3; ++axis)
            EXPECT_NEAR(body.inertia.m[axis * 4], expected[axis], tolerance) << "axis " << axis;
        for (int e : {1, 2, 3, 5, 6, 7})
            EXPECT_NEAR(body.inertia.m[e], 0.0, tolerance) << "element " << e;
        // The inverse really is one.
        FloatMatrix product;
        MultiplyFloatMatrix(body.inertia, body.inverseInertia, product);
        for (int e = 0; e < 9; ++e)
            EXPECT_NEAR(product.m[e], e % 4 == 0 ? 1.0 : 0.0, 1e-4);
    }
    // The cube of side a: 5/18 M a^2.
    OwnedBox box(cube);
    EXPECT_NEAR(box.body.inertia.m[0], 5.0 / 18.0 * 6.0, 2e-5);
    EXPECT_NEAR(box.body.radius, std::sqrt(0.75), 1e-6);
    EXPECT_FLOAT_EQ(box.body.maxX, 0.5f);
    EXPECT_FLOAT_EQ(box.body.minY, -0.5f);
}

TEST_F(RigidBodyTest, BoundsAlwaysHoldTheOrigin)
{
    BoxSpec spec;
    spec.centreOffset = {2.0f, 3.0f, 0.0f};
    OwnedBox box(spec);
    EXPECT_FLOAT_EQ(box.body.minX, 0.0f);
    EXPECT_FLOAT_EQ(box.body.maxX, 2.5f);
    EXPECT_FLOAT_EQ(box.body.minY, 0.0f);
    EXPECT_FLOAT_EQ(box.body.maxY, 3.5f);
}

TEST_F(RigidBodyTest, FlatGroundQueryEdges)
{
    struct Case {
        std::int32_t pz, dz;
        std::int32_t priorDepth;
        std::int32_t expectedDepth;  // 0: no hit recorded
    };
    const Case cases[] = {
        {0, -65536, 0, 0},        // exactly on the plane: no contact
        {-1, -65536, 0, 1},       // just below, heading down: hit
        {-1, -64, 0, 0},          // direction not steeper than 64 units
        {-1, -65, 0, 1008},       // just steeper: (-1 x 65536) / -65 truncated
        {-100, -50, 0, 0},        // the whole segment lies below the plane
        {-32768, -65536, 0, 32768},
        {-32768, -65536, 40000, 40000},  // a deeper hit already recorded stays
        {-40000, -80000, 0, 32768},      // 64-bit product of the depth
    };
    for (const Case& c : cases) {
        ContactQueryRecord record;
        record.queryPosition = MakeFixedVector(12345, -678, c.pz);
        record.queryDirection = MakeFixedVector(0, 0, c.dz);
        record.hitDepth = Fixed(c.priorDepth);
        FlatGroundContact(record);
        EXPECT_EQ(record.hitDepth.raw, c.expectedDepth) << c.pz << " " << c.dz;
        if (c.expectedDepth != 0 && c.priorDepth == 0) {
            EXPECT_EQ(record.hitPosition, MakeFixedVector(12345, -678, 0));
            EXPECT_EQ(record.hitNormal, (Vec3{0, 0, 1}));
        }
    }
}

TEST_F(RigidBodyTest, SegmentAgainstFaces)
{
    OwnedBox target;  // unit cube about the origin
    target.body.PrepareBody(0.01f);
    struct Case {
        const char* what;
        FixedVector p, d;
        std::int32_t expectedDepth;  // 0: no hit
        FixedVector hit;
        Vec3 normal;
    };
    const Case cases[] = {
        {"into the top face", Metres(0.1, 0.2, 0.4), Metres(0, 0, -0.5), 13107, Metres(0.1, 0.2, 0.5), {0, 0, 1}},
        {"into the side +x", Metres(0.3, -0.2, 0.0), Metres(-1.0, 0, 0), 13107, Metres(0.5, -0.2, 0.0), {1, 0, 0}},
        // Just under the top face with the segment nearly parallel to it.
        {"parallel to the top", MakeFixedVector(6554, 13107, 32768 - 10), MakeFixedVector(0, 0, -64), 0, {}, {}},
        {"just steeper than parallel", MakeFixedVector(6554, 13107, 32768 - 10), MakeFixedVector(0, 0, -65), 10082,
         MakeFixedVector(6554, 13107, 32768), {0, 0, 1}},
        {"leaving the box", Metres(0.1, 0.1, 0.6), Metres(0, 0, 0.5), 0, {}, {}},
        {"short of the face", Metres(0.1, 0.1, 0.6), Metres(0, 0, -0.05), 0, {}, {}},
        {"beside the box", Metres(0.8, 0.1, 0.4), Metres(0, 0, -0.5), 0, {}, {}},
    };
    for (const Case& c : cases) {
        ContactQueryRecord record;
        TestPointAgainstFaces(target.body, c.p, c.d, record);
        EXPECT_NEAR(record.hitDepth.raw, c.expectedDepth, 1) << c.what;
        if (c.expectedDepth == 0)
            continue;
        EXPECT_EQ(record.hitBody, &target.body) << c.what;
        EXPECT_EQ(record.hitSurface, nullptr);
        for (int axis = 0; axis < 3; ++axis)
            EXPECT_NEAR(record.hitPosition[axis].raw, c.hit[axis].raw, 2) << c.what << " axis " << axis;
        EXPECT_NEAR(Dot(record.hitNormal, c.normal), 1.0f, 1e-6f) << c.what;
    }
    // Through a corner region two faces are crossed; the deeper one is kept.
    ContactQueryRecord record;
    TestPointAgainstFaces(target.body, Metres(0.45, 0.3, 0.3), Metres(-0.5, 0, -0.7), record);
    EXPECT_EQ(record.hitBody, &target.body);
    EXPECT_NEAR(Dot(record.hitNormal, Vec3{1, 0, 0}), 1.0f, 1e-6f);
}

TEST_F(RigidBodyTest, BoxOverlapFromEitherSide)
{
    OwnedBox a, b;
    struct Case {
        const char* what;
        double bx, by;
        bool expected;
    };
    const Case cases[] = {
        {"origin inside", 0.3, 0.2, true},
        {"beyond +x with points reaching in", 0.9, 0.0, true},
        {"beyond +x and all its points too", 1.2, 0.0, false},
        {"beyond a corner, reaching in", 0.9, 0.9, true},
        {"beyond +y only by its origin", 0.0, 0.99, true},
        {"far beyond -y", 0.0, -3.0, false},
    };
    for (const Case& c : cases) {
        FloatMatrix identity{{1, 0, 0, 0, 1, 0, 0, 0, 1}};
        testing_bodies::PlaceBody(a.body, Metres(0, 0, 1), identity);
        testing_bodies::PlaceBody(b.body, Metres(c.bx, c.by, 1), identity);
        a.body.PrepareBody(0.01f);
        b.body.PrepareBody(0.01f);
        EXPECT_EQ(BodyBoxesOverlap(a.body, b.body), c.expected) << c.what;
        EXPECT_EQ(BodyBoxesOverlap(b.body, a.body), c.expected) << c.what << " (other side)";
    }
    // Two of the other's points beyond the same side, its origin inside the
    // box: still overlapping.
    BoxSpec tall;
    tall.halfX = 0.1f;
    tall.halfY = 2.0f;
    OwnedBox c(tall);
    FloatMatrix identity{{1, 0, 0, 0, 1, 0, 0, 0, 1}};
    testing_bodies::PlaceBody(a.body, Metres(0, 0, 1), identity);
    testing_bodies::PlaceBody(c.body, Metres(0.2, 0, 1), identity);
    a.body.PrepareBody(0.01f);
    c.body.PrepareBody(0.01f);
    EXPECT_TRUE(BodyBoxesOverlap(a.body, c.body));
}

TEST_F(RigidBodyTest, ReachWithinOneSecond)
{
    OwnedBox box;  // radius 0.866 m
    struct Case {
        const char* what;
        double x;
        float vx;
        int objectRadius;
        bool expected;
    };
    const Case cases[] = {
        {"beyond 80 m", 81.0, 100.0f, 2, false},
        {"within 1 m", 0.9, -5.0f, 0, true},
        {"5 m away, closing at 3 m/s", 5.0, 3.0f, 2, true},
        {"5 m away, leaving", 5.0, -3.0f, 2, false},
        {"5 m away, still", 5.0, 0.0f, 2, false},
    };
    for (const Case& c : cases) {
        box.body.position = Metres(0, 0, 0);
        box.body.velocity = {c.vx, 0, 0};
        EXPECT_EQ(BodyWithinReach(box.body, FixedFromMetres(c.x), Fixed(0), c.objectRadius), c.expected) << c.what;
    }
}

TEST_F(RigidBodyTest, ResetKeepsThePoseAndClearsMotion)
{
    OwnedBox box;
    FloatMatrix turned{{0, -1, 0, 1, 0, 0, 0, 0, 1}};
    box.body.position = Metres(1, 2, 3);
    box.body.rotation = turned;
    box.body.velocity = {1, 2, 3};
    box.body.impulse = {4, 5, 6};
    box.body.restPeriods = 7;
    box.body.points[0].state = 1;
    box.body.points[0].anchor = {1, 1, 1};
    ResetBody(box.body);
    EXPECT_EQ(box.body.position, Metres(1, 2, 3));
    EXPECT_EQ(box.body.rotation, turned);
    EXPECT_EQ(box.body.velocity, Vec3{});
    EXPECT_EQ(box.body.impulse, Vec3{});
    EXPECT_EQ(box.body.restPeriods, 0);
    EXPECT_EQ(box.body.enabled, 1);
    EXPECT_EQ(box.body.points[0].state, 0);
    EXPECT_EQ(box.body.points[0].anchor, Vec3{});
    EXPECT_EQ(box.body.points[0].local, (Vec3{-0.5f, -0.5f, -0.5f}));
    // Face normals follow the rotation: the +x side now faces +y.
    for (int f = 0; f < box.body.faceCount; ++f) {
        if (box.body.faces[f].localNormal.x > 0.5f) {
            EXPECT_NEAR(box.body.faces[f].worldNormal.y, 1.0f, 1e-6f);
        }
    }
}

// A point easing out fast pulls (the linear contact's negative normal
// force); friction at its limit must still point back to the anchor, with
// the size of the limit, never along the slide.
TEST_F(RigidBodyTest, FrictionOfAPullingContactStillOpposesTheSlide)
{
    BoxSpec spec;
    spec.stiffness = 1000.0f;
    spec.damping = 1000.0f;
    spec.friction = 0.5f;
    OwnedBox box(spec);
    for (int i = 0; i < box.body.pointCount; ++i)
        box.body.points[i].contact = 0;
    ContactPoint& point = box.body.points[0];  // local (-0.5, -0.5, -0.5)
    point.contact = 1;
    point.normal = {0, 0, 1};
    point.plane = {0, 0, -0.49f};  // 1 cm into the surface
    point.frictionNow = 1.0f;
    point.lastDepth = 0.012f;      // easing out at 4 m/s
    point.anchor = {2.5f, -0.5f, -0.49f};  // 3 m away in x: 3000 N, beyond the limit
    SolvePointContacts(box.body, 0.0005f);
    float normalForce = 1000.0f * -4.0f + 1000.0f * 0.01f;
    EXPECT_NEAR(point.force.z, normalForce, 1e-2f);
    EXPECT_EQ(point.sliding, 1);
    EXPECT_GT(point.force.x, 0.0f);  // towards the anchor
    EXPECT_NEAR(point.force.x, 0.5f * -normalForce, 1e-2f);
    EXPECT_NEAR(point.force.y, 0.0f, 1e-3f);
}

}  // namespace
