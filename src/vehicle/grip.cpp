// Tyre grip: the friction factor of each compound on each surface kind,
// what the tyre model takes from a compound and what each surface kind
// means to a tyre.
#include "vehicle/services.h"

// Rows: compounds 0 to 7; columns: surface kinds 0 to 16. Kinds 0, 12 and
// 14 to 16 grip alike, as do 2, 8 and 11; 4 and 5; 6, 7, 9 and 10. Kind 13
// (no surface) gives 0.10 for every compound. The four slicks lose 0.02 per
// step from the softest on the tarmac-like kinds and are alike elsewhere.
const float GripTable[TyreCompoundCount][SurfaceKindCount] = {
    {1.52f, 1.48f, 0.60f, 0.50f, 0.55f, 0.55f, 1.36f, 1.36f, 0.60f, 1.36f, 1.36f, 0.60f, 1.52f, 0.10f, 1.52f, 1.52f, 1.52f},  // slick R1
    {1.50f, 1.46f, 0.60f, 0.50f, 0.55f, 0.55f, 1.34f, 1.34f, 0.60f, 1.34f, 1.34f, 0.60f, 1.50f, 0.10f, 1.50f, 1.50f, 1.50f},  // slick R2
    {1.48f, 1.44f, 0.60f, 0.50f, 0.55f, 0.55f, 1.32f, 1.32f, 0.60f, 1.32f, 1.32f, 0.60f, 1.48f, 0.10f, 1.48f, 1.48f, 1.48f},  // slick R3
    {1.46f, 1.42f, 0.60f, 0.50f, 0.55f, 0.55f, 1.30f, 1.30f, 0.60f, 1.30f, 1.30f, 0.60f, 1.46f, 0.10f, 1.46f, 1.46f, 1.46f},  // slick R4
    {1.15f, 1.10f, 0.70f, 0.60f, 0.65f, 0.65f, 1.05f, 1.05f, 0.70f, 1.05f, 1.05f, 0.70f, 1.15f, 0.10f, 1.15f, 1.15f, 1.15f},  // road super
    {1.05f, 1.00f, 0.70f, 0.60f, 0.65f, 0.65f, 0.95f, 0.95f, 0.70f, 0.95f, 0.95f, 0.70f, 1.05f, 0.10f, 1.05f, 1.05f, 1.05f},  // road normal
    {1.05f, 1.00f, 0.85f, 0.75f, 0.80f, 0.80f, 0.95f, 0.95f, 0.85f, 0.95f, 0.95f, 0.85f, 1.05f, 0.10f, 1.05f, 1.05f, 1.05f},  // hybrid
    {0.90f, 0.90f, 0.95f, 0.85f, 0.90f, 0.90f, 0.80f, 0.80f, 0.95f, 0.80f, 0.80f, 0.95f, 0.90f, 0.10f, 0.90f, 0.90f, 0.90f},  // knobbly
};

const TyreCompound CompoundTable[TyreCompoundCount] = {
    {1.0f, 70, 980, 4.1e-8f},
    {1.0f, 85, 910, 2.6e-8f},
    {1.0f, 100, 840, 1.6e-8f},
    {1.0f, 115, 780, 1.0e-8f},
    {0.6f, 60, 450, 1.2e-8f},
    {0.5f, 50, 300, 9.0e-9f},
    {0.6f, 50, 450, 1.5e-8f},
    {0.5f, 40, 300, 9.0e-9f},
};

// Kind 9 is the fences' kind; kind 13 is the surface of a contact that hit
// no world surface: barely any friction, neither loose nor road.
const SurfaceKindRecord SurfaceKindTable[SurfaceKindCount] = {
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
