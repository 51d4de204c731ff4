// Drawing a mesh node in software: vertices taken into the view's frame,
// back faces culled, each vertex lit once and added to the world batch.
// Figures are drawn lit by their skeleton's matrices; the depth-shifted
// variant draws behind everything else.
#include <cstdint>
#include <vector>

#include "world/hooks.h"
#include "world/mesh_nodes.h"
#include "world/services.h"

namespace {

// 1000 m further along the view depth.
constexpr float DepthShift = 1000.0f;

struct CachedVertex {
    FixedVector view;   // the position in the view's frame
    int batchIndex = -1;
};

// Per-vertex cache of one node's drawing. Lives for one draw call; kept to
// avoid an allocation per node.
std::vector<CachedVertex> VertexCache;

const uint8_t* CellBytes(const BuiltVertex& v, uint8_t out[4])
{
    if (v.cell) {
        out[0] = v.cell->red;
        out[1] = v.cell->green;
        out[2] = v.cell->blue;
        out[3] = v.cell->flags;
    } else {
        out[0] = out[1] = out[2] = 255;
        out[3] = 0;
    }
    return out;
}

int64_t Dot64(const FixedVector& a, const FixedVector& b)
{
    return int64_t(a.x.raw) * b.x.raw + int64_t(a.y.raw) * b.y.raw + int64_t(a.z.raw) * b.z.raw;
}

// The view frame's matrix composed with a world transform's matrix.
void ViewMatrixOf(const FixedMatrix& worldMatrix, FixedMatrix& out)
{
    MultiplyMatrix(*GetWorldDrawHooks().viewMatrix(), worldMatrix, out);
}

void Compose(const FixedTransform& parent, const FixedTransform& local, FixedTransform& out)
{
    ComposeTransform(parent, local, out);
}

// Whether a face faces away: its normal in the view frame against the view
// position of its first vertex.
bool BackFacing(const BuiltFace& face, const FixedMatrix& toView, const FixedVector& firstView)
{
    FixedVector normal;
    RotateVector(toView, face.normal, normal);
    return Dot64(normal, firstView) > 0;
}

} // namespace

int MeshNode::DrawNode(int drawChildren, const FixedTransform& parent, int pass)
{
    const WorldDrawHooks& hooks = GetWorldDrawHooks();
    if (hooks.depthShifted()) {
        DrawNodeDepthShifted(drawChildren, parent, nullptr, 0, 0);
        return 1;
    }
    Compose(parent, local, world);
    FixedVector centre;
    hooks.toViewFrame(world.translation, centre);
    if (!hooks.sphereInView(centre, radius))
        return 0;
    if (drawChildren)
        for (SceneNode* child : children)
            child->DrawNode(1, world, pass);
    VertexCache.assign(vertices.size(), CachedVertex{});
    for (size_t i = 0; i < vertices.size(); i++) {
        FixedVector p;
        TransformPoint(world, vertices[i].position, p);
        hooks.toViewFrame(p, VertexCache[i].view);
    }
    if (hooks.deviceNotReady())
        return 1;
    hooks.resetViewMatrix();
    FixedMatrix toView;
    ViewMatrixOf(world.matrix, toView);
    size_t firstFace = 0;
    for (size_t p = 0; p < parts.size(); p++) {
        const NodePart& part = parts[p];
        if (p == firstBlended)
            hooks.setBlending(1);
        hooks.beginWorldBatch(part.material);
        const size_t faceEnd = std::min(faces.size(), firstFace + size_t(part.faceCount));
        for (size_t f = firstFace; f < faceEnd; f++) {
            const BuiltFace& face = faces[f];
            if (face.vertex[0] >= vertices.size() || face.vertex[1] >= vertices.size() ||
                face.vertex[2] >= vertices.size())
                continue;
            if (BackFacing(face, toView, VertexCache[face.vertex[0]].view))
                continue;
            int index[3];
            for (int k = 0; k < 3; k++) {
                CachedVertex& cached = VertexCache[face.vertex[k]];
                if (cached.batchIndex < 0) {
                    const BuiltVertex& v = vertices[face.vertex[k]];
                    FixedVector normal;
                    RotateVector(toView, v.normal, normal);
                    uint8_t colour[4];
                    const uint32_t lit = hooks.lightVertex(CellBytes(v, colour), normal, v.flags >> 6);
                    cached.batchIndex = hooks.addWorldVertex(FixedToMetres(cached.view.x), FixedToMetres(cached.view.y),
                                                             FixedToMetres(cached.view.z), v.u, v.v, lit);
                }
                index[k] = cached.batchIndex;
            }
            hooks.addBatchTriangle(index[0], index[1], index[2]);
        }
        hooks.endWorldBatch();
        firstFace += size_t(part.faceCount);
    }
    if (firstBlended != 255)
        hooks.setBlending(0);
    hooks.restoreViewMatrix();
    return 1;
}

