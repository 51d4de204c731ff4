// Temporary bodies of the InSim notices of the session until InSim is
// built: no outside program listens, so nothing is told.
#include "net/local.h"

void TellInSimConnectionLeft(int, int, int) {}
void TellInSimNewConnection(int) {}
void TellInSimMultiplayer(int) {}
