// Each tool's report on a full work buffer, through the main dialog on the
// offscreen backend: the input is typed once, then each iteration is one
// click, from the command to the report in the output box.
#include <benchmark/benchmark.h>

#include <string>

#include "bench_inputs.h"
#include "fw/offscreen.h"
#include "res/resource.h"
#include "ui/tool_dlg.h"

namespace {

enum class Format { Ascii, Hex };

void Report(benchmark::State& state, int button, const std::string& input, Format format) {
    namespace offscreen = fw::offscreen;
    CToolDlg dialog;
    if (!offscreen::CreateDialogWindow(dialog)) {
        state.SkipWithError("the dialog could not be created");
        return;
    }
    offscreen::TakeMessageBoxes();
    offscreen::SetText(dialog, IDC_EDIT_INPUT, input);
    if (format == Format::Hex) offscreen::Click(dialog, IDC_RADIO_HEX);

    for (auto _ : state) offscreen::Click(dialog, button);

    const std::string report = offscreen::GetText(dialog, IDC_EDIT_OUTPUT);
    if (!offscreen::TakeMessageBoxes().empty()) {
        state.SkipWithError("the tool showed a message box instead of its report");
    } else if (report.empty()) {
        state.SkipWithError("the report is empty");
    }
    state.counters["report_bytes"] = static_cast<double>(report.size());
    offscreen::DestroyDialogWindow(dialog);
}

const std::string& Text() { return bench::GbkText(); }
const std::string& HexText() {
    static const std::string text = bench::HexText(bench::Bytes());
    return text;
}
const std::string& Decimal() { return bench::LongDecimal(); }

}  // namespace

#define QUOBRIX_REPORT(name, button, input, format) \
    BENCHMARK_CAPTURE(Report, name, button, input(), format)->Unit(benchmark::kMicrosecond)

QUOBRIX_REPORT(Sum8, IDC_BTN_SUM8, Text, Format::Ascii);
QUOBRIX_REPORT(Sum16, IDC_BTN_SUM16, Text, Format::Ascii);
QUOBRIX_REPORT(Crc8, IDC_BTN_CRC8, Text, Format::Ascii);
QUOBRIX_REPORT(Crc16, IDC_BTN_CRC16, Text, Format::Ascii);
QUOBRIX_REPORT(Crc32, IDC_BTN_CRC32, Text, Format::Ascii);
QUOBRIX_REPORT(Md5, IDC_BTN_MD5, Text, Format::Ascii);
QUOBRIX_REPORT(Ascii2Hex, IDC_BTN_ASCII2HEX, Text, Format::Ascii);
QUOBRIX_REPORT(Hex2Ascii, IDC_BTN_HEX2ASCII, HexText, Format::Hex);
QUOBRIX_REPORT(HexConv, IDC_BTN_HEXCONV, HexText, Format::Hex);
QUOBRIX_REPORT(Hex2Float, IDC_BTN_HEX2FLOAT, HexText, Format::Hex);
QUOBRIX_REPORT(Float2Hex, IDC_BTN_FLOAT2HEX, Decimal, Format::Ascii);
QUOBRIX_REPORT(Upper, IDC_BTN_UPPER, Text, Format::Ascii);
QUOBRIX_REPORT(Lower, IDC_BTN_LOWER, Text, Format::Ascii);
QUOBRIX_REPORT(Reverse, IDC_BTN_REVERSE, Text, Format::Ascii);
QUOBRIX_REPORT(CharCount, IDC_BTN_CHARCOUNT, Text, Format::Ascii);
