// The game clock and the real time of the main loop's passes. Core keeps
// them; the program shell's main loop advances them once per pass through
// the functions below, and every subsystem reads them.
#pragma once

#include <cstdint>

// Local (index 0) and UTC (index 1) time of day, each refreshed every
// other second by the loop for the clock display.
struct WallClockRecord {
    int hour[2] = {};    // 0..23
    int minute[2] = {};  // 0..59
    int toggle = 0;      // which of the two the next refresh reads: 0 UTC, 1 local
    uint32_t readMs = 0; // realMs of the last refresh

    constexpr bool operator==(const WallClockRecord&) const = default;
};

// The game clock, the real time of the passes and the program-wide random
// value. Lives for the whole run; only the functions below change it.
struct GameTimeRecord {
    uint32_t clockMs = 0;          // game time, wrapping at 2^32; 0 at the end of start-up
    int32_t frameStepMs = 0;       // game time added in the current pass (never negative)
    float timeScale = 1.0f;        // game time over real time (replay speed controls change it)
    int32_t clockNudge = 0;        // -50..50: the game clock gains (or, negative, loses)
                                   // |clockNudge| ms every 5 s of real time
    uint32_t nudgePeriodIndex = 0; // the real-time period in which the last nudge was applied
    uint32_t realMs = 0;           // the last reading of the real clock
    int32_t realElapsedMs = 0;     // real ms since the last pass
    uint32_t passStartMs = 0;      // real time at which the current pass started
    float carriedFractionMs = 0;   // carried to the next pass below a time scale of 0.9
    uint16_t random = 0;           // x = (x * 5 + 1) mod 65536, advanced once per pass
    WallClockRecord wallClock;

    constexpr bool operator==(const GameTimeRecord&) const = default;
};
extern const GameTimeRecord& GameTime;

// Periods of the clock nudge: entry k-1 is 5000 / k ms.
constexpr int ClockNudgeCount = 50;
// Builds the nudge periods; start-up calls it (ResetCoreTables does too).
void BuildClockNudgeTable();

// Paces a pass: reads the real clock and sleeps (never spins) for "Min
// Sleep", or for the rest of the pass's minimum frame time when that is
// longer: "Min Frame Time" with "Game Limit FPS" on or on a dedicated host,
// and at least MenuMinFrameTime while a menu shows instead of a car (the
// caller says so). Sets realMs and realElapsedMs.
void PaceFrame(int menuShown);
// Advances the game clock by the pass's real time times the time scale,
// rounded, with the fraction carried below a scale of 0.9 and the nudge
// applied once per period; the step is 0 while an outside program stops
// time. The replay check counts every pass as a second. Returns 1 when a
// stall of more than 2 s brought a time scale above 1.5 back to 1, so that
// the caller can say so; else 0.
int AdvanceGameClock(int timeStopped);
// Reads the local or the UTC time of day when more than a second has passed
// since the last reading (the two take turns).
void RefreshWallClock();
// Advances the program-wide random value once.
void StepProgramRandom();
// The end of start-up: the game clock at 0 and the first pass starting now.
void StartGameClock();
// The end of a pass: the next one starts at the last reading of the clock.
void EndGamePass();
// The time scale (replay speed controls) and the nudge (multiplayer timing).
void SetTimeScale(float scale);
void SetClockNudge(int32_t nudge);
// Replaces the whole record (tests that need a given moment).
void SetGameTime(const GameTimeRecord& time);
