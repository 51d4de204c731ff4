// A car's aero points: the wings and body points where the air acts.
#include "vehicle/local.h"

void ResetAeroPoint(AeroPoint& point)
{
    point.force = {};
    point.wheelShare = {};
    point.airVelocity = {};
}

void ClearAeroPoint(AeroPoint& point)
{
    point.flags = 0;
    point.wingAngle = 0;
    point.slipstreamShare = 0;
    point.position = {};
    point.lift = point.liftFactor;
    point.drag = point.dragFactor;
}

void SetBodyAeroPoint(AeroPoint& point, const FixedVector& position)
{
    if (point.liftFactor == 0)
        return;
    point.flags |= AeroPresent;
    point.position = OffsetFromFixed(position);
    point.lift = point.liftFactor;
    point.drag = point.dragFactor;
}

void SetWingAeroPoint(AeroPoint& point, const FixedVector& position, float angleDegrees)
{
    if (point.liftFactor == 0)
        return;
    point.flags |= AeroPresent;
    const double a = angleDegrees * std::numbers::pi / 180.0;
    point.wingAngle = static_cast<float>(a);
    point.position = OffsetFromFixed(position);
    double s, c;
    ComputeSinCos(2 * a, s, c);
    point.lift = static_cast<float>((s * 1.03923 + 0.1) * point.liftFactor);
    point.drag = static_cast<float>(((1 - c) * 1.8 + 0.1) * point.dragFactor);
}

namespace {

// Shares each present aero point's downforce between the axles by its place
// along the wheelbase; downforce(point) gives the point's (positive down).
template <typename Downforce>
void SplitDownforce(const CarObject& car, float& rear, float& front, Downforce downforce)
{
    rear = front = 0;
    for (const AeroPoint& point : car.aero) {
        if (!(point.flags & AeroPresent))
            continue;
        // A car without a wheelbase shares the load evenly.
        const float x = car.tuning.wheelbase > 0 ? (point.position.y - car.tuning.axleY[0]) / car.tuning.wheelbase : 0.5f;
        rear += (1 - x) * downforce(point);
        front += x * downforce(point);
    }
}

} // namespace

void GetDownforceSplit(const CarObject& car, float& rear, float& front)
{
    SplitDownforce(car, rear, front, [](const AeroPoint& point) { return -point.force.z; });
}

void GetDownforceCoefficientSplit(const CarObject& car, float& rear, float& front)
{
    SplitDownforce(car, rear, front, [](const AeroPoint& point) { return -point.lift; });
}
