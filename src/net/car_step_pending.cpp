// Temporary body of the run-state word that the car step reads, until the
// state checks are built: nothing holds the race messages.
#include "net/services.h"

int NetworkHold = 0;
