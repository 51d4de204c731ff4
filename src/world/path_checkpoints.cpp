// The finish line and checkpoints found under a path's nodes, the nodes'
// distances along the path, its bounds and its share of road, and the
// rubber points placed on the ground.
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "world/hooks.h"
#include "world/local.h"
#include "world/paths.h"
#include "world/services.h"


namespace {

constexpr int32_t Metre = 65536;
// The ground probe under a node: from 1 m above its centre down to 2 m below.
constexpr int32_t NodeProbeBottom = 2 * Metre, NodeProbeLength = 3 * Metre;
// The ground probe under a rubber point: from 2 m above down to 4 m below.
constexpr int32_t RubberProbeBottom = 4 * Metre, RubberProbeLength = 6 * Metre;
// Rubber marks are drawn this far (1/32 m) above the ground they lie on.
constexpr int32_t RubberLift = 2048;
// The smallest radius a path reports, and what is added to its half-diagonal.
constexpr int32_t SmallestPathRadius = 384 * Metre, PathRadiusMargin = 20 * Metre;


// The point z metres (16.16) below p.
FixedVector Below(const FixedVector& p, int32_t z)
{
    return {p.x, p.y, Fixed(WrapAdd(p.z.raw, -z))};
}

bool IsRoadKind(int kind)
{
    return kind >= 0 && kind < SurfaceKindCount && SurfaceKindTable[kind].road;
}

// Probes the ground; 1 on a hit. kind receives the surface kind (-1 when
// the hit has no surface).
int ProbeGround(const PathWorld& world, const FixedVector& position, int32_t length, ContactQueryRecord& hit,
                int& kind)
{
    kind = -1;
    if (!world.pointQuery)
        return 0;
    hit = ContactQueryRecord{};
    hit.queryPosition = position;
    hit.queryDirection = MakeFixedVector(0, 0, -length);
    if (!world.pointQuery(position, hit.queryDirection, hit))
        return 0;
    if (hit.hitSurface && world.surfaceKind)
        kind = world.surfaceKind(*hit.hitSurface);
    return 1;
}

// The three rubber points' ground positions and colours.
void PlaceRubberPoints(PathNode& node, const PathWorld& world)
{
    // A narrow band is drawn darker: 2 / its width, at most 1.
    const float width = node.rubber[2].offset - node.rubber[0].offset;
    const float spread = width > 2.0f ? 2.0f / width : width >= 0.0f ? 1.0f : 0.0f;
    const Fixed dy = FixedFromMetres(node.direction.y);
    const Fixed dx = FixedFromMetres(-node.direction.x);
    for (RubberPoint& point : node.rubber) {
        const Fixed across = FixedFromMetres(point.offset);
        point.ground = MakeFixedVector(WrapAdd(node.centre.x.raw, FixedMul(across, dy).raw),
                                       WrapAdd(node.centre.y.raw, FixedMul(across, dx).raw), node.centre.z.raw);
        float share = spread * point.intensity;
        share = share > 1.0f ? 1.0f : share > 0.0f ? share : 0.0f;
        const float alpha = std::nearbyint(share * (Settings.rubberDark * 255.0f));
        point.colour = alpha > 0 && alpha <= 255 ? static_cast<uint32_t>(alpha) << 24 : 0;
        if (!world.loaded)
            continue;
        ContactQueryRecord hit;
        int kind;
        if (ProbeGround(world, Below(point.ground, RubberProbeBottom), RubberProbeLength, hit, kind))
            point.ground.z = Fixed(WrapAdd(hit.hitPosition.z.raw, RubberLift));
        if (!IsRoadKind(kind))
            point.colour = 0;
    }
}

} // namespace

int FindCheckpointUnderNode(PathNode& node, int* roadFlag, const PathWorld& world)
{
    int result = 0;
    if (roadFlag) {
        *roadFlag = 1;
        ContactQueryRecord hit;
        int kind;
        if (ProbeGround(world, Below(node.centre, NodeProbeBottom), NodeProbeLength, hit, kind)) {
            result = hit.areaCode;
            if (!IsRoadKind(kind))
                *roadFlag = 0;
        }
    }
    if (ProgramMode.graphicsOn)
        PlaceRubberPoints(node, world);
    return result;
}

