// The AI's track knowledge: its file against bytes laid out by hand and the
// file's refusals, the line rebuilt over a path inside the road, and the
// speed profile against closed forms of circular motion and braking.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <numbers>
#include <string>
#include <vector>

#include "race_fixture.h"
#include "session/local.h"
#include "support/temp_folder.h"
#include "vehicle/services.h"
#include "world/services.h"

namespace {

constexpr double Pi = std::numbers::pi;
constexpr float Gravity = 9.81f;

// Little-endian bytes of a knowledge file laid out field by field.
struct FileBytes {
    std::string bytes;
    void Byte(int v) { bytes.push_back(static_cast<char>(v & 0xFF)); }
    void Short(int v) { Byte(v), Byte(v >> 8); }
    void Int(int32_t v) { Short(v & 0xFFFF), Short(static_cast<int>(static_cast<uint32_t>(v) >> 16)); }
    void Float(float f)
    {
        uint32_t u;
        std::memcpy(&u, &f, 4);
        Int(static_cast<int32_t>(u));
    }
};

// A file of version `version` with `nodes` nodes and the given keys (as
// start, end, angle, offset); keyCount may claim more keys than follow.
std::string KnowledgeBytes(int version, int nodes, const std::vector<KnowledgeSegment>& keys, int keyCount)
{
    FileBytes f;
    f.bytes = "QVNKNW";
    f.Byte(version >> 8), f.Byte(version);
    f.Byte(12), f.Byte(3), f.Short(0);   // rear wing, front wing, reserved
    f.Short(40000), f.Short(0);          // final drive code, reserved
    f.Float(2.5f), f.Float(61.0f), f.Float(95.25f), f.Float(80.0f);
    f.Short(nodes), f.Short(keyCount);
    for (const KnowledgeSegment& k : keys) {
        f.Short(k.id), f.Short(0), f.Byte(k.entryTension), f.Byte(k.exitTension), f.Short(0);
        f.Int(k.startNode), f.Int(k.endNode), f.Float(k.endAngle), f.Float(k.endOffset);
    }
    return f.bytes;
}

KnowledgeSegment Key(int id, int start, int end, float angle, float offset, int entry = 0, int exit = 0)
{
    KnowledgeSegment k;
    k.id = static_cast<int16_t>(id);
    k.entryTension = static_cast<int8_t>(entry);
    k.exitTension = static_cast<int8_t>(exit);
    k.startNode = start;
    k.endNode = end;
    k.endAngle = angle;
    k.endOffset = offset;
    return k;
}

class KnowledgeFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetSessionTables();
        HookLog() = {};
        InstallRecordingRaceHooks();
    }
    void TearDown() override
    {
        SetRaceHooks(RaceHooks{});
        ResetSessionTables();
    }
    TempFolder folder;
};

