// The options screen's tab framework (choosing, stepping, replay playback,
// closing), the Display tab's rows writing the settings at once, and the
// interface settings screen's typed centre and scale and derived colours.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>

#include "session/services.h"
#include "tables_fixture.h"

namespace {

Screen* StayingFrame(Screen* screen) { return screen; }

class OptionsScreenTest : public UiTablesTest {
protected:
    void SetUp() override
    {
        UiTablesTest::SetUp();
        SetGameKind(1);
        InitScreen(&parent, nullptr, StayingFrame, nullptr, nullptr, nullptr, 1);
    }
    void TearDown() override
    {
        // Each screen closes from the deepest and frees itself one frame
        // later, as on a quit.
        for (int i = 0; i < 12 && parent.child != nullptr; ++i) {
            Screen* deepest = parent.child;
            while (deepest->child != nullptr && deepest->child->alive)
                deepest = deepest->child;
            if (deepest->alive)
                CloseScreen(deepest);
            Frame();
        }
        SetGameKind(1);
        UiTablesTest::TearDown();
    }

    void StoreTab(int tab)
    {
        EditSettings([tab](SettingsRecord& s) { s.options = tab; });
    }
    Screen* Open()
    {
        options = OpenOptionsScreen(&parent, 0);
        OpenChildScreen(&parent, options);
        Frame();
        return options;
    }
    // One pass of the main loop over the parent's chain.
    void Frame()
    {
        ClearDisplayList();
        StepChildScreen(&parent);
    }
    // The item whose text is the given one, or null.
    const UiItem* Find(const char* text) const
    {
        char buffer[128];
        for (int i = 0; i < DisplayList.count; ++i) {
            const UiItem& item = DisplayList.items[i];
            if (std::strcmp(UiItemText(item, buffer, sizeof buffer), text) == 0)
                return &item;
        }
        return nullptr;
    }
    // A click on a button of kind 4: its action with param and value.
    void Click(const char* text)
    {
        const UiItem* item = Find(text);
        ASSERT_NE(item, nullptr) << text;
        item->action(item->owner, item->param.Int(), item->value.Int());
    }

