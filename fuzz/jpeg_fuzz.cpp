// Fuzz target for the JPEG reader: the header path on any bytes, then the
// whole decode of pictures whose header gives a small size; a decoded
// picture must have the size the header gave.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/gfx_texture_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    uint32_t width = 0, height = 0;
    std::string error;
    if (!platform::GfxSucceeded(platform::GfxReadJpegHeader(data, size, width, height, error)))
        return 0;
    if (width == 0 || height == 0 || width > platform::GfxMaxImageSide || height > platform::GfxMaxImageSide)
        std::abort();
    // Large pictures decode slowly without telling more.
    if (uint64_t(width) * height > 512 * 512)
        return 0;
    platform::GfxImage image;
    if (platform::GfxSucceeded(platform::GfxDecodeJpeg(data, size, image, error)) &&
        (image.width != width || image.height != height || image.rgba.size() != size_t(width) * height * 4))
        std::abort();
    return 0;
}
