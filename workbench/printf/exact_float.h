// Binary floating-point values read from C's texts and written as C's printf
// writes them (%f %e %g %a), exactly, in integer arithmetic of unbounded
// size: the same text on every build, whatever its floating-point unit, its
// C library or the size of its long double.
#pragma once

#include <cstdint>
#include <string>

// The two formats printf takes: double (IEEE-754 binary64) and long double
// as on x86-64 Linux (the x87 80-bit extended format: a 64-bit significand
// with its leading bit explicit, exponents as binary64's widened to 15 bits).
enum class FloatFormat { Double, LongDouble };

// A value of one of the formats: an infinity, a NaN, or
// significand × 2^exponent. Finite values are canonical for their format:
// a normal number's significand has its top bit set (bit 52 of a double,
// bit 63 of a long double), a subnormal one has the smallest exponent
// (-1074 or -16445), and zero is 0 × 2^0.
struct BinaryFloat {
    enum Kind { Finite, Infinity, NaN };
    Kind kind = Finite;
    bool negative = false;
    std::uint64_t significand = 0;
    int exponent = 0;
};

// Reads the whole of `text` as C's strtod reads a number (strtold for a long
// double), correctly rounded to nearest, ties to even: an optional sign, then
// a decimal number with an optional exponent (1.5, .5, 1e-3, 5.), a
// hexadecimal one with an optional binary exponent (0x1.8p3, 0xAp-2), or
// inf, infinity, nan, nan(chars) in any case. No blanks, nothing after the
// number. A finite number beyond the format's range reads as infinity, one
// below its smallest subnormal as zero, each with its sign; `overflow` says
// which of the two happened (false when neither did). False when the text
// is no number.
bool ReadFloat(const std::string& text, FloatFormat format, BinaryFloat& value, bool* overflow = nullptr);

// A double's bits as a BinaryFloat, and back (a long double's value is held
// only as a BinaryFloat).
BinaryFloat FloatFromDoubleBits(std::uint64_t bits);
std::uint64_t DoubleBitsOf(const BinaryFloat& value);

// One conversion's choices, as the conversion gives them.
struct FloatStyle {
    char conversion = 'f';  // f F e E g G a A
    int precision = -1;     // -1: none given
    bool alternate = false; // '#'
};

// The characters of `value` as printf's conversion writes them, before the
// sign, the padding and the width: the digits, the point and the exponent
// ("3.142", "1.5e+10", "0x1.8p+3", "inf"). The sign is the caller's (see
// BinaryFloat::negative), as its place depends on the flags.
std::string FloatBody(const BinaryFloat& value, FloatFormat format, const FloatStyle& style);

// The shortest decimal that reads back, correctly rounded to nearest, to
// `value` in `format`, written as ShortestDoubleText writes a double
// (workbench/numbers/shortest_float.h): "0.1", "1e+4000", "-inf", "nan".
std::string ShortestFloatText(const BinaryFloat& value, FloatFormat format);
