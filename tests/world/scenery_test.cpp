// Scenery objects: the map squares against a brute-force reference, the
// point query's strict box test, the record header and the factory (every
// kind written and read back byte for byte, old headers, unknown types),
// and what the kinds derive at Init against their geometry: start grid
// places, speed zone rectangles, revolved-shape hulls and levels, flags,
// trees and instances.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "support/temp_folder.h"
#include "world/local.h"

namespace {

constexpr double Pi = 3.14159265358979323846;
constexpr double Metre = 65536.0;

class SceneryTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetCoreTables();
        ResetWorldTables();
        EditProgramMode([](ProgramModeRecord& mode) { mode.dedicatedMode = 0; });
    }
    void TearDown() override { ResetWorldTables(); }
};

// A surface that only has a box (no curves): what the squares see of it.
CurvedSurfaceObject* BoxSurface(int32_t minX, int32_t maxX, int32_t minY, int32_t maxY, uint32_t mask)
{
    auto* s = new CurvedSurfaceObject;
    s->surfaceFlags = SurfaceDrivable;
    s->boxMinX = minX;
    s->boxMaxX = maxX;
    s->boxMinY = minY;
    s->boxMaxY = maxY;
    s->configMask = mask;
    return s;
}

TEST_F(SceneryTest, MapSquaresListWhatABruteForceListsInTableOrder)
{
    std::mt19937 random(7);
    std::uniform_int_distribution<int32_t> place(-40 * 65536, 400 * 65536), size(0, 60 * 65536);
    World world;
    world.configuration = 1;
    for (int i = 0; i < 400; i++) {
        const int32_t x = place(random), y = place(random);
        const uint32_t mask = i % 5 == 0 ? 0x10005u : 0xFFFFFFFFu;  // some only in configuration 2
        if (i % 3 == 0) {
            auto* post = new CameraObject;
            post->x = Fixed(x);
            post->y = Fixed(y);
            post->contactRadius = static_cast<uint8_t>(1 + i % 200);
            post->configMask = mask;
            world.objects.push_back(post);
        } else {
            world.objects.push_back(BoxSurface(x, x + size(random), y, y + size(random), mask));
        }
    }
    // Boxes that end exactly on square edges count in both squares.
    world.objects.push_back(BoxSurface(0, 20 * 65536, 0, 20 * 65536, 0xFFFFFFFFu));
    SetGridRectangle(world, 0, 320 * 65536, 0, 320 * 65536);
    ASSERT_EQ(world.cellWidth.raw, 20 * 65536);
    for (int configuration : {1, 2}) {
        SCOPED_TRACE(configuration);
        world.configuration = configuration;
        BuildMapSquares(world);
        const uint32_t bit = 1u << configuration;
        for (int square = 0; square < GridSquareCount; square++) {
            const int64_t x0 = world.gridMinX.raw + int64_t(square % GridSide) * world.cellWidth.raw;
            const int64_t y0 = world.gridMinY.raw + int64_t(square / GridSide) * world.cellHeight.raw;
            const int64_t x1 = x0 + world.cellWidth.raw, y1 = y0 + world.cellHeight.raw;
            std::vector<WorldObject*> surfaces, posts;
            for (WorldObject* o : world.objects) {
                if (!(o->configMask & bit))
                    continue;
                if (o->IsSurface() && o->boxMinX <= x1 && o->boxMaxX >= x0 && o->boxMinY <= y1 && o->boxMaxY >= y0)
                    surfaces.push_back(o);
                const int64_t half = int64_t(o->contactRadius) * ContactRadiusUnit;
                if (o->contactRadius && o->x.raw - half <= x1 && o->x.raw + half >= x0 && o->y.raw - half <= y1 &&
                    o->y.raw + half >= y0)
                    posts.push_back(o);
            }
            const MapSquare& q = world.squares[size_t(square)];
            const std::vector<WorldObject*> listedSurfaces(world.squareEntries.begin() + q.surfaceFirst,
                                                           world.squareEntries.begin() + q.surfaceFirst + q.surfaceCount);
            const std::vector<WorldObject*> listedPosts(world.squareEntries.begin() + q.radiusFirst,
                                                        world.squareEntries.begin() + q.radiusFirst + q.radiusCount);
            ASSERT_EQ(listedSurfaces, surfaces) << "square " << square;
            ASSERT_EQ(listedPosts, posts) << "square " << square;
        }
    }
}

