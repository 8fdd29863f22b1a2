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

// Best-N lists run past the ideal partner's two neighbours (the library's
// tests hold every list to the brute force's; these are the lists as
// printed): 5 V to 2.5 V has the 1:1 pair and then mirror pairs that tie,
// the lower ratio first; -16.09 % ranks above -16.77 %; 1.47 MHz has five
// choices within a factor of two, 1.5k over 100p standing for 1k over
// 150p; and ratios and Qs far below 1 keep their digits.
TEST_F(QuobrixCli, BestListsAreTheTrueBest) {
    ExpectReport(Quobrix({"parts", "divider", "5", "2.5"}),
                 "R1     R2     ratio    Vout     error\n"
                 "15.8k  15.8k  0.50000  2.5V     +0.00 %\n"
                 "11.5k  11.3k  0.49561  2.4781V  -0.88 %\n"
                 "11.3k  11.5k  0.50439  2.5219V  +0.88 %\n"
                 "16.5k  16.2k  0.49541  2.4771V  -0.92 %\n"
                 "16.2k  16.5k  0.50459  2.5229V  +0.92 %\n");
    ExpectReport(Quobrix({"parts", "divider", "--series", "E12", "--ratio", "0.01", "--count", "3"}),
                 "R1   R2   ratio      error\n"
                 "33k  330  0.0099010  -0.99 %\n"
                 "39k  330  0.0083905  -16.09 %\n"
                 "56k  470  0.0083230  -16.77 %\n");
    ExpectReport(Quobrix({"filter", "rc", "1.47M"}),
                 "R     C     fc        error\n"
                 "1.1k  100p  1.447MHz  -1.57 %\n"
                 "1k    100p  1.592MHz  +8.27 %\n"
                 "1.2k  100p  1.326MHz  -9.78 %\n"
                 "1.3k  100p  1.224MHz  -16.72 %\n"
                 "1.5k  100p  1.061MHz  -27.82 %\n");
    // sqrt(1k 1M 100p 10u) / (10u (1k + 1M)) = 9.990e-05.
    ExpectReport(Quobrix({"filter", "sallen-key", "--r1", "1k", "--r2", "1M", "--c1", "100p", "--c2", "10u"}),
                 "f0 159.2Hz  Q 9.990e-05\n");
    ExpectReport(Quobrix({"parts", "divider", "--ratio", "1e-6", "--count", "1"}),
                 "R1     R2     ratio       error\n"
                 "31.6k  31.6m  1.0000e-06  +0.00 %\n");
    ExpectReport(Quobrix({"parts", "divider", "--ratio", "0.999999", "--count", "1"}),
                 "R1     R2     ratio          error\n"
                 "31.6m  31.6k  0.99999900000  +0.00 %\n");
}
