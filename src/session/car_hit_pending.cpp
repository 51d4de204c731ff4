// The car-hit report of a moving scenery body, until cars joining and
// leaving the session are built: no session places cars, so there is no
// car to report.
#include "session/services.h"

void ReportCarHitAt(const FixedVector&, float) {}
