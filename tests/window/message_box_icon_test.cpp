// Every message box the program shows: its text, the exclamation icon (read
// inside the program by the probe: icon handles are private to a process)
// and a single OK button.
#include <gtest/gtest.h>

#include <string>

#include "tests/window/gbk.h"
#include "tests/window/message_box.h"
#include "tests/window/probed_app_test.h"
#include "tests/window/remote_window.h"
#include "res/resource.h"

namespace window_test {
namespace {

using window_probe::StandardIcon;

const char* NameOf(StandardIcon icon) {
    switch (icon) {
        case StandardIcon::kNone: return "no icon";
        case StandardIcon::kOther: return "an icon that is none of the standard ones";
        case StandardIcon::kHand: return "IDI_HAND";
        case StandardIcon::kQuestion: return "IDI_QUESTION";
        case StandardIcon::kExclamation: return "IDI_EXCLAMATION";
        case StandardIcon::kAsterisk: return "IDI_ASTERISK";
    }
    return "?";
}

struct BoxTrigger {
    int command;             // the button whose BN_CLICKED is sent
    int format;              // radio button clicked first, 0 for none
    const char* input_unit;  // repeated to fill the input box; null leaves it
    int input_repeat;
    const char* texts[2];    // UTF-8, the boxes in the order they come
};

// The work buffer holds 20480 bytes; one more, as characters or as hex,
// fails twice. The placeholder buttons are disabled, so their command is sent
// the way an enabled button would send it.
const BoxTrigger kBoxTriggers[] = {
    {IDC_BTN_SUM8, IDC_RADIO_ASCII, "a", 20481,
     {u8"输入字符太多……", u8"输入字符串转换为数组出错！"}},
    {IDC_BTN_SUM16, IDC_RADIO_HEX, "0 ", 20481,
     {u8"输入字符太多……", u8"输入字符串转换为数组出错！"}},
    {IDC_BTN_FILE2ARRAY, 0, nullptr, 0, {u8"建设中……"}},
    {IDC_BTN_RESISTOR, 0, nullptr, 0, {u8"建设中……"}},
    {IDC_BTN_FILTER, 0, nullptr, 0, {u8"建设中……"}},
    {IDC_BTN_CAPACITOR, 0, nullptr, 0, {u8"建设中……"}},
    {IDC_BTN_INDUCTOR, 0, nullptr, 0, {u8"建设中……"}},
    {IDC_BTN_PRINTF, 0, nullptr, 0, {u8"建设中……"}},
    {IDC_BTN_RANDOM, 0, nullptr, 0, {u8"建设中……"}},
};

using MessageBoxes = ProbedAppTest;

TEST_F(MessageBoxes, ExclamationIconAndOneOkButton) {
    for (const BoxTrigger& t : kBoxTriggers) {
        SCOPED_TRACE("command " + std::to_string(t.command));
        if (t.input_unit) {
            std::string input;
            for (int i = 0; i < t.input_repeat; ++i) input += t.input_unit;
            SetText(Control(IDC_EDIT_INPUT), input);
        }
        if (t.format) SendBounded(Control(t.format), BM_CLICK);
        // Posted: the handler runs each box's modal loop.
        PostMessageA(dialog(), WM_COMMAND, MAKEWPARAM(t.command, BN_CLICKED),
                     reinterpret_cast<LPARAM>(Control(t.command)));
        HWND previous = nullptr;
        for (const char* text : t.texts) {
            if (!text) break;
            const MessageBoxView box = WaitForMessageBox(dialog(), previous);
            ASSERT_TRUE(box.window) << "no message box " << Show(Gbk(text));
            EXPECT_EQ(Show(box.text), Show(Gbk(text)));
            EXPECT_EQ(Show(box.caption), Show("Quobrix"));
            EXPECT_EQ(box.button_count, 1);
            EXPECT_EQ(box.first_button_id, IDOK);

            window_probe::MessageBoxReply look = {};
            std::string error;
            ASSERT_TRUE(probe_.ReadMessageBoxIcon(box.window, &look, &error)) << error;
            ExpectAnsweredInProgram(look.origin);
            EXPECT_EQ(look.icon_statics, 1);
            EXPECT_STREQ(NameOf(look.icon), NameOf(StandardIcon::kExclamation));

            ASSERT_TRUE(CloseMessageBox(box));
            previous = box.window;
        }
    }
}

}  // namespace
}  // namespace window_test
