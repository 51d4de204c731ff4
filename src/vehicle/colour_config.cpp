// The 48-byte stored form of a car colour configuration, read and written
// the same way inside car data, grid files, replay headers and colour files.
#include "vehicle/colour_config.h"

#include <cstring>

void ColourConfigName(const ColourConfig& config, char (&out)[17])
{
    std::memcpy(out, config.name, sizeof config.name);
    out[16] = 0;
}

int ColourConfigsDiffer(const ColourConfig& a, const ColourConfig& b)
{
    return std::memcmp(&a, &b, sizeof(ColourConfig)) != 0 ? 1 : 0;
}

void ReadColourConfig(ColourConfig& config, DataFile& reader)
{
    ReadBlock(reader, config.name, sizeof config.name);
    for (CarColour& colour : config.colours) {
        uint8_t bytes[4];
        ReadBlock(reader, bytes, 4);
        colour = {bytes[0], bytes[1], bytes[2], bytes[3]};
    }
}

void WriteColourConfig(const ColourConfig& config, DataFile& writer)
{
    WriteBlock(writer, config.name, sizeof config.name);
    for (const CarColour& colour : config.colours) {
        const uint8_t bytes[4] = {colour.red, colour.green, colour.blue, colour.extra};
        WriteBlock(writer, bytes, 4);
    }
}
