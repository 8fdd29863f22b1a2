// A CRC of any parameters (widths 1 to 82) a byte at a time through one
// 256-entry table: for frames of a few hundred bytes, where CrcEngine's
// sixteen tables would take longer to build than the bytes take to run
// (`find` sets one up for every catalogue model at each start), and for
// CrcEngine's registers wider than a 64-bit word.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "workbench/crc/params.h"

class CrcByteTable {
public:
    // `params` must be sound.
    explicit CrcByteTable(const CrcParams& params);

    const CrcParams& params() const { return params_; }

    // As CrcEngine's: the register carried between runs of bytes. From a
    // width of 8 on it is CrcEngine's register (right-aligned, reflected
    // when refin is); narrower, this class's own.
    Uint128 Start() const;
    Uint128 Update(Uint128 reg, const unsigned char* data, std::size_t size) const;
    Uint128 Finish(Uint128 reg) const;

    Uint128 Compute(const unsigned char* data, std::size_t size) const { return Finish(Update(Start(), data, size)); }

private:
    CrcParams params_;
    // A register narrower than a byte is held shifted up to 8 bits, so that
    // a byte always meets its top bits whole; unreflected only.
    int held_width_;
    int shift_;  // held_width_ - width
    // One table of the two: 64-bit words while the register fits one, as
    // it does for all but the widest CRCs, for speed.
    std::vector<std::uint64_t> narrow_;
    std::vector<Uint128> wide_;
};
