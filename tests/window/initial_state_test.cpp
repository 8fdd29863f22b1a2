// The main dialog right after it opened, its radio group and its Tab order.
#include <gtest/gtest.h>


#include "tests/window/app_session.h"
#include "tests/window/gbk.h"
#include "tests/window/main_dialog_template.h"
#include "tests/window/remote_window.h"
#include "tests/window/wait_until.h"

namespace window_test {
namespace {

// The caption of the control with the given id, for readable failures.
std::string NameOf(HWND dialog, HWND control) {
    if (!control) return "(no focus)";
    if (GetParent(control) != dialog) return "(window outside the dialog)";
    const int id = GetDlgCtrlID(control);
    const std::string caption = CaptionOf(control);
    return std::to_string(id) + " " + Show(caption.empty() ? ClassNameOf(control) : caption);
}

using InitialState = AppTest;

TEST_F(InitialState, EditsEmptyAsciiCheckedPlaceholdersDisabledFocusOnExit) {
    EXPECT_EQ(Show(TextOf(Control(IDC_EDIT_INPUT))), Show(""));
    EXPECT_EQ(Show(TextOf(Control(IDC_EDIT_OUTPUT))), Show(""));
    EXPECT_TRUE(IsChecked(Control(IDC_RADIO_ASCII)));
    EXPECT_FALSE(IsChecked(Control(IDC_RADIO_HEX)));
    EXPECT_FALSE(IsChecked(Control(IDC_CHECK_LOWFIRST)));
    EXPECT_FALSE(IsChecked(Control(IDC_CHECK_TOPMOST)));
    const fw::DialogTemplate* tpl = MainDialogTemplate();
    ASSERT_NE(tpl, nullptr);
    for (const fw::ControlTemplate& c : ControlsOf(*tpl)) {
        if (c.id == IDC_STATIC) continue;
        const bool placeholder = c.id >= IDC_BTN_FILE2ARRAY && c.id <= IDC_BTN_RANDOM;
        EXPECT_EQ(IsWindowEnabled(Control(c.id)) != FALSE, !placeholder)
            << "control " << c.id << " " << Show(c.text);
    }
    EXPECT_EQ(NameOf(dialog(), Focus()), NameOf(dialog(), Control(IDCANCEL)));
    EXPECT_EQ(GetForegroundWindow(), dialog());
}

TEST_F(InitialState, RadioButtonsFormOneGroup) {
    struct Click {
        int id;
        bool ascii_after, hex_after;
    };
    const Click clicks[] = {
        {IDC_RADIO_HEX, false, true},
        {IDC_RADIO_ASCII, true, false},
        {IDC_RADIO_ASCII, true, false},  // clicking the checked one keeps it
        {IDC_RADIO_HEX, false, true},
    };
    for (const Click& click : clicks) {
        SendBounded(Control(click.id), BM_CLICK);
        EXPECT_EQ(IsChecked(Control(IDC_RADIO_ASCII)), click.ascii_after) << "after " << click.id;
        EXPECT_EQ(IsChecked(Control(IDC_RADIO_HEX)), click.hex_after) << "after " << click.id;
    }
}

// Tab is posted as a key press to the focused control, so it goes through the
// dialog's message loop like a typed key. Besides the template's tab stops,
// Tab stops at the checked radio button "Ascii" (between "计算MD5" and
// "低字节在前", its place in the template): the window system gives a radio
// button WS_TABSTOP when BM_SETCHECK checks it (seen under Wine 8).
TEST_F(InitialState, TabVisitsTheControlsInTemplateOrder) {
    const fw::DialogTemplate* tpl = MainDialogTemplate();
    ASSERT_NE(tpl, nullptr);
    std::vector<int> stops;
    for (const fw::ControlTemplate& c : ControlsOf(*tpl))
        if (IsTabStop(c) || c.id == IDC_RADIO_ASCII) stops.push_back(c.id);
    std::string expected, actual;
    for (size_t i = 0; i <= stops.size(); ++i)
        expected += NameOf(dialog(), Control(stops[i % stops.size()])) + "\n";
    HWND focus = Focus();
    actual += NameOf(dialog(), focus) + "\n";
    for (size_t i = 0; i < stops.size(); ++i) {
        PostMessageA(focus, WM_KEYDOWN, VK_TAB, 1);
        PostMessageA(focus, WM_KEYUP, VK_TAB, 0xC0000001);
        const HWND before = focus;
        EXPECT_TRUE(WaitUntil([&] { return (focus = Focus()) != before; }))
            << "Tab did not move the focus from " << NameOf(dialog(), before);
        actual += NameOf(dialog(), focus) + "\n";
    }
    EXPECT_EQ(actual, expected);
}

}  // namespace
}  // namespace window_test
