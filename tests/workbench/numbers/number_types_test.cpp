// Numbers as text and back: every integer type at and beyond its bounds
// (the values beyond them worked out on their decimal digits), the text the C library writes for it,
// and the words and errors of the float types.
#include "workbench/numbers/number_types.h"

#include <gtest/gtest.h>

#include <cinttypes>
#include <cstdio>
#include <random>
#include <string>

#include "core/floatconv.h"

namespace {

const NumberType& Type(const char* name) { return *FindNumberType(name); }

// An integer of up to 64 bits and its sign: every bound of the types and the
// values one beyond, with no 128-bit type (a 32-bit target has none).
struct Integer {
    bool negative;
    std::uint64_t magnitude;
};

std::string Decimal(Integer value) {
    return (value.negative && value.magnitude != 0 ? "-" : "") + std::to_string(value.magnitude);
}

// The value's bits in a type of `bits`, as two's complement writes them.
std::uint64_t Pattern(Integer value, int bits) {
    const std::uint64_t mask = bits == 64 ? ~std::uint64_t{0} : (std::uint64_t{1} << bits) - 1;
    return (value.negative ? std::uint64_t{0} - value.magnitude : value.magnitude) & mask;
}

// One more than the decimal number `digits`, worked out digit by digit.
std::string PlusOne(std::string digits) {
    for (std::size_t i = digits.size(); i-- > 0;) {
        if (digits[i] != '9') {
            ++digits[i];
            return digits;
        }
        digits[i] = '0';
    }
    return "1" + digits;
}

NumberTextError ErrorOf(const char* type, const std::string& text) { return ReadNumberText(Type(type), text).error; }

std::uint64_t ValueOf(const char* type, const std::string& text) {
    const NumberRead read = ReadNumberText(Type(type), text);
    EXPECT_EQ(read.error, NumberTextError::None) << type << " '" << text << "'";
    return read.value;
}

}  // namespace

TEST(NumberTypes, IntegersUpToTheirBoundsAndNoFurther) {
    std::mt19937_64 random(5);
    for (const NumberType& type : NumberTypes()) {
        if (type.kind == NumberKind::Float) continue;
        SCOPED_TRACE(type.name);
        const int bits = 8 * type.size;
        const bool is_signed = type.kind == NumberKind::Signed;
        const std::uint64_t top = std::uint64_t{1} << (bits - 1);  // 2 to the power bits - 1
        const Integer low = is_signed ? Integer{true, top} : Integer{false, 0};
        const Integer high{false, is_signed ? top - 1 : top - 1 + top};
        const Integer above_low = is_signed ? Integer{true, top - 1} : Integer{false, 1};
        const Integer below_high{false, high.magnitude - 1};
        for (const Integer value : {low, above_low, below_high, high, Integer{false, 0}, Integer{false, 1}}) {
            const std::uint64_t pattern = Pattern(value, bits);
            EXPECT_EQ(ValueOf(type.name, Decimal(value)), pattern);
            EXPECT_EQ(NumberText(type, pattern), Decimal(value));
        }
        const std::string below_low = is_signed ? "-" + PlusOne(std::to_string(top)) : "-1";
        EXPECT_EQ(ErrorOf(type.name, below_low), NumberTextError::OutOfRange);
        EXPECT_EQ(ErrorOf(type.name, PlusOne(Decimal(high))), NumberTextError::OutOfRange);
        EXPECT_EQ(NumberRangeText(type), Decimal(low) + " to " + Decimal(high));
        // As the C library writes the same bits, signed or not.
        for (int i = 0; i < 1000; ++i) {
            const std::uint64_t pattern = random() >> (64 - bits);
            char text[32];
            const std::int64_t extended = static_cast<std::int64_t>(pattern << (64 - bits)) >> (64 - bits);
            if (is_signed) {
                std::snprintf(text, sizeof text, "%" PRId64, extended);
            } else {
                std::snprintf(text, sizeof text, "%" PRIu64, pattern);
            }
            EXPECT_EQ(NumberText(type, pattern), text);
            EXPECT_EQ(ValueOf(type.name, text), pattern);
        }
    }
    EXPECT_EQ(ErrorOf("uint64", "18446744073709551616"), NumberTextError::OutOfRange);
    EXPECT_EQ(ErrorOf("uint64", "99999999999999999999999999"), NumberTextError::OutOfRange);
    EXPECT_EQ(ErrorOf("uint64", "0x10000000000000000"), NumberTextError::OutOfRange);
    EXPECT_EQ(ErrorOf("int64", "-9223372036854775809"), NumberTextError::OutOfRange);
}

