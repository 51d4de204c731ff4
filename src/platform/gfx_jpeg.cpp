// JPEG pictures through libjpeg-turbo's TurboJPEG interface, which reports
// a damaged picture as an error result. Warnings (a truncated file, which
// the library would pad with grey) count as errors too.
#include <turbojpeg.h>

#include "platform/gfx_texture_file.h"

namespace platform {

namespace {

// Owns one TurboJPEG handle.
class JpegHandle {
public:
    explicit JpegHandle(bool compress) : handle(compress ? tjInitCompress() : tjInitDecompress()) {}
    ~JpegHandle()
    {
        if (handle)
            tjDestroy(handle);
    }
    JpegHandle(const JpegHandle&) = delete;
    JpegHandle& operator=(const JpegHandle&) = delete;
    tjhandle Get() const { return handle; }

private:
    tjhandle handle;
};

// Refuses damaged data and progressive pictures of absurd scan counts.
constexpr int DecodeFlags = TJFLAG_STOPONWARNING | TJFLAG_LIMITSCANS | TJFLAG_ACCURATEDCT;

GfxResult ReadHeader(tjhandle handle, const uint8_t* data, size_t size, uint32_t& width, uint32_t& height,
                     std::string& error)
{
    if (!data || size < 4 || data[0] != 0xFF || data[1] != 0xD8) {
        error = "no JPEG start marker";
        return GfxResult::InvalidData;
    }
    if (size > 0x7FFFFFFF) {
        error = "JPEG file too large";
        return GfxResult::InvalidData;
    }
    int w = 0, h = 0, subsampling = 0, colourSpace = 0;
    if (tjDecompressHeader3(handle, data, static_cast<unsigned long>(size), &w, &h, &subsampling, &colourSpace) != 0) {
        error = tjGetErrorStr2(handle);
        return GfxResult::InvalidData;
    }
    if (w <= 0 || h <= 0 || static_cast<uint32_t>(w) > GfxMaxImageSide || static_cast<uint32_t>(h) > GfxMaxImageSide) {
        error = "JPEG size out of range";
        return GfxResult::InvalidData;
    }
    width = static_cast<uint32_t>(w);
    height = static_cast<uint32_t>(h);
    return GfxResult::Ok;
}

} // namespace

GfxResult GfxReadJpegHeader(const uint8_t* data, size_t size, uint32_t& width, uint32_t& height, std::string& error)
{
    JpegHandle decoder(false);
    if (!decoder.Get()) {
        error = "no JPEG decoder";
        return GfxResult::OutOfMemory;
    }
    return ReadHeader(decoder.Get(), data, size, width, height, error);
}

GfxResult GfxDecodeJpeg(const uint8_t* data, size_t size, GfxImage& image, std::string& error)
{
    JpegHandle decoder(false);
    if (!decoder.Get()) {
        error = "no JPEG decoder";
        return GfxResult::OutOfMemory;
    }
    uint32_t width = 0, height = 0;
    GfxResult header = ReadHeader(decoder.Get(), data, size, width, height, error);
    if (!GfxSucceeded(header))
        return header;
    GfxImage decoded;
    decoded.width = width;
    decoded.height = height;
    decoded.rgba.resize(size_t(width) * height * 4);
    if (tjDecompress2(decoder.Get(), data, static_cast<unsigned long>(size), decoded.rgba.data(),
                      static_cast<int>(width), static_cast<int>(width * 4), static_cast<int>(height), TJPF_RGBA,
                      DecodeFlags) != 0) {
        error = tjGetErrorStr2(decoder.Get());
        return GfxResult::InvalidData;
    }
    image = std::move(decoded);
    return GfxResult::Ok;
}

GfxResult GfxEncodeJpeg(const GfxImage& image, int quality, std::vector<uint8_t>& out)
{
    if (image.width == 0 || image.height == 0 || image.rgba.size() != size_t(image.width) * image.height * 4)
        return GfxResult::InvalidCall;
    JpegHandle encoder(true);
    if (!encoder.Get())
        return GfxResult::OutOfMemory;
    unsigned char* bytes = nullptr;
    unsigned long length = 0;
    int failed = tjCompress2(encoder.Get(), image.rgba.data(), static_cast<int>(image.width),
                             static_cast<int>(image.width * 4), static_cast<int>(image.height), TJPF_RGBA, &bytes,
                             &length, TJSAMP_420, quality < 1 ? 1 : quality > 100 ? 100 : quality, TJFLAG_ACCURATEDCT);
    if (!failed)
        out.assign(bytes, bytes + length);
    tjFree(bytes);
    return failed ? GfxResult::InvalidData : GfxResult::Ok;
}

} // namespace platform
