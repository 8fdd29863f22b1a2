// Ending the main dialog: "退出", Esc and the close button fade the window
// out over 1.5 s and then end the program, with one fade even when the close
// goes through both the close handler and the cancel handler; what the user
// does during the fade is dropped; Enter outside the input box ends it
// without a fade, and Enter inside the input box only types a line break.
// How long a close takes is not checked against an upper bound (a loaded
// machine is slow for no fault); the opacities seen tell one fade from two.
#include <gtest/gtest.h>

#include "tests/window/app_session.h"
#include "tests/window/closing_watch.h"
#include "tests/window/gbk.h"
#include "tests/window/remote_window.h"
#include "tests/window/wait_until.h"
#include "res/resource.h"

namespace window_test {
namespace {

// The fade lasts 1500 ms; its end is seen later on a loaded machine, never
// earlier (the margin covers the clock's granularity).
constexpr DWORD kFadeAtLeastMs = 1300;
constexpr DWORD kEndWithinMs = 20000;

void PressKey(HWND target, WPARAM key) {
    PostMessageA(target, WM_KEYDOWN, key, 1);
    PostMessageA(target, WM_KEYUP, key, 0xC0000001);
}

// Moves the focus the way the dialog manager does it for the Tab key.
bool FocusControl(const AppSession& app, HWND control) {
    SendBounded(app.dialog(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(control), TRUE);
    return WaitUntil([&] { return FocusOf(app.thread_id()) == control; });
}

class Closing : public AppTest {
protected:
    // Sends the closing action and watches the dialog go.
    template <typename Action>
    ClosingTrace Watch(Action action) {
        const ULONGLONG start = GetTickCount64();
        action();
        return WatchClosing(dialog(), app_.process(), start, kEndWithinMs);
    }

    void ExpectOneFade(const ClosingTrace& trace) {
        RecordProperty("closing", trace.Describe());
        SCOPED_TRACE(trace.Describe());
        ASSERT_TRUE(trace.exited) << "the program did not end";
        EXPECT_GE(trace.hidden_ms, kFadeAtLeastMs) << "the window went before its fade was over";
        EXPECT_TRUE(trace.FadedOnce()) << "not one steady fade";
        EXPECT_FALSE(trace.box_seen);
    }
};

TEST_F(Closing, ExitButtonFadesOutThenEnds) {
    ExpectOneFade(Watch([&] { PostMessageA(Control(IDCANCEL), BM_CLICK, 0, 0); }));
}

TEST_F(Closing, CloseButtonFadesOutOnce) {
    ExpectOneFade(Watch([&] { PostMessageA(dialog(), WM_SYSCOMMAND, SC_CLOSE, 0); }));
}

// What Alt+F4 and the close button end in.
TEST_F(Closing, CloseMessageFadesOutOnce) {
    ExpectOneFade(Watch([&] { PostMessageA(dialog(), WM_CLOSE, 0, 0); }));
}

TEST_F(Closing, EscFadesOutThenEnds) {
    ASSERT_EQ(Focus(), Control(IDCANCEL));
    ExpectOneFade(Watch([&] { PressKey(Focus(), VK_ESCAPE); }));
}

TEST_F(Closing, EscInTheInputBoxFadesOutOnce) {
    ASSERT_TRUE(FocusControl(app_, Control(IDC_EDIT_INPUT)));
    ExpectOneFade(Watch([&] { PressKey(Control(IDC_EDIT_INPUT), VK_ESCAPE); }));
}

bool IsFading(HWND window) {
    BYTE alpha = 255;
    DWORD flags = 0;
    return IsWindowVisible(window) && (ExStyleOf(window) & WS_EX_LAYERED) &&
           GetLayeredWindowAttributes(window, nullptr, &alpha, &flags) && (flags & LWA_ALPHA) &&
           alpha < 255;
}

// The fade holds the program's message loop, so what is sent meanwhile waits
// behind it, ahead of the cancel command that the close request becomes.
// Each of these would open a box: too long an input for "8位校验和", the
// printf placeholder's announcement, the About box. None may open for a
// window that has faded out; the program ends after the one fade.
TEST_F(Closing, ToolCommandsAndAboutDuringTheFadeAreDropped) {
    SetText(Control(IDC_EDIT_INPUT), std::string(20481, 'a'));
    ExpectOneFade(Watch([&] {
        PostMessageA(dialog(), WM_CLOSE, 0, 0);
        ASSERT_TRUE(WaitUntil([&] { return IsFading(dialog()); })) << "no fade began";
        PostMessageA(Control(IDC_BTN_SUM8), BM_CLICK, 0, 0);
        PostMessageA(dialog(), WM_COMMAND, MAKEWPARAM(IDC_BTN_SUM8, BN_CLICKED),
                     reinterpret_cast<LPARAM>(Control(IDC_BTN_SUM8)));
        PostMessageA(dialog(), WM_COMMAND, MAKEWPARAM(IDC_BTN_PRINTF, BN_CLICKED), 0);
        PostMessageA(dialog(), WM_SYSCOMMAND, IDM_ABOUTBOX, 0);
    }));
}

TEST_F(Closing, EnterInTheInputBoxTypesALineBreakAndKeepsTheDialog) {
    const HWND input = Control(IDC_EDIT_INPUT);
    SetText(input, "ab");
    ASSERT_TRUE(FocusControl(app_, input));
    SendBounded(input, EM_SETSEL, 2, 2);
    PressKey(input, VK_RETURN);
    EXPECT_TRUE(WaitUntil([&] { return TextOf(input) == "ab\r\n"; }))
        << Show(TextOf(input));
    // By the time the second Enter has been typed the first one has been
    // handled to the end: had it ended the dialog, nothing would be typed.
    PressKey(input, VK_RETURN);
    EXPECT_TRUE(WaitUntil([&] { return TextOf(input) == "ab\r\n\r\n"; }))
        << Show(TextOf(input));
    EXPECT_TRUE(IsWindowVisible(dialog()));
    EXPECT_FALSE(app_.HasExited());
}

struct EnterTarget {
    int id;
    const char* what;
};

const EnterTarget kEnterTargets[] = {
    {IDC_EDIT_OUTPUT, "the output box"},
    {IDC_CHECK_LOWFIRST, "a check box"},
    {IDC_CHECK_TOPMOST, "the pin check box"},
    {IDC_RADIO_ASCII, "a radio button"},
};

// Every target needs a program of its own, as Enter ends it.
TEST(EnterKey, OutsideTheInputBoxEndsTheDialogAtOnce) {
    for (const EnterTarget& target : kEnterTargets) {
        SCOPED_TRACE(std::string("Enter on ") + target.what);
        AppSession app;
        std::string error;
        ASSERT_TRUE(app.Start(AppPath(), &error)) << error;
        const HWND control = app.Control(target.id);
        ASSERT_TRUE(FocusControl(app, control));
        const ULONGLONG start = GetTickCount64();
        PressKey(control, VK_RETURN);
        const ClosingTrace trace = WatchClosing(app.dialog(), app.process(), start, kEndWithinMs);
        ::testing::Test::RecordProperty(std::string("closing_") + std::to_string(target.id),
                                        trace.Describe());
        SCOPED_TRACE(trace.Describe());
        ASSERT_TRUE(trace.exited) << "the program did not end";
        EXPECT_TRUE(trace.alphas.empty()) << "the window began to fade";
        EXPECT_FALSE(trace.box_seen);
    }
}

}  // namespace
}  // namespace window_test
