// The main loop's game clock, the nudge table, the start-up display mode
// choice, the window events of a pass and the answers to another copy's
// requests.
#include <gtest/gtest.h>

#include <csignal>
#include <climits>
#include <string>
#include <vector>

#include "app/services.h"
#include "core/services.h"
#include "graphics/services.h"
#include "net/services.h"
#include "platform/clock.h"
#include "platform/handover.h"
#include "platform/window.h"
#include "session/services.h"
#include "ui/services.h"
#include "world/services.h"

namespace {

class MainLoopTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetCoreTables();
        ResetAppTables();
        ResetUiTables();
        SetInSimTimeStop(0);
        platform::UseManualClock(0);
    }
    void TearDown() override
    {
        platform::UseRealClock();
        ResetCoreTables();
        ResetAppTables();
    }
};

// An adapter of the given modes for the display mode choice.
struct AdapterFixture {
    std::vector<DisplayModeRecord> modes;
    explicit AdapterFixture(std::vector<DisplayModeRecord> list, uint32_t desktopWidth = 0,
                            uint32_t desktopHeight = 0)
        : modes(std::move(list))
    {
        AdapterTableRecord table;
        AdapterRecord& adapter = table.adapters[0];
        adapter.desktopWidth = desktopWidth;
        adapter.desktopHeight = desktopHeight;
        adapter.desktopFormat = 22;  // X8R8G8B8
        adapter.desktopRefresh = 60;
        adapter.modeCount = static_cast<int>(modes.size());
        adapter.modes = modes.data();
        table.count = 1;
        SetAdapterTable(table);
    }
    ~AdapterFixture() { SetAdapterTable({}); }
};

DisplayModeRecord Mode(uint32_t width, uint32_t height, uint8_t sixteenBit, uint8_t refresh)
{
    DisplayModeRecord record;
    record.width = width;
    record.height = height;
    record.sixteenBit = sixteenBit;
    record.refreshRate = refresh;
    return record;
}

TEST_F(MainLoopTest, DisplayModeChoiceFindsTheConfiguredModeOrFallsBackToARealRecord)
{
    struct Case {
        const char* name;
        ScreenModeSetting configured;
        int expectIndex;
        ScreenModeSetting expectMode;
    };
    std::vector<DisplayModeRecord> modes = {
        Mode(640, 480, 0, 0),  Mode(800, 600, 0, 0),  Mode(1024, 768, 1, 60),
        Mode(1024, 768, 0, 0), Mode(1024, 768, 1, 85), Mode(1280, 960, 0, 0),
    };
    const Case cases[] = {
        {"offered mode", {0, 0, 800, 600}, 1, {0, 0, 800, 600}},
        {"refresh not above the configured", {1, 75, 1024, 768}, 2, {1, 75, 1024, 768}},
        {"missing size: the last 16-bit 1024 x 768 of at most 100 Hz", {0, 0, 1600, 1200}, 4,
         {1, 85, 1024, 768}},
    };
    AdapterFixture adapter(modes);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EditSettings([&](SettingsRecord& record) { record.screenInfo = c.configured; });
        ChooseDisplayMode();
        EXPECT_EQ(Shell.fullScreenModeIndex, c.expectIndex);
        EXPECT_EQ(Settings.screenInfo, c.expectMode);
        EXPECT_EQ(ScreenSize.client.width, c.expectMode.width);
        EXPECT_EQ(ScreenSize.client.height, c.expectMode.height);
    }
}

TEST_F(MainLoopTest, DisplayModeFallbackWithoutA1024ModeShowsTheFirstRecord)
{
    AdapterFixture adapter({Mode(640, 480, 0, 0), Mode(800, 600, 1, 0)});
    EditSettings([&](SettingsRecord& record) { record.screenInfo = {0, 0, 1600, 1200}; });
    ChooseDisplayMode();
    // The record taken is the one shown, never "no mode".
    EXPECT_EQ(Shell.fullScreenModeIndex, 0);
    EXPECT_EQ(Settings.screenInfo, (ScreenModeSetting{0, 0, 640, 480}));
}

TEST_F(MainLoopTest, DisplayModeOfAnUnsetConfigurationIsTheDesktopsAndTheFourthQuickMode)
{
    AdapterFixture adapter({Mode(640, 480, 0, 0), Mode(1280, 1024, 0, 60), Mode(1280, 1024, 0, 0)}, 1280, 1024);
    EditSettings([&](SettingsRecord& record) {
        record.screenInfo = {};
        record.infoF9 = {0, 0, 640, 480};
    });
    ChooseDisplayMode();
    EXPECT_EQ(Settings.screenInfo, (ScreenModeSetting{0, 60, 1280, 1024}));
    EXPECT_EQ(Settings.infoF12, Settings.screenInfo);
    EXPECT_EQ(Shell.fullScreenModeIndex, 2);  // a later match overwrites an earlier one
    EXPECT_EQ(Shell.quickModeIndex[0], 0);
    EXPECT_EQ(Shell.quickModeIndex[3], 2);
}

