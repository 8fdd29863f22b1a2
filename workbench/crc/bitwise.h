// The slowest and plainest CRC of any width from 1 to 82: the register as a
// polynomial over GF(2), one message bit at a time, held in normal form (the
// first bit at the top) whatever the reflection. No table, no word tricks;
// Uint128 carries the bits. The table and folding paths (engine.h) are
// measured against it: it is the definition they must agree with.
#pragma once

#include <cstddef>
#include <vector>

#include "workbench/crc/params.h"

namespace crc_bitwise {

// One message bit into the register: its top bit and the bit leave, and the
// polynomial comes in when they differ.
inline Uint128 FeedBit(const CrcParams& p, Uint128 reg, bool bit) {
    const bool top = reg.Bit(p.width - 1);
    reg = (reg << 1) & LowBitsMask(p.width);
    return top != bit ? reg ^ p.poly : reg;
}

// The bits of a byte in the order they are sent: lowest first when refin.
inline bool ByteBit(const CrcParams& p, unsigned char byte, int k) {
    return (byte >> (p.refin ? k : 7 - k) & 1u) != 0;
}

// The register in normal form after `bytes`, starting from `reg`.
template <typename Bytes>
Uint128 Run(const CrcParams& p, Uint128 reg, const Bytes& bytes) {
    for (const auto byte : bytes) {
        for (int k = 0; k < 8; ++k) reg = FeedBit(p, reg, ByteBit(p, static_cast<unsigned char>(byte), k));
    }
    return reg;
}

// The CRC as it is delivered: the register reflected when refout, then
// XORed with xorout.
inline Uint128 Deliver(const CrcParams& p, Uint128 reg) {
    return (p.refout ? ReflectLowBits(reg, p.width) : reg) ^ p.xorout;
}

template <typename Bytes>
Uint128 Crc(const CrcParams& p, const Bytes& bytes) {
    return Deliver(p, Run(p, p.init, bytes));
}

}  // namespace crc_bitwise
