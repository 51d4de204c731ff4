// The view of the current camera: its 16.16 view transform, the view
// window of the layout, the projection and viewport, the side planes, the
// Direct3D view matrix, screen projection of points and the sphere test.
#include <algorithm>
#include <cmath>

#include "graphics/local.h"
#include "platform/gfx_util.h"

ViewStateRecord ViewState;

namespace {

constexpr int32_t One = 65536;
// Projection of the perspective view: near plane 0.25 / F m, far 4160 m;
// of the top view: width factor 2, 0 to 1024 m.
constexpr float NearScale = 0.25f;
constexpr float FarPerspective = 4160.0f;
constexpr float OrthoWidthFactor = 2.0f;
constexpr float OrthoFar = 1024.0f;
// The top view's eye stands this far back along the back vector.
constexpr float OrthoEyeBack = 128.0f;
// The orthographic width of a view height: pi / 2.
constexpr float OrthoWidthScale = 1.5707950f;

int32_t Divide(int64_t a, int64_t b) { return static_cast<int32_t>(a / b); }

} // namespace

void BuildViewMatrix()
{
    const Camera& camera = *CurrentCamera;
    const int64_t bx = camera.back.x.raw, by = camera.back.y.raw, bz = camera.back.z.raw;
    const int64_t g = std::max<int32_t>(IntLength2(camera.back.x.raw, camera.back.y.raw), 1);
    FixedMatrix& m = ViewState.transform.matrix;
    SetMatrix(m, Divide(-by * One, g), Divide(bx * One, g), 0,
              Divide(-bx * bz, g), Divide(-by * bz, g), static_cast<int32_t>(g),
              static_cast<int32_t>(-bx), static_cast<int32_t>(-by), static_cast<int32_t>(-bz));
    if (camera.roll != 0) {
        FixedMatrix roll;
        RotationZ(roll, camera.roll);
        MultiplyMatrix(roll, m, m);
    }
    FixedVector t;
    RotateVector(m, camera.position, t);
    ViewState.transform.translation = -t;
    ApplyViewLayout();
}

void ApplyViewLayout()
{
    const int w = DeviceWidth(), h = DeviceHeight();
    switch (ViewState.layout) {
    case 1:
        SetUpView(0, h >> 3, w, h - (h >> 3), w / 2, h / 2);
        break;
    case 2: {
        const float k = DerivedSettings.wideScreen ? 1.0f / 3.0f : 1.0f;
        const float width = w * Settings.screenXmul;
        const float height = h * Settings.screenYmul;
        const int left = std::max(0, static_cast<int>(std::lround(w / 2.0f * (1.0f + Settings.screenCx * k) - width / 2)));
        const int top = std::max(0, static_cast<int>(std::lround(h / 2.0f * (1.0f + Settings.screenCy) - height / 2)));
        const int right = std::min(left + static_cast<int>(width), w);
        const int bottom = std::min(top + static_cast<int>(height), h);
        SetUpView(left, top, right, bottom, (left + right) / 2, (top + bottom) / 2);
        break;
    }
    default:
        SetUpView(0, 0, w, h, w / 2, h / 2);
        break;
    }
}

const Matrix44& CurrentViewMatrix() { return ViewState.viewMatrix; }

