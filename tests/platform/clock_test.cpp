// The manual clock and the wrap-around of the millisecond counter.
#include <gtest/gtest.h>

#include "platform/clock.h"

class ClockTest : public ::testing::Test {
protected:
    void TearDown() override { platform::UseRealClock(); }
};

TEST_F(ClockTest, ManualClockAdvancesOnlyWhenTold)
{
    platform::UseManualClock(1000);
    EXPECT_EQ(platform::NowMs(), 1000u);
    platform::SleepMs(25);
    EXPECT_EQ(platform::NowMs(), 1025u);
    platform::AdvanceManualClock(5);
    EXPECT_EQ(platform::NowMs(), 1030u);
}

TEST_F(ClockTest, CounterWrapsAndDifferencesStayRight)
{
    platform::UseManualClock(0xFFFFFFF0u);
    uint32_t before = platform::NowMs();
    platform::AdvanceManualClock(0x20);
    EXPECT_EQ(platform::NowMs(), 0x10u);
    EXPECT_EQ(platform::NowMs() - before, 0x20u);
}

TEST_F(ClockTest, ManualWallClockGivesStableDates)
{
    platform::UseManualClock(0, 1577836800); // 2020-01-01 00:00:00 UTC
    platform::AdvanceManualClock(3723004);   // 1 h 2 min 3.004 s
    platform::TimeOfDay utc = platform::UtcTimeOfDay();
    EXPECT_EQ(utc.year, 2020);
    EXPECT_EQ(utc.month, 1);
    EXPECT_EQ(utc.day, 1);
    EXPECT_EQ(utc.dayOfWeek, 3); // a Wednesday
    EXPECT_EQ(utc.hour, 1);
    EXPECT_EQ(utc.minute, 2);
    EXPECT_EQ(utc.second, 3);
    EXPECT_EQ(utc.millisecond, 4);
}

TEST_F(ClockTest, RealClockMovesForwardAcrossASleep)
{
    uint32_t before = platform::NowMs();
    platform::SleepMs(2);
    EXPECT_GE(platform::NowMs() - before, 2u);
}
