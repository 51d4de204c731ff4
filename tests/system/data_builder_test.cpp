// The data builder run as a program: the same bytes on every run whatever
// the environment, and the body models, helmet and figures it writes load
// through the game's readers and hold up against facts that do not come
// from the code.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "game_folder_fixture.h"
#include "platform/files.h"
#include "support/process.h"
#include "support/temp_folder.h"
#include "world/services.h"

namespace {

namespace fs = std::filesystem;

// Every file below a folder by its relative name, with its bytes.
std::map<std::string, std::vector<uint8_t>> ReadTree(const std::string& root)
{
    std::map<std::string, std::vector<uint8_t>> files;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        if (!entry.is_regular_file())
            continue;
        std::vector<uint8_t> bytes;
        EXPECT_EQ(platform::ReadWholeFile(entry.path().string(), bytes), 1);
        files[fs::relative(entry.path(), root).string()] = bytes;
    }
    return files;
}

// Each test reads a copy of the game folder the data builder made for the
// test run, from its own folder.
class DataBuilderTest : public GameFolderTest {
protected:
    void SetUp() override
    {
        GameFolderTest::SetUp();
        ResetCoreTables();
        ResetWorldTables();
    }
};

TEST_F(DataBuilderTest, TwoRunsWriteTheSameFilesByteForByte)
{
    // The second run with the variables that tune the JPEG library's output
    // set: the bytes must not depend on the environment.
    TempFolder second;
    ProcessResult built = RunProcess("/usr/bin/env",
                                     {"TJ_OPTIMIZE=1", "TJ_ARITHMETIC=1", "TJ_RESTART=1", "TJ_PROGRESSIVE=1",
                                      QV_MKDATA, second.Path()},
                                     second.Path());
    ASSERT_EQ(built.exitCode, 0) << built.output;
    auto a = ReadTree(SharedGameFolder());
    auto b = ReadTree(second.Path());
    ASSERT_FALSE(a.empty());
    ASSERT_EQ(a.size(), b.size());
    for (const auto& [name, bytes] : a) {
        ASSERT_TRUE(b.count(name)) << name;
        EXPECT_TRUE(bytes == b[name]) << name;
    }
    // Every folder the program's start-up expects exists.
    for (const char* name : {"spr", "mpr", "knw", "raf", "layout", "skins_dds", "skins_x", "skins_y", "views",
                             "shots", "grids", "veh", "hmn", "skins"})
        EXPECT_TRUE(fs::is_directory(SharedGameFolder() + "/data/" + name)) << name;
    // The default skins are JPEG pictures (start and end markers).
    std::vector<std::string> codes = {"HEL"};
    for (const CarName& car : CarNameTable)
        codes.push_back(car.code);
    for (const std::string& code : codes) {
        const auto& jpeg = a["data/skins/" + code + "_DEFAULT.jpg"];
        ASSERT_GT(jpeg.size(), 4u) << code;
        EXPECT_EQ(jpeg[0], 0xFF);
        EXPECT_EQ(jpeg[1], 0xD8);
        EXPECT_EQ(jpeg[jpeg.size() - 2], 0xFF);
        EXPECT_EQ(jpeg[jpeg.size() - 1], 0xD9);
    }
}

// One level of a model as closed surface: faces over vertices, where a
// point's twin is its own vertex unless the point lies on the centre plane.
struct LevelMesh {
    std::map<int, std::array<double, 3>> vertices;
    std::vector<std::array<int, 3>> faces;
};

int VertexOf(const ObjectModel& m, uint16_t reference, LevelMesh& mesh)
{
    const int index = reference & PointIndexMask;
    const ModelPoint& p = m.points[size_t(index)];
    bool twin = (reference & PointTwinBit) && (p.flags & PointFlagTwin) && !(p.flags & PointFlagSharedTwin);
    int id = index * 2 + (twin ? 1 : 0);
    mesh.vertices[id] = {(twin ? -1.0 : 1.0) * p.position.x.raw / 65536.0, p.position.y.raw / 65536.0,
                         p.position.z.raw / 65536.0};
    return id;
}

