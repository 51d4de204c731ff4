// 16.16 fixed-point vectors, matrices and rotations.
#include <cmath>

#include "core/local.h"
#include "core/services.h"

namespace {

// The length of a vector as IntLength3 computes it, before it is held to
// 32 bits: a long vector (past 2^31 units) still normalises by its length.
std::int64_t LongLength3(const FixedVector& v)
{
    double length = std::sqrt(double(v.x.raw) * v.x.raw + double(v.y.raw) * v.y.raw +
                              double(v.z.raw) * v.z.raw);
    return std::int64_t(RoundHalfEven(float(length)));
}

// (component × 65536) / length in 64 bits, truncated towards zero.
Fixed ScaleToUnit(Fixed component, std::int64_t length)
{
    return Fixed(std::int32_t(std::uint32_t(std::uint64_t((std::int64_t(component.raw) * 65536) / length))));
}

}  // namespace

Fixed FixedFromMetres(double metres)
{
    return Fixed(RoundToInt32(metres * 65536.0));
}

// The length is rounded to single precision before it is rounded to an
// integer; past 2^31 - 1 it is held at that (a wrap would be meaningless).
std::int32_t IntLength2(std::int32_t x, std::int32_t y)
{
    double length = std::sqrt(double(x) * x + double(y) * y);
    return RoundToInt32(float(length));
}

std::int32_t IntLength3(std::int32_t x, std::int32_t y, std::int32_t z)
{
    std::int64_t length = LongLength3(MakeFixedVector(x, y, z));
    return length > INT32_MAX ? INT32_MAX : std::int32_t(length);
}

int NormaliseVector(FixedVector& v)
{
    std::int64_t length = LongLength3(v);
    if (length == 0)
        return 0;
    v = {ScaleToUnit(v.x, length), ScaleToUnit(v.y, length), ScaleToUnit(v.z, length)};
    return 1;
}

void NormaliseOrUp(const FixedVector& v, FixedVector& out)
{
    std::int64_t length = LongLength3(v);
    if (length < 256) {
        out = MakeFixedVector(0, 0, 65536);
        return;
    }
    out = {ScaleToUnit(v.x, length), ScaleToUnit(v.y, length), ScaleToUnit(v.z, length)};
}

void NormalOfVectors(const FixedVector& a, const FixedVector& b, FixedVector& out)
{
    float ax = float(a.x.raw), ay = float(a.y.raw), az = float(a.z.raw);
    float bx = float(b.x.raw), by = float(b.y.raw), bz = float(b.z.raw);
    float cx = ay * bz - az * by;
    float cy = az * bx - ax * bz;
    float cz = ax * by - ay * bx;
    float lengthSq = cx * cx + cy * cy + cz * cz;
    if (!(lengthSq > 0.0001f)) {
        out = MakeFixedVector(0, 0, 0);
        return;
    }
    float scale = 65536.0f / std::sqrt(lengthSq);
    out = MakeFixedVector(RoundToInt32(cx * scale), RoundToInt32(cy * scale),
                          RoundToInt32(cz * scale));
}

FixedVector TriangleNormal(const FixedVector& p1, const FixedVector& p2, const FixedVector& p3)
{
    const float toMetres = 1.0f / 65536.0f;
    float x1 = float(p1.x.raw) * toMetres, y1 = float(p1.y.raw) * toMetres, z1 = float(p1.z.raw) * toMetres;
    float e1x = float(p2.x.raw) * toMetres - x1, e1y = float(p2.y.raw) * toMetres - y1,
          e1z = float(p2.z.raw) * toMetres - z1;
    float e2x = float(p3.x.raw) * toMetres - x1, e2y = float(p3.y.raw) * toMetres - y1,
          e2z = float(p3.z.raw) * toMetres - z1;
    float nx = e1y * e2z - e1z * e2y;
    float ny = e1z * e2x - e1x * e2z;
    float nz = e1x * e2y - e1y * e2x;
    float length = std::sqrt(nx * nx + ny * ny + nz * nz);
    if (length > 0.000001f) {
        nx = nx * 65536.0f / length;
        ny = ny * 65536.0f / length;
        nz = nz * 65536.0f / length;
    }
    return MakeFixedVector(RoundToInt32(nx), RoundToInt32(ny),
                           RoundToInt32(nz));
}

