// Fuzz target for the character-map reader: any bytes, read as a
// character-map file image, are either refused or loaded into tables
// whose every index is in range, and drawing every byte of every page
// stays inside the glyphs' arrays.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "ui/local.h"

namespace {

void CountTriangle(void* context, const int*, const int*)
{
    ++*static_cast<long*>(context);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    DataFile reader;
    int version = 0;
    OpenDataBlock(reader, data, size, version);
    if (ReadCharacterMap(reader, version, "fuzz")) {
        long triangles = 0;
        for (int p = 0; p < CharacterMap.codePageCount; p++)
            for (const CharEntry& entry : CharacterMap.codePages[p].chars) {
                if ((entry.flags & CharLeadWithPage) && entry.glyph >= CharacterMap.extraPageCount)
                    continue;  // bytes below 128 are never lead bytes
                if (entry.glyph >= GlyphSlotCount)
                    std::abort();
                EmitGlyphTriangles(CharacterMap.glyphs[entry.glyph], -1, -1, 0.1f, 0.1f, 64, 64,
                                   CountTriangle, &triangles);
            }
        FreeCharacterMap();
    }
    CloseDataFile(reader);
    return 0;
}
