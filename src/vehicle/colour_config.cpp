// The 48-byte stored form of a car colour configuration, read and written
// the same way inside car data, grid files and replay headers.
#include "vehicle/colour_config.h"

void ReadColourConfig(ColourConfig& config, DataFile& reader)
{
    ReadBlock(reader, config.name, sizeof config.name);
    config.name[sizeof config.name - 1] = 0;
    for (CarColour& colour : config.colours) {
        colour.red = static_cast<uint8_t>(ReadByte(reader));
        colour.green = static_cast<uint8_t>(ReadByte(reader));
        colour.blue = static_cast<uint8_t>(ReadByte(reader));
        colour.extra = static_cast<uint8_t>(ReadByte(reader));
    }
}

void WriteColourConfig(const ColourConfig& config, DataFile& writer)
{
    WriteFixedString(writer, config.name, sizeof config.name);
    for (const CarColour& colour : config.colours) {
        const uint8_t bytes[4] = {colour.red, colour.green, colour.blue, colour.extra};
        WriteBlock(writer, bytes, 4);
    }
}
