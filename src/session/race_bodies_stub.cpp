// The race as the physics step sees it, until the race object is built: no
// race runs, so there is no step counter, no hot lap and no car to report.
#include "session/services.h"

Race* CurrentRace = nullptr;

std::int32_t GetRaceStepCounter(const Race&) { return 0; }
bool IsHotLapTimed(const Race&) { return false; }
void InvalidateHotLap(Race&, int) {}
void ReportCarHitAt(const FixedVector&, float) {}
