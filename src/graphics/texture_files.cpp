// Textures loaded from files: the file a name stands for under the load
// mode, JPEG and DDS pictures through the device layer's texture files, and
// raw images built into textures and cached as compressed DDS files.
#include <strings.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

#include "graphics/local.h"
#include "platform/files.h"
#include "platform/gfx.h"
#include "platform/gfx_texture_file.h"
#include "platform/gfx_util.h"

using namespace platform;

TextureLoadSettingsRecord MutableTextureLoadSettings;
const TextureLoadSettingsRecord& TextureLoadSettings = MutableTextureLoadSettings;

void SetUseCompressedTextures(int compressed) { MutableTextureLoadSettings.compressed = compressed; }
void SetTextureDdsCache(int on) { MutableTextureLoadSettings.ddsCache = on; }

namespace {

// Load failures of LoadTextureFile.
constexpr int LoadNoFile = -1;
constexpr int LoadCannotOpen = -2;
constexpr int LoadDeviceFailed = -3;
constexpr int LoadRawFailed = -4;

// Cached DDS files are used with "Half Tex Res " only when square with a
// side in this range; the smallest is loaded at its own size.
constexpr uint32_t SmallestHalvedCache = 16;
constexpr uint32_t LargestCache = 4096;

bool Contains(const char* text, const char* part)
{
    const size_t n = std::strlen(part);
    for (const char* p = text; *p; ++p)
        if (strncasecmp(p, part, n) == 0)
            return true;
    return false;
}

std::string Format(const char* pattern, const char* name)
{
    char path[256];
    std::snprintf(path, sizeof path, pattern, name);
    return path;
}

// The path of a texture name under the current load mode.
std::string PathOfName(const char* name, bool& skin)
{
    skin = false;
    if (!name || !*name)
        return std::string();
    switch (MutableTextureLoadSettings.skinLoadMode) {
    case SkinLoadSkins: {
        skin = true;
        std::string jpeg = Format("data\\skins\\%s.jpg", name);
        if (!MutableTextureLoadSettings.ddsCache && platform::FileExists(jpeg))
            return jpeg;
        return Format("data\\skins_dds\\%s.dds", name);
    }
    case SkinLoadSecondSet: skin = true; return Format("data\\skins_x\\%s.dds", name);
    case SkinLoadThirdSet: skin = true; return Format("data\\skins_y\\%s.dds", name);
    case SkinLoadTraining: return Format("data\\training\\%s.jpg", name);
    default: return Format(std::strchr(name, '.') ? "data\\pic\\%s" : "data\\pic\\%s.raw", name);
    }
}

// The texture format a raw image of the alpha mode is built in.
uint32_t RawTextureFormat(const DuzezInfo& duzez)
{
    return MutableTextureLoadSettings.thirtyTwoBit ? static_cast<uint32_t>(FmtX8R8G8B8) : duzez.format;
}

// The format a raw image's DDS cache is read in.
uint32_t RawCacheFormat(const DuzezInfo& duzez)
{
    if (MutableTextureLoadSettings.compressed)
        return duzez.mode == DuzezFourBit || duzez.mode == DuzezEightBit ? FmtDxt3 : FmtDxt1;
    return RawTextureFormat(duzez);
}

uint32_t ConfiguredLevels(const DuzezInfo& duzez)
{
    return duzez.singleLevel ? 1u : static_cast<uint32_t>(MutableTextureLoadSettings.mipLevels);
}

void LogLoadFailure(const char* what, const char* path, const std::string& reason)
{
    LogPrintf("LoadTextureFile : %s : %s : %s", what, reason.c_str(), path);
}

// The top level's size and the level count of the record's texture.
void DescribeLoaded(TextureRecord* record)
{
    GfxSurfaceDesc desc;
    if (record->texture && GfxSucceeded(record->texture->GetLevelDesc(0, desc))) {
        record->width = static_cast<int>(desc.width);
        record->height = static_cast<int>(desc.height);
        record->format = desc.format;
        record->levels = static_cast<int8_t>(record->texture->GetLevelCount());
    }
}

// Loads the DDS cache of a raw texture; true when the record got it.
bool LoadRawCache(TextureRecord* record, const DuzezInfo& duzez)
{
    const std::string cache = Format("data\\dds\\%s.dds", record->name);
    if (!platform::FileExists(cache))
        return false;
    GfxTextureLoad request;
    request.format = RawCacheFormat(duzez);
    request.levels = ConfiguredLevels(duzez);
    if (Settings.halfTexRes) {
        // Only a square cache of a sensible size is used, at half its size.
        std::vector<uint8_t> head(4 + GfxDdsHeaderSize);
        FILE* file = OpenFile(cache, "rb");
        size_t got = file ? std::fread(head.data(), 1, head.size(), file) : 0;
        if (file)
            std::fclose(file);
        GfxDdsHeaderFields fields;
        if (!GfxSucceeded(GfxReadDdsHeaderFields(head.data(), got, fields)) || fields.headerSize != GfxDdsHeaderSize ||
            fields.height < SmallestHalvedCache || fields.height > LargestCache || fields.width != fields.height)
            return false;
        request.width = request.height = fields.width == SmallestHalvedCache ? fields.width : fields.width / 2;
    }
    GfxTexture* texture = nullptr;
    std::string error;
    if (!GfxSucceeded(GfxCreateTextureFromFile(Gfx.device, cache, request, &texture, nullptr, error))) {
        LogLoadFailure("DDS cache not used", cache.c_str(), error);
        return false;
    }
    record->texture = texture;
    return true;
}

// Saves the record's texture as the DDS cache and replaces it by the cache
// read back compressed, saved again; any failure keeps the texture made.
void WriteRawCache(TextureRecord* record, const DuzezInfo& duzez)
{
    const std::string cache = Format("data\\dds\\%s.dds", record->name);
    MakeFolder("data\\dds");
    if (!GfxSucceeded(GfxSaveTextureToDds(cache, record->texture)))
        return;
    GfxTextureLoad request;
    request.format = duzez.mode == DuzezFourBit || duzez.mode == DuzezEightBit ? FmtDxt3 : FmtDxt1;
    request.levels = record->texture->GetLevelCount();
    GfxTexture* compressed = nullptr;
    std::string error;
    if (!GfxSucceeded(GfxCreateTextureFromFile(Gfx.device, cache, request, &compressed, nullptr, error)))
        return;
    UnbindTexture(record);
    ReleaseTexture(record);
    record->texture = compressed;
    GfxSaveTextureToDds(cache, compressed);
}

// Builds a raw image's texture (from its DDS cache when there is one).
int LoadRawTexture(TextureRecord* record, const char* path)
{
    const DuzezInfo duzez = DuzezModeFromName(path);
    const bool preloaded = MutableTextureLoadSettings.preloadedPixels != nullptr;
    const bool cacheTried = !preloaded && MutableTextureLoadSettings.ddsCache;
    if (cacheTried && LoadRawCache(record, duzez)) {
        record->alphaRef = duzez.alphaRef;
        return 0;
    }
    RawImage image;
    if (ReadRawImage(path, DerivedSettings.maxTextureSize, cacheTried ? 0 : Settings.halfTexRes, image) != 0)
        return LoadNoFile;
    if (image.averaged)
        std::memcpy(record->averageColour, image.average, 3);
    uint32_t format = RawTextureFormat(duzez);
    const uint32_t levels = cacheTried ? 1u : ConfiguredLevels(duzez);
    GfxTexture* texture = nullptr;
    GfxResult made = GfxCreateTexture(Gfx.device, uint32_t(image.side), uint32_t(image.side), levels, 0, format,
                                      PoolManaged, &texture);
    if (!GfxSucceeded(made) && format == FmtA8R8G8B8) {
        format = FmtA4R4G4B4;
        made = GfxCreateTexture(Gfx.device, uint32_t(image.side), uint32_t(image.side), levels, 0, format,
                                PoolManaged, &texture);
    }
    if (!GfxSucceeded(made)) {
        LogPrintf("LoadTextureFile : raw texture not created : %s", path);
        return LoadRawFailed;
    }
    // Every level from the image, halved by its alpha rule between levels.
    const int bytes = GfxFormatBytesPerPixel(format);
    for (uint32_t level = 0; level < texture->GetLevelCount(); ++level) {
        if (level > 0)
            HalveRawImage(image);
        GfxSurfaceDesc desc;
        GfxLockedRect locked;
        if (!GfxSucceeded(texture->GetLevelDesc(level, desc)) ||
            !GfxSucceeded(texture->LockRect(level, locked, nullptr, 0))) {
            texture->Release();
            return LoadRawFailed;
        }
        const uint32_t side = std::min<uint32_t>(desc.width, uint32_t(image.side));
        for (uint32_t y = 0; y < side; ++y)
            for (uint32_t x = 0; x < side; ++x)
                PackRawTexel(format, image.duzez, &image.pixels[(size_t(y) * image.side + x) * 4],
                             static_cast<uint8_t*>(locked.bits) + size_t(y) * locked.pitch + size_t(x) * bytes);
        texture->UnlockRect(level);
    }
    record->texture = texture;
    record->alphaRef = duzez.alphaRef;
    if (!preloaded && MutableTextureLoadSettings.ddsCache)
        WriteRawCache(record, duzez);
    return 0;
}

// Makes a texture of a picture file (or the JPEG file held in memory).
int LoadPictureTexture(TextureRecord* record, const char* path)
{
    GfxTexture* texture = nullptr;
    std::string error;
    if (MutableTextureLoadSettings.memoryFile) {
        GfxTextureLoad request;
        request.format = FmtDxt1;
        if (!GfxSucceeded(GfxCreateTextureFromFileInMemory(Gfx.device, MutableTextureLoadSettings.memoryFile,
                                                           MutableTextureLoadSettings.memoryFileSize, request, &texture,
                                                           nullptr, error))) {
            LogLoadFailure("picture not made", path, error);
            return LoadDeviceFailed;
        }
        if (!GfxSucceeded(GfxSaveTextureToDds(path, texture))) {
            texture->Release();
            LogLoadFailure("picture not saved", path, "cannot write");
            return LoadDeviceFailed;
        }
        record->texture = texture;
        return 0;
    }
    GfxTextureLoad request;
    std::string file = path;
    if (Contains(path, ".dds")) {
        request.format = FmtDxt1;
        request.levels = 0;
    } else if (Contains(path, ".jbw")) {
        // A luminance picture: the JPEG of the same name.
        const size_t at = file.size() >= 4 ? file.size() - 4 : 0;
        if (strcasecmp(file.c_str() + at, ".jbw") == 0)
            file.replace(at, 4, ".jpg");
        request.format = FmtL8;
        request.levels = static_cast<uint32_t>(MutableTextureLoadSettings.mipLevels);
    } else {
        request.format = MutableTextureLoadSettings.ddsCache ? FmtDxt1 : FmtR5G6B5;
        request.levels = static_cast<uint32_t>(MutableTextureLoadSettings.mipLevels);
    }
    GfxResult result = GfxCreateTextureFromFile(Gfx.device, file, request, &texture, nullptr, error);
    if (result == GfxResult::NotAvailable) {
        LogLoadFailure("cannot open", file.c_str(), error);
        return LoadCannotOpen;
    }
    if (!GfxSucceeded(result)) {
        LogLoadFailure("not a valid picture", file.c_str(), error);
        return LoadDeviceFailed;
    }
    record->texture = texture;
    return 0;
}

} // namespace

