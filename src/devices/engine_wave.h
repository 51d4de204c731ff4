// Engine waves in files (engine_wave.cpp): the recorded waves of an
// engine's sound as engine files and car data hold them.
#pragma once

#include "core/services.h"

struct EngineWave;
// Reads one wave: a count byte, a spare byte, a storage kind and the type.
// Kinds 0 and 1 (old forms) are skipped, kind 2 is empty, kind 3 holds an
// int32 sample count and the samples, which replace the wave's array.
// Returns 1, or 0 with "Could not read wave" for an unknown kind or a
// sample count the file cannot hold.
int ReadWaveShape(EngineWave& wave, DataFile& reader, int version);
// Writes the wave in storage kind 3.
void WriteWaveShape(const EngineWave& wave, DataFile& writer);
// Frees the samples; with clear set the count and pointer become 0.
void FreeWave(EngineWave& wave, int clear);
