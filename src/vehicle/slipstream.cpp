// Slipstream: how deep a following car sits in the wake of a car ahead.
#include <cmath>

#include "vehicle/local.h"

// The wake is an elliptic region along the trailing direction: its far end
// behind the leader, its near end (negative) ahead of it, its half width
// across. The follower's depth falls from 1 on the axis at the leader to 0
// at the region's edge.
float SlipstreamDepth(const CarWake& wake, const FixedVector& leaderPosition, const FixedVector& followerPosition)
{
    const Vec3& t = wake.trailing;
    if (!(std::fabs(t.z) < 0.5f))
        return 0.0f;
    Vec3 d = OffsetFromFixed(followerPosition - leaderPosition);
    float along = Dot(d, t);
    float lateral = std::fabs(d.x * t.y - d.y * t.x);
    if (!(wake.nearEnd < along && along < wake.farEnd && lateral < wake.halfWidth))
        return 0.0f;
    float s = along > 0 ? along / wake.farEnd : along / wake.nearEnd;
    float q = lateral / wake.halfWidth;
    float b = s * s + q * q;
    return b < 1.0f ? 1.0f - b : 0.0f;
}
