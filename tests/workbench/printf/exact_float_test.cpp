// Reading C's number texts: the value each text reads as, against glibc's
// strtod and strtold (correctly rounded in glibc), for random decimal and
// hexadecimal texts of every length and exponent, halfway cases between two
// values, and the edges of the ranges.
#include "workbench/printf/exact_float.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "workbench/numbers/shortest_float.h"

namespace {

std::uint64_t BitsOfDouble(double value) {
    std::uint64_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

// A long double as the significand and exponent of a BinaryFloat.
BinaryFloat FromLongDouble(long double value) {
    BinaryFloat result;
    result.negative = std::signbit(value);
    if (std::isinf(value)) {
        result.kind = BinaryFloat::Infinity;
        return result;
    }
    if (std::isnan(value)) {
        result.kind = BinaryFloat::NaN;
        return result;
    }
    if (value == 0) return result;
    int exponent = 0;
    const long double fraction = std::frexp(std::fabs(value), &exponent);  // [0.5, 1)
    exponent -= 64;
    long double scaled = std::ldexp(fraction, 64);
    if (exponent < -16445) {
        scaled = std::ldexp(scaled, exponent + 16445);
        exponent = -16445;
    }
    result.significand = static_cast<std::uint64_t>(scaled);
    result.exponent = exponent;
    return result;
}

std::string Describe(const BinaryFloat& value) {
    char text[80];
    std::snprintf(text, sizeof text, "kind %d sign %d %016llx p%d", static_cast<int>(value.kind), value.negative ? 1 : 0,
                  static_cast<unsigned long long>(value.significand), value.exponent);
    return text;
}

// A random text of C's number forms: digits of any count around a point,
// exponents to beyond either range.
std::string RandomNumberText(std::mt19937_64& random) {
    auto between = [&](int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); };
    std::string text = between(0, 3) == 0 ? "-" : "";
    const bool hex = between(0, 3) == 0;
    if (hex) text += "0x";
    const char* digits = hex ? "0123456789abcdef" : "0123456789";
    const int base = hex ? 16 : 10;
    const int count = between(1, between(0, 4) == 0 ? 60 : 22);
    const int point = between(-1, count);
    for (int i = 0; i < count; ++i) {
        if (i == point) text += '.';
        text += digits[between(i == 0 && point != 0 ? 1 : 0, base - 1)];
    }
    if (between(0, 1) == 0) {
        const int range = hex ? 16500 : 5000;
        text += (hex ? "p" : "e") + std::to_string(between(0, 3) == 0 ? between(-range, range) : between(-40, 40));
    }
    return text;
}

TEST(ExactFloatRead, RandomTextsAsStrtod) {
    std::mt19937_64 random(11);
    for (int i = 0; i < 20000; ++i) {
        const std::string text = RandomNumberText(random);
        BinaryFloat value;
        ASSERT_TRUE(ReadFloat(text, FloatFormat::Double, value)) << text;
        EXPECT_EQ(DoubleBitsOf(value), BitsOfDouble(std::strtod(text.c_str(), nullptr))) << text;
    }
}

TEST(ExactFloatRead, RandomTextsAsStrtold) {
    ASSERT_EQ(LDBL_MANT_DIG, 64);
    std::mt19937_64 random(12);
    for (int i = 0; i < 20000; ++i) {
        const std::string text = RandomNumberText(random);
        BinaryFloat value;
        ASSERT_TRUE(ReadFloat(text, FloatFormat::LongDouble, value)) << text;
        EXPECT_EQ(Describe(value), Describe(FromLongDouble(std::strtold(text.c_str(), nullptr)))) << text;
    }
}

// Texts exactly halfway between two doubles, and a hair above and below:
// the halfway one goes to the even significand.
TEST(ExactFloatRead, HalfwayCasesAsStrtod) {
    std::mt19937_64 random(13);
    for (int i = 0; i < 2000; ++i) {
        const double low = std::ldexp(static_cast<double>(random() >> 11), static_cast<int>(random() % 2000) - 1100);
        const double high = std::nextafter(low, HUGE_VAL);
        if (std::isinf(high)) continue;
        // The midpoint, exactly, in hex: one bit more than either.
        char text[80];
        std::snprintf(text, sizeof text, "%La", (static_cast<long double>(low) + static_cast<long double>(high)) / 2);
        for (const std::string& form : {std::string(text), std::string(text).replace(std::string(text).find('p'), 0, "0000001")}) {
            BinaryFloat value;
            ASSERT_TRUE(ReadFloat(form, FloatFormat::Double, value)) << form;
            EXPECT_EQ(DoubleBitsOf(value), BitsOfDouble(std::strtod(form.c_str(), nullptr))) << form;
        }
        // And the midpoint in decimal, all its digits.
        std::snprintf(text, sizeof text, "%.60Le", (static_cast<long double>(low) + static_cast<long double>(high)) / 2);
        BinaryFloat value;
        ASSERT_TRUE(ReadFloat(text, FloatFormat::Double, value)) << text;
        EXPECT_EQ(DoubleBitsOf(value), BitsOfDouble(std::strtod(text, nullptr))) << text;
    }
}

TEST(ExactFloatRead, WordsEdgesAndNonsense) {
    struct Row {
        const char* text;
        double expected;
    };
    for (const Row& row : {Row{"inf", HUGE_VAL}, Row{"-Infinity", -HUGE_VAL}, Row{"1e309", HUGE_VAL},
                           Row{"-1e999999999999", -HUGE_VAL}, Row{"2.4703282292062328e-324", 5e-324},
                           Row{"2.4703282292062327e-324", 0.0}, Row{"1e-999999999999", 0.0},
                           Row{"1.7976931348623158e308", DBL_MAX}, Row{"1.7976931348623159e308", HUGE_VAL},
                           Row{"0x1p-1074", 5e-324}, Row{"0x1.fffffffffffff8p1023", HUGE_VAL}, Row{"5.", 5.0},
                           Row{".5", 0.5}, Row{"+0x.8", 0.5}, Row{"0X1P+4", 16.0}, Row{"-0", -0.0}}) {
        BinaryFloat value;
        ASSERT_TRUE(ReadFloat(row.text, FloatFormat::Double, value)) << row.text;
        EXPECT_EQ(DoubleBitsOf(value), BitsOfDouble(row.expected)) << row.text;
    }
    BinaryFloat value;
    for (const char* nan : {"nan", "-NaN", "nan()", "nan(0x1f_a)"}) {
        ASSERT_TRUE(ReadFloat(nan, FloatFormat::Double, value)) << nan;
        EXPECT_EQ(value.kind, BinaryFloat::NaN);
    }
    for (const char* bad : {"", "-", ".", "e5", "1e", "1e+", "0x", "0x.p1", "1.5x", " 1", "1 ", "infx", "nan(",
                            "nan(a-b)", "1..2", "--1", "0x1p", "1,5", "in"}) {
        EXPECT_FALSE(ReadFloat(bad, FloatFormat::Double, value)) << bad;
    }
}

// The shortest decimal of a long double: it reads back (through glibc's
// strtold) to the same value, and no text of one digit fewer does: neither
// the value rounded to that many digits nor the digits either side of it.
TEST(ExactFloatShortest, LongDoublesReadBackAndNoneShorterDoes) {
    ASSERT_EQ(LDBL_MANT_DIG, 64);
    std::mt19937_64 random(14);
    for (int i = 0; i < 3000; ++i) {
        const std::uint64_t significand = (random() >> (random() % 64)) | 1;
        const int exponent = static_cast<int>(random() % 4) == 0 ? static_cast<int>(random() % 32800) - 16445
                                                                 : static_cast<int>(random() % 400) - 200;
        long double value = std::ldexp(static_cast<long double>(significand), exponent);
        if (i % 7 == 0) value = std::ldexp(1.0L, static_cast<int>(random() % 32700) - 16382);  // a power of two
        if (i == 1) value = std::ldexp(1.0L, -16445);
        if (i == 2) value = LDBL_MAX;
        if (value == 0 || std::isinf(value)) continue;
        const BinaryFloat binary = FromLongDouble(value);
        const std::string text = ShortestFloatText(binary, FloatFormat::LongDouble);
        ASSERT_EQ(std::strtold(text.c_str(), nullptr), value) << text;
        // Its significant digits.
        std::string digits;
        for (const char c : text.substr(0, text.find('e'))) {
            if (c >= '0' && c <= '9' && !(digits.empty() && c == '0')) digits += c;
        }
        // A whole number written plainly ends in zeros that only place it.
        while (digits.size() > 1 && digits.back() == '0') digits.pop_back();
        const int count = static_cast<int>(digits.size());
        if (count < 2) continue;
        char shorter[80];
        std::snprintf(shorter, sizeof shorter, "%.*Le", count - 2, value);
        const std::string rounded(shorter);
        const std::size_t e = rounded.find('e');
        const long double step = std::strtold(("1" + rounded.substr(e)).c_str(), nullptr) * std::pow(10.0L, -(count - 2));
        const long double nearest = std::strtold(shorter, nullptr);
        for (const long double candidate : {nearest, nearest - step, nearest + step}) {
            // Each candidate read as the decimal it stands for: printed with the
            // count - 1 digits and read back.
            char candidate_text[80];
            std::snprintf(candidate_text, sizeof candidate_text, "%.*Le", count - 2, candidate);
            EXPECT_NE(std::strtold(candidate_text, nullptr), value) << text << " vs " << candidate_text;
        }
    }
}

// For doubles it agrees with the doubles' own writer, a separate algorithm
// on a fixed-size number.
TEST(ExactFloatShortest, DoublesAsShortestDoubleText) {
    std::mt19937_64 random(15);
    for (int i = 0; i < 5000; ++i) {
        const std::uint64_t bits = i < 4 ? std::vector<std::uint64_t>{1, 0x7FEFFFFFFFFFFFFFull, 0x0010000000000000ull,
                                                                      0x3FB999999999999Aull}[static_cast<std::size_t>(i)]
                                         : random();
        const BinaryFloat value = FloatFromDoubleBits(bits);
        EXPECT_EQ(ShortestFloatText(value, FloatFormat::Double), ShortestDoubleText(bits)) << std::hex << bits;
    }
}

}  // namespace
