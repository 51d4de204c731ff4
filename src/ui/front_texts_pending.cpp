// Temporary title picture until the front end's pictures are built: the
// title picture is drawn with the version line under it, and the menu's
// rows begin at a fixed place below it.
#include <cstdio>

#include "graphics/services.h"
#include "session/services.h"
#include "ui/local.h"

namespace {

// Whether the pass asked for the title picture. Lives for one pass: the
// 2D layer draws the picture and clears it.
bool TitleShown = false;

constexpr uint32_t White = 0xFFFFFFFFu;
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

void DrawPendingTitlePicture()
{
    if (TitleShown)
        DrawTitleBanner();
    TitleShown = false;
}

float DrawTitlePicture(int, int, int)
{
    TitleShown = true;
    char line[64];
    std::snprintf(line, sizeof line, "Quorvan %s", ProgramVersion);
    constexpr float Size = 0.02875f, Height = 0.05f;
    const float width = GetTextWidth(line, Size, 0);
    DrawShadowText(line, -width / 2, VersionLineY, Size, Height, White, 0);
    return MenuRowsTop;
}
