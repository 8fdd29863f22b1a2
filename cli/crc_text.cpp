#include "cli/crc_text.h"

#include <cstdio>

#include "cli/hex_bytes.h"
#include "cli/messages.h"
#include "codepage/gbk_codec.h"
#include "core/hexdump.h"
#include "i18n/translate.h"
#include "workbench/crc/model_text.h"
#include "workbench/frames/frame_build.h"

namespace {

using i18n::Format;
using i18n::Tr;

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
    error = Format(Tr("--width '%1$s' is no number of bits (decimal, %2$s to %3$s)"),
                   {EscapeBytes(word), std::to_string(kCrcMinWidth), std::to_string(kCrcMaxWidth)});
    return false;
}

// true or false, as the catalogue's lines write refin and refout.
bool ReadTruth(const char* option, const std::optional<std::string>& word, bool& value, std::string& error) {
    if (!word) return true;
    if (*word == "true" || *word == "false") {
        value = *word == "true";
        return true;
    }
    error = Format(Tr("%1$s takes true or false, not '%2$s'"), {option, EscapeBytes(*word)});
    return false;
}

// A number of hex digits within `width` bits; one of more digits than any
// width takes is named too large, not "no hex number".
bool ReadHex(const char* option, const std::optional<std::string>& word, int width, Uint128& value,
             std::string& error) {
    if (!word) return true;
    if (ParseCrcHexNumber(*word, value)) return true;
    error = IsCrcHexText(*word) ? Format(Tr("%1$s '%2$s' is too large for the width of %3$s bits"),
                                         {option, EscapeBytes(*word), std::to_string(width)})
                                : Format(Tr("%1$s '%2$s' is no hex number"), {option, EscapeBytes(*word)});
    return false;
}

// Why `text` (`what` names it) has no GBK form, `offset` where Utf8ToGbk
// stopped.
std::string NoGbkForm(const std::string& text, const std::string& what, std::size_t offset) {
    return Format(Tr("the character %1$s at byte offset %2$s of %3$s has no GBK (code page 936) form"),
                  {NamedCharacter(text, offset), std::to_string(offset), what});
}

}  // namespace

bool ReadCrcParamWords(const CrcParamWords& words, CrcParams& params, std::string& error) {
    params = CrcParams();
    if (!words.width || !words.poly) {
        error = Tr("parameters of your own need --width and --poly");
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
    error = Format(Tr("invalid parameters: %1$s"), {why});
    return false;
}

bool GbkTextBytes(const std::string& text, const std::string& what, std::string& bytes, std::string& error) {
    std::size_t offset = 0;
    switch (Utf8ToGbk(text, bytes, offset)) {
        case Utf8ToGbkResult::Ok:
            return true;
        case Utf8ToGbkResult::InvalidUtf8:
            error = Format(Tr("%1$s is not valid UTF-8 at byte offset %2$s, so it has no GBK form"),
                           {what, std::to_string(offset)});
            return false;
        case Utf8ToGbkResult::NotRepresentable:
            error = NoGbkForm(text, what, offset);
            return false;
    }
    return false;
}

bool CrcTextBytes(const std::string& text, bool to_gbk, std::string& bytes, std::string& error) {
    if (!to_gbk) {
        bytes = text;
        return true;
    }
    std::size_t offset = 0;
    switch (Utf8ToGbk(text, bytes, offset)) {
        case Utf8ToGbkResult::Ok:
            return true;
        case Utf8ToGbkResult::InvalidUtf8:
            // Here a way out exists: without --gbk any bytes count as they are.
            error = Format(Tr("--text is not valid UTF-8 at byte offset %1$s, so it has no GBK form (without --gbk "
                              "its bytes count as they are)"),
                           {std::to_string(offset)});
            return false;
        case Utf8ToGbkResult::NotRepresentable:
            error = NoGbkForm(text, "--text", offset);
            return false;
    }
    return false;
}

bool CrcHexBytes(const std::string& hex_text, std::string& bytes, std::string& error) {
    std::vector<unsigned char> decoded;
    if (!DecodeHexText(hex_text, decoded)) {
        error = Format(Tr("%1$s is too long"), {"--hex"});
        return false;
    }
    bytes.assign(decoded.begin(), decoded.end());
    if (bytes.empty() && hex_text.find_first_not_of(" \t\r\n") != std::string::npos) {
        error = Format(Tr("--hex '%1$s' gives no bytes: hex digits pair up, other characters separate "
                          "(--hex \"\" is the CRC of no bytes)"),
                       {EscapeBytes(hex_text)});
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
