// The standard widgets' layouts and actions, and the interface settings
// file "interface_cfg.txt" with the colours and opacities every menu item
// is drawn in.
#pragma once

#include "core/services.h"
#include "ui/display_list.h"

struct Screen;

// Where a screen's rows put their label, value control and help button
// (screen units), and how high a row is.
struct ColumnLayout {
    float labelX1, labelX2;
    float valueX1, valueX2;
    float helpX1, helpX2;
    float rowHeight;

    bool operator==(const ColumnLayout&) const = default;
};
constexpr int ColumnLayoutCount = 15;
// The layouts a screen title may select; the first is the default.
extern const ColumnLayout ColumnLayouts[ColumnLayoutCount];
// The layout of the current screen's rows. Read-only outside the
// interface; lives for the whole run.
extern const ColumnLayout& CurrentColumnLayout;
// Selects a layout by number (out of range selects the default).
void SelectColumnLayout(int layout);

// The colours and opacities of the menu items. Read-only outside the
// interface as InterfaceSettings; lives for the whole run, set by
// LoadInterfaceConfig and the interface options.
struct InterfaceSettingsRecord {
    float bigOpacity = 0.3f;     // 0..1, big boxes
    ColourRecord bigColour{5, 0, 0};
    float buttonOpacity = 0.4f;  // 0..1, button boxes
    ColourRecord buttonColour{200, 200, 200};
    ColourRecord titleGrey{218, 255, 87};         // screen titles
    ColourRecord bigText{186, 200, 204};          // texts of big buttons
    ColourRecord textUnselected{0, 0, 0};         // ordinary texts
    ColourRecord textSelected{255, 255, 255};     // selected choices and rows
    ColourRecord textUnavailable{114, 114, 111};  // disabled controls, information values
    ColourRecord textString{48, 166, 236};        // text fields
    ColourRecord buttonGreen{117, 179, 77};       // go, OK and yes buttons
    ColourRecord buttonRed{210, 98, 32};          // back, cancel and no buttons
    ColourRecord buttonAlt{180, 180, 30};         // alternative buttons
    ColourRecord smallMapLight{208, 208, 208};    // small track map
    ColourRecord smallMapDark{48, 48, 48};
    ColourRecord carLapAhead{255, 255, 192};      // map markers of the cars
    ColourRecord carAhead{224, 224, 32};
    ColourRecord aiAhead{32, 176, 240};
    ColourRecord ownCar{32, 224, 32};
    ColourRecord aiBehind{48, 48, 240};
    ColourRecord carBehind{255, 160, 0};
    ColourRecord carLapBehind{208, 96, 0};

    bool operator==(const InterfaceSettingsRecord&) const = default;
};
extern const InterfaceSettingsRecord& InterfaceSettings;
// Replaces the settings and derives the colours from them.
void SetInterfaceSettings(const InterfaceSettingsRecord& settings);

// What UpdateInterfaceColours derives: the alpha bytes of the button and
// big boxes, and the small map's and its car markers' colours as
// 0xFFrrggbb. Read-only outside the interface as InterfaceColours; lives
// for the whole run.
struct InterfaceColoursRecord {
    // The alphas of the default opacities 0.4 and 0.3 (76.5 rounds to even).
    uint8_t buttonAlpha = 102;
    uint8_t bigAlpha = 76;
    uint32_t smallMapLight = 0xFFD0D0D0, smallMapDark = 0xFF303030;
    uint32_t ownCar = 0xFF20E020, carAhead = 0xFFE0E020, carBehind = 0xFFFFA000;
    uint32_t aiAhead = 0xFF20B0F0, aiBehind = 0xFF3030F0;
    uint32_t carLapBehind = 0xFFD06000, carLapAhead = 0xFFFFFFC0;

    bool operator==(const InterfaceColoursRecord&) const = default;
};
extern const InterfaceColoursRecord& InterfaceColours;

