// The world's race services on a site the data builder made: the start
// lights' timing, the wind's bounds, the speed, light and camera zones and
// the pit places.
#include <cmath>
#include <numbers>

#include "site_fixture.h"

namespace {

using sites::LoadSite;
using sites::SiteFolderTest;

constexpr float Pi = std::numbers::pi_v<float>;

uint16_t NextRandom(uint16_t x) { return uint16_t(x * 5u + 1u); }

// The seed whose first draw is r: x = (r - 1) / 5 modulo 65536 (5 x 52429
// is 1 modulo 65536).
uint16_t SeedDrawing(uint16_t r) { return uint16_t(uint32_t(uint16_t(r - 1)) * 52429u); }

class RaceWorldTest : public SiteFolderTest {};

struct LightTimes {
    int red[3] = {-1, -1, -1};
    int green = -1;
};

// Steps the world until green (at most 20 s) and notes when each light came.
LightTimes RunStartLights(World& world, const WorldRaceSettings& race)
{
    LightTimes times;
    for (int step = 0; step < 2000 && times.green < 0; step++) {
        const int before = world.startLightState;
        const int clock = world.startClock.clockMs;
        StepWorld(world, &race);
        if (world.startLightState != before) {
            if (world.startLightState == 4)
                times.green = clock;
            else
                times.red[world.startLightState - 1] = clock;
        }
    }
    return times;
}

TEST_F(RaceWorldTest, StartLightsComeAtOneSecondIntervalsAndGreenAtTheRacesStart)
{
    std::unique_ptr<World> world = LoadSite(0, 1, 0);
    ASSERT_TRUE(world->ready);
    ASSERT_NE(world->knowledgePath, nullptr);
    struct Case {
        int seconds;
        uint16_t draw;  // the random value the delay is drawn from
        int delay;      // ms: the draw modulo 3000, at most the wait before the first red
    };
    const Case cases[] = {
        {5, 1200, 1200},  // red at 800, 1800 and 2800 ms, green at 5000
        {5, 0, 0},
        {5, 2999, 2000},  // the delay never moves the first red before the reset
        {5, 3000 + 450, 450},
        {8, 65535, 65535 % 3000},
        {10, 7 * 3000 + 2999, 2999},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.draw);
        WorldRaceSettings race;
        race.startLightSeconds = c.seconds;
        race.raceLength = 5;
        race.online = 1;  // no seed from the program: the test gives it
        ResetWorldRaceState(*world, &race);
        EXPECT_EQ(world->startLightState, 0);
        SeedWorldRandom(*world, SeedDrawing(c.draw));
        RandomStartDelay(*world, &race);
        EXPECT_EQ(world->startClock.randomDelayMs, c.delay);
        const LightTimes times = RunStartLights(*world, race);
        // The lights switch on the first 10 ms step at or after their time;
        // green comes exactly at the start, the delay taken from the wait.
        const int green = c.seconds * 1000;
        auto onStep = [](int ms) { return (ms + 9) / 10 * 10; };
        EXPECT_EQ(times.red[0], onStep(green - 3000 - c.delay));
        EXPECT_EQ(times.red[1], onStep(green - 2000 - c.delay));
        EXPECT_EQ(times.red[2], onStep(green - 1000 - c.delay));
        EXPECT_EQ(times.green, green);
    }
}

TEST_F(RaceWorldTest, PracticeAndQualifyingHaveNoRandomDelay)
{
    std::unique_ptr<World> world = LoadSite(0, 1, 0);
    ASSERT_TRUE(world->ready);
    for (int qualifying = 0; qualifying < 2; qualifying++) {
        WorldRaceSettings race;
        race.startLightSeconds = 6;
        race.raceLength = qualifying ? 5 : 0;
        race.qualifying = qualifying;
        race.online = 1;
        ResetWorldRaceState(*world, &race);
        SeedWorldRandom(*world, SeedDrawing(1500));
        RandomStartDelay(*world, &race);
        EXPECT_EQ(world->startClock.nextSwitchMs, 3000);
        EXPECT_EQ(RunStartLights(*world, race).red[0], 3000);
    }
}

