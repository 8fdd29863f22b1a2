// The checksum buttons end to end: text typed into the input box, the format
// chosen, the button clicked, the report read back from the output box.
#include <gtest/gtest.h>

#include "tests/window/app_session.h"
#include "tests/window/gbk.h"
#include "tests/window/message_box.h"
#include "tests/window/remote_window.h"
#include "tests/window/wait_until.h"
#include "res/resource.h"

namespace window_test {
namespace {

class ChecksumButtons : public AppTest {
protected:
    // Fills the boxes, chooses the format and clicks `button` without
    // waiting for the handler (it may open a message box).
    void Click(int button, int format, const std::string& input_gbk) {
        SetText(Control(IDC_EDIT_INPUT), input_gbk);
        PrimeOutput();
        SendBounded(Control(format), BM_CLICK);
        PostMessageA(Control(button), BM_CLICK, 0, 0);
    }

    // The message box the program shows, checked for the framework's frame:
    // caption = the program's file name, exclamation icon, one OK button.
    void ExpectMessageBox(const MessageBoxView& box, const char* text_utf8) {
        ASSERT_TRUE(box.window) << "no message box " << Show(Gbk(text_utf8));
        EXPECT_EQ(Show(box.text), Show(Gbk(text_utf8)));
        EXPECT_EQ(Show(box.caption), Show("Quobrix"));
        EXPECT_EQ(box.button_count, 1);
        EXPECT_EQ(box.first_button_id, IDOK);
        EXPECT_TRUE(box.has_icon);
    }
};

struct ChecksumCase {
    int button, format;
    const char* input;   // UTF-8
    const char* report;  // UTF-8
};

// Sums worked out by hand: '1'..'9' are 0x31..0x39, 9 × 0x30 + 45 = 0x1DD;
// "abc" = 0x61 + 0x62 + 0x63 = 0x126; "中" is GBK D6 D0, 0x1A6.
const ChecksumCase kChecksumCases[] = {
    {IDC_BTN_SUM8, IDC_RADIO_ASCII, "123456789", u8"8位校验和：DD\r\n"},
    {IDC_BTN_SUM16, IDC_RADIO_ASCII, "123456789", u8"16位校验和：1DD\r\n"},
    {IDC_BTN_SUM8, IDC_RADIO_ASCII, "abc", u8"8位校验和：26\r\n"},
    {IDC_BTN_SUM16, IDC_RADIO_ASCII, "abc", u8"16位校验和：126\r\n"},
    {IDC_BTN_SUM8, IDC_RADIO_ASCII, u8"中", u8"8位校验和：A6\r\n"},
    {IDC_BTN_SUM16, IDC_RADIO_ASCII, u8"中", u8"16位校验和：1A6\r\n"},
    {IDC_BTN_SUM8, IDC_RADIO_HEX, "FF FF", u8"8位校验和：FE\r\n"},
    {IDC_BTN_SUM16, IDC_RADIO_HEX, "FF FF", u8"16位校验和：1FE\r\n"},
    {IDC_BTN_SUM8, IDC_RADIO_ASCII, "41 42", u8"8位校验和：EB\r\n"},
    {IDC_BTN_SUM8, IDC_RADIO_HEX, "41 42", u8"8位校验和：83\r\n"},
    {IDC_BTN_SUM16, IDC_RADIO_HEX, "", u8"16位校验和：00\r\n"},
};

TEST_F(ChecksumButtons, ReportReplacesTheOutputAndKeepsTheInput) {
    for (const ChecksumCase& c : kChecksumCases) {
        SCOPED_TRACE(std::string("button ") + std::to_string(c.button) + ", format " +
                     std::to_string(c.format) + ", input " + Show(Gbk(c.input)));
        Click(c.button, c.format, Gbk(c.input));
        EXPECT_EQ(Show(NewOutput()), Show(Gbk(c.report)));
        EXPECT_EQ(Show(TextOf(Control(IDC_EDIT_INPUT))), Show(Gbk(c.input)));
    }
}

// The work buffer holds 20480 bytes: one more and the character path fails
// with two message boxes in a row.
TEST_F(ChecksumButtons, TooLongInputGivesTwoMessageBoxes) {
    Click(IDC_BTN_SUM8, IDC_RADIO_ASCII, std::string(20481, 'a'));
    const MessageBoxView first = WaitForMessageBox(dialog());
    ExpectMessageBox(first, u8"输入字符太多……");
    ASSERT_TRUE(CloseMessageBox(first));
    const MessageBoxView second = WaitForMessageBox(dialog(), first.window);
    ExpectMessageBox(second, u8"输入字符串转换为数组出错！");
    ASSERT_TRUE(CloseMessageBox(second));
    EXPECT_EQ(Show(TextOf(Control(IDC_EDIT_OUTPUT))), Show(Gbk(u8"输入字符太多……")));
    EXPECT_EQ(TextOf(Control(IDC_EDIT_INPUT)).size(), 20481u);
}

// 20480 × 0x61 = 0x1E5000, of which 16 bits are kept.
TEST_F(ChecksumButtons, FullWorkBufferIsAccepted) {
    Click(IDC_BTN_SUM16, IDC_RADIO_ASCII, std::string(20480, 'a'));
    EXPECT_EQ(Show(NewOutput()), Show(Gbk(u8"16位校验和：5000\r\n")));
    EXPECT_TRUE(OwnedDialogs(dialog()).empty());
}

}  // namespace
}  // namespace window_test
