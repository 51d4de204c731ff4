// What the car data reader needs of car drawing: colour configurations and
// axle blocks read whole, the tyre's physical shape, and plates and skins as
// a program without car drawing has them (none).
#include <cmath>

#include "graphics/services.h"
#include "vehicle/services.h"

void ReadColourConfig(ColourConfig& config, DataFile& reader, int /*version*/)
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

void ReadAxleTyreGeometry(Axle& axle, DataFile& reader, int /*version*/)
{
    axle.tyreWidth = ReadFloat(reader);
    axle.sidewallRatio = ReadFloat(reader);
    axle.rimRadius = ReadFloat(reader);
    axle.rimWidth = ReadFloat(reader);
    axle.suspensionType = ReadInt(reader);
    axle.maxHeight = ReadFloat(reader);
    axle.casterAngle = ReadFloat(reader);
    ReadFloat(reader);
    axle.kingpinInclination = ReadFloat(reader);
    axle.armAngleOffset = ReadFloat(reader);
    axle.wheelOffset = ReadFloat(reader);
    axle.trackWidth = ReadFloat(reader);
    ReadFloat(reader);
    axle.armLength = ReadFloat(reader);
    axle.upperLinkLength = ReadFloat(reader);
    axle.kingpinHalfLength = ReadFloat(reader);
    axle.tyreModels[0] = axle.tyreModels[1] = nullptr;
}

void BuildTyreProfile(Axle& axle, float /*wheelOffset*/, int /*unused*/, ObjectModel* /*body*/,
                      int bikeTyre, int /*classTen*/)
{
    const float w = axle.tyreWidth, e = axle.rimRadius;
    axle.bikeTyre = bikeTyre;
    axle.tyreRadius = w * axle.sidewallRatio + e;
    const float r = axle.tyreRadius;
    float deflection;
    if (!bikeTyre) {
        const float d = e + 0.015f;
        const float f = 0.3f * (r - 0.02f * w - d);
        const float crown = 0.02f * w + f;
        axle.profileRadius = crown > 0 ? (crown * crown + (w / 2) * (w / 2)) / (2 * crown) : w;
        axle.treadWidth = w - 2 * f;
        deflection = 0.7f * (r - 0.02f * w - d);
    } else {
        axle.profileRadius = w / 2 * 1.4142f;
        axle.treadWidth = 0.9078f * axle.profileRadius;
        deflection = 0.7f * (r - e);
    }
    const int compound = axle.tyreType >= 0 && axle.tyreType < TyreCompoundCount ? axle.tyreType : 0;
    axle.pressureStiffness = deflection > 0
                                 ? CompoundTable[compound].stiffnessFactor * w / std::sqrt(deflection)
                                 : 0;
    // The contact patch of a torus pressed flat: 2 pi sqrt(R rho) per metre
    // of deflection.
    constexpr float TwoPi = 6.28318530717958647692f;
    axle.radialStiffness = std::sqrt(r * axle.profileRadius) * TwoPi;
    axle.tyreDamping = 3000.0f * std::sqrt(r * w);
    axle.drawRadius = FixedFromMetres(r).raw;
    axle.drawWidth = FixedFromMetres(w).raw;
}

int GetNumberPlate(const char* /*plateText*/)
{
    return -1;
}

void ReleaseNumberPlate(int /*index*/) {}

void LoadCarSkins(CarObject& /*car*/, ObjectModel* /*body*/) {}
