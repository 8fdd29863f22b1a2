#include "workbench/crc/byte_table.h"

namespace {

constexpr int kByteBits = 8;
constexpr unsigned kByteMask = 0xFF;
constexpr int kWordBits = 64;

std::uint64_t Low(std::uint64_t word) { return word; }
std::uint64_t Low(const Uint128& word) { return word.low; }

template <typename Word>
Word Mask(int width);
template <>
std::uint64_t Mask(int width) {
    return width >= kWordBits ? ~std::uint64_t{0} : (std::uint64_t{1} << width) - 1;
}
template <>
Uint128 Mask(int width) {
    return LowBitsMask(width);
}

}  // namespace

CrcByteTable::CrcByteTable(const CrcParams& params)
    : params_(params),
      held_width_(params.refin || params.width >= kByteBits ? params.width : kByteBits),
      shift_(held_width_ - params.width) {
    const int width = params.width;
    // The entries of single bits, one bit at a time: the reflected register
    // shifts right from its low end, the other left from its top.
    const Uint128 reflected_poly = ReflectLowBits(params.poly, width);
    const Uint128 held_poly = params.poly << shift_;
    const Uint128 held_mask = LowBitsMask(held_width_);
    Uint128 table[256];
    for (int bit = 0; bit < kByteBits; ++bit) {
        const unsigned byte = 1u << bit;
        Uint128 reg = params.refin ? Uint128{byte} : Uint128{byte} << (held_width_ - kByteBits);
        for (int step = 0; step < kByteBits; ++step) {
            if (params.refin) {
                reg = reg.Bit(0) ? (reg >> 1) ^ reflected_poly : reg >> 1;
            } else {
                const bool top = reg.Bit(held_width_ - 1);
                reg = (reg << 1) & held_mask;
                if (top) reg ^= held_poly;
            }
        }
        table[byte] = reg;
    }
    // A CRC is linear: the entry of a byte is the XOR of those of its bits.
    for (unsigned byte = 3; byte <= kByteMask; ++byte) {
        const unsigned low_bit = byte & (0u - byte);
        if (low_bit != byte) table[byte] = table[byte ^ low_bit] ^ table[low_bit];
    }
    if (held_width_ <= kWordBits) {
        narrow_.resize(256);
        for (unsigned byte = 0; byte <= kByteMask; ++byte) narrow_[byte] = table[byte].low;
    } else {
        wide_.assign(table, table + 256);
    }
}

Uint128 CrcByteTable::Start() const {
    return params_.refin ? ReflectLowBits(params_.init, params_.width) : params_.init << shift_;
}

namespace {

// The loop of either word: the reflected register meets each byte at its
// low end, the other at its top.
template <typename Word>
Word Run(const Word* table, bool reflected, int held_width, Word reg, const unsigned char* data, std::size_t size) {
    if (reflected) {
        for (std::size_t i = 0; i < size; ++i) reg = (reg >> kByteBits) ^ table[(Low(reg) ^ data[i]) & kByteMask];
        return reg;
    }
    const int top_shift = held_width - kByteBits;
    const Word held_mask = Mask<Word>(held_width);
    for (std::size_t i = 0; i < size; ++i) {
        const auto index = (Low(reg >> top_shift) ^ data[i]) & kByteMask;
        reg = ((reg << kByteBits) & held_mask) ^ table[index];
    }
    return reg;
}

}  // namespace

Uint128 CrcByteTable::Update(Uint128 reg, const unsigned char* data, std::size_t size) const {
    if (!narrow_.empty()) return Run(narrow_.data(), params_.refin, held_width_, reg.low, data, size);
    return Run(wide_.data(), params_.refin, held_width_, reg, data, size);
}

Uint128 CrcByteTable::Finish(Uint128 reg) const {
    const int width = params_.width;
    const Uint128 normal = params_.refin ? ReflectLowBits(reg, width) : reg >> shift_;
    return (params_.refout ? ReflectLowBits(normal, width) : normal) ^ params_.xorout;
}
