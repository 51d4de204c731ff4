// The small 2D drawing primitives of the map, gauge and symbol code:
// filled circles and squares, and glyphs turned as symbols, all into the
// open screen batch.
#include <cmath>

#include "graphics/services.h"
#include "ui/local.h"

namespace {

constexpr float Pi = 3.14159265358979323846f;
constexpr uint32_t AlphaBlendState = 27;

// The vertical size of a horizontal one: the same, or times the screen's
// width-to-height ratio so that it looks round.
float Vertical(float size, int aspect) { return aspect ? size * DisplayPass.aspectWH : size; }

} // namespace

void DrawCircle(int segments, float x, float y, float radius, uint32_t colour, int aspect)
{
    if (segments < 3)
        return;
    const float vertical = Vertical(radius, aspect);
    const int centre = AddScreenVertex(x, y, 0, 0, colour);
    const int first = AddScreenVertex(x + radius, y, 0, 0, colour);
    int previous = first;
    for (int i = 1; i <= segments; ++i) {
        int rim = first;  // the last closes exactly on the first
        if (i < segments) {
            const float angle = 2 * Pi * static_cast<float>(i) / static_cast<float>(segments);
            rim = AddScreenVertex(x + radius * std::cos(angle), y - vertical * std::sin(angle), 0, 0, colour);
        }
        AddBatchTriangle(centre, previous, rim);
        previous = rim;
    }
}

void DrawRect(float x, float y, float halfSize, uint32_t colour, int aspect)
{
    const float vertical = Vertical(halfSize, aspect);
    const int topLeft = AddScreenVertex(x - halfSize, y - vertical, 0, 0, colour);
    const int topRight = AddScreenVertex(x + halfSize, y - vertical, 1, 0, colour);
    const int bottomLeft = AddScreenVertex(x - halfSize, y + vertical, 0, 1, colour);
    const int bottomRight = AddScreenVertex(x + halfSize, y + vertical, 1, 1, colour);
    AddBatchQuad(topLeft, topRight, bottomRight, bottomLeft);
}

void BeginGlyphDraw(int glyphSlot, int blend)
{
    if (blend)
        SetRenderStateCached(AlphaBlendState, 1);
    const int texture = glyphSlot >= 0 && glyphSlot < GlyphSlotCount ? CharacterMap.glyphs[glyphSlot].texture : 0;
    BeginScreenBatch(CharacterMap.fontTextures[texture >= 0 && texture < FontTextureCount ? texture : 0]);
}

void DrawRotatedGlyph(int glyphSlot, float x, float y, float size, uint32_t colour, float angle, int aspect)
{
    if (glyphSlot < 0 || glyphSlot >= GlyphSlotCount)
        return;
    const GlyphSlot& glyph = CharacterMap.glyphs[glyphSlot];
    const float phi = angle - Pi / 4;
    const float sx = size, sy = Vertical(size, aspect);
    const float s = std::sin(phi), c = std::cos(phi);
    const int a = AddScreenVertex(x - sx * s, y - sy * c, glyph.uLeft, glyph.vTop, colour);
    const int b = AddScreenVertex(x + sx * c, y - sy * s, glyph.uLeft, glyph.vBottom, colour);
    const int d = AddScreenVertex(x - sx * c, y + sy * s, glyph.uRight, glyph.vTop, colour);
    const int e = AddScreenVertex(x + sx * s, y + sy * c, glyph.uRight, glyph.vBottom, colour);
    AddBatchQuad(a, b, e, d);
}

void EndGlyphDraw(int blend)
{
    EndScreenBatch();
    if (blend)
        SetRenderStateCached(AlphaBlendState, 0);
}
