// 16.16 fixed-point positions, rotation matrices and the trigonometric tables.
#pragma once

#include <compare>
#include <cstdint>
#include <type_traits>

#include "core/rounding.h"

struct DataFile;

// Positions in the simulation and the world are 16.16 fixed-point numbers
// (65536 = 1 m), orientations are 3x3 matrices of them, and angles are
// 16-bit turns (65536 units per full turn) looked up in tables built once
// at start-up. Products follow one rule everywhere: the signed 64-bit
// product shifted right by 16 (rounding towards minus infinity), low 32 bits
// kept, so overflow wraps and never saturates. A row times a column adds the
// three 64-bit products before the one shift. Everything here is integer
// arithmetic or fixed IEEE operations, so every machine gets the same bits.

// One 16.16 fixed-point value. A type of its own so that a float cannot be
// stored into a position unnoticed: it is made from a raw integer only
// (Fixed(65536) is 1 m) or through FixedFromMetres. Sums and differences
// wrap round like the 32-bit registers they model.
struct Fixed {
    std::int32_t raw = 0;

    constexpr Fixed() = default;
    constexpr explicit Fixed(std::int32_t rawValue) : raw(rawValue) {}
    template <typename F>
        requires std::is_floating_point_v<F>
    Fixed(F) = delete;

    constexpr bool operator==(const Fixed&) const = default;
    constexpr auto operator<=>(const Fixed&) const = default;
    constexpr Fixed operator-() const { return Fixed(std::int32_t(0u - std::uint32_t(raw))); }
    constexpr Fixed& operator+=(Fixed b) { raw = std::int32_t(std::uint32_t(raw) + std::uint32_t(b.raw)); return *this; }
    constexpr Fixed& operator-=(Fixed b) { raw = std::int32_t(std::uint32_t(raw) - std::uint32_t(b.raw)); return *this; }
};
constexpr Fixed operator+(Fixed a, Fixed b) { return a += b; }
constexpr Fixed operator-(Fixed a, Fixed b) { return a -= b; }

// The whole 16.16 values of one metre and half a metre.
constexpr Fixed FixedOne{65536};
constexpr Fixed FixedHalf{32768};

// The 16.16 product a·b: (a × b) >> 16 in 64 bits, low 32 bits kept.
constexpr Fixed FixedMul(Fixed a, Fixed b)
{
    return Fixed(std::int32_t(std::uint32_t(std::uint64_t((std::int64_t(a.raw) * b.raw) >> 16))));
}

// One row times one column: the three 64-bit products summed (wrapping at
// 64 bits), then shifted once.
constexpr Fixed FixedDot3(Fixed a0, Fixed a1, Fixed a2, Fixed b0, Fixed b1, Fixed b2)
{
    std::uint64_t sum = std::uint64_t(std::int64_t(a0.raw) * b0.raw) +
                        std::uint64_t(std::int64_t(a1.raw) * b1.raw) +
                        std::uint64_t(std::int64_t(a2.raw) * b2.raw);
    return Fixed(std::int32_t(std::uint32_t(std::uint64_t(std::int64_t(sum) >> 16))));
}

// Metres to 16.16: metres × 65536 rounded to the nearest integer (ties to
// even), held to the 32-bit range (NaN gives 0).
Fixed FixedFromMetres(double metres);
// 16.16 to metres: raw × 1/65536.
constexpr float FixedToMetres(Fixed value) { return float(value.raw) * (1.0f / 65536.0f); }

// Three 16.16 values (z is up in the world). Stored as 12 bytes x, y, z.
struct FixedVector {
    Fixed x, y, z;

    constexpr bool operator==(const FixedVector&) const = default;
    constexpr Fixed& operator[](int i) { return i == 0 ? x : i == 1 ? y : z; }
    constexpr Fixed operator[](int i) const { return i == 0 ? x : i == 1 ? y : z; }
    constexpr FixedVector& operator+=(const FixedVector& b) { x += b.x; y += b.y; z += b.z; return *this; }
    constexpr FixedVector& operator-=(const FixedVector& b) { x -= b.x; y -= b.y; z -= b.z; return *this; }
};
constexpr FixedVector operator+(FixedVector a, const FixedVector& b) { return a += b; }
constexpr FixedVector operator-(FixedVector a, const FixedVector& b) { return a -= b; }
constexpr FixedVector operator-(const FixedVector& a) { return {-a.x, -a.y, -a.z}; }
// A vector from three raw 16.16 values.
constexpr FixedVector MakeFixedVector(std::int32_t x, std::int32_t y, std::int32_t z)
{
    return {Fixed(x), Fixed(y), Fixed(z)};
}

