// Temporary bodies of the race session's services, until the session is
// built: no session ever runs, so there is nothing to step, no car to
// report and no ground to find.
#include "session/services.h"

int SessionShowsNoCar(const InRaceSession&) { return 1; }
InRaceSession* CreateSession(Screen*, int, int) { return nullptr; }
void UpdateSession(InRaceSession*) {}
void HandleSessionKey(InRaceSession*, int) {}
int HandleSessionMouse(InRaceSession*, MouseEvent*) { return 0; }
int IsViewerSessionIdle() { return 0; }
int IsFreeCameraActive() { return 0; }
void PollControlsWithoutSession() {}
void ShowTimeScaleText() {}
void StartHeadTracking() {}
void RebuildSessionGraphics() {}

Fixed GetGroundHeight(Fixed, Fixed, Fixed, int) { return Fixed(0); }
void ReportCarHitAt(const FixedVector&, float) {}
