// Temporary bodies of what choosing a player's car needs from parts not
// built yet: the chosen colour file and the AI drivers' track knowledge.
// Neither is read, so the car data's own colours are used and an AI driver
// gets no knowledge set-up.
#include <cstdio>

#include "session/local.h"
#include "world/services.h"

int LoadChosenCarColours(ColourConfig&, const char*, const char*)
{
    LogNotAvailableOnce(MutableSession.colourFileNoted, "LoadChosenCarColours");
    return 0;
}

int CopyKnowledgeSetupKey(CarSetup&, const char* carCode, char (&fileName)[64])
{
    LogNotAvailableOnce(MutableSession.aiKnowledgeNoted, "CopyKnowledgeSetupKey");
    std::snprintf(fileName, sizeof fileName, "data\\knw\\%s_%s.knw", carCode, GetLoadedWorldName());
    return 0;
}
