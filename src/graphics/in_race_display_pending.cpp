// Temporary bodies of the in-race display's views, mode and replay bar
// until they are built: the driver looks straight ahead, there is no custom
// view to reset, the display is hidden and there is no replay bar to drag.
#include "graphics/services.h"

void GetDriverLookState(float& angle, float& lowThreshold, float& highThreshold)
{
    angle = 0;
    lowThreshold = 0.5f;
    highThreshold = 1.0f;
}

void SetDefaultViews() {}
int InRaceDisplayMode() { return 0; }
void EndReplayDrag() {}
