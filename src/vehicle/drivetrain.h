// The drivetrain, gear changes and the player's controls.
#pragma once

#include <cstdint>

#include "vehicle/car_object.h"

// Drivetrain, gear changes and the player's controls (drivetrain.cpp,
// gears.cpp, car_controls.cpp).
//
// The clutch's torque goes through gearbox, final drive, centre and axle
// differentials to the wheels; the gear changes follow the shift words, the
// H-shifter word or the automatic gearbox by the car's gearbox kind; the
// local player's controls become the car's input words once per step.

// rad/s: the engine speed the road speed implies in the current gear
// (speed x total ratio / rear tyre radius); 0 without a rear tyre radius.
float GetEngineSpeedFromWheels(const CarObject& car);
// The automatic gearbox's rule at engine speed w (rad/s): 0 keep the
// gear, 1 change down, 2 change up. The AI drivers ask for their changes
// by it.
int ChooseAutoGear(const CarObject& car, float w);
// The gear selection of a local car, once per step after its pit-lane step.
void SelectGear(CarObject& car);

// The player's control state: what turning the local player's controls into
// the player car's input words keeps from step to step (ReadCarControls).
// The session holds one (there is one local driven car) and fills the three
// session values before each step. Lives with the session.

struct PlayerControlState {
    // Filled by the session.
    CarObject* playerCar = nullptr;        // the local driven car; null when none
    const CarObject* viewedCar = nullptr;  // the car the session views
    uint8_t screenOpen = 0;                // a screen is open over the race (the session's screen has a child)
    // Kept by the controls.
    float keyboardSteer = 0;   // rad, left positive: the angle keyboard steering moves
    float smoothedSteer = 0;   // -1..1, memory of the "Steer Smooth" filter
    float throttle = 0, brake = 0, clutch = 0, handbrake = 0;  // 0..1, the pedal ramps
    int32_t shiftUpTimer = 0, shiftDownTimer = 0;  // ms, shift debounce
    uint8_t sentHorn = 0, sentFlash = 0;   // the horn word and flash state last sent
    uint8_t hornSent = 0, flashSent = 0;   // 1 when that packet went in the last step
    uint8_t headlightRequest = 0;          // set by the key handler; copied into word 7, then cleared
    uint8_t indicatorRequest = 0;          // 1 off, 2 left, 3 right, 4 hazard; word 13, then cleared
    uint8_t noControl = 0;                 // steering centred, pedals and shifts 0
    // Whether the reset, pit limiter, traction control and ignition controls
    // were active in the last step (each acts on the step it becomes active).
    uint8_t resetHeld = 0, pitLimiterHeld = 0, tractionHeld = 0, ignitionHeld = 0;
    int32_t keyFlag = 1;                   // lets keyboard keys count for the shift and request controls
};

// Fills the player car's input words from the player's controls; n is the
// averaging count of the axis-driven words (1 for the simulation step).
void ReadCarControls(PlayerControlState& controls, int n);
