// The graphics device layer's records: matrices, viewports, lights and
// materials, capabilities, present parameters and vertex-shader
// declarations (see platform/gfx.h).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/gfx_numbers.h"

namespace platform {

// ---------------------------------------------------------------------------
// Records.

// A 4 x 4 row-major matrix for row vectors (translation in m[3]).
struct GfxMatrix {
    float m[4][4] = {};
};
GfxMatrix GfxIdentityMatrix();

struct GfxViewport {
    uint32_t x = 0, y = 0;          // top-left corner, pixels of the target
    uint32_t width = 0, height = 0; // pixels
    float minZ = 0.0f, maxZ = 1.0f;
};

struct GfxRect {
    int32_t left = 0, top = 0, right = 0, bottom = 0; // right, bottom exclusive
};

struct GfxDisplayMode {
    uint32_t width = 0, height = 0;
    uint32_t refreshRate = 0; // Hz; 0 = the adapter's default
    uint32_t format = FmtUnknown;
};

struct GfxAdapterIdentifier {
    char driver[512] = {};
    char description[512] = {}; // shown to the user and saved in the card settings
    int64_t driverVersion = 0;
    uint32_t vendorId = 0, deviceId = 0, subSysId = 0, revision = 0;
    uint8_t deviceIdentifier[16] = {};
    uint32_t whqlLevel = 0;
};

// Capability bits the program reads.
constexpr uint32_t Caps2CanRenderWindowed = 0x00080000;
constexpr uint32_t Caps2DynamicTextures = 0x20000000;
constexpr uint32_t DevCapsHwTransformAndLight = 0x00010000;
constexpr uint32_t TextureAddressCapsWrap = 0x1;
constexpr uint32_t TextureAddressCapsMirror = 0x2;
constexpr uint32_t TextureAddressCapsClamp = 0x4;
constexpr uint32_t TextureAddressCapsBorder = 0x8;
constexpr uint32_t TextureOpCapsModulate = 0x8;
constexpr uint32_t TextureOpCapsModulate2x = 0x10;
constexpr uint32_t TextureOpCapsAdd = 0x40;
// The bit of a blend factor (GfxBlend) in the source and destination blend
// caps; BlendCapsAll has every factor GfxBlend names.
constexpr uint32_t BlendCapsBit(uint32_t blend) { return 1u << (blend - 1); }
constexpr uint32_t BlendCapsAll = 0x3FF;
// Shader versions: 0xFFFE0000 | major << 8 | minor for vertex shaders,
// 0xFFFF0000 | major << 8 | minor for pixel shaders.
constexpr uint32_t VertexShaderVersion(uint32_t major, uint32_t minor)
{
    return 0xFFFE0000u | (major << 8) | minor;
}
constexpr uint32_t PixelShaderVersion(uint32_t major, uint32_t minor)
{
    return 0xFFFF0000u | (major << 8) | minor;
}

struct GfxCaps {
    uint32_t deviceType = DeviceHal;
    uint32_t adapterOrdinal = 0;
    uint32_t caps2 = 0;             // Caps2...
    uint32_t devCaps = 0;           // DevCaps...
    uint32_t textureAddressCaps = 0;
    uint32_t textureOpCaps = 0;
    uint32_t srcBlendCaps = 0;      // BlendCapsBit of each source factor the device blends with
    uint32_t destBlendCaps = 0;     // and of each destination factor
    uint32_t maxTextureWidth = 0, maxTextureHeight = 0;
    uint32_t maxTextureBlendStages = 0;
    uint32_t maxSimultaneousTextures = 0;
    uint32_t maxAnisotropy = 1;
    uint32_t vertexShaderVersion = 0;
    uint32_t maxVertexShaderConst = 0;
    uint32_t pixelShaderVersion = 0;
};

// What the window-system part of a device is made with and reset to.
using WindowHandle = void*; // the window layer's window; nullptr for the null device

struct GfxPresentParams {
    uint32_t backBufferWidth = 0, backBufferHeight = 0;
    uint32_t backBufferFormat = FmtUnknown;
    uint32_t backBufferCount = 1;
    uint32_t multiSampleType = MultiSampleNone;
    uint32_t swapEffect = SwapDiscard;
    WindowHandle deviceWindow = nullptr;
    bool windowed = true;
    bool enableAutoDepthStencil = false;
    uint32_t autoDepthStencilFormat = FmtUnknown;
    uint32_t flags = 0;                    // PresentFlag...
    uint32_t fullScreenRefreshRate = 0;    // 0 in a window
    uint32_t presentationInterval = PresentIntervalDefault;
};

struct GfxSurfaceDesc {
    uint32_t format = FmtUnknown;
    uint32_t type = ResourceSurface;
    uint32_t usage = 0;
    uint32_t pool = PoolDefault;
    uint32_t size = 0;          // bytes
    uint32_t multiSampleType = MultiSampleNone;
    uint32_t width = 0, height = 0;
};

struct GfxLockedRect {
    int32_t pitch = 0;   // bytes from one row (of pixels or DXT blocks) to the next
    void* bits = nullptr;
};

struct GfxBufferDesc {
    uint32_t format = FmtUnknown; // FmtIndex16/32 for index buffers
    uint32_t type = ResourceVertexBuffer;
    uint32_t usage = 0;
    uint32_t pool = PoolDefault;
    uint32_t size = 0;            // bytes
    uint32_t fvf = 0;             // vertex buffers
};

// One element of a vertex-shader declaration: stream 0's elements in
// order, each loaded into an input register.
enum class GfxElementType : uint8_t {
    Float1, Float2, Float3, Float4,
    Colour,   // 32-bit 0xAARRGGBB read as (r, g, b, a) in 0..1
};
struct GfxVertexElement {
    uint8_t stream = 0;
    uint8_t inputRegister = 0; // v0 .. v15
    GfxElementType type = GfxElementType::Float3;
};
// Bytes an element takes in the stream.
uint32_t GfxElementSize(GfxElementType type);

// A vertex shader as the device takes it: the assembled program (see
// vs11.h) and the declaration of its inputs.
namespace vs11 {
struct Program;
struct VertexOutputs;
}

// Values passed to SetVertexShader: even numbers are FVF codes, odd ones
// shader handles from CreateVertexShader.
inline bool GfxIsShaderHandle(uint32_t value) { return (value & 1u) != 0; }

} // namespace platform
