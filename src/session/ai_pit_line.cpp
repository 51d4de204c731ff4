// The AI's pit line: from the racing line onto the route's pit lane, along
// the pit lane past the boxes, and back onto the racing line, each join a
// cubic traced over the ground so that the car can drive it.
#include <cmath>
#include <memory>
#include <vector>

#include "session/ai_driver_record.h"
#include "session/local.h"

namespace {

// The pit lane's node that begins it (kind bit 3).
constexpr uint8_t PitLaneStartKind = 0x08;
// A join spans at least this many racing-line nodes, and at most this many:
// the search for the longest drivable join stops there.
constexpr int MinJoinNodes = 6;
constexpr int MaxJoinNodes = 60;

struct FreeFollower {
    void operator()(PathFollower* follower) const { FreePathFollower(follower); }
};

FixedVector LinePoint(const KnowledgeNode& node) { return {node.x, node.y, node.z}; }

Vec2 FlatUnit(const Vec3& v)
{
    const float length = std::sqrt(v.x * v.x + v.y * v.y);
    return length > 0 ? Vec2{v.x / length, v.y / length} : Vec2{0, 0};
}

// Slides the point along dir onto the cross line of the route's node: 0
// when dir runs along that cross line.
int SlideOntoCrossLine(FixedVector& point, const Vec2& dir, const PathNode& node)
{
    const Vec2 across = FlatUnit(node.direction);
    const float along = dir.x * across.x + dir.y * across.y;
    if (std::fabs(along) < 0.1f)
        return 0;
    const Vec3 d = OffsetFromFixed(point - node.centre);
    const float beyond = d.x * across.x + d.y * across.y;
    const float t = -beyond / along;
    point.x = point.x + FixedFromMetres(double(t) * dir.x);
    point.y = point.y + FixedFromMetres(double(t) * dir.y);
    return 1;
}

// The 16.16 distance between two points in the plane.
float FlatDistance(const FixedVector& a, const FixedVector& b)
{
    const double dx = double(b.x.raw) - a.x.raw, dy = double(b.y.raw) - a.y.raw;
    return float(std::sqrt(dx * dx + dy * dy));
}

// One join between the racing line and the pit lane: the cubic over the
// racing line's nodes from startNode to endNode.
struct PitJoin {
    KnowledgeSegment cubic;
    int span = 0;  // 0: no drivable join
};

// The longest drivable join, growing one node at a time from MinJoinNodes
// until a cubic is refused: the last good one, or the last good one that
// met no surface of kind 1 when there is one. entering: the join runs from
// the racing line at (anchor - k) to the pit point; else from the pit point
// to the racing line at (anchor + k).
PitJoin FindPitJoin(const AiKnowledge& main, const Path& route, int anchor, const FixedVector& pitPoint,
                    const Vec2& pitDir, bool entering, float halfWidth, const PathWorld& world)
{
    const int n = route.nodeCount;
    const bool closed = (route.flags & PathClosedLoop) != 0;
    const int allowedKind = main.nodes[size_t(anchor)].surfaceCurve;
    PitJoin best, clean;
    for (int k = MinJoinNodes; k <= MaxJoinNodes && k < n / 2; k++) {
        const int far = entering ? anchor - k : anchor + k;
        if (!closed && (far < 0 || far >= n))
            break;
        const int lineNode = (far % n + n) % n;
        const KnowledgeNode& line = main.nodes[size_t(lineNode)];
        const float chordScale = FlatDistance(LinePoint(line), pitPoint) / float(k);
        const float lineScale = line.length * 65536.0f;
        PitJoin join;
        join.span = k;
        if (entering)
            SetupPointCubic(join.cubic, route, lineNode, anchor, LinePoint(line), pitPoint, FlatUnit(line.dir), pitDir,
                            lineScale, chordScale);
        else
            SetupPointCubic(join.cubic, route, anchor, lineNode, pitPoint, LinePoint(line), pitDir, FlatUnit(line.dir),
                            chordScale, lineScale);
        int touchedKindOne = 0;
        if (TraceCubicOverGround(join.cubic, route, main.nodes.data(), &touchedKindOne, halfWidth, allowedKind, world))
            break;
        best = join;
        if (!touchedKindOne)
            clean = join;
    }
    return clean.span > 0 ? clean : best;
}

// The racing-line node whose span holds the point; -1 when none does.
int RouteNodeAt(const FixedVector& point, const PathWorld& world)
{
    std::unique_ptr<PathFollower, FreeFollower> follower(CreatePathFollower());
    return follower ? FindFollowerPosition(*follower, point, 0, world) : -1;
}

// Appends the inner points of a join's cubic.
void AppendJoinPoints(std::vector<KnowledgeNode>& nodes, const PitJoin& join)
{
    for (int k = 1; k < join.span; k++) {
        KnowledgeNode node;
        EvaluateSegmentPoint(join.cubic, join.span, k, node.x, node.y);
        nodes.push_back(node);
    }
}

} // namespace

