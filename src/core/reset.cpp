// The one reset of the core's tables, for start-up, shut-down and tests.
#include "core/local.h"
#include "core/services.h"

void ResetCoreTables()
{
    ResetDebugLog();
    SetConfigDefaults();
    ResetTextHelpers();
    BuildTrigTables();
    ResetTextTable();
    MutableSecondLanguageName[0] = 0;
    MutablePlayerProfile = {};
    MutableUserTable = {};
    ResetShellState();
}
