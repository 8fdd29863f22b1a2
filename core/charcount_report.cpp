#include "core/charcount_report.h"

#include "core/string_format.h"
#include "core/texts.h"

std::string CharCountReport(const CharStats& stats) {
    std::string report = StringFormat(texts::kCharCountTotalFormat, stats.total);
    AppendFormat(report, texts::kCharCountAsciiFormat, stats.ascii);
    AppendFormat(report, texts::kCharCountChineseFormat, stats.chinese);
    report += texts::kCharCountTableHeading;
    for (int code = 0; code < kCountedCodes; ++code) {
        if (stats.counts[code] > 0) AppendFormat(report, texts::kCharCountLineFormat, code, stats.counts[code]);
    }
    return report;
}
