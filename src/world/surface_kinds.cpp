// The fixed table of ground surface kinds.
#include "world/services.h"

// Kind 9 is the fences' kind; kind 13 is the surface of a contact that hit
// no world surface: barely any friction, neither loose nor road.
const SurfaceKindRecord SurfaceKindTable[SurfaceKindTableSize] = {
    {0.12f, 0.0f, 0, 240, 1, 0},
    {0.12f, 0.0f, 0, 230, 1, 0},
    {0.24f, 0.05f, 1, 200, 0, 8},
    {0.18f, 0.03f, 1, 160, 0, 8},
    {0.24f, 0.3f, 1, 180, 0, 16},
    {0.2f, 0.02f, 1, 180, 0, 16},
    {0.12f, 0.0f, 0, 220, 1, 0},
    {0.12f, 0.0f, 0, 220, 1, 0},
    {0.24f, 0.5f, 1, 140, 0, 8},
    {0.12f, 0.0f, 0, 220, 0, 0},
    {0.12f, 0.0f, 0, 220, 0, 0},
    {0.24f, 0.05f, 1, 200, 0, 8},
    {0.12f, 0.0f, 0, 240, 1, 0},
    {0.01f, 0.0f, 0, 100, 0, 0},
    {0.12f, 0.0f, 0, 240, 1, 0},
    {0.12f, 0.0f, 0, 240, 1, 0},
    {0.12f, 0.0f, 0, 240, 1, 0},
};
