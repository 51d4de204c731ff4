// Mesh nodes and physics nodes: reset, release, radius, mark colours,
// pruning, the cached "SUB%d" named mesh, emission into named meshes and
// lathed copies.
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "world/hooks.h"
#include "world/local.h"
#include "world/mesh_nodes.h"
#include "world/services.h"

namespace {

// Nodes whose vertices all lie within this height (16.16) are flat.
constexpr int32_t FlatMeshHeight = 64;

GridCell MakeCell(uint8_t r, uint8_t g, uint8_t b)
{
    GridCell cell;
    cell.red = r;
    cell.green = g;
    cell.blue = b;
    return cell;
}

int32_t RoundedLength(const FixedVector& v)
{
    const double x = v.x.raw, y = v.y.raw, z = v.z.raw;
    const double length = std::nearbyint(static_cast<float>(std::sqrt(x * x + y * y + z * z)));
    return length >= 2147483647.0 ? INT32_MAX : static_cast<int32_t>(length);
}

int32_t AddRadius(int32_t a, int32_t b)
{
    const int64_t sum = int64_t(a) + b;
    return sum > INT32_MAX ? INT32_MAX : static_cast<int32_t>(sum);
}

// The largest child term: translation length plus the child's radius.
int32_t RaiseByChildren(const SceneNode& node, int32_t radius)
{
    for (const SceneNode* child : node.children) {
        const int32_t reach = AddRadius(RoundedLength(child->local.translation), child->radius.raw);
        if (reach > radius)
            radius = reach;
    }
    return radius;
}

// The colour of a vertex from its cell: as stored for a full-brightness
// cell, else each channel shifted right by the vertex's shade shift.
uint32_t VertexCellColour(const BuiltVertex& v)
{
    if (!v.cell)
        return 0xFF000000u;
    const int shift = (v.cell->flags & 1) ? 0 : v.flags >> 6;
    return 0xFF000000u | uint32_t(v.cell->red >> shift) << 16 | uint32_t(v.cell->green >> shift) << 8 |
           uint32_t(v.cell->blue >> shift);
}

} // namespace

const GridCell MarkColourCell = MakeCell(255, 160, 60);
const GridCell PlainMarkCell = MakeCell(255, 0, 0);

int SubMeshCounter() { return MutableWorldRun.subMeshCount; }

void ResetSceneNode(SceneNode& node)
{
    node.local = IdentityTransform;
    node.world = IdentityTransform;
    node.nearDistance = node.farDistance = node.radius = Fixed(0);
    node.cleared = 0;
    node.kind = 0;
    node.spare = 0;
    node.firstBlended = 255;
    node.alphaTest = 0;
    node.children.clear();
    node.mesh = nullptr;
}

void SceneNode::ResetNode() { ResetSceneNode(*this); }

void DestroySceneNodeTree(SceneNode& node)
{
    node.FreeNodeBuffers();
    for (SceneNode* child : node.children) {
        DestroySceneNodeTree(*child);
        delete child;
    }
    node.children.clear();
    node.children.shrink_to_fit();
}

void PruneSceneNodes(SceneNode& node)
{
    std::vector<SceneNode*> kept;
    for (SceneNode* child : node.children) {
        if (child->GetFaceCount() == 0 && (child->kind < FirstKeptChildKind || child->kind > LastKeptChildKind)) {
            DestroySceneNodeTree(*child);
            delete child;
        } else {
            kept.push_back(child);
        }
    }
    node.children.swap(kept);
}

NamedMesh* GetNodeResource(SceneNode& node)
{
    if (!node.mesh)
        node.BuildNodeSubMesh();
    return node.mesh;
}

// ---------------------------------------------------------------------------
// MeshNode.

MeshNode::~MeshNode()
{
    FreeNodeBuffers();
}

void MeshNode::ResetNode()
{
    ResetSceneNode(*this);
    vertices.clear();
    faces.clear();
    parts.clear();
}

