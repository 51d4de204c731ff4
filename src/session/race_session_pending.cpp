// Temporary bodies of the race session's keys, views and drawing, until
// they are built: no key acts and no view moves.
#include "session/local.h"

void HandleSessionKey(InRaceSession*, int) {}
int HandleSessionMouse(InRaceSession*, MouseEvent*) { return 0; }
int IsViewerSessionIdle() { return 0; }
int IsFreeCameraActive() { return 0; }
void PollControlsWithoutSession() {}
void ShowTimeScaleText() {}
void StartHeadTracking() {}
void RebuildSessionGraphics() {}
