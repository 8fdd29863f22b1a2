// The character statistics report from given counts: the totals as plain
// decimal numbers, then the table in ascending byte order with each byte raw.
#include "core/charcount_report.h"

#include <gtest/gtest.h>

#include <string>

#include "support/gbk.h"

namespace {

std::string Totals(const std::string& total, const std::string& ascii, const std::string& chinese) {
    return Gbk("输入字符串总长度：" + total + "字节\r\n\r\n其中：\r\nAscii字符：" + ascii + "个\r\n汉字：" + chinese +
               "个\r\n\r\n更八卦的统计结果如下：\r\n");
}

std::string Line(char byte, const std::string& count) {
    return Gbk("字符“") + byte + Gbk("”：" + count + "个\r\n");
}

TEST(CharCountReport, TotalsAlone) { EXPECT_EQ(CharCountReport(CharStats{}), Totals("0", "0", "0")); }

// Counts set out of order: the table comes out ascending, without the codes
// that do not occur, control bytes standing raw.
TEST(CharCountReport, TableInByteOrder) {
    CharStats stats;
    stats.total = 2147483647;
    stats.ascii = 25483;
    stats.chinese = 10;
    stats.counts[0x7F] = 1;
    stats.counts['z'] = 1000000;
    stats.counts['\t'] = 2;
    stats.counts['\r'] = 13;
    stats.counts['\n'] = 10;
    stats.counts[0x01] = 1;
    stats.counts['%'] = 5;
    EXPECT_EQ(CharCountReport(stats), Totals("2147483647", "25483", "10") + Line('\x01', "1") + Line('\t', "2") +
                                          Line('\n', "10") + Line('\r', "13") + Line('%', "5") +
                                          Line('z', "1000000") + Line('\x7F', "1"));
}

}  // namespace
