// Hermite cubics and the span cubics laid over path nodes.
#include <cmath>

#include "world/cubic_curves.h"

namespace {

int32_t Wrap(int64_t v) { return static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(v))); }

int32_t Round32(double v)
{
    if (!(v == v))
        return 0;
    const double r = std::nearbyint(v);
    return r >= 2147483647.0 ? INT32_MAX : r <= -2147483648.0 ? INT32_MIN : static_cast<int32_t>(r);
}

int NodeIndex(const Path& path, int i)
{
    const int n = path.nodeCount;
    return n > 0 ? ((i % n) + n) % n : 0;
}

// The lateral offset (m) of a point from a node's centre.
float LateralOffset(const PathNode& node, Fixed x, Fixed y)
{
    return node.direction.y * FixedToMetres(x - node.centre.x) - node.direction.x * FixedToMetres(y - node.centre.y);
}

// Horizontal distance (16.16 units, in floating point) between two centres.
double HorizontalSpan(const PathNode& a, const PathNode& b)
{
    const double dx = double(b.centre.x.raw) - a.centre.x.raw, dy = double(b.centre.y.raw) - a.centre.y.raw;
    return std::sqrt(dx * dx + dy * dy);
}

} // namespace

void SetCubic(Cubic& cubic, int32_t p0, int32_t p1, int32_t t0, int32_t t1)
{
    cubic.a = Wrap(int64_t(t0) + 2 * (int64_t(p0) - p1) + t1);
    cubic.b = Wrap(3 * int64_t(p1) - 3 * int64_t(p0) - 2 * int64_t(t0) - t1);
    cubic.c = t0;
    cubic.d = p0;
}

void SetCubicF(CubicF& cubic, float p0, float p1, float t0, float t1)
{
    cubic.a = t0 + 2 * (p0 - p1) + t1;
    cubic.b = 3 * p1 - 3 * p0 - 2 * t0 - t1;
    cubic.c = t0;
    cubic.d = p0;
}

void SetLinear(Cubic& cubic, int32_t a, int32_t b)
{
    cubic.a = 0;
    cubic.b = 0;
    cubic.c = Wrap(int64_t(b) - a);
    cubic.d = a;
}

int32_t EvaluateCubic(const Cubic& cubic, int32_t s)
{
    // The exact value rounded once (to the nearest 16.16 unit, halves up),
    // in 128-bit integers: three truncating 16.16 products would be off by
    // hundreds of units for the coefficients of a long span. The sum is in
    // units of 2^-48, so the rounding is one arithmetic shift (which floors,
    // negative sums included) instead of a 128-bit division: every wheel and
    // body point asks this of each road surface under it, every car step.
    // The innermost sum fits 64 bits (|a s| <= 2^62, |b 2^16| < 2^47), so
    // only the two outer products are wide, the first of them one widening
    // multiply.
    const int64_t inner = int64_t(cubic.a) * s + int64_t(cubic.b) * 65536;
    const __int128 middle = __int128(inner) * s + (__int128(cubic.c) << 32);
    const __int128 numerator = middle * s;
    constexpr int FractionBits = 48;
    const __int128 q = (numerator + (__int128(1) << (FractionBits - 1))) >> FractionBits;
    return Wrap(static_cast<int64_t>(q) + cubic.d);
}

float EvaluateCubicF(const CubicF& cubic, float s)
{
    return cubic.d + cubic.c * s + cubic.b * s * s + cubic.a * s * s * s;
}

int NodeSpanLength(const KnowledgeSegment& segment, const Path& path)
{
    const int n = path.nodeCount;
    if (n <= 0)
        return 0;
    return NodeIndex(path, segment.endNode - segment.startNode);
}

void EvaluateSegmentPoint(const KnowledgeSegment& segment, int span, int k, Fixed& x, Fixed& y)
{
    const int32_t s = span > 0 ? static_cast<int32_t>((int64_t(k) * 65536) / span) : 0;
    x = Fixed(EvaluateCubic(segment.x, s));
    y = Fixed(EvaluateCubic(segment.y, s));
}

void SetupNodeCubic(KnowledgeSegment& segment, const Path& path, const KnowledgeNode* knowledge, int startNode,
                    int endNode, float startOffset, float endOffset, float margin)
{
    segment.startNode = startNode;
    segment.endNode = endNode;
    if (path.nodeCount <= 0)
        return;
    const int s = NodeIndex(path, startNode), e = NodeIndex(path, endNode);
    const PathNode& start = path.nodes[size_t(s)];
    const PathNode& end = path.nodes[size_t(e)];
    Vec2 d0{start.direction.x, start.direction.y}, d1{end.direction.x, end.direction.y};
    if (knowledge) {
        d0 = Vec2{knowledge[s].dir.x, knowledge[s].dir.y};
        d1 = Vec2{knowledge[e].dir.x, knowledge[e].dir.y};
    }
    FixedVector p0, p1;
    GetNodeLateralPoint(start, p0, margin, startOffset);
    GetNodeLateralPoint(end, p1, margin, endOffset);
    const double l0 = HorizontalSpan(start, path.nodes[size_t(NodeIndex(path, s + 1))]);
    const double l1 = HorizontalSpan(path.nodes[size_t(NodeIndex(path, e - 1))], end);
    const double n = NodeSpanLength(segment, path);
    const double f0 = (segment.entryTension + 100) * 0.01, f1 = (segment.exitTension + 100) * 0.01;
    SetCubic(segment.x, p0.x.raw, p1.x.raw, Round32(l0 * f0 * n * d0.x), Round32(l1 * f1 * n * d1.x));
    SetCubic(segment.y, p0.y.raw, p1.y.raw, Round32(l0 * f0 * n * d0.y), Round32(l1 * f1 * n * d1.y));
}

