// Track and world: the door other subsystems include.
//
// The world holds the loaded track site and everything placed in it, the
// object models that cars, helmets, figures and scenery are drawn and
// collided from, the paths that cars follow and are timed on, and the
// driver figures with their skeletons and animations. It owns the
// program's figures (Humans) and the loaded world (CurrentWorld), both
// read-only outside it. It reads its files through the core's DataFile
// layer and its 16.16 maths and builds rigid bodies with the vehicle's
// physics; the interface's messages and the drawing of graphics reach it
// through the hooks those subsystems install (world/hooks.h).
#pragma once

#include "world/car_model_tables.h"
#include "world/cubic_curves.h"
#include "world/hooks.h"
#include "world/humans.h"
#include "world/layout.h"
#include "world/loaded_world.h"
#include "world/mesh_nodes.h"
#include "world/model_nodes.h"
#include "world/object_model.h"
#include "world/paths.h"
#include "world/race_world.h"
#include "world/sites.h"
#include "world/vehicle_hooks.h"
#include "world/world.h"

// Resets every table this subsystem owns to its start-up state.
void ResetWorldTables();
