// Matrices, transforms, light setups and named meshes. Static geometry
// (car bodies and parts, wheels, helmets, the sky, the world's objects) is
// kept as named meshes: one part per material, each part's geometry in one
// static vertex buffer and one 16-bit index buffer, divided into numbered
// blocks (one per scenery object or car part, the same numbers in every
// part). A frame marks the blocks it sees, then draws the marked blocks of
// each part in runs of consecutive blocks, one draw call per run.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "platform/gfx.h"

struct Material;
struct TextureRecord;
struct VertexBufferEntry;
struct IndexBufferEntry;

// ---------------------------------------------------------------------------
// Matrices: 4 x 4 floats, row-major, used with row vectors (a point p
// becomes p × M, the translation in the fourth row).

using Matrix44 = platform::GfxMatrix;

Matrix44 IdentityMatrix44();
// out = a × b (out may be a or b).
void MultiplyMatrix44(Matrix44& out, const Matrix44& a, const Matrix44& b);
// The diagonal matrix (sx, sy, sz, 1).
Matrix44 ScaleMatrix44(float sx, float sy, float sz);
// Every row's first three elements multiplied by the scale (m × scale).
void ScaleMatrixColumns(Matrix44& m, float sx, float sy, float sz);
// m × translation: each row's fourth element times the offset added to its
// first three.
void TranslateMatrix44(Matrix44& m, float x, float y, float z);
void TransposeMatrix44(Matrix44& m);
// out = the inverse of m; false (out untouched) when m is singular.
bool InvertMatrix44(Matrix44& out, const Matrix44& m);
// The perspective depth terms for near n and far f: m[2][2] = f / (f - n),
// m[2][3] = 1, m[3][2] = -n f / (f - n); every other element 0.
Matrix44 PerspectiveDepthMatrix(float nearZ, float farZ);
// The point (x, y, z, 1) × m: x, y, z and w, not divided.
void TransformPoint44(const Matrix44& m, const float in[3], float out[4]);

// The transforms of all 3D drawing. Lives with the device.
struct TransformRecord {
    Matrix44 world, worldInverse, view, projection;
    float widthFactor = 0.0f, nearZ = 0.0f, farZ = 0.0f; // what the projection was built from
    bool viewReset = false; // the device holds the identity view (ResetViewMatrix)
};

// The projection of a view window: widthFactor = 2 tan(horizontal field of
// view / 2), the viewport's aspect, near and far distances in metres.
void SetProjection(float widthFactor, float nearZ, float farZ);
void ResetWorldMatrix();
void SetWorldMatrix(const Matrix44& matrix);
// The identity view (vertices given in camera space), and a view matrix.
void ResetViewMatrix();
void SetViewMatrix(const Matrix44& matrix);

// ---------------------------------------------------------------------------
// Light setups: the light of the object being drawn. Loading one fills the
// vertex shaders' light constants.

class LightSetup {
public:
    virtual ~LightSetup() = default;
    // c0..c3 = transpose(world × view × projection) of the current world
    // matrix; c6 sun colour; c7 the up direction; c8 and c9 the half sum
    // and half difference of sky and ground colours; c10 the sun direction.
    virtual void LoadConstants();

    float sunColour[4] = {1, 1, 1, 0};
    float groundFactors[3] = {1, 1, 1}; // the ground is the sky times these
    float groundAlpha = 1;
    float skyColour[4] = {1, 1, 1, 1};
    float sunVector[3] = {0, 0, 1};     // world direction towards the sun
};

// Makes the light current and loads its constants.
void SetLightSetup(LightSetup* light);
// Makes the default light current and loads it.
void ResetLightSetup();
// The current light setup.
LightSetup* CurrentLightSetup();

// Environment factors a, b and k of reflective surfaces (set by the world
// lighting and the car previews; a = 1, b = 0, k = 1 by default). Lives for
// the whole run.
struct EnvironmentFactorsRecord {
    float a = 1.0f, b = 0.0f, k = 1.0f;

    bool operator==(const EnvironmentFactorsRecord&) const = default;
};

// ---------------------------------------------------------------------------
// Named meshes.

// The loaders' input vertex (40 bytes).
struct MeshVertex {
    float x = 0, y = 0, z = 0;       // metres, mesh space
    float nx = 0, ny = 0, nz = 0;    // unit normal
    float u = 0, v = 0;
    uint32_t diffuse = 0xFFFFFFFF;   // 0xAARRGGBB
    uint32_t specular = 0;
};
static_assert(sizeof(MeshVertex) == 40);

