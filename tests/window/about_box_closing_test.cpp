// The About box is modal and ends with Esc and with its close button as it
// does with "确定"; the main dialog then takes input again and stays open.
#include <gtest/gtest.h>

#include "tests/window/app_session.h"
#include "tests/window/message_box.h"
#include "tests/window/remote_window.h"
#include "tests/window/wait_until.h"
#include "res/resource.h"

namespace window_test {
namespace {

struct AboutEnding {
    const char* what;
    void (*end)(HWND about, DWORD thread_id);
};

const AboutEnding kAboutEndings[] = {
    {"Esc",
     [](HWND, DWORD thread_id) {
         const HWND focus = FocusOf(thread_id);
         PostMessageA(focus, WM_KEYDOWN, VK_ESCAPE, 1);
         PostMessageA(focus, WM_KEYUP, VK_ESCAPE, 0xC0000001);
     }},
    {"the close button", [](HWND about, DWORD) { PostMessageA(about, WM_SYSCOMMAND, SC_CLOSE, 0); }},
};

using AboutBoxEnding = AppTest;

TEST_F(AboutBoxEnding, EscAndCloseButtonEndItAndTheDialogStays) {
    for (const AboutEnding& ending : kAboutEndings) {
        SCOPED_TRACE(ending.what);
        PostMessageA(dialog(), WM_SYSCOMMAND, IDM_ABOUTBOX, 0);
        const MessageBoxView about = WaitForMessageBox(dialog());
        ASSERT_TRUE(about.window) << "no About box";
        EXPECT_FALSE(IsWindowEnabled(dialog())) << "the About box must be modal";
        ASSERT_TRUE(WaitUntil([&] { return GetParent(FocusOf(app_.thread_id())) == about.window; }))
            << "the focus is not in the About box";

        ending.end(about.window, app_.thread_id());
        ASSERT_TRUE(WaitUntil([&] { return !IsWindow(about.window); })) << "the box stayed";
        EXPECT_TRUE(WaitUntil([&] { return IsWindowEnabled(dialog()) != FALSE; }))
            << "the main dialog stayed disabled";
        EXPECT_TRUE(IsWindowVisible(dialog())) << "the main dialog went with the box";
        EXPECT_FALSE(app_.HasExited());
    }
}

}  // namespace
}  // namespace window_test
