// Paths, rubber lines, path followers and cubic curves, checked against
// closed forms (a circle's chord sum, Hermite end conditions, a double
// evaluation) and brute-force recomputation.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <string>

#include "support/temp_folder.h"
#include "world/services.h"

namespace {

constexpr double Pi = 3.14159265358979323846;

// A closed racing loop: n nodes on a circle of radius r (m), heading
// anticlockwise, road edges ±5 m and limits ±8 m, with light samples, state
// changes and base lists so that every field takes part.
Path CirclePath(int n, double r)
{
    Path path;
    path.flags = PathClosedLoop | PathRacing | PathLightSamples;
    path.nodes.resize(size_t(n));
    path.nodeCount = n;
    for (int i = 0; i < n; i++) {
        PathNode& node = path.nodes[size_t(i)];
        const double a = 2 * Pi * i / n;
        node.kind = static_cast<uint8_t>(i % 5);
        node.centre = MakeFixedVector(FixedFromMetres(r * std::cos(a)).raw, FixedFromMetres(r * std::sin(a)).raw,
                                      FixedFromMetres(0.25 * i).raw);
        node.direction = {static_cast<float>(-std::sin(a)), static_cast<float>(std::cos(a)), 0};
        node.leftEdge = -5;
        node.rightEdge = 5;
        node.leftLimit = -8;
        node.rightLimit = 8;
        for (int b = 0; b < PathLightSampleBytes; b++)
            node.lightSamples[b] = static_cast<uint8_t>(b * 7 + i);
        node.cameraObject = i % 3 - 1;
        node.states[i % 3].entries.push_back({static_cast<int16_t>(i * 11 % 200), static_cast<uint8_t>(1 << (i % 8)), 0});
    }
    path.baseLists[0].entries.push_back({5, 0x81, 0});
    path.baseLists[2].entries.push_back({190, 0x3C, 0});
    path.lightMaps.resize(2);
    path.lightMaps[1].a = 2;
    path.lightMaps[1].b = 3;
    path.lightMaps[1].values = {1, 2, 3, 4, 5, 6};
    path.lightMaps[1].samples.assign(48, 9);
    return path;
}

std::string WrittenPath(const Path& path, TempFolder& folder, const char* name)
{
    DataFile writer;
    CreateDataFile(writer, nullptr, name, "ZKWORL", 251);
    WritePath(path, writer);
    EXPECT_EQ(CloseDataFile(writer), 1);
    return folder.ReadFile(name);
}

class PathTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetCoreTables();
        ResetWorldTables();
        ProgramModeRecord mode = ProgramMode;
        mode.graphicsOn = 0;
        SetProgramMode(mode);
    }
    TempFolder folder;
};

TEST_F(PathTest, WrittenPathReadsBackByteForByte)
{
    Path path = CirclePath(40, 100);
    const std::string bytes = WrittenPath(path, folder, "a.pth");
    DataFile reader;
    int version = 0;
    OpenDataBlock(reader, reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), version);
    Path read;
    ASSERT_EQ(ReadPath(read, reader, version), 1);
    EXPECT_EQ(WrittenPath(read, folder, "b.pth"), bytes);
    // A truncated copy is refused at every length, never read past its end.
    for (size_t length = 8; length < bytes.size(); length += 97) {
        DataFile cut;
        OpenDataBlock(cut, reinterpret_cast<const uint8_t*>(bytes.data()), length, version);
        Path refused;
        EXPECT_EQ(ReadPath(refused, cut, version), 0) << length;
        EXPECT_EQ(refused.nodeCount, 0);
    }
}

