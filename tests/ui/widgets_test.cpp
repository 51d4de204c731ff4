// The interface settings file round-trips and clamps what it reads; choice
// rows and scroll bars divide their space as the menus expect.
#include <gtest/gtest.h>

#include <string>

#include "core/services.h"
#include "tables_fixture.h"

namespace {

using InterfaceConfigTest = UiTablesTest;

// The file a fresh program writes: every key in table order, opacities with
// two decimals, Windows line ends.
const char* const DefaultFile =
    "Big Opacity 0.30\r\nBig Col 5 0 0\r\nButton Opacity 0.40\r\nButton Col 200 200 200\r\n"
    "Title Grey 218 255 87\r\nBig Text 186 200 204\r\nText Unselected 0 0 0\r\n"
    "Text Selected 255 255 255\r\nText Unavailable 114 114 111\r\nText String 48 166 236\r\n"
    "Button Green 117 179 77\r\nButton Red 210 98 32\r\nButton Alt 180 180 30\r\n"
    "Small Map Light 208 208 208\r\nSmall Map Dark 48 48 48\r\nCar Lap Ahead 255 255 192\r\n"
    "Car Ahead 224 224 32\r\nAI Ahead 32 176 240\r\nOwn Car 32 224 32\r\nAI Behind 48 48 240\r\n"
    "Car Behind 255 160 0\r\nCar Lap Behind 208 96 0\r\n";

TEST_F(InterfaceConfigTest, SavingWritesEveryKeyInTableOrder)
{
    LoadInterfaceConfig();  // no file: the defaults
    ASSERT_EQ(SaveInterfaceConfig(), 1);
    EXPECT_EQ(folder.ReadFile("interface_cfg.txt"), DefaultFile);
}

TEST_F(InterfaceConfigTest, ChangedSettingsComeBackAfterASaveAndLoad)
{
    InterfaceSettingsRecord changed;
    changed.bigOpacity = 0.75f;
    changed.buttonOpacity = 1.0f;
    changed.ownCar = {1, 2, 3, 0};
    changed.carLapBehind = {255, 0, 128, 0};
    SetInterfaceSettings(changed);
    ASSERT_EQ(SaveInterfaceConfig(), 1);

    SetInterfaceSettings({});
    LoadInterfaceConfig();
    EXPECT_EQ(InterfaceSettings, changed);
}

struct ReadCase {
    const char* name;
    const char* file;
    InterfaceSettingsRecord expected;
};

InterfaceSettingsRecord With(void (*change)(InterfaceSettingsRecord&))
{
    InterfaceSettingsRecord settings;
    change(settings);
    return settings;
}

class InterfaceConfigReadTest : public InterfaceConfigTest, public ::testing::WithParamInterface<ReadCase> {};

TEST_P(InterfaceConfigReadTest, ReadsWhatTheFileHoldsAndKeepsTheRest)
{
    folder.WriteFile("interface_cfg.txt", GetParam().file);
    LoadInterfaceConfig();
    EXPECT_EQ(InterfaceSettings, GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Files, InterfaceConfigReadTest,
    ::testing::Values(
        ReadCase{"OneColourChangesOnlyThatColour", "Button Col 255 0 0\n",
                 With([](InterfaceSettingsRecord& s) { s.buttonColour = {255, 0, 0, 0}; })},
        ReadCase{"OpacitiesAreClampedToOne", "Big Opacity 1.5\r\nButton Opacity -2\r\n",
                 With([](InterfaceSettingsRecord& s) {
                     s.bigOpacity = 1.0f;
                     s.buttonOpacity = 0.0f;
                 })},
        ReadCase{"ColourPartsAreClampedNotWrapped", "Own Car 300 -5 128\n",
                 With([](InterfaceSettingsRecord& s) { s.ownCar = {255, 0, 128, 0}; })},
        ReadCase{"KeysEndingInAnotherKeyAreTheirOwn", "Car Lap Ahead 1 2 3\nCar Ahead 4 5 6\n",
                 With([](InterfaceSettingsRecord& s) {
                     s.carLapAhead = {1, 2, 3, 0};
                     s.carAhead = {4, 5, 6, 0};
                 })},
        ReadCase{"LinesWithoutAKeyAreSkipped", "nonsense 9 9 9\nBig Text 1 1 1\n",
                 With([](InterfaceSettingsRecord& s) { s.bigText = {1, 1, 1, 0}; })},
        ReadCase{"AnEmptyFileKeepsTheDefaults", "", InterfaceSettingsRecord{}}),
    [](const ::testing::TestParamInfo<ReadCase>& info) { return info.param.name; });

TEST(ChoiceRowTest, ButtonsShareTheValueColumnAndTheLastEndsAtItsEdge)
{
    const ColumnLayout& layout = ColumnLayouts[7];  // value column -0.25 .. 0.15
    float left = layout.valueX1;
    for (int i = 0; i < 3; ++i) {
        ChoiceButton button = LayOutChoiceButton(layout, 3, i, ChoiceStyleNormal, 1);
        EXPECT_EQ(button.x1, left);
        EXPECT_NEAR(button.x2 - button.x1, 0.4f / 3, 1e-6f);
        EXPECT_EQ(button.choice, i);
        EXPECT_EQ(button.selected, i == 1);
        EXPECT_EQ(button.notifies, i != 1);
        left = button.x2;
    }
    EXPECT_EQ(left, layout.valueX2);
}

TEST(ChoiceRowTest, StylesReverseClearAndNotify)
{
    const ColumnLayout& layout = ColumnLayouts[0];
    EXPECT_EQ(LayOutChoiceButton(layout, 4, 0, ChoiceStyleReversed, 0).choice, 3);

    ChoiceButton selected = LayOutChoiceButton(layout, 2, 1, ChoiceStyleClearable, 1);
    int value = 1;
    selected.action(nullptr, selected.choice, &value);
    EXPECT_EQ(value, -1);
    ChoiceButton other = LayOutChoiceButton(layout, 2, 0, ChoiceStyleClearable, 1);
    other.action(nullptr, other.choice, &value);
    EXPECT_EQ(value, 0);

    EXPECT_TRUE(LayOutChoiceButton(layout, 2, 1, ChoiceStyleNotifySelected, 1).notifies);
}

TEST(StandardActionTest, CycleWrapsAndToggleFlipsTheMask)
{
    int value = 2;
    OnCycleClick(nullptr, 3, &value);
    EXPECT_EQ(value, 0);
    OnToggleClick(nullptr, 0x6, &value);
    EXPECT_EQ(value, 0x6);
    OnToggleClick(nullptr, 0x2, &value);
    EXPECT_EQ(value, 0x4);
}

struct ScrollCase {
    float height;
    bool hasUp, hasTrack;
    float upY2, downY1;  // relative to the bar's top
};

TEST(ScrollBarTest, TheBarsHeightDecidesItsParts)
{
    const ScrollCase cases[] = {
        {0.5f, true, true, 0.04f, 0.46f},
        {0.1f, true, false, 0.05f, 0.05f},  // two arrows, each half the bar
        {0.06f, false, false, 0.0f, 0.0f},  // only the down arrow, over the whole bar
    };
    for (const ScrollCase& c : cases) {
        SCOPED_TRACE(c.height);
        const float top = 0.2f;
        ScrollBarParts parts = LayOutScrollBar(top, top + c.height);
        EXPECT_EQ(parts.hasUp, c.hasUp);
        EXPECT_EQ(parts.hasTrack, c.hasTrack);
        if (c.hasUp) {
            EXPECT_NEAR(parts.upY2 - top, c.upY2, 1e-6f);
        }
        EXPECT_NEAR(parts.downY1 - top, c.downY1, 1e-6f);
    }
}

} // namespace
