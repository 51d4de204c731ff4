// Mesh nodes and physics bodies built from object models: welding and
// smoothed normals against a Python computation from the model's points,
// the physics hulls of every body model and the helmet against Qhull
// (through SciPy), a cube against its closed form, and the hull limits.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstddef>
#include <cstdio>
#include <fstream>
#include <memory>
#include <string>

#include "model_fixture.h"
#include "support/built_game.h"
#include "support/temp_folder.h"
#include "world/services.h"

namespace {

std::string BuiltFolder()
{
    static BuiltGame game(std::string(QV_BINARY_DIR) + "/tests/world/model_game_");
    return game.path;
}

// Runs a command; its standard output, and its exit status through status.
std::string RunCommand(const std::string& command, int& status)
{
    std::string output;
    FILE* pipe = popen((command + " 2>&1").c_str(), "r");
    if (!pipe) {
        status = -1;
        return output;
    }
    char buffer[256];
    while (std::fgets(buffer, sizeof buffer, pipe))
        output += buffer;
    const int raw = pclose(pipe);
    status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    return output;
}

struct OwnedNode {
    MeshNode node;
    OwnedNode() { node.ResetNode(); }
    ~OwnedNode() { DestroySceneNodeTree(node); }
};
struct OwnedBody {
    PlainBody body;
    ~OwnedBody() { FreeBody(body); }
};

// Stand-in materials for the drawing hooks: the world only hands a
// material back to the drawing, so one token per kind (plain or with the
// environment texture) serves, as graphics gives one material per kind to
// textures it has not loaded.
Material* TokenMaterial(const char*, int, int environment, int, uint8_t* sky)
{
    alignas(std::max_align_t) static unsigned char tokens[2][16];
    if (sky)
        *sky = 0;
    return reinterpret_cast<Material*>(tokens[environment ? 1 : 0]);
}

class ModelNodeTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetCoreTables();
        ResetWorldTables();
        WorldDrawHooks hooks{};
        hooks.getMaterialTexture = TokenMaterial;
        SetWorldDrawHooks(hooks);
        InstallWorldVehicleHooks();  // a dented car moves its drawn body
    }
    void TearDown() override
    {
        ResetVehicleTables();
        ResetWorldTables();
    }
    TempFolder folder;
};

// A cube of side 2 m: the three faces at each corner use three cell columns.
void MakeCube(ObjectModel& m, bool sixGroups)
{
    InitObjectModel(m);
    for (int i = 0; i < 8; i++)
        fixture::AddPoint(m, (i & 1) ? 65536 : -65536, (i & 2) ? 65536 : -65536, (i & 4) ? 65536 : -65536);
    static const int Faces[6][4] = {{1, 3, 7, 5}, {0, 4, 6, 2}, {2, 6, 7, 3}, {0, 1, 5, 4}, {4, 5, 7, 6}, {0, 2, 3, 1}};
    for (int f = 0; f < 6; f++) {
        fixture::AddTriangle(m, Faces[f][0], Faces[f][1], Faces[f][2], f / 2);
        fixture::AddTriangle(m, Faces[f][0], Faces[f][2], Faces[f][3], f / 2);
        for (int k = 0; k < 2; k++) {
            m.triangles[size_t(2 * f + k)].smoothing = 1;
            m.triangles[size_t(2 * f + k)].group = static_cast<uint8_t>(sixGroups ? f : 0);
        }
    }
    m.groupCount = sixGroups ? 6 : 1;
    fixture::AddTexture(m, "cube");
    fixture::AddSurface(m, "side", 0, 0);
    fixture::AddMapping(m, "side", 3, 0, 0);
    fixture::SetGrid(m, 1, 3);
}

