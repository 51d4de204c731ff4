// The program's world: the site it loads from its settings or command line,
// and what the program shell asks of the loaded world.
#include "world/local.h"

int LoadWorldStep()
{
    return CurrentWorld ? LoadWorldStep(*MutableLoadedWorld.world) : 1;
}

int IsWorldLoading()
{
    return CurrentWorld ? IsWorldLoading(*CurrentWorld) : 0;
}

const char* WorldProgressText()
{
    return CurrentWorld ? CurrentWorld->progress : "";
}

int LoadedWorldSite()
{
    return CurrentWorld ? FindSite(CurrentWorld->name, nullptr) : -1;
}

void FreeWorld()
{
    if (CurrentWorld)
        FreeWorld(*MutableLoadedWorld.world);
    delete MutableLoadedWorld.owned;
    MutableLoadedWorld.owned = nullptr;
}

int LoadSiteNow(const char* siteName, int configuration, int reversed)
{
    FreeWorld();
    const int site = FindSite(siteName, nullptr);
    if (site < 0) {
        LogPrintf("LoadSiteNow : unknown track : %s", siteName);
        return 0;
    }
    World* world = new World;
    MutableLoadedWorld.owned = world;
    if (!OpenWorld(*world, SiteTable[site].name, SiteTable[site].code, ProgramMode.graphicsOn, 0, configuration, reversed,
                   Settings.lighting)) {
        LogPrintf("LoadSiteNow : track not opened : %s", SiteTable[site].name);
        FreeWorld();
        return 0;
    }
    while (!LoadWorldStep(*world)) {
    }
    if (!world->ready) {
        LogPrintf("LoadSiteNow : track refused : %s", SiteTable[site].name);
        FreeWorld();
        return 0;
    }
    LogPrintf("Track loaded : %s %s%s", world->name, GetConfigDisplayName(*world), world->reversed ? " reversed" : "");
    return 1;
}
