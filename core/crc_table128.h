// The byte table of a CRC wider than a 64-bit word (widths 65 to 82), and its
// loop: one lookup per byte on a two-word register. Reflected CRCs keep the
// register in the low bits and shift it right; the others keep it in the top
// bits of the 128 and shift it left.
#pragma once

#include <cstddef>

#include "core/crc_params.h"

class CrcTable128 {
public:
    explicit CrcTable128(const CrcParams& params);

    // The engine's register (right-aligned, reflected when refin is) as this
    // class holds it, and back.
    Uint128 ToInner(Uint128 reg) const { return reg << shift_; }
    Uint128 FromInner(Uint128 inner) const { return inner >> shift_; }

    Uint128 Update(Uint128 reg, const unsigned char* data, std::size_t size) const;

private:
    bool reflected_;
    int shift_;  // 128 - width for the CRCs held at the top, else 0
    Uint128 table_[256];  // the register each byte leaves
};
