// Additive checksums: the bytes summed modulo 2^8 and 2^16.
#pragma once

#include <cstdint>

// A length of 0 or less gives 0.
std::uint8_t Checksum8(const unsigned char* bytes, int length);
std::uint16_t Checksum16(const unsigned char* bytes, int length);
