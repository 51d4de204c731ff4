// A car colour configuration: the record that car data, player slots, join
// records, grid files, colour files and the car drawing share, and its
// 48-byte stored form.
#pragma once

#include "core/services.h"

// One colour of a configuration: its 4-byte stored form (red, green, blue
// and a flags byte whose bit 0 marks an unlit colour).
struct CarColour {
    uint8_t red = 0, green = 0, blue = 0, extra = 0;
    constexpr bool operator==(const CarColour&) const = default;
};
// A car colour configuration (48 bytes): a name (the skin name) of up to 16
// characters, zero-padded, with no end mark when it is 16 long; then two
// sets of four colours whose meanings belong to the car drawing.
struct ColourConfig {
    char name[16] = {};
    CarColour colours[8];
};
static_assert(sizeof(ColourConfig) == 48);

// The configuration's name as a terminated string.
void ColourConfigName(const ColourConfig& config, char (&out)[17]);
// 1 when any of the 48 bytes differ.
int ColourConfigsDiffer(const ColourConfig& a, const ColourConfig& b);

// Reads one configuration, keeping all 16 name bytes (users take a
// terminated copy); no failure result (a short file reads 0xFF).
void ReadColourConfig(ColourConfig& config, DataFile& reader);
void WriteColourConfig(const ColourConfig& config, DataFile& writer);
