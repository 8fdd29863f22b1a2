// The generators against their authors' reference values, range reduction
// against chi-squared (with a fixed seed, so the verdict never changes), and
// the ranges as the command line gives them.
#include <gtest/gtest.h>

#include <algorithm>
#include <cinttypes>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <cstdint>
#include <functional>
#include <limits>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "workbench/random/random_numbers.h"

namespace {

// Pearson's statistic of observed counts against equal expected ones.
double ChiSquared(const std::vector<std::uint64_t>& counts) {
    std::uint64_t total = 0;
    for (const std::uint64_t c : counts) total += c;
    const double expected = static_cast<double>(total) / static_cast<double>(counts.size());
    double chi = 0;
    for (const std::uint64_t c : counts) chi += (static_cast<double>(c) - expected) * (static_cast<double>(c) - expected) / expected;
    return chi;
}

// A range of about 2/3 of 2^64, counted in four cells: the lower or upper
// half of the range, even or odd. x % n gives the lower half two thirds of
// the time; a multiply without the rejection gives the even values two
// preimages to the odd values' one. Either shows at once.
std::vector<std::uint64_t> Cells(const std::function<std::uint64_t(std::uint64_t span)>& draw, int draws) {
    const std::uint64_t span = 0xAAAAAAAAAAAAAAAAu;  // n = span + 1
    std::vector<std::uint64_t> counts(4);
    for (int i = 0; i < draws; ++i) {
        const std::uint64_t v = draw(span);
        ++counts[(v > span / 2 ? 2 : 0) + (v & 1)];
    }
    return counts;
}

// The chi-squared distribution's upper 0.1 % points (NIST/SEMATECH e-Handbook
// of Statistical Methods, table 1.3.6.7.4): 3 and 5 degrees of freedom.
constexpr double kChi3At001 = 16.266;
constexpr double kChi5At001 = 20.515;

}  // namespace

// Blackman and Vigna's xoshiro256starstar.c from the state {1, 2, 3, 4}: the
// values rand_xoshiro's reference test holds, made with that C code.
TEST(RandomGenerators, Xoshiro256StarStarReference) {
    Xoshiro256StarStar generator({1, 2, 3, 4});
    const std::uint64_t expected[] = {11520u,
                                      0u,
                                      1509978240u,
                                      1215971899390074240u,
                                      1216172134540287360u,
                                      607988272756665600u,
                                      16172922978634559625u,
                                      8476171486693032832u,
                                      10595114339597558777u,
                                      2904607092377533576u};
    for (const std::uint64_t e : expected) EXPECT_EQ(generator.Next(), e);
}

// Vigna's splitmix64.c from 1477776061723855037: rand_xoshiro's reference test.
TEST(RandomGenerators, SplitMix64Reference) {
    SplitMix64 generator(1477776061723855037u);
    const std::uint64_t expected[] = {1985237415132408290u,  2979275885539914483u,  13511426838097143398u,
                                      8488337342461049707u,  15141737807933549159u, 17093170987380407015u,
                                      16389528042912955399u, 13177319091862933652u, 10841969400225389492u,
                                      17094824097954834098u};
    for (const std::uint64_t e : expected) EXPECT_EQ(generator.Next(), e);
    // Seeding xoshiro256** takes its state from four SplitMix64 outputs.
    SplitMix64 mix(7);
    const std::uint64_t state[4] = {mix.Next(), mix.Next(), mix.Next(), mix.Next()};
    Xoshiro256StarStar seeded(7), given(state);
    for (int i = 0; i < 8; ++i) EXPECT_EQ(seeded.Next(), given.Next());
}

