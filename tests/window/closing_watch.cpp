#include "tests/window/closing_watch.h"

#include <algorithm>

#include "tests/window/remote_window.h"
#include "tests/window/wait_until.h"

namespace window_test {

ClosingTrace WatchClosing(HWND dialog, HANDLE process, ULONGLONG start_tick, DWORD timeout_ms) {
    ClosingTrace trace;
    const auto since_start = [&] { return static_cast<DWORD>(GetTickCount64() - start_tick); };
    for (;;) {
        const bool exists = IsWindow(dialog) != FALSE;
        const bool visible = exists && IsWindowVisible(dialog);
        if (exists && !OwnedDialogs(dialog).empty()) trace.box_seen = true;
        if (visible && (ExStyleOf(dialog) & WS_EX_LAYERED)) {
            BYTE alpha = 0;
            DWORD flags = 0;
            if (GetLayeredWindowAttributes(dialog, nullptr, &alpha, &flags) && (flags & LWA_ALPHA))
                trace.alphas.push_back(alpha);
        }
        if (!visible && !trace.hidden) {
            trace.hidden = true;
            trace.hidden_ms = since_start();
        }
        if (!exists && !trace.destroyed) {
            trace.destroyed = true;
            trace.destroyed_ms = since_start();
        }
        // The wait for the process is also the pace of the polling.
        if (WaitForSingleObject(process, kPollIntervalMs) == WAIT_OBJECT_0) {
            trace.exited = true;
            trace.exited_ms = since_start();
            if (!trace.hidden) trace.hidden_ms = trace.exited_ms;
            if (!trace.destroyed) trace.destroyed_ms = trace.exited_ms;
            trace.hidden = trace.destroyed = true;
            return trace;
        }
        if (since_start() >= timeout_ms) return trace;
    }
}

std::string ClosingTrace::Describe() const {
    const auto at = [](bool happened, DWORD ms) {
        return happened ? std::to_string(ms) + " ms" : std::string("never");
    };
    std::string text = "hidden " + at(hidden, hidden_ms) + ", destroyed " +
                       at(destroyed, destroyed_ms) + ", process ended " + at(exited, exited_ms) +
                       (box_seen ? ", a box was shown" : "") + ", opacities seen:";
    for (BYTE alpha : alphas) text += " " + std::to_string(alpha);
    return text;
}

bool ClosingTrace::FadedOnce() const {
    const bool never_rose = std::is_sorted(alphas.rbegin(), alphas.rend());
    const bool partly_faded = std::any_of(alphas.begin(), alphas.end(),
                                          [](BYTE alpha) { return alpha > 0 && alpha < 255; });
    return never_rose && partly_faded;
}

}  // namespace window_test
