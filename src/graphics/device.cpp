// The one graphics device: set-up on the chosen adapter and mode with the
// program's default states, display-mode changes, surviving a lost device
// by releasing and recreating the default-pool resources, the scene
// bracket and present.
#include <algorithm>
#include <bit>

#include "core/services.h"
#include "graphics/local.h"
#include "platform/clock.h"
#include "platform/gfx.h"

using namespace platform;

DeviceRecord Gfx;
GfxSystemMaker MakeGfxSystem = platform::CreateNullGfxSystem;

namespace {

// 2 x tan(45 degrees) as the program has always stored it.
const float DefaultWidthFactor = std::bit_cast<float>(0x3FC90FD0u);

int CreateDeviceSystem()
{
    Gfx.system = MakeGfxSystem();
    return Gfx.system ? 0 : -1;
}

void ReleaseDeviceSystem()
{
    if (Gfx.system)
        Gfx.system->Release();
    Gfx.system = nullptr;
}

DisplayModeRecord* CurrentModeRecord()
{
    AdapterRecord* adapter = GetCurrentAdapter();
    if (adapter->modeCount == 0)
        return nullptr;
    adapter->currentMode = std::clamp(adapter->currentMode, 0, adapter->modeCount - 1);
    return &adapter->modes[adapter->currentMode];
}

void FetchBackBufferSurfaces()
{
    if (!Gfx.device)
        return;
    if (!GfxSucceeded(Gfx.device->GetBackBuffer(0, &Gfx.backBufferSurface)))
        Gfx.backBufferSurface = nullptr;
    if (!GfxSucceeded(Gfx.device->GetDepthStencilSurface(&Gfx.backDepthSurface)))
        Gfx.backDepthSurface = nullptr;
    Gfx.textureTarget = nullptr;
}

void ReleaseBackBufferSurfaces()
{
    if (Gfx.backBufferSurface)
        Gfx.backBufferSurface->Release();
    if (Gfx.backDepthSurface)
        Gfx.backDepthSurface->Release();
    Gfx.backBufferSurface = Gfx.backDepthSurface = nullptr;
}

// The states every new device is given, in the order they are queued.
void QueueDefaultStates()
{
    uint32_t lodBias = FloatAsState(Settings.mip0);
    SetStageStateCached(0, TssMipMapLodBias, lodBias);
    SetStageStateCached(1, TssMipMapLodBias, lodBias);
    static constexpr uint32_t States[][2] = {
        {RsSpecularEnable, 0}, {RsCullMode, CullCcw}, {RsZFunc, CmpLessEqual}, {RsLighting, 0},
        {RsStencilEnable, 0}, {RsClipping, 1}, {RsEdgeAntialias, 0}, {RsClipPlaneEnable, 0},
        {RsVertexBlend, 0}, {RsIndexedVertexBlendEnable, 0}, {RsFogEnable, 0}, {RsLighting, 0},
        {RsAlphaBlendEnable, 0}, {RsSrcBlend, BlendSrcAlpha}, {RsDestBlend, BlendInvSrcAlpha},
        {RsAlphaTestEnable, 0}, {RsAlphaRef, 128}, {RsAlphaFunc, CmpGreaterEqual}, {RsFillMode, FillSolid},
        {RsZEnable, 1}, {RsStencilEnable, 0}, {RsClipping, 1}, {RsEdgeAntialias, 0}, {RsClipPlaneEnable, 0},
        {RsVertexBlend, 0}, {RsIndexedVertexBlendEnable, 0}, {RsFogEnable, 0}, {RsDitherEnable, 1},
        {RsTextureFactor, 0xFFFFFFFFu},
    };
    for (const auto& state : States)
        SetRenderStateCached(state[0], state[1]);
    if (Gfx.fogFlag)
        SetFogColourMode(1);
    SetStageStateCached(0, TssColourOp, TopModulate);
    SetStageStateCached(0, TssColourArg1, TaTexture);
    SetStageStateCached(0, TssColourArg2, TaDiffuse);
    SetStageStateCached(0, TssAlphaOp, TopModulate);
    SetStageStateCached(0, TssAlphaArg1, TaTexture);
    SetStageStateCached(0, TssAlphaArg2, TaDiffuse);
    for (int stage = 0; stage < 4; ++stage) {
        SetStageStateCached(stage, TssMinFilter, FilterLinear);
        SetStageStateCached(stage, TssMagFilter, FilterLinear);
        SetStageStateCached(stage, TssMipFilter, FilterPoint);
        SetStageStateCached(stage, TssTexCoordIndex, static_cast<uint32_t>(stage));
        if (stage > 0) {
            SetStageStateCached(stage, TssColourOp, TopDisable);
            SetStageStateCached(stage, TssAlphaOp, TopDisable);
        }
    }
    FlushStateCache();
}

void ResetWithPresentParams()
{
    ReleaseDefaultPoolResources();
    FillPresentParams(Gfx.lockableBackBuffer);
    Gfx.device->Reset(Gfx.presentParams); // a failure shows again on the next test
    RecreateDefaultPoolResources();
}

} // namespace

