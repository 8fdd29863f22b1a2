#include "cli/crc_output.h"

#include "cli/hex_bytes.h"
#include "core/hexdump.h"
#include "workbench/crc/model_text.h"
#include "workbench/frames/frame_build.h"

namespace {
constexpr int kByteBits = 8;
}  // namespace

std::string CrcText(Uint128 crc, int width, CrcNotation notation) {
    if (notation == CrcNotation::Hex) return CrcHexDigits(crc, width, true);
    const CheckOrder order = notation == CrcNotation::BytesLowFirst ? CheckOrder::kLittleEndian : CheckOrder::kBigEndian;
    return SpacedHex(CheckBytes(crc, (width + kByteBits - 1) / kByteBits, order));
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
