// The null graphics back end's own controls, for tests and headless runs:
// the adapters it reports, the call record, the device state it holds and
// a lost device on demand. The device itself is used through gfx.h.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/gfx.h"
#include "platform/vs11.h"

namespace platform {

// One adapter as the null system reports it.
struct NullGfxAdapter {
    std::string description = "Quorvan null device";
    GfxDisplayMode desktop{1024, 768, 60, FmtX8R8G8B8};
    std::vector<GfxDisplayMode> modes;   // as EnumAdapterModes lists them
    GfxCaps caps;
    std::vector<uint32_t> displayFormats; // formats CheckDeviceType accepts
    std::vector<uint32_t> depthFormats;   // formats the depth checks accept
    uint32_t maxMultiSamples = 4;         // CheckDeviceMultiSampleType up to this
    bool compressedTextures = true;       // CheckDeviceFormat accepts DXT1 and DXT3 textures
};

// What the next null systems report. The default: one adapter, desktop
// 1024 x 768 X8R8G8B8 at 60 Hz; modes 640 x 480, 800 x 600, 1024 x 768 and
// 1280 x 1024 in X8R8G8B8 and R5G6B5 at 60 Hz; hardware transform and
// lighting, vs.1.1, 8 stages, 4096 texels, every addressing mode and
// blend factor, modulate-2x, windowed rendering, DXT textures; depth D16,
// D24X8, D24S8 and D32.
struct NullGfxConfig {
    std::vector<NullGfxAdapter> adapters;
    bool failCreateDevice = false;     // CreateDevice returns NotAvailable
    bool failCreateVertexShader = false; // CreateVertexShader returns InvalidCall
};
NullGfxConfig DefaultNullGfxConfig();
void SetNullGfxConfig(const NullGfxConfig& config);
// Back to DefaultNullGfxConfig, no recording, no loss injected.
void ResetNullGfx();

// ---------------------------------------------------------------------------
// Call record. Off by default (a headless run would grow it forever).

enum class GfxCallKind : uint8_t {
    CreateDevice, Reset, Present, BeginScene, EndScene, Clear,
    SetRenderTarget, CreateDepthStencilSurface, CreateRenderTarget,
    CreateTexture, CreateVertexBuffer, CreateIndexBuffer,
    SetTransform, SetViewport, SetRenderState, SetTextureStageState, SetTexture,
    SetStreamSource, SetIndices, DrawIndexedPrimitive,
    CreateVertexShader, SetVertexShader, DeleteVertexShader, SetVertexShaderConstant,
    LockVertexBuffer, LockIndexBuffer,
};

// One recorded call. args are the call's own arguments in order (objects
// as their null-device ids, 0 for none); NullGfxDescribe shows them.
struct GfxCall {
    GfxCallKind kind = GfxCallKind::Present;
    uint8_t argCount = 0;
    uint8_t valueCount = 0;
    uint32_t args[6] = {};
    float values[16] = {};     // matrices, constants, the clear depth
    GfxResult result = GfxResult::Ok;
    // What the call did wrong by the device's rules ("outside a scene",
    // "index 9 outside 0..7", "stream buffer locked"...); empty when nothing.
    std::string fault;
    // Draws: the stream-0 bytes of the vertices the draw may use (from
    // baseVertex + minIndex, numVertices x stride), its indices, the
    // shader or FVF and stride in use, and with a shader the constants.
    std::vector<uint8_t> vertexBytes;
    std::vector<uint32_t> indices;
    uint32_t vertexShader = 0;
    uint32_t stride = 0;
    std::vector<float> constants; // 96 x 4 floats, shader draws only
};

void NullGfxRecord(bool on);
const std::vector<GfxCall>& NullGfxCalls();
void NullGfxClearCalls();
// "SetRenderState 27 1", "DrawIndexedPrimitive 4 0 4 0 2", ...: the kind
// and its used arguments in decimal (transforms and constants add their
// floats).
std::string NullGfxDescribe(const GfxCall& call);
// Every recorded call of one kind, described.
std::vector<std::string> NullGfxDescribeAll(GfxCallKind kind);
// Every recorded call with a fault, described with its fault.
std::vector<std::string> NullGfxFaults();

// Runs the vertex shader of a recorded shader draw on the CPU over the
// vertices the draw's indices name, in index order. Returns false when the
// draw used no shader (or one since deleted).
bool NullGfxEvaluateDraw(const GfxCall& draw, std::vector<vs11::VertexOutputs>& outputs);

// ---------------------------------------------------------------------------
// Device state and loss.

// The state the null device holds now (its last created device).
struct NullGfxState {
    bool exists = false;
    bool inScene = false;
    GfxPresentParams params;
    uint32_t renderStates[GfxRenderStateCount] = {};
    uint32_t stageStates[GfxStageCount][GfxStageStateCount] = {};
    uint32_t textures[GfxStageCount] = {};     // ids, 0 none
    GfxMatrix world, view, projection;
    GfxViewport viewport;
    float constants[96][4] = {};
    uint32_t vertexShader = 0;                 // handle or FVF last set
    uint32_t streamBuffer = 0, streamStride = 0, indexBuffer = 0, baseVertex = 0;
    uint32_t renderTarget = 0, depthSurface = 0; // ids
    uint32_t backBuffer = 0, autoDepthSurface = 0;
    int liveDefaultPool = 0;   // default-pool resources made by the caller and alive
    int liveShaders = 0;
    int drawCount = 0;         // draws since creation
    int resetCount = 0;
};
const NullGfxState& NullGfxCurrentState();

// The id the null device gave an object (0 for null or a foreign object).
uint32_t NullGfxId(GfxObject* object);

// Makes the device lost: TestCooperativeLevel and Present answer
// DeviceLost until NullGfxAllowReset, after which TestCooperativeLevel
// answers DeviceNotReset until a Reset succeeds.
void NullGfxLoseDevice();
void NullGfxAllowReset();

} // namespace platform
