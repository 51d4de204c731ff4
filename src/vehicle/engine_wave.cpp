// An engine's recorded sound waves as engine files and car data hold them.
#include "vehicle/local.h"

namespace {

// More samples than any recording holds (a minute at 44.1 kHz); a count
// above it is a damaged file, refused before anything is allocated.
constexpr int MaxWaveSamples = 44100 * 60;

int FailWaveRead()
{
    GetCarMessageHooks().printError(GetText(TX_3a_wavnread));
    return 0;
}

} // namespace

int ReadWaveShape(EngineWave& wave, DataFile& reader, int version)
{
    (void)version;
    int count = ReadByte(reader) & 0xFF;
    ReadByte(reader);
    int kind = ReadByte(reader);
    int type = ReadByte(reader);
    if (reader.Overran())
        return FailWaveRead();
    switch (kind) {
    case 0:
        for (int i = 0; i < count * 4; i++)
            ReadFloat(reader);
        break;
    case 1:
        for (int i = 0; i < count * 2; i++)
            ReadFloat(reader);
        break;
    case 2:
        break;
    case 3: {
        int n = ReadInt(reader);
        // The samples must be there too.
        if (n > MaxWaveSamples || reader.Overran() || !DataFileHolds(reader, n, 4))
            return FailWaveRead();
        float* samples = n ? new float[n] : nullptr;
        for (int i = 0; i < n; i++)
            samples[i] = ReadFloat(reader);
        if (reader.Overran()) {
            delete[] samples;
            return FailWaveRead();
        }
        FreeWave(wave, 1);
        wave.samples = samples;
        wave.count = n;
        break;
    }
    default:
        return FailWaveRead();
    }
    wave.type = static_cast<uint8_t>(type);
    return reader.Overran() ? FailWaveRead() : 1;
}

void WriteWaveShape(const EngineWave& wave, DataFile& writer)
{
    WriteByte(writer, 0);
    WriteByte(writer, 0);
    WriteByte(writer, 3);
    WriteByte(writer, wave.type);
    int count = wave.samples ? wave.count : 0;
    WriteInt(writer, count);
    for (int i = 0; i < count; i++)
        WriteFloat(writer, wave.samples[i]);
}

void FreeWave(EngineWave& wave, int clear)
{
    delete[] wave.samples;
    // The pointer never outlives its array; the count stays unless asked.
    wave.samples = nullptr;
    if (clear)
        wave.count = 0;
}