TEST(RandomRange, UnbiasedWhereReductionBiasShows) {
    Xoshiro256StarStar words(2024);
    const auto ours = Cells([&](std::uint64_t span) { return UniformUpTo(words, span); }, 60000);
    EXPECT_LT(ChiSquared(ours), kChi3At001);
    // The same test catches the faults it is meant for, from the same seed.
    Xoshiro256StarStar modulo_words(2024);
    const auto modulo = Cells([&](std::uint64_t span) { return modulo_words.Next() % (span + 1); }, 60000);
    EXPECT_GT(ChiSquared(modulo), 100 * kChi3At001);
#ifdef __SIZEOF_INT128__
    Xoshiro256StarStar multiply_words(2024);
    const auto multiply = Cells(
        [&](std::uint64_t span) {
            // Lemire's multiply without the rejection, in 128 bits.
            const unsigned __int128 product = static_cast<unsigned __int128>(multiply_words.Next()) * (span + 1);
            return static_cast<std::uint64_t>(product >> 64);
        },
        60000);
    EXPECT_GT(ChiSquared(multiply), 100 * kChi3At001);
#endif
}

TEST(RandomRange, DiceAreFair) {
    Xoshiro256StarStar words(1);
    std::vector<std::uint64_t> counts(6);
    for (int i = 0; i < 600000; ++i) ++counts[UniformUpTo(words, 5)];
    EXPECT_LT(ChiSquared(counts), kChi5At001);
    // The whole 64-bit range is the word itself.
    Xoshiro256StarStar a(3), b(3);
    EXPECT_EQ(UniformUpTo(a, std::numeric_limits<std::uint64_t>::max()), b.Next());
    EXPECT_EQ(UniformUpTo(a, 0), 0u);
}

TEST(RandomRange, RangesAsTyped) {
    IntegerRange range;
    std::string error;
    ASSERT_TRUE(ParseIntegerRange("1..6", range, error)) << error;
    EXPECT_EQ(range.lo, 1u);
    EXPECT_EQ(range.Span(), 5u);
    EXPECT_FALSE(range.is_signed);
    ASSERT_TRUE(ParseIntegerRange("-9223372036854775808..9223372036854775807", range, error)) << error;
    EXPECT_TRUE(range.is_signed);
    EXPECT_EQ(range.Span(), std::numeric_limits<std::uint64_t>::max());
    ASSERT_TRUE(ParseIntegerRange("0..0xFFFFFFFFFFFFFFFF", range, error)) << error;
    EXPECT_EQ(range.Span(), std::numeric_limits<std::uint64_t>::max());
    ASSERT_TRUE(ParseIntegerRange("-10..-3", range, error)) << error;
    EXPECT_EQ(range.Span(), 7u);
    EXPECT_EQ(IntegerText(range.lo, true), "-10");
    const struct {
        const char* text;
        const char* error;
    } kBad[] = {
        {"6..1", "the range '6..1' ends below its start"},
        {"-1..-2", "the range '-1..-2' ends below its start"},
        {"1-6", "'1-6' is no range LO..HI"},
        {"1..x", "'x' in the range '1..x' is no integer (decimal or 0x hex, within 64 bits)"},
        {"..5", "'' in the range '..5' is no integer (decimal or 0x hex, within 64 bits)"},
        {"0..18446744073709551616", "'18446744073709551616' in the range '0..18446744073709551616' is no integer (decimal or 0x hex, within 64 bits)"},
        {"-1..9223372036854775808",
         "the range '-1..9223372036854775808' has a negative end, so both lie within int64, "
         "-9223372036854775808 to 9223372036854775807"},
    };
    for (const auto& bad : kBad) {
        EXPECT_FALSE(ParseIntegerRange(bad.text, range, error)) << bad.text;
        EXPECT_EQ(error, bad.error);
    }
    double lo = 0, hi = 0;
    EXPECT_TRUE(ParseFloatRange("-1.5..2e3", lo, hi, error));
    EXPECT_EQ(lo, -1.5);
    EXPECT_EQ(hi, 2000.0);
    EXPECT_FALSE(ParseFloatRange("1..1", lo, hi, error));
    EXPECT_FALSE(ParseFloatRange("0..inf", lo, hi, error));
    EXPECT_FALSE(ParseFloatRange("0..0x10", lo, hi, error));
    EXPECT_FALSE(ParseFloatRange("0.. 1", lo, hi, error));
}

