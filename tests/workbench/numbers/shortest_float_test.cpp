// The shortest decimals of doubles and floats, against the C library: its
// strtod and strtof read every text back to the same bits, none of the
// decimals one digit shorter reads back, and of the decimals as short the one
// written is printf's correctly rounded one whenever that one reads back.
// The notation is Python's repr, checked on values whose repr is known.
#include "workbench/numbers/shortest_float.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "core/floatconv.h"

namespace {

// One format through the C library: the reader and the exact digits.
struct Format {
    const char* name;
    int bits;
    std::uint64_t (*read)(const char* text);  // the bits strtod or strtof gives
    double (*value)(std::uint64_t bits);      // exact as a double
    std::string (*shortest)(std::uint64_t bits);
};

const Format kDoubleFormat = {
    "double", 64, [](const char* text) { return DoubleBits(std::strtod(text, nullptr)); }, DoubleFromBits,
    [](std::uint64_t bits) { return ShortestDoubleText(bits); }};
const Format kSingleFormat = {
    "float", 32, [](const char* text) -> std::uint64_t { return SingleBits(std::strtof(text, nullptr)); },
    [](std::uint64_t bits) { return static_cast<double>(SingleFromBits(static_cast<std::uint32_t>(bits))); },
    [](std::uint64_t bits) { return ShortestSingleText(static_cast<std::uint32_t>(bits)); }};

// The significant digits of a text, without the point and leading zeros, and
// the exponent of the first of them.
struct Digits {
    std::string digits;
    int exponent = 0;
};

Digits DigitsOf(const std::string& text) {
    Digits d;
    std::size_t i = text[0] == '-' ? 1 : 0;
    int point = 0;  // digits before the point
    bool seen_point = false;
    for (; i < text.size() && text[i] != 'e'; ++i) {
        if (text[i] == '.') {
            seen_point = true;
        } else if (d.digits.empty() && text[i] == '0') {
            if (seen_point) --point;
        } else {
            d.digits += text[i];
            if (!seen_point) ++point;
        }
    }
    while (d.digits.size() > 1 && d.digits.back() == '0') d.digits.pop_back();
    d.exponent = point - 1 + (i < text.size() ? std::atoi(text.c_str() + i + 1) : 0);
    return d;
}

// printf's "%.<n-1>e" of the exact value: its first n digits, correctly rounded.
Digits Rounded(double value, int n) {
    char text[64];
    std::snprintf(text, sizeof text, "%.*e", n - 1, value);
    Digits d;
    for (const char* p = text; *p != 'e'; ++p) {
        if (*p >= '0' && *p <= '9') d.digits += *p;
    }
    d.exponent = std::atoi(std::strchr(text, 'e') + 1);
    return d;
}

// digits as a whole number times a power of ten.
std::string Scientific(const std::string& digits, int exponent) {
    return digits + "e" + std::to_string(exponent - static_cast<int>(digits.size()) + 1);
}

// Python's repr of the digits: plain from 1e-4 up to below 1e16.
std::string Repr(bool negative, const Digits& d) {
    std::string text = negative ? "-" : "";
    const int n = static_cast<int>(d.digits.size());
    if (d.exponent < -4 || d.exponent >= 16) {
        char exponent[8];
        std::snprintf(exponent, sizeof exponent, "e%+03d", d.exponent);
        return text + d.digits.substr(0, 1) + (n > 1 ? "." + d.digits.substr(1) : "") + exponent;
    }
    if (d.exponent < 0) return text + "0." + std::string(-d.exponent - 1, '0') + d.digits;
    if (n <= d.exponent + 1) return text + d.digits + std::string(d.exponent + 1 - n, '0');
    return text + d.digits.substr(0, d.exponent + 1) + "." + d.digits.substr(d.exponent + 1);
}

void ExpectShortest(const Format& format, std::uint64_t bits) {
    const std::string text = format.shortest(bits);
    SCOPED_TRACE(std::string(format.name) + " bits " + std::to_string(bits) + " -> " + text);
    ASSERT_EQ(format.read(text.c_str()), bits);
    const double value = format.value(bits);
    if (value == 0) {
        EXPECT_EQ(text, std::signbit(value) ? "-0" : "0");
        return;
    }
    const Digits d = DigitsOf(text);
    const int n = static_cast<int>(d.digits.size());
    EXPECT_EQ(text, Repr(value < 0, d));

    // Every decimal of n - 1 digits lies at or beyond the nearest one below
    // or above the value, which are that rounding of it or next to it.
    if (n > 1) {
        const Digits shorter = Rounded(value, n - 1);
        const long long middle = std::atoll(shorter.digits.c_str());
        const std::string scale = "e" + std::to_string(shorter.exponent - (n - 2));
        for (long long candidate = middle - 1; candidate <= middle + 1; ++candidate) {
            const std::string decimal = (value < 0 ? "-" : "") + std::to_string(candidate) + scale;
            EXPECT_NE(format.read(decimal.c_str()), bits) << decimal << " is shorter";
        }
    }
    // The nearest n-digit decimal, when it reads back, is the one.
    Digits nearest = Rounded(value, n);
    while (nearest.digits.size() > 1 && nearest.digits.back() == '0') nearest.digits.pop_back();
    const std::string nearest_text = (value < 0 ? "-" : "") + Scientific(nearest.digits, nearest.exponent);
    if (format.read(nearest_text.c_str()) == bits) {
        EXPECT_EQ(d.digits, nearest.digits);
        EXPECT_EQ(d.exponent, nearest.exponent);
    }
}

// Random patterns of every kind: any bits, subnormals, powers of two (whose
// gap below is half the gap above), and whole numbers about 2^53 and 1e16.
std::vector<std::uint64_t> Patterns(int bits, std::mt19937_64& random, int count) {
    const int fraction_bits = bits == 64 ? 52 : 23;
    const int exponent_mask = bits == 64 ? 0x7FF : 0xFF;
    const std::uint64_t fraction_mask = (std::uint64_t{1} << fraction_bits) - 1;
    const std::uint64_t all = bits == 64 ? ~std::uint64_t{0} : 0xFFFFFFFFu;
    std::vector<std::uint64_t> patterns;
    for (int i = 0; i < count; ++i) {
        const std::uint64_t r = random();
        const std::uint64_t sign = (r >> 63) << (bits - 1);
        switch (i % 4) {
            case 0:
                patterns.push_back(r & all);
                break;
            case 1:
                patterns.push_back(sign | (random() & fraction_mask));  // subnormal
                break;
            case 2:
                patterns.push_back(sign | (random() % exponent_mask) << fraction_bits);  // a power of two
                break;
            default: {
                // Close to every power of ten: the notation's edges.
                const int exponent10 = static_cast<int>(random() % 40) - 20;
                char text[32];
                std::snprintf(text, sizeof text, "1e%d", exponent10);
                const std::uint64_t near = bits == 64 ? DoubleBits(std::strtod(text, nullptr))
                                                      : SingleBits(std::strtof(text, nullptr));
                patterns.push_back(sign | (near + (random() % 5) - 2));
            }
        }
    }
    return patterns;
}

class ShortestFloat : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_NE(std::setlocale(LC_ALL, "C"), nullptr); }
};

}  // namespace