int BuildAiPitLine(AiDriver& ai, const AiRaceView& view)
{
    FreeKnowledge(ai.pitKnowledge);
    const Path* route = view.pathWorld.currentPath;
    const AiKnowledge& main = ai.mainKnowledge;
    if (!route || !ai.car || main.nodeCount != route->nodeCount || route->nodeCount < 2 * MinJoinNodes + 2)
        return 0;
    size_t first = 0;
    while (first < route->secondNodes.size() && !(route->secondNodes[first].kind & PitLaneStartKind))
        first++;
    if (route->secondNodes.size() < first + 2)
        return 0;
    const std::vector<PathNode> lane(route->secondNodes.begin() + std::ptrdiff_t(first), route->secondNodes.end());
    const float halfWidth = ai.car->tuning.largerHalfWidth;
    const int n = route->nodeCount;

    FixedVector entryPoint = lane.front().centre, exitPoint = lane.back().centre;
    const Vec2 entryDir = FlatUnit(lane.front().direction), exitDir = FlatUnit(lane.back().direction);
    const int entryNode = RouteNodeAt(entryPoint, view.pathWorld);
    const int beforeExit = RouteNodeAt(exitPoint, view.pathWorld);
    if (entryNode < 0 || beforeExit < 0)
        return 0;
    const int exitNode = beforeExit + 1 < n ? beforeExit + 1 : 0;
    if (!SlideOntoCrossLine(entryPoint, entryDir, route->nodes[size_t(entryNode)]) ||
        !SlideOntoCrossLine(exitPoint, exitDir, route->nodes[size_t(exitNode)]))
        return 0;
    const PitJoin entry = FindPitJoin(main, *route, entryNode, entryPoint, entryDir, true, halfWidth, view.pathWorld);
    const PitJoin exit = FindPitJoin(main, *route, exitNode, exitPoint, exitDir, false, halfWidth, view.pathWorld);
    if (entry.span == 0 || exit.span == 0)
        return 0;

    // The racing line's node where the line leaves, the entry's points, the
    // pit lane, the exit's points and the racing line's node where it joins.
    std::vector<KnowledgeNode> nodes;
    nodes.push_back(main.nodes[size_t(entry.cubic.startNode)]);
    AppendJoinPoints(nodes, entry);
    for (size_t i = 0; i < lane.size(); i++) {
        KnowledgeNode node;
        const FixedVector point = i == 0 ? entryPoint : i + 1 == lane.size() ? exitPoint : lane[i].centre;
        node.x = point.x;
        node.y = point.y;
        node.dir = lane[i].direction;
        nodes.push_back(node);
    }
    AppendJoinPoints(nodes, exit);
    nodes.push_back(main.nodes[size_t(exit.cubic.endNode)]);
    for (size_t i = 1; i + 1 < nodes.size(); i++)
        DropKnowledgeNodeOnGround(nodes[i], nodes[i - 1], view.pathWorld);

    AiKnowledge& pit = ai.pitKnowledge;
    pit.nodes = std::move(nodes);
    pit.nodeCount = static_cast<int32_t>(pit.nodes.size());
    ComputeLineGeometry(pit, 0);
    ai.pitEntryNode = entry.cubic.startNode;
    ai.pitExitNode = exit.cubic.endNode;
    return 1;
}

int BuildAiPitLine(AiDriver& ai) { return BuildAiPitLine(ai, GatherAiRaceView()); }
