// Float 3x3 matrices, 2D vectors and the float/16.16 conversions.
#include <gtest/gtest.h>

#include <cfenv>
#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

#include "core/local.h"
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

// The rounding every float-to-16.16 conversion uses: nearest, ties to even,
// the same whatever rounding mode the machine is left in. The reference is
// the processor's own rounding in its default mode.
TEST_F(FloatMathTest, RoundingIsHalfEvenInEveryMode)
{
    std::vector<double> values = {0.5, 1.5, 2.5, -0.5, -1.5, -2.5, 0.49999999999999994, -0.49999999999999994,
                                  4503599627370495.5, -4503599627370495.5, 4503599627370496.0, 1e300, -1e300,
                                  0.3, -0.3, 0.7, -0.7, 65535.5, -65536.5};
    std::mt19937_64 random(7);
    std::uniform_real_distribution<double> spread(-1e6, 1e6);
    for (int i = 0; i < 2000; ++i) {
        values.push_back(spread(random));
        values.push_back(std::floor(spread(random)) + 0.5);  // ties
    }
    std::vector<double> expected;
    for (double v : values)
        expected.push_back(std::nearbyint(v));
    for (int mode : {FE_TONEAREST, FE_UPWARD, FE_DOWNWARD, FE_TOWARDZERO}) {
        std::fesetround(mode);
        for (std::size_t i = 0; i < values.size(); ++i)
            EXPECT_EQ(RoundHalfEven(values[i]), expected[i]) << values[i] << " in mode " << mode;
    }
    std::fesetround(FE_TONEAREST);
    EXPECT_TRUE(std::signbit(RoundHalfEven(-0.0)));
    EXPECT_TRUE(std::isnan(RoundHalfEven(NAN)));
    // Held to the int range, every value that is no number giving 0.
    const struct {
        double value;
        std::int32_t expected;
    } held[] = {{1e12, INT32_MAX},      {-1e12, INT32_MIN},          {INFINITY, INT32_MAX},
                {-INFINITY, INT32_MIN}, {NAN, 0},                    {2147483646.5, 2147483646},
                {2147483647.5, INT32_MAX}, {-2147483648.5, INT32_MIN}, {-2.5, -2}};
    for (const auto& h : held)
        EXPECT_EQ(RoundToInt32(h.value), h.expected) << h.value;
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
