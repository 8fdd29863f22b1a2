// quobrix parts and quobrix filter in-process: each row of their tables
// recomputed from the parts it prints (read back by strtod, prefixes by
// hand), and the errors of their command lines.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "in_process.h"

namespace {

const double kPi = 3.14159265358979323846;

// "4.7k", "100n", "994.7Hz", "3.3154V" by hand: the number, then the prefix.
double Read(std::string text) {
    for (const char* unit : {"Hz", "V"}) {
        const std::string u = unit;
        if (text.size() > u.size() && text.compare(text.size() - u.size(), u.size(), u) == 0) {
            text.resize(text.size() - u.size());
        }
    }
    const std::string prefixes = "pnumkMG";
    const int powers[] = {-12, -9, -6, -3, 3, 6, 9};
    const std::size_t at = prefixes.find(text.back());
    if (at == std::string::npos) return std::strtod(text.c_str(), nullptr);
    text.pop_back();
    return std::strtod(text.c_str(), nullptr) * std::pow(10.0, powers[at]);
}

std::vector<std::vector<std::string>> Rows(const std::string& table) {
    std::vector<std::vector<std::string>> rows;
    std::istringstream lines(table);
    std::string line;
    std::getline(lines, line);  // the header
    while (std::getline(lines, line)) {
        std::istringstream words(line);
        std::vector<std::string> row;
        std::string word;
        while (words >> word) row.push_back(word);
        rows.push_back(row);
    }
    return rows;
}

std::string Printed(const std::vector<std::string>& args) {
    const CliOutcome r = RunInProcess(args);
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.err, "");
    return r.out;
}

void ExpectError(const std::vector<std::string>& args, const std::string& said) {
    const CliOutcome r = RunInProcess(args);
    EXPECT_EQ(r.code, 2) << args.back();
    EXPECT_EQ(r.out, "") << args.back();
    EXPECT_EQ(r.err.rfind("quobrix: " + said, 0), 0u) << r.err;
    EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << r.err;
}

}  // namespace

TEST(PartsCommand, FilterRowsGiveTheFrequencyTheyPrint) {
    for (const char* frequency : {"1k", "50", "3.3k", "120k", "7"}) {
        const std::vector<std::vector<std::string>> rows =
            Rows(Printed({"filter", "rc", "--lowpass", frequency, "--r-series", "E96", "--c-series", "E12"}));
        ASSERT_FALSE(rows.empty()) << frequency;
        for (const auto& row : rows) {
            ASSERT_EQ(row.size(), 5u);  // R C fc error %
            const double fc = 1 / (2 * kPi * Read(row[0]) * Read(row[1]));
            EXPECT_NEAR(Read(row[2]), fc, fc * 5e-4) << row[0] << " " << row[1];
            const double error = (fc / Read(frequency) - 1) * 100;
            EXPECT_NEAR(std::strtod(row[3].c_str(), nullptr), error, 0.0051) << row[0] << " " << row[1];
        }
        // The done-when of the RC filter: within a few per cent.
        EXPECT_LT(std::fabs(std::strtod(rows[0][3].c_str(), nullptr)), 1.0) << frequency;
    }
    for (const char* q : {"0.7071", "0.5", "2"}) {
        for (const auto& row : Rows(Printed({"filter", "sallen-key", "2k", "--q", q}))) {
            ASSERT_EQ(row.size(), 10u);  // R1 R2 C1 C2 f0 error % Q error %
            const double r1 = Read(row[0]), r2 = Read(row[1]), c1 = Read(row[2]), c2 = Read(row[3]);
            // The poles of s^2 R1 R2 C1 C2 + s C2 (R1 + R2) + 1: w0^2 is their
            // product, w0 / Q minus their sum.
            const double a = r1 * r2 * c1 * c2, b = c2 * (r1 + r2);
            const double w0 = std::sqrt(1 / a), sum = b / a;
            EXPECT_NEAR(Read(row[4]), w0 / (2 * kPi), w0 / (2 * kPi) * 5e-4) << row[0];
            EXPECT_NEAR(std::strtod(row[7].c_str(), nullptr), w0 / sum, 5e-5) << row[0];
        }
    }
}

