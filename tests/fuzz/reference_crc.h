// A CRC the long way: polynomial division one message bit at a time on a
// std::bitset, from the catalogue's parameters, sharing no arithmetic with
// the engine's 128-bit words or tables.
#pragma once

#include <bitset>
#include <cstddef>
#include <string>

namespace fuzz {

constexpr int kMaxCrcWidth = 82;
// One bit more than the widest register: the bit a step shifts out.
using CrcBits = std::bitset<kMaxCrcWidth + 1>;

struct ReferenceCrc {
    int width;
    CrcBits poly, init, xorout;  // bit i is the coefficient of x^i
    bool refin, refout;

    // The register after one more byte, one bit at a time.
    void Feed(CrcBits& reg, unsigned byte) const {
        for (int i = 0; i < 8; ++i) {
            const bool in = refin ? (byte >> i & 1u) != 0 : (byte >> (7 - i) & 1u) != 0;
            const bool top = reg[width - 1];
            reg <<= 1;
            reg[width] = false;
            if (in != top) reg ^= poly;
        }
    }

    CrcBits Finish(const CrcBits& reg) const {
        CrcBits out;
        for (int i = 0; i < width; ++i) out[i] = reg[refout ? width - 1 - i : i];
        return out ^ xorout;
    }

    CrcBits Compute(const std::string& data) const {
        CrcBits reg = init;
        for (const char ch : data) Feed(reg, static_cast<unsigned char>(ch));
        return Finish(reg);
    }
};

}  // namespace fuzz
