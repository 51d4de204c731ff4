// The colour file "data\colours\<code>_<name>.col": one car colour
// configuration.
#include <cstring>

#include "graphics/local.h"

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
    ReadColourConfig(read, reader);
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
