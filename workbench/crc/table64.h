// The tables of a CRC whose register fits one 64-bit word (widths 1 to 64),
// and the loop that runs them.
//
// The loop knows one order only: the register is kept so that its byte k (in
// value, from the low end) meets the k-th byte of the data that follows, as
// a little-endian load sees the data. A reflected CRC's register is that
// already (right-aligned); any other is put at the top of the word, so that
// widths below 8 need no special case, and byte-swapped, and so are its
// tables. One loop then serves both, with no swap per word.
#pragma once

#include <cstddef>
#include <cstdint>

#include "workbench/crc/params.h"

class CrcTable64 {
public:
    // Words of 8 bytes that run side by side, each with a register of its
    // own: a lookup waits for the register its word left, so one word at a
    // time would leave the processor idle between lookups. Six ran fastest
    // of 3 to 8 (the engine benchmark).
    static constexpr int kBraids = 6;

    explicit CrcTable64(const CrcParams& params);

    // The engine's register (right-aligned, reflected when refin is) in the
    // loop's order, and back.
    std::uint64_t ToWord(Uint128 reg) const;
    Uint128 FromWord(std::uint64_t word) const;

    std::uint64_t Update(std::uint64_t word, const unsigned char* data, std::size_t size) const;

private:
    bool swapped_;  // the CRCs that are not reflected
    int width_;
    // slice_[k][b]: the register the byte b leaves when k zero bytes follow it;
    // slice_[0] alone is the classic byte table.
    std::uint64_t slice_[8][256];
    // braid_[k][b]: the same with k + 8 * (kBraids - 1) zero bytes after it,
    // the bytes of the words of the other braids.
    std::uint64_t braid_[8][256];
};
