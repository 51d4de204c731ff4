// The machine's clock as the game sees it: a wrapping millisecond counter,
// sleeping, and the time of day; a manual clock stands in for tests.
#pragma once

#include <cstdint>

namespace platform {

// Milliseconds since an arbitrary origin. 32 bits, wrapping after about
// 49.7 days: take differences in unsigned arithmetic.
uint32_t NowMs();

// Sleeps the calling thread; with the manual clock, advances it instead.
void SleepMs(uint32_t ms);

// Finest period the timer can be set to, in milliseconds (at least 1).
uint32_t TimerMinPeriodMs();

// Asks for a timer period; returns 1 on success.
int BeginTimerPeriod(uint32_t ms);

// A calendar time of day broken into fields, as local or UTC time.
struct TimeOfDay {
    int year = 1601;
    int month = 1;       // 1..12
    int dayOfWeek = 0;   // 0 Sunday .. 6 Saturday
    int day = 1;         // 1..31
    int hour = 0;        // 0..23
    int minute = 0;      // 0..59
    int second = 0;      // 0..59
    int millisecond = 0; // 0..999
};

TimeOfDay LocalTimeOfDay();
TimeOfDay UtcTimeOfDay();

// Seconds since 1970-01-01 UTC (the wall clock; the manual clock starts it
// at a fixed instant so tests see stable dates).
int64_t NowUnixSeconds();

// Manual clock: from the call on, NowMs and the wall clock stand still
// except when advanced here or by SleepMs. For tests and headless checks.
void UseManualClock(uint32_t startMs = 0, int64_t startUnixSeconds = 1577836800);
void AdvanceManualClock(uint32_t ms);
void UseRealClock();
bool IsManualClock();

} // namespace platform