TEST_F(PathTest, BadCountsAndIndicesAreRefused)
{
    struct Case {
        const char* what;
        void (*spoil)(Path&);
    } cases[] = {
        {"object index past the follower tables", [](Path& p) { p.nodes[1].states[1].entries[0].object = MaxWorldObjects; }},
        {"negative object index", [](Path& p) { p.baseLists[0].entries[0].object = -1; }},
        {"light-map block larger than the file", [](Path& p) { p.lightMaps[1].a = 100000; }},
    };
    for (const Case& c : cases) {
        Path spoiled = CirclePath(4, 50);
        c.spoil(spoiled);
        DataFile writer;
        CreateDataFile(writer, nullptr, "bad.pth", "ZKWORL", 251);
        WritePath(spoiled, writer);
        CloseDataFile(writer);
        const std::string bytes = folder.ReadFile("bad.pth");
        DataFile reader;
        int version = 0;
        OpenDataBlock(reader, reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), version);
        Path read;
        EXPECT_EQ(ReadPath(read, reader, version), 0) << c.what;
        EXPECT_TRUE(read.nodes.empty()) << c.what;
    }
}

TEST_F(PathTest, ReversingTwiceRestoresEveryNode)
{
    Path path = CirclePath(9, 30);
    const std::string before = WrittenPath(path, folder, "a.pth");
    ReversePath(path.nodes.data(), path.nodeCount);
    EXPECT_EQ(path.nodes[0].centre, CirclePath(9, 30).nodes[8].centre);
    EXPECT_EQ(path.nodes[0].leftLimit, -8.0f);
    EXPECT_NE(WrittenPath(path, folder, "b.pth"), before);
    ReversePath(path.nodes.data(), path.nodeCount);
    EXPECT_EQ(WrittenPath(path, folder, "c.pth"), before);
}

TEST_F(PathTest, RelaxingPullsInOnlyWhatReachesTooFar)
{
    Path path = CirclePath(10, 60);
    EXPECT_EQ(RelaxPathLimits(path.nodes.data(), 10, 1.0f), 1);  // all equal: one pass, no change
    path.nodes[4].leftLimit = -13;
    RelaxPathLimits(path.nodes.data(), 10, 1.0f);
    EXPECT_FLOAT_EQ(path.nodes[4].leftLimit, -8 - 1 + 0.001f);
    EXPECT_FLOAT_EQ(path.nodes[3].leftLimit, -8);
    EXPECT_FLOAT_EQ(path.nodes[5].leftLimit, -8);
    // Limits whose pull runs back against the passes' direction settle one
    // node per pass: a long path of them is cut off, reported, and left
    // finite and usable.
    Path steep = CirclePath(300, 500);
    for (int i = 0; i < 300; i++)
        steep.nodes[size_t(i)].leftLimit = 10.0f * float(i);
    EXPECT_EQ(RelaxPathLimits(steep.nodes.data(), 300, 1.0f), MaxRelaxPasses);
    for (const PathNode& node : steep.nodes)
        EXPECT_TRUE(std::isfinite(node.leftLimit));
}

TEST_F(PathTest, CircleGivesTheChordSumLapAndTheFinishItWasGiven)
{
    struct Case {
        int n;
        double r;
    } cases[] = {{12, 50}, {100, 400}, {357, 1000}};
    for (const Case& c : cases) {
        Path path = CirclePath(c.n, c.r);
        for (PathNode& node : path.nodes)
            node.centre.z = Fixed(0);
        PathWorld world;
        world.loaded = 1;
        world.currentPath = &path;
        world.configuration = 1;
        world.timingPointCount = 1;
        // The ground: road everywhere, the finish line under the node at 90 degrees.
        static int finishNode;
        static int nodes;
        finishNode = c.n / 4;
        nodes = c.n;
        world.surfaceKind = [](const WorldTexture&) { return 0; };
        world.pointQuery = [](const FixedVector& p, const FixedVector&, ContactQueryRecord& hit) {
            static char road;
            const double a = std::atan2(FixedToMetres(p.y), FixedToMetres(p.x));
            const int node = static_cast<int>(std::lround((a < 0 ? a + 2 * Pi : a) / (2 * Pi) * nodes)) % nodes;
            hit.hitSurface = reinterpret_cast<WorldTexture*>(&road);
            hit.hitPosition = p;
            hit.areaCode = node == finishNode ? 1 : 0;
            return 1;
        };
        EXPECT_GE(SetupPathCheckpoints(path, world), 384 * 65536);
        EXPECT_EQ(path.timingNodes[0], finishNode);
        const double lap = c.n * 2 * c.r * std::sin(Pi / c.n);
        EXPECT_NEAR(path.nodes[size_t(finishNode)].distance, lap, lap * 1e-5) << c.n;
        EXPECT_NEAR(path.roadFraction, 1.0, 1e-4);
        // Interpolation halfway along a span: the chord's midpoint.
        PathNode middle;
        const float length = InterpolatePathNode(middle, path.nodes[0], path.nodes[1], 0.5f) / 5;
        EXPECT_NEAR(length, 2 * c.r * std::sin(Pi / c.n) * std::cos(Pi / c.n), 1e-3);
    }
}

