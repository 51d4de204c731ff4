// The default engine files "data\engine\<code>_default.eng" of the 20 cars:
// each car's engine description, its sound values and eight synthesised
// sound waves. Every sample comes from integer steps, the 16.16 sine table
// and plain float arithmetic, so the files are the same bytes everywhere.
#include <cmath>
#include <cstdio>
#include <cstring>

#include "builder.h"
#include "core/services.h"
#include "vehicle/services.h"

namespace {

// Engine descriptions by car, in car table order. Road cars are touring
// class engines of 1.0 to 4.2 litres; GT racers are tuned two-litre fours
// and a flat six; formula cars rev higher; the grand prix car is an N1 V8.
// The turbo road cars and GT racers run modest boost on a strong base
// torque, so that they pull from low revs before the turbo spools up; the
// torque factors bring each car to the power of the real cars of its kind.
const DefaultEngineSpec EngineSpecs[CarCount] = {
    // class, cm^3, cylinders, layout, turbo, boost, torque, rev range, peak speed, max rad/s
    {1, 1600, 4, 0, false, 0, 0.80f, 0.80f, 0.50f, 740},   // WQG WQ SPORT
    {1, 1800, 4, 0, false, 0, 0.85f, 0.80f, 0.50f, 720},   // VOG VO GT
    {1, 2000, 4, 0, true, 0.5f, 0.76f, 0.80f, 0.50f, 700}, // VOT VO GT TURBO
    {1, 2000, 4, 0, false, 0, 0.88f, 0.80f, 0.50f, 720},   // JB4 JB4 GT
    {1, 2000, 4, 0, true, 0.6f, 0.88f, 0.80f, 0.50f, 700}, // HLO HLO TURBO
    {1, 1800, 4, 0, false, 0, 0.78f, 0.80f, 0.50f, 730},   // SN4
    {1, 2500, 6, 0, false, 0, 0.80f, 0.85f, 0.50f, 730},   // SN6
    {11, 600, 4, 0, false, 0, 1.00f, 1.00f, 0.80f, 1466},  // YAS YAS5 (a bike engine)
    {2, 1200, 3, 0, false, 0, 0.64f, 0.80f, 0.50f, 700},   // DY1 DY 1000
    {1, 4200, 8, 2, false, 0, 1.06f, 0.80f, 0.45f, 680},   // ZEB ZEBALOR
    {1, 2800, 6, 1, false, 0, 1.04f, 0.85f, 0.50f, 760},   // QP5 QP50
    {4, 2000, 4, 0, false, 0, 0.75f, 0.90f, 0.60f, 950},   // GEX FORMULA VO
    {5, 2000, 4, 0, true, 0.2f, 0.92f, 0.90f, 0.45f, 780}, // WQR WQ GTR
    {5, 2000, 4, 0, false, 0, 0.92f, 0.90f, 0.45f, 800},   // DYR DY GTR
    {4, 2000, 4, 0, true, 1.0f, 0.55f, 0.90f, 0.60f, 950}, // GQ8 FORMULA N8
    {5, 2000, 4, 0, true, 0.2f, 0.92f, 0.90f, 0.45f, 780}, // HLU HLO GTR
    {5, 2000, 4, 0, true, 0.2f, 0.92f, 0.90f, 0.45f, 790}, // VOQ VO GTR
    {5, 3000, 6, 1, false, 0, 0.80f, 0.90f, 0.45f, 800},   // QPZ QP50 GTR
    {10, 2400, 8, 2, false, 0, 1.10f, 1.00f, 0.85f, 1990}, // NQ1 NQ1 GRAND PRIX
    {4, 1600, 4, 0, false, 0, 0.70f, 0.90f, 0.60f, 900},   // KTA FORMULA KT02
};

// Peak power a car of each class should reach, kW: wide bands, to catch a
// description that makes a toy or a rocket.
struct PowerBand {
    float lowKw, highKw;
};
PowerBand PowerBandOf(int carClass)
{
    switch (carClass) {
    case 2: return {35, 90};
    case 4: return {100, 350};
    case 5: return {150, 450};
    case 10: return {350, 700};
    case 11: return {40, 120};
    default: return {50, 300};
    }
}

// Sine of a fraction of a turn (0..1 is one turn), from the 16.16 table.
float Sine(float turns)
{
    float units = turns * 65536.0f;
    auto angle = static_cast<int32_t>(static_cast<int64_t>(units < 0 ? units - 0.5f : units + 0.5f));
    return static_cast<float>(SineOf(angle).raw) * (1.0f / 65536.0f);
}

// A small random source of its own: the same numbers in every build.
struct Noise {
    uint32_t state;
    // -1 .. 1.
    float Next()
    {
        state = state * 1664525u + 1013904223u;
        return static_cast<float>(static_cast<int32_t>(state >> 8) - (1 << 23)) / float(1 << 23);
    }
};

float* NewSamples(EngineWave& wave, int count)
{
    wave.count = count;
    wave.samples = new float[count];
    return wave.samples;
}

// One firing pulse of the exhaust, a period of 256 samples: a sharp rise
// and a ringing decay whose harmonics depend on the engine.
void MakeExhaustPulse(EngineWave& wave, const DefaultEngineSpec& spec, int car)
{
    float* s = NewSamples(wave, 256);
    float decay = 1, step = 0.985f - 0.002f * static_cast<float>(spec.cylinders);
    float second = 0.25f + 0.05f * static_cast<float>(car % 5);
    for (int i = 0; i < 256; i++) {
        float t = static_cast<float>(i) / 256;
        float ring = Sine(t * 3) + second * Sine(t * 7) + 0.1f * Sine(t * 13);
        s[i] = decay * ring * 0.6f;
        decay *= step;
    }
}

// A periodic tone of a few harmonics (turbo and gear whine).
void MakeWhine(EngineWave& wave, int count, const float* harmonics, int harmonicCount)
{
    float* s = NewSamples(wave, count);
    for (int i = 0; i < count; i++) {
        float t = static_cast<float>(i) / static_cast<float>(count);
        float sum = 0;
        for (int h = 0; h < harmonicCount; h++)
            sum += harmonics[h] * Sine(t * static_cast<float>(h + 1));
        s[i] = sum;
    }
}

// Filtered noise shaped by an envelope that rises over `attack` samples
// and then falls by `release` per sample (air intake, dump valve, shift).
void MakeNoiseBurst(EngineWave& wave, int count, uint32_t seed, float smooth, int attack,
                    float release, float level)
{
    float* s = NewSamples(wave, count);
    Noise noise{seed};
    float filtered = 0, envelope = 0;
    for (int i = 0; i < count; i++) {
        filtered += smooth * (noise.Next() - filtered);
        if (i < attack)
            envelope = static_cast<float>(i + 1) / static_cast<float>(attack);
        else
            envelope *= release;
        s[i] = filtered * envelope * level;
    }
}

// The starter motor: a whirr with a beat at each compression stroke.
void MakeStarter(EngineWave& wave, const DefaultEngineSpec& spec)
{
    float* s = NewSamples(wave, 2048);
    float strokes = static_cast<float>(spec.cylinders) * 2;
    for (int i = 0; i < 2048; i++) {
        float t = static_cast<float>(i) / 2048;
        float beat = 0.6f + 0.4f * Sine(t * strokes);
        s[i] = beat * (0.5f * Sine(t * 64) + 0.2f * Sine(t * 128));
    }
}

// Sound values of a car, inside the ranges the engine-sound editor offers.
void SetSoundValues(EngineSoundParams& p, const DefaultEngineSpec& spec, int car)
{
    SetDefaultEngineParams(p);
    float* v = p.values;
    float variety = static_cast<float>(car % 7) / 6;  // 0..1
    v[0] = 25 + 3 * static_cast<float>(spec.cylinders) + 5 * variety;  // exhaust pipe tone
    if (v[0] > 50)
        v[0] = 50;
    v[1] = 0.3f + 0.4f * variety;                                      // tone variation
    v[2] = spec.carClass == 1 || spec.carClass == 2 ? 0.35f : 0.18f;   // silencers
    v[3] = spec.cylinders <= 3 ? 0.05f : 0.02f;                        // unevenness
    v[4] = 1.5f + variety;                                             // exhaust pulse tone
    v[8] = spec.turbo ? 120000 : 150000;                               // turbo recorded rpm
    v[13] = spec.maxSpeed > 1000 ? 9000 : 6000;                        // gear whine recorded rpm
    v[14] = spec.carClass == 1 || spec.carClass == 2 ? 0.5f : 1.2f;    // gear whine volume
    v[22] = spec.carClass == 10 ? 2.5f : 0.9f + 0.3f * variety;        // exhaust volume
}

} // namespace