TEST(NumberTypes, IntegerTextForms) {
    EXPECT_EQ(ValueOf("int16", "-0x8000"), 0x8000u);
    EXPECT_EQ(ValueOf("int16", "0x7fFF"), 0x7FFFu);
    EXPECT_EQ(ErrorOf("int16", "0xFFFF"), NumberTextError::OutOfRange);
    EXPECT_EQ(ValueOf("uint16", "+65535"), 0xFFFFu);
    EXPECT_EQ(ValueOf("uint16", "-0"), 0u);
    EXPECT_EQ(ErrorOf("uint16", "-1"), NumberTextError::OutOfRange);
    EXPECT_EQ(ValueOf("int32", "007"), 7u);
    for (const char* none : {"", "-", "+", " 5", "x5", "0x", "--5", "0xg"}) {
        const NumberRead read = ReadNumberText(Type("int32"), none);
        EXPECT_TRUE(read.error == NumberTextError::NoNumber || read.error == NumberTextError::TrailingText) << none;
    }
    const struct {
        const char* text;
        std::size_t position;
    } trailing[] = {{"12x", 2}, {"5 ", 1}, {"0x1fg", 4}, {"-3.5", 2}, {"1e3", 1}, {"0xg", 1}};
    for (const auto& sample : trailing) {
        const NumberRead read = ReadNumberText(Type("int32"), sample.text);
        EXPECT_EQ(read.error, NumberTextError::TrailingText) << sample.text;
        EXPECT_EQ(read.position, sample.position) << sample.text;
    }
    const std::string with_zero("12\0" "3", 4);
    EXPECT_EQ(ReadNumberText(Type("uint32"), with_zero).position, 2u);
}

TEST(NumberTypes, FloatWordsAndLimits) {
    EXPECT_EQ(ValueOf("float32", "10"), 0x41200000u);
    EXPECT_EQ(ValueOf("float32", "-0"), 0x80000000u);
    EXPECT_EQ(ValueOf("float32", "inf"), 0x7F800000u);
    EXPECT_EQ(ValueOf("float32", "-Infinity"), 0xFF800000u);
    EXPECT_EQ(ValueOf("float32", "NaN"), 0x7FC00000u);
    EXPECT_EQ(ValueOf("float32", "-nan"), 0xFFC00000u);
    EXPECT_EQ(ValueOf("float64", "+INF"), 0x7FF0000000000000u);
    EXPECT_EQ(ValueOf("float64", "-nan"), 0xFFF8000000000000u);
    EXPECT_EQ(ValueOf("float64", "0.1"), 0x3FB999999999999Au);
    EXPECT_EQ(ValueOf("float64", ".5e1"), DoubleBits(5.0));
    // Half a unit above the largest float (2^128 - 2^103) ties to infinity,
    // its significand being odd; just below, it is the largest float.
    const std::string midpoint = "340282356779733661637539395458142568448";
    EXPECT_EQ(ErrorOf("float32", midpoint), NumberTextError::OutOfRange);
    EXPECT_EQ(ValueOf("float32", midpoint.substr(0, 38) + "7.9999"), 0x7F7FFFFFu);
    EXPECT_EQ(ValueOf("float64", midpoint), DoubleBits(340282356779733661637539395458142568448.0));
    EXPECT_EQ(ErrorOf("float64", "-1e309"), NumberTextError::OutOfRange);
    EXPECT_EQ(ValueOf("float32", "1e-50"), 0u);  // below the smallest subnormal: zero
    EXPECT_EQ(ValueOf("float32", "1e-45"), 1u);
    EXPECT_EQ(NumberRangeText(Type("float32")), "magnitudes up to 3.4028235e+38");
    EXPECT_EQ(NumberRangeText(Type("float64")), "magnitudes up to 1.7976931348623157e+308");

    for (const char* none : {"", " 1", "-", ".", "e5", "in", "nana1"}) {
        EXPECT_NE(ErrorOf("float64", none), NumberTextError::None) << none;
    }
    const struct {
        const char* text;
        std::size_t position;
    } trailing[] = {{"1e", 1}, {"1.5e+", 3}, {"infx", 3}, {"-nan(1)", 4}, {"2,5", 1}, {"1.2.3", 3}, {"0x10", 1}};
    for (const auto& sample : trailing) {
        const NumberRead read = ReadNumberText(Type("float32"), sample.text);
        EXPECT_EQ(read.error, NumberTextError::TrailingText) << sample.text;
        EXPECT_EQ(read.position, sample.position) << sample.text;
    }
}

TEST(NumberTypes, SizesAndNames) {
    EXPECT_EQ(FindNumberType("Int16"), nullptr);
    EXPECT_EQ(FindNumberType("float"), nullptr);
    std::string names;
    for (const NumberType& type : NumberTypesOfSize(4)) names += std::string(type.name) + " ";
    EXPECT_EQ(names, "int32 uint32 float32 ");
    EXPECT_EQ(NumberTypesOfSize(2).size(), 2u);
    EXPECT_EQ(NumberTypesOfSize(8).size(), 3u);
}
