#include "workbench/frames/gf2_linear.h"

void Gf2LinearSystem::Add(std::uint64_t mask, bool value) {
    // Each reduced row holds one pivot, so removing the pivots the equation
    // holds brings in no others.
    for (std::uint64_t present = mask & pivots_; present != 0; present &= present - 1) {
        const int p = __builtin_ctzll(present);
        mask ^= row_[p];
        value ^= value_[p];
    }
    if (mask == 0) {
        if (value) consistent_ = false;
        return;
    }
    const int pivot = __builtin_ctzll(mask);
    const std::uint64_t bit = std::uint64_t{1} << pivot;
    for (std::uint64_t rows = pivots_; rows != 0; rows &= rows - 1) {
        const int p = __builtin_ctzll(rows);
        if ((row_[p] & bit) != 0) {
            row_[p] ^= mask;
            value_[p] ^= value;
        }
    }
    row_[pivot] = mask;
    value_[pivot] = value;
    pivots_ |= bit;
}

int Gf2LinearSystem::FreeCount() const { return unknowns_ - __builtin_popcountll(pivots_); }

std::uint64_t Gf2LinearSystem::Solution() const {
    std::uint64_t solution = 0;
    for (std::uint64_t rows = pivots_; rows != 0; rows &= rows - 1) {
        const int p = __builtin_ctzll(rows);
        if (value_[p]) solution |= std::uint64_t{1} << p;
    }
    return solution;
}

std::vector<std::uint64_t> Gf2LinearSystem::NullBasis() const {
    std::vector<std::uint64_t> basis;
    for (int free = 0; free < unknowns_; ++free) {
        const std::uint64_t bit = std::uint64_t{1} << free;
        if ((pivots_ & bit) != 0) continue;
        // The free unknown set, the others free 0: each pivot follows.
        std::uint64_t vector = bit;
        for (std::uint64_t rows = pivots_; rows != 0; rows &= rows - 1) {
            const int p = __builtin_ctzll(rows);
            if ((row_[p] & bit) != 0) vector |= std::uint64_t{1} << p;
        }
        basis.push_back(vector);
    }
    return basis;
}
