// A CRC engine for any parameters of width 1 to 82. The register is carried
// between calls as zlib chains crc32(): start with Start(), pass each run of
// bytes through Update(), and Finish() gives the CRC. Setting up builds the
// tables and the folding constants; nothing is allocated after that.
//
// Widths 8 to 64 fold by carry-less multiplication where the processor
// offers it (workbench/crc/fold.h); the rest, and short runs, go through tables.
#pragma once

#include <cstddef>
#include <memory>

#include "workbench/crc/fold.h"
#include "workbench/crc/params.h"

class CrcEngine {
public:
    // `params` must be sound (CheckCrcParams holds). The fastest path
    // the processor offers.
    explicit CrcEngine(const CrcParams& params);
    // `path` chosen, one of CrcPathsOffered(); the tables serve a width the
    // folding paths do not, and any path the processor lacks.
    CrcEngine(const CrcParams& params, CrcPath path);
    ~CrcEngine();
    CrcEngine(const CrcEngine&) = delete;
    CrcEngine& operator=(const CrcEngine&) = delete;

    const CrcParams& params() const { return params_; }
    // The path this engine runs.
    CrcPath path() const;

    // The register before any byte: init, held reflected when refin is.
    Uint128 Start() const;
    // The register after `size` more bytes; a size of 0 returns `reg`.
    Uint128 Update(Uint128 reg, const void* data, std::size_t size) const;
    // The CRC the register stands for: reflected when refout differs from
    // refin, then XORed with xorout.
    Uint128 Finish(Uint128 reg) const;

    Uint128 Compute(const void* data, std::size_t size) const { return Finish(Update(Start(), data, size)); }

    // The register after `count` zero bytes, in time that grows with the
    // count's bits, not with the count. A CRC's register is linear in the
    // register and the bytes together, so runs of bytes hashed apart join:
    // Update(reg, A then B) is AfterZeros(Update(reg, A), size of B) ^
    // Update(0, B). The page hashes a large file's spans side by side so.
    Uint128 AfterZeros(Uint128 reg, std::uint64_t count) const;

private:
    struct Tables;
    CrcParams params_;
    std::unique_ptr<const Tables> tables_;  // built once, by the constructor
};
