#include "workbench/crc/table64.h"

#include <cstring>

namespace {

std::uint64_t LoadLittleEndian(const unsigned char* p) {
    std::uint64_t word;
    std::memcpy(&word, p, sizeof word);  // any alignment
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
    word = __builtin_bswap64(word);
#endif
    return word;
}

// The eight bytes of `w` (the data XOR the register), each through the table
// of the zero bytes that follow it: the first byte has the most. Taken in
// 32-bit halves, whose top bytes need no mask: the loop is bound by these
// few instructions per byte. Inlined always: a call per word would cost as
// much as the lookups.
[[gnu::always_inline]] inline std::uint64_t Fold(const std::uint64_t (*table)[256], std::uint64_t w) {
    const auto low = static_cast<std::uint32_t>(w), high = static_cast<std::uint32_t>(w >> 32);
    return table[7][low & 0xFFu] ^ table[6][low >> 8 & 0xFFu] ^ table[5][low >> 16 & 0xFFu] ^ table[4][low >> 24] ^
           table[3][high & 0xFFu] ^ table[2][high >> 8 & 0xFFu] ^ table[1][high >> 16 & 0xFFu] ^ table[0][w >> 56];
}

// One block: word i through braid i. Inlined always: where it was a call
// (WebAssembly), the braids went through memory on each call, and the
// loop ran a tenth slower.
template <int kBraids>
[[gnu::always_inline]] inline void Round(const std::uint64_t (*table)[256], std::uint64_t (&braid)[kBraids],
                                         const unsigned char* block) {
#pragma GCC unroll 8
    for (int i = 0; i < kBraids; ++i) braid[i] = Fold(table, LoadLittleEndian(block + 8 * i) ^ braid[i]);
}

// One byte: the register moves past the byte that meets its low end.
[[gnu::always_inline]] inline std::uint64_t Step(const std::uint64_t* table, std::uint64_t reg, unsigned char byte) {
    return reg >> 8 ^ table[(reg ^ byte) & 0xFFu];
}

}  // namespace

CrcTable64::CrcTable64(const CrcParams& params) : swapped_(!params.refin), width_(params.width) {
    // The byte table, one bit at a time, in the register's own order: the
    // reflected register shifts right, the other left from the top.
    const int top_shift = 64 - width_;
    const std::uint64_t poly = swapped_ ? params.poly.low << top_shift : ReflectLowBits(params.poly, width_).low;
    for (unsigned b = 0; b < 256; ++b) {
        std::uint64_t reg = swapped_ ? std::uint64_t{b} << 56 : b;
        for (int bit = 0; bit < 8; ++bit) {
            if (swapped_) {
                reg = reg >> 63 != 0 ? reg << 1 ^ poly : reg << 1;
            } else {
                reg = (reg & 1u) != 0 ? reg >> 1 ^ poly : reg >> 1;
            }
        }
        slice_[0][b] = swapped_ ? __builtin_bswap64(reg) : reg;
    }
    // Each further table is the one before after one more zero byte.
    constexpr int kBraidZeros = 8 * (kBraids - 1);
    for (unsigned b = 0; b < 256; ++b) {
        std::uint64_t reg = slice_[0][b];
        for (int zeros = 0; zeros < kBraidZeros + 8; ++zeros, reg = Step(slice_[0], reg, 0)) {
            if (zeros < 8) slice_[zeros][b] = reg;
            if (zeros >= kBraidZeros) braid_[zeros - kBraidZeros][b] = reg;
        }
    }
}

std::uint64_t CrcTable64::ToWord(Uint128 reg) const {
    return swapped_ ? __builtin_bswap64(reg.low << (64 - width_)) : reg.low;
}

Uint128 CrcTable64::FromWord(std::uint64_t word) const {
    return swapped_ ? __builtin_bswap64(word) >> (64 - width_) : word;
}

std::uint64_t CrcTable64::Update(std::uint64_t reg, const unsigned char* p, std::size_t size) const {
    constexpr std::size_t kBlock = 8 * kBraids;
    // The braids: word i of each block goes to register i. Each register
    // stands for its words alone; a block always remains for the end, where
    // the registers join one word at a time.
    if (size >= 2 * kBlock) {
        std::uint64_t braid[kBraids] = {reg};
        // Two blocks a turn: the loop's own count and jump are a few per cent.
        for (; size >= 3 * kBlock; p += 2 * kBlock, size -= 2 * kBlock) {
            Round(braid_, braid, p);
            Round(braid_, braid, p + kBlock);
        }
        if (size >= 2 * kBlock) {
            Round(braid_, braid, p);
            p += kBlock;
            size -= kBlock;
        }
        reg = 0;
        for (int i = 0; i < kBraids; ++i) reg = Fold(slice_, LoadLittleEndian(p + 8 * i) ^ reg ^ braid[i]);
        p += kBlock;
        size -= kBlock;
    }
    for (; size >= 8; p += 8, size -= 8) reg = Fold(slice_, LoadLittleEndian(p) ^ reg);
    for (; size > 0; ++p, --size) reg = Step(slice_[0], reg, *p);
    return reg;
}
