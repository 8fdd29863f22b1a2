// The fade-out is our own rather than the system's AnimateWindow: Wine's
// AnimateWindow hides the window at once without any fade, so the program
// would close abruptly there. One implementation on every platform gives the
// same 1.5 s fade everywhere, and it is the one the window tests measure.
// The window is made layered for the fade and its opacity stepped down; the
// window keeps its content, which the system blends.
#include "fw/win32/fade_out.h"

#include "fw/fade_schedule.h"

namespace {

// About one step per display frame at 60 Hz: smooth, yet cheap.
constexpr DWORD kStepMs = 16;
constexpr BYTE kOpaque = 255;

struct LayeredState {
    LONG_PTR ex_style;
    BOOL had_alpha;  // already layered with an opacity of its own
    BYTE alpha;
};

LayeredState MakeLayered(HWND window) {
    LayeredState before = {::GetWindowLongPtrA(window, GWL_EXSTYLE), FALSE, kOpaque};
    if (before.ex_style & WS_EX_LAYERED) {
        DWORD flags = 0;
        before.had_alpha = ::GetLayeredWindowAttributes(window, nullptr, &before.alpha, &flags) &&
                           (flags & LWA_ALPHA);
        if (!before.had_alpha) before.alpha = kOpaque;
        return before;
    }
    ::SetWindowLongPtrA(window, GWL_EXSTYLE, before.ex_style | WS_EX_LAYERED);
    ::SetLayeredWindowAttributes(window, 0, kOpaque, LWA_ALPHA);
    // A window that just became layered is drawn anew into its layer; paint
    // it now, as this thread will not look at its message queue until the
    // fade is over.
    ::RedrawWindow(window, nullptr, nullptr,
                   RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    return before;
}

void RestoreLayered(HWND window, const LayeredState& before) {
    ::SetWindowLongPtrA(window, GWL_EXSTYLE, before.ex_style);
    if (before.had_alpha) ::SetLayeredWindowAttributes(window, 0, before.alpha, LWA_ALPHA);
}

}  // namespace

namespace fw {
namespace win32 {

BOOL FadeOutWindow(HWND window, DWORD duration_ms) {
    if (!::IsWindow(window) || !::IsWindowVisible(window)) return FALSE;
    const LayeredState before = MakeLayered(window);
    const ULONGLONG start = ::GetTickCount64();
    for (;;) {
        const ULONGLONG elapsed = ::GetTickCount64() - start;
        if (elapsed >= duration_ms) break;
        ::SetLayeredWindowAttributes(window, 0, FadeOutAlpha(elapsed, duration_ms, before.alpha),
                                     LWA_ALPHA);
        ::Sleep(kStepMs);
    }
    ::SetLayeredWindowAttributes(window, 0, 0, LWA_ALPHA);
    ::ShowWindow(window, SW_HIDE);
    // Hidden now: back to the window's own style without a visible flash.
    RestoreLayered(window, before);
    return TRUE;
}

}  // namespace win32
}  // namespace fw
