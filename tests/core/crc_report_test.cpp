// The CRC reports: the catalogues' check values in the reports word for word,
// and every other report against one put together piece by piece with
// snprintf.
#include "core/crc_report.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "support/gbk.h"

namespace {

using Bytes = std::vector<unsigned char>;

std::string Report(CrcTool tool, std::uint32_t crc, const Bytes& bytes) {
    std::string report;
    WriteCrcReport(tool, crc, bytes.data(), static_cast<int>(bytes.size()), report);
    return report;
}

std::string Printf(const char* format, unsigned value) {
    char text[64];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

struct Layout {
    CrcTool tool;
    const char* headline;  // UTF-8, with the CRC's printf format
    const char* header;
    int crc_bytes;
    const char* frame_end;
};

const Layout kLayouts[] = {
    {CrcTool::Crc8, "CRC8计算结果：%02X\r\n", "\r\n湖北TRV41和TRV42协议专用：\r\n", 1, "A9"},
    {CrcTool::Crc16, "CRC16计算结果：%04X\r\n", "\r\n湖北TRV41和TRV42协议专用：\r\n", 2, "00 00 A9"},
    {CrcTool::Crc32, "CRC32计算结果：%08X\r\n", "\r\n湖北TRV42协议专用：\r\n", 4, "A9"},
};

std::string PrintfReport(const Layout& layout, std::uint32_t crc, const Bytes& bytes) {
    std::string frame = "AA ";
    for (unsigned char b : bytes) frame += Printf("%02X ", b);
    for (int i = layout.crc_bytes - 1; i >= 0; --i) frame += Printf("%02X ", (crc >> (8 * i)) & 0xFF);
    return Gbk(Printf(layout.headline, crc) + layout.header) + frame + layout.frame_end;
}

// The check value of each catalogued CRC, over the text 123456789.
TEST(CrcReport, CheckValuesWordForWord) {
    const Bytes check = {'1', '2', '3', '4', '5', '6', '7', '8', '9'};
    EXPECT_EQ(Report(CrcTool::Crc8, 0xA1, check),
              Gbk("CRC8计算结果：A1\r\n\r\n湖北TRV41和TRV42协议专用：\r\nAA 31 32 33 34 35 36 37 38 39 A1 A9"));
    EXPECT_EQ(Report(CrcTool::Crc16, 0x31C3, check),
              Gbk("CRC16计算结果：31C3\r\n\r\n湖北TRV41和TRV42协议专用：\r\n"
                  "AA 31 32 33 34 35 36 37 38 39 31 C3 00 00 A9"));
    EXPECT_EQ(Report(CrcTool::Crc32, 0xCBF43926, check),
              Gbk("CRC32计算结果：CBF43926\r\n\r\n湖北TRV42协议专用：\r\nAA 31 32 33 34 35 36 37 38 39 CB F4 39 26 A9"));
    // No data: the frame holds the CRC alone.
    EXPECT_EQ(Report(CrcTool::Crc16, 0, {}), Gbk("CRC16计算结果：0000\r\n\r\n湖北TRV41和TRV42协议专用：\r\n") +
                                                 "AA 00 00 00 00 A9");
}

// Leading zeros in the headline and the frame, every byte value, and a full
// work buffer written over a longer earlier report in the same string.
TEST(CrcReport, AgreesWithSnprintf) {
    Bytes every(256);
    for (int b = 0; b < 256; ++b) every[b] = static_cast<unsigned char>(b);
    std::mt19937 random(7);
    Bytes full(20480);
    for (unsigned char& b : full) b = static_cast<unsigned char>(random());

    for (const Layout& layout : kLayouts) {
        SCOPED_TRACE(layout.headline);
        const std::uint32_t mask = layout.crc_bytes == 4 ? 0xFFFFFFFFu : (1u << (8 * layout.crc_bytes)) - 1;
        for (std::uint32_t crc : {0x00000000u, 0x00000001u, 0x00000A0Bu, 0x0A6216D9u, 0xFFFFFFFFu})
            EXPECT_EQ(Report(layout.tool, crc & mask, {0x00, 0x0F}), PrintfReport(layout, crc & mask, {0x00, 0x0F}));
        EXPECT_EQ(Report(layout.tool, 0x5A & mask, every), PrintfReport(layout, 0x5A & mask, every));

        std::string report(200000, '#');
        WriteCrcReport(layout.tool, 0xC3A5F00Fu & mask, full.data(), static_cast<int>(full.size()), report);
        EXPECT_EQ(report, PrintfReport(layout, 0xC3A5F00Fu & mask, full));
        WriteCrcReport(layout.tool, 0x66 & mask, every.data(), 3, report);
        EXPECT_EQ(report, PrintfReport(layout, 0x66 & mask, {0x00, 0x01, 0x02}));
    }
}

}  // namespace
