// quobrix num in-process: every row of the table checked against the C
// library's reading of its hex column, values through --type and back through
// --from, and the errors of the command line.
#include <gtest/gtest.h>

#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "cli/command_line.h"

namespace {

struct Outcome {
    int code = -1;
    std::string out, err;
};

Outcome Num(const std::vector<std::string>& args) {
    std::vector<std::string> words{"num"};
    words.insert(words.end(), args.begin(), args.end());
    Outcome outcome;
    outcome.code = RunCli(words, CliEnvironment(), outcome.out, outcome.err);
    return outcome;
}

std::string Printed(const std::vector<std::string>& args) {
    const Outcome r = Num(args);
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.err, "");
    return r.out;
}

// Exit 2, nothing on standard output, and `said` on standard error.
void ExpectError(const std::vector<std::string>& args, const std::string& said) {
    const Outcome r = Num(args);
    EXPECT_EQ(r.code, 2) << args.back();
    EXPECT_EQ(r.out, "") << args.back();
    EXPECT_EQ(r.err.rfind("quobrix: ", 0), 0u) << r.err;
    EXPECT_NE(r.err.find(said), std::string::npos) << r.err;
}

std::string HexWords(const std::vector<unsigned char>& bytes) {
    std::string text;
    for (const unsigned char byte : bytes) {
        char pair[4];
        std::snprintf(pair, sizeof pair, "%02X", byte);
        text += (text.empty() ? "" : " ") + std::string(pair);
    }
    return text;
}

std::vector<std::string> Fields(const std::string& line) {
    std::istringstream stream(line);
    std::vector<std::string> fields;
    for (std::string field; stream >> field;) fields.push_back(field);
    return fields;
}

}  // namespace

// Each row: the hex column is the given bytes in the row's order (the first
// byte given is the letter that comes first), the integers are what strtoull
// reads of it, signed and not, and the float reads back to its bits.
TEST(NumCommand, TableRowsAgreeWithTheirHexColumn) {
    std::mt19937 random(7);
    for (int round = 0; round < 300; ++round) {
        const int size = 2 << (round % 3);
        std::vector<unsigned char> bytes(static_cast<std::size_t>(size));
        for (unsigned char& byte : bytes) byte = static_cast<unsigned char>(random());
        const std::string table = Printed({HexWords(bytes)});
        std::istringstream lines(table);
        std::string line;
        std::getline(lines, line);
        const std::string bits = std::to_string(8 * size);
        std::vector<std::string> header = {"order", "hex", "int" + bits, "uint" + bits};
        if (size > 2) header.push_back("float" + bits);
        EXPECT_EQ(Fields(line), header);
        int rows = 0;
        while (std::getline(lines, line)) {
            ++rows;
            const std::vector<std::string> fields = Fields(line);
            ASSERT_EQ(fields.size(), size == 2 ? 4u : 5u) << line;
            const std::string& order = fields[0];
            ASSERT_EQ(order.size(), bytes.size()) << line;
            std::string expected_hex(bytes.size() * 2, '?');
            for (std::size_t i = 0; i < order.size(); ++i) {
                char pair[3];
                std::snprintf(pair, sizeof pair, "%02X", bytes[i]);
                expected_hex.replace(static_cast<std::size_t>(order[i] - 'A') * 2, 2, pair);
            }
            EXPECT_EQ(fields[1], expected_hex) << line;
            const std::uint64_t value = std::strtoull(fields[1].c_str(), nullptr, 16);
            const int shift = 64 - 8 * size;
            const std::int64_t extended = static_cast<std::int64_t>(value << shift) >> shift;
            EXPECT_EQ(fields[2], std::to_string(extended)) << line;
            EXPECT_EQ(fields[3], std::to_string(value)) << line;
            if (size == 2) continue;
            const std::string& text = fields[4];
            if (text.find("nan") != std::string::npos) {
                const bool quiet_or_not_nan = size == 4 ? (value & 0x7F800000u) == 0x7F800000u && (value & 0x7FFFFFu) != 0
                                                        : (value >> 52 & 0x7FF) == 0x7FF && (value << 12) != 0;
                EXPECT_TRUE(quiet_or_not_nan) << line;
                EXPECT_EQ(text[0] == '-', (value >> (8 * size - 1)) != 0) << line;
                continue;
            }
            std::uint64_t read = 0;
            if (size == 4) {
                const float f = std::strtof(text.c_str(), nullptr);
                std::uint32_t bits = 0;
                std::memcpy(&bits, &f, sizeof bits);
                read = bits;
            } else {
                const double d = std::strtod(text.c_str(), nullptr);
                std::memcpy(&read, &d, sizeof read);
            }
            EXPECT_EQ(read, value) << line;
        }
        EXPECT_EQ(rows, size == 2 ? 2 : 4);
    }
}

