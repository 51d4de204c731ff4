// Caret-coded text: the one walker that decodes it, the width of a text,
// and the placing of its glyphs in the current glyph queue.
#include <cstring>

#include "graphics/services.h"
#include "ui/local.h"

namespace {

// Page letters "LETBJCGHSK" for pages 0 to 9, and the escapes with the
// characters they stand for.
constexpr char PageLetters[] = "LETBJCGHSK";
constexpr char EscapeLetters[] = "acdlqrstv";
constexpr char EscapedCharacters[] = "*:\\<?>/\"|";

constexpr int TextCaretSlot = 92;
// A line box of 23 parts: the glyph takes the lower 20.
constexpr float GlyphTopPart = 3.0f / 23.0f;
constexpr float GlyphHeightPart = 20.0f / 23.0f;
constexpr uint32_t White = 0xFFFFFFFFu, Black = 0xFF000000u;
// The caret shows during the first 501 ms of every second of game time.
constexpr uint32_t CaretBlinkPeriodMs = 1000, CaretShownMs = 500;
constexpr int ShadowFlag = 0x4000;  // of "Screen Flags "

int PageOfLetter(int code)
{
    const char* at = code ? std::strchr(PageLetters, code) : nullptr;
    return at ? static_cast<int>(at - PageLetters) : -1;
}

const CharEntry* EntryOf(int character)
{
    if (CurrentCodePage == nullptr || character < 32 || character > 255)
        return nullptr;
    return &CurrentCodePage->chars[character - 32];
}

bool IsLeadEntry(int character)
{
    const CharEntry* entry = EntryOf(character);
    return entry != nullptr && character >= 128 && (entry->flags & (CharLeadWithPage | CharLeadWithoutPage));
}

// What DrawTextAt keeps while it places glyphs.
struct TextPen {
    float x = 0;
    float glyphTop = 0, glyphHeight = 0;  // the glyph box of the line
    float lineTop = 0;                    // y: where raised overlays start
    float size = 0;                       // horizontal size, TextScale applied
    int style = 0;
    uint32_t top = 0, bottom = 0;         // current colours
    int caret = CaretNone;
};

// A double-byte character into the queue; false when it was dropped.
bool PlaceDoubleByte(TextPen& pen, const DoubleByteGlyph& glyph)
{
    const float height = static_cast<float>(glyph.page->cellHeight);
    const float advance = static_cast<float>(glyph.pixelWidth) * pen.size / height;
    GlyphQuad quad;
    quad.style = static_cast<int8_t>(pen.style);
    quad.extraPage = static_cast<uint16_t>(glyph.extraPage);
    quad.trail = static_cast<uint8_t>(glyph.trailIndex);
    quad.pixelWidth = static_cast<uint8_t>(glyph.pixelWidth);
    quad.left = pen.x;
    quad.right = pen.x + advance;
    quad.top = pen.glyphTop - pen.glyphHeight * glyph.page->topFactor;
    quad.bottom = pen.glyphTop + pen.glyphHeight * glyph.page->bottomFactor;
    quad.topColour = pen.top;
    quad.bottomColour = pen.bottom;
    quad.glyph = static_cast<int16_t>(glyph.cell);
    quad.texture = glyph.cell >= 0 ? static_cast<uint8_t>(FirstCacheTexture + glyph.cell / CacheCellCount)
                                   : UncachedTexture;
    if (!QueueDoubleByteGlyph(quad))
        return false;
    pen.x += advance;
    return true;
}

// A vector glyph and its accent overlay.
void PlaceVectorGlyph(TextPen& pen, const CharEntry& entry, int slot)
{
    if (slot != 0)
        QueueGlyph(slot, pen.x, pen.glyphTop, pen.size, pen.glyphHeight, pen.style, pen.top, pen.bottom);
    if (entry.overlay != 0 && pen.caret != CaretFullBox)
        QueueGlyph(entry.overlay, pen.x, entry.flags != 0 ? pen.lineTop : pen.glyphTop, pen.size, pen.glyphHeight,
                   pen.style, pen.top, pen.bottom);
    pen.x += GlyphAdvance(slot, pen.size);
}

void PlaceCharacter(TextPen& pen, const TextStep& step)
{
    const CharEntry* entry = EntryOf(step.character);
    if (entry == nullptr)
        return;
    if (step.trail >= 0) {
        DoubleByteGlyph glyph = LookUpDoubleByteGlyph(step.character, step.trail);
        if (glyph.slot < 0) {
            PlaceDoubleByte(pen, glyph);
            return;
        }
        PlaceVectorGlyph(pen, CharEntry{}, glyph.slot);
        return;
    }
    PlaceVectorGlyph(pen, *entry, entry->glyph);
}

} // namespace

