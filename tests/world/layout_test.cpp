// Layouts on a built site: records and their headings, route markers and
// the route's reports, circles and route-checker numbering, plain objects,
// and layout files written, read back and refused when damaged.
#include <cstdio>
#include <fstream>
#include <iterator>
#include <numbers>
#include <string>
#include <vector>

#include "site_fixture.h"
#include "world/local.h"
#include "world_fixture.h"

using namespace sites;

namespace {

class LayoutTest : public SiteFolderTest {
protected:
    void SetUp() override
    {
        SiteFolderTest::SetUp();
        world = LoadSite(0, 1, 0);
        ASSERT_TRUE(world->ready);
        float heading = 0;
        GetStartPosition(*world, ground, heading, 0);
    }
    void TearDown() override
    {
        world.reset();
        SiteFolderTest::TearDown();
    }

    // A record dx, dy metres from the first start place.
    LayoutObjectRecord At(double dx, double dy, uint8_t flags, uint8_t kind, uint8_t heading = 128) const
    {
        LayoutObjectRecord r;
        r.x = static_cast<int16_t>((ground.x.raw + FixedFromMetres(dx).raw) >> 12);
        r.y = static_cast<int16_t>((ground.y.raw + FixedFromMetres(dy).raw) >> 12);
        r.z = static_cast<int8_t>(ground.z.raw >> 14);
        r.flags = flags;
        r.kind = kind;
        r.heading = heading;
        return r;
    }
    static LayoutObjectRecord Marker(const LayoutObjectRecord& at, int type, int halfWidth)
    {
        LayoutObjectRecord r = at;
        r.flags = static_cast<uint8_t>(LayoutFlagMarker | halfWidth << LayoutSizeShift | type);
        r.kind = LayoutKindMarker;
        return r;
    }
    int Add(const LayoutObjectRecord& record, int local = 0, int updateRoute = 0)
    {
        int kindFlag = 0, startAdded = 0;
        return AddLayoutObject(*world, record, local, updateRoute, kindFlag, startAdded);
    }
    int PlaceableKind() const
    {
        for (size_t k = 0; k < world->sharedModels.size(); k++)
            if (world->sharedModels[k].layoutFlag)
                return int(k);
        return -1;
    }
    std::vector<int> CheckerIndexes() const
    {
        std::vector<int> indexes;
        for (int i = 0; i < LayoutState.circleCount; i++)
            if (!(LayoutState.circles[size_t(i)].record.flags & LayoutFlagMarker))
                indexes.push_back(LayoutState.circles[size_t(i)].record.heading);
        return indexes;
    }

    std::unique_ptr<World> world;
    FixedVector ground;
};

std::vector<uint8_t> FileBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes)
{
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

// A layout file made by hand: header, count, laps, flags, records.
std::vector<uint8_t> LayoutBytes(int count, int laps, int flags, const std::vector<std::array<uint8_t, 8>>& records)
{
    std::vector<uint8_t> bytes = {'Q', 'V', 'N', 'L', 'Y', 'T', 0, 251};
    bytes.push_back(uint8_t(count & 0xFF));
    bytes.push_back(uint8_t(count >> 8 & 0xFF));
    bytes.push_back(uint8_t(laps));
    bytes.push_back(uint8_t(flags));
    for (const auto& r : records)
        bytes.insert(bytes.end(), r.begin(), r.end());
    return bytes;
}

} // namespace

