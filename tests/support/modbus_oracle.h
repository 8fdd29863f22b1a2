// Oracles for the MODBUS tests, apart from the code under test: the CRC as
// the serial line guide describes it, a bit at a time (shift right, XOR 0xA001
// when a one falls out), the LRC as a plain sum, and bytes from hex text.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace modbus_oracle {

using Bytes = std::vector<unsigned char>;

inline std::uint16_t Crc(const Bytes& bytes) {
    std::uint16_t crc = 0xFFFF;
    for (const unsigned char byte : bytes) {
        crc ^= byte;
        for (int bit = 0; bit < 8; ++bit) crc = (crc & 1) ? static_cast<std::uint16_t>((crc >> 1) ^ 0xA001) : crc >> 1;
    }
    return crc;
}

// The frame with its CRC appended low byte first.
inline Bytes WithCrc(Bytes bytes) {
    const std::uint16_t crc = Crc(bytes);
    bytes.push_back(static_cast<unsigned char>(crc & 0xFF));
    bytes.push_back(static_cast<unsigned char>(crc >> 8));
    return bytes;
}

inline unsigned char Lrc(const Bytes& bytes) {
    int sum = 0;
    for (const unsigned char byte : bytes) sum += byte;
    return static_cast<unsigned char>((256 - sum % 256) % 256);
}

// "11 03 00 6B" to bytes; the tests' own hex, blanks between pairs.
inline Bytes FromHex(const std::string& text) {
    Bytes bytes;
    std::string digits;
    for (const char ch : text) {
        if (ch == ' ') continue;
        digits += ch;
        if (digits.size() == 2) {
            bytes.push_back(static_cast<unsigned char>(std::stoul(digits, nullptr, 16)));
            digits.clear();
        }
    }
    return bytes;
}

inline std::string ToHex(const Bytes& bytes) {
    static const char kDigits[] = "0123456789ABCDEF";
    std::string text;
    for (const unsigned char byte : bytes) {
        if (!text.empty()) text += ' ';
        text += kDigits[byte >> 4];
        text += kDigits[byte & 0xF];
    }
    return text;
}

inline Bytes FromText(const std::string& text) { return Bytes(text.begin(), text.end()); }

}  // namespace modbus_oracle