// The writer lays the file out byte for byte as the format says, and the
// reader gives back every field.
TEST_F(KnowledgeFileTest, WritesTheFormatAndReadsItBack)
{
    const std::vector<KnowledgeSegment> keys = {Key(1, 0, 40, 0.125f, -2.5f, -20, 35), Key(2, 40, 0, -0.5f, 1.75f)};
    AiKnowledge written;
    written.rearWing = 12;
    written.frontWing = 3;
    written.finalDriveCode = 40000;
    written.fuelPerLap = 2.5f;
    written.maxSpeed = 61.0f;
    written.lapTime = 95.25f;
    written.tankCapacity = 80.0f;
    written.nodeCount = 80;
    written.keys = keys;
    written.keyCount = 2;
    std::filesystem::create_directories("data/knw");
    ASSERT_EQ(WriteKnowledgeFile(written, "data\\knw\\AB1_XRT.knw"), 1);
    EXPECT_EQ(folder.ReadFile("data/knw/AB1_XRT.knw"), KnowledgeBytes(5, 80, keys, 2));

    AiKnowledge read;
    ASSERT_EQ(LoadKnowledge(read, "data\\knw\\AB1_XRT.knw", 80), 1);
    EXPECT_EQ(read.rearWing, 12);
    EXPECT_EQ(read.frontWing, 3);
    EXPECT_EQ(read.finalDriveCode, 40000);
    EXPECT_EQ(read.fuelPerLap, 2.5f);
    EXPECT_EQ(read.maxSpeed, 61.0f);
    EXPECT_EQ(read.lapTime, 95.25f);
    EXPECT_EQ(read.tankCapacity, 80.0f);
    ASSERT_EQ(read.keyCount, 2);
    for (size_t i = 0; i < keys.size(); i++) {
        EXPECT_EQ(read.keys[i].id, keys[i].id);
        EXPECT_EQ(read.keys[i].entryTension, keys[i].entryTension);
        EXPECT_EQ(read.keys[i].exitTension, keys[i].exitTension);
        EXPECT_EQ(read.keys[i].startNode, keys[i].startNode);
        EXPECT_EQ(read.keys[i].endNode, keys[i].endNode);
        EXPECT_EQ(read.keys[i].endAngle, keys[i].endAngle);
        EXPECT_EQ(read.keys[i].endOffset, keys[i].endOffset);
    }
    EXPECT_TRUE(HookLog().messages.empty());

    // The set-up key goes into a set-up and is recognised there.
    CarSetup setup;
    EXPECT_EQ(KnowledgeMatchesSetup(read, setup), 0);
    CopyKnowledgeSetupKey(read, setup);
    EXPECT_EQ(setup.rearWing, 12);
    EXPECT_EQ(setup.finalDrive, 40000);
    EXPECT_EQ(KnowledgeMatchesSetup(read, setup), 1);
}

// A file the reader refuses leaves the knowledge as it was; only a newer
// file and a wrong node count say why on the message list.
TEST_F(KnowledgeFileTest, RefusesFilesThatDoNotFitTheRoute)
{
    struct Case {
        const char* name;
        std::string bytes;
        const char* message;  // a part of the one message shown, or null for none
    };
    const std::vector<KnowledgeSegment> good = {Key(1, 0, 40, 0, 0)};
    const Case cases[] = {
        {"older version", KnowledgeBytes(4, 80, good, 1), nullptr},
        {"newer version", KnowledgeBytes(6, 80, good, 1), "later version"},
        {"wrong node count", KnowledgeBytes(5, 79, good, 1), "Wrong number of nodes"},
        {"more keys than bytes", KnowledgeBytes(5, 80, good, 2), nullptr},
        {"negative key count", KnowledgeBytes(5, 80, good, -1), nullptr},
        {"key beyond the route", KnowledgeBytes(5, 80, {Key(1, 0, 80, 0, 0)}, 1), nullptr},
        {"key end not a number", KnowledgeBytes(5, 80, {Key(1, 0, 40, 0, std::nanf(""))}, 1), nullptr},
        {"cut in the figures", KnowledgeBytes(5, 80, good, 1).substr(0, 20), nullptr},
    };
    for (const Case& c : cases) {
        HookLog() = {};
        folder.WriteFile("data/knw/bad.knw", c.bytes);
        AiKnowledge knowledge;
        knowledge.lapTime = 7;
        knowledge.keys = {Key(9, 1, 2, 0, 0)};
        knowledge.keyCount = 1;
        EXPECT_EQ(LoadKnowledge(knowledge, "data\\knw\\bad.knw", 80), 0) << c.name;
        EXPECT_EQ(knowledge.lapTime, 7) << c.name;
        ASSERT_EQ(knowledge.keys.size(), 1u) << c.name;
        EXPECT_EQ(knowledge.keys[0].id, 9) << c.name;
        if (!c.message) {
            EXPECT_TRUE(HookLog().messages.empty()) << c.name;
            continue;
        }
        ASSERT_EQ(HookLog().messages.size(), 1u) << c.name;
        EXPECT_NE(HookLog().messages[0].text.find(c.message), std::string::npos) << HookLog().messages[0].text;
    }
    // A file without keys is a line along the path's centre.
    folder.WriteFile("data/knw/centre.knw", KnowledgeBytes(5, 80, {}, 0));
    AiKnowledge centre;
    EXPECT_EQ(LoadKnowledge(centre, "data\\knw\\centre.knw", 80), 1);
    EXPECT_EQ(centre.keyCount, 0);
}

