// Temporary body of the car state records until car states are built: a
// received position frame is logged once and ignored.
#include "net/local.h"

void OnPosFrame(const uint8_t*, int)
{
    LogNotAvailableOnce(MutableNet.posFrameNoted, "OnPosFrame");
}
