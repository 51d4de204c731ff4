// The camera: view and projection against an independent computation
// (numpy), the sphere test against sampled points, screen projection
// edges, view layouts, the mover against its quartic, and picking.
#include <array>
#include <cmath>
#include <fstream>
#include <random>
#include <sstream>

#include "graphics_fixture.h"
#include "support/process.h"

using namespace platform;

namespace {

// The projection's 2 x tan(fov / 2), as the settings derive it.
void SetFovTangent(float tangent)
{
    EditDerivedSettings([tangent](DerivedSettingsRecord& derived) { derived.fovTangent = tangent; });
}

class CameraTest : public GraphicsTest {
protected:
    void SetUp() override
    {
        GraphicsTest::SetUp();
        CreateDevice();
        SetFovTangent(2.0f);
    }

    // A camera at eye (m) looking along -back (any length).
    static void Place(const double eye[3], const double back[3], int roll)
    {
        const double length = std::sqrt(back[0] * back[0] + back[1] * back[1] + back[2] * back[2]);
        InitCamera(DefaultCamera, FixedVector{FixedFromMetres(eye[0]), FixedFromMetres(eye[1]), FixedFromMetres(eye[2])},
                   MakeFixedVector(int32_t(std::lround(back[0] / length * 65536)),
                                   int32_t(std::lround(back[1] / length * 65536)),
                                   int32_t(std::lround(back[2] / length * 65536))),
                   65536, 65536, MakeFixedVector(0, 0, 65536));
        DefaultCamera.roll = int16_t(roll);
    }

