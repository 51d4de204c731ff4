// Path followers: the span of the path a car or viewpoint is in, found by a
// search over the nodes, and the three light-state tables that follow it.
#include <cstring>

#include "world/hooks.h"
#include "world/paths.h"

// Past node i is d · direction >= 0; before node j the same < 0 with j's
// direction; inside means within 2 m outside the road's edges.
namespace {
constexpr float SpanEdgeMargin = 2.0f;
} // namespace

PathFollower* CreatePathFollower()
{
    auto* follower = new PathFollower;
    InitPathFollower(*follower);
    return follower;
}

void FreePathFollower(PathFollower* follower)
{
    delete follower;
}

void InitPathFollower(PathFollower& follower)
{
    ResetPathFollower(follower);
}

PathFollower* ResetPathFollower(PathFollower& follower, const PathWorld& world)
{
    follower.path = nullptr;
    follower.position = -1;
    follower.failed = 0;
    std::memset(follower.lightStates, 0, sizeof follower.lightStates);
    if (!world.loaded)
        return nullptr;
    int first = world.firstLayoutObject;
    first = first < 0 ? 0 : first > LightStateTableSize ? LightStateTableSize : first;
    for (auto& table : follower.lightStates)
        std::memset(table + first, 0xFF, static_cast<size_t>(LightStateTableSize - first));
    return &follower;
}

PathFollower* ResetPathFollower(PathFollower& follower)
{
    return ResetPathFollower(follower, CurrentPathWorld());
}

void ApplyNodeLightChanges(PathFollower& follower, int node)
{
    const Path* path = follower.path;
    if (!path || node < 0 || node >= path->nodeCount)
        return;
    const PathNode& n = path->nodes[size_t(node)];
    for (int k = 0; k < LightStateTableCount; k++)
        for (const KeyedEntry& entry : n.states[k].entries)
            if (entry.object >= 0 && entry.object < LightStateTableSize)
                follower.lightStates[k][entry.object] ^= entry.mask;
}

int FindFollowerPosition(PathFollower& follower, const FixedVector& point, int rebuild, const PathWorld& world)
{
    ResetPathFollower(follower, world);
    if (!world.loaded) {
        follower.failed = 1;
        return -1;
    }
    Path* path = world.currentPath;
    if (!path) {
        if (world.configuration != 0)
            WorldPrintError("BUG : No path to follow");
        follower.failed = 1;
        return -1;
    }
    if (static_cast<int>(path->lightMaps.size()) != world.lightSchemeCount) {
        WorldPrintError("BUG : Path has wrong number of light schemes");
        follower.failed = 1;
        return -1;
    }
    const int count = path->nodeCount;
    if (count <= 0) {
        follower.failed = 1;
        return -1;
    }
    follower.path = path;
    if (rebuild)
        for (int k = 0; k < LightStateTableCount; k++)
            for (const KeyedEntry& entry : path->baseLists[k].entries)
                if (entry.object >= 0 && entry.object < LightStateTableSize)
                    follower.lightStates[k][entry.object] = entry.mask;
    const int last = (path->flags & PathClosedLoop) ? count - 1 : count - 2;
    for (int i = 0; i <= last; i++) {
        if (rebuild)
            ApplyNodeLightChanges(follower, i);
        const int j = i + 1 == count ? 0 : i + 1;
        const PathNode& a = path->nodes[size_t(i)];
        const PathNode& b = path->nodes[size_t(j)];
        const float dx = FixedToMetres(point.x - a.centre.x), dy = FixedToMetres(point.y - a.centre.y);
        const float ex = FixedToMetres(point.x - b.centre.x), ey = FixedToMetres(point.y - b.centre.y);
        const bool past = dx * a.direction.x + dy * a.direction.y >= 0;
        const bool before = ex * b.direction.x + ey * b.direction.y < 0;
        const float lateral = a.direction.y * dx - a.direction.x * dy;
        if (past && before && a.leftEdge - SpanEdgeMargin < lateral && lateral < a.rightEdge + SpanEdgeMargin) {
            follower.position = i;
            return i;
        }
    }
    if (rebuild)
        WorldPrintMessage("Follower could not find position", 9);
    follower.failed = 1;
    return -1;
}

int FindFollowerPosition(PathFollower& follower, const FixedVector& point, int rebuild)
{
    return FindFollowerPosition(follower, point, rebuild, CurrentPathWorld());
}

int EnsureFollowerPosition(PathFollower& follower, const FixedVector& point)
{
    if (follower.failed)
        return 1;
    if (follower.position == -1)
        FindFollowerPosition(follower, point, 1);
    return follower.failed;
}

namespace {

// How far (m) a driver taking over may be from the follower's span before
// the follower searches afresh.
constexpr float TakeOverReach = 20.0f;

bool IsPointFarFromSpan(const PathFollower& follower, const FixedVector& point)
{
    const Path* path = follower.path;
    if (!path || follower.position < 0 || follower.position >= path->nodeCount)
        return false;
    const PathNode& a = path->nodes[size_t(follower.position)];
    const PathNode& b = path->nodes[size_t(NextFollowerNode(follower))];
    const float dx = FixedToMetres(point.x - a.centre.x), dy = FixedToMetres(point.y - a.centre.y);
    const float ex = FixedToMetres(point.x - b.centre.x), ey = FixedToMetres(point.y - b.centre.y);
    const float beyondNext = ex * b.direction.x + ey * b.direction.y;
    const float behindNode = -(dx * a.direction.x + dy * a.direction.y);
    const float lateral = a.direction.y * dx - a.direction.x * dy;
    return beyondNext > TakeOverReach || behindNode > TakeOverReach || lateral < a.leftEdge - TakeOverReach ||
           lateral > a.rightEdge + TakeOverReach;
}

} // namespace

void RefreshFollowerAtPoint(PathFollower& follower, const FixedVector& point, const PathWorld& world)
{
    if (IsPointFarFromSpan(follower, point))
        ResetPathFollower(follower, world);
    if (!follower.failed && follower.position == -1)
        FindFollowerPosition(follower, point, 1, world);
}

void RefreshFollowerAtPoint(PathFollower& follower, const FixedVector& point)
{
    RefreshFollowerAtPoint(follower, point, CurrentPathWorld());
}

int NextFollowerNode(const PathFollower& follower)
{
    const Path* path = follower.path;
    return path && path->nodeCount > 0 ? (follower.position + 1) % path->nodeCount : 0;
}
