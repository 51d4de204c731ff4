// The one reset of this subsystem's tables.
#include "graphics/services.h"

void ResetGraphicsTables() {}