char PageLetter(int page) { return page >= 0 && page < 10 ? PageLetters[page] : 'L'; }

TextWalker::TextWalker(const char* text, int ownPage, bool plain)
    : bytes(reinterpret_cast<const unsigned char*>(text ? text : "")), ownPage(ownPage), plain(plain)
{
}

bool TextWalker::Next(TextStep& step)
{
    for (;;) {
        const int c = bytes[at];
        if (c == 0)
            return false;
        step = TextStep{};
        if (!plain && c == '^' && bytes[at + 1] != 0) {
            const int code = bytes[at + 1];
            step.position = at + 1;
            at += 2;
            if (code >= '0' && code <= '7') {
                step.kind = TextStepKind::Colour;
                step.colour = code - '0';
                return true;
            }
            if (code == '8') {
                SelectCodePage(ownPage);
                step.kind = TextStepKind::OwnColourAndPage;
                return true;
            }
            if (code == '9') {
                step.kind = TextStepKind::OwnColour;
                return true;
            }
            if (code == ':') {
                SelectCodePage(0);
                step.kind = TextStepKind::PageZero;
                return true;
            }
            const int page = PageOfLetter(code);
            if (page >= 0) {
                SelectCodePage(page);
                step.kind = TextStepKind::Page;
                step.page = page;
                return true;
            }
            step.character = DecodeCaretEscape(code);
        } else {
            step.character = c;
            step.position = at;
            at += 1;
        }
        if (step.character < 32)
            continue;
        if (IsLeadEntry(step.character)) {
            step.trail = bytes[at];
            if (bytes[at] != 0)
                at += 1;
        }
        return true;
    }
}

ColourRecord CaretCodeColour(int bits)
{
    ColourRecord colour;
    return SetColourRecord(colour, bits & 1 ? 255 : 0, bits & 2 ? 255 : 0, bits & 4 ? 255 : 0);
}

int DecodeCaretEscape(int code, int* page)
{
    const int letterPage = PageOfLetter(code);
    if (letterPage >= 0) {
        if (page != nullptr)
            *page = letterPage;
        else
            SelectCodePage(letterPage);
        return 0;
    }
    const char* escape = code ? std::strchr(EscapeLetters, code) : nullptr;
    if (escape != nullptr)
        return static_cast<unsigned char>(EscapedCharacters[escape - EscapeLetters]);
    return code;
}

float GlyphAdvance(int glyphSlot, float size)
{
    if (glyphSlot < 0 || glyphSlot >= GlyphSlotCount)
        return 0;
    return (CharacterMap.glyphs[glyphSlot].width / 7.0f + GlyphAdvanceSpacing) * size;
}

float GetTextWidth(const char* text, float size, int codePage)
{
    SelectCodePage(codePage);
    size *= TextScale;
    float total = 0;
    TextWalker walker(text, codePage);
    TextStep step;
    while (walker.Next(step)) {
        if (step.kind != TextStepKind::Character)
            continue;
        const CharEntry* entry = EntryOf(step.character);
        if (entry == nullptr)
            continue;
        if (step.trail >= 0) {
            DoubleByteGlyph glyph = LookUpDoubleByteGlyph(step.character, step.trail);
            total += glyph.slot >= 0 ? GlyphAdvance(glyph.slot, size)
                                     : static_cast<float>(glyph.pixelWidth) * size /
                                           static_cast<float>(glyph.page->cellHeight);
            continue;
        }
        total += GlyphAdvance(entry->glyph, size);
    }
    return total;
}

