#include "core/crc.h"

#include "core/crc_tables.h"

namespace {

constexpr std::uint32_t kCrc16Poly = 0x1021;
constexpr int kNibbleValues = 16;
constexpr std::uint32_t kNibbleMask = 0xF;
constexpr std::uint32_t kLow12Bits = 0x0FFF;

}  // namespace

std::uint8_t Crc8(std::uint8_t start, const unsigned char* data, std::size_t length) {
    std::uint8_t r = start;
    for (std::size_t i = 0; i < length; ++i) r = CRC8_TABLE[r ^ data[i]];
    return r;
}

std::uint32_t Crc16(std::uint32_t start, const unsigned char* data, std::size_t length) {
    // Entry i is the register contribution of the 4-bit value i: below 16 the
    // ordinary product i x 0x1021 equals the carry-less one.
    std::uint32_t CRC16_NIBBLE_TABLE[kNibbleValues];
    for (int i = 0; i < kNibbleValues; ++i) CRC16_NIBBLE_TABLE[i] = static_cast<std::uint32_t>(i) * kCrc16Poly;

    std::uint32_t r = start;
    for (std::size_t i = 0; i < length; ++i) {
        const std::uint32_t b = data[i];
        // High nibble first; the four bits shifted out of the top select the
        // table entry together with the nibble, the other twelve move up.
        const std::uint32_t t =
            CRC16_NIBBLE_TABLE[((r >> 12) & kNibbleMask) ^ (b >> 4)] ^ ((r & kLow12Bits) << 4);
        r = CRC16_NIBBLE_TABLE[((t >> 12) & kNibbleMask) ^ (b & kNibbleMask)] ^ ((t & kLow12Bits) << 4);
    }
    return r;
}

std::uint32_t Crc32(std::uint32_t start, const unsigned char* data, std::size_t length) {
    // The register runs inverted; inverting the start undoes the final
    // inversion of the call before.
    std::uint32_t r = ~start;
    for (std::size_t i = 0; i < length; ++i) r = (r >> 8) ^ CRC32_TABLE[(r ^ data[i]) & 0xFFu];
    return ~r;
}
