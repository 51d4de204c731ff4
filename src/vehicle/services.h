// Vehicle simulation: the services other subsystems may use.
#pragma once

#include "core/services.h"

// Resets every table this subsystem owns to its start-up state.
void ResetVehicleTables();
