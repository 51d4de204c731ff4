// Temporary bodies of InSim, until it is built: nothing listens, no
// outside program stops the clock, there are no buttons and no outside
// program is told of the session.
#include "net/local.h"

int OpenInSim()
{
    LogPrintf("OpenInSim : not available : port %s", HostOptions.inSimPortText);
    return 0;
}

void CloseInSim() {}
void PollInSim() {}
int IsInSimOpen() { return 0; }
void SetInSimTimeStop(int stop) { MutableNet.inSimTimeStop = stop; }
void DrawInSimButtons(Screen*, int) {}
void ClearLocalButtons() {}
void ClearHostButtons() {}
void TellInSimConnectionLeft(int, int, int) {}
void TellInSimNewConnection(int) {}
void TellInSimMultiplayer(int) {}
