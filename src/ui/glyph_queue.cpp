// The glyph queues: glyph quads gathered through a frame and drawn grouped
// by texture, the untextured quads of the gauges, and the 2D layer's two
// text layers around a mark.
#include "graphics/services.h"
#include "ui/local.h"

GlyphQueueTableRecord MutableGlyphQueues;
const GlyphQueueTableRecord& GlyphQueues = MutableGlyphQueues;

namespace {

// Glyphs of one texture per screen batch before it is drawn and opened again.
constexpr int GlyphsPerBatch = 256;
// A cache cell's texture rectangle: 8 cells across, 62 of its 64 rows.
constexpr float CellUvSize = 1.0f / 8.0f;
constexpr float CellUvHeight = 0.12109375f;

GlyphQueue& Current() { return MutableGlyphQueues.queues[MutableGlyphQueues.current]; }

// The texture of a texture number: a font texture or a cache's.
Material* TextureOfNumber(int number)
{
    if (number < FirstCacheTexture)
        return number >= 0 ? CharacterMap.fontTextures[number] : nullptr;
    return CharCacheMaterial(number - FirstCacheTexture);
}

} // namespace

GlyphUvRect GlyphTextureRect(const GlyphQuad& quad)
{
    if (quad.texture < FirstCacheTexture) {
        const GlyphSlot& slot = CharacterMap.glyphs[quad.glyph >= 0 && quad.glyph < GlyphSlotCount ? quad.glyph : 0];
        return {slot.uLeft, slot.vTop, slot.uRight, slot.vBottom};
    }
    const int cell = quad.glyph % CacheCellCount;
    GlyphUvRect uv;
    uv.left = static_cast<float>(cell % 8) * CellUvSize;
    uv.top = static_cast<float>(cell / 8) * CellUvSize;
    uv.right = uv.left + static_cast<float>(quad.pixelWidth) / CacheTextureSize;
    uv.bottom = uv.top + CellUvHeight;
    return uv;
}

namespace {

// The quad's rectangle and texture rectangle after its style.
void ApplyStyle(const GlyphQuad& quad, float& left, float& top, float& right, float& bottom, GlyphUvRect& uv)
{
    left = quad.left;
    right = quad.right;
    top = quad.top;
    bottom = quad.bottom;
    if (quad.style == StyleShifted) {
        left += GlyphQueues.glyphShift;
        right += GlyphQueues.glyphShift;
    } else if (quad.style > 0) {
        const float cut = static_cast<float>(quad.style) / 100.0f;
        top += cut * (bottom - top);
        uv.top += cut * (uv.bottom - uv.top);
    } else if (quad.style < 0) {
        const float kept = static_cast<float>(-quad.style) / 100.0f;
        bottom = top + kept * (bottom - top);
        uv.bottom = uv.top + kept * (uv.bottom - uv.top);
    }
}

void AddGlyphVertices(const GlyphQuad& quad)
{
    GlyphUvRect uv = GlyphTextureRect(quad);
    float left, top, right, bottom;
    ApplyStyle(quad, left, top, right, bottom, uv);
    const int topLeft = AddScreenVertex(left, top, uv.left, uv.top, quad.topColour);
    const int bottomLeft = AddScreenVertex(left, bottom, uv.left, uv.bottom, quad.bottomColour);
    const int topRight = AddScreenVertex(right, top, uv.right, uv.top, quad.topColour);
    const int bottomRight = AddScreenVertex(right, bottom, uv.right, uv.bottom, quad.bottomColour);
    AddBatchQuad(topLeft, topRight, bottomRight, bottomLeft);
}

// The glyphs of one texture number in [first, end), in batches of 256. A
// texture that does not exist leaves its glyphs undrawn; the others are
// drawn all the same.
void DrawGlyphsOfTexture(const GlyphQueue& queue, int first, int end, int number)
{
    Material* material = nullptr;
    int inBatch = 0;
    for (int i = first; i < end; ++i) {
        const GlyphQuad& quad = queue.glyphs[size_t(i)];
        if (quad.texture != number || quad.placeholder)
            continue;
        if (material == nullptr) {
            material = TextureOfNumber(number);
            if (material == nullptr)
                return;
            BeginScreenBatch(material);
        } else if (inBatch == GlyphsPerBatch) {
            EndScreenBatch();
            BeginScreenBatch(material);
            inBatch = 0;
        }
        AddGlyphVertices(quad);
        ++inBatch;
    }
    if (material != nullptr)
        EndScreenBatch();
}

// The coloured quads on the solid glyph's middle, then the flat quads on
// the needle-centre picture; both emptied.
void DrawUntexturedQuads(GlyphQueue& queue)
{
    const GlyphSlot& solid = CharacterMap.glyphs[SolidGlyphSlot];
    Material* solidTexture = CharacterMap.fontTextures[solid.texture >= 0 && solid.texture < FontTextureCount
                                                           ? solid.texture
                                                           : 0];
    if (queue.colouredCount > 0 && solidTexture != nullptr) {
        const float u = (solid.uLeft + solid.uRight) / 2, v = (solid.vTop + solid.vBottom) / 2;
        BeginScreenBatch(solidTexture);
        for (int i = 0; i < queue.colouredCount; ++i) {
            const ColouredQuad& quad = queue.coloured[i];
            int corner[4];
            for (int k = 0; k < 4; ++k)
                corner[k] = AddScreenVertex(quad.x[k], quad.y[k], u, v, quad.colour);
            AddBatchTriangle(corner[0], corner[1], corner[3]);
            AddBatchTriangle(corner[3], corner[2], corner[0]);
        }
        EndScreenBatch();
    }
    queue.colouredCount = 0;
    Material* needle = queue.flatCount > 0 ? FindMaterialByName("NDLCTRALPHA", 0, 0, 1, 0, nullptr) : nullptr;
    if (needle != nullptr) {
        BeginScreenBatch(needle);
        for (int i = 0; i < queue.flatCount; ++i) {
            const FlatQuad& quad = queue.flat[i];
            const int a = AddScreenVertex(quad.x1, quad.y1, 0, 0, quad.colour);
            const int b = AddScreenVertex(quad.x2, quad.y1, 1, 0, quad.colour);
            const int c = AddScreenVertex(quad.x2, quad.y2, 1, 1, quad.colour);
            const int d = AddScreenVertex(quad.x1, quad.y2, 0, 1, quad.colour);
            AddBatchQuad(a, b, c, d);
        }
        EndScreenBatch();
    }
    queue.flatCount = 0;
}

} // namespace

