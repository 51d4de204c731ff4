// The 2D display list (display_list.cpp), its pointer handling
// (pointer_input.cpp) and its drawing (draw_2d.cpp). The interface is
// immediate-mode: each pass the main loop empties the list, the screens'
// frames append the items they show, the window's mouse events are tested
// against the items of the frame just drawn, and the 2D layer draws them in
// the order added (later items on top; pointer tests run last to first).
#pragma once

#include <bit>
#include <cstdint>

#include "core/services.h"

struct MouseEvent;
struct Screen;

// An item's action: the owner, then two numbers by kind (the press code and
// the item's value for buttons; param and value for most others; 0, 0 after
// a slider change; 10, 0 after a paste).
using UiAction = void (*)(Screen* owner, int a, int b);
struct UiItem;
// The action of an item whose value is a pointer (the cycle, flag, choice
// and help buttons of the standard widgets): a pointer does not fit the
// int arguments of UiAction, so it is given the item itself.
using UiItemAction = void (*)(Screen* owner, const UiItem& item);

// One word of an item: an int, a float or a pointer, by the item's kind.
// Kept as bits so that every byte is set whichever was stored.
struct UiWord {
    uint64_t bits = 0;

    constexpr UiWord() = default;
    constexpr UiWord(int number) : bits(static_cast<uint32_t>(number)) {}
    constexpr UiWord(float real) : bits(std::bit_cast<uint32_t>(real)) {}
    UiWord(const void* pointer) : bits(reinterpret_cast<uintptr_t>(pointer)) {}
    UiWord(UiAction action) : bits(reinterpret_cast<uintptr_t>(action)) {}

    constexpr int Int() const { return static_cast<int32_t>(static_cast<uint32_t>(bits)); }
    constexpr float Float() const { return std::bit_cast<float>(static_cast<uint32_t>(bits)); }
    template <typename T>
    T* Pointer() const { return reinterpret_cast<T*>(static_cast<uintptr_t>(bits)); }
    const char* Text() const { return Pointer<const char>(); }
    UiAction Action() const { return reinterpret_cast<UiAction>(static_cast<uintptr_t>(bits)); }

    constexpr bool operator==(const UiWord&) const = default;
};

// Item kinds: what value, text, param and extra hold, how the item is drawn
// and what a click does.
enum UiKind : uint8_t {
    UiButton = 0,           // value code, text caption
    UiBigButton = 1,        // caption at 1.5 x the height
    UiMarkBox = 2,          // text non-null: the mark shows
    UiBottomButton = 3,     // opaque box in the item's colour, black caption; param passed
    UiParamButton = 4,      // caption centred; (owner, param, value)
    UiMenuButton = 5,       // caption centred left of x2 - 0.15
    UiMenuRow = 6,          // row box fading in from the left, caption right-aligned
    UiTitle = 7,            // title panel
    UiTextField = 8,        // value the buffer, param its maximum length, extra the dialog title
    UiPasswordField = 9,
    UiSingleByteField = 10,
    UiCaretText = 11,       // param the caret index (-1 none)
    UiCentredText = 12,     // param -6..-3 selects a shaded band
    UiPlainLabel = 13,      // never boxed
    UiLabel = 14,
    UiRightLabel = 15,
    UiTextButtonLeft = 16,  // extra: 0 no box, 1 button box, other big box
    UiTextButtonCentre = 17,
    UiTextButtonRight = 18,
    UiNumberRight = 19,     // value float, text format, param second float, extra 2: two values
    UiNumberLeft = 20,
    UiThousandthsLabel = 21,  // float shown x 0.001
    UiAngleLabel = 22,      // radians shown in degrees
    UiPasswordText = 23,
    UiCycleButton = 24,     // value int*, text table of text references, param count, extra change callback
    UiFlagButton = 25,      // value int*, text two references (clear, set), param mask
    UiChoiceButton = 26,    // value int*, text one reference, param this choice's value
    UiHelpButton = 27,      // value label text, param help topic
    UiFloatSlider = 28,     // value float*, text minimum, param maximum, extra format
    UiMilliSlider = 29,     // stored x 1000 of the value shown
    UiAngleSlider = 30,     // radians stored, degrees shown
    UiColourSlider = 31,    // value uint8_t*, text minimum, param maximum (ints)
    UiByteRangeSlider = 32, // value uint8_t* over minByte..maxByte, shown text..param (floats)
    UiWideSlider = 33,      // value uint16_t*, text minimum, param maximum (floats), extra format
    UiScrollThumb = 34,     // value int* first row, text first row, param first + visible, extra total
    UiByteUp = 35,          // value uint8_t*, extra limit
    UiByteDown = 36,
    UiWideUp = 37,          // value uint16_t*, param nonzero: ratio scale, extra limit
    UiWideDown = 38,
    UiFloatUp = 39,         // value float*, param step (float), extra limit (float)
    UiFloatDown = 40,
    UiScrollUp = 41,        // as 34
    UiScrollDown = 42,
    UiScrollArea = 43,      // wheel only
    UiIntNumberButton = 44, // value int, text format, param code
    UiFloatNumberButton = 45,
    UiFilledRect = 46,      // value colour 0xAARRGGBB
    UiColourSwatch = 47,    // colour points at the record shown and copied
    UiIntLabel = 48,        // value int, text format
    UiTimeLabel = 49,       // value hundredths of a second, text prefix
    UiTimeButton = 50,
    UiVerticalLetters = 51, // text three letters
    UiCarStrip = 52,        // value car bit mask, param row shade -6..-3
    UiHotArea = 53,
    UiCharacterKey = 54,
    UiFlagIcon = 55,        // param icon index
    UiKindCount = 56,
};

