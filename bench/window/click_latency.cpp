// Click-to-report latency of the real window: starts Quobrix.exe, fills the
// input box with a full work buffer (20480 letters a, whose hex digits 61 are
// the slowest text for the edit box to lay out; for one case the same bytes
// typed as hex text with "Hex" checked; then English prose, whose hex digits
// mix with the letters A-F as in most data; and for the hex dump, letters z,
// whose 7A is the full-buffer dump the window tests check) and times, for
// each tool, the click
// on its button until the output box shows the new report: BM_CLICK returns
// once the handler has run, and UpdateWindow on the dialog returns once the
// boxes it rewrote have been painted.
//
// Usage: click_latency --app=PATH\Quobrix.exe [--runs=N] [--tool=NAME] [--bytes=N]
//                      [--input=letters|prose|z|both|all]
// Prints one markdown table row per tool (median and range, the goal) on
// stdout, in the columns of scripts/bench's table; each run's split between
// handler and painting goes to stderr.
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "res/resource.h"
#include "tests/window/app_session.h"
#include "tests/window/gbk.h"
#include "tests/window/remote_window.h"

namespace {

using namespace window_test;

constexpr int kBufferBytes = 20480;  // the work buffer, the default input
constexpr double kGoalMs = 50;

// The input bytes: a run of one letter (a, whose hex digits are both 0-9,
// or z), or ordinary prose.
struct Input {
    const char* option;     // its name for --input
    const char* label;      // in the row
    char letter;            // a run of it, or '\0' for prose
    const char* only_tool;  // measured for this tool alone; every tool when null
};
const Input kLettersA = {"letters", "letters a", 'a', nullptr};
const Input kProse = {"prose", "English prose", '\0', nullptr};
const Input kLettersZ = {"z", "letters z", 'z', "Ascii->Hex"};

struct Tool {
    const char* name;
    int button;
    bool hex_input;  // the bytes typed as hex text, "Hex" checked
    size_t report_length;
};

// The reports for `bytes` bytes of input. Each data byte is "XX " in a CRC frame;
// the hex dump gives 3 + 5 bytes per byte and 38 for its two headers.
std::vector<Tool> Tools(int bytes) {
    const size_t data = static_cast<size_t>(bytes);
    const size_t frame_data = 3 * data;
    const size_t dump = 38 + 8 * data;
    // Headlines with the value's digits as zeros: the same length as any value.
    const size_t crc8 = Gbk(u8"CRC8计算结果：00\r\n\r\n湖北TRV41和TRV42协议专用：\r\n").size() +
                        3 + frame_data + 5;  // "AA ", data, "XX A9"
    const size_t crc16 = Gbk(u8"CRC16计算结果：0000\r\n\r\n湖北TRV41和TRV42协议专用：\r\n").size() +
                         3 + frame_data + 14;  // "XX XX 00 00 A9"
    const size_t crc32 = Gbk(u8"CRC32计算结果：00000000\r\n\r\n湖北TRV42协议专用：\r\n").size() +
                         3 + frame_data + 14;  // "XX XX XX XX A9"
    // Three notations of 16 bytes: "XX " each, "0xXX," each, "XX" each.
    const size_t md5 =
        Gbk(u8"MD5计算结果：\r\n\r\n格式1：\r\n\r\n\r\n格式2：\r\n\r\n\r\n格式3：\r\n").size() +
        16 * (3 + 5 + 2);
    return {
        {"Ascii->Hex", IDC_BTN_ASCII2HEX, false, dump},
        {"hex conversion", IDC_BTN_HEXCONV, false, dump},
        {"CRC-8", IDC_BTN_CRC8, false, crc8},
        {"CRC-16", IDC_BTN_CRC16, false, crc16},
        {"CRC-32", IDC_BTN_CRC32, false, crc32},
        {"MD5", IDC_BTN_MD5, false, md5},
        {"MD5", IDC_BTN_MD5, true, md5},
    };
}

double NowMs() {
    LARGE_INTEGER frequency, counter;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&counter);
    return 1000.0 * static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// Paints whatever the program has left unpainted in the dialog and its
// boxes (for another process's window UpdateWindow sends WM_PAINT and waits),
// then a WM_NULL round trip: the program's thread is idle again.
void Settle(HWND dialog) {
    UpdateWindow(dialog);
    SendBounded(dialog, WM_NULL);
}

std::string InputBytes(const Input& input, int bytes) {
    if (input.letter != '\0') return std::string(static_cast<size_t>(bytes), input.letter);
    static const std::string kProse = "The quick brown fox jumps over the lazy dog. ";
    std::string text;
    while (text.size() < static_cast<size_t>(bytes)) text += kProse;
    text.resize(static_cast<size_t>(bytes));
    return text;
}

// The input box as a user would leave it, typed or pasted (one WM_SETTEXT).
bool PrepareInput(const AppSession& app, const Input& input, int bytes, bool hex_input) {
    std::string text = InputBytes(input, bytes);
    if (hex_input) {
        std::string hex;
        char piece[4];
        for (unsigned char byte : text) {
            std::snprintf(piece, sizeof piece, hex.empty() ? "%02X" : " %02X", byte);
            hex += piece;
        }
        text = hex;
    }
    SetText(app.Control(IDC_EDIT_INPUT), text);
    const HWND format = app.Control(hex_input ? IDC_RADIO_HEX : IDC_RADIO_ASCII);
    SendBounded(format, BM_CLICK);
    if (!IsChecked(format)) {
        std::fprintf(stderr, "click_latency: the %s radio button did not take the click\n",
                     hex_input ? "Hex" : "Ascii");
        return false;
    }
    return true;
}

std::string FormatMs(double ms) {
    char text[32];
    std::snprintf(text, sizeof text, ms < 100 ? "%.1f" : "%.0f", ms);
    return text;
}

// Times `runs` clicks of one tool; false when a report has the wrong length.
bool MeasureTool(const AppSession& app, const Tool& tool, int runs, std::vector<double>* totals) {
    const HWND output = app.Control(IDC_EDIT_OUTPUT);
    for (int run = 0; run < runs; ++run) {
        // A short text first, so that a report that never came is noticed.
        SetText(output, "-");
        Settle(app.dialog());

        const double start = NowMs();
        SendBounded(app.Control(tool.button), BM_CLICK);
        const double handled = NowMs();
        Settle(app.dialog());
        const double shown = NowMs();

        const size_t length = TextOf(output).size();
        if (length != tool.report_length) {
            std::fprintf(stderr, "%s: the output box holds %u bytes, the report has %u\n", tool.name,
                         static_cast<unsigned>(length), static_cast<unsigned>(tool.report_length));
            return false;
        }
        std::fprintf(stderr, "%s run %d: handler %.1f ms + painting %.1f ms\n", tool.name, run + 1,
                     handled - start, shown - handled);
        totals->push_back(shown - start);
    }
    return true;
}

void PrintRow(const Tool& tool, const Input& input, int bytes, std::vector<double> totals) {
    std::sort(totals.begin(), totals.end());
    const size_t n = totals.size();
    const double median = n % 2 ? totals[n / 2] : (totals[n / 2 - 1] + totals[n / 2]) / 2;
    // The columns of scripts/bench's table: measure, Quobrix, reference, time
    // ratio, goal; a click has no reference to compare with.
    std::printf("| click-to-report: %s, %d bytes of %s%s | %s ms (%s-%s) | - | - | under %.0f ms: %s |\n",
                tool.name, bytes, input.label,
                tool.hex_input ? " typed as hex" : "", FormatMs(median).c_str(),
                FormatMs(totals.front()).c_str(), FormatMs(totals.back()).c_str(), kGoalMs,
                median < kGoalMs ? "met" : "missed");
    std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
    std::string app_path;
    std::string only_tool;  // all tools when empty
    int runs = 5;
    int bytes = kBufferBytes;
    std::vector<Input> inputs = {kLettersA, kProse, kLettersZ};
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], "--bytes=", 8) == 0) bytes = std::atoi(argv[i] + 8);
        if (std::strncmp(argv[i], "--app=", 6) == 0) app_path = argv[i] + 6;
        if (std::strncmp(argv[i], "--runs=", 7) == 0) runs = std::atoi(argv[i] + 7);
        if (std::strncmp(argv[i], "--tool=", 7) == 0) only_tool = argv[i] + 7;
        if (std::strcmp(argv[i], "--input=letters") == 0) inputs = {kLettersA};
        if (std::strcmp(argv[i], "--input=prose") == 0) inputs = {kProse};
        if (std::strcmp(argv[i], "--input=z") == 0) inputs = {kLettersZ};
        if (std::strcmp(argv[i], "--input=both") == 0) inputs = {kLettersA, kProse};
        if (std::strcmp(argv[i], "--input=all") == 0) inputs = {kLettersA, kProse, kLettersZ};
    }
    if (app_path.empty() || runs < 1 || bytes < 1 || bytes > kBufferBytes) {
        std::fprintf(stderr, "usage: click_latency --app=PATH_OF_Quobrix.exe [--runs=N] "
                             "[--tool=NAME] [--bytes=1..20480] [--input=letters|prose|z|both|all]\n");
        return 2;
    }

    // Rows end in a bare line feed, as the table they go into does.
    _setmode(_fileno(stdout), _O_BINARY);

    AppSession app;
    std::string error;
    if (!app.Start(app_path, &error)) {
        std::fprintf(stderr, "click_latency: %s\n", error.c_str());
        return 1;
    }
    bool ok = true;
    for (const Input& input : inputs) {
        for (const Tool& tool : Tools(bytes)) {
            if (!only_tool.empty() && only_tool != tool.name) continue;
            if (input.only_tool && std::strcmp(input.only_tool, tool.name) != 0) continue;
            std::vector<double> totals;
            if (!PrepareInput(app, input, bytes, tool.hex_input) ||
                !MeasureTool(app, tool, runs, &totals)) {
                ok = false;
                continue;
            }
            PrintRow(tool, input, bytes, totals);
        }
    }
    if (!app.Close()) {
        std::fprintf(stderr, "click_latency: the program did not end after WM_CLOSE\n");
        ok = false;
    }
    return ok ? 0 : 1;
}
