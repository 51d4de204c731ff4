// Text placed in the 3D view (name tags above cars): glyphs in view space
// through queue 2, drawn at once with the world batch.
#include "graphics/services.h"
#include "ui/local.h"

namespace {

constexpr int WorldQueue = 2;
constexpr float GlyphTopPart = 3.0f / 23.0f;
constexpr float GlyphHeightPart = 20.0f / 23.0f;

// Queue 2's glyphs as quads of the world batch at depth z, one batch per
// texture; the view is the identity while they are drawn.
void DrawWorldGlyphs(float z, int mirrored)
{
    GlyphQueue& queue = MutableGlyphQueues.queues[WorldQueue];
    ResetViewMatrix();
    const int passes = FirstCacheTexture + CountCharCaches();
    for (int number = 0; number < passes; ++number) {
        Material* material = nullptr;
        for (int i = 0; i < queue.count; ++i) {
            const GlyphQuad& quad = queue.glyphs[size_t(i)];
            if (quad.texture != number)
                continue;
            if (material == nullptr) {
                material = number < FirstCacheTexture ? CharacterMap.fontTextures[number]
                                                       : CharCacheMaterial(number - FirstCacheTexture);
                if (material == nullptr)
                    break;
                BeginWorldBatch(material);
            }
            const GlyphUvRect uv = GlyphTextureRect(quad);
            const int topLeft = AddWorldVertex(quad.left, quad.top, z, uv.left, uv.top, quad.topColour);
            const int topRight = AddWorldVertex(quad.right, quad.top, z, uv.right, uv.top, quad.topColour);
            const int bottomRight = AddWorldVertex(quad.right, quad.bottom, z, uv.right, uv.bottom, quad.bottomColour);
            const int bottomLeft = AddWorldVertex(quad.left, quad.bottom, z, uv.left, uv.bottom, quad.bottomColour);
            if (mirrored)
                AddBatchQuad(bottomLeft, bottomRight, topRight, topLeft);
            else
                AddBatchQuad(topLeft, topRight, bottomRight, bottomLeft);
        }
        if (material != nullptr)
            EndWorldBatch();
    }
    queue.count = 0;
    SetViewMatrix(CurrentViewMatrix());
}

// A double-byte character of a name tag: a placeholder in queue 0 makes the
// next 2D pass cache it; once cached it is drawn here. Returns the advance.
float QueueWorldDoubleByte(const DoubleByteGlyph& glyph, float x, float top, float h, float widthSize,
                           uint32_t colour, int mirrored)
{
    GlyphQueue& flat = MutableGlyphQueues.queues[0];
    GlyphQueue& world = MutableGlyphQueues.queues[WorldQueue];
    const float width = glyph.fontUnits * widthSize / 7;
    if (flat.count >= flat.capacity || world.count >= world.capacity)
        return width;
    GlyphQuad placeholder;
    placeholder.texture = UncachedTexture;
    placeholder.style = StylePlaceholder;
    placeholder.placeholder = true;
    placeholder.glyph = static_cast<int16_t>(glyph.cell);
    placeholder.extraPage = static_cast<uint16_t>(glyph.extraPage);
    placeholder.trail = static_cast<uint8_t>(glyph.trailIndex);
    placeholder.pixelWidth = static_cast<uint8_t>(glyph.pixelWidth);
    flat.glyphs[size_t(flat.count++)] = placeholder;
    if (glyph.cell < 0) {
        flat.uncached++;
        return width;
    }
    MarkCacheCellUsed(glyph.cell);
    GlyphQuad& quad = world.glyphs[size_t(world.count++)];
    quad = placeholder;
    quad.placeholder = false;
    quad.style = 0;
    quad.texture = static_cast<uint8_t>(FirstCacheTexture + glyph.cell / CacheCellCount);
    quad.left = x;
    quad.right = mirrored ? x - width : x + width;
    quad.top = top + h * glyph.page->topFactor;
    quad.bottom = top - h * glyph.page->bottomFactor;
    quad.topColour = quad.bottomColour = colour;
    return width;
}

} // namespace

void DrawWorldText(const char* text, float x, float y, float z, float widthSize, float height, uint32_t colour,
                   int mirrored, int codePage)
{
    const int previous = GlyphQueues.current;
    SelectGlyphQueue(WorldQueue);
    SelectCodePage(codePage);
    const float top = y - height * GlyphTopPart, h = height * GlyphHeightPart;
    uint32_t current = colour;
    TextWalker walker(text, codePage);
    TextStep step;
    while (walker.Next(step)) {
        switch (step.kind) {
        case TextStepKind::Colour:
            current = (colour & 0xFF000000u) | (MakeColour(CaretCodeColour(step.colour)) & 0x00FFFFFFu);
            break;
        case TextStepKind::OwnColour:
        case TextStepKind::OwnColourAndPage:
        case TextStepKind::PageZero: current = colour; break;
        case TextStepKind::Page: break;
        case TextStepKind::Character: {
            const CharEntry& entry = CurrentCodePage->chars[step.character - 32];
            int slot = entry.glyph;
            const CharEntry* overlay = &entry;
            if (step.trail >= 0) {
                DoubleByteGlyph glyph = LookUpDoubleByteGlyph(step.character, step.trail);
                if (glyph.slot < 0) {
                    float width = QueueWorldDoubleByte(glyph, x, top, h, widthSize, current, mirrored);
                    x += mirrored ? -width : width;
                    break;
                }
                slot = glyph.slot;
                overlay = nullptr;
            }
            const float advance = GlyphAdvance(slot, widthSize);
            const float right = mirrored ? x - advance : x + advance;
            // Queued as a 2D glyph, then turned into view space: y upwards.
            auto queueAt = [&](int glyphSlot, float glyphTop) {
                GlyphQueue& world = MutableGlyphQueues.queues[WorldQueue];
                const int before = world.count;
                QueueGlyph(glyphSlot, x, glyphTop, widthSize, -h, 0, current, current);
                if (world.count > before)
                    world.glyphs[size_t(before)].right = right;
            };
            if (slot != 0)
                queueAt(slot, top);
            if (overlay != nullptr && overlay->overlay != 0)
                queueAt(overlay->overlay, overlay->flags != 0 ? y : top);
            x = right;
            break;
        }
        }
    }
    DrawWorldGlyphs(z, mirrored);
    SelectGlyphQueue(previous);
}
