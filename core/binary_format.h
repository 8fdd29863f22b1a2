// The IEEE-754 binary formats as the exact conversions see them: plain
// integer facts about their fields, shared by the decimal reader and the
// two decimal writers.
#pragma once

#include <cstdint>

// Significand bits including the hidden one, and the range of the unbiased
// exponent of normal values (the bias is the top).
struct BinaryFormat {
    int significand_bits;
    int min_exponent;
    int max_exponent;
};
constexpr BinaryFormat kDouble = {53, -1022, 1023};
constexpr BinaryFormat kSingle = {24, -126, 127};

constexpr int FractionBits(const BinaryFormat& format) { return format.significand_bits - 1; }

// The exponent field all ones, the fraction zero.
constexpr std::uint64_t InfinityBits(const BinaryFormat& format) {
    return static_cast<std::uint64_t>(2 * format.max_exponent + 1) << FractionBits(format);
}

// The number of significant bits of `value`, by halving the range.
inline int BitLength(std::uint64_t value) {
    int bits = 0;
    for (int step = 32; step > 0; step /= 2) {
        if (value >> step) {
            value >>= step;
            bits += step;
        }
    }
    return bits + (value != 0 ? 1 : 0);
}

// The sign sits just above the exponent field, whose top is infinity's.
inline int SignShift(const BinaryFormat& format) { return BitLength(InfinityBits(format)); }

// floor(n * log10(2)) for |n| <= 1650, where 78913 / 2^18 is close enough
// to log10(2). n * log10(2) is irrational for n != 0, so below zero the floor
// lies one under the negated floor of -n * log10(2).
inline int FloorLog10Pow2(int n) {
    constexpr int kLog10Of2Times2To18 = 78913;
    constexpr int kScaleBits = 18;
    if (n >= 0) return n * kLog10Of2Times2To18 >> kScaleBits;
    return -(-n * kLog10Of2Times2To18 >> kScaleBits) - 1;
}

// The exact magnitude of finite non-zero `bits` as significand * 2^exp2; the
// sign bit is ignored.
inline void Decompose(std::uint64_t bits, const BinaryFormat& format, std::uint64_t& significand, int& exp2) {
    const int fraction_bits = FractionBits(format);
    const int field = static_cast<int>((bits >> fraction_bits) & static_cast<std::uint64_t>(2 * format.max_exponent + 1));
    significand = bits & ((std::uint64_t{1} << fraction_bits) - 1);
    if (field == 0) {
        exp2 = format.min_exponent - fraction_bits;
    } else {
        significand |= std::uint64_t{1} << fraction_bits;
        exp2 = field - format.max_exponent - fraction_bits;
    }
}
