// Temporary home of the clutch control setting until the controls and
// their file are built: the program-start value.
#include "devices/services.h"

int ClutchControlMode = 1;
