// Trackside cameras aimed at the viewed car for the television views: a
// fixed camera looks where it was set up, a following one turns to the car
// and may zoom by its distance.
#include <algorithm>
#include <cmath>

#include "world/local.h"

namespace {

// No camera zooms in further than this.
constexpr float LeastZoom = 0.05f;
// A target this close (m) gives no direction to turn to.
constexpr double LeastTargetDistance = 1.0 / 256.0;
// A following camera does not turn to a target whose drop below it is 16
// times its distance across the ground or more.
constexpr double SteepestDrop = 16.0;

// The zoom of a camera that zooms by distance: the near zoom up to the near
// distance, the far zoom from the far distance on, and a straight line
// between.
float ZoomByDistance(const CameraObject& camera, double distance)
{
    if (distance > camera.farDistance)
        return camera.farZoom;
    if (distance < camera.nearDistance)
        return camera.nearZoom;
    const double span = double(camera.farDistance) - camera.nearDistance;
    if (!(span > 0))
        return camera.farZoom;
    const double t = (distance - camera.nearDistance) / span;
    return float(camera.nearZoom + t * (double(camera.farZoom) - camera.nearZoom));
}

FixedVector CameraPlace(const CameraObject& camera)
{
    return {camera.x, camera.y, Fixed(RoundToInt32(double(camera.height) * 65536.0))};
}

Fixed UnitToFixed(double v) { return Fixed(RoundToInt32(v * 65536.0)); }

} // namespace

int AimCameraObject(const World& world, const FixedVector& target, int index, CameraAim& aim, float& zoom,
                    int& kind)
{
    if (index < 0 || index >= int(world.objects.size()) || !world.objects[size_t(index)] ||
        world.objects[size_t(index)]->GetType() != ObjectTypeCamera)
        return 0;
    const auto& camera = static_cast<const CameraObject&>(*world.objects[size_t(index)]);
    zoom = std::max(camera.farZoom, LeastZoom);
    const FixedVector place = CameraPlace(camera);
    if (camera.cameraFlags & CameraFlagFixed) {
        // The camera's own forward axis, turned by its heading and pitch;
        // the view keeps the vector back from where it looks.
        FixedMatrix turn;
        RotationZX(turn, HeadingToAngle16(camera.heading), HeadingToAngle16(camera.pitch));
        aim.position = place;
        aim.back = {-turn.m[1], -turn.m[4], -turn.m[7]};
        aim.distance = 1.0f;
        kind = 1;
        return 1;
    }
    const double dx = FixedToMetres(place.x - target.x), dy = FixedToMetres(place.y - target.y);
    const double dz = FixedToMetres(place.z - target.z);
    const double across = std::sqrt(dx * dx + dy * dy);
    const double length = std::sqrt(dx * dx + dy * dy + dz * dz);
    const bool follows = (camera.cameraFlags & (CameraFlagFollows | CameraFlagZooms)) != 0;
    if ((camera.cameraFlags & CameraFlagZooms) && !(camera.cameraFlags & CameraFlagFollows))
        zoom = std::max(ZoomByDistance(camera, length), LeastZoom);
    if (std::fabs(dz) / SteepestDrop >= across || !(length > LeastTargetDistance))
        return 0;
    aim.position = place;
    aim.back = {UnitToFixed(dx / length), UnitToFixed(dy / length), UnitToFixed(dz / length)};
    aim.distance = follows ? 1.0f : float(length);
    kind = follows ? 1 : 0;
    return 1;
}
