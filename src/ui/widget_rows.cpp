// The rows of the options screens: a label in the label column, a control
// in the value column (cycle, choice, flag, text field, number, button,
// slider, colour) and an optional help button; and the scroll bar of a
// list.
#include "graphics/services.h"
#include "ui/local.h"

namespace {

// The step buttons at a slider's ends, and how far they sit inside the row.
constexpr float SliderButtonWidth = 0.03f, SliderButtonInset = 0.005f;
// The spin row's arrow buttons.
constexpr float SpinButtonWidth = 0.1f;
// The standard colours of the red, green and blue sliders of a colour.
constexpr int RedSliderColour = 20, GreenSliderColour = 21, BlueSliderColour = 22;

// The standard actions of the buttons whose value is an int they change.
void CycleItem(Screen* owner, const UiItem& item) { OnCycleClick(owner, item.param.Int(), item.value.Pointer<int>()); }
void ToggleItem(Screen* owner, const UiItem& item) { OnToggleClick(owner, item.param.Int(), item.value.Pointer<int>()); }
void ChoiceItem(Screen* owner, const UiItem& item) { OnChoiceClick(owner, item.param.Int(), item.value.Pointer<int>()); }
void ClearChoiceItem(Screen* owner, const UiItem& item)
{
    OnClearChoiceClick(owner, item.param.Int(), item.value.Pointer<int>());
}
void HelpItem(Screen* owner, const UiItem& item) { OnHelpClick(owner, item.param.Int(), item.value.Text()); }

void SetItemAction(UiItem* item, UiItemAction action)
{
    if (item != nullptr)
        item->itemAction = action;
}

// The row's label, and its help button when it has a topic (0: none).
void AddRowLabel(const char* label, float y)
{
    const ColumnLayout& layout = CurrentColumnLayout;
    AddUiItem(nullptr, layout.labelX1, y, layout.labelX2, y + layout.rowHeight, UiWord(), UiWord(label), UiWord(0),
              UiWord(), UiLabel, InterfaceColour(UiColour::TextUnselected), nullptr);
}

void AddRowHelp(Screen* owner, const char* label, float y, int helpTopic)
{
    if (helpTopic == 0)
        return;
    const ColumnLayout& layout = CurrentColumnLayout;
    SetItemAction(AddUiItem(owner, layout.helpX1, y, layout.helpX2, y + layout.rowHeight, UiWord(label), UiWord(),
                            UiWord(helpTopic), UiWord(), UiHelpButton, nullptr, nullptr),
                  HelpItem);
}

// A slider row: the label showing the format with the value (degrees for
// an angle slider), and the slider between its decrease and increase
// buttons, stepping by its format's step and held within minimum..maximum.
void AddSliderControls(Screen* owner, const char* format, float y, float* value, float minimum, float maximum,
                       UiAction action, int sliderKind)
{
    const ColumnLayout& layout = CurrentColumnLayout;
    const float y2 = y + layout.rowHeight;
    const int labelKind = sliderKind == UiAngleSlider ? UiAngleLabel : UiNumberLeft;
    AddUiItem(nullptr, layout.labelX1, y, layout.labelX2, y2, UiWord(*value), UiWord(format), UiWord(0.0f), UiWord(0),
              labelKind, InterfaceColour(UiColour::TextUnselected), nullptr);
    const float step = FloatStepOfFormat(format, sliderKind);
    AddUiItem(owner, layout.valueX1, y + SliderButtonInset, layout.valueX1 + SliderButtonWidth, y2 - SliderButtonInset,
              UiWord(value), UiWord(), UiWord(step), UiWord(minimum), UiFloatDown, nullptr, action);
    AddUiItem(owner, layout.valueX2 - SliderButtonWidth, y + SliderButtonInset, layout.valueX2, y2 - SliderButtonInset,
              UiWord(value), UiWord(), UiWord(step), UiWord(maximum), UiFloatUp, nullptr, action);
    AddUiItem(owner, layout.valueX1 + SliderButtonWidth, y, layout.valueX2 - SliderButtonWidth, y2, UiWord(value),
              UiWord(minimum), UiWord(maximum), UiWord(format), sliderKind, InterfaceColour(UiColour::BigText),
              action);
}

} // namespace

void AddCycleRow(Screen* owner, const char* label, float y, int* value, int count, const char* const* const* texts,
                 UiAction change, int helpTopic)
{
    const ColumnLayout& layout = CurrentColumnLayout;
    AddRowLabel(label, y);
    SetItemAction(AddUiItem(owner, layout.valueX1, y, layout.valueX2, y + layout.rowHeight, UiWord(value),
                            UiWord(texts), UiWord(count), UiWord(change), UiCycleButton, nullptr, nullptr),
                  CycleItem);
    AddRowHelp(owner, label, y, helpTopic);
}