// "interface_cfg.txt": the load sets the defaults, then takes every key the
// file holds (opacities clamped to 0..1, colour parts to 0..255); a missing
// file leaves the defaults. The save writes every key in table order and
// returns 1 when saved (a failed save keeps the old file).
void LoadInterfaceConfig();
int SaveInterfaceConfig();
// Writes "cfg.txt", "card_cfg.txt", "interface_cfg.txt" and the profile:
// the options screens when they close, and the program at shut-down.
void SaveAllConfig();
// Derives from the interface settings the box alphas of the 2D layer and
// the packed colours of the small map and its car markers; call after a
// change of an opacity or of a small-map or marker colour.
void UpdateInterfaceColours();
// The text-entry dialog for a text field (kinds 8-10): titled with the
// field's label, opened on the buffer's text; on acceptance the typed text
// is copied back into the buffer, which holds maxLength bytes with the
// terminator. The entry type is that of the dialog (0 text, 2 password,
// 3 single-byte).
void EditTextField(Screen* owner, int maxLength, char* buffer, const char* title, int entryType);

// The standard item actions on the value an item points at.
// Cycles value through 0..count - 1.
void OnCycleClick(Screen* owner, int count, int* value);
// Flips the bits of mask.
void OnToggleClick(Screen* owner, int mask, int* value);
// Sets the choice; the clear action sets -1 (no choice).
void OnChoiceClick(Screen* owner, int choice, int* value);
void OnClearChoiceClick(Screen* owner, int choice, int* value);

// Choice rows: n buttons share the value column equally, the last ending
// exactly at its right edge. Style 1 runs them in reverse (button i
// carries value n - 1 - i); style 2 clears the choice when the selected
// button is clicked again.
enum : int {
    ChoiceStyleNormal = 0,
    ChoiceStyleReversed = 1,
    ChoiceStyleClearable = 2,
    ChoiceStyleNotifySelected = 3,  // the change callback runs for the selected button too
};
struct ChoiceButton {
    float x1 = 0, x2 = 0;
    int choice = 0;       // value the button sets
    bool selected = false;
    void (*action)(Screen*, int, int*) = nullptr;
    bool notifies = false;  // the row's change callback is attached
};
ChoiceButton LayOutChoiceButton(const ColumnLayout& layout, int n, int i, int style, int current);

// A scroll bar of height y2 - y1: which of its parts it has and where.
// Tall bars have an up button, a track and a down button; middling ones
// share the bar between the two buttons; short ones only a down button.
struct ScrollBarParts {
    bool hasUp = false, hasTrack = false;
    float upY2 = 0;                   // the up button runs from y1 to upY2
    float trackY1 = 0, trackY2 = 0;
    float downY1 = 0;                 // the down button runs from downY1 to y2
};
ScrollBarParts LayOutScrollBar(float y1, float y2);

// ---------------------------------------------------------------------------
// The standard widgets (widget_frame.cpp, widget_rows.cpp): groups of
// display-list items in the common layout of the menu screens. Texts given
// by reference (const char* const*) are slots of the text table, so that a
// language change shows at once. Each returns nothing; a full display list
// drops what does not fit.

// The screen's title across the top in "Title Grey"; selects the column
// layout of its rows and puts the message list under the title.
void AddScreenTitle(const char* text, int layout, int untranslated);
// The bottom-left back button in "Button Red" ("back" when text is null);
// notes that a back button is shown. The OK button is the same with "OK";
// the styled one is wider and in the given colour.
void AddBackButton(Screen* owner, int value, UiAction action, const char* text);
void AddOkButton(Screen* owner, int value, UiAction action);
void AddBackButtonStyled(Screen* owner, int value, UiAction action, const char* text, const ColourRecord* colour);
// The bottom-right go button in "Button Green" ("GO" when text is null),
// its left edge moved left by offset; the smaller one above the corner.
void AddRightButton(Screen* owner, int value, UiAction action, const char* text, float offset);
void AddLowerRightButton(Screen* owner, int value, UiAction action, const char* text, const ColourRecord* colour);
// The previous (value 0) and next (value 1) arrows at the bottom middle.
void AddPrevNextButtons(Screen* owner, UiAction action);
// Menu entries one row high in the label column: a row whose box fades in
// from the left, a big button with an optional description at its right
// end, and a plain button.
void AddMenuRow(Screen* owner, const char* text, float y, int value, UiAction action, const ColourRecord* colour);
void AddMenuButton(Screen* owner, const char* text, const char* description, float y, int value, UiAction action);
void AddButtonRow(Screen* owner, const char* text, float y, int value, UiAction action);