TEST_F(PathTest, CheckpointsAreNumberedInDrivingOrderBothWays)
{
    Path path = CirclePath(30, 80);
    PathWorld world;
    world.loaded = 1;
    world.currentPath = &path;
    world.configuration = 2;
    world.timingPointCount = 3;
    // Area codes 1, 2, 3 under nodes 0-1, 10-11 and 20-21.
    world.pointQuery = [](const FixedVector& p, const FixedVector&, ContactQueryRecord& hit) {
        const double a = std::atan2(FixedToMetres(p.y), FixedToMetres(p.x));
        const int node = static_cast<int>(std::lround((a < 0 ? a + 2 * Pi : a) / (2 * Pi) * 30)) % 30;
        hit.areaCode = node % 10 < 2 ? node / 10 + 1 : 0;
        return 1;
    };
    SetupPathCheckpoints(path, world);
    EXPECT_EQ(path.timingNodes[0], 0);
    EXPECT_EQ(path.timingNodes[1], 10);
    EXPECT_EQ(path.timingNodes[2], 20);
    EXPECT_EQ(path.timingNodes[3], -1);
    ReversePath(path.nodes.data(), path.nodeCount);
    world.reversed = 1;
    SetupPathCheckpoints(path, world);
    EXPECT_EQ(path.timingNodes[1], 8);   // code 3 comes first driving reversed
    EXPECT_EQ(path.timingNodes[2], 18);
    Path empty;
    EXPECT_EQ(SetupPathCheckpoints(empty, world), 0);
    EXPECT_EQ(empty.centre, ZeroVector);
}

TEST_F(PathTest, LateralPointsStayInsideTheLimitsEvenWhenTheyMeet)
{
    Path path = CirclePath(8, 20);
    PathNode node = path.nodes[0];
    FixedVector p;
    GetNodeLateralPoint(node, p, 0.5f, 100.0f);
    EXPECT_NEAR(FixedToMetres(p.x - node.centre.x) * node.direction.y - FixedToMetres(p.y - node.centre.y) * node.direction.x,
                8 - 1.5, 1e-4);
    node.leftLimit = node.rightLimit = 0;  // limits that meet
    GetNodeLateralPoint(node, p, 0.5f, std::nanf(""));
    EXPECT_EQ(p.z, node.centre.z);
    PathNode same;
    EXPECT_EQ(InterpolatePathNode(same, node, node, 0.5f), 0.0f);  // a zero-length span
}

TEST_F(PathTest, RubberLinesRoundTripAndStaleFilesGiveTheDefault)
{
    char name[KnowledgeFileNameSize];
    MakeKnowledgeFileName("HM", 1, 1, name);
    EXPECT_STREQ(name, "data\\knw\\HM1R.trs");
    Path path = CirclePath(25, 70);
    for (int i = 0; i < 25; i++)
        for (int k = 0; k < 3; k++)
            path.nodes[size_t(i)].rubber[k] = {float(k) - 1.3f * float(i % 4), 0.01f * float(i), {}, 0};
    ASSERT_EQ(SaveRubberLine(path, "line.trs"), 1);
    const std::string bytes = folder.ReadFile("line.trs");
    EXPECT_EQ(bytes.size(), 8u + 4 + 25 * 24);
    Path read = CirclePath(25, 70);
    ASSERT_EQ(LoadRubberLine(read, "line.trs"), 1);
    for (int i = 0; i < 25; i++)
        for (int k = 0; k < 3; k++) {
            EXPECT_EQ(read.nodes[size_t(i)].rubber[k].offset, path.nodes[size_t(i)].rubber[k].offset);
            EXPECT_EQ(read.nodes[size_t(i)].rubber[k].intensity, path.nodes[size_t(i)].rubber[k].intensity);
        }
    Path shorter = CirclePath(24, 70);
    EXPECT_EQ(LoadRubberLine(shorter, "line.trs"), 0);
    EXPECT_EQ(shorter.nodes[3].rubber[0].offset, -1.0f);
    // A file cut short is not half taken.
    folder.WriteFile("cut.trs", bytes.substr(0, bytes.size() - 10));
    Path cut = CirclePath(25, 70);
    EXPECT_EQ(LoadRubberLine(cut, "cut.trs"), 0);
    EXPECT_EQ(cut.nodes[0].rubber[2].offset, 1.0f);
}