int FindCheckpointUnderNode(PathNode& node, int* roadFlag)
{
    return FindCheckpointUnderNode(node, roadFlag, CurrentPathWorld());
}

int SetupPathCheckpoints(Path& path, const PathWorld& world)
{
    const bool racing = world.currentPath && (world.currentPath->flags & PathRacing);
    path.roadFraction = racing ? 0.0f : 1.0f;
    for (int32_t& node : path.timingNodes)
        node = -1;
    const int count = path.nodeCount;
    if (count <= 0) {
        path.centre = ZeroVector;
        path.radius = 0;
        return 0;
    }
    if (racing)
        MutableLoadedWorld.checkpointSearchBit = 1u << ((world.configuration + (world.reversed ? 16 : 0)) & 31);
    const int timingPoints = world.timingPointCount;
    int previous = 0;
    int64_t minX = INT64_MAX, maxX = INT64_MIN, minY = INT64_MAX, maxY = INT64_MIN;
    for (int i = 0; i < count; i++) {
        PathNode& node = path.nodes[size_t(i)];
        if (racing) {
            int road = 0;
            const int k = FindCheckpointUnderNode(node, &road, world);
            if (road)
                path.roadFraction += 1.0f / count;
            if (k == 0) {
                previous = 0;
            } else if (k != previous) {
                const int t = k == 1 ? 1 : world.reversed ? timingPoints - k + 2 : k;
                if (t >= 1 && t <= TimingPointSlots)
                    path.timingNodes[t - 1] = i;
                previous = k;
            }
        }
        minX = std::min<int64_t>(minX, node.centre.x.raw);
        maxX = std::max<int64_t>(maxX, node.centre.x.raw);
        minY = std::min<int64_t>(minY, node.centre.y.raw);
        maxY = std::max<int64_t>(maxY, node.centre.y.raw);
    }
    MutableLoadedWorld.checkpointSearchBit = 0;
    if (racing && timingPoints > 0) {
        bool missing = false;
        for (int t = 1; t <= timingPoints && t <= TimingPointSlots; t++) {
            if (path.timingNodes[t - 1] >= 0)
                continue;
            char text[64];
            std::snprintf(text, sizeof text, "Checkpoint %d path node not found", t);
            WorldPrintMessage(text, 9);
            missing = true;
        }
        if (missing)
            WorldPrintError(GetText(TX_3q_laptimer));
    }
    if (path.flags & PathClosedLoop) {
        const int finish = path.timingNodes[0] >= 1 ? path.timingNodes[0] : 0;
        float sum = 0;
        for (int step = 1; step <= count; step++) {
            const int from = (finish + step - 1) % count, to = (finish + step) % count;
            sum += FixedDistance(path.nodes[size_t(from)].centre, path.nodes[size_t(to)].centre);
            path.nodes[size_t(to)].distance = sum;
        }
    } else {
        float sum = 0;
        path.nodes[0].distance = 0;
        for (int i = 1; i < count; i++) {
            sum += FixedDistance(path.nodes[size_t(i - 1)].centre, path.nodes[size_t(i)].centre);
            path.nodes[size_t(i)].distance = sum;
        }
    }
    const int64_t halfWidth = (maxX - minX) / 2, halfHeight = (maxY - minY) / 2;
    path.centre = MakeFixedVector(static_cast<int32_t>((minX + maxX) / 2), static_cast<int32_t>((minY + maxY) / 2), 0);
    const int64_t radius = int64_t(IntLength2(static_cast<int32_t>(std::min<int64_t>(halfWidth, INT32_MAX)),
                                              static_cast<int32_t>(std::min<int64_t>(halfHeight, INT32_MAX)))) +
                           PathRadiusMargin;
    path.radius = static_cast<int32_t>(std::clamp<int64_t>(radius, SmallestPathRadius, INT32_MAX));
    return path.radius;
}

int SetupPathCheckpoints(Path& path)
{
    return SetupPathCheckpoints(path, CurrentPathWorld());
}
