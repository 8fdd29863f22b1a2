// CString's length guard: a text of more bytes than an int counts must end
// the program, never wrap into a small or negative length. The guard's
// arithmetic is tested at the int limit and where a plain sum would wrap;
// the ways text enters are tested at ordinary sizes.
#include "fw/cstring.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <string>

namespace {

constexpr std::size_t kIntMax = INT_MAX;

TEST(CStringLength, UpToTheIntLimitIsALength) {
    EXPECT_EQ(fw::CheckedStringLength(0, 0), 0);
    EXPECT_EQ(fw::CheckedStringLength(1000, 24), 1024);
    EXPECT_EQ(fw::CheckedStringLength(kIntMax, 0), INT_MAX);
    EXPECT_EQ(fw::CheckedStringLength(kIntMax - 1, 1), INT_MAX);
    EXPECT_EQ(fw::CheckedStringLength(0, kIntMax), INT_MAX);
    // The same arithmetic against a small limit.
    EXPECT_EQ(fw::CheckedStringLength(3, 2, 5), 5);
}

TEST(CStringLengthDeathTest, OneByteMoreEndsTheProgramWithAMessage) {
    EXPECT_DEATH(fw::CheckedStringLength(kIntMax, 1), "CString: a text of 2147483647 \\+ 1 bytes is longer than 2147483647");
    EXPECT_DEATH(fw::CheckedStringLength(kIntMax + 1, 0), "CString: a text of 2147483648 \\+ 0 bytes");
    EXPECT_DEATH(fw::CheckedStringLength(0, kIntMax + 1), "CString: a text of 0 \\+ 2147483648 bytes");
    EXPECT_DEATH(fw::CheckedStringLength(3, 3, 5), "CString: a text of 3 \\+ 3 bytes");
}

// Sums that a size_t or an int would wrap to something small.
TEST(CStringLengthDeathTest, LengthsThatWouldWrapEndTheProgram) {
    EXPECT_DEATH(fw::CheckedStringLength(1, SIZE_MAX), "CString: a text of");   // sum 0
    EXPECT_DEATH(fw::CheckedStringLength(SIZE_MAX, 2), "CString: a text of");   // sum 1
    EXPECT_DEATH(fw::CheckedStringLength(kIntMax, kIntMax), "CString: a text of");  // int sum -2
    if (sizeof(std::size_t) > 4) {
        const std::size_t four_gib_and_five = (std::size_t{1} << 31) * 2 + 5;  // an int cast gives 5
        EXPECT_DEATH(fw::CheckedStringLength(four_gib_and_five, 0), "CString: a text of");
    }
}

TEST(CStringLength, EveryWayInKeepsTheBytes) {
    CString text("ab");
    text += text;  // its own bytes: the length is read before they grow
    EXPECT_EQ(text.Bytes(), "abab");
    text += 'c';
    text += "de";
    text += static_cast<const char*>(nullptr);
    EXPECT_EQ(text.GetLength(), 7);
    text.AppendFormat("%02X%s", 0xAB, "!");
    EXPECT_EQ(text.Bytes(), "ababcdeAB!");
    text.Format("%d", -12);
    EXPECT_EQ(text.Bytes(), "-12");
    text.AppendFormat("%s", "");
    EXPECT_EQ(text.GetLength(), 3);
    text = static_cast<const char*>(nullptr);
    EXPECT_TRUE(text.IsEmpty());
    EXPECT_EQ(CString(static_cast<const char*>(nullptr)).GetLength(), 0);
    EXPECT_EQ(CString(std::string("\xD6\xD0\r\n")).GetLength(), 4);
    EXPECT_EQ(CString("xyz", 2).Bytes(), "xy");
}

}  // namespace
