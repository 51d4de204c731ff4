// Mesh node trees, lit meshes, bounds and physics bodies built from object
// models, and the materials their surfaces are drawn with.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "world/hooks.h"
#include "world/local.h"
#include "world/model_nodes.h"

namespace {

// Material request modes.
constexpr int SolidMode = 0, PlainMode = 1, CarMode = 2, CarSkinMode = 3;

bool PartSelected(const ModelTriangle& t, uint32_t mask) { return (mask >> (t.part & 31)) & 1u; }

// Fills the node fields every build starts with: kind, transform, band.
void StartNode(ObjectModel& model, SceneNode& node, int level)
{
    node.kind = model.kind;
    node.firstBlended = 255;
    node.alphaTest = 0;
    node.local.translation = model.offset;
    RotationZXY(node.local.matrix, model.heading, model.pitch, model.roll);
    const int l = std::clamp(level, 0, MaxModelLevels - 1);
    node.farDistance = Fixed(model.levelDistance[l]);
    node.nearDistance = Fixed(l > 0 ? model.levelDistance[l - 1] : 0);
}

// Merges a sub-model's lit mesh into the target: vertices and faces of a
// material the target has go after that part's own, others are appended.
void MergeLitMesh(LitMesh& target, const LitMesh& source)
{
    size_t sourceVertex = 0, sourceTriangle = 0;
    for (const LitMeshPart& part : source.parts) {
        size_t targetVertex = 0, targetTriangle = 0;
        size_t found = target.parts.size();
        for (size_t i = 0; i < target.parts.size(); i++) {
            if (target.parts[i].material == part.material) {
                found = i;
                targetVertex += size_t(target.parts[i].vertexCount);
                targetTriangle += size_t(target.parts[i].triangleCount);
                break;
            }
            targetVertex += size_t(target.parts[i].vertexCount);
            targetTriangle += size_t(target.parts[i].triangleCount);
        }
        const int shift = static_cast<int>(targetVertex) - static_cast<int>(sourceVertex);
        const int count = part.vertexCount;
        // Later faces' indices move up by the inserted vertices.
        for (size_t t = targetTriangle * 3; t < target.triangles.size(); t++)
            if (target.triangles[t] >= static_cast<int32_t>(targetVertex))
                target.triangles[t] += count;
        target.vertices.insert(target.vertices.begin() + static_cast<long>(targetVertex),
                               source.vertices.begin() + static_cast<long>(sourceVertex),
                               source.vertices.begin() + static_cast<long>(sourceVertex + size_t(count)));
        std::vector<int32_t> added;
        for (size_t t = sourceTriangle * 3; t < (sourceTriangle + size_t(part.triangleCount)) * 3; t++)
            added.push_back(source.triangles[t] + shift);
        target.triangles.insert(target.triangles.begin() + static_cast<long>(targetTriangle * 3), added.begin(), added.end());
        if (found < target.parts.size()) {
            target.parts[found].vertexCount += count;
            target.parts[found].triangleCount += part.triangleCount;
        } else {
            target.parts.push_back(part);
        }
        sourceVertex += size_t(count);
        sourceTriangle += size_t(part.triangleCount);
    }
}

void AddSolidSubModel(ObjectModel& sub, LitMesh& target, const FixedTransform& parent, const FixedMatrix& parentNormal,
                      int level, int row)
{
    FixedTransform own;
    RotationZXY(own.matrix, sub.heading, sub.pitch, sub.roll);
    own.translation = sub.offset;
    FixedTransform combined;
    ComposeTransform(parent, own, combined);
    FixedMatrix normal;
    MultiplyMatrix(parentNormal, own.matrix, normal);
    LitMesh part;
    BuildSolidModel(sub, part, combined, normal, level, row);
    MergeLitMesh(target, part);
}

int LimitTo(int value, int last) { return std::clamp(value, 0, std::max(last, 0)); }

} // namespace

