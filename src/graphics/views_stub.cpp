// Temporary body of the view services that the settings loader calls,
// until the camera and views are built: there is no custom view yet, so
// there is nothing to reset.
#include "graphics/services.h"

void SetDefaultViews() {}
