// Welding one level of an object model into shared vertices with smoothed
// normals, projecting texture coordinates and splitting the result into
// parts by surface, for a mesh node or a lit mesh.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <numbers>

#include "world/hooks.h"
#include "world/local.h"
#include "world/model_nodes.h"

namespace {

constexpr uint16_t NoVertex = 0xFFFF;
constexpr double Pi = std::numbers::pi;
// The surface pass restarts when a face straddles two surfaces; each
// restart settles one mapping, so a model needs at most one per mapping.
constexpr int MaxSurfaceRestarts = 4096;

struct BuildVertex {
    BuiltVertex v;
    FixedVector modelPosition;  // x negated for a twin: what the projection uses
    uint16_t next = NoVertex;   // next vertex of the point's chain
    int64_t accumulator[3] = {};  // the chain head's normal sum
    int outIndex = -1;          // index in the output while its surface is written
    int outSurface = -1;
};
struct BuildFace {
    BuiltFace f;
};

// The builder's scratch: one build at a time. Lives for the whole run.
struct BuildScratch {
    BuildVertex vertices[MaxBuildVertices];
    BuildFace faces[MaxBuildFaces];
    int vertexCount = 0, faceCount = 0;
    int row = 0;  // the cell row of the model being built
};
BuildScratch Scratch;

int32_t Scale16(int32_t v, int32_t s) { return FixedMul(Fixed(v), Fixed(s)).raw; }

struct Vec3d {
    double x, y, z;
};
Vec3d ToMetres(const FixedVector& v) { return {v.x.raw / 65536.0, v.y.raw / 65536.0, v.z.raw / 65536.0}; }
Vec3d Sub(const Vec3d& a, const Vec3d& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
Vec3d Cross(const Vec3d& a, const Vec3d& b)
{
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
double Dot(const Vec3d& a, const Vec3d& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
double Length(const Vec3d& a) { return std::sqrt(Dot(a, a)); }

int32_t RoundToInt(double v)
{
    if (!(v == v))
        return 0;
    const double r = std::nearbyint(v);
    return r >= 2147483647.0 ? INT32_MAX : r <= -2147483648.0 ? INT32_MIN : static_cast<int32_t>(r);
}

// A vector scaled to length 65536, rounded; the zero vector when it is
// shorter than the minimum.
FixedVector UnitOf(const Vec3d& v, double minimum)
{
    const double length = Length(v);
    if (!(length >= minimum) || !(length > 0))
        return ZeroVector;
    const double k = 65536.0 / length;
    return MakeFixedVector(RoundToInt(v.x * k), RoundToInt(v.y * k), RoundToInt(v.z * k));
}

bool PartSelected(const ModelTriangle& t, uint32_t mask) { return (mask >> (t.part & 31)) & 1u; }

const GridCell* CellAt(const ObjectModel& model, int row, int column)
{
    if (model.grid.rows <= 0 || column >= model.grid.columns)
        return nullptr;
    row = std::clamp(row, 0, model.grid.rows - 1);
    return &model.grid.At(row, column);
}

// The build vertex of a triangle corner: the member of the point's chain for
// that side with the triangle's cell, or a new one at the chain's end.
int CornerVertex(ObjectModel& model, const ModelTriangle& t, int pointIndex, int side, int32_t scaleX,
                 int32_t scaleYZ)
{
    ModelPoint& point = model.points[size_t(pointIndex)];
    const GridCell* cell = CellAt(model, Scratch.row, t.column);
    uint16_t& head = point.build[side];
    uint16_t last = NoVertex;
    for (uint16_t i = head; i != NoVertex; i = Scratch.vertices[i].next) {
        if (Scratch.vertices[i].v.cell == cell)
            return i;
        last = i;
    }
    const int index = Scratch.vertexCount++;
    BuildVertex& made = Scratch.vertices[index];
    made = BuildVertex{};
    FixedVector p = point.position;
    if (side)
        p.x = -p.x;
    made.modelPosition = p;
    made.v.position = MakeFixedVector(Scale16(p.x.raw, scaleX), Scale16(p.y.raw, scaleYZ), Scale16(p.z.raw, scaleYZ));
    const GridCell* rowZero = CellAt(model, 0, t.column);
    made.v.mapping = static_cast<uint8_t>(rowZero ? rowZero->mapping : 0);
    made.v.flags = static_cast<uint8_t>((point.flags & 0xC0) | side);
    made.v.cell = cell;
    if (last != NoVertex) {
        Scratch.vertices[last].next = static_cast<uint16_t>(index);
    } else {
        head = static_cast<uint16_t>(index);
        if (point.flags & PointFlagSharedTwin)
            point.build[0] = point.build[1] = static_cast<uint16_t>(index);
    }
    return index;
}

void AddModelFace(ObjectModel& model, const ModelTriangle& t, bool mirrored, int32_t scaleX, int32_t scaleYZ)
{
    int point[3], side[3], vertex[3];
    for (int k = 0; k < 3; k++) {
        const uint16_t reference = t.points[mirrored ? 2 - k : k];
        point[k] = reference & PointIndexMask;
        side[k] = (reference & PointTwinBit) || mirrored ? 1 : 0;
        vertex[k] = CornerVertex(model, t, point[k], side[k], scaleX, scaleYZ);
    }
    BuildFace& face = Scratch.faces[Scratch.faceCount++];
    face = BuildFace{};
    for (int k = 0; k < 3; k++)
        face.f.vertex[k] = static_cast<uint16_t>(vertex[2 - k]);
    face.f.cell = CellAt(model, Scratch.row, t.column);
    Vec3d corner[3];
    for (int k = 0; k < 3; k++)
        corner[k] = ToMetres(Scratch.vertices[vertex[k]].v.position);
    Vec3d n = Cross(Sub(corner[1], corner[0]), Sub(corner[2], corner[1]));
    face.f.normal = UnitOf(n, 0.000001);
    const double length = Length(n);
    if (length > 8192.0)
        n = {n.x * 8192.0 / length, n.y * 8192.0 / length, n.z * 8192.0 / length};
    if (t.smoothing > 1)
        n = {n.x * t.smoothing, n.y * t.smoothing, n.z * t.smoothing};
    for (int k = 0; k < 3; k++) {
        BuildVertex& head = Scratch.vertices[model.points[size_t(point[k])].build[side[k]]];
        if (t.smoothing != 0 && head.v.smoothing == 0) {
            head.accumulator[0] = head.accumulator[1] = head.accumulator[2] = 0;
            head.v.smoothing = 1;
        } else if (t.smoothing == 0 && head.v.smoothing != 0) {
            continue;
        }
        const Vec3d out = Sub(corner[(k + 1) % 3], corner[k]);
        const Vec3d in = Sub(corner[k], corner[(k + 2) % 3]);
        const double edges = Length(out) * Length(in);
        if (!(edges >= 0.000001))
            continue;
        const double cosine = std::clamp(Dot(out, in) / edges, -1.0, 1.0);
        const double weight = (Pi - std::acos(cosine)) * 65536.0;
        head.accumulator[0] += RoundToInt(n.x * weight);
        head.accumulator[1] += RoundToInt(n.y * weight);
        head.accumulator[2] += RoundToInt(n.z * weight);
    }
}

// Each chain head's sum becomes its unit normal, shared by its chain.
void FinishGroupNormals(ObjectModel& model)
{
    for (ModelPoint& point : model.points) {
        for (int side = 0; side < 2; side++) {
            if (side == 1 && point.build[1] == point.build[0])
                break;
            const uint16_t first = point.build[side];
            if (first == NoVertex)
                continue;
            BuildVertex& head = Scratch.vertices[first];
            const Vec3d sum = {double(head.accumulator[0]), double(head.accumulator[1]), double(head.accumulator[2])};
            const FixedVector normal = std::nearbyint(Length(sum)) > 15 ? UnitOf(sum, 0) : ZeroVector;
            for (uint16_t i = first; i != NoVertex; i = Scratch.vertices[i].next)
                Scratch.vertices[i].v.normal = normal;
        }
    }
}

// Projection kinds 1, 2, 5 and 6 of a mapping whose s range lies on one
// side of zero are marked, so that the mirrored side's s is turned back.
void MarkOneSidedMappings(ObjectModel& model)
{
    for (TextureMapping& m : model.mappings) {
        const bool flat = m.kind == 1 || m.kind == 2 || m.kind == 5 || m.kind == 6;
        const bool straddles = m.sMin != 0 && m.sMax != 0 && ((m.sMin < 0) != (m.sMax < 0));
        if (flat && !straddles)
            m.mark = 1;
    }
}

uint8_t PartFlagsOf(const ObjectModel& model, const ModelSurface& surface, MeshNode* node, int partCount)
{
    uint8_t flags = 0;
    const char* name = surface.texture < model.textures.size() ? model.textures[surface.texture].name : "";
    if (std::strlen(name) > 5 && (EndsWithAscii(name, "DUZEZ") || EndsWithAscii(name, "ALP15") ||
                                  EndsWithAscii(name, "ALP24"))) {
        flags = NodePartBlended;
        if (node && node->firstBlended == 255)
            node->firstBlended = static_cast<uint8_t>(partCount);
    }
    if (node && std::strlen(name) > 5 && EndsWithAscii(name, "ATEST"))
        node->alphaTest = 1;
    if (surface.sky)
        flags |= NodePartSky;
    return static_cast<uint8_t>(flags | (surface.flags & 0xE0));
}

uint32_t Argb(uint8_t r, uint8_t g, uint8_t b) { return 0xFF000000u | uint32_t(r) << 16 | uint32_t(g) << 8 | b; }

// A lit mesh vertex: position through the solid transform, normal through
// the normal matrix (straight up for a cell with flags bit 2), lit colour.
LitVertex StoreBuiltVertex(const BuiltVertex& v, const FixedTransform& transform, const FixedMatrix& normalMatrix)
{
    LitVertex out;
    TransformPoint(transform, v.position, out.position);
    out.u = v.u;
    out.v = v.v;
    FixedVector normal = MakeFixedVector(0, 0, 65536);
    if (!(v.cell && (v.cell->flags & 4)))
        RotateVector(normalMatrix, v.normal, normal);
    out.normal = {FixedToMetres(normal.x), FixedToMetres(normal.y), FixedToMetres(normal.z)};
    uint8_t colour[4] = {255, 255, 255, 0};
    if (v.cell) {
        colour[0] = v.cell->red;
        colour[1] = v.cell->green;
        colour[2] = v.cell->blue;
        colour[3] = v.cell->flags;
    }
    LightVertex(out, colour, normal, v.flags >> 6);
    return out;
}

} // namespace

void LitMesh::Free()
{
    vertices = {};
    triangles = {};
    parts = {};
    nearest = 0;
    farthest = -1;
}

void LightVertex(LitVertex& vertex, const uint8_t colour[4], const FixedVector& normal, int shadeShift)
{
    if (colour[3] & 1) {
        vertex.litColour = vertex.shadowColour = Argb(colour[0], colour[1], colour[2]);
        return;
    }
    const WorldLightValues& light = MutableLoadedWorld.light;
    const int64_t h = (int64_t(normal.z.raw) + 65536) / 2;
    int64_t base[3];
    for (int c = 0; c < 3; c++)
        base[c] = (light.ground[c] + ((light.skyExtra[c] * h) >> 16)) >> 1;
    const FixedVector& l = light.lightDirection;
    const int64_t d = (int64_t(normal.x.raw) * l.x.raw + int64_t(normal.y.raw) * l.y.raw + int64_t(normal.z.raw) * l.z.raw) >> 16;
    const int s = 7 + shadeShift + light.colourShift;
    uint8_t lit[3], shadow[3];
    for (int c = 0; c < 3; c++) {
        const int64_t b = std::clamp<int64_t>(base[c], 0, 255);
        const int64_t sun = d > 0 ? std::clamp<int64_t>((d * light.sunLevel[c]) >> 16, 0, 255) : 0;
        shadow[c] = static_cast<uint8_t>(std::clamp<int64_t>((b * colour[c]) >> s, 0, 255));
        lit[c] = static_cast<uint8_t>(std::clamp<int64_t>((std::min<int64_t>(b + sun, 255) * colour[c]) >> s, 0, 255));
    }
    vertex.litColour = Argb(lit[0], lit[1], lit[2]);
    vertex.shadowColour = Argb(shadow[0], shadow[1], shadow[2]);
}

void ComputeMappedTexCoords(BuiltVertex& vertex, const FixedVector& p, const TextureMapping& mapping,
                            const ModelSurface& surface)
{
    // In 16.16 values, whose sums, differences and negations wrap as the
    // 32-bit registers they model do, whatever the positions and ranges a
    // model file holds.
    Fixed s, t;
    switch (mapping.kind) {
    case 1: s = -p.x; t = p.z; break;
    case 2: s = p.x; t = p.z; break;
    case 3: s = p.y; t = p.z; break;
    case 4: s = -p.y; t = p.z; break;
    case 5: s = p.x; t = p.y; break;
    case 6: s = -p.x; t = p.y; break;
    default: break;
    }
    const Fixed cs(static_cast<int32_t>((int64_t(mapping.sMin) + mapping.sMax) / 2));
    const Fixed ct(static_cast<int32_t>((int64_t(mapping.tMin) + mapping.tMax) / 2));
    if (mapping.mark && ((s.raw ^ cs.raw) & (1 << 27)))
        s = -s;
    if (mapping.rotation != 0) {
        const DegreePair& r = DegreeTable[static_cast<uint8_t>(mapping.rotation)];
        const Fixed ds = s - cs, dt = t - ct;
        const Fixed nt = ct + FixedMul(dt, r.cosine) + FixedMul(ds, r.sine);
        const Fixed ns = cs + FixedMul(ds, r.cosine) - FixedMul(dt, r.sine);
        s = ns;
        t = nt;
    }
    const float scaleS = surface.scaleS / 64.0f, scaleT = surface.scaleT / 64.0f;
    const float offsetS = surface.offsetS / 64.0f, offsetT = surface.offsetT / 64.0f;
    const double sRange = double(mapping.sMax) - mapping.sMin, tRange = double(mapping.tMax) - mapping.tMin;
    const float u = sRange != 0 ? static_cast<float>((double(s.raw) - mapping.sMin) * scaleS / sRange) + offsetS : 0.0f;
    const float v =
        tRange != 0 ? 1.0f - (static_cast<float>((double(t.raw) - mapping.tMin) * scaleT / tRange) + offsetT) : 0.0f;
    const TextureOrientation& o = TextureOrientations[surface.orientation & 7];
    vertex.u = o.a * u + o.b * v + o.e;
    vertex.v = o.c * u + o.d * v + o.f;
}

namespace {

// Welds the selected triangles of one level, group by group, into the
// scratch vertices and faces with smoothed normals; a symmetric triangle
// adds its mirrored twin.
void WeldModelLevel(ObjectModel& model, int level, int row, uint32_t partMask, int32_t scaleX, int32_t scaleYZ)
{
    Scratch.vertexCount = Scratch.faceCount = 0;
    Scratch.row = row;
    for (int g = 0; g < model.groupCount; g++) {
        for (ModelPoint& point : model.points)
            point.build[0] = point.build[1] = NoVertex;
        for (const ModelTriangle& t : model.triangles) {
            if (t.group != g || t.level != level || !PartSelected(t, partMask))
                continue;
            if (Scratch.faceCount > BuildFaceLimit || Scratch.vertexCount > BuildVertexLimit)
                break;
            AddModelFace(model, t, false, scaleX, scaleYZ);
            if (t.flags & TriangleFlagSymmetric)
                AddModelFace(model, t, true, scaleX, scaleYZ);
        }
        FinishGroupNormals(model);
    }
    for (ModelPoint& point : model.points)
        point.build[0] = point.build[1] = NoVertex;
}

// What one pass over the surfaces builds: a node's vertices, faces and
// parts, or a lit mesh's (its vertices through the solid's transform and
// normal matrix).
struct SurfacePass {
    MeshNode* node = nullptr;
    const FixedTransform* solidTransform = nullptr;
    const FixedMatrix* normalMatrix = nullptr;
    std::vector<BuiltVertex> outVertices;
    std::vector<BuiltFace> outFaces;
    std::vector<NodePart> outParts;
    std::vector<LitVertex> litVertices;
    std::vector<int32_t> litTriangles;
    std::vector<LitMeshPart> litParts;

    int VertexCount() const { return static_cast<int>(node ? outVertices.size() : litVertices.size()); }
    int PartCount() const { return static_cast<int>(node ? outParts.size() : litParts.size()); }
};

// Adds the scratch vertices whose mapping puts them on the surface, with
// their texture coordinates; returns how many.
int AddSurfaceVertices(ObjectModel& model, int surfaceIndex, SurfacePass& pass)
{
    const ModelSurface& surface = model.surfaces[size_t(surfaceIndex)];
    const int firstVertex = pass.VertexCount();
    for (int i = 0; i < Scratch.vertexCount; i++) {
        BuildVertex& b = Scratch.vertices[i];
        if (b.v.mapping >= model.mappings.size())
            continue;
        const TextureMapping& m = model.mappings[b.v.mapping];
        if (m.surface[b.v.flags & BuiltVertexTwin] != static_cast<int32_t>(surfaceIndex))
            continue;
        b.outSurface = surfaceIndex;
        b.outIndex = pass.VertexCount() - firstVertex;
        BuiltVertex v = b.v;
        ComputeMappedTexCoords(v, b.modelPosition, m, surface);
        if (pass.node)
            pass.outVertices.push_back(v);
        else
            pass.litVertices.push_back(StoreBuiltVertex(v, *pass.solidTransform, *pass.normalMatrix));
    }
    return pass.VertexCount() - firstVertex;
}

// Adds the faces whose three vertices lie on the surface; returns how
// many. A face with only some of its vertices there straddles two
// surfaces: the count stops and straddling names it.
int AddSurfaceFaces(int surfaceIndex, int firstVertex, const std::vector<uint8_t>& skipped, SurfacePass& pass,
                    int& straddling)
{
    int faceCount = 0;
    for (int f = 0; f < Scratch.faceCount; f++) {
        if (skipped[size_t(f)])
            continue;
        const BuiltFace& face = Scratch.faces[f].f;
        int here = 0;
        for (uint16_t index : face.vertex)
            here += Scratch.vertices[index].outSurface == surfaceIndex;
        if (here == 0)
            continue;
        if (here < 3) {
            straddling = f;
            break;
        }
        if (pass.node) {
            BuiltFace out = face;
            for (uint16_t& index : out.vertex)
                index = static_cast<uint16_t>(firstVertex + Scratch.vertices[index].outIndex);
            pass.outFaces.push_back(out);
        } else {
            // Lit meshes take the first, third and second vertex.
            const int order[3] = {0, 2, 1};
            for (int k : order)
                pass.litTriangles.push_back(firstVertex + Scratch.vertices[face.vertex[k]].outIndex);
        }
        faceCount++;
    }
    return faceCount;
}

// The surface's vertices and faces become a part, or lengthen the last
// part when that has the same material and flags.
void AddSurfacePart(const ModelSurface& surface, uint8_t flags, int vertexCount, int faceCount, SurfacePass& pass)
{
    if (pass.node) {
        std::vector<NodePart>& parts = pass.outParts;
        if (!parts.empty() && parts.back().material == surface.material && parts.back().flags == flags) {
            parts.back().vertexCount += vertexCount;
            parts.back().faceCount += faceCount;
        } else {
            parts.push_back({flags, surface.material, vertexCount, faceCount});
        }
    } else {
        std::vector<LitMeshPart>& parts = pass.litParts;
        const uint8_t litFlags = surface.sky ? 1 : 0;
        if (!parts.empty() && parts.back().material == surface.material && parts.back().flags == litFlags) {
            parts.back().vertexCount += vertexCount;
            parts.back().triangleCount += faceCount;
        } else {
            parts.push_back({litFlags, surface.material, vertexCount, faceCount});
        }
    }
}

// One pass over the surfaces with a material, in table order. Returns the
// first face found straddling two surfaces (the pass stops there), -1 when
// every face settled on one surface.
int RunSurfacePass(ObjectModel& model, const std::vector<uint8_t>& skipped, SurfacePass& pass)
{
    if (pass.node) {
        pass.node->firstBlended = 255;
        pass.node->alphaTest = 0;
    }
    for (int i = 0; i < Scratch.vertexCount; i++)
        Scratch.vertices[i].outIndex = Scratch.vertices[i].outSurface = -1;
    int straddling = -1;
    for (size_t si = 0; si < model.surfaces.size(); si++) {
        const ModelSurface& surface = model.surfaces[si];
        if (!surface.material)
            continue;
        const uint8_t flags = PartFlagsOf(model, surface, pass.node, pass.PartCount());
        const int firstVertex = pass.VertexCount();
        const int vertexCount = AddSurfaceVertices(model, static_cast<int>(si), pass);
        const int faceCount = AddSurfaceFaces(static_cast<int>(si), firstVertex, skipped, pass, straddling);
        if (straddling >= 0)
            return straddling;
        if (vertexCount != 0 || faceCount != 0)
            AddSurfacePart(surface, flags, vertexCount, faceCount, pass);
    }
    return -1;
}

// Settles a face that straddles two surfaces before the next pass: when
// its first vertex's mapping gives the mirrored side another surface, that
// side takes the own side's surface; a face whose vertices use different
// mappings cannot be settled this way and is left out, the rest kept.
void SettleStraddlingFace(ObjectModel& model, int straddling, std::vector<uint8_t>& skipped)
{
    const BuildVertex& first = Scratch.vertices[Scratch.faces[straddling].f.vertex[0]];
    if (first.v.mapping < model.mappings.size()) {
        TextureMapping& m = model.mappings[first.v.mapping];
        if (m.surface[1] != m.surface[0]) {
            m.surface[1] = m.surface[0];
            return;
        }
    }
    skipped[size_t(straddling)] = 1;
    LogPrintf("BuildModelMesh : face across surfaces left out : %.16s", model.name);
}

// Puts the pass's result in the node, or appends it to the lit mesh.
void StoreSurfacePass(SurfacePass& pass, LitMesh* lit)
{
    if (pass.node) {
        pass.node->vertices = std::move(pass.outVertices);
        pass.node->faces = std::move(pass.outFaces);
        pass.node->parts = std::move(pass.outParts);
        return;
    }
    const int base = static_cast<int>(lit->vertices.size());
    lit->vertices.insert(lit->vertices.end(), pass.litVertices.begin(), pass.litVertices.end());
    for (int32_t index : pass.litTriangles)
        lit->triangles.push_back(base + index);
    lit->parts.insert(lit->parts.end(), pass.litParts.begin(), pass.litParts.end());
}

} // namespace

int BuildModelMesh(ObjectModel& model, MeshNode* node, LitMesh* lit, const FixedTransform* solidTransform,
                   const FixedMatrix* normalMatrix, int32_t scaleX, int32_t scaleYZ, int level, int row,
                   uint32_t partMask)
{
    if (model.groupCount == 0 || (!node && (!lit || !solidTransform || !normalMatrix)))
        return 0;
    WeldModelLevel(model, level, row, partMask, scaleX, scaleYZ);
    MarkOneSidedMappings(model);
    // The surface pass starts again whenever a face straddles two surfaces,
    // until every face settles (or the restarts run out: the pass is kept
    // as it stands).
    std::vector<uint8_t> skipped(size_t(Scratch.faceCount), 0);
    for (int attempt = 0;; attempt++) {
        SurfacePass pass;
        pass.node = node;
        pass.solidTransform = solidTransform;
        pass.normalMatrix = normalMatrix;
        const int straddling = RunSurfacePass(model, skipped, pass);
        if (straddling >= 0 && attempt < MaxSurfaceRestarts) {
            SettleStraddlingFace(model, straddling, skipped);
            continue;
        }
        StoreSurfacePass(pass, lit);
        break;
    }
    for (TextureMapping& m : model.mappings)
        m.mark = 0;
    return 1;
}
