// The cars' colour configurations: three a car, kept in its car data and
// written as colour files "data\colours\<code>_<name>.col" through the
// game's colour-file writer, each read back through its reader.
#include <cstdio>
#include <cstring>

#include "builder.h"
#include "core/services.h"
#include "graphics/services.h"
#include "platform/files.h"

namespace {

// A paint scheme: its name and the body and trim colours.
struct Paint {
    const char* name;
    CarColour body, trim;
};
const Paint Paints[] = {
    {"Red", {200, 30, 30, 0}, {240, 240, 240, 0}},
    {"Blue", {30, 70, 190, 0}, {250, 210, 40, 0}},
    {"Yellow", {235, 200, 30, 0}, {20, 20, 20, 0}},
    {"White", {235, 235, 235, 0}, {30, 120, 60, 0}},
};
constexpr int PaintCount = sizeof Paints / sizeof Paints[0];

} // namespace

void MakeCarColours(int car, ColourConfig (&configs)[CarColourConfigCount])
{
    for (int c = 0; c < CarColourConfigCount; c++) {
        const Paint& paint = Paints[(car + c) % PaintCount];
        ColourConfig& config = configs[c];
        config = ColourConfig{};
        std::snprintf(config.name, sizeof config.name, "%s", paint.name);
        for (int k = 0; k < 8; k++)
            config.colours[k] = k < 4 ? paint.body : paint.trim;
    }
}

int BuildColourFiles()
{
    if (!platform::MakeFolder("data\\colours"))
        return BuilderFail("Could not create a data folder : data\\colours");
    for (int car = 0; car < CarCount; car++) {
        ColourConfig configs[CarColourConfigCount];
        MakeCarColours(car, configs);
        for (const ColourConfig& config : configs) {
            char name[17];
            ColourConfigName(config, name);
            char path[256];
            std::snprintf(path, sizeof path, "data\\colours\\%s_%s.col", CarNameTable[car].code, name);
            if (!SaveColourConfig(config, path))
                return BuilderFail("Could not write colour file : %s", path);
            ColourConfig read;
            if (!LoadColourConfig(read, path) || ColourConfigsDiffer(read, config))
                return BuilderFail("Colour file does not read back : %s", path);
        }
    }
    return 1;
}
