// The hex dump report against one built with snprintf, byte by byte.
#include "core/hexdump.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "support/gbk.h"

namespace {

std::string Report(const std::vector<unsigned char>& bytes) {
    const int n = static_cast<int>(bytes.size());
    std::string report(static_cast<size_t>(HexDumpReportLength(n)) + 1, '\x7F');
    WriteHexDumpReport(bytes.data(), n, &report[0]);
    EXPECT_EQ(report.back(), '\x7F') << "wrote past the report";
    report.pop_back();
    return report;
}

std::string PrintfReport(const std::vector<unsigned char>& bytes) {
    std::string report = Gbk("十六进制格式1：\r\n");
    char piece[8];
    for (unsigned char b : bytes) {
        std::snprintf(piece, sizeof piece, "%02X ", b);
        report += piece;
    }
    report += Gbk("\r\n\r\n十六进制格式2：\r\n");
    for (unsigned char b : bytes) {
        std::snprintf(piece, sizeof piece, "0x%02X,", b);
        report += piece;
    }
    return report;
}

TEST(HexDump, EveryByteValueAndTheFullBuffer) {
    std::vector<unsigned char> all(256);
    for (int b = 0; b < 256; ++b) all[b] = static_cast<unsigned char>(b);
    EXPECT_EQ(Report(all), PrintfReport(all));

    std::mt19937 random(99);
    std::vector<unsigned char> full(20480);
    for (unsigned char& b : full) b = static_cast<unsigned char>(random());
    const std::string report = Report(full);
    EXPECT_EQ(report.size(), 163878u);  // 17 + 21 bytes of headers, 8 a byte
    EXPECT_EQ(report, PrintfReport(full));
}

// Bytes on a line of their own: "%02X " apart, no blank before or after.
TEST(HexDump, SpacedHexSeparatesWithoutATrailingBlank) {
    EXPECT_EQ(SpacedHex(std::vector<unsigned char>{}), "");
    EXPECT_EQ(SpacedHex(std::vector<unsigned char>{0x0A}), "0A");
    std::vector<unsigned char> all(256);
    std::string expected;
    char piece[8];
    for (int b = 0; b < 256; ++b) {
        all[b] = static_cast<unsigned char>(b);
        std::snprintf(piece, sizeof piece, b == 0 ? "%02X" : " %02X", b);
        expected += piece;
    }
    EXPECT_EQ(SpacedHex(all), expected);
}

}  // namespace
