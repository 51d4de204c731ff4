// The one reset of this subsystem's tables.
#include "ui/services.h"

void ResetUiTables()
{
    TextCodePage = 0;
    TextScale = 1.0f;
}
