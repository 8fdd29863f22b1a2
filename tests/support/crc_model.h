// Test oracle: the dialog's three CRCs by their catalogue parameters, computed
// bit by bit by the wide model (polynomial in normal form, reflection,
// initial register, final XOR), an arithmetic of its own with no table.
#pragma once

#include <cstdint>

#include "workbench/crc/bitwise.h"

namespace crc_model {

inline std::uint32_t Reflect(std::uint32_t value, int width) {
    return static_cast<std::uint32_t>(ReflectLowBits(value, width).low);
}

// A CRC whose input and result are reflected alike. `Bytes` is any range of
// char or unsigned char.
struct CrcModel {
    int width;
    std::uint32_t poly, init, xorout;
    bool reflected;

    CrcParams Params() const { return {width, poly, init, reflected, reflected, xorout}; }

    // The register in normal form after `data`, from `reg`.
    template <class Bytes>
    std::uint32_t Run(std::uint32_t reg, const Bytes& data) const {
        return static_cast<std::uint32_t>(crc_bitwise::Run(Params(), reg, data).low);
    }
    template <class Bytes>
    std::uint32_t Crc(const Bytes& data) const {
        return static_cast<std::uint32_t>(crc_bitwise::Crc(Params(), data).low);
    }
};

inline constexpr CrcModel kCrc8Model{8, 0x31, 0x00, 0x00, true};                      // CRC-8/MAXIM-DOW
inline constexpr CrcModel kCrc16Model{16, 0x1021, 0x0000, 0x0000, false};             // CRC-16/XMODEM
inline constexpr CrcModel kCrc32Model{32, 0x04C11DB7, 0xFFFFFFFF, 0xFFFFFFFF, true};  // CRC-32/ISO-HDLC

}  // namespace crc_model