TEST(PartsCommand, DividerRowsGiveTheVoltageTheyPrint) {
    const auto rows = Rows(Printed({"parts", "divider", "5", "1.8", "--series", "E24", "--total", "10k..100k"}));
    ASSERT_EQ(rows.size(), 5u);
    for (const auto& row : rows) {
        const double r1 = Read(row[0]), r2 = Read(row[1]);
        EXPECT_GE(r1 + r2, 10e3);
        EXPECT_LE(r1 + r2, 100e3);
        EXPECT_NEAR(Read(row[3]), 5 * r2 / (r1 + r2), 5e-4);
    }
}

// The bands of --tolerance and --tempco, read back through quobrix parts
// code: what mark writes, code reads as the tolerance and coefficient asked
// for. +-20 % has no band: 3 bands, and no 5 (4 colours would read as 4 bands).
TEST(PartsCommand, MarkedBandsReadBackThroughCode) {
    const struct {
        std::vector<std::string> options;
        std::string read;  // code's line for each band row, in order
    } kCases[] = {
        {{}, "4.7kohm  4 bands  +-5 %\n4.7kohm  5 bands  +-1 %\n"},
        {{"--tolerance", "2%"}, "4.7kohm  4 bands  +-2 %\n4.7kohm  5 bands  +-2 %\n"},
        {{"--tolerance", "0.05", "--tempco", "15"},
         "4.7kohm  4 bands  +-0.05 %\n4.7kohm  5 bands  +-0.05 %\n4.7kohm  6 bands  +-0.05 %  15 ppm/K\n"},
        {{"--tempco", "250ppm/K"}, "4.7kohm  4 bands  +-5 %\n4.7kohm  5 bands  +-1 %\n4.7kohm  6 bands  +-1 %  250 ppm/K\n"},
        {{"--tolerance", "20"}, "4.7kohm  3 bands  +-20 %\n"},
    };
    for (const auto& c : kCases) {
        std::vector<std::string> args = {"parts", "mark", "resistor", "4k7"};
        args.insert(args.end(), c.options.begin(), c.options.end());
        std::string read;
        std::istringstream rows(Printed(args));
        for (std::string row; std::getline(rows, row);) {
            const std::size_t two = row.find("  ");
            if (row.find(" bands, ") == std::string::npos) continue;
            std::vector<std::string> code = {"parts", "code", "r"};
            std::istringstream colours(row.substr(two));
            for (std::string colour; colours >> colour;) code.push_back(colour);
            read += Printed(code);
        }
        EXPECT_EQ(read, c.read) << args.back();
    }
}

