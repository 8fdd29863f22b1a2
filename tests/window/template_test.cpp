// The main dialog as built from its template: the window and its 33 controls,
// compared with the table generated from the resource script; and that table
// against a few figures written out by hand, so that a fault of the generator
// cannot hide behind a window built from the same script.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdio>

#include "tests/window/app_session.h"
#include "tests/window/dialog_units.h"
#include "tests/window/gbk.h"
#include "tests/window/main_dialog_template.h"
#include "tests/window/remote_window.h"

namespace window_test {
namespace {

std::string Hex(DWORD value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08lX", static_cast<unsigned long>(value));
    return text;
}

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
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
Styles AsCreated(const fw::ControlTemplate& control, bool checked) {
    Styles s{control.style, control.ex_style | WS_EX_NOPARENTNOTIFY};
    if (std::string(control.class_name) == "edit" && (s.style & WS_BORDER)) {
        s.style &= ~static_cast<DWORD>(WS_BORDER);
        s.ex_style |= WS_EX_CLIENTEDGE;
    }
    if ((s.style & BS_TYPEMASK) == BS_AUTORADIOBUTTON && checked) s.style |= WS_TABSTOP;
    return s;
}

// One line per control with everything checked, so that a mismatch shows the
// whole expected and actual control side by side. Class names compare
// without case, as the window system looks them up.
std::string Describe(int id, const std::string& class_name, const std::string& caption_gbk,
                     Styles styles, const PixelBox& box) {
    return "id " + std::to_string(id) + ", " + Lower(class_name) + ", " + Show(caption_gbk) +
           ", style " + Hex(styles.style) + ", ex " + Hex(styles.ex_style) + ", " +
           ToString(box);
}

using MainDialogTemplate = AppTest;

TEST_F(MainDialogTemplate, ControlsMatchTheScriptInTemplateOrder) {
    const fw::DialogTemplate* tpl = window_test::MainDialogTemplate();
    ASSERT_NE(tpl, nullptr);
    const std::vector<fw::ControlTemplate> controls = ControlsOf(*tpl);
    const std::vector<HWND> children = ChildrenOf(dialog());
    ASSERT_EQ(children.size(), controls.size());
    DialogUnits units(FontFaceOf(*tpl), static_cast<WORD>(tpl->point_size));
    ASSERT_TRUE(units.ok());
    for (size_t i = 0; i < controls.size(); ++i) {
        const fw::ControlTemplate& want = controls[i];
        const HWND child = children[i];
        const bool checked = want.id == IDC_RADIO_ASCII;  // the initial state
        const RECT r = RectInParent(child);
        const std::string actual =
            Describe(GetDlgCtrlID(child), ClassNameOf(child), CaptionOf(child),
                     {StyleOf(child), ExStyleOf(child)},
                     {r.left, r.top, r.right - r.left, r.bottom - r.top});
        const std::string expected =
            Describe(want.id, want.class_name, want.text, AsCreated(want, checked),
                     units.ToPixels(want.x, want.y, want.cx, want.cy));
        EXPECT_EQ(actual, expected) << "control #" << i + 1;
    }
}

// The dialog manager adds WS_CLIPSIBLINGS and DS_3DLOOK to the style, and
// WS_EX_DLGMODALFRAME (from DS_MODALFRAME), WS_EX_WINDOWEDGE and
// WS_EX_CONTROLPARENT to the extended style; WS_EX_TOPMOST must not be there.
TEST_F(MainDialogTemplate, WindowCaptionStylesAndSize) {
    const fw::DialogTemplate* tpl = window_test::MainDialogTemplate();
    ASSERT_NE(tpl, nullptr);
    EXPECT_EQ(Show(CaptionOf(dialog())), Show(tpl->caption));
    EXPECT_EQ(Hex(StyleOf(dialog())), Hex(tpl->style | WS_CLIPSIBLINGS | DS_3DLOOK));
    EXPECT_EQ(Hex(ExStyleOf(dialog())), Hex(tpl->ex_style | WS_EX_DLGMODALFRAME |
                                             WS_EX_WINDOWEDGE | WS_EX_CONTROLPARENT));
    DialogUnits units(FontFaceOf(*tpl), static_cast<WORD>(tpl->point_size));
    ASSERT_TRUE(units.ok());
    RECT client = {};
    GetClientRect(dialog(), &client);
    const PixelBox want = units.ToPixels(0, 0, tpl->cx, tpl->cy);
    EXPECT_EQ(ToString({0, 0, client.right, client.bottom}), ToString(want));
}

// Figures of the dialog written out by hand, independently of the script.
struct HandControl {
    size_t index;  // in template order
    int id;
    const char* class_name;
    const char* caption;  // UTF-8
    short x, y, width, height;
    DWORD style;
};

std::string Describe(const fw::ControlTemplate& c) {
    return "id " + std::to_string(c.id) + ", " + c.class_name + ", " + Show(c.text) + ", (" +
           std::to_string(c.x) + ", " + std::to_string(c.y) + ", " + std::to_string(c.cx) +
           " x " + std::to_string(c.cy) + "), style " + Hex(c.style) + ", ex " + Hex(c.ex_style);
}

TEST(GeneratedDialogTable, AgreesWithFiguresWrittenByHand) {
    const fw::DialogTemplate* tpl = window_test::MainDialogTemplate();
    ASSERT_NE(tpl, nullptr);
    EXPECT_TRUE(tpl->extended);
    EXPECT_EQ(Show(tpl->caption), Show("QuobrixV1.0  dev@quobrix.example"));
    EXPECT_EQ(Hex(tpl->style), Hex(0x90CA00C0));
    EXPECT_EQ(Hex(tpl->ex_style), Hex(0x00040000));  // WS_EX_APPWINDOW
    EXPECT_EQ(tpl->cx, 434);
    EXPECT_EQ(tpl->cy, 326);
    EXPECT_EQ(FontFaceOf(*tpl), std::wstring(L"\u5B8B\u4F53"));  // 宋体
    EXPECT_EQ(tpl->point_size, 9);
    ASSERT_EQ(tpl->control_count, 33);

    constexpr DWORD kPushButton = 0x50010000;  // WS_CHILD | WS_VISIBLE | WS_TABSTOP
    const HandControl spots[] = {
        {0, IDCANCEL, "button", u8"退出", 377, 7, 50, 14, kPushButton},
        {1, IDC_EDIT_INPUT, "edit", "", 7, 18, 284, 141, 0x50B110C4},
        {2, IDC_EDIT_OUTPUT, "edit", "", 7, 175, 285, 144, 0x50B100C4},
        {8, IDC_BTN_CRC16, "button", u8"计算CRC16", 297, 143, 50, 14, kPushButton},
        {17, IDC_RADIO_ASCII, "button", "Ascii", 301, 42, 36, 10, 0x50000009},
        {26, IDC_BTN_PRINTF, "button", u8"Printf函数", 358, 181, 50, 14, 0x58010000},
        {32, IDC_BTN_CLEAR, "button", u8"清空输入框", 83, 3, 45, 14, kPushButton},
    };
    for (const HandControl& spot : spots) {
        const std::string caption = Gbk(spot.caption);
        const fw::ControlTemplate expected = {spot.id, spot.class_name, caption.c_str(),
                                              spot.style, 0, spot.x, spot.y, spot.width,
                                              spot.height};
        EXPECT_EQ(Describe(tpl->controls[spot.index]), Describe(expected))
            << "control #" << spot.index + 1;
    }

    // Tab visits "退出", the two boxes, the tool buttons and check boxes, and
    // last "清空输入框"; 21 stops in all.
    const std::vector<int> stops = TabStopsOf(*tpl);
    ASSERT_EQ(stops.size(), 21u);
    EXPECT_EQ(std::vector<int>(stops.begin(), stops.begin() + 4),
              (std::vector<int>{IDCANCEL, IDC_EDIT_INPUT, IDC_EDIT_OUTPUT, IDC_BTN_SUM8}));
    EXPECT_EQ(stops.back(), IDC_BTN_CLEAR);
}

}  // namespace
}  // namespace window_test
