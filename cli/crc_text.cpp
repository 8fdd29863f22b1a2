#include "cli/crc_text.h"

#include <cstdio>

#include "cli/hex_bytes.h"
#include "cli/messages.h"
#include "codepage/gbk_codec.h"
#include "core/hexdump.h"
#include "workbench/crc/model_text.h"
#include "workbench/frames/frame_build.h"

namespace {

constexpr int kByteBits = 8;

// "'中' (U+4E2D)": the character itself and its code point.
std::string NamedCharacter(const std::string& text, std::size_t offset) {
    char32_t cp = 0;
    const std::size_t length = DecodeUtf8(text, offset, cp);
    char code[16];
    std::snprintf(code, sizeof code, "U+%04lX", static_cast<unsigned long>(cp));
    return "'" + EscapeBytes(text.substr(offset, length)) + "' (" + code + ")";
}

// A width in decimal; anything that is no number of bits at all is an error
// here, one outside the widths CheckCrcParams judges.
bool ReadWidth(const std::string& word, int& width, std::string& error) {
    if (ParseCrcWidth(word, width)) return true;
    error = "--width '" + EscapeBytes(word) + "' is no number of bits (decimal, " + std::to_string(kCrcMinWidth) +
            " to " + std::to_string(kCrcMaxWidth) + ")";
    return false;
}

// true or false, as the catalogue's lines write refin and refout.
bool ReadTruth(const char* option, const std::optional<std::string>& word, bool& value, std::string& error) {
    if (!word) return true;
    if (*word == "true" || *word == "false") {
        value = *word == "true";
        return true;
    }
    error = std::string(option) + " takes true or false, not '" + EscapeBytes(*word) + "'";
    return false;
}

// A number of hex digits within `width` bits; one of more digits than any
// width takes is named too large, not "no hex number".
bool ReadHex(const char* option, const std::optional<std::string>& word, int width, Uint128& value,
             std::string& error) {
    if (!word) return true;
    if (ParseCrcHexNumber(*word, value)) return true;
    error = std::string(option) + " '" + EscapeBytes(*word) + "' " +
            (IsCrcHexText(*word) ? "is too large for the width of " + std::to_string(width) + " bits"
                                 : "is no hex number");
    return false;
}

}  // namespace

bool ReadCrcParamWords(const CrcParamWords& words, CrcParams& params, std::string& error) {
    params = CrcParams();
    if (!words.width || !words.poly) {
        error = "parameters of your own need --width and --poly";
        return false;
    }
    if (!ReadWidth(*words.width, params.width, error) ||
        !ReadHex("--poly", words.poly, params.width, params.poly, error) ||
        !ReadHex("--init", words.init, params.width, params.init, error) ||
        !ReadHex("--xorout", words.xorout, params.width, params.xorout, error) ||
        !ReadTruth("--refin", words.refin, params.refin, error)) {
        return false;
    }
    params.refout = params.refin;
    if (!ReadTruth("--refout", words.refout, params.refout, error)) return false;
    std::string why;
    if (CheckCrcParams(params, why)) return true;
    error = "invalid parameters: " + why;
    return false;
}

bool GbkTextBytes(const std::string& text, const std::string& what, std::string& bytes, std::string& error) {
    std::size_t offset = 0;
    switch (Utf8ToGbk(text, bytes, offset)) {
        case Utf8ToGbkResult::Ok:
            return true;
        case Utf8ToGbkResult::InvalidUtf8:
            error = what + " is not valid UTF-8 at byte offset " + std::to_string(offset) +
                    ", so it has no GBK form";
            return false;
        case Utf8ToGbkResult::NotRepresentable:
            error = "the character " + NamedCharacter(text, offset) + " at byte offset " + std::to_string(offset) +
                    " of " + what + " has no GBK (code page 936) form";
            return false;
    }
    return false;
}

bool CrcTextBytes(const std::string& text, bool to_gbk, std::string& bytes, std::string& error) {
    if (!to_gbk) {
        bytes = text;
        return true;
    }
    if (GbkTextBytes(text, "--text", bytes, error)) return true;
    // Here a way out exists: without --gbk any bytes count as they are.
    if (error.rfind("--text is not valid UTF-8", 0) == 0) error += " (without --gbk its bytes count as they are)";
    return false;
}

bool CrcHexBytes(const std::string& hex_text, std::string& bytes, std::string& error) {
    std::vector<unsigned char> decoded;
    if (!DecodeHexText(hex_text, decoded)) {
        error = "--hex is too long";
        return false;
    }
    bytes.assign(decoded.begin(), decoded.end());
    if (bytes.empty() && hex_text.find_first_not_of(" \t\r\n") != std::string::npos) {
        error = "--hex '" + EscapeBytes(hex_text) +
                "' gives no bytes: hex digits pair up, other characters separate "
                "(--hex \"\" is the CRC of no bytes)";
        return false;
    }
    return true;
}

std::string CrcFileErrorLine(const std::string& name, const std::string& error) {
    return kPrefix + EscapeBytes(name) + ": " + error + "\n";
}

std::string CrcFileLine(const std::string& crc_text, const std::string& name) {
    if (name.find_first_of("\n\r") == std::string::npos) return crc_text + "  " + name + "\n";
    std::string escaped;
    for (const char ch : name) {
        switch (ch) {
            case '\\': escaped += "\\\\"; break;
            case '\n': escaped += "\\n"; break;
            case '\r': escaped += "\\r"; break;
            default: escaped += ch;
        }
    }
    return "\\" + crc_text + "  " + escaped + "\n";
}

std::string CrcText(Uint128 crc, int width, CrcNotation notation) {
    if (notation == CrcNotation::Hex) return CrcHexDigits(crc, width, true);
    const CheckOrder order = notation == CrcNotation::BytesLowFirst ? CheckOrder::kLittleEndian : CheckOrder::kBigEndian;
    return SpacedHex(CheckBytes(crc, (width + kByteBits - 1) / kByteBits, order));
}
