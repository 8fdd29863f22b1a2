#include "cli/utf8.h"

namespace {
constexpr int kContinuationBits = 6;
constexpr unsigned char kContinuationPayload = 0x3F;
}  // namespace

std::size_t DecodeUtf8(const std::string& text, std::size_t pos, char32_t& cp) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[pos + i]); };
    const unsigned char first = byte(0);
    if (first < 0x80) {
        cp = first;
        return 1;
    }
    std::size_t length = 0;
    unsigned char low = 0x80, high = 0xBF;  // the range of the second byte
    if (first >= 0xC2 && first <= 0xDF) {
        length = 2;
        cp = first & 0x1Fu;
    } else if (first >= 0xE0 && first <= 0xEF) {
        length = 3;
        cp = first & 0x0Fu;
        if (first == 0xE0) low = 0xA0;   // no overlong form
        if (first == 0xED) high = 0x9F;  // no surrogate
    } else if (first >= 0xF0 && first <= 0xF4) {
        length = 4;
        cp = first & 0x07u;
        if (first == 0xF0) low = 0x90;   // no overlong form
        if (first == 0xF4) high = 0x8F;  // nothing above U+10FFFF
    } else {
        return 0;
    }
    if (pos + length > text.size() || byte(1) < low || byte(1) > high) return 0;
    for (std::size_t i = 1; i < length; ++i) {
        if (byte(i) < 0x80 || byte(i) > 0xBF) return 0;
        cp = cp << kContinuationBits | (byte(i) & kContinuationPayload);
    }
    return length;
}
