// The free camera of the layout editor: heading and pitch turned by the
// mouse, the view smoothed by seven movers stepped with the simulation,
// keys that fly it over the ground, zoom, and the ground point under the
// mouse.
#include <algorithm>
#include <cmath>
#include <numbers>

#include "graphics/local.h"

FreeCameraRecord FreeCamera;

namespace {

constexpr float Pi = std::numbers::pi_v<float>;
constexpr float AngleToRadians = 2 * Pi / 65536.0f;
constexpr float RadiansToAngle = 10430.0f;
// Pitch stays within 85 degrees of level.
constexpr int PitchLimit = 15474;
// Mouse turning, angle units per pixel.
constexpr int HeadingPerPixel = 36;
constexpr int PitchPerPixel = 18;
// Zoom steps of the wheel.
constexpr float ZoomOut = 1.0625f;
constexpr float ZoomIn = 61680.0f / 65536.0f;
// Zoom needs a back vector this far from level (16.16).
constexpr int32_t ZoomLevelBand = 512;
// A pick ray must point this much downwards to meet the ground.
constexpr float PickMinDown = -0.02f;
// "Editor Soft " is held to this range of seconds.
constexpr float SoftMin = 0.1f, SoftMax = 2.5f;
// Bits of the settings the mouse reads.
constexpr int ScreenFlagInvertMouse = 16;
constexpr int EditorOptionZoomToGround = 1;
// ArrowHeldGame order.
constexpr int ArrowUp = 0, ArrowDown = 1, ArrowRight = 2, ArrowLeft = 3;

float Metres(int32_t raw) { return static_cast<float>(raw) / 65536.0f; }
int32_t Raw(float metres) { return static_cast<int32_t>(std::lround(double(metres) * 65536.0)); }

// The camera's back vector, position and roll in the movers' units.
void CameraValues(float values[FreeCameraMoverCount])
{
    const Camera& camera = *CurrentCamera;
    for (int i = 0; i < 3; ++i) {
        values[MoverBackX + i] = Metres(camera.back[i].raw);
        values[MoverX + i] = Metres(camera.position[i].raw);
    }
    values[MoverRoll] = camera.roll * AngleToRadians;
}

// The camera takes the movers' current values.
void TakeMoverValues()
{
    Camera& camera = *CurrentCamera;
    const Mover* m = FreeCamera.movers;
    FixedVector back = MakeFixedVector(Raw(m[MoverBackX].value), Raw(m[MoverBackY].value), Raw(m[MoverBackZ].value));
    NormaliseOrUp(back, camera.back);
    camera.position = MakeFixedVector(Raw(m[MoverX].value), Raw(m[MoverY].value), Raw(m[MoverZ].value));
    camera.roll = static_cast<int16_t>(std::lround(m[MoverRoll].value * RadiansToAngle));
}

// Moves the camera by metres.
void MoveCamera(float dx, float dy, float dz)
{
    FixedVector& p = CurrentCamera->position;
    p = MakeFixedVector(p.x.raw + Raw(dx), p.y.raw + Raw(dy), p.z.raw + Raw(dz));
}

// The ground point at height under a client pixel.
int PickAt(float pixelX, float pixelY, float height, FixedVector& point)
{
    const Camera& camera = *CurrentCamera;
    float w = static_cast<float>(ScreenSize.client.width), h = static_cast<float>(ScreenSize.client.height);
    if (w <= 0 || h <= 0) {
        w = static_cast<float>(DeviceWidth());
        h = static_cast<float>(DeviceHeight());
    }
    const float k = DerivedSettings.editorFovTangent;
    float ray[3] = {(pixelX - w / 2) / w * k, (h / 2 - pixelY) / w * k, 1.0f};
    const float length = std::sqrt(ray[0] * ray[0] + ray[1] * ray[1] + ray[2] * ray[2]);
    for (float& c : ray)
        c /= length;
    // The camera's axes in floats, from the back vector.
    const float bx = Metres(camera.back.x.raw), by = Metres(camera.back.y.raw), bz = Metres(camera.back.z.raw);
    const float g = std::max(std::sqrt(bx * bx + by * by), 1e-6f);
    const float right[3] = {-by / g, bx / g, 0.0f};
    const float up[3] = {-bx * bz / g, -by * bz / g, g};
    const float forward[3] = {-bx, -by, -bz};
    float world[3];
    for (int i = 0; i < 3; ++i)
        world[i] = ray[0] * right[i] + ray[1] * up[i] + ray[2] * forward[i];
    if (!(world[2] < PickMinDown))
        return 0;
    const float px = Metres(camera.position.x.raw), py = Metres(camera.position.y.raw),
                pz = Metres(camera.position.z.raw);
    const float along = (pz - height) / world[2];
    point = MakeFixedVector(Raw(px - world[0] * along), Raw(py - world[1] * along), Raw(height));
    return 1;
}

} // namespace

void CameraDirFromAngles()
{
    Camera& camera = *CurrentCamera;
    camera.followDistance = Raw(FreeCamera.zoom);
    FixedMatrix turn;
    RotationZX(turn, camera.heading, camera.pitch);
    RotateVector(turn, MakeFixedVector(0, 65536, 0), camera.back);
}

void StartCameraMove()
{
    CameraDirFromAngles();
    float values[FreeCameraMoverCount];
    CameraValues(values);
    for (int i = 0; i < FreeCameraMoverCount; ++i)
        InitMover(FreeCamera.movers[i], values[i], 0);
}

