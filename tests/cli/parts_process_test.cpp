// quobrix parts and quobrix filter as a process: the same reports from every
// build (the Windows build's printf too), and the exit status.
#include <gtest/gtest.h>

#include <string>

#include "quobrix_process.h"

// 4.8k between E24's 4.7k and 5.1k: (4700 - 4800) / 4800 = -2.083 %,
// (5100 - 4800) / 4800 = +6.25 %; 3.6k + 1.2k is 4.8k exactly.
TEST_F(QuobrixCli, PartsNearestValues) {
    ExpectReport(Quobrix({"parts", "--series", "E24", "4.8k"}),
                 "below     4.7k         -2.08 %\n"
                 "above     5.1k         +6.25 %\n"
                 "series    3.6k + 1.2k  +0.00 %  = 4.8k\n"
                 "parallel  5.1k || 82k  +0.03 %  = 4.8014k\n");
    // E192's 9.20, where the formula would give 9.19; 6.65k + 2.55k and
    // 10k || 115k (1150 / 125) make it exactly.
    ExpectReport(Quobrix({"parts", "--series", "e192", "9k2"}),
                 "exact     9.2k           +0.00 %\n"
                 "series    6.65k + 2.55k  +0.00 %  = 9.2k\n"
                 "parallel  10k || 115k    +0.00 %  = 9.2k\n");
}

// 13.7k over 5.23k: 12 V * 5.23 / 18.93 = 3.3154 V; Python over every pair
// of E96 in two decades finds none nearer.
TEST_F(QuobrixCli, PartsDividerAndCodes) {
    ExpectReport(Quobrix({"parts", "divider", "12V", "3.3V", "--count", "2"}),
                 "R1     R2     ratio    Vout     error\n"
                 "13.7k  5.23k  0.27628  3.3154V  +0.47 %\n"
                 "30.9k  11.8k  0.27635  3.3162V  +0.49 %\n");
    ExpectReport(Quobrix({"parts", "code", "inductor", "101"}), "100uH  3-digit\n");
    ExpectReport(Quobrix({"parts", "code", "c", "4n7"}), "4.7nF  letters\n");
    ExpectReport(Quobrix({"parts", "code", "r", "68X"}), "49.9ohm  EIA-96\n");
    ExpectReport(Quobrix({"parts", "code", "r", "brown", "black", "black", "red", "brown", "red"}),
                 "10kohm  6 bands  +-1 %  50 ppm/K\n");
    const ProcessResult bad = Quobrix({"parts", "code", "r", "brown", "blak", "red", "gold"});
    EXPECT_EQ(bad.exit_code, 2);
    EXPECT_EQ(bad.out, "");
    EXPECT_EQ(bad.err,
              "quobrix: the second band 'blak' is no colour (black brown red orange yellow green blue violet grey "
              "white gold silver pink none)\n");
}

// 1 / (2 pi 16k 10n) = 994.72 Hz; the Sallen-Key's f0 and Q as its poles give them.
TEST_F(QuobrixCli, FilterPartsAndFrequencies) {
    ExpectReport(Quobrix({"filter", "rc", "--lowpass", "1k", "--count", "2"}),
                 "R    C     fc       error\n"
                 "16k  10n   994.7Hz  -0.53 %\n"
                 "24k  6.8n  975.2Hz  -2.48 %\n");
    ExpectReport(Quobrix({"filter", "rc", "--r", "16k", "--c", "10n"}), "fc 994.7Hz\n");
    ExpectReport(Quobrix({"filter", "lc", "--l", "10u", "--c", "100n"}), "f0 159.2kHz\n");
    ExpectReport(Quobrix({"filter", "sallen-key", "--r1", "10k", "--r2", "10k", "--c1", "22n", "--c2", "11n"}),
                 "f0 1.023kHz  Q 0.7071\n");
    const ProcessResult none = Quobrix({"filter", "rc", "1m"});
    EXPECT_EQ(none.exit_code, 2);
    EXPECT_EQ(none.out, "");
    EXPECT_EQ(none.err,
              "quobrix: no standard parts within their ranges (R 1k to 1M, C 100p to 10u, L 100n to 10m) give 1mHz\n");
}
