// Fuzz target for the figure file reader: any bytes after a figure file's
// header; an accepted file is built into skeletons and variants and every
// pose is put on a figure.
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
    HumanSystem system;
    if (!ReadHumanData(system, reader, version, "fuzz"))
        return 0;
    BuildFigures(system);
    for (size_t s = 0; s < system.sets.size(); s++) {
        FigureInstance instance;
        InitFigureInstance(instance);
        for (const Pose& pose : system.sets[s].poses)
            SetFigurePose(instance, &pose, system.built[s]);
        SetFigurePose(instance, nullptr, system.built[s]);
    }
    return 0;
}
