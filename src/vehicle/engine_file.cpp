// Engine files "data\engine\%s.eng": the engine description that car data
// shares, then the engine's recorded waves and sound values, read back to
// every older sub-version.
#include <cmath>
#include <cstdio>
#include <cstring>

#include "vehicle/local.h"

namespace {

// The sound values a file of sub-version v carries, in file order. Each
// entry is a value number 1..29, or 0 for a float that is read and
// dropped; present says whether the entry is in a file of sub-version v.
struct SoundEntry {
    int value;
    bool (*present)(int v);
};
const SoundEntry SoundEntries[] = {
    {1, [](int) { return true; }},
    {2, [](int v) { return v > 11; }},
    {3, [](int) { return true; }},
    {4, [](int) { return true; }},
    {5, [](int) { return true; }},
    {6, [](int) { return true; }},
    {7, [](int) { return true; }},
    {8, [](int v) { return v > 8; }},
    {0, [](int v) { return v < 6; }},
    {9, [](int v) { return v > 4; }},
    {10, [](int) { return true; }},
    {11, [](int) { return true; }},
    {12, [](int v) { return v > 5; }},
    {13, [](int v) { return v > 5; }},
    {0, [](int v) { return v > 4 && v < 8; }},
    {0, [](int v) { return v > 4 && v < 8; }},
    {0, [](int v) { return v > 4 && v < 8; }},
    {14, [](int v) { return v > 4; }},
    {15, [](int v) { return v > 2; }},
    {16, [](int v) { return v > 2; }},
    {17, [](int v) { return v > 2; }},
    {18, [](int v) { return v > 5; }},
    {19, [](int v) { return v > 6; }},
    {20, [](int v) { return v > 6; }},
    {21, [](int v) { return v > 7; }},
    {22, [](int v) { return v > 7; }},
    {0, [](int v) { return v < 10; }},
    {23, [](int) { return true; }},
    {24, [](int v) { return v > 8; }},
    {25, [](int v) { return v > 5; }},
    {26, [](int v) { return v > 5; }},
    {27, [](int v) { return v > 10; }},
    {28, [](int v) { return v > 10; }},
    {29, [](int v) { return v > 10; }},
};

// Waves a file of sub-version v carries.
int WaveCountOf(int v)
{
    if (v >= 8)
        return 8;
    if (v >= 6)
        return v;
    return 4;
}

bool IsFinite(float value)
{
    return std::isfinite(value);
}

int FailEngineRead()
{
    GetCarMessageHooks().printError(GetText(TX_3a_engnread));
    return 0;
}

// A name that becomes a file name must stay inside the engine folder.
bool IsSafeFileName(const char* name)
{
    if (!name[0] || std::strstr(name, ".."))
        return false;
    for (const char* c = name; *c; c++)
        if (*c == '/' || *c == '\\' || *c == ':')
            return false;
    return true;
}

} // namespace

int ReadEngine(EngineRecord& engine, DataFile& reader, int version, EngineRecord& target,
               int headerOnly)
{
    (void)version;
    EngineRecord& e = engine;
    e.flags = ReadInt(reader);
    int v = 0;
    if (e.flags & EngineHasSubVersion) {
        v = ReadByte(reader);
        if (v < 0 || v > EngineSubVersion)
            return FailEngineRead();
        uint8_t skip[3];
        ReadBytes(reader, skip, 3);
    } else {
        e.flags |= EngineHasSubVersion;
    }
    e.displacement = ReadFloat(reader);
    e.cylinders = ReadByte(reader);
    e.layout = ReadByte(reader);
    ReadShort(reader);
    e.boost = ReadFloat(reader);
    e.torqueFactor = ReadFloat(reader);
    if (e.flags & EngineHasRevRange) {
        e.revRangeFactor = ReadFloat(reader);
        e.maxSpeed = ReadFloat(reader);
    } else {
        e.flags |= EngineHasRevRange;
    }
    e.peakSpeedFactor = ReadFloat(reader);
    if (v < 2)
        ReadInt(reader);
    // A description that is cut short or holds values that are not
    // numbers would poison every derived value of the car.
    if (reader.Overran() || !IsFinite(e.displacement) || !IsFinite(e.boost) ||
        !IsFinite(e.torqueFactor) || !IsFinite(e.revRangeFactor) || !IsFinite(e.maxSpeed) ||
        !IsFinite(e.peakSpeedFactor))
        return FailEngineRead();
    if (headerOnly && v > 7)
        return 1;

    std::memset(target.soundParams.name, 0, sizeof target.soundParams.name);
    if (v < 2)
        ReadFloat(reader);
    int waves = WaveCountOf(v);
    for (int i = 0; i < waves; i++)
        if (!ReadWaveShape(target.waves[i], reader, version))
            return 0;
    for (const SoundEntry& entry : SoundEntries) {
        if (!entry.present(v))
            continue;
        float value = ReadFloat(reader);
        if (entry.value)
            target.soundParams.values[entry.value - 1] = value;
    }
    if (reader.Overran())
        return FailEngineRead();
    return 1;
}

