// Byte orders by letters against the bytes put in place another way: every
// order of 2, 4 and 8 bytes through hex text (the hex digits of A first), and
// the common ones through shifts and masks of the big-endian number.
#include "workbench/numbers/byte_orders.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>

namespace {

// The number of bytes that arrive in `order`, read from its hex digits.
std::uint64_t ThroughHexText(const unsigned char* bytes, const std::string& order) {
    std::string hex;
    for (char letter = 'A'; letter < 'A' + static_cast<int>(order.size()); ++letter) {
        char pair[3];
        std::snprintf(pair, sizeof pair, "%02x", bytes[order.find(letter)]);
        hex += pair;
    }
    return std::strtoull(hex.c_str(), nullptr, 16);
}

std::uint64_t BigEndian(const unsigned char* bytes, int size) {
    std::uint64_t value = 0;
    for (int i = 0; i < size; ++i) value = value << 8 | bytes[i];
    return value;
}

std::uint64_t SwapBytesOfWords(std::uint64_t value) {
    return (value & 0xFF00FF00FF00FF00u) >> 8 | (value & 0x00FF00FF00FF00FFu) << 8;
}

// The 16-bit words of the low `size` bytes in reverse order.
std::uint64_t ReverseWords(std::uint64_t value, int size) {
    std::uint64_t reversed = 0;
    for (int i = 0; i < size / 2; ++i, value >>= 16) reversed = reversed << 16 | (value & 0xFFFF);
    return reversed;
}

std::uint64_t ReverseBytes(std::uint64_t value, int size) { return ReverseWords(SwapBytesOfWords(value), size); }

}  // namespace

TEST(ByteOrders, EveryOrderPlacesEachByteWhereItsLetterSays) {
    std::mt19937 random(8);
    for (const int size : {2, 4, 8}) {
        std::string order = std::string("ABCDEFGH").substr(0, size);
        do {
            unsigned char bytes[8], back[8];
            for (int i = 0; i < size; ++i) bytes[i] = static_cast<unsigned char>(random());
            const std::uint64_t value = NumberFromBytes(bytes, order);
            ASSERT_EQ(value, ThroughHexText(bytes, order)) << order;
            BytesFromNumber(value, order, back);
            ASSERT_TRUE(std::equal(bytes, bytes + size, back)) << order;
            std::string lower = order;
            for (char& ch : lower) ch = static_cast<char>(ch - 'A' + 'a');
            ASSERT_EQ(ByteOrderLetters(lower, size), order);
        } while (std::next_permutation(order.begin(), order.end()));
    }
    // BCDA: the first byte is B, the last the most significant.
    const unsigned char bytes[] = {0x11, 0x22, 0x33, 0x44};
    EXPECT_EQ(NumberFromBytes(bytes, "BCDA"), 0x44112233u);
}

TEST(ByteOrders, CommonOrdersAreTheSwapsTheirNamesSay) {
    std::mt19937 random(9);
    for (const int size : {2, 4, 8}) {
        const std::vector<std::string> orders = CommonByteOrders(size);
        ASSERT_EQ(orders.size(), size == 2 ? 2u : 4u);
        for (int round = 0; round < 100; ++round) {
            unsigned char bytes[8];
            for (int i = 0; i < size; ++i) bytes[i] = static_cast<unsigned char>(random());
            const std::uint64_t given = BigEndian(bytes, size);
            EXPECT_EQ(NumberFromBytes(bytes, orders[0]), given);
            EXPECT_EQ(NumberFromBytes(bytes, orders[1]), ReverseBytes(given, size));
            if (size == 2) continue;
            EXPECT_EQ(NumberFromBytes(bytes, orders[2]), SwapBytesOfWords(given));
            EXPECT_EQ(NumberFromBytes(bytes, orders[3]), ReverseWords(given, size));
        }
    }
    // The Modbus registers 00 00 41 20 hold 41 20 00 00 word-swapped.
    const unsigned char registers[] = {0x00, 0x00, 0x41, 0x20};
    EXPECT_EQ(NumberFromBytes(registers, "CDAB"), 0x41200000u);
    EXPECT_TRUE(CommonByteOrders(3).empty());
}

TEST(ByteOrders, LettersNameEachByteOnce) {
    EXPECT_EQ(ByteOrderLetters("cdAB", 4), "CDAB");
    for (const char* wrong : {"", "ABC", "ABCDE", "ABCC", "ABCE", "AB1D", "ABC ", "@BCD", "abcd\xC3"}) {
        EXPECT_EQ(ByteOrderLetters(wrong, 4), "") << wrong;
    }
    EXPECT_EQ(ByteOrderLetters("ABCDEFGHI", 9), "");
    EXPECT_EQ(ByteOrderLetters("BA", 2), "BA");
}