void MeshNode::DrawNodeLit(const FixedTransform& parent, const FixedTransform* matrices, int count)
{
    const WorldDrawHooks& hooks = GetWorldDrawHooks();
    if (hooks.depthShifted()) {
        DrawNodeDepthShifted(0, parent, matrices, count, 0);
        return;
    }
    if (hooks.deviceNotReady())
        return;
    std::vector<FixedTransform> placed(size_t(count > 0 ? count : 0));
    for (int i = 0; i < count; i++)
        ComposeTransform(parent, matrices[i], placed[size_t(i)]);
    int ambient[3], first[3], second[3], shift;
    FixedVector firstDirection, secondDirection;
    hooks.figureLights(ambient, first, firstDirection, second, secondDirection, shift);
    hooks.resetViewMatrix();
    size_t firstVertex = 0, firstFace = 0;
    for (const NodePart& part : parts) {
        hooks.beginWorldBatch(part.material);
        const size_t vertexEnd = std::min(vertices.size(), firstVertex + size_t(part.vertexCount));
        int base = -1;
        for (size_t i = firstVertex; i < vertexEnd; i++) {
            const BuiltVertex& v = vertices[i];
            const FixedTransform& m = v.matrixIndex < placed.size() ? placed[v.matrixIndex] : parent;
            FixedVector p, view, normal;
            TransformPoint(m, v.position, p);
            hooks.toViewFrame(p, view);
            FixedMatrix toView;
            ViewMatrixOf(m.matrix, toView);
            RotateVector(toView, v.normal, normal);
            // A half-Lambert first light and a plain second light.
            const int64_t d1 = Dot64(normal, firstDirection) >> 16, d2 = Dot64(normal, secondDirection) >> 16;
            uint8_t cell[4];
            CellBytes(v, cell);
            uint32_t colour = 0xFF000000u;
            for (int c = 0; c < 3; c++) {
                int64_t channel = (int64_t(ambient[c]) << 16) + first[c] * ((d1 + 65536) / 2);
                if (d2 > 0)
                    channel += second[c] * d2;
                channel = (channel >> 16) * cell[c] >> (shift + 8);
                channel = channel < 0 ? 0 : channel > 255 ? 255 : channel;
                colour |= uint32_t(channel) << (16 - 8 * c);
            }
            const int index = hooks.addWorldVertex(FixedToMetres(view.x), FixedToMetres(view.y), FixedToMetres(view.z),
                                                   v.u, v.v, colour);
            if (i == firstVertex)
                base = index;
        }
        const size_t faceEnd = std::min(faces.size(), firstFace + size_t(part.faceCount));
        const int move = base - static_cast<int>(firstVertex);
        for (size_t f = firstFace; f < faceEnd; f++)
            hooks.addBatchTriangle(faces[f].vertex[0] + move, faces[f].vertex[1] + move, faces[f].vertex[2] + move);
        hooks.endWorldBatch();
        firstVertex += size_t(part.vertexCount);
        firstFace += size_t(part.faceCount);
    }
    hooks.restoreViewMatrix();
}

void MeshNode::DrawNodeDepthShifted(int drawChildren, const FixedTransform& parent, const FixedTransform* matrices,
                                    int count, int substitute)
{
    const WorldDrawHooks& hooks = GetWorldDrawHooks();
    Compose(parent, local, world);
    if (drawChildren)
        for (SceneNode* child : children)
            child->DrawNodeDepthShifted(1, world, matrices, count, substitute);
    if (hooks.deviceNotReady())
        return;
    std::vector<CachedVertex> cache(vertices.size());
    std::vector<FixedMatrix> toView(vertices.size());
    for (size_t i = 0; i < vertices.size(); i++) {
        FixedTransform m = world;
        if (matrices && vertices[i].matrixIndex < count)
            ComposeTransform(parent, matrices[vertices[i].matrixIndex], m);
        FixedVector p;
        TransformPoint(m, vertices[i].position, p);
        hooks.toViewFrame(p, cache[i].view);
        ViewMatrixOf(m.matrix, toView[i]);
    }
    hooks.resetViewMatrix();
    FixedMatrix faceView;
    ViewMatrixOf(world.matrix, faceView);
    size_t firstFace = 0;
    for (size_t p = 0; p < parts.size(); p++) {
        const NodePart& part = parts[p];
        if (p == firstBlended)
            hooks.setBlending(1);
        const Material* material = substitute && (part.flags & NodePartCarTexture) ? hooks.defaultMaterial() : part.material;
        hooks.beginWorldBatch(material);
        const size_t faceEnd = std::min(faces.size(), firstFace + size_t(part.faceCount));
        for (size_t f = firstFace; f < faceEnd; f++) {
            const BuiltFace& face = faces[f];
            if (face.vertex[0] >= vertices.size() || face.vertex[1] >= vertices.size() ||
                face.vertex[2] >= vertices.size())
                continue;
            if (!matrices && BackFacing(face, faceView, cache[face.vertex[0]].view))
                continue;
            int index[3];
            for (int k = 0; k < 3; k++) {
                CachedVertex& cached = cache[face.vertex[k]];
                if (cached.batchIndex < 0) {
                    const BuiltVertex& v = vertices[face.vertex[k]];
                    FixedVector normal;
                    RotateVector(toView[face.vertex[k]], v.normal, normal);
                    uint8_t colour[4];
                    cached.batchIndex = hooks.addWorldVertex(FixedToMetres(cached.view.x), FixedToMetres(cached.view.y),
                                                             FixedToMetres(cached.view.z) + DepthShift, v.u, v.v,
                                                             hooks.vertexColour(CellBytes(v, colour), normal));
                }
                index[k] = cached.batchIndex;
            }
            hooks.addBatchTriangle(index[0], index[1], index[2]);
        }
        hooks.endWorldBatch();
        firstFace += size_t(part.faceCount);
    }
    if (firstBlended != 255)
        hooks.setBlending(0);
    hooks.restoreViewMatrix();
}
