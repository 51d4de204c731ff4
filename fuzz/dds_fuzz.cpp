// Fuzz target for the DDS reader: any bytes are checked as a DDS file and,
// when accepted, made into textures on the null device in the file's own
// format and as DXT1 (every level read from the file or made from it).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/gfx.h"
#include "platform/gfx_texture_file.h"

namespace {
platform::GfxSystem* System = nullptr;
platform::GfxDevice* Device = nullptr;

void ReleaseDevice()
{
    Device->Release();
    System->Release();
}
} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    System = platform::CreateNullGfxSystem();
    platform::GfxPresentParams params;
    params.backBufferWidth = params.backBufferHeight = 64;
    params.backBufferFormat = platform::FmtX8R8G8B8;
    if (!System || !platform::GfxSucceeded(System->CreateDevice(0, platform::DeviceHal, nullptr,
                                                                platform::CreateHardwareVertexProcessing, params,
                                                                &Device)))
        std::abort();
    std::atexit(ReleaseDevice);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    platform::GfxDdsLayout layout;
    std::string error;
    if (!platform::GfxSucceeded(platform::GfxParseDds(data, size, layout, error)))
        return 0;
    if (layout.levels == 0 || layout.offsets.size() != layout.levels || layout.offsets.back() > size)
        std::abort();
    // Large textures take long to encode without telling more.
    if (uint64_t(layout.width) * layout.height > 64 * 64)
        return 0;
    for (uint32_t format : {uint32_t(platform::FmtUnknown), uint32_t(platform::FmtDxt1)}) {
        platform::GfxTextureLoad request;
        request.format = format;
        platform::GfxTexture* texture = nullptr;
        if (platform::GfxSucceeded(
                platform::GfxCreateTextureFromFileInMemory(Device, data, size, request, &texture, nullptr, error)))
            texture->Release();
    }
    return 0;
}
