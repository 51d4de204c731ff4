// Raw images: square pictures of 3 bytes a pixel (red, green, blue, rows
// from the top, no header) whose side is known only from the file's size,
// with alpha companions of 1 byte a pixel named by their last nine
// characters. Both files are measured against each other before a byte is
// read, so that a short or lying file is refused, never read past its end.
#include <strings.h>

#include <cstring>
#include <string>

#include "graphics/local.h"
#include "platform/files.h"
#include "platform/gfx.h"

using namespace platform;

namespace {

constexpr int MaxRawSide = 4096;
// Sides above this are halved once when "Half Tex Res " asks for it.
constexpr int HalveAbove = 16;
constexpr size_t DuzezEndingLength = 9;

struct DuzezEnding {
    const char* ending;
    DuzezInfo info;
};
const DuzezEnding DuzezEndings[] = {
    {"ATEST.raw", {DuzezOneBit, FmtA1R5G5B5, 128, false}},
    {"ALP15.raw", {DuzezOneBit, FmtA1R5G5B5, 0, false}},
    {"ALP24.raw", {DuzezEightBit, FmtA8R8G8B8, 0, true}},
    {"DUZEZ.raw", {DuzezFourBit, FmtA4R4G4B4, 0, false}},
    {"AONLY.raw", {DuzezAlphaOnly, FmtA4R4G4B4, 0, false}},
    // The built-in pictures ("NDLCTRALPHA" and the like): 8-bit alpha, white
    // where no colour file goes with them.
    {"ALPHA.raw", {DuzezEightBit, FmtA8R8G8B8, 0, false}},
};

// The side whose square times bytesPerPixel is exactly the size; 0 when
// none (sides are powers of two from 1 to 4096).
int SideOfSize(int64_t size, int bytesPerPixel)
{
    for (int side = 1; side <= MaxRawSide; side *= 2)
        if (int64_t(side) * side * bytesPerPixel == size)
            return side;
    return 0;
}

int RefuseRaw(const char* reason, const std::string& path)
{
    LogPrintf("ReadRawImage : %s : %s", reason, path.c_str());
    return -1;
}

} // namespace

DuzezInfo DuzezModeFromName(const char* name)
{
    size_t length = name ? std::strlen(name) : 0;
    if (length <= DuzezEndingLength)
        return {DuzezNone, FmtR5G6B5, 0, false};
    for (const DuzezEnding& e : DuzezEndings)
        if (strcasecmp(name + length - DuzezEndingLength, e.ending) == 0)
            return e.info;
    return {DuzezNone, FmtR5G6B5, 0, false};
}

bool TextureNameUnsafe(const char* name)
{
    if (!name)
        return false;
    return std::strchr(name, '/') || std::strchr(name, '\\') || std::strchr(name, ':') || std::strstr(name, "..");
}

int ReadRawImage(const char* path, int maxSize, int halve, RawImage& image)
{
    image = RawImage{};
    const std::string target = path ? path : "";
    image.duzez = DuzezModeFromName(target.c_str()).mode;
    const TextureLoadSettingsRecord& load = MutableTextureLoadSettings;
    if (load.preloadedPixels) {
        if (load.preloadedSide <= 0 || load.preloadedSide > MaxRawSide)
            return RefuseRaw("preloaded image has no valid size", target);
        image.side = load.preloadedSide;
        image.pixels.assign(load.preloadedPixels, load.preloadedPixels + size_t(image.side) * image.side * 4);
    } else {
        // The colour file, and for the alpha modes the alpha file whose
        // nine-character ending gives way to ".raw" in the colour file's name.
        std::string colourPath = target, alphaPath;
        if (image.duzez != DuzezNone) {
            alphaPath = target;
            colourPath = target.substr(0, target.size() - DuzezEndingLength) + ".raw";
        }
        int64_t colourSize = FileSize(colourPath);
        int64_t alphaSize = alphaPath.empty() ? -1 : FileSize(alphaPath);
        if (image.duzez == DuzezNone ? colourSize < 0 : alphaSize < 0)
            return RefuseRaw("cannot open", target);
        int side = colourSize >= 0 ? SideOfSize(colourSize, 3) : SideOfSize(alphaSize, 1);
        if (side == 0)
            return RefuseRaw("no valid size", colourSize >= 0 ? colourPath : alphaPath);
        if (!alphaPath.empty() && alphaSize != int64_t(side) * side)
            return RefuseRaw("alpha file does not match its colour file", alphaPath);
        const size_t count = size_t(side) * side;
        std::vector<uint8_t> colour, alpha;
        if (colourSize >= 0 && (!ReadWholeFile(colourPath, colour) || colour.size() != count * 3))
            return RefuseRaw("cannot read", colourPath);
        if (!alphaPath.empty() && (!ReadWholeFile(alphaPath, alpha) || alpha.size() != count))
            return RefuseRaw("cannot read", alphaPath);
        image.side = side;
        image.pixels.assign(count * 4, 255);
        uint64_t sums[3] = {};
        for (size_t i = 0; i < count; ++i) {
            uint8_t* p = &image.pixels[i * 4];
            if (!colour.empty())
                std::memcpy(p, &colour[i * 3], 3);
            if (!alpha.empty())
                p[3] = alpha[i];
            for (int c = 0; c < 3; ++c)
                sums[c] += p[c];
        }
        for (int c = 0; c < 3; ++c)
            image.average[c] = static_cast<uint8_t>(sums[c] / count);
        image.averaged = true;
    }
    if (halve && image.side > HalveAbove)
        HalveRawImage(image);
    while (maxSize > 0 && image.side > maxSize)
        HalveRawImage(image);
    return 0;
}

