// Textures made from JPEG and DDS files, and textures saved as DDS files.
#include <algorithm>
#include <cstring>

#include "platform/files.h"
#include "platform/gfx_texture_file.h"
#include "platform/gfx_util.h"

namespace platform {

namespace {

// Files larger than this are not pictures the program reads (a 4096 x 4096
// 32-bit DDS with its chain is about 90 MB).
constexpr int64_t MaxTextureFileBytes = 128ll << 20;

uint32_t PowerOfTwoAtLeast(uint32_t value)
{
    uint32_t side = 1;
    while (side < value && side < GfxMaxImageSide)
        side *= 2;
    return side;
}

uint32_t FullChain(uint32_t width, uint32_t height)
{
    uint32_t levels = 1;
    for (uint32_t side = std::max(width, height); side > 1; side /= 2)
        ++levels;
    return levels;
}

// Copies one level's bytes (rows packed) into a locked level of the given
// pitch.
void CopyRows(uint8_t* target, uint32_t pitch, const uint8_t* source, uint32_t format, uint32_t width,
              uint32_t height)
{
    uint32_t rowBytes = GfxFormatPitch(format, width);
    uint32_t rows = GfxFormatIsCompressed(format) ? (height + 3) / 4 : height;
    for (uint32_t row = 0; row < rows; ++row)
        std::memcpy(target + size_t(row) * pitch, source + size_t(row) * rowBytes, rowBytes);
}

// One level of a DDS file decoded.
GfxResult DecodeLevel(const uint8_t* data, const GfxDdsLayout& dds, uint32_t level, GfxImage& image,
                      std::string& error)
{
    const uint32_t width = std::max(1u, dds.width >> level), height = std::max(1u, dds.height >> level);
    const uint32_t pitch = dds.format == GfxDdsDxt5 ? ((width + 3) / 4) * 16 : GfxFormatPitch(dds.format, width);
    if (!GfxDecodeImage(dds.format, data + dds.offsets[level], pitch, width, height, image)) {
        error = "DDS pixel format not supported";
        return GfxResult::InvalidData;
    }
    return GfxResult::Ok;
}

// The decoded top picture of a JPEG or DDS file.
GfxResult DecodePicture(const uint8_t* data, size_t size, const GfxDdsLayout* dds, GfxImage& image,
                        std::string& error)
{
    return dds ? DecodeLevel(data, *dds, 0, image, error) : GfxDecodeJpeg(data, size, image, error);
}

} // namespace

GfxResult GfxCreateTextureFromFileInMemory(GfxDevice* device, const uint8_t* data, size_t size,
                                           const GfxTextureLoad& request, GfxTexture** texture,
                                           GfxTextureFileInfo* info, std::string& error)
{
    if (!device || !texture)
        return GfxResult::InvalidCall;
    *texture = nullptr;
    GfxDdsLayout dds;
    bool isDds = size >= 4 && data && std::memcmp(data, "DDS ", 4) == 0;
    GfxTextureFileInfo file;
    if (isDds) {
        GfxResult parsed = GfxParseDds(data, size, dds, error);
        if (!GfxSucceeded(parsed))
            return parsed;
        file = {dds.width, dds.height, dds.format, dds.levels};
    } else {
        GfxResult header = GfxReadJpegHeader(data, size, file.width, file.height, error);
        if (!GfxSucceeded(header)) {
            if (!(size >= 2 && data && data[0] == 0xFF && data[1] == 0xD8))
                error = "neither a JPEG nor a DDS picture";
            return header;
        }
        file.format = FmtX8R8G8B8;
    }
    if (info)
        *info = file;

    uint32_t width = request.width ? request.width : PowerOfTwoAtLeast(file.width);
    uint32_t height = request.height ? request.height : PowerOfTwoAtLeast(file.height);
    uint32_t format = request.format != FmtUnknown ? request.format
                      : file.format == GfxDdsDxt5  ? FmtA8R8G8B8
                                                   : file.format;
    uint32_t levels = request.levels == 0 ? FullChain(width, height) : std::min(request.levels, FullChain(width, height));
    // The device's size limit may halve the texture.
    GfxTexture* made = nullptr;
    GfxResult created = GfxCreateTexture(device, width, height, levels, request.usage, format, request.pool, &made);
    if (!GfxSucceeded(created))
        return created;
    levels = made->GetLevelCount();
    GfxSurfaceDesc top;
    made->GetLevelDesc(0, top);
    width = top.width;
    height = top.height;

    // A DDS that holds a level of the asked size gives its levels from there
    // on: as they stand when the format is the asked one, else decoded and
    // encoded. Levels the file does not hold are halved from the one before.
    uint32_t fileLevel = isDds ? dds.levels : 0;
    if (isDds) {
        uint32_t w = dds.width, h = dds.height;
        for (fileLevel = 0; fileLevel < dds.levels && !(w == width && h == height); ++fileLevel) {
            w = std::max(1u, w / 2);
            h = std::max(1u, h / 2);
        }
    }
    GfxImage image;
    for (uint32_t level = 0; level < levels; ++level, ++fileLevel) {
        GfxSurfaceDesc desc;
        GfxLockedRect locked;
        if (!GfxSucceeded(made->GetLevelDesc(level, desc)) ||
            !GfxSucceeded(made->LockRect(level, locked, nullptr, 0))) {
            made->Release();
            return GfxResult::InvalidCall;
        }
        uint8_t* target = static_cast<uint8_t*>(locked.bits);
        const uint32_t pitch = static_cast<uint32_t>(locked.pitch);
        bool written = true;
        if (isDds && fileLevel < dds.levels && dds.format == format) {
            CopyRows(target, pitch, data + dds.offsets[fileLevel], format, desc.width, desc.height);
        } else {
            GfxResult decoded = GfxResult::Ok;
            if (isDds && fileLevel < dds.levels)
                decoded = DecodeLevel(data, dds, fileLevel, image, error);
            else if (level > 0) {
                // The level before came from the file as it stood.
                if (image.rgba.empty() && isDds && fileLevel - 1 < dds.levels)
                    decoded = DecodeLevel(data, dds, fileLevel - 1, image, error);
                GfxHalveImage(image);
            }
            else {
                GfxImage picture;
                decoded = DecodePicture(data, size, isDds ? &dds : nullptr, picture, error);
                GfxResizeImage(picture, width, height, image);
            }
            written = GfxSucceeded(decoded) && GfxEncodeImage(image, format, target, pitch);
            if (GfxSucceeded(decoded) && !written)
                error = "texture format cannot be written";
        }
        made->UnlockRect(level);
        if (!written) {
            made->Release();
            return GfxResult::InvalidData;
        }
    }
    *texture = made;
    return GfxResult::Ok;
}

GfxResult GfxCreateTextureFromFile(GfxDevice* device, std::string_view gamePath, const GfxTextureLoad& request,
                                   GfxTexture** texture, GfxTextureFileInfo* info, std::string& error)
{
    int64_t size = FileSize(gamePath);
    if (size < 0) {
        error = "cannot open file";
        return GfxResult::NotAvailable;
    }
    if (size > MaxTextureFileBytes) {
        error = "file too large for a picture";
        return GfxResult::InvalidData;
    }
    std::vector<uint8_t> bytes;
    if (!ReadWholeFile(gamePath, bytes)) {
        error = "cannot read file";
        return GfxResult::NotAvailable;
    }
    return GfxCreateTextureFromFileInMemory(device, bytes.data(), bytes.size(), request, texture, info, error);
}

GfxResult GfxSaveTextureToDds(std::string_view gamePath, GfxTexture* texture)
{
    if (!texture)
        return GfxResult::InvalidCall;
    GfxSurfaceDesc top;
    if (!GfxSucceeded(texture->GetLevelDesc(0, top)))
        return GfxResult::InvalidCall;
    std::vector<std::vector<uint8_t>> levels;
    for (uint32_t i = 0; i < texture->GetLevelCount(); ++i) {
        GfxSurfaceDesc desc;
        GfxLockedRect locked;
        if (!GfxSucceeded(texture->GetLevelDesc(i, desc)) ||
            !GfxSucceeded(texture->LockRect(i, locked, nullptr, LockReadOnly)))
            return GfxResult::InvalidCall;
        uint32_t rowBytes = GfxFormatPitch(desc.format, desc.width);
        uint32_t rows = GfxFormatIsCompressed(desc.format) ? (desc.height + 3) / 4 : desc.height;
        std::vector<uint8_t>& level = levels.emplace_back(size_t(rowBytes) * rows);
        for (uint32_t row = 0; row < rows; ++row)
            std::memcpy(level.data() + size_t(row) * rowBytes,
                        static_cast<const uint8_t*>(locked.bits) + size_t(row) * locked.pitch, rowBytes);
        texture->UnlockRect(i);
    }
    std::vector<uint8_t> file;
    GfxResult built = GfxBuildDds(top.format, top.width, top.height, levels, file);
    if (!GfxSucceeded(built))
        return built;
    return WriteWholeFile(gamePath, file.data(), file.size()) ? GfxResult::Ok : GfxResult::InvalidData;
}

} // namespace platform
