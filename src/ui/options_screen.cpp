// The options screen: a column of tab buttons, the previous and next arrows
// and the OK button around one tab screen at a time. The tab last shown is
// kept in the "Options " setting, so the screen opens where it was left.
#include "session/services.h"
#include "ui/local.h"
#include "vehicle/services.h"

const int& ShownOptionsTab = MutableUi.shownOptionsTab;

namespace {

struct OptionsScreen : Screen {
    int argument = 0;    // handed on to the Controls tab
    int pendingTab = 0;  // the tab to open on the next frame; 0 none
};

// The tabs by number: the button's text and the tab screen's title.
struct OptionsTabTexts {
    int tab;
    TextId button, title;
};
constexpr OptionsTabTexts TabTexts[] = {
    {OptionsTabAudio, TX_3a_sel_audi, TX_3a_tit_audi},       {OptionsTabGraphics, TX_3a_sel_grfx, TX_3a_tit_grfx},
    {OptionsTabView, TX_3a_sel_view, TX_3a_tit_view},        {OptionsTabDriver, TX_3a_sel_plyr, TX_3a_tit_plyr},
    {OptionsTabControls, TX_3a_sel_cont, TX_3a_tit_cont},    {OptionsTabGame, TX_3a_sel_game, TX_3a_tit_game},
    {OptionsTabMisc, TX_3a_sel_misc, TX_3a_tit_misc},        {OptionsTabDisplay, TX_3a_sel_disp, TX_3a_tit_disp},
    {OptionsTabScreen, TX_3a_sel_scrn, TX_3a_tit_scrn},
};

// The order of the tab buttons and of the arrows.
constexpr int TabOrderCount = 9;
constexpr int OptionsTabOrder[TabOrderCount] = {
    OptionsTabAudio,   OptionsTabScreen, OptionsTabGraphics, OptionsTabView, OptionsTabDisplay,
    OptionsTabDriver,  OptionsTabControls, OptionsTabGame,   OptionsTabMisc,
};
// Positions in OptionsTabOrder that replay playback skips: it has no
// Driver and Controls tabs.
constexpr int DriverPosition = 5, ControlsPosition = 6, GamePosition = 7;

// The tab column: buttons 0.1 high, each next one 0.125 lower.
constexpr float TabX1 = -0.95f, TabX2 = -0.7f, TabTop = -0.75f, TabHeight = 0.1f, TabPitch = 0.125f;
// The arrows under the column, drawn in the symbol page.
constexpr float ArrowX2 = -0.85f;
constexpr float PreviousY1 = 0.525f, PreviousY2 = 0.625f, NextY1 = 0.65f, NextY2 = 0.75f;
constexpr const char* PreviousSymbol = "\xB9";
constexpr const char* NextSymbol = "\xBA";

// The tab screens' rows: labels from -0.65 to -0.25, values from -0.25 to
// 0.15, 0.05 high.
constexpr int OptionsTabColumnLayout = 7;
// The interface mode of a full menu screen.
constexpr int MenuUiMode = 1;
// The game kind of single-player replay playback.
constexpr int ReplayGameKind = 3;

bool IsReplayPlaying() { return GameKind == ReplayGameKind || GetCarNetHooks().isReplayPlaying() != 0; }
bool IsReplayOnlyHidden(int tab) { return tab == OptionsTabDriver || tab == OptionsTabControls; }

const OptionsTabTexts* FindTabTexts(int tab)
{
    for (const OptionsTabTexts& texts : TabTexts)
        if (texts.tab == tab)
            return &texts;
    return nullptr;
}

void StoreOptionsSetting(int tab)
{
    EditSettings([tab](SettingsRecord& settings) { settings.options = tab; });
}

// Creates the pending tab's screen as the options screen's child; a number
// that names no tab opens nothing, and the options screen then closes.
void OpenOptionsTab(OptionsScreen* options)
{
    const int tab = options->pendingTab;
    StoreOptionsSetting(tab);
    MutableUi.shownOptionsTab = tab;
    Screen* screen = nullptr;
    if (tab == OptionsTabDisplay)
        screen = OpenDisplayTab(options);
    else if (FindTabTexts(tab) != nullptr)
        screen = OpenPendingOptionsTab(options, tab);
    options->pendingTab = OptionsTabNone;
    OpenChildScreen(options, screen);
}

void AddTabColumn(OptionsScreen* options)
{
    const bool replay = IsReplayPlaying();
    float y = TabTop;
    for (int tab : OptionsTabOrder) {
        if (replay && IsReplayOnlyHidden(tab))
            continue;
        const UiColour colour = tab == Settings.options ? UiColour::TextSelected : UiColour::BigText;
        AddUiItem(options, TabX1, y, TabX2, y + TabHeight, UiWord(tab), UiWord(GetText(FindTabTexts(tab)->button)),
                  UiWord(tab), UiWord(), UiParamButton, InterfaceColour(colour), SelectOptionsTab);
        y += TabPitch;
    }
    const ColourRecord* arrowColour = InterfaceColour(UiColour::BigText);
    AddUiSymbolItem(options, TabX1, PreviousY1, ArrowX2, PreviousY2, UiWord(0), UiWord(PreviousSymbol), UiWord(0),
                    UiWord(), UiParamButton, arrowColour, StepOptionsTab);
    AddUiSymbolItem(options, TabX1, NextY1, ArrowX2, NextY2, UiWord(1), UiWord(NextSymbol), UiWord(1), UiWord(),
                    UiParamButton, arrowColour, StepOptionsTab);
    AddOkButton(options, OptionsTabNone, SelectOptionsTab);
}

Screen* OptionsFrame(Screen* screen)
{
    OptionsScreen* options = static_cast<OptionsScreen*>(screen);
    if (!options->alive) {
        MutableUi.shownOptionsTab = 0;
        MutableUi.uiMode = 0;
        delete options;
        return nullptr;
    }
    StepChildScreen(options);
    if (options->child == nullptr) {
        if (options->pendingTab == OptionsTabNone) {
            CloseScreen(options);
            return options;
        }
        OpenOptionsTab(options);
        StepChildScreen(options);
        if (options->child == nullptr)
            return options;
    }
    // A tab's dialog or sub-screen hides the column, so that the tab cannot
    // change under it.
    if (DisplayPass.skipDrawing || options->child->child != nullptr)
        return options;
    AddTabColumn(options);
    return options;
}

} // namespace