void LoadModelTextures(ObjectModel& model, int solid, int car, int skinIndex, uint32_t partMask)
{
    std::vector<uint8_t> usedColumn(size_t(std::max(model.grid.columns, 0)), 0);
    for (const ModelTriangle& t : model.triangles)
        if (t.level >= 0 && PartSelected(t, partMask) && t.column < usedColumn.size())
            usedColumn[t.column] = 1;
    std::vector<uint8_t> usedSurface(model.surfaces.size(), 0);
    for (size_t c = 0; c < usedColumn.size(); c++) {
        if (!usedColumn[c] || model.grid.rows <= 0)
            continue;
        const uint16_t mapping = model.grid.At(0, static_cast<int>(c)).mapping;
        if (mapping >= model.mappings.size())
            continue;
        for (int32_t s : model.mappings[mapping].surface)
            if (s >= 0 && static_cast<size_t>(s) < usedSurface.size())
                usedSurface[size_t(s)] = 1;
    }
    const int mode = solid ? SolidMode : car ? CarMode : PlainMode;
    const WorldDrawHooks& hooks = GetWorldDrawHooks();
    for (size_t i = 0; i < model.surfaces.size(); i++) {
        ModelSurface& surface = model.surfaces[i];
        if (!usedSurface[i])
            continue;
        surface.flags &= 1;
        const ModelTexture* texture = surface.texture < model.textures.size() ? &model.textures[surface.texture] : nullptr;
        const char* name = texture ? texture->name : "";
        int environment = 0, request = mode;
        if (mode == CarMode && !(surface.flags & 1)) {
            if (std::strlen(name) > 5 && EndsWithAscii(name, "ATEST"))
                surface.flags |= 1;
            else
                environment = 1;
        }
        if (mode == CarMode && texture && (texture->flags & 1)) {
            surface.flags |= 0x80;
            request = CarSkinMode;
        }
        if (mode == PlainMode && !(surface.flags & 1))
            surface.flags |= 0x40;
        surface.material = hooks.getMaterialTexture(name, request, environment, skinIndex, &surface.sky);
    }
}

int32_t BuildModelMeshNode(ObjectModel& model, MeshNode& node, int level, int childMode, int row, int32_t scaleX,
                           int32_t scaleYZ, uint32_t partMask)
{
    model.lastNode = &node;
    StartNode(model, node, level);
    if (level >= 0 && level < model.levelCount && !model.noOwnMesh)
        BuildModelMesh(model, &node, nullptr, nullptr, nullptr, scaleX, scaleYZ, level, row, partMask);
    if (childMode == 1 || childMode == 2) {
        for (ObjectModel& sub : model.subModels) {
            const int subLevel = LimitTo(level, sub.levelCount - 1);
            const int subRow = LimitTo(row, sub.grid.rows - 1);
            LoadModelTextures(sub, 0, childMode == 2, 0, partMask);
            auto build = [&] {
                auto* child = new MeshNode;
                child->ResetNode();
                node.children.push_back(child);
                BuildModelMeshNode(sub, *child, subLevel, childMode, subRow, scaleX, scaleYZ, partMask);
            };
            if (sub.flags & ModelFlagMirrorTwin) {
                MirrorObjectModel(sub);
                build();
                MirrorObjectModel(sub);
            }
            build();
        }
    }
    return node.ComputeNodeRadius();
}

int BuildSolidModel(ObjectModel& model, LitMesh& lit, const FixedTransform& transform, const FixedMatrix& normalMatrix,
                    int level, int row)
{
    if (level < 0 || level >= model.levelCount)
        return 0;
    if (!model.noOwnMesh)
        BuildModelMesh(model, nullptr, &lit, &transform, &normalMatrix, 65536, 65536, level, row, AllModelParts);
    for (ObjectModel& sub : model.subModels) {
        const int subLevel = LimitTo(level, sub.levelCount - 1);
        const int subRow = LimitTo(row, sub.grid.rows - 1);
        LoadModelTextures(sub, 1, 0, 0, AllModelParts);
        if (sub.flags & ModelFlagMirrorTwin) {
            MirrorObjectModel(sub);
            AddSolidSubModel(sub, lit, transform, normalMatrix, subLevel, subRow);
            MirrorObjectModel(sub);
        }
        AddSolidSubModel(sub, lit, transform, normalMatrix, subLevel, subRow);
    }
    if (!model.points.empty()) {
        int32_t low = INT32_MAX, high = INT32_MIN;
        for (const ModelPoint& p : model.points) {
            low = std::min(low, p.position.z.raw);
            high = std::max(high, p.position.z.raw);
        }
        if (int64_t(high) - low <= 64)
            for (LitMeshPart& part : lit.parts)
                if (part.material)
                    GetWorldDrawHooks().setFlatTextureMode(part.material);
    }
    return 1;
}

