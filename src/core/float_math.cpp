// Float 3x3 matrices and 2D vectors for code that works in floats, and the
// conversions between float and 16.16 matrices. Values are stored in single
// precision; sums and products run in double.
#include <cmath>

#include "core/local.h"
#include "core/services.h"

namespace {

constexpr FloatMatrix FloatIdentity = {{1, 0, 0, 0, 1, 0, 0, 0, 1}};

}  // namespace

void MultiplyFloatMatrix(const FloatMatrix& a, const FloatMatrix& b, FloatMatrix& out)
{
    FloatMatrix r;
    for (int row = 0; row < 3; ++row)
        for (int column = 0; column < 3; ++column)
            r.m[row * 3 + column] = float(double(a.m[row * 3]) * b.m[column] +
                                          double(a.m[row * 3 + 1]) * b.m[3 + column] +
                                          double(a.m[row * 3 + 2]) * b.m[6 + column]);
    out = r;
}

void FloatRotationZ(FloatMatrix& out, float angle)
{
    double s, c;
    ComputeSinCos(angle, s, c);
    out = {{float(c), float(-s), 0, float(s), float(c), 0, 0, 0, 1}};
}

void FloatRotationXY(FloatMatrix& out, float a, float b)
{
    double sa, ca, sb, cb;
    ComputeSinCos(a, sa, ca);
    ComputeSinCos(b, sb, cb);
    out = {{float(cb), 0, float(sb),
            float(sa * sb), float(ca), float(-(sa * cb)),
            float(-(ca * sb)), float(sa), float(ca * cb)}};
}

// A singular matrix has no inverse; dividing by its determinant would fill
// the output with infinities and NaNs that then spread through physics and
// AI. It is reported instead and the output becomes the identity.
int InvertFloatMatrix(FloatMatrix& out, const FloatMatrix& m)
{
    const float* a = m.m;
    double c00 = double(a[4]) * a[8] - double(a[5]) * a[7];
    double c01 = double(a[2]) * a[7] - double(a[1]) * a[8];
    double c02 = double(a[1]) * a[5] - double(a[2]) * a[4];
    double c10 = double(a[5]) * a[6] - double(a[3]) * a[8];
    double c11 = double(a[0]) * a[8] - double(a[2]) * a[6];
    double c12 = double(a[2]) * a[3] - double(a[0]) * a[5];
    double c20 = double(a[3]) * a[7] - double(a[4]) * a[6];
    double c21 = double(a[1]) * a[6] - double(a[0]) * a[7];
    double c22 = double(a[0]) * a[4] - double(a[1]) * a[3];
    double determinant = double(a[0]) * c00 + double(a[1]) * c10 + double(a[2]) * c20;
    float reciprocal = float(1.0 / determinant);
    if (determinant == 0.0 || !std::isfinite(reciprocal)) {
        out = FloatIdentity;
        return 0;
    }
    double r = reciprocal;
    out = {{float(c00 * r), float(c01 * r), float(c02 * r),
            float(c10 * r), float(c11 * r), float(c12 * r),
            float(c20 * r), float(c21 * r), float(c22 * r)}};
    return 1;
}

void AxisAngleMatrix(FloatMatrix& out, const Vec3& axis, float angle)
{
    double s, c;
    ComputeSinCos(angle, s, c);
    double x = axis.x, y = axis.y, z = axis.z;
    double t = 1.0 - c;
    out = {{float(x * x + c * (1.0 - x * x)), float(x * y * t - s * z), float(x * z * t + s * y),
            float(x * y * t + s * z), float(y * y + c * (1.0 - y * y)), float(y * z * t - s * x),
            float(x * z * t - s * y), float(y * z * t + s * x), float(z * z + c * (1.0 - z * z))}};
}

void FloatToFixedMatrix(const FloatMatrix& m, FixedMatrix& out)
{
    for (int i = 0; i < 9; ++i)
        out.m[i] = Fixed(RoundToInt32(m.m[i] * 65536.0f));
}

void FixedToFloatMatrix(FloatMatrix& out, const FixedMatrix& m)
{
    for (int i = 0; i < 9; ++i)
        out.m[i] = FixedToMetres(m.m[i]);
}

void FloatOffsetToFixed(const FloatMatrix& m, const Vec3& v, const FixedVector& base,
                        FixedVector& out)
{
    FixedVector offset;
    for (int row = 0; row < 3; ++row)
        offset[row] = FixedFromMetres(double(m.m[row * 3]) * v.x + double(m.m[row * 3 + 1]) * v.y +
                                      double(m.m[row * 3 + 2]) * v.z);
    out = base + offset;
}

float Vec2Length(const Vec2& v)
{
    return float(std::sqrt(double(v.x) * v.x + double(v.y) * v.y));
}

float Vec2LengthSq(const Vec2& v)
{
    return float(double(v.x) * v.x + double(v.y) * v.y);
}

// A zero vector has no direction to keep; it is left as it is rather than
// filled with NaNs.
void Vec2SetLength(Vec2& v, float length)
{
    double current = std::sqrt(double(v.x) * v.x + double(v.y) * v.y);
    if (current == 0.0)
        return;
    double scale = length / current;
    v = {float(v.x * scale), float(v.y * scale)};
}

float Vec2Normalise(Vec2& v)
{
    double current = std::sqrt(double(v.x) * v.x + double(v.y) * v.y);
    if (current == 0.0)
        return 0.0f;
    v = {float(v.x / current), float(v.y / current)};
    return float(current);
}
