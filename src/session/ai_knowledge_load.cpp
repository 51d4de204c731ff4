// An AI driver's knowledge of the loaded configuration: its car's file
// read, the racing line rebuilt from its keys over the AI route, the pit
// line where the route has a pit lane, and both speed profiles made for
// the driver's car and skill.
#include <cmath>
#include <cstdio>
#include <numbers>

#include "platform/files.h"
#include "session/ai_driver_record.h"
#include "session/local.h"

namespace {

// A knowledge file that cannot be read, or whose line no longer fits the
// road.
constexpr const char* CouldNotLoadText = "Could not load AI path info :";
constexpr const char* RegenerateText = "AI path info must be regenerated";
// The pit line's profile leaves this share of the grip unused.
constexpr float PitLineScale = 0.8f;
constexpr float KmhToMs = 0.2777778f;

void ShowKnowledgeMessage(const char* text, const char* fileName)
{
    char line[160];
    std::snprintf(line, sizeof line, "%s %s", text, fileName);
    GetRaceHooks().printMessage(line, 0);
}

// The driver's figures that follow from its car: the turning radius at
// full lock, the first axle's distance from the car's origin and the pit
// lane's speed limit.
void SetAiCarFigures(AiDriver& ai)
{
    const CarObject& car = *ai.car;
    const float lockRad = float(car.data.setup ? car.data.setup->maxLock : 0) * (std::numbers::pi_v<float> / 180);
    double sine = 0, cosine = 0;
    ComputeSinCos(double(lockRad), sine, cosine);
    ai.turnRadius = sine > 0 ? car.tuning.wheelbase / float(sine) : 0.0f;
    ai.axleOffset = std::fabs(car.tuning.axleY[0]);
    const int limit = CurrentWorld ? GetLowestSpeedLimit(*CurrentWorld) : 255;
    ai.pitSpeedLimit = limit > 0 && limit < 255 ? float(limit - 1) * KmhToMs : 0.0f;
}

} // namespace

int LoadAiKnowledge(AiDriver& ai)
{
    FreeAiKnowledge(ai);
    const PathWorld world = CurrentPathWorld();
    const Path* route = CurrentWorld ? CurrentWorld->racingPath : nullptr;
    if (!route || route->nodeCount <= 0 || !ai.car)
        return 0;
    ai.knowledgeConfig = world.configuration;
    ai.knowledgeReversed = world.reversed;
    ai.hasPitLine = 0;
    char fileName[KnowledgeFileNameSize];
    KnowledgeFileName(fileName, ai.car->data.shortCode);
    if (!LoadKnowledge(ai.mainKnowledge, fileName, route->nodeCount)) {
        ShowKnowledgeMessage(CouldNotLoadText, fileName);
        return 0;
    }
    const float halfWidth = ai.car->tuning.largerHalfWidth;
    PathWorld lineWorld = world;
    lineWorld.currentPath = CurrentWorld->racingPath;
    if (!BuildKnowledge(ai.mainKnowledge, *route, halfWidth, lineWorld)) {
        FreeKnowledge(ai.mainKnowledge);
        GetRaceHooks().printMessage(RegenerateText, 1);
        platform::RemoveFile(fileName);
        return 0;
    }
    if (route->secondCount > 0 && !(ai.hasPitLine = uint8_t(BuildAiPitLine(ai))))
        FreeKnowledge(ai.pitKnowledge);
    const int closed = (route->flags & PathClosedLoop) ? 1 : 0;
    ai.mainKnowledge.car = ai.car;
    ComputeCarCapability(ai.mainKnowledge);
    UpdateKnowledge(ai.mainKnowledge, 0, AiSkillFactor(ai), -1, closed, nullptr);
    if (ai.hasPitLine) {
        ai.pitKnowledge.car = ai.car;
        ComputeCarCapability(ai.pitKnowledge);
        UpdateKnowledge(ai.pitKnowledge, 0, AiSkillFactor(ai) * PitLineScale, ai.pitExitNode, 0,
                        ai.mainKnowledge.nodes.data());
    }
    SetAiCarFigures(ai);
    return 1;
}