void CreateGlyphQueues()
{
    for (int q = 0; q < GlyphQueueCount; ++q) {
        GlyphQueue& queue = MutableGlyphQueues.queues[q];
        queue = GlyphQueue{};
        queue.capacity = GlyphQueueCapacity[q];
        queue.glyphs.assign(size_t(queue.capacity), GlyphQuad{});
    }
    MutableGlyphQueues.current = 0;
    MutableGlyphQueues.mark = 0;
}

void FreeGlyphQueues() { MutableGlyphQueues = GlyphQueueTableRecord{}; }

void EmptyGlyphQueues()
{
    for (GlyphQueue& queue : MutableGlyphQueues.queues) {
        queue.count = 0;
        queue.uncached = 0;
        queue.colouredCount = 0;
        queue.flatCount = 0;
    }
    MutableGlyphQueues.mark = 0;
}

GlyphQueue& CurrentGlyphQueue() { return Current(); }

void SelectGlyphQueue(int n)
{
    if (n >= 0 && n < GlyphQueueCount)
        MutableGlyphQueues.current = n;
}

void QueueGlyph(int glyphSlot, float x, float y, float widthSize, float height, int style, uint32_t topColour,
                uint32_t bottomColour)
{
    GlyphQueue& queue = Current();
    if (queue.count >= queue.capacity || glyphSlot < 0 || glyphSlot >= GlyphSlotCount)
        return;
    GlyphQuad& quad = queue.glyphs[size_t(queue.count++)];
    quad = GlyphQuad{};
    quad.texture = static_cast<uint8_t>(CharacterMap.glyphs[glyphSlot].texture);
    quad.style = static_cast<int8_t>(style);
    quad.glyph = static_cast<int16_t>(glyphSlot);
    quad.left = x;
    quad.right = x + GlyphAdvance(glyphSlot, widthSize);
    quad.top = y;
    quad.bottom = y + height;
    quad.topColour = topColour;
    quad.bottomColour = bottomColour;
}

bool QueueDoubleByteGlyph(const GlyphQuad& quad)
{
    GlyphQueue& queue = Current();
    if (queue.count >= queue.capacity)
        return false;
    queue.glyphs[size_t(queue.count++)] = quad;
    if (quad.glyph < 0)
        queue.uncached++;
    else
        MarkCacheCellUsed(quad.glyph);
    return true;
}

void MarkGlyphQueue() { MutableGlyphQueues.mark = Current().count; }

void SetGlyphShift(float shift) { MutableGlyphQueues.glyphShift = shift; }

void DrawGlyphsToMark()
{
    GlyphQueue& queue = Current();
    if (queue.uncached != 0) {
        int caches = CountCharCaches();
        AddUnknown(caches);
        queue.uncached = 0;
    }
    DrawGlyphQueue(FirstCacheTexture + CountCharCaches(), 1);
}

void DrawGlyphsFromMark()
{
    DrawGlyphQueue(FirstCacheTexture + CountCharCaches(), 2);
    EndCharCacheFrame();
}

void DrawGlyphQueue(int passes, int part)
{
    GlyphQueue& queue = Current();
    const int mark = MutableGlyphQueues.mark < queue.count ? MutableGlyphQueues.mark : queue.count;
    const int first = part == 2 ? mark : 0;
    const int end = part == 1 ? mark : queue.count;
    for (int number = 0; number < passes; ++number)
        DrawGlyphsOfTexture(queue, first, end, number);
    if (part != 1) {
        queue.count = 0;
        queue.uncached = 0;
        MutableGlyphQueues.mark = 0;
    }
    DrawUntexturedQuads(queue);
}

void QueueColouredQuad(float x1, float y1, float x2, float y2, float x3, float y3, float x4, float y4,
                       uint32_t colour)
{
    GlyphQueue& queue = Current();
    if (queue.colouredCount >= MaxColouredQuads)
        return;
    ColouredQuad& quad = queue.coloured[queue.colouredCount++];
    quad.colour = colour;
    const float xs[4] = {x1, x2, x3, x4}, ys[4] = {y1, y2, y3, y4};
    for (int k = 0; k < 4; ++k) {
        quad.x[k] = xs[k];
        quad.y[k] = ys[k];
    }
}

void QueueFlatQuad(float x1, float y1, float x2, float y2, uint32_t colour)
{
    GlyphQueue& queue = Current();
    if (queue.flatCount >= MaxFlatQuads)
        return;
    queue.flat[queue.flatCount++] = {colour, x1, y1, x2, y2};
}
