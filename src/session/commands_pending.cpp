// Temporary bodies of the text commands, until they are built: every line
// is logged, and the only command understood is "/exit", which asks the
// program to quit.
#include <cstring>

#include "session/services.h"

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
