// Fuzz target for the raw image reader: the input becomes a colour file and
// an alpha companion of a kind it chooses, of any sizes; the reader must
// refuse every pair whose sizes do not match a square image, never read
// past a file, and give a square image of 4 bytes a pixel when it accepts.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "graphics/local.h"
#include "platform/files.h"

namespace {
const char* const Endings[] = {"", "ATEST.raw", "ALP15.raw", "ALP24.raw", "DUZEZ.raw", "AONLY.raw"};
}

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    // The files go to a folder in memory.
    std::string folder = "/dev/shm/qv_raw_fuzz_" + std::to_string(getpid());
    platform::MakeFolder(folder);
    if (chdir(folder.c_str()) != 0)
        std::abort();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 3)
        return 0;
    const int kind = data[0] % 6;
    const int halve = data[0] & 0x80;
    const size_t split = std::min<size_t>(size - 3, size_t(data[1]) | size_t(data[2]) << 8);
    const uint8_t* bytes = data + 3;
    platform::RemoveFile("PIC.raw");
    platform::RemoveFile(std::string("PIC") + Endings[kind]);
    // The colour file holds the first part (absent when empty and the kind
    // has an alpha file), the alpha file the rest.
    if (kind == 0 || split > 0)
        platform::WriteWholeFile("PIC.raw", bytes, split);
    if (kind != 0)
        platform::WriteWholeFile(std::string("PIC") + Endings[kind], bytes + split, size - 3 - split);
    RawImage image;
    const std::string path = kind == 0 ? "PIC.raw" : std::string("PIC") + Endings[kind];
    if (ReadRawImage(path.c_str(), 64, halve, image) == 0) {
        if (image.side <= 0 || image.side > 64 || image.pixels.size() != size_t(image.side) * image.side * 4)
            std::abort();
    }
    return 0;
}
