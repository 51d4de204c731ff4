// Fuzz target for the data-file reader: any bytes, read as a file image with
// a sequence of reads that the bytes themselves choose, must stay inside the
// image and end with the overrun flag set exactly when a read ran past it.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "core/services.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    DataFile reader;
    int version = 0;
    OpenDataBlock(reader, data, size, version);
    uint8_t buffer[300];
    size_t consumed = 8;
    // Reads chosen by the image's own bytes, until well past its end.
    for (int step = 0; step < 64; step++) {
        int choice = ReadByte(reader);
        consumed += 1;
        int count = (choice & 0xFF) % 37;
        switch ((choice & 0xFF) % 6) {
        case 0: ReadShort(reader); consumed += 2; break;
        case 1: ReadInt(reader); consumed += 4; break;
        case 2: ReadFloatClamped(reader, -1.0f, 1.0f); consumed += 4; break;
        case 3: ReadBytes(reader, buffer, count); consumed += count; break;
        case 4: ReadBlock(reader, buffer, count * 8); consumed += count * 8; break;
        default: ReadByte(reader); consumed += 1; break;
        }
        if (reader.Overran() != (consumed > size))
            std::abort();
    }
    CloseDataFile(reader);
    return 0;
}
