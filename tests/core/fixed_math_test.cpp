// 16.16 products, matrix and transform maths, rotation builders and the
// vector helpers, checked against an independent Python reference and
// against closed-form answers.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "core/services.h"
#include "support/process.h"
#include "support/temp_folder.h"

// A float must not turn into a position without anyone noticing.
static_assert(!std::is_constructible_v<Fixed, float>);
static_assert(!std::is_constructible_v<Fixed, double>);
static_assert(!std::is_convertible_v<std::int32_t, Fixed>);
// The records are stored in files and packets at these sizes.
static_assert(sizeof(FixedVector) == 12 && sizeof(FixedMatrix) == 36 && sizeof(FixedTransform) == 48);

namespace {

class FixedMathTest : public ::testing::Test {
protected:
    void SetUp() override { ResetCoreTables(); }
};

FixedMatrix MatrixOf(const std::vector<std::int64_t>& v, size_t at)
{
    FixedMatrix m;
    for (int i = 0; i < 9; ++i)
        m.m[i] = Fixed(std::int32_t(v[at + i]));
    return m;
}

FixedVector VectorOf(const std::vector<std::int64_t>& v, size_t at)
{
    return MakeFixedVector(std::int32_t(v[at]), std::int32_t(v[at + 1]), std::int32_t(v[at + 2]));
}

}  // namespace

// Every case line is "operation inputs... expected outputs...", computed by
// the reference with unbounded integers and explicit wrapping.
TEST_F(FixedMathTest, ProductsAndRotationsMatchReference)
{
    TempFolder folder;
    ProcessResult run = RunProcess(
        QV_PYTHON, {QV_SOURCE_DIR "/tests/core/fixed_math_oracle.py", "cases", "cases.txt"}, ".");
    ASSERT_EQ(run.exitCode, 0) << run.output;
    std::ifstream file(folder.Path() + "/cases.txt");
    std::string line;
    std::map<std::string, int> counts;
    while (std::getline(file, line)) {
        std::istringstream in(line);
        std::string op;
        in >> op;
        std::vector<std::int64_t> v;
        for (std::int64_t x; in >> x;)
            v.push_back(x);
        ++counts[op];
        SCOPED_TRACE(line);
        if (op == "mul") {
            EXPECT_EQ(FixedMul(Fixed(std::int32_t(v[0])), Fixed(std::int32_t(v[1]))).raw, v[2]);
        } else if (op == "matmul") {
            FixedMatrix out;
            MultiplyMatrix(MatrixOf(v, 0), MatrixOf(v, 9), out);
            EXPECT_EQ(out, MatrixOf(v, 18));
        } else if (op == "rotate") {
            FixedVector out;
            RotateVector(MatrixOf(v, 0), VectorOf(v, 9), out);
            EXPECT_EQ(out, VectorOf(v, 12));
        } else if (op == "transform" || op == "inverse") {
            FixedTransform t;
            MakeTransform(t, MatrixOf(v, 0), VectorOf(v, 9));
            FixedVector out;
            if (op == "transform")
                TransformPoint(t, VectorOf(v, 12), out);
            else
                InverseTransformPoint(t, VectorOf(v, 12), out);
            EXPECT_EQ(out, VectorOf(v, 15));
        } else if (op == "compose") {
            FixedTransform t1, t2, out;
            MakeTransform(t1, MatrixOf(v, 0), VectorOf(v, 9));
            MakeTransform(t2, MatrixOf(v, 12), VectorOf(v, 21));
            ComposeTransform(t1, t2, out);
            EXPECT_EQ(out.matrix, MatrixOf(v, 24));
            EXPECT_EQ(out.translation, VectorOf(v, 33));
        } else if (op == "rotxy" || op == "rotzx" || op == "roty") {
            FixedMatrix out;
            std::int32_t a = std::int32_t(v[0]);
            if (op == "roty")
                RotationY(out, a);
            else if (op == "rotxy")
                RotationXY(out, a, std::int32_t(v[1]));
            else
                RotationZX(out, a, std::int32_t(v[1]));
            EXPECT_EQ(out, MatrixOf(v, op == "roty" ? 1 : 2));
        } else if (op == "rotzxy") {
            FixedMatrix out;
            RotationZXY(out, std::int32_t(v[0]), std::int32_t(v[1]), std::int32_t(v[2]));
            EXPECT_EQ(out, MatrixOf(v, 3));
        } else if (op == "normalise") {
            FixedVector vector = VectorOf(v, 0);
            EXPECT_EQ(NormaliseVector(vector), v[3]);
            EXPECT_EQ(vector, VectorOf(v, 4));
        } else {
            ADD_FAILURE() << "unknown case " << op;
        }
    }
    EXPECT_GE(counts["mul"], 2000);
    EXPECT_GE(counts["compose"], 500);
    EXPECT_GE(counts["rotzxy"], 300);
    EXPECT_GE(counts["normalise"], 1000);
}

