// Temporary bodies of the replay's time scale, until replay viewing is
// built: a race-control packet that asks for a slower or faster replay
// changes nothing.
#include "session/local.h"

void HalveReplaySpeed() {}
void DoubleReplaySpeed() {}
