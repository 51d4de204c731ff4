// Drawing of the on-screen message list: a dark band behind each line, then
// its text, from the top of the message area downwards; and the visible
// lines in the dedicated host's console.
#include "graphics/services.h"
#include "ui/local.h"

namespace {

// The text starts this part of its glyph height in from the screen's left
// edge, and the band reaches as far past its end.
constexpr float TextInsetOfHeight = 0.2f;
// Horizontal glyph size as a part of the glyph height.
constexpr float GlyphWidthOfHeight = 0.5f;
// The band and the text are lighter over a full menu screen.
constexpr uint32_t MenuBandAlpha = 0x40, RaceBandAlpha = 0x60;
constexpr uint32_t MenuTextAlpha = 0xA0, RaceTextAlpha = 0xFF;

struct MessageLayout {
    MessageDrawLine lines[2 * MessageSlotCount];
    int count = 0;
    float lineHeight = 0, glyphHeight = 0, glyphSize = 0, inset = 0;
};

MessageLayout LayOutMessages()
{
    MessageLayout layout;
    layout.lineHeight = Settings.messageSize;
    layout.glyphHeight = layout.lineHeight * 0.5f;
    layout.glyphSize = layout.glyphHeight * GlyphWidthOfHeight;
    layout.inset = TextInsetOfHeight * layout.glyphHeight;
    layout.count = LayOutMessageLines(MessageAreaTop, layout.lineHeight, layout.lines);
    return layout;
}

} // namespace

void DrawMessageBackgrounds()
{
    const MessageLayout layout = LayOutMessages();
    if (layout.count == 0)
        return;
    const uint32_t colour = (UiMode == 1 ? MenuBandAlpha : RaceBandAlpha) << 24;
    BeginScreenBatch(nullptr);
    for (int i = 0; i < layout.count; ++i) {
        const MessageDrawLine& drawn = layout.lines[i];
        const float width = GetTextWidth(drawn.line->text, layout.glyphSize, drawn.line->codePage);
        const float right = -1.0f + width + 2 * layout.inset;
        const float bottom = drawn.top + layout.lineHeight;
        const int a = AddScreenVertex(-1.0f, drawn.top, 0, 0, colour);
        const int b = AddScreenVertex(right, drawn.top, 0, 0, colour);
        const int c = AddScreenVertex(right, bottom, 0, 0, colour);
        const int d = AddScreenVertex(-1.0f, bottom, 0, 0, colour);
        AddBatchQuad(a, b, c, d);
    }
    EndScreenBatch();
}

void DrawMessageTexts()
{
    const MessageLayout layout = LayOutMessages();
    const uint32_t alpha = UiMode == 1 ? MenuTextAlpha : RaceTextAlpha;
    for (int i = 0; i < layout.count; ++i) {
        const MessageDrawLine& drawn = layout.lines[i];
        const ColourRecord& colour = StandardColours[drawn.line->colour < StandardColourCount ? drawn.line->colour : 0];
        const uint32_t argb = (MakeColour(colour) & 0x00FFFFFFu) | alpha << 24;
        // The text sits in the middle of its band.
        const float y = drawn.top + (layout.lineHeight - layout.glyphHeight) * 0.5f;
        DrawPlainText(drawn.line->text, -1.0f + layout.inset, y, layout.glyphSize, layout.glyphHeight, argb, -1,
                      drawn.line->codePage);
    }
}

int DrawMessagesToConsole(ConsolePicture& picture, int y, int bottom)
{
    for (int i = 0; i < MessageList.visibleCount && y + ConsoleRows < bottom; ++i) {
        const MessageLine& line = MessageList.visible[static_cast<size_t>(i)];
        DrawTextToPicture(picture, line.text, 0, y, StandardColours[line.colour < StandardColourCount ? line.colour : 0],
                          line.codePage);
        y += ConsoleRows + 1;
    }
    return ConsoleRows;
}