float FixedDistance(const FixedVector& a, const FixedVector& b)
{
    FixedVector d = a - b;
    float x = FixedToMetres(d.x), y = FixedToMetres(d.y), z = FixedToMetres(d.z);
    return std::sqrt(x * x + y * y + z * z);
}

float FixedDistanceXY(const FixedVector& a, const FixedVector& b)
{
    FixedVector d = a - b;
    float x = FixedToMetres(d.x), y = FixedToMetres(d.y);
    return std::sqrt(x * x + y * y);
}

void GrowMaxDistance(float& max, const FixedVector& v)
{
    float x = FixedToMetres(v.x), y = FixedToMetres(v.y), z = FixedToMetres(v.z);
    float lengthSq = x * x + y * y + z * z;
    if (lengthSq > max)
        max = lengthSq;
}

void SetMatrix(FixedMatrix& out, std::int32_t m00, std::int32_t m01, std::int32_t m02,
               std::int32_t m10, std::int32_t m11, std::int32_t m12,
               std::int32_t m20, std::int32_t m21, std::int32_t m22)
{
    out = {{Fixed(m00), Fixed(m01), Fixed(m02), Fixed(m10), Fixed(m11), Fixed(m12),
            Fixed(m20), Fixed(m21), Fixed(m22)}};
}

void MatrixFromColumns(FixedMatrix& out, const FixedVector& a, const FixedVector& b,
                       const FixedVector& c)
{
    out = {{a.x, b.x, c.x, a.y, b.y, c.y, a.z, b.z, c.z}};
}

void DiagonalMatrix(FixedMatrix& out, Fixed s)
{
    out = {{s, Fixed(), Fixed(), Fixed(), s, Fixed(), Fixed(), Fixed(), s}};
}

void RotationX(FixedMatrix& out, std::int32_t angle)
{
    Fixed c = CosineOf(angle), s = SineOf(angle);
    out = {{FixedOne, Fixed(), Fixed(), Fixed(), c, -s, Fixed(), s, c}};
}

void RotationY(FixedMatrix& out, std::int32_t angle)
{
    Fixed c = CosineOf(angle), s = SineOf(angle);
    out = {{c, Fixed(), s, Fixed(), FixedOne, Fixed(), -s, Fixed(), c}};
}

void RotationZ(FixedMatrix& out, std::int32_t angle)
{
    Fixed c = CosineOf(angle), s = SineOf(angle);
    out = {{c, -s, Fixed(), s, c, Fixed(), Fixed(), Fixed(), FixedOne}};
}

void RotationXY(FixedMatrix& out, std::int32_t a, std::int32_t b)
{
    Fixed ca = CosineOf(a), sa = SineOf(a), cb = CosineOf(b), sb = SineOf(b);
    out = {{cb, Fixed(), sb,
            FixedMul(sa, sb), ca, -FixedMul(sa, cb),
            -FixedMul(ca, sb), sa, FixedMul(ca, cb)}};
}

void RotationZX(FixedMatrix& out, std::int32_t heading, std::int32_t pitch)
{
    FixedMatrix z, x;
    RotationZ(z, heading);
    RotationX(x, pitch);
    MultiplyMatrix(z, x, out);
}

void RotationZXY(FixedMatrix& out, std::int32_t heading, std::int32_t pitch, std::int32_t roll)
{
    FixedMatrix z, xy;
    RotationZ(z, heading);
    RotationXY(xy, pitch, roll);
    MultiplyMatrix(z, xy, out);
}

void ReadVector(FixedVector& v, DataFile& reader)
{
    v.x = Fixed(ReadInt(reader));
    v.y = Fixed(ReadInt(reader));
    v.z = Fixed(ReadInt(reader));
}

void WriteVector(const FixedVector& v, DataFile& writer)
{
    WriteInt(writer, v.x.raw);
    WriteInt(writer, v.y.raw);
    WriteInt(writer, v.z.raw);
}

void ReadMatrix(FixedMatrix& m, DataFile& reader)
{
    for (Fixed& value : m.m)
        value = Fixed(ReadInt(reader));
}

void ReadTransform(FixedTransform& t, DataFile& reader)
{
    ReadMatrix(t.matrix, reader);
    ReadVector(t.translation, reader);
}
