// Temporary bodies of the driver's pit line and the line's drawing until
// the world's pit lanes and the scene drawing exist: no driver gets a pit
// line, and nothing is drawn.
#include "session/ai_knowledge.h"
#include "session/local.h"

int BuildAiPitLine(AiDriver&)
{
    LogNotAvailableOnce(MutableSession.aiKnowledgeNoted, "BuildAiPitLine");
    return 0;
}

void DrawKnowledgeLine(const AiKnowledge&, int, int) {}
