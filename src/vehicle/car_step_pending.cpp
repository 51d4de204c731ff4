// Temporary body of the car-value packet until it is built: nothing is
// sent, which the log says once.
#include "vehicle/local.h"

VehiclePendingNotices MutableVehiclePendingNotices;

void SendCarValue(CarObject&, int)
{
    LogNotAvailableOnce(MutableVehiclePendingNotices.carValueNoted, "SendCarValue");
}
