// Watching the main dialog end, from the moment a closing action was sent:
// when it disappeared, when its window was destroyed, when the process
// ended, the opacities it went through on the way, and whether it opened a
// box meanwhile.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace window_test {

struct ClosingTrace {
    bool hidden = false;      // no longer visible (or gone)
    DWORD hidden_ms = 0;      // after the start
    bool destroyed = false;   // the window no longer exists
    DWORD destroyed_ms = 0;
    bool exited = false;      // the process ended
    DWORD exited_ms = 0;
    std::vector<BYTE> alphas;  // opacities read while it was visible and layered
    bool box_seen = false;     // a dialog it owns (message box, About box) was shown

    // One line for failure messages.
    std::string Describe() const;
    // Whether the opacities make one fade: they went below opaque and never
    // rose (a second fade would start again from opaque).
    bool FadedOnce() const;
};

// Polls `dialog` and `process` until the process ends or `timeout_ms` after
// `start_tick` (a GetTickCount64 value taken just before the action).
ClosingTrace WatchClosing(HWND dialog, HANDLE process, ULONGLONG start_tick,
                          DWORD timeout_ms = 10000);

}  // namespace window_test
