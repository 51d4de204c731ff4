// The world's figures: crowds drawn slot by slot from the shared random
// value, checked against the draws worked out here, figure objects and the
// world's three marshals.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "world/local.h"

namespace {

uint16_t Next(uint16_t x) { return uint16_t(x * 5u + 1u); }

// A skeleton set of one box with the given poses, each a first key that
// puts the box at its own x (m), so a figure's pose shows which was taken.
SkeletonSet MakeSet(const std::vector<Pose>& poses)
{
    SkeletonSet set;
    BodySpec root;
    root.halfSize[0] = root.halfSize[1] = root.halfSize[2] = 0.2f;
    set.bodies.push_back(root);
    set.poses = poses;
    return set;
}

Pose MakePose(int32_t useMask, double x, int32_t flags = 0, float blendStart = 0, float blendEnd = 1)
{
    Pose pose;
    pose.useMask = useMask;
    pose.flags = flags;
    pose.blendStart = blendStart;
    pose.blendEnd = blendEnd;
    pose.animationA.keys.resize(1);
    pose.animationA.keys[0].states.assign(1, ObjectState{IdentityMatrix, {FixedFromMetres(x), Fixed(0), Fixed(0)}});
    if (flags & PoseFlagBlend) {
        pose.animationB.keys.resize(1);
        pose.animationB.keys[0].states.assign(1, ObjectState{IdentityMatrix, {FixedFromMetres(x + 1), Fixed(0), Fixed(0)}});
    }
    return pose;
}

struct VariantSpec {
    int32_t flags;
    int set;
    float value;
};

// Puts the figure data in place: the sets built, one variant per spec.
void LoadFigures(std::vector<SkeletonSet> sets, const std::vector<VariantSpec>& variants)
{
    InitHumanSystem(MutableHumans);
    MutableHumans.loaded = 1;
    MutableHumans.sets = std::move(sets);
    MutableHumans.built.resize(MutableHumans.sets.size());
    for (size_t i = 0; i < MutableHumans.sets.size(); i++)
        BuildSkeleton(MutableHumans.sets[i], MutableHumans.built[i]);
    for (const VariantSpec& v : variants) {
        FigureVariant f;
        f.flags = v.flags;
        f.skeletonSet = v.set;
        f.value = v.value;
        MutableHumans.variants.push_back(f);
    }
}

double PoseX(const FigureInstance& figure) { return figure.pose.at(0).position.x.raw / 65536.0; }

class WorldFiguresTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetCoreTables();
        ResetWorldTables();
        LoadFigures({MakeSet({MakePose(PoseUseDefault, 5)})},
                    {{FigureFlagDriver, 0, 1.0f}, {FigureFlagCrowd, 0, 1.0f}, {FigureFlagMarshal, 0, 1.0f}});
    }
    void TearDown() override { InitHumanSystem(MutableHumans); }
};

// Which slots take a figure: the slot decisions are consecutive draws,
// because every taken slot puts the value back after its own draws.
std::vector<int> TakenSlots(int slots, int chance, uint16_t seed)
{
    std::vector<int> taken;
    uint16_t r = seed;
    for (int i = 0; i < slots; i++) {
        r = Next(r);
        if (r % 100 < chance)
            taken.push_back(i);
    }
    return taken;
}

