// Temporary body of the driver view's look state until the in-car view is
// built: the driver looks straight ahead, so no look code is ever sent.
#include "graphics/services.h"

void GetDriverLookState(float& angle, float& lowThreshold, float& highThreshold)
{
    angle = 0;
    lowThreshold = 0.5f;
    highThreshold = 1.0f;
}
