// Revolved shapes: a profile of (radius, height) points turned about the
// vertical axis, as stored in a world's shared models, and the six-sided
// collision hull their solid bands give a scenery object's body.
#include <algorithm>
#include <cmath>

#include "world/local.h"

namespace {

constexpr double Pi = 3.14159265358979323846;
// Bytes of a band whose two indexes differ; equal indexes are followed by
// two 32-bit words that replace them.
constexpr int BandBytes = 8;
constexpr int BandWideBytes = 8;
constexpr int ShapeFixedBytes = 16 + 4 + 4 + 4;

} // namespace

bool ReadSurfaceBand(SurfaceBand& band, DataFile& reader)
{
    if (!DataFileHolds(reader, 1, BandBytes))
        return false;
    band.texture = static_cast<int16_t>(ReadShort(reader));
    band.solid = static_cast<int16_t>(ReadShort(reader));
    band.rowOffset = static_cast<int16_t>(ReadShort(reader));
    band.first = static_cast<uint8_t>(ReadByte(reader));
    band.second = static_cast<uint8_t>(ReadByte(reader));
    if (band.first == band.second) {
        if (!DataFileHolds(reader, 1, BandWideBytes))
            return false;
        band.first = static_cast<uint8_t>(ReadInt(reader));
        band.second = static_cast<uint8_t>(ReadInt(reader));
    }
    return !reader.Overran();
}

void WriteSurfaceBand(const SurfaceBand& band, DataFile& writer)
{
    WriteShort(writer, band.texture);
    WriteShort(writer, band.solid);
    WriteShort(writer, band.rowOffset);
    WriteByte(writer, band.first);
    WriteByte(writer, band.second);
    if (band.first == band.second) {
        WriteInt(writer, band.first);
        WriteInt(writer, band.second);
    }
}

void RevolvedShape::Free()
{
    FloatPairTable::Free();
    bands.clear();
}

bool ReadRevolvedShape(RevolvedShape& shape, DataFile& reader)
{
    shape.Free();
    if (!DataFileHolds(reader, 1, ShapeFixedBytes))
        return false;
    ReadBlock(reader, shape.name, sizeof shape.name);
    shape.name[sizeof shape.name - 1] = 0;
    shape.sides = ReadInt(reader);
    ReadInt(reader);
    const int32_t points = ReadInt(reader);
    if (points < 0 || points > MaxRevolvedPoints || !DataFileHolds(reader, points, 8))
        return false;
    shape.count = points;
    shape.pairs = new FloatPair[size_t(points > 0 ? points : 1)];
    for (int i = 0; i < points; i++) {
        shape.pairs[i].x = ReadFloat(reader);
        shape.pairs[i].y = ReadFloat(reader);
    }
    const int32_t bands = ReadInt(reader);
    if (bands < 0 || bands > MaxRevolvedBands || !DataFileHolds(reader, bands, BandBytes)) {
        shape.Free();
        return false;
    }
    shape.bands.resize(size_t(bands));
    for (SurfaceBand& band : shape.bands) {
        if (!ReadSurfaceBand(band, reader) || band.first >= points || band.second >= points) {
            shape.Free();
            return false;
        }
    }
    if (shape.sides < 1 || shape.sides > MaxRevolvedPoints || reader.Overran()) {
        shape.Free();
        return false;
    }
    return true;
}

void WriteRevolvedShape(const RevolvedShape& shape, DataFile& writer)
{
    WriteFixedString(writer, shape.name, sizeof shape.name);
    WriteInt(writer, shape.sides);
    WriteInt(writer, 0);
    WriteInt(writer, shape.count);
    for (int i = 0; i < shape.count; i++) {
        WriteFloat(writer, shape.pairs[i].x);
        WriteFloat(writer, shape.pairs[i].y);
    }
    WriteInt(writer, static_cast<int32_t>(shape.bands.size()));
    for (const SurfaceBand& band : shape.bands)
        WriteSurfaceBand(band, writer);
}

