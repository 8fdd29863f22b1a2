// The number reader, the single-precision rounding and the "%g" formatter,
// each against an independent oracle: the C library's strtod and snprintf in
// the "C" locale, the processor's own conversion, and bit patterns put
// together from sign, exponent and fraction.
#include "core/floatconv.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>

namespace {

// The IEEE-754 pattern of (-1)^sign * 2^exponent * (1 + fraction / 2^bits),
// or of a subnormal when exponent is the format's minimum minus one.
std::uint64_t Pattern(int sign, int biased_exponent, std::uint64_t fraction, int exponent_bits, int fraction_bits) {
    return (static_cast<std::uint64_t>(sign) << (exponent_bits + fraction_bits)) |
           (static_cast<std::uint64_t>(biased_exponent) << fraction_bits) | fraction;
}
std::uint64_t DoublePattern(int sign, int biased_exponent, std::uint64_t fraction) {
    return Pattern(sign, biased_exponent, fraction, 11, 52);
}
std::uint32_t SinglePattern(int sign, int biased_exponent, std::uint32_t fraction) {
    return static_cast<std::uint32_t>(Pattern(sign, biased_exponent, fraction, 8, 23));
}

std::uint64_t ReadBits(const std::string& text) { return DoubleBits(ReadDecimalNumber(text.c_str())); }
std::uint64_t StrtodBits(const std::string& text) { return DoubleBits(std::strtod(text.c_str(), nullptr)); }

std::string General(double value, int precision) {
    char text[kGeneralTextSize];
    FormatGeneral(value, precision, text, sizeof text);
    return text;
}

std::string Printf(double value, int precision) {
    char text[512];
    std::snprintf(text, sizeof text, "%.*g", precision, value);
    return text;
}

class CLocale : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_NE(std::setlocale(LC_ALL, "C"), nullptr); }
};

using NumberReader = CLocale;
using GeneralFormat = CLocale;

TEST_F(NumberReader, AgreesWithStrtodOnTrickyTexts) {
    const std::string long_digits(5000, '7');
    const char* texts[] = {
        "", " ", "1", "-1", "+1", " -2.5xyz", "\t\n\v\f\r 42", "1e", "1e+", "1e-", "1E5", "1e+5x", ".5", "5.",
        ".", "+.e1", "-.5e-1", "e5", "-", "+", "- 1", "0", "-0", "-0.0e99", "00012.500", "0.000001234",
        "1e39", "1e-50", "1e308", "1.7976931348623157e308", "1.7976931348623158e308",
        "1.7976931348623159e308", "1e309", "-1e400", "4.9e-324", "2.4703282292062328e-324",
        "2.4703282292062327e-324", ("2.4703282292062327208828439643411068618252990130716238221279284125"
                                    "033775364e-324"), "1e-324", "1e-400", "2.2250738585072011e-308", "2.2250738585072014e-308",
        "0.1", "3.14159265358979", "9007199254740993", "9007199254740992.5", "9007199254740993.0000001",
        "123456789012345678901234567890", "1e99999999999999999999", "1e-99999999999999999999",
        "0.00000000000000000000000000000000000000000000000000000000000000000000000000000000000001",
        "1.5 2", "1..5", "1.5.5", "3e2.5", "12abc", "0x", "0b101", "１２",
    };
    for (const char* text : texts) EXPECT_EQ(ReadBits(text), StrtodBits(text)) << '"' << text << '"';

    // Very long digit strings: the digits past the first few hundred still
    // decide the rounding.
    for (const std::string& text :
         {long_digits, "0." + long_digits, long_digits + "e-5000", "1" + std::string(4000, '0') + "e-4000",
          "9007199254740993" + std::string(3000, '0') + "1e-3000",
          "9007199254740993" + std::string(3000, '0') + "e-3000",
          "2.4703282292062327208828439643411068618252990130716238221279284125033775364" + std::string(900, '0') +
              "1e-324"}) {
        EXPECT_EQ(ReadBits(text), StrtodBits(text)) << text.substr(0, 40) << "... (" << text.size() << ")";
    }
}

