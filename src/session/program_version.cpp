// The program's version text, built once at start-up.
#include <cstdio>

#include "session/services.h"

char ProgramVersion[ProgramVersionSize] = {};

void FormatVersion() { std::snprintf(ProgramVersion, sizeof ProgramVersion, "%d.%d%c", 0, 5, 'Z'); }
