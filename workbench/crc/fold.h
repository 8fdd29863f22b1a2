// CRCs of width 8 to 64 by carry-less multiplication: the bytes are folded
// into 128-bit (or 512-bit) accumulators with constants x^k mod P, and the
// last accumulator is reduced to the register by Barrett's method.
//
// Every width runs as a 64-bit CRC: the polynomial times x^(64 - width) has
// the same remainders, times that power, so the register simply sits at the
// top of 64 bits. The register is the table path's word (CrcTable64), which
// is already what meets the first eight bytes of the data as a little-endian
// load sees them; so the tables take the bytes before the aligned blocks and
// after them, and the register passes between the two unchanged.
//
// A reflected CRC folds lanes as they are loaded, the first bit lowest; any
// other has each lane's bytes reversed so the first bit is highest. The
// constants are mirrored to match, and one fold serves both.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "workbench/crc/params.h"
#include "workbench/crc/word_table.h"

// The ways a CRC is computed, slowest first.
enum class CrcPath {
    kTables,       // the byte tables, on any processor
    kPclmul,       // PCLMULQDQ on 128-bit lanes
    kVpclmul512,   // VPCLMULQDQ on 512-bit registers (AVX-512)
};

// The paths this processor offers, the tables first and the fastest last.
std::vector<CrcPath> CrcPathsOffered();
// The widths the folding paths serve; the others stay on the tables.
constexpr bool CrcFoldServes(int width) { return width >= 8 && width <= 64; }

// The constants, computed from the polynomial; each fold pair is two 64-bit
// words in the order of a lane's two halves.
struct CrcFoldConstants {
    std::uint64_t by128[2];   // one lane onto the next
    std::uint64_t by512[2];   // one 512-bit register onto the next
    std::uint64_t by1024[2];  // the 128-bit path's loop: eight lanes ahead
    std::uint64_t by2048[2];  // the 512-bit path's loop: four registers ahead
    unsigned char order[16];  // the byte shuffle of each lane as loaded
    std::uint64_t x128;                   // x^128 mod P
    std::uint64_t mu;                     // floor(x^128 / P) without its x^64
    std::uint64_t poly;                   // P without its x^64
    bool reflected;
};

CrcFoldConstants MakeCrcFoldConstants(const CrcParams& params);

// The folding kernels: `blocks` whole blocks, at least one, at `data` (any
// alignment, but 64 runs fastest) after the register `word`; they return the
// register.
constexpr std::size_t kCrcPclmulBlock = 128;
constexpr std::size_t kCrcVpclmulBlock = 256;
std::uint64_t CrcFoldPclmul(const CrcFoldConstants& k, std::uint64_t word, const unsigned char* data,
                            std::size_t blocks);
std::uint64_t CrcFoldVpclmul512(const CrcFoldConstants& k, std::uint64_t word, const unsigned char* data,
                                std::size_t blocks);
// The register the last accumulator (its two halves as stored) leaves.
std::uint64_t CrcFoldReduce(const CrcFoldConstants& k, const std::uint64_t lane[2]);

// One CRC's folding path: the aligned middle of a run of bytes folded, the
// rest through the tables.
class CrcFold {
public:
    // Below this many bytes the tables alone are faster (the engine
    // benchmark's short rows); it also leaves a whole block after the head.
    static constexpr std::size_t kFoldFrom = 512;

    // `path` is a folding path this processor offers; the width is served.
    CrcFold(const CrcParams& params, CrcPath path);

    std::uint64_t Update(const CrcTable64& tables, std::uint64_t word, const unsigned char* data,
                         std::size_t size) const;
    CrcPath path() const { return path_; }

private:
    CrcFoldConstants k_;
    CrcPath path_;
};

// The 64 bits of `v` in the opposite order.
constexpr std::uint64_t Reverse64(std::uint64_t v) {
    v = (v >> 1 & 0x5555555555555555u) | (v & 0x5555555555555555u) << 1;
    v = (v >> 2 & 0x3333333333333333u) | (v & 0x3333333333333333u) << 2;
    v = (v >> 4 & 0x0F0F0F0F0F0F0F0Fu) | (v & 0x0F0F0F0F0F0F0F0Fu) << 4;
    return __builtin_bswap64(v);
}
