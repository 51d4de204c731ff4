// The texture registry: named texture records, the default texture, the
// per-stage binding cache, the small lockable surfaces, and the render
// targets released and made again around a device reset. Loading textures
// from files joins this registry with the texture files.
#include <cstdio>
#include <cstring>
#include <strings.h>

#include "core/services.h"
#include "graphics/local.h"
#include "platform/gfx.h"
#include "platform/gfx_util.h"

using namespace platform;

std::map<std::string, TextureRecord*, CaseInsensitiveLess> TextureRegistry;
TextureRecord* MutableDefaultTexture = nullptr;
TextureRecord* const& DefaultTexture = MutableDefaultTexture;
TextureStageRecord TextureStages;

// Skin texture numbers run from 1 to 65534 and then start again.
constexpr uint16_t LastSkinTextureId = 65534;

bool CaseInsensitiveLess::operator()(const std::string& a, const std::string& b) const
{
    return strcasecmp(a.c_str(), b.c_str()) < 0;
}

float LodBiasSetting(int lodIndex)
{
    switch (lodIndex) {
    case 1: return Settings.mip1;
    case 2: return Settings.mip2;
    case 3: return Settings.mip3;
    default: return Settings.mip0;
    }
}

namespace {

void CreateBlockSurfaces()
{
    for (int i = 0; i < BlockSurfaceCount; ++i) {
        if (TextureStages.blockSurfaces[i] || !Gfx.device)
            continue;
        if (!GfxSucceeded(Gfx.device->CreateRenderTarget(2, 2, FmtR5G6B5, MultiSampleNone, true, &TextureStages.blockSurfaces[i]))) {
            TextureStages.blockSurfaces[i] = nullptr;
            LogPrintf("Could not create BlockSurf[%d]", i);
        }
    }
}

void ReleaseBlockSurfaces()
{
    for (GfxSurface*& surface : TextureStages.blockSurfaces) {
        if (surface)
            surface->Release();
        surface = nullptr;
    }
}

void UnbindAllStages()
{
    for (int stage = 0; stage < TextureStageCount; ++stage)
        SetStageTexture(stage, nullptr);
}

// Makes the record's device texture from its stored description.
GfxResult MakeDeviceTexture(TextureRecord* record)
{
    bool renderTarget = (record->flags & TextureFlagRenderTarget) != 0;
    uint32_t levels = record->levels <= 0 ? 0u : static_cast<uint32_t>(record->levels);
    return GfxCreateTexture(Gfx.device, static_cast<uint32_t>(record->width), static_cast<uint32_t>(record->height),
                            levels, renderTarget ? UsageRenderTarget : 0u, record->format,
                            renderTarget ? PoolDefault : PoolManaged, &record->texture);
}

} // namespace

TextureRecord* FindTexture(const char* name)
{
    auto found = TextureRegistry.find(name ? name : "");
    return found == TextureRegistry.end() ? nullptr : found->second;
}

int CreateNamedTexture(const char* name, int width, int height, uint32_t format, int renderTarget, int lodIndex,
                       int levels, uint16_t id, TextureRecord** out)
{
    if (out)
        *out = nullptr;
    char key[TextureNameLength + 1];
    std::snprintf(key, sizeof key, "%s", name ? name : "");
    if (name && std::strlen(name) > TextureNameLength)
        LogPrintf("CreateNamedTexture : name cut to %d characters : %s", TextureNameLength, name);
    TextureRecord* record = FindTexture(key);
    bool registered = record != nullptr;
    if (!record) {
        record = new TextureRecord;
        std::memcpy(record->name, key, sizeof key);
    } else if (record->texture) {
        // A record made again gives up its old texture first.
        UnbindTexture(record);
        ReleaseTexture(record);
    }
    record->format = format;
    record->pool = renderTarget ? 0 : 1;
    record->width = width;
    record->height = height;
    record->flags = static_cast<uint8_t>(renderTarget ? TextureFlagRenderTarget : 0);
    record->lodIndex = static_cast<uint8_t>(lodIndex);
    record->levels = static_cast<int8_t>(levels);
    record->id = id;
    record->sourcePath[0] = 0;
    if (width != 0 && height != 0 && !GfxSucceeded(MakeDeviceTexture(record))) {
        record->texture = nullptr;
        if (registered)
            TextureRegistry.erase(record->name);
        if (record == MutableDefaultTexture)
            MutableDefaultTexture = nullptr;
        delete record;
        return -1;
    }
    if (!registered)
        TextureRegistry[record->name] = record;
    if (out)
        *out = record;
    return 0;
}

