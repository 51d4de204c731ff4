// Angle maths of the world with results that are the same bits on every
// machine: the world's geometry feeds the simulation, so no library
// transcendental may decide it.
#include "world/local.h"

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
