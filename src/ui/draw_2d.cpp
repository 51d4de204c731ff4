// The 2D layer: the boxes of the display list's items as nine-patch quads
// in one screen batch, their texts through the glyph queues, and the order
// in which the message list and the items lie over each other.
#include <cstring>

#include "graphics/services.h"
#include "ui/local.h"

namespace {

// What the open quad batch draws with.
enum class QuadMode : uint8_t { None, BigBox, SmallBox, Untextured, Flags };

// The open batch's mode and the quads added since it opened. Lives for
// one pass of drawing.
struct QuadBatch {
    QuadMode mode = QuadMode::None;
    int pending = 0;
};
QuadBatch Batch;

constexpr int MaxBatchQuads = 128;
constexpr uint32_t AlphaBlendState = 27;
constexpr uint32_t White = 0xFFFFFFFFu;
// Boxes lower or narrower than this use the small box texture and border.
constexpr float SmallBoxLimit = 0.099f;
constexpr float BigBorder = 0.016f, SmallBorder = 0.008f;
// The texture's border lines (the middle band stretches).
constexpr float UvBorderLow = 0.49f, UvBorderHigh = 0.51f;
// The pressed look lowers each component of a colour by this much.
constexpr int PressedDarken = 24;
// Glyphs a little under twice as high as wide, as the captions have them.
constexpr float WidthOfHeight = 0.5f;
// The mark glyph of mark boxes and swatches.
constexpr int MarkGlyph = 117;
constexpr int OpaqueAlpha = 255;
// The slider thumb: half its width, its inset from the box's ends and edges.
constexpr float ThumbHalfWidth = 0.005f, ThumbEndInset = 0.01f, ThumbEdgeInset = 0.005f;
// The flag atlas: 48 x 32 pixel cells, five to a row of 256 pixels.
constexpr float FlagAtlasPixels = 256.0f;
constexpr int FlagColumns = 5, FlagCellWidth = 48, FlagCellHeight = 32;

uint32_t Argb(const ColourRecord& colour, int alpha, int pressed)
{
    const int down = pressed ? PressedDarken : 0;
    auto lower = [down](int c) { return static_cast<uint32_t>(c > down ? c - down : 0); };
    return static_cast<uint32_t>(alpha) << 24 | lower(colour.r) << 16 | lower(colour.g) << 8 | lower(colour.b);
}

Material* ModeMaterial(QuadMode mode)
{
    switch (mode) {
    case QuadMode::BigBox: return FindMaterialByName("BUTTALPHA", 0, 0, 1, 0, nullptr);
    case QuadMode::SmallBox: return FindMaterialByName("SMLBALPHA", 0, 0, 1, 0, nullptr);
    case QuadMode::Flags: return FindMaterialByName("QVNFLAGSALPHA", 0, 0, 1, 0, nullptr);
    default: return BuiltinMaterials.white;
    }
}

// Opens the batch in the mode (flushing one of another mode first).
void UseMode(QuadMode mode)
{
    if (Batch.mode == mode)
        return;
    FlushQuadBatch();
    BeginScreenBatch(ModeMaterial(mode));
    Batch.mode = mode;
}

// Counts one batch entry; a full batch is drawn.
void CountQuad()
{
    if (++Batch.pending >= MaxBatchQuads) {
        const QuadMode mode = Batch.mode;
        FlushQuadBatch();
        UseMode(mode);
    }
}

void TexturedQuad(float x1, float y1, float x2, float y2, float u1, float v1, float u2, float v2, uint32_t colour)
{
    const int a = AddScreenVertex(x1, y1, u1, v1, colour);
    const int b = AddScreenVertex(x2, y1, u2, v1, colour);
    const int c = AddScreenVertex(x2, y2, u2, v2, colour);
    const int d = AddScreenVertex(x1, y2, u1, v2, colour);
    AddBatchQuad(a, b, c, d);
}

// Where an edge lying on the layer's border is drawn: the layer spans the
// whole drawing area, so the border is the screen's edge.
bool OnLayerEdge(float v) { return v == -1.0f || v == 1.0f; }

// A grid of up to three columns and three rows of patches: the cell edges
// in screen units and in texture coordinates.
struct PatchGrid {
    float x[4], y[4], u[4], v[4];
    int columns, rows;
};

void DrawPatches(const PatchGrid& grid, uint32_t colour)
{
    for (int row = 0; row < grid.rows; ++row)
        for (int column = 0; column < grid.columns; ++column)
            TexturedQuad(grid.x[column], grid.y[row], grid.x[column + 1], grid.y[row + 1], grid.u[column],
                         grid.v[row], grid.u[column + 1], grid.v[row + 1], colour);
}

// One axis of a box: the lines between its border patches, no border on an
// edge that lies on the layer's border. Returns the number of bands.
int BoxAxis(float low, float high, float border, float* lines, float* uv)
{
    const float lowBorder = OnLayerEdge(low) ? 0 : border;
    const float highBorder = OnLayerEdge(high) ? 0 : border;
    lines[0] = low;
    lines[1] = low + lowBorder;
    lines[2] = high - highBorder;
    lines[3] = high;
    uv[0] = OnLayerEdge(low) ? UvBorderLow : 0;
    uv[1] = UvBorderLow;
    uv[2] = UvBorderHigh;
    uv[3] = OnLayerEdge(high) ? UvBorderHigh : 1;
    return 3;
}

int BoxAlpha(int mode, int big)
{
    if (mode >= 2)
        return OpaqueAlpha;
    return big ? BigAlpha() : ButtonAlpha();
}

// Items coloured "Big Text" are big buttons: their box takes the big
// colour (and, where the kind allows, the big opacity).
bool IsBigItem(const UiItem& item) { return item.colour == InterfaceColour(UiColour::BigText); }

const ColourRecord& BoxColour(const UiItem& item)
{
    return *InterfaceColour(IsBigItem(item) ? UiColour::BigCol : UiColour::ButtonCol);
}

void DrawButtonBox(const UiItem& item, int pressed, int allowBig)
{
    DrawBox(BoxColour(item), pressed, item.x1, item.y1, item.x2, item.y2, 0, allowBig && IsBigItem(item));
}

void DrawTranslucentBigCol(const UiItem& item)
{
    DrawBox(*InterfaceColour(UiColour::BigCol), 0, item.x1, item.y1, item.x2, item.y2, 0, 0);
}

// The colour of the shaded bands of centred texts and car strips.
uint32_t BandColour(int shade)
{
    switch (shade) {
    case -6: return MakeColour(80, 64, 64);
    case -5: return MakeColour(112, 80, 80);
    case -4: return MakeColour(64, 64, 80);
    case -3: return MakeColour(80, 80, 112);
    default: return 0;
    }
}

// The slider thumb's x: the value's place between the limits, within the
// box's ends (at the low end when the limits are equal).
float ThumbX(const UiItem& item, float value, float minimum, float maximum)
{
    const float low = item.x1 + ThumbEndInset, high = item.x2 - ThumbEndInset;
    if (maximum == minimum)
        return low;
    const float x = item.x1 + (item.x2 - item.x1) * (value - minimum) / (maximum - minimum);
    return x < low ? low : x > high ? high : x;
}

float SliderThumbX(const UiItem& item)
{
    switch (item.kind) {
    case UiColourSlider:
        return ThumbX(item, *item.value.Pointer<uint8_t>(), static_cast<float>(item.text.Int()),
                      static_cast<float>(item.param.Int()));
    case UiByteRangeSlider:
        return ThumbX(item, *item.value.Pointer<uint8_t>(), item.minByte, item.maxByte);
    case UiWideSlider: {
        const float minimum = item.scaled ? 0.0f : static_cast<float>(RoundToInt32(item.text.Float()));
        const float maximum = item.scaled ? 65534.0f : static_cast<float>(RoundToInt32(item.param.Float()));
        return ThumbX(item, *item.value.Pointer<uint16_t>(), minimum, maximum);
    }
    default: return ThumbX(item, *item.value.Pointer<float>(), item.text.Float(), item.param.Float());
    }
}

void DrawSlider(const UiItem& item, int pressed)
{
    if (item.kind == UiColourSlider && item.colour != nullptr) {
        DrawBox(*item.colour, 0, item.x1, item.y1, item.x2, item.y2, 0, 0);
    } else {
        DrawButtonBox(item, pressed, 1);
    }
    if (item.value.Pointer<void>() == nullptr)
        return;
    const float x = SliderThumbX(item);
    DrawBox(*InterfaceColour(UiColour::BigText), 0, x - ThumbHalfWidth, item.y1 + ThumbEdgeInset, x + ThumbHalfWidth,
            item.y2 - ThumbEdgeInset, 2, 0);
}

void DrawScrollThumb(const UiItem& item, int pressed)
{
    DrawButtonBox(item, pressed, 0);
    const int total = item.extra.Int();
    if (total <= 0)
        return;
    const float h = item.y2 - item.y1, centre = (item.x1 + item.x2) / 2;
    float top = item.y1 + h * static_cast<float>(item.text.Int()) / static_cast<float>(total);
    float bottom = item.y1 + h * static_cast<float>(item.param.Int()) / static_cast<float>(total);
    top = Clamp(top, item.y1 + ThumbEdgeInset, item.y2 - ThumbEdgeInset);
    bottom = Clamp(bottom, item.y1 + ThumbEdgeInset, item.y2 - ThumbEdgeInset);
    DrawBox(*InterfaceColour(UiColour::TextUnselected), 0, centre - ThumbHalfWidth, top, centre + ThumbHalfWidth,
            bottom, 2, 0);
}

void DrawCarStripBands(const UiItem& item)
{
    const float cell = (item.x2 - item.x1) / 20;
    for (int i = 0; i < 20; ++i)
        AddQuad(item.x1 + cell * static_cast<float>(i), item.y1, item.x1 + cell * static_cast<float>(i + 1), item.y2,
                BandColour(i % 2 == 0 ? item.param.Int() ^ 1 : item.param.Int()));
}

void DrawFlagIcon(const UiItem& item)
{
    const int icon = item.param.Int();
    if (icon < 0)
        return;
    const float left = static_cast<float>(icon % FlagColumns * FlagCellWidth);
    const float top = static_cast<float>(icon / FlagColumns * FlagCellHeight);
    UseMode(QuadMode::Flags);
    TexturedQuad(item.x1, item.y1, item.x2, item.y2, (left - 1) / FlagAtlasPixels, (top - 1) / FlagAtlasPixels,
                 (left + FlagCellWidth - 1) / FlagAtlasPixels, (top + FlagCellHeight - 1) / FlagAtlasPixels,
                 0xC0FFFFFFu);
    CountQuad();
}

// The box of one item, by kind.
void DrawItemBox(const UiItem& item, int labelBackgrounds)
{
    const int pressed = IsPointerOverItem(item);
    switch (item.kind) {
    case UiButton: case UiBigButton: case UiParamButton: case UiMenuButton: case UiTextField:
    case UiByteUp: case UiByteDown: case UiWideUp: case UiWideDown: case UiFloatUp: case UiFloatDown:
    case UiTimeButton:
        DrawButtonBox(item, pressed, 1);
        return;
    case UiPasswordField: case UiSingleByteField: case UiCycleButton: case UiFlagButton: case UiChoiceButton:
    case UiHelpButton: case UiScrollUp: case UiScrollDown: case UiIntNumberButton: case UiFloatNumberButton:
        DrawButtonBox(item, pressed, 0);
        return;
    case UiMarkBox: case UiColourSwatch: case UiBottomButton:
        if (item.colour != nullptr)
            DrawBox(*item.colour, pressed, item.x1, item.y1, item.x2, item.y2, item.kind == UiBottomButton ? 3 : 2, 0);
        return;
    case UiMenuRow: DrawRowBox(BoxColour(item), pressed, item.x1, item.y1, item.x2, item.y2, IsBigItem(item)); return;
    case UiTitle: DrawTextPanel(item.text.Text(), item.y2); return;
    case UiCaretText: case UiLabel: case UiRightLabel: case UiNumberRight: case UiNumberLeft:
    case UiThousandthsLabel: case UiAngleLabel: case UiIntLabel: case UiTimeLabel:
        if (labelBackgrounds && item.x1 != item.x2)
            DrawTranslucentBigCol(item);
        return;
    case UiCentredText:
        if (BandColour(item.param.Int()) != 0)
            AddQuad(item.x1, item.y1, item.x2, item.y2, BandColour(item.param.Int()));
        return;
    case UiTextButtonLeft: case UiTextButtonCentre: case UiTextButtonRight:
        if (item.extra.Int() == 1)
            DrawBox(*InterfaceColour(UiColour::ButtonCol), pressed, item.x1, item.y1, item.x2, item.y2, 0, 0);
        else if (item.extra.Int() != 0)
            DrawTranslucentBigCol(item);
        return;
    case UiFloatSlider: case UiMilliSlider: case UiAngleSlider: case UiColourSlider: case UiByteRangeSlider:
    case UiWideSlider:
        DrawSlider(item, pressed);
        return;
    case UiScrollThumb: DrawScrollThumb(item, pressed); return;
    case UiFilledRect: AddQuad(item.x1, item.y1, item.x2, item.y2, static_cast<uint32_t>(item.value.Int())); return;
    case UiCarStrip: DrawCarStripBands(item); return;
    case UiCharacterKey: {
        const int flags = item.extra.Int();
        const bool big = (flags & 0x20) != 0 || (flags == 0 && item.text.Int() == 544);
        DrawBox(*InterfaceColour(big ? UiColour::BigCol : UiColour::ButtonCol), pressed, item.x1, item.y1, item.x2,
                item.y2, 0, big);
        return;
    }
    case UiFlagIcon: DrawFlagIcon(item); return;
    default: return;
    }
}

// Draws the text at the size factor of the item's height, shrunk to fit
// the space, placed left (0), centred (1) or right (2) within left..right.
void DrawFittedText(const UiItem& item, const char* text, float left, float right, int align, float factor,
                    uint32_t colour)
{
    if (text == nullptr || text[0] == 0)
        return;
    const float h = item.y2 - item.y1;
    float height = h * factor, size = height * WidthOfHeight;
    float width = GetTextWidth(text, size, item.codePage);
    const float space = right - left;
    if (width > space && width > 0 && space > 0) {
        size *= space / width;
        height *= space / width;
        width = space;
    }
    const float x = align == 0 ? left : align == 1 ? (left + right - width) / 2 : right - width;
    DrawPlainText(text, x, item.y1 + (h - height) / 2, size, height, colour, CaretNone, item.codePage);
}

// A text of bullets in place of each character of a password.
const char* Bullets(const char* text, char* buffer, int size)
{
    const int length = static_cast<int>(std::strlen(text));
    const int count = length < size - 1 ? length : size - 1;
    std::memset(buffer, 0x95, static_cast<size_t>(count));
    buffer[count] = 0;
    return buffer;
}

void DrawItemText(const UiItem& item, int pressed)
{
    const uint32_t colour = Argb(item.colour != nullptr ? *item.colour : ColourRecord{255, 255, 255, 0}, 255, pressed);
    const float h = item.y2 - item.y1;
    const float factor = h >= SmallBoxLimit ? 0.7f : 0.85f;
    char buffer[256];
    const char* text = UiItemText(item, buffer, sizeof buffer);
    switch (item.kind) {
    case UiTitle:
        SetGlyphShift(0.6f * h * WidthOfHeight * 0.125f);
        DrawFittedText(item, text, item.x1 + 0.005f, item.x2, 0, 0.6f, colour);
        SetGlyphShift(0);
        return;
    case UiCaretText: case UiPlainLabel: case UiLabel: case UiRightLabel: case UiNumberRight: case UiNumberLeft:
    case UiThousandthsLabel: case UiAngleLabel: case UiIntLabel: case UiTimeLabel: {
        const bool right = item.kind == UiRightLabel || item.kind == UiNumberRight;
        DrawFittedText(item, text, item.x1 + 0.005f, item.x2 - 0.005f, right ? 2 : 0, factor, colour);
        return;
    }
    case UiTextButtonLeft: case UiTextButtonCentre: case UiTextButtonRight: {
        const float margin = 0.1f * h;
        DrawFittedText(item, text, item.x1 + margin, item.x2 - margin, item.kind - UiTextButtonLeft, factor, colour);
        return;
    }
    case UiMarkBox: case UiColourSwatch:
        if (item.text.Text() != nullptr) {
            const float size = h * factor * WidthOfHeight;
            QueueGlyph(MarkGlyph, (item.x1 + item.x2) / 2 - GlyphAdvance(MarkGlyph, size) / 2, item.y1 + h * 0.1f,
                       size, h * factor, 0, White, White);
        }
        return;
    case UiFilledRect: case UiScrollArea: case UiHotArea: case UiFlagIcon: case UiCarStrip:
    case UiFloatSlider: case UiMilliSlider: case UiAngleSlider: case UiColourSlider: case UiByteRangeSlider:
    case UiWideSlider: case UiScrollThumb:
        return;
    case UiBigButton: DrawFittedText(item, text, item.x1, item.x2, 1, 1.5f, colour); return;
    case UiBottomButton:
        DrawFittedText(item, text, item.x1, item.x2, 1, 0.55f, Argb(ColourRecord{}, 255, pressed));
        return;
    case UiPasswordField: case UiPasswordText: text = Bullets(text, buffer, sizeof buffer); break;
    default: break;
    }
    const float inset = 0.1f * h;
    if (item.kind == UiMenuRow)
        DrawFittedText(item, text, item.x1 + inset, item.x2 - 0.02f, 2, factor, colour);
    else if (item.kind == UiMenuButton)
        DrawFittedText(item, text, item.x1 + inset, item.x2 - 0.15f - inset, 1, factor, colour);
    else
        DrawFittedText(item, text, item.x1 + inset, item.x2 - inset, 1, factor, colour);
}

} // namespace

