// The car data's axle block: the one reader and the one writer of the
// 64 bytes of tyre, rim and suspension geometry each axle has in the file.
#include "vehicle/local.h"

void ReadCarDataAxle(CarDataAxle& axle, DataFile& reader)
{
    axle.tyreWidth = ReadFloat(reader);
    axle.sidewallRatio = ReadFloat(reader);
    axle.rimRadius = ReadFloat(reader);
    axle.rimWidth = ReadFloat(reader);
    axle.suspensionType = ReadInt(reader);
    axle.maxHeight = ReadFloat(reader);
    axle.casterAngle = ReadFloat(reader);
    axle.unusedA = ReadFloat(reader);
    axle.kingpinInclination = ReadFloat(reader);
    axle.armAngleOffset = ReadFloat(reader);
    axle.wheelOffset = ReadFloat(reader);
    axle.trackWidth = ReadFloat(reader);
    axle.unusedB = ReadFloat(reader);
    axle.armLength = ReadFloat(reader);
    axle.upperLinkLength = ReadFloat(reader);
    axle.kingpinHalfLength = ReadFloat(reader);
}

void WriteCarDataAxle(DataFile& writer, const CarDataAxle& axle)
{
    WriteFloat(writer, axle.tyreWidth);
    WriteFloat(writer, axle.sidewallRatio);
    WriteFloat(writer, axle.rimRadius);
    WriteFloat(writer, axle.rimWidth);
    WriteInt(writer, axle.suspensionType);
    WriteFloat(writer, axle.maxHeight);
    WriteFloat(writer, axle.casterAngle);
    WriteFloat(writer, axle.unusedA);
    WriteFloat(writer, axle.kingpinInclination);
    WriteFloat(writer, axle.armAngleOffset);
    WriteFloat(writer, axle.wheelOffset);
    WriteFloat(writer, axle.trackWidth);
    WriteFloat(writer, axle.unusedB);
    WriteFloat(writer, axle.armLength);
    WriteFloat(writer, axle.upperLinkLength);
    WriteFloat(writer, axle.kingpinHalfLength);
}
