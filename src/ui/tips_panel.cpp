// The tips panel: five tips for a new driver in a big box under a title.
#include <cstdio>

#include "graphics/services.h"
#include "ui/local.h"

namespace {

constexpr int LightGreyColour = 18;  // the standard colour of notices
constexpr float TipX1 = -0.85f, TipX2 = 0.85f, TipHeight = 0.06f;
constexpr float FirstTipY = -0.73f, TipSpacing = 0.1f;

constexpr TextId Tips[] = {TX_3h_tip_pesc, TX_3h_tip_prst, TX_3h_tip_ffwr, TX_3h_tip_rtcg, TX_3h_tip_brak};
constexpr int TipCount = static_cast<int>(sizeof Tips / sizeof Tips[0]);

struct TipsPanel : Screen {
    char title[32] = {};
};

Screen* TipsPanelFrame(Screen* screen)
{
    TipsPanel* panel = static_cast<TipsPanel*>(screen);
    if (!panel->alive) {
        delete panel;
        return nullptr;
    }
    if (ScreenFrameBusy(panel))
        return panel;
    std::snprintf(panel->title, sizeof panel->title, GetText(TX_3h_num_tips), TipCount);
    AddScreenTitle(panel->title, 0, 0);
    AddUiItem(nullptr, -0.87f, -0.75f, 0.87f, -0.25f, UiWord(), UiWord(""), UiWord(0), UiWord(), UiButton,
              InterfaceColour(UiColour::BigText), nullptr);
    for (int i = 0; i < TipCount; ++i) {
        const float top = FirstTipY + TipSpacing * static_cast<float>(i);
        AddUiItem(nullptr, TipX1, top, TipX2, top + TipHeight, UiWord(), UiWord(GetText(Tips[i])), UiWord(0),
                  UiWord(), UiLabel, &StandardColours[LightGreyColour], nullptr);
    }
    return panel;
}

void TipsPanelKey(Screen*, int) {}

} // namespace

Screen* OpenTipsPanel(Screen* screen)
{
    TipsPanel* panel = new TipsPanel;
    InitScreen(panel, screen, TipsPanelFrame, TipsPanelKey, DefaultScreenMouse, nullptr, 1);
    return panel;
}