// glibc's printf is the oracle of the digits.
TEST(RandomDraws, IntegersAsPrintfWritesThem) {
    const std::uint64_t values[] = {0, 1, 9, 10, 99, 4294967295u, 9223372036854775807u, 9223372036854775808u,
                                    18446744073709551615u};
    for (const std::uint64_t v : values) {
        char text[32];
        std::snprintf(text, sizeof text, "%" PRIu64, v);
        EXPECT_EQ(IntegerText(v, false), text);
        std::int64_t s = 0;
        std::memcpy(&s, &v, sizeof s);
        std::snprintf(text, sizeof text, "%" PRId64, s);
        EXPECT_EQ(IntegerText(v, true), text);
    }
}

TEST(RandomDraws, SignedRangesWrapAroundZero) {
    IntegerRange range;
    std::string error;
    ASSERT_TRUE(ParseIntegerRange("-3..3", range, error));
    Xoshiro256StarStar words(5);
    std::vector<std::uint64_t> values;
    ASSERT_TRUE(DrawIntegers(words, range, 7000, false, values, error));
    std::set<std::string> seen;
    for (const std::uint64_t v : values) seen.insert(IntegerText(v, true));
    EXPECT_EQ(seen, (std::set<std::string>{"-1", "-2", "-3", "0", "1", "2", "3"}));
}

TEST(RandomDraws, UniqueValues) {
    IntegerRange range;
    std::string error;
    std::vector<std::uint64_t> values;
    Xoshiro256StarStar words(9);
    // The whole range: a permutation of it.
    ASSERT_TRUE(ParseIntegerRange("10..109", range, error));
    ASSERT_TRUE(DrawIntegers(words, range, 100, true, values, error));
    std::vector<std::uint64_t> sorted = values;
    std::sort(sorted.begin(), sorted.end());
    for (std::uint64_t i = 0; i < 100; ++i) EXPECT_EQ(sorted[i], 10 + i);
    EXPECT_NE(values, sorted) << "a shuffle that left the order as it was";
    // A sparse draw from a large range.
    ASSERT_TRUE(ParseIntegerRange("0..0xFFFFFFFFFFFFFFFF", range, error));
    ASSERT_TRUE(DrawIntegers(words, range, 1000, true, values, error));
    EXPECT_EQ(std::set<std::uint64_t>(values.begin(), values.end()).size(), 1000u);
    // Too few values.
    ASSERT_TRUE(ParseIntegerRange("1..6", range, error));
    EXPECT_FALSE(DrawIntegers(words, range, 7, true, values, error));
    EXPECT_EQ(error, "the range holds 6 values, fewer than the 7 unique ones asked for");
}

TEST(RandomDraws, FloatsStayBelowTheirEnd) {
    Xoshiro256StarStar words(11);
    // A range one ulp wide: the scaled value rounds to its end half the time.
    const double lo = 1.0, hi = 1.0 + 0x1.0p-52;
    for (int i = 0; i < 1000; ++i) EXPECT_EQ(UniformDouble(words, lo, hi), lo);
    for (int i = 0; i < 1000; ++i) {
        const double v = UniformDouble(words, -2.0, 3.0);
        EXPECT_GE(v, -2.0);
        EXPECT_LT(v, 3.0);
    }
}

TEST(RandomDraws, BytesOfASourceAsLittleEndianWords) {
    unsigned char next = 0;
    ByteSourceWords words([&](unsigned char* bytes, std::size_t size) {
        for (std::size_t i = 0; i < size; ++i) bytes[i] = next++;
        return true;
    });
    EXPECT_EQ(words.Next(), 0x0706050403020100u);
    EXPECT_EQ(words.Next(), 0x0F0E0D0C0B0A0908u);
    ByteSourceWords failing([](unsigned char*, std::size_t) { return false; });
    failing.Next();
    EXPECT_TRUE(failing.failed());
}

