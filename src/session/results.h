// The race's results: who finished a race, or who holds the best times of a
// qualifying session or a layout course, in finishing order. A race row is
// provisional while a car still on track could finish ahead of it, and
// confirmed (announced with its final place) once none can.
#pragma once

#include "session/race.h"

// Row count 0, no results due, every row zero.
void ClearRaceResults(Race& race);
// Zeroes the row and fills it from the slot: name, car and handicaps (with a
// car), the connection's user (for a human of a known connection).
void FillResultRow(RaceResult& row, const RacePlayer& slot, uint32_t totalTime, uint32_t bestLap, int flags,
                   int laps, int pitStops, int penaltySeconds);
// A race finish of slot after raceTime hundredths and laps laps: penalties
// and disqualifications applied, the row placed by laps and time. The first
// finisher also finishes every car that crossed the line after it.
void RecordPlayerFinish(Race& race, int slot, uint32_t raceTime, int laps);
// Whether a time is before a row: by total time when one is given, else by
// best lap.
bool IsResultBefore(uint32_t bestLap, uint32_t totalTime, const RaceResult& row);
// One player's best-time row (qualifying, layout course): a better time
// replaces the player's row, a worse one leaves it.
void UpdateTimedResult(Race& race, int slot, uint32_t bestLap, uint32_t totalTime, int penaltySeconds);
// Inserts a timed row in order (nothing when the table is full).
void InsertResultEntry(Race& race, int slot, uint32_t bestLap, uint32_t totalTime, int penaltySeconds);
// Whether the qualifying time has run out.
bool IsQualifyingOver(const Race& race);
// When a row is still provisional, the results become due 100 frames on.
void ScheduleResultsSend(Race& race);
// Confirms the rows no running car can pass any more and announces them.
void UpdateRaceResults(Race& race);
// Sends the first car that has been standing on track for more than 800
// steps while it holds back a row to spectate.
void CheckLappedCars(Race& race);
// The final-place message, sound and car caption of a confirmed row.
void ReportPlayerFinish(Race& race, int slot, int place, int announcedNow);
// "1st" .. "32nd" for places 1..32, "unclassified" for any other.
void GetPlaceName(char* text, int size, int place);
// Queues the race-control packet that gives a slot's car a value (1: leave
// the race) and sends the bundle.
void SendRaceControlValue(const Race& race, int slot, int value);
