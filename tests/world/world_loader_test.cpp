// The staged world loader on generated worlds: every stage to the end with
// the road found under every node and the lap measured as the builder
// designed it, the time budget of the sliced stages on a clock the test
// drives, the files that must be refused (counts beyond their tables, ends
// that are no profiles), configuration 0, the light file and old path
// files, and the bump map against its formula.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "world_fixture.h"

namespace {

using namespace fixture;

bool IsRoadKind(int kind) { return kind >= 0 && kind < SurfaceKindCount && SurfaceKindTable[kind].road; }

class LoaderTest : public WorldFolderTest {};

// A car driving the path's pit lane passes a car standing in any pit box:
// each box lies beside the lane's nearest node by more than two wide cars'
// half widths (1 m each) and a metre between them.
void ExpectPitLaneClearOfBoxes(const Path& path, const World& world)
{
    constexpr double ClearAcross = 3.0;  // m
    ASSERT_GE(path.secondNodes.size(), 2u);
    for (int k = 0; k < world.pitBoxCount; k++) {
        const double bx = world.pitBoxes[k]->x.raw / 65536.0, by = world.pitBoxes[k]->y.raw / 65536.0;
        const PathNode* nearest = nullptr;
        double nearestSq = 0;
        for (const PathNode& node : path.secondNodes) {
            const double dx = bx - node.centre.x.raw / 65536.0, dy = by - node.centre.y.raw / 65536.0;
            if (!nearest || dx * dx + dy * dy < nearestSq) {
                nearest = &node;
                nearestSq = dx * dx + dy * dy;
            }
        }
        const double dx = bx - nearest->centre.x.raw / 65536.0, dy = by - nearest->centre.y.raw / 65536.0;
        const double across = dx * nearest->direction.y - dy * nearest->direction.x;
        EXPECT_GT(std::fabs(across), ClearAcross) << "box " << k;
    }
}

TEST_F(LoaderTest, GeneratedWorldLoadsEveryStageAndFindsItsRoad)
{
    SiteDesign design = StadiumDesign();
    std::unique_ptr<World> built = WriteDesign(design);
    MessageLog messages;
    for (int reversed = 0; reversed <= 1; reversed++) {
        SCOPED_TRACE(reversed ? "reversed" : "forwards");
        auto world = std::make_unique<World>();
        ASSERT_EQ(OpenWorld(*world, SiteTable[0].name, SiteTable[0].code, 0, 0, 1, reversed, 0), 1);
        EXPECT_EQ(CurrentWorld, world.get());
        std::vector<std::string> progress{world->progress};
        while (!LoadWorldStep(*world))
            if (progress.back() != world->progress)
                progress.emplace_back(world->progress);
        const std::vector<std::string> stages = {"Paths", "Colours", "Duplicators", "Light schemes", "Reading objects",
                                                 "Lighting info", "Bump textures", "Initialising colours", "Check points",
                                                 "Extra data", "Start objects", "Map squares", "Path initialisation",
                                                 "Loading textures 0%", "Path adjustment"};
        EXPECT_EQ(progress, stages);
        EXPECT_STREQ(world->progress, "FINISHED");
        ASSERT_TRUE(world->ready);
        EXPECT_EQ(world->loadStage, 0);
        EXPECT_EQ(world->reversed, reversed);
        EXPECT_TRUE(messages.Lines().empty()) << messages.Lines().front();
        EXPECT_EQ(world->objects.size(), built->objects.size());
        EXPECT_EQ(world->timingPointCount, 4);

        const Path& path = *world->currentPath;
        for (int t = 0; t < TimingPointSlots; t++)
            EXPECT_GE(path.timingNodes[t], 0) << "timing point " << t + 1;
        for (const PathNode& node : path.nodes) {
            const WorldTexture* ground = GroundAt(*world, node.centre.x.raw / 65536.0, node.centre.y.raw / 65536.0);
            ASSERT_NE(ground, nullptr);
            EXPECT_TRUE(IsRoadKind(ground->surfaceKind));
        }
        EXPECT_FLOAT_EQ(path.roadFraction, 1.0f);
        // The lap the checkpoint set-up measures is the centre line the builder laid.
        const int finish = path.timingNodes[0];
        EXPECT_NEAR(path.nodes[size_t(finish)].distance, design.roads.CentreLineLength(0),
                    0.001 * design.roads.CentreLineLength(0));
        ASSERT_EQ(GetStartPositionCount(*world), MaxStartPlaces);
        for (int slot = 0; slot < MaxStartPlaces; slot++) {
            FixedVector place;
            float heading;
            GetStartPosition(*world, place, heading, slot);
            const WorldTexture* ground = GroundAt(*world, place.x.raw / 65536.0, place.y.raw / 65536.0);
            ASSERT_NE(ground, nullptr) << "place " << slot;
            EXPECT_TRUE(IsRoadKind(ground->surfaceKind)) << "place " << slot;
        }
        EXPECT_EQ(world->pitBoxCount, MaxStartPlaces);
        EXPECT_EQ(world->speedZoneCount, 1);
        EXPECT_EQ(world->lightZoneCount, 1);
        EXPECT_GT(world->garageCount, 0);
        EXPECT_NE(FindSpeedZoneAt(*world, world->pitBoxes[0]->x, world->pitBoxes[0]->y), nullptr);
        ExpectPitLaneClearOfBoxes(path, *world);
    }
}

// A clock that moves on 1 ms each time the loader reads it.
uint32_t TickingClock()
{
    static uint32_t now = 1000;
    return ++now;
}

TEST_F(LoaderTest, SlicedStagesSpanTheCallsTheBudgetGives)
{
    SiteDesign design = StadiumDesign();
    std::string error;
    ASSERT_TRUE(design.roads.Prepare(error)) << error;
    platform::MakeFolder("data");
    platform::MakeFolder("data\\wld");
    auto built = std::make_unique<World>();
    ASSERT_TRUE(MakeSiteWorld(design, 0, *built, error)) << error;
    // Enough textures that their stage is sliced too.
    while (built->textures.size() < 240)
        built->textures.push_back(built->textures[TexTarmac]);
    ASSERT_EQ(SaveWorldFiles(*built, SiteTable[0].name, 0), 1);
    const int objects = static_cast<int>(built->objects.size()), textures = 240;

    SetWorldLoadClock(TickingClock);
    SetWorldLoadBudget(50);
    auto world = std::make_unique<World>();
    ASSERT_EQ(OpenWorld(*world, SiteTable[0].name, SiteTable[0].code, 0, 0, 1, 0, 0), 1);
    int objectCalls = 0, textureCalls = 0;
    while (true) {
        const int stage = world->loadStage, before = world->cursor;
        const int done = LoadWorldStep(*world);
        if (stage == 5) {
            objectCalls++;
            // Each call stops once the deadline has passed: the budget plus one object.
            EXPECT_LE(world->cursor - before, 51);
            if (world->loadStage == 5) {
                EXPECT_STREQ(world->progress, "Reading objects");
                EXPECT_TRUE(IsWorldLoading(*world));
            }
        }
        if (stage == 14)
            textureCalls++;
        if (done)
            break;
    }
    ASSERT_TRUE(world->ready);
    EXPECT_EQ(objectCalls, (objects + 50) / 51);
    EXPECT_EQ(textureCalls, (textures + 50) / 51);
}

// One refusal of a damaged file: the world is changed before it is written.
struct Damage {
    const char* label;
    std::function<void(World&)> apply;
    const char* reason;
};

WorldObject* FirstOfType(World& world, int type)
{
    for (WorldObject* o : world.objects)
        if (o->GetType() == type)
            return o;
    return nullptr;
}

TEST_F(LoaderTest, FilesBeyondTheirTablesOrWithBadReferencesAreRefusedWhole)
{
    const std::vector<Damage> damages = {
        {"16 configurations", [](World& w) { w.configs.resize(16); }, "configuration count"},
        {"17 light schemes", [](World& w) { w.schemes.resize(17); }, "light scheme count"},
        {"257 camera zone points", [](World& w) { w.zonePoints.resize(257); }, "camera zone point count"},
        {"257 camera zone triangles",
         [](World& w) { w.zoneTriangles.resize(257, w.zoneTriangles.front()); }, "camera zone triangle count"},
        {"16385 objects",
         [](World& w) {
             while (w.objects.size() <= size_t(MaxWorldObjects))
                 w.objects.push_back(new CameraObject);
         },
         "object count"},
        {"a surface ending on a camera",
         [](World& w) {
             auto* s = static_cast<CurvedSurfaceObject*>(FirstOfType(w, ObjectTypeSurface));
             for (size_t i = 0; i < w.objects.size(); i++)
                 if (w.objects[i]->GetType() == ObjectTypeCamera)
                     s->end[1] = static_cast<int16_t>(i);
         },
         "does not name a profile"},
        {"a surface ending beyond the table",
         [](World& w) { static_cast<CurvedSurfaceObject*>(FirstOfType(w, ObjectTypeSurface))->end[0] = 30000; },
         "does not name a profile"},
        {"a band of a texture the world lacks",
         [](World& w) { static_cast<CurvedSurfaceObject*>(FirstOfType(w, ObjectTypeSurface))->bands[0].texture = 900; },
         "texture the world lacks"},
        {"a solid of a model the world lacks",
         [](World& w) { static_cast<SolidObject*>(FirstOfType(w, ObjectTypeSolid))->model = 400; }, "model the world lacks"},
        {"a camera zone naming a tree",
         [](World& w) {
             for (size_t i = 0; i < w.objects.size(); i++)
                 if (w.objects[i]->GetType() == ObjectTypeTree)
                     w.zoneTriangles[0].object = static_cast<int32_t>(i);
         },
         "does not name a camera"},
        {"a profile of 65 points",
         [](World& w) { static_cast<StripObject*>(FirstOfType(w, ObjectTypeProfile))->points.resize(65); },
         "more than 64 points"},
        {"a surface of 65 curves",
         [](World& w) { static_cast<CurvedSurfaceObject*>(FirstOfType(w, ObjectTypeSurface))->curves.resize(65); },
         "more than 64 curves"},
        {"a texture of 4097 palette colours",
         [](World& w) { w.textures[0].palette.resize(4097); }, "palette count"},
    };
    SiteDesign design = StadiumDesign();
    std::string error;
    ASSERT_TRUE(design.roads.Prepare(error)) << error;
    platform::MakeFolder("data");
    platform::MakeFolder("data\\wld");
    for (const Damage& damage : damages) {
        SCOPED_TRACE(damage.label);
        {
            SiteDesign copy = design;
            auto built = std::make_unique<World>();
            ASSERT_TRUE(MakeSiteWorld(copy, 0, *built, error)) << error;
            damage.apply(*built);
            ASSERT_EQ(SaveWorldFiles(*built, SiteTable[0].name, 0), 1);
        }
        MessageLog messages;
        auto world = std::make_unique<World>();
        ASSERT_EQ(OpenWorld(*world, SiteTable[0].name, SiteTable[0].code, 0, 0, 1, 0, 0), 1);
        LoadToEnd(*world);
        EXPECT_FALSE(world->ready);
        EXPECT_EQ(world->loadStage, 0);
        EXPECT_TRUE(world->objects.empty());
        EXPECT_TRUE(world->configs.empty());
        EXPECT_TRUE(messages.Says(damage.reason)) << (messages.Lines().empty() ? "" : messages.Lines().front());
    }
}

TEST_F(LoaderTest, WithoutConfigurationsOnlyConfigurationZeroExists)
{
    SiteDesign design = StadiumDesign();
    std::unique_ptr<World> built = WriteDesign(design);
    built->configs.clear();
    ASSERT_EQ(SaveWorldFiles(*built, SiteTable[0].name, 0), 1);
    auto world = OpenAndLoad(3, 1);
    ASSERT_TRUE(world->ready);
    EXPECT_EQ(world->configuration, 0);
    EXPECT_EQ(world->reversed, 0);
    EXPECT_EQ(world->currentPath, nullptr);
    EXPECT_EQ(world->timingPointCount, 0);
    EXPECT_STREQ(GetConfigDisplayName(*world), "unknown");
    // Every object is in configuration 0, so the road is found.
    double h = 0;
    EXPECT_NE(GroundAt(*world, 10, 0, &h), nullptr);
    EXPECT_NEAR(h, 5.0, 0.01);
}

TEST_F(LoaderTest, FreeingTheContentsEmptiesTheObjectCells)
{
    SiteDesign design = StadiumDesign();
    WriteDesign(design);
    auto world = OpenAndLoad();
    ASSERT_TRUE(world->ready);
    BuildObjectCells(*world);
    ASSERT_FALSE(world->celledSolids.empty());
    int linked = 0;
    for (int32_t head : world->cellHeads)
        linked += head >= 0;
    EXPECT_GT(linked, 0);
    FreeWorldContents(*world);
    EXPECT_TRUE(world->celledSolids.empty());
    EXPECT_TRUE(world->cellLinks.empty());
    for (int32_t head : world->cellHeads)
        EXPECT_EQ(head, -1);
    // Nothing left answers for the freed objects.
    EXPECT_EQ(GroundAt(*world, 10, 0), nullptr);
    EXPECT_EQ(GetBodySurroundings().CollectCellBodies(MakeFixedVector(0, 0, 0), 1000.0f, nullptr, 0), 0);
}

TEST_F(LoaderTest, LightFileCarriesThePathsAndLightingAndMustExistWhenAnnounced)
{
    SiteDesign design = StadiumDesign();
    WriteDesign(design, 1);
    auto world = OpenAndLoad();
    ASSERT_TRUE(world->ready);
    EXPECT_GE(world->currentPath->timingNodes[3], 0);
    EXPECT_GT(world->currentPath->nodeCount, 100);
    world.reset();

    std::remove((folder.Path() + "/data/wld/" + SiteTable[0].code + ".lgh").c_str());
    MessageLog messages;
    world = OpenAndLoad();
    EXPECT_FALSE(world->ready);
    EXPECT_TRUE(messages.Says("WLD : MISSING FILE"));
}

// Version 250 worlds take a path's second node list from the old path file.
TEST_F(LoaderTest, OldWorldTakesItsSecondNodesFromItsPathFile)
{
    SiteDesign design = StadiumDesign();
    std::unique_ptr<World> built = WriteDesign(design);
    // Without objects the rest of a version 250 file reads as 251 does.
    for (WorldObject* o : built->objects)
        delete o;
    built->objects.clear();
    built->zoneTriangles.clear();
    // An old world carries no second node list of its own.
    for (WorldConfig& config : built->configs) {
        config.path.secondCount = 0;
        config.path.secondNodes.clear();
    }
    ASSERT_EQ(SaveWorldFiles(*built, SiteTable[0].name, 0), 1);
    const std::string name = std::string("data/wld/") + SiteTable[0].name + ".wld";
    std::string bytes = folder.ReadFile(name);
    bytes[7] = char(250);
    folder.WriteFile(name, bytes);
    platform::MakeFolder("data\\pth");
    const std::vector<PathNode> second(7, built->configs[0].path.nodes[3]);
    ASSERT_EQ(SaveOldPathFile(second, 0, "data\\pth\\HM1.pth"), 1);
    auto world = OpenAndLoad();
    ASSERT_TRUE(world->ready);
    EXPECT_EQ(world->version, 250);
    EXPECT_EQ(world->configs[0].path.secondCount, 7);
    EXPECT_EQ(world->configs[0].path.secondNodes[6].centre, second[6].centre);
}

TEST_F(LoaderTest, BumpMapFollowsItsFormula)
{
    auto world = std::make_unique<World>();
    GenerateBumpMap(*world);
    // The profile against the C library's cosine.
    float angle = 0;
    for (int i = 0; i < 256; i++) {
        EXPECT_EQ(world->bumpProfile[size_t(i)], std::lround((1 - std::cos(double(angle))) * 32)) << i;
        angle += static_cast<float>(2 * Pi / 256);
    }
    // One bump alone, against the smoothstep in double (one unit of the
    // 16.16 products either way).
    world->bumpCount = 1;
    GenerateBumpMap(*world);
    const uint16_t s1 = static_cast<uint16_t>(world->bumpSeed * 5 + 1), s2 = static_cast<uint16_t>(s1 * 5 + 1),
                   s3 = static_cast<uint16_t>(s2 * 5 + 1);
    const int e = s1 % 65 - 32, column = s2 >> 8, row = s3 >> 8;
    for (int y = 0; y < 256; y += 3) {
        for (int x = 0; x < 256; x += 3) {
            auto wrap = [](int v) { return v < -128 ? v + 256 : v > 127 ? v - 256 : v; };
            const double d = std::pow(wrap(column - x), 2) + std::pow(wrap(row - y), 2);
            const double t = d / (48.0 * 48.0);
            const double f = d < 48 * 48 ? 2 * t * t * t - 3 * t * t + 1 : 0;
            EXPECT_NEAR(world->bumpHeights[size_t(y * 256 + x)], e * f, 1.0) << x << "," << y;
        }
    }
}

} // namespace

