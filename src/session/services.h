// Race session and AI: the services other subsystems may use.
#pragma once

#include "core/services.h"

// Resets every table this subsystem owns to its start-up state.
void ResetSessionTables();

// ---------------------------------------------------------------------------
// The race as the physics step sees it (temporary bodies in
// race_bodies_stub.cpp until the race object is built: no race runs).

struct Race;
// The current race; null between races.
extern Race* CurrentRace;
// The race's step counter: 10 ms simulation steps, also the lap clock.
std::int32_t GetRaceStepCounter(const Race& race);
// Whether the race is timing a hot lap (its hot-lap flag is set).
bool IsHotLapTimed(const Race& race);
// Marks the race's still-valid pending lap entries invalid and shows "Hot
// lap invalid (%s)"; reason 0 ground, 1 wall, 2 object, 3 wrong way. Call
// only while IsHotLapTimed.
void InvalidateHotLap(Race& race, int reason);
// A scenery body started moving at the point: the car nearest it within
// radius (m) plus its own radius is reported as having hit an object.
void ReportCarHitAt(const FixedVector& point, float radius);
