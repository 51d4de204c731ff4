// A car's lamps as its car data gives them: the colours of its light
// records.
#include "vehicle/local.h"

void ReadCarLightColours(CarObject& car, DataFile& reader, int /*version*/)
{
    for (int i = 0; i < 8; i++) {
        ColourRecord& colour = car.lamps.lightColours[i];
        colour.r = static_cast<uint8_t>(ReadByte(reader));
        colour.g = static_cast<uint8_t>(ReadByte(reader));
        colour.b = static_cast<uint8_t>(ReadByte(reader));
        colour.flags = static_cast<uint8_t>(ReadByte(reader));
    }
    // A lamp shines by itself: none is shaded by the scene's light.
    for (ColourRecord& colour : car.lamps.lightColours)
        colour.flags |= 1;
}
