#include "core/decode.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "support/gbk.h"

namespace {

std::vector<int> Decode(const std::string& text, int capacity = WORK_BUFFER_SIZE) {
    std::vector<unsigned char> buffer(static_cast<size_t>(capacity) + 1, 0xEE);
    const int n = HexTextToBytes(text.data(), static_cast<int>(text.size()), buffer.data(), capacity);
    EXPECT_EQ(buffer[static_cast<size_t>(capacity)], 0xEE) << "wrote past the capacity";
    if (n < 0) return {-1};
    return std::vector<int>(buffer.begin(), buffer.begin() + n);
}

TEST(HexDigitValue, AgreesWithStrtolOnEveryByte) {
    for (int b = 0; b < 256; ++b) {
        const char ch = static_cast<char>(b);
        const char text[2] = {ch, 0};
        char* end = nullptr;
        const long expected = std::strtol(text, &end, 16);
        const bool is_digit = b != 0 && *end == 0 && ch != '+' && ch != '-' && ch != ' ';
        EXPECT_EQ(HexDigitValue(ch), is_digit ? expected : 0) << "byte " << b;
    }
}

struct HexCase {
    const char* text;
    std::vector<int> bytes;
};

TEST(HexTextToBytes, PairsDigitsAndSplitsOnEverythingElse) {
    const HexCase cases[] = {
        {"", {}},
        {"A", {0x0A}},
        {"ABC", {0xAB, 0x0C}},
        {"ABCDE", {0xAB, 0xCD, 0x0E}},
        {"1 2 3", {0x01, 0x02, 0x03}},
        {"AbCd", {0xAB, 0xCD}},
        {"0x12,0X34", {0x12, 0x34}},
        {"0x", {}},
        {"0", {0x00}},
        {"0 x", {0x00}},
        {"5x", {0x05}},
        {"00x12", {0x00, 0x12}},
        {"0x0x12", {0x12}},
        {"g1", {0x01}},
        {"FF\r\nfe", {0xFF, 0xFE}},
        {"41 42", {0x41, 0x42}},
        {"1234567", {0x12, 0x34, 0x56, 0x07}},
    };
    for (const HexCase& c : cases) EXPECT_EQ(Decode(c.text), c.bytes) << '"' << c.text << '"';
}

TEST(HexTextToBytes, GbkCharactersAreSeparatorsOnly) {
    // Some GBK trail bytes are ASCII letters (丂 is 81 40, 侫 is 81 A2...);
    // none of them is taken as a digit unless it is one.
    EXPECT_EQ(Decode(Gbk("中文汉字")), std::vector<int>{});
    EXPECT_EQ(Decode(Gbk("中12文3")), (std::vector<int>{0x12, 0x03}));
}

TEST(HexTextToBytes, StopsAtTheCapacity) {
    EXPECT_EQ(Decode("11 22 33", 3), (std::vector<int>{0x11, 0x22, 0x33}));
    EXPECT_EQ(Decode("11 22 33 4", 3), std::vector<int>{-1});
    EXPECT_EQ(Decode("11 22 33 44", 3), std::vector<int>{-1});
    EXPECT_EQ(Decode("", 0), std::vector<int>{});

    const std::string full(2 * WORK_BUFFER_SIZE, 'F');
    EXPECT_EQ(Decode(full).size(), static_cast<size_t>(WORK_BUFFER_SIZE));
    EXPECT_EQ(Decode(full + "F"), std::vector<int>{-1});
}

TEST(HexTextToBytes, NeverMoreThanHalfTheTextRoundedUp) {
    std::string text;
    for (int i = 0; i < 300; ++i) {
        text += "0123456789abcdefx, "[(i * 7) % 19];
        const size_t n = Decode(text).size();
        EXPECT_LE(n, (text.size() + 1) / 2) << text;
    }
}

}  // namespace