    Screen parent;
    Screen* options = nullptr;
};

TEST_F(OptionsScreenTest, TheArrowsStepThroughTheTabsInButtonOrderSkippingDriverAndControlsDuringAReplay)
{
    struct Case {
        const char* name;
        int from, direction, gameKind, expected;
    };
    const Case cases[] = {
        {"next from Audio is Screen", OptionsTabAudio, 1, 1, OptionsTabScreen},
        {"next on Misc wraps to Audio", OptionsTabMisc, 1, 1, OptionsTabAudio},
        {"previous on Audio wraps to Misc", OptionsTabAudio, 0, 1, OptionsTabMisc},
        {"next on Display is Driver", OptionsTabDisplay, 1, 1, OptionsTabDriver},
        {"in a replay, next on Display is Game", OptionsTabDisplay, 1, 3, OptionsTabGame},
        {"in a replay, previous on Game is Display", OptionsTabGame, 0, 3, OptionsTabDisplay},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetGameKind(c.gameKind);
        StoreTab(c.from);
        Open();
        ASSERT_EQ(ShownOptionsTab, c.from);
        Click(c.direction == 1 ? "\xBA" : "\xB9");
        Frame();  // the old tab closes and saves, the new one opens
        EXPECT_EQ(ShownOptionsTab, c.expected);
        EXPECT_EQ(Settings.options, c.expected);
        EXPECT_EQ(CurrentScreen, options->child) << "the tab takes the keys";
        CloseScreen(options->child);
        Frame();
        Frame();
        ASSERT_EQ(parent.child, nullptr);
        EXPECT_EQ(ShownOptionsTab, 0);
        EXPECT_EQ(UiMode, 0);
    }
}

TEST_F(OptionsScreenTest, ATabButtonOpensItsTabAndTheShownTabsButtonDoesNothing)
{
    StoreTab(OptionsTabDisplay);
    Open();
    Screen* display = options->child;
    ASSERT_NE(display, nullptr);
    EXPECT_NE(Find("Options - Display"), nullptr);
    Click("Display");
    Frame();
    EXPECT_EQ(options->child, display) << "the shown tab stays";
    Click("Audio");
    Frame();
    EXPECT_TRUE(std::filesystem::exists("cfg.txt")) << "the closed tab saved the settings";
    EXPECT_EQ(ShownOptionsTab, OptionsTabAudio);
    EXPECT_NE(Find("Options - Audio"), nullptr);
    // OK closes the tab, then the options screen.
    Click("OK");
    for (int i = 0; i < 3; ++i)
        Frame();
    EXPECT_EQ(parent.child, nullptr);
    EXPECT_EQ(Settings.options, OptionsTabAudio) << "the options open on it next time";
}

TEST_F(OptionsScreenTest, ANumberNamingNoTabOpensNothingAndTheScreenCloses)
{
    StoreTab(8);
    Open();
    EXPECT_EQ(options->child, nullptr);
    Frame();
    Frame();
    EXPECT_EQ(parent.child, nullptr);
    EXPECT_EQ(Settings.options, 8);
}

TEST_F(OptionsScreenTest, DuringAReplayTheDriverTabOpensAsAudio)
{
    SetGameKind(3);
    StoreTab(OptionsTabDriver);
    Open();
    EXPECT_EQ(ShownOptionsTab, OptionsTabAudio);
    EXPECT_EQ(Settings.options, OptionsTabAudio);
    EXPECT_EQ(Find("Driver"), nullptr);
    EXPECT_EQ(Find("Controls"), nullptr);
    const UiItem* game = Find("Game");
    ASSERT_NE(game, nullptr);
    EXPECT_FLOAT_EQ(game->y1, -0.125f) << "Game moves up into Driver's place";
}

TEST_F(OptionsScreenTest, EscOnATabClosesTheWholeOptionsScreen)
{
    StoreTab(OptionsTabDisplay);
    Open();
    ASSERT_EQ(CurrentScreen, options->child);
    CurrentScreen->key(CurrentScreen, 27);
    for (int i = 0; i < 3; ++i)
        Frame();
    EXPECT_EQ(parent.child, nullptr);
    EXPECT_EQ(CurrentScreen, &parent);
}

TEST_F(OptionsScreenTest, TheDisplayTabsRowsChangeTheSettingsAtOnce)
{
    StoreTab(OptionsTabDisplay);
    Open();
    const int flags = Settings.screenFlags;
    const UiItem* pedals = nullptr;
    for (int i = 0; i < DisplayList.count; ++i)
        if (DisplayList.items[i].kind == UiFlagButton && DisplayList.items[i].param.Int() == 128)
            pedals = &DisplayList.items[i];
    ASSERT_NE(pedals, nullptr);
    pedals->itemAction(pedals->owner, *pedals);
    pedals->extra.Action()(pedals->owner, 0, 0);
    EXPECT_EQ(Settings.screenFlags, flags ^ 128);
    for (int i = 0; i < DisplayList.count; ++i) {
        const UiItem& item = DisplayList.items[i];
        if (item.kind == UiFloatSlider) {
            *item.value.Pointer<float>() = 0.035f;
            item.action(item.owner, 0, 0);
        }
    }
    EXPECT_FLOAT_EQ(Settings.messageSize, 0.035f);
    EXPECT_NE(Find("GQ8 dashboard :"), nullptr);
}

class InterfaceSettingsTest : public OptionsScreenTest {
protected:
    // Opens the interface settings screen from the Display tab.
    void OpenInterface()
    {
        StoreTab(OptionsTabDisplay);
        Open();
        Click("Interface");
        Frame();
        ASSERT_NE(options->child->child, nullptr);
    }
    // The centre or scale button of the code; null when not shown.
    const UiItem* ValueButton(int code) const
    {
        for (int i = 0; i < DisplayList.count; ++i) {
            const UiItem& item = DisplayList.items[i];
            if (item.kind == UiFloatNumberButton && item.param.Int() == code)
                return &item;
        }
        return nullptr;
    }
    // Enter on the message box that a refused value shows.
    void Dismiss()
    {
        ASSERT_TRUE(MutableMessageDialog.alive);
        ASSERT_EQ(CurrentScreen, &MutableMessageDialog);
        CurrentScreen->key(CurrentScreen, 13);
        Frame();
    }
    // Types text into the value entry of the button of the code.
    void Enter(int code, const char* text)
    {
        const UiItem* button = ValueButton(code);
        ASSERT_NE(button, nullptr);
        button->action(button->owner, 1, code);
        ASSERT_TRUE(TextEntryDialog.header.alive);
        // As Enter does: the dialog closes, then hears the text.
        const TextEntryCompletion completion = TextEntryDialog.completion;
        Screen* asker = TextEntryDialog.asker;
        const int value = TextEntryDialog.value;
        CloseTextDialog();
        completion(asker, text, value);
        Frame();
    }
};

TEST_F(InterfaceSettingsTest, TheTabColumnHidesWhileTheInterfaceScreenIsOpen)
{
    OpenInterface();
    EXPECT_EQ(Find("Audio"), nullptr);
    EXPECT_EQ(Find("OK"), nullptr);
    EXPECT_NE(Find("Big opacity 0.30"), nullptr);
    EXPECT_NE(Find("Own car"), nullptr);
}

TEST_F(InterfaceSettingsTest, ATypedCentreOrScaleIsRoundedToHundredthsOrRefusedOutsideItsLimits)
{
    OpenInterface();
    Enter(0, "0,333");
    EXPECT_FLOAT_EQ(Settings.screenCx, 0.33f);
    Enter(0, "0.55");
    EXPECT_FLOAT_EQ(Settings.screenCx, 0.33f) << "refused";
    EXPECT_STREQ(MutableMessageDialog.text, "Value must be between -0.5 and 0.5");
    Dismiss();
    Enter(4, "0.4");
    EXPECT_FLOAT_EQ(Settings.screenYmul, 1.0f);
    EXPECT_STREQ(MutableMessageDialog.text, "Value must be between 0.5 and 1.0");
    Dismiss();
    Enter(3, "0.75");
    Enter(4, "0.5");
    EXPECT_FLOAT_EQ(Settings.screenXmul, 0.75f);
    Click("reset");  // the first reset is the centre's
    EXPECT_FLOAT_EQ(Settings.screenCx, 0.0f);
    EXPECT_FLOAT_EQ(Settings.screenXmul, 0.75f);
    for (int i = 0; i < DisplayList.count; ++i) {
        const UiItem& item = DisplayList.items[i];
        if (item.kind == UiParamButton && item.param.Int() == 5)
            item.action(item.owner, 5, 5);
    }
    EXPECT_FLOAT_EQ(Settings.screenXmul, 1.0f);
    EXPECT_FLOAT_EQ(Settings.screenYmul, 1.0f);
}

TEST_F(InterfaceSettingsTest, OpacitiesBecomeBoxAlphasAndMarkerColoursArePacked)
{
    struct Case {
        float opacity;
        int alpha;
    };
    // Halves round to even: 0.3 x 255 is 76.5.
    for (const Case c : {Case{0.0f, 0}, Case{0.3f, 76}, Case{0.5f, 128}, Case{1.0f, 255}}) {
        InterfaceSettingsRecord settings = InterfaceSettings;
        settings.buttonOpacity = c.opacity;
        settings.bigOpacity = c.opacity;
        settings.ownCar = {1, 2, 3};
        SetInterfaceSettings(settings);
        EXPECT_EQ(ButtonAlpha(), c.alpha) << c.opacity;
        EXPECT_EQ(BigAlpha(), c.alpha) << c.opacity;
        EXPECT_EQ(InterfaceColours.ownCar, 0xFF010203u);
    }
    EXPECT_EQ(InterfaceColoursRecord{}, [] {
        ResetUiTables();
        SetInterfaceSettings(InterfaceSettingsRecord{});
        return InterfaceColours;
    }()) << "the start-up colours are those of the default settings";
}

} // namespace