LevelMesh MeshOfLevel(const ObjectModel& m, int level)
{
    LevelMesh mesh;
    for (const ModelTriangle& t : m.triangles) {
        if (t.level != level)
            continue;
        int a = VertexOf(m, t.points[0], mesh), b = VertexOf(m, t.points[1], mesh),
            c = VertexOf(m, t.points[2], mesh);
        mesh.faces.push_back({a, b, c});
        if (t.flags & TriangleFlagSymmetric) {
            mesh.faces.push_back({VertexOf(m, t.points[0] ^ PointTwinBit, mesh),
                                  VertexOf(m, t.points[2] ^ PointTwinBit, mesh),
                                  VertexOf(m, t.points[1] ^ PointTwinBit, mesh)});
        }
    }
    return mesh;
}

// A closed, consistently wound surface: every directed edge once, and its
// reverse once. Returns the enclosed volume (positive when the faces turn
// outwards), from the divergence theorem.
double ClosedVolume(const LevelMesh& mesh, const std::string& what)
{
    std::map<std::pair<int, int>, int> edges;
    double volume = 0;
    for (const auto& f : mesh.faces) {
        for (int i = 0; i < 3; i++)
            edges[{f[i], f[(i + 1) % 3]}]++;
        const auto& a = mesh.vertices.at(f[0]);
        const auto& b = mesh.vertices.at(f[1]);
        const auto& c = mesh.vertices.at(f[2]);
        volume += (a[0] * (b[1] * c[2] - b[2] * c[1]) - a[1] * (b[0] * c[2] - b[2] * c[0]) +
                   a[2] * (b[0] * c[1] - b[1] * c[0])) / 6.0;
    }
    int open = 0;
    for (const auto& [edge, count] : edges) {
        if (count != 1 || !edges.count({edge.second, edge.first}) || edges.at({edge.second, edge.first}) != 1)
            open++;
    }
    EXPECT_EQ(open, 0) << what << ": edges not shared by exactly two faces";
    return volume;
}

