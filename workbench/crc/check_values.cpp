#include "workbench/crc/check_values.h"

#include <string_view>

#include "workbench/crc/bitwise.h"

// Nine bytes one bit at a time cost less than the tables a fast engine would
// build for them.
Uint128 CrcCheckValue(const CrcParams& params) {
    constexpr std::string_view kCheckInput = "123456789";
    return crc_bitwise::Crc(params, kCheckInput);
}

// A message and its CRC leave xorout's bits (in the register's order) in the
// register where the message's own register stood; `width` zero bits then
// carry them through the polynomial, which is what the CRC's bits do.
Uint128 CrcResidue(const CrcParams& params) {
    const int width = params.width;
    Uint128 reg = params.refout ? ReflectLowBits(params.xorout, width) : params.xorout;
    for (int bit = 0; bit < width; ++bit) {
        const bool top = reg.Bit(width - 1);
        reg = (reg << 1) & LowBitsMask(width);
        if (top) reg ^= params.poly;
    }
    return params.refout ? ReflectLowBits(reg, width) : reg;
}

CrcModel DescribeCrc(const CrcParams& params) {
    return CrcModel{"", params, CrcCheckValue(params), CrcResidue(params)};
}
