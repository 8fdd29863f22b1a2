#include "core/checksum.h"

std::uint8_t Checksum8(const unsigned char* bytes, int length) {
    std::uint8_t sum = 0;
    for (int i = 0; i < length; ++i) sum = static_cast<std::uint8_t>(sum + bytes[i]);
    return sum;
}

std::uint16_t Checksum16(const unsigned char* bytes, int length) {
    std::uint16_t sum = 0;
    for (int i = 0; i < length; ++i) sum = static_cast<std::uint16_t>(sum + bytes[i]);
    return sum;
}