void MeshNode::FreeNodeBuffers()
{
    vertices = {};
    faces = {};
    parts = {};
    ReleaseSubMesh();
    FreeMeshNodeShape(*this);
}

void MeshNode::ReleaseSubMesh()
{
    if (mesh)
        GetWorldDrawHooks().releaseMesh(mesh);
    mesh = nullptr;
}

int32_t MeshNode::ComputeNodeRadius()
{
    double largest = 0;
    int32_t low = INT32_MAX, high = INT32_MIN;
    for (const BuiltVertex& v : vertices) {
        const double x = v.position.x.raw, y = v.position.y.raw, z = v.position.z.raw;
        largest = std::fmax(largest, x * x + y * y + z * z);
        low = std::min(low, v.position.z.raw);
        high = std::max(high, v.position.z.raw);
    }
    const double length = std::nearbyint(static_cast<float>(std::sqrt(largest)));
    int32_t r = length >= 2147483647.0 ? INT32_MAX : static_cast<int32_t>(length);
    if (!vertices.empty() && int64_t(high) - low <= FlatMeshHeight)
        for (NodePart& part : parts)
            if (part.material)
                GetWorldDrawHooks().setFlatTextureMode(part.material);
    radius = Fixed(RaiseByChildren(*this, r));
    return radius.raw;
}

void MeshNode::SetMarkColour(int flag)
{
    for (BuiltVertex& v : vertices)
        v.cell = flag ? &MarkColourCell : &PlainMarkCell;
    for (SceneNode* child : children)
        child->SetMarkColour(0);
}

void MeshNode::BuildNodeSubMesh()
{
    const WorldDrawHooks& hooks = GetWorldDrawHooks();
    std::vector<Material*> materials;
    for (const NodePart& part : parts)
        if (std::find(materials.begin(), materials.end(), part.material) == materials.end())
            materials.push_back(part.material);
    char name[24];
    std::snprintf(name, sizeof name, "SUB%d", MutableWorldRun.subMeshCount++);
    NamedMesh* made = hooks.getMesh(name);
    if (!made)
        return;
    hooks.setMeshPartCount(made, static_cast<int>(materials.size()), 1);
    for (size_t i = 0; i < materials.size(); i++)
        hooks.setMeshPartMaterial(made, static_cast<int>(i), materials[i]);
    EmitNodeToMesh(*this, made, 2, 0);
    hooks.finishMesh(made);
    mesh = made;
}

void EmitNodeToMesh(MeshNode& node, NamedMesh* mesh, int selection, int withBounds)
{
    const WorldDrawHooks& hooks = GetWorldDrawHooks();
    if (!mesh)
        return;
    hooks.beginMeshBlock(mesh);
    float box[6] = {0, 0, 0, 0, 0, 0};
    size_t firstVertex = 0, firstFace = 0;
    for (const NodePart& part : node.parts) {
        const size_t vertexEnd = firstVertex + size_t(part.vertexCount), faceEnd = firstFace + size_t(part.faceCount);
        const bool blended = (part.flags & NodePartBlended) != 0;
        const bool taken = selection == 2 || (selection == 1 && blended) || (selection == 0 && !blended);
        const int target = taken ? hooks.findMeshPart(mesh, part.material) : -1;
        if (target >= 0 && vertexEnd <= node.vertices.size() && faceEnd <= node.faces.size()) {
            hooks.reserveMeshPart(mesh, target, part.faceCount, part.vertexCount);
            int base = -1;
            for (size_t i = firstVertex; i < vertexEnd; i++) {
                const BuiltVertex& v = node.vertices[i];
                MeshVertexRecord record;
                record.x = FixedToMetres(v.position.x);
                record.y = FixedToMetres(v.position.y);
                record.z = FixedToMetres(v.position.z);
                record.nx = FixedToMetres(v.normal.x);
                record.ny = FixedToMetres(v.normal.y);
                record.nz = FixedToMetres(v.normal.z);
                record.colour = VertexCellColour(v);
                record.u = v.u;
                record.v = v.v;
                const int index = hooks.addMeshVertex(mesh, target, record);
                if (i == firstVertex)
                    base = index;
                if (withBounds) {
                    const float p[3] = {record.x, record.y, record.z};
                    for (int k = 0; k < 3; k++) {
                        box[k] = std::fmin(box[k], p[k]);
                        box[k + 3] = std::fmax(box[k + 3], p[k]);
                    }
                }
            }
            // Face indices count from the node's first vertex; in the mesh
            // they count from the part's first added vertex.
            for (size_t f = firstFace; f < faceEnd; f++) {
                const BuiltFace& face = node.faces[f];
                const int shift = base - static_cast<int>(firstVertex);
                hooks.addMeshTriangle(mesh, target, face.vertex[0] + shift, face.vertex[1] + shift,
                                      face.vertex[2] + shift);
            }
        }
        firstVertex = vertexEnd;
        firstFace = faceEnd;
    }
    if (withBounds)
        hooks.setMeshBounds(mesh, box);
    hooks.endMeshBlock(mesh);
}

