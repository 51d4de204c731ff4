// The game clock: steps scaled, rounded, carried and nudged, the nudge
// table, and the pacing of a pass.
#include <gtest/gtest.h>

#include <climits>
#include <vector>

#include "core/local.h"
#include "core/services.h"
#include "platform/clock.h"

namespace {

class GameClockTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetCoreTables();
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
    std::vector<int32_t> steps;  // the frame step after each pass
    float endScale;
};

TEST_F(GameClockTest, GameClockAdvancesByScaledRoundedAndNudgedSteps)
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
        MutableGameTime.timeScale = c.timeScale;
        MutableProgramMode.startMode = c.startMode;
        MutableGameTime.clockNudge = c.nudge;
        uint32_t clock = 0;
        int scaleResets = 0;
        for (size_t i = 0; i < c.passes.size(); ++i) {
            MutableGameTime.realMs = c.passes[i].realTime;
            MutableGameTime.realElapsedMs = c.passes[i].realElapsed;
            scaleResets += AdvanceGameClock(0);
            EXPECT_EQ(GameTime.frameStepMs, c.steps[i]) << "pass " << i;
            clock += static_cast<uint32_t>(c.steps[i]);
            EXPECT_EQ(GameTime.clockMs, clock) << "pass " << i;
        }
        EXPECT_EQ(GameTime.timeScale, c.endScale);
        // The caller is told when the scale went back to 1.
        EXPECT_EQ(scaleResets, c.endScale != c.timeScale ? 1 : 0);
    }
}

TEST_F(GameClockTest, GameClockStandsStillWhileAnOutsideProgramStopsTime)
{
    MutableGameTime.realMs = 100;
    MutableGameTime.realElapsedMs = 100;
    AdvanceGameClock(1);
    EXPECT_EQ(GameTime.frameStepMs, 0);
    EXPECT_EQ(GameTime.clockMs, 0u);
}

TEST_F(GameClockTest, NudgeTableHoldsFiveThousandOverKRoundedHalfToEven)
{
    BuildClockNudgeTable();
    for (int k = 1; k <= ClockNudgeCount; ++k) {
        // Integer rounding, ties to even, as an independent reckoning.
        int quotient = 5000 / k, remainder = 5000 % k;
        if (2 * remainder > k || (2 * remainder == k && quotient % 2 == 1))
            ++quotient;
        EXPECT_EQ(ClockNudgeTable[static_cast<size_t>(k - 1)], quotient) << "k = " << k;
    }
    EXPECT_EQ(ClockNudgeTable[15], 312);
}

TEST_F(GameClockTest, PacingSleepsTheRestOfTheMinimumFrameAndNeverSpins)
{
    struct Case {
        int dedicated, limitFps, menuShown, elapsedBefore;
        int32_t expectElapsed;
    };
    // Min Sleep 1, Min Frame Time 10, menus at least 25 ms.
    const Case cases[] = {
        {0, 0, 0, 3, 4},    // a race without the limit: only Min Sleep
        {0, 1, 0, 3, 10},   // the limit on: the rest of 10 ms
        {1, 0, 0, 3, 10},   // a dedicated host always keeps Min Frame Time
        {0, 0, 1, 3, 25},   // the front end: 25 ms
        {1, 0, 1, 40, 41},  // a long pass still sleeps Min Sleep
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "dedicated " << c.dedicated << " limit " << c.limitFps
                                        << " menu " << c.menuShown);
        MutableSettings.minSleep = 1;
        MutableSettings.minFrameTime = 10;
        MutableSettings.gameLimitFps = c.limitFps;
        MutableProgramMode.dedicatedMode = c.dedicated;
        MutableDerivedSettings.menuMinFrameTime = 25;
        MutableGameTime.passStartMs = platform::NowMs();
        platform::AdvanceManualClock(static_cast<uint32_t>(c.elapsedBefore));
        PaceFrame(c.menuShown);
        EXPECT_EQ(GameTime.realElapsedMs, c.expectElapsed);
    }
}

} // namespace
