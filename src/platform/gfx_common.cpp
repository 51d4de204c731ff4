// What every graphics back end shares: result names, format sizes, vertex
// format strides and the states a new device starts with.
#include "platform/gfx.h"

#include <cstring>

namespace platform {

const char* GfxResultName(GfxResult result)
{
    switch (result) {
    case GfxResult::Ok: return "Ok";
    case GfxResult::DeviceLost: return "DeviceLost";
    case GfxResult::DeviceNotReset: return "DeviceNotReset";
    case GfxResult::InvalidCall: return "InvalidCall";
    case GfxResult::NotAvailable: return "NotAvailable";
    case GfxResult::OutOfVideoMemory: return "OutOfVideoMemory";
    case GfxResult::OutOfMemory: return "OutOfMemory";
    case GfxResult::InvalidData: return "InvalidData";
    }
    return "Unknown";
}

int GfxFormatBytesPerPixel(uint32_t format)
{
    switch (format) {
    case FmtA8R8G8B8:
    case FmtX8R8G8B8:
    case FmtD32:
    case FmtD24S8:
    case FmtD24X8:
    case FmtD24X4S4:
        return 4;
    case FmtR8G8B8:
        return 3;
    case FmtR5G6B5:
    case FmtX1R5G5B5:
    case FmtA1R5G5B5:
    case FmtA4R4G4B4:
    case FmtD16:
    case FmtD16Lockable:
    case FmtD15S1:
        return 2;
    case FmtL8:
        return 1;
    default:
        return 0;
    }
}

bool GfxFormatIsCompressed(uint32_t format) { return format == FmtDxt1 || format == FmtDxt3; }

bool GfxFormatIsDepth(uint32_t format)
{
    switch (format) {
    case FmtD16Lockable:
    case FmtD32:
    case FmtD15S1:
    case FmtD24S8:
    case FmtD24X8:
    case FmtD24X4S4:
    case FmtD16:
        return true;
    default:
        return false;
    }
}

uint32_t GfxFormatPitch(uint32_t format, uint32_t width)
{
    if (GfxFormatIsCompressed(format)) {
        uint32_t blocks = (width + 3) / 4;
        return blocks * (format == FmtDxt1 ? 8u : 16u);
    }
    return width * static_cast<uint32_t>(GfxFormatBytesPerPixel(format));
}

uint32_t GfxFormatLevelSize(uint32_t format, uint32_t width, uint32_t height)
{
    uint32_t rows = GfxFormatIsCompressed(format) ? (height + 3) / 4 : height;
    return GfxFormatPitch(format, width) * rows;
}

uint32_t GfxFvfStride(uint32_t fvf)
{
    uint32_t stride = 0;
    switch (fvf & FvfPositionMask) {
    case FvfXyz: stride = 12; break;
    case FvfXyzRhw: stride = 16; break;
    default: return 0;
    }
    if (fvf & FvfNormal)
        stride += 12;
    if (fvf & FvfDiffuse)
        stride += 4;
    if (fvf & FvfSpecular)
        stride += 4;
    stride += 8 * ((fvf & FvfTexCountMask) >> FvfTexCountShift);
    return stride;
}

uint32_t GfxElementSize(GfxElementType type)
{
    switch (type) {
    case GfxElementType::Float1: return 4;
    case GfxElementType::Float2: return 8;
    case GfxElementType::Float3: return 12;
    case GfxElementType::Float4: return 16;
    case GfxElementType::Colour: return 4;
    }
    return 0;
}

GfxMatrix GfxIdentityMatrix()
{
    GfxMatrix m;
    for (int i = 0; i < 4; ++i)
        m.m[i][i] = 1.0f;
    return m;
}

namespace {
uint32_t FloatBits(float value)
{
    uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}
} // namespace

uint32_t GfxDefaultRenderState(uint32_t state, bool hasAutoDepth)
{
    switch (state) {
    case RsZEnable: return hasAutoDepth ? 1u : 0u;
    case RsFillMode: return FillSolid;
    case RsShadeMode: return 2; // Gouraud
    case RsZWriteEnable: return 1;
    case RsLastPixel: return 1;
    case RsSrcBlend: return BlendOne;
    case RsDestBlend: return BlendZero;
    case RsCullMode: return CullCcw;
    case RsZFunc: return CmpLessEqual;
    case RsAlphaFunc: return CmpAlways;
    case RsFogEnd: return FloatBits(1.0f);
    case RsFogDensity: return FloatBits(1.0f);
    case RsStencilFail:
    case RsStencilZFail:
    case RsStencilPass: return 1; // keep
    case RsStencilFunc: return CmpAlways;
    case RsStencilMask:
    case RsStencilWriteMask: return 0xFFFFFFFFu;
    case RsTextureFactor: return 0xFFFFFFFFu;
    case RsClipping: return 1;
    case RsLighting: return 1;
    case RsColourVertex: return 1;
    case RsLocalViewer: return 1;
    case RsDiffuseMaterialSource: return 1;  // vertex colour 1
    case RsSpecularMaterialSource: return 2; // vertex colour 2
    case RsPointSize: return FloatBits(1.0f);
    case RsPointSizeMin: return FloatBits(1.0f);
    case RsPointScaleA: return FloatBits(1.0f);
    case RsMultiSampleAntialias: return 1;
    case RsMultiSampleMask: return 0xFFFFFFFFu;
    case RsPatchSegments: return FloatBits(1.0f);
    case RsPointSizeMax: return FloatBits(64.0f);
    case RsColourWriteEnable: return 0xF;
    case RsBlendOp: return 1; // add
    default: return 0;
    }
}

uint32_t GfxDefaultStageState(uint32_t stage, uint32_t type)
{
    switch (type) {
    case TssColourOp: return stage == 0 ? TopModulate : TopDisable;
    case TssColourArg1: return TaTexture;
    case TssColourArg2: return TaCurrent;
    case TssAlphaOp: return stage == 0 ? TopSelectArg1 : TopDisable;
    case TssAlphaArg1: return TaTexture;
    case TssAlphaArg2: return TaCurrent;
    case TssTexCoordIndex: return stage;
    case TssAddressU:
    case TssAddressV:
    case TssAddressW: return AddressWrap;
    case TssMagFilter:
    case TssMinFilter: return FilterPoint;
    case TssMipFilter: return FilterNone;
    case TssMaxAnisotropy: return 1;
    case TssColourArg0:
    case TssAlphaArg0:
    case TssResultArg: return TaCurrent;
    default: return 0;
    }
}

} // namespace platform
