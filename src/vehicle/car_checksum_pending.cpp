// Temporary body of the car's state-check values until the car's race
// logic is built: the running values are left as they are, and it logs once
// that it is not available yet.
#include "vehicle/local.h"

void GetCarChecksum(const CarObject&, uint32_t*)
{
    LogPendingOnce(PendingCarChecksum, "GetCarChecksum");
}
