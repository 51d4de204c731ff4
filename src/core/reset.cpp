// The one reset of the core's tables, for start-up, shut-down and tests.
#include "core/local.h"
#include "core/services.h"

void ResetCoreTables()
{
    ResetDebugLog();
    SetConfigDefaults();
    ResetCommandLine();
    ResetTextHelpers();
    InitMathConstants();
    BuildTrigTables();
    ResetTextTable();
    SecondLanguageName[0] = 0;
    PlayerProfile = {};
    FreeUserTable();
    ResetShell();
}
