// The world record: construction and release, the loaded world and the
// loader's settings, and the bump map the road bumps read.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <cstdio>
#include <new>

#include "platform/clock.h"
#include "world/local.h"

World::~World()
{
    FreeWorld(*this);
}

int GetWorldLoadBudget()
{
    return MutableWorldRun.loadBudgetMs;
}

void SetWorldLoadBudget(int milliseconds)
{
    MutableWorldRun.loadBudgetMs = milliseconds;
}

void SetWorldLoadClock(uint32_t (*clock)())
{
    MutableWorldRun.loadClock = clock;
}

void ConstructWorld(World& world)
{
    // Cleared to the record's initial values (the destructor frees what it held).
    world.~World();
    new (&world) World;
}

void FreeWorldContents(World& world)
{
    FreeWorldFigures(world);
    ClearObjectCells(world);
    world.loadStage = 0;
    world.ready = 0;
    world.configs.clear();
    for (SharedModel& model : world.sharedModels)
        FreeSharedModel(model);
    world.sharedModels.clear();
    world.squareEntries.clear();
    world.squares = {};
    world.startGrid = nullptr;
    world.startPositionCount = world.pitBoxCount = world.garageCount = 0;
    for (int i = 0; i < MaxStartPlaces; i++)
        world.startPositions[i] = world.pitBoxes[i] = world.garages[i] = nullptr;
    world.speedZoneCount = world.lightZoneCount = 0;
    world.startLightObjectCount = 0;
    world.startLightModel = -1;
    for (WorldObject* object : world.objects)
        delete object;
    world.objects.clear();
    world.layoutObjectCount = 0;
    world.schemes.clear();
    world.lightScheme = 0;
    world.currentPath = world.pathWithNodes = world.knowledgePath = world.racingPath = nullptr;
    world.zonePoints.clear();
    world.zoneTriangles.clear();
}

void FreeWorld(World& world)
{
    FreeWorldContents(world);
    CloseDataFile(world.worldReader);
    CloseDataFile(world.lightReader);
    world.textures.clear();
    if (CurrentWorld == &world) {
        MutableLoadedWorld.world = nullptr;
        InstallWorldSurroundings(nullptr);
    }
}

void AttachObjectToWorld(WorldObject& object, World& world)
{
    switch (object.GetType()) {
    case ObjectTypeSolid: static_cast<SolidObject&>(object).world = &world; break;
    case ObjectTypeInstance: static_cast<InstanceObject&>(object).world = &world; break;
    case ObjectTypeProfile: static_cast<StripObject&>(object).world = &world; break;
    case ObjectTypeSurface: static_cast<CurvedSurfaceObject&>(object).world = &world; break;
    case ObjectTypeFlag: static_cast<FlagObject&>(object).gravity = world.gravity; break;
    default: break;
    }
}

void SetLoadProgress(World& world, const char* text)
{
    std::snprintf(world.progress, sizeof world.progress, "%s", text);
}

void SetLoadProgressPercent(World& world, const char* text, int percent)
{
    std::snprintf(world.progress, sizeof world.progress, "%s %d%%", text, percent);
}

namespace {

using BumpHeights = std::array<int8_t, 256 * 256>;

// The bump heights of a seed, count and radius.
void DrawBumpHeights(int32_t seed, int32_t count, int32_t radius, BumpHeights& heights)
{
    // Every point of the map adds up the same bumps: the generator starts
    // at the seed for each one, so the bumps are drawn once.
    struct Bump {
        int amplitude, column, row;
    };
    std::vector<Bump> bumps;
    uint16_t state = static_cast<uint16_t>(seed);
    for (int i = 0; i < count; i++) {
        const uint16_t s1 = static_cast<uint16_t>(state * 5u + 1u);
        const uint16_t s2 = static_cast<uint16_t>(s1 * 5u + 1u);
        const uint16_t s3 = static_cast<uint16_t>(s2 * 5u + 1u);
        bumps.push_back({s1 % 65 - 32, s2 >> 8, s3 >> 8});
        state = s3;
    }
    // Each bump visits only the points within its radius (the map wraps
    // round); the bumps add in the order drawn, each sum clamped to +-32.
    heights.fill(0);
    const int64_t r2 = int64_t(radius) * radius;
    const int reach = static_cast<int>(std::min<int64_t>(std::llabs(int64_t(radius)) - 1, 128));
    for (const Bump& b : bumps) {
        for (int dy = std::max(-reach, -128); dy <= std::min(reach, 127); dy++) {
            const int y = (b.row - dy) & 255;
            for (int dx = std::max(-reach, -128); dx <= std::min(reach, 127); dx++) {
                const int64_t d = int64_t(dx) * dx + int64_t(dy) * dy;
                if (d >= r2)
                    continue;
                const int x = (b.column - dx) & 255;
                const int64_t t = d * 65536 / r2;
                const int64_t t2 = (t * t) >> 16, t3 = (t2 * t) >> 16;
                const int64_t f = 2 * t3 - 3 * t2 + 65536;
                int8_t& h = heights[size_t(y * 256 + x)];
                h = static_cast<int8_t>(std::clamp(h + static_cast<int>((b.amplitude * f) >> 16), -32, 32));
            }
        }
    }
}

// The last bump heights drawn and what they were drawn from: every world
// draws the same ones, and drawing them costs more than the rest of a
// small world's load. Lives for the whole run; a pure function's answer,
// so no reset is needed.
struct BumpCache {
    bool drawn = false;
    int32_t seed = 0, count = 0, radius = 0;
    BumpHeights heights{};
};

} // namespace

void GenerateBumpMap(World& world)
{
    static BumpCache cache;
    if (!cache.drawn || cache.seed != world.bumpSeed || cache.count != world.bumpCount ||
        cache.radius != world.bumpRadius) {
        DrawBumpHeights(world.bumpSeed, world.bumpCount, world.bumpRadius, cache.heights);
        cache.drawn = true;
        cache.seed = world.bumpSeed;
        cache.count = world.bumpCount;
        cache.radius = world.bumpRadius;
    }
    world.bumpHeights = cache.heights;
    float angle = 0;
    const float step = static_cast<float>(2 * 3.14159265358979323846 / 256);
    for (int i = 0; i < 256; i++) {
        double s, c;
        ComputeSinCos(double(angle), s, c);
        world.bumpProfile[size_t(i)] = static_cast<uint8_t>(RoundToInt32((1.0 - c) * 32.0));
        angle += step;
    }
}

uint32_t WorldLoadNow()
{
    return MutableWorldRun.loadClock ? MutableWorldRun.loadClock() : platform::NowMs();
}
