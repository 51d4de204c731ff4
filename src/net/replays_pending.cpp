// Temporary bodies of replay playback, until it is built: no replay opens
// (the openings say so), and no skin is missing because none is listed.
#include "net/local.h"

int OpenMprPlayback(Screen*, const char* name)
{
    LogPrintf("OpenMprPlayback : replays cannot be played yet : %s", name);
    return 0;
}

int OpenSprForPlayback(Screen*, const char* name, int)
{
    LogPrintf("OpenSprForPlayback : replays cannot be played yet : %s", name);
    return 0;
}

int ReadMprStart(Screen*) { return 0; }
int SetUpRaceFromSpr(Screen*) { return 0; }
void MeasureMprLength() {}
void MeasureSprLength() {}
int ReplayFrameCount() { return 0; }
int MprConnectionCount() { return 0; }
void SetMprMessageBlocking(int blocking) { MutableNet.mprMessageBlocking = blocking; }
int CountMissingSkins() { return 0; }
Screen* OpenSkinDownloadWindow(Screen*) { return nullptr; }
Screen* OpenReplayBrowser(Screen*, void (*)(const char*), void (*)(const char*)) { return nullptr; }
int IsReplayBrowserIdle() { return 0; }
