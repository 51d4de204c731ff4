// Fuzz target for the engine reader: any bytes, read as an engine file
// image, give a description and sound or a refusal, never a read outside
// the image or an allocation the image cannot fill; whatever was read can
// be set up in every class.
#include <cstddef>
#include <cstdint>

#include "vehicle/services.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    DataFile reader;
    int version = 0;
    OpenDataBlock(reader, data, size, version);
    EngineRecord engine, sound;
    InitEngineData(engine);
    InitEngineData(sound);
    if (ReadEngine(engine, reader, version, sound, 0)) {
        for (const CarClass& carClass : CarClassTable) {
            EngineRecord copy = engine;
            for (EngineWave& wave : copy.waves)
                wave = EngineWave{};
            SetUpEngine(copy, carClass);
        }
    }
    ReleaseEngineSounds(sound);
    ReleaseEngineSounds(engine);
    CloseDataFile(reader);
    return 0;
}