int LoadTextureFile(const char* name, const char* path, int lodIndex, uint16_t id, TextureRecord** out)
{
    if (out)
        *out = nullptr;
    if (!path || !*path)
        return LoadNoFile;
    const bool existed = FindTexture(name) != nullptr;
    TextureRecord* record = nullptr;
    if (CreateNamedTexture(name, 0, 0, 0, 0, lodIndex, -1, id, &record) != 0)
        return LoadDeviceFailed;
    std::snprintf(record->sourcePath, sizeof record->sourcePath, "%s", path);
    std::memset(record->averageColour, 0, sizeof record->averageColour);
    record->alphaRef = 0;
    int result = Gfx.device == nullptr      ? LoadDeviceFailed
                 : Contains(path, ".raw")   ? LoadRawTexture(record, path)
                                            : LoadPictureTexture(record, path);
    if (result != 0) {
        // A failed load leaves no new record behind (the name stays
        // missing); a record others already held stays, without texture.
        if (!existed)
            FreeTexture(record);
        return result;
    }
    DescribeLoaded(record);
    if (out)
        *out = record;
    return 0;
}

TextureRecord* LoadNamedTexture(const char* name, int lodIndex)
{
    if (!name || !*name)
        return MutableDefaultTexture;
    if (TextureNameUnsafe(name) || std::strlen(name) > TextureNameLength) {
        LogPrintf("LoadNamedTexture : name refused : %s", name);
        return MutableDefaultTexture;
    }
    bool skin = false;
    const std::string path = PathOfName(name, skin);
    TextureRecord* record = nullptr;
    if (LoadTextureFile(name, path.c_str(), lodIndex, skin ? NextSkinTextureId() : 0, &record) != 0)
        return MutableDefaultTexture;
    return record;
}

TextureRecord* FindOrLoadTexture(const char* name, int lodIndex)
{
    if (TextureRecord* record = FindTexture(name)) {
        if (lodIndex > record->lodIndex)
            record->lodIndex = static_cast<uint8_t>(lodIndex);
        return record;
    }
    return LoadNamedTexture(name, lodIndex);
}