// The cell range of a circle, and the point query's strict box test: a
// point on a box's edge is not handed to that surface.
TEST_F(SceneryTest, PointQueryPassesOnlyPointsStrictlyInsideASurfacesBox)
{
    World world;
    WorldTexture texture;
    world.textures.push_back(texture);
    auto* a = new StripObject;
    auto* b = new StripObject;
    a->heading = b->heading = 0;
    b->y = FixedFromMetres(10);
    for (StripObject* p : {a, b})
        for (double offset : {-5.0, 5.0})
            p->points.push_back({0, FixedFromMetres(offset).raw, 0, 0, uint8_t(offset < 0 ? EdgeLeft : EdgeRight), {}, 0, 0});
    auto* s = new CurvedSurfaceObject;
    s->world = &world;
    s->surfaceFlags = SurfaceDrivable;
    s->direction[1] = -1;
    s->ends[0] = a;
    s->ends[1] = b;
    for (int i = 0; i < 2; i++) {
        SurfaceCurve c;
        c.storedKind = CurveStraight;
        c.endPoint[0] = static_cast<uint8_t>(i);
        c.endPoint[1] = static_cast<uint8_t>(1 - i);
        s->curves.push_back(c);
    }
    s->bands.push_back({0, 1, 0, 0, 1});
    world.objects = {a, b, s};
    for (WorldObject* o : world.objects)
        o->Init();
    world.configuration = 0;
    SetGridRectangle(world, -5 * 65536, 5 * 65536, 0, 10 * 65536);
    BuildMapSquares(world);
    const FixedVector down = MakeFixedVector(0, 0, -3 * 65536);
    auto query = [&](double x, double y) {
        ContactQueryRecord hit;
        return WorldPointQuery(world, {FixedFromMetres(x), FixedFromMetres(y), FixedFromMetres(-1)}, down, hit);
    };
    EXPECT_EQ(query(0, 5), 1);
    EXPECT_EQ(query(-4.99, 5), 1);
    EXPECT_EQ(query(-5, 5), 0) << "on the box's edge";
    EXPECT_EQ(query(0, 0), 0) << "on the box's edge";
    // Its own query takes a point on the edge all the same.
    ContactQueryRecord hit;
    EXPECT_EQ(s->ContactQuery({FixedFromMetres(0), FixedFromMetres(0), FixedFromMetres(-1)}, down, hit, nullptr), 1);
    CellRange range;
    ASSERT_TRUE(GetCellRange(world, range, FixedFromMetres(0), FixedFromMetres(5), FixedFromMetres(1).raw));
    EXPECT_FALSE(GetCellRange(world, range, FixedFromMetres(500), FixedFromMetres(5), FixedFromMetres(1).raw));
}