const char* BuildRevolvedHull(const RevolvedShape& shape, RigidBody& body, float scale)
{
    const int n = shape.count;
    std::vector<uint8_t> used(size_t(std::max(n, 1)), 0);
    int faceCount = 0;
    for (const SurfaceBand& band : shape.bands) {
        if (!band.solid)
            continue;
        const bool axisA = shape.pairs[band.first].x == 0, axisB = shape.pairs[band.second].x == 0;
        if (axisA && axisB)
            return ": No Physics - Unusable surface found";
        faceCount += axisA || axisB ? HullSides : 2 * HullSides;
        used[band.first] = used[band.second] = 1;
    }
    if (faceCount > MaxPhysicsFaces)
        return ": No physics - More than 42 triangles";
    // Where each used point's first body point is: step 0 holds every used
    // point, steps 1 to 5 only the ring points.
    std::vector<int> first(size_t(std::max(n, 1)), -1), ring(size_t(std::max(n, 1)), -1);
    int usedCount = 0, ringCount = 0;
    for (int i = 0; i < n; i++) {
        if (!used[size_t(i)])
            continue;
        first[size_t(i)] = usedCount++;
        if (shape.pairs[i].x != 0)
            ring[size_t(i)] = ringCount++;
    }
    const int pointCount = usedCount + (HullSides - 1) * ringCount;
    if (pointCount > MaxPhysicsPoints)
        return ": No physics - More than 24 points";
    if (faceCount == 0)
        return ": No physics - No triangles";
    auto at = [&](int p, int step) {
        step %= HullSides;
        if (step == 0 || ring[size_t(p)] < 0)
            return first[size_t(p)];
        return usedCount + (step - 1) * ringCount + ring[size_t(p)];
    };
    FreeBody(body);
    body.points = new ContactPoint[size_t(pointCount)];
    body.pointCount = pointCount;
    body.faces = new BodyFace[size_t(faceCount)];
    body.faceCount = faceCount;
    for (int step = 0; step < HullSides; step++) {
        double s = 0, c = 1;
        ComputeSinCos(step * Pi / 3, s, c);
        for (int i = 0; i < n; i++) {
            if (!used[size_t(i)] || (step > 0 && ring[size_t(i)] < 0))
                continue;
            const float r = shape.pairs[i].x * scale, z = shape.pairs[i].y * scale;
            body.points[at(i, step)].local = {static_cast<float>(-s * r), static_cast<float>(c * r), z};
        }
    }
    int f = 0;
    auto face = [&](int a, int b, int c) {
        BodyFace& out = body.faces[f++];
        out.corners[0] = &body.points[a];
        out.corners[1] = &body.points[b];
        out.corners[2] = &body.points[c];
        const Vec3 p = body.points[a].local, q = body.points[b].local, r = body.points[c].local;
        const Vec3 u{q.x - p.x, q.y - p.y, q.z - p.z}, v{r.x - p.x, r.y - p.y, r.z - p.z};
        Vec3 normal{u.y * v.z - u.z * v.y, u.z * v.x - u.x * v.z, u.x * v.y - u.y * v.x};
        const float length = std::sqrt(normal.x * normal.x + normal.y * normal.y + normal.z * normal.z);
        if (length > 0)
            normal = {normal.x / length, normal.y / length, normal.z / length};
        out.localNormal = out.worldNormal = normal;
    };
    for (const SurfaceBand& band : shape.bands) {
        if (!band.solid)
            continue;
        const int a = band.first, b = band.second;
        const bool axisA = shape.pairs[a].x == 0, axisB = shape.pairs[b].x == 0;
        for (int k = 1; k <= HullSides; k++) {
            if (axisA) {
                face(at(a, 0), at(b, k - 1), at(b, k));
            } else if (axisB) {
                face(at(a, k - 1), at(b, 0), at(a, k));
            } else {
                face(at(a, k - 1), at(b, k - 1), at(a, k));
                face(at(b, k - 1), at(b, k), at(a, k));
            }
        }
    }
    return ": OK";
}