TEST_F(KnowledgeFileTest, NamesTheFileByTrackAndCar)
{
    char name[KnowledgeFileNameSize];
    KnowledgeFileNameFor(name, "HMxx", 2, 1, "XRT");
    EXPECT_STREQ(name, "data\\knw\\HM2R_XRT.knw");
    KnowledgeFileNameFor(name, "HM", 12, 0, "XRT");
    EXPECT_STREQ(name, "data\\knw\\HM12_XRT.knw");
    char code[4] = {};
    EXPECT_EQ(KnowledgeFileForCar(name, code, "NO SUCH CAR"), 0);
    ASSERT_EQ(HookLog().messages.size(), 1u);
    EXPECT_EQ(HookLog().messages[0].text, "Could not open file : NO SUCH CAR");
}

// ---------------------------------------------------------------------------
// Tracks and a car for the line and the profile.

// A road of closed arcs and straights laid from a list of pieces: a
// straight of `length` m (radius 0) or an arc of `radius` m turning left
// through `turn` radians. Nodes every 2 m, road 5 m either side.
struct Piece {
    double length, radius, turn;
};

Path TrackPath(const std::vector<Piece>& pieces, bool closed)
{
    constexpr double Spacing = 2.0;
    Path path;
    path.flags = PathRacing | (closed ? PathClosedLoop : 0);
    double x = 0, y = 0, heading = 0;
    for (const Piece& p : pieces) {
        const double length = p.radius > 0 ? p.radius * p.turn : p.length;
        const int steps = static_cast<int>(std::lround(length / Spacing));
        for (int s = 0; s < steps; s++) {
            PathNode node;
            node.centre = MakeFixedVector(FixedFromMetres(x).raw, FixedFromMetres(y).raw, 0);
            node.direction = {float(std::cos(heading)), float(std::sin(heading)), 0};
            node.leftEdge = -5, node.rightEdge = 5, node.leftLimit = -8, node.rightLimit = 8;
            path.nodes.push_back(node);
            const double step = length / steps;
            if (p.radius > 0) {
                const double next = heading + step / p.radius;
                x += p.radius * (std::sin(next) - std::sin(heading));
                y -= p.radius * (std::cos(next) - std::cos(heading));
                heading = next;
            } else {
                x += step * std::cos(heading);
                y += step * std::sin(heading);
            }
        }
    }
    path.nodeCount = static_cast<int32_t>(path.nodes.size());
    return path;
}

// A stadium: two 400 m straights joined by half circles of the two radii.
Path Stadium(double firstRadius, double secondRadius, bool closed = true)
{
    return TrackPath({{400, 0, 0}, {0, firstRadius, Pi}, {400, 0, 0}, {0, secondRadius, Pi}}, closed);
}

// A plain four-wheeled car: 1000 kg, weight even on the axles, brakes that
// stop it at about 1.3 g, no downforce and no air drag.
class TestCar {
public:
    TestCar()
    {
        car.mass = 1000;
        car.tuning.wheelbase = 2.5f;
        car.tuning.axleY[0] = -1.25f;
        car.tuning.axleY[1] = 1.25f;
        car.tuning.groundClearance = 0.4f;
        car.tuning.topSpeed = 60;
        car.tuning.driveAxles = 1;
        car.tuning.driveEfficiency = 1;
        car.data.fuelCapacity = 50;
        setup.axles[0].spring = setup.axles[1].spring = 50000;
        car.data.setup = &setup;
        for (int a = 0; a < 2; a++) {
            Axle& axle = car.axles[a];
            axle.present = 1;
            axle.tyreRadius = 0.3f;
            axle.trackWidth = 1.6f;
            axle.brakeTorque = 1000;
            axle.tyreType = 0;
        }
        for (int i = 0; i < 4; i++) {
            wheels[i].axleIndex = i / 2;
            wheels[i].side = i % 2 ? 1.0f : -1.0f;
            wheels[i].wheelInertia = 1;
        }
        car.wheels = wheels;
        car.wheelCount = 4;
    }
    ~TestCar() { car.wheels = nullptr; }
    CarObject car;
    CarSetup setup;
    Wheel wheels[4];
};

