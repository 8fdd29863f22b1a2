#include "core/big_unsigned.h"

BigUnsigned::BigUnsigned(std::uint64_t value) {
    words_[0] = static_cast<std::uint32_t>(value);
    words_[1] = static_cast<std::uint32_t>(value >> 32);
    used_ = 2;
    Trim();
}

void BigUnsigned::Trim() {
    while (used_ > 0 && words_[used_ - 1] == 0) --used_;
}

int BigUnsigned::BitLength() const {
    if (used_ == 0) return 0;
    int bits = (used_ - 1) * 32;
    for (std::uint32_t top = words_[used_ - 1]; top != 0; top >>= 1) ++bits;
    return bits;
}

bool BigUnsigned::AnyBitBelow(int index) const {
    for (int i = 0; i < used_ && i * 32 < index; ++i) {
        const int bits = index - i * 32;
        const std::uint32_t mask = bits >= 32 ? 0xFFFFFFFFu : ((1u << bits) - 1u);
        if (words_[i] & mask) return true;
    }
    return false;
}

void BigUnsigned::MultiplyAdd(std::uint32_t factor, std::uint32_t addend) {
    std::uint64_t carry = addend;
    for (int i = 0; i < used_; ++i) {
        const std::uint64_t product = static_cast<std::uint64_t>(words_[i]) * factor + carry;
        words_[i] = static_cast<std::uint32_t>(product);
        carry = product >> 32;
    }
    if (carry != 0 && used_ < kWords) words_[used_++] = static_cast<std::uint32_t>(carry);
    Trim();
}

void BigUnsigned::MultiplyByPowerOf10(int exponent) {
    // 10^9 is the largest power of ten that fits a word.
    for (; exponent >= 9; exponent -= 9) MultiplyAdd(1000000000u, 0);
    std::uint32_t rest = 1;
    for (; exponent > 0; --exponent) rest *= 10;
    MultiplyAdd(rest, 0);
}

void BigUnsigned::ShiftLeft(int bits) {
    if (used_ == 0 || bits <= 0) return;
    const int words = bits / 32, within = bits % 32;
    int top = used_ + words + 1;
    if (top > kWords) top = kWords;
    for (int i = top - 1; i >= 0; --i) {
        const int source = i - words;
        std::uint32_t value = 0;
        if (source >= 0 && source < used_) value = words_[source] << within;
        if (within != 0 && source - 1 >= 0 && source - 1 < used_) value |= words_[source - 1] >> (32 - within);
        words_[i] = value;
    }
    used_ = top;
    Trim();
}

void BigUnsigned::ShiftRight(int bits) {
    if (bits <= 0) return;
    const int words = bits / 32, within = bits % 32;
    for (int i = 0; i < used_; ++i) {
        const int source = i + words;
        std::uint32_t value = 0;
        if (source < used_) value = words_[source] >> within;
        if (within != 0 && source + 1 < used_) value |= words_[source + 1] << (32 - within);
        words_[i] = value;
    }
    Trim();
}

void BigUnsigned::ShiftRightOne() {
    for (int i = 0; i < used_; ++i) {
        const std::uint32_t next = i + 1 < used_ ? words_[i + 1] : 0;
        words_[i] = (words_[i] >> 1) | (next << 31);
    }
    Trim();
}

std::uint32_t BigUnsigned::DivideSmall(std::uint32_t divisor) {
    std::uint64_t remainder = 0;
    for (int i = used_ - 1; i >= 0; --i) {
        const std::uint64_t current = (remainder << 32) | words_[i];
        words_[i] = static_cast<std::uint32_t>(current / divisor);
        remainder = current % divisor;
    }
    Trim();
    return static_cast<std::uint32_t>(remainder);
}

void BigUnsigned::Add(const BigUnsigned& other) {
    const int longer = used_ > other.used_ ? used_ : other.used_;
    std::uint64_t carry = 0;
    for (int i = 0; i < longer; ++i) {
        const std::uint64_t sum = static_cast<std::uint64_t>(i < used_ ? words_[i] : 0) +
                                  (i < other.used_ ? other.words_[i] : 0) + carry;
        words_[i] = static_cast<std::uint32_t>(sum);
        carry = sum >> 32;
    }
    used_ = longer;
    if (carry != 0 && used_ < kWords) words_[used_++] = static_cast<std::uint32_t>(carry);
}

void BigUnsigned::Subtract(const BigUnsigned& other) {
    std::uint64_t borrow = 0;
    for (int i = 0; i < used_; ++i) {
        const std::uint64_t subtrahend = (i < other.used_ ? other.words_[i] : 0) + borrow;
        const std::uint64_t word = words_[i];
        borrow = word < subtrahend ? 1 : 0;
        words_[i] = static_cast<std::uint32_t>(word + (borrow << 32) - subtrahend);
    }
    Trim();
}

int Compare(const BigUnsigned& a, const BigUnsigned& b) {
    if (a.used_ != b.used_) return a.used_ < b.used_ ? -1 : 1;
    for (int i = a.used_ - 1; i >= 0; --i) {
        if (a.words_[i] != b.words_[i]) return a.words_[i] < b.words_[i] ? -1 : 1;
    }
    return 0;
}
