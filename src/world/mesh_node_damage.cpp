// A car's dents on its drawn body: the car's impact rule applied to a mesh
// node's vertices and its children's positions, the normals of the moved
// vertices made again from their faces, and the undamaged shape kept so
// that a repair restores it exactly.
#include <cmath>

#include "world/mesh_nodes.h"
#include "world/services.h"

namespace {

// A dent reaches this share of the reach ahead of the impact point.
constexpr float ImpactAheadShare = 0.333f;

Vec3 Metres(const FixedVector& v) { return {FixedToMetres(v.x), FixedToMetres(v.y), FixedToMetres(v.z)}; }

} // namespace

int DeformMeshNode(MeshNode& node, const Vec3& point, const Vec3& direction, float strength, float reach)
{
    const float ahead = ImpactAheadShare * reach;
    bool moved = false;
    for (BuiltVertex& v : node.vertices) {
        const float share = CarImpactShare(Metres(v.position), point, direction, reach, ahead);
        if (share != 0 && MoveFixedPoint(v.position, direction, share * strength * CarImpactSpread(v.position))) {
            v.smoothing = 1;
            v.normal = ZeroVector;
            moved = true;
        }
    }
    for (SceneNode* child : node.children) {
        const float share = CarImpactShare(Metres(child->local.translation), point, direction, reach, ahead);
        if (share != 0)
            MoveFixedPoint(child->local.translation, direction, share * strength);
    }
    return moved ? 1 : 0;
}

void FinishMeshNodeDeform(MeshNode& node)
{
    std::vector<double> sum(node.vertices.size() * 3, 0.0);
    for (BuiltFace& face : node.faces) {
        const FixedVector* p[3];
        bool valid = true;
        for (int k = 0; k < 3; k++) {
            valid = valid && face.vertex[k] < node.vertices.size();
            p[k] = valid ? &node.vertices[face.vertex[k]].position : nullptr;
        }
        if (!valid)
            continue;
        bool touched = false;
        for (uint16_t index : face.vertex)
            touched = touched || node.vertices[index].smoothing;
        if (!touched)
            continue;
        // Stored faces run opposite to their corners, so the outward normal
        // is (third - first) x (second - first).
        const double ax = (double(p[2]->x.raw) - p[0]->x.raw) / 65536, ay = (double(p[2]->y.raw) - p[0]->y.raw) / 65536,
                     az = (double(p[2]->z.raw) - p[0]->z.raw) / 65536;
        const double bx = (double(p[1]->x.raw) - p[0]->x.raw) / 65536, by = (double(p[1]->y.raw) - p[0]->y.raw) / 65536,
                     bz = (double(p[1]->z.raw) - p[0]->z.raw) / 65536;
        const double nx = ay * bz - az * by, ny = az * bx - ax * bz, nz = ax * by - ay * bx;
        const double length = std::sqrt(nx * nx + ny * ny + nz * nz);
        if (length >= 0.000001) {
            const double k = 65536.0 / length;
            face.normal = MakeFixedVector(static_cast<int32_t>(std::nearbyint(nx * k)),
                                          static_cast<int32_t>(std::nearbyint(ny * k)),
                                          static_cast<int32_t>(std::nearbyint(nz * k)));
        } else {
            face.normal = ZeroVector;
        }
        for (uint16_t index : face.vertex) {
            sum[size_t(index) * 3] += nx;
            sum[size_t(index) * 3 + 1] += ny;
            sum[size_t(index) * 3 + 2] += nz;
        }
    }
    for (size_t i = 0; i < node.vertices.size(); i++) {
        BuiltVertex& v = node.vertices[i];
        if (!v.smoothing)
            continue;
        v.smoothing = 0;
        const double x = sum[i * 3], y = sum[i * 3 + 1], z = sum[i * 3 + 2];
        const double length = std::sqrt(x * x + y * y + z * z);
        if (length > 0) {
            const double k = 65536.0 / length;
            v.normal = MakeFixedVector(static_cast<int32_t>(std::nearbyint(x * k)), static_cast<int32_t>(std::nearbyint(y * k)),
                                       static_cast<int32_t>(std::nearbyint(z * k)));
        }
    }
}

void SaveMeshNodeShape(MeshNode& node)
{
    if (node.savedShape)
        return;
    auto* shape = new MeshNodeShape;
    for (const BuiltVertex& v : node.vertices) {
        shape->positions.push_back(v.position);
        shape->normals.push_back(v.normal);
    }
    for (const BuiltFace& f : node.faces)
        shape->faceNormals.push_back(f.normal);
    for (const SceneNode* child : node.children)
        shape->childPositions.push_back(child->local.translation);
    node.savedShape = shape;
}

void RestoreMeshNodeShape(MeshNode& node)
{
    const MeshNodeShape* shape = node.savedShape;
    if (!shape)
        return;
    for (size_t i = 0; i < node.vertices.size() && i < shape->positions.size(); i++) {
        node.vertices[i].position = shape->positions[i];
        node.vertices[i].normal = shape->normals[i];
        node.vertices[i].smoothing = 0;
    }
    for (size_t i = 0; i < node.faces.size() && i < shape->faceNormals.size(); i++)
        node.faces[i].normal = shape->faceNormals[i];
    for (size_t i = 0; i < node.children.size() && i < shape->childPositions.size(); i++)
        node.children[i]->local.translation = shape->childPositions[i];
}

void FreeMeshNodeShape(MeshNode& node)
{
    delete node.savedShape;
    node.savedShape = nullptr;
}
