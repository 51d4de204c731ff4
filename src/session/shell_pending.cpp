// Temporary bodies of the race session and command services that the
// program shell calls, until the session and the text commands are built:
// no session ever runs and the only command understood is "/exit", which
// asks the program to quit.
#include "session/services.h"

#include <cstring>

int GameKind = 1;
InRaceSession* CurrentSession = nullptr;
uint32_t SessionStartTime = 0;
int RacePhase = 0;

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
int MaySendText(const char*, int) { return 1; }

void ExecuteCommand(void*, const char* line, int)
{
    if (line == nullptr)
        return;
    LogPrintf("ExecuteCommand : %s", line);
    if (std::strcmp(line, "/exit") == 0)
        RequestQuit(0);
}

void RunScript(const char*) {}
Screen* OpenTrainingScreen(Screen*) { return nullptr; }
void ShowLessonPictureIfAny() {}
void RebuildSessionGraphics() {}
