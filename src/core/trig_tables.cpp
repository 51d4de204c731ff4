// The sine, cosine and degree tables that every rotation builder reads.
#include <cmath>
#include <numbers>

#include "core/local.h"
#include "core/services.h"

TrigTableSet MutableTrigTables;
const TrigTableSet& TrigTables = MutableTrigTables;
DegreePair MutableDegreeTable[DegreeTableSize];
const DegreePair (&DegreeTable)[DegreeTableSize] = MutableDegreeTable;

namespace {

// pi/2 split in two: the high part has 33 significant bits, so k times it
// is exact for |k| below 2^20 and the reduced angle keeps its precision
// near multiples of pi/2 (where the tables' zeros sit).
constexpr double HalfPiHigh = 0x1.921fb544p+0;
constexpr double HalfPiLow = 6.07710050650619224932e-11;
constexpr double TwoOverPi = 0.63661977236758134308;

// Taylor coefficients (-1)^j / n!, highest power first, so the sums run
// from the smallest term; the first term left out is below 1e-22 for
// |r| <= pi/4.
struct TaylorCoefficients {
    double sine[12];    // for r^25 down to r^3
    double cosine[11];  // for r^24 down to r^4
};

constexpr TaylorCoefficients MakeTaylorCoefficients()
{
    TaylorCoefficients t{};
    for (int i = 0; i < 12; ++i) {
        int n = 25 - 2 * i;
        double term = 1.0;
        for (int k = 2; k <= n; ++k)
            term /= k;
        t.sine[i] = ((n - 1) / 2) % 2 ? -term : term;
    }
    for (int i = 0; i < 11; ++i) {
        int n = 24 - 2 * i;
        double term = 1.0;
        for (int k = 2; k <= n; ++k)
            term /= k;
        t.cosine[i] = (n / 2) % 2 ? -term : term;
    }
    return t;
}

constexpr TaylorCoefficients Taylor = MakeTaylorCoefficients();

double SineNear(double r)
{
    double r2 = r * r;
    double sum = 0.0;
    for (double coefficient : Taylor.sine)
        sum = coefficient + r2 * sum;
    return r + r * r2 * sum;
}

double CosineNear(double r)
{
    double r2 = r * r;
    double sum = 0.0;
    for (double coefficient : Taylor.cosine)
        sum = coefficient + r2 * sum;
    return 1.0 - 0.5 * r2 + r2 * r2 * sum;
}

}  // namespace

void ComputeSinCos(double angle, double& sine, double& cosine)
{
    if (!std::isfinite(angle)) {
        sine = cosine = NAN;
        return;
    }
    double k = std::floor(angle * TwoOverPi + 0.5);
    double r = (angle - k * HalfPiHigh) - k * HalfPiLow;
    double s = SineNear(r);
    double c = CosineNear(r);
    int quadrant = int(k - 4.0 * std::floor(k * 0.25));
    switch (quadrant) {
    case 0: sine = s; cosine = c; break;
    case 1: sine = c; cosine = -s; break;
    case 2: sine = -s; cosine = -c; break;
    default: sine = -c; cosine = s; break;
    }
}

// Entry i stands for i/65536 of a turn. The angle is held in double:
// i × 2^-16 × 6.2831855 (the single-precision 2 pi) is exact there. The
// sine is taken of that double angle; the cosine of the angle rounded to
// single precision. Each result times 65536 is rounded to single
// precision, then to the nearest integer with ties to even. So entry 0 is
// (0, 65536) and entry 16384 is (65536, 0).
void BuildTrigTables()
{
    const double twoPi = double(6.2831855f);
    for (int i = 0; i < TrigTableSet::Size; ++i) {
        double angle = double(i) * (1.0 / 65536.0) * twoPi;
        double sine, cosine, unused;
        ComputeSinCos(angle, sine, unused);
        ComputeSinCos(double(float(angle)), unused, cosine);
        MutableTrigTables.sine[i] = Fixed(RoundToInt32(float(sine * 65536.0)));
        MutableTrigTables.cosine[i] = Fixed(RoundToInt32(float(cosine * 65536.0)));
    }
    // Degrees to radians in single precision: degrees × pi × 1/180.
    for (int k = 0; k < DegreeTableSize; ++k) {
        MutableDegreeTable[k] = {};
        if (k > 90 && k < 166)
            continue;
        float degrees = float(k <= 90 ? -k : 256 - k);
        float radians = degrees * std::numbers::pi_v<float> * (1.0f / 180.0f);
        double sine, cosine;
        ComputeSinCos(radians, sine, cosine);
        MutableDegreeTable[k] = {Fixed(RoundToInt32(cosine * 65536.0)), Fixed(RoundToInt32(sine * 65536.0))};
    }
}