TEST_F(LayoutTest, HeadingBytesAndMarkerRecords)
{
    EXPECT_EQ(LayoutHeadingFromByte(128), 0.0f);
    EXPECT_EQ(LayoutHeadingByte(0.0f), 128);
    EXPECT_EQ(LayoutHeadingByte(float(std::numbers::pi)), 0);
    EXPECT_EQ(LayoutHeadingByte(float(-std::numbers::pi)), 0);
    EXPECT_EQ(LayoutHeadingByte(float(std::numbers::pi / 2)), 192);

    // 0x80 is a start position, 0x80 + 4 a finish line 1 m half-wide; each
    // packs back to its own record (z aside: it is the ground's).
    struct Case {
        uint8_t flags;
        int routeIndex;
        int32_t objectFlag;
        int halfWidth;
    } cases[] = {{0x80, RouteIndexStart, SolidFlagLayoutStart, 0},
                 {0x80 + 4, RouteIndexFinish, SolidFlagLayoutGate, 1},
                 {0x80 + 8 * 4 + 3, RouteIndexFinish + 3, SolidFlagLayoutGate, 8}};
    double dx = 0;
    for (const Case& c : cases) {
        LayoutObjectRecord record = At(dx += 10, 0, c.flags, LayoutKindMarker, 200);
        ASSERT_EQ(Add(record), 1) << int(c.flags);
        const auto& object = static_cast<const SolidObject&>(*world->objects.back());
        EXPECT_EQ(GetRouteMarkerIndex(object), c.routeIndex);
        EXPECT_TRUE(object.solidFlags & c.objectFlag);
        EXPECT_EQ(object.variantB, c.halfWidth);
        EXPECT_EQ(object.model, -1);
        LayoutObjectRecord packed;
        PackLayoutObject(packed, object);
        record.z = packed.z;
        EXPECT_EQ(packed, record);
        EXPECT_EQ(RouteMarkerExists(*world, c.routeIndex), 1);
    }
    EXPECT_EQ(world->layoutObjectCount, 3);
    EXPECT_EQ(FirstLayoutObject(*world), int(world->objects.size()) - 3);
}

TEST_F(LayoutTest, UnpackSetsTheRecordOnTheGround)
{
    // The ground is looked for from 4 m below the stored height up to 2 m
    // above it, then up to 6 m above it.
    LayoutObjectRecord record = At(0, 0, 0, 0, 128);
    double groundHeight = 0;
    ASSERT_NE(fixture::GroundAt(*world, (record.x << 12) / 65536.0, (record.y << 12) / 65536.0, &groundHeight), nullptr);
    FixedVector position;
    float height = 0, heading = 1, pitch = 1, roll = 1;
    for (double below : {-3.0, 1.0, 5.0}) {
        record.z = static_cast<int8_t>(std::lround((groundHeight - below) * 4));
        ASSERT_EQ(UnpackLayoutObject(*world, record, position, height, heading, pitch, roll), 1) << below;
        EXPECT_EQ(heading, 0.0f);
        EXPECT_NEAR(height, groundHeight, 0.01) << below;
        EXPECT_EQ(position.z, FixedFromMetres(height));
        EXPECT_LT(std::fabs(pitch) + std::fabs(roll), 0.3f);
    }
    record.z = static_cast<int8_t>(std::lround((groundHeight - 7) * 4));
    EXPECT_EQ(UnpackLayoutObject(*world, record, position, height, heading, pitch, roll), 0);
    EXPECT_EQ(position.z.raw, record.z << 14);

    record.z = static_cast<int8_t>(std::lround(groundHeight * 4));
    FixedVector drawn;
    ASSERT_EQ(UnpackLayoutObject(*world, record, position, height, heading, pitch, roll), 1);
    ASSERT_EQ(GetLayoutObjectPlacement(*world, record, drawn, heading), 1);
    EXPECT_EQ(drawn.z.raw, RoundToInt32(double(height) * 65536.0) + 8192);

    // Far out of the world there is no ground: the stored values stay.
    LayoutObjectRecord away = record;
    away.x = away.y = 32000;
    EXPECT_EQ(UnpackLayoutObject(*world, away, position, height, heading, pitch, roll), 0);
}

TEST_F(LayoutTest, SecondStartOrFinishIsRefused)
{
    int kindFlag = 0, startAdded = 0;
    ASSERT_EQ(AddLayoutObject(*world, Marker(At(0, 0, 0, 0), 0, 0), 0, 1, kindFlag, startAdded), 1);
    EXPECT_EQ(startAdded, 1);
    EXPECT_EQ(Add(Marker(At(5, 0, 0, 0), 0, 0)), 0);
    EXPECT_EQ(Add(Marker(At(0, 20, 0, 0), 0, 3)), 1);
    EXPECT_EQ(Add(Marker(At(0, 30, 0, 0), 0, 5)), 0);
    EXPECT_EQ(world->layoutObjectCount, 2);
    EXPECT_EQ(HasLayoutStartPosition(), 1);
}

