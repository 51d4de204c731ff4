// A site of the data builder's folder for the session's tests.
#include "site_fixture.h"

#include <string>

#include "support/built_game.h"

namespace {

// Enough calls of the loader's step for every stage of the largest site.
constexpr int MaxLoadSteps = 100000;

const std::string& GameFolder()
{
    static BuiltGame game(std::string(QV_BINARY_DIR) + "/tests/session/site_game_");
    return game.path;
}

} // namespace

::testing::AssertionResult EnterGameFolder(std::filesystem::path& previous)
{
    const std::string& folder = GameFolder();
    if (folder.empty())
        return ::testing::AssertionFailure() << "the data builder failed (see site_game_<pid>.log)";
    previous = std::filesystem::current_path();
    std::filesystem::current_path(folder);
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult LoadWholeSite(std::unique_ptr<World>& world, int site)
{
    world = std::make_unique<World>();
    if (OpenWorld(*world, SiteTable[site].name, SiteTable[site].code, 0, 0, 1, 0, 0) != 1)
        return ::testing::AssertionFailure() << "the site " << SiteTable[site].name << " does not open";
    for (int calls = 0; calls < MaxLoadSteps && !LoadWorldStep(*world); calls++) {
    }
    if (!world->ready || CurrentWorld != world.get())
        return ::testing::AssertionFailure() << "the site " << SiteTable[site].name << " did not load whole";
    return ::testing::AssertionSuccess();
}
