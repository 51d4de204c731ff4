// Temporary body of the knowledge line's drawing: the ribbon is drawn in the
// world batch of the scene drawing, which lies above the session and offers
// it no drawing hook yet, so nothing is drawn.
#include "session/ai_knowledge.h"

void DrawKnowledgeLine(const AiKnowledge&, int, int) {}