namespace {

// The double nearest m * 2^exponent for a product m of up to 128 bits, held
// as two words, ties to even, worked out in integers: no floating-point
// unit's rounding takes part but ldexp's of an exact 53-bit integer.
double NearestDouble(std::uint64_t high, std::uint64_t low, int exponent) {
    int bits = 0;
    for (std::uint64_t h = high, l = low; h != 0 || l != 0; ++bits) {
        l = (l >> 1) | (h << 63);
        h >>= 1;
    }
    if (bits <= 53) return std::ldexp(static_cast<double>(low), exponent);
    const int shift = bits - 53;
    // The kept bits, the first dropped one and whether any other is set.
    const auto bit = [&](int i) { return i >= 64 ? (high >> (i - 64)) & 1 : (low >> i) & 1; };
    std::uint64_t kept = 0;
    for (int i = bits - 1; i >= shift; --i) kept = (kept << 1) | bit(i);
    const bool half = bit(shift - 1) != 0;
    bool rest = false;
    for (int i = 0; i < shift - 1; ++i) rest = rest || bit(i) != 0;
    if (half && (rest || (kept & 1))) ++kept;
    return std::ldexp(static_cast<double>(kept), exponent + shift);
}

// a * k * 2^-53 for a positive double a and a 53-bit k, rounded once.
double ScaledOnce(double a, std::uint64_t k) {
    int exponent = 0;
    const std::uint64_t m = static_cast<std::uint64_t>(std::ldexp(std::frexp(a, &exponent), 53));
    // The 106-bit product from 32-bit halves.
    const std::uint64_t m1 = m >> 32, m0 = m & 0xFFFFFFFFu, k1 = k >> 32, k0 = k & 0xFFFFFFFFu;
    const std::uint64_t low_low = m0 * k0, cross1 = m1 * k0, cross0 = m0 * k1, high_high = m1 * k1;
    const std::uint64_t middle = (low_low >> 32) + (cross1 & 0xFFFFFFFFu) + (cross0 & 0xFFFFFFFFu);
    const std::uint64_t low = (low_low & 0xFFFFFFFFu) | (middle << 32);
    const std::uint64_t high = high_high + (cross1 >> 32) + (cross0 >> 32) + (middle >> 32);
    return NearestDouble(high, low, exponent - 106);
}

}  // namespace

// Seeded floats of [0, hi) are hi times a 53-bit fraction rounded once, as
// on x86-64, on every build: the 32-bit ones' x87 registers would round
// some products twice (to 64 bits, then to 53), about one in two thousand.
TEST(RandomDraws, SeededFloatsAreRoundedOnceOnEveryBuild) {
    for (const double hi : {0.1 * 3, 1e300 / 7, 12345.6789, 3.141592653589793, 0x1.fffffffffffffp-3}) {
        Xoshiro256StarStar words(99), reference(99);
        for (int i = 0; i < 40000; ++i) {
            const double drawn = UniformDouble(words, 0.0, hi);
            double expected = 0;
            do {
                expected = ScaledOnce(hi, reference.Next() >> 11);
            } while (expected >= hi);
            ASSERT_EQ(drawn, expected) << "draw " << i << " of [0, " << hi << ")";
        }
    }
}

