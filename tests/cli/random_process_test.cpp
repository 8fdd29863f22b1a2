// quobrix random as a process: with a seed, the same numbers from every
// build (those of an implementation in Python of xoshiro256** and Lemire's
// reduction, in its big integers); without one, numbers that differ from
// run to run; the errors and their exit status.
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "quobrix_process.h"

TEST_F(QuobrixCli, RandomWithASeedRepeatsOnEveryBuild) {
    ExpectReport(Quobrix({"random", "--count", "10", "--range", "1..6", "--seed", "1"}),
                 "5\n4\n4\n3\n5\n1\n1\n3\n6\n4\n");
    ExpectReport(Quobrix({"random", "--count", "5", "--range", "-5..5", "--seed", "42"}), "-5\n-1\n2\n5\n5\n");
    // The whole 64-bit range is the generator's words themselves.
    ExpectReport(Quobrix({"random", "--count", "2", "--range", "0..0xFFFFFFFFFFFFFFFF", "--seed", "0"}),
                 "11091344671253066420\n13793997310169335082\n");
}

TEST_F(QuobrixCli, RandomUniqueSortedBytesAndArrays) {
    // All six faces once each, sorted.
    ExpectReport(Quobrix({"random", "--count", "6", "--range", "1..6", "--unique", "--sort"}), "1\n2\n3\n4\n5\n6\n");
    const ProcessResult bytes = Quobrix({"random", "--count", "20", "--bytes"});
    EXPECT_EQ(bytes.exit_code, 0);
    ASSERT_EQ(bytes.out.size(), 20u * 3);
    EXPECT_EQ(bytes.out[47], '\n');
    EXPECT_EQ(bytes.out.back(), '\n');
    // The system's generator: two draws of 2^64 values are surely unequal.
    const std::string range = "0..18446744073709551615";
    EXPECT_NE(Quobrix({"random", "--range", range}).out, Quobrix({"random", "--range", range}).out);
    ExpectReport(Quobrix({"random", "--count", "3", "--range", "-1000..1000", "--seed", "3", "--format", "c",
                          "--name", "noise"}),
                 "#include <stdint.h>\n\nconst int16_t noise[] = {\n  381, 281, -564\n};\nconst unsigned int noise_len = 3;\n");
    const ProcessResult floats = Quobrix({"random", "--count", "1000", "--float", "-1..1", "--sort", "--seed", "5"});
    ASSERT_EQ(floats.exit_code, 0);
    std::istringstream lines(floats.out);
    double previous = -1, value = 0;
    int count = 0;
    while (lines >> value) {
        EXPECT_GE(value, previous);
        EXPECT_LT(value, 1.0);
        previous = value;
        ++count;
    }
    EXPECT_EQ(count, 1000);
}

