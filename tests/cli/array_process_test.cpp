// quobrix array as a process: what it writes is C that gcc compiles to the
// very bytes it read, the same text as xxd -i's, and back again through
// --reverse; memory that stays small whatever the file's size.
#include <fcntl.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "quobrix_process.h"
#include "temp_folder.h"

namespace {

std::string RandomBytes(std::size_t size, unsigned seed) {
    std::mt19937 random(seed);
    std::string bytes(size, '\0');
    for (char& c : bytes) c = static_cast<char>(random());
    return bytes;
}

// The program's path on PATH, or nothing when it is not there.
std::string FindProgram(const std::string& name) {
    const char* path = std::getenv("PATH");
    std::istringstream folders(path != nullptr ? path : "");
    for (std::string folder; std::getline(folders, folder, ':');) {
        const std::string candidate = folder + "/" + name;
        if (!folder.empty() && access(candidate.c_str(), X_OK) == 0) return candidate;
    }
    return "";
}

}  // namespace

// gcc is the judge of what the text means: a program that includes it writes
// the array's bytes (in the machine's order, little-endian here) to a file.
TEST_F(QuobrixCli, ArrayCompilesToTheBytesItRead) {
    const std::string gcc = FindProgram("gcc");
    if (gcc.empty()) GTEST_SKIP() << "no gcc";
    TempFolder folder;
    const std::string firmware = RandomBytes(1000, 24);
    const std::string path = folder.Write("firmware.bin", firmware);
    const struct {
        std::vector<std::string> options;
        std::string type;
    } kForms[] = {
        {{}, "unsigned char"},
        {{"--type", "u16le", "--header", "--crc", "--per-line", "5"}, "uint16_t"},
        {{"--type", "u32le", "--decimal", "--static", "--mutable"}, "uint32_t"},
    };
    for (const auto& form : kForms) {
        std::vector<std::string> args = {"array", path, "--name", "firmware"};
        args.insert(args.end(), form.options.begin(), form.options.end());
        const ProcessResult c = Quobrix(args);
        ASSERT_EQ(c.exit_code, 0) << c.err;
        folder.Write("firmware.h", c.out);
        // -c alone, as a user would; then a program that prints it.
        const ProcessResult compiled =
            RunProcess(gcc, {"-std=c99", "-Wall", "-Wextra", "-pedantic", "-Werror", "-Wno-unused-const-variable",
                               "-Wno-unused-variable", "-x", "c", "-c", folder.Path("firmware.h"), "-o",
                               folder.Path("firmware.o")});
        ASSERT_EQ(compiled.exit_code, 0) << compiled.err << c.out.substr(0, 400);
        folder.Write("dump.c",
                     "#include <stdio.h>\n#include \"firmware.h\"\n"
                     "int main(int argc, char** argv) {\n"
                     "    FILE* f = fopen(argv[1], \"wb\");\n"
                     "    if (sizeof firmware / sizeof firmware[0] != firmware_len) return 3;\n"
                     "    return f && fwrite(firmware, sizeof firmware, 1, f) == 1 && fclose(f) == 0 ? 0 : 1;\n"
                     "}\n");
        const ProcessResult built =
            RunProcess(gcc, {"-Wall", "-Werror", folder.Path("dump.c"), "-o", folder.Path("dump")});
        ASSERT_EQ(built.exit_code, 0) << built.err;
        const ProcessResult ran = RunProcess(folder.Path("dump"), {folder.Path("dumped.bin")});
        ASSERT_EQ(ran.exit_code, 0) << form.type;
        EXPECT_EQ(folder.Read("dumped.bin"), firmware) << form.type;
        // And back through --reverse.
        std::vector<std::string> reverse = {"array", "--reverse", folder.Path("firmware.h")};
        if (form.type == "uint16_t") reverse.insert(reverse.end(), {"--type", "u16le"});
        if (form.type == "uint32_t") reverse.insert(reverse.end(), {"--type", "u32le"});
        const ProcessResult back = Quobrix(reverse);
        EXPECT_EQ(back.exit_code, 0) << back.err;
        EXPECT_EQ(back.out, firmware) << form.type;
    }
}

