// Mesh nodes: drawable tree nodes with a local transform, a level-of-detail
// band, a bounding radius and children. A MeshNode holds the welded mesh
// built from an object model (vertices with normals, colours and texture
// coordinates, faces, and parts of one material each); a PhysicsLodModel
// holds a model's lowest level while it becomes a rigid body's points and
// faces. Cars, helmets, figures and scenery are drawn through mesh nodes.
#pragma once

#include <cstdint>
#include <vector>

#include "core/services.h"

struct Material;
struct NamedMesh;
struct GridCell;

// One welded vertex.
struct BuiltVertex {
    uint8_t matrixIndex = 0;  // skeleton matrix of a figure vertex; 0 otherwise
    uint8_t smoothing = 0;    // working mark while building
    uint8_t mapping = 0;      // the TextureMapping giving its texture coordinates
    uint8_t flags = 0;        // bit 0: made for a point's mirrored twin; bits 6-7 shade shift
    FixedVector position;     // 16.16
    FixedVector normal;       // unit length 65536; zero when undetermined
    float u = 0, v = 0;
    const GridCell* cell = nullptr;  // gives its colour
};
constexpr uint8_t BuiltVertexTwin = 0x01;

struct BuiltFace {
    uint16_t vertex[3] = {};
    uint16_t zero = 0;
    const GridCell* cell = nullptr;
    FixedVector normal;  // unit length 65536; zero for a degenerate face
};

// A run of a node's vertices and faces drawn with one material.
struct NodePart {
    uint8_t flags = 0;  // bit 0 sky or environment texture, 0x20 blended, bits 6-7 from the surface
    Material* material = nullptr;
    int32_t vertexCount = 0, faceCount = 0;
};
constexpr uint8_t NodePartSky = 0x01;
constexpr uint8_t NodePartBlended = 0x20;
constexpr uint8_t NodePartCarTexture = 0x80;

// What a car's dents move and repair restores exactly.
struct MeshNodeShape {
    std::vector<FixedVector> positions, normals;  // per vertex
    std::vector<FixedVector> faceNormals;
    std::vector<FixedVector> childPositions;
};

// Model kinds of children that pruning keeps even when empty (the wheel places).
constexpr int FirstKeptChildKind = 6, LastKeptChildKind = 9;

class SceneNode {
public:
    SceneNode() = default;
    virtual ~SceneNode() = default;
    SceneNode(const SceneNode&) = delete;
    SceneNode& operator=(const SceneNode&) = delete;

    // The operations, in slot order.
    virtual void ResetNode();
    virtual int GetNodeClass() const = 0;
    virtual int GetVertexCount() const = 0;
    virtual int GetFaceCount() const = 0;
    virtual void FreeNodeBuffers() = 0;
    // The largest distance of a vertex from the origin, raised by each
    // child's translation length plus its radius. Returns the radius.
    virtual int32_t ComputeNodeRadius() = 0;
    virtual void ForgetSubMesh() {}
    virtual void ReleaseSubMesh() {}
    virtual void BuildNodeSubMesh() {}
    // Colour 15 (flag set) or 1 on this node, colour 1 on every child.
    virtual void SetMarkColour(int flag) = 0;
    // Draws through the world batch; answers 0 when outside the view.
    virtual int DrawNode(int drawChildren, const FixedTransform& parent, int pass) { (void)drawChildren; (void)parent; (void)pass; return 0; }
    virtual void DrawNodeLit(const FixedTransform& parent, const FixedTransform* matrices, int count) { (void)parent; (void)matrices; (void)count; }
    virtual void DrawNodeDepthShifted(int drawChildren, const FixedTransform& parent, const FixedTransform* matrices,
                                      int count, int substitute) { (void)drawChildren; (void)parent; (void)matrices; (void)count; (void)substitute; }

    FixedTransform local = IdentityTransform;  // relative to the parent
    FixedTransform world = IdentityTransform;  // when last drawn
    Fixed nearDistance, farDistance;           // the level-of-detail band, 16.16
    Fixed radius;                              // 16.16
    int32_t cleared = 0;
    uint8_t kind = 0;                          // the model's kind once built
    uint8_t spare = 0;
    uint8_t firstBlended = 255;                // first part drawn blended; 255 none
    uint8_t alphaTest = 0;
    std::vector<SceneNode*> children;          // owned
    NamedMesh* mesh = nullptr;                 // the cached "SUB%d" mesh