void DrawBox(const ColourRecord& colour, int pressed, float x1, float y1, float x2, float y2, int mode, int big)
{
    const bool small = x2 - x1 < SmallBoxLimit || y2 - y1 < SmallBoxLimit;
    const float border = small ? SmallBorder : BigBorder;
    const float borderX = border * DisplayPass.aspectHW;
    UseMode(small ? QuadMode::SmallBox : QuadMode::BigBox);
    const uint32_t argb = Argb(colour, BoxAlpha(mode, big), pressed);
    PatchGrid grid{};
    grid.columns = BoxAxis(x1, x2, borderX, grid.x, grid.u);
    grid.rows = BoxAxis(y1, y2, border, grid.y, grid.v);
    const bool fitsHeight = y2 - y1 > 2 * border + 0.001f;
    const bool fitsWidth = x2 - x1 > 2 * borderX + 0.001f;
    if (!fitsHeight) {
        // Too low for borders: one quad over the middle of the texture.
        TexturedQuad(x1, y1, x2, y2, UvBorderLow, UvBorderLow, UvBorderHigh, UvBorderHigh, argb);
    } else {
        if (!fitsWidth) {
            // Too narrow: three bands across the full width of the texture.
            grid.columns = 1;
            grid.x[1] = x2;
            grid.u[0] = 0;
            grid.u[1] = 1;
        }
        DrawPatches(grid, argb);
    }
    CountQuad();
}

