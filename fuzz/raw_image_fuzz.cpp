// Fuzz target for raw images: the input becomes a colour file and an alpha
// companion of a kind it chooses, of any sizes, loaded as a texture on the
// null device; every pair whose sizes do not make one square image must be
// refused (the default texture), never read past a file, and an accepted
// one must be a square texture of a power-of-two side.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "core/services.h"
#include "graphics/services.h"
#include "platform/files.h"

namespace {
const char* const Endings[] = {"", "ATEST.raw", "ALP15.raw", "ALP24.raw", "DUZEZ.raw", "AONLY.raw"};

void ShutDown() { ResetGraphicsTables(); }
} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    // The files go to a folder in memory.
    const std::string folder = "/dev/shm/qv_raw_fuzz_" + std::to_string(getpid());
    platform::MakeFolder(folder);
    if (chdir(folder.c_str()) != 0 || !platform::MakeFolder("data") || !platform::MakeFolder("data\\pic"))
        std::abort();
    ResetCoreTables();
    ResetGraphicsTables();
    if (PreInitDirect3D(1, -1, 0, 0, 0) != 0 || CreateRenderDevice(nullptr, 0, -1) != 0)
        std::abort();
    SetTextureDdsCache(0);
    std::atexit(ShutDown);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 3)
        return 0;
    const int kind = data[0] % 6;
    const int halfTexRes = data[0] >> 7;
    EditSettings([halfTexRes](SettingsRecord& settings) { settings.halfTexRes = halfTexRes; });
    const size_t split = std::min<size_t>(size - 3, size_t(data[1]) | size_t(data[2]) << 8);
    const uint8_t* bytes = data + 3;
    const std::string alphaName = std::string("PIC") + Endings[kind];
    platform::RemoveFile("data\\pic\\PIC.raw");
    platform::RemoveFile("data\\pic\\" + alphaName);
    // The colour file holds the first part (absent when empty and the kind
    // has an alpha file), the alpha file the rest.
    if (kind == 0 || split > 0)
        platform::WriteWholeFile("data\\pic\\PIC.raw", bytes, split);
    if (kind != 0)
        platform::WriteWholeFile("data\\pic\\" + alphaName, bytes + split, size - 3 - split);
    TextureRecord* record = LoadNamedTexture(kind == 0 ? "PIC" : alphaName.c_str(), 0);
    if (record != DefaultTexture &&
        (!record->texture || record->width != record->height || record->width <= 0 ||
         (record->width & (record->width - 1)) != 0))
        std::abort();
    FreeAllTextures(1);
    return 0;
}