// Hex numbers, infinity and NaN words and d exponents are left out on purpose
// (C libraries disagree on them): their readers stop where a decimal ends.
TEST_F(NumberReader, ReadsDecimalsOnly) {
    EXPECT_EQ(ReadBits("0x10"), 0u);
    EXPECT_EQ(ReadBits("-0x1p3"), DoublePattern(1, 0, 0));
    EXPECT_EQ(ReadDecimalNumber("inf"), 0.0);
    EXPECT_EQ(ReadDecimalNumber("-infinity"), 0.0);
    EXPECT_EQ(ReadDecimalNumber("nan"), 0.0);
    EXPECT_EQ(ReadDecimalNumber("NAN(123)"), 0.0);
    EXPECT_EQ(ReadDecimalNumber("1d5"), 1.0);
    EXPECT_EQ(ReadDecimalNumber("2.5D-1"), 2.5);
}

TEST_F(NumberReader, KnownBitPatterns) {
    // 1 = 2^0; 0.1 from its published pattern; the largest double;
    // the smallest normal and subnormal; infinity.
    EXPECT_EQ(ReadBits("1"), DoublePattern(0, 1023, 0));
    EXPECT_EQ(ReadBits("-2.5"), DoublePattern(1, 1024, std::uint64_t{1} << 50));
    EXPECT_EQ(ReadBits("0.1"), 0x3FB999999999999Au);
    EXPECT_EQ(ReadBits("1.7976931348623157e308"), DoublePattern(0, 2046, (std::uint64_t{1} << 52) - 1));
    EXPECT_EQ(ReadBits("2.2250738585072014e-308"), DoublePattern(0, 1, 0));
    EXPECT_EQ(ReadBits("4.9e-324"), DoublePattern(0, 0, 1));
    EXPECT_EQ(ReadBits("-1e309"), DoublePattern(1, 2047, 0));
    // Exactly half the smallest subnormal ties to even, that is to zero;
    // anything above it rounds up.
    // 2^-1075 written out exactly (Python: decimal.Decimal(2) ** -1075).
    const std::string half_smallest =
        "2.47032822920623272088284396434110686182529901307162382212792841250337753635104375932649918180817996"
        "1898982823477228588654633283551779698981993873980053909390631503565951557022639229085839244910518443"
        "5931802849936536152500319370457678249219365623669863658480757001585769269903706311928279558551332927"
        "8343384093519780155312465972635795746227664652728272200563740064854999770965994704540208281662262378"
        "5739345073633900796776193057750674017632467360096895134053553745851666113422376667860416215968046191"
        "4467291840300530057530849048765391711386591646239524912623653881879636239373280423891018672348497668"
        "2350898633885879256283027559956575244555072551893136908362547791869486679949683240497058210285131854"
        "51396213837722826145437693412532098591327667236328125";
    EXPECT_EQ(ReadBits(half_smallest + "e-324"), DoublePattern(0, 0, 0));
    EXPECT_EQ(ReadBits(half_smallest + "000000001e-324"), DoublePattern(0, 0, 1));
    EXPECT_EQ(ReadBits("-" + half_smallest.substr(0, 700) + "e-324"), DoublePattern(1, 0, 0));
}

TEST_F(NumberReader, AgreesWithStrtodOnRandomDecimals) {
    std::mt19937_64 random(1234567);
    char text[64];
    for (int i = 0; i < 20000; ++i) {
        // Random doubles printed to 17 and to fewer digits, and near halfway
        // points: the digits of a double with one more digit appended.
        const double value = DoubleFromBits(random() & ~(std::uint64_t{0x7FF} << 52 & random()));
        if (!std::isfinite(value)) continue;
        std::snprintf(text, sizeof text, "%.*e", static_cast<int>(random() % 20), value);
        EXPECT_EQ(ReadBits(text), StrtodBits(text)) << text;
        std::snprintf(text, sizeof text, "%.17e5", value);
        EXPECT_EQ(ReadBits(text), StrtodBits(text)) << text;
    }
}

