// The deferred render-state cache, the fog switch and its colour modes,
// and the blend presets every drawing routine uses.
#include <cstring>

#include "graphics/local.h"
#include "platform/gfx.h"

using namespace platform;

StateCacheRecord StateCache;
FogStateRecord FogState;

uint32_t FloatAsState(float value)
{
    uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

bool RenderStateExists(uint32_t state)
{
    // Numbers the device does not have, or that the program never touches.
    if (state >= RenderStateCount)
        return false;
    if (state <= 6 || (state >= 11 && state <= 13) || state == 17 || state == 18 || state == 21)
        return false;
    if ((state >= 31 && state <= 33) || state == 39 || (state >= 41 && state <= 46))
        return false;
    if ((state >= 49 && state <= 51) || (state >= 61 && state <= 127))
        return false;
    return state != 138 && state != 144 && state != 149 && state != 150 && state != 169;
}

bool StageStateExists(uint32_t type)
{
    return type < StageStateCount && type != 0 && !(type >= 7 && type <= 10) && type != 12;
}

uint32_t SetRenderStateCached(uint32_t state, uint32_t value)
{
    if (state >= RenderStateCount)
        return value;
    StateEntry& entry = StateCache.render[state];
    if (entry.slot < 0) {
        if (StateCache.renderCount == StateQueueSize)
            FlushStateCache();
        entry.slot = StateCache.renderCount++;
    }
    entry.wanted = value;
    StateCache.renderQueue[entry.slot][0] = state;
    StateCache.renderQueue[entry.slot][1] = value;
    return value;
}

void SetStageStateCached(int stage, uint32_t type, uint32_t value)
{
    if (stage < 0 || stage >= TextureStageCount || type >= StageStateCount)
        return;
    StateEntry& entry = StateCache.stage[stage][type];
    if (entry.slot < 0) {
        if (StateCache.stageCount[stage] == StateQueueSize)
            FlushStateCache();
        entry.slot = StateCache.stageCount[stage]++;
    }
    entry.wanted = value;
    StateCache.stageQueue[stage][entry.slot][0] = type;
    StateCache.stageQueue[stage][entry.slot][1] = value;
}

void FlushStateCache()
{
    GfxDevice* device = Gfx.device;
    for (int i = 0; i < StateCache.renderCount; ++i) {
        uint32_t state = StateCache.renderQueue[i][0], value = StateCache.renderQueue[i][1];
        StateEntry& entry = StateCache.render[state];
        entry.slot = -1;
        if (value != entry.device) {
            if (device)
                device->SetRenderState(state, value);
            entry.device = value;
        }
    }
    StateCache.renderCount = 0;
    for (int stage = 0; stage < TextureStageCount; ++stage) {
        for (int i = 0; i < StateCache.stageCount[stage]; ++i) {
            uint32_t type = StateCache.stageQueue[stage][i][0], value = StateCache.stageQueue[stage][i][1];
            StateEntry& entry = StateCache.stage[stage][type];
            entry.slot = -1;
            if (value != entry.device) {
                if (device)
                    device->SetTextureStageState(static_cast<uint32_t>(stage), type, value);
                entry.device = value;
            }
        }
        StateCache.stageCount[stage] = 0;
    }
}

int ReadDeviceStates()
{
    if (StateCache.read)
        return -1;
    StateCacheRecord fresh;
    for (uint32_t state = 0; state < RenderStateCount; ++state) {
        if (!RenderStateExists(state))
            continue;
        uint32_t value = 0;
        if (Gfx.device)
            Gfx.device->GetRenderState(state, value);
        fresh.render[state].device = fresh.render[state].wanted = value;
    }
    for (uint32_t stage = 0; stage < TextureStageCount; ++stage) {
        for (uint32_t type = 0; type < StageStateCount; ++type) {
            if (!StageStateExists(type))
                continue;
            uint32_t value = 0;
            if (Gfx.device)
                Gfx.device->GetTextureStageState(stage, type, value);
            fresh.stage[stage][type].device = fresh.stage[stage][type].wanted = value;
        }
    }
    fresh.read = true;
    fresh.deviceReset = StateCache.deviceReset;
    StateCache = fresh;
    return 0;
}

int CloseStateCache()
{
    if (!StateCache.read)
        return -1;
    FlushStateCache();
    StateCache.read = false;
    return 0;
}

void ReapplyStates()
{
    StateCache.deviceReset = true;
    GfxDevice* device = Gfx.device;
    for (uint32_t state = 0; state < RenderStateCount; ++state) {
        StateEntry& entry = StateCache.render[state];
        entry.slot = -1;
        if (!RenderStateExists(state))
            continue;
        if (device)
            device->SetRenderState(state, entry.wanted);
        entry.device = entry.wanted;
    }
    for (uint32_t stage = 0; stage < TextureStageCount; ++stage) {
        for (uint32_t type = 0; type < StageStateCount; ++type) {
            StateEntry& entry = StateCache.stage[stage][type];
            entry.slot = -1;
            if (!StageStateExists(type))
                continue;
            if (device)
                device->SetTextureStageState(stage, type, entry.wanted);
            entry.device = entry.wanted;
        }
        StateCache.stageCount[stage] = 0;
    }
    StateCache.renderCount = 0;
}

int TakeDeviceResetFlag()
{
    int flag = StateCache.deviceReset ? 1 : 0;
    StateCache.deviceReset = false;
    return flag;
}

void SetFogEnabled(int on)
{
    FogState.on = on;
    SetFogColourMode(FogState.mode);
}

void SetFogColourMode(int mode)
{
    FogState.mode = mode;
    if (!FogState.on || mode == 0) {
        SetRenderStateCached(RsFogEnable, 0);
        return;
    }
    SetRenderStateCached(RsFogEnable, 1);
    switch (mode) {
    case 1: SetRenderStateCached(RsFogColour, FogState.colour); break;
    case 2: SetRenderStateCached(RsFogColour, (FogState.colour >> 1) & 0x7F7F7F); break;
    case 3: SetRenderStateCached(RsFogColour, 0x000000); break;
    case 4: SetRenderStateCached(RsFogColour, 0xFFFFFF); break;
    case 5: SetRenderStateCached(RsFogColour, 0x808080); break;
    default: break;
    }
}

void SetFogRange(uint32_t colour, float start, float end)
{
    FogState.colour = colour;
    float range = end - start;
    float factor[4] = {-1.0f / range, end / range, 0.5f, 0.0f};
    if (Gfx.device)
        Gfx.device->SetVertexShaderConstant(90, factor, 1);
    SetRenderStateCached(RsFogVertexMode, FogLinear);
    SetRenderStateCached(RsFogStart, FloatAsState(start));
    SetRenderStateCached(RsFogEnd, FloatAsState(end));
    SetFogColourMode(FogState.mode);
}

void SetBlendMode(int mode, int zWrite, int zTest, int flush)
{
    SetRenderStateCached(RsZWriteEnable, zWrite ? 1 : 0);
    SetRenderStateCached(RsZFunc, zTest ? CmpLessEqual : CmpAlways);
    SetRenderStateCached(RsAlphaBlendEnable, mode != 0 ? 1 : 0);
    if (mode == 0 || mode == 1) {
        SetRenderStateCached(RsSrcBlend, BlendSrcAlpha);
        SetRenderStateCached(RsDestBlend, BlendInvSrcAlpha);
        if (Gfx.fogFlag)
            SetFogColourMode(1);
    } else if (mode == 2) {
        SetRenderStateCached(RsSrcBlend, BlendSrcAlpha);
        SetRenderStateCached(RsDestBlend, BlendOne);
        if (Gfx.fogFlag)
            SetFogColourMode(3);
    }
    if (flush)
        FlushStateCache();
}
