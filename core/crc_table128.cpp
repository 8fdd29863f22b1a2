#include "core/crc_table128.h"

CrcTable128::CrcTable128(const CrcParams& params)
    : reflected_(params.refin), shift_(params.refin ? 0 : 128 - params.width) {
    const Uint128 poly = reflected_ ? ReflectLowBits(params.poly, params.width) : params.poly << shift_;
    for (unsigned b = 0; b < 256; ++b) {
        Uint128 reg = reflected_ ? Uint128{b} : Uint128{std::uint64_t{b} << 56, 0};
        for (int bit = 0; bit < 8; ++bit) {
            if (reflected_) {
                reg = (reg.low & 1u) != 0 ? reg >> 1 ^ poly : reg >> 1;
            } else {
                reg = reg.high >> 63 != 0 ? reg << 1 ^ poly : reg << 1;
            }
        }
        table_[b] = reg;
    }
}

Uint128 CrcTable128::Update(Uint128 reg, const unsigned char* data, std::size_t size) const {
    const unsigned char* const end = data + size;
    if (reflected_) {
        for (; data != end; ++data) reg = reg >> 8 ^ table_[(reg.low ^ *data) & 0xFFu];
    } else {
        for (; data != end; ++data) reg = reg << 8 ^ table_[(reg.high >> 56 ^ *data) & 0xFFu];
    }
    return reg;
}
