// DDS files: the 4-byte magic "DDS ", a 124-byte header, then the levels
// of one 2D texture, largest first. Read with every field checked against
// the bytes that follow, and written for the formats the device takes.
#include <algorithm>
#include <cstring>

#include "platform/gfx_texture_file.h"

namespace platform {

namespace {

constexpr uint32_t DdsMagic = 0x20534444; // "DDS "
constexpr uint32_t PixelFormatSize = 32;

// Header flags.
constexpr uint32_t FlagCaps = 0x1, FlagHeight = 0x2, FlagWidth = 0x4, FlagPitch = 0x8;
constexpr uint32_t FlagPixelFormat = 0x1000, FlagMipMapCount = 0x20000, FlagLinearSize = 0x80000;
// Pixel-format flags.
constexpr uint32_t PfAlphaPixels = 0x1, PfFourCc = 0x4, PfRgb = 0x40, PfLuminance = 0x20000;
// Caps.
constexpr uint32_t CapsComplex = 0x8, CapsTexture = 0x1000, CapsMipMap = 0x400000;
constexpr uint32_t Caps2CubeMap = 0x200, Caps2Volume = 0x200000;

// Byte offsets of the fields after the magic.
enum HeaderField : uint32_t {
    HSize = 0, HFlags = 4, HHeight = 8, HWidth = 12, HPitch = 16, HDepth = 20, HMipMapCount = 24,
    HPfSize = 72, HPfFlags = 76, HPfFourCc = 80, HPfBits = 84, HPfRed = 88, HPfGreen = 92, HPfBlue = 96,
    HPfAlpha = 100, HCaps = 104, HCaps2 = 108,
};

uint32_t Le32(const uint8_t* p) { return p[0] | p[1] << 8 | p[2] << 16 | uint32_t(p[3]) << 24; }

void PutLe32(uint8_t* p, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<uint8_t>(value >> (8 * i));
}

// Bytes of one level, DXT5 included (the device helpers know only the
// device's formats).
uint64_t LevelBytes(uint32_t format, uint32_t width, uint32_t height)
{
    if (format == GfxDdsDxt5 || format == FmtDxt3 || format == FmtDxt1)
        return uint64_t((width + 3) / 4) * ((height + 3) / 4) * (format == FmtDxt1 ? 8 : 16);
    return uint64_t(width) * height * static_cast<uint32_t>(GfxFormatBytesPerPixel(format));
}

struct MaskedFormat {
    uint32_t format, bits, red, green, blue, alpha;
};
constexpr MaskedFormat MaskedFormats[] = {
    {FmtA8R8G8B8, 32, 0xFF0000, 0xFF00, 0xFF, 0xFF000000},
    {FmtX8R8G8B8, 32, 0xFF0000, 0xFF00, 0xFF, 0},
    {FmtR8G8B8, 24, 0xFF0000, 0xFF00, 0xFF, 0},
    {FmtR5G6B5, 16, 0xF800, 0x7E0, 0x1F, 0},
    {FmtA1R5G5B5, 16, 0x7C00, 0x3E0, 0x1F, 0x8000},
    {FmtX1R5G5B5, 16, 0x7C00, 0x3E0, 0x1F, 0},
    {FmtA4R4G4B4, 16, 0xF00, 0xF0, 0xF, 0xF000},
};

// The device format a header's pixel format names, FmtUnknown for none.
uint32_t FormatOfPixelFormat(const uint8_t* h)
{
    uint32_t flags = Le32(h + HPfFlags);
    if (flags & PfFourCc) {
        uint32_t fourCc = Le32(h + HPfFourCc);
        return fourCc == FmtDxt1 || fourCc == FmtDxt3 || fourCc == GfxDdsDxt5 ? fourCc : FmtUnknown;
    }
    uint32_t bits = Le32(h + HPfBits);
    if (flags & PfLuminance)
        return bits == 8 && !(flags & PfAlphaPixels) ? FmtL8 : FmtUnknown;
    if (!(flags & PfRgb))
        return FmtUnknown;
    uint32_t alpha = (flags & PfAlphaPixels) ? Le32(h + HPfAlpha) : 0;
    for (const MaskedFormat& m : MaskedFormats)
        if (m.bits == bits && m.red == Le32(h + HPfRed) && m.green == Le32(h + HPfGreen) &&
            m.blue == Le32(h + HPfBlue) && m.alpha == alpha)
            return m.format;
    return FmtUnknown;
}

GfxResult Refuse(std::string& error, const char* text)
{
    error = text;
    return GfxResult::InvalidData;
}

} // namespace

GfxResult GfxReadDdsHeaderFields(const uint8_t* data, size_t size, GfxDdsHeaderFields& fields)
{
    if (!data || size < 20 || Le32(data) != DdsMagic)
        return GfxResult::InvalidData;
    const uint8_t* h = data + 4;
    fields.headerSize = Le32(h + HSize);
    fields.flags = Le32(h + HFlags);
    fields.height = Le32(h + HHeight);
    fields.width = Le32(h + HWidth);
    return GfxResult::Ok;
}

GfxResult GfxParseDds(const uint8_t* data, size_t size, GfxDdsLayout& layout, std::string& error)
{
    layout = GfxDdsLayout{};
    if (!data || size < 4 + GfxDdsHeaderSize)
        return Refuse(error, "shorter than a DDS header");
    if (Le32(data) != DdsMagic)
        return Refuse(error, "no DDS magic");
    const uint8_t* h = data + 4;
    if (Le32(h + HSize) != GfxDdsHeaderSize || Le32(h + HPfSize) != PixelFormatSize)
        return Refuse(error, "DDS header size is not 124");
    if ((Le32(h + HCaps2) & (Caps2CubeMap | Caps2Volume)) || (Le32(h + HDepth) > 1 && (Le32(h + HFlags) & 0x800000)))
        return Refuse(error, "DDS file is not a 2D texture");
    uint32_t width = Le32(h + HWidth), height = Le32(h + HHeight);
    if (width == 0 || height == 0 || width > GfxMaxImageSide || height > GfxMaxImageSide)
        return Refuse(error, "DDS size out of range");
    uint32_t format = FormatOfPixelFormat(h);
    if (format == FmtUnknown)
        return Refuse(error, "DDS pixel format not supported");
    uint32_t fullChain = 1;
    for (uint32_t side = std::max(width, height); side > 1; side /= 2)
        ++fullChain;
    uint32_t levels = 1;
    if ((Le32(h + HFlags) & FlagMipMapCount) || (Le32(h + HCaps) & CapsMipMap))
        levels = std::max(1u, Le32(h + HMipMapCount));
    if (levels > fullChain)
        return Refuse(error, "DDS level count larger than the chain");
    uint64_t offset = 4 + GfxDdsHeaderSize;
    uint32_t w = width, hgt = height;
    for (uint32_t i = 0; i < levels; ++i) {
        uint64_t bytes = LevelBytes(format, w, hgt);
        if (offset + bytes > size)
            return Refuse(error, "DDS file shorter than its levels");
        layout.offsets.push_back(static_cast<size_t>(offset));
        offset += bytes;
        w = std::max(1u, w / 2);
        hgt = std::max(1u, hgt / 2);
    }
    layout.width = width;
    layout.height = height;
    layout.format = format;
    layout.levels = levels;
    return GfxResult::Ok;
}

GfxResult GfxBuildDds(uint32_t format, uint32_t width, uint32_t height,
                      const std::vector<std::vector<uint8_t>>& levels, std::vector<uint8_t>& out)
{
    if (levels.empty() || width == 0 || height == 0)
        return GfxResult::InvalidCall;
    uint8_t header[4 + GfxDdsHeaderSize] = {};
    uint8_t* h = header + 4;
    PutLe32(header, DdsMagic);
    PutLe32(h + HSize, GfxDdsHeaderSize);
    bool compressed = format == FmtDxt1 || format == FmtDxt3;
    uint32_t flags = FlagCaps | FlagHeight | FlagWidth | FlagPixelFormat | (compressed ? FlagLinearSize : FlagPitch);
    if (levels.size() > 1)
        flags |= FlagMipMapCount;
    PutLe32(h + HFlags, flags);
    PutLe32(h + HHeight, height);
    PutLe32(h + HWidth, width);
    PutLe32(h + HPitch, compressed ? GfxFormatLevelSize(format, width, height) : GfxFormatPitch(format, width));
    PutLe32(h + HMipMapCount, static_cast<uint32_t>(levels.size()));
    PutLe32(h + HPfSize, PixelFormatSize);
    if (compressed) {
        PutLe32(h + HPfFlags, PfFourCc);
        PutLe32(h + HPfFourCc, format);
    } else if (format == FmtL8) {
        PutLe32(h + HPfFlags, PfLuminance);
        PutLe32(h + HPfBits, 8);
        PutLe32(h + HPfRed, 0xFF);
    } else {
        const MaskedFormat* m = nullptr;
        for (const MaskedFormat& candidate : MaskedFormats)
            if (candidate.format == format)
                m = &candidate;
        if (!m)
            return GfxResult::InvalidCall;
        PutLe32(h + HPfFlags, PfRgb | (m->alpha ? PfAlphaPixels : 0));
        PutLe32(h + HPfBits, m->bits);
        PutLe32(h + HPfRed, m->red);
        PutLe32(h + HPfGreen, m->green);
        PutLe32(h + HPfBlue, m->blue);
        PutLe32(h + HPfAlpha, m->alpha);
    }
    PutLe32(h + HCaps, CapsTexture | (levels.size() > 1 ? CapsComplex | CapsMipMap : 0));
    out.assign(header, header + sizeof header);
    uint32_t w = width, hgt = height;
    for (const std::vector<uint8_t>& level : levels) {
        if (level.size() != LevelBytes(format, w, hgt))
            return GfxResult::InvalidCall;
        out.insert(out.end(), level.begin(), level.end());
        w = std::max(1u, w / 2);
        hgt = std::max(1u, hgt / 2);
    }
    return GfxResult::Ok;
}

} // namespace platform