// A value printed by --type reads back through --from to the same bytes, in
// any order of the letters.
TEST(NumCommand, ValuesGoBackToTheirBytes) {
    std::mt19937 random(11);
    const char* types[] = {"int16", "uint16", "int32", "uint32", "int64", "uint64", "float32", "float64"};
    for (int round = 0; round < 400; ++round) {
        const std::string type = types[round % 8];
        const int size = type.find("16") != std::string::npos ? 2 : type.find("32") != std::string::npos ? 4 : 8;
        std::string order = std::string("ABCDEFGH").substr(0, static_cast<std::size_t>(size));
        std::shuffle(order.begin(), order.end(), random);
        std::vector<unsigned char> bytes(static_cast<std::size_t>(size));
        for (unsigned char& byte : bytes) byte = static_cast<unsigned char>(random());
        std::string value = Printed({"--type", type, "--order", order, HexWords(bytes)});
        ASSERT_FALSE(value.empty());
        value.pop_back();
        if (value.find("nan") != std::string::npos) continue;  // the payload is not in the text
        EXPECT_EQ(Printed({"--type", type, "--order", order, "--from", value}), HexWords(bytes) + "\n")
            << type << " " << order << " " << value;
    }
}

TEST(NumCommand, ExamplesAndForms) {
    EXPECT_EQ(Printed({"--type", "float32", "--order", "cdab", "00", "00", "41", "20"}), "10\n");
    EXPECT_EQ(Printed({"--type", "float32", "--order", "ABCD", "0x41200000"}), "10\n");
    EXPECT_EQ(Printed({"--type", "float64", "--order", "HGFEDCBA", "--from", "0.1"}), "9A 99 99 99 99 99 B9 3F\n");
    EXPECT_EQ(Printed({"--type", "int16", "--order", "BA", "--from", "-10"}), "F6 FF\n");
    EXPECT_EQ(Printed({"--type", "float32", "--order", "ABCD", "--from", "-inf"}), "FF 80 00 00\n");
    EXPECT_EQ(Printed({"--type", "float64", "--order", "ABCDEFGH", "80 00 00 00 00 00 00 00"}), "-0\n");
    EXPECT_EQ(Printed({"--type", "uint64", "--order", "ABCDEFGH", "--from", "0xFFFFFFFFFFFFFFFF"}),
              "FF FF FF FF FF FF FF FF\n");
}

TEST(NumCommand, ErrorsSayWhy) {
    ExpectError({"41", "20", "00"}, "HEX gives 3 bytes; the table takes 2, 4 or 8");
    ExpectError({"--type", "int32", "--order", "ABCD", "41", "20"}, "int32 takes 4 bytes; HEX gives 2 bytes");
    ExpectError({"--type", "int32", "--order", "ABC", "41"}, "--order 'ABC' has 3 letters; int32 takes 4 bytes");
    ExpectError({"--type", "int16", "--order", "AA", "41 20"}, "does not name each byte A to B once");
    ExpectError({"--type", "int32", "--order", "ABCE", "41"}, "does not name each byte A to D once");
    ExpectError({"--type", "int24", "--order", "ABC", "41"}, "--type 'int24' is none of int16 uint16");
    ExpectError({"--type", "int32", "41"}, "--type needs --order");
    ExpectError({"--order", "ABCD", "41"}, "--order goes with --type");
    ExpectError({"--from", "10"}, "--from needs --type and --order");
    ExpectError({"--type", "int16", "--order", "AB", "--from", "10", "41"}, "--from takes VALUE, no HEX");
    ExpectError({}, "no HEX given");
    ExpectError({"41 2g"}, "HEX: 'g' at character 5 is no hex digit");
    ExpectError({", ;"}, "HEX holds no hex digits");
    ExpectError({"--type", "int16", "--order", "AB", "--from", "32768"}, "out of int16's range, -32768 to 32767");
    ExpectError({"--type", "uint32", "--order", "AB", "--from", "1"}, "has 2 letters; uint32 takes 4 bytes");
    ExpectError({"--type", "float32", "--order", "ABCD", "--from", "1e39"},
                "out of float32's range, magnitudes up to 3.4028235e+38");
    ExpectError({"--type", "float32", "--order", "ABCD", "--from", "1.5e+"}, "'e+' at character 4 follows the number");
    ExpectError({"--type", "int32", "--order", "ABCD", "--from", "12.5"}, "'.5' at character 3 follows the number");
    ExpectError({"--type", "int32", "--order", "ABCD", "--from", "ten"}, "--from 'ten' is no int32");
    ExpectError({"--type", "int32", "--order", "ABCD", "--bogus", "1"}, "unknown option '--bogus'");
    const Outcome before = [] {
        Outcome outcome;
        outcome.code = RunCli({"--hex", "num", "41 20"}, CliEnvironment(), outcome.out, outcome.err);
        return outcome;
    }();
    EXPECT_EQ(before.code, 2);
    EXPECT_NE(before.err.find("--hex belongs to the dialog's tools; the options of num follow num"), std::string::npos)
        << before.err;
}
