// Figures: skeletons built from their sets, animations, the figure file
// and the look-ups by gender.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "model_fixture.h"
#include "support/temp_folder.h"
#include "world/local.h"

namespace {

// A set of one root box and fifteen mirrored pairs: 31 body slots, one
// more than the smallest set that carries joints, animations and poses.
SkeletonSet MakeSet(int pairs = 15)
{
    SkeletonSet set;
    set.density = 980.0f;
    BodySpec root;
    root.halfSize[0] = 0.2f;
    root.halfSize[1] = 0.1f;
    root.halfSize[2] = 0.3f;
    root.position = MakeFixedVector(0, 3000, 60000);
    root.angle[0] = 0.3f;
    root.angle[1] = -0.2f;
    root.angle[2] = 0.7f;
    set.bodies.push_back(root);
    for (int i = 1; i <= pairs; i++) {
        BodySpec spec;
        spec.flags = 1;
        spec.halfSize[0] = 0.02f + 0.01f * i;
        spec.halfSize[1] = 0.03f;
        spec.halfSize[2] = 0.04f + 0.005f * i;
        spec.position = MakeFixedVector(6553 * i, 3276 * i, 65536 - 3276 * i);
        spec.angle[0] = 0.1f * i;
        spec.angle[1] = 0.05f * i;
        spec.angle[2] = -0.07f * i;
        set.bodies.push_back(spec);
        JointSpec joint;
        joint.kind = i % 2;
        joint.flags = 1;
        joint.anchor = MakeFixedVector(3000 * i, 1000, 59000);
        joint.limit[0] = 60.0f;
        joint.limit[1] = 20.0f + i;
        joint.bodyA = 0;
        joint.bodyB = i;
        joint.angle[0] = 0.2f;
        joint.angle[1] = 0.3f;
        joint.angle[2] = 0.4f;
        set.joints.push_back(joint);
    }
    return set;
}

// Independent 3x3 rotations in double.
struct M3 {
    double m[9];
};
M3 Mul(const M3& a, const M3& b)
{
    M3 r{};
    for (int i = 0; i < 3; i++)
        for (int j = 0; j < 3; j++)
            for (int k = 0; k < 3; k++)
                r.m[i * 3 + j] += a.m[i * 3 + k] * b.m[k * 3 + j];
    return r;
}
M3 Rx(double a) { return {{1, 0, 0, 0, std::cos(a), -std::sin(a), 0, std::sin(a), std::cos(a)}}; }
M3 Ry(double a) { return {{std::cos(a), 0, std::sin(a), 0, 1, 0, -std::sin(a), 0, std::cos(a)}}; }
M3 Rz(double a) { return {{std::cos(a), -std::sin(a), 0, std::sin(a), std::cos(a), 0, 0, 0, 1}}; }
M3 FromFloat(const FloatMatrix& f)
{
    M3 r;
    for (int i = 0; i < 9; i++)
        r.m[i] = f.m[i];
    return r;
}
void ExpectNear(const M3& a, const M3& b, double tolerance, const std::string& what)
{
    for (int i = 0; i < 9; i++)
        EXPECT_NEAR(a.m[i], b.m[i], tolerance) << what << " entry " << i;
}

class HumanTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetCoreTables();
        ResetWorldTables();
    }
    TempFolder folder;
};