// The single-precision reader against strtof, and where both stop against strtod.
TEST_F(NumberReader, SingleReaderRoundsOnceLikeStrtof) {
    const auto single_bits = [](const std::string& text) { return SingleBits(ReadDecimalSingle(text.c_str())); };
    // 1 + 2^-24, the midpoint of 1 and the float after it, plus a little:
    // a double holds the midpoint, and rounding that again goes to the even 1.
    const std::string above_midpoint = "1.000000059604644775390625000001";
    EXPECT_EQ(single_bits(above_midpoint), 0x3F800001u);
    EXPECT_EQ(SingleBits(ToSingle(ReadDecimalNumber(above_midpoint.c_str()))), 0x3F800000u);
    EXPECT_EQ(single_bits("1.000000059604644775390625"), 0x3F800000u);  // the tie goes to even

    std::mt19937_64 random(98765);
    char text[200];
    for (int i = 0; i < 20000; ++i) {
        // Midpoints between neighbouring floats, exact in a double, written
        // out in full, then a hair above and below; and short random texts.
        const std::uint32_t bits = static_cast<std::uint32_t>(random()) & 0xBFFFFFFFu;  // finite, up to 2^1
        const double low = SingleFromBits(bits), high = SingleFromBits(bits + 1);
        const double midpoint = low + (high - low) / 2;
        std::snprintf(text, sizeof text, "%.150e", midpoint);
        std::string exact = text;
        const std::size_t e = exact.find('e');
        const std::string mantissa = exact.substr(0, e), exponent = exact.substr(e);
        for (const std::string& candidate :
             {exact, mantissa + "0000001" + exponent, std::string(text, 12) + exponent}) {
            EXPECT_EQ(single_bits(candidate), SingleBits(std::strtof(candidate.c_str(), nullptr))) << candidate;
        }
        std::snprintf(text, sizeof text, "%.*ge%d", static_cast<int>(random() % 12) + 1,
                      static_cast<double>(random() % 100000) / 7, static_cast<int>(random() % 90) - 45);
        EXPECT_EQ(single_bits(text), SingleBits(std::strtof(text, nullptr))) << text;
    }
    for (const char* stop : {"", "-", "1e", "1e+", "1.5e+x", " .5.", "12abc", "-.e1", "7E-3;", "1e-99999x"}) {
        const char* ours = nullptr;
        char* theirs = nullptr;
        ReadDecimalSingle(stop, &ours);
        std::strtod(stop, &theirs);
        EXPECT_EQ(ours - stop, theirs - stop) << '"' << stop << '"';
        ReadDecimalNumber(stop, &ours);
        EXPECT_EQ(ours - stop, theirs - stop) << '"' << stop << '"';
    }
    const char* hex = "0x10";  // no hex numbers: the 0 is the number
    const char* end = nullptr;
    ReadDecimalSingle(hex, &end);
    EXPECT_EQ(end, hex + 1);
}

TEST(SingleRounding, MatchesTheProcessorsConversion) {
    std::mt19937_64 random(42);
    for (int i = 0; i < 200000; ++i) {
        std::uint64_t bits = random();
        // Concentrate on the exponents around single precision's range.
        if (i % 2) bits = (bits & ~(std::uint64_t{0x7FF} << 52)) | (std::uint64_t{1023 - 160 + random() % 300} << 52);
        const double value = DoubleFromBits(bits);
        if (std::isnan(value)) continue;
        ASSERT_EQ(SingleBits(ToSingle(value)), SingleBits(static_cast<float>(value))) << std::hex << bits;
    }
}

TEST(SingleRounding, EdgesFromTheFormat) {
    const std::uint32_t smallest_subnormal = SinglePattern(0, 0, 1);
    const std::uint32_t largest = SinglePattern(0, 254, (1u << 23) - 1);
    const struct {
        double value;
        std::uint32_t bits;
    } cases[] = {
        {1.0, SinglePattern(0, 127, 0)},
        {-2.5, SinglePattern(1, 128, 1u << 21)},
        {0.1, 0x3DCCCCCDu},
        {1e39, SinglePattern(0, 255, 0)},
        {-1e39, SinglePattern(1, 255, 0)},
        {1e-50, 0},
        {-1e-50, SinglePattern(1, 0, 0)},
        // 1 + 2^-24 is halfway between 1 and the next float: ties to even.
        {1.0 + std::ldexp(1.0, -24), SinglePattern(0, 127, 0)},
        {1.0 + 3 * std::ldexp(1.0, -24), SinglePattern(0, 127, 2)},
        {std::ldexp(1.0, -149), smallest_subnormal},
        {std::ldexp(1.0, -150), 0},  // half the smallest subnormal: to even, zero
        {std::ldexp(1.5, -150), smallest_subnormal},
        {std::ldexp(1.0, 128) - std::ldexp(1.0, 103), SinglePattern(0, 255, 0)},  // halfway above the largest
        {std::ldexp(1.0, 128) - std::ldexp(1.0, 104), largest},
        {std::ldexp((1 << 24) - 1, -150), SinglePattern(0, 1, 0)},  // subnormal rounding up to normal
        {DoubleFromBits(DoublePattern(0, 2047, 0)), SinglePattern(0, 255, 0)},
        {DoubleFromBits(1), 0},
    };
    for (const auto& c : cases) EXPECT_EQ(SingleBits(ToSingle(c.value)), c.bits) << c.value;
    // A NaN stays a NaN of the same sign.
    EXPECT_EQ(SingleBits(ToSingle(DoubleFromBits(DoublePattern(1, 2047, 1)))), SinglePattern(1, 255, 1u << 22));
}