TEST_F(DataBuilderTest, BodyModelsAreClosedCarShapesWithTheirParts)
{
    // The byte layout of every file, decoded independently: one line each.
    std::vector<std::string> arguments = {QV_SOURCE_DIR "/tests/system/model_reference.py"};
    for (const char* code : BodyCodeTable)
        arguments.push_back(folder.Path() + "/data/veh/" + code + ".vob");
    ProcessResult decoded = RunProcess(QV_PYTHON, arguments, folder.Path());
    ASSERT_EQ(decoded.exitCode, 0) << decoded.output;
    std::vector<std::string> decodedLines;
    for (size_t at = 0, end; (end = decoded.output.find('\n', at)) != std::string::npos; at = end + 1)
        decodedLines.push_back(decoded.output.substr(at, end - at));
    ASSERT_EQ(decodedLines.size(), size_t(BodyCodeCount)) << decoded.output;

    for (int i = 0; i < BodyCodeCount; i++) {
        const std::string code = BodyCodeTable[i];
        const std::string path = "data\\veh\\" + code + ".vob";
        ObjectModel model;
        ASSERT_EQ(LoadObjectModel(model, nullptr, path.c_str(), 1), 1) << code;

        int records = 1, points = int(model.points.size()), triangles = int(model.triangles.size());
        std::vector<const ObjectModel*> stack;
        for (const ObjectModel& sub : model.subModels)
            stack.push_back(&sub);
        while (!stack.empty()) {
            const ObjectModel* m = stack.back();
            stack.pop_back();
            records++;
            points += int(m->points.size());
            triangles += int(m->triangles.size());
            for (const ObjectModel& sub : m->subModels)
                stack.push_back(&sub);
        }
        const std::string counts =
            std::to_string(records) + " " + std::to_string(points) + " " + std::to_string(triangles) + " ";
        EXPECT_EQ(decodedLines[size_t(i)].substr(0, counts.size()), counts) << code;

        // Four levels; every level is a closed surface of a car's volume:
        // a fair share of its box and less than the box.
        ASSERT_EQ(model.levelCount, 4) << code;
        double minimum[3] = {1e9, 1e9, 1e9}, maximum[3] = {-1e9, -1e9, -1e9};
        for (const ModelPoint& p : model.points) {
            const double v[3] = {p.position.x.raw / 65536.0, p.position.y.raw / 65536.0, p.position.z.raw / 65536.0};
            for (int k = 0; k < 3; k++) {
                minimum[k] = std::min(minimum[k], (p.flags & PointFlagTwin) && k == 0 ? -std::abs(v[0]) : v[k]);
                maximum[k] = std::max(maximum[k], (p.flags & PointFlagTwin) && k == 0 ? std::abs(v[0]) : v[k]);
            }
        }
        const double box = (maximum[0] - minimum[0]) * (maximum[1] - minimum[1]) * (maximum[2] - minimum[2]);
        EXPECT_GT(maximum[1] - minimum[1], 3.0) << code << " length";
        EXPECT_LT(maximum[1] - minimum[1], 5.0) << code << " length";
        EXPECT_LT(maximum[2] - minimum[2], 1.6) << code << " height";
        for (int level = 0; level < 4; level++) {
            LevelMesh mesh = MeshOfLevel(model, level);
            double volume = ClosedVolume(mesh, code + " level " + std::to_string(level));
            EXPECT_GT(volume, box * 0.08) << code << " level " << level;
            EXPECT_LT(volume, box) << code << " level " << level;
            if (level == 3) {
                // Small enough for a collision shape.
                EXPECT_LE(mesh.vertices.size(), 24u) << code;
                EXPECT_LE(mesh.faces.size(), 42u) << code;
            }
        }

        // The parts: the steering wheel with its clock, four wheel places
        // round the centre, lamps, a mirror in closed cars, wings.
        std::multiset<int> kinds;
        std::set<std::pair<int, int>> wheelSides;
        for (const ObjectModel& sub : model.subModels) {
            kinds.insert(sub.kind);
            if (sub.kind >= 6 && sub.kind <= 9)
                wheelSides.insert({sub.offset.x.raw > 0, sub.offset.y.raw > 0});
            if (sub.kind == 2) {
                EXPECT_STREQ(sub.grid.cells[0].code, "clock");
                EXPECT_TRUE(sub.textures[size_t(sub.surfaces[size_t(sub.mappings[sub.grid.cells[0].mapping].surface[0])].texture)].name[0] == 's');
            }
        }
        EXPECT_EQ(kinds.count(2), 1u) << code;
        EXPECT_EQ(wheelSides.size(), 4u) << code;
        EXPECT_GE(kinds.count(5), 1u) << code;
        const bool formula = code == "GE" || code == "N8" || code == "N1" || code == "KT";
        const bool open = formula || code == "YA";
        EXPECT_EQ(kinds.count(10), open ? 0u : 1u) << code;
        bool wingPart = false;
        for (const ModelTriangle& t : model.triangles)
            wingPart |= t.part == 1;
        const bool racingVersion = code == "WQ" || code == "VO" || code == "HL" || code == "DY" || code == "QP";
        EXPECT_EQ(wingPart, racingVersion) << code;
        EXPECT_STREQ(model.partNames[0], "main");
    }
}

TEST_F(DataBuilderTest, HelmetLoads)
{
    ObjectModel helmet;
    ASSERT_EQ(LoadObjectModel(helmet, nullptr, "data\\hmn\\helmet.zke", 1), 1);
    // Three drawn levels of a dome of 0.15 m, and the collision hull round
    // it, whose at most 24 corners stand out to about 0.24 m.
    EXPECT_EQ(helmet.levelCount, 4);
    for (const ModelPoint& p : helmet.points) {
        double r = std::hypot(p.position.x.raw / 65536.0, p.position.y.raw / 65536.0, p.position.z.raw / 65536.0);
        EXPECT_LT(r, 0.25);
    }
}