TEST_F(HumanTest, BodiesAreBoxesWithTheirMassInertiaAndRestPose)
{
    SkeletonSet set = MakeSet();
    BuiltSkeleton built;
    BuildSkeleton(set, built);
    ASSERT_EQ(CountBodySlots(set), 31);
    ASSERT_EQ(built.BodyCount(), 31);
    EXPECT_EQ(built.bodies.secondCount, 30) << "the joint count";
    for (size_t s = 0; s < set.bodies.size(); s++) {
        const BodySpec& spec = set.bodies[s];
        EXPECT_EQ(spec.firstBody, s == 0 ? 0 : int(2 * s - 1));
        for (int side = 0; side < ((spec.flags & 1) ? 2 : 1); side++) {
            const ObjectBody& body = built.Body(spec.firstBody + side);
            EXPECT_EQ(built.looks[size_t(spec.firstBody + side)].halfSize[2], spec.halfSize[2]);
            // A solid box of full sizes a, b, c: mass rho a b c and
            // moments m (b^2 + c^2) / 12 about its centre.
            const double a = 2.0 * spec.halfSize[0], b = 2.0 * spec.halfSize[1], c = 2.0 * spec.halfSize[2];
            const double mass = set.density * a * b * c;
            EXPECT_NEAR(body.mass, mass, mass * 1e-5);
            EXPECT_NEAR(body.inertia.m[0], mass * (b * b + c * c) / 12, mass * 1e-5);
            EXPECT_NEAR(body.inertia.m[4], mass * (a * a + c * c) / 12, mass * 1e-5);
            EXPECT_NEAR(body.inertia.m[8], mass * (a * a + b * b) / 12, mass * 1e-5);
            EXPECT_EQ(body.inertia.m[1], 0.0f);
            EXPECT_NEAR(body.inertia.m[0] * body.inverseInertia.m[0], 1.0, 1e-5);
            EXPECT_EQ(body.BodyKind(), 2);
            ASSERT_EQ(body.pointCount, 8);
            EXPECT_NEAR(body.stiffness, 1000 * mass, mass * 1e-2);
            EXPECT_NEAR(body.damping, 50 * mass, mass * 1e-3);
            // Every corner lies on the bounding sphere.
            for (int k = 0; k < 8; k++) {
                const Vec3& corner = body.points[k].local;
                double r = std::sqrt(corner.x * corner.x + corner.y * corner.y + corner.z * corner.z);
                EXPECT_NEAR(r, body.radius, 1e-6);
            }
            EXPECT_EQ(body.points[0].local.x, spec.halfSize[0]);
            EXPECT_EQ(body.points[1].local.x, -spec.halfSize[0]);
            EXPECT_EQ(body.points[2].local.y, -spec.halfSize[1]);
            EXPECT_EQ(body.points[4].local.z, -spec.halfSize[2]);

            // The rest rotation is orthonormal with determinant 1, turns
            // about z, x and y in that order, and the mirrored body is its
            // reflection in x.
            const M3 r = FromFloat(body.rotation);
            M3 rt;
            for (int i = 0; i < 3; i++)
                for (int j = 0; j < 3; j++)
                    rt.m[i * 3 + j] = r.m[j * 3 + i];
            ExpectNear(Mul(r, rt), M3{{1, 0, 0, 0, 1, 0, 0, 0, 1}}, 1e-6, "orthonormal");
            const double det = r.m[0] * (r.m[4] * r.m[8] - r.m[5] * r.m[7]) -
                               r.m[1] * (r.m[3] * r.m[8] - r.m[5] * r.m[6]) +
                               r.m[2] * (r.m[3] * r.m[7] - r.m[4] * r.m[6]);
            EXPECT_NEAR(det, 1.0, 1e-6);
            M3 expected = Mul(Mul(Rz(spec.angle[0]), Rx(spec.angle[1])), Ry(spec.angle[2]));
            FixedVector position = spec.position;
            if (side == 1) {
                const M3 mirror{{-1, 0, 0, 0, 1, 0, 0, 0, 1}};
                expected = Mul(Mul(mirror, expected), mirror);
                position.x = -position.x;
            }
            ExpectNear(r, expected, 1e-6, "rest rotation");
            EXPECT_EQ(body.position, position);
        }
    }
}

