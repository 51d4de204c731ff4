// The game clock: each pass of the main loop paces the frame (it sleeps,
// never spins) and turns the real time that passed into game time, scaled,
// rounded and nudged, the same way on every machine.
#include "core/local.h"
#include "core/services.h"

#include <algorithm>
#include <cstdlib>

#include "platform/clock.h"

GameTimeRecord MutableGameTime;
const GameTimeRecord& GameTime = MutableGameTime;
std::array<int32_t, ClockNudgeCount> ClockNudgeTable{};

void BuildClockNudgeTable()
{
    for (int k = 1; k <= ClockNudgeCount; ++k) {
        float period = 5000.0f / static_cast<float>(k);
        ClockNudgeTable[static_cast<size_t>(k - 1)] = static_cast<int32_t>(RoundHalfEven(period));
    }
}

namespace {

// Real time since the current pass started.
void ReadRealClock()
{
    MutableGameTime.realMs = platform::NowMs();
    MutableGameTime.realElapsedMs = static_cast<int32_t>(MutableGameTime.realMs - MutableGameTime.passStartMs);
}

// The pass's game step with the fraction of a millisecond carried below a
// time scale of 0.9; a pass after a very long stall can be longer than the
// step holds, so the step saturates instead of overflowing.
int32_t ScaledStep(int32_t realElapsedMs)
{
    GameTimeRecord& time = MutableGameTime;
    float x = static_cast<float>(realElapsedMs) * time.timeScale;
    bool slow = time.timeScale < 0.9f;
    if (slow)
        x = x + time.carriedFractionMs;
    int32_t step = RoundToInt32(static_cast<double>(x));
    if (slow)
        time.carriedFractionMs = x - static_cast<float>(step);
    return step;
}

// The nudge gains or loses one millisecond once in each of its periods of
// real time.
int32_t NudgedStep(int32_t step)
{
    GameTimeRecord& time = MutableGameTime;
    if (time.clockNudge == 0)
        return step;
    int32_t magnitude = std::min(std::abs(time.clockNudge), ClockNudgeCount);
    uint32_t period = static_cast<uint32_t>(ClockNudgeTable[static_cast<size_t>(magnitude - 1)]);
    uint32_t index = period != 0 ? time.realMs / period : 0;
    if (index == time.nudgePeriodIndex)
        return step;
    time.nudgePeriodIndex = index;
    if (time.clockNudge > 0)
        return step == INT32_MAX ? step : step + 1;
    return step == INT32_MIN ? step : step - 1;
}

} // namespace

void PaceFrame(int menuShown)
{
    ReadRealClock();
    int sleep = Settings.minSleep;
    int minimumFrame = (Settings.gameLimitFps || ProgramMode.dedicatedMode != 0) ? Settings.minFrameTime : 0;
    if (menuShown)
        minimumFrame = std::max(minimumFrame, DerivedSettings.menuMinFrameTime);
    if (GameTime.realElapsedMs < minimumFrame)
        sleep = std::max(sleep, minimumFrame - GameTime.realElapsedMs);
    if (sleep > 0) {
        platform::SleepMs(static_cast<uint32_t>(sleep));
        ReadRealClock();
    }
}

int AdvanceGameClock(int timeStopped)
{
    GameTimeRecord& time = MutableGameTime;
    int scaleReset = 0;
    if (ProgramMode.startMode == 4) {
        // The replay check runs as fast as it can: every pass is a second.
        time.realElapsedMs = 1000;
    } else if (time.realElapsedMs > 2000 && time.timeScale > 1.5f) {
        time.timeScale = 1.0f;
        scaleReset = 1;
    }
    int32_t step = NudgedStep(ScaledStep(time.realElapsedMs));
    time.frameStepMs = (step < 0 || timeStopped) ? 0 : step;
    time.clockMs += static_cast<uint32_t>(time.frameStepMs);
    return scaleReset;
}

void RefreshWallClock()
{
    WallClockRecord& clock = MutableGameTime.wallClock;
    if (GameTime.realMs - clock.readMs <= 1000)
        return;
    platform::TimeOfDay time = clock.toggle == 0 ? platform::UtcTimeOfDay() : platform::LocalTimeOfDay();
    int slot = clock.toggle == 0 ? 1 : 0;
    clock.hour[slot] = time.hour % 24;
    clock.minute[slot] = time.minute;
    clock.toggle ^= 1;
    clock.readMs = GameTime.realMs;
}

void StepProgramRandom() { MutableGameTime.random = static_cast<uint16_t>(GameTime.random * 5u + 1u); }

void StartGameClock()
{
    MutableGameTime.clockMs = 0;
    MutableGameTime.frameStepMs = 0;
    MutableGameTime.passStartMs = platform::NowMs();
}

void EndGamePass() { MutableGameTime.passStartMs = GameTime.realMs; }

void SetTimeScale(float scale) { MutableGameTime.timeScale = scale; }

void SetClockNudge(int32_t nudge) { MutableGameTime.clockNudge = nudge; }

void SetGameTime(const GameTimeRecord& time) { MutableGameTime = time; }