namespace {

// The summary the independent decoder prints, made from the world the
// builder wrote.
std::string ExpectedSummary(const World& w)
{
    std::string out;
    char line[160];
    auto add = [&](const char* text) { out += text; out += '\n'; };
    std::snprintf(line, sizeof line, "configs %d", int(w.configs.size()));
    add(line);
    for (size_t i = 0; i < w.configs.size(); i++) {
        const Path& p = w.configs[i].path;
        std::snprintf(line, sizeof line, "config %d %s flags %d nodes %d second %d blocks %d", int(i), w.configs[i].name,
                      p.flags, p.nodeCount, p.secondCount, int(p.lightMaps.size()));
        add(line);
    }
    std::snprintf(line, sizeof line, "textures %d", int(w.textures.size()));
    add(line);
    for (size_t i = 0; i < w.textures.size(); i++) {
        std::snprintf(line, sizeof line, "texture %d %s %d", int(i), w.textures[i].name, w.textures[i].surfaceKind);
        add(line);
    }
    std::snprintf(line, sizeof line, "models %d", int(w.sharedModels.size()));
    add(line);
    for (size_t i = 0; i < w.sharedModels.size(); i++) {
        const SharedModel& m = w.sharedModels[i];
        std::snprintf(line, sizeof line, "model %d kind %d %s", int(i), m.kind,
                      m.kind == 0 ? m.model->name : m.shape->name);
        add(line);
    }
    std::snprintf(line, sizeof line, "schemes %d", int(w.schemes.size()));
    add(line);
    for (size_t i = 0; i < w.schemes.size(); i++) {
        std::snprintf(line, sizeof line, "scheme %d %d %d %s", int(i), w.schemes[i].timeOfDay, w.schemes[i].weather,
                      w.schemes[i].skyName);
        add(line);
    }
    std::snprintf(line, sizeof line, "objects %d", int(w.objects.size()));
    add(line);
    int lit = 0;
    for (int type = 0; type < 16; type++) {
        int count = 0;
        for (const WorldObject* o : w.objects)
            count += o->GetType() == type;
        if (count) {
            std::snprintf(line, sizeof line, "type %d %d", type, count);
            add(line);
        }
        if (type == ObjectTypeSolid || type == ObjectTypeSurface)
            lit += count;
    }
    int surface = 0;
    for (const WorldObject* o : w.objects) {
        if (o->GetType() != ObjectTypeSurface)
            continue;
        const auto* s = static_cast<const CurvedSurfaceObject*>(o);
        if (s->areaCode) {
            std::snprintf(line, sizeof line, "timing surface %d code %d mask %08x curves %d bands %d", surface,
                          s->areaCode, s->areaMask, int(s->curves.size()), int(s->bands.size()));
            add(line);
        }
        surface++;
    }
    std::snprintf(line, sizeof line, "zones %d %d", int(w.zonePoints.size()), int(w.zoneTriangles.size()));
    add(line);
    std::snprintf(line, sizeof line, "density %.3f", double(w.crowdDensity));
    add(line);
    std::snprintf(line, sizeof line, "lighting %d", lit * int(w.schemes.size()));
    add(line);
    add("left 0");
    return out;
}

TEST_F(LoaderTest, WrittenWorldDecodesWithAnIndependentReader)
{
    SiteDesign design = StadiumDesign();
    std::unique_ptr<World> built = WriteDesign(design);
    const std::string file = folder.Path() + "/data/wld/" + SiteTable[0].name + ".wld";
    const std::string command = std::string(QV_SYSTEM_PYTHON) + " " + QV_SOURCE_DIR + "/tests/world/world_decode.py \"" +
                                file + "\" > decoded.txt 2>&1";
    ASSERT_EQ(std::system(command.c_str()), 0) << folder.ReadFile("decoded.txt");
    EXPECT_EQ(folder.ReadFile("decoded.txt"), ExpectedSummary(*built));
}

} // namespace
