// The shortest decimal digits that read back to a binary floating-point
// value, on whichever exact unsigned integer holds its numbers: a double's
// fit a fixed 4096 bits, a long double's need some 33000.
#pragma once

#include <cstdint>
#include <string>

// The free-format algorithm of Steele & White as Burger & Dybvig state it,
// in exact integers, for the value f × 2^e (f > 0): v = r / s, and the
// values that read back as v lie within v - m_minus / s and v + m_plus / s,
// both ends included when f is even (reading ties to even). `narrow_below`:
// f is the smallest significand of a normal binade above the lowest, where
// the gap below is half the gap above. Of several digits as short, the
// nearest the value, a tie going to the even digit.
//
// `point` comes in as an estimate of the decimal exponent that is exact or
// one short (10^(point - 1) <= v) and leaves as the value's: v is
// 0.digits × 10^point. `scale(n, k)` multiplies n by 10^k.
template <typename BigNumber, typename ScaleByPowerOf10>
std::string ShortestDigits(std::uint64_t f, int e, bool narrow_below, int& point, ScaleByPowerOf10 scale) {
    const bool even = (f & 1) == 0;
    const int extra = narrow_below ? 1 : 0;
    BigNumber r(f), s(1), m_plus(1), m_minus(1);
    if (e >= 0) {
        r.ShiftLeft(e + 1 + extra);
        s = BigNumber(std::uint64_t{2} << extra);
        m_plus.ShiftLeft(e + extra);
        m_minus.ShiftLeft(e);
    } else {
        r.ShiftLeft(1 + extra);
        s.ShiftLeft(1 - e + extra);
        m_plus = BigNumber(std::uint64_t{1} << extra);
    }
    if (point >= 0) {
        scale(s, point);
    } else {
        scale(r, -point);
        scale(m_plus, -point);
        scale(m_minus, -point);
    }
    const auto reaches = [even](const BigNumber& low, const BigNumber& bound, const BigNumber& high) {
        BigNumber sum = low;
        sum.Add(bound);
        const int order = Compare(sum, high);
        return even ? order >= 0 : order > 0;
    };
    while (reaches(r, m_plus, s)) {
        s.MultiplyAdd(10, 0);
        ++point;
    }
    std::string digits;
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
        const bool low_reads_back = even ? below <= 0 : below < 0;  // the digits so far
        const bool high_reads_back = reaches(r, m_plus, s);         // with the last one up
        if (low_reads_back && high_reads_back) {
            BigNumber twice = r;
            twice.ShiftLeft(1);
            const int half = Compare(twice, s);
            if (half > 0 || (half == 0 && digit % 2 != 0)) ++digit;
        } else if (high_reads_back) {
            ++digit;
        }
        digits += static_cast<char>('0' + digit);
        if (low_reads_back || high_reads_back) return digits;
    }
}