// One entry of the display list, in screen units: -1..1 across the 2D
// layer, y downwards.
struct UiItem {
    float x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    UiWord value, text, param, extra;
    uint8_t kind = 0;
    uint8_t scaled = 0;   // kind 33: the 16-bit value spans 0..65534 over text..param
    uint8_t minByte = 0;  // kind 32: the byte range of the value
    uint8_t maxByte = 0;
    uint8_t codePage = 0;                   // page the text is drawn in
    const ColourRecord* colour = nullptr;   // text colour (null white); box colour of kinds 2, 3, 31, 47
    Screen* owner = nullptr;                // items without an owner are never clicked
    UiAction action = nullptr;
    UiItemAction itemAction = nullptr;      // kinds 24-27: called instead of action when set
};

constexpr int MaxUiItems = 1024;
// The items of this pass, whether a back button is shown and whether a
// click completed. Lives for one pass: emptied by ClearDisplayList.
// Read-only outside display_list.cpp and pointer_input.cpp.
struct DisplayListRecord {
    UiItem items[MaxUiItems];
    int count = 0;
    int backButtonShown = 0;
    int clickConsumed = 0;
};
extern const DisplayListRecord& DisplayList;

// Empties the list (count, back button shown, click consumed). The main
// loop calls it before the top screen's frame.
void ClearDisplayList();
// Appends one item in the language's code page; null (and nothing added)
// when the list is full.
UiItem* AddUiItem(Screen* owner, float x1, float y1, float x2, float y2, UiWord value, UiWord text, UiWord param,
                  UiWord extra, int kind, const ColourRecord* colour, UiAction action);
// The same in code page 0 (names and typed text) and in the symbol page.
UiItem* AddUiItemUntranslated(Screen* owner, float x1, float y1, float x2, float y2, UiWord value, UiWord text,
                              UiWord param, UiWord extra, int kind, const ColourRecord* colour, UiAction action);
UiItem* AddUiSymbolItem(Screen* owner, float x1, float y1, float x2, float y2, UiWord value, UiWord text,
                        UiWord param, UiWord extra, int kind, const ColourRecord* colour, UiAction action);
// A 16-bit slider (kind 33) and a byte slider shown over a float range
// (kind 32); null when the list is full.
UiItem* AddUiWideItem(Screen* owner, float x1, float y1, float x2, float y2, uint16_t* value, float minimum,
                      float maximum, const char* format, int scaled, const ColourRecord* colour, UiAction action);