TEST_F(WorldFiguresTest, CrowdSlotsFollowTheDrawsAlongTheRow)
{
    struct Case {
        float length, density;
        uint16_t seed;
        int slots;
    };
    const Case cases[] = {
        {5.0f, 0.5f, 1234, 6}, {5.0f, 0.5f, 40000, 6}, {5.0f, 0.0f, 1234, 6},
        {5.0f, 1.0f, 999, 6},  {12.3f, 0.3f, 7, 15},   {0.7f, 1.0f, 7, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.length << " m at " << c.density << " from " << c.seed);
        CrowdObject crowd;
        crowd.x = FixedFromMetres(100);
        crowd.y = FixedFromMetres(-20);
        crowd.heading = 0.5f;
        crowd.length = c.length;
        crowd.startHeight = 1;
        crowd.endHeight = 3;
        uint16_t random = c.seed;
        PlaceCrowd(crowd, c.density, random);
        const std::vector<int> taken = TakenSlots(c.slots, int(std::lround(c.density * 100)), c.seed);
        ASSERT_EQ(crowd.figures.size(), taken.size());
        if (c.density == 1.0f) {
            EXPECT_EQ(int(taken.size()), c.slots) << "every slot taken";
        }
        const double step = double(c.length) / c.slots;
        const double turn = double(HeadingToAngle16(crowd.heading)) / 65536.0 * 2 * M_PI;
        for (size_t k = 0; k < taken.size(); k++) {
            const int i = taken[k];
            const double along = i * step - c.length / 2.0 + step / 2.0;
            const double b = double(i) / c.slots + 1.0 / (2.0 * c.slots);
            const FigureInstance& f = *crowd.figures[k];
            EXPECT_EQ(f.variant, &Humans.variants[1]) << "the crowd variant";
            EXPECT_NEAR(f.transform.translation.x.raw / 65536.0, 100 + along * std::cos(turn), 1e-3);
            EXPECT_NEAR(f.transform.translation.y.raw / 65536.0, -20 + along * std::sin(turn), 1e-3);
            EXPECT_NEAR(f.transform.translation.z.raw / 65536.0, 1 + b * 2, 1e-3);
            // The rotation scaled by 0.9 .. 1.1: its vertical axis shows the scale.
            const double scale = f.transform.matrix.m[8].raw / 65536.0;
            EXPECT_GE(scale, 0.9 - 1e-4);
            EXPECT_LE(scale, 1.1 + 1e-4);
            EXPECT_NEAR(f.transform.matrix.m[0].raw / 65536.0, std::cos(turn) * scale, 1e-3);
            EXPECT_EQ(PoseX(f), 5.0);
        }
        // The same value gives the same crowd.
        CrowdObject again;
        again.x = crowd.x;
        again.y = crowd.y;
        again.heading = crowd.heading;
        again.length = crowd.length;
        again.startHeight = 1;
        again.endHeight = 3;
        uint16_t sameRandom = c.seed;
        PlaceCrowd(again, c.density, sameRandom);
        EXPECT_EQ(sameRandom, random);
        ASSERT_EQ(again.figures.size(), crowd.figures.size());
        for (size_t k = 0; k < again.figures.size(); k++)
            EXPECT_EQ(again.figures[k]->transform, crowd.figures[k]->transform);
        FreeCrowd(crowd);
        EXPECT_TRUE(crowd.figures.empty());
    }
}

TEST_F(WorldFiguresTest, CrowdPosesKeepToThePoseBitAndTheBlendRange)
{
    // Pose 0 is a default pose, pose 1 the only one with bit 3, pose 2 a
    // blend with bit 4 over ratios 0 .. 4, pose 3 one with bit 4 whose range
    // no ratio near 0.5 reaches.
    LoadFigures({MakeSet({MakePose(PoseUseDefault, 5), MakePose(1 << 3, 7), MakePose(1 << 4, 10, PoseFlagBlend, 0, 4),
                          MakePose(1 << 4, 20, 1, 3, 4)})},
                {{FigureFlagCrowd, 0, 1.0f}});
    const std::vector<ObjectState> rest = SnapshotSkeleton(Humans.built[0]);
    struct Case {
        int poseBit;
        double lowest, highest;  // the box's x in the chosen pose
    };
    // A blend pose at ratio r = 0.5 / scale (scale 0.9 .. 1.1) lies at
    // 10 + r / 4 along its blend.
    const Case cases[] = {{3, 7, 7}, {0, 5, 5}, {4, 10 + 0.5 / 1.1 / 4 - 1e-3, 10 + 0.5 / 0.9 / 4 + 1e-3}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.poseBit);
        CrowdObject crowd;
        crowd.length = 8;
        crowd.poseBit = c.poseBit;
        uint16_t random = 321;
        PlaceCrowd(crowd, 1.0f, random);
        ASSERT_EQ(crowd.figures.size(), 10u);
        for (const FigureInstance* f : crowd.figures) {
            EXPECT_GE(PoseX(*f), c.lowest);
            EXPECT_LE(PoseX(*f), c.highest);
        }
    }
    const std::vector<ObjectState> after = SnapshotSkeleton(Humans.built[0]);
    EXPECT_EQ(after[0].position, rest[0].position) << "the shared skeleton is back at rest";

    // A pose bit no pose has: the figures stand at rest.
    CrowdObject crowd;
    crowd.length = 2;
    crowd.poseBit = 9;
    uint16_t random = 5;
    PlaceCrowd(crowd, 1.0f, random);
    ASSERT_EQ(crowd.figures.size(), 2u);
    EXPECT_EQ(crowd.figures[0]->pose[0].position, rest[0].position);
}