float DrawTextAt(const char* text, float x, float y, float size, float height, int style, uint32_t top,
                 uint32_t bottom, int caret, int codePage)
{
    SelectCodePage(codePage);
    TextPen pen;
    pen.x = x;
    pen.size = size * TextScale;
    pen.style = style;
    pen.top = top;
    pen.bottom = bottom;
    pen.lineTop = y;
    if (caret >= 0 && !ImeComposing() && GameTime.clockMs % CaretBlinkPeriodMs > CaretShownMs)
        caret = CaretNone;
    pen.caret = caret;
    if (caret == CaretFullBox) {
        pen.glyphTop = y;
        pen.glyphHeight = height;
    } else {
        pen.glyphTop = y + height * GlyphTopPart;
        pen.glyphHeight = height * GlyphHeightPart;
    }
    TextWalker walker(text, codePage);
    TextStep step;
    while (walker.Next(step)) {
        switch (step.kind) {
        case TextStepKind::Colour:
            if (caret != CaretShadow)
                pen.top = pen.bottom = MakeColour(CaretCodeColour(step.colour));
            break;
        case TextStepKind::OwnColour:
        case TextStepKind::OwnColourAndPage:
        case TextStepKind::PageZero:
            pen.top = top;
            pen.bottom = bottom;
            break;
        case TextStepKind::Page: break;
        case TextStepKind::Character:
            if (step.position == caret)
                pen.x = DrawCaretAt(pen.x, y, size, height);
            PlaceCharacter(pen, step);
            break;
        }
    }
    if (caret >= 0 && caret == walker.Position())
        pen.x = DrawCaretAt(pen.x, y, size, height);
    return pen.x;
}

float DrawPlainText(const char* text, float x, float y, float size, float height, uint32_t colour, int caret,
                    int codePage)
{
    return DrawTextAt(text, x, y, size, height, 0, colour, colour, caret, codePage);
}

float DrawShadowText(const char* text, float x, float y, float size, float height, uint32_t colour, int codePage)
{
    if (Settings.screenFlags & ShadowFlag)
        DrawTextAt(text, x + DisplayPass.pixelScaleX, y + DisplayPass.pixelScaleY, size, height, 0, Black, Black, CaretShadow, codePage);
    return DrawPlainText(text, x, y, size, height, colour, CaretNone, codePage);
}

float DrawTextRightAligned(const char* text, float right, float y, float size, float height, uint32_t colour,
                           int codePage)
{
    float width = GetTextWidth(text, size, codePage);
    return DrawTextAt(text, right - width, y, size, height, 0, colour, colour, CaretNone, codePage);
}

void DrawCaptionCentred(const char* text, uint32_t colour)
{
    constexpr float Size = 0.06f, Height = 0.12f;
    float width = GetTextWidth(text, Size, TextCodePage);
    DrawShadowText(text, -width / 2, InRaceDisplayMode() != 0 ? -0.56f : -0.61f, Size, Height, colour, TextCodePage);
}

void DrawSmallCaptionCentred(const char* text, uint32_t colour)
{
    constexpr float Size = 0.03f, Height = 0.06f;
    float width = GetTextWidth(text, Size, TextCodePage);
    DrawShadowText(text, -width / 2, -0.43f, Size, Height, colour, TextCodePage);
}

float DrawCaretAt(float x, float y, float size, float height)
{
    // While the input method composes, its composition stands at the
    // caret in the keyboard's page, and the text goes on after it; the
    // page of the text around it is kept.
    if (ImeComposing()) {
        CodePage* const textPage = CurrentCodePage;
        x = DrawTextAt(ImeState.composition, x, y, size, height, 0, White, White, CaretNone, InputCodePage);
        MutableUi.currentCodePage = textPage;
    }
    QueueGlyph(TextCaretSlot, x, y, size * TextScale, height, 0, White, White);
    return x;
}