// Built along the path's centre (a file without keys) and profiled as an AI
// driver's knowledge.
AiKnowledge CentreLineProfile(const Path& path, CarObject& car, float scale)
{
    AiKnowledge knowledge;
    EXPECT_EQ(BuildKnowledge(knowledge, path, 1.0f, PathWorld{}), 1);
    knowledge.car = &car;
    ComputeCarCapability(knowledge);
    UpdateKnowledge(knowledge, 0, scale, -1, (path.flags & PathClosedLoop) != 0, nullptr);
    return knowledge;
}

// ---------------------------------------------------------------------------
// The line.

// The centre line round a circle bends by one over the radius, to the left,
// and each node reaches the next.
TEST(KnowledgeLineTest, CentreLineFollowsTheCircle)
{
    const Path path = TrackPath({{0, 50, 2 * Pi}}, true);
    AiKnowledge knowledge;
    ASSERT_EQ(BuildKnowledge(knowledge, path, 1.0f, PathWorld{}), 1);
    ASSERT_EQ(knowledge.nodeCount, path.nodeCount);
    const double spacing = 2 * Pi * 50 / path.nodeCount;
    for (int i = 0; i < knowledge.nodeCount; i++) {
        const KnowledgeNode& k = knowledge.nodes[size_t(i)];
        EXPECT_NEAR(k.curvature, 1.0 / 50, 0.0005) << i;
        EXPECT_NEAR(k.length, spacing, 0.01) << i;
        EXPECT_NEAR(std::hypot(k.dir.x, k.dir.y), 1.0, 1e-5) << i;
        EXPECT_EQ(k.z.raw, 2048) << "the line rides 1/32 m above the path without ground";
        EXPECT_EQ(k.bankFactor, 1.0f) << i;
    }
}

// A key's end offset is held 1 m plus the half width inside the road; a
// node the cubic takes closer than 0.9 m plus the half width to the edge
// fails the whole build.
TEST(KnowledgeLineTest, KeysStayInsideTheRoad)
{
    const Path path = TrackPath({{200, 0, 0}}, false);
    const float halfWidth = 1.0f;
    struct Case {
        float endOffset, expected;
    };
    for (const Case c : {Case{20, 3}, Case{-20, -3}, Case{2.5f, 2.5f}}) {
        AiKnowledge knowledge;
        knowledge.keys = {Key(1, 0, 40, 0, c.endOffset), Key(2, 40, 80, 0, 0)};
        knowledge.keyCount = 2;
        ASSERT_EQ(BuildKnowledge(knowledge, path, halfWidth, PathWorld{}), 1) << c.endOffset;
        EXPECT_EQ(knowledge.keys[0].endOffset, c.expected);
        EXPECT_EQ(knowledge.nodes[40].offset, c.expected);
        // The cubic runs smoothly from the centre to the key's end.
        EXPECT_GT(std::fabs(knowledge.nodes[30].offset), 0.1f);
        EXPECT_LT(std::fabs(knowledge.nodes[30].offset), std::fabs(c.expected) + 0.5f);
    }

    struct Narrowing {
        float edge;
        int built;
    };
    for (const Narrowing n : {Narrowing{2.0f, 1}, Narrowing{1.8f, 0}}) {
        Path narrow = path;
        narrow.nodes[20].rightEdge = n.edge;
        AiKnowledge knowledge;
        EXPECT_EQ(BuildKnowledge(knowledge, narrow, halfWidth, PathWorld{}), n.built) << n.edge;
    }
}

