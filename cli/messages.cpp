#include "cli/messages.h"

#include <algorithm>
#include <cstddef>

#include "codepage/gbk_codec.h"

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

std::string ErrorLines(const std::string& error) {
    std::string lines;
    for (std::size_t start = 0; start <= error.size();) {
        const std::size_t end = std::min(error.find('\n', start), error.size());
        lines += kPrefix + EscapeBytes(error.substr(start, end - start)) + "\n";
        start = end + 1;
    }
    return lines;
}

std::vector<std::string> MessageLines(const std::string& text) {
    std::vector<std::string> lines;
    for (std::size_t start = 0; start < text.size();) {
        const std::size_t end = std::min(text.find('\n', start), text.size());
        std::string line = text.substr(start, end - start);
        if (line.compare(0, kPrefix.size(), kPrefix) == 0) line.erase(0, kPrefix.size());
        lines.push_back(line);
        start = end + 1;
    }
    return lines;
}

std::string JsonString(std::string_view text) {
    std::string quoted = "\"";
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            quoted += '\\';
            quoted += c;
        } else if (byte < 0x20) {
            static const char kDigits[] = "0123456789abcdef";
            quoted += "\\u00";
            quoted += kDigits[byte >> 4];
            quoted += kDigits[byte & 0xF];
        } else {
            quoted += c;
        }
    }
    return quoted + "\"";
}
