// The AI drivers as the race object holds them. The AI is not built yet:
// no AI driver is ever created, so a slot's AI pointer is always null
// (ai_driver_pending.cpp).
#pragma once

struct AiDriver;
class CarObject;

// Start kinds of an AI driver's reset.
enum : int { AiStartGrid = 0, AiStartPit = 2 };
// A new AI driver for a car, with skill 0..4.
// Pending: the AI is not built; logs once and answers null, so the car
// stands without a driver.
AiDriver* CreateAiDriver(CarObject& car, int skill);
// The driver made ready for a start on the grid or in the pit lane.
// Pending: no AI driver exists; does nothing.
void ResetAiDriverForStart(AiDriver& ai, int startKind);

// One step of an AI driver: writes its car's input words.
// Pending: no AI driver exists; does nothing.
void UpdateAiDriver(AiDriver& ai, float dt, int isViewedCar);
// Frees an AI driver (nothing for null).
// Pending: no AI driver exists; does nothing.
void FreeAiDriver(AiDriver* ai);
