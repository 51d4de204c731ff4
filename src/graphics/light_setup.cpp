// Light setups: the light of the object being drawn, loaded into the
// vertex shaders' constants with the object's world, view and projection.
#include "graphics/local.h"
#include "platform/gfx.h"

using namespace platform;

LightSetup DefaultLightSetup;
EnvironmentFactorsRecord EnvironmentFactors;

namespace {
// The light loaded last. Lives for the whole run.
LightSetup* CurrentLight = &DefaultLightSetup;

// Shader constant registers of the light.
constexpr uint32_t ConstTransform = 0; // c0..c3
constexpr uint32_t ConstLight = 6;     // c6..c10
} // namespace

void LightSetup::LoadConstants()
{
    if (!Gfx.device)
        return;
    Matrix44 worldView, all;
    MultiplyMatrix44(worldView, Transforms.world, Transforms.viewReset ? IdentityMatrix44() : Transforms.view);
    MultiplyMatrix44(all, worldView, Transforms.projection);
    TransposeMatrix44(all);
    Gfx.device->SetVertexShaderConstant(ConstTransform, &all.m[0][0], 4);
    // The light matrix is the identity for a plain setup: the up direction
    // is world z and the sun vector stays in world space.
    float ground[4] = {skyColour[0] * groundFactors[0], skyColour[1] * groundFactors[1],
                       skyColour[2] * groundFactors[2], groundAlpha};
    float block[5][4] = {
        {sunColour[0], sunColour[1], sunColour[2], sunColour[3]},
        {0.0f, 0.0f, 1.0f, 0.0f},
        {}, {},
        {sunVector[0], sunVector[1], sunVector[2], 1.0f},
    };
    for (int c = 0; c < 4; ++c) {
        block[2][c] = (skyColour[c] + ground[c]) * 0.5f;
        block[3][c] = (skyColour[c] - ground[c]) * 0.5f;
    }
    Gfx.device->SetVertexShaderConstant(ConstLight, &block[0][0], 5);
}

void SetLightSetup(LightSetup* light)
{
    CurrentLight = light ? light : &DefaultLightSetup;
    CurrentLight->LoadConstants();
}

void ResetLightSetup() { SetLightSetup(&DefaultLightSetup); }

LightSetup* CurrentLightSetup() { return CurrentLight; }