// The ground under the wheel tracks sets the line's height and surfaces.
TEST(KnowledgeLineTest, PlacesTheLineOnTheGround)
{
    static WorldTexture gravel;
    PathWorld world;
    // A plane 3 m up, gravel (kind 3) left of x = 0 and tarmac (kind 6) right.
    world.pointQuery = [](const FixedVector& position, const FixedVector&, ContactQueryRecord& hit) {
        hit.hitPosition = MakeFixedVector(position.x.raw, position.y.raw, 3 * 65536);
        hit.hitNormal = {0, 0, 1};
        hit.hitSurface = position.y.raw > 0 ? &gravel : nullptr;
        return 1;
    };
    world.surfaceKind = [](const WorldTexture&) { return 3; };
    const Path path = TrackPath({{100, 0, 0}}, false);  // along x, left is +y
    AiKnowledge knowledge;
    knowledge.keys = {Key(1, 0, 25, 0, -1.5f)};
    knowledge.keyCount = 1;
    ASSERT_EQ(BuildKnowledge(knowledge, path, 1.0f, world), 1);
    const KnowledgeNode& start = knowledge.nodes[0];
    EXPECT_EQ(start.z.raw, 3 * 65536 + 2048);
    EXPECT_EQ(start.surfaceMinus, 3) << "the left wheel track, 1 m left of the centre";
    EXPECT_EQ(start.surfacePlus, 0) << "no surface on the right";
    const KnowledgeNode& end = knowledge.nodes[25];
    EXPECT_EQ(end.surfaceMinus, 3) << "the line 1.5 m left: both tracks on the gravel";
    EXPECT_EQ(end.surfacePlus, 3);
    EXPECT_EQ(end.slope, 0.0f);
}

// An interpolated node between two nodes of a circle lies on that circle.
TEST(KnowledgeLineTest, InterpolationFollowsTheArc)
{
    const Path path = TrackPath({{0, 20, 2 * Pi}}, true);
    AiKnowledge knowledge;
    ASSERT_EQ(BuildKnowledge(knowledge, path, 1.0f, PathWorld{}), 1);
    KnowledgeNode a = knowledge.nodes[3], b = knowledge.nodes[7];
    a.brakeByte = 10, b.brakeByte = 21;
    KnowledgeNode straight, arc;
    InterpolateKnowledgeNode(straight, a, b, 0.5f, 0);
    InterpolateKnowledgeNode(arc, a, b, 0.5f, 1);
    // The circle's centre is (0, 20): the path starts at the origin heading +x.
    auto radius = [](const KnowledgeNode& k) { return std::hypot(FixedToMetres(k.x), FixedToMetres(k.y) - 20.0); };
    EXPECT_LT(radius(straight), 19.9);
    EXPECT_NEAR(radius(arc), 20.0, 0.05);
    EXPECT_EQ(arc.brakeByte, 16);
    EXPECT_EQ(arc.length, 0.0f);
    EXPECT_EQ(arc.surfaceClass, 0);
}

// ---------------------------------------------------------------------------
// The speed profile.

// The cornering grip of the test car on tarmac, 1 g x the compound's grip
// (held 5 % below the table on hard surfaces).
float TarmacGrip() { return Gravity * GripTable[0][0] * 0.95f * HeldTyreFriction; }

// In the middle of a constant-radius corner the speed is the one at which
// the grip holds the car on the circle, v = sqrt(G / k); far down a straight
// it is the car's top speed; the slowest corner is nowhere exceeded.
TEST(KnowledgeProfileTest, CornersAtTheGripLimitAndStraightsAtTopSpeed)
{
    TestCar test;
    for (const float scale : {1.0f, 0.9f}) {
        const Path path = Stadium(30, 60);
        const AiKnowledge knowledge = CentreLineProfile(path, test.car, scale);
        const int firstCorner = 200 + 24, secondCorner = 200 + 47 + 200 + 47;  // the arcs' middles
        for (const int i : {firstCorner, secondCorner}) {
            const KnowledgeNode& k = knowledge.nodes[size_t(i)];
            const float expected = std::sqrt(scale * TarmacGrip() / std::fabs(k.curvature));
            EXPECT_NEAR(k.speed, expected, expected * 0.002f) << "node " << i << " scale " << scale;
        }
        EXPECT_FLOAT_EQ(knowledge.nodes[size_t(200 + 47 + 20)].speed, 60.0f) << "after the corner";
        float slowest = 1e9f;
        for (const KnowledgeNode& k : knowledge.nodes)
            slowest = std::fmin(slowest, k.speed);
        EXPECT_NEAR(slowest, std::sqrt(scale * TarmacGrip() * 30), 0.3) << "the tight corner anchors the lap";
    }
}

