#include "cli/messages.h"

#include <cstddef>

const std::string kPrefix = "quobrix: ";

namespace {

constexpr unsigned char kFirstPrintable = 0x20;
constexpr unsigned char kDelete = 0x7F;

// The length of the UTF-8 sequence at `pos` by RFC 3629 (shortest form, no
// surrogates, nothing above U+10FFFF), or 0 when the bytes there are none.
std::size_t Utf8SequenceLength(const std::string& text, std::size_t pos) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[pos + i]); };
    const unsigned char first = byte(0);
    if (first < 0x80) return 1;
    std::size_t length = 0;
    unsigned char low = 0x80, high = 0xBF;  // the range of the second byte
    if (first >= 0xC2 && first <= 0xDF) {
        length = 2;
    } else if (first >= 0xE0 && first <= 0xEF) {
        length = 3;
        if (first == 0xE0) low = 0xA0;   // no overlong form
        if (first == 0xED) high = 0x9F;  // no surrogate
    } else if (first >= 0xF0 && first <= 0xF4) {
        length = 4;
        if (first == 0xF0) low = 0x90;   // no overlong form
        if (first == 0xF4) high = 0x8F;  // nothing above U+10FFFF
    } else {
        return 0;
    }
    if (pos + length > text.size() || byte(1) < low || byte(1) > high) return 0;
    for (std::size_t i = 2; i < length; ++i) {
        if (byte(i) < 0x80 || byte(i) > 0xBF) return 0;
    }
    return length;
}

}  // namespace

std::string EscapeBytes(const std::string& bytes) {
    static const char kDigits[] = "0123456789ABCDEF";
    std::string escaped;
    for (std::size_t pos = 0; pos < bytes.size();) {
        const unsigned char byte = static_cast<unsigned char>(bytes[pos]);
        const std::size_t length = Utf8SequenceLength(bytes, pos);
        if (length == 0 || byte < kFirstPrintable || byte == kDelete) {
            escaped += "\\x";
            escaped += kDigits[byte >> 4];
            escaped += kDigits[byte & 0xF];
            ++pos;
            continue;
        }
        escaped.append(bytes, pos, length);
        pos += length;
    }
    return escaped;
}
