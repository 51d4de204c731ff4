// Temporary bodies of the built-in textures, the screens' background
// picture and the software drawing target, until they are built: nothing
// is made, and the two services that answer say so once in the log.
#include "graphics/local.h"

namespace {

// Says once in the log that the service is not built yet; answers 0.
int NotAvailable(bool& said, const char* name)
{
    if (!said)
        LogPrintf("%s : not available yet", name);
    said = true;
    return 0;
}

} // namespace

void BuildSegmentTables() {}
int CreateBuiltinTextures() { return NotAvailable(MutablePendingNotices.builtinTextures, "CreateBuiltinTextures"); }
int RestoreSpecialTextures() { return NotAvailable(MutablePendingNotices.specialTextures, "RestoreSpecialTextures"); }
void SetEntryBackground(const char*) {}
void SetSoftwareTarget(int, void*) {}
