// The standard widgets' layouts and actions, and the interface settings
// file "interface_cfg.txt" with the colours and opacities every menu item
// is drawn in.
#pragma once

#include "core/services.h"

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
void SetInterfaceSettings(const InterfaceSettingsRecord& settings);

// "interface_cfg.txt": the load sets the defaults, then takes every key the
// file holds (opacities clamped to 0..1, colour parts to 0..255); a missing
// file leaves the defaults. The save writes every key in table order and
// returns 1 when saved (a failed save keeps the old file).
void LoadInterfaceConfig();
int SaveInterfaceConfig();

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