TEST_F(RaceWorldTest, WithoutARaceTheLightsAreOffAndThereIsNoWind)
{
    std::unique_ptr<World> world = LoadSite(0, 1, 0);
    ASSERT_TRUE(world->ready);
    EXPECT_EQ(world->startLightState, 4);
    SetWind(*world, 5, 1);
    ResetWorldRaceState(*world, nullptr);
    EXPECT_EQ(world->startLightState, 4);
    EXPECT_EQ(world->wind.strength, 0);
    EXPECT_EQ(world->windX, 0);
    EXPECT_EQ(world->windY, 0);
}

TEST(WorldWindTest, RandomWindKeepsToTheSettingsRange)
{
    World world;
    for (uint32_t seed = 0; seed < 65536; seed += 97) {
        for (int setting = 1; setting <= 2; setting++) {
            SeedWorldRandom(world, uint16_t(seed));
            float strength = 0, direction = 0;
            RandomWind(world, setting, strength, direction);
            const uint16_t first = NextRandom(uint16_t(seed));
            const float drawn = 6.6665f * float(first) / 65536.0f;
            if (setting == 1) {
                EXPECT_FLOAT_EQ(strength, drawn <= 1.0f ? 1.0f : drawn);
                EXPECT_GE(strength, 1.0f);
            } else {
                EXPECT_GE(strength, 6.6665f);
                EXPECT_LT(strength, 13.333f);
            }
            EXPECT_GE(direction, -Pi);
            EXPECT_LE(direction, Pi);
        }
    }
}

TEST(WorldWindTest, DriftStaysInsideItsBandsAndTheVectorFollowsIt)
{
    World world;
    SeedWorldRandom(world, 1234);
    const float base = 4, heading = 0.5f;
    SetWind(world, base, heading);
    bool reachedHigh = false, reachedLow = false;
    for (int step = 0; step < 200000; step++) {
        StepWorld(world, nullptr);
        ASSERT_GE(world.wind.strength, 0.667f * base);
        ASSERT_LE(world.wind.strength, 1.333f * base);
        ASSERT_GE(world.wind.direction, heading - Pi / 6);
        ASSERT_LE(world.wind.direction, heading + Pi / 6);
        if (world.wind.strength == 1.333f * base) {
            reachedHigh = true;
            EXPECT_EQ(world.wind.strengthRate, 0);
        }
        reachedLow = reachedLow || world.wind.strength == 0.667f * base;
    }
    EXPECT_TRUE(reachedHigh && reachedLow) << "the drift never met its bounds";
    // The wind blows from its direction: x = -s sin(d + pi), y = s cos(d + pi).
    const double d = double(world.wind.direction) + std::numbers::pi;
    EXPECT_NEAR(world.windX, -world.wind.strength * std::sin(d), 1e-5);
    EXPECT_NEAR(world.windY, world.wind.strength * std::cos(d), 1e-5);
}