TEST_F(FixedMathTest, ProductRoundsDownAndWraps)
{
    struct Case {
        std::int32_t a, b, product;
    } cases[] = {
        {-1, 1, -1},                     // floor, not truncation
        {1, 1, 0},
        {-65536, 65536, -65536},
        {98304, 98304, 147456},          // 1.5 × 1.5 = 2.25
        {INT32_MIN, INT32_MIN, 0},       // 2^46 keeps its low 32 bits: 0
        {INT32_MAX, 65536 * 2, -2},      // wraps past the top
    };
    for (const Case& c : cases)
        EXPECT_EQ(FixedMul(Fixed(c.a), Fixed(c.b)).raw, c.product) << c.a << " x " << c.b;
    EXPECT_EQ((Fixed(INT32_MAX) + Fixed(1)).raw, INT32_MIN);
    EXPECT_EQ((-Fixed(INT32_MIN)).raw, INT32_MIN);
}

TEST_F(FixedMathTest, ConstantsAndIdentity)
{
    EXPECT_EQ(AxisZ, MakeFixedVector(0, 0, 65536));
    FixedMatrix m;
    SetMatrix(m, 1, -2, 3, 65536, -65536, 7, INT32_MIN, INT32_MAX, 0);
    FixedMatrix out;
    MultiplyMatrix(IdentityMatrix, m, out);
    EXPECT_EQ(out, m);
    MultiplyMatrix(m, IdentityMatrix, out);
    EXPECT_EQ(out, m);
    FixedVector p = MakeFixedVector(5, -6, 7), moved;
    TransformPoint(IdentityTransform, p, moved);
    EXPECT_EQ(moved, p);
    FixedMatrix columns;
    MatrixFromColumns(columns, AxisY, AxisZ, AxisX);
    FixedVector turned;
    RotateVector(columns, AxisX, turned);
    EXPECT_EQ(turned, AxisY);
}

TEST_F(FixedMathTest, QuarterTurnsAreExact)
{
    FixedMatrix m;
    FixedVector out;
    RotationZ(m, 16384);
    RotateVector(m, AxisX, out);
    EXPECT_EQ(out, AxisY);
    RotationX(m, 16384);
    RotateVector(m, AxisY, out);
    EXPECT_EQ(out, AxisZ);
    RotationY(m, 16384);
    RotateVector(m, AxisZ, out);
    EXPECT_EQ(out, AxisX);
    // Angles are taken modulo a turn.
    FixedMatrix wrapped, plain;
    RotationX(wrapped, 65536 + 100);
    RotationX(plain, 100);
    EXPECT_EQ(wrapped, plain);
    RotationZ(wrapped, -16384);
    RotationZ(plain, 49152);
    EXPECT_EQ(wrapped, plain);
}

// Any built rotation keeps its columns unit length and square to each
// other within a few units, and the inverse transform undoes the forward
// one within a few units.
TEST_F(FixedMathTest, RotationsStayOrthonormal)
{
    std::uint32_t seed = 12345;
    auto next = [&seed] { seed = seed * 1103515245u + 12345u; return std::int32_t(seed >> 8); };
    for (int i = 0; i < 500; ++i) {
        FixedMatrix m;
        RotationZXY(m, next(), next(), next());
        FixedMatrix product, transpose;
        for (int r = 0; r < 3; ++r)
            for (int c = 0; c < 3; ++c)
                transpose.At(r, c) = m.At(c, r);
        MultiplyMatrix(transpose, m, product);
        for (int k = 0; k < 9; ++k)
            EXPECT_NEAR(product.m[k].raw, IdentityMatrix.m[k].raw, 6) << "case " << i << " element " << k;
        FixedTransform t;
        MakeTransform(t, m, MakeFixedVector(next(), next(), next()));
        FixedVector p = MakeFixedVector(next() >> 8, next() >> 8, next() >> 8), there, back;
        TransformPoint(t, p, there);
        InverseTransformPoint(t, there, back);
        // Each pass floors (at most 1 unit per row and pass) and the
        // matrix is orthonormal only within 6 units in 65536.
        double bound = 4 + (std::abs(p.x.raw) + std::abs(p.y.raw) + std::abs(p.z.raw)) * 6.0 / 65536;
        for (int k = 0; k < 3; ++k)
            EXPECT_NEAR(back[k].raw, p[k].raw, bound) << "case " << i;
    }
}

TEST_F(FixedMathTest, NormaliseVectors)
{
    FixedVector v = MakeFixedVector(196608, 262144, 0);  // (3 m, 4 m, 0)
    EXPECT_EQ(NormaliseVector(v), 1);
    EXPECT_EQ(v, MakeFixedVector(39321, 52428, 0));
    v = MakeFixedVector(-196608, 0, -262144);
    EXPECT_EQ(NormaliseVector(v), 1);
    EXPECT_EQ(v, MakeFixedVector(-39321, 0, -52428));  // truncated towards zero
    v = ZeroVector;
    EXPECT_EQ(NormaliseVector(v), 0);
    EXPECT_EQ(v, ZeroVector);

    FixedVector out;
    NormaliseOrUp(MakeFixedVector(100, -200, 50), out);  // shorter than 1/256 m
    EXPECT_EQ(out, AxisZ);
    NormaliseOrUp(MakeFixedVector(0, -256, 0), out);
    EXPECT_EQ(out, MakeFixedVector(0, -65536, 0));

    EXPECT_EQ(IntLength2(3, 4), 5);
    EXPECT_EQ(IntLength3(1, 1, 0), 1);                   // 1.414 rounds down
    EXPECT_EQ(IntLength3(INT32_MIN, INT32_MIN, 0), INT32_MAX);  // held, no wrap
    // A vector longer than 2^31 units still normalises by its true length.
    v = MakeFixedVector(INT32_MIN, INT32_MIN, 0);
    EXPECT_EQ(NormaliseVector(v), 1);
    EXPECT_EQ(v, MakeFixedVector(-46340, -46340, 0));
}

