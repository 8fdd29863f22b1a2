// The tables of a CRC whose register fits one machine word, and the loop
// that runs them: CrcTable64 for widths 1 to 64, CrcTable32 for 1 to 32.
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

template <typename Word>
class CrcWordTable {
public:
    // Words of 8 bytes that run side by side, each with a register of its
    // own: a lookup waits for the register its word left, so one word at a
    // time would leave the processor idle between lookups. Six ran fastest
    // of 3 to 8 (the engine benchmark).
    static constexpr int kBraids = 6;

    explicit CrcWordTable(const CrcParams& params);

    // The engine's register (right-aligned, reflected when refin is) in the
    // loop's order, and back.
    Word ToWord(Uint128 reg) const;
    Uint128 FromWord(Word word) const;

    Word Update(Word word, const unsigned char* data, std::size_t size) const;

private:
    bool swapped_;  // the CRCs that are not reflected
    int width_;
    // slice_[k][b]: the register the byte b leaves when k zero bytes follow it;
    // slice_[0] alone is the classic byte table.
    Word slice_[8][256];
    // braid_[k][b]: the same with k + 8 * (kBraids - 1) zero bytes after it,
    // the bytes of the words of the other braids.
    Word braid_[8][256];
};

// Any width to 64; the folding paths take the bytes around their blocks
// through it.
using CrcTable64 = CrcWordTable<std::uint64_t>;
// Widths to 32 where the tables alone serve: half the tables (16 KiB, not
// 32), and a lookup one load where a 64-bit entry takes two on 32-bit x86.
// In WebAssembly (Chromium) the loop ran an eighth faster: 64 MiB in 28.7
// against 32.5 ms.
using CrcTable32 = CrcWordTable<std::uint32_t>;

extern template class CrcWordTable<std::uint32_t>;
extern template class CrcWordTable<std::uint64_t>;
