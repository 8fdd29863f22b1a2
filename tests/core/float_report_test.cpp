// The floating-point reports against the C library: snprintf's "%g", "%.7g"
// and "%.15g" (exact in glibc), strtod, the processor's own float rounding,
// and the value's bytes read out of memory.
#include "core/float_report.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "support/gbk.h"

namespace {

std::string Printf(const char* format, double value) {
    char text[64];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

// The bytes of an object in the byte order, as " %02X" pieces.
template <typename T>
std::string BytesOf(T value, bool low_first) {
    unsigned char bytes[sizeof value];
    std::memcpy(bytes, &value, sizeof value);  // the host is little-endian
    std::string text;
    char piece[4];
    for (std::size_t i = 0; i < sizeof value; ++i) {
        std::snprintf(piece, sizeof piece, " %02X", bytes[low_first ? i : sizeof value - 1 - i]);
        text += piece;
    }
    return text;
}

class FloatReport : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_NE(std::setlocale(LC_ALL, "C"), nullptr); }
};

// Random patterns (NaNs, infinities and subnormals among them), each given in
// both byte orders; a report is the values' texts with nothing between them.
TEST_F(FloatReport, HexToFloatIsPrintfOfEachGroup) {
    std::mt19937 random(11);
    std::vector<std::uint32_t> patterns = {0x3F800000, 0x80000000, 0x00000001, 0x7F7FFFFF,
                                           0x7F800000, 0xFFC00000, 0x38D1B716, 0x49742400};
    for (int i = 0; i < 2000; ++i) patterns.push_back(static_cast<std::uint32_t>(random()));

    std::vector<unsigned char> high_first, low_first;
    std::string expected;
    for (std::uint32_t bits : patterns) {
        for (int i = 0; i < 4; ++i) {
            high_first.push_back(static_cast<unsigned char>(bits >> (24 - 8 * i)));
            low_first.push_back(static_cast<unsigned char>(bits >> (8 * i)));
        }
        float value;
        std::memcpy(&value, &bits, sizeof value);
        expected += Printf("%g", value);
    }
    const int length = static_cast<int>(high_first.size());
    EXPECT_EQ(Hex2FloatReport(high_first.data(), length, false), expected);
    EXPECT_EQ(Hex2FloatReport(low_first.data(), length, true), expected);
    // A last group short of four bytes is left out.
    EXPECT_EQ(Hex2FloatReport(high_first.data(), 7, false), Printf("%g", 1.0));
}

std::string ExpectedFloatToHex(const std::string& input, bool low_first) {
    const double d = std::strtod(input.c_str(), nullptr);
    const float f = static_cast<float>(d);
    return Gbk("单精度：\r\n输入单精度浮点数：" + Printf("%.7g", d) + "\r\n转成十六进制：") + BytesOf(f, low_first) +
           Gbk("\r\n双精度：\r\n输入双精度浮点数：" + Printf("%.15g", d) + "\r\n转成十六进制：") +
           BytesOf(d, low_first);
}

// Decimal texts only: the number reader takes no hex numbers and no words.
TEST_F(FloatReport, FloatToHexAgreesWithStrtodAndPrintf) {
    std::vector<std::string> inputs = {"1", "0.1", "-0", "  -2.5xyz", "3.14159265358979", "1e39", "1e-50",
                                       "16777217", "1e400", "-1.2345678901234567e-308", "4.9e-324", ""};
    std::mt19937_64 random(5);
    for (int i = 0; i < 500; ++i) {
        double value;
        const std::uint64_t bits = random();
        std::memcpy(&value, &bits, sizeof value);
        if (value != value || value - value != 0) continue;  // no NaN or infinity: atof has no text for them here
        inputs.push_back(Printf("%.17g", value));
        const float single = static_cast<float>(value);
        if (single - single == 0) inputs.push_back(Printf("%.9g", single));
    }
    for (const std::string& input : inputs) {
        for (bool low_first : {false, true})
            EXPECT_EQ(Float2HexReport(input.c_str(), low_first), ExpectedFloatToHex(input, low_first)) << input;
    }
}

}  // namespace
