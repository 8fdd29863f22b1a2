// Does a process with a window read a file slower than one without? Reads
// a file `--reads` times through the same code as quobrix crc and the
// workbench window (StreamFile, CrcEngine with CRC-32/ISO-HDLC) and prints
// each read's milliseconds. With --window the process first becomes what
// the workbench is: common controls loaded, a visible window, its messages
// pumped. Run the two kinds alternately, each in a fresh session, and
// compare their medians: single reads of a gigabyte under Wine move by
// 15 % between processes, so one pair of runs says nothing.
//
// Usage: read_with_window FILE [--window] [--reads=N]
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "cli/file_stream.h"
#include "workbench/crc/engine.h"
#include "workbench/crc/resolve.h"

namespace {

double NowMs() {
    LARGE_INTEGER frequency, count;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&count);
    return 1e3 * static_cast<double>(count.QuadPart) / static_cast<double>(frequency.QuadPart);
}

void BecomeAWindowProcess() {
    InitCommonControls();
    CreateWindowExW(0, WC_STATICW, L"read_with_window", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 320, 200, nullptr,
                    nullptr, GetModuleHandleW(nullptr), nullptr);
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
}

}  // namespace

int main(int argc, char** argv) {
    const char* file = nullptr;
    bool window = false;
    int reads = 6;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--window") == 0) {
            window = true;
        } else if (std::strncmp(argv[i], "--reads=", 8) == 0) {
            reads = std::atoi(argv[i] + 8);
        } else {
            file = argv[i];
        }
    }
    if (file == nullptr || reads < 1) {
        std::fprintf(stderr, "usage: read_with_window FILE [--window] [--reads=N]\n");
        return 2;
    }
    if (window) BecomeAWindowProcess();
    ResolvedCrc crc32;
    std::string unresolved;
    if (!ResolveCrc("CRC-32/ISO-HDLC", crc32, unresolved)) {
        std::fprintf(stderr, "read_with_window: %s\n", unresolved.c_str());
        return 1;
    }
    const CrcEngine engine(crc32.params);
    for (int read = 0; read < reads; ++read) {
        Uint128 reg = engine.Start();
        std::string error;
        const double start = NowMs();
        if (!StreamFile(file, [&](const char* bytes, std::size_t size) { reg = engine.Update(reg, bytes, size); },
                        error)) {
            std::fprintf(stderr, "read_with_window: %s: %s\n", file, error.c_str());
            return 1;
        }
        const double ms = NowMs() - start;
        std::printf("%s %.1f %08llX\n", window ? "window" : "console", ms,
                    static_cast<unsigned long long>(engine.Finish(reg).low));
    }
    return 0;
}
