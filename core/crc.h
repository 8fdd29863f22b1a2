// The CRC engines of the CRC buttons. Each takes the CRC of the bytes before
// as its start value (0 for none), so that runs of bytes chain: the result of
// one call, passed as the start of the next, gives the CRC of both runs.
// A length of 0 returns the start value unchanged.
#pragma once

#include <cstddef>
#include <cstdint>

// CRC-8/MAXIM-DOW: polynomial 0x31 reflected, no final XOR.
std::uint8_t Crc8(std::uint8_t start, const unsigned char* data, std::size_t length);

// CRC-16/XMODEM: polynomial 0x1021, most significant bit first, one nibble at
// a time. Only the low 16 bits of `start` count; after at least one byte the
// result has no bits above bit 15.
std::uint32_t Crc16(std::uint32_t start, const unsigned char* data, std::size_t length);

// CRC-32 of IEEE 802.3: polynomial 0x04C11DB7 reflected, register and result
// inverted.
std::uint32_t Crc32(std::uint32_t start, const unsigned char* data, std::size_t length);