TEST_F(RaceWorldTest, ZonesAndPitPlacesOfTheLoadedSite)
{
    std::unique_ptr<World> world = LoadSite(0, 1, 0);
    ASSERT_TRUE(world->ready);
    // The lowest limit is the smallest limit byte of the listed zones (the
    // byte holds km/h less one); no zone answers 255.
    ASSERT_GT(world->speedZoneCount, 0);
    int lowest = 255;
    for (int i = 0; i < world->speedZoneCount; i++)
        lowest = std::min(lowest, int(world->speedZones[i]->speedLimit));
    EXPECT_EQ(GetLowestSpeedLimit(*world), lowest);
    EXPECT_EQ(GetLowestSpeedLimit(), lowest);
    World empty;
    EXPECT_EQ(GetLowestSpeedLimit(empty), 255);

    ASSERT_GT(world->lightZoneCount, 0);
    const SpeedZoneObject& light = *world->lightZones[0];
    EXPECT_EQ(FindLightZoneAt(*world, light.x, light.y), &light);
    EXPECT_EQ(FindLightZoneAt(*world, light.x + FixedFromMetres(500), light.y), nullptr);

    // A pit box gives its own place; without a car its own heading.
    for (int slot : {0, 7, 31}) {
        FixedVector point;
        float heading = 0;
        GetPitPosition(*world, point, heading, slot, nullptr, 0);
        EXPECT_EQ(point.x, world->pitBoxes[slot]->x);
        EXPECT_EQ(point.y, world->pitBoxes[slot]->y);
        EXPECT_EQ(heading, world->pitBoxes[slot]->heading);
    }
    EXPECT_EQ(GetStartPositionCount(), MaxStartPlaces);
}

