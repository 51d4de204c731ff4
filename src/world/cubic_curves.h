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

// A key segment of an AI line: a cubic across the track from a key node to
// a later one. The file keeps the key's id, tensions, nodes and end; the
// two cubics are rebuilt at load. The cubic code here reads the nodes and
// tensions and fills the cubics.
struct KnowledgeSegment {
    int16_t id = 0;
    int8_t entryTension = 0;  // percent added to 100 on the start tangent
    int8_t exitTension = 0;   // the same on the end tangent
    int32_t startNode = 0, endNode = 0;
    float endAngle = 0;       // radians: the line's heading at endNode from the node's direction
    float endOffset = 0;      // m across endNode, right positive
    Cubic x, y;               // 16.16 coordinates over s = 0..1
};
// Bytes of a stored key segment.
constexpr int CubicKeyBytes = 24;

// The AI's line at one path node: where it runs, how it bends and tilts,
// the grip and speed there, and what the driver needs of brake and
// throttle. The cubic code reads offsets and directions and writes offsets
// and points; the AI's knowledge fills the rest.
struct KnowledgeNode {
    float offset = 0;             // m across the path node along (dir.y, -dir.x) of the node
    float speed = 0;              // target speed, m/s
    float curvature = 0;          // signed horizontal curvature, 1/m
    float verticalCurvature = 0;  // 1/m, positive in a dip
    float gripA = 0, gripB = 0;   // tyre friction of the first and second axle here, about 1
    float bank = 0;               // surface normal across the line, -1..1
    float slope = 0;              // gradient: minus the normal along the line
    float bankFactor = 0;         // 1 +- abs(bank): banking with or against the turn
    float length = 0;             // 2D distance to the next node, m
    float surfaceDrag = 0;        // rolling drag of the surface kind
    uint8_t surfaceMinus = 0, surfacePlus = 0;  // surface kinds under the two wheel tracks, 0..11
    uint8_t surfaceCurve = 0;     // the kind on the side the curve leans onto
    uint8_t surfaceClass = 0;     // the class byte of surfaceCurve's kind
    uint8_t brakeByte = 0, throttleByte = 0;    // needed brake and throttle, 0..255
    Fixed x, y, z;                // the line's point, 16.16; z = ground + 1/32 m
    Vec3 dir;                     // unit direction of the line (horizontal once built)
    Vec3 normal;                  // unit surface normal
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
// Writes it (the skipped fields as zeros).
void WriteCubicKey(const KnowledgeSegment& segment, DataFile& writer);