TEST_F(ShortestFloat, RandomDoublesReadBackAndAreShortest) {
    std::mt19937_64 random(12);
    for (const std::uint64_t bits : Patterns(64, random, 50000)) {
        if (((bits >> 52) & 0x7FF) == 0x7FF) continue;
        ExpectShortest(kDoubleFormat, bits);
    }
}

TEST_F(ShortestFloat, RandomFloatsReadBackAndAreShortest) {
    std::mt19937_64 random(32);
    for (const std::uint64_t bits : Patterns(32, random, 50000)) {
        if (((bits >> 23) & 0xFF) == 0xFF) continue;
        ExpectShortest(kSingleFormat, bits);
    }
}

TEST_F(ShortestFloat, EdgesOfTheFormats) {
    for (const std::uint64_t bits : {std::uint64_t{1}, std::uint64_t{0x000FFFFFFFFFFFFF}, std::uint64_t{0x0010000000000000},
                                     std::uint64_t{0x7FEFFFFFFFFFFFFF}, std::uint64_t{0x3FF0000000000000},
                                     std::uint64_t{0x4340000000000000}, std::uint64_t{0x4330000000000001}}) {
        ExpectShortest(kDoubleFormat, bits);
        ExpectShortest(kDoubleFormat, bits | std::uint64_t{1} << 63);
    }
    for (const std::uint64_t bits : {0x1u, 0x7FFFFFu, 0x800000u, 0x7F7FFFFFu, 0x3F800000u, 0x4B800000u, 0x4B000001u}) {
        ExpectShortest(kSingleFormat, bits);
        ExpectShortest(kSingleFormat, bits | 0x80000000u);
    }
    // Every float of a few ranges of the significand where digits are tight.
    for (std::uint32_t bits = 0x3F800000u; bits < 0x3F800000u + 3000; ++bits) ExpectShortest(kSingleFormat, bits);
    for (std::uint32_t bits = 0x7F7FFFFFu - 3000; bits <= 0x7F7FFFFFu; ++bits) ExpectShortest(kSingleFormat, bits);
}