TEST(CameraZoneTest, HighestFloorBelowThePointWins)
{
    World world;
    auto point = [](double x, double y) { return ZonePoint{FixedFromMetres(x), FixedFromMetres(y)}; };
    world.zonePoints = {point(0, 0), point(10, 0), point(0, 10), point(20, 20)};
    // Anticlockwise triangles; the second covers the first at a higher floor.
    world.zoneTriangles = {{{0, 1, 2}, 5, 0.0f}, {{0, 1, 2}, 6, 3.0f}, {{1, 3, 2}, 7, 1.0f}};
    struct Case {
        double x, y, z;
        int object;
    };
    const Case cases[] = {
        {2, 2, 10, 6},    // both floors below: the higher wins
        {2, 2, 2, 5},     // only the lower floor is below the point
        {2, 2, -1, -1},   // below every floor
        {12, 12, 5, 7},   // the far triangle
        {-1, 2, 5, -1},   // outside every triangle
        {30, 30, 5, -1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FindCameraZone(world, {FixedFromMetres(c.x), FixedFromMetres(c.y), FixedFromMetres(c.z)}),
                  c.object)
            << c.x << ", " << c.y << ", " << c.z;
    world.zoneTriangles.push_back({{0, 1, 99}, 8, 9.0f});  // a bad point index is never inside
    EXPECT_EQ(FindCameraZone(world, {FixedFromMetres(2), FixedFromMetres(2), FixedFromMetres(20)}), 6);
}

// A trackside camera aimed at a target: each case builds one camera object
// and checks the aim against the geometry worked by hand.
TEST(CameraAimTest, CamerasStandTurnAndZoomAsTheirFlagsSay)
{
    ResetCoreTables();  // the trig tables a fixed camera turns by
    constexpr int Unchanged = -7;
    struct Case {
        const char* name;
        int32_t flags;
        float heading, pitch, height;
        float farZoom, farDistance, nearZoom, nearDistance;
        double tx, ty, tz;       // target, m (the camera stands at the origin)
        int changed, kind;       // kind Unchanged: left as it was
        double bx, by, bz;       // the back vector
        float distance, zoom;
    };
    const float n = 0, p = Pi;
    const Case cases[] = {
        {"fixed, heading 0", CameraFlagFixed, 0, 0, 5, 1, 100, 1, 10, 9, 9, 0, 1, 1, 0, -1, 0, 1, 1},
        {"fixed, turned a quarter", CameraFlagFixed, p / 2, 0, 5, 1, 100, 1, 10, 9, 9, 0, 1, 1, 1, 0, 0, 1, 1},
        {"fixed, looking down", CameraFlagFixed, 0, -p / 6, 5, 1, 100, 1, 10, 9, 9, 0, 1, 1, 0, -0.8660254, 0.5, 1, 1},
        {"follows", CameraFlagFollows, n, 0, 10, 0.8f, 100, 1, 10, 30, 40, 10, 1, 1, -0.6, -0.8, 0, 1, 0.8f},
        {"turns only", 0, n, 0, 10, 0.8f, 100, 1, 10, 30, 40, 10, 1, 0, -0.6, -0.8, 0, 50, 0.8f},
        {"zooms, between", CameraFlagZooms, n, 0, 0, 0.5f, 100, 2, 10, 30, 40, 0, 1, 1, -0.6, -0.8, 0, 1,
         2.0f + 40.0f / 90.0f * (0.5f - 2.0f)},
        {"zooms, near", CameraFlagZooms, n, 0, 0, 0.5f, 100, 2, 10, 3, 4, 0, 1, 1, -0.6, -0.8, 0, 1, 2},
        {"zooms, far", CameraFlagZooms, n, 0, 0, 0.5f, 100, 2, 10, 300, 400, 0, 1, 1, -0.6, -0.8, 0, 1, 0.5f},
        {"follows and zooms: no zoom", CameraFlagZooms | CameraFlagFollows, n, 0, 0, 0.5f, 100, 2, 10, 3, 4, 0, 1,
         1, -0.6, -0.8, 0, 1, 0.5f},
        {"zoom held at 0.05", CameraFlagFollows, n, 0, 0, 0.01f, 100, 1, 10, 3, 4, 0, 1, 1, -0.6, -0.8, 0, 1, 0.05f},
        {"target straight below", CameraFlagFollows, n, 0, 20, 1, 100, 1, 10, 0.5, 0, 0, 0, Unchanged, 0, 0, 0, 0,
         1},
        {"target at the camera", CameraFlagFollows, n, 0, 0, 1, 100, 1, 10, 0.001, 0, 0, 0, Unchanged, 0, 0, 0, 0,
         1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        World world;
        world.objects.push_back(NewWorldObject(ObjectTypeFlag));
        auto* camera = static_cast<CameraObject*>(NewWorldObject(ObjectTypeCamera));
        world.objects.push_back(camera);
        camera->cameraFlags = c.flags;
        camera->heading = c.heading;
        camera->pitch = c.pitch;
        camera->height = c.height;
        camera->farZoom = c.farZoom;
        camera->farDistance = c.farDistance;
        camera->nearZoom = c.nearZoom;
        camera->nearDistance = c.nearDistance;
        const FixedVector target{FixedFromMetres(c.tx), FixedFromMetres(c.ty), FixedFromMetres(c.tz)};
        CameraAim aim{{Fixed(1), Fixed(2), Fixed(3)}, {Fixed(4), Fixed(5), Fixed(6)}, 7};
        const CameraAim before = aim;
        float zoom = -1;
        int kind = Unchanged;
        EXPECT_EQ(AimCameraObject(world, target, 1, aim, zoom, kind), c.changed);
        EXPECT_NEAR(zoom, c.zoom, 1e-6);
        EXPECT_EQ(kind, c.kind);
        if (!c.changed) {
            EXPECT_EQ(aim.position, before.position);
            EXPECT_EQ(aim.back, before.back);
            EXPECT_EQ(aim.distance, before.distance);
            continue;
        }
        EXPECT_EQ(aim.position, (FixedVector{Fixed(0), Fixed(0), FixedFromMetres(c.height)}));
        EXPECT_NEAR(aim.back.x.raw / 65536.0, c.bx, 1e-4);
        EXPECT_NEAR(aim.back.y.raw / 65536.0, c.by, 1e-4);
        EXPECT_NEAR(aim.back.z.raw / 65536.0, c.bz, 1e-4);
        EXPECT_NEAR(aim.distance, c.distance, 1e-4);
        // Only a camera object aims: the flag object at index 0 and an
        // index past the objects change nothing.
        zoom = -1;
        EXPECT_EQ(AimCameraObject(world, target, 0, aim, zoom, kind), 0);
        EXPECT_EQ(AimCameraObject(world, target, 2, aim, zoom, kind), 0);
        EXPECT_EQ(zoom, -1);
    }
}

} // namespace
