// The workbench window's speed, measured in the real window by messages as
// a user's clicks send them:
// - a 1 GiB file's CRC-32 on the CRC page, from the click on 计算 until the
//   result is shown, beside quobrix-cli.exe crc on the same file;
// - while a file is read, a click on another page's tab, until the tab
//   control and the window have handled it and the page is painted, beside
//   the same clicks with nothing read;
// - 全部模型 of 20 KiB of text, from the click until the list is painted;
// - the window's start, from CreateProcess until it is shown, painted, with
//   the focus in it, beside another build of the window (--before), started
//   in turn with it, to tell whether a change made the start slower;
// - under scripts/with-stream-peer, 串口助手 receiving a 921600-baud stream
//   on COM9: every byte counted, the stream's time beside the line's, and
//   clicks on the tabs while it streams.
//
// Usage: workbench_latency --app=PATH\QuobrixWorkbench.exe --cli=PATH\quobrix-cli.exe [--runs=N]
//                          [--before=PATH\QuobrixWorkbench.exe] [--only=stream]
// Prints markdown rows in the columns of scripts/bench's table on stdout
// (Measure | Quobrix | Reference | Time ratio | Goal); each run goes to stderr.
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "res/workbench_resource.h"
#include "tests/window/app_session.h"
#include "tests/window/gbk.h"
#include "tests/window/remote_window.h"
#include "tests/window/wait_until.h"
#include "tests/window/workbench_pages.h"

