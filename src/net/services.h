// Multiplayer, replays and external interfaces: the door other subsystems
// include.
//
// The multiplayer layer owns the host options, whether a multiplayer game
// runs and what its host allows, InSim's state, replays and the dedicated
// host's console; all of its state is read-only outside it. The connection
// layer, InSim, replays and downloads are not built yet: a program that is
// offline and alone runs. It gives the race its game-packet queue and the
// online state through the race's hooks (net/session_hooks.h).
#pragma once

#include "net/core_hooks.h"
#include "net/host_console.h"
#include "net/host_options.h"
#include "net/multiplayer.h"
#include "net/replays.h"
#include "net/session_hooks.h"
#include "net/vehicle_hooks.h"

// Resets every table this subsystem owns to its start-up state.
void ResetNetTables();
