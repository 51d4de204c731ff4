// Temporary bodies of the 2D layer and the menu widgets until the display
// list and the widgets are built: the texts of the menu rows, the back
// button and the version line are queued straight into the glyph queue
// where the menu layout puts them, and the 2D layer draws the queue. There
// are no boxes and nothing can be clicked.
#include <cstdio>

#include "graphics/services.h"
#include "session/services.h"
#include "ui/local.h"

namespace {

// The pass's next row. Lives for one pass: ClearDisplayList starts it again.
float NextRowTop = MenuRowsTop;

constexpr uint32_t White = 0xFFFFFFFFu;
constexpr uint32_t ButtonRed = MakeColour(210, 98, 32);
constexpr uint32_t AlphaBlendState = 27;
// Glyphs a little under twice as high as wide, as the captions have them.
constexpr float WidthOfHeight = 0.5f;

// The title picture: its top third across the screen's upper middle.
void DrawTitleBanner()
{
    Material* title = BuiltinMaterials.title;
    if (title == nullptr || title->texture == nullptr || ScreenSize.client.width <= 0 || ScreenSize.client.height <= 0)
        return;
    const float width = static_cast<float>(ScreenSize.client.width >= 3 * ScreenSize.client.height ? ScreenSize.client.width / 3
                                                                                       : ScreenSize.client.width);
    float c = 0.88f, f = c * width * 0.32f / static_cast<float>(ScreenSize.client.height);
    if (f > 0.32f) {
        c *= 0.32f / f;
        f = 0.32f;
    }
    constexpr float CentreY = -0.54f;
    BeginScreenBatch(title);
    const int a = AddScreenVertex(-c, CentreY - f, 0, 0, White);
    const int b = AddScreenVertex(c, CentreY - f, 1, 0, White);
    const int d = AddScreenVertex(c, CentreY + f, 1, 0.32f, White);
    const int e = AddScreenVertex(-c, CentreY + f, 0, 0.32f, White);
    AddBatchQuad(a, b, d, e);
    EndScreenBatch();
}

} // namespace

void ClearDisplayList() { NextRowTop = MenuRowsTop; }

void Draw2DLayer()
{
    if (ProgramMode.quitState != 0)
        return;
    SetFogEnabled(0);
    SetRenderStateCached(AlphaBlendState, 1);
    DrawTitleBanner();
    RetireOldMessages();
    DrawMessageBackgrounds();
    DrawMessageTexts();
    MarkGlyphQueue();
    DrawGlyphsToMark();
    DrawGlyphsFromMark();
    SetRenderStateCached(AlphaBlendState, 0);
}

void AddMenuRow(Screen*, const char* text, int, void (*)(Screen*, int))
{
    const float height = MenuRowHeight * MenuTextPart;
    const float y = NextRowTop + (MenuRowHeight - height) / 2;
    const float size = height * WidthOfHeight;
    const float width = GetTextWidth(text, size, TextCodePage);
    DrawShadowText(text, MenuRowRight - 0.02f - width, y, size, height, White, TextCodePage);
    NextRowTop += MenuRowHeight;
}

void AddBackButton(Screen*, int, void (*)(Screen*, int), const char* text)
{
    constexpr float Left = -1.0f, Top = 0.85f, Right = -0.75f, Bottom = 1.0f;
    const float height = (Bottom - Top) * 0.55f;
    const char* shown = text != nullptr ? text : "back";
    const float size = height * WidthOfHeight;
    const float width = GetTextWidth(shown, size, TextCodePage);
    DrawShadowText(shown, (Left + Right - width) / 2, Top + (Bottom - Top - height) / 2, size, height, ButtonRed,
                   TextCodePage);
}

float DrawTitlePicture(int, int, int)
{
    char line[64];
    std::snprintf(line, sizeof line, "Quorvan %s", ProgramVersion);
    constexpr float Size = 0.02875f, Height = 0.05f;
    const float width = GetTextWidth(line, Size, 0);
    DrawShadowText(line, -width / 2, VersionLineY, Size, Height, White, 0);
    return 0.0f;
}