TEST_F(HumanTest, JointsAnchorBothBodiesAtTheSamePoint)
{
    SkeletonSet set = MakeSet();
    BuiltSkeleton built;
    BuildSkeleton(set, built);
    ASSERT_EQ(built.joints.size(), 30u);
    for (size_t j = 0; j < set.joints.size(); j++) {
        const JointSpec& spec = set.joints[j];
        EXPECT_EQ(spec.firstJoint, int(2 * j));
        for (int side = 0; side < 2; side++) {
            const SkeletonJoint& joint = built.joints[size_t(spec.firstJoint + side)];
            EXPECT_EQ(joint.bodyA, 0);
            EXPECT_EQ(joint.bodyB, set.bodies[size_t(spec.bodyB)].firstBody + side);
            // Taking each body's anchor back to the figure's frame gives
            // the anchor (mirrored in x on the second side).
            const double anchor[3] = {(side ? -1.0 : 1.0) * spec.anchor.x.raw / 65536.0,
                                      spec.anchor.y.raw / 65536.0, spec.anchor.z.raw / 65536.0};
            for (int end = 0; end < 2; end++) {
                const ObjectBody& body = built.Body(end ? joint.bodyB : joint.bodyA);
                const Vec3& local = end ? joint.anchorB : joint.anchorA;
                const float* r = body.rotation.m;
                const double p[3] = {body.position.x.raw / 65536.0, body.position.y.raw / 65536.0,
                                     body.position.z.raw / 65536.0};
                for (int i = 0; i < 3; i++)
                    EXPECT_NEAR(p[i] + r[i * 3] * local.x + r[i * 3 + 1] * local.y + r[i * 3 + 2] * local.z,
                                anchor[i], 1e-5)
                        << "joint " << j << " side " << side << " end " << end;
            }
            // Limits are the chords of the limit angles.
            EXPECT_NEAR(joint.limit[1], 2 * std::sin(spec.limit[1] * M_PI / 360), 1e-6);
            // A hinge's rest rotation is body B's turned about its own x.
            const M3 a = FromFloat(built.Body(joint.bodyA).rotation);
            const M3 world = Mul(a, FromFloat(joint.restRotation));
            if (spec.kind == 1) {
                const M3 b = FromFloat(built.Body(joint.bodyB).rotation);
                ExpectNear(world, Mul(b, Rx(spec.angle[1])), 1e-5, "hinge");
            } else {
                const double sign = side ? -1.0 : 1.0;
                ExpectNear(world, Mul(Mul(Rz(sign * spec.angle[0]), Rx(spec.angle[1])), Ry(sign * spec.angle[2])),
                           1e-5, "joint");
            }
        }
    }
}

// Writes an animation record storing stored body states per key, followed
// by a marker, and reads it for a skeleton of bodies bodies.
TEST_F(HumanTest, AnimationKeepsItsPlaceWhateverBodyCountItStores)
{
    constexpr int Bodies = 5;
    for (int stored : {Bodies + 3, Bodies, Bodies - 2}) {
        {
            DataFile writer;
            CreateDataFile(writer, nullptr, "a.ban", AnimationMagic, AnimationVersion);
            WriteInt(writer, 7);
            WriteFloat(writer, 2.5f);
            WriteShort(writer, 2);
            WriteShort(writer, stored);
            for (int key = 0; key < 2; key++) {
                WriteFloat(writer, key * 0.5f);
                for (int b = 0; b < stored; b++)
                    for (int v = 0; v < 12; v++)
                        WriteInt(writer, 1000 * key + 100 * b + v);
            }
            WriteInt(writer, 0x5A5A5A5A);
            ASSERT_EQ(CloseDataFile(writer), 1);
        }
        DataFile reader;
        int version = 0;
        LoadDataFile(reader, nullptr, "a.ban", AnimationMagic, version, AnimationVersion, false);
        ASSERT_TRUE(reader.IsOpen());
        AnimHolder animation;
        ASSERT_EQ(ReadAnimHolder(animation, reader, Bodies), 1) << stored;
        EXPECT_EQ(animation.mode, 7);
        EXPECT_EQ(animation.rate, 2.5f);
        ASSERT_EQ(animation.keys.size(), 2u);
        for (int key = 0; key < 2; key++) {
            EXPECT_EQ(animation.keys[size_t(key)].time, key * 0.5f);
            ASSERT_EQ(animation.keys[size_t(key)].states.size(), size_t(Bodies));
            for (int b = 0; b < Bodies; b++) {
                const ObjectState& s = animation.keys[size_t(key)].states[size_t(b)];
                if (b < stored) {
                    EXPECT_EQ(s.rotation.m[0].raw, 1000 * key + 100 * b);
                    EXPECT_EQ(s.position.z.raw, 1000 * key + 100 * b + 11);
                } else {
                    EXPECT_EQ(s.rotation, IdentityMatrix);
                    EXPECT_EQ(s.position, ZeroVector);
                }
            }
        }
        EXPECT_EQ(ReadInt(reader), 0x5A5A5A5A) << "next record intact, stored " << stored;
    }
}