void SetGraphicsBackEnd(GfxSystemMaker make) { MakeGfxSystem = make; }

void SetDisplaySettings(int width, int height, int windowed, int multisampleType)
{
    Gfx.width = width;
    Gfx.height = height;
    Gfx.windowed = windowed;
    Gfx.multisampleType = multisampleType;
}

int PreInitDirect3D(int hardwareVertexProcessingAllowed, int depthClass, int fogFlag, int verticalSync,
                    int adapterIndex)
{
    if (Gfx.state != 0)
        return 0;
    if (CreateDeviceSystem() != 0)
        return -1;
    Gfx.hardwareVertexProcessing = hardwareVertexProcessingAllowed;
    Gfx.depthClass = depthClass;
    Gfx.fogFlag = fogFlag;
    FogState.on = fogFlag;
    Gfx.verticalSync = verticalSync;
    for (bool& available : Gfx.depthClassAvailable)
        available = false;
    Gfx.width = 800;
    Gfx.height = 600;
    Gfx.windowed = 1;
    if (!EnumerateAdapters(adapterIndex)) {
        ReleaseDeviceSystem();
        return -2;
    }
    BuildBitRunTables();
    Gfx.state = 1;
    return 0;
}

int SettledDepthClass() { return Gfx.depthClass; }

bool HardwareVertexProcessingInUse() { return Gfx.hardwareVertexProcessing != 0; }

void FillPresentParams(int lockableBackBuffer)
{
    Gfx.lockableBackBuffer = lockableBackBuffer;
    GfxPresentParams params;
    AdapterRecord* adapter = GetCurrentAdapter();
    DisplayModeRecord* mode = CurrentModeRecord();
    params.backBufferWidth = static_cast<uint32_t>(std::max(8, Gfx.width));
    params.backBufferHeight = static_cast<uint32_t>(std::max(8, Gfx.height));
    params.backBufferFormat = Gfx.windowed || !mode ? adapter->desktopFormat : mode->format;
    Gfx.backBufferFormat = params.backBufferFormat;
    Gfx.formatChanged = 1;
    params.backBufferCount = 1;
    params.swapEffect = SwapDiscard;
    params.deviceWindow = Gfx.window;
    params.windowed = Gfx.windowed != 0;
    params.enableAutoDepthStencil = true;
    params.autoDepthStencilFormat = mode ? mode->depthFormat : FmtD16;
    params.flags = lockableBackBuffer ? PresentFlagLockableBackBuffer : 0;
    params.multiSampleType = MultiSampleNone;
    if (Gfx.multisampleType > 1 && Gfx.system &&
        GfxSucceeded(Gfx.system->CheckDeviceMultiSampleType(adapter->ordinal, DeviceHal, params.backBufferFormat,
                                                            params.windowed,
                                                            static_cast<uint32_t>(Gfx.multisampleType))))
        params.multiSampleType = static_cast<uint32_t>(Gfx.multisampleType);
    if (!Gfx.windowed) {
        params.backBufferCount = Gfx.verticalSync ? 2 : 1;
        params.presentationInterval = Gfx.verticalSync ? PresentIntervalOne : PresentIntervalImmediate;
        params.fullScreenRefreshRate = mode ? mode->refreshRate : 0;
    }
    Gfx.presentParams = params;
}

