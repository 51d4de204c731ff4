// Surface kinds: what a world texture's kind (0..16) means to the tyres,
// the lap timing and the AI.
#pragma once

#include <cstdint>

struct SurfaceKindRecord {
    float firstFactor;
    float secondFactor;  // loose surfaces: drag on a rolling tyre per newton of load; 0 for most
    uint8_t loose;       // 1: gravel, grass, sand; the tyre model's loose-surface curves
    uint8_t level;
    uint8_t road;        // 1: counts as road
    uint8_t depth;       // cm of loose material (read by the tyre model as m x 0.01)
};
constexpr int SurfaceKindTableSize = 17;
// Indexed by surface kind. Constant; part of the race settings' checksum.
extern const SurfaceKindRecord SurfaceKindTable[SurfaceKindTableSize];
