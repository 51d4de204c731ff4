// The devices' run record and the one reset of this subsystem's tables.
#include "devices/local.h"

DevicesRecord MutableDevices;

void NoteNotAvailable(bool& noted, const char* name)
{
    if (!noted)
        LogPrintf("%s : not available yet", name);
    noted = true;
}

void ResetDevicesTables()
{
    MutableDevices = {};
    // The tyre curves are constant once built; a reset leaves them built.
    BuildTyreCurves();
}