void SetStandardShaderConstants()
{
    if (!Gfx.device)
        return;
    static constexpr float Half[4] = {0.5f, 0.5f, 0.5f, 1.0f};
    static constexpr float Zero[4] = {0.0f, 0.0f, 0.0f, 0.0f};
    static constexpr float One[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    Gfx.device->SetVertexShaderConstant(93, Half, 1);
    Gfx.device->SetVertexShaderConstant(95, Zero, 1);
    Gfx.device->SetVertexShaderConstant(92, One, 1);
}

int CreateRenderDevice(void* window, int lockableBackBuffer, int modeIndex)
{
    if (Gfx.state == 2)
        return 0;
    if (Gfx.state == 0) {
        if (CreateDeviceSystem() != 0)
            return -1;
        // A device needs the adapter table; without pre-initialisation the
        // first adapter is enumerated here.
        if (MutableAdapterTable.count == 0 && !EnumerateAdapters(0)) {
            ReleaseDeviceSystem();
            return -1;
        }
        BuildBitRunTables();
        Gfx.state = 1;
    }
    Gfx.window = window;
    AdapterRecord* adapter = GetCurrentAdapter();
    if (modeIndex != -1)
        adapter->currentMode = std::clamp(modeIndex, 0, std::max(0, adapter->modeCount - 1));
    FillPresentParams(lockableBackBuffer);
    DisplayModeRecord* mode = CurrentModeRecord();
    uint32_t behaviour = mode ? mode->behaviourFlags : CreateSoftwareVertexProcessing;
    GfxDevice* device = nullptr;
    if (!GfxSucceeded(Gfx.system->CreateDevice(adapter->ordinal, DeviceHal, window, behaviour, Gfx.presentParams,
                                               &device))) {
        LogLine("Can't Create Device");
        ReleaseDeviceSystem();
        FreeAdapterTable();
        Gfx.state = 0;
        return -1;
    }
    Gfx.device = device;
    FetchBackBufferSurfaces();
    device->GetDeviceCaps(Gfx.caps);
    Gfx.pixelShaderMajor = static_cast<int>((Gfx.caps.pixelShaderVersion >> 8) & 0xFF);
    Gfx.pixelShaderMinor = static_cast<int>(Gfx.caps.pixelShaderVersion & 0xFF);
    Gfx.vertexShaderMajor = static_cast<int>((Gfx.caps.vertexShaderVersion >> 8) & 0xFF);
    Gfx.vertexShaderMinor = static_cast<int>(Gfx.caps.vertexShaderVersion & 0xFF);

    ReadDeviceStates();
    QueueDefaultStates();
    SetStandardShaderConstants();

    Gfx.inScene = false;
    InitTextureRegistry();
    InitMaterials();
    SetProjection(DefaultWidthFactor, 10.0f, 1000.0f);
    ResetWorldMatrix();
    SetViewport(0, 0, 0, 0);
    CreateBatchBuffers();
    Gfx.state = 2;
    return 0;
}

void ShutdownDirect3D()
{
    if (Gfx.state == 0)
        return;
    FreeAdapterTable();
    if (Gfx.device) {
        FreeAllGraphics(0);
        EndDeviceScene();
        EndRenderToTexture();
        FreeAllMeshes();
        FreeAllMaterials(0);
        FreeAllTextures(0);
        FreeAllVertexBuffers();
        FreeAllIndexBuffers();
        ReleaseDepthSurfaces();
        DeleteVertexShaders();
        CloseStateCache();
        ReleaseBackBufferSurfaces();
        Gfx.device->Release();
        Gfx.device = nullptr;
    }
    ReleaseDeviceSystem();
    Gfx.state = 0;
}

void ChangeDisplayMode(int width, int height, int modeIndex, int windowed, int multisampleType)
{
    bool unchanged = width == Gfx.width && height == Gfx.height && windowed == Gfx.windowed &&
                     multisampleType == Gfx.multisampleType;
    if (!Gfx.device) {
        SetDisplaySettings(width, height, windowed, multisampleType);
        return;
    }
    AdapterRecord* adapter = GetCurrentAdapter();
    if (modeIndex == -1) {
        if (unchanged)
            return;
    } else if (modeIndex != adapter->currentMode) {
        adapter->currentMode = std::clamp(modeIndex, 0, std::max(0, adapter->modeCount - 1));
    } else if (unchanged) {
        return;
    }
    ReleaseDefaultPoolResources();
    SetDisplaySettings(width, height, windowed, multisampleType);
    FillPresentParams(Gfx.lockableBackBuffer);
    Gfx.device->Reset(Gfx.presentParams); // a failure shows again on the next test
    RecreateDefaultPoolResources();
    SetViewport(0, 0, 0, 0);
}

void ResetDevice()
{
    if (!Gfx.device)
        return;
    ResetWithPresentParams();
    SetViewport(0, 0, 0, 0);
}

bool TestDeviceState()
{
    if (!Gfx.device)
        return false;
    switch (Gfx.device->TestCooperativeLevel()) {
    case GfxResult::Ok:
        return true;
    case GfxResult::DeviceLost:
        SleepMs(50);
        return false;
    case GfxResult::DeviceNotReset:
        ResetWithPresentParams();
        return false;
    default:
        return false;
    }
}

void ReleaseDefaultPoolResources()
{
    EndDeviceScene();
    EndRenderToTexture();
    ReleaseBackBufferSurfaces();
    ReleaseDepthSurfaces();
    ReleaseDynamicBuffers();
    ReleaseRenderTargets();
    DeleteVertexShaders();
}

void RecreateDefaultPoolResources()
{
    ReapplyStates();
    RecreateDynamicBuffers();
    RecreateRenderTargets();
    VertexShaderTable.lastSet = NoShaderSet;
    CurrentMaterial = nullptr;
    SetStandardShaderConstants();
    ResetWorldMatrix();
    if (Gfx.device) {
        Gfx.device->Clear(0, nullptr, platform::ClearTarget | platform::ClearZBuffer, 0, 1.0f, 0);
        Gfx.device->Present();
    }
    FetchBackBufferSurfaces();
}

void BeginDeviceScene()
{
    if (Gfx.inScene || !Gfx.device)
        return;
    Gfx.device->BeginScene();
    Gfx.inScene = true;
    SetStageTexture(0, nullptr);
    SetStageTexture(1, nullptr);
    ResetStageSetup();
    BindMaterialForDrawing(DefaultMaterial);
    ResetWorldMatrix();
    ResetLightSetup();
}

void EndDeviceScene()
{
    if (!Gfx.inScene)
        return;
    FlushBatches();
    FlushStateCache();
    if (Gfx.device)
        Gfx.device->EndScene();
    Gfx.inScene = false;
}

void PresentBackBuffer()
{
    if (Gfx.inScene)
        EndDeviceScene();
    if (Gfx.device)
        Gfx.device->Present();
}

void ClearTarget(uint32_t colour, int flags)
{
    if (!Gfx.device)
        return;
    uint32_t clear = ((flags & 1) ? platform::ClearTarget : 0u) | ((flags & 2) ? platform::ClearZBuffer : 0u);
    if (clear)
        Gfx.device->Clear(0, nullptr, clear, colour, 1.0f, 0);
}

void FreeAllGraphics(int recreateBatches)
{
    EndDeviceScene();
    EndRenderToTexture();
    FreeBatchBuffers();
    FreeAllMeshes();
    FreeAllMaterials(recreateBatches);
    FreeAllTextures(recreateBatches);
    FreeAllVertexBuffers();
    FreeAllIndexBuffers();
    ReleaseDepthSurfaces();
    if (recreateBatches)
        CreateBatchBuffers();
}

bool DeviceExists() { return Gfx.device != nullptr; }
int DeviceWidth() { return Gfx.width; }
int DeviceHeight() { return Gfx.height; }
int DeviceWindowed() { return Gfx.windowed; }
int DeviceMultisampleType() { return Gfx.multisampleType; }
uint32_t DeviceBackBufferFormat() { return Gfx.backBufferFormat; }

const GfxCaps* DeviceCaps() { return Gfx.device ? &Gfx.caps : nullptr; }

bool DeviceTextureFormatUsable(uint32_t format)
{
    if (!Gfx.device || !Gfx.system)
        return false;
    AdapterRecord* adapter = GetCurrentAdapter();
    return GfxSucceeded(Gfx.system->CheckDeviceFormat(adapter->ordinal, DeviceHal, Gfx.backBufferFormat, 0,
                                                      ResourceTexture, format));
}

int TakeBackBufferFormatChanged()
{
    int changed = Gfx.formatChanged;
    Gfx.formatChanged = 0;
    return changed;
}
