// A CRC the long way: polynomial division one message bit at a time, from the
// catalogue's parameters, in the compiler's own unsigned __int128, sharing no
// arithmetic with the engine's Uint128 words or its tables.
#pragma once

#include <cstddef>
#include <string>

namespace fuzz {

constexpr int kMaxCrcWidth = 82;
// Bit i is the coefficient of x^i; the widest register leaves room for the
// bit a step shifts out.
using CrcBits = unsigned __int128;

inline bool BitOf(CrcBits bits, int i) { return (bits >> i & 1u) != 0; }
inline void SetBit(CrcBits& bits, int i) { bits |= CrcBits{1} << i; }

struct ReferenceCrc {
    int width;
    CrcBits poly, init, xorout;
    bool refin, refout;

    // The register after one more byte, one bit at a time.
    void Feed(CrcBits& reg, unsigned byte) const {
        const CrcBits mask = (CrcBits{1} << width) - 1;
        for (int i = 0; i < 8; ++i) {
            const bool in = refin ? (byte >> i & 1u) != 0 : (byte >> (7 - i) & 1u) != 0;
            const bool top = BitOf(reg, width - 1);
            reg = reg << 1 & mask;
            if (in != top) reg ^= poly;
        }
    }

    CrcBits Finish(CrcBits reg) const {
        CrcBits out = 0;
        for (int i = 0; i < width; ++i) {
            if (BitOf(reg, refout ? width - 1 - i : i)) SetBit(out, i);
        }
        return out ^ xorout;
    }

    CrcBits Compute(const std::string& data) const {
        CrcBits reg = init;
        for (const char ch : data) Feed(reg, static_cast<unsigned char>(ch));
        return Finish(reg);
    }
};

}  // namespace fuzz