// A small file must not make a huge pose table: keys that store no states
// still get one per body of the skeleton.
TEST_F(HumanTest, AnimationThatWouldExpandBeyondTheBoundIsRefused)
{
    for (int keys : {4096, 65535}) {
        DataFile writer;
        CreateDataFile(writer, nullptr, "wide.ban", AnimationMagic, AnimationVersion);
        WriteInt(writer, 0);
        WriteFloat(writer, 1.0f);
        WriteShort(writer, keys);
        WriteShort(writer, 0);
        for (int key = 0; key < keys; key++)
            WriteFloat(writer, float(key));
        ASSERT_EQ(CloseDataFile(writer), 1);
        AnimHolder animation;
        EXPECT_EQ(LoadAnimation(animation, nullptr, "wide.ban", 200), keys * 200 <= MaxAnimationStates ? 1 : 0)
            << keys;
    }
}

TEST_F(HumanTest, AnimationFilesOfOldOrLaterVersionsAreRefused)
{
    AnimHolder animation;
    animation.keys.resize(1);
    animation.keys[0].states.assign(3, ObjectState{IdentityMatrix, ZeroVector});
    ASSERT_EQ(SaveAnimation(animation, "a.ban"), 1);
    std::string bytes = folder.ReadFile("a.ban");
    for (int version : {247, 248, 249, 250, 251, 252}) {
        bytes[7] = static_cast<char>(version & 0xFF);
        bytes[6] = static_cast<char>(version >> 8);
        folder.WriteFile("v.ban", bytes);
        AnimHolder loaded;
        EXPECT_EQ(LoadAnimation(loaded, nullptr, "v.ban", 3), version >= 249 && version <= 251 ? 1 : 0)
            << version;
    }
    for (size_t length = 0; length < bytes.size(); length++) {
        folder.WriteFile("cut.ban", bytes.substr(0, length));
        AnimHolder loaded;
        EXPECT_EQ(LoadAnimation(loaded, nullptr, "cut.ban", 3), 0) << length;
        EXPECT_TRUE(loaded.keys.empty());
    }
}

// A figure file of two sets and one figure per set, saved and loaded.
HumanSystem MakeSystem()
{
    HumanSystem system;
    system.sets = {MakeSet(), MakeSet()};
    system.sets[1].density = 900.0f;
    for (SkeletonSet& set : system.sets) {
        set.animationCount = 1;
        set.animations[0].keys.resize(2);
        for (AnimationKey& key : set.animations[0].keys)
            key.states.assign(31, ObjectState{IdentityMatrix, MakeFixedVector(1, 2, 3)});
        Pose pose;
        pose.flags = PoseFlagBlend;
        pose.useMask = PoseUseDefault;
        pose.animationA = set.animations[0];
        pose.animationB = set.animations[0];
        pose.blendStart = 0.25f;
        pose.blendEnd = 0.75f;
        set.poses = {pose, Pose{}};
        set.poses[1].animationA.keys.resize(1);
        set.poses[1].animationA.keys[0].states.assign(31, ObjectState{IdentityMatrix, ZeroVector});
    }
    for (int gender = 0; gender < 2; gender++) {
        FigureModel& figure = system.models.emplace_back();
        figure.flags = FigureFlagDriver | (gender ? FigureFlagMarshal : 0);
        figure.skeletonSet = gender;
        fixture::MakeBox(figure.model, gender ? "female" : "male");
        for (size_t i = 0; i < figure.model.points.size(); i++)
            figure.model.points[i].joint = static_cast<uint8_t>(i * 4);
        figure.model.grid.rows = 1 + gender;
        figure.model.grid.cells.resize(size_t(figure.model.grid.rows * figure.model.grid.columns));
    }
    return system;
}

TEST_F(HumanTest, FigureFileLoadsBuildsAndRewritesTheSameBytes)
{
    folder.WriteFile("data/hmn/.keep", "");
    HumanSystem system = MakeSystem();
    ASSERT_EQ(SaveHumanFile(system, HumanSystemFile), 1);
    ASSERT_EQ(LoadHumans(nullptr), 1);
    EXPECT_EQ(LoadHumans(nullptr), 0) << "already loaded";
    ASSERT_EQ(Humans.sets.size(), 2u);
    EXPECT_EQ(Humans.sets[1].density, 900.0f);
    EXPECT_EQ(Humans.built[1].BodyCount(), 31);
    EXPECT_EQ(Humans.built[1].joints.size(), 30u);
    ASSERT_EQ(Humans.variants.size(), 3u) << "one variant per colour row";
    EXPECT_EQ(Humans.variants[2].row, 1);
    EXPECT_EQ(Humans.sets[0].poses[0].blendEnd, 0.75f);
    EXPECT_EQ(Humans.sets[0].poses[1].animationB.keys.size(), 0u);
    ASSERT_EQ(SaveHumanFile(Humans, "again.hmn"), 1);
    EXPECT_EQ(folder.ReadFile("again.hmn"), folder.ReadFile("data/hmn/hmn.hmn"));

    ReloadHumans();
    EXPECT_EQ(Humans.variants.size(), 3u);
    FreeHumans();
    EXPECT_EQ(Humans.loaded, 0);
    EXPECT_TRUE(Humans.models.empty());
}