// The follower's tables against a recomputation from the definition.
void ExpectTables(const PathFollower& follower, const Path& path, int position, int firstLayoutObject)
{
    std::vector<uint8_t> expected(size_t(LightStateTableCount) * LightStateTableSize, 0);
    for (int k = 0; k < LightStateTableCount; k++) {
        for (const KeyedEntry& e : path.baseLists[k].entries)
            expected[size_t(k) * LightStateTableSize + size_t(e.object)] = e.mask;
        for (int i = 0; i <= position; i++)
            for (const KeyedEntry& e : path.nodes[size_t(i)].states[k].entries)
                expected[size_t(k) * LightStateTableSize + size_t(e.object)] ^= e.mask;
        for (int o = firstLayoutObject; o < LightStateTableSize; o++)
            expected[size_t(k) * LightStateTableSize + size_t(o)] = 0xFF;
    }
    EXPECT_EQ(std::memcmp(expected.data(), follower.lightStates, expected.size()), 0) << position;
}

TEST_F(PathTest, FollowerTablesMatchARecomputationAfterRandomChanges)
{
    Path path = CirclePath(60, 150);
    PathWorld world;
    world.loaded = 1;
    world.currentPath = &path;
    world.configuration = 1;
    world.lightSchemeCount = 2;
    world.firstLayoutObject = 1000;
    std::mt19937 random(17);
    auto* follower = CreatePathFollower();
    for (int round = 0; round < 40; round++) {
        // Random node changes between searches.
        for (int c = 0; c < 20; c++) {
            KeyedByteList& list = path.nodes[random() % 60].states[random() % 3];
            const int object = static_cast<int>(random() % 900);
            if (random() % 3 == 0 && !list.entries.empty())
                RemoveKeyedEntry(list, list.entries[0].object);
            else
                list.entries.push_back({static_cast<int16_t>(object), static_cast<uint8_t>(random()), 0});
        }
        const int target = static_cast<int>(random() % 60);
        // A point in the middle of the span, 1 m right of the centre line.
        PathNode middle;
        InterpolatePathNode(middle, path.nodes[size_t(target)], path.nodes[size_t((target + 1) % 60)], 0.5f);
        FixedVector point;
        GetNodeLateralPoint(middle, point, 0, 1.0f);
        ASSERT_EQ(FindFollowerPosition(*follower, point, 1, world), target);
        ExpectTables(*follower, path, target, 1000);
        // Stepping on by XOR gives what a rebuild there gives.
        const int next = NextFollowerNode(*follower);
        if (next > target) {
            ApplyNodeLightChanges(*follower, next);
            ExpectTables(*follower, path, next, 1000);
        }
    }
    FreePathFollower(follower);
}

