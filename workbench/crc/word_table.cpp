#include "workbench/crc/word_table.h"

#include <cstring>
#include <limits>

namespace {

std::uint64_t LoadLittleEndian(const unsigned char* p) {
    std::uint64_t word;
    std::memcpy(&word, p, sizeof word);  // any alignment
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
    word = __builtin_bswap64(word);
#endif
    return word;
}

template <typename Word>
constexpr int kBits = std::numeric_limits<Word>::digits;

std::uint32_t ByteSwap(std::uint32_t v) { return __builtin_bswap32(v); }
std::uint64_t ByteSwap(std::uint64_t v) { return __builtin_bswap64(v); }

// The eight bytes of `w` (the data XOR the register), each through the table
// of the zero bytes that follow it: the first byte has the most. Taken in
// 32-bit halves, whose top bytes need no mask: the loop is bound by these
// few instructions per byte. Inlined always: a call per word would cost as
// much as the lookups.
template <typename Word>
[[gnu::always_inline]] inline Word Fold(const Word (*table)[256], std::uint64_t w) {
    const auto low = static_cast<std::uint32_t>(w), high = static_cast<std::uint32_t>(w >> 32);
    return table[7][low & 0xFFu] ^ table[6][low >> 8 & 0xFFu] ^ table[5][low >> 16 & 0xFFu] ^ table[4][low >> 24] ^
           table[3][high & 0xFFu] ^ table[2][high >> 8 & 0xFFu] ^ table[1][high >> 16 & 0xFFu] ^ table[0][w >> 56];
}

// One block: word i through braid i. Inlined always: where it was a call
// (WebAssembly), the braids went through memory on each call, and the
// loop ran a tenth slower.
template <typename Word, int kBraids>
[[gnu::always_inline]] inline void Round(const Word (*table)[256], Word (&braid)[kBraids], const unsigned char* block) {
#pragma GCC unroll 8
    for (int i = 0; i < kBraids; ++i) braid[i] = Fold(table, LoadLittleEndian(block + 8 * i) ^ braid[i]);
}

// One byte: the register moves past the byte that meets its low end.
template <typename Word>
[[gnu::always_inline]] inline Word Step(const Word* table, Word reg, unsigned char byte) {
    return reg >> 8 ^ table[(reg ^ byte) & 0xFFu];
}

}  // namespace

template <typename Word>
CrcWordTable<Word>::CrcWordTable(const CrcParams& params) : swapped_(!params.refin), width_(params.width) {
    // The byte table, one bit at a time, in the register's own order: the
    // reflected register shifts right, the other left from the top.
    const int top_shift = kBits<Word> - width_;
    const Word poly = static_cast<Word>(swapped_ ? params.poly.low << top_shift : ReflectLowBits(params.poly, width_).low);
    for (unsigned b = 0; b < 256; ++b) {
        Word reg = swapped_ ? static_cast<Word>(Word{b} << (kBits<Word> - 8)) : Word{b};
        for (int bit = 0; bit < 8; ++bit) {
            if (swapped_) {
                reg = static_cast<Word>(reg >> (kBits<Word> - 1) != 0 ? reg << 1 ^ poly : reg << 1);
            } else {
                reg = (reg & 1u) != 0 ? reg >> 1 ^ poly : reg >> 1;
            }
        }
        slice_[0][b] = swapped_ ? ByteSwap(reg) : reg;
    }
    // Each further table is the one before after one more zero byte.
    constexpr int kBraidZeros = 8 * (kBraids - 1);
    for (unsigned b = 0; b < 256; ++b) {
        Word reg = slice_[0][b];
        for (int zeros = 0; zeros < kBraidZeros + 8; ++zeros, reg = Step(slice_[0], reg, 0)) {
            if (zeros < 8) slice_[zeros][b] = reg;
            if (zeros >= kBraidZeros) braid_[zeros - kBraidZeros][b] = reg;
        }
    }
}

template <typename Word>
Word CrcWordTable<Word>::ToWord(Uint128 reg) const {
    return swapped_ ? ByteSwap(static_cast<Word>(reg.low << (kBits<Word> - width_))) : static_cast<Word>(reg.low);
}

template <typename Word>
Uint128 CrcWordTable<Word>::FromWord(Word word) const {
    return swapped_ ? ByteSwap(word) >> (kBits<Word> - width_) : word;
}

template <typename Word>
Word CrcWordTable<Word>::Update(Word reg, const unsigned char* p, std::size_t size) const {
    constexpr std::size_t kBlock = 8 * kBraids;
    // The braids: word i of each block goes to register i. Each register
    // stands for its words alone; a block always remains for the end, where
    // the registers join one word at a time.
    if (size >= 2 * kBlock) {
        Word braid[kBraids] = {reg};
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

template class CrcWordTable<std::uint32_t>;
template class CrcWordTable<std::uint64_t>;