TEST_F(ModelNodeTest, CubeCornersShareOneNormalOrKeepTheirFaces)
{
    for (bool sixGroups : {false, true}) {
        ObjectModel cube;
        MakeCube(cube, sixGroups);
        LoadModelTextures(cube, 0, 0, 0, AllModelParts);
        OwnedNode owned;
        BuildModelMeshNode(cube, owned.node, 0, 0, 0, 65536, 65536, AllModelParts);
        ASSERT_EQ(owned.node.GetVertexCount(), 24);
        EXPECT_EQ(owned.node.GetFaceCount(), 12);
        for (const BuiltVertex& v : owned.node.vertices) {
            const double p[3] = {double(v.position.x.raw), double(v.position.y.raw), double(v.position.z.raw)};
            const double n[3] = {v.normal.x.raw / 65536.0, v.normal.y.raw / 65536.0, v.normal.z.raw / 65536.0};
            if (!sixGroups) {
                for (int k = 0; k < 3; k++)
                    EXPECT_NEAR(n[k], (p[k] > 0 ? 1 : -1) / std::sqrt(3.0), 1e-4);
            } else {
                // One axis: the face's normal.
                int axis = std::fabs(n[0]) > 0.5 ? 0 : std::fabs(n[1]) > 0.5 ? 1 : 2;
                EXPECT_NEAR(std::fabs(n[axis]), 1.0, 1e-4);
                EXPECT_GT(n[axis] * p[axis], 0);
            }
        }
        EXPECT_EQ(owned.node.radius.raw, static_cast<int32_t>(std::nearbyint(std::sqrt(3.0) * 65536)));
        FreeObjectModel(cube);
    }
}

TEST_F(ModelNodeTest, HullLimitsAreTheBodyLimits)
{
    // A fan of n triangles round a point: n + 2 points (24 for 22 triangles).
    struct Case {
        int triangles;
        const char* result;
    } cases[] = {{0, ": No physics - No points in lowest LOD"},
                 {22, ": OK"},
                 {23, ": No physics - More than 24 vertices in lowest LOD"}};
    for (const Case& c : cases) {
        ObjectModel m;
        InitObjectModel(m);
        fixture::AddPoint(m, 0, 0, 65536);
        for (int i = 0; i < 24; i++)
            fixture::AddPoint(m, 65536 * (i % 5), 65536 * (i / 5), 0);
        for (int i = 0; i < c.triangles; i++)
            fixture::AddTriangle(m, 0, i + 1, (i + 1) % 24 + 1, 0);
        fixture::SetGrid(m, 1, 1);
        OwnedBody owned;
        EXPECT_STREQ(CheckPhysicsLod(m, owned.body, 65536, AllModelParts), c.result) << c.triangles;
        FreeObjectModel(m);
    }
    // 42 faces pass and 43 fail (on 8 points).
    for (int faces : {42, 43}) {
        ObjectModel m;
        InitObjectModel(m);
        for (int i = 0; i < 8; i++)
            fixture::AddPoint(m, (i & 1) << 16, (i & 2) << 15, (i & 4) << 14);
        for (int i = 0; i < faces; i++)
            fixture::AddTriangle(m, i % 8, (i + 1) % 8, (i + 3) % 8, 0);
        fixture::SetGrid(m, 1, 1);
        OwnedBody owned;
        EXPECT_STREQ(CheckPhysicsLod(m, owned.body, 65536, AllModelParts),
                     faces == 42 ? ": OK" : ": No physics - More than 42 triangles in lowest LOD");
        FreeObjectModel(m);
    }
}

// Every point of a model and its sub-models, metres (twins at -x).
std::vector<Vec3> ModelPoints(const ObjectModel& model)
{
    std::vector<Vec3> points;
    auto take = [&](const ObjectModel& m, const FixedVector& offset) {
        for (const ModelPoint& p : m.points) {
            const FixedVector q = p.position + offset;
            points.push_back({FixedToMetres(q.x), FixedToMetres(q.y), FixedToMetres(q.z)});
            if (p.flags & PointFlagTwin)
                points.push_back({FixedToMetres(-p.position.x + offset.x), FixedToMetres(q.y), FixedToMetres(q.z)});
        }
    };
    take(model, ZeroVector);
    for (const ObjectModel& sub : model.subModels)
        take(sub, sub.offset);
    return points;
}

double Dot(const Vec3& a, const Vec3& b) { return double(a.x) * b.x + double(a.y) * b.y + double(a.z) * b.z; }
Vec3 Minus(const Vec3& a, const Vec3& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }

