// Small generated worlds for the world tests: made by the data builder's
// own road and content code, written through the world's writer into a
// temporary game folder and loaded back through the staged loader.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "platform/files.h"
#include "site_content.h"
#include "support/temp_folder.h"
#include "world/local.h"

namespace fixture {

constexpr double Pi = 3.14159265358979323846;

// The world of a design under the first site's name, written into the
// current folder's data\wld. The builder's world is returned for checks.
inline std::unique_ptr<World> WriteDesign(SiteDesign& design, int lightFile = 0)
{
    std::string error;
    EXPECT_TRUE(design.roads.Prepare(error)) << error;
    platform::MakeFolder("data");
    platform::MakeFolder("data\\wld");
    auto world = std::make_unique<World>();
    EXPECT_TRUE(MakeSiteWorld(design, 0, *world, error)) << error;
    EXPECT_EQ(SaveWorldFiles(*world, SiteTable[0].name, lightFile), 1);
    return world;
}

// Runs the loader to its end; the calls it took.
inline int LoadToEnd(World& world)
{
    int calls = 1;
    while (!LoadWorldStep(world) && calls < 1000000)
        calls++;
    return calls;
}

inline std::unique_ptr<World> OpenAndLoad(int configuration = 1, int reversed = 0)
{
    auto world = std::make_unique<World>();
    EXPECT_EQ(OpenWorld(*world, SiteTable[0].name, SiteTable[0].code, 0, 0, configuration, reversed, 0), 1);
    LoadToEnd(*world);
    return world;
}

// The ground under (x, y) from far above: its height (m) and world
// texture; null when there is none.
inline const WorldTexture* GroundAt(const World& world, double x, double y, double* height = nullptr)
{
    ContactQueryRecord hit;
    const FixedVector bottom{FixedFromMetres(x), FixedFromMetres(y), FixedFromMetres(-300)};
    hit.queryPosition = bottom;
    hit.queryDirection = MakeFixedVector(0, 0, FixedFromMetres(-600).raw);
    if (!WorldPointQuery(world, bottom, hit.queryDirection, hit))
        return nullptr;
    if (height)
        *height = hit.hitPosition.z.raw / 65536.0;
    return hit.hitSurface;
}

// Every message the world gives while the fixture lives.
struct MessageLog {
    static std::vector<std::string>& Lines()
    {
        static std::vector<std::string> lines;
        return lines;
    }
    MessageLog()
    {
        Lines().clear();
        SetWorldMessageHooks({[](const char* text, int) { Lines().emplace_back(text); },
                              [](const char* text) { Lines().emplace_back(text); }});
    }
    ~MessageLog() { ResetWorldHooks(); }
    bool Says(const std::string& part) const
    {
        for (const std::string& line : Lines())
            if (line.find(part) != std::string::npos)
                return true;
        return false;
    }
};

} // namespace fixture

// A test in its own game folder with the world tables reset.
class WorldFolderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetCoreTables();
        ResetWorldTables();
        EditProgramMode([](ProgramModeRecord& mode) {
            mode.graphicsOn = 0;
            mode.dedicatedMode = 0;
        });
        MutableLoadedWorld.checkpointSearchBit = 0;
    }
    void TearDown() override
    {
        ResetWorldTables();
        SetWorldLoadClock(nullptr);
        SetWorldLoadBudget(50);
    }
    TempFolder folder;
};
