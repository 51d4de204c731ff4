// Fuzz target for the object model reader: any bytes after a model file's
// header are read as one record with part names; a record that is accepted
// must then survive sorting, colour grids, mirroring and driver-side swaps
// (each applied twice must give the model back).
#include <cstddef>
#include <cstdint>
#include <cstdlib>

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
    ObjectModel model;
    const int topLevel = size > 8 ? data[8] & 1 : 0;
    if (!ReadObjectModel(model, reader, version, topLevel, 1))
        return 0;
    ObjectModel copy = model;
    MirrorObjectModel(copy);
    MirrorObjectModel(copy);
    SwapDriverSide(copy);
    SwapDriverSide(copy);
    if (copy.points.size() != model.points.size())
        std::abort();
    for (size_t i = 0; i < model.points.size(); i++) {
        if (!(copy.points[i].position == model.points[i].position))
            std::abort();
    }
    ResolveCellGrid(copy.grid, 0);
    SetClockTextureByKind(copy, 3);
    return 0;
}
