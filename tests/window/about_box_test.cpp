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

// The popup menu the program shows, if any: a visible window of the menu
// class in the program's thread (other processes keep hidden ones around).
HWND ShownMenuOf(HWND window) {
    const DWORD thread = GetWindowThreadProcessId(window, nullptr);
    for (HWND menu = FindWindowExA(nullptr, nullptr, "#32768", nullptr); menu;
         menu = FindWindowExA(nullptr, menu, "#32768", nullptr)) {
        if (IsWindowVisible(menu) && GetWindowThreadProcessId(menu, nullptr) == thread) return menu;
    }
    return nullptr;
}

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

// As a user does it with the keyboard: Alt+Space opens the system menu, Up
// wraps round to its last item, the About item, and Enter chooses it.
TEST_F(AboutBox, OpensFromTheSystemMenuWithTheKeyboard) {
    // A pointer resting where the menu opens would select the item under it.
    RECT frame;
    ASSERT_TRUE(GetWindowRect(dialog(), &frame));
    SetCursorPos(frame.right + 200, frame.bottom + 200);
    PostMessageA(dialog(), WM_SYSCOMMAND, SC_KEYMENU, ' ');
    ASSERT_TRUE(WaitUntil([&] { return ShownMenuOf(dialog()) != nullptr; })) << "no system menu";
    PostMessageA(dialog(), WM_KEYDOWN, VK_UP, 0);
    PostMessageA(dialog(), WM_KEYDOWN, VK_RETURN, 0);
    HWND about = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (about = FindWindowA("#32770", Gbk(kAboutCaption).c_str())) != nullptr; }))
        << "no About box";
    // Shown only when its modal loop runs; a click before that is lost.
    ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(about) != FALSE; })) << "the box stayed hidden";
    EXPECT_EQ(GetWindow(about, GW_OWNER), dialog());
    EXPECT_FALSE(IsWindowEnabled(dialog())) << "the About box must be modal";
    PostMessageA(GetDlgItem(about, IDOK), BM_CLICK, 0, 0);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(about); })) << "the box stayed";
}

}  // namespace
}  // namespace window_test
