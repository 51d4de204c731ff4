// Temporary bodies of the multiplayer, InSim, replay, download and host
// console services that the program shell calls, until subsystem 8 is
// built: no multiplayer session or InSim exists and no replay opens. The
// host console is a bare command line: typed lines run as commands, and
// the debug log's lines are written to the terminal.
#include "net/services.h"

#include <cstring>

#include "session/services.h"

int InSimTimeStop = 0;
int SkinDownloadWaiting = 0;
int MultiplayerReplayPlaying = 0;
int UdpPositions = 0;
int CurrentConnectionLimit = 16;
int CurrentCarLimit = 12;
int MprMessageBlocking = 0;

namespace {
// The line being typed on the host console.
char ConsoleLine[96] = {};
int ConsoleLength = 0;
}

void InitDownloadLocks() {}
void InitNetworkLock() {}
void LoadBans() {}
void FreeHostList() {}
void CloseInSim() {}
void PollInSim() {}
int IsInSimOpen() { return 0; }
void DrawInSimButtons(Screen*, int) {}
void ClearLocalButtons() {}
void ClearHostButtons() {}
void ProcessFinishedSkin() { SkinDownloadWaiting = 0; }

void InitHostConsole()
{
    ConsoleMode = 1;
    ConsoleLength = 0;
    // Until the console draws its own status window, the terminal shows
    // the debug log, from its first line on (an invisible host shows
    // nothing).
    if (DedicatedMode < 3)
        EchoDebugLog(true);
}

void PaintHostWindow() {}
void UpdateHostWindow() {}

void OnHostConsoleKey(int code)
{
    if (code == 13) {
        ConsoleLine[ConsoleLength] = 0;
        if (ConsoleLength > 0)
            ExecuteCommand(nullptr, ConsoleLine, 0);
        ConsoleLength = 0;
    } else if (code == 8) {
        if (ConsoleLength > 0)
            --ConsoleLength;
    } else if (code >= 32 && code < 256 && ConsoleLength < static_cast<int>(sizeof ConsoleLine) - 1) {
        ConsoleLine[ConsoleLength++] = static_cast<char>(code);
    }
}

void SetRaceFlags(uint32_t, uint32_t) {}
Screen* OpenMultiplayerScreen(Screen*) { return nullptr; }
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
int CountMissingSkins() { return 0; }
Screen* OpenSkinDownloadWindow(Screen*) { return nullptr; }
Screen* OpenReplayBrowser(Screen*, void (*)(const char*), void (*)(const char*)) { return nullptr; }
int IsReplayBrowserIdle() { return 0; }
