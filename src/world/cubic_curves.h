// Cubic curves over path nodes: Hermite cubics in 16.16 and in floats, the
// span cubics of the AI's lines laid from one node to a later one, their
// sampling as lateral offsets and points per node, and the test whether a
// line is drivable.
#pragma once

#include <cstdint>

#include "world/paths.h"

// value(s) = a s^3 + b s^2 + c s + d for s from 0 to 1 (s in 16.16).
struct Cubic {
    int32_t a = 0, b = 0, c = 0, d = 0;
};
struct CubicF {
    float a = 0, b = 0, c = 0, d = 0;
};

// A line over a span of path nodes, as the AI keeps it. The key and the two
// floats are the AI's; this code reads the nodes and tangent factors and
// fills the two cubics.
struct KnowledgeSegment {
    int16_t key = 0;
    int8_t startTangentFactor = 0;  // percent added to 100
    int8_t endTangentFactor = 0;
    int32_t startNode = 0, endNode = 0;
    float first = 0, second = 0;
    Cubic x, y;
};
// Bytes of a stored segment.
constexpr int CubicKeyBytes = 24;

// What the AI keeps per path node and this code reads or writes.
struct KnowledgeNode {
    float lineOffset = 0;  // m across the node, right positive
    Fixed lineX, lineY;    // the line's point, 16.16
    int32_t lineWord = 0;
    Vec2 direction;        // horizontal direction of the line
};

// A = t0 + 2(p0 - p1) + t1, B = 3p1 - 3p0 - 2t0 - t1, C = t0, D = p0.
void SetCubic(Cubic& cubic, int32_t p0, int32_t p1, int32_t t0, int32_t t1);
void SetCubicF(CubicF& cubic, float p0, float p1, float t0, float t1);
// A straight line from a to b.
void SetLinear(Cubic& cubic, int32_t a, int32_t b);
// The cubic at s (16.16, 0..65536) by the 16.16 product rule.
int32_t EvaluateCubic(const Cubic& cubic, int32_t s);
float EvaluateCubicF(const CubicF& cubic, float s);
// Node steps from the segment's start to its end, round the path; 0 for a
// path without nodes.
int NodeSpanLength(const KnowledgeSegment& segment, const Path& path);
// The segment's curve at the k-th node after its start.
void EvaluateSegmentPoint(const KnowledgeSegment& segment, int span, int k, Fixed& x, Fixed& y);
// The span cubic from a lateral point on the start node to one on the end
// node, along the nodes' (or the knowledge records') directions.
void SetupNodeCubic(KnowledgeSegment& segment, const Path& path, const KnowledgeNode* knowledge,
                    int startNode, int endNode, float startOffset, float endOffset, float margin);
// The span cubic between two given points and directions (16.16 points).
void SetupPointCubic(KnowledgeSegment& segment, const Path& path, int startNode, int endNode,
                     const FixedVector& startPoint, const FixedVector& endPoint, const Vec2& startDirection,
                     const Vec2& endDirection, float startScale, float endScale);
// For every node strictly inside the span: the curve's lateral offset into
// the node's record, or its point.
void SampleCubicOffsets(const KnowledgeSegment& segment, const Path& path, KnowledgeNode* knowledge);
void WriteCubicPoints(const KnowledgeSegment& segment, const Path& path, KnowledgeNode* knowledge);
// 1 when the curve is not drivable (off the road edges, onto a loose
// surface other than the allowed kind, in and out of the limits twice, or
// across the reference line), 0 when it is; touchedKindOne is set when a
// side probe found surface kind 1.
int TraceCubicOverGround(const KnowledgeSegment& segment, const Path& path, const KnowledgeNode* knowledge,
                         int* touchedKindOne, float halfWidth, int allowedKind);
int TraceCubicOverGround(const KnowledgeSegment& segment, const Path& path, const KnowledgeNode* knowledge,
                         int* touchedKindOne, float halfWidth, int allowedKind, const PathWorld& world);
// Reads the 24-byte stored segment; 0 when it does not fit the bytes left.
int ReadCubicKey(KnowledgeSegment& segment, DataFile& reader);
