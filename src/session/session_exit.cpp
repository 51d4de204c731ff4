// The session's exit, in the frame after its running flag was cleared:
// recording stopped, the temporary replay deleted, the cars reset and
// freed, the world's session data cleared, and the session freed.
#include <cstdio>

#include "platform/files.h"
#include "session/local.h"

namespace {

void DeleteTemporaryReplay(InRaceSession& session)
{
    if (!session.temporaryReplay[0])
        return;
    char path[64];
    std::snprintf(path, sizeof path, "data\\spr\\%s.spr", session.temporaryReplay);
    platform::RemoveFile(path);
    session.temporaryReplay[0] = 0;
}

// Every car's path follower starts again at the next drive.
void ResetAllCarsForRestart()
{
    if (!CurrentRace)
        return;
    for (int slot = 0; slot < RaceSlotsInUse(*CurrentRace); ++slot)
        if (CarObject* car = GetRaceSlotCar(*CurrentRace, slot))
            ResetRaceCarFollower(*car);
}

} // namespace

void PerformSessionExit(InRaceSession* session)
{
    LogLine("Exit : clean up");
    MutableSessionFrame.seekStop = 0;
    StopSessionRecordingIfAny();
    DeleteTemporaryReplay(*session);
    if (session->backgroundReplay || session->replayViewer) {
        FreeCurrentRace();
        MutableSession.gameKind = 1;
    }
    ResetAllCarsForRestart();
    if (CurrentWorld)
        FreeWorldFigures(*CurrentWorld);
    MutableSession.session = nullptr;
    if (CurrentRace)
        FreePlayerCars(*CurrentRace);
    ClearCurrentObjectSet();
    LogLine("Exit : delete");
    delete session;
    MutableSessionFrame = {};
    ResetSessionCars();
}
