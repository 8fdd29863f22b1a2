#include "cli/messages.h"

#include <cstddef>

#include "core/gbk_codec.h"


const std::string kPrefix = "quobrix: ";

namespace {

constexpr unsigned char kFirstPrintable = 0x20;
constexpr unsigned char kDelete = 0x7F;

}  // namespace

std::string EscapeBytes(const std::string& bytes) {
    static const char kDigits[] = "0123456789ABCDEF";
    std::string escaped;
    for (std::size_t pos = 0; pos < bytes.size();) {
        const unsigned char byte = static_cast<unsigned char>(bytes[pos]);
        char32_t cp = 0;
        const std::size_t length = DecodeUtf8(bytes, pos, cp);
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
