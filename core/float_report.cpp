#include "core/float_report.h"

#include <cstdint>

#include "core/floatconv.h"
#include "core/string_format.h"
#include "core/texts.h"

namespace {

constexpr int kSingleBytes = 4;
constexpr int kDoubleBytes = 8;

// Appends the `count` low bytes of `bits` as " %02X" pieces in the byte order.
void AppendBytes(std::string& report, std::uint64_t bits, int count, bool low_first) {
    for (int i = 0; i < count; ++i) {
        const int shift = 8 * (low_first ? i : count - 1 - i);
        AppendFormat(report, texts::kByteFormat, static_cast<unsigned>((bits >> shift) & 0xFF));
    }
}

std::string General(double value, int precision) {
    char number[kGeneralTextSize];
    FormatGeneral(value, precision, number, sizeof number);
    return number;
}

}  // namespace

std::string Hex2FloatReport(const unsigned char* bytes, int length, bool low_first) {
    std::string report;
    for (int group = 0; group + kSingleBytes <= length; group += kSingleBytes) {
        const unsigned char* g = bytes + group;
        const std::uint32_t bits =
            low_first ? g[0] | g[1] << 8 | g[2] << 16 | static_cast<std::uint32_t>(g[3]) << 24
                      : static_cast<std::uint32_t>(g[0]) << 24 | g[1] << 16 | g[2] << 8 | g[3];
        // Widening a float to a double is exact.
        report += General(SingleFromBits(bits), 6);
    }
    return report;
}

std::string Float2HexReport(const char* input, bool low_first) {
    const double d = ReadDecimalNumber(input);
    std::string report = texts::kSingleHeader;
    AppendFormat(report, texts::kSingleLineFormat, General(d, 7).c_str());
    AppendBytes(report, SingleBits(ToSingle(d)), kSingleBytes, low_first);
    report += texts::kDoubleHeader;
    AppendFormat(report, texts::kDoubleLineFormat, General(d, 15).c_str());
    AppendBytes(report, DoubleBits(d), kDoubleBytes, low_first);
    return report;
}