// Nine 16.16 values, row-major (m[0] m[1] m[2] is the first row). A
// rotation's columns are the rotated x, y and z axes. Stored as 36 bytes.
struct FixedMatrix {
    Fixed m[9];

    constexpr bool operator==(const FixedMatrix&) const = default;
    constexpr Fixed& At(int row, int column) { return m[row * 3 + column]; }
    constexpr Fixed At(int row, int column) const { return m[row * 3 + column]; }
};

// A rotation followed by a translation. Stored as 48 bytes.
struct FixedTransform {
    FixedMatrix matrix;
    FixedVector translation;

    constexpr bool operator==(const FixedTransform&) const = default;
};

// Sine and cosine of the 16-bit angle i (i/65536 of a turn) in 16.16.
// Built by BuildTrigTables at start-up; lives for the whole run.
struct TrigTableSet {
    static constexpr int Size = 65536;
    Fixed sine[Size];
    Fixed cosine[Size];
};
extern const TrigTableSet& TrigTables;

// Cosine and sine of a whole-degree angle in 16.16 (entry k holds -k
// degrees for k = 0..90, 256 - k degrees for k = 166..255, zeros between):
// indexing with the byte of a negated angle of -90..90 degrees gives that
// angle's pair. Built by BuildTrigTables; lives for the whole run.
struct DegreePair {
    Fixed cosine, sine;

    constexpr bool operator==(const DegreePair&) const = default;
};
constexpr int DegreeTableSize = 256;
extern const DegreePair (&DegreeTable)[DegreeTableSize];

// The sine and cosine of an angle taken modulo 65536.
inline Fixed SineOf(std::int32_t angle) { return TrigTables.sine[angle & 0xFFFF]; }
inline Fixed CosineOf(std::int32_t angle) { return TrigTables.cosine[angle & 0xFFFF]; }

// Shared constants. ZeroVector is the position of things that have none,
// AxisZ is up.
inline constexpr FixedVector ZeroVector = MakeFixedVector(0, 0, 0);
inline constexpr FixedVector AxisX = MakeFixedVector(65536, 0, 0);
inline constexpr FixedVector AxisY = MakeFixedVector(0, 65536, 0);
inline constexpr FixedVector AxisZ = MakeFixedVector(0, 0, 65536);
inline constexpr FixedMatrix IdentityMatrix = {{FixedOne, Fixed(), Fixed(), Fixed(), FixedOne, Fixed(), Fixed(),
                                                Fixed(), FixedOne}};
inline constexpr FixedTransform IdentityTransform = {IdentityMatrix, ZeroVector};

// Fills TrigTables and DegreeTable; call once at start-up before any
// rotation is built (ResetCoreTables does it too).
void BuildTrigTables();

// Length of an integer vector: the square root computed in double,
// converted to float, rounded to the nearest integer (ties to even); held
// at 2^31 - 1 when longer.
std::int32_t IntLength2(std::int32_t x, std::int32_t y);
std::int32_t IntLength3(std::int32_t x, std::int32_t y, std::int32_t z);
// Scales v in place to length 65536: each component × 65536 / length,
// truncated. Returns 0 and leaves v when its length is 0, else 1.
int NormaliseVector(FixedVector& v);
// out = v scaled to length 65536 as NormaliseVector does; when v is
// shorter than 256 (1/256 m), out = (0, 0, 65536).
void NormaliseOrUp(const FixedVector& v, FixedVector& out);
// out = the unit cross product a × b in 16.16 (computed in float);
// (0, 0, 0) when the cross product's squared length is at most 0.0001.
void NormalOfVectors(const FixedVector& a, const FixedVector& b, FixedVector& out);
// The 16.16 unit normal of the triangle p1 p2 p3 (counter-clockwise seen
// from the normal's side): the cross product of the edges in metres scaled
// to 65536, or the raw cross product (rounded) when it is no longer than
// 0.000001.
FixedVector TriangleNormal(const FixedVector& p1, const FixedVector& p2, const FixedVector& p3);
// Distance between two points in metres (over x and y only for XY).
float FixedDistance(const FixedVector& a, const FixedVector& b);
float FixedDistanceXY(const FixedVector& a, const FixedVector& b);
// Raises max (square metres) to v's squared length when that is larger.
void GrowMaxDistance(float& max, const FixedVector& v);

