// The driver's knowledge made ready for a race: the racing line and pit
// line profiled for its car and skill, and the car's figures that the box
// and garage manoeuvres steer by.
#include <cmath>
#include <numbers>

#include "session/ai_driver_record.h"
#include "session/local.h"

namespace {

// The car's turning circle at full lock (m): its wheelbase over the sine of
// the set-up's steering lock; the wheelbase itself without a lock.
float TurnRadius(const CarObject& car)
{
    const int lockDegrees = car.data.setup ? car.data.setup->maxLock : 0;
    if (lockDegrees <= 0)
        return car.tuning.wheelbase;
    double sine = 0, cosine = 0;
    ComputeSinCos(double(lockDegrees) * std::numbers::pi / 180, sine, cosine);
    return float(double(car.tuning.wheelbase) / sine);
}

} // namespace

void AiSetCarFigures(AiDriver& ai, const AiRaceView& view)
{
    const CarObject& car = *ai.car;
    ai.turnRadius = TurnRadius(car);
    // The rear axle's distance from the car's centre: the point the car is
    // placed on its garage mark by.
    ai.axleOffset = std::fabs(car.tuning.axleY[0]);
    ai.pitSpeedLimit = view.pitSpeedLimit;
}

void AiPrepareKnowledge(AiDriver& ai, const AiRaceView& view)
{
    AiUpdateMainProfile(ai, view);
    if (ai.hasPitLine)
        AiUpdatePitProfile(ai);
    AiSetCarFigures(ai, view);
}

int GiveAiKnowledge(AiDriver& ai, const AiKnowledge& main, const AiKnowledge* pit, int pitEntryNode, int pitExitNode)
{
    const AiRaceView view = GatherAiRaceView();
    const Path* route = view.pathWorld.currentPath;
    if (!route || main.nodeCount <= 0 || main.nodeCount != route->nodeCount)
        return 0;
    const bool pitLineFits = pit && pit->nodeCount >= 2 && pitEntryNode >= 0 && pitEntryNode < main.nodeCount &&
                             pitExitNode >= 0 && pitExitNode < main.nodeCount;
    FreeAiKnowledge(ai);
    ai.mainKnowledge = main;
    ai.knowledgeConfig = view.configuration;
    ai.knowledgeReversed = view.reversed;
    ai.knowledgeNodes = main.nodeCount;
    ai.hasPitLine = pitLineFits ? 1 : 0;
    ai.pitEntryNode = pitLineFits ? pitEntryNode : -1;
    ai.pitExitNode = pitLineFits ? pitExitNode : -1;
    if (pitLineFits)
        ai.pitKnowledge = *pit;
    AiPrepareKnowledge(ai, view);
    return 1;
}
