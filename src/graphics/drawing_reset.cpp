// The reset of the drawing resources' tables: meshes, texture load
// settings, colours, camera, view, transforms, lighting and the free camera.
#include <algorithm>
#include <iterator>

#include "graphics/local.h"

void ResetDrawingTables()
{
    FreeAllMeshes();
    MutableTextureLoadSettings = TextureLoadSettingsRecord{};
    std::fill(std::begin(MutableStandardColours), std::end(MutableStandardColours), ColourRecord{});
    ColourShift = 0;
    DefaultCamera = Camera{};
    CurrentCamera = &DefaultCamera;
    LightFactors = LightFactorsRecord{};
    ViewState = ViewStateRecord{};
    FreeCamera = FreeCameraRecord{};
    Transforms = TransformRecord{};
    EnvironmentFactors = EnvironmentFactorsRecord{};
    DefaultLightSetup = LightSetup{};
    ResetLightSetup();
}