UiItem* AddUiRangeItem(Screen* owner, float x1, float y1, float x2, float y2, uint8_t* value, float minimum,
                       float maximum, const char* format, int minByte, int maxByte, const ColourRecord* colour,
                       UiAction action);
// Notes that a back button is shown this pass (the back-button widgets).
void SetBackButtonShown();

// Steps the value of a stepping button (kinds 35-40) by one or by ten, or
// scrolls a list by one row (kinds 41, 42), as a click on the item does.
void StepUiItem(const UiItem& item, int byTen);
// The 16-bit value of a gear ratio 0.5 .. 7.5 (0 .. 65534), and back.
float WideValueRatio(int value);
int RatioWideValue(float ratio);
// The text an item shows: the caption, the formatted number or time, the
// referenced translatable text; "" for none. Writes into the buffer when
// it formats.
const char* UiItemText(const UiItem& item, char* buffer, int size);

// ---------------------------------------------------------------------------
// Pointer handling (pointer_input.cpp).

// The standard mouse handling of a screen: clicks (press and release over
// the same item), slider and thumb drags, the wheel over a scroll area,
// value copy and paste (Ctrl and Shift with the right button) and value
// entry (right button on a slider). Returns the drag state while a drag
// goes on, 1 when an item used the event, else 0.
int HandleScreenMouse(Screen* screen, MouseEvent* event);
// Ends a slider drag with the value it started from (its action is told);
// 1 when one was active. Called before a key or character is delivered.
int CancelDrag();
// 1 when the item has an owner and both the pending press and the pointer
// lie inside it: a held button is drawn pressed.
int IsPointerOverItem(const UiItem& item);
// The snapping step of a float slider's format ("%.2f": 0.01 of the unit
// of kind 28, 29 or 30); 0 for none.
float FloatStepOfFormat(const char* format, int kind);
// v snapped to the drag's current step (when not 0), then clamped.
float SnapAndClamp(float minimum, float v, float maximum);
// Completions of the value entry that a right click on a slider opens:
// the typed text taken into the slider's value within its range.
void OnFloatValueEntered(Screen* screen, const char* text, int kind);
void OnByteRangeValueEntered(Screen* screen, const char* text, int kind);
void OnWideValueEntered(Screen* screen, const char* text, int kind);

// ---------------------------------------------------------------------------
// The 2D layer (draw_2d.cpp).

// Draws the message list and every item of the display list over the 3D
// scene or the menu background; nothing while quitting.
void Draw2DLayer();
// A nine-patch box: mode 0 or 1 translucent, 2 or 3 opaque; big takes the
// big boxes' opacity; pressed darkens it.
void DrawBox(const ColourRecord& colour, int pressed, float x1, float y1, float x2, float y2, int mode, int big);
// DrawBox with blending on around it, for drawing outside Draw2DLayer.
void DrawBlendedBox(const ColourRecord& colour, int pressed, float x1, float y1, float x2, float y2, int mode,
                    int big);
// A menu row's box, fading in from the left of x1.
void DrawRowBox(const ColourRecord& colour, int pressed, float x1, float y1, float x2, float y2, int big);
// The black tab behind a screen title, from the top-left corner down to bottom.
void DrawTextPanel(const char* text, float bottom);
// One untextured quad (colour 0xAARRGGBB).
void AddQuad(float x1, float y1, float x2, float y2, uint32_t colour);
// Draws the quads collected so far.
void FlushQuadBatch();
// The two passes over the list; label backgrounds box the labels.
void DrawUiItemBoxes(int labelBackgrounds);
void DrawUiItemTexts(int labelBackgrounds);

// ---------------------------------------------------------------------------
// The interface colours of the items and their boxes.

enum class UiColour : uint8_t {
    BigCol, ButtonCol, TitleGrey, BigText, TextUnselected, TextSelected, TextUnavailable, TextString,
    ButtonGreen, ButtonRed, ButtonAlt, Count,
};
// The colour record in the interface settings (interface_config.cpp); items
// point at it, so a changed setting shows at once.
const ColourRecord* InterfaceColour(UiColour which);
// The box alphas of the button and big boxes, from the interface
// settings' opacities (UpdateInterfaceColours).
uint8_t ButtonAlpha();
uint8_t BigAlpha();
