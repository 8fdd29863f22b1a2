#include "core/crc_report.h"

#include <cstring>

#include "core/hexdump.h"
#include "core/string_format.h"
#include "core/texts.h"

namespace {

// What sets the three reports apart.
struct CrcLayout {
    const char* headline;  // format of the first line, with the CRC
    const char* header;    // the protocol's header line
    int crc_bytes;         // how many CRC bytes the frame carries
    const char* frame_end;
};

constexpr CrcLayout kLayouts[] = {
    {texts::kCrc8Headline, texts::kCrcHeaderTrv41Trv42, 1, texts::kCrc8FrameEnd},
    {texts::kCrc16Headline, texts::kCrcHeaderTrv41Trv42, 2, texts::kCrc16FrameEnd},
    {texts::kCrc32Headline, texts::kCrcHeaderTrv42, 4, texts::kCrc32FrameEnd},
};
constexpr int kMaxCrcBytes = 4;

}  // namespace

void WriteCrcReport(CrcTool tool, std::uint32_t crc, const unsigned char* bytes, int length, std::string& report) {
    const CrcLayout& layout = kLayouts[static_cast<int>(tool)];
    if (length < 0) length = 0;
    unsigned char crc_high_first[kMaxCrcBytes];
    for (int i = 0; i < layout.crc_bytes; ++i)
        crc_high_first[i] = static_cast<unsigned char>(crc >> (8 * (layout.crc_bytes - 1 - i)));

    // Clearing keeps the storage of the last report; one reserve makes room
    // for this one, so the frame's hex is written in place without growing.
    report.clear();
    AppendFormat(report, layout.headline, static_cast<unsigned>(crc));
    const std::size_t frame_hex_length = static_cast<std::size_t>(kSpacedHexLength * (length + layout.crc_bytes));
    report.reserve(report.size() + std::strlen(layout.header) + std::strlen(texts::kCrcFrameStart) +
                   frame_hex_length + std::strlen(layout.frame_end));
    report += layout.header;
    report += texts::kCrcFrameStart;
    const std::size_t at = report.size();
    report.resize(at + frame_hex_length);
    WriteSpacedHex(crc_high_first, layout.crc_bytes, WriteSpacedHex(bytes, length, &report[at]));
    report += layout.frame_end;
}