// Down the straight into the tight corner the profile slows the car as
// v^2 = v_corner^2 + 2 a s, with a the braking the tyres allow plus the
// rolling drag.
TEST(KnowledgeProfileTest, BrakesIntoTheCornerAsTheTyresAllow)
{
    TestCar test;
    const Path path = Stadium(30, 60);
    const AiKnowledge knowledge = CentreLineProfile(path, test.car, 1.0f);
    const KnowledgeNode& straight = knowledge.nodes[100];
    const float decel = MaxBrakeDecel(knowledge, straight, 1.0f, 30 * 30) + 0.015f * Gravity;
    ASSERT_GT(decel, 0.8f * TarmacGrip());
    const int entry = 200;  // the corner's first node
    const float cornerSq = knowledge.nodes[entry].speed * knowledge.nodes[entry].speed;
    for (const int back : {10, 20, 30}) {
        const KnowledgeNode& k = knowledge.nodes[size_t(entry - back)];
        const float distance = 2.0f * back;
        const float expected = std::sqrt(cornerSq + 2 * decel * distance);
        EXPECT_NEAR(k.speed, expected, expected * 0.03f) << back << " nodes before the corner";
        EXPECT_GT(k.brakeByte, 200) << "braking hard";
    }
    EXPECT_EQ(knowledge.nodes[50].brakeByte, 0) << "not on the straight's first part";
}

// An open line starts and ends at walking pace and builds up from there
// (as far as the corner it ends in leaves grip for braking).
TEST(KnowledgeProfileTest, OpenLineEndsAtWalkingPace)
{
    TestCar test;
    const Path path = Stadium(30, 60, false);
    const AiKnowledge knowledge = CentreLineProfile(path, test.car, 1.0f);
    EXPECT_EQ(knowledge.nodes.front().speed, 1.0f);
    EXPECT_EQ(knowledge.nodes.back().speed, 1.0f);
    const int n = knowledge.nodeCount;
    for (int i = n - 7; i < n - 1; i++)
        EXPECT_GT(knowledge.nodes[size_t(i)].speed, knowledge.nodes[size_t(i + 1)].speed) << i;
}

// The display's profile shows braking before the corners and throttle out
// of them; the AI's own profile marks no throttle.
TEST(KnowledgeProfileTest, DisplayShowsBrakeAndThrottle)
{
    TestCar test;
    test.car.engine.maxPower = 100000;
    const Path path = Stadium(30, 60);
    AiKnowledge knowledge;
    ASSERT_EQ(BuildKnowledge(knowledge, path, 1.0f, PathWorld{}), 1);
    knowledge.car = &test.car;
    ComputeCarCapability(knowledge);
    UpdateKnowledge(knowledge, 1, 1.0f, -1, 1, nullptr);
    EXPECT_GT(knowledge.nodes[195].brakeByte, 0);
    EXPECT_EQ(knowledge.nodes[195].throttleByte, 0);
    const int exit = 200 + 47;
    EXPECT_GT(knowledge.nodes[size_t(exit + 5)].throttleByte, 200);
    // Out of the corner the car gains speed as its power allows, no faster.
    EXPECT_LT(knowledge.nodes[size_t(exit + 5)].speed, 60.0f);
    EXPECT_GT(knowledge.nodes[size_t(exit + 5)].speed, knowledge.nodes[size_t(exit)].speed);
}

TEST(KnowledgeProfileTest, CapabilityOfTheCar)
{
    TestCar test;
    AiKnowledge knowledge;
    knowledge.car = &test.car;
    ComputeCarCapability(knowledge);
    // Four wheels of 1 kg m^2 on 0.3 m tyres add 4 / 0.09 kg to the mass.
    const float mass = 1000 + 4 / 0.09f;
    EXPECT_FLOAT_EQ(EffectiveCarMass(test.car), mass);
    EXPECT_FLOAT_EQ(knowledge.fullBrakeDecel, 2 * (1000 / 0.3f + 1000 / 0.3f) / mass);
    EXPECT_EQ(knowledge.tankCapacity, 50);
    EXPECT_EQ(knowledge.rollFront, 50000);
    EXPECT_EQ(knowledge.aeroFront, 0);
}

} // namespace
