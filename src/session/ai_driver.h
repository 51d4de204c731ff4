// The AI drivers as the race object holds them (ai_driver_pending.cpp until
// the AI is built: no AI driver is ever created, so a slot's AI pointer is
// always null).
#pragma once

struct AiDriver;

// One step of an AI driver: writes its car's input words.
void UpdateAiDriver(AiDriver& ai, float dt, int isViewedCar);
// Frees an AI driver (nothing for null).
void FreeAiDriver(AiDriver* ai);
