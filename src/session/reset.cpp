// The one reset of this subsystem's tables.
#include "session/services.h"

void ResetSessionTables() { LessonWatchedCar = nullptr; }
