// Linear equations over GF(2) in up to 64 unknowns, the bits of one word,
// reduced by Gauss-Jordan elimination as they arrive.
#pragma once

#include <cstdint>
#include <vector>

class Gf2LinearSystem {
public:
    // Unknowns 0 to `unknowns` - 1 (at most 64).
    explicit Gf2LinearSystem(int unknowns) : unknowns_(unknowns) {}

    // The XOR of the unknowns whose bits are set in `mask` is `value`.
    void Add(std::uint64_t mask, bool value);

    bool Consistent() const { return consistent_; }
    // The unknowns no equation pins down.
    int FreeCount() const;
    // A solution, each free unknown 0; only when consistent.
    std::uint64_t Solution() const;
    // A basis of the homogeneous system's solutions: every solution is
    // Solution() plus an XOR of some of these.
    std::vector<std::uint64_t> NullBasis() const;

private:
    int unknowns_;
    bool consistent_ = true;
    // The reduced equations, one per pivot: row_[p] holds unknown p and no
    // other pivot.
    std::uint64_t pivots_ = 0;
    std::uint64_t row_[64] = {};
    bool value_[64] = {};
};