namespace {

using namespace window_test;

constexpr LONGLONG kFileBytes = LONGLONG{1} << 30;
constexpr LONGLONG kLongFileBytes = LONGLONG{1} << 36;  // read for far longer than the clicks take
constexpr char kZerosCrc32[] = "5B64C2B0";                // CRC-32 of 2^30 zero bytes (zlib.crc32)
constexpr char kCheckCrc32[] = "CBF43926";                // CRC-32 of "123456789", the catalogue's check
constexpr int kAllModelsBytes = 20480;
constexpr int kCatalogueModels = 113;
constexpr DWORD kFileWaitMs = 600000;  // only keeps a hung program from hanging the run
constexpr int kClicks = 2 * kWorkbenchPages;  // tab clicks during one read: each page twice
constexpr double kRatioGoal = 0.9;
constexpr double kClickGoalMs = 50;
constexpr double kAllModelsGoalMs = 100;

double NowMs() {
    LARGE_INTEGER frequency, counter;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&counter);
    return 1000.0 * static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

std::string Format(const char* format, double value) {
    char text[64];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

std::string Spread(const std::vector<double>& values, const char* format) {
    const auto [low, high] = std::minmax_element(values.begin(), values.end());
    return Format(format, Median(values)) + " (" + Format(format, *low) + "-" + Format(format, *high) + ")";
}

// Paints what is left unpainted in the window and its controls (for another
// process's window the paint messages are sent and waited for), then a
// round trip: the window's thread is idle.
void Settle(HWND window) {
    RedrawWindow(window, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    SendBounded(window, WM_NULL);
}

std::string TempFolder() {
    char folder[MAX_PATH] = {};
    GetTempPathA(sizeof folder, folder);
    return folder;
}

// A sparse file of `size` zero bytes: read at the speed of the CRC, and no
// gigabytes written to the disk.
bool MakeSparseFile(const std::string& path, LONGLONG size) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD unused = 0;
    DeviceIoControl(file, FSCTL_SET_SPARSE, nullptr, 0, nullptr, 0, &unused, nullptr);
    LARGE_INTEGER end;
    end.QuadPart = size;
    const bool made = SetFilePointerEx(file, end, nullptr, FILE_BEGIN) && SetEndOfFile(file);
    CloseHandle(file);
    return made;
}

// The catalogue's check input, "123456789".
bool WriteCheckFile(const std::string& path) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const bool made = WriteFile(file, "123456789", 9, &written, nullptr) && written == 9;
    CloseHandle(file);
    return made;
}

// Runs the command line, its standard output into a pipe; the time from
// start to exit, and what it printed.
bool RunCli(const std::string& command_line, double* ms, std::string* out) {
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    HANDLE read_end = nullptr, write_end = nullptr;
    if (!CreatePipe(&read_end, &write_end, &inherit, 0)) return false;
    SetHandleInformation(read_end, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = write_end;
    startup.hStdError = write_end;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    PROCESS_INFORMATION process = {};
    std::string line = command_line;
    const double start = NowMs();
    const bool started = CreateProcessA(nullptr, &line[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process);
    CloseHandle(write_end);
    out->clear();
    if (started) {
        char block[4096];
        DWORD got = 0;
        while (ReadFile(read_end, block, sizeof block, &got, nullptr) && got > 0) out->append(block, got);
        WaitForSingleObject(process.hProcess, kFileWaitMs);
        *ms = NowMs() - start;
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    CloseHandle(read_end);
    return started;
}

class Workbench {
public:
    bool Start(const std::string& path) {
        std::string error;
        if (app_.Start(path, &error)) return true;
        std::fprintf(stderr, "workbench_latency: %s\n", error.c_str());
        return false;
    }
    bool Close() { return app_.Close(); }
    HWND Control(int id) const { return app_.Control(id); }
    HWND window() const { return app_.dialog(); }
    void Click(int id) { SendBounded(Control(id), BM_CLICK); }

    void ChooseModel(const std::string& name) {
        HWND box = Control(IDC_CRC_MODEL);
        const LRESULT index = SendBounded(box, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                          reinterpret_cast<LPARAM>(name.c_str()));
        SendBounded(box, CB_SETCURSEL, static_cast<WPARAM>(index));
        SendBounded(GetParent(box), WM_COMMAND, MAKEWPARAM(IDC_CRC_MODEL, CBN_SELCHANGE), reinterpret_cast<LPARAM>(box));
    }

    void ClickTab(int page) { ClickWorkbenchTab(Control(IDC_WB_TABS), page); }

    bool PageShown(int page) {
        return SendBounded(Control(IDC_WB_TABS), TCM_GETCURSEL) == page &&
               IsWindowVisible(Control(kWorkbenchPageFirsts[page]));
    }

private:
    AppSession app_;
};

void Row(const std::string& measure, const std::string& ours, const std::string& reference, const std::string& ratio,
         const std::string& goal) {
    std::printf("| %s | %s | %s | %s | %s |\n", measure.c_str(), ours.c_str(), reference.c_str(), ratio.c_str(),
                goal.c_str());
    std::fflush(stdout);
}

// The window's throughput for the file's CRC-32 beside the command line's,
// `runs` each, both without their costs that do not grow with the file. The
// command's rate is taken from one process that reads the file once and
// one that reads it kCliReads times: the difference is reading and hashing
// alone, without the start of a process under Wine, which takes as long as
// a gigabyte's CRC. The window's is taken from a click on the file less a
// click on a file of 9 bytes: without the click's way through Wine's
// messages, the worker's start and the answer's display, some 10 ms of a
// gigabyte's 120. The time from the click to the result is shown beside it.
// Nine reads: a process's start under Wine moves by tens of milliseconds
// from one to the next, and shared among four reads it moved the share by
// several per cent.
constexpr int kCliReads = 9;

bool MeasureFileCrc(Workbench& bench, const std::string& cli, const std::string& file, const std::string& check_file,
                    int runs) {
    std::string command = "\"" + cli + "\" crc CRC-32/ISO-HDLC";
    const std::string once = command + " \"" + file + "\"";
    for (int read = 0; read < kCliReads; ++read) command += " \"" + file + "\"";
    const std::string repeated = command;
    std::vector<double> window_ms, tiny_ms, once_ms, repeated_ms;
    std::string out;
    double ms = 0;
    // Once unmeasured: the file's pages in the cache, the program's in memory.
    if (!RunCli(once, &ms, &out) || out.compare(0, 8, kZerosCrc32) != 0) {
        std::fprintf(stderr, "workbench_latency: %s printed %s\n", once.c_str(), out.c_str());
        return false;
    }
    bench.ChooseModel("CRC-32/ISO-HDLC");
    bench.Click(IDC_CRC_MODE_FILE);
    // The window's CRC of `path`, from the click to the result shown; below
    // zero when it showed another.
    const auto window_crc = [&bench](const std::string& path, const char* expected) {
        SetText(bench.Control(IDC_CRC_FILE), path);
        SetText(bench.Control(IDC_CRC_RESULT), "");
        Settle(bench.window());
        const double start = NowMs();
        bench.Click(IDC_CRC_COMPUTE);
        std::string result;
        // Polled every millisecond: the usual 10 ms would be up to a tenth
        // of a read this short.
        if (!WaitUntil([&] { return !(result = TextOf(bench.Control(IDC_CRC_RESULT))).empty(); }, kFileWaitMs, 1) ||
            result != expected) {
            std::fprintf(stderr, "workbench_latency: the window showed '%s' for %s\n", result.c_str(), path.c_str());
            return -1.0;
        }
        return NowMs() - start;
    };
    for (int run = 0; run < runs; ++run) {
        const double tiny = window_crc(check_file, kCheckCrc32);
        const double large = window_crc(file, kZerosCrc32);
        if (tiny < 0 || large < 0) return false;
        tiny_ms.push_back(tiny);
        window_ms.push_back(large);
        if (!RunCli(once, &ms, &out)) return false;
        once_ms.push_back(ms);
        if (!RunCli(repeated, &ms, &out)) return false;
        repeated_ms.push_back(ms);
        std::fprintf(stderr,
                     "file CRC run %d: window %.0f ms (9 bytes %.1f ms); quobrix-cli reading it once %.0f ms, %d times "
                     "%.0f ms\n",
                     run + 1, window_ms.back(), tiny_ms.back(), once_ms.back(), kCliReads, repeated_ms.back());
    }
    const double mb = static_cast<double>(kFileBytes) / 1e6;
    const double click_rate = mb / (Median(window_ms) / 1000);
    const double window_ms_per_read = Median(window_ms) - Median(tiny_ms);
    const double window_rate = mb / (window_ms_per_read / 1000);
    const double cli_ms_per_read = (Median(repeated_ms) - Median(once_ms)) / (kCliReads - 1);
    const double cli_rate = mb / (cli_ms_per_read / 1000);
    const double share = window_rate / cli_rate;
    Row("Workbench window (Wine): CRC-32 of a 1 GiB file, MB/s: throughput (click to result)",
        Format("%.0f", window_rate) + " (" + Format("%.0f", click_rate) + ")",
        "quobrix-cli crc: " + Format("%.0f", cli_rate) + " (a read's share of one process reading it " +
            std::to_string(kCliReads) + " times)",
        Format("%.2f", window_ms_per_read / cli_ms_per_read),
        "at least 90 % of quobrix crc: " + Format("%.0f %%", 100 * share) + (share >= kRatioGoal ? ", met" : ", missed") +
            " (click to result: " + Format("%.0f %%", 100 * click_rate / cli_rate) + ")");
    return true;
}

// Clicks on each page's tab in turn, each timed until the tab control and
// the window have handled it and the page is painted; empty when a click
// did not show its page. `handled` gets the times until the click was
// handled, before the painting.
std::vector<double> TimeTabClicks(Workbench& bench, const char* when, std::vector<double>* handled) {
    std::vector<double> clicks;
    for (int click = 0; click < kClicks; ++click) {
        const int page = (click + 1) % kWorkbenchPages;
        const double start = NowMs();
        bench.ClickTab(page);
        handled->push_back(NowMs() - start);
        Settle(bench.window());
        clicks.push_back(NowMs() - start);
        if (!bench.PageShown(page)) {
            std::fprintf(stderr, "workbench_latency: the click on tab %d did not show its page\n", page);
            return {};
        }
        std::fprintf(stderr, "click on tab %d %s: handled in %.1f ms, painted by %.1f ms\n", page, when,
                     handled->back(), clicks.back());
    }
    return clicks;
}

// The clicks while a file is read, beside the same clicks with nothing read.
bool MeasureClicksDuringRead(Workbench& bench, const std::string& long_file) {
    std::vector<double> idle_handled, reading_handled;
    const std::vector<double> idle = TimeTabClicks(bench, "with nothing read", &idle_handled);
    if (idle.empty()) return false;
    SetText(bench.Control(IDC_CRC_FILE), long_file);
    bench.Click(IDC_CRC_MODE_FILE);
    bench.Click(IDC_CRC_COMPUTE);
    HWND progress = bench.Control(IDC_CRC_PROGRESS);
    if (!WaitUntil([&] { return SendBounded(progress, PBM_GETPOS) > 0; }, kFileWaitMs)) {
        std::fprintf(stderr, "workbench_latency: the progress bar did not move\n");
        return false;
    }
    const std::vector<double> reading = TimeTabClicks(bench, "during the read", &reading_handled);
    if (reading.empty()) return false;
    if (!IsWindowEnabled(bench.Control(IDC_CRC_CANCEL))) {
        std::fprintf(stderr, "workbench_latency: the read ended before the clicks did\n");
        return false;
    }
    bench.ClickTab(0);
    bench.Click(IDC_CRC_CANCEL);
    if (!WaitUntil([&] { return IsWindowEnabled(bench.Control(IDC_CRC_COMPUTE)); }, kFileWaitMs)) return false;
    const double worst = *std::max_element(reading.begin(), reading.end());
    Row("Workbench window (Wine): a click on another page's tab while a file is read, painted, ms (handled)",
        Spread(reading, "%.1f") + " (" + Spread(reading_handled, "%.1f") + ")",
        "nothing read: " + Spread(idle, "%.1f") + " (" + Spread(idle_handled, "%.1f") + ")",
        Format("%.2f", Median(reading) / Median(idle)),
        "under 50 ms: " + std::string(worst < kClickGoalMs ? "met" : "missed") + " (slowest of " +
            std::to_string(kClicks) + ": " + Format("%.1f", worst) + ")");
    return true;
}

// The bytes received as 串口助手's counters say them: "收 3 帧 / 50 字节 ...".
long long ReceivedBytes(Workbench& bench) {
    const std::string text = TextOf(bench.Control(IDC_SER_COUNTERS));
    const std::string slash = Gbk(u8"帧 / ");
    const size_t at = text.find(slash);
    return at == std::string::npos ? -1 : std::atoll(text.c_str() + at + slash.size());
}

// 串口助手 on COM9 at 921600 baud while the peer of scripts/with-stream-peer
// streams at the line's rate: the tabs clicked while it streams, and at its
// end every byte counted, in about the line's time.
bool MeasureSerialStream(Workbench& bench) {
    const char* port = std::getenv("QUOBRIX_STREAM_COM");
    const char* bytes_text = std::getenv("QUOBRIX_STREAM_BYTES");
    const std::string measure = "Workbench window (Wine): 串口助手 receiving 921600 baud without a pause";
    if (!port || !bytes_text) {
        Row(measure, "-", "-", "-", "not measured: run under scripts/with-stream-peer");
        return true;
    }
    const long long total = std::atoll(bytes_text);
    const double line_seconds = static_cast<double>(total) / (921600 / 10);
    bench.ClickTab(kWorkbenchPages - 2);
    Settle(bench.window());
    bench.Click(IDC_SER_MODE_SERIAL);
    SetText(bench.Control(IDC_SER_PORT), port);
    SetText(bench.Control(IDC_SER_BAUD), "921600");
    bench.Click(IDC_SER_OPEN);
    if (!WaitUntil([&] { return IsWindowEnabled(bench.Control(IDC_SER_CLOSE)) != FALSE; }, kFileWaitMs)) {
        std::fprintf(stderr, "workbench_latency: %s did not open: %s\n", port, TextOf(bench.Control(IDC_SER_STATUS)).c_str());
        return false;
    }
    // The same clicks with the port open and silent, beside which those
    // while it streams are measured.
    std::vector<double> idle_handled;
    const std::vector<double> idle = TimeTabClicks(bench, "with the port silent", &idle_handled);
    if (idle.empty()) return false;
    bench.ClickTab(kWorkbenchPages - 2);
    // Any byte is the peer's word to begin.
    SetText(bench.Control(IDC_SER_SEND_TEXT), "47 4F");
    bench.Click(IDC_SER_SEND);
    if (!WaitUntil([&] { return ReceivedBytes(bench) > 0; }, kFileWaitMs, 1)) {
        std::fprintf(stderr, "workbench_latency: nothing came from the peer\n");
        return false;
    }
    const double start = NowMs();
    std::vector<double> handled;
    const std::vector<double> clicks = TimeTabClicks(bench, "while the port streams", &handled);
    if (clicks.empty()) return false;
    const long long by_clicks_end = ReceivedBytes(bench);
    if (!WaitUntil([&] { return ReceivedBytes(bench) >= total; }, kFileWaitMs, 1)) {
        std::fprintf(stderr, "workbench_latency: %lld of %lld bytes counted\n", ReceivedBytes(bench), total);
        return false;
    }
    const double seconds = (NowMs() - start) / 1000;
    const long long counted = ReceivedBytes(bench);
    bench.ClickTab(kWorkbenchPages - 2);
    bench.Click(IDC_SER_CLOSE);
    WaitUntil([&] { return IsWindowEnabled(bench.Control(IDC_SER_OPEN)) != FALSE; }, kFileWaitMs);
    const double worst = *std::max_element(clicks.begin(), clicks.end());
    std::fprintf(stderr, "stream: %lld bytes counted in %.2f s (the line's %.2f s); %lld by the clicks' end\n", counted,
                 seconds, line_seconds, by_clicks_end);
    Row(measure + ": bytes counted, seconds (the line's), a tab click while it streams, ms",
        std::to_string(counted) + " of " + std::to_string(total) + ", " + Format("%.2f s", seconds) + "; clicks " +
            Spread(clicks, "%.1f"),
        "the line: " + Format("%.2f s", line_seconds) + "; clicks with the port silent " + Spread(idle, "%.1f"),
        Format("%.2f", seconds / line_seconds) + " (clicks: " + Format("%.2f", Median(clicks) / Median(idle)) + ")",
        std::string(counted == total ? "every byte" : "bytes LOST") + ", clicks under 50 ms: " +
            (worst < kClickGoalMs ? "met" : "missed") + " (slowest of " + std::to_string(clicks.size()) + ": " +
            Format("%.1f", worst) + (by_clicks_end < total ? ")" : "; the stream ended before the clicks did)"));
    return counted == total;
}

// 全部模型 of 20 KiB of typed text, lines of prose.
bool MeasureAllModels(Workbench& bench, int runs) {
    const std::string kProse = "The quick brown fox jumps over the lazy dog.\r\n";
    std::string text;
    while (text.size() < static_cast<size_t>(kAllModelsBytes)) text += kProse;
    text.resize(kAllModelsBytes);
    SetText(bench.Control(IDC_CRC_INPUT), text);
    bench.Click(IDC_CRC_MODE_GBK);
    HWND list = bench.Control(IDC_CRC_LIST);
    std::vector<double> times;
    for (int run = 0; run < runs; ++run) {
        SendBounded(list, LVM_DELETEALLITEMS);
        Settle(bench.window());
        const double start = NowMs();
        bench.Click(IDC_CRC_ALL);
        Settle(bench.window());
        times.push_back(NowMs() - start);
        if (RowCount(list) != kCatalogueModels) {
            std::fprintf(stderr, "workbench_latency: 全部模型 listed %d models\n", RowCount(list));
            return false;
        }
        std::fprintf(stderr, "all models run %d: %.1f ms\n", run + 1, times.back());
    }
    Row("Workbench window (Wine): 全部模型, 113 models of 20 KiB of text, click to list, ms", Spread(times, "%.1f"), "-",
        "-", "under 100 ms: " + std::string(Median(times) < kAllModelsGoalMs ? "met" : "missed"));
    return true;
}

// Each window started and closed `runs` times, taking turns with the other
// build when there is one, so that a slower minute of the machine falls on
// both: the time until the window is shown with the focus in it, painted and
// idle.
bool MeasureStart(const std::string& app, const std::string& before, int runs) {
    std::vector<double> ours, theirs;
    const auto time_start = [](const std::string& path, std::vector<double>* times) {
        Workbench window;
        const double start = NowMs();
        if (!window.Start(path)) return false;
        Settle(window.window());
        times->push_back(NowMs() - start);
        if (!window.Close()) {
            std::fprintf(stderr, "workbench_latency: %s did not end after WM_CLOSE\n", path.c_str());
            return false;
        }
        return true;
    };
    // Once each unmeasured: the programs' pages in memory.
    if (!time_start(app, &ours) || (!before.empty() && !time_start(before, &theirs))) return false;
    ours.clear();
    theirs.clear();
    for (int run = 0; run < runs; ++run) {
        if (!time_start(app, &ours)) return false;
        if (!before.empty() && !time_start(before, &theirs)) return false;
        std::fprintf(stderr, "start run %d: %.1f ms%s\n", run + 1, ours.back(),
                     before.empty() ? "" : (", before: " + Format("%.1f ms", theirs.back())).c_str());
    }
    Row("Workbench window (Wine): start, until shown, painted and idle, ms", Spread(ours, "%.1f"),
        before.empty() ? "-" : "the build before: " + Spread(theirs, "%.1f"),
        before.empty() ? "-" : Format("%.2f", Median(ours) / Median(theirs)),
        before.empty() ? "as fast as the build before" : Median(ours) <= Median(theirs) * 1.1 ? "as fast as the build before: met"
                                                                                               : "as fast as the build before: missed");
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    std::string app_path, cli_path, before_path, only;
    int runs = 5;
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], "--app=", 6) == 0) app_path = argv[i] + 6;
        if (std::strncmp(argv[i], "--cli=", 6) == 0) cli_path = argv[i] + 6;
        if (std::strncmp(argv[i], "--runs=", 7) == 0) runs = std::atoi(argv[i] + 7);
        if (std::strncmp(argv[i], "--before=", 9) == 0) before_path = argv[i] + 9;
        if (std::strncmp(argv[i], "--only=", 7) == 0) only = argv[i] + 7;
    }
    if (app_path.empty() || cli_path.empty() || runs < 1) {
        std::fprintf(stderr, "usage: workbench_latency --app=PATH_OF_QuobrixWorkbench.exe --cli=PATH_OF_quobrix-cli.exe "
                             "[--runs=N] [--before=PATH_OF_AN_OLDER_QuobrixWorkbench.exe]\n");
        return 2;
    }
    // Rows end in a bare line feed, as the table they go into does.
    _setmode(_fileno(stdout), _O_BINARY);
    if (only == "stream") {
        Workbench bench;
        if (!bench.Start(app_path)) return 1;
        const bool measured = MeasureSerialStream(bench);
        return bench.Close() && measured ? 0 : 1;
    }