void CopyNodeTextureSlots(MeshNode& node, const MeshNode& other)
{
    node.ResetNode();
    node.parts = other.parts;
}

void BuildLathe(MeshNode& node, int count)
{
    if (count < 1 || node.parts.size() != 1)
        return;
    const size_t vertexCount = node.vertices.size(), faceCount = node.faces.size();
    if (vertexCount * size_t(count) > 0xFFFF)
        return;  // the copies' indices would not fit 16 bits
    const std::vector<BuiltVertex> vertices = node.vertices;
    const std::vector<BuiltFace> faces = node.faces;
    node.vertices.clear();
    node.faces.clear();
    float angle = 0;
    const float step = 2.0f * 3.14159265358979323846f / static_cast<float>(count);
    for (int i = 0; i < count; i++) {
        FixedMatrix turn;
        RotationX(turn, static_cast<int32_t>(angle * 10430.0f));
        for (BuiltVertex v : vertices) {
            RotateVector(turn, v.position, v.position);
            RotateVector(turn, v.normal, v.normal);
            node.vertices.push_back(v);
        }
        for (BuiltFace f : faces) {
            for (uint16_t& index : f.vertex)
                index = static_cast<uint16_t>(index + size_t(i) * vertexCount);
            RotateVector(turn, f.normal, f.normal);
            node.faces.push_back(f);
        }
        angle += step;
    }
    node.parts[0].vertexCount = static_cast<int32_t>(vertexCount * size_t(count));
    node.parts[0].faceCount = static_cast<int32_t>(faceCount * size_t(count));
}

// ---------------------------------------------------------------------------
// PhysicsLodModel.

void PhysicsLodModel::ResetNode()
{
    ResetSceneNode(*this);
    vertices.clear();
    faces.clear();
}

void PhysicsLodModel::FreeNodeBuffers()
{
    vertices = {};
    faces = {};
}

int32_t PhysicsLodModel::ComputeNodeRadius()
{
    double largest = 0;
    for (const PhysicsVertex& v : vertices) {
        const double x = v.position.x.raw, y = v.position.y.raw, z = v.position.z.raw;
        largest = std::fmax(largest, x * x + y * y + z * z);
    }
    const double length = std::nearbyint(static_cast<float>(std::sqrt(largest)));
    radius = Fixed(RaiseByChildren(*this, length >= 2147483647.0 ? INT32_MAX : static_cast<int32_t>(length)));
    return radius.raw;
}

void PhysicsLodModel::SetMarkColour(int flag)
{
    for (PhysicsFace& f : faces)
        f.cell = flag ? &MarkColourCell : &PlainMarkCell;
    for (SceneNode* child : children)
        child->SetMarkColour(0);
}
