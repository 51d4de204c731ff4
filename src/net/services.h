// Multiplayer, replays and external interfaces: the door other subsystems
// include.
//
// The multiplayer layer owns the frame road that every game packet travels
// (offline play runs it through its own ring alone), the connection table
// and the session's flags, the game-packet dispatch, the race requests and
// state checks, the host options, InSim's state, replays and the dedicated
// host's console; all of its state is read-only outside it. The network
// link, InSim, replays and downloads are not built yet: no link ever opens.
// It reads the race session, the world, the cars and the interface through
// their doors, and gives the race and the cars the frame road and the
// session's state, and the message list the senders' names, through their
// hooks (net/session_hooks.h, net/vehicle_hooks.h, net/ui_hooks.h).
#pragma once

#include "net/ban_list.h"
#include "net/connections.h"
#include "net/core_hooks.h"
#include "net/frame_road.h"
#include "net/game_packets.h"
#include "net/host_console.h"
#include "net/host_options.h"
#include "net/multiplayer.h"
#include "net/race_requests.h"
#include "net/race_settings.h"
#include "net/replays.h"
#include "net/session_hooks.h"
#include "net/ui_hooks.h"
#include "net/vehicle_hooks.h"

// Resets every table this subsystem owns to its start-up state.
void ResetNetTables();