    // A view of width × height pixels from the origin along +y with F = 2:
    // camera x is world x, camera y world z, camera z world y.
    static void LookAlongY(int width, int height)
    {
        Gfx.width = width;
        Gfx.height = height;
        SetFovTangent(2.0f);
        const double eye[3] = {0, 0, 0}, back[3] = {0, -1, 0};
        Place(eye, back, 0);
        BuildViewMatrix();
    }
};

TEST_F(CameraTest, ViewAndProjectionMatchAnIndependentComputation)
{
    struct Case {
        double eye[3], back[3];
        int roll;
        float widthFactor;
        int width, height;
    };
    const Case cases[] = {
        {{10, 10, 3}, {10, 10, 5}, 0, 2.0f, 800, 600},
        {{0, 0, 1.2}, {0, -1, 0}, 0, 1.5f, 1024, 768},
        {{-250.5, 120.25, 40}, {-3, 1, 2}, 0, 2.747f, 640, 480},
        {{5, -7, 2}, {0.2, 0.9, -0.4}, 4096, 1.0f, 1280, 1024},
        {{1000, 2000, 15}, {1, 0, 0.05}, -9000, 3.0f, 1920, 600},
        {{0, 0, 300}, {0.1, 0.2, 1}, 0, 2.0f, 800, 800},
    };
    std::ofstream table(folder.Path() + "/cameras.txt");
    std::vector<std::vector<float>> ours;
    for (const Case& c : cases) {
        Gfx.width = c.width;
        Gfx.height = c.height;
        SetFovTangent(c.widthFactor);
        Place(c.eye, c.back, c.roll);
        BuildViewMatrix();
        const FixedVector& b = DefaultCamera.back;
        table << c.eye[0] << ' ' << c.eye[1] << ' ' << c.eye[2] << ' ' << b.x.raw / 65536.0 << ' '
              << b.y.raw / 65536.0 << ' ' << b.z.raw / 65536.0 << ' ' << c.roll << ' ' << c.widthFactor << ' '
              << c.width << ' ' << c.height << '\n';
        std::vector<float> sent;
        for (const auto& row : DeviceState().view.m)
            sent.insert(sent.end(), row, row + 4);
        for (const auto& row : DeviceState().projection.m)
            sent.insert(sent.end(), row, row + 4);
        ours.push_back(sent);
    }
    table.close();
    ProcessResult reference =
        RunProcess(QV_DEBIAN_PYTHON, {QV_SOURCE_DIR "/tests/graphics/camera_reference.py", "cameras.txt"}, folder.Path());
    ASSERT_EQ(reference.exitCode, 0) << reference.output;
    std::istringstream lines(reference.output);
    for (size_t i = 0; i < ours.size(); ++i) {
        std::string line;
        ASSERT_TRUE(std::getline(lines, line));
        std::istringstream values(line);
        for (int k = 0; k < 32; ++k) {
            double want = 0;
            values >> want;
            // 16.16 rotations hold about 5 digits; a translation of 2 km
            // carries that error times its distance.
            const double tolerance = (k >= 12 && k < 15) ? 0.05 : 2e-4;
            EXPECT_NEAR(ours[i][size_t(k)], want, tolerance * std::max(1.0, std::fabs(want) * 1e-3))
                << "camera " << i << (k < 16 ? " view " : " projection ") << k % 16;
        }
    }
}

TEST_F(CameraTest, SphereTestAgreesWithSampledPoints)
{
    // A view looking along +y from the origin; in camera space the frustum
    // is |x| <= z F / 2, |y| <= z F h / (2 w), z >= 0.25 m.
    LookAlongY(800, 600);
    const double fh = 1.0, fv = 0.75; // half-angle tangents
    // Each plane as a unit normal (x, y, z) with the inside positive.
    const double s = 1.0 / std::sqrt(1 + fh * fh), t = 1.0 / std::sqrt(1 + fv * fv);
    const double planes[5][3] = {{s, 0, fh * s}, {-s, 0, fh * s}, {0, t, fv * t}, {0, -t, fv * t}, {0, 0, 1}};
    const double offsets[5] = {0, 0, 0, 0, -0.25};
    const int bits[5] = {ClipLeft, ClipRight, ClipBottom, ClipTop, ClipNear};
    // Points evenly over a unit sphere.
    std::vector<std::array<double, 3>> sphere;
    for (int i = 0; i < 400; ++i) {
        const double z = 1 - (2 * i + 1) / 400.0, r = std::sqrt(1 - z * z), a = i * 2.39996323;
        sphere.push_back({r * std::cos(a), r * std::sin(a), z});
    }
    std::mt19937 random(12345);
    std::uniform_real_distribution<double> across(-60, 60), depth(-10, 100), size(0.05, 20);
    int checked = 0, outside = 0, inside = 0;
    for (int n = 0; n < 10000; ++n) {
        const double c[3] = {across(random), across(random) * 0.75, depth(random)}, r = size(random);
        const FixedVector centre{FixedFromMetres(c[0]), FixedFromMetres(c[1]), FixedFromMetres(c[2])};
        const int mask = SphereClipMask(centre, FixedFromMetres(r).raw);
        bool anyOutside = false, nearTangent = false;
        int wantMask = 0;
        for (int p = 0; p < 5; ++p) {
            double lowest = 1e9, highest = -1e9;
            for (const auto& q : sphere) {
                const double d = planes[p][0] * (c[0] + r * q[0]) + planes[p][1] * (c[1] + r * q[1]) +
                                 planes[p][2] * (c[2] + r * q[2]) + offsets[p];
                lowest = std::min(lowest, d);
                highest = std::max(highest, d);
            }
            // Sampling misses the sphere's extremes by a little; such
            // spheres and the 16.16 rounding near a tangent prove nothing.
            const double margin = 0.01 * r + 0.002;
            if (std::fabs(lowest) < margin || std::fabs(highest) < margin)
                nearTangent = true;
            if (highest < 0)
                anyOutside = true;
            else if (lowest < 0)
                wantMask |= bits[p];
        }
        if (nearTangent)
            continue;
        ++checked;
        if (anyOutside) {
            ++outside;
            EXPECT_EQ(mask, ClipOutside) << n;
        } else {
            inside += wantMask == 0;
            EXPECT_EQ(mask, wantMask) << n;
        }
    }
    EXPECT_GT(checked, 9000);
    EXPECT_GT(outside, 1000);
    EXPECT_GT(inside, 500);
    // The centre alone decides the far limit.
    EXPECT_EQ(SphereClipMask(MakeFixedVector(0, 0, ClipFarDistance + 65536), 100 * 65536), ClipOutside);
}

TEST_F(CameraTest, ProjectionEdgesAndLayouts)
{
    LookAlongY(800, 800);
    float x = 0, y = 0;
    // F / 2 = 1.
    EXPECT_EQ(ProjectToScreen(MakeFixedVector(-10 * 65536, 10 * 65536, 0), x, y), 1);
    EXPECT_EQ(x, -1.0f);
    EXPECT_EQ(ProjectToScreen(MakeFixedVector(10 * 65536, 10 * 65536, 0), x, y), 0);
    EXPECT_EQ(ProjectToScreen(MakeFixedVector(0, 10 * 65536, 10 * 65536), x, y), 1);
    EXPECT_EQ(y, -1.0f);
    EXPECT_EQ(ProjectToScreen(MakeFixedVector(0, 16383, 0), x, y), 0);
    EXPECT_EQ(ProjectToScreen(MakeFixedVector(0, 16384, 0), x, y), 1);

    Gfx.width = 800;
    Gfx.height = 600;
    ViewState.layout = 1;
    BuildViewMatrix();
    EXPECT_EQ(DeviceState().viewport.y, 75u);
    EXPECT_EQ(DeviceState().viewport.height, 450u);
    EXPECT_EQ(DefaultCamera.centreY, 300);
    EXPECT_EQ(DefaultCamera.centreX, 400);
    EditSettings([](SettingsRecord& settings) {
        settings.screenCx = 0.25f;
        settings.screenCy = 0.0f;
        settings.screenXmul = 0.5f;
        settings.screenYmul = 1.0f;
    });
    ViewState.layout = 2;
    BuildViewMatrix();
    EXPECT_EQ(DeviceState().viewport.x, 300u);   // 400 × 1.25 − 200
    EXPECT_EQ(DeviceState().viewport.width, 400u);
    EXPECT_EQ(DefaultCamera.centreX, 500);
}

TEST_F(CameraTest, MoverFollowsItsQuartic)
{
    struct Case {
        float value, rate, target, targetRate, time;
    };
    const Case cases[] = {{0, 0, 10, 0, 2}, {5, -3, -4, 2, 1.5f}, {100, 40, 120, -10, 0.8f}, {1, 0, 1, 5, 1}};
    for (const Case& c : cases) {
        Mover mover;
        InitMover(mover, c.value, c.rate);
        StartMove(mover, c.target, c.targetRate, c.time);
        // The quartic v0 + r0 t + a t^2 + b t^3 + d t^4 with value and rate
        // given at 0, and value, rate and zero acceleration at T, solved by
        // Cramer's rule.
        const double T = c.time, v0 = c.value, r0 = c.rate;
        const double m[3][3] = {{T * T, T * T * T, T * T * T * T}, {2 * T, 3 * T * T, 4 * T * T * T}, {2, 6 * T, 12 * T * T}};
        const double rhs[3] = {c.target - v0 - r0 * T, c.targetRate - r0, 0};
        auto det = [](const double a[3][3]) {
            return a[0][0] * (a[1][1] * a[2][2] - a[1][2] * a[2][1]) - a[0][1] * (a[1][0] * a[2][2] - a[1][2] * a[2][0]) +
                   a[0][2] * (a[1][0] * a[2][1] - a[1][1] * a[2][0]);
        };
        double k[3];
        for (int col = 0; col < 3; ++col) {
            double swapped[3][3];
            for (int r = 0; r < 3; ++r)
                for (int q = 0; q < 3; ++q)
                    swapped[r][q] = q == col ? rhs[r] : m[r][q];
            k[col] = det(swapped) / det(m);
        }
        const float dt = 0.01f;
        for (int step = 1; float(step) * dt < c.time - 0.005f; ++step) {
            StepMover(mover, dt);
            const double t = mover.elapsed;
            const double value = v0 + r0 * t + k[0] * t * t + k[1] * t * t * t + k[2] * t * t * t * t;
            const double rate = r0 + 2 * k[0] * t + 3 * k[1] * t * t + 4 * k[2] * t * t * t;
            ASSERT_NEAR(mover.value, value, 1e-5 * std::max(1.0, std::fabs(value))) << t;
            ASSERT_NEAR(mover.rate, rate, 1e-5 * std::max(1.0, std::fabs(rate))) << t;
        }
        StepMover(mover, 1.0f);
        EXPECT_EQ(mover.value, c.target);
        EXPECT_EQ(mover.rate, 0.0f);
        EXPECT_EQ(mover.elapsed, c.time);
    }
}

TEST_F(CameraTest, PickingFindsTheGroundPointUnderTheMouse)
{
    SetClientSize(1000, 700);
    EditDerivedSettings([](DerivedSettingsRecord& derived) { derived.editorFovTangent = 1.6f; });
    struct Case {
        double eye[3], back[3];
        int mouseX, mouseY;
        double ground;
    };
    const Case cases[] = {
        {{0, 0, 50}, {0, -1, 1}, 500, 350, 0},
        {{120, -40, 30}, {0.3, 0.8, 0.6}, 100, 650, 2.5},
        {{-5, 5, 10}, {-1, 0.2, 0.9}, 999, 699, -1},
    };
    for (const Case& c : cases) {
        Place(c.eye, c.back, 0);
        SetMouseAxis(0, c.mouseX, InputState.mousePosition[0]);
        SetMouseAxis(1, c.mouseY, InputState.mousePosition[1]);
        // The ray through the pixel, built in doubles from the view's axes.
        const FixedVector& b = DefaultCamera.back;
        const double bx = b.x.raw / 65536.0, by = b.y.raw / 65536.0, bz = b.z.raw / 65536.0;
        const double g = std::sqrt(bx * bx + by * by);
        const double right[3] = {-by / g, bx / g, 0}, up[3] = {-bx * bz / g, -by * bz / g, g}, fwd[3] = {-bx, -by, -bz};
        const double px = (c.mouseX - 500.0) / 1000.0 * 1.6, py = (350.0 - c.mouseY) / 1000.0 * 1.6;
        double ray[3];
        for (int i = 0; i < 3; ++i)
            ray[i] = px * right[i] + py * up[i] + fwd[i];
        const double along = (c.ground - c.eye[2]) / ray[2];
        FixedVector point;
        ASSERT_EQ(PickGroundPointAtHeight(point, float(c.ground)), 1);
        EXPECT_NEAR(point.x.raw / 65536.0, c.eye[0] + ray[0] * along, 2e-3);
        EXPECT_NEAR(point.y.raw / 65536.0, c.eye[1] + ray[1] * along, 2e-3);
        EXPECT_NEAR(point.z.raw / 65536.0, c.ground, 1e-4);
    }
    // A ray at or above the horizon meets no ground.
    const double eye[3] = {0, 0, 10}, level[3] = {0, -1, 0};
    Place(eye, level, 0);
    SetMouseAxis(1, 100, InputState.mousePosition[1]);
    FixedVector point;
    EXPECT_EQ(PickGroundPointAtHeight(point, 0), 0);
}

TEST_F(CameraTest, FreeCameraSettlesOnItsTargetAndTurnsWithTheMouse)
{
    EditSettings([](SettingsRecord& settings) { settings.editorSoft = 0.5f; });
    DefaultCamera.position = MakeFixedVector(0, 0, 10 * 65536);
    StartCameraMove();
    DefaultCamera.position = MakeFixedVector(20 * 65536, 0, 10 * 65536);
    SmoothCamera();
    EXPECT_EQ(DefaultCamera.position.x.raw, 0);  // not moved yet
    FixedVector position, back;
    GetCameraPosition(position, back);
    EXPECT_EQ(position.x.raw, 20 * 65536);       // the target
    for (int i = 0; i < 60; ++i)
        StepCameraMovers(0.01f);
    ApplyCameraMove();
    EXPECT_EQ(DefaultCamera.position.x.raw, 20 * 65536);

    FreeCamera.editorMode = 1;
    const int16_t pitch = DefaultCamera.pitch;
    MouseEvent turn;
    turn.rightHeld = 1;
    turn.dx = 10;
    turn.dy = 5000; // far past level
    const int16_t heading = DefaultCamera.heading;
    FreeCameraMouse(turn);
    EXPECT_EQ(DefaultCamera.heading, int16_t(heading + 360));
    EXPECT_EQ(DefaultCamera.pitch, 0) << "from " << pitch;
}

} // namespace
