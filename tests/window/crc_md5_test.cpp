// The CRC and MD5 buttons in the real window: input typed into the input box
// by messages, the button clicked, the report read back from the output box.
#include <gtest/gtest.h>

#include <string>

#include "res/resource.h"
#include "tests/window/app_session.h"
#include "tests/window/gbk.h"
#include "tests/window/remote_window.h"
#include "tests/window/wait_until.h"

namespace window_test {
namespace {

class CrcMd5Buttons : public AppTest {
protected:
    // Types `text` key by key (WM_CHAR) into the emptied input box.
    void TypeInput(const std::string& text) {
        const HWND input = Control(IDC_EDIT_INPUT);
        SetText(input, "");
        for (char ch : text) SendBounded(input, WM_CHAR, static_cast<unsigned char>(ch));
        ASSERT_TRUE(WaitUntil([&] { return TextOf(input) == text; })) << TextOf(input);
    }

    // Clicks `button` without waiting for its handler and returns the new
    // text of the output box once it shows one.
    std::string ClickAndReadOutput(int button) {
        PrimeOutput();
        PostMessageA(Control(button), BM_CLICK, 0, 0);
        return NewOutput();
    }
};

TEST_F(CrcMd5Buttons, EachButtonReportsTheCatalogueCheckValue) {
    TypeInput("123456789");
    const struct {
        int button;
        const char* report;  // UTF-8
    } cases[] = {
        {IDC_BTN_CRC8, u8"CRC8计算结果：A1\r\n\r\n湖北TRV41和TRV42协议专用：\r\n"
                       "AA 31 32 33 34 35 36 37 38 39 A1 A9"},
        {IDC_BTN_CRC16, u8"CRC16计算结果：31C3\r\n\r\n湖北TRV41和TRV42协议专用：\r\n"
                        "AA 31 32 33 34 35 36 37 38 39 31 C3 00 00 A9"},
        {IDC_BTN_CRC32, u8"CRC32计算结果：CBF43926\r\n\r\n湖北TRV42协议专用：\r\n"
                        "AA 31 32 33 34 35 36 37 38 39 CB F4 39 26 A9"},
        {IDC_BTN_MD5, u8"MD5计算结果：\r\n\r\n格式1：\r\n"
                      "25 F9 E7 94 32 3B 45 38 85 F5 18 1F 1B 62 4D 0B \r\n\r\n格式2：\r\n"
                      "0x25,0xF9,0xE7,0x94,0x32,0x3B,0x45,0x38,0x85,0xF5,0x18,0x1F,0x1B,0x62,0x4D,0x0B,"
                      "\r\n\r\n格式3：\r\n25F9E794323B453885F5181F1B624D0B"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.button);
        EXPECT_EQ(Show(ClickAndReadOutput(c.button)), Show(Gbk(c.report)));
        EXPECT_EQ(TextOf(Control(IDC_EDIT_INPUT)), "123456789");
    }
}

// A full work buffer gives a frame line of 3 x 20480 + 14 characters; the
// CRC-32 of 20480 letters a was worked out with Python's zlib.crc32. How long
// the click takes is bench/window/click_latency's.
TEST_F(CrcMd5Buttons, FullBufferCrc32ShowsTheWholeFrame) {
    SetText(Control(IDC_EDIT_INPUT), std::string(20480, 'a'));
    std::string frame = "AA ";
    for (int i = 0; i < 20480; ++i) frame += "61 ";
    frame += "6D 69 D9 2A A9";
    const std::string report = Gbk(u8"CRC32计算结果：6D69D92A\r\n\r\n湖北TRV42协议专用：\r\n") + frame;

    const std::string shown = ClickAndReadOutput(IDC_BTN_CRC32);
    EXPECT_EQ(shown.size(), report.size());
    EXPECT_TRUE(shown == report) << Show(shown.substr(0, 120));
    EXPECT_TRUE(OwnedDialogs(dialog()).empty());
}

}  // namespace
}  // namespace window_test
