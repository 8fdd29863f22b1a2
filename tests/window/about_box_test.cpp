// The About box, opened by the system command of the About item.
#include <gtest/gtest.h>

#include <cstdio>

#include "tests/window/app_session.h"
#include "tests/window/gbk.h"
#include "tests/window/message_box.h"
#include "tests/window/remote_window.h"
#include "tests/window/wait_until.h"
#include "res/resource.h"

namespace window_test {
namespace {

const char kAboutCaption[] = u8"关于 QuobrixV1.0  dev@quobrix.example";

struct AboutCommand {
    UINT command;
    const char* why;
};

// The window system keeps the low four bits of a system command for itself,
// so every id of the About item's block of sixteen opens the box.
const AboutCommand kAboutCommands[] = {
    {IDM_ABOUTBOX, "the About item's own id"},
    {IDM_ABOUTBOX | 0x3, "low bits set"},
    {IDM_ABOUTBOX | 0xF, "the last id of the block"},
};

using AboutBox = AppTest;

TEST_F(AboutBox, OpensOnTheSystemCommandAndClosesWithOk) {
    for (const AboutCommand& c : kAboutCommands) {
        char trace[80];
        std::snprintf(trace, sizeof trace, "WM_SYSCOMMAND 0x%04X (%s)", c.command, c.why);
        SCOPED_TRACE(trace);
        // Posted: the handler runs the box's modal loop and returns only when it closes.
        PostMessageA(dialog(), WM_SYSCOMMAND, c.command, 0);
        const MessageBoxView about = WaitForMessageBox(dialog());
        ASSERT_TRUE(about.window) << "no About box";
        EXPECT_EQ(Show(about.caption), Show(Gbk(kAboutCaption)));
        EXPECT_FALSE(IsWindowEnabled(dialog())) << "the About box must be modal";
        const HWND ok = GetDlgItem(about.window, IDOK);
        ASSERT_TRUE(ok) << "the About box has no OK button";
        EXPECT_EQ(Show(CaptionOf(ok)), Show(Gbk(u8"确定")));

        PostMessageA(ok, BM_CLICK, 0, 0);
        ASSERT_TRUE(WaitUntil([&] { return !IsWindow(about.window); })) << "the box stayed";
        EXPECT_TRUE(WaitUntil([&] { return IsWindowEnabled(dialog()) != FALSE; }))
            << "the main dialog stayed disabled";
    }
}

}  // namespace
}  // namespace window_test
