// Temporary bodies of the race session's keys, views and drawing, and of
// the drive restart a restart or qualifying vote asks for, until they are
// built: no key acts, no view moves and a decided restart leaves the race
// as it is.
#include "session/local.h"

void HandleSessionKey(InRaceSession*, int) {}
int HandleSessionMouse(InRaceSession*, MouseEvent*) { return 0; }
int IsViewerSessionIdle() { return 0; }
int IsFreeCameraActive() { return 0; }
void PollControlsWithoutSession() {}
void ShowTimeScaleText() {}
void StartHeadTracking() {}
void RebuildSessionGraphics() {}

void ReportCarHitAt(const FixedVector&, float) {}

void RestartSessionDrive(InRaceSession&)
{
    LogNotAvailableOnce(MutableSession.driveRestartNoted, "RestartSessionDrive");
}
