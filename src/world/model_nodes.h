// Building from object models: the textures a model's parts use become
// materials; one level of detail is welded into shared vertices with
// smoothed normals and projected texture coordinates and split into parts
// by surface, into a MeshNode tree or into the lit mesh of a solid scenery
// object; the lowest level becomes a rigid body's contact points and faces.
#pragma once

#include <cstdint>
#include <vector>

#include "core/services.h"
#include "vehicle/services.h"
#include "world/mesh_nodes.h"

struct ObjectModel;
struct SharedModel;
struct TextureMapping;
struct ModelSurface;

// The builder's program-wide scratch holds this many vertices and faces;
// adding stops at these counts so that one symmetric triangle still fits.
constexpr int MaxBuildVertices = 12288;
constexpr int MaxBuildFaces = 12288;
constexpr int BuildFaceLimit = 12286;
constexpr int BuildVertexLimit = 12282;
// A rigid body built from a model's lowest level holds at most these.
constexpr int MaxPhysicsPoints = 24;
constexpr int MaxPhysicsFaces = 42;
// All parts of a model.
constexpr uint32_t AllModelParts = 0xFFFFFFFFu;

// One vertex of a lit mesh: position, normal, the colours in the light and
// in shadow, texture coordinates.
struct LitVertex {
    FixedVector position;  // 16.16
    Vec3 normal;
    uint32_t litColour = 0, shadowColour = 0;  // ARGB
    float u = 0, v = 0;
};
struct LitMeshPart {
    uint8_t flags = 0;  // bit 0 environment-mapped, bit 1 a second texture
    Material* material = nullptr;
    int32_t vertexCount = 0, triangleCount = 0;
};
// The drawable a solid scenery object builds for one level of detail.
struct LitMesh {
    int32_t nearest = 0, farthest = -1;  // valid distances; -1 unlimited
    std::vector<LitVertex> vertices;
    std::vector<int32_t> triangles;      // three indices each
    std::vector<LitMeshPart> parts;
    uint8_t tail[4] = {255, 0, 0, 0};

    int Kind() const { return 2; }
    void Free();
};

// The light of the world as lit geometry sees it; set by the world drawing
// and the mesh build. Lives with the loaded world.
struct WorldLightValues {
    uint8_t ground[3] = {128, 128, 128};  // 0..255
    int32_t skyExtra[3] = {};             // signed
    FixedVector lightDirection = MakeFixedVector(0, 0, 65536);  // unit, 16.16
    int32_t sunLevel[3] = {65536, 65536, 65536};                // 16.16
    int colourShift = 0;                  // 0 or 1
    int litColumn = 0;                    // which of a vertex's two colours is drawn

    bool operator==(const WorldLightValues&) const = default;
};

// The colours of a lit vertex from a cell colour (r, g, b, flags) and a
// world-axes 16.16 unit normal: hemisphere ambient plus the sun.
void LightVertex(LitVertex& vertex, const uint8_t colour[4], const FixedVector& normal, int shadeShift);

// Resolves the materials of the surfaces that the selected parts use.
void LoadModelTextures(ObjectModel& model, int solid, int car, int skinIndex, uint32_t partMask);
// Fills a reset MeshNode from one level of the model, with children for the
// sub-models (childMode 0 none, 1 plain, 2 car nodes). Returns the radius.
int32_t BuildModelMeshNode(ObjectModel& model, MeshNode& node, int level, int childMode, int row,
                           int32_t scaleX, int32_t scaleYZ, uint32_t partMask);
// The shared welding and part split into a node or a lit mesh (the lit
// mesh's vertices through the transform and normal matrix). Returns 0 when
// the model has no groups.
int BuildModelMesh(ObjectModel& model, MeshNode* node, LitMesh* lit, const FixedTransform* solidTransform,
                   const FixedMatrix* normalMatrix, int32_t scaleX, int32_t scaleYZ, int level, int row,
                   uint32_t partMask);
// The lit mesh of a solid object with its sub-models merged in; 0 for a
// level the model does not have.
int BuildSolidModel(ObjectModel& model, LitMesh& lit, const FixedTransform& transform,
                    const FixedMatrix& normalMatrix, int level, int row);
// Centre and radius of the points any triangle uses.
void ComputeModelBounds(ObjectModel& model, FixedVector& centre, int32_t& radius);
// The points and faces of one level for a rigid body.
void BuildPhysicsLodModel(ObjectModel& model, PhysicsLodModel& physics, int level, int row, uint32_t partMask);
// Replaces the body's contact points and faces by those of the model's
// lowest level (positions × scale / 65536 m). Returns ": OK" or the reason
// it did not (the body then keeps what it had).
const char* CheckPhysicsLod(ObjectModel& model, RigidBody& body, int32_t scale, uint32_t partMask);
// The drawable node of a shared model; 0 when the record holds no model.
int BuildSharedModelNode(SharedModel& record);
// The texture coordinates of a vertex at a model-space position through a
// mapping and its surface.
void ComputeMappedTexCoords(BuiltVertex& vertex, const FixedVector& modelPosition, const TextureMapping& mapping,
                            const ModelSurface& surface);