void WriteEngineHeader(DataFile& writer, const EngineRecord& e)
{
    // The header always carries the sub-version byte, the rev range and the
    // maximum speed, so its flags always say so (an engine that never came
    // from a file would otherwise be saved unreadable).
    WriteInt(writer, (e.flags & 15) | EngineHasRevRange | EngineHasSubVersion);
    WriteByte(writer, EngineSubVersion);
    WriteByte(writer, 0);
    WriteShort(writer, 0);
    WriteFloat(writer, e.displacement);
    WriteByte(writer, e.cylinders);
    WriteByte(writer, e.layout);
    WriteShort(writer, 0);
    WriteFloat(writer, e.boost);
    WriteFloat(writer, e.torqueFactor);
    WriteFloat(writer, e.revRangeFactor);
    WriteFloat(writer, e.maxSpeed);
    WriteFloat(writer, e.peakSpeedFactor);
}

int SaveEngineFile(EngineRecord& engine, const char* path, Screen* screen)
{
    EngineRecord& e = engine;
    if (!(e.flags & EngineTurbo)) {
        FreeWave(e.waves[1], 1);
        FreeWave(e.waves[5], 1);
    }
    DataFile writer;
    CreateDataFile(writer, screen, path, EngineFileMagic, EngineFileVersion);
    if (!writer.IsOpen())
        return 0;
    WriteEngineHeader(writer, e);
    for (const EngineWave& wave : e.waves)
        WriteWaveShape(wave, writer);
    for (float value : e.soundParams.values)
        WriteFloat(writer, value);
    return CloseDataFile(writer);
}

int OpenEngineFile(EngineRecord& scratch, const char* path, Screen* screen, EngineRecord& target)
{
    DataFile reader;
    int version = 0;
    LoadDataFile(reader, screen, path, EngineFileMagic, version, EngineFileVersion, false);
    if (!reader.IsOpen())
        return 0;
    // The sound is read into a copy and taken only when the whole file was
    // good, so a bad file leaves the target's sound as it was.
    EngineRecord sound;
    sound.soundParams = target.soundParams;
    int read = ReadEngine(scratch, reader, version, sound, 0);
    CloseDataFile(reader);
    if (!read) {
        ReleaseEngineSounds(sound);
        LogPrintf("OpenEngineFile : File could not be read : %s", path);
        return 0;
    }
    ReleaseEngineSounds(target);
    target.soundParams = sound.soundParams;
    for (int i = 0; i < EngineWaveCount; i++) {
        target.waves[i] = sound.waves[i];
        sound.waves[i] = EngineWave{};
    }
    return 1;
}

int LoadEngineFile(EngineRecord& engine, const char* carCode)
{
    EngineRecord scratch;
    InitEngineData(scratch);
    char path[96];
    int loaded = 0;
    const CarSettings* settings = GetCarSettings(carCode);
    if (settings && settings->engineName[0]) {
        char name[sizeof settings->engineName + 1] = {};
        std::memcpy(name, settings->engineName, sizeof settings->engineName);
        std::snprintf(path, sizeof path, "data\\engine\\%s.eng", name);
        if (IsSafeFileName(name) && OpenEngineFile(scratch, path, nullptr, engine)) {
            CopyFixedString(engine.soundParams.name, name, sizeof engine.soundParams.name);
            loaded = 1;
        } else {
            ClearCarEngineChoice(carCode);
        }
    }
    if (!loaded && IsSafeFileName(carCode)) {
        std::snprintf(path, sizeof path, "data\\engine\\%s_default.eng", carCode);
        loaded = OpenEngineFile(scratch, path, nullptr, engine);
    }
    ReleaseEngineSounds(scratch);
    return loaded;
}