// xxd -i writes the same text, but for const: its name of a path as typed,
// its 12 elements to a line, its length.
TEST_F(QuobrixCli, ArrayWritesWhatXxdWrites) {
    const std::string xxd_program = FindProgram("xxd");
    if (xxd_program.empty()) GTEST_SKIP() << "no xxd";
    TempFolder folder;
    for (const std::size_t size : {0, 1, 11, 12, 13, 1000}) {
        const std::string path = folder.Write("7-up.dat", RandomBytes(size, static_cast<unsigned>(size)));
        const ProcessResult xxd = RunProcess(xxd_program, {"-i", path});
        ASSERT_EQ(xxd.exit_code, 0);
        std::string expected = "const " + xxd.out;
        expected.insert(expected.find("};\n") + 3, "const ");
        ExpectReport(Quobrix({"array", path}), expected);
    }
}

TEST_F(QuobrixCli, ArrayFromStandardInputTextAndHex) {
    ExpectReport(Quobrix({"array", "--name", "x", "--type", "u16be", "--pad"}, "\x01\x02\x03"),
                 "#include <stdint.h>\n\nconst uint16_t x[] = {\n  0x0102, 0x0300\n};\nconst unsigned int x_len = 2;\n");
    ExpectReport(Quobrix({"array", "-", "--decimal"}, "\xff"),
                 "const unsigned char data[] = {\n  255\n};\nconst unsigned int data_len = 1;\n");
    ExpectReport(Quobrix({"array", "--hex", "de ad"}),
                 "const unsigned char data[] = {\n  0xde, 0xad\n};\nconst unsigned int data_len = 2;\n");
    ExpectReport(Quobrix({"array", "--reverse", "--type", "u32be"}, "{0xDEADBEEF, 'A'}"),
                 std::string("\xDE\xAD\xBE\xEF\x00\x00\x00\x41", 8));
}

TEST_F(QuobrixCli, ArrayErrorsExitWithTwo) {
    TempFolder folder;
    const struct {
        std::vector<std::string> args;
        std::string input, err;
    } kCases[] = {
        {{"array", "--type", "u32le"}, "12345",
         "quobrix: standard input: 5 bytes are no whole number of 4-byte elements: 1 left over "
         "(--pad fills the last element with zeros)\n"},
        {{"array", "--type", "u24"}, "", "quobrix: --type 'u24' is none of u8 u16le u16be u32le u32be\n"},
        {{"array", "--name", "9lives", "--text", "x"}, "",
         "quobrix: --name '9lives' is no C identifier (letters, digits and _, no digit first)\n"},
        {{"array", "--per-line", "0", "--text", "x"}, "", "quobrix: --per-line '0' is no number from 1 to 1000\n"},
        {{"array", "a", "b"}, "", "quobrix: one FILE at most: an array each is a command each\n"},
        {{"array", "--reverse", "--crc"}, "", "quobrix: --crc shapes the C text; --reverse reads it and takes only --type and --char\n"},
        {{"array", "--reverse"}, "const char x[] = {\n  1,\n  2 3 };",
         "quobrix: standard input: line 3, column 5: '3' follows the number before it without a comma\n"},
        {{"array", "--reverse", "--text", "{300}"}, "",
         "quobrix: --text: line 1, column 2: '300' does not fit in 1 byte (0 to 255, or -128 to -1)\n"},
        {{"array", folder.Path("missing.bin")}, "",
         "quobrix: " + folder.Path("missing.bin") + ": No such file or directory\n"},
    };
    for (const auto& c : kCases) {
        const ProcessResult r = Quobrix(c.args, c.input);
        EXPECT_EQ(r.exit_code, 2) << c.args.back();
        // A usage error's line ends with the hint in parentheses.
        const std::string line = c.err.substr(0, c.err.size() - 1);
        EXPECT_EQ(r.err.substr(0, line.size()), line) << r.err;
        EXPECT_TRUE(r.err[line.size()] == '\n' || r.err.compare(line.size(), 8, " (Usage:") == 0) << r.err;
    }
}