TEST_F(FixedMathTest, UnitNormals)
{
    FixedVector out;
    NormalOfVectors(MakeFixedVector(2 * 65536, 0, 0), MakeFixedVector(0, 3 * 65536, 0), out);
    EXPECT_EQ(out, AxisZ);
    NormalOfVectors(MakeFixedVector(65536, 65536, 0), MakeFixedVector(0, 0, 65536), out);
    EXPECT_EQ(out, MakeFixedVector(46341, -46341, 0));   // 65536 / sqrt 2, rounded
    NormalOfVectors(MakeFixedVector(5, 0, 0), MakeFixedVector(10, 0, 0), out);
    EXPECT_EQ(out, ZeroVector);

    // Counter-clockwise seen from above: up.
    EXPECT_EQ(TriangleNormal(MakeFixedVector(65536, 65536, 0), MakeFixedVector(131072, 65536, 0),
                             MakeFixedVector(65536, 131072, 0)),
              AxisZ);
    // A degenerate triangle keeps its (zero) cross product.
    EXPECT_EQ(TriangleNormal(AxisX, AxisX, AxisY), ZeroVector);
}

TEST_F(FixedMathTest, DistancesInMetres)
{
    FixedVector a = MakeFixedVector(65536, 2 * 65536, 5 * 65536);
    FixedVector b = MakeFixedVector(4 * 65536, 6 * 65536, -7 * 65536);
    EXPECT_FLOAT_EQ(FixedDistance(a, b), 13.0f);
    EXPECT_FLOAT_EQ(FixedDistanceXY(a, b), 5.0f);
    // The differences wrap in 32 bits: points just either side of the wrap
    // are one unit apart.
    EXPECT_FLOAT_EQ(FixedDistanceXY(MakeFixedVector(INT32_MAX, 0, 0), MakeFixedVector(INT32_MIN, 0, 0)),
                    1.0f / 65536);
    float max = 20.0f;
    GrowMaxDistance(max, MakeFixedVector(3 * 65536, 4 * 65536, 0));
    EXPECT_FLOAT_EQ(max, 25.0f);
    GrowMaxDistance(max, MakeFixedVector(65536, 0, 0));
    EXPECT_FLOAT_EQ(max, 25.0f);
    EXPECT_EQ(FixedFromMetres(1.5), Fixed(98304));
    EXPECT_EQ(FixedFromMetres(0.5 / 65536), Fixed(0));    // tie to even
    EXPECT_EQ(FixedFromMetres(1.5 / 65536), Fixed(2));
    EXPECT_EQ(FixedFromMetres(-1e12), Fixed(INT32_MIN));  // held, not undefined
}

// Records in files: little-endian 32-bit values, transform = matrix then
// translation.
TEST_F(FixedMathTest, RecordsReadAndWrite)
{
    std::vector<std::uint8_t> image = {'Z', 'K', 'T', 'E', 'S', 'T', 0, 1};
    for (std::int32_t i = 1; i <= 12; ++i) {
        std::uint32_t value = std::uint32_t(i == 4 ? -2 : i * 65536);
        for (int b = 0; b < 4; ++b)
            image.push_back(std::uint8_t(value >> (8 * b)));
    }
    DataFile reader;
    int version = 0;
    OpenDataBlock(reader, image.data(), image.size(), version);
    ASSERT_TRUE(reader.IsOpen());
    FixedTransform t;
    ReadTransform(t, reader);
    FixedMatrix expected;
    SetMatrix(expected, 65536, 131072, 196608, -2, 5 * 65536, 6 * 65536, 7 * 65536, 8 * 65536, 9 * 65536);
    EXPECT_EQ(t.matrix, expected);
    EXPECT_EQ(t.translation, MakeFixedVector(10 * 65536, 11 * 65536, 12 * 65536));
    CloseDataFile(reader);

    TempFolder folder;
    DataFile writer;
    CreateDataFile(writer, nullptr, "vector.bin", "ZKTEST", 1);
    ASSERT_TRUE(writer.IsOpen());
    WriteVector(MakeFixedVector(-1, 65536, 0x01020304), writer);
    ASSERT_EQ(CloseDataFile(writer), 1);
    EXPECT_EQ(folder.ReadFile("vector.bin"),
              std::string("ZKTEST\0\1" "\xff\xff\xff\xff" "\0\0\1\0" "\4\3\2\1", 20));
}
