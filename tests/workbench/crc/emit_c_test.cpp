// The emitted C, compiled by the host's C compiler and run: parameters the
// catalogue lacks give the engine's check value, in one update and in
// several, and names become identifiers. Every catalogued model's emitted C
// is compiled and run by catalogue_paths_test.cpp.
#include "workbench/crc/emit_c.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

#include "workbench/crc/engine.h"

namespace {

struct Case {
    CrcParams params;
    std::string name;
    Uint128 check;  // of "123456789"
};

// 512 bytes that reach every table entry: 0 to 255, then down again.
std::vector<unsigned char> Ramp() {
    std::vector<unsigned char> ramp(512);
    for (int i = 0; i < 512; ++i) ramp[i] = static_cast<unsigned char>(i < 256 ? i : 511 - i);
    return ramp;
}
constexpr const char* kRampC = "for (i = 0; i < 512; i++) ramp[i] = (unsigned char)(i < 256 ? i : 511 - i);";

// What stands before "_init(void);" in the source: its functions' stem.
std::string Stem(const std::string& source) {
    const std::size_t end = source.find("_init(void);");
    const std::size_t start = source.rfind(' ', end) + 1;
    return source.substr(start, end - start);
}

class EmittedC : public ::testing::Test {
protected:
    void SetUp() override {
        char dir_template[] = "/tmp/quobrix-emit-c.XXXXXX";
        ASSERT_NE(mkdtemp(dir_template), nullptr);
        dir_ = dir_template;
    }
    void TearDown() override { std::filesystem::remove_all(dir_); }

    void Write(const std::string& file, const std::string& text) const {
        std::ofstream(dir_ + "/" + file, std::ios::binary) << text;
    }
    // Runs `command` in the folder; its output, or "" with a failure.
    std::string Run(const std::string& command) const {
        const std::string out = dir_ + "/out";
        if (std::system(("cd '" + dir_ + "' && " + command + " >'" + out + "' 2>&1").c_str()) != 0) {
            ADD_FAILURE() << command << ":\n" << std::ifstream(out).rdbuf();
            return "";
        }
        std::ostringstream text;
        text << std::ifstream(out).rdbuf();
        return text.str();
    }

    // One translation unit that includes each case's file and prints, for
    // each, the CRC of "123456789" whole, the same split in three (the first
    // part empty) and the CRC of the ramp split at 301, as 32 hex digits.
    std::string Driver(const std::vector<Case>& cases) const {
        std::string includes, calls;
        for (std::size_t i = 0; i < cases.size(); ++i) {
            const std::string file = "crc" + std::to_string(i) + ".c";
            const std::string source = EmitCrcC(cases[i].params, cases[i].name);
            Write(file, source);
            includes += "#include \"" + file + "\"\n";
            const std::string p = Stem(source);
            const std::string runs[] = {
                p + "_update(" + p + "_init(), check, 9)",
                p + "_update(" + p + "_update(" + p + "_update(" + p + "_init(), check, 0), check, 4), check + 4, 5)",
                p + "_update(" + p + "_update(" + p + "_init(), ramp, 301), ramp + 301, 211)",
            };
            for (const std::string& run : runs) {
                calls += cases[i].params.width > 64
                             ? "    { " + p + "_value v = " + p + "_final(" + run + "); show(v.high, v.low); }\n"
                             : "    show(0, " + p + "_final(" + run + "));\n";
            }
        }
        return includes + "#include <inttypes.h>\n#include <stdio.h>\n" +
               "static void show(uint64_t high, uint64_t low)\n"
               "{\n    printf(\"%016\" PRIx64 \"%016\" PRIx64 \"\\n\", high, low);\n}\n" +
               "int main(void)\n{\n    static const char check[] = \"123456789\";\n"
               "    static unsigned char ramp[512];\n    int i;\n    " +
               kRampC + "\n" + calls + "    return 0;\n}\n";
    }

