// The structure records of a car's mass model: points, bars between them and
// boxes of mass, and their readers from the car data stream.
#include "vehicle/services.h"

void ReadStructurePoint(StructurePoint& point, DataFile& reader)
{
    point.x = ReadInt(reader);
    point.y = ReadInt(reader);
    point.z = ReadInt(reader);
    point.value = ReadFloat(reader);
    point.kind = static_cast<int16_t>(ReadShort(reader));
    point.flagA = static_cast<uint8_t>(ReadByte(reader));
    point.flagB = static_cast<uint8_t>(ReadByte(reader));
}

void ClampBarValue(StructureBar& bar, float value)
{
    // A NaN compares false both ways and would pass; it becomes the minimum.
    if (!(value >= 0.5f))
        value = 0.5f;
    else if (value > 40.0f)
        value = 40.0f;
    bar.value = value;
}

void ReadStructureBar(StructureBar& bar, DataFile& reader)
{
    bar = {};
    bar.pointA = static_cast<int16_t>(ReadShort(reader));
    bar.pointB = static_cast<int16_t>(ReadShort(reader));
    float value = ReadFloat(reader);
    bar.flags = ReadInt(reader);
    if (bar.flags & StructureBarRawFlag)
        bar.rawValue = value;
    else
        ClampBarValue(bar, value);
}

void InitMassBox(MassBox& box, float mass, const Vec3& centre, const Vec3& halfSize, int32_t word)
{
    box.mass = mass;
    box.centre = centre;
    box.halfSize = halfSize;
    box.word = word;
}
