// The ground under a point, as the cars' placement asks the race for it:
// the loaded world's point query straight down.
#include "session/services.h"
#include "world/services.h"

namespace {

// The short probe reaches this far above and below the point.
constexpr int32_t ShortProbeReach = 2 << 16;
// The long probe is one vertical line through the whole height of any
// site, from 60 m down to -20 m, wherever the point stands.
constexpr int32_t LongProbeBottom = -(20 << 16);
constexpr int32_t LongProbeLength = 80 << 16;

} // namespace

Fixed GetGroundHeight(Fixed x, Fixed y, Fixed z, int longProbe)
{
    if (CurrentWorld == nullptr)
        return Fixed(0);
    // The point query looks along the segment that ends at the position and
    // starts one direction before it.
    ContactQueryRecord hit;
    if (longProbe) {
        hit.queryPosition = {x, y, Fixed(LongProbeBottom)};
        hit.queryDirection = MakeFixedVector(0, 0, -LongProbeLength);
    } else {
        hit.queryPosition = {x, y, z - Fixed(ShortProbeReach)};
        hit.queryDirection = MakeFixedVector(0, 0, -2 * ShortProbeReach);
    }
    if (!WorldPointQuery(*CurrentWorld, hit.queryPosition, hit.queryDirection, hit))
        return Fixed(0);
    return hit.hitPosition.z;
}
