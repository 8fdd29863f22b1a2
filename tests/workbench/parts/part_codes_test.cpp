// Markings against the examples published with their codes (IEC 60062, the
// EIA-96 table, makers' data sheets), and every marking of every E96 and E24
// value read back to the value it was written from.
#include "workbench/parts/part_codes.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "workbench/parts/e_series.h"

namespace {

double Exact(const char* text) { return std::strtod(text, nullptr); }

}  // namespace

TEST(PartCodes, PublishedResistorCodes) {
    const struct {
        const char* code;
        const char* value;
        const char* form;
    } kCases[] = {
        {"472", "4.7e3", "3-digit"}, {"101", "100", "3-digit"},    {"100", "10", "3-digit"},
        {"4R7", "4.7", "3-digit"},   {"R47", "0.47", "3-digit"},   {"1002", "10e3", "4-digit"},
        {"4992", "49.9e3", "4-digit"}, {"R010", "0.01", "4-digit"}, {"01C", "10e3", "EIA-96"},
        {"68X", "49.9", "EIA-96"},   {"96A", "976", "EIA-96"},     {"01Y", "1", "EIA-96"},
        {"01S", "10", "EIA-96"},     {"30D", "200e3", "EIA-96"},   {"43B", "2.74e3", "EIA-96"},
        {"01Z", "0.1", "EIA-96"},    {"85F", "7.5e7", "EIA-96"},
    };
    for (const auto& c : kCases) {
        const MarkingRead read = ReadPartCode(PartKind::Resistor, c.code);
        ASSERT_TRUE(read.ok) << c.code << ": " << read.error;
        EXPECT_EQ(read.value, Exact(c.value)) << c.code;
        EXPECT_EQ(read.form, c.form) << c.code;
    }
    for (const char* bad : {"", "97A", "00A", "4RR7", "R", "4.7x", "47Q", "0R0"}) {
        EXPECT_FALSE(ReadPartCode(PartKind::Resistor, bad).ok) << bad;
    }
}

TEST(PartCodes, PublishedCapacitorAndInductorCodes) {
    const struct {
        PartKind kind;
        const char* code;
        const char* value;
    } kCases[] = {
        {PartKind::Capacitor, "104", "100e-9"}, {PartKind::Capacitor, "103", "10e-9"},
        {PartKind::Capacitor, "472", "4.7e-9"}, {PartKind::Capacitor, "220", "22e-12"},
        {PartKind::Capacitor, "479", "4.7e-12"}, {PartKind::Capacitor, "108", "0.1e-12"},
        {PartKind::Capacitor, "47", "47e-12"},   {PartKind::Capacitor, "4n7", "4.7e-9"},
        {PartKind::Capacitor, "2u2", "2.2e-6"},  {PartKind::Capacitor, "100nF", "100e-9"},
        {PartKind::Capacitor, "4R7", "4.7e-12"}, {PartKind::Inductor, "4R7", "4.7e-6"},
        {PartKind::Inductor, "101", "100e-6"},   {PartKind::Inductor, "R47", "0.47e-6"},
        {PartKind::Inductor, "100", "10e-6"},    {PartKind::Inductor, "2R2", "2.2e-6"},
        {PartKind::Inductor, "10u", "10e-6"},
    };
    for (const auto& c : kCases) {
        const MarkingRead read = ReadPartCode(c.kind, c.code);
        ASSERT_TRUE(read.ok) << c.code << ": " << read.error;
        EXPECT_DOUBLE_EQ(read.value, Exact(c.value)) << c.code;
    }
    const MarkingRead bad = ReadPartCode(PartKind::Capacitor, "4x7");
    EXPECT_FALSE(bad.ok);
    EXPECT_NE(bad.error.find("character 2"), std::string::npos) << bad.error;
}

