// Temporary bodies of the host console's redraw marks until the console
// window is built: there is nothing to redraw.
#include "net/local.h"

void MarkHostConsoleStatus() {}
void MarkHostConsoleConnections() {}
