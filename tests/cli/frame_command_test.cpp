// quobrix frame in-process: the order "-" of a one-byte check, and the hex
// digits frame and num take as their help describes them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "in_process.h"

// "-" is how find writes the order of a one-byte check: such a check takes
// it, in CHECK or as --order; a wider check needs be or le, never a guess.
TEST(FrameCommand, DashIsTheOrderOfOneByteChecksOnly) {
    // XOR-8 of 01 02 is 03, SUM-8 of 01 02 03 is 06.
    const struct {
        std::vector<std::string> args;
        std::string out;
    } built[] = {
        {{"frame", "XOR-8 - head=0 tail=0", "01 02"}, "01 02 03\n"},
        {{"frame", "XOR-8", "--order", "-", "01 02"}, "01 02 03\n"},
        {{"frame", "SUM-8 -", "--order", "-", "01 02 03"}, "01 02 03 06\n"},
        {{"frame", "SUM-8 -", "--verify", "01 02 03 06"}, "ok\n"},
    };
    for (const auto& c : built) {
        const CliOutcome r = RunInProcess(c.args);
        EXPECT_EQ(r.code, 0) << c.args[1] << r.err;
        EXPECT_EQ(r.out, c.out) << c.args[1];
        EXPECT_EQ(r.err, "") << c.args[1];
    }
    const struct {
        std::vector<std::string> args;
        std::string err;
    } refused[] = {
        {{"frame", "CRC-16/MODBUS - head=0 tail=0", "01"},
         "quobrix: the order - of CHECK is a one-byte check's; CRC-16/MODBUS takes 2 bytes, so be or le\n"},
        {{"frame", "CRC-16/MODBUS -", "--verify", "01 80 7E"},
         "quobrix: the order - of CHECK is a one-byte check's; CRC-16/MODBUS takes 2 bytes, so be or le\n"},
        // The order CHECK gives does not make up for the wrong one.
        {{"frame", "CRC-16/MODBUS -", "--order", "le", "01"},
         "quobrix: the order - of CHECK is a one-byte check's; CRC-16/MODBUS takes 2 bytes, so be or le\n"},
        {{"frame", "CRC-16/MODBUS", "--order", "-", "01"},
         "quobrix: --order - is a one-byte check's; CRC-16/MODBUS takes 2 bytes, so be or le\n"},
        {{"frame", "ADLER-32 le", "--order", "-", "01"},
         "quobrix: --order - is a one-byte check's; ADLER-32 takes 4 bytes, so be or le\n"},
    };
    for (const auto& c : refused) {
        const CliOutcome r = RunInProcess(c.args);
        EXPECT_EQ(r.code, 2) << c.args[1];
        EXPECT_EQ(r.out, "") << c.args[1];
        EXPECT_EQ(r.err, c.err) << c.args[1];
    }
}

// frame and num read hex digits strictly, as their help says: digits pair up,
// a lone digit is a byte, 0x is dropped, blanks and punctuation separate, and
// any other character is an error.
TEST(FrameCommand, FrameAndNumTakeHexDigitsAsTheirHelpSays) {
    // SUM-8 of 41 20 00 0A is 6B.
    for (const std::string data : {"41 20 00 0A", "41200 0A", "0x41,0x20;0:A", "41-20.00/0a", "41\t20\n00 0xA"}) {
        const CliOutcome frame = RunInProcess({"frame", "SUM-8", data});
        EXPECT_EQ(frame.code, 0) << data << frame.err;
        EXPECT_EQ(frame.out, "41 20 00 0A 6B\n") << data;
        const CliOutcome num = RunInProcess({"num", "--type", "uint32", "--order", "ABCD", data});
        EXPECT_EQ(num.code, 0) << data << num.err;
        EXPECT_EQ(num.out, "1092616202\n") << data;  // 0x4120000A
    }
    const struct {
        std::string data, err;
    } refused[] = {
        {"41 20 00 0g", "'g' at character 11 is no hex digit"},
        {"41 20 00 中", "'中' at character 10 is no hex digit"},
        {"41_20 x0", "'x' at character 7 is no hex digit"},
        {"- -", "holds no hex digits"},
    };
    for (const auto& c : refused) {
        const CliOutcome frame = RunInProcess({"frame", "SUM-8", c.data});
        EXPECT_EQ(frame.code, 2) << c.data;
        EXPECT_EQ(frame.err, "quobrix: DATA" + std::string(c.err[0] == '\'' ? ": " : " ") + c.err + "\n");
        const CliOutcome num = RunInProcess({"num", c.data});
        EXPECT_EQ(num.code, 2) << c.data;
        EXPECT_EQ(num.err, "quobrix: HEX" + std::string(c.err[0] == '\'' ? ": " : " ") + c.err + "\n");
    }
    // The help of each says so; the dialog's lenient rules stay crc --hex's.
    for (const char* command : {"frame", "num"}) {
        const CliOutcome help = RunInProcess({command, "--help"});
        EXPECT_NE(help.out.find("any other character is an error"), std::string::npos) << command;
        EXPECT_EQ(help.out.find("any other character separates"), std::string::npos) << command;
    }
    EXPECT_EQ(RunInProcess({"crc", "CRC-8/SMBUS", "--hex", "0g7"}).out, RunInProcess({"crc", "CRC-8/SMBUS", "--hex", "07"}).out);
}
