// Vector font glyphs as filled shapes: preparing a loaded glyph (width,
// edge angles, the cubics of its curved strokes) and turning it into the
// triangles that are filled into the offscreen image.
#include <cmath>
#include <numbers>

#include "graphics/services.h"
#include "ui/local.h"

namespace {

constexpr float Pi = std::numbers::pi_v<float>;
constexpr int EllipseFanTriangles = 24;

Vec2 PointOf(const GlyphSlot& g, int index)
{
    return {g.pairs[index].x, g.pairs[index].y};
}

Vec2 Add(Vec2 a, Vec2 b) { return {a.x + b.x, a.y + b.y}; }
Vec2 Sub(Vec2 a, Vec2 b) { return {a.x - b.x, a.y - b.y}; }
Vec2 Scale(float s, Vec2 a) { return {s * a.x, s * a.y}; }
float Dot(Vec2 a, Vec2 b) { return a.x * b.x + a.y * b.y; }
float Length(Vec2 a) { return std::sqrt(Dot(a, a)); }

// One edge of a curve: midpoint, half length and the cross-section
// direction (turned by half a turn when the curve's flag is 0).
struct EdgeFrame {
    Vec2 middle;
    float half;
    Vec2 across;
};
EdgeFrame FrameOf(const GlyphSlot& g, int edge, int flag, bool negate)
{
    Vec2 a = PointOf(g, g.edges[edge].first), b = PointOf(g, g.edges[edge].second);
    EdgeFrame f;
    f.middle = Scale(0.5f, Add(a, b));
    f.half = 0.5f * Length(Sub(b, a));
    float angle = g.edges[edge].angle + (flag ? 0 : Pi);
    f.across = {std::cos(angle), std::sin(angle)};
    if (negate)
        f.across = Scale(-1, f.across);
    return f;
}

void PrepareCurve(GlyphSlot& g, GlyphCurve& c)
{
    EdgeFrame a = FrameOf(g, c.edgeA, c.flagA, false);
    EdgeFrame b = FrameOf(g, c.edgeB, c.flagB, true);
    // Side 0 joins the minus ends, side 1 the plus ends; the side whose
    // ends lie closer together is the reference (side 1 on a tie).
    Vec2 ends[2][2] = {
        {Sub(a.middle, Scale(a.half, a.across)), Sub(b.middle, Scale(b.half, b.across))},
        {Add(a.middle, Scale(a.half, a.across)), Add(b.middle, Scale(b.half, b.across))},
    };
    float chord0 = Length(Sub(ends[0][1], ends[0][0]));
    float chord1 = Length(Sub(ends[1][1], ends[1][0]));
    int reference = chord0 < chord1 ? 0 : 1;
    c.start = ends[reference][0];
    c.end = ends[reference][1];
    c.widthA = Scale(2 * a.half, a.across);
    c.widthB = Scale(2 * b.half, b.across);
    for (int s = 0; s < 2; s++) {
        GlyphCurveSide& side = c.sides[s];
        float other = reference == 0 ? 1.0f : -1.0f;
        float y0 = s == reference ? 0 : other, y1 = y0;
        Vec2 chord = Sub(ends[s][1], ends[s][0]);
        float length = Length(chord);
        float slopeA = -(Dot(a.across, chord) + length * std::tan(side.angleA)) / (2 * a.half);
        float slopeB = -(Dot(b.across, chord) + length * std::tan(side.angleB)) / (2 * b.half);
        side.cubic[0] = 2 * y0 - 2 * y1 + slopeA + slopeB;
        side.cubic[1] = 3 * y1 - 3 * y0 - 2 * slopeA - slopeB;
        side.cubic[2] = slopeA;
        side.cubic[3] = y0;
    }
}

// Font units to quarter pixels of the image. A point of the font file (or
// of a stroke shaped by its end angles) may lie anywhere: the sum is held
// to the int range rather than overflowing.
struct CellMap {
    int originX, originY;
    int cellWidth, cellHeight;  // quarter pixels for 7 by 9 units

    void Map(Vec2 p, int& x, int& y) const
    {
        x = RoundToInt32(originX + RoundHalfEven(static_cast<float>(cellWidth) * p.x / 7));
        y = RoundToInt32(originY + RoundHalfEven(static_cast<float>(cellHeight) * (1 - p.y / 9)));
    }
};

void EmitTriangle(const CellMap& map, Vec2 a, Vec2 b, Vec2 c, GlyphTriangleSink sink, void* context)
{
    int x[3], y[3];
    map.Map(a, x[0], y[0]);
    map.Map(b, x[1], y[1]);
    map.Map(c, x[2], y[2]);
    sink(context, x, y);
}

void FillIntoOffscreen(void* context, const int x[3], const int y[3])
{
    FillTriangle16(x, y, static_cast<uint16_t>(*static_cast<const int*>(context)));
}

} // namespace