// Subnormal ends are doubles like any other (strtod says ERANGE for them):
// each end is the double nearest its decimal, as Python's float() gives it;
// one below the smallest subnormal is zero; an infinite one is refused.
TEST(RandomRange, SubnormalEndsAreTheirNearestDoubles) {
    const auto bits = [](double value) {
        std::uint64_t b = 0;
        std::memcpy(&b, &value, sizeof b);
        return b;
    };
    const struct {
        const char* text;
        std::uint64_t lo, hi;  // float(...).hex() of Python, as bits
    } kGood[] = {
        {"-1e-310..1e-310", 0x800012688b70e62bu, 0x000012688b70e62bu},
        {"0..5e-324", 0, 1},
        {"2.5e-320..1e-310", 0x00000000000013c4u, 0x000012688b70e62bu},
        {"1e-400..2.2250738585072014e-308", 0, 0x0010000000000000u},
    };
    for (const auto& good : kGood) {
        double lo = 1, hi = 1;
        std::string error;
        ASSERT_TRUE(ParseFloatRange(good.text, lo, hi, error)) << good.text << ": " << error;
        EXPECT_EQ(bits(lo), good.lo) << good.text;
        EXPECT_EQ(bits(hi), good.hi) << good.text;
    }
    for (const char* bad : {"0..1e-400", "0..1e309", "-1e309..0"}) {
        double lo = 0, hi = 0;
        std::string error;
        EXPECT_FALSE(ParseFloatRange(bad, lo, hi, error)) << bad;
    }
}

// In a range of K subnormal steps g = 2^-1074 from lo, a draw is lo + k g
// where k is K times the 53-bit fraction rounded to the nearest integer,
// ties to even, and drawn again when k = K: worked out here in integers.
TEST(RandomDraws, SubnormalRangesRoundTheScaledFractionOnce) {
    const double g = std::ldexp(1.0, -1074);
    for (const double lo : {0.0, 1e-310, -1e-310}) {
        for (const std::uint64_t steps : {1u, 2u, 3u, 8u, 1000u, 2047u}) {
            const double hi = lo + static_cast<double>(steps) * g;
            Xoshiro256StarStar words(steps), reference(steps);
            std::set<std::uint64_t> seen;
            for (int i = 0; i < 4000; ++i) {
                std::uint64_t k = steps;
                while (k == steps) {
                    const std::uint64_t product = steps * (reference.Next() >> 11);
                    const std::uint64_t half = std::uint64_t{1} << 52, rest = product & ((half << 1) - 1);
                    k = product >> 53;
                    if (rest > half || (rest == half && (k & 1) != 0)) ++k;
                }
                seen.insert(k);
                const double drawn = UniformDouble(words, lo, hi);
                ASSERT_EQ(drawn, lo + static_cast<double>(k) * g) << "draw " << i << " of " << steps << " steps";
                ASSERT_GE(drawn, lo);
                ASSERT_LT(drawn, hi);
            }
            // Every step of a short range is drawn.
            if (steps <= 8) {
                EXPECT_EQ(seen.size(), steps);
            }
        }
    }
}

// A sparse unique draw keeps each value the first time it is drawn: the
// same words through a std::set give the same values in the same order,
// where repeats are many (a range twice the count), in signed ranges around
// zero and over all 64 bits.
TEST(RandomDraws, UniqueDrawsKeepTheFirstOfEachValue) {
    const struct {
        const char* range;
        std::uint64_t count;
    } kCases[] = {{"0..2000", 1000},
                  {"1..200001", 100000},
                  {"-1000..1000", 1000},
                  {"0..0xFFFFFFFFFFFFFFFF", 50000},
                  {"-9223372036854775808..9223372036854775807", 20000},
                  {"0xFFFFFFFFFFFF0000..0xFFFFFFFFFFFFFFFF", 30000}};
    for (const auto& c : kCases) {
        IntegerRange range;
        std::string error;
        ASSERT_TRUE(ParseIntegerRange(c.range, range, error)) << error;
        Xoshiro256StarStar words(c.count), reference(c.count);
        std::vector<std::uint64_t> values;
        ASSERT_TRUE(DrawIntegers(words, range, c.count, true, values, error)) << error;
        std::vector<std::uint64_t> expected;
        std::set<std::uint64_t> seen;
        while (expected.size() < c.count) {
            const std::uint64_t value = range.lo + UniformUpTo(reference, range.Span());
            if (seen.insert(value).second) expected.push_back(value);
        }
        EXPECT_EQ(values, expected) << c.range;
    }
    // More than a draw holds is refused before anything is held.
    IntegerRange range;
    std::string error;
    ASSERT_TRUE(ParseIntegerRange("0..0xFFFFFFFFFFFFFFFF", range, error));
    Xoshiro256StarStar words(1);
    std::vector<std::uint64_t> values;
    for (const bool unique : {false, true}) {
        EXPECT_FALSE(DrawIntegers(words, range, kMaxHeldIntegers + 1, unique, values, error));
        EXPECT_EQ(error, "67108865 values are more than a draw holds (67108864)");
    }
}