void SetupPointCubic(KnowledgeSegment& segment, const Path& path, int startNode, int endNode,
                     const FixedVector& startPoint, const FixedVector& endPoint, const Vec2& startDirection,
                     const Vec2& endDirection, float startScale, float endScale)
{
    segment.startNode = startNode;
    segment.endNode = endNode;
    const double n = NodeSpanLength(segment, path);
    SetCubic(segment.x, startPoint.x.raw, endPoint.x.raw, Round32(n * startScale * startDirection.x),
             Round32(n * endScale * endDirection.x));
    SetCubic(segment.y, startPoint.y.raw, endPoint.y.raw, Round32(n * startScale * startDirection.y),
             Round32(n * endScale * endDirection.y));
}

void SampleCubicOffsets(const KnowledgeSegment& segment, const Path& path, KnowledgeNode* knowledge)
{
    const int span = NodeSpanLength(segment, path);
    for (int k = 1; k < span; k++) {
        const int j = NodeIndex(path, segment.startNode + k);
        Fixed x, y;
        EvaluateSegmentPoint(segment, span, k, x, y);
        knowledge[j].offset = LateralOffset(path.nodes[size_t(j)], x, y);
    }
}

void WriteCubicPoints(const KnowledgeSegment& segment, const Path& path, KnowledgeNode* knowledge)
{
    const int span = NodeSpanLength(segment, path);
    for (int k = 1; k < span; k++) {
        const int j = NodeIndex(path, segment.startNode + k);
        EvaluateSegmentPoint(segment, span, k, knowledge[j].x, knowledge[j].y);
        knowledge[j].z = Fixed(0);
    }
}

int TraceCubicOverGround(const KnowledgeSegment& segment, const Path& path, const KnowledgeNode* knowledge,
                         int* touchedKindOne, float halfWidth, int allowedKind, const PathWorld& world)
{
    const int span = NodeSpanLength(segment, path);
    bool side = false, inside = false;
    int changes = 0;
    for (int k = 1; k < span; k++) {
        const int j = NodeIndex(path, segment.startNode + k);
        const PathNode& node = path.nodes[size_t(j)];
        Fixed x, y;
        EvaluateSegmentPoint(segment, span, k, x, y);
        for (int probeSide = -1; probeSide <= 1; probeSide += 2) {
            if (!world.pointQuery)
                break;
            const FixedVector position = MakeFixedVector(
                (x + FixedFromMetres(double(probeSide) * node.direction.y * halfWidth)).raw,
                (y - FixedFromMetres(double(probeSide) * node.direction.x * halfWidth)).raw, -20 * 65536);
            ContactQueryRecord hit;
            hit.queryPosition = position;
            hit.queryDirection = MakeFixedVector(0, 0, -80 * 65536);
            if (!world.pointQuery(position, hit.queryDirection, hit) || !hit.hitSurface || !world.surfaceKind)
                continue;
            const int kind = world.surfaceKind(*hit.hitSurface);
            if (kind == 1 && touchedKindOne)
                *touchedKindOne = 1;
            const bool loose = kind == 2 || kind == 3 || kind == 4 || kind == 5 || kind == 8 || kind == 11 || kind == 13;
            if (loose && kind != allowedKind)
                return 1;
        }
        const float f = LateralOffset(node, x, y);
        const float right = f + halfWidth, left = f - halfWidth;
        if (left < node.leftEdge || right > node.rightEdge)
            return 1;
        const bool within = left >= node.leftLimit && right <= node.rightLimit;
        const float line = knowledge ? knowledge[j].offset : 0.0f;
        if (k == 1) {
            side = f > line;
        } else {
            if (within != inside && ++changes > 1)
                return 1;
            if ((side && f < line) || (!side && f > line))
                return 1;
        }
        inside = within;
    }
    return 0;
}

int TraceCubicOverGround(const KnowledgeSegment& segment, const Path& path, const KnowledgeNode* knowledge,
                         int* touchedKindOne, float halfWidth, int allowedKind)
{
    return TraceCubicOverGround(segment, path, knowledge, touchedKindOne, halfWidth, allowedKind, CurrentPathWorld());
}

int ReadCubicKey(KnowledgeSegment& segment, DataFile& reader)
{
    if (!DataFileHolds(reader, 1, CubicKeyBytes))
        return 0;
    segment.id = static_cast<int16_t>(ReadShort(reader));
    ReadShort(reader);
    segment.entryTension = static_cast<int8_t>(ReadByte(reader));
    segment.exitTension = static_cast<int8_t>(ReadByte(reader));
    ReadShort(reader);
    segment.startNode = ReadInt(reader);
    segment.endNode = ReadInt(reader);
    segment.endAngle = ReadFloat(reader);
    segment.endOffset = ReadFloat(reader);
    return reader.Overran() ? 0 : 1;
}

void WriteCubicKey(const KnowledgeSegment& segment, DataFile& writer)
{
    WriteShort(writer, segment.id);
    WriteShort(writer, 0);
    WriteByte(writer, segment.entryTension);
    WriteByte(writer, segment.exitTension);
    WriteShort(writer, 0);
    WriteInt(writer, segment.startNode);
    WriteInt(writer, segment.endNode);
    WriteFloat(writer, segment.endAngle);
    WriteFloat(writer, segment.endOffset);
}