TEST_F(WorldFiguresTest, FigureDataWithoutTheirVariantsPlacesNothing)
{
    LoadFigures({MakeSet({MakePose(PoseUseDefault, 5)})}, {{FigureFlagDriver, 0, 1.0f}});
    CrowdObject crowd;
    uint16_t random = 77;
    PlaceCrowd(crowd, 1.0f, random);
    EXPECT_TRUE(crowd.figures.empty());
    FigureObject figure;
    PlaceFigureObject(figure, random);
    EXPECT_EQ(figure.figure, nullptr);
    World world;
    PlaceWorldFigures(world);
    for (FigureInstance* marshal : world.marshals)
        EXPECT_EQ(marshal, nullptr);
}

TEST_F(WorldFiguresTest, TheWorldPlacesItsFiguresAndMarshalsAndKeepsItsRandomValue)
{
    // Marshal poses: bit 0 at 1 and 3 (the last one wins), bit 8 at 4; no
    // pose has bit 9, so the third marshal takes the first default pose.
    LoadFigures({MakeSet({MakePose(PoseUseDefault, 1), MakePose(PoseUseExtraFigure2 | 2, 2),
                          MakePose(PoseUseDefault, 3), MakePose(PoseUseExtraFigure2, 4)})},
                {{FigureFlagCrowd, 0, 1.0f}, {FigureFlagMarshal, 0, 1.0f}});
    World world;
    auto* crowd = static_cast<CrowdObject*>(NewWorldObject(ObjectTypeCrowd));
    crowd->length = 4;
    auto* figure = static_cast<FigureObject*>(NewWorldObject(ObjectTypeFigure));
    figure->x = FixedFromMetres(3);
    figure->y = FixedFromMetres(4);
    figure->height = 1.5f;
    world.objects = {crowd, figure};
    world.crowdDensity = 1.0f;
    world.random = 4242;
    PlaceWorldFigures(world);
    EXPECT_EQ(world.random, 4242) << "a computer without figures draws the same race";
    EXPECT_EQ(crowd->figures.size(), 5u);
    ASSERT_NE(figure->figure, nullptr);
    EXPECT_EQ(figure->figure->variant, &Humans.variants[1]);
    EXPECT_EQ(figure->figure->transform.translation, (FixedVector{FixedFromMetres(3), FixedFromMetres(4), FixedFromMetres(1.5)}));
    const double defaultPose = PoseX(*figure->figure);
    EXPECT_TRUE(defaultPose == 1 || defaultPose == 3) << defaultPose;
    const double marshalPoses[3] = {3, 4, 1};
    for (int i = 0; i < 3; i++) {
        ASSERT_NE(world.marshals[size_t(i)], nullptr);
        EXPECT_EQ(PoseX(*world.marshals[size_t(i)]), marshalPoses[i]) << "marshal " << i + 1;
    }
    PlaceWorldFigures(world);  // again: the old figures go first
    EXPECT_EQ(crowd->figures.size(), 5u);
    FreeWorldFigures(world);
    EXPECT_TRUE(crowd->figures.empty());
    EXPECT_EQ(figure->figure, nullptr);
    for (FigureInstance* marshal : world.marshals)
        EXPECT_EQ(marshal, nullptr);

    // Without figure data nothing is placed.
    InitHumanSystem(MutableHumans);
    PlaceWorldFigures(world);
    EXPECT_TRUE(crowd->figures.empty());
    EXPECT_EQ(world.marshals[0], nullptr);
}

} // namespace
