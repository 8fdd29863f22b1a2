// The character statistics against runs of high bytes counted another way.
#include "core/texttools.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <random>
#include <string>

#include "support/gbk.h"
#include "support/random_text.h"

namespace {

TEST(CharacterStatistics, CasesOfTheReport) {
    const CharStats hello = CountCharacters("Hello", 5);
    EXPECT_EQ(hello.total, 5);
    EXPECT_EQ(hello.ascii, 5);
    EXPECT_EQ(hello.chinese, 0);
    EXPECT_EQ(hello.counts[int{'l'}], 2);
    EXPECT_EQ(hello.counts[int{'H'}] + hello.counts[int{'e'}] + hello.counts[int{'o'}], 3);

    const std::string a_zhong_b = Gbk("a中b");
    const CharStats mixed = CountCharacters(a_zhong_b.data(), 4);
    EXPECT_EQ(mixed.total, 4);
    EXPECT_EQ(mixed.ascii, 2);
    EXPECT_EQ(mixed.chinese, 1);

    // 丂 is 81 40: its trail byte counts as an at sign.
    const std::string kao = Gbk("丂");
    const CharStats low_trail = CountCharacters(kao.data(), 2);
    EXPECT_EQ(low_trail.total, 2);
    EXPECT_EQ(low_trail.ascii, 1);
    EXPECT_EQ(low_trail.chinese, 0);
    EXPECT_EQ(low_trail.counts[int{'@'}], 1);

    const CharStats pending = CountCharacters("\xB0\xA1\xB0", 3);
    EXPECT_EQ(pending.total, 3);
    EXPECT_EQ(pending.ascii, 0);
    EXPECT_EQ(pending.chinese, 1);

    const CharStats empty = CountCharacters("", 0);
    EXPECT_EQ(empty.total + empty.ascii + empty.chinese, 0);
    EXPECT_EQ(std::count(std::begin(empty.counts), std::end(empty.counts), 0), 128);
}

// A low byte ends a run of high bytes; each run of n high bytes holds n / 2 pairs.
TEST(CharacterStatistics, RandomTextsMatchRunsOfHighBytes) {
    std::mt19937 random(936);
    for (int round = 0; round < 2000; ++round) {
        const std::string text = RandomText(random, 60);
        int expected_pairs = 0, run = 0, low = 0;
        for (char c : text) {
            if (static_cast<unsigned char>(c) >= 0x80) {
                ++run;
            } else {
                expected_pairs += run / 2;
                run = 0;
                ++low;
            }
        }
        expected_pairs += run / 2;
        const CharStats stats = CountCharacters(text.data(), static_cast<int>(text.size()));
        ASSERT_EQ(stats.total, static_cast<int>(text.size()));
        ASSERT_EQ(stats.ascii, low);
        ASSERT_EQ(stats.chinese, expected_pairs);
        for (int code = 0; code < 128; ++code) {
            ASSERT_EQ(stats.counts[code], std::count(text.begin(), text.end(), static_cast<char>(code)));
        }
    }
}

}  // namespace
