#include "workbench/numbers/shortest_float.h"

#include "core/big_unsigned.h"
#include "core/binary_format.h"

namespace {

// The value is 0.digits * 10^point.
struct ShortestDecimal {
    std::string digits;
    int point = 0;
};

// The free-format algorithm of Steele & White as Burger & Dybvig state it,
// in exact integers: v = r / s, and the values that read back as v lie
// within v - m_minus / s and v + m_plus / s (both ends included when the
// significand is even, since reading ties to even).
ShortestDecimal ShortestDigits(std::uint64_t bits, const BinaryFormat& format) {
    std::uint64_t f = 0;
    int e = 0;
    Decompose(bits, format, f, e);
    const bool even = (f & 1) == 0;
    // At a power of two the gap below is half the gap above.
    const bool narrow_below =
        f == (std::uint64_t{1} << FractionBits(format)) && e > format.min_exponent - FractionBits(format);
    const int extra = narrow_below ? 1 : 0;
    BigUnsigned r(f), s(1), m_plus(1), m_minus(1);
    if (e >= 0) {
        r.ShiftLeft(e + 1 + extra);
        s = BigUnsigned(2u << extra);
        m_plus.ShiftLeft(e + extra);
        m_minus.ShiftLeft(e);
    } else {
        r.ShiftLeft(1 + extra);
        s.ShiftLeft(1 - e + extra);
        m_plus = BigUnsigned(1u << extra);
    }

    // v >= 2^(top - 1) >= 10^(point - 1): the first digit is never 0, but
    // `point` may be one short.
    const int top = BitLength(f) + e;
    ShortestDecimal decimal;
    decimal.point = FloorLog10Pow2(top - 1) + 1;
    if (decimal.point >= 0) {
        s.MultiplyByPowerOf10(decimal.point);
    } else {
        r.MultiplyByPowerOf10(-decimal.point);
        m_plus.MultiplyByPowerOf10(-decimal.point);
        m_minus.MultiplyByPowerOf10(-decimal.point);
    }
    const auto reaches = [even](const BigUnsigned& low, const BigUnsigned& bound, const BigUnsigned& high) {
        BigUnsigned sum = low;
        sum.Add(bound);
        const int order = Compare(sum, high);
        return even ? order >= 0 : order > 0;
    };
    while (reaches(r, m_plus, s)) {
        s.MultiplyAdd(10, 0);
        ++decimal.point;
    }

    for (;;) {
        r.MultiplyAdd(10, 0);
        m_plus.MultiplyAdd(10, 0);
        m_minus.MultiplyAdd(10, 0);
        int digit = 0;
        while (Compare(r, s) >= 0) {
            r.Subtract(s);
            ++digit;
        }
        const int below = Compare(r, m_minus);
        const bool low_reads_back = even ? below <= 0 : below < 0;   // the digits so far
        const bool high_reads_back = reaches(r, m_plus, s);           // with the last one up
        if (low_reads_back && high_reads_back) {
            BigUnsigned twice = r;
            twice.ShiftLeft(1);
            const int half = Compare(twice, s);
            if (half > 0 || (half == 0 && digit % 2 != 0)) ++digit;
        } else if (high_reads_back) {
            ++digit;
        }
        decimal.digits += static_cast<char>('0' + digit);
        if (low_reads_back || high_reads_back) return decimal;
    }
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
    return minus + DecimalText(ShortestDigits(magnitude, format));
}

}  // namespace

std::string ShortestDecimalText(const std::string& digits, int point) { return DecimalText({digits, point}); }

std::string ShortestDoubleText(std::uint64_t bits) { return ShortestText(bits, kDouble); }

std::string ShortestSingleText(std::uint32_t bits) { return ShortestText(bits, kSingle); }
