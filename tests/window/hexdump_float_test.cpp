// The hex dump and floating-point buttons in the real dialog: each button
// once, with the byte-order check box where it matters, and the longest hex
// dump the work buffer allows. The number texts must be the Linux build's.
#include <gtest/gtest.h>

#include <string>

#include "tests/window/app_session.h"
#include "tests/window/gbk.h"
#include "tests/window/message_box.h"
#include "tests/window/remote_window.h"
#include "tests/window/wait_until.h"
#include "res/resource.h"

namespace window_test {
namespace {

class HexDumpFloatButtons : public AppTest {
protected:
    // Fills the boxes, sets the format and the byte order, and clicks
    // `button` without waiting for the handler.
    void Click(int button, int format, bool low_first, const std::string& input_gbk) {
        SetText(Control(IDC_EDIT_INPUT), input_gbk);
        PrimeOutput();
        SendBounded(Control(format), BM_CLICK);
        if (IsChecked(Control(IDC_CHECK_LOWFIRST)) != low_first) SendBounded(Control(IDC_CHECK_LOWFIRST), BM_CLICK);
        ASSERT_EQ(IsChecked(Control(IDC_CHECK_LOWFIRST)), low_first);
        PostMessageA(Control(button), BM_CLICK, 0, 0);
    }
};

struct ButtonCase {
    int button, format;
    bool low_first;
    const char* input;   // UTF-8
    const char* report;  // UTF-8
};

// Expected texts: hex digits of the characters' GBK bytes (中 = D6 D0,
// 你好 = C4 E3 BA C3); -3.14159f is C0 49 0F DB; 1e39 is beyond single
// precision (infinity, 7F 80 00 00) and 48 07 82 87 F4 9C 4A 1D in double.
const ButtonCase kCases[] = {
    {IDC_BTN_ASCII2HEX, IDC_RADIO_HEX, false, u8"中a",
     u8"十六进制格式1：\r\nD6 D0 61 \r\n\r\n十六进制格式2：\r\n0xD6,0xD0,0x61,"},
    {IDC_BTN_HEXCONV, IDC_RADIO_HEX, false, "0x41, 0x42", u8"十六进制格式1：\r\n41 42 \r\n\r\n十六进制格式2：\r\n0x41,0x42,"},
    {IDC_BTN_HEXCONV, IDC_RADIO_ASCII, false, "41", u8"十六进制格式1：\r\n34 31 \r\n\r\n十六进制格式2：\r\n0x34,0x31,"},
    {IDC_BTN_HEX2ASCII, IDC_RADIO_ASCII, false, "C4E3BAC3 0D 0A 41 00 42", u8"你好\r\nA"},
    {IDC_BTN_HEX2FLOAT, IDC_RADIO_ASCII, true, "DB0F49C0 0000803F 0000807F 01000000", "-3.141591inf1.4013e-45"},
    {IDC_BTN_HEX2FLOAT, IDC_RADIO_HEX, false, "3F800000", "1"},
    {IDC_BTN_FLOAT2HEX, IDC_RADIO_ASCII, false, "1e39",
     u8"单精度：\r\n输入单精度浮点数：1e+39\r\n转成十六进制： 7F 80 00 00\r\n"
     u8"双精度：\r\n输入双精度浮点数：1e+39\r\n转成十六进制： 48 07 82 87 F4 9C 4A 1D"},
    {IDC_BTN_FLOAT2HEX, IDC_RADIO_HEX, true, "  -3.14159265358979xyz",
     u8"单精度：\r\n输入单精度浮点数：-3.141593\r\n转成十六进制： DB 0F 49 C0\r\n"
     u8"双精度：\r\n输入双精度浮点数：-3.14159265358979\r\n转成十六进制： 11 2D 44 54 FB 21 09 C0"},
};

TEST_F(HexDumpFloatButtons, EachButtonReportsInTheRealWindow) {
    for (const ButtonCase& c : kCases) {
        SCOPED_TRACE(std::string("button ") + std::to_string(c.button) + ", input " + c.input);
        Click(c.button, c.format, c.low_first, Gbk(c.input));
        EXPECT_EQ(Show(NewOutput()), Show(Gbk(c.report)));
        EXPECT_EQ(Show(TextOf(Control(IDC_EDIT_INPUT))), Show(Gbk(c.input)));
    }
    EXPECT_TRUE(OwnedDialogs(dialog()).empty());
}

TEST_F(HexDumpFloatButtons, HexToFloatWantsGroupsOfFourAndKeepsTheOutput) {
    Click(IDC_BTN_HEX2FLOAT, IDC_RADIO_HEX, false, "3F 80 00");
    const MessageBoxView box = WaitForMessageBox(dialog());
    ASSERT_TRUE(box.window);
    EXPECT_EQ(Show(box.text), Show(Gbk(u8"请输入正确的数据！（字节数必须是4的倍数）")));
    EXPECT_EQ(Show(box.caption), Show("Quobrix"));
    EXPECT_TRUE(box.has_icon);
    ASSERT_TRUE(CloseMessageBox(box));
    EXPECT_EQ(TextOf(Control(IDC_EDIT_OUTPUT)), kOldOutput);
}

// 20480 bytes: 38 + 8 * 20480 = 163878 bytes of report, handed to the
// output box whole. How long it takes to show is bench/window/click_latency's
// (letters z).
TEST_F(HexDumpFloatButtons, FullBufferHexDumpReachesTheOutputBoxWhole) {
    constexpr size_t kReportLength = 163878;
    SetText(Control(IDC_EDIT_INPUT), std::string(20480, 'z'));
    PrimeOutput();
    SendBounded(Control(IDC_RADIO_ASCII), BM_CLICK);
    PostMessageA(Control(IDC_BTN_ASCII2HEX), BM_CLICK, 0, 0);
    ASSERT_TRUE(WaitUntil(
        [&] { return static_cast<size_t>(SendBounded(Control(IDC_EDIT_OUTPUT), WM_GETTEXTLENGTH)) == kReportLength; },
        60000));

    const std::string report = TextOf(Control(IDC_EDIT_OUTPUT));
    ASSERT_EQ(report.size(), kReportLength);
    std::string spaced, elements;
    for (int i = 0; i < 20480; ++i) {
        spaced += "7A ";
        elements += "0x7A,";
    }
    EXPECT_TRUE(report == Gbk(u8"十六进制格式1：\r\n") + spaced + Gbk(u8"\r\n\r\n十六进制格式2：\r\n") + elements);
    EXPECT_TRUE(OwnedDialogs(dialog()).empty());
}

}  // namespace
}  // namespace window_test
