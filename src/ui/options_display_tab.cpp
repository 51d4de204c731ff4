// The Display tab of the options screen: which in-race display items show,
// the message size, the colours of the clocks, the central texts and four
// dashboards, and the way to the interface settings screen.
#include <cstdio>

#include "ui/local.h"

namespace {

constexpr int DashboardCount = 4;
constexpr int DashboardLabelSize = 32;

// The tab's copies of the settings it edits: the rows point at them and
// every change is written back to the settings at once (CommitDisplayTab).
struct DisplayTab : Screen {
    int showFps = 0, startLights = 0, showMap = 0, screenFlags = 0;
    float messageSize = 0;
    ColourRecord clockNeedle, clockText, splitText;
    ColourRecord dashboards[DashboardCount];
    char dashboardLabels[DashboardCount][DashboardLabelSize] = {};
    // The texts the choice and flag rows show, by reference so that a
    // language change shows at once.
    const char* const* offLeftRight[3] = {};
    const char* const* noYes[2] = {};
    const char* const* relativeAbsolute[2] = {};
    const char* const* noneSplits[2] = {};
};

// The bits of "Screen Flags " that the tab's flag rows switch.
enum : int {
    ScreenFlagPedals = 128,
    ScreenFlagPositionList = 4096,
    ScreenFlagAbsoluteTimes = 8192,
    ScreenFlagShadows = 16384,
    ScreenFlagSplitTimes = 0x8000,
    ScreenFlagShiftIndicator = 65536,
    ScreenFlagSteeringGauge = 0x20000,
    ScreenFlagRotateMap = 0x40000,
};

// The dashboards by the car whose code labels their row; the first and
// the last take components up to 128 only.
struct DashboardRow {
    const char* carCode;
    ColourRecord SettingsRecord::*setting;
    int maximum;
};
constexpr DashboardRow DashboardRows[DashboardCount] = {
    {"GEX", &SettingsRecord::gexDash, 128},
    {"GQ8", &SettingsRecord::gq8Dash, 255},
    {"NQ1", &SettingsRecord::nq1Dash, 255},
    {"KTA", &SettingsRecord::ktaDash, 128},
};

constexpr float FirstRowY = -0.75f;
// The button to the interface settings screen.
constexpr float InterfaceX1 = 0.6f, InterfaceX2 = 0.95f, InterfaceY1 = 0.85f, InterfaceY2 = 0.95f;

void TakeSettings(DisplayTab* tab)
{
    const SettingsRecord& s = Settings;
    tab->showFps = s.showFps;
    tab->startLights = s.startLights;
    tab->showMap = s.showMap;
    tab->screenFlags = s.screenFlags;
    tab->messageSize = s.messageSize;
    tab->clockNeedle = s.clockNeedle;
    tab->clockText = s.clockText;
    tab->splitText = s.splitText;
    for (int i = 0; i < DashboardCount; ++i)
        tab->dashboards[i] = s.*DashboardRows[i].setting;
}

// The change action of every row: the tab's values become the settings.
void CommitDisplayTab(Screen* screen, int, int)
{
    const DisplayTab* tab = static_cast<const DisplayTab*>(screen);
    EditSettings([tab](SettingsRecord& s) {
        s.showFps = tab->showFps;
        s.startLights = tab->startLights;
        s.showMap = tab->showMap;
        s.screenFlags = tab->screenFlags;
        s.messageSize = tab->messageSize;
        s.clockNeedle = tab->clockNeedle;
        s.clockText = tab->clockText;
        s.splitText = tab->splitText;
        for (int i = 0; i < DashboardCount; ++i)
            s.*DashboardRows[i].setting = tab->dashboards[i];
    });
}

void OpenInterfaceScreen(Screen* tab, int, int) { OpenChildScreen(tab, OpenInterfaceSettingsScreen(tab)); }

void AddFlag(DisplayTab* tab, TextId label, float& y, int mask, const char* const* const* texts)
{
    AddFlagRow(tab, GetText(label), y, &tab->screenFlags, mask, texts, CommitDisplayTab);
    y += CurrentColumnLayout.rowHeight;
}

void AddChoice(DisplayTab* tab, TextId label, float& y, int* value)
{
    AddChoiceRow(tab, GetText(label), y, value, 3, tab->offLeftRight, CommitDisplayTab, 0, ChoiceStyleNormal);
    y += CurrentColumnLayout.rowHeight;
}

// A colour row spans two rows.
void AddColour(DisplayTab* tab, const char* label, float& y, ColourRecord* colour, int maximum)
{
    AddColourRow(tab, label, y, colour, 0, maximum, CommitDisplayTab);
    y += 2 * CurrentColumnLayout.rowHeight;
}

void AddDisplayRows(DisplayTab* tab)
{
    float y = FirstRowY;
    AddChoice(tab, TX_3a_fps_disp, y, &tab->showFps);
    AddChoice(tab, TX_3b_virtuals, y, &tab->startLights);
    AddChoice(tab, TX_3a_smallmap, y, &tab->showMap);
    AddFlag(tab, TX_3g_staticsm, y, ScreenFlagRotateMap, tab->noYes);
    AddFlag(tab, TX_3a_showpeds, y, ScreenFlagPedals, tab->noYes);
    AddFlag(tab, TX_3g_steerind, y, ScreenFlagSteeringGauge, tab->noYes);
    AddFlag(tab, TX_3a_pos_list, y, ScreenFlagPositionList, tab->noYes);
    AddFlag(tab, TX_3a_dropshad, y, ScreenFlagShadows, tab->noYes);
    AddSliderRow(tab, GetText(TX_3a_msgtsize), y, &tab->messageSize, 0.03f, 0.05f, CommitDisplayTab);
    y += CurrentColumnLayout.rowHeight;
    AddFlag(tab, TX_3a_timedisp, y, ScreenFlagAbsoluteTimes, tab->relativeAbsolute);
    AddFlag(tab, TX_3a_chptexto, y, ScreenFlagSplitTimes, tab->noneSplits);
    AddFlag(tab, TX_3a_shiftind, y, ScreenFlagShiftIndicator, tab->noYes);
    AddColour(tab, GetText(TX_3a_clndlcol), y, &tab->clockNeedle, 255);
    AddColour(tab, GetText(TX_3a_cltxtcol), y, &tab->clockText, 255);
    AddColour(tab, GetText(TX_3a_cttxtcol), y, &tab->splitText, 255);
    for (int i = 0; i < DashboardCount; ++i)
        AddColour(tab, tab->dashboardLabels[i], y, &tab->dashboards[i], DashboardRows[i].maximum);
    AddUiItem(tab, InterfaceX1, InterfaceY1, InterfaceX2, InterfaceY2, UiWord(0), UiWord(GetText(TX_3g_interfac)),
              UiWord(0), UiWord(), UiParamButton, InterfaceColour(UiColour::BigText), OpenInterfaceScreen);
}

Screen* DisplayTabFrame(Screen* screen)
{
    DisplayTab* tab = static_cast<DisplayTab*>(screen);
    if (!tab->alive) {
        SaveAllConfig();
        delete tab;
        return nullptr;
    }
    if (BeginOptionsTabFrame(tab, OptionsTabDisplay))
        AddDisplayRows(tab);
    return tab;
}

} // namespace

Screen* OpenDisplayTab(Screen* options)
{
    DisplayTab* tab = new DisplayTab;
    TakeSettings(tab);
    for (int i = 0; i < DashboardCount; ++i)
        std::snprintf(tab->dashboardLabels[i], DashboardLabelSize, GetText(TX_3h_x_dash_c), DashboardRows[i].carCode);
    const TextId offLeftRight[3] = {TX_3a_smalloff, TX_3a_smalleft, TX_3a_smalrght};
    for (int i = 0; i < 3; ++i)
        tab->offLeftRight[i] = GetTextSlot(offLeftRight[i]);
    tab->noYes[0] = GetTextSlot(TX_3a_smlnobrk);
    tab->noYes[1] = GetTextSlot(TX_3a_smlysbrk);
    tab->relativeAbsolute[0] = GetTextSlot(TX_3a_relaybrk);
    tab->relativeAbsolute[1] = GetTextSlot(TX_3a_absolbrk);
    tab->noneSplits[0] = GetTextSlot(TX_3a_oht_none);
    tab->noneSplits[1] = GetTextSlot(TX_3a_oht_splt);
    return InitOptionsTab(tab, options, DisplayTabFrame);
}
