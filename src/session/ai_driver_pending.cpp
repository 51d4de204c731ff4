// Temporary bodies of the AI drivers that the race object calls, until the
// AI is built: no AI driver is ever created, so there is none to step or
// free.
#include "session/ai_driver.h"

#include "session/local.h"

void UpdateAiDriver(AiDriver&, float, int) {}
void FreeAiDriver(AiDriver*) {}

AiDriver* CreateAiDriver(CarObject&, int)
{
    LogNotAvailableOnce(MutableSession.aiDriverCreateNoted, "CreateAiDriver");
    return nullptr;
}

void ResetAiDriverForStart(AiDriver&, int) {}