    // Compiles the cases into one program, as C99 and as C++, runs it and
    // compares each line with the check value and the engine's CRC of the ramp.
    void ExpectChecks(const std::vector<Case>& cases) const {
#if defined(QUOBRIX_HOST_C_COMPILER) && defined(QUOBRIX_HOST_CXX_COMPILER)
        Write("driver.c", Driver(cases));
        const std::string warnings = " -Wall -Wextra -Wpedantic -Wconversion -Werror ";
        Run(std::string("'") + QUOBRIX_HOST_C_COMPILER + "' -std=c99" + warnings + "-o driver driver.c");
        Run(std::string("'") + QUOBRIX_HOST_CXX_COMPILER + "' -x c++ -std=c++11" + warnings +
            "-fsyntax-only driver.c");
        std::istringstream lines(Run("./driver"));
        const std::vector<unsigned char> ramp = Ramp();
        for (const Case& c : cases) {
            const Uint128 ramp_crc = CrcEngine(c.params).Compute(ramp.data(), ramp.size());
            for (const Uint128 expected : {c.check, c.check, ramp_crc}) {
                std::string line;
                ASSERT_TRUE(std::getline(lines, line)) << c.name;
                ASSERT_EQ(line.size(), 32u) << c.name;
                const Uint128 got{std::stoull(line.substr(0, 16), nullptr, 16),
                                  std::stoull(line.substr(16), nullptr, 16)};
                EXPECT_TRUE(got == expected) << c.name << " gave " << line;
            }
        }
#else
        (void)cases;
        GTEST_SKIP() << "no host C compiler";
#endif
    }

    std::string dir_;
};

// The shapes the catalogue lacks: refin without refout, and registers over 64
// bits that shift left. Their check values are the engine's.
TEST_F(EmittedC, ParametersOfTheUsersOwn) {
    const Uint128 darc_poly{0x308C, 0x0111011401440411};
    const CrcParams params[] = {
        {16, 0x8005, 0xFFFF, true, false, 0x0000},
        {82, darc_poly, Uint128{0x2AAAA, 0x5555555555555555}, false, false, LowBitsMask(82)},
        {82, darc_poly, 0x1234, false, true, 0},
        {65, Uint128{1, 0x1B}, 0, true, false, 1},
    };
    std::vector<Case> cases;
    for (const CrcParams& p : params) {
        const std::string name = "W" + std::to_string(cases.size());
        cases.push_back({p, name, CrcEngine(p).Compute("123456789", 9)});
    }
    ExpectChecks(cases);
}

TEST_F(EmittedC, NamesBecomeIdentifiersAndStayInsideTheComment) {
    const CrcParams modbus{16, 0x8005, 0xFFFF, true, true, 0x0000};
    const std::string source = EmitCrcC(modbus, "CRC-16/MODBUS");
    EXPECT_NE(source.find("width=16 poly=0x8005 init=0xffff refin=true refout=true xorout=0x0000 check=0x4b37 "
                          "name=\"CRC-16/MODBUS\""),
              std::string::npos);
    EXPECT_EQ(Stem(source), "crc16_modbus");
    EXPECT_EQ(Stem(EmitCrcC({3, 3, 0, false, false, 7}, "CRC-3/GSM")), "crc3_gsm");
    EXPECT_EQ(Stem(EmitCrcC(modbus, "")), "crc16_custom");

    // Bytes that would end the comment, splice a line, start a directive or
    // a trigraph; and a name that starts with a digit.
    const std::string hostile = "x\"*/ /* ?\?/\n#error \\\r\n\xFF*/";
    const std::string hostile_source = EmitCrcC(modbus, hostile);
    EXPECT_EQ(Stem(hostile_source), "crc_x_error");
    for (const char ch : hostile_source) EXPECT_TRUE(ch == '\n' || (ch >= 0x20 && ch < 0x7F)) << int(ch);
    EXPECT_EQ(Stem(EmitCrcC(modbus, "5G-NR")), "crc_5g_nr");
    ExpectChecks({{modbus, hostile, 0x4B37}, {modbus, "", 0x4B37}});
}

}  // namespace