TEST_F(ShortestFloat, AsPythonsRepr) {
    // repr() of Python 3 for these doubles.
    const struct {
        double value;
        const char* repr;
    } doubles[] = {
        {0.1, "0.1"},
        {10.0, "10"},
        {1e16, "1e+16"},
        {1e15, "1000000000000000"},
        {123456789012345680.0, "1.2345678901234568e+17"},
        {0.0001, "0.0001"},
        {0.00001, "1e-05"},
        {1.5e-7, "1.5e-07"},
        {1e22, "1e+22"},
        {1e23, "1e+23"},
        {5e-324, "5e-324"},
        {2.2250738585072014e-308, "2.2250738585072014e-308"},
        {1.7976931348623157e308, "1.7976931348623157e+308"},
        {9007199254740993.0, "9007199254740992"},
        {0.3, "0.3"},
        {2.0 / 3.0, "0.6666666666666666"},
        {-1.5, "-1.5"},
        {123.456, "123.456"},
        {1e100, "1e+100"},
        {4.35, "4.35"},
    };
    for (const auto& sample : doubles) EXPECT_EQ(ShortestDoubleText(DoubleBits(sample.value)), sample.repr);
    // The shortest float32 texts (numpy's repr of these float32s).
    const struct {
        std::uint32_t bits;
        const char* text;
    } floats[] = {
        {0x41200000u, "10"},        {0x3DCCCCCDu, "0.1"},          {0x7F7FFFFFu, "3.4028235e+38"},
        {0x00000001u, "1e-45"},     {0x00800000u, "1.1754944e-38"}, {0x4B800000u, "16777216"},
        {0x3EAAAAABu, "0.33333334"}, {0x33800000u, "5.9604645e-08"},
    };
    for (const auto& sample : floats) EXPECT_EQ(ShortestSingleText(sample.bits), sample.text);
}

TEST_F(ShortestFloat, ZerosInfinitiesAndNansBySign) {
    EXPECT_EQ(ShortestDoubleText(0), "0");
    EXPECT_EQ(ShortestDoubleText(std::uint64_t{1} << 63), "-0");
    EXPECT_EQ(ShortestDoubleText(0x7FF0000000000000), "inf");
    EXPECT_EQ(ShortestDoubleText(0xFFF0000000000000), "-inf");
    EXPECT_EQ(ShortestDoubleText(0x7FF8000000000000), "nan");
    EXPECT_EQ(ShortestDoubleText(0x7FF0000000000001), "nan");  // signalling
    EXPECT_EQ(ShortestDoubleText(0xFFFFFFFFFFFFFFFF), "-nan");
    EXPECT_EQ(ShortestSingleText(0x80000000u), "-0");
    EXPECT_EQ(ShortestSingleText(0x7F800000u), "inf");
    EXPECT_EQ(ShortestSingleText(0xFF800000u), "-inf");
    EXPECT_EQ(ShortestSingleText(0x7F800001u), "nan");
    EXPECT_EQ(ShortestSingleText(0xFFC00000u), "-nan");
}