void AddInfoRow(Screen* owner, const char* label, float y, const char* text, int helpTopic)
{
    const ColumnLayout& layout = CurrentColumnLayout;
    AddRowLabel(label, y);
    AddUiItem(nullptr, layout.valueX1, y, layout.valueX2, y + layout.rowHeight, UiWord(0), UiWord(text), UiWord(0),
              UiWord(), UiButton, InterfaceColour(UiColour::TextUnavailable), nullptr);
    AddRowHelp(owner, label, y, helpTopic);
}

void AddChoiceRow(Screen* owner, const char* label, float y, int* value, int n, const char* const* const* texts,
                  UiAction change, int helpTopic, int style)
{
    const ColumnLayout& layout = CurrentColumnLayout;
    AddRowLabel(label, y);
    for (int i = 0; i < n; ++i) {
        const ChoiceButton button = LayOutChoiceButton(layout, n, i, style, *value);
        const UiColour colour = button.selected ? UiColour::TextSelected : UiColour::TextUnselected;
        UiItem* item = AddUiItem(owner, button.x1, y, button.x2, y + layout.rowHeight, UiWord(value),
                                 UiWord(texts[button.choice]), UiWord(button.choice),
                                 button.notifies ? UiWord(change) : UiWord(), UiChoiceButton,
                                 InterfaceColour(colour), nullptr);
        SetItemAction(item, button.action == OnClearChoiceClick ? ClearChoiceItem : ChoiceItem);
    }
    AddRowHelp(owner, label, y, helpTopic);
}

void AddFlagRow(Screen* owner, const char* label, float y, int* value, int mask, const char* const* const* texts,
                UiAction change)
{
    const ColumnLayout& layout = CurrentColumnLayout;
    AddRowLabel(label, y);
    SetItemAction(AddUiItem(owner, layout.valueX1, y, layout.valueX2, y + layout.rowHeight, UiWord(value),
                            UiWord(texts), UiWord(mask), UiWord(change), UiFlagButton, nullptr, nullptr),
                  ToggleItem);
}

void AddTextFieldRow(Screen* owner, const char* label, float y, char* buffer, int maxLength, int helpTopic,
                     int fieldKind)
{
    const ColumnLayout& layout = CurrentColumnLayout;
    AddRowLabel(label, y);
    AddUiItemUntranslated(owner, layout.valueX1, y, layout.valueX2, y + layout.rowHeight, UiWord(buffer),
                          UiWord(buffer), UiWord(maxLength), UiWord(label), fieldKind,
                          InterfaceColour(UiColour::TextString), nullptr);
    AddRowHelp(owner, label, y, helpTopic);
}

void AddTextRow(Screen* owner, const char* label, float y, char* buffer, int maxLength, int helpTopic)
{
    AddTextFieldRow(owner, label, y, buffer, maxLength, helpTopic, UiTextField);
}

void AddPasswordRow(Screen* owner, const char* label, float y, char* buffer, int maxLength, int helpTopic)
{
    AddTextFieldRow(owner, label, y, buffer, maxLength, helpTopic, UiPasswordField);
}

void AddSingleByteTextRow(Screen* owner, const char* label, float y, char* buffer, int maxLength, int helpTopic)
{
    AddTextFieldRow(owner, label, y, buffer, maxLength, helpTopic, UiSingleByteField);
}

void AddTextFieldAt(Screen* owner, const char* label, float x1, float x2, float x3, float y, char* buffer,
                    int maxLength)
{
    const float y2 = y + CurrentColumnLayout.rowHeight;
    AddUiItem(nullptr, x1, y, x2, y2, UiWord(), UiWord(label), UiWord(0), UiWord(), UiLabel,
              InterfaceColour(UiColour::TextUnselected), nullptr);
    AddUiItemUntranslated(owner, x2, y, x3, y2, UiWord(buffer), UiWord(buffer), UiWord(maxLength), UiWord(label),
                          UiTextField, InterfaceColour(UiColour::TextString), nullptr);
}