TEST_F(HumanTest, FigureFilesWithBadCountsOrIndexesAreRefused)
{
    struct Case {
        const char* what;
        void (*spoil)(HumanSystem&);
    };
    const Case cases[] = {
        {"skeleton set of a figure", [](HumanSystem& s) { s.models[1].skeletonSet = 2; }},
        {"negative skeleton set", [](HumanSystem& s) { s.models[0].skeletonSet = -1; }},
        {"joint of a point", [](HumanSystem& s) { s.models[0].model.points[3].joint = 31; }},
        {"body of a joint", [](HumanSystem& s) { s.sets[1].joints[4].bodyB = 16; }},
        {"negative body of a joint", [](HumanSystem& s) { s.sets[0].joints[0].bodyA = -1; }},
    };
    for (const Case& c : cases) {
        HumanSystem system = MakeSystem();
        c.spoil(system);
        ASSERT_EQ(SaveHumanFile(system, "bad.hmn"), 1);
        HumanSystem loaded;
        EXPECT_EQ(ReadHumanFile(loaded, "bad.hmn", nullptr), 0) << c.what;
        EXPECT_TRUE(loaded.models.empty() && loaded.sets.empty()) << c.what;
    }

    // More bodies than a point's byte can name.
    {
        HumanSystem system;
        system.sets = {MakeSet(128)};  // 257 slots
        ASSERT_EQ(SaveHumanFile(system, "big.hmn"), 1);
        HumanSystem loaded;
        EXPECT_EQ(ReadHumanFile(loaded, "big.hmn", nullptr), 0);
    }

    // Anchors and positions at the far ends of the 16.16 range build
    // without overflow (their difference wraps as 16.16 differences do).
    {
        HumanSystem system = MakeSystem();
        system.sets[0].joints[2].anchor = MakeFixedVector(2000000000, -2000000000, 7);
        system.sets[0].bodies[3].position = MakeFixedVector(-2000000000, 2000000000, 0);
        ASSERT_EQ(SaveHumanFile(system, "far.hmn"), 1);
        HumanSystem loaded;
        ASSERT_EQ(ReadHumanFile(loaded, "far.hmn", nullptr), 1);
        BuildFigures(loaded);
        EXPECT_EQ(loaded.built[0].BodyCount(), 31);
    }

    // More animations than the 18 slots.
    {
        DataFile writer;
        CreateDataFile(writer, nullptr, "many.hmn", HumanSystemMagic, HumanSystemVersion);
        WriteInt(writer, 0);
        WriteInt(writer, 1);
        WriteFloat(writer, 1000.0f);
        WriteInt(writer, 31);
        for (int i = 0; i < 31 * 11; i++)
            WriteInt(writer, 0);
        WriteInt(writer, 0);
        WriteInt(writer, AnimationSlotCount + 1);
        for (int i = 0; i < AnimationSlotCount + 1; i++) {
            WriteInt(writer, 0);
            WriteFloat(writer, 1.0f);
            WriteShort(writer, 0);
            WriteShort(writer, 0);
        }
        WriteInt(writer, 0);
        ASSERT_EQ(CloseDataFile(writer), 1);
        HumanSystem loaded;
        EXPECT_EQ(ReadHumanFile(loaded, "many.hmn", nullptr), 0);
    }

    // Prefixes of a good file: every length through the figure models and
    // into the first set, then every 13th (all offsets within a field).
    ASSERT_EQ(SaveHumanFile(MakeSystem(), "good.hmn"), 1);
    std::string bytes = folder.ReadFile("good.hmn");
    for (size_t length = 8; length < bytes.size(); length += length < 2500 ? 1 : 13) {
        std::vector<uint8_t> image(bytes.begin(), bytes.begin() + std::ptrdiff_t(length));
        DataFile reader;
        int version = 0;
        OpenDataBlock(reader, image.data(), image.size(), version);
        HumanSystem loaded;
        ASSERT_EQ(ReadHumanData(loaded, reader, version, "cut"), 0) << length;
    }
}

