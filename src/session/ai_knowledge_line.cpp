// The knowledge's racing line: rebuilt from the file's key segments over the
// path, put on the ground under the car's wheel tracks, and measured (the
// direction, bend, dip, banking and surface at every node).
#include <cmath>
#include <cstdlib>

#include "session/ai_knowledge.h"
#include "session/local.h"

namespace {

// The line point is kept this far above the ground (1/16 m in 16.16).
constexpr int32_t LineAboveGround = 2048;
// The node margin is a little smaller than the key margin, which leaves the
// cubic a little room between its keys.
constexpr float KeyMargin = KnowledgeKeyMargin;
constexpr float NodeMargin = KnowledgeNodeMargin;
// Surface kinds at and above this one do not count as a surface under the
// line (12 and up are the kinds no wheel track should meet).
constexpr int FirstUnlistedSurface = 12;

int WrapNode(int i, int count) { return ((i % count) + count) % count; }

float Length(const Vec3& v) { return std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z); }

Vec3 Unit(const Vec3& v, const Vec3& fallback)
{
    const float length = Length(v);
    return length > 0 ? Vec3{v.x / length, v.y / length, v.z / length} : fallback;
}

// The point offset metres across the path node, right positive.
void NodeLinePoint(const PathNode& node, float offset, Fixed& x, Fixed& y)
{
    x = node.centre.x + FixedFromMetres(double(offset) * node.direction.y);
    y = node.centre.y - FixedFromMetres(double(offset) * node.direction.x);
}

// What the ground query found straight below a point.
struct GroundHit {
    bool found = false;
    int surface = 0;
    Fixed z;
    Vec3 normal{0, 0, 1};
};

GroundHit QueryGround(const PathWorld& world, Fixed x, Fixed y, Fixed centreZ)
{
    GroundHit ground;
    if (!world.pointQuery)
        return ground;
    // From 60 m above the path down to 20 m below it.
    ContactQueryRecord hit;
    hit.queryPosition = MakeFixedVector(x.raw, y.raw, (centreZ - FixedFromMetres(20)).raw);
    hit.queryDirection = MakeFixedVector(0, 0, -80 * 65536);
    if (!world.pointQuery(hit.queryPosition, hit.queryDirection, hit))
        return ground;
    ground.found = true;
    ground.z = hit.hitPosition.z;
    ground.normal = hit.hitNormal;
    const int kind = hit.hitSurface && world.surfaceKind ? world.surfaceKind(*hit.hitSurface) : 0;
    ground.surface = kind > 0 && kind < FirstUnlistedSurface ? kind : 0;
    return ground;
}

// Puts one node's line on the ground under its two wheel tracks.
void PlaceNodeOnGround(KnowledgeNode& k, const PathNode& node, float halfWidth, const PathWorld& world)
{
    NodeLinePoint(node, k.offset, k.x, k.y);
    Fixed minusX, minusY, plusX, plusY;
    NodeLinePoint(node, k.offset - halfWidth, minusX, minusY);
    NodeLinePoint(node, k.offset + halfWidth, plusX, plusY);
    const GroundHit minus = QueryGround(world, minusX, minusY, node.centre.z);
    const GroundHit plus = QueryGround(world, plusX, plusY, node.centre.z);
    if (minus.found && plus.found) {
        k.surfaceMinus = static_cast<uint8_t>(minus.surface);
        k.surfacePlus = static_cast<uint8_t>(plus.surface);
        k.z = Fixed(static_cast<int32_t>((int64_t(minus.z.raw) + plus.z.raw) / 2) + LineAboveGround);
        // The normal stands square to the line between the two hits and to
        // the direction of travel.
        const Vec3 across{FixedToMetres(plusX - minusX), FixedToMetres(plusY - minusY), FixedToMetres(plus.z - minus.z)};
        const Vec3& d = k.dir;
        k.normal = Unit({across.y * d.z - across.z * d.y, across.z * d.x - across.x * d.z, across.x * d.y - across.y * d.x},
                        Vec3{0, 0, 1});
        return;
    }
    const GroundHit centre = QueryGround(world, k.x, k.y, node.centre.z);
    if (centre.found) {
        k.surfaceMinus = k.surfacePlus = static_cast<uint8_t>(centre.surface);
        k.z = centre.z + Fixed(LineAboveGround);
        k.normal = centre.normal;
        return;
    }
    k.surfaceMinus = k.surfacePlus = 0;
    k.z = node.centre.z + Fixed(LineAboveGround);
    k.normal = Vec3{0, 0, 1};
}

// The key's cubic from the line at its start node to the line at its end
// node, along the knowledge's directions there.
void SetKeyCubic(AiKnowledge& knowledge, KnowledgeSegment& key, const Path& path, float halfWidth)
{
    const KnowledgeNode* nodes = knowledge.nodes.data();
    SetupNodeCubic(key, path, nodes, key.startNode, key.endNode, nodes[key.startNode].offset,
                   nodes[key.endNode].offset, halfWidth);
}