    int ChildCount() const { return static_cast<int>(children.size()); }
};

class MeshNode final : public SceneNode {
public:
    ~MeshNode() override;
    void ResetNode() override;
    int GetNodeClass() const override { return 1; }
    int GetVertexCount() const override { return static_cast<int>(vertices.size()); }
    int GetFaceCount() const override { return static_cast<int>(faces.size()); }
    void FreeNodeBuffers() override;
    int32_t ComputeNodeRadius() override;
    void ForgetSubMesh() override { mesh = nullptr; }
    void ReleaseSubMesh() override;
    void BuildNodeSubMesh() override;
    void SetMarkColour(int flag) override;
    int DrawNode(int drawChildren, const FixedTransform& parent, int pass) override;
    void DrawNodeLit(const FixedTransform& parent, const FixedTransform* matrices, int count) override;
    void DrawNodeDepthShifted(int drawChildren, const FixedTransform& parent, const FixedTransform* matrices, int count,
                              int substitute) override;

    std::vector<BuiltVertex> vertices;
    std::vector<BuiltFace> faces;
    std::vector<NodePart> parts;
    MeshNodeShape* savedShape = nullptr;  // owned; kept before the first dent
};

struct PhysicsVertex {
    uint8_t matrixIndex = 0;
    FixedVector position;  // 16.16
};
struct PhysicsFace {
    FixedVector normal;    // unit length 65536
    uint8_t part = 0;
    const GridCell* cell = nullptr;
    int32_t vertex[3] = {};
};

class PhysicsLodModel final : public SceneNode {
public:
    void ResetNode() override;
    int GetNodeClass() const override { return 0; }
    int GetVertexCount() const override { return static_cast<int>(vertices.size()); }
    int GetFaceCount() const override { return static_cast<int>(faces.size()); }
    void FreeNodeBuffers() override;
    int32_t ComputeNodeRadius() override;
    void SetMarkColour(int flag) override;

    std::vector<PhysicsVertex> vertices;
    std::vector<PhysicsFace> faces;
};

// Identity transforms, zero distances and radius, no children, no mesh.
void ResetSceneNode(SceneNode& node);
// Frees the node's buffers and destroys and deletes every child; the node
// itself is deleted by its owner.
void DestroySceneNodeTree(SceneNode& node);
// Removes the children without faces (except kinds 6 to 9).
void PruneSceneNodes(SceneNode& node);
// The cached named mesh, built first when there is none.
NamedMesh* GetNodeResource(SceneNode& node);
// Resets the node and gives it copies of the other's parts.
void CopyNodeTextureSlots(MeshNode& node, const MeshNode& other);
// Adds the node's parts (selection 2 all, 1 blended, 0 opaque) to a named
// mesh as one block; with bounds the mesh's box is set from the positions.
void EmitNodeToMesh(MeshNode& node, NamedMesh* mesh, int selection, int withBounds);
// count copies of a single-part node turned about the x axis.
void BuildLathe(MeshNode& node, int count);
// The "SUB%d" meshes made so far (the name of the next one).
int SubMeshCounter();
// The two colours SetMarkColour paints with (standard colours 15 and 1).
extern const GridCell MarkColourCell, PlainMarkCell;

// A car's dents on its drawn body. DeformMeshNode moves the node's vertices
// and its children's positions by one impact at point (m, the node's frame)
// along direction with the strength (m) within reach (m), by the car's
// impact rule; moved vertices are marked. 1 when a vertex moved.
int DeformMeshNode(MeshNode& node, const Vec3& point, const Vec3& direction, float strength, float reach);
// Recomputes the normals of the marked vertices from their faces and clears
// the marks.
void FinishMeshNodeDeform(MeshNode& node);
// Keeps the vertex positions and normals, face normals and child positions,
// once; RestoreMeshNodeShape puts them back exactly.
void SaveMeshNodeShape(MeshNode& node);
void RestoreMeshNodeShape(MeshNode& node);
void FreeMeshNodeShape(MeshNode& node);