void ComputeModelBounds(ObjectModel& model, FixedVector& centre, int32_t& radius)
{
    int32_t low[3] = {INT32_MAX, INT32_MAX, INT32_MAX}, high[3] = {INT32_MIN, INT32_MIN, INT32_MIN};
    bool any = false;
    auto take = [&](int32_t x, int32_t y, int32_t z) {
        const int32_t v[3] = {x, y, z};
        for (int k = 0; k < 3; k++) {
            low[k] = std::min(low[k], v[k]);
            high[k] = std::max(high[k], v[k]);
        }
        any = true;
    };
    for (const ModelTriangle& t : model.triangles) {
        for (uint16_t reference : t.points) {
            const ModelPoint& p = model.points[reference & PointIndexMask];
            take(p.position.x.raw, p.position.y.raw, p.position.z.raw);
            if (p.flags & PointFlagTwin)
                take((-p.position.x).raw, p.position.y.raw, p.position.z.raw);
        }
    }
    if (!any) {
        centre = ZeroVector;
        radius = 0;
        return;
    }
    centre = MakeFixedVector(static_cast<int32_t>((int64_t(low[0]) + high[0]) >> 1),
                             static_cast<int32_t>((int64_t(low[1]) + high[1]) >> 1),
                             static_cast<int32_t>((int64_t(low[2]) + high[2]) >> 1));
    const double dx = double(high[0]) - low[0], dy = double(high[1]) - low[1], dz = double(high[2]) - low[2];
    const double length = std::nearbyint(static_cast<float>(std::sqrt(dx * dx + dy * dy + dz * dz)));
    radius = static_cast<int32_t>(std::min(length, 4294967294.0) / 2);
}

void BuildPhysicsLodModel(ObjectModel& model, PhysicsLodModel& physics, int level, int row, uint32_t partMask)
{
    StartNode(model, physics, level);
    const size_t pointCount = model.points.size();
    std::vector<int> firstVertex(pointCount, -1);
    for (const ModelTriangle& t : model.triangles)
        if (t.level == level && PartSelected(t, partMask))
            for (uint16_t reference : t.points)
                firstVertex[reference & PointIndexMask] = 0;
    for (size_t i = 0; i < pointCount; i++) {
        if (firstVertex[i] < 0)
            continue;
        const ModelPoint& point = model.points[i];
        firstVertex[i] = static_cast<int>(physics.vertices.size());
        PhysicsVertex v;
        v.position = point.position;
        physics.vertices.push_back(v);
        if (point.flags & PointFlagTwin) {
            v.position.x = -v.position.x;
            physics.vertices.push_back(v);
        }
    }
    auto vertexOf = [&](uint16_t reference, bool twin) {
        const int index = reference & PointIndexMask;
        const bool hasTwin = (model.points[size_t(index)].flags & PointFlagTwin) != 0;
        return firstVertex[size_t(index)] + (hasTwin && twin ? 1 : 0);
    };
    auto addFace = [&](const ModelTriangle& t, int a, int b, int c) {
        PhysicsFace face;
        face.vertex[0] = a;
        face.vertex[1] = b;
        face.vertex[2] = c;
        face.part = t.part;
        const int rows = model.grid.rows;
        face.cell = rows > 0 && t.column < model.grid.columns ? &model.grid.At(std::clamp(row, 0, rows - 1), t.column) : nullptr;
        const FixedVector& p0 = physics.vertices[size_t(a)].position;
        const FixedVector& p1 = physics.vertices[size_t(b)].position;
        const FixedVector& p2 = physics.vertices[size_t(c)].position;
        const double ux = (double(p1.x.raw) - p0.x.raw) / 65536, uy = (double(p1.y.raw) - p0.y.raw) / 65536,
                     uz = (double(p1.z.raw) - p0.z.raw) / 65536;
        const double vx = (double(p2.x.raw) - p0.x.raw) / 65536, vy = (double(p2.y.raw) - p0.y.raw) / 65536,
                     vz = (double(p2.z.raw) - p0.z.raw) / 65536;
        const double nx = uy * vz - uz * vy, ny = uz * vx - ux * vz, nz = ux * vy - uy * vx;
        const double length = std::sqrt(nx * nx + ny * ny + nz * nz);
        const double k = length >= 0.000001 ? 65536.0 / length : 65536.0;
        face.normal = MakeFixedVector(static_cast<int32_t>(std::nearbyint(nx * k)), static_cast<int32_t>(std::nearbyint(ny * k)),
                                      static_cast<int32_t>(std::nearbyint(nz * k)));
        physics.faces.push_back(face);
    };
    for (const ModelTriangle& t : model.triangles) {
        if (t.level != level || !PartSelected(t, partMask))
            continue;
        const int a = vertexOf(t.points[0], t.points[0] & PointTwinBit), b = vertexOf(t.points[1], t.points[1] & PointTwinBit),
                  c = vertexOf(t.points[2], t.points[2] & PointTwinBit);
        addFace(t, a, b, c);
        if (t.flags & TriangleFlagSymmetric)
            addFace(t, vertexOf(t.points[2], true), vertexOf(t.points[1], true), vertexOf(t.points[0], true));
    }
}

