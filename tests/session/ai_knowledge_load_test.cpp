// An AI driver's knowledge: the car's weight on its axles and the pit lane's
// speed as the profile reads them, the driver's file loaded and refused as
// a race meets it, the pit line joined from the racing line to the pit lane
// and back, and the builder's files used by drivers of the generated cars on
// a generated site.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <memory>
#include <numbers>
#include <string>
#include <vector>

#include "ai_driver_fixture.h"
#include "race_fixture.h"
#include "site_fixture.h"
#include "support/temp_folder.h"

namespace {

// ---------------------------------------------------------------------------
// The car's weight and the pit lane's speed.

// The front axle carries the share of the weight that the centre of mass
// lies ahead of the rear axle (axle 0), whichever way the car is built.
TEST(AiKnowledgeCarTest, FrontAxleCarriesTheWeightAheadOfTheRearAxle)
{
    struct Case {
        const char* name;
        float rearY, frontY, centreY, wheelbase;
        float share;
    };
    const Case cases[] = {
        {"even", -1.25f, 1.25f, 0.0f, 2.5f, 0.5f},
        {"engine in front", -1.2f, 1.3f, 0.8f, 2.5f, 0.8f},
        {"engine behind", -1.2f, 1.3f, -0.7f, 2.5f, 0.2f},
        {"no wheelbase", 0.0f, 0.0f, 0.3f, 0.0f, 0.5f},
    };
    for (const Case& c : cases) {
        CarObject car;
        car.tuning.axleY[0] = c.rearY;
        car.tuning.axleY[1] = c.frontY;
        car.tuning.wheelbase = c.wheelbase;
        car.centreOfMass.y = c.centreY;
        EXPECT_FLOAT_EQ(FrontAxleWeightShare(car), c.share) << c.name;
    }
}

// The AI holds 1 km/h under the lowest limit of the world's speed zones.
TEST(AiKnowledgeCarTest, PitLaneSpeedIsOneKmhUnderTheLowestLimit)
{
    World world;
    SpeedZoneObject slow, fast;
    slow.speedLimit = 61;
    fast.speedLimit = 80;
    EXPECT_EQ(PitLaneSpeedLimit(world), 0.0f) << "no speed zone";
    world.speedZones[0] = &fast;
    world.speedZones[1] = &slow;
    world.speedZoneCount = 2;
    EXPECT_FLOAT_EQ(PitLaneSpeedLimit(world), 60 * 0.2777778f);
    world.speedZoneCount = 0;
}

// ---------------------------------------------------------------------------
// The driver's file.

// The ring of the driver tests with its file in a temporary folder: site
// "AB", configuration 1, the car "XRT".
class AiKnowledgeLoadTest : public AiDriverTest {
protected:
    void SetUp() override
    {
        AiDriverTest::SetUp();
        HookLog() = {};
        InstallRecordingRaceHooks();
        view.pathWorld.siteCode = "AB";
        view.pitSpeedLimit = 20;
        std::snprintf(car.data.shortCode, sizeof car.data.shortCode, "XRT");
        car.tuning.largerHalfWidth = 0.9f;
        car.tuning.wheelbase = 2.5f;
        car.tuning.axleY[0] = -1.1f;
        car.tuning.axleY[1] = 1.4f;
        setup.maxLock = 30;
        car.data.setup = &setup;
        std::filesystem::create_directories("data/knw");
    }
    void TearDown() override
    {
        car.data.setup = nullptr;
        SetRaceHooks(RaceHooks{});
        AiDriverTest::TearDown();
    }
    // The file for the ring, built from keys by the game's own writer.
    void WriteRingFile(int nodeCount, const std::vector<KnowledgeSegment>& keys)
    {
        AiKnowledge file;
        file.nodeCount = nodeCount;
        file.keys = keys;
        file.keyCount = int32_t(keys.size());
        file.lapTime = 40;
        ASSERT_EQ(WriteKnowledgeFile(file, FileName), 1);
    }
    static constexpr const char* FileName = "data\\knw\\AB1_XRT.knw";
    TempFolder folder;
    CarSetup setup;
};

// A missing, stale or unfitting file leaves the driver without knowledge and
// says why; the file is never deleted.
TEST_F(AiKnowledgeLoadTest, RefusedFilesLeaveNoKnowledgeAndSayWhy)
{
    KnowledgeSegment offRoad;
    offRoad.startNode = 0;
    offRoad.endNode = 32;
    struct Case {
        const char* name;
        int nodes;  // 0: no file
        float halfWidth;
        const char* message;  // on the message list, or null
        const char* error;    // on the error list, or null
    };
    const Case cases[] = {
        {"missing", 0, 0.9f, "Could not load AI path info : data\\knw\\AB1_XRT.knw", nullptr},
        {"another route", 63, 0.9f, "Could not load AI path info : data\\knw\\AB1_XRT.knw", nullptr},
        // A car wider than the ring's road cannot drive any line on it.
        {"line off the road", 64, 5.5f, nullptr, "AI path info must be regenerated"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        HookLog() = {};
        std::filesystem::remove("data/knw/AB1_XRT.knw");
        if (c.nodes > 0)
            WriteRingFile(c.nodes, {offRoad});
        car.tuning.largerHalfWidth = c.halfWidth;
        EXPECT_EQ(LoadAiKnowledge(*ai, view), 0);
        EXPECT_EQ(ai->mainKnowledge.nodeCount, 0);
        EXPECT_EQ(ai->hasPitLine, 0);
        if (c.message) {
            ASSERT_FALSE(HookLog().messages.empty());
            EXPECT_EQ(HookLog().messages.back().text, c.message);
        }
        if (c.error) {
            ASSERT_EQ(HookLog().errors.size(), 1u);
            EXPECT_EQ(HookLog().errors[0], c.error);
        }
        EXPECT_EQ(std::filesystem::exists("data/knw/AB1_XRT.knw"), c.nodes > 0);
    }
}

// A good file gives the driver its line over the route with a speed
// profile, and the figures of its car for the pit manoeuvre.
TEST_F(AiKnowledgeLoadTest, GoodFileGivesTheLineAndTheCarsFigures)
{
    WriteRingFile(64, {});
    view.configuration = 1;
    view.reversed = 0;
    ASSERT_EQ(LoadAiKnowledge(*ai, view), 1);
    EXPECT_TRUE(HookLog().messages.empty());
    EXPECT_EQ(ai->knowledgeConfig, 1);
    EXPECT_EQ(ai->knowledgeReversed, 0);
    EXPECT_EQ(ai->knowledgeNodes, 64);
    ASSERT_EQ(ai->mainKnowledge.nodeCount, 64);
    EXPECT_EQ(ai->mainKnowledge.lapTime, 40);
    for (const KnowledgeNode& node : ai->mainKnowledge.nodes)
        EXPECT_GT(node.speed, 0);
    // The ring's centre line bends by one over its radius.
    EXPECT_NEAR(ai->mainKnowledge.nodes[10].curvature, 1.0f / 100, 0.0005f);
    EXPECT_NEAR(ai->turnRadius, 2.5f / std::sin(30 * std::numbers::pi_v<float> / 180), 1e-4f);
    EXPECT_FLOAT_EQ(ai->axleOffset, 1.1f);
    EXPECT_EQ(ai->pitSpeedLimit, 20);
    EXPECT_EQ(ai->hasPitLine, 0) << "the ring has no pit lane";
}

// ---------------------------------------------------------------------------
// The pit line.

// A ring of 200 nodes, 150 m across, with a pit lane on its inside (the
// left) over a quarter of it: from 4.5 m left of the centre, inside the
// road, over to 12 m left and back.
class AiPitLineTest : public AiKnowledgeLoadTest {
protected:
    void SetUp() override
    {
        AiKnowledgeLoadTest::SetUp();
        FreePath(path);
        MakeRing(path, RingNodes, 150);
        for (int i = 0; i <= LaneNodes; i++) {
            const double t = double(i) / LaneNodes;
            const double offset = -4.5 - 7.5 * std::sin(std::numbers::pi * t);
            double s = 0, c = 0;
            ComputeSinCos(2 * std::numbers::pi * (LaneFrom + 50.0 * t) / RingNodes, s, c);
            PathNode node;
            node.kind = i == 0 ? 8 : 0;
            node.centre = {FixedFromMetres((150 + offset) * c), FixedFromMetres((150 + offset) * s), Fixed(0)};
            node.direction = {float(-s), float(c), 0};
            path.secondNodes.push_back(node);
        }
        path.secondCount = int32_t(path.secondNodes.size());
        AllocKnowledgeNodes(ai->mainKnowledge, RingNodes);
        ASSERT_EQ(BuildKnowledge(ai->mainKnowledge, path, car.tuning.largerHalfWidth, view.pathWorld), 1);
    }
    static constexpr int RingNodes = 200, LaneFrom = 20, LaneNodes = 40;
};

TEST_F(AiPitLineTest, JoinsTheRacingLineToThePitLaneAndBack)
{
    ASSERT_EQ(BuildAiPitLine(*ai, view), 1);
    const AiKnowledge& pit = ai->pitKnowledge;
    const AiKnowledge& main = ai->mainKnowledge;
    // The entry leaves the racing line before the lane's first node and the
    // exit joins it after the lane's last, each over at least six nodes.
    const int entrySpan = (LaneFrom - ai->pitEntryNode + RingNodes) % RingNodes;
    EXPECT_GE(entrySpan, 6);
    EXPECT_LE(entrySpan, 60);
    EXPECT_GE(ai->pitExitNode, LaneFrom + 50 + 6);
    EXPECT_LE(ai->pitExitNode, LaneFrom + 50 + 60 + 1);
    ASSERT_GE(pit.nodeCount, LaneNodes + 1 + 2);
    EXPECT_EQ(pit.nodes.front().x, main.nodes[size_t(ai->pitEntryNode)].x);
    EXPECT_EQ(pit.nodes.back().y, main.nodes[size_t(ai->pitExitNode)].y);
    // The lane's middle node is on the line; every step of it is short and
    // it bends no tighter than the ring and the turn-ins need.
    const PathNode& middle = path.secondNodes[LaneNodes / 2];
    bool passesMiddle = false;
    for (int i = 0; i < pit.nodeCount; i++) {
        const KnowledgeNode& node = pit.nodes[size_t(i)];
        passesMiddle = passesMiddle || (node.x == middle.centre.x && node.y == middle.centre.y);
        if (i + 1 < pit.nodeCount) {
            EXPECT_GT(node.length, 0.5f) << "node " << i;
            EXPECT_LT(node.length, 12.0f) << "node " << i;
        }
        EXPECT_LT(std::fabs(node.curvature), 0.05f) << "node " << i;
    }
    EXPECT_TRUE(passesMiddle);
}

TEST_F(AiPitLineTest, NoPitLineWithoutALaneStartOrAJoinOnTheRoad)
{
    struct Case {
        const char* name;
        void (*spoil)(Path& path);
    };
    const Case cases[] = {
        {"no start mark", [](Path& p) { p.secondNodes[0].kind = 0; }},
        {"lane starts beyond the road's edge",
         [](Path& p) {
             PathNode& start = p.secondNodes[0];
             start.centre.x = FixedFromMetres(FixedToMetres(start.centre.x) * 0.9);
             start.centre.y = FixedFromMetres(FixedToMetres(start.centre.y) * 0.9);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Path spoilt = path;
        c.spoil(spoilt);
        view.pathWorld.currentPath = &spoilt;
        EXPECT_EQ(BuildAiPitLine(*ai, view), 0);
        EXPECT_EQ(ai->pitKnowledge.nodeCount, 0);
        FreePath(spoilt);
    }
}

// ---------------------------------------------------------------------------
// The builder's files on a generated site.

class GeneratedKnowledgeTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetCoreTables();
        ResetWorldTables();
        ResetVehicleTables();
        ResetSessionTables();
        InstallWorldVehicleHooks();
        ASSERT_TRUE(EnterGameFolder(previous));
    }
    void TearDown() override
    {
        if (world)
            FreeWorld(*world);
        world.reset();
        ResetWorldTables();
        ResetSessionTables();
        if (!previous.empty())
            std::filesystem::current_path(previous);
    }
    std::filesystem::path previous;
    std::unique_ptr<World> world;
};

// Every generated car drives its knowledge of the first site's first
// configuration with a pit line. A car whose engine sits ahead of its
// middle carries most of its weight on the front axle, one with the engine
// behind most on the rear. The file's lap is as fast as the car's top
// speed allows at most, and not slower than a third of it on average (the
// lap counts the time the engine takes to reach each straight's speed).
TEST_F(GeneratedKnowledgeTest, EveryCarDrivesItsFileWithAPitLine)
{
    ASSERT_TRUE(LoadWholeSite(world, 0));
    const Path* route = world->racingPath;
    ASSERT_NE(route, nullptr);
    ASSERT_GT(route->secondCount, 0);
    double length = 0;
    for (int i = 0; i < route->nodeCount; i++) {
        const Vec3 step = OffsetFromFixed(route->nodes[size_t(NextPathNode(*route, i))].centre - route->nodes[size_t(i)].centre);
        length += std::sqrt(double(step.x) * step.x + double(step.y) * step.y);
    }
    float frontMost = -1e9f, rearMost = 1e9f;
    float frontMostShare = 0, rearMostShare = 0;
    for (int c = 0; c < CarCount; c++) {
        SCOPED_TRACE(CarNameTable[c].code);
        CarObject car;
        ConstructCar(car);
        ASSERT_EQ(LoadCarData(car, CarNameTable[c].code, 0, 0, nullptr, 0, nullptr), 1);
        AiDriver* ai = CreateAiDriver(car, 4);
        EXPECT_EQ(LoadAiKnowledge(*ai), 1);
        EXPECT_EQ(AiHasPitLine(*ai), 1);
        const AiKnowledge& k = ai->mainKnowledge;
        EXPECT_GE(k.lapTime, length / car.tuning.topSpeed);
        EXPECT_LE(k.lapTime, 3 * length / car.tuning.topSpeed);
        EXPECT_TRUE(KnowledgeMatchesSetup(k, car.data.setups[0].setup));
        const float engineY = car.data.enginePosition.y, share = FrontAxleWeightShare(car);
        if (engineY > frontMost)
            frontMost = engineY, frontMostShare = share;
        if (engineY < rearMost)
            rearMost = engineY, rearMostShare = share;
        FreeAiDriver(ai);
        DestroyCar(car);
    }
    EXPECT_GT(frontMostShare, 0.5f);
    EXPECT_LT(rearMostShare, 0.5f);
}

} // namespace
