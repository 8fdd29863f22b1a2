// "钉住窗口" pins the main dialog above every other window and unpinning
// lets others cover it again; the dialog neither moves nor changes size.
#include <gtest/gtest.h>

#include "tests/window/app_session.h"
#include "tests/window/remote_window.h"
#include "tests/window/wait_until.h"
#include "res/resource.h"

namespace window_test {
namespace {

std::string Describe(const RECT& r) {
    return std::to_string(r.left) + "," + std::to_string(r.top) + " " +
           std::to_string(r.right - r.left) + "x" + std::to_string(r.bottom - r.top);
}

RECT ScreenRect(HWND window) {
    RECT rect = {};
    GetWindowRect(window, &rect);
    return rect;
}

bool IsTopmost(HWND window) { return (ExStyleOf(window) & WS_EX_TOPMOST) != 0; }

// Whether `upper` comes before `lower` among the top-level windows, which
// are listed from the top of the z-order down.
bool IsAbove(HWND upper, HWND lower) {
    for (HWND w = GetTopWindow(nullptr); w; w = GetWindow(w, GW_HWNDNEXT)) {
        if (w == upper) return true;
        if (w == lower) return false;
    }
    return false;
}

// Takes in what the window system sends to this thread's own window while
// waiting: activating it sends messages that must be answered.
template <typename Condition>
bool WaitPumping(Condition condition) {
    return WaitUntil([&] {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
        return condition();
    });
}

// A window of the test that another program would be: active, on top of
// the z-order, covering the dialog.
class CoveringWindow {
public:
    explicit CoveringWindow(const RECT& over) {
        window_ = CreateWindowExA(0, "STATIC", "covering", WS_POPUP | WS_VISIBLE | WS_BORDER,
                                  over.left, over.top, over.right - over.left,
                                  over.bottom - over.top, nullptr, nullptr,
                                  GetModuleHandleA(nullptr), nullptr);
    }
    ~CoveringWindow() {
        if (window_) DestroyWindow(window_);
    }
    CoveringWindow(const CoveringWindow&) = delete;
    CoveringWindow& operator=(const CoveringWindow&) = delete;

    HWND window() const { return window_; }
    // Puts it on top of the windows that are not pinned.
    void Raise() { SetWindowPos(window_, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE); }
    // Raises it and makes it the active window, as a click on it would.
    bool Activate() {
        Raise();
        SetForegroundWindow(window_);
        return WaitPumping([&] { return GetForegroundWindow() == window_; });
    }

private:
    HWND window_ = nullptr;
};

using Pinning = AppTest;

TEST_F(Pinning, CheckBoxTogglesTopmostWithoutMovingTheWindow) {
    const HWND pin = Control(IDC_CHECK_TOPMOST);
    const RECT start = ScreenRect(dialog());
    ASSERT_FALSE(IsTopmost(dialog()));

    // BM_CLICK is sent: the click and its command are handled when it returns.
    SendBounded(pin, BM_CLICK);
    EXPECT_TRUE(IsChecked(pin));
    EXPECT_TRUE(IsTopmost(dialog())) << "checked, yet not topmost";
    EXPECT_EQ(Describe(ScreenRect(dialog())), Describe(start));

    SendBounded(pin, BM_CLICK);
    EXPECT_FALSE(IsChecked(pin));
    EXPECT_FALSE(IsTopmost(dialog())) << "unchecked, yet still topmost";
    EXPECT_EQ(Describe(ScreenRect(dialog())), Describe(start));
}

TEST_F(Pinning, PinnedDialogStaysAboveTheActiveWindow) {
    const HWND pin = Control(IDC_CHECK_TOPMOST);
    CoveringWindow other(ScreenRect(dialog()));
    ASSERT_TRUE(other.window());

    SendBounded(pin, BM_CLICK);
    ASSERT_TRUE(other.Activate());
    EXPECT_TRUE(IsAbove(dialog(), other.window())) << "pinned, yet covered";

    SendBounded(pin, BM_CLICK);
    ASSERT_TRUE(other.Activate());
    // Wine may hand the dialog's new z-order to the display after the raise
    // was applied, and leave the dialog on top: raise the window again while
    // waiting. A dialog still pinned would stay above however often.
    EXPECT_TRUE(WaitPumping([&] {
        if (IsAbove(other.window(), dialog())) return true;
        other.Raise();
        return false;
    })) << "unpinned, yet not covered";
}

}  // namespace
}  // namespace window_test
