// The sine, cosine and degree tables, the sine and cosine of our own that
// builds them, and the arc tangent of our own.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <fstream>
#include <numbers>
#include <string>

#include "core/services.h"
#include "support/process.h"
#include "support/temp_folder.h"

namespace {

class TrigTablesTest : public ::testing::Test {
protected:
    void SetUp() override { ResetCoreTables(); }
};

std::int32_t RoundEven(double x)
{
    return std::int32_t(std::nearbyint(x));  // the default mode: ties to even
}

}  // namespace

// The reference follows the table recipe with the machine library's sine
// and cosine and single-precision rounding through struct.
TEST_F(TrigTablesTest, TablesMatchReference)
{
    TempFolder folder;
    ProcessResult run = RunProcess(
        QV_PYTHON, {QV_SOURCE_DIR "/tests/core/fixed_math_oracle.py", "tables", "tables.txt"}, ".");
    ASSERT_EQ(run.exitCode, 0) << run.output;
    std::ifstream file(folder.Path() + "/tables.txt");
    int mismatches = 0;
    for (const Fixed* table : {TrigTables.sine, TrigTables.cosine})
        for (int i = 0; i < TrigTableSet::Size; ++i) {
            std::int32_t expected = 0;
            ASSERT_TRUE(file >> expected);
            if (table[i].raw != expected && ++mismatches < 10)
                ADD_FAILURE() << (table == TrigTables.sine ? "sine " : "cosine ") << i << ": "
                              << table[i].raw << " expected " << expected;
        }
    for (int k = 0; k < DegreeTableSize; ++k) {
        DegreePair expected;
        ASSERT_TRUE(file >> expected.cosine.raw >> expected.sine.raw);
        EXPECT_EQ(DegreeTable[k], expected) << "degree entry " << k;
    }
    EXPECT_EQ(mismatches, 0);
}

// Our sine and cosine give the same tables as the machine library does
// when the recipe is followed with it.
TEST_F(TrigTablesTest, TablesMatchLibraryRecipe)
{
    int mismatches = 0;
    for (int i = 0; i < TrigTableSet::Size; ++i) {
        double angle = double(i) * (1.0 / 65536.0) * double(6.2831855f);
        std::int32_t sine = RoundEven(float(std::sin(angle) * 65536.0));
        std::int32_t cosine = RoundEven(float(std::cos(double(float(angle))) * 65536.0));
        if ((TrigTables.sine[i].raw != sine || TrigTables.cosine[i].raw != cosine) && ++mismatches < 10)
            ADD_FAILURE() << "entry " << i;
    }
    EXPECT_EQ(mismatches, 0);
}

TEST_F(TrigTablesTest, PinnedEntries)
{
    struct Entry {
        int index;
        std::int32_t sine, cosine;
    } entries[] = {
        {0, 0, 65536},     {16384, 65536, 0}, {32768, 0, -65536}, {49152, -65536, 0},
        {8192, 46341, 46341}, {1, 6, 65536},  {65535, -6, 65536},  {10923, 56757, 32766},
    };
    for (const Entry& e : entries) {
        EXPECT_EQ(TrigTables.sine[e.index].raw, e.sine) << "sine " << e.index;
        EXPECT_EQ(TrigTables.cosine[e.index].raw, e.cosine) << "cosine " << e.index;
    }
    EXPECT_EQ(SineOf(65536 + 16384), Fixed(65536));
    EXPECT_EQ(CosineOf(-32768), Fixed(-65536));

    EXPECT_EQ(DegreeTable[0], (DegreePair{Fixed(65536), Fixed(0)}));
    EXPECT_EQ(DegreeTable[255], (DegreePair{Fixed(65526), Fixed(1144)}));   // 1 degree
    EXPECT_EQ(DegreeTable[1], (DegreePair{Fixed(65526), Fixed(-1144)}));    // -1 degree
    EXPECT_EQ(DegreeTable[90], (DegreePair{Fixed(0), Fixed(-65536)}));
    EXPECT_EQ(DegreeTable[166], (DegreePair{Fixed(0), Fixed(65536)}));
    EXPECT_EQ(DegreeTable[100], (DegreePair{}));
    EXPECT_EQ(DegreeTable[165], (DegreePair{}));
    // The byte of a negated angle: -(+30 degrees) is byte 226.
    EXPECT_EQ(DegreeTable[std::uint8_t(-30)].sine, Fixed(32768));
}

