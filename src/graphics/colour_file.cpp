// Car colour configurations: the 48-byte record inside car data and player
// files, and the colour file "data\colours\<code>_<name>.col" that holds
// one.
#include <cstring>

#include "graphics/local.h"

void ColourConfigName(const ColourConfig& config, char (&out)[17])
{
    std::memcpy(out, config.name, sizeof config.name);
    out[16] = 0;
}

int ColourConfigsDiffer(const ColourConfig& a, const ColourConfig& b)
{
    return std::memcmp(&a, &b, sizeof(ColourConfig)) != 0 ? 1 : 0;
}

void ReadColourConfig(ColourConfig& config, DataFile& reader, int /*version*/)
{
    // All 16 name bytes are kept: a 16-character name has no end mark, and
    // users take a terminated copy (ColourConfigName).
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

int SaveColourConfig(const ColourConfig& config, const char* path)
{
    DataFile writer;
    CreateDataFile(writer, nullptr, path ? path : "", ColourFileMagic, ColourFileVersion);
    if (!writer.IsOpen())
        return 0;
    WriteColourConfig(config, writer);
    return CloseDataFile(writer);
}

int LoadColourConfig(ColourConfig& config, const char* path)
{
    DataFile reader;
    int version = 0;
    LoadDataFile(reader, nullptr, path ? path : "", ColourFileMagic, version, ColourFileVersion, false);
    if (!reader.IsOpen())
        return 0;
    ColourConfig read;
    ReadColourConfig(read, reader, version);
    const bool overran = reader.Overran();
    CloseDataFile(reader);
    if (overran) {
        LogPrintf("LoadColourConfig : File is too short : %s", path);
        return 0;
    }
    // A '.' ends the name.
    if (char* dot = static_cast<char*>(std::memchr(read.name, '.', sizeof read.name)))
        std::memset(dot, 0, sizeof read.name - size_t(dot - read.name));
    config = read;
    return 1;
}
