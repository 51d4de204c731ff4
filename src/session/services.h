// Race session and AI: the door other subsystems include.
//
// The session owns the race object (who takes part, with which car, how far
// each has got and the results), grid files and player entries, the AI
// drivers' names and the function keys' messages, the program's version
// text, and the state of the running session that the program shell reads
// (GameKind, CurrentSession, CurrentRace): all read-only outside it. It
// reads the loaded world's paths and the cars' state through the world and
// vehicle; the multiplayer layer, the interface and sound reach it through
// the hooks they install (session/hooks.h).
#pragma once

#include "session/ai_driver.h"
#include "session/ai_knowledge.h"
#include "session/commands.h"
#include "session/driver_names.h"
#include "session/grid_file.h"
#include "session/hooks.h"
#include "session/lessons.h"
#include "session/player_info.h"
#include "session/player_joins.h"
#include "session/program_version.h"
#include "session/race.h"
#include "session/race_session.h"
#include "session/race_slots.h"
#include "session/results.h"
#include "session/session_cars.h"
#include "session/vehicle_hooks.h"

// Resets every table this subsystem owns to its start-up state, and the
// race's hooks to their least bodies.
void ResetSessionTables();
