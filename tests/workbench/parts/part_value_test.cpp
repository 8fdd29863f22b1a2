// Values as engineers write them, against the C library's strtod of the
// same value in plain scientific notation; the errors' positions; and the
// printed forms against printf's rounding to the same digits.
#include "workbench/parts/part_value.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>

TEST(PartValue, EveryFormReadsAsStrtodReadsItsPlainForm) {
    const struct {
        const char* text;
        const char* plain;
    } kCases[] = {
        {"4k7", "4.7e3"},     {"4.7k", "4.7e3"},    {"4700", "4700"},     {"4K7", "4.7e3"},   {"2.2u", "2.2e-6"},
        {"2u2", "2.2e-6"},    {"100n", "100e-9"},   {"4n7", "4.7e-9"},    {"4R7", "4.7"},     {"R47", "0.47"},
        {"100R", "100"},      {"1e3", "1e3"},       {"1E-3k", "1"},       {"1M", "1e6"},      {"1m", "1e-3"},
        {"4.7k\xCE\xA9", "4.7e3"}, {"10uF", "10e-6"}, {"10\xC2\xB5H", "10e-6"}, {"10\xCE\xBCH", "10e-6"},
        {".5", "0.5"},        {"5.", "5"},          {"50Hz", "50"},       {"3.3V", "3.3"},    {"1p", "1e-12"},
        {"0.1", "0.1"},       {"2G2", "2.2e9"},     {"4.7kohm", "4.7e3"}, {"1f", "1e-15"},    {"3T", "3e12"},
        {"000012", "12"},     {"1.0000000000000000001k", "1.0000000000000000001e3"},
    };
    for (const auto& c : kCases) {
        const PartValueRead read = ReadPartValue(c.text);
        ASSERT_TRUE(read.ok) << c.text << " at " << read.position << ": " << read.expected;
        EXPECT_EQ(read.value, std::strtod(c.plain, nullptr)) << c.text;
    }
}

TEST(PartValue, WhatIsNoValueSaysWhere) {
    const struct {
        const char* text;
        std::size_t position;
    } kCases[] = {
        {"", 0},       {"k", 1},     {"4.7x", 3},  {"4k7k", 3},  {"4 k", 1},   {"4.7kk", 4}, {"1e", 1},
        {"x1", 0},     {"4k7.1", 3}, {"-1", 0},    {"1e3e3", 3}, {".", 1},     {"R", 1},
        {"1..2", 2},   {"1e99999", 6}, {"0", 0},   {"0k0", 0},   {"1e16", 0},  {"2000T", 0}, {"0.1f", 0},
    };
    for (const auto& c : kCases) {
        const PartValueRead read = ReadPartValue(c.text);
        EXPECT_FALSE(read.ok) << c.text << " read as " << read.value;
        EXPECT_EQ(read.position, c.position) << c.text << ": " << read.expected;
        EXPECT_FALSE(read.expected.empty()) << c.text;
    }
}

TEST(PartValue, PrintedWithThePrefixThatLeavesOneTo999) {
    const struct {
        double value;
        int digits;
        const char* text;
    } kCases[] = {
        {4700, 3, "4.7k"},  {1e-7, 3, "100n"},  {0.5, 3, "500m"},   {2.2e-6, 3, "2.2u"},  {1, 3, "1"},
        {999.5, 3, "1k"},   {999.4, 4, "999.4"}, {4801.2, 5, "4.8012k"}, {1e6, 3, "1M"},  {12.1e3, 3, "12.1k"},
        {1e-15, 3, "1f"},   {1e-17, 3, "0.01f"}, {3.3e14, 3, "330T"}, {994.7183, 4, "994.7"},
    };
    for (const auto& c : kCases) EXPECT_EQ(PartValueText(c.value, c.digits), c.text) << c.value;
}

