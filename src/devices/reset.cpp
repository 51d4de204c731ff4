// The devices' run record and the one reset of this subsystem's tables.
#include "devices/local.h"

DevicesRecord MutableDevices;

void ResetDevicesTables()
{
    MutableDevices = {};
}