TEST_F(LayoutTest, RouteReportsAndUsableCount)
{
    struct Case {
        std::vector<int> gates;  // marker types present (0 finish, 1..3 checkpoints)
        const char* report;
        int count;
    } cases[] = {
        {{0, 1, 3}, "Checkpoint 2 not found", 0},
        {{0}, "Finish line but no checkpoints", 0},
        {{1, 2}, "No finish line - laps will not be timed", 0},
        {{0, 1}, "Autocross : 1 checkpoint", 2},
        {{0, 1, 2, 3}, "Autocross : 3 checkpoints", 4},
    };
    for (const Case& c : cases) {
        fixture::MessageLog log;
        ApplyLayoutEdit(*world, LayoutEditClear, {}, 0);
        double dy = 0;
        for (int type : c.gates)
            ASSERT_EQ(Add(Marker(At(0, dy += 15, 0, 0), type, 4)), 1);
        UpdateLayoutRoute(*world, 1);
        EXPECT_TRUE(log.Says(c.report)) << c.report;
        EXPECT_EQ(LayoutState.route.count, c.count) << c.report;
        EXPECT_EQ(HasLayoutFinishLine(), c.count > 0 ? 1 : 0);
        EXPECT_EQ(GetCheckpointCount(*world), c.count > 0 ? c.count : world->timingPointCount);
    }
    // Without report nothing is said.
    fixture::MessageLog quiet;
    UpdateLayoutRoute(*world, 0);
    EXPECT_TRUE(fixture::MessageLog::Lines().empty());

    // A gate keeps its place, its heading's direction and side, its width.
    ApplyLayoutEdit(*world, LayoutEditClear, {}, 0);
    ASSERT_EQ(Add(Marker(At(0, 0, 0, 0, 192), 0, 6)), 1);
    UpdateLayoutRoute(*world, 0);
    const LayoutGate& finish = LayoutState.route.gates[0];
    EXPECT_EQ(finish.halfWidth.raw, 6 << 16);
    EXPECT_EQ(finish.point.x, world->objects.back()->x);
    EXPECT_NEAR(finish.directionX.raw / 65536.0, -1.0, 1e-4);  // heading pi/2: forward is -x
    EXPECT_NEAR(finish.sideY.raw / 65536.0, 1.0, 1e-4);
}

TEST_F(LayoutTest, CirclesAreLimitedAndKeptApart)
{
    // 96 route checkers of 1 m in a grid 3 m apart, then the 97th.
    for (int i = 0; i < MaxLayoutCircles; i++)
        ASSERT_EQ(Add(At(3.0 * (i % 12), 3.0 * (i / 12), 1 << LayoutSizeShift, LayoutKindCircle, uint8_t(i))), 1) << i;
    EXPECT_EQ(Add(At(-50, -50, 1 << LayoutSizeShift, LayoutKindCircle, 0)), 0);
    EXPECT_EQ(CountRouteCheckers(), MaxLayoutCircles);

    ApplyLayoutEdit(*world, LayoutEditClear, {}, 0);
    EXPECT_EQ(LayoutState.circleCount, 0);
    // 4 m and 2 m circles: 5.9 m apart overlap, 6.1 m apart do not.
    ASSERT_EQ(Add(At(0, 0, 4 << LayoutSizeShift, LayoutKindCircle, 0)), 1);
    EXPECT_EQ(Add(At(5.9, 0, 2 << LayoutSizeShift, LayoutKindCircle, 1)), 0);
    EXPECT_EQ(Add(At(6.1, 0, 2 << LayoutSizeShift, LayoutKindCircle, 1)), 1);
    // A restricted area keeps its marshal's heading as a rotation.
    ASSERT_EQ(Add(At(30, 0, LayoutFlagMarker | 2 << LayoutSizeShift | 1, LayoutKindCircle, 192)), 1);
    EXPECT_EQ(CountRouteCheckers(), 2);
    EXPECT_NE(LayoutState.circles[2].rotation, IdentityMatrix);
}

TEST_F(LayoutTest, RouteCheckersAreRenumbered)
{
    auto checker = [&](int slot, int index) {
        return At(10.0 * slot, 0, 1 << LayoutSizeShift, LayoutKindCircle, uint8_t(index));
    };
    for (int i = 0; i < 4; i++)
        ASSERT_EQ(Add(checker(i, i)), 1);
    ApplyLayoutEdit(*world, LayoutEditDelete, checker(2, 2), 0);
    EXPECT_EQ(CheckerIndexes(), (std::vector<int>{0, 1, 2}));

    ApplyLayoutEdit(*world, LayoutEditClear, {}, 0);
    for (int i = 0; i < 3; i++)
        ASSERT_EQ(Add(checker(i, i)), 1);
    ASSERT_EQ(Add(checker(5, 1)), 1);
    EXPECT_EQ(CheckerIndexes(), (std::vector<int>{0, 2, 3, 1}));
}

