// The data builder: writes the default data folder into the game folder
// given on the command line, deterministically, through the game's own
// writers, and reads every file back through the game's own readers.
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

#include "builder.h"
#include "core/services.h"
#include "platform/files.h"
#include "session/services.h"
#include "ui/services.h"
#include "world/services.h"

int BuilderFail(const char* format, ...)
{
    std::va_list args;
    va_start(args, format);
    std::fputs("mkdata : ", stderr);
    std::vfprintf(stderr, format, args);
    std::fputc('\n', stderr);
    va_end(args);
    return 0;
}

namespace {

// The steps in order; each kind of content is one step in a file of its own.
struct BuildStep {
    const char* name;
    int (*build)();
};
const BuildStep BuildSteps[] = {
    {"folders", BuildDataFolders},
    {"body models", BuildBodyModels},
    {"figures", BuildFigures},
    {"skins", BuildSkins},
    {"engines", BuildEngines},
    {"cars", BuildCars},
    {"colour files", BuildColourFiles},
    {"character map", BuildCharacterMap},
    {"pictures", BuildPictures},
    {"AI names and message keys", BuildRaceFiles},
    {"track sites", BuildSites},
    {"AI knowledge", BuildKnowledgeFiles},
};

// The JPEG library reads these variables when it encodes and would change
// the skins' bytes, or refuse to encode them, by what the environment says.
const char* const JpegTuningVariables[] = {"TJ_OPTIMIZE", "TJ_ARITHMETIC", "TJ_RESTART", "TJ_PROGRESSIVE"};

} // namespace

int main(int argc, char** argv)
{
    // The same bytes on every run: the JPEG writer's defaults, whatever the
    // environment asks (before any thread starts).
    for (const char* name : JpegTuningVariables)
        unsetenv(name);
    if (argc != 2) {
        std::fprintf(stderr, "usage: mkdata <game folder>\n");
        return 2;
    }
    std::string root = argv[1];
    std::error_code error;
    if (!platform::MakeFolder(root) || (std::filesystem::current_path(root, error), error)) {
        std::fprintf(stderr, "mkdata : Could not create folder : %s\n", root.c_str());
        return 1;
    }
    ResetCoreTables();
    ResetWorldTables();
    // The cars are read back through their body models and placed on the
    // ground; their messages go to the interface.
    InstallWorldVehicleHooks();
    InstallSessionVehicleHooks();
    InstallUiVehicleHooks();
    BuildTrigTables();
    for (const BuildStep& step : BuildSteps) {
        if (!step.build()) {
            std::fprintf(stderr, "mkdata : step failed : %s\n", step.name);
            return 1;
        }
    }
    return 0;
}
