// The camera: where the 3D scene is seen from (a 16.16 position, a unit
// vector from the looked-at point back to the eye, heading, pitch and roll
// words, the view window's projection factors and the scene's lighting
// colours), the view matrix and view layouts built from it, the side planes
// and the sphere test every drawn object goes through, the smooth mover
// that eases a value to a target, and the free camera of the layout editor
// with its ground picking.
#pragma once

#include <cstdint>

#include "core/services.h"
#include "graphics/meshes.h"

struct Camera {
    FixedVector position;          // metres, 16.16
    FixedVector back;              // length 65536, from the looked-at point to the eye
    FixedVector lightWorld;        // unit, towards the sun
    FixedVector lightCamera;       // the same in camera space (SetUpView)
    FixedVector upCamera;          // world up in camera space (SetUpView)
    int32_t horizontalFactor = 0;  // the width factor × 65536
    int32_t verticalFactor = 0;    // horizontal × view height / view width
    int32_t centreX = 0, centreY = 0; // view centre, pixels
    int32_t pixelsPerUnit = 0;     // view width × 65536 / horizontal factor
    int32_t followDistance = 0;    // 16.16
    float halfWidthFactor = 0;     // the width factor / 2
    int32_t spareWords[2] = {};    // 0 at creation
    float spareScale = 1.0f;       // 1 at creation
    int16_t heading = 0;           // 65536 per turn
    int16_t pitch = 0;
    int16_t roll = 0;
    uint8_t ambient[3] = {};       // levels 0..200
    uint8_t sky[3] = {};           // the upper hemisphere's colour
    ColourRecord lightColour;
    int32_t lightLevels[3] = {};   // light colour × sun intensity, 0..255 a channel
    int32_t skyLevels[3] = {};
    int32_t range = 0;             // 16.16, 400 m at creation
    FixedVector worldVector;       // a copy of the world's vector at creation
    // The directions of the two highlights of LightShine (the car drawing
    // sets them): the sun's reflection and the sky's.
    FixedVector highlight[2];

    bool operator==(const Camera&) const = default;
};

// Zeroes the record, fills it (light direction: the unit vector of the
// source, straight up for a zero or very short one) and makes it current.
void InitCamera(Camera& camera, const FixedVector& position, const FixedVector& back, int32_t horizontalFactor,
                int32_t followDistance, const FixedVector& lightSource);
// The default camera as start-up makes it: at a position (m) looking
// along a direction, ambient from the ground colour and sky from the sky
// colour.
void InitCamera(const Vec3& position, const Vec3& direction, const ColourRecord& ground, const ColourRecord& sky);

// The lighting factors that the vertex lighting reads, derived from the
// current camera by UpdateCameraLight. Live for the whole run.
struct LightFactorsRecord {
    uint8_t ambient[3] = {};  // ambient level × 255 / 200, at most 255
    int32_t skyDiff[3] = {};  // (sky level − ambient level) × 255 / 200

    bool operator==(const LightFactorsRecord&) const = default;
};
// The light colour and levels from "Sun Colour " and "Sun Intensity ",
// the sky levels from the sky bytes, then the factors above.
void UpdateCameraLight();

// The view built from the current camera. Lives with the frame.
struct ViewStateRecord {
    FixedTransform transform;      // rows: the camera's right, up and forward axes
    float lightCamera[3] = {};     // float copy of the camera-space light
    FixedVector planes[4];         // unit side-plane normals: left, right, bottom, top
    int32_t top = 0, bottom = 0;   // rows of the view window
    Matrix44 viewMatrix;
    int32_t orthoHeight = 0;       // 16.16 metres; 0 perspective
    int layout = 0;                // 0 whole, 1 letterbox, 2 the configured window
};

// The view transform of the current camera (the back vector must not be
// vertical), then ApplyViewLayout.
void BuildViewMatrix();
// The view matrix of the current view (BuildViewMatrix made it), for
// drawers that set another for a while and put it back.
const Matrix44& CurrentViewMatrix();
// Chooses the view rectangle of the layout and calls SetUpView.
void ApplyViewLayout();
// Viewport, projection, camera factors, side planes and view matrix of a
// view window (pixels).
void SetUpView(int left, int top, int right, int bottom, int centreX, int centreY);
// The orthographic projection of the top view, height metres.
void SetOrthoProjection(float height);
// A 16.16 world point in screen units (-1..1, y down); 1 when it is on
// screen and at least 0.25 m in front of the eye, else 0.
int ProjectToScreen(const FixedVector& point, float& x, float& y);

// Sphere test against the view's near and far limits and side planes.
constexpr int ClipOutside = 256;
constexpr int ClipNear = 1, ClipFar = 2, ClipLeft = 4, ClipRight = 8, ClipTop = 16, ClipBottom = 32;
constexpr int32_t ClipNearDistance = 16384;       // 0.25 m
constexpr int32_t ClipFarDistance = 0x20000000;   // 8192 m
// ClipOutside when the sphere (camera-space centre, radius, 16.16) lies
// wholly outside; else the planes it crosses (0 wholly inside).
int SphereClipMask(const FixedVector& centre, int32_t radius);

// A value eased to a target along a quartic: value and rate reach the
// target's with zero acceleration after the move time.
struct Mover {
    float value = 0, target = 0, rate = 0, spare = 0;
    float elapsed = 0, moveTime = 0;
    float startValue = 0, startRate = 0;
    float c1 = 0, c2 = 0, c3 = 0;

    bool operator==(const Mover&) const = default;
};
void ResetMover(Mover& mover);
void InitMover(Mover& mover, float value, float rate);
void StartMove(Mover& mover, float target, float targetRate, float time);
void StepMover(Mover& mover, float timeStep);

// The free camera of the layout editor: seven movers (back vector x, y, z,
// position x, y, z in metres, roll in radians) and the zoom. The editor
// tells it its camera mode (0, 1 top-down pitch only, 2 overhead) and
// whether the game is paused. Lives for the whole run.
enum FreeCameraMover { MoverBackX, MoverBackY, MoverBackZ, MoverX, MoverY, MoverZ, MoverRoll, FreeCameraMoverCount };
struct FreeCameraRecord {
    Mover movers[FreeCameraMoverCount];
    float zoom = 1.0f;
    int editorMode = 0;
    int paused = 0;
    float groundHeight = 0;  // metres: the editor's ground for panning

    bool operator==(const FreeCameraRecord&) const = default;
};

void CameraDirFromAngles();
void StartCameraMove();
void SmoothCamera();
void StepCameraMovers(float timeStep);
void ApplyCameraMove();
void GetCameraPosition(FixedVector& position, FixedVector& back);
void GetCameraMoveRate(Vec3& rate);
// Moves the current camera by the arrow keys for this frame's time.
void MoveFreeCamera(float speed);
// Sets the custom in-car view to its defaults (fields of view 90 and 120
// degrees). Called by the settings loader.
// Pending: no custom view yet (in_race_display_pending.cpp); does nothing.
void SetDefaultViews();
// Turns, zooms or pans the camera with the mouse.
void FreeCameraMouse(const MouseEvent& event);
// The ground point at height (m) under the mouse; 1, or 0 when the ray
// does not point down enough to meet it.
int PickGroundPointAtHeight(FixedVector& point, float height);
