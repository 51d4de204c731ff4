// The four alpha font textures: every glyph rasterised once into rows of
// cells of 80 by 120 pixels, so that drawing a character costs one
// textured quad.
#include <cstdio>
#include <vector>

#include "graphics/services.h"
#include "ui/local.h"

namespace {

constexpr int FontImageSize = 1024;
constexpr float PenStart = -0.984375f;     // 8 pixels in from the left
constexpr float GlyphTopOffset = 0.0078125f;  // 4 pixels below the row top
constexpr float CellWidth = 0.15625f;      // 80 pixels for 7 font units
constexpr float CellHeight = 0.234375f;    // 120 pixels for 9 font units
constexpr float GlyphGap = 0.015625f;      // 8 pixels
constexpr float RowStep = 0.25f;           // 128 pixels
constexpr int RowBandPixels = 128;
constexpr int RowFillRows = 120;

// The staging image becomes an alpha-only texture: white, opaque where the
// offscreen image is set.
Material* MakeFontTexture(int t, std::vector<uint8_t>& staging)
{
    const uint16_t* pixels = OffscreenImagePixels();
    for (int i = 0; i < FontImageSize * FontImageSize; i++)
        staging[size_t(i) * 4 + 3] = pixels && pixels[i] ? 255 : 0;
    char name[32];
    std::snprintf(name, sizeof name, "FONT%dAONLY", t);
    Material* material = GetMaterialFromImage(name, staging.data(), FontImageSize, FontImageSize, 1);
    if (!material)
        PrintMessagePair(GetText(TX_3q_cantcrt_), name, 1);
    return material;
}

} // namespace

void ResetFontTextures()
{
    for (Material*& texture : MutableCharacterMap.fontTextures)
        texture = nullptr;
}

int CreateFontTextures()
{
    ResetFontTextures();
    MutableCharacterMap.curveSteps = 7;
    MutableCharacterMap.glyphSpacing = 0.1f;
    // Without a device only the cells are laid out, so that text can be
    // measured and placed; nothing is drawn.
    const bool drawing = DeviceExists();
    std::vector<uint8_t> staging;
    if (drawing) {
        BeginOffscreenImage16(FontImageSize);
        staging.assign(size_t(FontImageSize) * FontImageSize * 4, 255);
    }
    GlyphSlot* glyphs = MutableCharacterMap.glyphs;
    int slot = 0;
    int made = 0;
    for (int t = 0; t < FontTextureCount && slot < GlyphSlotCount; t++) {
        if (drawing)
            ClearImage16(0);
        float pen = PenStart, rowTop = -1, glyphTop = rowTop + GlyphTopOffset;
        int bandTop = 0;
        if (drawing)
            SetFillWindowRows(bandTop, bandTop + RowFillRows - 1);
        for (; slot < GlyphSlotCount; slot++) {
            GlyphSlot& g = glyphs[slot];
            if (slot > 95 && g.count == 0) {
                g.texture = glyphs[95].texture;
                g.uLeft = glyphs[95].uLeft;
                g.uRight = glyphs[95].uRight;
                g.vTop = glyphs[95].vTop;
                g.vBottom = glyphs[95].vBottom;
                continue;
            }
            float across = g.width * CellWidth / 7;
            if (pen + across + GlyphGap > 1) {
                pen = PenStart;
                rowTop += RowStep;
                glyphTop += RowStep;
                bandTop += RowBandPixels;
                if (drawing)
                    SetFillWindowRows(bandTop, bandTop + RowFillRows - 1);
            }
            if (glyphTop > 0.99f)
                break;  // this texture is full; the slot starts the next one
            if (drawing)
                RasterStrokeGlyph(g, pen, glyphTop, CellWidth, CellHeight, 255);
            g.texture = t;
            g.uLeft = (pen - 0.0078125f + 1) / 2;
            g.uRight = (pen + across) / 2 + 0.50390625f;
            g.vTop = (rowTop + 1) / 2;
            g.vBottom = rowTop / 2 + 0.615f;
            pen += across + GlyphGap;
        }
        if (drawing && (MutableCharacterMap.fontTextures[t] = MakeFontTexture(t, staging)))
            made++;
    }
    if (drawing)
        EndOffscreenImage16();
    return made;
}