// -o FILE, both ways: the file holds what standard output would have, and
// the bytes come back; a FILE that was there is replaced.
TEST_F(QuobrixCli, ArrayOutputFileRoundTrip) {
    TempFolder folder;
    const std::string firmware = RandomBytes(5000, 96);
    const std::string path = folder.Write("firmware.bin", firmware);
    const struct {
        std::vector<std::string> forward, reverse;
    } kForms[] = {
        {{}, {}},
        {{"--type", "u32be", "--header", "--crc", "--decimal"}, {"--type", "u32be"}},
    };
    for (const auto& form : kForms) {
        std::vector<std::string> args = {"array", path};
        args.insert(args.end(), form.forward.begin(), form.forward.end());
        const ProcessResult shown = Quobrix(args);
        ASSERT_EQ(shown.exit_code, 0) << shown.err;
        args.insert(args.end(), {"-o", folder.Path("firmware.c")});
        ExpectReport(Quobrix(args), "");
        EXPECT_EQ(folder.Read("firmware.c"), shown.out);
        folder.Write("back.bin", "an older file, longer than nothing");
        std::vector<std::string> back = {"array", "--reverse", "--output", folder.Path("back.bin")};
        back.insert(back.end(), form.reverse.begin(), form.reverse.end());
        back.push_back(folder.Path("firmware.c"));
        ExpectReport(Quobrix(back), "");
        EXPECT_EQ(folder.Read("back.bin"), firmware);
    }
    // The file read is the file written: it is replaced only at the end.
    ExpectReport(Quobrix({"array", path, "-o", folder.Path("firmware.c")}), "");
    ExpectReport(Quobrix({"array", "--reverse", "-o", folder.Path("firmware.c"), folder.Path("firmware.c")}), "");
    EXPECT_EQ(folder.Read("firmware.c"), firmware);
    ExpectReport(Quobrix({"array", "--text", "AB", "-o", "-"}),
                 "const unsigned char data[] = {\n  0x41, 0x42\n};\nconst unsigned int data_len = 2;\n");
}

