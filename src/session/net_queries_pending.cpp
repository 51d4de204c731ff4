// Temporary bodies of what the multiplayer layer asks of the race session,
// until the in-race session, its recording, drive starts and the AI drivers
// are built: no session runs, nothing is recorded, no false start is
// flagged and no AI driver can be set up.
#include "session/local.h"

void UpdateFastestLapNotice(Race&) {}
void StopSessionRecordingIfAny() {}
int GetSessionRunState(const InRaceSession&) { return 0; }
int IsFalseStartState() { return 0; }

int FillAiDriverInfo(PlayerDescriptor&, const DriverNameEntry&, int, const char*)
{
    LogNotAvailableOnce(MutableSession.aiDriverInfoNoted, "FillAiDriverInfo");
    return 0;
}
