// Float 3x3 matrices, 2D vectors and the float/16.16 conversions.
#include <gtest/gtest.h>

#include <cmath>

#include "core/services.h"

namespace {

class FloatMathTest : public ::testing::Test {
protected:
    void SetUp() override { ResetCoreTables(); }
};

const FloatMatrix Identity = {{1, 0, 0, 0, 1, 0, 0, 0, 1}};

void ExpectNear(const FloatMatrix& a, const FloatMatrix& b, float tolerance)
{
    for (int i = 0; i < 9; ++i)
        EXPECT_NEAR(a.m[i], b.m[i], tolerance) << "element " << i;
}

}  // namespace

TEST_F(FloatMathTest, ProductsAndRotations)
{
    FloatMatrix a = {{1, 2, 3, 4, 5, 6, 7, 8, 10}}, b = {{2, 0, 1, 1, 3, 0, 0, 1, 4}}, out;
    MultiplyFloatMatrix(a, b, out);
    EXPECT_EQ(out, (FloatMatrix{{4, 9, 13, 13, 21, 28, 22, 34, 47}}));
    MultiplyFloatMatrix(a, Identity, a);  // in place
    EXPECT_EQ(a, (FloatMatrix{{1, 2, 3, 4, 5, 6, 7, 8, 10}}));

    // A rotation about z by an angle is the axis-angle rotation about z.
    FloatMatrix z, axis;
    FloatRotationZ(z, 0.7f);
    AxisAngleMatrix(axis, Vec3{0, 0, 1}, 0.7f);
    ExpectNear(z, axis, 1e-7f);
    EXPECT_NEAR(z.m[3], std::sin(0.7), 1e-7);

    // FloatRotationXY(a, b) is RotationX(a) times RotationY(b), both taken
    // from the axis-angle form.
    FloatMatrix x, y, xy, built;
    AxisAngleMatrix(x, Vec3{1, 0, 0}, 0.3f);
    AxisAngleMatrix(y, Vec3{0, 1, 0}, -1.2f);
    MultiplyFloatMatrix(x, y, xy);
    FloatRotationXY(built, 0.3f, -1.2f);
    ExpectNear(built, xy, 1e-6f);

    // The 16.16 and float rotations agree.
    FixedMatrix fixed;
    RotationZ(fixed, 8192);  // an eighth of a turn
    FloatMatrix converted;
    FixedToFloatMatrix(converted, fixed);
    FloatRotationZ(z, float(M_PI / 4));
    ExpectNear(converted, z, 2e-5f);
}

TEST_F(FloatMathTest, InverseAndSingularMatrices)
{
    FloatMatrix m = {{2, 1, 0, 0, 3, 1, 1, 0, 4}}, inverse, product;
    EXPECT_EQ(InvertFloatMatrix(inverse, m), 1);
    MultiplyFloatMatrix(m, inverse, product);
    ExpectNear(product, Identity, 1e-6f);
    EXPECT_EQ(InvertFloatMatrix(m, m), 1);  // in place
    EXPECT_EQ(m, inverse);

    // A singular matrix is reported and leaves the identity, never NaN.
    const FloatMatrix singular[] = {
        {{1, 2, 3, 2, 4, 6, 0, 1, 1}},  // dependent rows
        {},                              // all zero
        {{1e-30f, 0, 0, 0, 1e-30f, 0, 0, 0, 1e-30f}},  // reciprocal past float range
        {{NAN, 0, 0, 0, 1, 0, 0, 0, 1}},
    };
    for (const FloatMatrix& s : singular) {
        FloatMatrix out = {{5, 5, 5, 5, 5, 5, 5, 5, 5}};
        EXPECT_EQ(InvertFloatMatrix(out, s), 0);
        EXPECT_EQ(out, Identity);
    }
}

TEST_F(FloatMathTest, ConversionsToFixed)
{
    FloatMatrix m = {{1, -0.5f, 0.25f, 1.0f / 131072, 3.0f / 131072, -1.0f / 131072, 0, 2, -1}};
    FixedMatrix fixed;
    FloatToFixedMatrix(m, fixed);
    FixedMatrix expected;
    SetMatrix(expected, 65536, -32768, 16384, 0, 2, 0, 0, 131072, -65536);  // ties to even
    EXPECT_EQ(fixed, expected);
    FloatMatrix back;
    FixedToFloatMatrix(back, expected);
    EXPECT_EQ(back.m[1], -0.5f);
    EXPECT_EQ(back.m[4], 2.0f / 65536);

    // A float offset in metres turned by a matrix, added to a 16.16 point.
    FloatMatrix turn = {{0, -1, 0, 1, 0, 0, 0, 0, 1}};
    FixedVector out;
    FloatOffsetToFixed(turn, Vec3{1.5f, 0.25f, -2}, MakeFixedVector(65536, 0, INT32_MAX), out);
    EXPECT_EQ(out, MakeFixedVector(65536 - 16384, 98304, std::int32_t(INT32_MAX - 131072)));
}

TEST_F(FloatMathTest, Vec2Helpers)
{
    Vec2 v{3, 4};
    EXPECT_EQ(Vec2Length(v), 5.0f);
    EXPECT_EQ(Vec2LengthSq(v), 25.0f);
    Vec2SetLength(v, 10);
    EXPECT_EQ(v, (Vec2{6, 8}));
    EXPECT_EQ(Vec2Normalise(v), 10.0f);
    EXPECT_EQ(v, (Vec2{0.6f, 0.8f}));

    // A zero vector has no direction: it stays zero and reports length 0
    // instead of turning into NaNs.
    Vec2 zero;
    Vec2SetLength(zero, 3);
    EXPECT_EQ(zero, Vec2{});
    EXPECT_EQ(Vec2Normalise(zero), 0.0f);
    EXPECT_EQ(zero, Vec2{});
}
