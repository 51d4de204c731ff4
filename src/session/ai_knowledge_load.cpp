// An AI driver's knowledge: its car's file for the configuration and
// direction the world is in, the racing line rebuilt over the route, the
// pit line where the route has a pit lane, and the speed profiles of both
// for the driver's skill; and the set-up key an AI car takes from its file.
#include <cstdio>

#include "session/ai_driver_record.h"
#include "session/local.h"

namespace {

// Shown when the file's line does not fit the route's road.
constexpr const char* RegenerateText = "AI path info must be regenerated";

} // namespace

void ShowKnowledgeMessage(const char* text, const char* subject)
{
    char line[160];
    std::snprintf(line, sizeof line, "%s %s", text, subject ? subject : "");
    GetRaceHooks().printMessage(line, 0);
}

int LoadAiKnowledge(AiDriver& ai, const AiRaceView& view)
{
    FreeAiKnowledge(ai);
    const Path* route = view.pathWorld.currentPath;
    if (!route || route->nodeCount <= 0 || !ai.car)
        return 0;
    ai.knowledgeConfig = view.configuration;
    ai.knowledgeReversed = view.reversed;
    ai.knowledgeNodes = route->nodeCount;
    ai.hasPitLine = 0;
    CarObject& car = *ai.car;
    char fileName[KnowledgeFileNameSize];
    KnowledgeFileNameFor(fileName, view.pathWorld.siteCode, view.configuration, view.reversed, car.data.shortCode);
    if (!LoadKnowledge(ai.mainKnowledge, fileName, route->nodeCount)) {
        ShowKnowledgeMessage(GetText(TX_3a_noaipath), fileName);
        return 0;
    }
    if (!BuildKnowledge(ai.mainKnowledge, *route, car.tuning.largerHalfWidth, view.pathWorld)) {
        // The file is kept: the program cannot make it again, and a file
        // that fits the road once the world is put right serves again.
        FreeKnowledge(ai.mainKnowledge);
        GetRaceHooks().printError(RegenerateText);
        LogPrintf("LoadAiKnowledge : the line leaves the road : %s", fileName);
        return 0;
    }
    if (route->secondCount > 0) {
        ai.hasPitLine = uint8_t(BuildAiPitLine(ai, view));
        if (!ai.hasPitLine)
            FreeKnowledge(ai.pitKnowledge);
    }
    AiPrepareKnowledge(ai, view);
    return 1;
}

int LoadAiKnowledge(AiDriver& ai) { return LoadAiKnowledge(ai, GatherAiRaceView()); }

int AiHasPitLine(const AiDriver& ai) { return ai.hasPitLine; }

int CopyKnowledgeSetupKey(CarSetup& setup, const char* carCode, char (&fileName)[KnowledgeFileNameSize])
{
    KnowledgeFileName(fileName, carCode);
    const Path* route = GetCurrentPath();
    AiKnowledge knowledge;
    if (!route || !LoadKnowledge(knowledge, fileName, route->nodeCount))
        return 0;
    CopyKnowledgeSetupKey(knowledge, setup);
    return 1;
}
