// The one reset of the core's tables, for start-up, shut-down and tests.
#include "core/services.h"

void ResetCoreTables()
{
    DebugLogging = false;
    SetDebugLogName("deb.log");
}