TEST_F(LayoutTest, PlainObjectsArePlacedDeletedAndCleared)
{
    const int cone = PlaceableKind();
    ASSERT_GE(cone, 0);
    const size_t sceneryCount = world->objects.size();
    int kindFlag = 0, startAdded = 0;
    ASSERT_EQ(AddLayoutObject(*world, At(3, 0, 0, uint8_t(cone), 100), 0, 0, kindFlag, startAdded), 1);
    EXPECT_EQ(kindFlag, world->sharedModels[size_t(cone)].collisionKind ? 1 : 0);
    EXPECT_EQ(world->objects.size(), sceneryCount + 1);
    EXPECT_EQ(static_cast<SolidObject*>(world->objects.back())->model, cone);
    EXPECT_EQ(GetRouteMarkerIndex(*world->objects.back()), RouteIndexNone);

    // A kind without the layout flag, or beyond the models, is refused.
    for (size_t k = 0; k < world->sharedModels.size(); k++) {
        if (!world->sharedModels[k].layoutFlag) {
            EXPECT_EQ(Add(At(6, 0, 0, uint8_t(k))), 0) << k;
        }
    }
    EXPECT_EQ(Add(At(6, 0, 0, uint8_t(world->sharedModels.size()))), 0);

    // Delete finds the object by its record whatever its z.
    ASSERT_EQ(Add(At(9, 0, 0, uint8_t(cone), 100)), 1);
    LayoutObjectRecord first = At(3, 0, 0, uint8_t(cone), 100);
    first.z = 77;
    ApplyLayoutEdit(*world, LayoutEditDelete, first, 0);
    ASSERT_EQ(world->layoutObjectCount, 1);
    EXPECT_EQ(world->objects.back()->x.raw, int32_t(At(9, 0, 0, 0).x) << 12);

    ApplyLayoutEdit(*world, LayoutEditClear, {}, 0);
    EXPECT_EQ(world->layoutObjectCount, 0);
    EXPECT_EQ(world->objects.size(), sceneryCount);

    // Off the world a participant's own object is reported.
    fixture::MessageLog log;
    LayoutObjectRecord away = At(0, 0, 0, uint8_t(cone));
    away.x = away.y = 32000;
    EXPECT_EQ(Add(away, 1), 1);
    EXPECT_TRUE(log.Says("Can't add : invalid position"));
}

TEST_F(LayoutTest, SavedLayoutReadsBackByteForByte)
{
    const int cone = PlaceableKind();
    ASSERT_EQ(Add(At(3, 0, 0, uint8_t(cone), 10)), 1);
    ASSERT_EQ(Add(Marker(At(0, 10, 0, 0, 60), 0, 0)), 1);
    ASSERT_EQ(Add(At(20, 0, 3 << LayoutSizeShift, LayoutKindCircle, 0)), 1);
    SetLayoutLapCount(7);
    ASSERT_EQ(SaveLayout(world.get(), "HM1_test"), 1);
    EXPECT_STREQ(LayoutState.name, "HM1_test");
    EXPECT_EQ(LayoutState.status, 1);
    EXPECT_EQ(SaveLayout(nullptr, "HM1_none"), 0);
    EXPECT_EQ(SaveLayout(world.get(), "..\\escape"), 0);

    // The bytes as the format gives them: header, count, laps, flags, then
    // the objects in world order and the circles.
    const std::vector<uint8_t> bytes = FileBytes("data/layout/HM1_test.lyt");
    ASSERT_EQ(bytes.size(), 12u + 3 * 8);
    EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 6), "QVNLYT");
    EXPECT_EQ(bytes[6], 0);
    EXPECT_EQ(bytes[7], 251);
    EXPECT_EQ(bytes[8] | bytes[9] << 8, 3);
    EXPECT_EQ(bytes[10], 7);
    EXPECT_EQ(bytes[11], 1);
    const LayoutObjectRecord first = At(3, 0, 0, uint8_t(cone), 10);
    EXPECT_EQ(int16_t(bytes[12] | bytes[13] << 8), first.x);
    EXPECT_EQ(int16_t(bytes[14] | bytes[15] << 8), first.y);
    EXPECT_EQ(bytes[17], 0);
    EXPECT_EQ(bytes[18], cone);
    EXPECT_EQ(bytes[19], 10);
    EXPECT_EQ(bytes[12 + 8 + 5], 0x80);
    EXPECT_EQ(bytes[12 + 16 + 6], 255);

    // Read back into the cleared world: the same records.
    std::vector<LayoutObjectRecord> saved;
    for (size_t i = size_t(FirstLayoutObject(*world)); i < world->objects.size(); i++) {
        PackLayoutObject(saved.emplace_back(), static_cast<const SolidObject&>(*world->objects[i]));
    }
    ApplyLayoutEdit(*world, LayoutEditClear, {}, 0);
    SetLayoutLapCount(1);
    DataFile reader;
    int version = 0;
    ASSERT_EQ(LoadDataFile(reader, nullptr, "data\\layout\\HM1_test.lyt", LayoutFileMagic, version, 251, false),
              nullptr);
    ASSERT_EQ(ReadLayoutObjects(*world, reader, version, 1, 1), 1);
    EXPECT_EQ(LayoutState.lapCount, 7);
    ASSERT_EQ(world->layoutObjectCount, 2);
    for (size_t i = 0; i < saved.size(); i++) {
        LayoutObjectRecord again;
        PackLayoutObject(again, static_cast<const SolidObject&>(*world->objects[size_t(FirstLayoutObject(*world)) + i]));
        EXPECT_EQ(again, saved[i]) << i;
    }
    EXPECT_EQ(LayoutState.circleCount, 1);

    ASSERT_EQ(WriteEmptyLayout("data\\layout\\HM1_empty.lyt"), 1);
    EXPECT_EQ(FileBytes("data/layout/HM1_empty.lyt"), LayoutBytes(0, 1, 1, {}));
}

