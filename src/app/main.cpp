// The program entry: starts the debug log and the program in the current
// folder, which holds "cfg.txt" and the "data" folder.
#include "core/services.h"

int main()
{
    StartDebugLog();
    LogVersion();
    return 0;
}