void SetUpView(int left, int top, int right, int bottom, int centreX, int centreY)
{
    const int w = std::max(right - left, 1), h = std::max(bottom - top, 1);
    ViewState.top = top;
    ViewState.bottom = bottom;
    SetViewport(left, top, w, h);
    const float f = DerivedSettings.fovTangent;
    if (ViewState.orthoHeight != 0) {
        SetProjection(OrthoWidthFactor, 0.0f, OrthoFar);
        SetOrthoProjection(static_cast<float>(ViewState.orthoHeight) / 65536.0f);
    } else {
        SetProjection(f, NearScale / f, FarPerspective);
    }
    Camera& camera = *CurrentCamera;
    camera.centreX = centreX;
    camera.centreY = centreY;
    camera.horizontalFactor = static_cast<int32_t>(f * 65536.0f);
    camera.verticalFactor = Divide(int64_t(camera.horizontalFactor) * h, w);
    camera.halfWidthFactor = f / 2;
    camera.pixelsPerUnit = camera.horizontalFactor ? Divide(int64_t(w) * One, camera.horizontalFactor) : 0;

    const FixedMatrix& r = ViewState.transform.matrix;
    RotateVector(r, camera.lightWorld, camera.lightCamera);
    ViewState.lightCamera[0] = FixedToMetres(camera.lightCamera.x);
    ViewState.lightCamera[1] = FixedToMetres(camera.lightCamera.y);
    ViewState.lightCamera[2] = FixedToMetres(camera.lightCamera.z);
    RotateVector(r, MakeFixedVector(0, 0, One), camera.upCamera);

    const int64_t fh = camera.horizontalFactor, fv = camera.verticalFactor;
    FixedVector* p = ViewState.planes;
    p[0] = MakeFixedVector(One, 0, Divide(fh * (centreX - left), w));
    p[1] = MakeFixedVector(-One, 0, Divide(fh * (right - centreX), w));
    p[2] = MakeFixedVector(0, One, Divide(fv * (bottom - centreY), h));
    p[3] = MakeFixedVector(0, -One, Divide(fv * (centreY - top), h));
    for (int i = 0; i < 4; ++i)
        NormaliseVector(p[i]);

    // The Direct3D view: the rotation transposed (rows become the axes'
    // columns), after a move of the eye to the origin.
    float eye[3] = {FixedToMetres(camera.position.x), FixedToMetres(camera.position.y),
                    FixedToMetres(camera.position.z)};
    if (ViewState.orthoHeight != 0)
        for (int i = 0; i < 3; ++i)
            eye[i] += OrthoEyeBack * FixedToMetres(camera.back[i]);
    Matrix44 v = IdentityMatrix44();
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            v.m[i][j] = FixedToMetres(r.At(j, i));
    for (int j = 0; j < 3; ++j)
        v.m[3][j] = -(eye[0] * v.m[0][j] + eye[1] * v.m[1][j] + eye[2] * v.m[2][j]);
    ViewState.viewMatrix = v;
    SetViewMatrix(v);
    ResetWorldMatrix();
}

void SetOrthoProjection(float height)
{
    const float width = height * OrthoWidthScale;
    const float aspect = Gfx.width > 0 ? static_cast<float>(Gfx.height) / static_cast<float>(Gfx.width) : 1.0f;
    Matrix44 m;
    platform::GfxMatrixOrthoLH(m, width, width * aspect, Transforms.nearZ, Transforms.farZ);
    Transforms.projection = m;
    if (Gfx.device)
        Gfx.device->SetTransform(platform::TransformProjection, m);
}

int ProjectToScreen(const FixedVector& point, float& x, float& y)
{
    FixedVector q;
    RotateVector(ViewState.transform.matrix, point - CurrentCamera->position, q);
    if (q.z.raw < ClipNearDistance)
        return 0;
    const float z = FixedToMetres(q.z) * DerivedSettings.fovTangent / 2;
    const float aspect = Gfx.height > 0 ? static_cast<float>(Gfx.width) / static_cast<float>(Gfx.height) : 1.0f;
    x = FixedToMetres(q.x) / z;
    y = -FixedToMetres(q.y) / z * aspect;
    return x >= -1.0f && x < 1.0f && y >= -1.0f && y < 1.0f ? 1 : 0;
}

int SphereClipMask(const FixedVector& c, int32_t radius)
{
    const int64_t r = radius;
    const int64_t z = c.z.raw;
    if (z + r < ClipNearDistance)
        return ClipOutside;
    int mask = z - r > ClipNearDistance ? 62 : 63;
    if (z > ClipFarDistance)
        return ClipOutside;
    mask &= ~ClipFar;
    static constexpr int PlaneBits[4] = {ClipLeft, ClipRight, ClipBottom, ClipTop};
    for (int i = 0; i < 4; ++i) {
        const FixedVector& p = ViewState.planes[i];
        const int64_t d = FixedDot3(p.x, p.y, p.z, c.x, c.y, c.z).raw;
        if (d < -r)
            return ClipOutside;
        if (d > r)
            mask &= ~PlaneBits[i];
    }
    return mask;
}
