// Fuzz target for the character-map reader: any bytes, loaded as a
// character-map file, are either refused or loaded into tables whose every
// index is in range, and drawing every byte of every page into an
// offscreen image stays inside the glyphs' arrays.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

#include "graphics/services.h"
#include "ui/services.h"

namespace {

constexpr int ImageSize = 64;

// Draws every character of every page the map has, as text drawing would
// pick its glyph.
void DrawEveryCharacter()
{
    BeginOffscreenImage16(ImageSize);
    for (int p = 0; p < CharacterMap.codePageCount; p++)
        for (const CharEntry& entry : CharacterMap.codePages[p].chars) {
            if ((entry.flags & CharLeadWithPage) && entry.glyph >= CharacterMap.extraPageCount)
                continue;  // bytes below 128 are never lead bytes
            if (entry.glyph >= GlyphSlotCount)
                std::abort();
            RasterStrokeGlyph(CharacterMap.glyphs[entry.glyph], -1, -1, 0.1f, 0.1f, 0xFFFF);
        }
    EndOffscreenImage16();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static std::string name = "/tmp/font_fuzz_" + std::to_string(getpid()) + ".abc";
    FILE* file = std::fopen(name.c_str(), "wb");
    if (!file)
        return 0;
    std::fwrite(data, 1, size, file);
    std::fclose(file);
    if (LoadCharacterMap(name.c_str())) {
        DrawEveryCharacter();
        FreeCharacterMap();
    }
    return 0;
}
