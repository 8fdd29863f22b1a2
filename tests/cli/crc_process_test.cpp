// quobrix crc as a process: files and standard input taken raw, errors that
// leave the other files done, the exit status, and memory that stays small
// whatever the file's size.
#include <fcntl.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "quobrix_process.h"
#include "temp_folder.h"
#include "support/crc_model.h"

namespace {

std::string Hex32(std::uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "%08X", static_cast<unsigned>(value));
    return text;
}

ProcessResult QuobrixWithStreams(const std::vector<std::string>& args, const StreamSetup& streams) {
    return RunProcessWithStreams(kCommand.front(), LauncherArgs(args), streams);
}

}  // namespace

TEST_F(QuobrixCli, CrcExamples) {
    ExpectReport(Quobrix({"crc", "CRC-16/MODBUS", "--text", "123456789"}), "4B37\n");
    ExpectReport(Quobrix({"crc", "CRC-16/MODBUS", "--text", "123456789", "--bytes", "le"}), "37 4B\n");
    // The text's UTF-8 bytes, or its GBK bytes D6 D0, on every build.
    ExpectReport(Quobrix({"crc", "CRC-32/ISO-HDLC", "--text", "中"}),
                 Hex32(crc_model::kCrc32Model.Crc(std::string("\xE4\xB8\xAD"))) + "\n");
    ExpectReport(Quobrix({"crc", "CRC-32/ISO-HDLC", "--gbk", "--text", "中"}),
                 Hex32(crc_model::kCrc32Model.Crc(std::string("\xD6\xD0"))) + "\n");
}

// Bytes are bytes: CR LF and Ctrl-Z, which Windows' text mode would change,
// and a name that the ANSI code page cannot spell.
TEST_F(QuobrixCli, CrcOfFilesAndStandardInput) {
    TempFolder folder;
    const std::string raw("1\r\n\x1A\n\0" "2", 7);
    const std::string crc_of_raw = Hex32(crc_model::kCrc32Model.Crc(raw));
    const std::string a = folder.Write("a.bin", raw);
    const std::string named = folder.Write("数据 한 1.bin", "123456789");
    const std::string empty = folder.Write("empty", "");
    ExpectReport(Quobrix({"crc", "CRC-32/ISO-HDLC"}, raw), crc_of_raw + "\n");
    ExpectReport(Quobrix({"crc", "crc-32/iso-hdlc", a, "-", named, empty}, raw),
                 crc_of_raw + "  " + a + "\n" + crc_of_raw + "  -\nCBF43926  " + named + "\n00000000  " + empty +
                     "\n");

    // The others are still done; the error comes at the end.
    const std::string missing = folder.Path("missing");
    const ProcessResult r = Quobrix({"crc", "CRC-32/ISO-HDLC", a, missing, folder.Path(""), empty});
    EXPECT_EQ(r.exit_code, 2);
    EXPECT_EQ(r.out, crc_of_raw + "  " + a + "\n00000000  " + empty + "\n");
    const std::string first_error = r.err.substr(0, r.err.find('\n') + 1);
    EXPECT_EQ(first_error.rfind("quobrix: " + missing + ": ", 0), 0u) << r.err;
    EXPECT_EQ(r.err.find("quobrix: " + folder.Path("") + ": ", first_error.size()), first_error.size()) << r.err;
}

TEST_F(QuobrixCli, CrcStreamErrorsExitWithTwo) {
    StreamSetup directory;
    directory.stdin_path = "/tmp";
    const ProcessResult unreadable = QuobrixWithStreams({"crc", "CRC-16/MODBUS"}, directory);
    EXPECT_EQ(unreadable.exit_code, 2);
    EXPECT_EQ(unreadable.out, "");
    EXPECT_EQ(unreadable.err.rfind("quobrix: cannot read standard input: ", 0), 0u) << unreadable.err;

    StreamSetup full;
    full.stdout_path = "/dev/full";
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"crc", "CRC-16/MODBUS", "--text", "1"}, {"crc", "--list"}}) {
        const ProcessResult r = QuobrixWithStreams(args, full);
        EXPECT_EQ(r.exit_code, 2);
        EXPECT_EQ(r.err.rfind("quobrix: cannot write standard output: ", 0), 0u) << r.err;
    }
}

// A file long enough to fold, over more than one of the blocks the program
// reads, with an odd tail: reflected and not, of widths folded by scaling the
// polynomial, the same lines as the bit-serial models give (the Windows build
// under Wine runs its own fastest path here).
TEST_F(QuobrixCli, CrcOfALongFileOnTheFastestPath) {
    TempFolder folder;
    std::mt19937_64 random(13);
    std::string bytes((std::size_t{300} << 10) + 13, '\0');
    for (char& c : bytes) c = static_cast<char>(random());
    const std::string path = folder.Write("long.bin", bytes);
    char crc8[8], crc16[8];
    std::snprintf(crc8, sizeof crc8, "%02X", static_cast<unsigned>(crc_model::kCrc8Model.Crc(bytes)));
    std::snprintf(crc16, sizeof crc16, "%04X", static_cast<unsigned>(crc_model::kCrc16Model.Crc(bytes)));
    ExpectReport(Quobrix({"crc", "CRC-32/ISO-HDLC", path}),
                 Hex32(crc_model::kCrc32Model.Crc(bytes)) + "  " + path + "\n");
    ExpectReport(Quobrix({"crc", "CRC-16/XMODEM", path}), std::string(crc16) + "  " + path + "\n");
    ExpectReport(Quobrix({"crc", "CRC-8/MAXIM-DOW", path}), std::string(crc8) + "  " + path + "\n");
}

// A file of 1 GiB, sparse, its first and last nine bytes "123456789": read
// in blocks, the program's memory stays far below the file's size.
TEST_F(QuobrixCli, CrcOfAGibibyteInConstantMemory) {
    if (kSanitized || kCommand.size() > 1) {
        GTEST_SKIP() << "the peak memory is the program's own only when it runs alone, unsanitized";
    }
    constexpr off_t kSize = off_t{1} << 30;
    constexpr long kPeakKibAtMost = 32 << 10;
    // zlib.crc32 over the same bytes (Python, a block of zeros at a time).
    const std::string expected = "F8EC4111";
    TempFolder folder;
    const std::string path = folder.Path("gibibyte.bin");
    const int fd = open(path.c_str(), O_CREAT | O_WRONLY | O_TRUNC, 0600);
    ASSERT_GE(fd, 0);
    const bool made = pwrite(fd, "123456789", 9, 0) == 9 && ftruncate(fd, kSize) == 0 &&
                      pwrite(fd, "123456789", 9, kSize - 9) == 9;
    close(fd);
    ASSERT_TRUE(made);
    const ProcessResult r = Quobrix({"crc", "CRC-32/ISO-HDLC", path});
    ExpectReport(r, expected + "  " + path + "\n");
    EXPECT_LT(r.peak_rss_kib, kPeakKibAtMost);
}