// Every kind with fields away from their defaults: written, read back
// through the factory and written again, byte for byte.
TEST_F(SceneryTest, EveryKindReadsBackAsWritten)
{
    std::vector<WorldObject*> objects;
    auto* solid = new SolidObject;
    solid->model = 3;
    solid->heading = 1.25f;
    solid->pitch = 0.1f;
    solid->height = 2.5f;
    solid->solidFlags = SolidFlagDrawable | SolidFlagStartPlace;
    solid->variantA = 7;
    objects.push_back(solid);
    auto* instance = new InstanceObject;
    instance->model = 2;
    instance->height = 4;
    instance->value = 9;
    objects.push_back(instance);
    auto* figure = new FigureObject;
    figure->heading = -0.5f;
    figure->height = 1.5f;
    objects.push_back(figure);
    auto* zone = new SpeedZoneObject;
    zone->zoneFlags = ZoneFlagLightZone;
    zone->reference = MakeFixedVector(1, 2, 3);
    zone->speedLimit = 59;
    objects.push_back(zone);
    auto* strip = new StripObject;
    strip->profileFlags = ProfileAttached | ProfileSpareFloat;
    strip->end[0] = 4;
    strip->end[1] = 5;
    strip->selector[0] = EdgeRight;
    strip->points.resize(3);
    strip->points[1].height = 77;
    strip->triangles.push_back({{0, 1, 2}, 0});
    objects.push_back(strip);
    auto* surface = new CurvedSurfaceObject;
    surface->areaCode = 3;
    surface->areaMask = 0x50005u;
    surface->curves.resize(3);
    surface->curves[1].storedKind = CurveStraightPlan;
    surface->curves[2].slope[1] = 0.25f;
    surface->bands.push_back({2, 1, 0, 0, 1});
    surface->bands.push_back({1, 0, 3, 2, 2});  // equal indexes take the long form
    objects.push_back(surface);
    auto* camera = new CameraObject;
    camera->cameraFlags = 4;
    camera->nearDistance = 7;
    objects.push_back(camera);
    auto* tree = new TreeObject;
    tree->seed = 33;
    tree->leafCount = 64;
    objects.push_back(tree);
    auto* crowd = new CrowdObject;
    crowd->length = 12;
    crowd->poseBit = 8;
    objects.push_back(crowd);
    auto* flag = new FlagObject;
    flag->width = 3;
    flag->texture = 2;
    objects.push_back(flag);
    auto* grid = new StartGridObject;
    grid->gridFlags = GridFlagCurved;
    grid->endX = Fixed(123456);
    grid->endHeading = 0.5f;
    objects.push_back(grid);
    for (size_t i = 0; i < objects.size(); i++) {
        objects[i]->x = Fixed(int32_t(i * 100000));
        objects[i]->y = Fixed(-int32_t(i * 7777));
        objects[i]->contactRadius = static_cast<uint8_t>(i);
        objects[i]->configMask = i % 2 ? 0xFFFFFFFFu : 0x00070007u;
    }
    TempFolder folder;
    for (WorldObject* object : objects) {
        SCOPED_TRACE(object->GetType());
        DataFile writer;
        CreateDataFile(writer, nullptr, "a", WorldFileMagic, WorldFileVersion);
        WriteWorldObject(*object, writer);
        ASSERT_EQ(CloseDataFile(writer), 1);
        const std::string first = folder.ReadFile("a");
        DataFile reader;
        int version = 0;
        OpenDataBlock(reader, reinterpret_cast<const uint8_t*>(first.data()), first.size(), version);
        RecordReading in{reader, version};
        WorldObject* read = CreateWorldObject(in);
        ASSERT_NE(read, nullptr) << (in.error ? in.error : "");
        EXPECT_EQ(DataFileBytesLeft(reader), 0);
        EXPECT_EQ(read->GetType(), object->GetType());
        CreateDataFile(writer, nullptr, "b", WorldFileMagic, WorldFileVersion);
        WriteWorldObject(*read, writer);
        ASSERT_EQ(CloseDataFile(writer), 1);
        EXPECT_EQ(folder.ReadFile("b"), first);
        delete read;
        delete object;
    }
}

std::string Bytes(std::initializer_list<int> values)
{
    std::string s = std::string(WorldFileMagic) + char(0) + char(250);
    for (int v : values)
        s += char(v);
    return s;
}

