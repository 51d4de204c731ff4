// Caret-coded text drawn into pictures in memory rather than queued: the
// number plates' text filled into the offscreen image with the vector font,
// and the console text drawn with the glyphs' small console pictures.
#include "graphics/services.h"
#include "ui/local.h"

namespace {

// Between two glyphs of a plate: 0.65 font units.
constexpr float PlateGlyphGap = 0.65f;
// An accent marked raised sits this part of the size higher.
constexpr float PlateAccentRaise = 0.15f;
// Glyph slot of characters that cannot be drawn here (double-byte ones).
constexpr int PlaceholderSlot = 95;
constexpr int ConsoleInkThreshold = 128;

// The glyph slot and entry of a walked character; double-byte characters
// stand in as the placeholder.
const GlyphSlot& PlateGlyph(const TextStep& step, const CharEntry*& entry)
{
    static const CharEntry none;
    entry = CurrentCodePage ? &CurrentCodePage->chars[step.character - 32] : &none;
    if (step.trail >= 0) {
        entry = &none;
        return CharacterMap.glyphs[PlaceholderSlot];
    }
    return CharacterMap.glyphs[entry->glyph < GlyphSlotCount ? entry->glyph : PlaceholderSlot];
}

} // namespace

float GetColouredTextWidth(const char* text, float size, int codePage)
{
    SelectCodePage(codePage);
    float total = 0;
    int placed = 0;
    TextWalker walker(text, codePage);
    TextStep step;
    while (walker.Next(step)) {
        if (step.kind != TextStepKind::Character)
            continue;
        const CharEntry* entry = nullptr;
        const GlyphSlot& glyph = PlateGlyph(step, entry);
        if (placed++ > 0)
            total += size * PlateGlyphGap / 7;
        total += size * glyph.width / 7;
    }
    return total;
}

void DrawPlateText(const char* text, float x, float y, float xSize, float ySize)
{
    SelectCodePage(0);
    int colour = 0;
    TextWalker walker(text, 0);
    TextStep step;
    while (walker.Next(step)) {
        switch (step.kind) {
        case TextStepKind::Colour: colour = static_cast<int>(PackColour565(CaretCodeColour(step.colour))); break;
        case TextStepKind::OwnColour:
        case TextStepKind::OwnColourAndPage:
        case TextStepKind::PageZero: colour = 0; break;
        case TextStepKind::Page: break;
        case TextStepKind::Character: {
            const CharEntry* entry = nullptr;
            const GlyphSlot& glyph = PlateGlyph(step, entry);
            RasterStrokeGlyph(glyph, x, y, xSize, ySize, colour);
            if (entry->overlay != 0) {
                float raise = entry->flags != 0 ? PlateAccentRaise * ySize : 0;
                RasterStrokeGlyph(CharacterMap.glyphs[entry->overlay], x, y - raise, xSize, ySize, colour);
            }
            x += (glyph.width + PlateGlyphGap) * xSize / 7;
            break;
        }
        }
    }
}

void DrawTextToPicture(ConsolePicture& picture, const char* text, int x, int y, const ColourRecord& colour,
                       int codePage)
{
    SelectCodePage(codePage);
    ColourRecord pen = colour;
    TextWalker walker(text, codePage);
    TextStep step;
    while (walker.Next(step)) {
        switch (step.kind) {
        case TextStepKind::Colour: pen = CaretCodeColour(step.colour); break;
        case TextStepKind::OwnColour:
        case TextStepKind::OwnColourAndPage:
        case TextStepKind::PageZero: pen = colour; break;
        case TextStepKind::Page: break;
        case TextStepKind::Character: {
            const CharEntry* entry = nullptr;
            const GlyphSlot& glyph = PlateGlyph(step, entry);
            const int slot = static_cast<int>(&glyph - CharacterMap.glyphs);
            const int width = glyph.consoleWidth;
            for (int row = 0; slot != 0 && row < ConsoleRows; ++row)
                for (int column = 0; column < width; ++column) {
                    const int intensity = glyph.console[row * width + column];
                    const int px = x + column, py = y + row;
                    if (intensity < ConsoleInkThreshold || px < 0 || py < 0 || px >= picture.width ||
                        py >= picture.height)
                        continue;
                    uint8_t* out = picture.pixels + (size_t(py) * size_t(picture.width) + size_t(px)) * 3;
                    out[0] = static_cast<uint8_t>(pen.r * intensity / 256);
                    out[1] = static_cast<uint8_t>(pen.g * intensity / 256);
                    out[2] = static_cast<uint8_t>(pen.b * intensity / 256);
                }
            x += width + 1;
            break;
        }
        }
    }
}
