// Markings against the examples published with their codes (IEC 60062, the
// EIA-96 table, makers' data sheets), and every marking of every E96 and E24
// value read back to the value it was written from, the bands with each
// tolerance and temperature coefficient a band has.
#include "workbench/parts/part_codes.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "workbench/parts/e_series.h"

namespace {

double Exact(const char* text) { return std::strtod(text, nullptr); }

// A marking's colours, as ReadColourBands takes them.
std::vector<std::string> Colours(const std::string& text) {
    std::vector<std::string> colours;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find(' ', start);
        colours.push_back(text.substr(start, end - start));
        start = end == std::string::npos ? text.size() : end + 1;
    }
    return colours;
}

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

// IEC 60062:2016's tolerance and temperature-coefficient colours, typed from
// the table the Wikipedia article "Electronic color code" reproduces: what
// each colour reads as in a tolerance band and in a 6th band (0: it stands
// for none), and the values --tolerance and --tempco may name.
TEST(PartCodes, BandColoursAreThePublishedOnes) {
    const struct {
        const char* colour;
        double percent;
        double ppm;
    } kTable[] = {
        {"black", 0, 250},    {"brown", 1, 100},  {"red", 2, 50},    {"orange", 0.05, 15}, {"yellow", 0.02, 25},
        {"green", 0.5, 20},   {"blue", 0.25, 10}, {"violet", 0.1, 5}, {"grey", 0.01, 1},   {"white", 0, 0},
        {"gold", 5, 0},       {"silver", 10, 0},  {"pink", 0, 0},    {"none", 20, 0},
    };
    for (const auto& row : kTable) {
        const MarkingRead five = ReadColourBands({"brown", "black", "black", "black", row.colour});
        EXPECT_EQ(five.ok, row.percent > 0) << row.colour << ": " << five.error;
        if (five.ok) {
            EXPECT_DOUBLE_EQ(five.tolerance * 100, row.percent) << row.colour;
        }
        const MarkingRead six = ReadColourBands({"brown", "black", "black", "black", "brown", row.colour});
        EXPECT_EQ(six.ok, row.ppm > 0) << row.colour << ": " << six.error;
        if (six.ok) {
            EXPECT_DOUBLE_EQ(six.ppm_per_k, row.ppm) << row.colour;
        }
    }
    const std::vector<double> percents = {0.01, 0.02, 0.05, 0.1, 0.25, 0.5, 1, 2, 5, 10, 20};
    const std::vector<double> tolerances = BandTolerances();
    ASSERT_EQ(tolerances.size(), percents.size());
    for (std::size_t i = 0; i < percents.size(); ++i) EXPECT_DOUBLE_EQ(tolerances[i] * 100, percents[i]);
    EXPECT_EQ(BandCoefficients(), (std::vector<double>{1, 5, 10, 15, 20, 25, 50, 100, 250}));
}

// Every band marking written for every tolerance and coefficient a band has
// reads back as what it was written for: the value, the tolerance and the
// coefficient, and its label says the same. Which forms appear is counted
// apart: 2 figures make 4 bands (3 at +-20 %, which has no band), 3 figures
// make 5, and 6 with a coefficient; +-20 % gives 3 figures no form.
TEST(PartCodes, EveryBandMarkingReadsBackItsToleranceAndCoefficient) {
    // Each tolerance alone and with a coefficient, each coefficient with
    // the usual tolerances: every colour of both bands is written.
    const std::vector<double> coefficients = BandCoefficients();
    std::vector<BandMarks> choices = {BandMarks{}};
    for (const double tolerance : BandTolerances()) {
        choices.push_back({tolerance, 0});
        choices.push_back({tolerance, coefficients[choices.size() % coefficients.size()]});
    }
    for (const double ppm : coefficients) choices.push_back({0, ppm});
    for (const char* name : {"E24", "E96"}) {
        const ESeries& series = *FindESeries(name);
        for (int exponent = -3; exponent <= 7; ++exponent) {
            for (int i = 0; i < series.count; ++i) {
                char text[32];
                std::snprintf(text, sizeof text, "%de%d", series.hundredths[i], exponent);
                const double value = Exact(text);
                // Two figures when the hundredths end in 0 (4.70, not 4.99).
                const bool two_figures = series.hundredths[i] % 10 == 0;
                for (const BandMarks& marks : choices) {
                    const bool none = marks.tolerance == 0.2;
                    int bands[7] = {};
                    for (const Marking& marking : PartMarkings(PartKind::Resistor, value, marks)) {
                        if (marking.form.find("bands") == std::string::npos) continue;
                        const std::vector<std::string> colours = Colours(marking.text);
                        const std::string what = std::string(text) + " " + marking.form + ": " + marking.text;
                        ASSERT_EQ(marking.form.compare(0, 1, std::to_string(colours.size())), 0) << what;
                        ++bands[colours.size()];
                        const MarkingRead read = ReadColourBands(colours);
                        ASSERT_TRUE(read.ok) << what << ": " << read.error;
                        EXPECT_EQ(read.value, value) << what;
                        const double tolerance =
                            marks.tolerance > 0 ? marks.tolerance : colours.size() == 4 ? 0.05 : 0.01;
                        EXPECT_DOUBLE_EQ(read.tolerance, tolerance) << what;
                        EXPECT_DOUBLE_EQ(read.ppm_per_k, colours.size() == 6 ? marks.ppm_per_k : 0) << what;
                        // The label: "N bands, +-T %" and ", P ppm/K".
                        const std::size_t plus = marking.form.find("+-");
                        ASSERT_NE(plus, std::string::npos) << what;
                        EXPECT_DOUBLE_EQ(std::strtod(marking.form.c_str() + plus + 2, nullptr), tolerance * 100)
                            << what;
                        const std::size_t ppm = marking.form.find(", ", plus);
                        EXPECT_EQ(ppm != std::string::npos, colours.size() == 6) << what;
                        if (ppm != std::string::npos) {
                            EXPECT_DOUBLE_EQ(std::strtod(marking.form.c_str() + ppm + 2, nullptr), marks.ppm_per_k)
                                << what;
                        }
                    }
                    const std::string what = std::string(text) + " +-" + std::to_string(marks.tolerance * 100) +
                                             " % " + std::to_string(marks.ppm_per_k) + " ppm/K";
                    EXPECT_EQ(bands[3], two_figures && none ? 1 : 0) << what;
                    EXPECT_EQ(bands[4], two_figures && !none ? 1 : 0) << what;
                    EXPECT_EQ(bands[5], none ? 0 : 1) << what;
                    EXPECT_EQ(bands[6], !none && marks.ppm_per_k > 0 ? 1 : 0) << what;
                }
            }
        }
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
                        read = ReadColourBands(Colours(marking.text));
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