TEST_F(MainLoopTest, ReplayHandOverIsAnsweredByWhatThisCopyCanDo)
{
    EditProgramMode([&](ProgramModeRecord& record) { record.graphicsOn = 0; });
    SetStartMode(1);
    Screen* root = CreateRootScreen(nullptr);
    const std::string longest(ReplayNameLength, 'r');
    struct Case {
        const char* name;
        int kind;
        std::string replay;
        int answer;
    };
    const Case cases[] = {
        {"single-player replay", 1, "hot_lap", 1},
        {"multiplayer replay of the longest name", 2, longest, 1},
        {"a name longer than the replay name holds", 1, longest + "x", 4},
        {"a name with a path separator", 2, "..\\cfg", 4},
        {"an empty name", 1, "", 4},
        {"setups only refresh lists", 3, "", 0},
        {"layouts", 4, "", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CommandLine.replayOpenRequest = 0;
        CommandLine.replayToOpen[0] = 0;
        EXPECT_EQ(OnHandOverRequest(c.kind, c.replay.c_str()), c.answer);
        if (c.answer == 1) {
            EXPECT_EQ(CommandLine.replayOpenRequest, c.kind);
            EXPECT_EQ(std::string(CommandLine.replayToOpen), c.replay);
        } else {
            EXPECT_EQ(CommandLine.replayOpenRequest, 0);
        }
    }
    // A copy whose root screen is busy with a child says so.
    Screen child;
    InitScreen(&child, root, [](Screen* s) { return s; }, nullptr, nullptr, nullptr, 0);
    OpenChildScreen(root, &child);
    EXPECT_EQ(OnFileRequest(1, "hot_lap"), 3);
    root->child = nullptr;
    // A host never plays a handed-over replay.
    SetStartMode(2);
    EXPECT_EQ(OnFileRequest(1, "hot_lap"), 3);
    // A copy started to end this one is obeyed as the close button is.
    EXPECT_EQ(ProgramMode.quitState, 0);
    EXPECT_EQ(OnHandOverRequest(platform::HandOverCloseKind, ""), 1);
    EXPECT_NE(ProgramMode.quitState, 0);
    CloseScreen(root);
    EXPECT_EQ(root->frame(root), nullptr);
}

// A screen that counts the characters it gets and, while AnswerEachEvent
// is set, answers each with another event, as a full-screen window once
// answered each change of style with a size change.
int EventsDelivered = 0;
bool AnswerEachEvent = false;

void PushCharacter()
{
    platform::WindowEvent event;
    event.kind = platform::WindowEventKind::Char;
    event.character = 'a';
    platform::PushEvent(event);
}

void CountCharacter(Screen*, int)
{
    ++EventsDelivered;
    // Bounded, so that a pump that takes every event still ends (and fails).
    if (AnswerEachEvent && EventsDelivered < 100000)
        PushCharacter();
}

TEST_F(MainLoopTest, APassTakesTheEventsThatWaitUpToABoundAndACloseSignalFirst)
{
    ASSERT_EQ(platform::OpenWindowSystem(platform::WindowBackEnd::Null), 1);
    EditProgramMode([&](ProgramModeRecord& record) { record.graphicsOn = 1; });
    Screen screen;
    InitScreen(&screen, nullptr, [](Screen* s) { return s; }, CountCharacter, nullptr, nullptr, 0);
    SetCurrentScreen(&screen);
    auto deliveredInAPass = [] {
        int before = EventsDelivered;
        PumpWindowMessages();
        return EventsDelivered - before;
    };

    // A flood is taken a bounded number a pass, none lost.
    for (int i = 0; i < 2 * MaxWindowEventsPerPass + 1; ++i)
        PushCharacter();
    EXPECT_EQ(deliveredInAPass(), MaxWindowEventsPerPass);
    EXPECT_EQ(deliveredInAPass(), MaxWindowEventsPerPass);
    EXPECT_EQ(deliveredInAPass(), 1);
    EXPECT_EQ(deliveredInAPass(), 0);

    // Events that each bring another: what handling brings waits.
    AnswerEachEvent = true;
    PushCharacter();
    for (int pass = 0; pass < 3; ++pass)
        EXPECT_EQ(deliveredInAPass(), 1);

    // SIGTERM (as SIGINT) is a request to close, read in the next pass
    // before what waits.
    EXPECT_EQ(ProgramMode.quitState, 0);
    std::raise(SIGTERM);
    PumpWindowMessages();
    EXPECT_NE(ProgramMode.quitState, 0);
    AnswerEachEvent = false;
    SetCurrentScreen(nullptr);
    platform::CloseWindowSystem();
}

} // namespace