// The most vertices a part can address with its 16-bit indices.
constexpr int MaxMeshPartVertices = 65536;
// A vertex type to take from the part's material.
constexpr int MeshVertexTypeOfMaterial = 14;

// One block of a part: its index and vertex ranges (ends exclusive).
struct MeshBlockRange {
    uint32_t firstIndex = 0, firstVertex = 0, endIndex = 0, endVertex = 0;
};

struct MeshPart {
    int shadowStages = 0;               // stages the last draw set-up used for shadows (0..2)
    Material* material = nullptr;
    int vertexCount = 0, indexCount = 0; // of the finished buffers
    VertexBufferEntry* vertices = nullptr;
    IndexBufferEntry* indices = nullptr;
    std::vector<uint32_t> drawState;    // per block, two values for the shadow passes
    int vertexType = MeshVertexTypeOfMaterial;
    int blockCount = 0;
    std::vector<uint32_t> emptyBlocks;  // bit set: blocks without indices in this part
    std::vector<MeshBlockRange> blocks;
    // While building.
    std::vector<MeshVertex> builtVertices;
    std::vector<uint16_t> builtIndices;
    std::vector<MeshVertex> blockVertices;
    std::vector<uint32_t> blockTriangles; // three block-relative indices each
    bool overflowLogged = false;
};

struct NamedMesh {
    char name[64] = {};
    float box[6] = {};                  // x1, y1, z1, x2, y2, z2 in mesh space
    int plainFirst = 0, plainLast = 0;  // range of blocks marked plainly; empty: (count, 0)
    int shadowFirst = 0, shadowLast = 0;
    Matrix44 worldMatrix = IdentityMatrix44(); // the world matrix of the last draw
    int notRegistered = 0;
    int finished = 0;
    std::map<const Material*, int> partOfMaterial; // while building
    std::vector<MeshPart> parts;
    int blockCount = 0;
    int markWords = 0;                  // (blocks + 63) / 32
    std::vector<uint32_t> plainMarks, shadowMarks;
    std::vector<uint8_t> shadowMasks;   // per block, the mask given with its mark
};

// The mesh of that name (letter case aside); a new empty registered mesh
// when there is none.
NamedMesh* GetMesh(const char* name);
// Destroys and deletes the mesh (a registered one leaves the registry).
void FreeMesh(NamedMesh* mesh);
void FreeAllMeshes();

// Building, in this order: parts, their materials, blocks, finish.
void SetMeshPartCount(NamedMesh* mesh, int parts, int blocksHint);
void SetMeshPartMaterial(NamedMesh* mesh, int part, Material* material, int vertexType);
// The new block's number.
int BeginMeshBlock(NamedMesh* mesh);
void ReserveMeshPart(MeshPart* part, int triangles, int vertices);
// The block-relative index of the vertex.
int AddMeshVertex(MeshPart* part, const MeshVertex& vertex);
void AddMeshTriangle(MeshPart* part, int i0, int i1, int i2);
void GetMeshPartBlockCounts(const MeshPart* part, int& triangles, int& vertices);
void EndMeshBlock(NamedMesh* mesh);
// Builds every part's buffers; the mesh can then be drawn.
void FinishMesh(NamedMesh* mesh);

// Marks a block to draw (mask 0 plainly, else with those shadows); blocks
// outside 0 .. count - 1 are ignored.
void MarkMeshBlock(NamedMesh* mesh, int block, int shadowMask);
// Draws the plainly marked blocks of every part (in runs of consecutive
// blocks) with the current world matrix, then clears the marks; keepBlend
// leaves the blend state of a light-mapped second pass as it is.
void DrawMarkedBlocks(NamedMesh* mesh, int keepBlend);
// Draws and clears the blocks marked with shadows.
// Pending: no shadow textures yet (mesh_shadow_pending.cpp); the blocks are
// drawn without their shadows.
void DrawShadowedBlocks(NamedMesh* mesh, int shadowLimit);
// Draws one block of a part (nothing for a block empty in that part); the
// shadow arguments wait for the shadow textures and are not used yet.
void DrawPartBlock(MeshPart* part, int block, int withSetup, int shadowA, int shadowB, int passLimit);
