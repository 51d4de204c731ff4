// The one reset of this subsystem's tables.
#include "vehicle/services.h"

void ResetVehicleTables() {}
