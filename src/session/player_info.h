// Who a player is: the descriptor the local driver joins with.
#pragma once

#include "session/race.h"

// Fills the local driver's descriptor: type local, this computer's
// connection, name ("Ply Name") and number plate, driving aids for the
// car's gearbox (the chosen car's without a car) with the steering kind and
// the driver's side, figure, helmet skin and pit strategy ("Fuel Start ",
// "Fuel Pit ", "Tyre Limit ", "Strategy ").
void FillLocalDriverInfo(PlayerDescriptor& descriptor, const CarObject* car);
