// The reset of the drawing resources' tables: meshes, texture load
// settings, camera, view, lighting and the free camera.
#include "graphics/local.h"

void ResetDrawingTables()
{
    FreeAllMeshes();
    TextureLoadSettings = TextureLoadSettingsRecord{};
    UseCompressedTextures = 0;
    SkinTextureCounter = 0;
    DefaultCamera = Camera{};
    CurrentCamera = &DefaultCamera;
    LightFactors = LightFactorsRecord{};
    ViewState = ViewStateRecord{};
    FreeCamera = FreeCameraRecord{};
    ColourShift = 0;
    EnvironmentFactors = EnvironmentFactorsRecord{};
    ResetLightSetup();
}
