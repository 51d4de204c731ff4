// The graphics device layer's numbers: results, formats, render and
// texture stage states, vertex format bits and creation flags, each with
// the value the drawing code stores (see platform/gfx.h).
#pragma once

#include <cstddef>
#include <cstdint>

namespace platform {

// ---------------------------------------------------------------------------
// Results.

enum class GfxResult : int {
    Ok = 0,
    DeviceLost,        // the device cannot be used until it can be reset
    DeviceNotReset,    // the device can be reset now
    InvalidCall,       // bad parameters, or not allowed now
    NotAvailable,      // the format, mode, back end or feature is not there
    OutOfVideoMemory,
    OutOfMemory,
    InvalidData,       // the data given (a file, shader text) is not valid
};

inline bool GfxSucceeded(GfxResult result) { return result == GfxResult::Ok; }
// A short name of the result, for logs ("Ok", "DeviceLost", ...).
const char* GfxResultName(GfxResult result);

// ---------------------------------------------------------------------------
// Formats (the drawing code stores and sorts these numbers).

enum GfxFormat : uint32_t {
    FmtUnknown = 0,     // ask the helper to choose (GfxCreateTexture)
    FmtR8G8B8 = 20,
    FmtA8R8G8B8 = 21,
    FmtX8R8G8B8 = 22,
    FmtR5G6B5 = 23,
    FmtX1R5G5B5 = 24,
    FmtA1R5G5B5 = 25,
    FmtA4R4G4B4 = 26,
    FmtL8 = 50,
    FmtD16Lockable = 70,
    FmtD32 = 71,
    FmtD15S1 = 73,
    FmtD24S8 = 75,
    FmtD24X8 = 77,
    FmtD24X4S4 = 79,
    FmtD16 = 80,
    FmtIndex16 = 101,
    FmtIndex32 = 102,
    FmtDxt1 = 0x31545844, // the four characters "DXT1"
    FmtDxt3 = 0x33545844, // "DXT3"
};

// Bytes per pixel of an uncompressed format (0 for the compressed and
// unknown ones); a DXT1 block of 4 x 4 pixels is 8 bytes, DXT3 16.
int GfxFormatBytesPerPixel(uint32_t format);
bool GfxFormatIsCompressed(uint32_t format);
bool GfxFormatIsDepth(uint32_t format);
// Bytes of one row of a level of the given width: pixels x bytes, or for
// DXT the bytes of one row of 4 x 4 blocks.
uint32_t GfxFormatPitch(uint32_t format, uint32_t width);
// Bytes of a whole level of that size.
uint32_t GfxFormatLevelSize(uint32_t format, uint32_t width, uint32_t height);

enum GfxPool : uint32_t {
    PoolDefault = 0,  // lost on Reset: released before and made again after
    PoolManaged = 1,  // survives Reset
    PoolSystemMem = 2,
    PoolScratch = 3,  // CPU only, any format and size
};

enum GfxUsage : uint32_t {
    UsageRenderTarget = 0x1,
    UsageDepthStencil = 0x2,
    UsageWriteOnly = 0x8,
    UsageSoftwareProcessing = 0x10,
    UsageDynamic = 0x200,
};

enum GfxLock : uint32_t {
    LockReadOnly = 0x10,
    LockNoSysLock = 0x800,
    LockNoOverwrite = 0x1000, // promise not to touch data a draw may use
    LockDiscard = 0x2000,     // the whole buffer's old content may go
};

enum GfxResourceType : uint32_t {
    ResourceSurface = 1,
    ResourceTexture = 3,
    ResourceVertexBuffer = 6,
    ResourceIndexBuffer = 7,
};

enum GfxDeviceType : uint32_t {
    DeviceHal = 1,
};

enum GfxMultiSample : uint32_t {
    MultiSampleNone = 0, // 2 to 16 are that many samples
};

// ---------------------------------------------------------------------------
// Render states (numbers 0 to 171; the state cache reads and re-sends every
// one it treats as existing, so a back end accepts them all).

enum GfxRenderState : uint32_t {
    RsZEnable = 7,            // 0 off, 1 on
    RsFillMode = 8,           // GfxFill
    RsShadeMode = 9,
    RsLinePattern = 10,
    RsZWriteEnable = 14,
    RsAlphaTestEnable = 15,
    RsLastPixel = 16,
    RsSrcBlend = 19,          // GfxBlend
    RsDestBlend = 20,         // GfxBlend
    RsCullMode = 22,          // GfxCull
    RsZFunc = 23,             // GfxCmp
    RsAlphaRef = 24,          // 0..255
    RsAlphaFunc = 25,         // GfxCmp
    RsDitherEnable = 26,
    RsAlphaBlendEnable = 27,
    RsFogEnable = 28,
    RsSpecularEnable = 29,
    RsZVisible = 30,
    RsFogColour = 34,         // 0x00RRGGBB
    RsFogTableMode = 35,      // GfxFogMode; the program leaves it FogNone
    RsFogStart = 36,          // float bits
    RsFogEnd = 37,            // float bits
    RsFogDensity = 38,        // float bits
    RsEdgeAntialias = 40,
    RsZBias = 47,
    RsRangeFogEnable = 48,
    RsStencilEnable = 52,
    RsStencilFail = 53,
    RsStencilZFail = 54,
    RsStencilPass = 55,
    RsStencilFunc = 56,
    RsStencilRef = 57,
    RsStencilMask = 58,
    RsStencilWriteMask = 59,
    RsTextureFactor = 60,     // 0xAARRGGBB
    RsWrap0 = 128,            // to RsWrap0 + 7
    RsClipping = 136,
    RsLighting = 137,         // the program always switches it off
    RsAmbient = 139,
    RsFogVertexMode = 140,    // GfxFogMode
    RsColourVertex = 141,
    RsLocalViewer = 142,
    RsNormalizeNormals = 143,
    RsDiffuseMaterialSource = 145,
    RsSpecularMaterialSource = 146,
    RsAmbientMaterialSource = 147,
    RsEmissiveMaterialSource = 148,
    RsVertexBlend = 151,
    RsClipPlaneEnable = 152,
    RsSoftwareVertexProcessing = 153,
    RsPointSize = 154,
    RsPointSizeMin = 155,
    RsPointSpriteEnable = 156,
    RsPointScaleEnable = 157,
    RsPointScaleA = 158,
    RsPointScaleB = 159,
    RsPointScaleC = 160,
    RsMultiSampleAntialias = 161,
    RsMultiSampleMask = 162,
    RsPatchEdgeStyle = 163,
    RsPatchSegments = 164,
    RsDebugMonitorToken = 165,
    RsPointSizeMax = 166,
    RsIndexedVertexBlendEnable = 167,
    RsColourWriteEnable = 168,
    RsTweenFactor = 170,
    RsBlendOp = 171,
};
constexpr uint32_t GfxRenderStateCount = 172; // numbers 0 .. 171

// Texture stage states (numbers 0 to 28; eight stages).
enum GfxStageState : uint32_t {
    TssColourOp = 1,          // GfxTextureOp
    TssColourArg1 = 2,        // GfxTextureArg
    TssColourArg2 = 3,
    TssAlphaOp = 4,
    TssAlphaArg1 = 5,
    TssAlphaArg2 = 6,
    TssBumpEnvMat00 = 7,
    TssBumpEnvMat01 = 8,
    TssBumpEnvMat10 = 9,
    TssBumpEnvMat11 = 10,
    TssTexCoordIndex = 11,    // coordinate set used by the stage
    TssAddressU = 13,         // GfxAddress
    TssAddressV = 14,
    TssBorderColour = 15,     // 0xAARRGGBB
    TssMagFilter = 16,        // GfxFilter
    TssMinFilter = 17,
    TssMipFilter = 18,
    TssMipMapLodBias = 19,    // float bits
    TssMaxMipLevel = 20,
    TssMaxAnisotropy = 21,
    TssBumpEnvLScale = 22,
    TssBumpEnvLOffset = 23,
    TssTextureTransformFlags = 24,
    TssAddressW = 25,
    TssColourArg0 = 26,
    TssAlphaArg0 = 27,
    TssResultArg = 28,
};
constexpr uint32_t GfxStageStateCount = 29; // numbers 0 .. 28
constexpr uint32_t GfxStageCount = 8;

enum GfxCmp : uint32_t {
    CmpNever = 1, CmpLess = 2, CmpEqual = 3, CmpLessEqual = 4,
    CmpGreater = 5, CmpNotEqual = 6, CmpGreaterEqual = 7, CmpAlways = 8,
};

enum GfxBlend : uint32_t {
    BlendZero = 1, BlendOne = 2, BlendSrcColour = 3, BlendInvSrcColour = 4,
    BlendSrcAlpha = 5, BlendInvSrcAlpha = 6, BlendDestAlpha = 7,
    BlendInvDestAlpha = 8, BlendDestColour = 9, BlendInvDestColour = 10,
};

enum GfxCull : uint32_t { CullNone = 1, CullCw = 2, CullCcw = 3 };

enum GfxFill : uint32_t { FillPoint = 1, FillWireframe = 2, FillSolid = 3 };

enum GfxFogMode : uint32_t { FogNone = 0, FogExp = 1, FogExp2 = 2, FogLinear = 3 };

enum GfxTextureOp : uint32_t {
    TopDisable = 1, TopSelectArg1 = 2, TopSelectArg2 = 3, TopModulate = 4,
    TopModulate2x = 5, TopModulate4x = 6, TopAdd = 7,
};

enum GfxTextureArg : uint32_t {
    TaDiffuse = 0, TaCurrent = 1, TaTexture = 2, TaTFactor = 3, TaSpecular = 4,
    TaComplement = 0x10,     // modifier: 1 - value
    TaAlphaReplicate = 0x20, // modifier: the alpha in every channel
};

enum GfxAddress : uint32_t {
    AddressWrap = 1, AddressMirror = 2, AddressClamp = 3, AddressBorder = 4,
};

enum GfxFilter : uint32_t {
    FilterNone = 0, FilterPoint = 1, FilterLinear = 2, FilterAnisotropic = 3,
};

enum GfxTransform : uint32_t {
    TransformView = 2,
    TransformProjection = 3,
    TransformTexture0 = 16, // to TransformTexture0 + 7; unused by the program
    TransformWorld = 256,
};

enum GfxPrimitive : uint32_t {
    PrimPointList = 1, PrimLineList = 2, PrimLineStrip = 3,
    PrimTriangleList = 4, PrimTriangleStrip = 5, PrimTriangleFan = 6,
};

enum GfxClearFlags : uint32_t {
    ClearTarget = 1, ClearZBuffer = 2, ClearStencil = 4,
};

// Flexible vertex format bits (see the header comment for the layout).
enum GfxFvf : uint32_t {
    FvfPositionMask = 0x00E,
    FvfXyz = 0x002,
    FvfXyzRhw = 0x004,
    FvfNormal = 0x010,
    FvfDiffuse = 0x040,
    FvfSpecular = 0x080,
    FvfTexCountMask = 0xF00,
    FvfTexCountShift = 8,
    FvfTex1 = 0x100,
    FvfTex2 = 0x200,
};
// Bytes of one vertex of the format (0 when it has no position).
uint32_t GfxFvfStride(uint32_t fvf);

// Device creation (behaviour) flags.
enum GfxCreateFlags : uint32_t {
    CreatePureDevice = 0x10,
    CreateSoftwareVertexProcessing = 0x20,
    CreateHardwareVertexProcessing = 0x40,
    CreateMixedVertexProcessing = 0x80,
};

enum GfxSwapEffect : uint32_t { SwapDiscard = 1, SwapFlip = 2, SwapCopy = 3 };

constexpr uint32_t PresentFlagLockableBackBuffer = 0x1;
constexpr uint32_t PresentIntervalDefault = 0;
constexpr uint32_t PresentIntervalOne = 1;          // wait for vertical sync
constexpr uint32_t PresentIntervalImmediate = 0x80000000;

} // namespace platform
