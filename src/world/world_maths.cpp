// Angle maths of the world with results that are the same bits on every
// machine: the world's geometry feeds the simulation, so no library
// transcendental may decide it.
#include <cmath>

#include "world/local.h"

namespace {

constexpr double Pi = 3.14159265358979323846;

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
    return inverted ? Pi / 2 - angle : angle;
}

} // namespace

double WorldAtan2(double y, double x)
{
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

double WorldTan(double angle)
{
    double s, c;
    ComputeSinCos(angle, s, c);
    return s / c;
}

int32_t HeadingToAngle16(float radians)
{
    const float a = radians * RadiansToAngle16;
    // A heading from a file may be anything; the cut to 32 bits is held.
    if (!(a > -2147483648.0f && a < 2147483648.0f))
        return 0;
    return static_cast<int32_t>(a);
}

int32_t Div16(int64_t a, int64_t b)
{
    if (b == 0)
        return 0;
    // |a| stays well inside 2^47 for any 16.16 value, so the shift cannot overflow.
    const int64_t q = (a * 65536) / b;
    return q > INT32_MAX ? INT32_MAX : q < INT32_MIN ? INT32_MIN : static_cast<int32_t>(q);
}
