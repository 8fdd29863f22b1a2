// MD5 written again from RFC 1321 in its compact loop form: the sine table
// computed rather than copied, the message padded as a whole. It shares
// nothing with the program's straight-line engine.
#pragma once

#include <cmath>
#include <cstdint>
#include <string>

namespace fuzz {

inline std::string ReferenceMd5(const std::string& message) {
    static const auto sines = [] {
        struct { std::uint32_t t[64]; } table{};
        for (int i = 0; i < 64; ++i) table.t[i] = static_cast<std::uint32_t>(std::fabs(std::sin(i + 1.0)) * 4294967296.0);
        return table;
    }();
    static const int kShifts[4][4] = {{7, 12, 17, 22}, {5, 9, 14, 20}, {4, 11, 16, 23}, {6, 10, 15, 21}};

    std::string padded = message;
    padded += '\x80';
    while (padded.size() % 64 != 56) padded += '\0';
    const std::uint64_t bits = static_cast<std::uint64_t>(message.size()) * 8;
    for (int i = 0; i < 8; ++i) padded += static_cast<char>(bits >> (8 * i));

    std::uint32_t h[4] = {0x67452301, 0xEFCDAB89, 0x98BADCFE, 0x10325476};
    for (std::size_t block = 0; block < padded.size(); block += 64) {
        std::uint32_t m[16];
        for (int w = 0; w < 16; ++w) {
            m[w] = 0;
            for (int b = 3; b >= 0; --b) m[w] = m[w] << 8 | static_cast<unsigned char>(padded[block + 4 * w + b]);
        }
        std::uint32_t a = h[0], b = h[1], c = h[2], d = h[3];
        for (int i = 0; i < 64; ++i) {
            const int round = i / 16;
            std::uint32_t f;
            int g;
            switch (round) {
                case 0: f = (b & c) | (~b & d); g = i; break;
                case 1: f = (d & b) | (~d & c); g = (5 * i + 1) % 16; break;
                case 2: f = b ^ c ^ d; g = (3 * i + 5) % 16; break;
                default: f = c ^ (b | ~d); g = (7 * i) % 16; break;
            }
            const std::uint32_t sum = a + f + sines.t[i] + m[g];
            const int s = kShifts[round][i % 4];
            a = d;
            d = c;
            c = b;
            b = b + (sum << s | sum >> (32 - s));
        }
        h[0] += a;
        h[1] += b;
        h[2] += c;
        h[3] += d;
    }
    std::string digest;
    for (std::uint32_t word : h)
        for (int i = 0; i < 4; ++i) digest += static_cast<char>(word >> (8 * i));
    return digest;
}

}  // namespace fuzz
