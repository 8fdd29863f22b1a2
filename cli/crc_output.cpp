#include "cli/crc_output.h"

#include "core/crc_model_text.h"

namespace {
constexpr int kByteBits = 8;
}  // namespace

std::string CrcText(Uint128 crc, int width, CrcNotation notation) {
    if (notation == CrcNotation::Hex) return CrcHexDigits(crc, width, true);
    const int bytes = (width + kByteBits - 1) / kByteBits;
    std::string text;
    for (int i = 0; i < bytes; ++i) {
        const int index = notation == CrcNotation::BytesLowFirst ? i : bytes - 1 - i;
        if (i > 0) text += ' ';
        text += CrcHexDigits((crc >> (index * kByteBits)) & LowBitsMask(kByteBits), kByteBits, true);
    }
    return text;
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
