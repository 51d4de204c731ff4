// Temporary body of the car reset request until the pit lane is built: a
// request needs the car's player slot and path position, which no race gives
// yet, so none is made; it logs once that it is not available yet.
#include "vehicle/local.h"

void RequestCarReset(CarObject&, int)
{
    LogPendingOnce(PendingCarReset, "RequestCarReset");
}
