// Temporary bodies of what the program shell and the interface use of
// graphics that is not built yet: the 2D tables of wheels and tubes, the
// particles, the helmet, the replay bar and the in-race display. The
// helmet says it is not loaded; the others have nothing to do.
#include "graphics/services.h"

void BuildSegmentTables() {}
void ClearParticles() {}
int LoadHelmet()
{
    static bool noted = false;
    if (!noted)
        LogLine("LoadHelmet : the helmet is not built yet");
    noted = true;
    return 0;
}
void FreeHelmet() {}
void FreeHelmetTextures() {}
void RebuildHelmetTextures() {}
void EndReplayDrag() {}
int InRaceDisplayMode() { return 0; }
