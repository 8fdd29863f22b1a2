// quobrix find and quobrix frame as processes, on both builds: README's
// examples byte for byte, frames on standard input, and the exit status.
#include <gtest/gtest.h>

#include <string>

#include "quobrix_process.h"

// find's report comes with a note on standard error on how far the frames
// bear its first line out.
void ExpectFound(const ProcessResult& r, const std::string& report, const std::string& evidence) {
    EXPECT_EQ(r.exit_code, 0) << r.err;
    EXPECT_EQ(r.out, report);
    EXPECT_EQ(r.err, "quobrix: the first line holds on " + evidence + "\n");
}

TEST_F(QuobrixCli, FindNamesTheModbusCrc) {
    // 3 frames of 16 bits of check against some 2000 16-bit checks and
    // placements tried: 2000 * 2^-48.
    ExpectFound(Quobrix({"find", "01 03 00 00 00 0A C5 CD", "01 06 00 01 00 03 98 0B", "11 03 00 6B 00 03 76 87"}),
                "CRC-16/MODBUS le head=0 tail=0\n", "3 frames; chance it is luck 9e-12");
    // One a line on standard input, CR LF as Windows writes it.
    ExpectFound(Quobrix({"find"}, "01 03 00 00 00 0A C5 CD\r\n01 06 00 01 00 03 98 0B\r\n"),
                "CRC-16/MODBUS le head=0 tail=0\n", "2 frames; chance it is luck 6e-07");
    const ProcessResult none = Quobrix({"find", "--no-search", "00 19 22 3B 44 5D 66", "77 8E 99 A2 BB C4 DD"});
    EXPECT_EQ(none.exit_code, 1);
    EXPECT_EQ(none.out, "");
    EXPECT_NE(none.err.find("nothing explains these frames"), std::string::npos);
    // Counters carry no evidence for any check: XOR-8 holds on these, as
    // 00^11^22 is 33 and 44^55^66 is 77, and the note says why it is not
    // believed.
    const ProcessResult counters = Quobrix({"find", "--no-search", "00 11 22 33", "44 55 66 77"});
    EXPECT_EQ(counters.exit_code, 1);
    EXPECT_EQ(counters.out, "");
    EXPECT_NE(counters.err.find("these frames each follow a pattern"), std::string::npos) << counters.err;
    const ProcessResult bad = Quobrix({"find", "01 0G"});
    EXPECT_EQ(bad.exit_code, 2);
    EXPECT_EQ(bad.err, "quobrix: frame 1: 'G' at character 5 is no hex digit\n");
}

TEST_F(QuobrixCli, FrameBuildsTheDialogsCrc16Frame) {
    ExpectReport(Quobrix({"frame", "CRC-16/XMODEM", "--order", "be", "--head", "AA", "--tail", "00 00 A9", "31", "32",
                          "33", "34", "35", "36", "37", "38", "39"}),
                 "AA 31 32 33 34 35 36 37 38 39 31 C3 00 00 A9\n");
    ExpectReport(Quobrix({"frame", "CRC-16/MODBUS le head=0 tail=0", "--verify", "01 03 00 00 00 0A C5 CD"}), "ok\n");
    const ProcessResult wrong = Quobrix({"frame", "CRC-16/MODBUS", "--order", "le", "--verify", "01 03 00 00 00 0A C5 CE"});
    EXPECT_EQ(wrong.exit_code, 1);
    EXPECT_EQ(wrong.out, "the frame holds the check C5 CE, its data gives C5 CD\n");
}