void DrawBlendedBox(const ColourRecord& colour, int pressed, float x1, float y1, float x2, float y2, int mode,
                    int big)
{
    SetRenderStateCached(AlphaBlendState, 1);
    DrawBox(colour, pressed, x1, y1, x2, y2, mode, big);
    FlushQuadBatch();
    SetRenderStateCached(AlphaBlendState, 0);
}

void DrawRowBox(const ColourRecord& colour, int pressed, float x1, float y1, float x2, float y2, int big)
{
    UseMode(QuadMode::BigBox);
    const float borderX = BigBorder * DisplayPass.aspectHW;
    const uint32_t full = Argb(colour, big ? BigAlpha() : ButtonAlpha(), pressed);
    const uint32_t clear = full & 0x00FFFFFFu;
    PatchGrid grid{};
    BoxAxis(y1, y2, BigBorder, grid.y, grid.v);
    grid.rows = 3;
    const float right = OnLayerEdge(x2) ? x2 : x2 - borderX;
    // The fade from x1 - 0.1 (clear) to x1 + 0.05 (full), then the body and
    // the right border.
    const float fadeLeft = x1 - 0.1f, fadeRight = x1 + 0.05f;
    for (int row = 0; row < grid.rows; ++row) {
        const float ya = grid.y[row], yb = grid.y[row + 1], va = grid.v[row], vb = grid.v[row + 1];
        const int a = AddScreenVertex(fadeLeft, ya, UvBorderLow, va, clear);
        const int b = AddScreenVertex(fadeRight, ya, UvBorderLow, va, full);
        const int c = AddScreenVertex(fadeRight, yb, UvBorderLow, vb, full);
        const int d = AddScreenVertex(fadeLeft, yb, UvBorderLow, vb, clear);
        AddBatchQuad(a, b, c, d);
        TexturedQuad(fadeRight, ya, right, yb, UvBorderLow, va, UvBorderHigh, vb, full);
        if (right != x2)
            TexturedQuad(right, ya, x2, yb, UvBorderHigh, va, 1, vb, full);
    }
    CountQuad();
}