Screen* OpenOptionsScreen(Screen* parent, int argument)
{
    OptionsScreen* options = new OptionsScreen;
    MutableUi.uiMode = MenuUiMode;
    InitScreen(options, parent, OptionsFrame, DefaultScreenKey, DefaultScreenMouse, "options", 1);
    options->argument = argument;
    int tab = Settings.options;
    if (IsReplayPlaying() && (IsReplayOnlyHidden(tab) || tab == 8)) {
        tab = OptionsTabAudio;
        StoreOptionsSetting(tab);
    }
    MutableUi.shownOptionsTab = tab;
    options->pendingTab = tab;
    SetCurrentScreen(options);
    return options;
}

Screen* InitOptionsTab(Screen* tab, Screen* options, Screen* (*frame)(Screen*))
{
    InitScreen(tab, options, frame, DefaultScreenKey, DefaultScreenMouse, nullptr, 1);
    SetCurrentScreen(tab);
    return tab;
}

int BeginOptionsTabFrame(Screen* tab, int number)
{
    StepChildScreen(tab);
    if (ScreenFrameBusy(tab))
        return 0;
    AddScreenTitle(OptionsTabTitle(number), OptionsTabColumnLayout, 0);
    return 1;
}

const char* OptionsTabTitle(int tab)
{
    const OptionsTabTexts* texts = FindTabTexts(tab);
    return texts != nullptr ? GetText(texts->title) : "";
}

void SelectOptionsTab(Screen* screen, int, int tab)
{
    OptionsScreen* options = static_cast<OptionsScreen*>(screen);
    if (tab == Settings.options)
        return;
    if (options->child != nullptr)
        CloseScreen(options->child);
    options->pendingTab = tab;
}

void StepOptionsTab(Screen* options, int, int direction)
{
    int position = -1;
    for (int i = 0; i < TabOrderCount; ++i)
        if (OptionsTabOrder[i] == Settings.options)
            position = i;
    if (position < 0)
        return;
    const bool replay = IsReplayPlaying();
    int next = 0;
    if (direction == 1) {
        next = (position + 1) % TabOrderCount;
        if (replay && next == DriverPosition)
            next = GamePosition;
    } else {
        next = (position + TabOrderCount - 1) % TabOrderCount;
        if (replay && next == ControlsPosition)
            next = DriverPosition - 1;
    }
    SelectOptionsTab(options, 0, OptionsTabOrder[next]);
}