void HalveRawImage(RawImage& image)
{
    if (image.side < 2)
        return;
    const int side = image.side / 2;
    std::vector<uint8_t> out(size_t(side) * side * 4);
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x) {
            const uint8_t* p[4];
            for (int k = 0; k < 4; ++k)
                p[k] = &image.pixels[(size_t(2 * y + k / 2) * image.side + 2 * x + k % 2) * 4];
            uint8_t* o = &out[(size_t(y) * side + x) * 4];
            int alphaSum = p[0][3] + p[1][3] + p[2][3] + p[3][3];
            if (image.duzez == DuzezAlphaOnly) {
                std::memcpy(o, p[0], 3);
                o[3] = static_cast<uint8_t>(alphaSum / 4);
                continue;
            }
            for (int c = 0; c < 3; ++c) {
                int plain = (p[0][c] + p[1][c] + p[2][c] + p[3][c]) / 4;
                if (image.duzez == DuzezNone || alphaSum == 0) {
                    o[c] = static_cast<uint8_t>(plain);
                } else {
                    int weighted = p[0][c] * p[0][3] + p[1][c] * p[1][3] + p[2][c] * p[2][3] + p[3][c] * p[3][3];
                    o[c] = static_cast<uint8_t>(weighted / alphaSum);
                }
            }
            o[3] = static_cast<uint8_t>(image.duzez == DuzezNone ? 0 : alphaSum / 4);
        }
    image.side = side;
    image.pixels.swap(out);
}

void PackRawTexel(uint32_t format, int duzez, const uint8_t* rgba, uint8_t* out)
{
    const uint32_t r = rgba[0], g = rgba[1], b = rgba[2], a = rgba[3];
    uint32_t texel;
    if (format == FmtA8R8G8B8 || format == FmtX8R8G8B8) {
        texel = a << 24 | r << 16 | g << 8 | b;
        std::memcpy(out, &texel, 4);
        return;
    }
    if (duzez == DuzezAlphaOnly)
        texel = (a << 8) | 0x0FFF;
    else if (format == FmtR5G6B5)
        texel = (r >> 3) << 11 | (g >> 2) << 5 | (b >> 3);
    else if (format == FmtA1R5G5B5)
        texel = (a >> 7) << 15 | (r >> 3) << 10 | (g >> 3) << 5 | (b >> 3);
    else
        texel = (a >> 4) << 12 | (r >> 4) << 8 | (g & 0xF0) | (b >> 4);
    out[0] = static_cast<uint8_t>(texel);
    out[1] = static_cast<uint8_t>(texel >> 8);
}

int WriteDuzezBlock(GfxTexture* texture, const uint8_t* pixels, int size, int column, int row, int levels)
{
    if (!texture || !pixels || size <= 0 || column < 0 || row < 0)
        return 0;
    RawImage block;
    block.side = size;
    block.duzez = DuzezAlphaOnly;
    block.pixels.assign(pixels, pixels + size_t(size) * size * 4);
    for (int level = 0; level < levels && level < static_cast<int>(texture->GetLevelCount()); ++level) {
        if (level > 0)
            HalveRawImage(block);
        const int s = block.side;
        GfxRect area{column * s, row * s, column * s + s, row * s + s};
        GfxLockedRect locked;
        if (!GfxSucceeded(texture->LockRect(static_cast<uint32_t>(level), locked, &area, 0)))
            return 0;
        for (int y = 0; y < s; ++y)
            for (int x = 0; x < s; ++x) {
                uint8_t* texel = static_cast<uint8_t*>(locked.bits) + size_t(y) * locked.pitch + size_t(x) * 2;
                PackRawTexel(FmtA4R4G4B4, DuzezAlphaOnly, &block.pixels[(size_t(y) * s + x) * 4], texel);
            }
        texture->UnlockRect(static_cast<uint32_t>(level));
    }
    return 1;
}