TEST_F(ModelNodeTest, EveryBodyModelAndTheHelmetBuildNodesAndAConvexHullAroundThemselves)
{
    const std::string game = BuiltFolder();
    ASSERT_FALSE(game.empty()) << "the data builder failed";
    std::vector<std::string> files;
    for (int i = 0; i < BodyCodeCount; i++)
        files.push_back(game + "/data/veh/" + BodyCodeTable[i] + ".vob");
    files.push_back(game + "/data/hmn/helmet.zke");
    for (const std::string& file : files) {
        SCOPED_TRACE(file);
        ObjectModel model;
        ASSERT_EQ(LoadObjectModel(model, nullptr, file.c_str(), 1), 1);
        LoadModelTextures(model, 0, 1, 0, AllModelParts);
        for (int level = 0; level < model.levelCount; level++) {
            OwnedNode owned;
            BuildModelMeshNode(model, owned.node, level, 2, 0, 65536, 65536, AllModelParts);
            EXPECT_GT(owned.node.GetVertexCount(), 0) << level;
            EXPECT_GT(owned.node.GetFaceCount(), 0) << level;
            EXPECT_FALSE(owned.node.parts.empty());
        }
        OwnedBody owned;
        ASSERT_STREQ(CheckPhysicsLod(model, owned.body, 65536, AllModelParts), ": OK");
        const RigidBody& body = owned.body;
        EXPECT_LE(body.pointCount, MaxPhysicsPoints);
        EXPECT_LE(body.faceCount, MaxPhysicsFaces);
        // Convex with outward faces: every hull point on or behind every
        // face (within the rounding of its corners to 16.16).
        double volume = 0;
        std::ofstream points((folder.Path() + "/hull.txt"));
        for (int i = 0; i < body.pointCount; i++)
            points << body.points[i].local.x << ' ' << body.points[i].local.y << ' ' << body.points[i].local.z << '\n';
        points.close();
        for (int f = 0; f < body.faceCount; f++) {
            const BodyFace& face = body.faces[f];
            const Vec3& a = face.corners[0]->local;
            for (int i = 0; i < body.pointCount; i++)
                EXPECT_LE(Dot(face.localNormal, Minus(body.points[i].local, a)), 2e-4) << f << ' ' << i;
            for (const Vec3& p : ModelPoints(model))
                ASSERT_LE(Dot(face.localNormal, Minus(p, a)), 0.001) << "a point of the model lies outside face " << f;
            const Vec3& b = face.corners[1]->local;
            const Vec3& c = face.corners[2]->local;
            volume += (double(a.x) * (double(b.y) * c.z - double(b.z) * c.y) - double(a.y) * (double(b.x) * c.z - double(b.z) * c.x) +
                       double(a.z) * (double(b.x) * c.y - double(b.y) * c.x)) / 6;
        }
        int status = 0;
        const std::string reference =
            RunCommand(std::string(QV_SYSTEM_PYTHON) + " " + QV_SOURCE_DIR + "/tests/world/hull_reference.py " + (folder.Path() + "/hull.txt"), status);
        ASSERT_EQ(status, 0) << "the independent hull (python3-scipy) failed: " << reference;
        EXPECT_NEAR(volume, std::stod(reference), 1e-5 * std::stod(reference)) << reference;
        FreeObjectModel(model);
    }
}

