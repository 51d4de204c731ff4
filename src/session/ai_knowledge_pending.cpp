// Temporary bodies of the driver's knowledge, its pit line and the line's
// drawing until the AI driver's record and the scene drawing exist: no
// driver gets knowledge or a pit line, and nothing is drawn.
#include "session/ai_knowledge.h"
#include "session/local.h"

int LoadAiKnowledge(AiDriver&)
{
    LogNotAvailableOnce(MutableSession.aiKnowledgeNoted, "LoadAiKnowledge");
    return 0;
}

int BuildAiPitLine(AiDriver&)
{
    LogNotAvailableOnce(MutableSession.aiKnowledgeNoted, "BuildAiPitLine");
    return 0;
}

void DrawKnowledgeLine(const AiKnowledge&, int, int) {}