void ReleaseTexture(TextureRecord* record)
{
    if (!record || !record->texture)
        return;
    // One reference is ours; any other is held by code that should have let
    // go, and releasing it for them would leave them pointing at nothing.
    uint32_t left = record->texture->Release();
    if (left != 0)
        LogPrintf("ReleaseTexture : texture still referenced %u times : %s", left, record->name);
    record->texture = nullptr;
}

void DestroyTexture(TextureRecord* record)
{
    if (!record)
        return;
    UnbindTexture(record);
    auto found = TextureRegistry.find(record->name);
    if (found != TextureRegistry.end() && found->second == record)
        TextureRegistry.erase(found);
    ReleaseTexture(record);
    if (record == MutableDefaultTexture)
        MutableDefaultTexture = nullptr;
}

void FreeTexture(TextureRecord* record)
{
    DestroyTexture(record);
    delete record;
}

uint16_t NextSkinTextureId()
{
    TextureStages.skinTextureCounter = TextureStages.skinTextureCounter >= LastSkinTextureId ? 1 : static_cast<uint16_t>(TextureStages.skinTextureCounter + 1);
    return TextureStages.skinTextureCounter;
}

int64_t TotalTextureMemory()
{
    int64_t total = 0;
    for (const auto& [name, record] : TextureRegistry) {
        if (!record->texture)
            continue;
        for (uint32_t level = 0; level < record->texture->GetLevelCount(); ++level) {
            GfxSurfaceDesc desc;
            if (GfxSucceeded(record->texture->GetLevelDesc(level, desc)))
                total += desc.size;
        }
    }
    return total;
}

void FreeAllTextures(int recreateDefault)
{
    TextureStages.skinTextureCounter = 0;
    UnbindAllStages();
    while (!TextureRegistry.empty())
        FreeTexture(TextureRegistry.begin()->second);
    MutableDefaultTexture = nullptr;
    ReleaseBlockSurfaces();
    if (recreateDefault)
        CreateNamedTexture("", 0, 0, FmtR5G6B5, 0, 0, -1, 0, &MutableDefaultTexture);
}

void InitTextureRegistry()
{
    for (GfxTexture*& texture : TextureStages.stageTextures)
        texture = nullptr;
    TextureStages.stageLodIndex = 255;
    CreateNamedTexture("", 0, 0, FmtR5G6B5, 0, 0, -1, 0, &MutableDefaultTexture);
    CreateBlockSurfaces();
}

void ReleaseRenderTargets()
{
    UnbindAllStages();
    for (auto& [name, record] : TextureRegistry) {
        if (record->pool == 0 && record->texture) {
            ReleaseTexture(record);
            record->flags |= TextureFlagReleased;
        }
    }
    ReleaseBlockSurfaces();
}

int RecreateRenderTargets()
{
    for (GfxTexture*& texture : TextureStages.stageTextures)
        texture = nullptr;
    TextureStages.stageLodIndex = 255;
    int result = 0;
    for (auto& [name, record] : TextureRegistry) {
        if (!(record->flags & TextureFlagReleased) || result != 0)
            continue;
        // A target that cannot be made keeps its record (others hold it)
        // and its released flag, so the next reset tries again.
        if (!GfxSucceeded(MakeDeviceTexture(record))) {
            record->texture = nullptr;
            result = -1;
            continue;
        }
        record->flags &= static_cast<uint8_t>(~TextureFlagReleased);
    }
    CreateBlockSurfaces();
    return result;
}

void SetStageTexture(int stage, TextureRecord* record)
{
    if (stage < 0 || stage >= TextureStageCount)
        return;
    GfxTexture* texture = record ? record->texture : nullptr;
    if (TextureStages.stageTextures[stage] == texture)
        return;
    if (Gfx.device)
        Gfx.device->SetTexture(static_cast<uint32_t>(stage), texture);
    TextureStages.stageTextures[stage] = texture;
    uint8_t lod = record ? record->lodIndex : 0;
    if (lod != TextureStages.stageLodIndex) {
        TextureStages.stageLodIndex = lod;
        SetStageStateCached(stage, TssMipMapLodBias, FloatAsState(LodBiasSetting(lod)));
    }
}

void BindTexture(TextureRecord* record, int stage)
{
    SetStageTexture(stage, record);
    if (stage != 0)
        return;
    if (record && record->alphaRef) {
        SetRenderStateCached(RsAlphaTestEnable, 1);
        SetRenderStateCached(RsAlphaRef, record->alphaRef);
    } else {
        SetRenderStateCached(RsAlphaTestEnable, 0);
    }
}

void UnbindTexture(TextureRecord* record)
{
    GfxTexture* texture = record ? record->texture : nullptr;
    for (int stage = 0; stage < TextureStageCount; ++stage)
        if (!record || (texture && TextureStages.stageTextures[stage] == texture))
            SetStageTexture(stage, nullptr);
}
