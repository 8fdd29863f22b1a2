// Test oracle for the sums: each by its definition over the whole message
// at once, in 64-bit arithmetic reduced only at the end (Fletcher's and
// Adler's second sums by their closed form, each byte weighted by how many
// running sums it enters), never a running register.
#pragma once

#include <cstdint>
#include <vector>

#include "workbench/frames/sums.h"

namespace sum_model {

inline std::uint64_t Sum(SumKind kind, const std::vector<unsigned char>& bytes) {
    const std::uint64_t n = bytes.size();
    std::uint64_t total = 0, weighted = 0, words = 0, xor_all = 0;
    for (std::uint64_t i = 0; i < n; ++i) {
        total += bytes[i];
        weighted += (n - i) * bytes[i];
        words += i % 2 == 0 ? std::uint64_t{bytes[i]} * 256 : bytes[i];
        xor_all ^= bytes[i];
    }
    switch (kind) {
        case SumKind::kSum8: return total % 0x100;
        case SumKind::kSum16: return total % 0x10000;
        case SumKind::kSum32: return total % 0x100000000;
        case SumKind::kSum8Twos: return (0x100 - total % 0x100) % 0x100;
        case SumKind::kSum16Twos: return (0x10000 - total % 0x10000) % 0x10000;
        case SumKind::kSum8Ones: return 0xFF - total % 0x100;
        case SumKind::kSum16Ones: return 0xFFFF - total % 0x10000;
        case SumKind::kXor8: return xor_all;
        case SumKind::kInet16:
            while (words > 0xFFFF) words = (words & 0xFFFF) + (words >> 16);
            return 0xFFFF - words;
        case SumKind::kFletcher16: return weighted % 255 << 8 | total % 255;
        case SumKind::kAdler32: return (n + weighted) % 65521 << 16 | (1 + total) % 65521;
    }
    return 0;
}

}  // namespace sum_model
