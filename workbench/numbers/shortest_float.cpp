#include "workbench/numbers/shortest_float.h"

#include "core/big_unsigned.h"
#include "core/binary_format.h"
#include "workbench/numbers/shortest_digits.h"

namespace {

// The value is 0.digits * 10^point.
struct ShortestDecimal {
    std::string digits;
    int point = 0;
};

ShortestDecimal ShortestDigitsOf(std::uint64_t bits, const BinaryFormat& format) {
    std::uint64_t f = 0;
    int e = 0;
    Decompose(bits, format, f, e);
    // At a power of two the gap below is half the gap above.
    const bool narrow_below =
        f == (std::uint64_t{1} << FractionBits(format)) && e > format.min_exponent - FractionBits(format);
    // v >= 2^(top - 1) >= 10^(point - 1): the first digit is never 0, but
    // `point` may be one short.
    const int top = BitLength(f) + e;
    ShortestDecimal decimal;
    decimal.point = FloorLog10Pow2(top - 1) + 1;
    decimal.digits = ShortestDigits<BigUnsigned>(f, e, narrow_below, decimal.point,
                                                 [](BigUnsigned& n, int k) { n.MultiplyByPowerOf10(k); });
    return decimal;
}

std::string DecimalText(const ShortestDecimal& decimal) {
    const std::string& digits = decimal.digits;
    const int count = static_cast<int>(digits.size());
    const int exponent = decimal.point - 1;  // of the first digit
    constexpr int kPlainFrom = -4, kPlainTo = 15;
    if (exponent >= kPlainFrom && exponent <= kPlainTo) {
        if (exponent < 0) return "0." + std::string(static_cast<std::size_t>(-exponent - 1), '0') + digits;
        if (count <= decimal.point) return digits + std::string(static_cast<std::size_t>(decimal.point - count), '0');
        return digits.substr(0, static_cast<std::size_t>(decimal.point)) + "." +
               digits.substr(static_cast<std::size_t>(decimal.point));
    }
    std::string text = digits.substr(0, 1);
    if (count > 1) text += "." + digits.substr(1);
    const int magnitude = exponent < 0 ? -exponent : exponent;
    text += exponent < 0 ? "e-" : "e+";
    if (magnitude < 10) text += '0';
    return text + std::to_string(magnitude);
}

std::string ShortestText(std::uint64_t bits, const BinaryFormat& format) {
    const std::uint64_t sign = std::uint64_t{1} << SignShift(format);
    const std::uint64_t magnitude = bits & (sign - 1);
    const std::string minus = (bits & sign) != 0 ? "-" : "";
    if (magnitude == InfinityBits(format)) return minus + "inf";
    if (magnitude > InfinityBits(format)) return minus + "nan";
    if (magnitude == 0) return minus + "0";
    return minus + DecimalText(ShortestDigitsOf(magnitude, format));
}

}  // namespace

std::string ShortestDecimalText(const std::string& digits, int point) { return DecimalText({digits, point}); }

std::string ShortestDoubleText(std::uint64_t bits) { return ShortestText(bits, kDouble); }

std::string ShortestSingleText(std::uint32_t bits) { return ShortestText(bits, kSingle); }
