// The lookup tables of the reflected CRC engines, one entry per byte value,
// built at compile time from the polynomials' catalogue (normal) form.
#pragma once

#include <array>
#include <cstdint>

constexpr int CRC_TABLE_SIZE = 256;

namespace crc_tables {

constexpr int kBitsPerByte = 8;

// `value` with its bits in the opposite order.
template <typename Register>
constexpr Register ReflectBits(Register value) {
    Register reflected = 0;
    for (unsigned bit = 0; bit < sizeof(Register) * kBitsPerByte; ++bit) {
        reflected = static_cast<Register>(reflected << 1 | (value >> bit & 1u));
    }
    return reflected;
}

// Entry i is what eight reflected steps make of the byte value i: each step
// shifts right and, when the bit shifted out was 1, adds (XOR) the reflected
// polynomial.
template <typename Register>
constexpr std::array<Register, CRC_TABLE_SIZE> ReflectedTable(Register normal_poly) {
    const Register poly = ReflectBits(normal_poly);
    std::array<Register, CRC_TABLE_SIZE> table{};
    for (int i = 0; i < CRC_TABLE_SIZE; ++i) {
        Register r = static_cast<Register>(i);
        for (int step = 0; step < kBitsPerByte; ++step) {
            r = static_cast<Register>((r & 1u) ? (r >> 1) ^ poly : r >> 1);
        }
        table[i] = r;
    }
    return table;
}

}  // namespace crc_tables

// CRC-8/MAXIM-DOW (Dallas/Maxim 1-Wire): polynomial 0x31, reflected 0x8C.
inline constexpr std::array<std::uint8_t, CRC_TABLE_SIZE> CRC8_TABLE =
    crc_tables::ReflectedTable<std::uint8_t>(0x31);
// CRC-32 of IEEE 802.3: polynomial 0x04C11DB7, reflected 0xEDB88320.
inline constexpr std::array<std::uint32_t, CRC_TABLE_SIZE> CRC32_TABLE =
    crc_tables::ReflectedTable<std::uint32_t>(0x04C11DB7);

// The anchors every published copy of these tables shares.
static_assert(CRC8_TABLE[1] == 0x5E && CRC8_TABLE[255] == 0x35, "CRC-8 table");
static_assert(CRC32_TABLE[1] == 0x77073096 && CRC32_TABLE[128] == 0xEDB88320 &&
                  CRC32_TABLE[255] == 0x2D02EF8D,
              "CRC-32 table");