// An error midway, after a block of bytes has gone to the temporary file:
// FILE stays as it was and the temporary file is gone. So for a file that
// cannot be read, and for FILE in a folder that does not exist.
TEST_F(QuobrixCli, ArrayOutputFileUntouchedByAnError) {
    TempFolder folder;
    const std::string keep = folder.Write("keep.bin", "kept");
    // 300000 bytes, beyond the 256 KiB written at a time, then a bad word
    // three lines from the end.
    std::string c_text = "{";
    for (int i = 0; i < 300000; ++i) c_text += "7, ";
    c_text += "\n1,\n2,\n3 x}\n";
    folder.Write("bad.c", c_text);
    const struct {
        std::vector<std::string> args;
        std::string input, err;
    } kCases[] = {
        {{"array", "--reverse", "-o", keep}, "{1,\n2,\n3 x}",
         "quobrix: standard input: line 3, column 3: 'x' follows the number before it without a comma\n"},
        {{"array", "--reverse", "-o", keep, folder.Path("bad.c")}, "",
         "quobrix: " + folder.Path("bad.c") + ": line 4, column 3: 'x' follows the number before it without a comma\n"},
        {{"array", "--type", "u16le", "--output", keep}, "odd",
         "quobrix: standard input: 3 bytes are no whole number of 2-byte elements: 1 left over "
         "(--pad fills the last element with zeros)\n"},
        {{"array", folder.Path("missing.bin"), "-o", keep}, "",
         "quobrix: " + folder.Path("missing.bin") + ": No such file or directory\n"},
        {{"array", "--text", "x", "-o", folder.Path("no/keep.c")}, "",
         "quobrix: cannot write " + folder.Path("no/keep.c") + ": No such file or directory\n"},
    };
    for (const auto& c : kCases) {
        const ProcessResult r = Quobrix(c.args, c.input);
        EXPECT_EQ(r.exit_code, 2) << c.args.back();
        EXPECT_EQ(r.out, "") << c.args.back();
        EXPECT_EQ(r.err, c.err);
        EXPECT_EQ(folder.Read("keep.bin"), "kept") << c.err;
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(folder.Path(""))) {
            names.push_back(entry.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        EXPECT_EQ(names, (std::vector<std::string>{"bad.c", "keep.bin"})) << c.err;
    }
}

// --reverse refuses a terminal for its bytes, but not when they go to FILE.
TEST_F(QuobrixCli, ArrayReverseToAFileFromATerminal) {
    if (kCommand.size() > 1) GTEST_SKIP() << "a launcher stands between the terminal and the program";
    TempFolder folder;
    const ProcessResult refused = RunProcessOnTerminal(kCommand.front(), {"array", "--reverse", "--text", "{65}"});
    EXPECT_EQ(refused.exit_code, 2);
    EXPECT_NE(refused.out.find("send standard output to a file"), std::string::npos) << refused.out;
    const ProcessResult written =
        RunProcessOnTerminal(kCommand.front(), {"array", "--reverse", "--text", "{65}", "-o", folder.Path("a.bin")});
    EXPECT_EQ(written.exit_code, 0) << written.out;
    EXPECT_EQ(folder.Read("a.bin"), "A");
}

// A file far larger than the blocks it is read in: the program's memory
// stays far below the text it writes (six bytes for each byte read).
TEST_F(QuobrixCli, ArrayOfALargeFileInConstantMemory) {
    if (kSanitized || kCommand.size() > 1) {
        GTEST_SKIP() << "the peak memory is the program's own only when it runs alone, unsanitized";
    }
    TempFolder folder;
    // Written a mebibyte at a time: the test's own memory must stay small,
    // since a child's peak counts the pages it shares with its parent.
    const std::string path = folder.Path("large.bin");
    {
        std::ofstream file(path, std::ios::binary);
        for (unsigned block = 0; block < 16; ++block) file << RandomBytes(std::size_t{1} << 20, block);
    }
    StreamSetup streams;
    streams.stdout_path = folder.Path("large.c");
    const ProcessResult forward =
        RunProcessWithStreams(kCommand.front(), LauncherArgs({"array", "--crc", path}), streams);
    EXPECT_EQ(forward.exit_code, 0) << forward.err;
    EXPECT_LT(forward.peak_rss_kib, 16 << 10);
    streams.stdout_path = folder.Path("large.back");
    const ProcessResult back =
        RunProcessWithStreams(kCommand.front(), LauncherArgs({"array", "--reverse", folder.Path("large.c")}), streams);
    EXPECT_EQ(back.exit_code, 0) << back.err;
    EXPECT_LT(back.peak_rss_kib, 16 << 10);
    EXPECT_EQ(std::system(("cmp -s " + path + " " + folder.Path("large.back")).c_str()), 0);
}

// Both commands that name an array refuse a name whose C would not compile:
// a keyword of any C, and where <stdint.h> is included, its own names.
TEST_F(QuobrixCli, ArrayNamesThatCannotCompileAreRefused) {
    const struct {
        std::vector<std::string> args;
        std::string err;
    } kCases[] = {
        {{"array", "--name", "int", "--text", "x"}, "quobrix: --name 'int' is a keyword of C\n"},
        {{"array", "--name", "bool", "--text", "x"}, "quobrix: --name 'bool' is a keyword of C\n"},
        {{"array", "--name", "uint16_t", "--type", "u16le", "--hex", "0102"},
         "quobrix: --name 'uint16_t' is declared or kept by <stdint.h>, which the array's type needs\n"},
        {{"random", "--range", "1..6", "--format", "c", "--name", "int"}, "quobrix: --name 'int' is a keyword of C\n"},
        {{"random", "--range", "-5..5", "--format", "c", "--name", "int8_t"},
         "quobrix: --name 'int8_t' is declared or kept by <stdint.h>, which the array's type needs\n"},
        {{"random", "--bytes", "--format", "c", "--name", "_Bool"}, "quobrix: --name '_Bool' is a keyword of C\n"},
        {{"array", "--char", "unsigned", "--text", "x"},
         "quobrix: --char goes with --reverse: it says how character literals are read\n"},
        {{"array", "--reverse", "--char", "maybe", "--text", "{1}"},
         "quobrix: --char 'maybe' is neither signed nor unsigned\n"},
    };
    for (const auto& c : kCases) {
        const ProcessResult r = Quobrix(c.args);
        EXPECT_EQ(r.exit_code, 2) << c.args[2];
        EXPECT_EQ(r.out, "");
        const std::string line = c.err.substr(0, c.err.size() - 1);
        EXPECT_EQ(r.err.substr(0, line.size()), line) << r.err;
    }
    // A byte array includes no header: uint16_t names it.
    EXPECT_EQ(Quobrix({"array", "--name", "uint16_t", "--text", "x"}).exit_code, 0);
}

// Plain char is signed as on x86 unless --char unsigned says otherwise.
TEST_F(QuobrixCli, ArrayReverseCharSign) {
    ExpectReport(Quobrix({"array", "--reverse", "--type", "u16le", "--text", "{'\\xff', 'A'}"}),
                 std::string("\xFF\xFF\x41\x00", 4));
    ExpectReport(Quobrix({"array", "--reverse", "--type", "u16le", "--char", "unsigned", "--text", "{'\\xff', 'A'}"}),
                 std::string("\xFF\x00\x41\x00", 4));
    ExpectReport(Quobrix({"array", "--reverse", "--text", "unsigned char buf[4] = {1};"}), std::string("\x01\0\0\0", 4));
}