TEST_F(LayoutTest, OldScaleOnlyOnTheFirstSite)
{
    // One route checker at (1000, -2000) 1/16 m, z 8, in a file without the
    // current-scale flag.
    const std::vector<uint8_t> file = LayoutBytes(1, 3, 0, {{0xE8, 0x03, 0x30, 0xF8, 8, 4, 255, 0}});
    WriteBytes("data/training/old_scale.lyt", file);
    struct Case {
        const char* siteCode;
        int16_t x, y;
        int8_t z;
    } cases[] = {{"HM", 927, -1854, 7}, {"KY", 1000, -2000, 8}};
    for (const Case& c : cases) {
        ApplyLayoutEdit(*world, LayoutEditClear, {}, 0);
        CopyFixedString(world->siteCode, c.siteCode, sizeof world->siteCode);
        ASSERT_EQ(LoadTrainingLayout(*world, "old_scale"), 1) << c.siteCode;
        ASSERT_EQ(LayoutState.circleCount, 1);
        const LayoutObjectRecord& read = LayoutState.circles[0].record;
        EXPECT_EQ(read.x, c.x) << c.siteCode;
        EXPECT_EQ(read.y, c.y) << c.siteCode;
        EXPECT_EQ(read.z, c.z) << c.siteCode;
        EXPECT_EQ(LayoutState.lapCount, 3);
        EXPECT_STREQ(LayoutState.name, "old_scale");
        EXPECT_EQ(LayoutState.oldScale, 0);
    }
    CopyFixedString(world->siteCode, "HM", sizeof world->siteCode);
}

TEST_F(LayoutTest, DamagedFilesChangeNothing)
{
    const std::array<uint8_t, 8> checker = {0, 0, 0, 0, 0, 4, 255, 0};
    struct Case {
        const char* name;
        std::vector<uint8_t> bytes;
    } cases[] = {
        {"negative count", LayoutBytes(-1, 1, 1, {checker})},
        {"count past the end", LayoutBytes(2, 1, 1, {checker})},
        {"count past the limit", LayoutBytes(700, 1, 1, {})},
        {"no body", {'Q', 'V', 'N', 'L', 'Y', 'T', 0, 251, 1}},
        {"too old", [] { auto b = LayoutBytes(0, 1, 1, {}); b[7] = 245; return b; }()},
        {"too new", [] { auto b = LayoutBytes(0, 1, 1, {}); b[7] = 252; return b; }()},
    };
    for (const Case& c : cases) {
        WriteBytes("data/training/damaged.lyt", c.bytes);
        EXPECT_EQ(LoadTrainingLayout(*world, "damaged"), 0) << c.name;
        EXPECT_EQ(LayoutState.circleCount, 0) << c.name;
        EXPECT_EQ(LayoutState.status, 0) << c.name;
        EXPECT_EQ(LayoutState.name[0], 0) << c.name;
    }
    EXPECT_EQ(LoadTrainingLayout(*world, "missing_file"), 0);
    EXPECT_EQ(LoadTrainingLayout(*world, "../damaged"), 0);
}

