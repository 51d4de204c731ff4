// Game sound until the mixer is built: no stream, nothing to render.
#include "devices/services.h"

void FeedGameSound(ObjectSet*, int) {}
