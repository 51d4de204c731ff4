// The main loop's game clock, the nudge table, the start-up display mode
// choice, the window events of a pass and the answers to another copy's
// requests.
#include <gtest/gtest.h>

#include <csignal>
#include <climits>
#include <string>
#include <vector>

#include "core/local.h"
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
        ResetUiTables();
        SetInSimTimeStop(0);
        platform::UseManualClock(0);
    }
    void TearDown() override
    {
        platform::UseRealClock();
        ResetCoreTables();
    }
};

// One pass as the clock sees it: the real clock's reading and the real
// milliseconds since the previous pass.
struct Pass {
    uint32_t realTime;
    int32_t realElapsed;
};

struct ClockCase {
    const char* name;
    float timeScale;
    int startMode;
    int32_t nudge;
    std::vector<Pass> passes;
    std::vector<int32_t> steps;  // FrameStep after each pass
    float endScale;
};

TEST_F(MainLoopTest, GameClockAdvancesByScaledRoundedAndNudgedSteps)
{
    const ClockCase cases[] = {
        {"quarter speed carries the fraction", 0.25f, 1, 0,
         {{10, 10}, {20, 10}, {30, 10}, {40, 10}},
         {2, 3, 2, 3}, 0.25f},
        {"half speed of odd passes loses nothing", 0.5f, 1, 0,
         {{15, 15}, {30, 15}, {45, 15}, {60, 15}},
         {8, 7, 8, 7}, 0.5f},
        {"nudge of +5 gains a millisecond each second", 1.0f, 1, 5,
         {{990, 10}, {1000, 10}, {1010, 10}, {1990, 980}, {2000, 10}},
         {10, 11, 10, 980, 11}, 1.0f},
        {"nudge of -5 loses one and never goes below zero", 1.0f, 1, -5,
         {{990, 10}, {1000, 10}, {2000, 0}, {2010, 10}},
         {10, 9, 0, 10}, 1.0f},
        {"a long pass at high speed resets the scale", 2.0f, 1, 0,
         {{3000, 3000}, {3010, 10}},
         {3000, 10}, 1.0f},
        {"a long pass at 1.5 keeps the scale", 1.5f, 1, 0,
         {{3000, 3000}},
         {4500}, 1.5f},
        {"the replay check counts every pass as a second", 1.0f, 4, 0,
         {{5, 5}, {6, 1}, {9006, 9000}},
         {1000, 1000, 1000}, 1.0f},
        {"the replay check at half speed", 0.5f, 4, 0,
         {{5, 5}, {6, 1}},
         {500, 500}, 0.5f},
        {"a stall too long for the step saturates", 1.5f, 1, 0,
         {{0x7FFFFFFFu, INT32_MAX}},
         {INT32_MAX}, 1.5f},
    };
    for (const ClockCase& c : cases) {
        SCOPED_TRACE(c.name);
        ResetCoreTables();
        TimeScale = c.timeScale;
        StartMode = c.startMode;
        ClockNudge = c.nudge;
        uint32_t clock = 0;
        for (size_t i = 0; i < c.passes.size(); ++i) {
            RealTime = c.passes[i].realTime;
            RealElapsed = c.passes[i].realElapsed;
            AdvanceGameClock();
            EXPECT_EQ(FrameStep, c.steps[i]) << "pass " << i;
            clock += static_cast<uint32_t>(c.steps[i]);
            EXPECT_EQ(GameClock, clock) << "pass " << i;
        }
        EXPECT_EQ(TimeScale, c.endScale);
    }
}

TEST_F(MainLoopTest, GameClockStandsStillWhileAnOutsideProgramStopsTime)
{
    SetInSimTimeStop(1);
    RealTime = 100;
    RealElapsed = 100;
    AdvanceGameClock();
    EXPECT_EQ(FrameStep, 0);
    EXPECT_EQ(GameClock, 0u);
}

TEST_F(MainLoopTest, NudgeTableHoldsFiveThousandOverKRoundedHalfToEven)
{
    BuildClockNudgeTable();
    for (int k = 1; k <= ClockNudgeCount; ++k) {
        // Integer rounding, ties to even, as an independent reckoning.
        int quotient = 5000 / k, remainder = 5000 % k;
        if (2 * remainder > k || (2 * remainder == k && quotient % 2 == 1))
            ++quotient;
        EXPECT_EQ(ClockNudgeTable[k - 1], quotient) << "k = " << k;
    }
    EXPECT_EQ(ClockNudgeTable[15], 312);
}