const char* CheckPhysicsLod(ObjectModel& model, RigidBody& body, int32_t scale, uint32_t partMask)
{
    PhysicsLodModel physics;
    physics.ResetNode();
    BuildPhysicsLodModel(model, physics, model.levelCount - 1, 0, partMask);
    const char* result = ": OK";
    if (physics.vertices.empty())
        result = ": No physics - No points in lowest LOD";
    else if (physics.faces.empty())
        result = ": No physics - No triangles in lowest LOD";
    else if (physics.vertices.size() > MaxPhysicsPoints)
        result = ": No physics - More than 24 vertices in lowest LOD";
    else if (physics.faces.size() > MaxPhysicsFaces)
        result = ": No physics - More than 42 triangles in lowest LOD";
    if (std::strcmp(result, ": OK") == 0) {
        FreeBody(body);
        body.pointCount = static_cast<int32_t>(physics.vertices.size());
        body.points = new ContactPoint[size_t(body.pointCount)];
        const double factor = double(scale) / 65536.0 / 65536.0;
        for (int i = 0; i < body.pointCount; i++) {
            ContactPoint& point = body.points[i];
            const FixedVector& p = physics.vertices[size_t(i)].position;
            point.local = {static_cast<float>(p.x.raw * factor), static_cast<float>(p.y.raw * factor),
                           static_cast<float>(p.z.raw * factor)};
            InitContactPoint(point);
        }
        body.faceCount = static_cast<int32_t>(physics.faces.size());
        body.faces = new BodyFace[size_t(body.faceCount)];
        for (int f = 0; f < body.faceCount; f++) {
            const PhysicsFace& face = physics.faces[size_t(f)];
            BodyFace& out = body.faces[f];
            out.localNormal = {FixedToMetres(face.normal.x), FixedToMetres(face.normal.y), FixedToMetres(face.normal.z)};
            out.worldNormal = out.localNormal;
            for (int k = 0; k < 3; k++)
                out.corners[k] = &body.points[face.vertex[k]];
        }
    }
    DestroySceneNodeTree(physics);
    return result;
}

int BuildSharedModelNode(SharedModel& record)
{
    if (record.kind != 0 || !record.model)
        return 0;
    FreeSharedModelNode(record);
    auto* node = new MeshNode;
    node->ResetNode();
    const int32_t scale = static_cast<int32_t>(std::nearbyint(double(record.scale) * 65536.0));
    LoadModelTextures(*record.model, 0, 0, 0, AllModelParts);
    BuildModelMeshNode(*record.model, *node, 0, 0, 0, scale, scale, AllModelParts);
    record.node = node;
    return 1;
}
