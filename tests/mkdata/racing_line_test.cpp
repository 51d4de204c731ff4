// The AI's racing line the data builder fits over a path: it keeps the car
// inside the margins the game holds a line to, bends less than the centre
// line and cuts to the inside at a corner's apex; its keys chain round the
// path, the line the game rebuilds from them keeps to the fit and fits the
// road by the game's own rule, and the same path gives the same keys on
// every run.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "racing_line.h"
#include "site_content.h"

namespace {

constexpr double Pi = 3.14159265358979323846;

// A flat path of nodes about 4 m apart along straights (turn 0) and arcs
// (turn in radians, left positive), with the road's edges halfRoad to
// either side and the limits 1.5 m beyond them.
Path MakeRoadPath(const std::vector<RoadStep>& steps, bool closed, double halfRoad = 5)
{
    Path path;
    path.flags = (closed ? PathClosedLoop : 0) | PathRacing;
    double x = 0, y = 0, heading = 0;
    auto addNode = [&] {
        PathNode node;
        node.centre = MakeFixedVector(FixedFromMetres(x).raw, FixedFromMetres(y).raw, 0);
        double sine, cosine;
        ComputeSinCos(heading, sine, cosine);
        node.direction = {float(cosine), float(sine), 0};
        node.leftEdge = float(-halfRoad);
        node.rightEdge = float(halfRoad);
        node.leftLimit = float(-halfRoad - 1.5);
        node.rightLimit = float(halfRoad + 1.5);
        path.nodes.push_back(node);
    };
    for (const RoadStep& step : steps) {
        const int pieces = std::max(1, int(step.length / 4 + 0.5));
        for (int k = 0; k < pieces; k++) {
            addNode();
            const double turn = step.turn / pieces, length = step.length / pieces;
            // Along the chord of the piece of arc.
            double sine, cosine;
            ComputeSinCos(heading + turn / 2, sine, cosine);
            const double chord = turn != 0 ? 2 * length / turn * std::sin(turn / 2) : length;
            x += chord * cosine;
            y += chord * sine;
            heading += turn;
        }
    }
    if (!closed)
        addNode();
    path.nodeCount = int32_t(path.nodes.size());
    return path;
}

Path HandStadium() { return MakeRoadPath({{200, 0}, {50 * Pi, Pi}, {200, 0}, {50 * Pi, Pi}}, true); }

// The builder's own stadium circuit (with its hill), as the world would hold it.
Path DesignedStadium(bool reversed)
{
    SiteDesign design = StadiumDesign();
    std::string error;
    EXPECT_TRUE(design.roads.Prepare(error)) << error;
    auto world = std::make_unique<World>();
    EXPECT_TRUE(MakeSiteWorld(design, 0, *world, error)) << error;
    Path path = world->configs[0].path;
    if (reversed)
        ReversePath(path.nodes.data(), path.nodeCount);
    return path;
}

// bendingShare: the most of the centre line's bending the fitted line may
// keep. Half circles wide apart gain little from the road's width; a single
// bend or a chicane gains much.
struct LineCase {
    const char* name;
    Path (*make)();
    float halfWidth;
    double bendingShare;
};

const LineCase LineCases[] = {
    {"hand stadium", HandStadium, 0.9f, 0.9},
    {"designed stadium", [] { return DesignedStadium(false); }, 1.0f, 0.9},
    {"designed stadium reversed", [] { return DesignedStadium(true); }, 0.8f, 0.9},
    {"open bend", [] { return MakeRoadPath({{80, 0}, {40 * Pi / 2, Pi / 2}, {80, 0}}, false); }, 0.9f, 0.75},
    {"narrow chicane",
     [] { return MakeRoadPath({{60, 0}, {20, Pi / 3}, {20, -2 * Pi / 3}, {20, Pi / 3}, {60, 0}}, false, 3.2); },
     0.9f, 0.75},
};

TEST(RacingLineTest, FitStaysInsideTheMarginsAndBendsLessThanTheCentre)
{
    for (const LineCase& c : LineCases) {
        SCOPED_TRACE(c.name);
        const Path path = c.make();
        const std::vector<float> fitted = FitRacingLine(path, c.halfWidth);
        ASSERT_EQ(fitted.size(), path.nodes.size());
        for (size_t i = 0; i < fitted.size(); i++) {
            float low, high;
            RacingLineBounds(path.nodes[i], c.halfWidth, low, high);
            ASSERT_GE(fitted[i], low - 1e-4f) << "node " << i;
            ASSERT_LE(fitted[i], high + 1e-4f) << "node " << i;
            // The whole car on the road.
            EXPECT_GE(fitted[i] - c.halfWidth, path.nodes[i].leftEdge) << "node " << i;
            EXPECT_LE(fitted[i] + c.halfWidth, path.nodes[i].rightEdge) << "node " << i;
        }
        if (!(path.flags & PathClosedLoop)) {
            EXPECT_EQ(fitted[0], 0.0f) << "an open line starts on the centre";
        }
        const std::vector<float> centre(fitted.size(), 0.0f);
        const double bending = RacingLineBending(path, fitted), centreBending = RacingLineBending(path, centre);
        EXPECT_LT(bending, c.bendingShare * centreBending);
    }
}

TEST(RacingLineTest, LineTouchesTheInsideAtTheApexOfAHalfCircle)
{
    const Path path = HandStadium();
    const std::vector<float> fitted = FitRacingLine(path, 0.9f);
    // The nodes at the middle of the two half circles (anticlockwise: the
    // inside is on the left, the low side).
    const int straight = 50, bend = int(50 * Pi / 4 + 0.5);
    for (int apex : {straight + bend / 2, 2 * straight + bend + bend / 2}) {
        float low, high;
        RacingLineBounds(path.nodes[size_t(apex)], 0.9f, low, high);
        EXPECT_NEAR(fitted[size_t(apex)], low, 0.05f) << "node " << apex;
    }
}

TEST(RacingLineTest, KeysChainAndTheRebuiltLineKeepsToTheFitInsideTheLimits)
{
    for (const LineCase& c : LineCases) {
        SCOPED_TRACE(c.name);
        const Path path = c.make();
        const int n = path.nodeCount;
        const bool closed = (path.flags & PathClosedLoop) != 0;
        const std::vector<float> fitted = FitRacingLine(path, c.halfWidth);
        const std::vector<RacingLineKey> keys = ChooseRacingLineKeys(path, fitted, c.halfWidth);
        ASSERT_GE(keys.size(), 3u);
        EXPECT_EQ(keys.front().startNode, closed ? keys.back().endNode : 0);
        if (!closed) {
            EXPECT_EQ(keys.back().endNode, n - 1);
        }
        for (size_t k = 1; k < keys.size(); k++) {
            EXPECT_EQ(keys[k].startNode, keys[k - 1].endNode);
            EXPECT_GT(keys[k].endNode, keys[k].startNode);
        }
        const std::vector<float> rebuilt = RebuildRacingLine(path, keys, c.halfWidth);
        for (int i = 0; i < n; i++)
            EXPECT_NEAR(rebuilt[size_t(i)], fitted[size_t(i)], 0.06f) << "node " << i;
        // The game builds the line from the keys, and it fits the road.
        AiKnowledge line;
        for (const RacingLineKey& key : keys) {
            KnowledgeSegment segment;
            segment.startNode = key.startNode;
            segment.endNode = key.endNode;
            segment.endAngle = key.endAngle;
            segment.endOffset = key.endOffset;
            line.keys.push_back(segment);
        }
        line.keyCount = int32_t(line.keys.size());
        EXPECT_EQ(BuildKnowledge(line, path, c.halfWidth, PathWorld{}), 1);
    }
}

TEST(RacingLineTest, CentreLineOfAStraightNeedsNoKeys)
{
    const Path path = MakeRoadPath({{400, 0}}, false);
    const std::vector<float> fitted = FitRacingLine(path, 0.9f);
    EXPECT_TRUE(ChooseRacingLineKeys(path, fitted, 0.9f).empty());
}

TEST(RacingLineTest, SamePathGivesTheSameKeysOnEveryRun)
{
    const Path path = DesignedStadium(false);
    const std::vector<RacingLineKey> first = ChooseRacingLineKeys(path, FitRacingLine(path, 1.0f), 1.0f);
    const std::vector<RacingLineKey> second = ChooseRacingLineKeys(path, FitRacingLine(path, 1.0f), 1.0f);
    ASSERT_EQ(first.size(), second.size());
    EXPECT_EQ(std::memcmp(first.data(), second.data(), first.size() * sizeof(RacingLineKey)), 0);
}

} // namespace
