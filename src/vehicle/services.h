// Vehicle simulation: the services other subsystems may use.
//
// The vehicle subsystem moves everything physical in a race: rigid bodies
// with contact points (cars, knocked scenery objects, the nodes of figure
// skeletons), the active set of bodies that one 10 ms step advances, and the
// cars themselves: their car data and setups, engine, tyres, wheels and
// drivetrain, the player's controls and the car's step. It owns the bodies'
// contact and integration rules, the active set, the car records, the tyre
// model and the car data, setup and engine files. It needs only the core and
// the platform: the loaded world answers what bodies meet (BodySurroundings),
// and the subsystems above install what the cars ask of them (hooks.h).
#pragma once

#include "core/services.h"
#include "vehicle/car_object.h"
#include "vehicle/car_records.h"
#include "vehicle/car_result.h"
#include "vehicle/car_step.h"
#include "vehicle/colour_config.h"
#include "vehicle/drivetrain.h"
#include "vehicle/engine.h"
#include "vehicle/hooks.h"
#include "vehicle/object_body.h"
#include "vehicle/object_set.h"
#include "vehicle/pit_lane.h"
#include "vehicle/race_timing.h"
#include "vehicle/remote_car.h"
#include "vehicle/rigid_body.h"
#include "vehicle/setup.h"
#include "vehicle/tyre.h"
#include "vehicle/wheel.h"

// Resets every table this subsystem owns to its start-up state.
void ResetVehicleTables();

// Writing car data files.
#include "vehicle/car_data_file.h"