void PrepareGlyphSlot(GlyphSlot* glyphs, int i)
{
    GlyphSlot& g = glyphs[i];
    g.width = 1;
    if (i > 95 && g.count == 0) {
        g.width = glyphs[95].width;
        g.consoleWidth = glyphs[95].consoleWidth;
        return;
    }
    for (int p = 0; p < g.count; p++)
        if (g.pairs[p].x > g.width)
            g.width = g.pairs[p].x;
    for (int e = 0; e < g.ellipseCount; e++) {
        float right = g.pairs[g.ellipses[e].centre].x + static_cast<float>(g.ellipses[e].radiusX) / 10;
        if (right > g.width)
            g.width = right;
    }
    const int console = RoundToInt32(9 * g.width / 7);
    g.consoleWidth = console < 9 ? console : 9;
    for (int e = 0; e < g.edgeCount; e++) {
        Vec2 d = Sub(PointOf(g, g.edges[e].second), PointOf(g, g.edges[e].first));
        g.edges[e].angle = std::atan2(d.y, d.x);
    }
    for (int c = 0; c < g.curveCount; c++)
        PrepareCurve(g, g.curves[c]);
}

Vec2 CurveSidePoint(const GlyphSlot&, const GlyphCurve& c, int side, float t)
{
    const float* k = c.sides[side].cubic;
    float across = ((k[0] * t + k[1]) * t + k[2]) * t + k[3];
    Vec2 along = Add(c.start, Scale(t, Sub(c.end, c.start)));
    Vec2 width = Add(c.widthA, Scale(t, Sub(c.widthB, c.widthA)));
    return Add(along, Scale(across, width));
}

void EmitGlyphTriangles(const GlyphSlot& g, float x, float y, float widthSize, float heightSize,
                        int imageWidth, int imageHeight, GlyphTriangleSink sink, void* context)
{
    const float w2 = 2.0f * static_cast<float>(imageWidth), h2 = 2.0f * static_cast<float>(imageHeight);
    CellMap map;
    map.originX = static_cast<int>(std::lrint(w2 * x)) + 2 * imageWidth;
    map.originY = static_cast<int>(std::lrint(h2 * y)) + 2 * imageHeight;
    map.cellWidth = static_cast<int>(std::lrint(w2 * widthSize));
    map.cellHeight = static_cast<int>(std::lrint(h2 * heightSize));

    for (int t = 0; t < g.triangleCount; t++) {
        const uint8_t* p = g.triangles[t].points;
        EmitTriangle(map, PointOf(g, p[0]), PointOf(g, p[1]), PointOf(g, p[2]), sink, context);
    }
    for (int e = 0; e < g.ellipseCount; e++) {
        const GlyphEllipse& ellipse = g.ellipses[e];
        Vec2 centre = PointOf(g, ellipse.centre);
        float rx = static_cast<float>(ellipse.radiusX) / 10, ry = static_cast<float>(ellipse.radiusY) / 10;
        Vec2 first = {centre.x + rx, centre.y};
        Vec2 previous = first;
        for (int j = 1; j <= EllipseFanTriangles; j++) {
            Vec2 rim = first;  // the last returns exactly to the start
            if (j < EllipseFanTriangles) {
                float angle = static_cast<float>(j) * Pi / 12;
                rim = {centre.x + std::cos(angle) * rx, centre.y + std::sin(angle) * ry};
            }
            EmitTriangle(map, centre, previous, rim, sink, context);
            previous = rim;
        }
    }
    const int steps = MutableCharacterMap.curveSteps > 0 ? MutableCharacterMap.curveSteps : 7;
    for (int c = 0; c < g.curveCount; c++) {
        const GlyphCurve& curve = g.curves[c];
        const GlyphEdge& a = g.edges[curve.edgeA];
        const GlyphEdge& b = g.edges[curve.edgeB];
        Vec2 previous0 = PointOf(g, curve.flagA ? a.first : a.second);
        Vec2 previous1 = PointOf(g, curve.flagA ? a.second : a.first);
        for (int step = 1; step <= steps; step++) {
            Vec2 next0, next1;
            if (step == steps) {
                next0 = PointOf(g, curve.flagB ? b.second : b.first);
                next1 = PointOf(g, curve.flagB ? b.first : b.second);
            } else {
                float t = static_cast<float>(step) / static_cast<float>(steps);
                next0 = CurveSidePoint(g, curve, 0, t);
                next1 = CurveSidePoint(g, curve, 1, t);
            }
            EmitTriangle(map, previous0, previous1, next1, sink, context);
            EmitTriangle(map, previous0, next1, next0, sink, context);
            previous0 = next0;
            previous1 = next1;
        }
    }
}

void RasterStrokeGlyph(const GlyphSlot& glyph, float x, float y, float widthSize, float heightSize,
                       int value)
{
    EmitGlyphTriangles(glyph, x, y, widthSize, heightSize, OffscreenImageSize(), OffscreenImageSize(),
                       FillIntoOffscreen, &value);
}