// Each row mark prints, given to code as it stands, reads back as the value
// mark was given, printed whole; among them the marking that carries the
// value in IEC 60062's letters (L for milliohms, F and H as the point of
// farads and henries). The values are those that lost figures or printed
// nothing, and the letter code's edges.
TEST(PartsCommand, EveryMarkedRowReadsBackThroughCode) {
    const struct {
        const char* kind;
        const char* value;
        const char* read;     // code's value, exactly
        const char* letters;  // mark's letter code
    } kCases[] = {
        {"r", "4.7m", "4.7mohm", "4L7"},        {"r", "1.5m", "1.5mohm", "1L5"},
        {"r", "0.47m", "470uohm", "L47"},       {"r", "1e-4", "100uohm", "L1"},
        {"r", "12.3456k", "12.3456kohm", "12K3456"}, {"r", "9.9999k", "9.9999kohm", "9K9999"},
        {"r", "5m", "5mohm", "5L"},             {"r", "47m", "47mohm", "47L"},
        {"r", "0.1", "100mohm", "R1"},          {"r", "4k7", "4.7kohm", "4K7"},
        {"r", "2.2T", "2.2Tohm", "2T2"},        {"r", "1.23456G", "1.23456Gohm", "1G23456"},
        {"c", "4.7", "4.7F", "4F7"},            {"c", "1", "1F", "1F"},
        {"c", "0.47p", "470fF", "p47"},         {"c", "123.456n", "123.456nF", "123n456"},
        {"l", "2.2", "2.2H", "2H2"},            {"l", "10u", "10uH", "10u"},
    };
    for (const auto& c : kCases) {
        const std::string table = Printed({"parts", "mark", c.kind, c.value});
        EXPECT_EQ(table.compare(0, 8, "letters "), 0) << c.value << ": " << table;
        std::istringstream rows(table);
        int count = 0;
        for (std::string row; std::getline(rows, row); ++count) {
            const std::size_t two = row.find("  ");
            ASSERT_NE(two, std::string::npos) << row;
            std::vector<std::string> code = {"parts", "code", c.kind};
            std::istringstream words(row.substr(two));
            for (std::string word; words >> word;) code.push_back(word);
            if (row.compare(0, 8, "letters ") == 0) {
                EXPECT_EQ(code.back(), c.letters) << c.value;
            }
            const std::string read = Printed(code);
            EXPECT_EQ(read.substr(0, read.find("  ")), c.read) << c.value << " marked " << row;
        }
        EXPECT_GE(count, 1) << c.value;
    }
    // A value of more figures than a double keeps is rounded as it is read:
    // mark says so, and to what.
    const CliOutcome rounded = RunInProcess({"parts", "mark", "r", "1.00000000000000000001k"});
    EXPECT_EQ(rounded.code, 0);
    EXPECT_EQ(rounded.out.compare(0, 8, "letters "), 0) << rounded.out;
    EXPECT_NE(rounded.out.find(" 1K\n"), std::string::npos) << rounded.out;
    EXPECT_EQ(rounded.err,
              "quobrix: note: VALUE '1.00000000000000000001k' has more figures than are kept (15 to 17); the "
              "markings are of 1k\n");
    for (const char* kept : {"1.0000000000000000k", "0.00470", "4700e-6", "123456789012345.6"}) {
        EXPECT_EQ(RunInProcess({"parts", "mark", "r", kept}).err, "") << kept;
    }
    // Jumpers, and IEC 60062's letters named as what they are.
    for (const char* jumper : {"0R", "0", "000", "0000", "black"}) {
        EXPECT_EQ(Printed({"parts", "code", "r", jumper}), "0ohm  jumper\n") << jumper;
    }
    EXPECT_EQ(Printed({"parts", "code", "r", "4R7"}), "4.7ohm  letters\n");
    EXPECT_EQ(Printed({"parts", "code", "r", "4L7"}), "4.7mohm  letters\n");
    EXPECT_EQ(Printed({"parts", "code", "c", "4F7"}), "4.7F  letters\n");
    EXPECT_EQ(Printed({"parts", "code", "l", "2H2"}), "2.2H  letters\n");
    EXPECT_EQ(Printed({"parts", "code", "r", "12K3456"}), "12.3456kohm  letters\n");
}

