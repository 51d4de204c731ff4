// Fuzz target for the setup reader: any bytes, read as a setup stream of the
// version the image's header names, must stay inside the image, and a setup
// that reads must come out within the limits every setup is held to.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "vehicle/services.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    DataFile reader;
    int version = 0;
    OpenDataBlock(reader, data, size, version);
    CarSetup setup;
    if (ReadSetup(setup, reader, version)) {
        CarSetup clamped = setup;
        ClampSetup(clamped);
        // A read setup is already clamped: clamping again changes nothing.
        if (SetupsDiffer(clamped, setup) || setup.maxLock < 9 || setup.maxLock > 45 ||
            setup.bodyOption >= MaxBodyOptions || !(setup.maxBrakeTorque >= 0))
            std::abort();
    }
    CloseDataFile(reader);
    return 0;
}
