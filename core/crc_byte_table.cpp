#include "core/crc_byte_table.h"

namespace {

constexpr int kByteBits = 8;
constexpr unsigned kByteMask = 0xFF;

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
    table_[0] = Uint128{};
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
        table_[byte] = reg;
    }
    // A CRC is linear: the entry of a byte is the XOR of those of its bits.
    for (unsigned byte = 3; byte <= kByteMask; ++byte) {
        const unsigned low_bit = byte & (0u - byte);
        if (low_bit != byte) table_[byte] = table_[byte ^ low_bit] ^ table_[low_bit];
    }
}

Uint128 CrcByteTable::Start() const {
    return params_.refin ? ReflectLowBits(params_.init, params_.width) : params_.init << shift_;
}

Uint128 CrcByteTable::Update(Uint128 reg, const unsigned char* data, std::size_t size) const {
    if (params_.refin) {
        for (std::size_t i = 0; i < size; ++i) reg = (reg >> kByteBits) ^ table_[(reg.low ^ data[i]) & kByteMask];
        return reg;
    }
    const int top_shift = held_width_ - kByteBits;
    const Uint128 held_mask = LowBitsMask(held_width_);
    for (std::size_t i = 0; i < size; ++i) {
        const unsigned index = ((reg >> top_shift).low ^ data[i]) & kByteMask;
        reg = ((reg << kByteBits) & held_mask) ^ table_[index];
    }
    return reg;
}

Uint128 CrcByteTable::Finish(Uint128 reg) const {
    const int width = params_.width;
    const Uint128 normal = params_.refin ? ReflectLowBits(reg, width) : reg >> shift_;
    return (params_.refout ? ReflectLowBits(normal, width) : normal) ^ params_.xorout;
}