// ---- Sorting held values, and stopping long work ------------------------

namespace {

// Inputs where a radix sort goes wrong if it does: every size around the
// small-bucket and report thresholds, all equal, few distinct values, the
// extremes of both signs, values that share their high bytes (so that
// whole passes are skipped), and words that differ only in their low byte
// or only in their top bit.
std::vector<std::vector<std::uint64_t>> SortInputs() {
    std::mt19937_64 random(20260512);
    std::vector<std::vector<std::uint64_t>> inputs;
    for (const std::size_t size : {0, 1, 2, 3, 255, 256, 257, 511, 4096, 65535, 65536, 65537, 300000}) {
        std::vector<std::uint64_t> any(size), few(size), near(size), ends(size);
        for (std::size_t i = 0; i < size; ++i) {
            any[i] = random();
            few[i] = random() % 5;
            near[i] = 0x1234567800000000u | (random() & 0xFFFF);
            const std::uint64_t extremes[] = {0, 1, 0x7FFFFFFFFFFFFFFFu, 0x8000000000000000u, 0xFFFFFFFFFFFFFFFFu,
                                              0xFFFFFFFFFFFFFF00u, 0xFF};
            ends[i] = extremes[random() % 7];
        }
        inputs.insert(inputs.end(), {any, few, near, ends, std::vector<std::uint64_t>(size, 0x8000000000000001u)});
        // Already sorted, and backwards.
        std::sort(any.begin(), any.end());
        inputs.push_back(any);
        std::reverse(any.begin(), any.end());
        inputs.push_back(any);
    }
    return inputs;
}

}  // namespace

// Exactly std::sort's order under IntegerLess, signed and unsigned.
TEST(RandomSort, SameOrderAsStdSort) {
    for (const std::vector<std::uint64_t>& input : SortInputs()) {
        for (const bool is_signed : {false, true}) {
            std::vector<std::uint64_t> expected = input;
            std::sort(expected.begin(), expected.end(),
                      [is_signed](std::uint64_t a, std::uint64_t b) { return IntegerLess(a, b, is_signed); });
            std::vector<std::uint64_t> sorted = input;
            ASSERT_TRUE(SortIntegers(sorted, is_signed));
            ASSERT_EQ(sorted, expected) << input.size() << " values, signed " << is_signed;
        }
    }
}

// The progress it reports counts the values in their final place: never
// more than all, never backwards.
TEST(RandomSort, ProgressCountsUpToTheValues) {
    std::mt19937_64 random(7);
    std::vector<std::uint64_t> values(1000000);
    for (std::uint64_t& value : values) value = random();
    std::uint64_t last = 0;
    int reports = 0;
    ASSERT_TRUE(SortIntegers(values, false, [&](std::uint64_t done, std::uint64_t total) {
        EXPECT_EQ(total, 1000000u);
        EXPECT_GE(done, last);
        EXPECT_LE(done, total);
        last = done;
        ++reports;
        return true;
    }));
    EXPECT_TRUE(std::is_sorted(values.begin(), values.end()));
    EXPECT_GT(last, 900000u);
    EXPECT_GT(reports, 10);
}

