// Sound and input devices: the door other subsystems include.
//
// Devices own sound output, the controllers and the controls file with the
// values and settings the car's controls read, and the head tracker; the
// clutch mode, the controller values, the controls settings and the
// tracker's state are read-only outside devices. Sound, controllers and
// the tracker are not built yet: a program without them runs. Devices give
// the race its interface sounds through the race's hooks
// (devices/session_hooks.h).
#pragma once

#include "core/services.h"
#include "devices/controls.h"
#include "devices/core_hooks.h"
#include "devices/head_tracker.h"
#include "devices/session_hooks.h"
#include "devices/sound.h"
#include "devices/vehicle_hooks.h"

// Resets every table this subsystem owns to its start-up state.
void ResetDevicesTables();
