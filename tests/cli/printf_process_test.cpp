// quobrix printf as a process: the example, the text of every
// build alike (the Windows builds run this under Wine, where long has 32
// bits and the C library's printf is another), its explanation, and its
// errors with the exit status a script can trust.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "quobrix_process.h"
#include "temp_folder.h"

TEST_F(QuobrixCli, PrintfWritesAsGlibc) {
    ExpectReport(Quobrix({"printf", "%08.3f|%-5hhd|%#x", "3.14159", "300", "255"}), "0003.142|44   |0xff");
    // Values glibc's printf gives on x86-64 Linux for the same typed arguments.
    ExpectReport(Quobrix({"printf", "%ld|%lx|%zu|%p|%Lf|%.30Le|%La\\n", "-9223372036854775808", "-1",
                          "0x10000000000", "0xffffffffffff", "1e20", "0.1", "3"}),
                 "-9223372036854775808|ffffffffffffffff|1099511627776|0xffffffffffff|100000000000000000000.000000|"
                 "1.000000000000000000013552527156e-01|0xcp-2\n");
    ExpectReport(Quobrix({"printf", "%.3a|%.0e|%g|%#g|%+.2f|% 05d|%-6o|\\t|\\x41\\101", "1.999999", "2.5", "1e-5",
                          "1", "-0.005", "42", "8"}),
                 "0x2.000p+0|2e+00|1e-05|1.00000|-0.01| 0042|10    |\t|AA");
    ExpectReport(Quobrix({"printf", "--", "%f %e %s", "-inf", "-nan", "-text"}), "-inf -nan -text");
}

TEST_F(QuobrixCli, PrintfExplainsWhatEachConversionTook) {
    ExpectReport(Quobrix({"printf", "--explain", "%*d|%s", "4", "0x1f", "ab"}),
                 "  31|ab\n"
                 "conversion  at  argument  as            value\n"
                 "%*d          1         1  int (width)   4\n"
                 "%*d          1         2  int           31\n"
                 "%s           5         3  const char *  ab\n");
}

TEST_F(QuobrixCli, PrintfErrorsExitWithTwo) {
    const char* hint = " (Usage: quobrix printf [--explain] [--raw] FORMAT [ARG...]; quobrix printf --help tells more)\n";
    struct Row {
        std::vector<std::string> args;
        std::string err;
    };
    for (const Row& row : std::vector<Row>{
             {{"printf", "%d|%d", "1"},
              "quobrix: conversion 2 '%d' at character 4 has no argument left for its value (1 argument given)"},
             {{"printf", "%d", "1", "2"}, "quobrix: 2 arguments given, the format takes 1: argument 2 '2' left over"},
             {{"printf", "%hhd", "x1"},
              "quobrix: conversion 1 '%hhd' at character 1: argument 1 'x1' is no integer (decimal, 0x hex or 0 "
              "octal, with an optional sign)"},
             {{"printf", "%n"},
              "quobrix: conversion 1 '%n' at character 1: %n stores a count in memory and writes nothing; there is "
              "no memory here"},
             {{"printf"}, "quobrix: no FORMAT given"},
         }) {
        const ProcessResult result = Quobrix(row.args);
        EXPECT_EQ(result.exit_code, 2);
        EXPECT_EQ(result.out, "");
        EXPECT_EQ(result.err, row.err + hint);
    }
}

// C's printf reads its format up to its first NUL, however the NUL is
// written; an ARG has no escapes at all.
TEST_F(QuobrixCli, PrintfFormatEndsAtItsNul) {
    for (const char* format : {"a\\0b", "a\\x00zb", "a\\000b", "a\\0%d"}) {
        ExpectReport(Quobrix({"printf", format}), "a");
    }
    ExpectReport(Quobrix({"printf", "\\0"}), "");
    ExpectReport(Quobrix({"printf", "%d\\0%d\\n", "5"}), "5");
    ExpectReport(Quobrix({"printf", "%s|", "a\\0b"}), "a\\0b|");
    const ProcessResult left_over = Quobrix({"printf", "a\\0%d", "5"});
    EXPECT_EQ(left_over.exit_code, 2);
    EXPECT_EQ(left_over.out, "");
    EXPECT_EQ(left_over.err.substr(0, 113), "quobrix: 1 argument given, the format takes 0: argument 1 '5' left over (the "
                                            "format ends at its NUL, character 2)");
}

TEST_F(QuobrixCli, PrintfPointerSignsAsGlibc) {
    ExpectReport(Quobrix({"printf", "%+p|% p|%+p|%-+6p|", "1", "0x1f", "0", "2"}), "+0x1| 0x1f|(nil)|+0x2  |");
}

// 64 MiB, the most one run writes, written a block at a time: the
// program's memory stays far below it. A byte more is refused before any of
// the text is written.
TEST_F(QuobrixCli, PrintfWritesUpToItsBoundInConstantMemory) {
    std::vector<std::string> args = {"printf", ""};
    for (int i = 0; i < 1024; ++i) {
        args[1] += "%65536c";
        args.push_back("x");
    }
    TempFolder folder;
    StreamSetup streams;
    streams.stdout_path = folder.Path("out.txt");
    const ProcessResult written = RunProcessWithStreams(kCommand.front(), LauncherArgs(args), streams);
    EXPECT_EQ(written.exit_code, 0) << written.err;
    EXPECT_EQ(std::filesystem::file_size(folder.Path("out.txt")), std::uintmax_t{1} << 26);
    if (!kSanitized && kCommand.size() == 1) {
        EXPECT_LT(written.peak_rss_kib, 16 << 10);
    }

    args[1] += "%c";
    args.push_back("y");
    const ProcessResult refused = RunProcessWithStreams(kCommand.front(), LauncherArgs(args), streams);
    EXPECT_EQ(refused.exit_code, 2);
    EXPECT_EQ(std::filesystem::file_size(folder.Path("out.txt")), 0u);
    EXPECT_EQ(refused.err.substr(0, 124), "quobrix: conversion 1025 '%c' at character 7169 takes the text past 67108864 "
                                          "bytes (64 MiB), the most one run writes (Usage:");

    // A text that cannot be written is an error, whenever writing fails.
    streams.stdout_path = "/dev/full";
    const ProcessResult full = RunProcessWithStreams(kCommand.front(), LauncherArgs({"printf", "%65536c%65536c%65536c%65536c%65536c", "a", "b", "c", "d", "e"}), streams);
    EXPECT_EQ(full.exit_code, 2);
    EXPECT_NE(full.err.find("cannot write standard output"), std::string::npos) << full.err;
}