// Told to stop, the sort stops at its next question, and the values are
// still the same values.
TEST(RandomSort, StopsWhenToldAndLosesNoValue) {
    std::mt19937_64 random(8);
    std::vector<std::uint64_t> values(2000000);
    for (std::uint64_t& value : values) value = random() % 1000;
    std::vector<std::uint64_t> before = values;
    for (const int answered : {0, 1, 5}) {
        std::vector<std::uint64_t> sorted = before;
        int asked = 0;
        EXPECT_FALSE(SortIntegers(sorted, true, [&](std::uint64_t, std::uint64_t) { return asked++ < answered; }));
        EXPECT_EQ(asked, answered + 1) << "asked again after it was told to stop";
        std::sort(sorted.begin(), sorted.end());
        std::sort(before.begin(), before.end());
        EXPECT_EQ(sorted, before);
    }
}

// Doubles order as their words do, the extremes and the subnormals too, and
// come back as they were.
TEST(RandomSort, DoublesOrderAsTheirWords) {
    const double table[] = {-std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::max(), -1e300,
                            -1.0, -std::numeric_limits<double>::min(), -std::numeric_limits<double>::denorm_min(),
                            -0.0, 0.0, std::numeric_limits<double>::denorm_min(), std::numeric_limits<double>::min(),
                            0.1, 1.0, 1.0000000000000002, 1e300, std::numeric_limits<double>::max(),
                            std::numeric_limits<double>::infinity()};
    for (std::size_t i = 0; i < sizeof table / sizeof table[0]; ++i) {
        const std::uint64_t word = DoubleOrderWord(table[i]);
        const double back = DoubleOfOrderWord(word);
        EXPECT_EQ(std::memcmp(&back, &table[i], sizeof back), 0) << table[i];
        if (i > 0) {
            EXPECT_LT(DoubleOrderWord(table[i - 1]), word) << table[i - 1] << " " << table[i];
        }
    }
    std::mt19937_64 random(9);
    std::vector<double> doubles(100000);
    for (double& d : doubles) {
        d = std::ldexp(static_cast<double>(random() >> 11), static_cast<int>(random() % 200) - 100) *
            (random() & 1 ? -1 : 1);
    }
    std::vector<std::uint64_t> words;
    for (const double d : doubles) words.push_back(DoubleOrderWord(d));
    ASSERT_TRUE(SortIntegers(words, false));
    std::sort(doubles.begin(), doubles.end());
    for (std::size_t i = 0; i < doubles.size(); ++i) ASSERT_EQ(DoubleOfOrderWord(words[i]), doubles[i]) << i;
}

// A draw told to stop ends with an error and holds nothing, in each of its
// three ways (any values, most of a range, a few of a wide one); told to go
// on, it draws what it draws without being asked.
TEST(RandomDraws, StopWhenToldAndDrawTheSameOtherwise) {
    struct Case {
        const char* range;
        bool unique;
    } cases[] = {{"1..6", false}, {"0..999999", true}, {"0..0xFFFFFFFFFFFFFFFF", true}};
    for (const Case& c : cases) {
        IntegerRange range;
        std::string error;
        ASSERT_TRUE(ParseIntegerRange(c.range, range, error));
        Xoshiro256StarStar plain(3), watched(3), stopped(3);
        std::vector<std::uint64_t> expected, values;
        ASSERT_TRUE(DrawIntegers(plain, range, 500000, c.unique, expected, error));
        std::uint64_t last = 0;
        const WorkProgress heard = [&](std::uint64_t done, std::uint64_t total) {
            EXPECT_EQ(total, 500000u);
            last = done;
            return true;
        };
        ASSERT_TRUE(DrawIntegers(watched, range, 500000, c.unique, values, error, heard));
        EXPECT_EQ(values, expected) << c.range;
        EXPECT_GT(last, 400000u) << c.range;
        int asked = 0;
        EXPECT_FALSE(DrawIntegers(stopped, range, 500000, c.unique, values, error, [&](std::uint64_t, std::uint64_t) {
            return asked++ < 2;
        }));
        EXPECT_EQ(asked, 3) << c.range;
        EXPECT_TRUE(values.empty()) << c.range;
        EXPECT_NE(error, "") << c.range;
    }
}
