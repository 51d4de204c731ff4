// Temporary bodies of the built-in textures, the screens' background
// picture and the software drawing target, until they are built: nothing
// is made, and the two services that answer say so once in the log.
#include "graphics/local.h"

void BuildSegmentTables() {}

int CreateBuiltinTextures()
{
    LogNotAvailableOnce(MutablePendingNotices.builtinTextures, "CreateBuiltinTextures");
    return 0;
}

int RestoreSpecialTextures()
{
    LogNotAvailableOnce(MutablePendingNotices.specialTextures, "RestoreSpecialTextures");
    return 0;
}

void SetEntryBackground(const char*) {}
void SetSoftwareTarget(int, void*) {}
