// The frame of a menu screen: its title, the back, OK and go buttons in the
// bottom corners, the previous and next arrows, and the menu entries of the
// label column.
#include "ui/local.h"

namespace {

// The bottom corners' buttons: the row they stand in and the left edge of
// the go button (moved left by its offset).
constexpr float BottomY1 = 0.85f, BottomY2 = 1.0f;
constexpr float BackX2 = -0.75f, StyledBackX2 = -0.65f, RightX1 = 0.75f;
// The smaller buttons above the bottom edge.
constexpr float LowY2 = 0.95f;
// The title band across the top.
constexpr float TitleBottom = -0.85f;
// A menu button's description sits in its last part, inset from its top
// and bottom by this share of the row.
constexpr float DescriptionWidth = 0.15f, DescriptionInset = 0.167f;

const char* TextOr(const char* text, TextId fallback) { return text != nullptr ? text : GetText(fallback); }

} // namespace

void AddScreenTitle(const char* text, int layout, int untranslated)
{
    SelectColumnLayout(layout);
    SetMessageAreaTop(TitleBottom);
    auto add = untranslated ? AddUiItemUntranslated : AddUiItem;
    add(nullptr, -1.0f, -1.0f, 1.0f, TitleBottom, UiWord(), UiWord(text), UiWord(0), UiWord(), UiTitle,
        InterfaceColour(UiColour::TitleGrey), nullptr);
}

void AddBackButtonStyled(Screen* owner, int value, UiAction action, const char* text, const ColourRecord* colour)
{
    AddUiItem(owner, -1.0f, BottomY1, StyledBackX2, BottomY2, UiWord(value), UiWord(TextOr(text, TX_3a_backbutt)),
              UiWord(value), UiWord(), UiBottomButton, colour, action);
    SetBackButtonShown();
}

void AddBackButton(Screen* owner, int value, UiAction action, const char* text)
{
    AddUiItem(owner, -1.0f, BottomY1, BackX2, BottomY2, UiWord(value), UiWord(TextOr(text, TX_3a_backbutt)),
              UiWord(value), UiWord(), UiBottomButton, InterfaceColour(UiColour::ButtonRed), action);
    SetBackButtonShown();
}

void AddOkButton(Screen* owner, int value, UiAction action)
{
    AddBackButton(owner, value, action, GetText(TX_3a_capitlok));
}

void AddRightButton(Screen* owner, int value, UiAction action, const char* text, float offset)
{
    AddUiItem(owner, RightX1 - offset, BottomY1, 1.0f, BottomY2, UiWord(value), UiWord(TextOr(text, TX_3a_capitlgo)),
              UiWord(value), UiWord(), UiBottomButton, InterfaceColour(UiColour::ButtonGreen), action);
}

void AddLowerRightButton(Screen* owner, int value, UiAction action, const char* text, const ColourRecord* colour)
{
    AddUiItem(owner, 0.7f, BottomY1, 0.95f, LowY2, UiWord(value), UiWord(text), UiWord(value), UiWord(),
              UiParamButton, colour, action);
}

void AddPrevNextButtons(Screen* owner, UiAction action)
{
    const ColourRecord* colour = InterfaceColour(UiColour::TextUnselected);
    AddUiItemUntranslated(owner, -0.15f, BottomY1, 0.0f, LowY2, UiWord(0), UiWord("\x8B"), UiWord(0), UiWord(),
                          UiParamButton, colour, action);
    AddUiItemUntranslated(owner, 0.0f, BottomY1, 0.15f, LowY2, UiWord(1), UiWord("\x9B"), UiWord(1), UiWord(),
                          UiParamButton, colour, action);
}

void AddMenuRow(Screen* owner, const char* text, float y, int value, UiAction action, const ColourRecord* colour)
{
    const ColumnLayout& layout = CurrentColumnLayout;
    AddUiItem(owner, layout.labelX1, y, layout.labelX2, y + layout.rowHeight, UiWord(value), UiWord(text),
              UiWord(value), UiWord(), UiMenuRow, colour, action);
}

void AddMenuButton(Screen* owner, const char* text, const char* description, float y, int value, UiAction action)
{
    const ColumnLayout& layout = CurrentColumnLayout;
    const float y2 = y + layout.rowHeight;
    AddUiItem(owner, layout.labelX1, y, layout.labelX2, y2, UiWord(value), UiWord(text), UiWord(value), UiWord(),
              UiMenuButton, InterfaceColour(UiColour::BigText), action);
    if (description == nullptr)
        return;
    const float inset = layout.rowHeight * DescriptionInset;
    AddUiItem(nullptr, layout.labelX2 - DescriptionWidth, y + inset, layout.labelX2, y2 - inset, UiWord(),
              UiWord(description), UiWord(-1), UiWord(), UiCentredText, InterfaceColour(UiColour::TextUnselected),
              nullptr);
}

void AddButtonRow(Screen* owner, const char* text, float y, int value, UiAction action)
{
    const ColumnLayout& layout = CurrentColumnLayout;
    AddUiItem(owner, layout.labelX1, y, layout.labelX2, y + layout.rowHeight, UiWord(value), UiWord(text),
              UiWord(value), UiWord(), UiParamButton, InterfaceColour(UiColour::BigText), action);
}
