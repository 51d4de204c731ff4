// The camera record, the default camera and the lighting factors the
// vertex lighting derives from it.
#include <cmath>

#include "graphics/local.h"

Camera DefaultCamera;
Camera* CurrentCamera = &DefaultCamera;
LightFactorsRecord LightFactors;

namespace {
// Values a new camera starts with.
constexpr int16_t StartHeading = static_cast<int16_t>(0xE800);
constexpr int16_t StartPitch = 0x0C00;
constexpr int32_t StartRange = 400 * 65536;  // 400 m
constexpr int32_t StartLightLevel = 255;
// The lighting's ambient levels run to 200, the colours to 255.
constexpr int LevelScale = 200;
} // namespace

void InitCamera(Camera& camera, const FixedVector& position, const FixedVector& back, int32_t horizontalFactor,
                int32_t followDistance, const FixedVector& lightSource)
{
    camera = Camera{};
    camera.position = position;
    camera.back = back;
    camera.horizontalFactor = horizontalFactor;
    camera.halfWidthFactor = static_cast<float>(horizontalFactor) / 65536.0f * 0.5f;
    camera.followDistance = followDistance;
    NormaliseOrUp(lightSource, camera.lightWorld);
    camera.heading = StartHeading;
    camera.pitch = StartPitch;
    camera.roll = 0;
    camera.lightColour = MutableStandardColours[7];
    for (int32_t& level : camera.lightLevels)
        level = StartLightLevel;
    camera.range = StartRange;
    CurrentCamera = &camera;
}

void InitCamera(const Vec3& position, const Vec3& direction, const ColourRecord& ground, const ColourRecord& sky)
{
    const FixedVector at{FixedFromMetres(position.x), FixedFromMetres(position.y), FixedFromMetres(position.z)};
    const FixedVector back{FixedFromMetres(direction.x), FixedFromMetres(direction.y), FixedFromMetres(direction.z)};
    // The sun stands high, a little behind the default view.
    const FixedVector sun = MakeFixedVector(32768, -65536, 131072);
    InitCamera(DefaultCamera, at, back, 65536, 10 * 65536, sun);
    DefaultCamera.ambient[0] = ground.r;
    DefaultCamera.ambient[1] = ground.g;
    DefaultCamera.ambient[2] = ground.b;
    DefaultCamera.sky[0] = sky.r;
    DefaultCamera.sky[1] = sky.g;
    DefaultCamera.sky[2] = sky.b;
}

void UpdateCameraLight()
{
    Camera& camera = *CurrentCamera;
    camera.lightColour = Settings.sunColour;
    const int64_t level = static_cast<int64_t>(std::floor(double(Settings.sunIntensity) * 65536.0 + 0.5));
    const uint8_t colour[3] = {camera.lightColour.r, camera.lightColour.g, camera.lightColour.b};
    for (int c = 0; c < 3; ++c) {
        camera.lightLevels[c] = static_cast<int32_t>((colour[c] * level) >> 16);
        camera.skyLevels[c] = camera.sky[c];
        const int ambient = camera.ambient[c] * 255 / LevelScale;
        LightFactors.ambient[c] = static_cast<uint8_t>(ambient > 255 ? 255 : ambient);
        LightFactors.skyDiff[c] = (camera.sky[c] - camera.ambient[c]) * 255 / LevelScale;
    }
}