TEST_F(MainLoopTest, PacingSleepsTheRestOfTheMinimumFrameAndNeverSpins)
{
    struct Case {
        int dedicated, limitFps, gameKind, elapsedBefore;
        int32_t expectElapsed;
    };
    // Min Sleep 1, Min Frame Time 10, menus at least 25 ms.
    const Case cases[] = {
        {0, 0, 2, 3, 4},    // a race without the limit: only Min Sleep
        {0, 1, 2, 3, 10},   // the limit on: the rest of 10 ms
        {1, 0, 2, 3, 10},   // a dedicated host always keeps Min Frame Time
        {0, 0, 1, 3, 25},   // the front end: 25 ms
        {1, 0, 1, 40, 41},  // a long pass still sleeps Min Sleep
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "dedicated " << c.dedicated << " limit " << c.limitFps
                                        << " kind " << c.gameKind);
        Settings.minSleep = 1;
        Settings.minFrameTime = 10;
        Settings.gameLimitFps = c.limitFps;
        DedicatedMode = c.dedicated;
        SetGameKind(c.gameKind);
        MenuMinFrameTime = 25;
        PassStart = platform::NowMs();
        platform::AdvanceManualClock(static_cast<uint32_t>(c.elapsedBefore));
        PaceFrame();
        EXPECT_EQ(RealElapsed, c.expectElapsed);
    }
    SetGameKind(1);
}

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
        Settings.screenInfo = c.configured;
        ChooseDisplayMode();
        EXPECT_EQ(FullScreenModeIndex, c.expectIndex);
        EXPECT_EQ(Settings.screenInfo, c.expectMode);
        EXPECT_EQ(ClientSize.width, c.expectMode.width);
        EXPECT_EQ(ClientSize.height, c.expectMode.height);
    }
}

TEST_F(MainLoopTest, DisplayModeFallbackWithoutA1024ModeShowsTheFirstRecord)
{
    AdapterFixture adapter({Mode(640, 480, 0, 0), Mode(800, 600, 1, 0)});
    Settings.screenInfo = {0, 0, 1600, 1200};
    ChooseDisplayMode();
    // The record taken is the one shown, never "no mode".
    EXPECT_EQ(FullScreenModeIndex, 0);
    EXPECT_EQ(Settings.screenInfo, (ScreenModeSetting{0, 0, 640, 480}));
}

TEST_F(MainLoopTest, DisplayModeOfAnUnsetConfigurationIsTheDesktopsAndTheFourthQuickMode)
{
    AdapterFixture adapter({Mode(640, 480, 0, 0), Mode(1280, 1024, 0, 60), Mode(1280, 1024, 0, 0)}, 1280, 1024);
    Settings.screenInfo = {};
    Settings.infoF9 = {0, 0, 640, 480};
    ChooseDisplayMode();
    EXPECT_EQ(Settings.screenInfo, (ScreenModeSetting{0, 60, 1280, 1024}));
    EXPECT_EQ(Settings.infoF12, Settings.screenInfo);
    EXPECT_EQ(FullScreenModeIndex, 2);  // a later match overwrites an earlier one
    EXPECT_EQ(QuickModeIndex[0], 0);
    EXPECT_EQ(QuickModeIndex[3], 2);
}

TEST_F(MainLoopTest, ReplayHandOverIsAnsweredByWhatThisCopyCanDo)
{
    GraphicsOn = 0;
    StartMode = 1;
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
        ReplayOpenRequest = 0;
        ReplayToOpen[0] = 0;
        EXPECT_EQ(OnHandOverRequest(c.kind, c.replay.c_str()), c.answer);
        if (c.answer == 1) {
            EXPECT_EQ(ReplayOpenRequest, c.kind);
            EXPECT_EQ(std::string(ReplayToOpen), c.replay);
        } else {
            EXPECT_EQ(ReplayOpenRequest, 0);
        }
    }
    // A copy whose root screen is busy with a child says so.
    Screen child;
    InitScreen(&child, root, [](Screen* s) { return s; }, nullptr, nullptr, nullptr, 0);
    OpenChildScreen(root, &child);
    EXPECT_EQ(OnFileRequest(1, "hot_lap"), 3);
    root->child = nullptr;
    // A host never plays a handed-over replay.
    StartMode = 2;
    EXPECT_EQ(OnFileRequest(1, "hot_lap"), 3);
    // A copy started to end this one is obeyed as the close button is.
    EXPECT_EQ(QuitState, 0);
    EXPECT_EQ(OnHandOverRequest(platform::HandOverCloseKind, ""), 1);
    EXPECT_NE(QuitState, 0);
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
    GraphicsOn = 1;
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
    EXPECT_EQ(QuitState, 0);
    std::raise(SIGTERM);
    PumpWindowMessages();
    EXPECT_NE(QuitState, 0);
    AnswerEachEvent = false;
    SetCurrentScreen(nullptr);
    platform::CloseWindowSystem();
}

} // namespace