void DrawTextPanel(const char* text, float bottom)
{
    const float s = (bottom + 1) * 0.6f;
    const float width = GetTextWidth(text != nullptr ? text : "", s / 2, TextCodePage) + s * 0.125f + 0.01f;
    const float slope = s * 0.125f * 1.6666666f;
    UseMode(QuadMode::Untextured);
    const uint32_t black = 0xFF000000u;
    const int a = AddScreenVertex(-1, -1, 0, 0, black);
    const int b = AddScreenVertex(-1 + width + slope, -1, 0, 0, black);
    const int c = AddScreenVertex(-1 + width, bottom, 0, 0, black);
    const int d = AddScreenVertex(-1, bottom, 0, 0, black);
    AddBatchQuad(a, b, c, d);
    CountQuad();
}

void AddQuad(float x1, float y1, float x2, float y2, uint32_t colour)
{
    UseMode(QuadMode::Untextured);
    TexturedQuad(x1, y1, x2, y2, 0, 0, 1, 1, colour);
    CountQuad();
}

void FlushQuadBatch()
{
    if (Batch.mode != QuadMode::None)
        EndScreenBatch();
    Batch = {};
}

void DrawUiItemBoxes(int labelBackgrounds)
{
    for (int i = 0; i < DisplayList.count; ++i)
        DrawItemBox(DisplayList.items[i], labelBackgrounds);
    FlushQuadBatch();
}

