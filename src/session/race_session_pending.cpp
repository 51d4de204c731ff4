// Temporary bodies of the race session's services, until the session is
// built: no session ever runs, so there is nothing to step and no car to
// report.
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
