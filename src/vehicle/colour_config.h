// A car colour configuration: the record that car data, player slots, join
// records, grid files and the car drawing share, and its 48-byte stored form.
#pragma once

#include "core/services.h"

// One colour of a colour configuration: its 4-byte stored form (red, green,
// blue and a flags byte whose bit 0 marks an unlit colour).
struct CarColour {
    uint8_t red = 0, green = 0, blue = 0, extra = 0;
};
// A car colour configuration (48 bytes): a name (the skin name) and two sets
// of four colours.
struct ColourConfig {
    char name[16] = {};
    CarColour colours[8];
};
static_assert(sizeof(ColourConfig) == 48);

// Reads one configuration (the name always ends in a zero); no failure
// result (a short file reads 0xFF).
void ReadColourConfig(ColourConfig& config, DataFile& reader);
void WriteColourConfig(const ColourConfig& config, DataFile& writer);
