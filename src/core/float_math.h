// Float vectors and matrices for work within a step and for drawing, with
// sine and cosine of our own.
#pragma once

#include <cstdint>

#include "core/fixed_math.h"

// Pi is std::numbers::pi, and std::numbers::pi_v<float> in float arithmetic
// (its nearest single-precision value, so float code keeps computing in
// float): the program's one value of pi, with no copy of its own.

// The value held to low..high (low <= high); a NaN value passes through
// unchanged, as the comparisons are false for it. The one clamp of the
// program for plain values.
template <typename T>
constexpr T Clamp(T value, T low, T high)
{
    return value < low ? low : (value > high ? high : value);
}

// Standard gravity (m/s^2): the figures that assume a level world of its
// own weight (grip, load transfer, slopes) use this one value.
inline constexpr float StandardGravity = 9.81f;

// Nine floats, row-major.
struct FloatMatrix {
    float m[9] = {};

    constexpr bool operator==(const FloatMatrix&) const = default;
};

// Two floats, for flat work (AI, drawing).
struct Vec2 {
    float x = 0, y = 0;

    constexpr bool operator==(const Vec2&) const = default;
};

// Three floats in metres (or a unit direction), for code that works in
// floats: physics within a step, graphics.
struct Vec3 {
    float x = 0, y = 0, z = 0;

    constexpr bool operator==(const Vec3&) const = default;
};

// m × v and transpose(m) × v.
inline Vec3 Rotate(const FloatMatrix& m, const Vec3& v)
{
    return {m.m[0] * v.x + m.m[1] * v.y + m.m[2] * v.z,
            m.m[3] * v.x + m.m[4] * v.y + m.m[5] * v.z,
            m.m[6] * v.x + m.m[7] * v.y + m.m[8] * v.z};
}
inline Vec3 RotateByTranspose(const FloatMatrix& m, const Vec3& v)
{
    return {m.m[0] * v.x + m.m[3] * v.y + m.m[6] * v.z,
            m.m[1] * v.x + m.m[4] * v.y + m.m[7] * v.z,
            m.m[2] * v.x + m.m[5] * v.y + m.m[8] * v.z};
}

// A float offset in metres as a 16.16 vector (each axis × 65536, nearest).
inline FixedVector FixedFromOffset(const Vec3& metres)
{
    return {FixedFromMetres(metres.x), FixedFromMetres(metres.y), FixedFromMetres(metres.z)};
}
// A 16.16 difference in metres.
inline Vec3 OffsetFromFixed(const FixedVector& v)
{
    return {FixedToMetres(v.x), FixedToMetres(v.y), FixedToMetres(v.z)};
}

// Sine and cosine of an angle in radians, computed with double arithmetic
// of our own, so the result is the same bits on every machine (the
// machine's library may differ in the last bit). Usable inside the
// simulation step; accurate to about one unit in the last place for
// angles within a few thousand radians. A non-finite angle gives NaN.
void ComputeSinCos(double angle, double& sine, double& cosine);
// The angle of the point (x, y) in radians, -pi..pi, as atan2 gives it,
// computed the same way: the same bits on every machine, usable inside the
// simulation step; within a few units in the last place of the exact
// angle. (0, 0) and a NaN give 0.
double ComputeAtan2(double y, double x);

// Float helpers: single-precision storage, double intermediates.
// out = a × b. out may be a or b.
void MultiplyFloatMatrix(const FloatMatrix& a, const FloatMatrix& b, FloatMatrix& out);
// Rotations by angles in radians (sine and cosine from ComputeSinCos).
void FloatRotationZ(FloatMatrix& out, float angle);
// Float RotationX(a) × RotationY(b).
void FloatRotationXY(FloatMatrix& out, float a, float b);
// out = the inverse of m (adjugate over determinant). Returns 1; for a
// singular matrix (determinant 0 or not finite) returns 0 and sets out to
// the identity, so that no NaN spreads. out may be m.
int InvertFloatMatrix(FloatMatrix& out, const FloatMatrix& m);
// Rotation by angle radians about the unit axis.
void AxisAngleMatrix(FloatMatrix& out, const Vec3& axis, float angle);
// Each element × 65536 rounded to the nearest integer.
void FloatToFixedMatrix(const FloatMatrix& m, FixedMatrix& out);
// Each element × 1/65536.
void FixedToFloatMatrix(FloatMatrix& out, const FixedMatrix& m);
// out = base + m × v with each row's result (metres) × 65536 rounded.
void FloatOffsetToFixed(const FloatMatrix& m, const Vec3& v, const FixedVector& base,
                        FixedVector& out);
float Vec2Length(const Vec2& v);
float Vec2LengthSq(const Vec2& v);
// Scales v in place to the given length; a zero vector stays unchanged.
void Vec2SetLength(Vec2& v, float length);
// Scales v in place to length 1 and returns its former length; a zero
// vector stays unchanged and 0 is returned.
float Vec2Normalise(Vec2& v);