void FillDefaultEngine(EngineRecord& engine, int car)
{
    const DefaultEngineSpec& spec = EngineSpecs[car];
    InitEngineData(engine);
    SetDefaultEngine(engine);
    engine.flags = spec.turbo ? EngineTurbo : 0;
    engine.displacement = spec.displacement;
    engine.cylinders = spec.cylinders;
    engine.layout = spec.layout;
    engine.boost = spec.boost;
    engine.torqueFactor = spec.torqueFactor;
    engine.revRangeFactor = spec.revRangeFactor;
    engine.peakSpeedFactor = spec.peakSpeedFactor;
    engine.maxSpeed = spec.maxSpeed;
}

namespace {

int WriteEngineFile(int car)
{
    const DefaultEngineSpec& spec = EngineSpecs[car];
    const char* code = CarNameTable[car].code;
    EngineRecord engine;
    FillDefaultEngine(engine, car);
    SetSoundValues(engine.soundParams, spec, car);

    static const float TurboHarmonics[] = {1, 0.3f, 0.15f, 0.05f};
    static const float GearHarmonics[] = {1, 0, 0.35f, 0, 0.1f};
    MakeExhaustPulse(engine.waves[0], spec, car);
    if (spec.turbo) {
        MakeWhine(engine.waves[1], 128, TurboHarmonics, 4);
        MakeNoiseBurst(engine.waves[5], 4096, 0x5EED0005u + car, 0.5f, 64, 0.9992f, 0.8f);
    }
    MakeWhine(engine.waves[3], 64, GearHarmonics, 5);
    MakeNoiseBurst(engine.waves[4], 1024, 0x5EED0004u + car, 0.15f, 1, 1, 0.5f);
    MakeNoiseBurst(engine.waves[6], 1024, 0x5EED0006u + car, 0.7f, 8, 0.993f, 1.0f);
    MakeStarter(engine.waves[7], spec);

    char path[64];
    std::snprintf(path, sizeof path, "data\\engine\\%s_default.eng", code);
    int saved = SaveEngineFile(engine, path, nullptr);

    // Read back through the game's reader: the description into a scratch
    // record, the sound into a car's engine, both as written.
    EngineRecord scratch, sound;
    InitEngineData(scratch);
    InitEngineData(sound);
    int read = saved && OpenEngineFile(scratch, path, nullptr, sound);
    bool same = read && scratch.displacement == engine.displacement &&
                scratch.cylinders == engine.cylinders && scratch.maxSpeed == engine.maxSpeed &&
                std::memcmp(sound.soundParams.values, engine.soundParams.values,
                            sizeof engine.soundParams.values) == 0;
    for (int i = 0; same && i < EngineWaveCount; i++)
        same = sound.waves[i].count == engine.waves[i].count &&
               (engine.waves[i].count == 0 ||
                std::memcmp(sound.waves[i].samples, engine.waves[i].samples,
                            sizeof(float) * engine.waves[i].count) == 0);
    ReleaseEngineSounds(sound);
    ReleaseEngineSounds(engine);
    if (!saved)
        return BuilderFail("Could not write : %s", path);
    if (!same)
        return BuilderFail("Engine file does not read back as written : %s", path);

    // The engine the description makes in its class must be a plausible one.
    scratch.inertiaFactor = 1;
    SetUpEngine(scratch, CarClassTable[spec.carClass]);
    PowerBand band = PowerBandOf(spec.carClass);
    float kw = scratch.maxPower / 1000;
    if (!(kw >= band.lowKw && kw <= band.highKw) || !(scratch.maxPowerSpeed < spec.maxSpeed) ||
        !(scratch.maxTorqueSpeed <= scratch.maxPowerSpeed) || scratch.displacement != spec.displacement ||
        scratch.cylinders != spec.cylinders)
        return BuilderFail("Implausible engine for %s : %.0f kW at %.0f rad/s", code, kw,
                           scratch.maxPowerSpeed);
    return 1;
}

} // namespace

const DefaultEngineSpec& GetDefaultEngineSpec(int car)
{
    return EngineSpecs[car];
}

int BuildEngines()
{
    for (int car = 0; car < CarCount; car++)
        if (!WriteEngineFile(car))
            return 0;
    return 1;
}