TEST_F(GeneralFormat, MatchesPrintfOnRandomAndEdgeValues) {
    std::mt19937_64 random(7);
    const int precisions[] = {1, 6, 7, 15, 17, 25};
    for (int i = 0; i < 30000; ++i) {
        const std::uint64_t bits = i % 3 == 0 ? static_cast<std::uint64_t>(SingleBits(
                                                     SingleFromBits(static_cast<std::uint32_t>(random()))))
                                              : random();
        // Every float widened (as Hex->Float shows them), and doubles.
        const double value = i % 3 == 0 ? static_cast<double>(SingleFromBits(static_cast<std::uint32_t>(bits)))
                                        : DoubleFromBits(bits);
        if (std::isnan(value)) continue;
        for (int precision : precisions) {
            ASSERT_EQ(General(value, precision), Printf(value, precision)) << std::hex << bits << " " << precision;
        }
    }
    const double edges[] = {0.0, -0.0, 1.0, 0.0001, 0.00009999995, 0.0001000005, 999999.5, 999999.4, 1e6,
                            123456.5, 1234565, 1234575, 0.5, 2.5, 9.5, 99.5, 1e100, 1e-100, 5e-324,
                            1.7976931348623157e308, 2.2250738585072014e-308, 3.14159265358979, 1e39, 1e21,
                            1e15, 123456789012345678.0};
    for (double value : edges) {
        for (int precision = 0; precision <= 20; ++precision) {
            EXPECT_EQ(General(value, precision), Printf(value, precision)) << value << " " << precision;
            EXPECT_EQ(General(-value, precision), Printf(-value, precision)) << -value << " " << precision;
        }
    }
}

TEST(GeneralFormatText, OneSpellingOnEveryBuild) {
    EXPECT_EQ(General(1e39, 7), "1e+39");
    EXPECT_EQ(General(1e-5, 6), "1e-05");
    EXPECT_EQ(General(1e100, 6), "1e+100");
    EXPECT_EQ(General(4.6006e-41, 6), "4.6006e-41");
    EXPECT_EQ(General(-0.0, 6), "-0");
    EXPECT_EQ(General(1234565, 6), "1.23456e+06");  // an exact tie goes to the even digit
    EXPECT_EQ(General(DoubleFromBits(DoublePattern(0, 2047, 0)), 6), "inf");
    EXPECT_EQ(General(DoubleFromBits(DoublePattern(1, 2047, 0)), 15), "-inf");
    EXPECT_EQ(General(DoubleFromBits(DoublePattern(0, 2047, 1)), 6), "nan");
    EXPECT_EQ(General(DoubleFromBits(DoublePattern(1, 2047, std::uint64_t{1} << 51)), 7), "-nan");
    EXPECT_EQ(General(-1.2345678901234567e-308, 15), "-1.23456789012346e-308");  // the longest "%.15g"
}

TEST(GeneralFormatText, BoundedLikeSnprintf) {
    char text[6] = "?????";
    EXPECT_EQ(FormatGeneral(-3.14159265, 7, text, sizeof text), 9);
    EXPECT_STREQ(text, "-3.14");
    EXPECT_EQ(FormatGeneral(1e39, 7, nullptr, 0), 5);
    char one[1] = {'?'};
    EXPECT_EQ(FormatGeneral(12.0, 6, one, 1), 2);
    EXPECT_EQ(one[0], '\0');
}

}  // namespace
