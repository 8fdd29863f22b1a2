// The main dialog as built from its template: the window and its 33 controls.
#include <gtest/gtest.h>

#include <cstdio>

#include "tests/window/app_session.h"
#include "tests/window/dialog_units.h"
#include "tests/window/gbk.h"
#include "tests/window/main_dialog_table.h"
#include "tests/window/remote_window.h"

namespace window_test {
namespace {

std::string Hex(DWORD value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08lX", static_cast<unsigned long>(value));
    return text;
}

// What the window system makes of a control's template styles when it
// creates the control (seen under Wine 8; Windows does the same):
// - the dialog manager gives every control WS_EX_NOPARENTNOTIFY;
// - an edit box trades WS_BORDER for the sunken WS_EX_CLIENTEDGE;
// - a radio button that gets checked also gets WS_TABSTOP (BM_SETCHECK).
struct Styles {
    DWORD style, ex_style;
};
Styles AsCreated(const ExpectedControl& control, bool checked) {
    Styles s{control.style, WS_EX_NOPARENTNOTIFY};
    if (std::string(control.class_name) == "Edit" && (s.style & WS_BORDER)) {
        s.style &= ~static_cast<DWORD>(WS_BORDER);
        s.ex_style |= WS_EX_CLIENTEDGE;
    }
    if ((s.style & BS_TYPEMASK) == BS_AUTORADIOBUTTON && checked) s.style |= WS_TABSTOP;
    return s;
}

// One line per control with everything checked, so that a mismatch shows the
// whole expected and actual control side by side.
std::string Describe(int id, const std::string& class_name, const std::string& caption_gbk,
                     Styles styles, const PixelBox& box) {
    return "id " + std::to_string(id) + ", " + class_name + ", " + Show(caption_gbk) +
           ", style " + Hex(styles.style) + ", ex " + Hex(styles.ex_style) + ", " +
           ToString(box);
}

using MainDialogTemplate = AppTest;

TEST_F(MainDialogTemplate, ControlsMatchTheTableInTemplateOrder) {
    const std::vector<HWND> children = ChildrenOf(dialog());
    const size_t expected_count = sizeof kMainDialogControls / sizeof kMainDialogControls[0];
    ASSERT_EQ(children.size(), expected_count);
    DialogUnits units(kDialogFontFace, kDialogFontPoints);
    ASSERT_TRUE(units.ok());
    for (size_t i = 0; i < expected_count; ++i) {
        const ExpectedControl& want = kMainDialogControls[i];
        const HWND child = children[i];
        const bool checked = want.id == IDC_RADIO_ASCII;  // the initial state
        const RECT r = RectInParent(child);
        const std::string actual =
            Describe(GetDlgCtrlID(child), ClassNameOf(child), CaptionOf(child),
                     {StyleOf(child), ExStyleOf(child)},
                     {r.left, r.top, r.right - r.left, r.bottom - r.top});
        const std::string expected =
            Describe(want.id, want.class_name, Gbk(want.caption), AsCreated(want, checked),
                     units.ToPixels(want.x, want.y, want.width, want.height));
        EXPECT_EQ(actual, expected) << "control #" << i + 1;
    }
}

// The dialog manager adds WS_CLIPSIBLINGS and DS_3DLOOK to the style, and
// WS_EX_DLGMODALFRAME (from DS_MODALFRAME), WS_EX_WINDOWEDGE and
// WS_EX_CONTROLPARENT to the extended style; WS_EX_TOPMOST must not be there.
TEST_F(MainDialogTemplate, WindowCaptionStylesAndSize) {
    EXPECT_EQ(Show(CaptionOf(dialog())), Show(kMainCaption));
    EXPECT_EQ(Hex(StyleOf(dialog())), Hex(kMainStyle | WS_CLIPSIBLINGS | DS_3DLOOK));
    EXPECT_EQ(Hex(ExStyleOf(dialog())), Hex(WS_EX_APPWINDOW | WS_EX_DLGMODALFRAME |
                                             WS_EX_WINDOWEDGE | WS_EX_CONTROLPARENT));
    DialogUnits units(kDialogFontFace, kDialogFontPoints);
    ASSERT_TRUE(units.ok());
    RECT client = {};
    GetClientRect(dialog(), &client);
    const PixelBox want = units.ToPixels(0, 0, kMainWidth, kMainHeight);
    EXPECT_EQ(ToString({0, 0, client.right, client.bottom}), ToString(want));
}

}  // namespace
}  // namespace window_test
