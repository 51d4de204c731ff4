// Images in memory: halving and resampling, and conversion to and from
// every colour format of the device (DXT blocks through libsquish).
#include <squish.h>

#include <algorithm>
#include <cstring>

#include "platform/gfx_texture_file.h"
#include "platform/gfx_util.h"

namespace platform {

void GfxHalveImage(GfxImage& image)
{
    uint32_t width = std::max(1u, image.width / 2), height = std::max(1u, image.height / 2);
    std::vector<uint8_t> out(size_t(width) * height * 4);
    for (uint32_t y = 0; y < height; ++y) {
        uint32_t y0 = std::min(2 * y, image.height - 1), y1 = std::min(2 * y + 1, image.height - 1);
        for (uint32_t x = 0; x < width; ++x) {
            uint32_t x0 = std::min(2 * x, image.width - 1), x1 = std::min(2 * x + 1, image.width - 1);
            const uint8_t* p[4] = {&image.rgba[(size_t(y0) * image.width + x0) * 4],
                                   &image.rgba[(size_t(y0) * image.width + x1) * 4],
                                   &image.rgba[(size_t(y1) * image.width + x0) * 4],
                                   &image.rgba[(size_t(y1) * image.width + x1) * 4]};
            for (int c = 0; c < 4; ++c)
                out[(size_t(y) * width + x) * 4 + c] = static_cast<uint8_t>((p[0][c] + p[1][c] + p[2][c] + p[3][c]) / 4);
        }
    }
    image.width = width;
    image.height = height;
    image.rgba.swap(out);
}

namespace {

// One axis of an area-averaging resample: for every target position, the
// source positions it covers and how much of each (weights sum to 1).
struct Tap {
    uint32_t first = 0;
    std::vector<float> weights;
};

std::vector<Tap> AreaTaps(uint32_t from, uint32_t to)
{
    std::vector<Tap> taps(to);
    const double scale = double(from) / to;
    for (uint32_t i = 0; i < to; ++i) {
        double begin = i * scale, end = (i + 1) * scale;
        uint32_t first = static_cast<uint32_t>(begin);
        uint32_t last = std::min(from - 1, static_cast<uint32_t>(end - 1e-9));
        taps[i].first = first;
        for (uint32_t s = first; s <= last; ++s) {
            double overlap = std::min<double>(end, s + 1.0) - std::max<double>(begin, s);
            taps[i].weights.push_back(static_cast<float>(overlap / scale));
        }
    }
    return taps;
}

} // namespace

void GfxResizeImage(const GfxImage& source, uint32_t width, uint32_t height, GfxImage& out)
{
    if (source.width == width && source.height == height) {
        out = source;
        return;
    }
    std::vector<Tap> across = AreaTaps(source.width, width), down = AreaTaps(source.height, height);
    std::vector<float> rows(size_t(source.height) * width * 4);
    for (uint32_t y = 0; y < source.height; ++y)
        for (uint32_t x = 0; x < width; ++x)
            for (int c = 0; c < 4; ++c) {
                float sum = 0;
                for (size_t k = 0; k < across[x].weights.size(); ++k)
                    sum += across[x].weights[k] * source.rgba[(size_t(y) * source.width + across[x].first + k) * 4 + c];
                rows[(size_t(y) * width + x) * 4 + c] = sum;
            }
    GfxImage result;
    result.width = width;
    result.height = height;
    result.rgba.resize(size_t(width) * height * 4);
    for (uint32_t y = 0; y < height; ++y)
        for (uint32_t x = 0; x < width; ++x)
            for (int c = 0; c < 4; ++c) {
                float sum = 0;
                for (size_t k = 0; k < down[y].weights.size(); ++k)
                    sum += down[y].weights[k] * rows[((down[y].first + k) * width + x) * 4 + c];
                result.rgba[(size_t(y) * width + x) * 4 + c] = static_cast<uint8_t>(std::clamp(sum + 0.5f, 0.0f, 255.0f));
            }
    out = std::move(result);
}

namespace {

int SquishFlags(uint32_t format)
{
    switch (format) {
    case FmtDxt1: return squish::kDxt1;
    case FmtDxt3: return squish::kDxt3;
    case GfxDdsDxt5: return squish::kDxt5;
    default: return 0;
    }
}

uint32_t BlockBytes(uint32_t format) { return format == FmtDxt1 ? 8u : 16u; }

} // namespace

bool GfxEncodeImage(const GfxImage& image, uint32_t format, uint8_t* out, uint32_t pitch)
{
    if (int flags = SquishFlags(format)) {
        // Block by block on this thread (the library's whole-image call
        // starts worker threads of its own).
        const uint32_t blockBytes = BlockBytes(format);
        for (uint32_t by = 0; by < image.height; by += 4) {
            uint8_t* row = out + size_t(by / 4) * pitch;
            for (uint32_t bx = 0; bx < image.width; bx += 4) {
                uint8_t pixels[16 * 4] = {};
                int mask = 0;
                for (uint32_t k = 0; k < 16; ++k) {
                    const uint32_t x = bx + k % 4, y = by + k / 4;
                    if (x < image.width && y < image.height) {
                        std::memcpy(&pixels[k * 4], &image.rgba[(size_t(y) * image.width + x) * 4], 4);
                        mask |= 1 << k;
                    }
                }
                squish::CompressMasked(pixels, mask, row + size_t(bx / 4) * blockBytes, flags | squish::kColourRangeFit);
            }
        }
        return true;
    }
    int bytes = GfxFormatBytesPerPixel(format);
    if (bytes == 0 || GfxFormatIsDepth(format))
        return false;
    for (uint32_t y = 0; y < image.height; ++y) {
        const uint8_t* source = &image.rgba[size_t(y) * image.width * 4];
        uint8_t* target = out + size_t(y) * pitch;
        for (uint32_t x = 0; x < image.width; ++x, source += 4, target += bytes) {
            uint32_t argb = uint32_t(source[3]) << 24 | uint32_t(source[0]) << 16 | uint32_t(source[1]) << 8 | source[2];
            GfxArgbToPixel(format, argb, target);
        }
    }
    return true;
}

bool GfxDecodeImage(uint32_t format, const uint8_t* data, uint32_t pitch, uint32_t width, uint32_t height,
                    GfxImage& out)
{
    out.width = width;
    out.height = height;
    out.rgba.assign(size_t(width) * height * 4, 0);
    if (int flags = SquishFlags(format)) {
        const uint32_t blockBytes = BlockBytes(format);
        for (uint32_t by = 0; by < height; by += 4) {
            const uint8_t* row = data + size_t(by / 4) * pitch;
            for (uint32_t bx = 0; bx < width; bx += 4) {
                uint8_t pixels[16 * 4];
                squish::Decompress(pixels, row + size_t(bx / 4) * blockBytes, flags);
                for (uint32_t k = 0; k < 16; ++k) {
                    const uint32_t x = bx + k % 4, y = by + k / 4;
                    if (x < width && y < height)
                        std::memcpy(&out.rgba[(size_t(y) * width + x) * 4], &pixels[k * 4], 4);
                }
            }
        }
        return true;
    }
    int bytes = GfxFormatBytesPerPixel(format);
    if (bytes == 0 || GfxFormatIsDepth(format))
        return false;
    for (uint32_t y = 0; y < height; ++y) {
        const uint8_t* source = data + size_t(y) * pitch;
        uint8_t* target = &out.rgba[size_t(y) * width * 4];
        for (uint32_t x = 0; x < width; ++x, source += bytes, target += 4) {
            uint32_t argb = GfxPixelToArgb(format, source);
            target[0] = static_cast<uint8_t>(argb >> 16);
            target[1] = static_cast<uint8_t>(argb >> 8);
            target[2] = static_cast<uint8_t>(argb);
            target[3] = static_cast<uint8_t>(argb >> 24);
        }
    }
    return true;
}

} // namespace platform