TEST_F(PathTest, FollowerSearchEdges)
{
    Path path = CirclePath(40, 100);
    PathWorld world;
    world.loaded = 1;
    world.currentPath = &path;
    world.lightSchemeCount = 2;
    PathFollower follower;
    const PathNode& node = path.nodes[7];
    FixedVector onLine;
    GetNodeLateralPoint(node, onLine, -100, 0);
    EXPECT_EQ(FindFollowerPosition(follower, onLine, 0, world), 7);  // on node 7's cross line
    FixedVector outside;
    GetNodeLateralPoint(node, outside, -100, 5 + 2.1f);
    EXPECT_EQ(FindFollowerPosition(follower, outside, 0, world), -1);
    EXPECT_EQ(follower.failed, 1);
    world.lightSchemeCount = 3;  // inconsistent world data
    EXPECT_EQ(FindFollowerPosition(follower, onLine, 1, world), -1);
    EXPECT_EQ(EnsureFollowerPosition(follower, onLine), 1);  // failed stays failed
}

// A driver taking over a car: a follower whose span lies within 20 m keeps
// its place; one farther away searches afresh at the car.
TEST_F(PathTest, TakingOverACarRefreshesAFollowerLeftFarBehind)
{
    Path path = CirclePath(40, 100);
    PathWorld world;
    world.loaded = 1;
    world.currentPath = &path;
    world.lightSchemeCount = 2;
    PathFollower follower;
    FixedVector atSeven, nearSeven, atTwenty, farOff;
    GetNodeLateralPoint(path.nodes[7], atSeven, -100, 0);
    GetNodeLateralPoint(path.nodes[7], nearSeven, -100, 15);  // 15 m right, inside the reach
    GetNodeLateralPoint(path.nodes[20], atTwenty, -100, 0);
    GetNodeLateralPoint(path.nodes[20], farOff, -100, 60);
    ASSERT_EQ(FindFollowerPosition(follower, atSeven, 1, world), 7);
    RefreshFollowerAtPoint(follower, nearSeven, world);
    EXPECT_EQ(follower.position, 7);
    EXPECT_EQ(follower.failed, 0);
    RefreshFollowerAtPoint(follower, atTwenty, world);
    EXPECT_EQ(follower.position, 20);
    RefreshFollowerAtPoint(follower, farOff, world);
    EXPECT_EQ(follower.position, -1);
    EXPECT_EQ(follower.failed, 1);
}

TEST_F(PathTest, HermiteCubicsMeetEndsAndTangentsAndADoubleEvaluation)
{
    std::mt19937 random(3);
    for (int i = 0; i < 2000; i++) {
        const int32_t p0 = static_cast<int32_t>(random() % 20000000) - 10000000;
        const int32_t p1 = static_cast<int32_t>(random() % 20000000) - 10000000;
        const int32_t t0 = static_cast<int32_t>(random() % 4000000) - 2000000;
        const int32_t t1 = static_cast<int32_t>(random() % 4000000) - 2000000;
        Cubic c;
        SetCubic(c, p0, p1, t0, t1);
        EXPECT_EQ(EvaluateCubic(c, 0), p0);
        EXPECT_EQ(int64_t(c.a) + c.b + c.c + c.d, p1);
        EXPECT_EQ(c.c, t0);                       // slope at 0
        EXPECT_EQ(3 * int64_t(c.a) + 2 * int64_t(c.b) + c.c, t1);  // slope at 1
        const int32_t s = static_cast<int32_t>(random() % 65537);
        const double x = s / 65536.0;
        const double h00 = 2 * x * x * x - 3 * x * x + 1, h10 = x * x * x - 2 * x * x + x;
        const double h01 = -2 * x * x * x + 3 * x * x, h11 = x * x * x - x * x;
        const double exact = h00 * p0 + h10 * t0 + h01 * p1 + h11 * t1;
        EXPECT_NEAR(EvaluateCubic(c, s), exact, 1.0) << i;
    }
}