// Banking helps a car through a corner that leans into it and hinders one
// that leans out of it.
float BankFactor(float curvature, float bank)
{
    const float lean = curvature * bank;
    if (lean > 0.000001f)
        return 1 + std::fabs(bank);
    if (lean < -0.000001f)
        return 1 - std::fabs(bank);
    return 1;
}

} // namespace

void DropKnowledgeNodeOnGround(KnowledgeNode& node, const KnowledgeNode& previous, const PathWorld& world)
{
    const GroundHit ground = QueryGround(world, node.x, node.y, previous.z);
    if (!ground.found) {
        node.surfaceMinus = previous.surfaceMinus;
        node.surfacePlus = previous.surfacePlus;
        node.z = previous.z;
        node.normal = previous.normal;
        return;
    }
    node.surfaceMinus = node.surfacePlus = static_cast<uint8_t>(ground.surface);
    node.z = ground.z + Fixed(LineAboveGround);
    node.normal = ground.normal;
}

void SetKnowledgeSegmentNode(AiKnowledge& knowledge, KnowledgeSegment& key, const Path& path, float halfWidth)
{
    const PathNode& node = path.nodes[size_t(key.endNode)];
    KnowledgeNode& k = knowledge.nodes[size_t(key.endNode)];
    double sine, cosine;
    ComputeSinCos(key.endAngle, sine, cosine);
    const double dx = node.direction.x, dy = node.direction.y;
    k.dir = Vec3{float(cosine * dx - sine * dy), float(sine * dx + cosine * dy), node.direction.z};
    const float low = node.leftEdge + halfWidth + KeyMargin;
    const float high = node.rightEdge - halfWidth - KeyMargin;
    // Clamp by hand: a road narrower than the car gives low > high, and the
    // build then fails at the ground.
    key.endOffset = key.endOffset < low ? low : key.endOffset > high ? high : key.endOffset;
    k.offset = key.endOffset;
}

int PlaceLineOnGround(AiKnowledge& knowledge, const Path& path, float halfWidth, const PathWorld& world)
{
    for (int i = 0; i < knowledge.nodeCount; i++) {
        const PathNode& node = path.nodes[size_t(i)];
        KnowledgeNode& k = knowledge.nodes[size_t(i)];
        if (!(k.offset >= node.leftEdge + halfWidth + NodeMargin && k.offset <= node.rightEdge - halfWidth - NodeMargin))
            return 0;
        PlaceNodeOnGround(k, node, halfWidth, world);
    }
    return 1;
}

void ComputeLineGeometry(AiKnowledge& knowledge, int closed)
{
    const int n = knowledge.nodeCount;
    std::vector<KnowledgeNode>& nodes = knowledge.nodes;
    for (int i = 0; i < n; i++) {
        const int prev = closed ? WrapNode(i - 1, n) : (i > 0 ? i - 1 : 0);
        const int next = closed ? WrapNode(i + 1, n) : (i + 1 < n ? i + 1 : n - 1);
        KnowledgeNode& k = nodes[size_t(i)];
        const KnowledgeNode& a = nodes[size_t(prev)];
        const KnowledgeNode& b = nodes[size_t(next)];
        const Vec3 chord{FixedToMetres(b.x - a.x), FixedToMetres(b.y - a.y), FixedToMetres(b.z - a.z)};
        const float chordSq = chord.x * chord.x + chord.y * chord.y;
        // The normal made square to the chord.
        const float chord3Sq = chordSq + chord.z * chord.z;
        if (chord3Sq > 0) {
            const float along = (k.normal.x * chord.x + k.normal.y * chord.y + k.normal.z * chord.z) / chord3Sq;
            k.normal = Unit({k.normal.x - along * chord.x, k.normal.y - along * chord.y, k.normal.z - along * chord.z},
                            Vec3{0, 0, 1});
        }
        if (chordSq > 0) {
            const float chordLength = std::sqrt(chordSq);
            k.dir = Vec3{chord.x / chordLength, chord.y / chordLength, 0};
        }
        const KnowledgeNode& following = nodes[size_t(closed ? WrapNode(i + 1, n) : next)];
        const float toNextX = FixedToMetres(following.x - k.x), toNextY = FixedToMetres(following.y - k.y);
        k.length = std::sqrt(toNextX * toNextX + toNextY * toNextY);
        if (chordSq > 0) {
            // Eight times the node's distance from the chord over the
            // chord squared is the bend of the circle through the three.
            k.curvature = (k.dir.y * FixedToMetres(k.x - b.x) - k.dir.x * FixedToMetres(k.y - b.y)) * 8 / chordSq;
            const float meanHeight = (FixedToMetres(a.z) + FixedToMetres(b.z)) * 0.5f;
            k.verticalCurvature = (meanHeight - FixedToMetres(k.z)) * 8 / chordSq;
        } else {
            k.curvature = k.verticalCurvature = 0;
        }
        // Bank: the normal's lean to the left of the line; slope: uphill
        // positive.
        k.bank = -k.dir.y * k.normal.x + k.dir.x * k.normal.y;
        k.slope = -(k.dir.x * k.normal.x + k.dir.y * k.normal.y);
        k.bankFactor = BankFactor(k.curvature, k.bank);
        k.surfaceCurve = k.curvature > 0 ? k.surfacePlus : k.surfaceMinus;
        const SurfaceKindRecord& kind = SurfaceKindTable[k.surfaceCurve < SurfaceKindCount ? k.surfaceCurve : 0];
        k.surfaceClass = kind.loose;
        k.surfaceDrag = kind.secondFactor;
    }
}