// Rows: a label, a control in the value column and, for a help topic above
// 0, a help button. The change callback hears (owner, 0, 0) after a
// change.
void AddCycleRow(Screen* owner, const char* label, float y, int* value, int count, const char* const* const* texts,
                 UiAction change, int helpTopic);
void AddInfoRow(Screen* owner, const char* label, float y, const char* text, int helpTopic);
void AddChoiceRow(Screen* owner, const char* label, float y, int* value, int n, const char* const* const* texts,
                  UiAction change, int helpTopic, int style);
// texts: the references shown while the bits of mask are clear and set.
void AddFlagRow(Screen* owner, const char* label, float y, int* value, int mask, const char* const* const* texts,
                UiAction change);
// A text field (kind 8, 9 or 10) on the buffer of maxLength bytes; a click
// edits it in the text-entry dialog titled with the label.
void AddTextFieldRow(Screen* owner, const char* label, float y, char* buffer, int maxLength, int helpTopic,
                     int fieldKind);
void AddTextRow(Screen* owner, const char* label, float y, char* buffer, int maxLength, int helpTopic);
void AddPasswordRow(Screen* owner, const char* label, float y, char* buffer, int maxLength, int helpTopic);
void AddSingleByteTextRow(Screen* owner, const char* label, float y, char* buffer, int maxLength, int helpTopic);
void AddTextFieldAt(Screen* owner, const char* label, float x1, float x2, float x3, float y, char* buffer,
                    int maxLength);
// A number between a decrease (value code) and an increase button (value
// code + 1); without an action the buttons take no clicks.
void AddSpinRow(Screen* owner, const char* label, const char* format, float y, int code, int value, UiAction action,
                int helpTopic);
// A labelled button in "Big Text"; without an action it takes no clicks.
void AddActionRow(Screen* owner, const char* label, float y, int value, const char* caption, UiAction action,
                  int helpTopic);
// A slider with step buttons at its ends; the label shows format with the
// value (radians shown in degrees for the angle slider).
void AddSliderRow(Screen* owner, const char* format, float y, float* value, float minimum, float maximum,
                  UiAction action);
void AddAngleSliderRow(Screen* owner, const char* format, float y, float* value, float minimum, float maximum,
                       UiAction action);
// A colour's swatch and its red, green and blue sliders over two rows.
void AddColourRow(Screen* owner, const char* label, float y, ColourRecord* colour, int minimum, int maximum,
                  UiAction action);
void AddColourSliders(Screen* owner, const char* mark, float x1, float y1, float x2, float y2, ColourRecord* colour,
                      int minimum, int maximum, UiAction action);
// The scroll bar of a list from listX1, the bar from barX1 to barX2: arrows,
// the track when it is high enough, and the wheel area over list and bar.
void DrawScrollBar(Screen* owner, float listX1, float barX1, float y1, float barX2, float y2, int* firstRow,
                   int visibleRows, int totalRows);

// The help button's action: the help screen on the topic, titled with the
// row's label, as the owner's child.
// Pending: no help screen yet (help_screen_pending.cpp); nothing opens,
// which the log says once.
void OnHelpClick(Screen* owner, int topic, const char* title);
