// An unsigned 128-bit number from two 64-bit words: CRCs run to 82 bits, and
// the 32-bit builds have no built-in integer that wide.
#pragma once

#include <cstdint>

struct Uint128 {
    std::uint64_t high = 0;
    std::uint64_t low = 0;

    constexpr Uint128() = default;
    // Implicit: every 64-bit value is one.
    constexpr Uint128(std::uint64_t value) : low(value) {}  // NOLINT(google-explicit-constructor)
    constexpr Uint128(std::uint64_t high_word, std::uint64_t low_word) : high(high_word), low(low_word) {}

    constexpr bool Bit(int index) const {
        return index < 64 ? (low >> index & 1u) != 0 : (high >> (index - 64) & 1u) != 0;
    }
    constexpr bool IsZero() const { return (high | low) == 0; }

    friend constexpr Uint128 operator^(Uint128 a, Uint128 b) { return {a.high ^ b.high, a.low ^ b.low}; }
    friend constexpr Uint128 operator&(Uint128 a, Uint128 b) { return {a.high & b.high, a.low & b.low}; }
    friend constexpr Uint128 operator|(Uint128 a, Uint128 b) { return {a.high | b.high, a.low | b.low}; }
    friend constexpr Uint128 operator~(Uint128 a) { return {~a.high, ~a.low}; }
    friend constexpr bool operator==(Uint128 a, Uint128 b) { return a.high == b.high && a.low == b.low; }
    friend constexpr bool operator!=(Uint128 a, Uint128 b) { return !(a == b); }

    // Shifts by 0 to 127 bits; a shift of 64 or more moves whole words, since
    // shifting a 64-bit word by 64 is undefined.
    friend constexpr Uint128 operator<<(Uint128 a, int n) {
        if (n == 0) return a;
        if (n >= 64) return {a.low << (n - 64), 0};
        return {a.high << n | a.low >> (64 - n), a.low << n};
    }
    friend constexpr Uint128 operator>>(Uint128 a, int n) {
        if (n == 0) return a;
        if (n >= 64) return {0, a.high >> (n - 64)};
        return {a.high >> n, a.low >> n | a.high << (64 - n)};
    }
    Uint128& operator^=(Uint128 b) { return *this = *this ^ b; }
    Uint128& operator&=(Uint128 b) { return *this = *this & b; }
    Uint128& operator|=(Uint128 b) { return *this = *this | b; }
    Uint128& operator<<=(int n) { return *this = *this << n; }
    Uint128& operator>>=(int n) { return *this = *this >> n; }
};

// The lowest `width` bits set, for widths 0 to 128.
constexpr Uint128 LowBitsMask(int width) {
    if (width == 0) return {};
    if (width >= 128) return ~Uint128{};
    return ~(~Uint128{} << width);
}

// The lowest `width` bits of `value` in the opposite order; the bits above
// them are dropped.
constexpr Uint128 ReflectLowBits(Uint128 value, int width) {
    Uint128 reflected;
    for (int bit = 0; bit < width; ++bit) {
        if (value.Bit(bit)) reflected |= Uint128{1} << (width - 1 - bit);
    }
    return reflected;
}
