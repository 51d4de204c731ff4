// The display list: its limit, what a click is (a press and a release over
// the same item, once per pass, the topmost owned item taking it), the
// stepping and scroll buttons at their limits, the wheel, and the message
// dialog that asks before a choice is carried out.
#include <cstring>

#include "pointer_fixture.h"

namespace {

using DisplayListTest = PointerTest;

TEST_F(DisplayListTest, TheItemPastTheLimitIsDroppedAndTheOthersStillWork)
{
    for (int i = 0; i < MaxUiItems; ++i)
        ASSERT_NE(AddButton(-1, -1, -0.9f, -0.9f, i, &owner), nullptr);
    EXPECT_EQ(AddButton(-0.5f, -0.5f, 0.5f, 0.5f, 9999, &owner), nullptr);
    uint16_t wide = 0;
    EXPECT_EQ(AddUiWideItem(&owner, 0, 0, 1, 1, &wide, 0, 1, "%.1f", 1, nullptr, Record), nullptr);
    EXPECT_EQ(DisplayList.count, MaxUiItems);

    PointAt(-0.95f, -0.95f);
    EXPECT_EQ(Press(), 1);
    EXPECT_EQ(Release(), 1);
    ASSERT_EQ(Calls.size(), 1u);
    EXPECT_EQ(Calls[0], (ActionCall{&owner, 1, MaxUiItems - 1}));  // the topmost of the overlapping ones
    MutableDisplayList.clickConsumed = 0;
    PointAt(0, 0);
    EXPECT_EQ(Press(), 0);  // the dropped item is not there
}

// Where the press and the release happen, and what the owner hears.
TEST_F(DisplayListTest, AClickIsAPressAndAReleaseOverTheSameItem)
{
    struct Case {
        const char* name;
        float pressX, releaseX;
        int pressCode;
        std::vector<ActionCall> heard;
    };
    // Button A spans x -0.5..-0.1, button B 0.1..0.5, both y -0.1..0.1.
    const std::vector<Case> cases = {
        {"press and release on A", -0.3f, -0.3f, 1, {{nullptr, 1, 10}}},
        {"right button with Ctrl and Shift", -0.3f, -0.3f, 14, {{nullptr, 14, 10}}},
        {"edge of A counts", -0.5f, -0.1f, 1, {{nullptr, 1, 10}}},
        {"press on A, release on B", -0.3f, 0.3f, 1, {}},
        {"press on A, release on nothing", -0.3f, 0.8f, 1, {}},
        {"press on nothing, release on A", 0.8f, -0.3f, 1, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ResetUiTables();
        Calls.clear();
        AddButton(-0.5f, -0.1f, -0.1f, 0.1f, 10, &owner);
        AddButton(0.1f, -0.1f, 0.5f, 0.1f, 20, &owner);
        PointAt(c.pressX, 0);
        Press(c.pressCode);
        PointAt(c.releaseX, 0);
        Release(c.pressCode & 3);
        std::vector<ActionCall> heard = c.heard;
        for (ActionCall& call : heard)
            call.owner = &owner;
        EXPECT_EQ(Calls, heard);
        EXPECT_EQ(MutablePointer.pressCode, 0) << "the press is forgotten";
    }
}

TEST_F(DisplayListTest, ItemsWithoutOwnerLetTheClickThroughAndTheLaterOwnedItemWins)
{
    AddButton(-0.5f, -0.5f, 0.5f, 0.5f, 1, &owner);
    AddButton(-0.4f, -0.4f, 0.4f, 0.4f, 2, &owner);
    AddButton(-0.3f, -0.3f, 0.3f, 0.3f, 3, nullptr);  // a panel drawn on top
    Press();
    Release();
    ASSERT_EQ(Calls.size(), 1u);
    EXPECT_EQ(Calls[0].b, 2);
}

TEST_F(DisplayListTest, OnlyOneClickCompletesInAPass)
{
    AddButton(-0.5f, -0.5f, 0.5f, 0.5f, 1, &owner);
    Press();
    Release();
    EXPECT_EQ(Press(), 0);
    EXPECT_EQ(Release(), 0);
    EXPECT_EQ(Calls.size(), 1u);

    ClearDisplayList();  // the next pass
    AddButton(-0.5f, -0.5f, 0.5f, 0.5f, 1, &owner);
    Press();
    Release();
    EXPECT_EQ(Calls.size(), 2u);
}

TEST_F(DisplayListTest, AHeldButtonLooksPressedOnlyWhileThePointerStaysOnIt)
{
    const UiItem* button = AddButton(-0.5f, -0.5f, 0.5f, 0.5f, 1, &owner);
    EXPECT_EQ(IsPointerOverItem(*button), 0) << "hovering without a press";
    Press();
    EXPECT_EQ(IsPointerOverItem(*button), 1);
    PointAt(0.9f, 0.9f);
    EXPECT_EQ(IsPointerOverItem(*button), 0);
    PointAt(0.1f, 0.1f);
    EXPECT_EQ(IsPointerOverItem(*button), 1);
}

// Kinds 24-26 call their action with (param, value) and then their change
// callback; menu rows and bottom buttons with (param, value).
TEST_F(DisplayListTest, ButtonsWithParamsTellTheParamAndTheChangeCallbackAfter)
{
    int index = 0;
    AddUiItem(&owner, -0.5f, -0.5f, 0.5f, 0.5f, UiWord(&index), UiWord(), UiWord(3), UiWord(UiAction(Record)),
              UiCycleButton, nullptr, Record);
    Press();
    Release();
    ASSERT_EQ(Calls.size(), 2u);
    EXPECT_EQ(Calls[0].a, 3);
    EXPECT_EQ(Calls[1], (ActionCall{&owner, 0, 0}));
}

struct StepCase {
    const char* name;
    int kind;
    int start;
    UiWord param, extra;
    int byTen;
    int expected;
};

TEST_F(DisplayListTest, SteppingButtonsStopAtTheirLimits)
{
    const std::vector<StepCase> cases = {
        {"byte up by ten stops at the limit", UiByteUp, 250, UiWord(0), UiWord(255), 1, 255},
        {"byte down by ten stops at the limit", UiByteDown, 5, UiWord(0), UiWord(0), 1, 0},
        {"byte up by one", UiByteUp, 3, UiWord(0), UiWord(255), 0, 4},
        {"byte up past a lower limit", UiByteUp, 9, UiWord(0), UiWord(10), 1, 10},
        {"16-bit up by ten", UiWideUp, 65530, UiWord(0), UiWord(65534), 1, 65534},
        {"16-bit down by one", UiWideDown, 7, UiWord(0), UiWord(5), 0, 6},
        {"ratio 0.5 decreased stays", UiWideDown, 0, UiWord(1), UiWord(0), 0, 0},
        {"ratio 7.5 increased stays", UiWideUp, 65534, UiWord(1), UiWord(0), 1, 65534},
        {"ratio 1.0 up by one thousandth", UiWideUp, 4681, UiWord(1), UiWord(0), 0, RatioWideValue(1.001f)},
    };
    for (const StepCase& c : cases) {
        SCOPED_TRACE(c.name);
        uint8_t byte = static_cast<uint8_t>(c.start);
        uint16_t wide = static_cast<uint16_t>(c.start);
        const bool isByte = c.kind == UiByteUp || c.kind == UiByteDown;
        UiItem item{};
        item.kind = static_cast<uint8_t>(c.kind);
        item.value = isByte ? UiWord(&byte) : UiWord(&wide);
        item.param = c.param;
        item.extra = c.extra;
        StepUiItem(item, c.byTen);
        EXPECT_EQ(isByte ? byte : wide, c.expected);
    }
    EXPECT_EQ(RatioWideValue(7.5f), 65534);
    EXPECT_EQ(RatioWideValue(0.5f), 0);
}

TEST_F(DisplayListTest, FloatSteppersMoveOnTheStepGridAndStopAtTheLimit)
{
    struct Case {
        int kind;
        float start, step, limit;
        int byTen;
        float expected;
    };
    for (const Case& c : std::vector<Case>{{UiFloatUp, 1.02f, 0.1f, 5.0f, 0, 1.1f},
                                           {UiFloatUp, 1.0f, 0.1f, 1.05f, 0, 1.05f},
                                           {UiFloatDown, 1.0f, 0.1f, 0.0f, 1, 0.0f},
                                           {UiFloatDown, 3.0f, 0.5f, 0.0f, 0, 2.5f}}) {
        float value = c.start;
        UiItem item{};
        item.kind = static_cast<uint8_t>(c.kind);
        item.value = UiWord(&value);
        item.param = UiWord(c.step);
        item.extra = UiWord(c.limit);
        StepUiItem(item, c.byTen);
        EXPECT_FLOAT_EQ(value, c.expected) << c.start << " step " << c.step;
    }
}

// A right click on a stepper steps by ten; then the action hears (0, 0).
TEST_F(DisplayListTest, ARightClickOnAStepperStepsByTen)
{
    uint8_t byte = 100;
    AddUiItem(&owner, -0.5f, -0.5f, 0.5f, 0.5f, UiWord(&byte), UiWord(), UiWord(0), UiWord(255), UiByteUp, nullptr,
              Record);
    Press(2);
    Release(2);
    EXPECT_EQ(byte, 110);
    ASSERT_EQ(Calls.size(), 1u);
    EXPECT_EQ(Calls[0], (ActionCall{&owner, 0, 0}));
}

// First row, first + visible, total: the wheel and the scroll buttons move
// one row, never before the first nor past the last full view.
TEST_F(DisplayListTest, TheWheelAndScrollButtonsStayWithinTheList)
{
    struct Case {
        int firstRow, visible, total, wheel;
        int expected;
    };
    for (const Case& c : std::vector<Case>{{0, 10, 30, 2, 1},
                                           {20, 10, 30, 2, 20},
                                           {0, 10, 30, 1, 0},
                                           {5, 10, 30, 1, 4},
                                           {0, 10, 4, 2, 0}}) {
        SCOPED_TRACE(testing::Message() << c.firstRow << " of " << c.total << " wheel " << c.wheel);
        ClearDisplayList();
        int first = c.firstRow;
        AddUiItem(nullptr, -0.5f, -0.5f, 0.5f, 0.5f, UiWord(&first), UiWord(c.firstRow),
                  UiWord(c.firstRow + c.visible), UiWord(c.total), UiScrollArea, nullptr, nullptr);
        EXPECT_EQ(Wheel(c.wheel), 1);
        EXPECT_EQ(first, c.expected);

        ClearDisplayList();
        first = c.firstRow;
        AddUiSymbolItem(&owner, -0.5f, -0.5f, 0.5f, 0.5f, UiWord(&first), UiWord(c.firstRow),
                        UiWord(c.firstRow + c.visible), UiWord(c.total), c.wheel == 1 ? UiScrollUp : UiScrollDown,
                        nullptr, nullptr);
        Press();
        Release();
        EXPECT_EQ(first, c.expected);
    }
    ClearDisplayList();
    EXPECT_EQ(Wheel(2), 0) << "no scroll area";
}

// The message dialog over an asking screen: Y or Enter accepts and calls
// the action once; Esc or a click on "no" closes it without calling.
TEST_F(DisplayListTest, AConfirmDialogCallsItsActionOnlyWhenAccepted)
{
    struct Case {
        const char* name;
        int key;       // 0: click instead
        float clickX;  // the "no" and "yes" buttons' middles
        size_t calls;
    };
    for (const Case& c : std::vector<Case>{{"Y", 'Y', 0, 1},
                                           {"Enter", 13, 0, 1},
                                           {"Esc", 27, 0, 0},
                                           {"N", 'N', 0, 0},
                                           {"yes button", 0, 0.25f, 1},
                                           {"no button", 0, -0.25f, 0}}) {
        SCOPED_TRACE(c.name);
        ResetUiTables();
        Calls.clear();
        Screen asking;
        SetCurrentScreen(&asking);
        OpenConfirmDialog(&asking, Record, "Exit?", "", 7, 8, DialogYesNo);
        ASSERT_EQ(asking.child, &MutableMessageDialog);
        EXPECT_EQ(CurrentScreen, &MutableMessageDialog);
        EXPECT_EQ(DialogOpen, 1);
        EXPECT_EQ(UiMode, 2);
        OpenConfirmDialog(&asking, Record, "again", "", 0, 0, DialogYesNo);
        EXPECT_STREQ(MutableMessageDialog.text, "Exit?") << "a screen with a child opens nothing";

        ClearDisplayList();
        StepChildScreen(&asking);
        if (c.key != 0) {
            CurrentScreen->key(CurrentScreen, c.key);
        } else {
            PointAt(c.clickX, -0.25f);
            Press();
            Release();
        }
        EXPECT_EQ(Calls.size(), c.calls);
        if (c.calls == 1) {
            EXPECT_EQ(Calls[0], (ActionCall{&asking, 7, 8}));
        }
        EXPECT_EQ(asking.child, nullptr);
        EXPECT_EQ(CurrentScreen, &asking);
        EXPECT_EQ(DialogOpen, 0);
        EXPECT_EQ(UiMode, 0);
    }
}

// Ten choices under a title: the panel fits them, cancel lies under the
// last row; a row click answers with its row, a key answers nothing.
TEST_F(DisplayListTest, AListDialogAnswersTheChosenRowOrNothing)
{
    const char* names[10] = {"a", "b", "c", "d", "e", "f", "g", "h", "i", "j"};
    const char* const* references[10];
    for (int i = 0; i < 10; ++i)
        references[i] = &names[i];
    for (bool byKey : {false, true}) {
        SCOPED_TRACE(byKey ? "key" : "click");
        ResetUiTables();
        Calls.clear();
        Screen asking;
        SetCurrentScreen(&asking);
        OpenChoiceDialog(&asking, Record, "Pick", references, 10, 42, 2);
        ASSERT_EQ(asking.child, &MutableChoiceDialog);
        EXPECT_EQ(UiMode, 2);
        ClearDisplayList();
        StepChildScreen(&asking);
        const UiItem& panel = DisplayList.items[0];
        EXPECT_NEAR(panel.y2 - panel.y1, 0.84f, 1e-5f);
        const UiItem& lastRow = DisplayList.items[DisplayList.count - 2];
        const UiItem& cancel = DisplayList.items[DisplayList.count - 1];
        EXPECT_NEAR(cancel.y1, lastRow.y2 + 0.02f, 1e-5f);
        EXPECT_EQ(DisplayList.items[2 + 2].colour, InterfaceColour(UiColour::TextSelected));
        EXPECT_EQ(DisplayList.items[2 + 3].colour, InterfaceColour(UiColour::TextUnselected));
        char buffer[8];
        EXPECT_STREQ(UiItemText(DisplayList.items[2 + 3], buffer, sizeof buffer), "d");
        if (byKey) {
            CurrentScreen->key(CurrentScreen, 'A');
            EXPECT_TRUE(Calls.empty());
        } else {
            const UiItem& row = DisplayList.items[2 + 3];
            PointAt((row.x1 + row.x2) / 2, (row.y1 + row.y2) / 2);
            Press();
            Release();
            EXPECT_EQ(Calls, (std::vector<ActionCall>{{&asking, 42, 3}}));
        }
        EXPECT_EQ(asking.child, nullptr);
        EXPECT_EQ(CurrentScreen, &asking);
        EXPECT_EQ(UiMode, 0);
    }
}

TEST_F(DisplayListTest, ANoticeOnABusyScreenBecomesAMessageLine)
{
    Screen asking, child;
    asking.child = &child;
    ShowMessageBox(&asking, "New value is too high");
    EXPECT_EQ(asking.child, &child);
    EXPECT_EQ(MutableMessageDialog.alive, 0);
    ShowMessageBox(nullptr, "nobody asked");
    EXPECT_EQ(DialogOpen, 0);
    // A text too long for the dialog's line is shown empty.
    asking.child = nullptr;
    const std::string longText(200, 'x');
    ShowMessageBox(&asking, longText.c_str());
    EXPECT_STREQ(MutableMessageDialog.text, "");
    EXPECT_EQ(asking.child, &MutableMessageDialog);
}

} // namespace
