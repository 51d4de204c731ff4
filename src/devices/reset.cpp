// The one reset of this subsystem's tables.
#include "devices/services.h"

void ResetDevicesTables()
{
    ControlActiveStandIn = nullptr;
    ControllerValues = {};
    ControlsSettings = {};
    // The tyre curves are constant once built; a reset leaves them built.
    BuildTyreCurves();
}
