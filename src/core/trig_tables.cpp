// The sine, cosine and degree tables that every rotation builder reads,
// and the sine, cosine and arc tangent of our own that they and the
// simulation's geometry are computed with.
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
// Below this |angle| x 2/pi + 0.5 stays under 1, so the reduction's
// multiple of pi/2 is 0 and the reduced angle is the angle itself.
constexpr double NearAngle = 0.75;

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

// The series from coefficient `first` on (0 takes them all).
double SineNear(double r, int first = 0)
{
    double r2 = r * r;
    double sum = 0.0;
    for (int i = first; i < 12; ++i)
        sum = Taylor.sine[i] + r2 * sum;
    return r + r * r2 * sum;
}

double CosineNear(double r, int first = 0)
{
    double r2 = r * r;
    double sum = 0.0;
    for (int i = first; i < 11; ++i)
        sum = Taylor.cosine[i] + r2 * sum;
    return 1.0 - 0.5 * r2 + r2 * r2 * sum;
}

// Within SmallAngle (the turn of a body in one sub-step, a steering
// correction) the series' terms from r^13 and r^12 up change no bit of the
// results: checked for every float angle up to 1/16 rad, where the short
// sums give the very doubles of the full ones. They start at this
// coefficient.
constexpr double SmallAngle = 0.0625;
constexpr int SmallAngleFirstTerm = 7;

// atan(x) for x >= 0: reflected to at most 1, halved twice (atan x =
// 2 atan(x / (1 + sqrt(1 + x^2))), square roots are exact in IEEE
// arithmetic) to at most tan(pi/16), then the series, whose next term is
// below 1e-19 there.
double AtanOfPositive(double x)
{
    const bool inverted = x > 1.0;
    if (inverted)
        x = 1.0 / x;
    for (int i = 0; i < 2; i++)
        x = x / (1.0 + std::sqrt(1.0 + x * x));
    const double x2 = x * x;
    double sum = 0;
    // Smallest terms first.
    for (int k = 13; k >= 0; k--) {
        double power = x;
        for (int j = 0; j < k; j++)
            power *= x2;
        const double term = power / (2 * k + 1);
        sum += (k % 2) ? -term : term;
    }
    const double angle = 4.0 * sum;
    return inverted ? std::numbers::pi / 2 - angle : angle;
}

}  // namespace

double ComputeAtan2(double y, double x)
{
    constexpr double Pi = std::numbers::pi;
    if (!(x == x) || !(y == y))
        return 0;
    if (x == 0)
        return y > 0 ? Pi / 2 : y < 0 ? -Pi / 2 : 0;
    const double ratio = y / x;
    double a = ratio < 0 ? -AtanOfPositive(-ratio) : AtanOfPositive(ratio);
    if (x < 0)
        a += y < 0 ? -Pi : Pi;
    return a;
}

void ComputeSinCos(double angle, double& sine, double& cosine)
{
    // Within NearAngle no multiple of pi/2 comes off: the series take the
    // angle as it is (the same bits as the reduction would give, which
    // leaves such an angle unchanged), without the reduction's work.
    if (angle <= SmallAngle && angle >= -SmallAngle) {
        sine = SineNear(angle, SmallAngleFirstTerm);
        cosine = CosineNear(angle, SmallAngleFirstTerm);
        return;
    }
    if (angle < NearAngle && angle > -NearAngle) {
        sine = SineNear(angle);
        cosine = CosineNear(angle);
        return;
    }
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
