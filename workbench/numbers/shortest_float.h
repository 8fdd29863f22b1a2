// Floating-point values as the shortest decimal that reads back to the same
// value, in integer arithmetic, so that every build writes the same text.
#pragma once

#include <cstdint>
#include <string>

// The shortest decimal that reads back, correctly rounded to nearest, to the
// double (or float) of these bits; of several as short, the one nearest the
// value, an exact tie going to the even last digit: the digits Python's repr
// picks. Written as repr writes them: plain when the decimal exponent is -4 to
// 15 ("0.0001", "1234.5"), else one digit before the point and an exponent of
// two digits or more ("1e+16", "1.5e-07"); a whole number has no ".0" ("10").
// A zero, an infinity and a NaN are "0", "inf", "nan", each with '-' when the
// sign bit is set.
std::string ShortestDoubleText(std::uint64_t bits);
std::string ShortestSingleText(std::uint32_t bits);

// 0.digits × 10^point, digits of which the first is not 0, written as the two
// above write theirs: for a long double's shortest digits, which need a
// larger number to work out (workbench/printf/exact_float.h).
std::string ShortestDecimalText(const std::string& digits, int point);
