// Test oracle: each CRC as catalogues describe it, bit by bit from its
// parameters (polynomial in normal form, reflection, initial register, final
// XOR), an arithmetic of its own with no table.
#pragma once

#include <cstdint>

namespace crc_model {

inline std::uint32_t Reflect(std::uint32_t value, int width) {
    std::uint32_t out = 0;
    for (int i = 0; i < width; ++i)
        if (value & (1u << i)) out |= 1u << (width - 1 - i);
    return out;
}

// The register shifts left through the polynomial; reflected CRCs reverse
// each input byte and the result. `Bytes` is any range of char or unsigned char.
struct CrcModel {
    int width;
    std::uint32_t poly, init, xorout;
    bool reflected;

    std::uint32_t Top() const { return 1u << (width - 1); }
    std::uint32_t Mask() const { return width == 32 ? 0xFFFFFFFFu : (1u << width) - 1; }

    template <class Bytes>
    std::uint32_t Run(std::uint32_t reg, const Bytes& data) const {
        for (const auto ch : data) {
            const std::uint32_t byte = static_cast<unsigned char>(ch);
            const std::uint32_t in = reflected ? Reflect(byte, 8) : byte;
            reg ^= in << (width - 8);
            for (int bit = 0; bit < 8; ++bit) reg = ((reg & Top()) ? (reg << 1) ^ poly : reg << 1) & Mask();
        }
        return reg;
    }
    template <class Bytes>
    std::uint32_t Crc(const Bytes& data) const {
        const std::uint32_t reg = Run(init, data);
        return ((reflected ? Reflect(reg, width) : reg) ^ xorout) & Mask();
    }
};

inline constexpr CrcModel kCrc8Model{8, 0x31, 0x00, 0x00, true};                      // CRC-8/MAXIM-DOW
inline constexpr CrcModel kCrc16Model{16, 0x1021, 0x0000, 0x0000, false};             // CRC-16/XMODEM
inline constexpr CrcModel kCrc32Model{32, 0x04C11DB7, 0xFFFFFFFF, 0xFFFFFFFF, true};  // CRC-32/ISO-HDLC

}  // namespace crc_model