TEST_F(DataBuilderTest, FiguresHaveBoxBodiesAndDressFollowsThem)
{
    ASSERT_EQ(LoadHumans(nullptr), 1);
    ASSERT_EQ(Humans.sets.size(), 2u);
    for (size_t s = 0; s < Humans.sets.size(); s++) {
        const SkeletonSet& set = Humans.sets[s];
        const BuiltSkeleton& built = Humans.built[s];
        EXPECT_GT(CountBodySlots(set), SkeletonSlotThreshold);
        EXPECT_GE(set.animationCount, 1);
        bool defaultPose = false;
        for (const Pose& pose : set.poses) {
            defaultPose |= (pose.useMask & PoseUseDefault) != 0;
            for (const AnimationKey& key : pose.animationA.keys)
                EXPECT_EQ(key.states.size(), size_t(built.BodyCount()));
        }
        EXPECT_TRUE(defaultPose);
        double total = 0;
        for (int i = 0; i < built.BodyCount(); i++) {
            const ObjectBody& body = built.Body(i);
            const SkeletonBodyLook& look = built.looks[size_t(i)];
            // Solid box: m = rho a b c, I = m (b^2 + c^2) / 12.
            const double a = 2.0 * look.halfSize[0], b = 2.0 * look.halfSize[1], c = 2.0 * look.halfSize[2];
            const double mass = set.density * a * b * c;
            EXPECT_NEAR(body.mass, mass, mass * 1e-5);
            EXPECT_NEAR(body.inertia.m[8], mass * (a * a + b * b) / 12, mass * 1e-5);
            total += body.mass;
            for (int k = 0; k < body.pointCount; k++) {
                const Vec3& corner = body.points[k].local;
                EXPECT_LE(std::sqrt(corner.x * corner.x + corner.y * corner.y + corner.z * corner.z),
                          body.radius * (1 + 1e-6));
            }
            const float* r = body.rotation.m;
            for (int i = 0; i < 3; i++)
                for (int j = 0; j < 3; j++) {
                    double dot = r[i * 3] * r[j * 3] + r[i * 3 + 1] * r[j * 3 + 1] + r[i * 3 + 2] * r[j * 3 + 2];
                    EXPECT_NEAR(dot, i == j ? 1.0 : 0.0, 1e-6);
                }
        }
        // A grown person weighs tens of kilograms.
        EXPECT_GT(total, 40.0);
        EXPECT_LT(total, 120.0);
    }
    // Every point of a figure lies inside its body's bounding sphere (the
    // coarser levels draw boxes up to 30 % larger).
    for (const FigureModel& figure : Humans.models) {
        const BuiltSkeleton& built = Humans.built[size_t(figure.skeletonSet)];
        for (const ModelPoint& p : figure.model.points) {
            const ObjectBody& body = built.Body(p.joint);
            double dx = (p.position.x.raw - body.position.x.raw) / 65536.0;
            double dy = (p.position.y.raw - body.position.y.raw) / 65536.0;
            double dz = (p.position.z.raw - body.position.z.raw) / 65536.0;
            EXPECT_LE(std::sqrt(dx * dx + dy * dy + dz * dz), body.radius * 1.3 + 1e-4);
        }
    }
    // Drivers of both genders above index 0, spectators and a marshal.
    EXPECT_GT(FindLastFigureOfGender(0), 0);
    EXPECT_GT(FindLastFigureOfGender(1), 0);
    EXPECT_NE(FindMarshalFigure(Humans), nullptr);
    bool crowd = false;
    for (const FigureVariant& v : Humans.variants)
        crowd |= (v.flags & FigureFlagCrowd) != 0;
    EXPECT_TRUE(crowd);
    FreeHumans();
}

} // namespace