// Within a unit or two in the last place of the library over the ranges
// the game uses, the same for negative angles, and NaN for non-finite ones.
TEST_F(TrigTablesTest, OwnSineAndCosineAreAccurate)
{
    double worst = 0;
    for (int i = -20000; i <= 20000; ++i) {
        double angle = i * 0.000731 + (i % 7) * 1e-9;
        double s, c;
        ComputeSinCos(angle, s, c);
        worst = std::max({worst, std::abs(s - std::sin(angle)), std::abs(c - std::cos(angle))});
    }
    EXPECT_LT(worst, 4e-16);
    double s, c;
    ComputeSinCos(1e-300, s, c);
    EXPECT_EQ(s, 1e-300);
    EXPECT_EQ(c, 1.0);
    ComputeSinCos(INFINITY, s, c);
    EXPECT_TRUE(std::isnan(s) && std::isnan(c));
}

// Small angles (a body's turn in a sub-step) take a shorter series: its
// results are the very bits of the full series, which this sums as the
// long form did (all terms, smallest first), for float and double angles
// either side of the boundary and well below it.
TEST_F(TrigTablesTest, SmallAnglesGiveTheFullSeriesBits)
{
    auto fullSeries = [](double r, double& sine, double& cosine) {
        const double r2 = r * r;
        double s = 0, c = 0;
        for (int n = 25; n >= 3; n -= 2) {
            double term = 1;
            for (int k = 2; k <= n; ++k)
                term /= k;
            s = (((n - 1) / 2) % 2 ? -term : term) + r2 * s;
            if (n > 3) {
                double cosineTerm = 1;
                for (int k = 2; k <= n - 1; ++k)
                    cosineTerm /= k;
                c = (((n - 1) / 2) % 2 ? -cosineTerm : cosineTerm) + r2 * c;
            }
        }
        sine = r + r * r2 * s;
        cosine = 1.0 - 0.5 * r2 + r2 * r2 * c;
    };
    uint64_t state = 0x9E3779B97F4A7C15u;
    for (int i = 0; i < 200000; ++i) {
        state ^= state << 13, state ^= state >> 7, state ^= state << 17;
        const double mantissa = 1.0 + double(state >> 12) * 0x1p-52;
        double angle = std::ldexp(mantissa, -4 - int(state % 27));
        if (i % 2)
            angle = double(float(angle));
        if (i % 3 == 0)
            angle = -angle;
        double s, c, expectedS, expectedC;
        ComputeSinCos(angle, s, c);
        fullSeries(angle, expectedS, expectedC);
        ASSERT_EQ(s, expectedS) << angle;
        ASSERT_EQ(c, expectedC) << angle;
    }
}

// Within a few units in the last place of the library's atan2 in every
// quadrant and over wide ratios; the axes give the exact quarter turns the
// library gives, and a point without a direction gives 0.
TEST_F(TrigTablesTest, OwnArcTangentIsAccurate)
{
    double worst = 0;
    for (int i = 0; i < 4000; ++i) {
        const double turn = i * (2 * std::numbers::pi / 4000) + 1e-7;
        const double radius = std::ldexp(1.0, i % 41 - 20);
        const double x = radius * std::cos(turn), y = radius * std::sin(turn) * (1 + (i % 3) * 1e-3);
        worst = std::max(worst, std::abs(ComputeAtan2(y, x) - std::atan2(y, x)));
    }
    EXPECT_LT(worst, 2e-15);
    const struct {
        double y, x;
    } cases[] = {{1, 0}, {-1, 0}, {0, 1}, {0, -1}, {3, 3}, {-3, -3}, {1e-300, 1}, {1, 1e-300}, {5, -1e300}};
    for (const auto& c : cases)
        EXPECT_NEAR(ComputeAtan2(c.y, c.x), std::atan2(c.y, c.x), 1e-15) << c.y << ", " << c.x;
    EXPECT_EQ(ComputeAtan2(0, 0), 0);
    EXPECT_EQ(ComputeAtan2(NAN, 1), 0);
    EXPECT_EQ(ComputeAtan2(1, NAN), 0);
}