TEST_F(SceneryTest, OldHeadersAndUnknownTypes)
{
    struct Case {
        const char* label;
        std::string bytes;
        bool made;
        uint32_t mask;
    };
    // A version 250 camera: type, flags, configuration word, x, y, then its record.
    const std::string camera(24, '\0');
    const std::vector<Case> cases = {
        {"250, no flags: configuration 0 only", Bytes({10, 0x00, 0x06, 0x00}) + std::string(8, '\0') + camera, true, 0x10001u},
        {"250, both ways", Bytes({10, 0x03, 0x06, 0x00}) + std::string(8, '\0') + camera, true, 0x70007u},
        {"250, with a radius", Bytes({10, 0x81, 0x02, 0x00, 9, 0, 0, 0}) + std::string(8, '\0') + camera, true, 0x10003u},
        {"type 12 has no class", Bytes({12, 0, 0, 0}) + std::string(40, '\0'), false, 0},
        {"type 3 has no class", Bytes({3, 0, 0, 0}) + std::string(40, '\0'), false, 0},
        {"type 200 has no class", Bytes({200, 0, 0, 0}) + std::string(40, '\0'), false, 0},
        {"a record cut short", Bytes({10, 0, 0, 0, 0, 0}), false, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        DataFile reader;
        int version = 0;
        OpenDataBlock(reader, reinterpret_cast<const uint8_t*>(c.bytes.data()), c.bytes.size(), version);
        RecordReading in{reader, version};
        WorldObject* object = CreateWorldObject(in);
        EXPECT_EQ(object != nullptr, c.made);
        if (object) {
            EXPECT_EQ(object->configMask, c.mask);
            delete object;
        } else {
            EXPECT_NE(in.error, nullptr);
        }
    }
}

TEST_F(SceneryTest, StraightGridPlacesColumnsAcrossAndRowsBack)
{
    StartGridObject grid;
    grid.x = FixedFromMetres(100);
    grid.y = FixedFromMetres(-40);
    grid.heading = 0.6f;
    grid.Init();
    const double h = grid.heading;
    const double fx = -std::sin(h), fy = std::cos(h), rx = std::cos(h), ry = std::sin(h);
    struct Place {
        int n;
        double back, across;
    };
    for (const Place& p : {Place{0, 0, -5}, Place{1, 8, 5}, Place{2, 16, -5}, Place{31, 15 * 16 + 8, 5}}) {
        FixedVector point;
        float heading;
        GetGridPosition(grid, p.n, point, heading);
        EXPECT_NEAR(point.x.raw / Metre, 100 - p.back * fx + p.across * rx, 1e-3) << p.n;
        EXPECT_NEAR(point.y.raw / Metre, -40 - p.back * fy + p.across * ry, 1e-3) << p.n;
        EXPECT_FLOAT_EQ(heading, grid.heading);
    }
    grid.gridFlags = GridFlagMirrored;
    FixedVector mirrored;
    float heading;
    GetGridPosition(grid, 0, mirrored, heading);
    EXPECT_NEAR(mirrored.x.raw / Metre, 100 + 5 * rx, 1e-3);
    grid.columns = 1;
    GetGridPosition(grid, 3, mirrored, heading);
    EXPECT_NEAR(mirrored.x.raw / Metre, 100 - 3 * 16 * fx, 1e-3);
}

// A curved grid's rows beyond the straight ones follow the curve from its
// start: the first such row starts at the curve's start.
TEST_F(SceneryTest, CurvedGridTurnsAfterItsStraightRows)
{
    StartGridObject grid;
    grid.gridFlags = GridFlagCurved;
    grid.straightRows = 3;
    grid.columns = 1;
    grid.spacing = 10;
    grid.endX = FixedFromMetres(-60);
    grid.endY = FixedFromMetres(-90);
    // Cars at the curve's end face east, turning left to face north.
    grid.endHeading = static_cast<float>(-Pi / 2);
    grid.Init();
    FixedVector place;
    float heading;
    GetGridPosition(grid, 3, place, heading);
    EXPECT_NEAR(place.x.raw / Metre, 0, 1e-3);
    EXPECT_NEAR(place.y.raw / Metre, -30, 1e-3);
    EXPECT_NEAR(heading, 0, 1e-3);
    // Five rows on, the place has turned part way to the end heading.
    GetGridPosition(grid, 8, place, heading);
    EXPECT_LT(place.x.raw / Metre, -1);
    EXPECT_LT(heading, -0.1);
    EXPECT_GT(heading, -Pi / 2);
}

TEST_F(SceneryTest, SpeedZoneHoldsItsTurnedRectangle)
{
    SpeedZoneObject zone;
    zone.x = FixedFromMetres(10);
    zone.y = FixedFromMetres(20);
    zone.heading = static_cast<float>(Pi / 6);
    zone.halfFirst = 5;
    zone.halfSecond = 2;
    zone.Init();
    std::mt19937 random(3);
    std::uniform_real_distribution<double> offset(-8, 8);
    for (int i = 0; i < 2000; i++) {
        const double dx = offset(random), dy = offset(random);
        const double along = dx * std::cos(Pi / 6) + dy * std::sin(Pi / 6);
        const double across = -dx * std::sin(Pi / 6) + dy * std::cos(Pi / 6);
        if (std::fabs(std::fabs(along) - 5) < 1e-3 || std::fabs(std::fabs(across) - 2) < 1e-3)
            continue;
        EXPECT_EQ(zone.Holds(FixedFromMetres(10 + dx), FixedFromMetres(20 + dy)),
                  std::fabs(along) < 5 && std::fabs(across) < 2);
    }
}

// The hull of a revolved shape's solid bands, six-sided: a frustum's
// volume by the divergence theorem, outward faces, and its limits.
TEST_F(SceneryTest, RevolvedHullIsTheHexagonalFrustum)
{
    RevolvedShape shape;
    shape.count = 2;
    shape.pairs = new FloatPair[2]{{0.5f, 1.0f}, {0.8f, 0.0f}};
    shape.bands.push_back({0, 1, 0, 0, 1});
    SceneryBody body;
    ASSERT_STREQ(BuildRevolvedHull(shape, body, 1.0f), ": OK");
    ASSERT_EQ(body.pointCount, 12);
    ASSERT_EQ(body.faceCount, 12);
    // The side's volume from the axis: sum over faces of (centroid . n) area / 3.
    double volume = 0;
    for (int f = 0; f < body.faceCount; f++) {
        const Vec3 a = body.faces[f].corners[0]->local, b = body.faces[f].corners[1]->local, c = body.faces[f].corners[2]->local;
        const Vec3 n = body.faces[f].localNormal;
        // Outward: away from the axis.
        const double gx = (a.x + b.x + c.x) / 3, gy = (a.y + b.y + c.y) / 3;
        EXPECT_GT(gx * n.x + gy * n.y, 0) << f;
        const double ux = b.x - a.x, uy = b.y - a.y, uz = b.z - a.z, vx = c.x - a.x, vy = c.y - a.y, vz = c.z - a.z;
        const double cx = uy * vz - uz * vy, cy = uz * vx - ux * vz, cz = ux * vy - uy * vx;
        volume += (a.x * cx + a.y * cy + a.z * cz) / 6;
    }
    // The sides alone give the frustum's volume less the caps' share: the
    // bottom cap lies in z = 0 and adds nothing, the top adds its area x
    // its height 1 / 3.
    const double top = 1.5 * std::sqrt(3.0) * 0.25, bottom = 1.5 * std::sqrt(3.0) * 0.64;
    const double frustum = (top + bottom + std::sqrt(top * bottom)) / 3;
    EXPECT_NEAR(volume, frustum - top / 3, 1e-4);
    FreeBody(body);

    struct Limit {
        std::vector<FloatPair> points;
        std::vector<std::pair<int, int>> bands;
        const char* answer;
    };
    const Limit limits[] = {
        {{{0, 1}, {0, 0}}, {{0, 1}}, ": No Physics - Unusable surface found"},
        {{{1, 4}, {1, 3}, {1, 2}, {1, 1}, {1, 0}}, {{0, 1}, {1, 2}, {3, 4}}, ": No physics - More than 24 points"},
        {{{1, 4}, {1, 3}, {1, 2}, {1, 1}}, {{0, 1}, {1, 2}, {2, 3}, {3, 0}}, ": No physics - More than 42 triangles"},
    };
    for (const Limit& l : limits) {
        RevolvedShape s;
        s.count = static_cast<int>(l.points.size());
        s.pairs = new FloatPair[l.points.size()];
        std::copy(l.points.begin(), l.points.end(), s.pairs);
        for (const auto& [first, second] : l.bands)
            s.bands.push_back({0, 1, 0, uint8_t(first), uint8_t(second)});
        SceneryBody b;
        EXPECT_STREQ(BuildRevolvedHull(s, b, 1.0f), l.answer);
        FreeBody(b);
    }
}

TEST_F(SceneryTest, SolidOfARevolvedShapeTakesItsLevelsFromItsSides)
{
    World world;
    world.sharedModels.resize(1);
    SharedModel& model = world.sharedModels[0];
    model.kind = 1;
    model.scale = 2.0f;
    model.shape = new RevolvedShape;
    model.shape->count = 2;
    model.shape->pairs = new FloatPair[2]{{0.0f, 2.0f}, {1.5f, 0.0f}};
    struct Case {
        int sides;
        std::vector<int> details;
        std::vector<int> factors;  // of the level limit
    };
    for (const Case& c : {Case{12, {12, 6, 3}, {32, 128, 256}}, Case{7, {7, 3}, {32, 256}}, Case{3, {5, 3}, {32, 256}}}) {
        SCOPED_TRACE(c.sides);
        model.shape->sides = c.sides;
        SolidObject solid;
        solid.world = &world;
        solid.model = 0;
        solid.x = FixedFromMetres(3);
        solid.Init();
        // Radius about the middle height (1 m): the farthest profile point
        // is 1.5 m out at its foot, sqrt(1.5^2 + 1) m, twice for the scale.
        EXPECT_NEAR(solid.radius / Metre, 2 * std::sqrt(1.5 * 1.5 + 1), 1e-4);
        EXPECT_NEAR(solid.centre.z.raw / Metre, 2.0, 1e-4);
        ASSERT_EQ(solid.levelCount, c.details.size());
        for (size_t i = 0; i < c.details.size(); i++) {
            EXPECT_EQ(solid.levels[i].detail, c.details[i]);
            EXPECT_EQ(solid.levels[i].distance, solid.radius * c.factors[i]);
        }
        EXPECT_EQ(solid.distanceLod, 0);
    }
}

// A solid's radius is a length whatever the sign of its model's scale: a
// mirrored copy keeps the levels of the plain one, and a damaged scale (not
// a number, or beyond the fixed-point range) gives levels within the level
// limit's range instead of overflowing.
TEST_F(SceneryTest, SolidLevelsStayInRangeForMirroredAndDamagedScales)
{
    World world;
    world.sharedModels.resize(1);
    SharedModel& model = world.sharedModels[0];
    model.kind = 1;
    model.shape = new RevolvedShape;
    model.shape->count = 2;
    model.shape->pairs = new FloatPair[2]{{0.0f, 2.0f}, {1.5f, 0.0f}};
    model.shape->sides = 12;
    auto levelsAt = [&](float scale) {
        model.scale = scale;
        SolidObject solid;
        solid.world = &world;
        solid.model = 0;
        solid.Init();
        return std::vector<int32_t>{solid.levels[0].distance, solid.levels[1].distance, solid.levels[2].distance};
    };
    EXPECT_EQ(levelsAt(-2.0f), levelsAt(2.0f));
    for (float damaged : {std::numeric_limits<float>::quiet_NaN(), -1e30f, 1e30f})
        for (int32_t distance : levelsAt(damaged)) {
            EXPECT_GE(distance, 0) << damaged;
            EXPECT_LE(distance, 0x400000 * 256) << damaged;
        }
}

// A damaged file's tree may stand or reach past the 32-bit range of 16.16
// metres: its branches are still laid out, their positions wrapping as every
// 16.16 sum does.
TEST_F(SceneryTest, TreesReachingPastTheFixedPointRangeInitialise)
{
    struct Case {
        float baseHeight, trunkHeight;
    };
    for (const Case& c : {Case{5, 1e30f}, Case{32767, 5}, Case{-32767, -1e30f}}) {
        TreeObject tree;
        tree.seed = 21;
        tree.leafCount = 16;
        tree.baseHeight = c.baseHeight;
        tree.trunkHeight = c.trunkHeight;
        tree.Init();
    }
}

// A damaged file's start grid or flag may stand at the edge of the 32-bit
// range of 16.16 metres: its places and cloth are still laid out, their
// positions wrapping as every 16.16 sum does.
TEST_F(SceneryTest, GridsAndFlagsAtTheFixedPointRangeEdgeInitialise)
{
    struct Case {
        const char* label;
        int32_t x, y, endX, endY;
        uint8_t gridFlags;
        float heading;
    };
    const Case cases[] = {
        {"straight, running back past the low edge", INT32_MIN + 5, 0, 0, 0, 0, static_cast<float>(-Pi / 2)},
        {"straight, running back past the high edge", 0, INT32_MAX - 5, 0, 0, 0, static_cast<float>(Pi)},
        {"curved, ends at opposite edges", INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN, GridFlagCurved, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        StartGridObject grid;
        grid.x = Fixed(c.x);
        grid.y = Fixed(c.y);
        grid.endX = Fixed(c.endX);
        grid.endY = Fixed(c.endY);
        grid.gridFlags = c.gridFlags;
        grid.heading = c.heading;
        grid.straightRows = 2;
        grid.Init();
        for (int n = 0; n < 32; n++) {
            FixedVector point;
            float heading;
            GetGridPosition(grid, n, point, heading);
        }
        FlagObject flag;
        flag.x = Fixed(c.x);
        flag.y = Fixed(c.y);
        flag.Init();
    }
}

TEST_F(SceneryTest, FlagsTreesAndInstancesKeepInsideTheirLimits)
{
    // Flag sizes: width at most 4 (the height scaled with it), height at most 3.
    struct Size {
        float width, height, wantWidth, wantHeight;
    };
    for (const Size& s : {Size{6, 2, 4, 4.0f / 3}, Size{3, 5, 3, 3}, Size{0.5f, 0.2f, 1, 0.5f}}) {
        FlagObject source;
        source.width = s.width;
        source.height = s.height;
        TempFolder folder;
        DataFile writer;
        CreateDataFile(writer, nullptr, "f", WorldFileMagic, WorldFileVersion);
        WriteWorldObject(source, writer);
        ASSERT_EQ(CloseDataFile(writer), 1);
        const std::string bytes = folder.ReadFile("f");
        DataFile reader;
        int version = 0;
        OpenDataBlock(reader, reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), version);
        RecordReading in{reader, version};
        auto* flag = static_cast<FlagObject*>(CreateWorldObject(in));
        ASSERT_NE(flag, nullptr);
        EXPECT_FLOAT_EQ(flag->width, s.wantWidth);
        EXPECT_NEAR(flag->height, s.wantHeight, 1e-6);
        flag->Init();
        for (int i = 0; i < FlagPointCount; i++) {
            EXPECT_EQ(flag->points[i].free, i < FlagRows * FlagColumns && i % FlagColumns == 0 ? 0 : 1);
            EXPECT_FLOAT_EQ(flag->points[i].normal.y, -1.0f);
        }
        delete flag;
    }
    // A tree's measure depends on its seed only; a spread of 0 (which no
    // sibling could satisfy) is brought to 2 and the measure ends.
    TreeObject a, b;
    for (TreeObject* t : {&a, &b}) {
        t->seed = 21;
        t->spread = 0;
        t->leafCount = 300;
        t->x = FixedFromMetres(5);
    }
    // As the reader brings them inside.
    for (TreeObject* t : {&a, &b}) {
        t->spread = std::clamp(t->spread, 2, 16);
        t->leafCount = std::clamp(t->leafCount, 1, MaxTreeLeaves);
        t->Init();
    }
    EXPECT_EQ(a.centre, b.centre);
    EXPECT_EQ(a.radius, b.radius);
    EXPECT_EQ(a.levels, 8);
    EXPECT_GT(a.radius, FixedFromMetres(2.5).raw);
    // Two instances of one model start their spin apart.
    World world;
    world.sharedModels.resize(1);
    world.sharedModels[0].kind = 0;
    world.sharedModels[0].model = new ObjectModel;
    InitObjectModel(*world.sharedModels[0].model);
    InstanceObject first, second;
    for (InstanceObject* i : {&first, &second}) {
        i->world = &world;
        i->model = 0;
        i->Init();
    }
    EXPECT_NE(first.spin, second.spin);
    EXPECT_EQ(second.spin, GameTime.random);
}

} // namespace
