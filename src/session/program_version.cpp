// The program's version text, built once at start-up.
#include <cstdio>

#include "session/local.h"

void FormatVersion()
{
    std::snprintf(MutableSession.programVersion, sizeof MutableSession.programVersion, "%d.%d%c", 0, 5, 'Z');
}
