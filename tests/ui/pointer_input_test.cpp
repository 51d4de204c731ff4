// Sliders and scroll thumbs under the pointer: drags in pixels, snapping to
// the step a format shows, cancelling, copy and paste between sliders, and
// the typed value taken within the slider's range.
#include <cstdio>
#include <cstdlib>

#include "pointer_fixture.h"

namespace {

class SliderTest : public PointerTest {
protected:
    // A slider from x -0.5 to 0.5 (400 pixels of the 800) and y -0.1 to 0.1.
    UiItem* AddFloatSlider(float* value, float minimum, float maximum, const char* format, int kind = UiFloatSlider)
    {
        return AddUiItem(&owner, -0.5f, -0.1f, 0.5f, 0.1f, UiWord(value), UiWord(minimum), UiWord(maximum),
                         UiWord(format), kind, nullptr, Record);
    }
    // Presses at the slider's middle (pixel 400) and drags by pixels.
    void DragBy(int pixels)
    {
        PointAt(0, 0);
        ASSERT_EQ(Press(), 1);
        MovePixelsX(pixels);
        MoveHolding();
    }
};

TEST_F(SliderTest, FloatSlidersFollowThePointerSnappedToTheirFormatsStep)
{
    struct Case {
        const char* format;
        int pixels;
        float expected;
    };
    // 0..10 over 400 pixels: a pixel is 0.025.
    for (const Case& c : std::vector<Case>{{"%.1f", 7, 5.2f},     // 5.175 snapped to 5.2
                                           {"%.1f", 5, 5.1f},     // 5.125
                                           {"%f", 7, 5.175f},     // no snapping
                                           {"%.0f", -50, 4.0f},   // 3.75
                                           {"%.1f", 900, 10.0f},  // clamped
                                           {"%.1f", -900, 0.0f}}) {
        SCOPED_TRACE(testing::Message() << c.format << " by " << c.pixels);
        ResetUiTables();
        float value = 5.0f;
        AddFloatSlider(&value, 0, 10, c.format);
        DragBy(c.pixels);
        EXPECT_FLOAT_EQ(value, c.expected);
        EXPECT_EQ(MoveHolding(), DragFloat) << "the drag goes on";
        EXPECT_EQ(Release(), 0) << "the release ends the drag and is no click";
        EXPECT_EQ(MutablePointer.drag.state, DragNone);
        EXPECT_FLOAT_EQ(value, c.expected);
    }
}

TEST_F(SliderTest, EachChangeByDraggingTellsTheOwnerOnce)
{
    float value = 5.0f;
    AddFloatSlider(&value, 0, 10, "%.0f");
    DragBy(8);  // 5.2 snaps back to 5: no change
    EXPECT_TRUE(Calls.empty());
    MovePixelsX(40);  // 6.2 -> 6
    MoveHolding();
    MoveHolding();    // the same pixel again
    EXPECT_EQ(Calls, (std::vector<ActionCall>{{&owner, 0, 0}}));
}

// Esc (the window code cancels before delivering a key) and the right
// button both give back the start value and tell the owner.
TEST_F(SliderTest, CancellingADragRestoresTheStartValue)
{
    for (bool byKey : {true, false}) {
        SCOPED_TRACE(byKey ? "key" : "right button");
        ResetUiTables();
        Calls.clear();
        float value = 5.0f;
        AddFloatSlider(&value, 0, 10, "%.1f");
        DragBy(40);
        ASSERT_FLOAT_EQ(value, 6.0f);
        if (byKey)
            EXPECT_EQ(CancelDrag(), 1);
        else
            EXPECT_EQ(MoveHolding(1, 1), 1);
        EXPECT_FLOAT_EQ(value, 5.0f);
        EXPECT_EQ(Calls.back(), (ActionCall{&owner, 0, 0}));
        EXPECT_EQ(CancelDrag(), 0) << "no drag any more";
    }
}

TEST_F(SliderTest, ByteAndWideSlidersDragInWholeSteps)
{
    uint8_t byte = 50;
    uint16_t wide = 1000;
    AddUiRangeItem(&owner, -0.5f, -0.5f, 0.5f, -0.3f, &byte, 0, 1, "%.2f", 0, 100, nullptr, Record);
    AddUiWideItem(&owner, -0.5f, 0.3f, 0.5f, 0.5f, &wide, 0, 10, "%.2f", 1, nullptr, Record);
    PointAt(0, -0.4f);
    Press();
    MovePixelsX(-30);  // 30 of 400 pixels of 0..100
    MoveHolding();
    EXPECT_EQ(byte, 43);  // 50 - 7.5 truncated towards zero
    Release();
    PointAt(0, 0.4f);
    Press();
    MovePixelsX(400);
    MoveHolding();
    EXPECT_EQ(wide, 65534);
}

// A slider too narrow to span a pixel, or a thumb over an empty list,
// cannot be dragged (the drag would divide by nothing).
TEST_F(SliderTest, DegenerateSlidersAndThumbsStartNoDrag)
{
    float value = 1.0f;
    AddUiItem(&owner, 0, -0.1f, 0.001f, 0.1f, UiWord(&value), UiWord(0.0f), UiWord(2.0f), UiWord("%.1f"),
              UiFloatSlider, nullptr, Record);
    PointAt(0, 0);
    EXPECT_EQ(Press(), 1);
    EXPECT_EQ(MutablePointer.drag.state, DragNone);
    MovePixelsX(5);
    EXPECT_EQ(MoveHolding(), 0);
    EXPECT_FLOAT_EQ(value, 1.0f);

    ClearDisplayList();
    int first = 0;
    AddUiItem(&owner, -0.1f, -0.5f, 0.1f, 0.5f, UiWord(&first), UiWord(0), UiWord(10), UiWord(0), UiScrollThumb,
              nullptr, nullptr);
    Press();
    EXPECT_EQ(MutablePointer.drag.state, DragNone);
}

TEST_F(SliderTest, ThumbDragsMoveTheListByRowsWithinIt)
{
    int first = 10;
    // 10 of 40 rows visible on a bar 1.0 high: the thumb is 0.125 x 600 = 75 pixels.
    AddUiItem(&owner, -0.1f, -0.5f, 0.1f, 0.5f, UiWord(&first), UiWord(10), UiWord(20), UiWord(40), UiScrollThumb,
              nullptr, nullptr);
    PointAt(0, 0);
    Press();
    ASSERT_EQ(MutablePointer.drag.state, DragThumb);
    MovePixelsY(15);  // 15 x 10 / 75 = 2 rows
    EXPECT_EQ(MoveHolding(), DragThumb);
    EXPECT_EQ(first, 12);
    MovePixelsY(1000);
    MoveHolding();
    EXPECT_EQ(first, 30) << "the last full view";
    EXPECT_EQ(CancelDrag(), 1);
    EXPECT_EQ(first, 10) << "a cancelled thumb drag goes back to its row";
}

TEST_F(SliderTest, CtrlRightCopiesAndShiftRightPastesWithinTheOtherSlidersRange)
{
    float a = 7.5f, b = 1.0f;
    AddUiItem(&owner, -0.5f, -0.5f, 0.5f, -0.3f, UiWord(&a), UiWord(0.0f), UiWord(10.0f), UiWord("%.1f"),
              UiFloatSlider, nullptr, Record);
    AddUiItem(&owner, -0.5f, 0.3f, 0.5f, 0.5f, UiWord(&b), UiWord(0.0f), UiWord(2.0f), UiWord("%.1f"), UiFloatSlider,
              nullptr, Record);
    PointAt(0, -0.4f);
    Press(6);
    PointAt(0, 0.4f);
    Press(10);
    EXPECT_FLOAT_EQ(b, 2.0f);
    EXPECT_EQ(Calls, (std::vector<ActionCall>{{&owner, 10, 0}}));

    ClearDisplayList();
    uint8_t red = 200, other = 0;
    AddUiItem(&owner, -0.5f, -0.5f, 0.5f, -0.3f, UiWord(&red), UiWord(0), UiWord(255), UiWord(), UiColourSlider,
              nullptr, Record);
    AddUiItem(&owner, -0.5f, 0.3f, 0.5f, 0.5f, UiWord(&other), UiWord(10), UiWord(100), UiWord(), UiColourSlider,
              nullptr, Record);
    PointAt(0, -0.4f);
    Press(6);
    PointAt(0, 0.4f);
    Press(10);
    EXPECT_EQ(other, 100);
}

struct EntryCase {
    const char* name;
    int kind;
    float minimum, maximum;
    const char* typed;
    float expected;         // the value stored (float, byte or 16-bit)
    const char* refusal;    // the message of a refused value, or null
};

// The typed value goes through the slider's unit, then its range; a value
// outside it is refused with a message and changes nothing.
TEST_F(SliderTest, ATypedValueIsTakenWithinTheSlidersRange)
{
    const std::vector<EntryCase> cases = {
        {"comma as decimal point", UiFloatSlider, 0, 2, "1,5", 1.5f, nullptr},
        {"snapped to the format", UiFloatSlider, 0, 2, "1.04", 1.0f, nullptr},
        {"too high", UiFloatSlider, 0, 2, "3", 0.25f, "New value is too high"},
        {"too low", UiFloatSlider, 0, 2, "-1", 0.25f, "New value is too low"},
        {"not a number reads as 0", UiFloatSlider, 0, 2, "abc", 0.0f, nullptr},
        {"empty: nothing", UiFloatSlider, 0, 2, "", 0.25f, nullptr},
        {"thousandths stored x 1000", UiMilliSlider, 0, 5000, "2.5", 2500.0f, nullptr},
        {"degrees stored in radians", UiAngleSlider, 0, 2, "90", 1.5707964f, nullptr},
        {"byte over a float range", UiByteRangeSlider, 0, 10, "5", 50.0f, nullptr},
        {"byte range too high", UiByteRangeSlider, 0, 10, "11", 0.0f, "New value is too high"},
        {"16-bit scaled", UiWideSlider, 0, 10, "5", 32767.0f, nullptr},
    };
    for (const EntryCase& c : cases) {
        SCOPED_TRACE(c.name);
        ResetUiTables();
        Calls.clear();
        float real = 0.25f;
        uint8_t byte = 0;
        uint16_t wide = 0;
        void (*complete)(Screen*, const char*, int) = OnFloatValueEntered;
        if (c.kind == UiByteRangeSlider) {
            AddUiRangeItem(&owner, -0.5f, -0.1f, 0.5f, 0.1f, &byte, c.minimum, c.maximum, "%.1f", 0, 100, nullptr,
                           Record);
            complete = OnByteRangeValueEntered;
        } else if (c.kind == UiWideSlider) {
            AddUiWideItem(&owner, -0.5f, -0.1f, 0.5f, 0.1f, &wide, c.minimum, c.maximum, "%.1f", 1, nullptr, Record);
            complete = OnWideValueEntered;
        } else {
            AddFloatSlider(&real, c.minimum, c.maximum, c.kind == UiAngleSlider ? "%.3f" : "%.1f", c.kind);
        }
        PointAt(0, 0);
        Press(2);
        EXPECT_EQ(MutablePointer.drag.state, DragNone) << "a value entry is no drag";
        EXPECT_EQ(owner.child, &TextEntryDialog.header) << "a right click asks for the value";
        CloseTextDialog();
        complete(&owner, c.typed, c.kind);
        const float stored = c.kind == UiByteRangeSlider ? byte : c.kind == UiWideSlider ? wide : real;
        if (c.kind == UiAngleSlider)
            EXPECT_NEAR(stored, c.expected, 0.0005f);
        else
            EXPECT_FLOAT_EQ(stored, c.expected);
        if (c.refusal != nullptr) {
            EXPECT_STREQ(MutableMessageDialog.text, c.refusal);
            EXPECT_EQ(owner.child, &MutableMessageDialog);
            EXPECT_TRUE(Calls.empty());
        } else if (c.typed[0] != 0) {
            EXPECT_EQ(Calls, (std::vector<ActionCall>{{&owner, 0, 0}}));
        }
        owner.child = nullptr;
    }
}

// The step of a format is what printf shows: a value snapped to it prints
// and reads back as itself.
TEST_F(SliderTest, TheStepOfAFormatIsTheLastDigitItPrints)
{
    struct Case {
        const char* format;
        int kind;
        float step;
    };
    for (const Case& c : std::vector<Case>{{"%.1f", UiFloatSlider, 0.1f},
                                           {"Grip %.3f m", UiFloatSlider, 0.001f},
                                           {"%.0f", UiFloatSlider, 1.0f},
                                           {"%.2f", UiMilliSlider, 10.0f},
                                           {"%.0f", UiAngleSlider, 0.017453293f},
                                           {"%f", UiFloatSlider, 0.0f},
                                           {"%5.1f", UiFloatSlider, 0.0f},
                                           {"no number", UiFloatSlider, 0.0f},
                                           {nullptr, UiFloatSlider, 0.0f}}) {
        SCOPED_TRACE(c.format != nullptr ? c.format : "null");
        EXPECT_NEAR(FloatStepOfFormat(c.format, c.kind), c.step, c.step * 1e-5f);
    }
    for (const char* format : {"%.1f", "%.2f", "%.3f"}) {
        MutablePointer.drag.step = FloatStepOfFormat(format, UiFloatSlider);
        for (float v : {0.123456f, 7.77777f, 1.05f, 9.995f}) {
            const float snapped = SnapAndClamp(0, v, 10);
            char printed[32];
            std::snprintf(printed, sizeof printed, format, snapped);
            EXPECT_NEAR(std::strtof(printed, nullptr), snapped, 1e-5f) << format << " " << v;
        }
    }
}

} // namespace