// The cubic's value is rounded once to the nearest 16.16 unit, halves
// upwards on both sides of zero; whole parameters give exact sums of the
// coefficients, and values past 32 bits wrap as every 16.16 sum does.
TEST_F(PathTest, CubicValuesRoundHalvesUpAndWrap)
{
    struct Case {
        Cubic cubic;
        int32_t s;
        int32_t value;
    };
    const Case cases[] = {
        {{0, 0, 1, 0}, 32768, 1},     // 0.5 up to 1
        {{0, 0, -1, 0}, 32768, 0},    // -0.5 up to 0
        {{0, 0, 3, 0}, 32768, 2},     // 1.5
        {{0, 0, -3, 0}, 32768, -1},   // -1.5
        {{1, 0, 0, 0}, 32768, 0},     // 0.125
        {{-1, 0, 0, 0}, 32768, 0},    // -0.125
        {{-5, 0, 0, 0}, 32768, -1},   // -0.625
        {{4, 0, 0, 0}, 32768, 1},     // 0.5
        {{-4, 0, 0, 0}, 32768, 0},    // -0.5
        {{0, -2, 0, 7}, 32768, 7},    // -0.5 + 7
        {{5, 7, 11, 13}, 65536, 36},
        {{5, 7, 11, 13}, -65536, 4},
        {{5, 7, 11, 13}, 131072, 103},
        {{INT32_MAX, 0, 0, 0}, 131072, -8},  // 8 (2^31 - 1) wraps
        {{0, INT32_MIN, INT32_MIN, 0}, -65536, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(EvaluateCubic(c.cubic, c.s), c.value)
            << c.cubic.a << " " << c.cubic.b << " " << c.cubic.c << " " << c.cubic.d << " at " << c.s;
}

// Across the whole 32-bit range of coefficients and parameters the value
// is the exact cubic rounded once: the same as every product taken in 128
// bits.
TEST_F(PathTest, CubicValuesMatchTheWideSum)
{
    uint64_t state = 0x9E3779B97F4A7C15u;
    auto next = [&state] {
        state ^= state << 13, state ^= state >> 7, state ^= state << 17;
        return static_cast<int32_t>(static_cast<uint32_t>(state));
    };
    for (int i = 0; i < 20000; i++) {
        // Small, middling and full-range values alike.
        const int shift = i % 3 == 0 ? 0 : i % 3 == 1 ? 12 : 24;
        const Cubic c{next() >> shift, next() >> shift, next() >> shift, next()};
        const int32_t s = next() >> (i % 2 ? 0 : 14);
        const __int128 s1 = s;
        const __int128 sum = ((c.a * s1 + (__int128(c.b) << 16)) * s1 + (__int128(c.c) << 32)) * s1;
        const int64_t rounded = static_cast<int64_t>((sum + (__int128(1) << 47)) >> 48) + c.d;
        ASSERT_EQ(EvaluateCubic(c, s), static_cast<int32_t>(static_cast<uint32_t>(rounded)))
            << c.a << " " << c.b << " " << c.c << " " << c.d << " at " << s;
    }
}

TEST_F(PathTest, SpanCubicsWrapRoundThePath)
{
    Path path = CirclePath(100, 300);
    KnowledgeSegment segment;
    segment.startNode = 95;
    segment.endNode = 3;
    EXPECT_EQ(NodeSpanLength(segment, path), 8);
    std::vector<KnowledgeNode> knowledge(100);
    SetupNodeCubic(segment, path, nullptr, 95, 3, 0, 0, 0);
    SampleCubicOffsets(segment, path, knowledge.data());
    // Along the centre line of a circle the line bulges outward by at most
    // the sagitta of the span.
    for (int j : {96, 99, 0, 2}) {
        EXPECT_LT(std::fabs(knowledge[size_t(j)].offset), 2.0f) << j;
        EXPECT_NE(knowledge[size_t(j)].offset, 0.0f) << j;
    }
    EXPECT_EQ(knowledge[3].offset, 0.0f);  // the end node is not sampled
    Path empty;
    EXPECT_EQ(NodeSpanLength(segment, empty), 0);
    // The straight line stays inside the edges; one 6 m out crosses them.
    EXPECT_EQ(TraceCubicOverGround(segment, path, knowledge.data(), nullptr, 1.0f, 0, PathWorld{}), 0);
    SetupNodeCubic(segment, path, nullptr, 95, 3, 6.5f, 6.5f, -10);
    EXPECT_EQ(TraceCubicOverGround(segment, path, knowledge.data(), nullptr, 1.0f, 0, PathWorld{}), 1);
}

} // namespace
