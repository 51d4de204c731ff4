// Temporary body of the race setup's start of a race until the race setup
// screen is built: no screen exists, so nothing starts.
#include "ui/services.h"

void BeginSession() {}
