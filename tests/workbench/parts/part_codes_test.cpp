// Markings against the examples published with their codes (IEC 60062, the
// EIA-96 table, makers' data sheets), and every marking of every E96 and E24
// value read back to the value it was written from, the bands with each
// tolerance and temperature coefficient a band has.
#include "workbench/parts/part_codes.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <random>
#include <string>
#include <utility>
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
        {"4R7", "4.7", "letters"},   {"R47", "0.47", "letters"},   {"1002", "10e3", "4-digit"},
        {"4992", "49.9e3", "4-digit"}, {"R010", "0.01", "letters"}, {"01C", "10e3", "EIA-96"},
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
    for (const char* bad : {"", "97A", "00A", "4RR7", "R", "4.7x", "47Q", "0K0"}) {
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
        // None, the band left off, is read only where 2 figures stand before it.
        const bool none = std::string(row.colour) == "none";
        const MarkingRead four = ReadColourBands({"brown", "black", "black", row.colour});
        EXPECT_EQ(four.ok, row.percent > 0) << row.colour << ": " << four.error;
        if (four.ok) {
            EXPECT_DOUBLE_EQ(four.tolerance * 100, row.percent) << row.colour;
        }
        const MarkingRead five = ReadColourBands({"brown", "black", "black", "black", row.colour});
        EXPECT_EQ(five.ok, row.percent > 0 && !none) << row.colour << ": " << five.error;
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

// ---- Every marking of every value reads back -----------------------------
//
// The oracle is built apart from the code under test: every code each
// fixed-length form can spell is enumerated, read by hand (figures, then the
// power of ten strtod applies), and kept by the value it stands for; the
// EIA-96 numbers and the colours are typed from their published tables. A
// value then has a marking of a form exactly when the enumeration holds
// one for it, and that marking is the one enumerated; the letter code, which
// carries any value, must read back by hand and through ReadPartCode.

namespace {

// EIA-96: the three figures of numbers 01 to 96, and the letters of the
// multipliers 10^-3 to 10^5 (Y, X, A, B, ... as published; R, S, H are
// their old aliases).
const int kEia96Figures[96] = {
    100, 102, 105, 107, 110, 113, 115, 118, 121, 124, 127, 130, 133, 137, 140, 143, 147, 150, 154, 158,
    162, 165, 169, 174, 178, 182, 187, 191, 196, 200, 205, 210, 215, 221, 226, 232, 237, 243, 249, 255,
    261, 267, 274, 280, 287, 294, 301, 309, 316, 324, 332, 340, 348, 357, 365, 374, 383, 392, 402, 412,
    422, 432, 442, 453, 464, 475, 487, 499, 511, 523, 536, 549, 562, 576, 590, 604, 619, 634, 649, 665,
    681, 698, 715, 732, 750, 768, 787, 806, 825, 845, 866, 887, 909, 931, 953, 976,
};
const char kEia96Multipliers[] = "ZYXABCDEF";

// IEC 60062's figure colours, and the multiplier colours below 10^0.
const char* const kFigureColours[10] = {"black", "brown", "red",    "orange", "yellow",
                                        "green", "blue",  "violet", "grey",   "white"};
std::string MultiplierColour(int power) {
    return power >= 0 ? kFigureColours[power] : power == -1 ? "gold" : power == -2 ? "silver" : "pink";
}

// "digits" with the point after `before` of them (before <= 0: zeros lead),
// times 10^power: read as a C library reads the plain decimal.
double Figures(const std::string& digits, int power) {
    return std::strtod((digits + "e" + std::to_string(power)).c_str(), nullptr);
}

// value -> the one code a form spells it as. Two codes for one value would
// make the oracle ambiguous, so they fail the test.
using Codes = std::map<double, std::string>;
void Enumerate(Codes& codes, double value, const std::string& code) {
    const auto inserted = codes.emplace(value, code);
    ASSERT_TRUE(inserted.second) << code << " and " << inserted.first->second << " both stand for " << value;
}

// The SMD codes of `length` characters: length-1 figures (the first not 0)
// and a count of zeros up to `max_zeros`, or the figures with R as the point
// (figures before R not starting with 0; R first takes any figures but all 0).
// `unit` is the power of ten of one: ohm 0, pF -12, uH -6.
Codes DigitCodes(int length, int max_zeros, int unit) {
    Codes codes;
    const int figures = length - 1;
    int low = 1, high = 1;
    for (int i = 0; i < figures; ++i) high *= 10;
    for (int i = 1; i < figures; ++i) low *= 10;
    for (int n = low; n < high; ++n) {
        const std::string text = std::to_string(n);
        for (int zeros = 0; zeros <= max_zeros; ++zeros) {
            Enumerate(codes, Figures(text, zeros + unit), text + std::to_string(zeros));
        }
        for (int at = 1; at < figures; ++at) {  // 4R7, 4R70, 47R0
            Enumerate(codes, Figures(text, at - figures + unit), text.substr(0, at) + "R" + text.substr(at));
        }
    }
    for (int n = 1; n < high; ++n) {  // R47, R05, R005
        std::string text = std::to_string(n);
        text.insert(0, static_cast<std::size_t>(figures) - text.size(), '0');
        Enumerate(codes, Figures(text, -figures + unit), "R" + text);
    }
    return codes;
}

Codes Eia96Codes() {
    Codes codes;
    for (int i = 0; i < 96; ++i) {
        for (int m = 0; m < 9; ++m) {
            char code[16];  // room for any int, which the compiler cannot rule out
            std::snprintf(code, sizeof code, "%02d%c", i + 1, kEia96Multipliers[m]);
            Enumerate(codes, Figures(std::to_string(kEia96Figures[i]), m - 3), code);
        }
    }
    return codes;
}

// Bands of `figures` figures (the first not black) and a multiplier from
// pink (10^-3) to white (10^9), then the tolerance band's colour.
Codes BandCodes(int figures, const std::string& tolerance) {
    Codes codes;
    int low = 1;
    for (int i = 1; i < figures; ++i) low *= 10;
    for (int n = low; n < low * 10; ++n) {
        const std::string text = std::to_string(n);
        for (int power = -3; power <= 9; ++power) {
            std::string bands;
            for (const char figure : text) bands += std::string(kFigureColours[figure - '0']) + " ";
            Enumerate(codes, Figures(text, power), bands + MultiplierColour(power) + " " + tolerance);
        }
    }
    return codes;
}

// A letter code read by hand: one letter of `letters` as the point, its
// power of ten from `powers`; NAN when the code is none.
double ReadLetters(const std::string& code, const std::string& letters, const std::vector<int>& powers) {
    const std::size_t at = code.find_first_not_of("0123456789");
    if (at == std::string::npos || code.find_first_not_of("0123456789", at + 1) != std::string::npos) return NAN;
    const std::size_t letter = letters.find(code[at]);
    if (letter == std::string::npos || code.size() == 1) return NAN;
    const std::string before = code.substr(0, at), after = code.substr(at + 1);
    return std::strtod(((before.empty() ? "0" : before) + "." + after + "e" + std::to_string(powers[letter])).c_str(),
                       nullptr);
}

struct KindCase {
    PartKind kind;
    const char* name;
    int lowest, highest;  // the powers of ten of the first figure the values take
    std::string letters;  // its letter code's letters and their powers
    std::vector<int> powers;
    Codes three, four;    // its 3- and 4-digit codes (none of 4 but for resistors)
};

// Each value of the test as its figures (no zeros trailing) and the power of
// ten of the first: every value of every E-series in every decade from
// `lowest` to `highest`, and random ones of 1 to 6 figures.
std::vector<std::pair<std::string, int>> TestValues(int lowest, int highest, std::mt19937_64& random) {
    std::vector<std::pair<std::string, int>> values;
    for (const ESeries& series : ESeriesList()) {
        for (int i = 0; i < series.count; ++i) {
            std::string figures = std::to_string(series.hundredths[i]);
            while (figures.back() == '0') figures.pop_back();
            for (int power = lowest; power <= highest; ++power) values.emplace_back(figures, power);
        }
    }
    std::uniform_int_distribution<int> count(1, 6), digit(0, 9), power(lowest, highest);
    for (int i = 0; i < 20000; ++i) {
        std::string figures(1, static_cast<char>('1' + digit(random) % 9));
        const int n = count(random);
        while (static_cast<int>(figures.size()) < n) figures += static_cast<char>('0' + digit(random));
        while (figures.back() == '0') figures.pop_back();
        values.emplace_back(figures, power(random));
    }
    return values;
}

}  // namespace

TEST(PartCodes, EveryMarkingOfEveryValueIsTheOneItsFormHasAndReadsBackExactly) {
    std::vector<KindCase> kinds;
    kinds.push_back({PartKind::Resistor, "resistor", -4, 9, "LRKMGTr", {-3, 0, 3, 6, 9, 12, 0}, DigitCodes(3, 9, 0),
                     DigitCodes(4, 9, 0)});
    kinds.push_back({PartKind::Capacitor, "capacitor", -13, 1, "pnumF", {-12, -9, -6, -3, 0}, DigitCodes(3, 7, -12),
                     {}});
    kinds.push_back({PartKind::Inductor, "inductor", -10, 1, "pnumH", {-12, -9, -6, -3, 0}, DigitCodes(3, 9, -6), {}});
    const Codes eia96 = Eia96Codes(), four_bands = BandCodes(2, "gold"), five_bands = BandCodes(3, "brown");
    std::mt19937_64 random(60062);
    for (const KindCase& kind : kinds) {
        for (const auto& test : TestValues(kind.lowest, kind.highest, random)) {
            const double value = Figures(test.first.substr(0, 1) + "." + test.first.substr(1), test.second);
            const std::string what = std::string(kind.name) + " " + test.first + " at 10^" + std::to_string(test.second);
            std::map<std::string, std::string> marked;
            for (const Marking& marking : PartMarkings(kind.kind, value)) {
                ASSERT_TRUE(marked.emplace(marking.form, marking.text).second) << what << ": two " << marking.form;
                const bool bands = marking.form.find("bands") != std::string::npos;
                const MarkingRead read =
                    bands ? ReadColourBands(Colours(marking.text)) : ReadPartCode(kind.kind, marking.text);
                ASSERT_TRUE(read.ok) << what << " " << marking.form << " " << marking.text << ": " << read.error;
                EXPECT_EQ(read.value, value) << what << " " << marking.form << " " << marking.text;
            }
            // The letter code carries every value.
            if (marked.count("letters") == 1) {
                EXPECT_EQ(ReadLetters(marked["letters"], kind.letters, kind.powers), value)
                    << what << " " << marked["letters"];
            } else {
                ADD_FAILURE() << what << ": no letter code";
            }
            const auto expect_form = [&](const char* form, const Codes& codes) {
                const auto code = codes.find(value);
                const auto mark = marked.find(form);
                if (code == codes.end()) {
                    EXPECT_TRUE(mark == marked.end()) << what << " " << form << " " << mark->second;
                } else {
                    EXPECT_TRUE(mark != marked.end() && mark->second == code->second)
                        << what << " " << form << ": " << code->second << " expected, "
                        << (mark == marked.end() ? "none" : mark->second) << " given";
                }
                if (mark != marked.end()) marked.erase(mark);
            };
            marked.erase("letters");
            expect_form("3-digit", kind.three);
            if (kind.kind == PartKind::Resistor) {
                expect_form("4-digit", kind.four);
                expect_form("EIA-96", eia96);
                expect_form("4 bands, +-5 %", four_bands);
                expect_form("5 bands, +-1 %", five_bands);
            }
            for (const auto& other : marked) ADD_FAILURE() << what << ": " << other.first << " " << other.second;
        }
    }
}

// IEC 60062's letter code: its published resistances (R47 to 4M7, and the
// milliohms' L of the 2016 edition), the capacitances' p n u m and F, the
// farads and henries at 1 and above with F and H as the point; and what
// mark writes of the values that once lost figures or printed nothing.
TEST(PartCodes, LetterCodesOfThePublishedExamples) {
    const struct {
        PartKind kind;
        const char* value;
        const char* letters;
    } kCases[] = {
        {PartKind::Resistor, "0.47", "R47"},     {PartKind::Resistor, "4.7", "4R7"},
        {PartKind::Resistor, "470", "470R"},     {PartKind::Resistor, "4.7e3", "4K7"},
        {PartKind::Resistor, "47e3", "47K"},     {PartKind::Resistor, "47.3e3", "47K3"},
        {PartKind::Resistor, "470e3", "470K"},   {PartKind::Resistor, "4.7e6", "4M7"},
        {PartKind::Resistor, "1.5e9", "1G5"},    {PartKind::Resistor, "2.2e12", "2T2"},
        {PartKind::Resistor, "4.7e-3", "4L7"},   {PartKind::Resistor, "1.5e-3", "1L5"},
        {PartKind::Resistor, "47e-3", "47L"},    {PartKind::Resistor, "0.47e-3", "L47"},
        {PartKind::Resistor, "1e-4", "L1"},      {PartKind::Resistor, "12.3456e3", "12K3456"},
        {PartKind::Resistor, "9.9999e3", "9K9999"}, {PartKind::Resistor, "0.12345", "R12345"},
        {PartKind::Capacitor, "4.7e-9", "4n7"},  {PartKind::Capacitor, "100e-9", "100n"},
        {PartKind::Capacitor, "4.7e-12", "4p7"}, {PartKind::Capacitor, "0.47e-12", "p47"},
        {PartKind::Capacitor, "2.2e-6", "2u2"},  {PartKind::Capacitor, "4.7e-3", "4m7"},
        {PartKind::Capacitor, "4.7", "4F7"},     {PartKind::Capacitor, "1", "1F"},
        {PartKind::Capacitor, "10", "10F"},      {PartKind::Capacitor, "3000", "3000F"},
        {PartKind::Inductor, "4.7e-6", "4u7"},   {PartKind::Inductor, "2.2", "2H2"},
        {PartKind::Inductor, "1", "1H"},         {PartKind::Inductor, "10e-9", "10n"},
    };
    for (const auto& c : kCases) {
        std::string letters;
        for (const Marking& marking : PartMarkings(c.kind, Exact(c.value))) {
            if (marking.form == "letters") letters = marking.text;
        }
        EXPECT_EQ(letters, c.letters) << c.value;
        const MarkingRead read = ReadPartCode(c.kind, c.letters);
        ASSERT_TRUE(read.ok) << c.letters << ": " << read.error;
        EXPECT_EQ(read.value, Exact(c.value)) << c.letters;
        EXPECT_EQ(read.form, "letters") << c.letters;
    }
}

// A jumper, a zero-ohm link, is marked 0, 000 or 0R (or one black band): its
// value is zero, not an error.
TEST(PartCodes, JumpersReadAsZeroOhms) {
    for (const char* code : {"0", "00", "000", "0000", "0R", "0R0", "R00", "R000"}) {
        const MarkingRead read = ReadPartCode(PartKind::Resistor, code);
        ASSERT_TRUE(read.ok) << code << ": " << read.error;
        EXPECT_EQ(read.value, 0) << code;
        EXPECT_EQ(read.form, "jumper") << code;
    }
    const MarkingRead band = ReadColourBands({"black"});
    ASSERT_TRUE(band.ok) << band.error;
    EXPECT_EQ(band.value, 0);
    EXPECT_EQ(band.form, "jumper");
    for (const char* code : {"0K", "0L0", "00000"}) {
        EXPECT_FALSE(ReadPartCode(PartKind::Resistor, code).ok) << code;
    }
    EXPECT_FALSE(ReadPartCode(PartKind::Capacitor, "000").ok);
    // Figures without end, or none, give no part's value.
    const std::string many(400, '9');
    for (const std::string& code : {many + "T", "1" + many + "R", "L" + std::string(20, '0') + "1"}) {
        const MarkingRead read = ReadPartCode(PartKind::Resistor, code);
        EXPECT_FALSE(read.ok) << code.size() << " " << read.value;
        EXPECT_NE(read.error.find("no value"), std::string::npos) << read.error;
    }
    EXPECT_FALSE(ReadColourBands({"brown"}).ok);
}

// A tolerance band of none is the band left off: on 4 bands it leaves 3,
// and 5 or 6 bands need one (without it three figures read as 4 bands, and
// a temperature coefficient has no place), as mark will not write them.
TEST(PartCodes, NoToleranceBandOnlyWhereMarkLeavesItOff) {
    const MarkingRead three = ReadColourBands({"brown", "black", "red", "none"});
    ASSERT_TRUE(three.ok) << three.error;
    EXPECT_EQ(three.form, "3 bands");
    EXPECT_DOUBLE_EQ(three.tolerance, 0.2);
    const struct {
        std::vector<std::string> bands;
        const char* said;
    } kErrors[] = {
        {{"brown", "black", "black", "red", "none"}, "the fifth band, none: 5 bands need a tolerance band"},
        {{"brown", "black", "black", "red", "none", "red"}, "the fifth band, none: 6 bands need a tolerance band"},
    };
    for (const auto& c : kErrors) {
        const MarkingRead read = ReadColourBands(c.bands);
        EXPECT_FALSE(read.ok) << c.said;
        EXPECT_NE(read.error.find(c.said), std::string::npos) << read.error;
    }
    // And mark writes no such bands, whatever it is asked.
    for (const double tolerance : BandTolerances()) {
        for (const Marking& marking : PartMarkings(PartKind::Resistor, 4700, {tolerance, 50})) {
            if (marking.form.find("bands") == std::string::npos) continue;
            EXPECT_EQ(marking.text.find("none"), std::string::npos) << marking.form << ": " << marking.text;
        }
    }
}
