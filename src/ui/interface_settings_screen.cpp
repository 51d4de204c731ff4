// The interface settings screen, opened from the Display tab: the
// opacities and colours of "interface_cfg.txt" with previews of the two
// button styles, and the centre and scale of the whole 2D interface.
#include <cstdio>
#include <iterator>

#include "ui/local.h"

namespace {

struct InterfaceSettingsScreen : Screen {};

// The rows' layout: labels from -0.95 to -0.65 and values from -0.65 to
// -0.25 on the left; the right block's columns come from the layout after
// it.
constexpr int LeftBlockLayout = 13, RightBlockLayout = 14;
constexpr float FirstRowY = -0.75f;

// The rows of the left and right blocks: an opacity slider when opacity is
// set, else a colour row.
struct InterfaceRow {
    TextId label;
    float InterfaceSettingsRecord::*opacity;
    ColourRecord InterfaceSettingsRecord::*colour;
};
constexpr InterfaceRow LeftRows[] = {
    {TX_3i_bigopacf, &InterfaceSettingsRecord::bigOpacity, nullptr},
    {TX_3i_big_colr, nullptr, &InterfaceSettingsRecord::bigColour},
    {TX_3i_big_text, nullptr, &InterfaceSettingsRecord::bigText},
    {TX_3i_btnopacf, &InterfaceSettingsRecord::buttonOpacity, nullptr},
    {TX_3i_btn_colr, nullptr, &InterfaceSettingsRecord::buttonColour},
    {TX_3i_txtunsel, nullptr, &InterfaceSettingsRecord::textUnselected},
    {TX_3i_txt_selc, nullptr, &InterfaceSettingsRecord::textSelected},
    {TX_3i_txtunava, nullptr, &InterfaceSettingsRecord::textUnavailable},
    {TX_3i_txt_strg, nullptr, &InterfaceSettingsRecord::textString},
    {TX_3i_tit_colr, nullptr, &InterfaceSettingsRecord::titleGrey},
    {TX_3i_btngreen, nullptr, &InterfaceSettingsRecord::buttonGreen},
    {TX_3i_btn_red_, nullptr, &InterfaceSettingsRecord::buttonRed},
    {TX_3i_btnalter, nullptr, &InterfaceSettingsRecord::buttonAlt},
};
constexpr InterfaceRow RightRows[] = {
    {TX_3i_smaplite, nullptr, &InterfaceSettingsRecord::smallMapLight},
    {TX_3i_smapdark, nullptr, &InterfaceSettingsRecord::smallMapDark},
    {TX_3i_carlapah, nullptr, &InterfaceSettingsRecord::carLapAhead},
    {TX_3i_car_ahed, nullptr, &InterfaceSettingsRecord::carAhead},
    {TX_3i_ai_ahead, nullptr, &InterfaceSettingsRecord::aiAhead},
    {TX_3i_own_car_, nullptr, &InterfaceSettingsRecord::ownCar},
    {TX_3i_ai_behnd, nullptr, &InterfaceSettingsRecord::aiBehind},
    {TX_3i_carbehnd, nullptr, &InterfaceSettingsRecord::carBehind},
    {TX_3i_carlapbh, nullptr, &InterfaceSettingsRecord::carLapBehind},
};

// The centre and scale values by the code their buttons carry: the centre's
// x and y, a reset of both, the scale's x and y, a reset of both.
enum : int {
    CentreX = 0, CentreY = 1, CentreReset = 2,
    ScaleX = 3, ScaleY = 4, ScaleReset = 5,
};
// The typed centre and scale are held within these limits.
constexpr float CentreLimit = 0.5f, ScaleMinimum = 0.5f, ScaleMaximum = 1.0f;
// A typed centre or scale has at most this many characters.
constexpr int CentreScaleEntryLength = 8;

// The centre and scale rows under the right block: a label and three
// buttons across the value column.
constexpr float CentreRowY = 0.2f;
constexpr float ButtonGap = 0.01f;

// The two previews: the test button one row above the bottom box, the big
// button in the bottom box.
constexpr float PreviewX1 = 0.6f, PreviewX2 = 0.95f, BottomY1 = 0.85f, BottomY2 = 0.95f;

// The change action of the opacity sliders and the right block.
void OnInterfaceColourChange(Screen*, int, int) { UpdateInterfaceColours(); }

// The setting of each value code, and the name its value entry asks for
// (none for the resets).
constexpr float SettingsRecord::*CentreScaleFields[] = {
    &SettingsRecord::screenCx, &SettingsRecord::screenCy, nullptr,
    &SettingsRecord::screenXmul, &SettingsRecord::screenYmul, nullptr,
};
constexpr TextId CentreScaleNames[] = {TX_3i_centre_x, TX_3i_centre_y, TX_3i_resetbtn,
                                       TX_3i_x_scale_, TX_3i_y_scale_, TX_3i_resetbtn};

// The completion of the value entry: a typed number within the value's
// limits, rounded to hundredths, becomes the setting; outside them a
// message gives the limits and nothing changes.
void OnCentreScaleEntered(Screen* screen, const char* text, int code)
{
    if (text == nullptr || text[0] == 0)
        return;
    const float v = ParseFloat(text);
    const bool centre = code == CentreX || code == CentreY;
    const float minimum = centre ? -CentreLimit : ScaleMinimum, maximum = centre ? CentreLimit : ScaleMaximum;
    if (v < minimum || v > maximum) {
        char message[128];
        std::snprintf(message, sizeof message, GetText(TX_3i_valbetwn), minimum, maximum);
        ShowMessageBox(screen, message);
        return;
    }
    const float rounded = static_cast<float>(RoundToInt32(v * 100.0f)) * 0.01f;
    EditSettings([code, rounded](SettingsRecord& s) { s.*CentreScaleFields[code] = rounded; });
    UpdateFovTangent();
}

// The action of the centre and scale buttons: a value button asks for a
// new value, a reset button sets both values back.
void OnCentreScaleClick(Screen* screen, int, int code)
{
    if (code == CentreReset || code == ScaleReset) {
        const bool centre = code == CentreReset;
        EditSettings([centre](SettingsRecord& s) {
            if (centre)
                s.screenCx = s.screenCy = 0.0f;
            else
                s.screenXmul = s.screenYmul = 1.0f;
        });
        UpdateFovTangent();
        return;
    }
    if (code < CentreX || code > ScaleY)
        return;
    char title[128];
    std::snprintf(title, sizeof title, GetText(TX_3a_newvalfx), GetText(CentreScaleNames[code]));
    OpenTextEntry(screen, OnCentreScaleEntered, title, CentreScaleEntryLength, code, "", 0, 0, nullptr);
}

// A row of a label and its x, y and reset buttons (codes first .. first + 2).
void AddCentreScaleRow(Screen* screen, TextId label, float y, int first)
{
    const ColumnLayout& layout = CurrentColumnLayout;
    const float y2 = y + layout.rowHeight;
    AddUiItem(nullptr, layout.labelX1, y, layout.labelX2, y2, UiWord(), UiWord(GetText(label)), UiWord(0), UiWord(),
              UiLabel, InterfaceColour(UiColour::TextUnselected), nullptr);
    const float width = (layout.valueX2 - layout.valueX1) / 3.0f;
    const TextId formats[2] = {TX_3i_x_valuef, TX_3i_y_valuef};
    for (int i = 0; i < 2; ++i) {
        const float x1 = layout.valueX1 + width * static_cast<float>(i);
        AddUiItem(screen, x1, y, x1 + width - ButtonGap, y2, UiWord(Settings.*CentreScaleFields[first + i]),
                  UiWord(GetText(formats[i])), UiWord(first + i), UiWord(), UiFloatNumberButton,
                  InterfaceColour(UiColour::BigText), OnCentreScaleClick);
    }
    const int reset = first + 2;
    AddUiItem(screen, layout.valueX1 + 2 * width, y, layout.valueX2, y2, UiWord(reset),
              UiWord(GetText(TX_3i_resetbtn)), UiWord(reset), UiWord(), UiParamButton,
              InterfaceColour(UiColour::BigText), OnCentreScaleClick);
}

// One block of rows from the first row down; the right block's rows all
// derive the colours again on a change.
void AddInterfaceRows(Screen* screen, const InterfaceRow* rows, int count, UiAction colourAction)
{
    InterfaceSettingsRecord& settings = MutableInterfaceSettings;
    const float rowHeight = CurrentColumnLayout.rowHeight;
    float y = FirstRowY;
    for (int i = 0; i < count; ++i) {
        const InterfaceRow& row = rows[i];
        if (row.opacity != nullptr) {
            AddSliderRow(screen, GetText(row.label), y, &(settings.*row.opacity), 0.0f, 1.0f,
                         OnInterfaceColourChange);
            y += rowHeight;
        } else {
            AddColourRow(screen, GetText(row.label), y, &(settings.*row.colour), 0, 255, colourAction);
            y += 2 * rowHeight;
        }
    }
}

void AddPreviewButtons()
{
    const float rowHeight = CurrentColumnLayout.rowHeight;
    AddUiItem(nullptr, PreviewX1, BottomY1 - 2 * rowHeight, PreviewX2, BottomY1 - rowHeight, UiWord(0),
              UiWord(GetText(TX_3i_test_btn)), UiWord(0), UiWord(), UiButton,
              InterfaceColour(UiColour::TextUnselected), nullptr);
    AddUiItem(nullptr, PreviewX1, BottomY1, PreviewX2, BottomY2, UiWord(0), UiWord(GetText(TX_3i_big_btn_)),
              UiWord(0), UiWord(), UiParamButton, InterfaceColour(UiColour::BigText), nullptr);
}

void CloseInterfaceScreen(Screen* screen, int, int) { CloseScreen(screen); }

Screen* InterfaceSettingsFrame(Screen* screen)
{
    InterfaceSettingsScreen* self = static_cast<InterfaceSettingsScreen*>(screen);
    if (!self->alive) {
        SaveAllConfig();
        delete self;
        return nullptr;
    }
    StepChildScreen(self);
    if (ScreenFrameBusy(self))
        return self;
    AddScreenTitle(GetText(TX_3g_interfac), LeftBlockLayout, 0);
    AddInterfaceRows(self, LeftRows, static_cast<int>(std::size(LeftRows)), nullptr);
    SelectColumnLayout(RightBlockLayout);
    AddInterfaceRows(self, RightRows, static_cast<int>(std::size(RightRows)), OnInterfaceColourChange);
    const float rowHeight = CurrentColumnLayout.rowHeight;
    AddCentreScaleRow(self, TX_3i_if_centr, CentreRowY, CentreX);
    AddCentreScaleRow(self, TX_3i_if_scale, CentreRowY + rowHeight, ScaleX);
    AddPreviewButtons();
    AddBackButton(self, 0, CloseInterfaceScreen, nullptr);
    return self;
}

} // namespace

Screen* OpenInterfaceSettingsScreen(Screen* parent)
{
    InterfaceSettingsScreen* screen = new InterfaceSettingsScreen;
    InitScreen(screen, parent, InterfaceSettingsFrame, DefaultScreenKey, DefaultScreenMouse, nullptr, 1);
    SetCurrentScreen(screen);
    return screen;
}
