// The AI drivers as the race object holds them. The AI is not built yet:
// no AI driver is ever created, so a slot's AI pointer is always null
// (ai_driver_pending.cpp).
#pragma once

struct AiDriver;

// One step of an AI driver: writes its car's input words.
// Pending: no AI driver exists; does nothing.
void UpdateAiDriver(AiDriver& ai, float dt, int isViewedCar);
// Frees an AI driver (nothing for null).
// Pending: no AI driver exists; does nothing.
void FreeAiDriver(AiDriver* ai);