void SmoothCamera()
{
    CameraDirFromAngles();
    float values[FreeCameraMoverCount];
    CameraValues(values);
    const float soft = std::clamp(Settings.editorSoft, SoftMin, SoftMax);
    for (int i = MoverBackX; i <= MoverZ; ++i)
        StartMove(FreeCamera.movers[i], values[i], 0, soft);
    TakeMoverValues();
}

void StepCameraMovers(float timeStep)
{
    for (Mover& mover : FreeCamera.movers)
        StepMover(mover, timeStep);
}

void ApplyCameraMove() { TakeMoverValues(); }

void GetCameraPosition(FixedVector& position, FixedVector& back)
{
    if (FreeCamera.editorMode == 2 || FreeCamera.paused) {
        position = CurrentCamera->position;
        back = CurrentCamera->back;
        return;
    }
    const Mover* m = FreeCamera.movers;
    position = MakeFixedVector(Raw(m[MoverX].target), Raw(m[MoverY].target), Raw(m[MoverZ].target));
    back = MakeFixedVector(Raw(m[MoverBackX].target), Raw(m[MoverBackY].target), Raw(m[MoverBackZ].target));
}

void GetCameraMoveRate(Vec3& rate)
{
    rate = {FreeCamera.movers[MoverX].rate, FreeCamera.movers[MoverY].rate, FreeCamera.movers[MoverZ].rate};
}

void MoveFreeCamera(float speed)
{
    Camera& camera = *CurrentCamera;
    const float t = static_cast<float>(GameTime.frameStepMs) * 0.001f;
    const float height = Metres(camera.position.z.raw);
    const uint8_t* arrows = InputState.arrowHeldGame;
    const int forwardKey = arrows[ArrowUp] ? 1 : 0, backKey = arrows[ArrowDown] ? 1 : 0;
    if (InputState.ctrlHeld) {
        // Height by keys, in the overhead mode only.
        if (FreeCamera.editorMode == 2) {
            float scale = 1.0f;
            if (forwardKey)
                scale *= std::pow(4.0f, t);
            if (backKey)
                scale *= std::pow(0.25f, t);
            camera.position.z = Fixed(Raw(height * scale));
        }
        return;
    }
    const float s = t * static_cast<float>((arrows[ArrowRight] ? 1 : 0) - (arrows[ArrowLeft] ? 1 : 0));
    const float f = t * static_cast<float>(forwardKey - backKey);
    if (s == 0 && f == 0)
        return;
    if (FreeCamera.editorMode == 2)
        speed *= std::max(std::fabs(2 * height), 1.0f);
    float fx = -Metres(camera.back.x.raw), fy = -Metres(camera.back.y.raw);
    const float length = std::sqrt(fx * fx + fy * fy);
    if (length <= 0)
        return;
    fx /= length;
    fy /= length;
    // Forward along the level look direction, sideways to its right.
    MoveCamera(fx * speed * f + fy * speed * s, fy * speed * f - fx * speed * s, 0);
}

void FreeCameraMouse(const MouseEvent& event)
{
    Camera& camera = *CurrentCamera;
    const bool ctrl = InputState.ctrlHeld || (event.press & 4);
    const bool both = event.leftHeld && event.rightHeld;
    int dx = event.dx, dy = event.dy;
    if (event.rightHeld && !event.leftHeld && !ctrl) {
        if (Settings.screenFlags & ScreenFlagInvertMouse) {
            dx = -dx;
            dy = -dy;
        }
        const int lower = FreeCamera.editorMode == 1 ? 0 : -PitchLimit;
        camera.heading = static_cast<int16_t>(camera.heading + HeadingPerPixel * dx);
        camera.pitch = static_cast<int16_t>(std::clamp(camera.pitch - PitchPerPixel * dy, lower, PitchLimit));
        return;
    }
    const bool wheel = event.wheel != 0;
    if (FreeCamera.editorMode == 2 && (both || wheel) && (camera.back.z.raw < -ZoomLevelBand ||
                                                           camera.back.z.raw > ZoomLevelBand)) {
        const float h = static_cast<float>(ScreenSize.client.height > 0 ? ScreenSize.client.height : DeviceHeight());
        const float factor = event.wheel == 2 ? ZoomOut : event.wheel == 1 ? ZoomIn : (h + 3.0f * dy) / h;
        float along;
        if (!(Settings.editorOptions & EditorOptionZoomToGround)) {
            const float before = FreeCamera.zoom;
            FreeCamera.zoom *= factor;
            along = FreeCamera.zoom - before;
        } else {
            const float k = Metres(camera.position.z.raw) / Metres(camera.back.z.raw);
            along = k * factor - k;
        }
        MoveCamera(Metres(camera.back.x.raw) * along, Metres(camera.back.y.raw) * along,
                   Metres(camera.back.z.raw) * along);
        return;
    }
    const bool pan = (event.leftHeld && !event.rightHeld) || (FreeCamera.editorMode != 2 && (both || wheel));
    if (!pan)
        return;
    // The ground under the mouse follows the mouse.
    FixedVector before, now;
    const int* mouse = InputState.lastMousePixel;
    const float x = static_cast<float>(mouse[0]), y = static_cast<float>(mouse[1]);
    if (!PickAt(x - dx, y - dy, FreeCamera.groundHeight, before) || !PickAt(x, y, FreeCamera.groundHeight, now))
        return;
    camera.position += before - now;
}

int PickGroundPointAtHeight(FixedVector& point, float height)
{
    const int* mouse = InputState.lastMousePixel;
    return PickAt(static_cast<float>(mouse[0]), static_cast<float>(mouse[1]), height, point);
}