TEST_F(ModelNodeTest, WeldingAndNormalsMatchAnIndependentComputation)
{
    const std::string game = BuiltFolder();
    ASSERT_FALSE(game.empty());
    struct Case {
        std::string file;
        int level;
    } cases[] = {{game + "/data/veh/WQ.vob", 0}, {game + "/data/veh/N1.vob", 1}, {game + "/data/hmn/helmet.zke", 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        ObjectModel model;
        ASSERT_EQ(LoadObjectModel(model, nullptr, c.file.c_str(), 1), 1);
        LoadModelTextures(model, 0, 0, 0, AllModelParts);
        OwnedNode owned;
        BuildModelMeshNode(model, owned.node, c.level, 0, 0, 65536, 65536, AllModelParts);
        std::ofstream out((folder.Path() + "/weld.txt"));
        for (const ModelPoint& p : model.points)
            out << "P " << p.position.x.raw << ' ' << p.position.y.raw << ' ' << p.position.z.raw << ' ' << int(p.flags) << '\n';
        for (const ModelTriangle& t : model.triangles)
            if (t.level == c.level)
                out << "T " << t.points[0] << ' ' << t.points[1] << ' ' << t.points[2] << ' ' << int(t.column) << ' '
                    << int(t.smoothing) << ' ' << int(t.group) << ' ' << (t.flags & TriangleFlagSymmetric) << '\n';
        for (const BuiltVertex& v : owned.node.vertices)
            out << "V " << v.position.x.raw << ' ' << v.position.y.raw << ' ' << v.position.z.raw << ' '
                << (v.cell - &model.grid.At(0, 0)) << ' ' << v.normal.x.raw / 65536.0 << ' ' << v.normal.y.raw / 65536.0 << ' '
                << v.normal.z.raw / 65536.0 << '\n';
        out.close();
        int status = 0;
        const std::string result =
            RunCommand(std::string(QV_SYSTEM_PYTHON) + " " + QV_SOURCE_DIR + "/tests/world/weld_reference.py " + (folder.Path() + "/weld.txt"), status);
        EXPECT_EQ(status, 0) << result;
        EXPECT_EQ(result.rfind("OK ", 0), 0u) << result;
        FreeObjectModel(model);
    }
}

// A car whose body is the cube, drawn through the node built from it: a
// dent moves every drawn vertex exactly as it moves the model point the
// vertex was welded from, the moved faces get normals that fit their new
// corners, and a repair puts every vertex and normal back to the bit.
TEST_F(ModelNodeTest, ADentedCarsDrawnBodyMovesWithItsPointsAndRepairRestoresIt)
{
    auto* cube = new ObjectModel;
    MakeCube(*cube, false);
    LoadModelTextures(*cube, 0, 1, 0, AllModelParts);
    OwnedNode owned;  // outlives the car, which drops the node's kept shape
    MeshNode& node = owned.node;
    BuildModelMeshNode(*cube, node, 0, 0, 0, 65536, 65536, AllModelParts);
    ASSERT_EQ(node.GetVertexCount(), 24);
    struct Car {
        CarObject car;
        Car() { ConstructCar(car); }
        ~Car() { DestroyCar(car); }
    } dented;
    CarObject& car = dented.car;
    car.data.bodyModel = cube;
    car.drawing.meshNodes[0] = &node;
    // A reach of 2.5 m: an impact at a corner also moves the two corners
    // 2 m away across it, and not the one 2 m ahead of it.
    car.tuning.wheelbase = 5;
    car.pointCount = 2;
    car.points = new ContactPoint[2];
    car.points[0].local = {1, 1, 1};
    car.points[1].local = {-1, -1, -1};
    car.step.impacts[0] = CarImpactEntry(0, 255, PackCarImpactDirection({0, -1, 0}));
    car.step.impacts[1] = CarImpactEntry(1, 120, PackCarImpactDirection({0.6f, 0, 0.8f}));
    car.step.impactCount = 2;

    const std::vector<ModelPoint> pointsBefore = cube->points;
    const std::vector<BuiltVertex> verticesBefore = node.vertices;
    const std::vector<BuiltFace> facesBefore = node.faces;
    // The model point each vertex was welded from.
    std::vector<size_t> source;
    for (const BuiltVertex& v : node.vertices) {
        size_t found = pointsBefore.size();
        for (size_t i = 0; i < pointsBefore.size(); i++)
            if (pointsBefore[i].position == v.position)
                found = i;
        ASSERT_LT(found, pointsBefore.size());
        source.push_back(found);
    }

    DeformCarMesh(car);
    int movedPoints = 0;
    for (size_t i = 0; i < pointsBefore.size(); i++)
        movedPoints += cube->points[i].position != pointsBefore[i].position;
    EXPECT_EQ(movedPoints, 5);  // three near the first impact, two near the second
    for (size_t k = 0; k < node.vertices.size(); k++)
        EXPECT_EQ(node.vertices[k].position, cube->points[source[k]].position) << "vertex " << k;
    for (size_t f = 0; f < node.faces.size(); f++) {
        const BuiltFace& face = node.faces[f];
        double corner[3][3];
        for (int c = 0; c < 3; c++) {
            const FixedVector& p = node.vertices[face.vertex[c]].position;
            corner[c][0] = p.x.raw / 65536.0;
            corner[c][1] = p.y.raw / 65536.0;
            corner[c][2] = p.z.raw / 65536.0;
        }
        const double n[3] = {face.normal.x.raw / 65536.0, face.normal.y.raw / 65536.0, face.normal.z.raw / 65536.0};
        EXPECT_NEAR(std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]), 1.0, 1e-4) << "face " << f;
        for (int e = 1; e < 3; e++) {
            const double edge[3] = {corner[e][0] - corner[0][0], corner[e][1] - corner[0][1], corner[e][2] - corner[0][2]};
            const double length = std::sqrt(edge[0] * edge[0] + edge[1] * edge[1] + edge[2] * edge[2]);
            EXPECT_NEAR((n[0] * edge[0] + n[1] * edge[1] + n[2] * edge[2]) / length, 0.0, 1e-4) << "face " << f;
        }
    }

    RepairCar(car, 0, 1);
    EXPECT_EQ(car.step.impactCount, 0);
    for (size_t k = 0; k < node.vertices.size(); k++) {
        EXPECT_EQ(node.vertices[k].position, verticesBefore[k].position) << "vertex " << k;
        EXPECT_EQ(node.vertices[k].normal, verticesBefore[k].normal) << "vertex " << k;
    }
    for (size_t f = 0; f < node.faces.size(); f++)
        EXPECT_EQ(node.faces[f].normal, facesBefore[f].normal) << "face " << f;
}