void AddSpinRow(Screen* owner, const char* label, const char* format, float y, int code, int value, UiAction action,
                int helpTopic)
{
    const ColumnLayout& layout = CurrentColumnLayout;
    const float y2 = y + layout.rowHeight;
    Screen* buttonOwner = action != nullptr ? owner : nullptr;
    const ColourRecord* colour = InterfaceColour(action != nullptr ? UiColour::TextUnselected : UiColour::TextUnavailable);
    AddRowLabel(label, y);
    AddUiItemUntranslated(buttonOwner, layout.valueX1, y, layout.valueX1 + SpinButtonWidth, y2, UiWord(code),
                          UiWord("\x8B"), UiWord(0), UiWord(), UiButton, colour, action);
    AddUiItem(nullptr, layout.valueX1 + SpinButtonWidth, y, layout.valueX2 - SpinButtonWidth, y2, UiWord(value),
              UiWord(format), UiWord(code), UiWord(), UiIntNumberButton, colour, nullptr);
    AddUiItemUntranslated(buttonOwner, layout.valueX2 - SpinButtonWidth, y, layout.valueX2, y2, UiWord(code + 1),
                          UiWord("\x9B"), UiWord(0), UiWord(), UiButton, colour, action);
    AddRowHelp(owner, label, y, helpTopic);
}

void AddActionRow(Screen* owner, const char* label, float y, int value, const char* caption, UiAction action,
                  int helpTopic)
{
    const ColumnLayout& layout = CurrentColumnLayout;
    AddRowLabel(label, y);
    const UiColour colour = action != nullptr ? UiColour::BigText : UiColour::TextUnavailable;
    AddUiItem(action != nullptr ? owner : nullptr, layout.valueX1, y, layout.valueX2, y + layout.rowHeight,
              UiWord(value), UiWord(caption), UiWord(0), UiWord(), UiParamButton, InterfaceColour(colour), action);
    AddRowHelp(owner, label, y, helpTopic);
}

void AddSliderRow(Screen* owner, const char* format, float y, float* value, float minimum, float maximum,
                  UiAction action)
{
    AddSliderControls(owner, format, y, value, minimum, maximum, action, UiFloatSlider);
}

void AddAngleSliderRow(Screen* owner, const char* format, float y, float* value, float minimum, float maximum,
                       UiAction action)
{
    AddSliderControls(owner, format, y, value, minimum, maximum, action, UiAngleSlider);
}

void AddColourRow(Screen* owner, const char* label, float y, ColourRecord* colour, int minimum, int maximum,
                  UiAction action)
{
    const ColumnLayout& layout = CurrentColumnLayout;
    AddRowLabel(label, y);
    AddColourSliders(owner, nullptr, layout.valueX1, y, layout.valueX2, y + 2 * layout.rowHeight, colour, minimum,
                     maximum, action);
}

void AddColourSliders(Screen* owner, const char* mark, float x1, float y1, float x2, float y2, ColourRecord* colour,
                      int minimum, int maximum, UiAction action)
{
    const float middle = (x1 + x2) * 0.5f;
    const float third = (y2 - y1) / 3.0f;
    AddUiItem(owner, x1, y1, middle, y2, UiWord(), UiWord(mark), UiWord(0), UiWord(), UiColourSwatch, colour, action);
    uint8_t* parts[3] = {&colour->r, &colour->g, &colour->b};
    const int shades[3] = {RedSliderColour, GreenSliderColour, BlueSliderColour};
    for (int i = 0; i < 3; ++i) {
        const float top = y1 + third * static_cast<float>(i);
        AddUiItem(owner, middle, top, x2, i == 2 ? y2 : top + third, UiWord(parts[i]), UiWord(minimum),
                  UiWord(maximum), UiWord(), UiColourSlider, &StandardColours[shades[i]], action);
    }
}

void DrawScrollBar(Screen* owner, float listX1, float barX1, float y1, float barX2, float y2, int* firstRow,
                   int visibleRows, int totalRows)
{
    const ScrollBarParts parts = LayOutScrollBar(y1, y2);
    const UiWord first(*firstRow), end(*firstRow + visibleRows), total(totalRows);
    if (parts.hasUp)
        AddUiSymbolItem(owner, barX1, y1, barX2, parts.upY2, UiWord(firstRow), first, end, total, UiScrollUp,
                        nullptr, nullptr);
    if (parts.hasTrack)
        AddUiItem(owner, barX1, parts.trackY1, barX2, parts.trackY2, UiWord(firstRow), first, end, total,
                  UiScrollThumb, nullptr, nullptr);
    AddUiSymbolItem(owner, barX1, parts.downY1, barX2, y2, UiWord(firstRow), first, end, total, UiScrollDown,
                    nullptr, nullptr);
    AddUiItem(nullptr, listX1, y1, barX2, y2, UiWord(firstRow), first, end, total, UiScrollArea, nullptr, nullptr);
}