TEST_F(QuobrixCli, RandomErrorsExitWithTwo) {
    const struct {
        std::vector<std::string> args;
        std::string err;
    } kCases[] = {
        {{"random", "--count", "7", "--range", "1..6", "--unique"},
         "quobrix: --unique: the range 1..6 holds 6 values, fewer than --count 7\n"},
        {{"random", "--range", "6..1"}, "quobrix: --range: the range '6..1' ends below its start\n"},
        {{"random"}, "quobrix: say what to draw: --range LO..HI, --float LO..HI or --bytes\n"},
        {{"random", "--bytes", "--range", "1..2"}, "quobrix: --range, --float and --bytes exclude each other\n"},
        {{"random", "--bytes", "--unique"}, "quobrix: --unique goes with --range\n"},
        {{"random", "--range", "1..6", "--count", "0"},
         "quobrix: --count '0' is no number from 1 up (decimal or 0x hex)\n"},
        {{"random", "--range", "1..6", "--seed", "-1"},
         "quobrix: --seed '-1' is no number from 0 to 2^64 - 1 (decimal or 0x hex)\n"},
        {{"random", "--float", "0..1", "--format", "c"}, "quobrix: --format c writes integers and bytes, not --float\n"},
        // Bytes were written as hex, whatever --format said.
        {{"random", "--bytes", "--format", "lines"},
         "quobrix: --format lines writes --range and --float; --bytes are written as hex or c (or one to a line, in "
         "decimal, by --range 0..255)\n"},
        {{"random", "--count", "67108865", "--range", "1..2", "--sort"},
         "quobrix: --count 67108865: --unique and --sort hold at most 67108864 numbers (2^26) until the last is "
         "drawn\n"},
        {{"random", "--count", "0x4000001", "--float", "0..1", "--sort"},
         "quobrix: --count 67108865: --unique and --sort hold at most 67108864 numbers (2^26) until the last is "
         "drawn\n"},
        {{"random", "--float", "0..1e309"}, "quobrix: --float: '1e309' in the range '0..1e309' is no finite decimal number\n"},
    };
    for (const auto& c : kCases) {
        const ProcessResult r = Quobrix(c.args);
        EXPECT_EQ(r.exit_code, 2) << c.err;
        EXPECT_EQ(r.out, "");
        // A usage error's line ends with the hint in parentheses.
        const std::string line = c.err.substr(0, c.err.size() - 1);
        EXPECT_EQ(r.err.substr(0, line.size()), line) << r.err;
    }
}

// gcc takes the arrays of the widest ranges without a warning: the largest
// unsigned values carry their suffix, the smallest int64_t is a difference.
TEST_F(QuobrixCli, RandomArraysCompile) {
    const std::string gcc = "/usr/bin/gcc";
    if (access(gcc.c_str(), X_OK) != 0) GTEST_SKIP() << "no gcc";
    char folder[] = "/tmp/quobrix-random-test.XXXXXX";
    ASSERT_NE(mkdtemp(folder), nullptr);
    const std::string source = std::string(folder) + "/r.c";
    for (const std::string range : {"0..0xFFFFFFFFFFFFFFFF", "-9223372036854775808..9223372036854775807",
                                    "-9223372036854775808..-9223372036854775808", "-200..100", "0..255"}) {
        const ProcessResult c = Quobrix({"random", "--count", "50", "--range", range, "--seed", "8", "--format", "c"});
        ASSERT_EQ(c.exit_code, 0) << c.err;
        std::ofstream(source) << c.out;
        const ProcessResult compiled = RunProcess(
            gcc, {"-std=c99", "-Wall", "-Wextra", "-pedantic", "-Werror", "-c", source, "-o", source + ".o"});
        EXPECT_EQ(compiled.exit_code, 0) << range << "\n" << compiled.err << c.out.substr(0, 300);
    }
    std::filesystem::remove_all(folder);
}

// Subnormal ends are numbers like any other: each value printed reads back as
// a double of the range.
TEST_F(QuobrixCli, RandomFloatsBetweenSubnormalEnds) {
    for (const std::string range : {"0..1e-310", "-1e-310..1e-310", "4.9e-324..1e-323", "1e-310..1e-300"}) {
        const ProcessResult r = Quobrix({"random", "--count", "200", "--float", range, "--seed", "3"});
        ASSERT_EQ(r.exit_code, 0) << range << ": " << r.err;
        const std::size_t dots = range.find("..");
        const double lo = std::strtod(range.substr(0, dots).c_str(), nullptr);
        const double hi = std::strtod(range.substr(dots + 2).c_str(), nullptr);
        std::istringstream lines(r.out);
        std::string line;
        int count = 0;
        while (std::getline(lines, line)) {
            char* end = nullptr;
            const double value = std::strtod(line.c_str(), &end);
            EXPECT_EQ(*end, '\0') << line;
            EXPECT_GE(value, lo) << range << ": " << line;
            EXPECT_LT(value, hi) << range << ": " << line;
            ++count;
        }
        EXPECT_EQ(count, 200) << range;
    }
}