// Positions and ranges at the ends of the 16.16 range (a damaged or hostile
// model file): the projection wraps as the 32-bit registers it models do,
// never overflows, and gives finite texture coordinates for every kind,
// turned and mirrored (found by the model-node fuzz target).
TEST_F(ModelNodeTest, TextureProjectionAtTheEndsOfTheRangeWraps)
{
    const FixedVector corners[] = {MakeFixedVector(INT32_MIN, INT32_MAX, INT32_MAX),
                                   MakeFixedVector(INT32_MAX, INT32_MIN, INT32_MIN)};
    ModelSurface surface;
    for (int kind = 1; kind <= 6; kind++)
        for (const FixedVector& p : corners)
            for (int8_t rotation : {int8_t(0), int8_t(-90), int8_t(45)}) {
                TextureMapping mapping;
                mapping.kind = static_cast<uint8_t>(kind);
                mapping.mark = 1;
                mapping.rotation = rotation;
                mapping.sMin = -8330416;
                mapping.sMax = INT32_MAX;
                mapping.tMin = INT32_MIN;
                mapping.tMax = 5;
                BuiltVertex vertex;
                ComputeMappedTexCoords(vertex, p, mapping, surface);
                EXPECT_TRUE(std::isfinite(vertex.u) && std::isfinite(vertex.v)) << kind << ' ' << int(rotation);
            }
}

TEST_F(ModelNodeTest, DegenerateModelsGiveFiniteResults)
{
    // Coincident points, a zero-area face, a model without faces.
    ObjectModel m;
    InitObjectModel(m);
    for (int i = 0; i < 3; i++)
        fixture::AddPoint(m, 5000, 5000, 5000);
    fixture::AddTriangle(m, 0, 1, 2, 0);
    fixture::AddTexture(m, "t");
    fixture::AddSurface(m, "s", 0, 0);
    fixture::AddMapping(m, "s", 2, 0, 0, 0, 0);
    fixture::SetGrid(m, 1, 1);
    m.groupCount = 1;
    LoadModelTextures(m, 0, 0, 0, AllModelParts);
    OwnedNode owned;
    BuildModelMeshNode(m, owned.node, 0, 0, 0, 65536, 65536, AllModelParts);
    ASSERT_EQ(owned.node.GetVertexCount(), 3);  // three points, one place
    EXPECT_EQ(owned.node.vertices[0].normal, ZeroVector);
    EXPECT_EQ(owned.node.faces[0].normal, ZeroVector);
    EXPECT_TRUE(std::isfinite(owned.node.vertices[0].u));
    FixedVector centre;
    int32_t radius;
    m.triangles.clear();
    ComputeModelBounds(m, centre, radius);
    EXPECT_EQ(radius, 0);
    OwnedBody body;
    EXPECT_STREQ(CheckPhysicsLod(m, body.body, 65536, AllModelParts), ": No physics - No points in lowest LOD");
    FreeObjectModel(m);
}

} // namespace
