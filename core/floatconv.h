// Floating-point conversions of the Hex->Float and Float->Hex tools, done in
// integer arithmetic so that every build (x86-64 Linux, 64-bit and 32-bit x87
// Windows) gives the same bits and the same texts whatever its floating-point
// unit, C library or locale.
#pragma once

#include <cstdint>

// Reads the number at the start of `text` (zero-terminated) like the C
// library's atof in the "C" locale: leading white space (space \t \n \v \f \r)
// is skipped, then the longest prefix of the form
//     [+-] digits [. [digits]] | [+-] . digits,   then optionally
//     (e|E) [+-] digits          (taken only when a digit follows)
// is converted, correctly rounded to nearest, ties to even. Whatever follows
// is ignored; a text without such a prefix reads 0. Out of range: +-infinity
// above the largest double, a subnormal or a signed zero below the smallest.
// Deliberately decimal only: no hexadecimal numbers, no "inf"/"nan" words and
// no d/D exponent letter, which C libraries disagree on. `end`, when given,
// is set where the number ends (as strtod sets it: `text` itself when there
// is no number).
double ReadDecimalNumber(const char* text, const char** end = nullptr);

// As ReadDecimalNumber, correctly rounded to single precision in one step:
// reading a double first and then rounding that to single rounds twice, and
// a decimal just above the midpoint of two floats can land on the midpoint
// and go down to the even one.
float ReadDecimalSingle(const char* text, const char** end = nullptr);

// `value` rounded to single precision, to nearest, ties to even: too large
// gives an infinity of the same sign, too small a subnormal or a signed zero.
float ToSingle(double value);

std::uint32_t SingleBits(float value);
std::uint64_t DoubleBits(double value);
float SingleFromBits(std::uint32_t bits);
double DoubleFromBits(std::uint64_t bits);

// Enough for any "%.Ng" text of a double with N <= kMaxGeneralPrecision,
// with its terminating zero.
constexpr int kMaxGeneralPrecision = 40;
constexpr int kGeneralTextSize = 1 + kMaxGeneralPrecision + 1 + 6 + 1;

// Writes `value` as printf's "%.<precision>g" does in the "C" locale, exactly
// rounded (ties to even): trailing zeros dropped, exponent notation below 1e-4
// or from 10^precision on, with a sign and at least two exponent digits
// ("1e+39"); "inf", "nan", with '-' when the sign bit is set. Precision 0 is
// taken as 1 and anything above kMaxGeneralPrecision as that. Like snprintf:
// writes at most `size` bytes including the terminating zero and returns the
// length of the whole text.
int FormatGeneral(double value, int precision, char* out, int size);