TEST(PartsCommand, ErrorsSayWhatAndWhere) {
    ExpectError({"parts", "4k7x"}, "VALUE '4k7x': character 4 ('x') is not a unit (ohm F H Hz V A) or the end");
    ExpectError({"parts", "4.7\xC3\xA9"}, "VALUE '4.7\xC3\xA9': character 4 ('\xC3\xA9') is not an SI prefix");
    ExpectError({"parts", "0"}, "VALUE '0' is no value above zero");
    ExpectError({"parts", "1e300"}, "VALUE '1e300' is no value from 1f to 1000T");
    ExpectError({"filter", "rc", "--r", "1k", "--c", "1e-16"}, "--c '1e-16' is no value from 1f to 1000T");
    ExpectError({"parts", "k"}, "VALUE 'k' ends where a digit should follow");
    ExpectError({"parts", "1k", "2k"}, "one VALUE at a time; '2k' is a second");
    ExpectError({"parts", "--series", "E25", "1k"}, "--series 'E25' is none of E3 E6 E12 E24 E48 E96 E192");
    ExpectError({"parts", "divider", "3.3", "12"}, "VOUT must be below VIN");
    ExpectError({"parts", "divider", "12"}, "divider takes VIN VOUT");
    ExpectError({"parts", "divider", "--ratio", "1.5"}, "--ratio must be below 1");
    ExpectError({"parts", "divider", "12", "3.3", "--total", "10k"}, "--total '10k' is no range MIN..MAX");
    ExpectError({"parts", "divider", "12", "3.3", "--total", "100k..10k"}, "--total '100k..10k': MIN is above MAX");
    ExpectError({"parts", "divider", "12", "3.3", "--count", "0"}, "--count '0' is no number from 1 to 100");
    ExpectError({"parts", "divider", "12", "3.3", "--total", "1..1.2", "--series", "E3"}, "no pair of E3");
    ExpectError({"parts", "1k", "--ratio", "0.5"}, "--ratio goes with divider");
    ExpectError({"parts", "code", "x", "472"}, "KIND 'x' is none of resistor, capacitor, inductor");
    ExpectError({"parts", "code", "c", "red", "red", "red"}, "colour bands are a resistor's");
    ExpectError({"parts", "code", "r", "97A"}, "EIA-96 code '97A': its number is 01 to 96");
    ExpectError({"parts", "code", "r", "brown", "black", "black", "red", "none", "red"},
                "the fifth band, none: 6 bands need a tolerance band");
    ExpectError({"parts", "code", "r", "brown", "black", "black", "red", "none"},
                "the fifth band, none: 5 bands need a tolerance band");
    ExpectError({"parts", "mark", "r"}, "mark takes KIND");
    ExpectError({"parts", "mark", "r", "4k7", "--tolerance", "3"},
                "--tolerance '3' is no colour band's: IEC 60062 has 0.01 0.02 0.05 0.1 0.25 0.5 1 2 5 10 20 %");
    ExpectError({"parts", "mark", "r", "4k7", "--tolerance", "1.0.0"}, "--tolerance '1.0.0' is no colour band's");
    ExpectError({"parts", "mark", "r", "4k7", "--tolerance", "-5"}, "--tolerance '-5' is no colour band's");
    ExpectError({"parts", "mark", "r", "4k7", "--tempco", "30"},
                "--tempco '30' is no colour band's: IEC 60062 has 1 5 10 15 20 25 50 100 250 ppm/K");
    ExpectError({"parts", "mark", "r", "4k7", "--tempco", "50", "--tolerance", "20"},
                "--tempco needs a tolerance band, and +-20 % has none");
    ExpectError({"parts", "mark", "c", "100n", "--tolerance", "5"}, "--tolerance goes with mark resistor");
    ExpectError({"parts", "code", "r", "472", "--tempco", "50"}, "--tempco goes with mark resistor");
    ExpectError({"filter", "rc", "--lowpass", "--highpass", "1k"}, "--lowpass or --highpass, not both");
    ExpectError({"filter", "lc", "--lowpass", "1k"}, "--lowpass goes with rc");
    ExpectError({"filter", "rc", "--r", "1k"}, "the parts' frequency needs all of --r --c");
    ExpectError({"filter", "rc", "--r1", "1k", "1k"}, "--r1 is no part of this filter (it takes --r --c)");
    ExpectError({"filter", "rc", "--r", "1k", "--c", "1n", "1k"}, "FREQ or the parts, not both");
    ExpectError({"filter", "sallen-key", "1k", "--q", "20"}, "--q '20' is outside 0.1 to 10");
    ExpectError({"filter", "bandpass", "1k"}, "'bandpass' is no filter: rc, lc or sallen-key");
    ExpectError({"filter", "rc"}, "no FREQ given");
    // Nothing crashes on what is no value at all.
    for (const char* word : {"", ".", "e5", "1e", "1e-", "R", "RR", "4R7RR", "\xFF", "1e99999", "1e-99999", "9999e9999", "1e16", "0.9e-15"}) {
        const CliOutcome r = RunInProcess({"parts", word});
        EXPECT_EQ(r.code, 2) << word;
        const CliOutcome f = RunInProcess({"filter", "lc", word});
        EXPECT_EQ(f.code, 2) << word;
    }
}
