#include "cli/hex_bytes.h"

#include <cctype>
#include <climits>

#include "cli/messages.h"
#include "core/decode.h"
#include "i18n/translate.h"

bool DecodeHexText(const std::string& text, std::vector<unsigned char>& bytes) {
    if (text.size() > static_cast<std::size_t>(INT_MAX)) return false;
    // Every byte takes at least one character.
    const int length = static_cast<int>(text.size());
    bytes.assign(text.size(), 0);
    const int count = HexTextToBytes(text.data(), length, bytes.data(), length);
    bytes.resize(static_cast<std::size_t>(count < 0 ? 0 : count));
    return true;
}

namespace {

bool IsBlankOrPunctuation(unsigned char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || (c > ' ' && c < 0x7F && !std::isalnum(c));
}

// The x of a "0x" that starts a byte.
bool IsHexPrefix(const std::string& text, std::size_t at) {
    if (text[at] != 'x' && text[at] != 'X') return false;
    if (at == 0 || text[at - 1] != '0') return false;
    return at == 1 || !IsHexDigit(text[at - 2]);
}

}  // namespace

bool ReadHexBytes(const std::string& text, const std::string& what, std::vector<unsigned char>& bytes,
                  std::string& error) {
    for (std::size_t at = 0; at < text.size(); ++at) {
        const auto c = static_cast<unsigned char>(text[at]);
        if (IsHexDigit(text[at]) || IsBlankOrPunctuation(c) || IsHexPrefix(text, at)) continue;
        // A character of several bytes is named whole.
        std::size_t end = at + 1;
        while (c >= 0x80 && end < text.size() && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) ++end;
        std::size_t column = 1;  // counting characters, not their bytes
        for (std::size_t i = 0; i < at; ++i) column += (static_cast<unsigned char>(text[i]) & 0xC0) != 0x80;
        error = i18n::Format(i18n::Tr("%1$s: '%2$s' at character %3$s is no hex digit"),
                             {what, EscapeBytes(text.substr(at, end - at)), std::to_string(column)});
        return false;
    }
    if (!DecodeHexText(text, bytes)) {
        error = i18n::Format(i18n::Tr("%1$s is too long"), {what});
        return false;
    }
    if (bytes.empty()) {
        error = i18n::Format(i18n::Tr("%1$s holds no hex digits"), {what});
        return false;
    }
    return true;
}

