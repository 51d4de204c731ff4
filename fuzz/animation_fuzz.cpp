// Fuzz target for animation records: the first byte after the header picks
// the skeleton's body count, the rest is read as one animation record.
#include <cstddef>
#include <cstdint>

#include "world/services.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static bool ready = [] {
        ResetCoreTables();
        ResetWorldTables();
        return true;
    }();
    (void)ready;
    DataFile reader;
    int version = 0;
    OpenDataBlock(reader, data, size, version);
    const int bodies = ReadByte(reader) & 0x3F;
    AnimHolder animation;
    if (ReadAnimHolder(animation, reader, bodies)) {
        for (const AnimationKey& key : animation.keys) {
            if (key.states.size() != size_t(bodies))
                __builtin_trap();
        }
    }
    return 0;
}