// Matrix builders. Rotation angles are taken modulo 65536.
void SetMatrix(FixedMatrix& out, std::int32_t m00, std::int32_t m01, std::int32_t m02,
               std::int32_t m10, std::int32_t m11, std::int32_t m12,
               std::int32_t m20, std::int32_t m21, std::int32_t m22);
void MatrixFromColumns(FixedMatrix& out, const FixedVector& a, const FixedVector& b,
                       const FixedVector& c);
void DiagonalMatrix(FixedMatrix& out, Fixed s);
void RotationX(FixedMatrix& out, std::int32_t angle);
void RotationY(FixedMatrix& out, std::int32_t angle);
void RotationZ(FixedMatrix& out, std::int32_t angle);
// RotationX(a) × RotationY(b).
void RotationXY(FixedMatrix& out, std::int32_t a, std::int32_t b);
// RotationZ(heading) × RotationX(pitch).
void RotationZX(FixedMatrix& out, std::int32_t heading, std::int32_t pitch);
// RotationZ(heading) × RotationX(pitch) × RotationY(roll).
void RotationZXY(FixedMatrix& out, std::int32_t heading, std::int32_t pitch, std::int32_t roll);

// out = a × b. out may be a or b.
inline void MultiplyMatrix(const FixedMatrix& a, const FixedMatrix& b, FixedMatrix& out)
{
    FixedMatrix r;
    for (int row = 0; row < 3; ++row) {
        const Fixed* ar = &a.m[row * 3];
        for (int column = 0; column < 3; ++column)
            r.m[row * 3 + column] = FixedDot3(ar[0], ar[1], ar[2], b.m[column],
                                              b.m[3 + column], b.m[6 + column]);
    }
    out = r;
}

// out = m × v. out may be v.
inline void RotateVector(const FixedMatrix& m, const FixedVector& v, FixedVector& out)
{
    FixedVector r{FixedDot3(m.m[0], m.m[1], m.m[2], v.x, v.y, v.z),
                  FixedDot3(m.m[3], m.m[4], m.m[5], v.x, v.y, v.z),
                  FixedDot3(m.m[6], m.m[7], m.m[8], v.x, v.y, v.z)};
    out = r;
}

// out = transpose(m) × v (the inverse turn for a rotation). out may be v.
inline void RotateVectorByTranspose(const FixedMatrix& m, const FixedVector& v, FixedVector& out)
{
    FixedVector r{FixedDot3(m.m[0], m.m[3], m.m[6], v.x, v.y, v.z),
                  FixedDot3(m.m[1], m.m[4], m.m[7], v.x, v.y, v.z),
                  FixedDot3(m.m[2], m.m[5], m.m[8], v.x, v.y, v.z)};
    out = r;
}

inline void MakeTransform(FixedTransform& out, const FixedMatrix& matrix, const FixedVector& vector)
{
    out.matrix = matrix;
    out.translation = vector;
}

// out = t.matrix × p + t.translation. out may be p.
inline void TransformPoint(const FixedTransform& t, const FixedVector& p, FixedVector& out)
{
    RotateVector(t.matrix, p, out);
    out += t.translation;
}

// out = transpose(t.matrix) × (p − t.translation); the inverse of
// TransformPoint for a rotation. out may be p.
inline void InverseTransformPoint(const FixedTransform& t, const FixedVector& p, FixedVector& out)
{
    RotateVectorByTranspose(t.matrix, p - t.translation, out);
}

// out = t1 then t2 applied inside it: matrix t1 × t2, translation
// t1.matrix × t2.translation + t1.translation. out may be t1 or t2.
inline void ComposeTransform(const FixedTransform& t1, const FixedTransform& t2, FixedTransform& out)
{
    FixedTransform r;
    MultiplyMatrix(t1.matrix, t2.matrix, r.matrix);
    TransformPoint(t1, t2.translation, r.translation);
    out = r;
}

// Fixed-point records inside data files: a vector is three ReadInt values
// x, y, z (12 bytes), a matrix nine in row-major order (36 bytes), a
// transform the matrix then the translation (48 bytes).
void ReadVector(FixedVector& v, DataFile& reader);
void WriteVector(const FixedVector& v, DataFile& writer);
void ReadMatrix(FixedMatrix& m, DataFile& reader);
void ReadTransform(FixedTransform& t, DataFile& reader);
