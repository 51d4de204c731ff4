// Temporary bodies of the controls that the car's input words read, until
// the control table and the controller polling are built: no controller is
// polled, so every control value is 0 and no control is active unless the
// stand-in answers.
#include "devices/services.h"

int (*ControlActiveStandIn)(int control, int alsoKey) = nullptr;
ControllerValuesRecord ControllerValues;
ControlsSettingsRecord ControlsSettings;

int IsControlActive(int control, int alsoKey)
{
    return ControlActiveStandIn ? ControlActiveStandIn(control, alsoKey) : 0;
}
