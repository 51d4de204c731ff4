// The one reset of this subsystem's tables.
#include "devices/services.h"

void ResetDevicesTables()
{
    ControlActiveStandIn = nullptr;
    ControllerValues = {};
    ControlsSettings = {};
}
