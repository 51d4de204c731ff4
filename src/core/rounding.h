// Rounding of floating-point values to whole numbers, the same on every
// machine and in every rounding mode, and their safe conversion to int.
#pragma once

#include <cmath>
#include <cstdint>

// Rounds to the nearest integer, ties to even, whatever the machine's
// rounding mode is set to (the maths must give the same bits everywhere).
// Integer conversion truncates in every rounding mode, so the floor and the
// parity need no library call (this runs in the physics' inner loops).
inline double RoundHalfEven(double value)
{
    // From 2^52 on every double is whole; NaN and zeros (with their sign)
    // go back as they came.
    if (!(std::fabs(value) < 4503599627370496.0) || value == 0)
        return value;
    std::int64_t whole = static_cast<std::int64_t>(value);
    if (static_cast<double>(whole) > value)
        whole -= 1;
    double rest = value - static_cast<double>(whole);
    if (rest > 0.5 || (rest == 0.5 && (whole & 1) != 0))
        whole += 1;
    return static_cast<double>(whole);
}

// Rounds like RoundHalfEven and holds the result to the 32-bit range; NaN
// gives 0. (Converting an out-of-range double to an integer is undefined.)
// Every value that comes from a file or a packet reaches an int through
// here (a whole number, such as a floor, passes unchanged).
inline std::int32_t RoundToInt32(double value)
{
    double rounded = RoundHalfEven(value);
    if (!(rounded == rounded))
        return 0;
    if (rounded >= 2147483647.0)
        return INT32_MAX;
    if (rounded <= -2147483648.0)
        return INT32_MIN;
    return std::int32_t(rounded);
}
