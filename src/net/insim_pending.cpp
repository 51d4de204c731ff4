// Temporary bodies of InSim, until it is built: nothing listens, no
// outside program stops the clock and there are no buttons.
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
