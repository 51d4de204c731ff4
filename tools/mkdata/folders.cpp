// The folders of the data folder: those the program reads its files from
// and the eleven it creates itself at start-up, so that a fresh game folder
// starts without creating anything.
#include "builder.h"
#include "platform/files.h"

namespace {

const char* const DataFolders[] = {
    // Read at start-up and by the screens.
    "data\\veh", "data\\hmn", "data\\skins", "data\\engine", "data\\misc", "data\\abc",
    "data\\language", "data\\setups", "data\\wld", "data\\pic", "data\\move", "data\\training",
    // Made by the program's start-up in this order.
    "data\\spr", "data\\mpr", "data\\knw", "data\\raf", "data\\layout", "data\\skins_dds",
    "data\\skins_x", "data\\skins_y", "data\\views", "data\\shots", "data\\grids",
};

} // namespace

int BuildDataFolders()
{
    if (!platform::MakeFolder("data"))
        return BuilderFail("Could not create a data folder : data");
    for (const char* folder : DataFolders) {
        if (!platform::MakeFolder(folder))
            return BuilderFail("Could not create a data folder : %s", folder);
    }
    return 1;
}