TEST_F(HumanTest, SmallSetKeepsNoBodiesAndTheNextSetStillReads)
{
    HumanSystem system;
    system.sets = {MakeSet(14), MakeSet()};  // 29 and 31 slots
    system.sets[0].joints.clear();
    ASSERT_EQ(SaveHumanFile(system, "small.hmn"), 1);
    HumanSystem loaded;
    ASSERT_EQ(ReadHumanFile(loaded, "small.hmn", nullptr), 1);
    EXPECT_TRUE(loaded.sets[0].bodies.empty());
    EXPECT_EQ(loaded.sets[1].bodies.size(), 16u);
    EXPECT_EQ(loaded.sets[1].joints.size(), 15u);
}

TEST_F(HumanTest, LookUpsByGenderOverTheVariants)
{
    struct Variant {
        int flags, set;
    };
    auto load = [](std::initializer_list<Variant> variants) {
        InitHumanSystem(MutableHumans);
        MutableHumans.loaded = 1;
        for (const Variant& v : variants) {
            FigureVariant f;
            f.flags = v.flags;
            f.skeletonSet = v.set;
            MutableHumans.variants.push_back(f);
        }
    };
    load({{0, 0}, {FigureFlagDriver, 0}, {FigureFlagDriver, 0}, {FigureFlagDriver | FigureFlagCrowd, 1},
          {FigureFlagMarshal, 1}});
    EXPECT_EQ(FindFigureOfGender(0), 1);
    EXPECT_EQ(FindFigureOfGender(1), 3);
    EXPECT_EQ(FindFigureOfGender(2), 5) << "the variant count when none";
    EXPECT_EQ(FindLastFigureOfGender(0), 2);
    EXPECT_EQ(FindLastFigureOfGender(1), 3);
    EXPECT_EQ(GetFigureGender(4), 1);
    EXPECT_EQ(GetFigureGender(-1), 2);
    EXPECT_EQ(GetFigureGender(5), 2);
    EXPECT_EQ(FindMarshalFigure(Humans), &Humans.variants[4]);

    // The only driver at index 0 is never found from the end.
    load({{FigureFlagDriver, 0}, {0, 0}});
    EXPECT_EQ(FindFigureOfGender(0), 0);
    EXPECT_EQ(FindLastFigureOfGender(0), 0);
    EXPECT_EQ(FindMarshalFigure(Humans), nullptr);

    InitHumanSystem(MutableHumans);
    EXPECT_EQ(FindFigureOfGender(0), 0);
    EXPECT_EQ(GetFigureGender(0), 2);
}

TEST_F(HumanTest, FigurePosesFromTheFirstKeyOrAtRest)
{
    SkeletonSet set = MakeSet();
    BuiltSkeleton built;
    BuildSkeleton(set, built);
    std::vector<ObjectState> rest = SnapshotSkeleton(built);
    ASSERT_EQ(rest.size(), 31u);
    EXPECT_EQ(rest[2].position, built.Body(2).position);
    EXPECT_NEAR(rest[2].rotation.m[4].raw, built.Body(2).rotation.m[4] * 65536.0, 0.5);

    AnimHolder held;
    MakeAnimHolder(held, built);
    ASSERT_EQ(held.keyCount, 1);
    EXPECT_EQ(held.keys[0].time, 0.0f);
    EXPECT_EQ(held.rate, 1.0f);

    Pose pose;
    pose.animationA.keys.resize(2);
    pose.animationA.keys[0].states.assign(31, ObjectState{IdentityMatrix, MakeFixedVector(9, 8, 7)});
    pose.animationA.keys[1].states.assign(31, ObjectState{IdentityMatrix, ZeroVector});
    FigureInstance instance;
    InitFigureInstance(instance);
    EXPECT_EQ(instance.transform, IdentityTransform);
    SetFigurePose(instance, &pose, built);
    ASSERT_EQ(instance.bodyCount, 31);
    EXPECT_EQ(instance.pose[30].position, MakeFixedVector(9, 8, 7));
    SetFigurePose(instance, nullptr, built);
    EXPECT_EQ(instance.pose[5].position, rest[5].position);
    FreeFigureInstance(instance);
    EXPECT_TRUE(instance.pose.empty());
}

} // namespace
