// The shell's own records and their reset.
#include "app/services.h"

ShellRecord Shell;

void ResetAppTables()
{
    Shell = {};
    CommandLine = {};
    RootState = {};
}
