// The car's 10 ms step: driver aids, lights, requests, forces, sub-steps
// and the car's body operations; the player slots and the pit lane it asks.
#pragma once

#include <cstdint>

#include "vehicle/car_object.h"

struct RoadPlace;

// The car step: driver aids, lights, requests, forces, sub-steps and the
// car's body operations (car_step.cpp, car_forces.cpp, car_body.cpp,
// car_lights.cpp).
//
// A car's 10 ms step turns its input words into engine, clutch, brake and
// steering demands through the driver aids, runs engine, drivetrain, tyres
// and body forces in twenty sub-steps (one full step for a remote car
// simulated in one step), commits the move and steps the tyres' heat.

// The car's integrate operation: one step of dt seconds, gravity along z.
void StepCar(CarObject& car, float dt, float gravity);
// Sets a light switch and writes its value to its targets.
void SetCarLight(CarObject& car, int lightSwitch, int on);

// The impact list: 1 when the entry (point, strength, packed direction)
// was added, 0 when the list is full of stronger ones.
int AddCarImpact(CarObject& car, uint32_t entry);
// The 16.16 position and the predicted position.
void SetCarPosition(CarObject& car, const FixedVector& position);
// Steps a car outside a race (garage previews) up to its own clock.
void StepCarAlone(CarObject& car);
// Total mass with the fuel (0.74 kg per litre, a uniform box in the tank),
// centre of mass and inertia about it.
void UpdateCarMassProperties(CarObject& car);
// 1 when name equals (ignoring case) the car's first skin name (which set)
// or its second (which clear).
int CarUsesSkinName(const CarObject& car, int which, const char* name);

// Player slots and the race's part in a car's step (lap_timing.cpp,
// track_position.cpp, stopped_state.cpp, race_messages.cpp; the pit lane in
// pit_lane.h).

// The player slot driving the car in the current race, -1 when none.
int GetPlayerSlotOfCar(const CarObject& car);
// The player id of a slot, as packets carry it; -1 without one.
int GetPlayerIdOfSlot(int slot);
// The settle counter and the stopped flag, once per step of a car: for the
// first 100 steps after a reset only the settle counter rises (gear
// selection and the AI wait for it); then the car is stopped below 1 m/s
// and moving again above 0.6 m/s. 1 when the stopped state changed.
int UpdateStoppedState(CarObject& car);
// A local car with a slot starts to move: before the start is given it
// gets one false-start penalty (a time penalty at a layout's start, else a
// drive-through, stop-go or time penalty), queued as a packet.
void CheckFalseStartOnMoving(CarObject& car, int slot);
// The false-start watch of a local car with a slot, by its distance from
// its start place: at a layout start 0.5 m before the start (or before its
// timing start) gives the time penalty; on a grid, before the lights go
// out in a race, 6 m sends the car to the pits and 0.5 m gives the
// drive-through (or its stand-in).
void WatchFalseStartDistance(CarObject& car, int slot);
// The car follows the path after its step: timing points, wrong way, its
// place across the road and its lane. fullStep 1 after a full step.
void UpdateCarViewAndRoute(CarObject& car, float dt, int fullStep);
// The rubber band of the node the car stays within moves towards where
// its tyres work and darkens with their slip, at the "Rubber Lay" rate;
// nothing when the car is further than twice its half width outside the
// node's limits.
void LayRubberOnPathNode(const CarObject& car, int node);
// A local car with a slot: lost when it left the world, and the blue and
// yellow flags raised and cleared every 32 steps.
void CheckTrackPosition(CarObject& car, int slot);
// The heading (rad) of a car placed at a lateral offset (m, right
// positive) on a path node (or a node interpolated between two): along
// the road, turned towards the edge the car is nearer, by offset / edge ×
// pi/4 on the road and by up to pi/2 at the outer limit. The net side's car
// reset takes it with the road halfway from its node (CarPathHooks'
// roadPlace).
float GetPlacementHeading(const RoadPlace& node, float lateralOffset);
// Puts the car back on the road at the node: its lateral offset stays where
// the car fits on the road and is brought within the outer limits
// otherwise (always when a wheel stands on soft ground); the car is set
// there, reset carefully with the placement heading, and its engine
// started at idle.
void PlaceCarOnPathNode(CarObject& car, const RoadPlace& node);
// 1 when a wheel stands on soft ground (surface kinds 4 and 8).
int AnyWheelOnSoftGround(const CarObject& car);
// Queues the car-value packet [17][9][player id][value] (0 spectate, 2
// lost or wrong route, 3 restricted area, 4 jumped start) and sends the
// frame's bundle at once; nothing for a car without a player slot.
void SendCarValue(CarObject& car, int value);
