// After a tool the dialog writes its texts back into both boxes. The input
// box's text is then usually the one it holds, and the framework only resets
// the box instead of setting the text anew; it must end as a WM_SETTEXT of
// that text leaves it, which the box itself shows right after one.
#include <gtest/gtest.h>

#include <string>

#include "res/resource.h"
#include "tests/window/app_session.h"
#include "tests/window/remote_window.h"

namespace window_test {
namespace {

class BoxRewrite : public AppTest {
protected:
    // Clicks a tool and checks that the input box holds `text` with the
    // caret at the start, the view where WM_SETTEXT put it (`origin` is
    // where the first character then showed), unmodified and without undo.
    void ExpectToolResetsInput(const std::string& text, LRESULT origin) {
        const HWND input = Control(IDC_EDIT_INPUT);
        ASSERT_TRUE(SendBounded(input, EM_GETSEL) != 0 ||
                    SendBounded(input, EM_POSFROMCHAR, 0) != origin)
            << "nothing to reset";
        SendBounded(Control(IDC_BTN_MD5), BM_CLICK);
        EXPECT_EQ(TextOf(input), text);
        EXPECT_EQ(SendBounded(input, EM_GETSEL), 0) << "caret and selection at the start";
        EXPECT_EQ(SendBounded(input, EM_GETFIRSTVISIBLELINE), 0);
        EXPECT_EQ(SendBounded(input, EM_POSFROMCHAR, 0), origin) << "first column in view";
        EXPECT_EQ(SendBounded(input, EM_GETMODIFY), 0);
        EXPECT_EQ(SendBounded(input, EM_CANUNDO), 0);
    }
};

TEST_F(BoxRewrite, ToolLeavesTheInputBoxAsSettingItsTextDoes) {
    const HWND input = Control(IDC_EDIT_INPUT);
    // Taller and wider than the box, so that the view can move both ways.
    std::string text;
    for (int line = 0; line < 40; ++line) text += "line\r\n";
    text += std::string(400, 'x');
    SetText(input, text);
    const LRESULT origin = SendBounded(input, EM_POSFROMCHAR, 0);

    // Typing at the end takes the caret and the view there, and can be undone.
    SendBounded(input, EM_SETSEL, text.size(), text.size());
    SendBounded(input, WM_CHAR, 'y');
    text += 'y';
    ExpectToolResetsInput(text, origin);

    // The view scrolled away from a caret left at the start, as the scroll
    // bars do; the box marked as modified.
    SendBounded(input, EM_LINESCROLL, 20, 20);
    SendBounded(input, EM_SETMODIFY, TRUE);
    ExpectToolResetsInput(text, origin);
}

}  // namespace
}  // namespace window_test
