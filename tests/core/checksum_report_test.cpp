// The checksum reports: the 8-bit sum always in two digits, the 16-bit one in
// two to four, never padded to four.
#include "core/checksum_report.h"

#include <gtest/gtest.h>

#include "support/gbk.h"

namespace {

TEST(ChecksumReport, DigitWidths) {
    EXPECT_EQ(Sum8Report(0x00), Gbk("8位校验和：00\r\n"));
    EXPECT_EQ(Sum8Report(0x0A), Gbk("8位校验和：0A\r\n"));
    EXPECT_EQ(Sum8Report(0xDD), Gbk("8位校验和：DD\r\n"));
    const struct {
        std::uint16_t sum;
        const char* digits;
    } sums16[] = {{0x0000, "00"}, {0x000F, "0F"}, {0x00FE, "FE"}, {0x0100, "100"},
                  {0x01DD, "1DD"}, {0x0FFF, "FFF"}, {0x1000, "1000"}, {0xFFFF, "FFFF"}};
    for (const auto& c : sums16) EXPECT_EQ(Sum16Report(c.sum), Gbk(std::string("16位校验和：") + c.digits + "\r\n"));
}

}  // namespace
