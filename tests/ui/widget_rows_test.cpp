// The standard widgets through the real pointer handling: a click on a
// row's control changes the value it points at and tells the change
// callback, text fields are edited in the text-entry dialog and take back
// no more than their buffer holds, slider rows step within their range and
// take a typed value, and rows without an action take no clicks.
#include <string>

#include "pointer_fixture.h"

namespace {

class WidgetRowsTest : public PointerTest {
protected:
    void SetUp() override
    {
        PointerTest::SetUp();
        AddScreenTitle("Options", 5, 0);  // value column -0.25 .. 0.25, rows 0.06 high
    }
    // Presses and releases the button over the middle of the item.
    void Click(const UiItem& item, int press = 1)
    {
        PointAt((item.x1 + item.x2) / 2, (item.y1 + item.y2) / 2);
        Press(press);
        Release(press == 1 ? 1 : 2);
        MutableDisplayList.clickConsumed = 0;
    }
    // The first item of the kind this pass.
    static const UiItem& Find(int kind, int nth = 0)
    {
        for (int i = 0; i < DisplayList.count; ++i)
            if (DisplayList.items[i].kind == kind && nth-- == 0)
                return DisplayList.items[i];
        ADD_FAILURE() << "no item of kind " << kind;
        return DisplayList.items[0];
    }
    static void TypeKeys(const std::string& text)
    {
        for (unsigned char c : text)
            CurrentScreen->key(CurrentScreen, c);
    }
};

const char* First = "first";
const char* Second = "second";
const char* Third = "third";
const char* const* const Names[3] = {&First, &Second, &Third};

TEST_F(WidgetRowsTest, TheTitleSelectsTheLayoutAndTheBackButtonIsNoted)
{
    EXPECT_EQ(CurrentColumnLayout, ColumnLayouts[5]);
    EXPECT_EQ(MessageAreaTop, -0.85f);
    EXPECT_EQ(DisplayList.backButtonShown, 0);
    AddBackButton(&owner, 3, Record, nullptr);
    EXPECT_EQ(DisplayList.backButtonShown, 1);
    char buffer[8];
    EXPECT_STREQ(UiItemText(Find(UiBottomButton), buffer, sizeof buffer), GetText(TX_3a_backbutt));
    Click(Find(UiBottomButton));
    EXPECT_EQ(Calls, (std::vector<ActionCall>{{&owner, 3, 3}}));
}

// Each row's control changes the int it points at; the change callback
// hears (owner, 0, 0) afterwards, except a choice button already selected.
TEST_F(WidgetRowsTest, CycleFlagAndChoiceRowsChangeTheirValue)
{
    struct Case {
        const char* name;
        int start;
        void (*add)(Screen* owner, int* value);
        int kind;
        int button;  // which control of that kind is clicked
        int expected;
        size_t notices;
    };
    const Case cases[] = {
        {"cycle wraps", 2, [](Screen* o, int* v) { AddCycleRow(o, "Cycle", 0, v, 3, Names, Record, 0); },
         UiCycleButton, 0, 0, 1},
        {"flag toggles its bit", 0x3,
         [](Screen* o, int* v) { AddFlagRow(o, "Flag", 0, v, 4, Names, Record); }, UiFlagButton, 0, 0x7,
         1},
        {"choice chooses", 0,
         [](Screen* o, int* v) { AddChoiceRow(o, "Choice", 0, v, 3, Names, Record, 0, ChoiceStyleNormal); },
         UiChoiceButton, 2, 2, 1},
        {"reversed choice", 0,
         [](Screen* o, int* v) { AddChoiceRow(o, "Choice", 0, v, 3, Names, Record, 0, ChoiceStyleReversed); },
         UiChoiceButton, 0, 2, 1},
        {"a clearable choice clears", 1,
         [](Screen* o, int* v) { AddChoiceRow(o, "Choice", 0, v, 2, Names, Record, 0, ChoiceStyleClearable); },
         UiChoiceButton, 1, -1, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ClearDisplayList();
        Calls.clear();
        int value = c.start;
        c.add(&owner, &value);
        const UiItem& row = Find(UiLabel);
        char buffer[16];
        EXPECT_NE(UiItemText(row, buffer, sizeof buffer)[0], 0);
        Click(Find(c.kind, c.button));
        EXPECT_EQ(value, c.expected);
        EXPECT_EQ(Calls.size(), c.notices);
        for (const ActionCall& call : Calls)
            EXPECT_EQ(call, (ActionCall{&owner, 0, 0}));
    }
}

TEST_F(WidgetRowsTest, ATextFieldIsEditedInTheDialogAndTakesBackWhatItsBufferHolds)
{
    char name[8] = "abc";
    AddTextRow(&owner, "Name", 0, name, sizeof name, 0);
    const UiItem& field = Find(UiTextField);
    EXPECT_EQ(field.colour, InterfaceColour(UiColour::TextString));
    EXPECT_EQ(field.codePage, 0) << "typed text is not translated";
    SetCurrentScreen(&owner);

    Click(field);
    ASSERT_EQ(owner.child, &MutableTextEntryDialog.header);
    EXPECT_STREQ(TextEntryDialog.title, "Name");
    TypeKeys("defghijk\x1B");  // Esc: nothing changes
    EXPECT_STREQ(name, "abc");

    ResumeScreen(&owner);
    Click(field);
    ASSERT_EQ(owner.child, &MutableTextEntryDialog.header);
    TypeKeys("defghijk\r");
    EXPECT_STREQ(name, "abcdefg") << "seven characters and the terminator";
    EXPECT_EQ(owner.child, nullptr);
}

TEST_F(WidgetRowsTest, ASliderRowStepsWithinItsRangeAndTakesATypedValue)
{
    float value = 0.95f;
    AddSliderRow(&owner, "Gain %.1f", 0, &value, 0.0f, 1.0f, Record);
    char buffer[32];
    EXPECT_STREQ(UiItemText(Find(UiNumberLeft), buffer, sizeof buffer), "Gain 0.9");
    const UiItem& slider = Find(UiFloatSlider);
    EXPECT_EQ(slider.x1, Find(UiFloatDown).x2);
    EXPECT_EQ(slider.x2, Find(UiFloatUp).x1);

    Click(Find(UiFloatUp));
    EXPECT_EQ(value, 1.0f) << "the step of the format, held at the maximum";
    Click(Find(UiFloatDown), 2);
    EXPECT_NEAR(value, 0.0f, 1e-6f) << "ten steps on a right click, held at the minimum";

    SetCurrentScreen(&owner);
    Click(slider, 2);
    ASSERT_EQ(owner.child, &MutableTextEntryDialog.header);
    TypeKeys("0,5\r");
    EXPECT_EQ(value, 0.5f);
    EXPECT_EQ(Calls.back(), (ActionCall{&owner, 0, 0}));
}

TEST_F(WidgetRowsTest, RowsWithoutAnActionTakeNoClicks)
{
    AddSpinRow(&owner, "Laps", "%d", 0, 10, 5, nullptr, 0);
    AddActionRow(&owner, "Reset", 0.1f, 1, "go", nullptr, 0);
    for (const UiItem* item : {&Find(UiButton, 0), &Find(UiButton, 1), &Find(UiParamButton)}) {
        EXPECT_EQ(item->owner, nullptr);
        EXPECT_EQ(item->colour, InterfaceColour(UiColour::TextUnavailable));
        Click(*item);
    }
    EXPECT_TRUE(Calls.empty());

    ClearDisplayList();
    AddSpinRow(&owner, "Laps", "%d", 0, 10, 5, Record, 0);
    char buffer[8];
    EXPECT_STREQ(UiItemText(Find(UiIntNumberButton), buffer, sizeof buffer), "5");
    Click(Find(UiButton, 0));
    Click(Find(UiButton, 1));
    EXPECT_EQ(Calls, (std::vector<ActionCall>{{&owner, 1, 10}, {&owner, 1, 11}}));
}

TEST_F(WidgetRowsTest, TheColourSlidersEditTheirRecordsParts)
{
    ColourRecord colour{10, 20, 30, 0};
    AddColourRow(&owner, "Colour", 0, &colour, 0, 255, Record);
    const UiItem& swatch = Find(UiColourSwatch);
    EXPECT_EQ(swatch.colour, &colour);
    const float rowHeight = CurrentColumnLayout.rowHeight;
    EXPECT_NEAR(swatch.y2 - swatch.y1, 2 * rowHeight, 1e-6f);
    for (int part = 0; part < 3; ++part) {
        const UiItem& slider = Find(UiColourSlider, part);
        EXPECT_EQ(slider.x1, swatch.x2);
        EXPECT_NEAR(slider.y2 - slider.y1, 2 * rowHeight / 3, 1e-6f);
        *slider.value.Pointer<uint8_t>() = static_cast<uint8_t>(200 + part);
    }
    EXPECT_EQ(colour, (ColourRecord{200, 201, 202, 0}));
}

} // namespace
