// Temporary body of the 2D drawing's start-up tables (the eight 45-degree
// steps that tubes and discs read) until tubes and discs are built: nothing
// reads them yet, so there is nothing to build.
#include "graphics/services.h"

void BuildSegmentTables() {}
