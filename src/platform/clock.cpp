// Real and manual clocks behind the game's millisecond counter.
#include "platform/clock.h"

#include <atomic>
#include <cerrno>
#include <ctime>

namespace platform {
namespace {

std::atomic<bool> ManualMode{false};
std::atomic<uint32_t> ManualNowMs{0};
std::atomic<int64_t> ManualStartUnixSeconds{0};
std::atomic<uint64_t> ManualElapsedMs{0};

TimeOfDay BreakDown(int64_t unixSeconds, int millisecond, bool local)
{
    time_t t = static_cast<time_t>(unixSeconds);
    struct tm parts {};
    if (local)
        localtime_r(&t, &parts);
    else
        gmtime_r(&t, &parts);
    TimeOfDay out;
    out.year = parts.tm_year + 1900;
    out.month = parts.tm_mon + 1;
    out.dayOfWeek = parts.tm_wday;
    out.day = parts.tm_mday;
    out.hour = parts.tm_hour;
    out.minute = parts.tm_min;
    out.second = parts.tm_sec;
    out.millisecond = millisecond;
    return out;
}

void WallClock(int64_t* seconds, int* millisecond)
{
    if (ManualMode) {
        uint64_t elapsed = ManualElapsedMs;
        *seconds = ManualStartUnixSeconds + static_cast<int64_t>(elapsed / 1000);
        *millisecond = static_cast<int>(elapsed % 1000);
        return;
    }
    struct timespec ts {};
    clock_gettime(CLOCK_REALTIME, &ts);
    *seconds = ts.tv_sec;
    *millisecond = static_cast<int>(ts.tv_nsec / 1000000);
}

} // namespace

uint32_t NowMs()
{
    if (ManualMode)
        return ManualNowMs;
    struct timespec ts {};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    uint64_t ms = static_cast<uint64_t>(ts.tv_sec) * 1000u + static_cast<uint64_t>(ts.tv_nsec) / 1000000u;
    return static_cast<uint32_t>(ms);
}

void SleepMs(uint32_t ms)
{
    if (ManualMode) {
        AdvanceManualClock(ms);
        return;
    }
    struct timespec request {};
    request.tv_sec = ms / 1000;
    request.tv_nsec = static_cast<long>(ms % 1000) * 1000000L;
    while (clock_nanosleep(CLOCK_MONOTONIC, 0, &request, &request) == EINTR) {
    }
}

uint32_t TimerMinPeriodMs() { return 1; }

int BeginTimerPeriod(uint32_t) { return 1; }

TimeOfDay LocalTimeOfDay()
{
    int64_t seconds = 0;
    int millisecond = 0;
    WallClock(&seconds, &millisecond);
    return BreakDown(seconds, millisecond, true);
}

TimeOfDay UtcTimeOfDay()
{
    int64_t seconds = 0;
    int millisecond = 0;
    WallClock(&seconds, &millisecond);
    return BreakDown(seconds, millisecond, false);
}

int64_t NowUnixSeconds()
{
    int64_t seconds = 0;
    int millisecond = 0;
    WallClock(&seconds, &millisecond);
    return seconds;
}

void UseManualClock(uint32_t startMs, int64_t startUnixSeconds)
{
    ManualNowMs = startMs;
    ManualStartUnixSeconds = startUnixSeconds;
    ManualElapsedMs = 0;
    ManualMode = true;
}

void AdvanceManualClock(uint32_t ms)
{
    ManualNowMs += ms; // wraps like the real counter
    ManualElapsedMs += ms;
}

void UseRealClock() { ManualMode = false; }

bool IsManualClock() { return ManualMode; }

} // namespace platform
