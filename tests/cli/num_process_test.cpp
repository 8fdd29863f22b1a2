// quobrix num as a process: the same table and bytes from every build, and
// the exit status.
#include <gtest/gtest.h>

#include <string>

#include "quobrix_process.h"

TEST_F(QuobrixCli, NumTablesAndBytes) {
    ExpectReport(Quobrix({"num", "41", "20", "00", "00"}),
                 "order  hex            int32      uint32  float32\n"
                 "ABCD   41200000  1092616192  1092616192  10\n"
                 "DCBA   00002041        8257        8257  1.157e-41\n"
                 "BADC   20410000   541130752   541130752  1.6347736e-19\n"
                 "CDAB   00004120       16672       16672  2.3362e-41\n");
    // Python's repr of these doubles: a subnormal, a large negative, 1 + 2^-52.
    ExpectReport(Quobrix({"num", "3F F0 00 00 00 00 00 01"}),
                 "order     hex                              int64                uint64  float64\n"
                 "ABCDEFGH  3FF0000000000001   4607182418800017409   4607182418800017409  1.0000000000000002\n"
                 "HGFEDCBA  010000000000F03F     72057594037989439     72057594037989439  7.291122019655968e-304\n"
                 "BADCFEHG  F03F000000000100  -1135188581074075392  17311555492635476224  -4.812806086132339e+232\n"
                 "GHEFCDAB  0001000000003FF0       281474976727024       281474976727024  1.39067116164787e-309\n");
    ExpectReport(Quobrix({"num", "--type", "float32", "--order", "CDAB", "--from", "10"}), "00 00 41 20\n");
    ExpectReport(Quobrix({"num", "--type", "float32", "--order", "CDAB", "00 00 41 20"}), "10\n");
    ExpectReport(Quobrix({"num", "--type", "float32", "--order", "ABCD", "--from", "-nan"}), "FF C0 00 00\n");
    ExpectReport(Quobrix({"num", "--type", "float32", "--order", "ABCD", "7F C0 00 01"}), "nan\n");
    ExpectReport(Quobrix({"num", "--type", "float32", "--order", "DCBA", "--from",
                          "1.000000059604644775390625000001"}),
                 "01 00 80 3F\n");
}

TEST_F(QuobrixCli, NumErrorsExitWithTwo) {
    const ProcessResult count = Quobrix({"num", "41", "20", "00"});
    EXPECT_EQ(count.exit_code, 2);
    EXPECT_EQ(count.out, "");
    EXPECT_EQ(count.err, "quobrix: HEX gives 3 bytes; the table takes 2, 4 or 8\n");
    const ProcessResult range = Quobrix({"num", "--type", "uint16", "--order", "BA", "--from", "70000"});
    EXPECT_EQ(range.exit_code, 2);
    EXPECT_EQ(range.err, "quobrix: --from '70000' is out of uint16's range, 0 to 65535\n");
    const ProcessResult order = Quobrix({"num", "--type", "int16", "--order", "ABCD", "--from", "1"});
    EXPECT_EQ(order.exit_code, 2);
    EXPECT_NE(order.err.find("int16 takes 2 bytes"), std::string::npos) << order.err;
}