void DrawUiItemTexts(int)
{
    for (int i = 0; i < DisplayList.count; ++i)
        DrawItemText(DisplayList.items[i], IsPointerOverItem(DisplayList.items[i]));
}

void Draw2DLayer()
{
    if (ProgramMode.quitState != 0)
        return;
    RetireOldMessages();
    const int mode = TopBackgroundMode();
    const int labelBackgrounds = mode != BackgroundPicture && mode != BackgroundBusy;
    SetFogEnabled(0);
    SetRenderStateCached(AlphaBlendState, 1);
    DrawPendingTitlePicture();
    if (UiMode != 0) {
        // A menu or dialog: the messages lie under the items.
        DrawMessageTexts();
        MarkGlyphQueue();
        DrawUiItemTexts(labelBackgrounds);
        DrawMessageBackgrounds();
        DrawGlyphsToMark();
        DrawUiItemBoxes(labelBackgrounds);
        DrawGlyphsFromMark();
    } else {
        // The game view: the messages lie over the items.
        DrawUiItemTexts(labelBackgrounds);
        MarkGlyphQueue();
        DrawMessageTexts();
        DrawUiItemBoxes(labelBackgrounds);
        DrawGlyphsToMark();
        DrawMessageBackgrounds();
        DrawGlyphsFromMark();
    }
    SetRenderStateCached(AlphaBlendState, 0);
}