namespace {

// A car without car data, stood at points by the test, and the messages
// its route checks give.
struct RouteCar {
    CarObject car;
    static std::vector<std::string>& Lines()
    {
        static std::vector<std::string> lines;
        return lines;
    }
    RouteCar()
    {
        ConstructCar(car);
        Lines().clear();
        CarMessageHooks messages = GetCarMessageHooks();
        messages.printMessage = [](const char* text, int) { Lines().emplace_back(text); };
        SetCarMessageHooks(messages);
    }
    ~RouteCar() { DestroyCar(car); }
    void StandAt(const FixedVector& point, double dx, double dy)
    {
        car.position = {point.x + FixedFromMetres(dx), point.y + FixedFromMetres(dy), point.z};
        UpdateCarViewAndRoute(car, 0.01f, 0);
    }
};

} // namespace

TEST_F(LayoutTest, RouteCirclesAreTouchedWithinTheirRadiusOnce)
{
    ASSERT_EQ(Add(At(0, 0, 4 << LayoutSizeShift, LayoutKindCircle, 0)), 1);
    ASSERT_EQ(Add(At(0, 40, LayoutFlagMarker | 4 << LayoutSizeShift, LayoutKindCircle, 128)), 1);
    ASSERT_EQ(Add(At(40, 0, 4 << LayoutSizeShift, LayoutKindCircle, 2)), 1);
    const FixedVector checker = LayoutState.circles[0].position;
    RouteCar route;
    // 4.1 m from the centre of a 4 m circle is outside it; 3.9 m inside.
    route.StandAt(checker, 4.1, 0);
    EXPECT_EQ(route.car.route.nextGate, 0);
    route.StandAt(checker, 0, -4.1);
    EXPECT_EQ(route.car.route.nextGate, 0);
    route.StandAt(checker, 3.9, 0);
    EXPECT_EQ(route.car.route.nextGate, 1);
    EXPECT_EQ(route.car.route.lastTouched, 0);

    // Standing in the restricted area for two steps gives one message.
    const FixedVector restricted = LayoutState.circles[1].position;
    route.StandAt(restricted, 1, 1);
    route.StandAt(restricted, 1.5, 1);
    EXPECT_EQ(RouteCar::Lines(), (std::vector<std::string>{"Restricted area"}));
    // A route checker beyond the next one is the wrong route.
    route.StandAt(LayoutState.circles[2].position, 0, 0);
    EXPECT_EQ(RouteCar::Lines().back(), "Wrong route");
    EXPECT_EQ(route.car.route.nextGate, 1);
}

TEST_F(LayoutTest, AGateIsPassedFromBehindWithinItsHalfWidth)
{
    // The finish line, and checkpoint 1 30 m further along +y (heading byte
    // 128: the gates face +y), each 4 m half-wide.
    ASSERT_EQ(Add(Marker(At(0, 0, 0, 0), 0, 4)), 1);
    ASSERT_EQ(Add(Marker(At(0, 30, 0, 0), 1, 4)), 1);
    UpdateLayoutRoute(*world, 0);
    ASSERT_EQ(LayoutState.route.count, 2);
    const FixedVector checkpoint = LayoutState.route.gates[1].point;

    struct Case {
        double across;  // m beside the gate's point
        bool passed;
    } cases[] = {{0, true}, {3.5, true}, {-3.5, true}, {4.5, false}};
    for (const Case& c : cases) {
        RouteCar route;
        route.car.race.timingState = 2;  // watching checkpoint 1
        route.car.step.speed = 12;
        route.StandAt(checkpoint, c.across, -0.5);
        EXPECT_EQ(route.car.route.behindGate, 1);
        route.StandAt(checkpoint, c.across, 0.5);
        EXPECT_EQ(route.car.route.gateSpeed, c.passed ? 12.0f : 0.0f) << c.across;
    }
    // Arriving from ahead of the gate passes nothing.
    RouteCar ahead;
    ahead.car.race.timingState = 2;
    ahead.car.step.speed = 12;
    ahead.StandAt(checkpoint, 0, 0.5);
    ahead.StandAt(checkpoint, 0, 1.0);
    EXPECT_EQ(ahead.car.route.gateSpeed, 0.0f);
}
