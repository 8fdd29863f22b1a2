#include "cli/crc_input.h"

#include <cstdio>

#include "cli/hex_bytes.h"
#include "cli/messages.h"
#include "codepage/gbk_codec.h"

namespace {

// "'中' (U+4E2D)": the character itself and its code point.
std::string NamedCharacter(const std::string& text, std::size_t offset) {
    char32_t cp = 0;
    const std::size_t length = DecodeUtf8(text, offset, cp);
    char code[16];
    std::snprintf(code, sizeof code, "U+%04lX", static_cast<unsigned long>(cp));
    return "'" + EscapeBytes(text.substr(offset, length)) + "' (" + code + ")";
}

}  // namespace

bool CrcTextBytes(const std::string& text, bool to_gbk, std::string& bytes, std::string& err) {
    if (!to_gbk) {
        bytes = text;
        return true;
    }
    std::size_t offset = 0;
    switch (Utf8ToGbk(text, bytes, offset)) {
        case Utf8ToGbkResult::Ok:
            return true;
        case Utf8ToGbkResult::InvalidUtf8:
            err += kPrefix + "--text is not valid UTF-8 at byte offset " + std::to_string(offset) +
                   ", so --gbk cannot convert it (without --gbk its bytes count as they are)\n";
            return false;
        case Utf8ToGbkResult::NotRepresentable:
            err += kPrefix + "the character " + NamedCharacter(text, offset) + " at byte offset " +
                   std::to_string(offset) + " of --text has no GBK (code page 936) form\n";
            return false;
    }
    return false;
}

bool CrcHexBytes(const std::string& hex_text, std::string& bytes, std::string& err) {
    std::vector<unsigned char> decoded;
    if (!DecodeHexText(hex_text, decoded)) {
        err += kPrefix + "--hex is too long\n";
        return false;
    }
    bytes.assign(decoded.begin(), decoded.end());
    if (bytes.empty() && hex_text.find_first_not_of(" \t\r\n") != std::string::npos) {
        err += kPrefix + "--hex '" + EscapeBytes(hex_text) +
               "' gives no bytes: hex digits pair up, other characters separate "
               "(--hex \"\" is the CRC of no bytes)\n";
        return false;
    }
    return true;
}