int BuildKnowledge(AiKnowledge& knowledge, const Path& path, float halfWidth, const PathWorld& world)
{
    const int n = path.nodeCount;
    AllocKnowledgeNodes(knowledge, n);
    if (n <= 0 || size_t(n) != path.nodes.size())
        return 0;
    for (const KnowledgeSegment& key : knowledge.keys)
        if (key.startNode < 0 || key.startNode >= n || key.endNode < 0 || key.endNode >= n)
            return 0;
    // Without a key the line runs along the path's centre.
    for (int i = 0; i < n; i++)
        knowledge.nodes[size_t(i)].dir = path.nodes[size_t(i)].direction;
    for (KnowledgeSegment& key : knowledge.keys)
        SetKnowledgeSegmentNode(knowledge, key, path, halfWidth);
    for (KnowledgeSegment& key : knowledge.keys)
        SetKeyCubic(knowledge, key, path, halfWidth);
    for (const KnowledgeSegment& key : knowledge.keys)
        SampleCubicOffsets(key, path, knowledge.nodes.data());
    if (!PlaceLineOnGround(knowledge, path, halfWidth, world))
        return 0;
    ComputeLineGeometry(knowledge, (path.flags & PathClosedLoop) != 0);
    return 1;
}

int BuildKnowledge(AiKnowledge& knowledge, const Path& path, float halfWidth)
{
    return BuildKnowledge(knowledge, path, halfWidth, CurrentPathWorld());
}

void InterpolateKnowledgeNode(KnowledgeNode& out, const KnowledgeNode& a, const KnowledgeNode& b, float t,
                              int withArc)
{
    auto mix = [t](float p, float q) { return p + t * (q - p); };
    auto mixFixed = [t](Fixed p, Fixed q) {
        return Fixed(p.raw + static_cast<int32_t>(std::nearbyint(double(t) * (double(q.raw) - p.raw))));
    };
    KnowledgeNode k;
    k.offset = mix(a.offset, b.offset);
    k.speed = mix(a.speed, b.speed);
    k.curvature = mix(a.curvature, b.curvature);
    k.verticalCurvature = mix(a.verticalCurvature, b.verticalCurvature);
    k.gripA = mix(a.gripA, b.gripA);
    k.gripB = mix(a.gripB, b.gripB);
    k.bank = mix(a.bank, b.bank);
    k.slope = mix(a.slope, b.slope);
    k.bankFactor = mix(a.bankFactor, b.bankFactor);
    k.brakeByte = static_cast<uint8_t>(std::nearbyint(mix(a.brakeByte, b.brakeByte)));
    k.throttleByte = static_cast<uint8_t>(std::nearbyint(mix(a.throttleByte, b.throttleByte)));
    k.x = mixFixed(a.x, b.x);
    k.y = mixFixed(a.y, b.y);
    k.z = mixFixed(a.z, b.z);
    k.dir = Unit({mix(a.dir.x, b.dir.x), mix(a.dir.y, b.dir.y), mix(a.dir.z, b.dir.z)}, a.dir);
    k.normal = Unit({mix(a.normal.x, b.normal.x), mix(a.normal.y, b.normal.y), mix(a.normal.z, b.normal.z)}, a.normal);
    const bool bothBend = (a.curvature > 0.0005f && b.curvature > 0.0005f) ||
                          (a.curvature < -0.0005f && b.curvature < -0.0005f);
    if (withArc && bothBend) {
        // The circle through a and b of the mean radius, its centre on the
        // perpendicular bisector, on the side the line bends to.
        const double radius = 0.5 / a.curvature + 0.5 / b.curvature;
        const double cx = FixedToMetres(b.x - a.x), cy = FixedToMetres(b.y - a.y);
        const double half = std::sqrt(cx * cx + cy * cy) * 0.5;
        if (half > 0 && std::fabs(radius) > half) {
            const double rise = std::sqrt(radius * radius - half * half) * (radius > 0 ? 1 : -1);
            const double midX = FixedToMetres(a.x) + cx * 0.5, midY = FixedToMetres(a.y) + cy * 0.5;
            // Left of a -> b for a left bend (positive curvature).
            const double centreX = midX - cy / (2 * half) * rise, centreY = midY + cx / (2 * half) * rise;
            const double px = FixedToMetres(k.x) - centreX, py = FixedToMetres(k.y) - centreY;
            const double distance = std::sqrt(px * px + py * py);
            if (distance > 0) {
                k.x = FixedFromMetres(centreX + px * std::fabs(radius) / distance);
                k.y = FixedFromMetres(centreY + py * std::fabs(radius) / distance);
            }
        }
    }
    out = k;
}