    if (!MeasureStart(app_path, before_path, runs)) return 1;
    const std::string file = TempFolder() + "workbench_latency_1gib.bin";
    const std::string long_file = TempFolder() + "workbench_latency_64gib.bin";
    const std::string check_file = TempFolder() + "workbench_latency_check.bin";
    if (!MakeSparseFile(file, kFileBytes) || !MakeSparseFile(long_file, kLongFileBytes) ||
        !WriteCheckFile(check_file)) {
        std::fprintf(stderr, "workbench_latency: no files in %s\n", TempFolder().c_str());
        return 1;
    }
    Workbench bench;
    bool ok = bench.Start(app_path);
    if (ok) {
        bench.ClickTab(0);  // the page kept from the last session may be another
        ok = MeasureAllModels(bench, runs) && MeasureFileCrc(bench, WindowsPathOf(cli_path), file, check_file, runs) &&
             MeasureClicksDuringRead(bench, long_file) && MeasureSerialStream(bench);
        if (!bench.Close()) {
            std::fprintf(stderr, "workbench_latency: the window did not end after WM_CLOSE\n");
            ok = false;
        }
    }
    DeleteFileA(file.c_str());
    DeleteFileA(long_file.c_str());
    DeleteFileA(check_file.c_str());
    return ok ? 0 : 1;
}
