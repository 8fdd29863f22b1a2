// A fixed-capacity unsigned big integer for exact decimal <-> binary
// conversion of floating-point values. No allocation: the words live inside
// the object. Operations whose result would not fit are the caller's error;
// the conversions size their numbers so that they always fit.
#pragma once

#include <cstdint>

class BigUnsigned {
public:
    // 4096 bits: the conversions need at most about 3900 (see floatconv.cpp).
    static constexpr int kWords = 128;
    static constexpr int kBits = kWords * 32;

    BigUnsigned() = default;
    explicit BigUnsigned(std::uint64_t value);

    bool IsZero() const { return used_ == 0; }
    // Number of significant bits; 0 for zero.
    int BitLength() const;
    // Whether any of the bits below `index` is set.
    bool AnyBitBelow(int index) const;

    void MultiplyAdd(std::uint32_t factor, std::uint32_t addend);
    void MultiplyByPowerOf10(int exponent);
    void ShiftLeft(int bits);
    void ShiftRight(int bits);
    void ShiftRightOne();
    // Divides in place and returns the remainder.
    std::uint32_t DivideSmall(std::uint32_t divisor);
    void Add(const BigUnsigned& other);
    // *this -= other; requires *this >= other.
    void Subtract(const BigUnsigned& other);

    friend int Compare(const BigUnsigned& a, const BigUnsigned& b);

private:
    void Trim();

    std::uint32_t words_[kWords] = {};  // least significant first
    int used_ = 0;                      // words below this index may be non-zero
};