// IEC 60062's own examples and the common ones of data sheets.
TEST(PartCodes, ColourBands) {
    const struct {
        std::vector<std::string> bands;
        const char* value;
        double tolerance;
        double ppm;
    } kCases[] = {
        {{"yellow", "violet", "red", "gold"}, "4.7e3", 0.05, 0},
        {{"brown", "black", "red", "gold"}, "1e3", 0.05, 0},
        {{"red", "red", "orange", "silver"}, "22e3", 0.10, 0},
        {{"brown", "black", "black", "gold", "brown"}, "10", 0.01, 0},
        {{"brown", "black", "black", "red", "brown"}, "10e3", 0.01, 0},
        {{"orange", "orange", "black", "brown", "violet", "brown"}, "3.3e3", 0.001, 100},
        {{"Yellow", "VIOLET", "gray", "gold", "green", "red"}, "47.8", 0.005, 50},
        {{"brown", "black", "orange"}, "10e3", 0.2, 0},
        {{"red", "red", "pink", "gold"}, "0.022", 0.05, 0},
        {{"brown", "black", "white", "brown"}, "10e9", 0.01, 0},
        {{"brown", "black", "black", "grey", "blue"}, "100e8", 0.0025, 0},
    };
    for (const auto& c : kCases) {
        const MarkingRead read = ReadColourBands(c.bands);
        ASSERT_TRUE(read.ok) << c.bands[0] << ": " << read.error;
        EXPECT_EQ(read.value, Exact(c.value)) << c.bands[0] << c.bands[1];
        EXPECT_DOUBLE_EQ(read.tolerance, c.tolerance) << c.bands[0];
        EXPECT_DOUBLE_EQ(read.ppm_per_k, c.ppm) << c.bands[0];
    }
    const struct {
        std::vector<std::string> bands;
        const char* said;
    } kErrors[] = {
        {{"brown", "black"}, "2 bands"},
        {{"brown", "black", "red", "gold", "brown", "red", "red"}, "7 bands"},
        {{"gold", "black", "red", "gold"}, "first band, gold, is no digit"},
        {{"brown", "blak", "red", "gold"}, "second band 'blak' is no colour"},
        {{"brown", "black", "none", "gold"}, "third band, none, is no multiplier"},
        {{"brown", "black", "red", "white"}, "fourth band, white, is no tolerance"},
        {{"brown", "black", "black", "red", "brown", "white"}, "sixth band, white, is no temperature coefficient"},
    };
    for (const auto& c : kErrors) {
        const MarkingRead read = ReadColourBands(c.bands);
        EXPECT_FALSE(read.ok) << c.said;
        EXPECT_NE(read.error.find(c.said), std::string::npos) << read.error;
    }
}

// Whatever a value is marked as reads back as that value, over every E24 and
// E96 value from 0.1 ohm to 10 Mohm (and capacitors, inductors in their units).
TEST(PartCodes, EveryMarkingReadsBackToItsValue) {
    for (const char* name : {"E24", "E96"}) {
        const ESeries& series = *FindESeries(name);
        for (int exponent = -3; exponent <= 5; ++exponent) {
            for (int i = 0; i < series.count; ++i) {
                char text[32];
                std::snprintf(text, sizeof text, "%de%d", series.hundredths[i], exponent);
                const double value = Exact(text);
                bool eia96 = false, three_or_four = false;
                for (const Marking& marking : PartMarkings(PartKind::Resistor, value)) {
                    MarkingRead read;
                    if (marking.form.find("bands") != std::string::npos) {
                        std::vector<std::string> colours;
                        std::size_t start = 0;
                        while (start < marking.text.size()) {
                            const std::size_t end = marking.text.find(' ', start);
                            colours.push_back(marking.text.substr(start, end - start));
                            start = end == std::string::npos ? marking.text.size() : end + 1;
                        }
                        read = ReadColourBands(colours);
                    } else {
                        read = ReadPartCode(PartKind::Resistor, marking.text);
                    }
                    ASSERT_TRUE(read.ok) << text << " " << marking.form << " " << marking.text << ": " << read.error;
                    EXPECT_DOUBLE_EQ(read.value, value) << text << " " << marking.form << " " << marking.text;
                    eia96 = eia96 || marking.form == "EIA-96";
                    three_or_four = three_or_four || marking.form == "4-digit";
                }
                // EIA-96 codes the values whose three digits E96 has.
                const ESeries& e96 = *FindESeries("E96");
                bool in_e96 = false;
                for (int k = 0; k < 96; ++k) in_e96 = in_e96 || e96.hundredths[k] == series.hundredths[i];
                EXPECT_EQ(eia96, in_e96) << text;
                EXPECT_TRUE(three_or_four) << text;
                for (const PartKind kind : {PartKind::Capacitor, PartKind::Inductor}) {
                    const double scaled = value * (kind == PartKind::Capacitor ? 1e-12 : 1e-6);
                    for (const Marking& marking : PartMarkings(kind, scaled)) {
                        const MarkingRead read = ReadPartCode(kind, marking.text);
                        ASSERT_TRUE(read.ok) << text << " " << marking.text << ": " << read.error;
                        EXPECT_NEAR(read.value, scaled, scaled * 1e-12) << marking.form << " " << marking.text;
                    }
                }
            }
        }
    }
}