// Printed to 4 digits and read back: the value printf's %.3e rounds to.
TEST(PartValue, PrintedValuesReadBackAsPrintfRoundsThem) {
    std::mt19937_64 random(60063);
    std::uniform_real_distribution<double> exponent(-14.9, 14.9);
    for (int i = 0; i < 20000; ++i) {
        const double value = std::pow(10.0, exponent(random));
        const std::string text = PartValueText(value, 4);
        const PartValueRead read = ReadPartValue(text);
        ASSERT_TRUE(read.ok) << text;
        char rounded[32];
        std::snprintf(rounded, sizeof rounded, "%.3e", value);
        EXPECT_NEAR(read.value, std::strtod(rounded, nullptr), std::strtod(rounded, nullptr) * 1e-15) << text;
    }
}

TEST(PartValue, PercentsKeepTheirSignAndNoNegativeZero) {
    EXPECT_EQ(PercentText((4700.0 - 4800) / 4800), "-2.08 %");
    EXPECT_EQ(PercentText((5100.0 - 4800) / 4800), "+6.25 %");
    EXPECT_EQ(PercentText(-1e-9), "+0.00 %");
    EXPECT_EQ(PercentText(0), "+0.00 %");
    EXPECT_EQ(PercentText(-0.00005), "-0.01 %");
}

// The shortest figures that read back: strtod of them gives the value, and
// printf's rounding to one figure fewer does not (so none shorter would);
// the values typed with 1 to 6 figures come back as typed.
TEST(PartValue, ShortestFiguresReadBackAndNoneFewerDo) {
    const struct {
        const char* typed;
        const char* figures;
        int power;
        const char* text;
    } kCases[] = {
        {"4700", "47", 3, "4.7k"},          {"0.0047", "47", -3, "4.7m"},     {"12345.6", "123456", 4, "12.3456k"},
        {"9.9999e3", "99999", 3, "9.9999k"}, {"1e-4", "1", -4, "100u"},       {"0.1", "1", -1, "100m"},
        {"4.7e-12", "47", -12, "4.7p"},     {"1e15", "1", 15, "1000T"},      {"0.47e-15", "47", -16, "0.47f"},
    };
    for (const auto& c : kCases) {
        const double value = std::strtod(c.typed, nullptr);
        const ValueFigures figures = ShortestFigures(value);
        EXPECT_EQ(figures.figures, c.figures) << c.typed;
        EXPECT_EQ(figures.power, c.power) << c.typed;
        EXPECT_EQ(ExactPartValueText(value), c.text) << c.typed;
    }
    std::mt19937_64 random(60063);
    std::uniform_int_distribution<int> count(1, 6), digit(0, 9), power(-15, 15);
    std::uniform_real_distribution<double> exponent(-15, 15);
    for (int i = 0; i < 20000; ++i) {
        // Half typed with up to 6 figures, half any double of the range.
        std::string typed(1, static_cast<char>('1' + digit(random) % 9));
        for (int n = count(random); static_cast<int>(typed.size()) < n;) typed += static_cast<char>('0' + digit(random));
        const double value = i % 2 == 0 ? std::strtod((typed + "e" + std::to_string(power(random))).c_str(), nullptr)
                                         : std::pow(10.0, exponent(random));
        const ValueFigures figures = ShortestFigures(value);
        const std::string plain = figures.figures.substr(0, 1) + "." + figures.figures.substr(1) + "e" +
                                  std::to_string(figures.power);
        ASSERT_EQ(std::strtod(plain.c_str(), nullptr), value) << plain;
        if (i % 2 == 0) {
            while (typed.back() == '0') typed.pop_back();
            EXPECT_EQ(figures.figures, typed) << plain;
        }
        if (figures.figures.size() > 1) {
            char fewer[64];
            std::snprintf(fewer, sizeof fewer, "%.*e", static_cast<int>(figures.figures.size()) - 2, value);
            EXPECT_NE(std::strtod(fewer, nullptr), value) << plain << " " << fewer;
        }
        const PartValueRead read = ReadPartValue(ExactPartValueText(value));
        if (value >= 1e-15 && value <= 1e15) {
            ASSERT_TRUE(read.ok) << ExactPartValueText(value);
            EXPECT_EQ(read.value, value) << ExactPartValueText(value);
        }
    }
}
