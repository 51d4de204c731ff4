// Temporary help button action, until the help screen is built: nothing
// opens, which the log says once.
#include "ui/local.h"

void OnHelpClick(Screen*, int, const char*)
{
    LogNotAvailableOnce(MutableUi.helpScreenNoted, "OnHelpClick");
}
