// The one reset of this subsystem's tables.
#include "ui/services.h"

void ResetUiTables() {}
