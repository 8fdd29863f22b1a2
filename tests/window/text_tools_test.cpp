// The text buttons end to end: GBK text put into the input box by messages,
// the button clicked, both boxes read back; and clearing after the user
// edited the output box.
#include <gtest/gtest.h>

#include "tests/window/app_session.h"
#include "tests/window/gbk.h"
#include "tests/window/remote_window.h"
#include "tests/window/wait_until.h"
#include "res/resource.h"

namespace window_test {
namespace {

class TextButtons : public AppTest {
protected:
    // Fills both boxes, clicks `button` and returns the output box once the
    // handler has replaced its text.
    std::string Run(int button, const std::string& input_gbk) {
        SetText(Control(IDC_EDIT_INPUT), input_gbk);
        PrimeOutput();
        PostMessageA(Control(button), BM_CLICK, 0, 0);
        const std::string output = NewOutput();
        EXPECT_NE(output, kOldOutput) << "the output box kept its text";
        EXPECT_EQ(Show(TextOf(Control(IDC_EDIT_INPUT))), Show(input_gbk));
        return output;
    }
};

struct TextCase {
    int button;
    const char* input;   // UTF-8
    const char* output;  // UTF-8
};

// Full-width ａ is A3E1, its capital A3C1; Greek α A6C1 and Α A6A1; Cyrillic
// ж A7D8 and Ж A7A8; the small Roman numeral ⅳ A2A4 and Ⅳ A2F4.
const TextCase kTextCases[] = {
    {IDC_BTN_UPPER, u8"abc中文xyz", u8"ABC中文XYZ"},
    {IDC_BTN_LOWER, u8"ABC中文XYZ", u8"abc中文xyz"},
    {IDC_BTN_UPPER, u8"ａｂαжⅳ", u8"ＡＢΑЖⅣ"},
    {IDC_BTN_LOWER, u8"ＡＢΑЖⅣ", u8"ａｂαжⅳ"},
    {IDC_BTN_UPPER, u8"pīnyīn", u8"PīNYīN"},
    {IDC_BTN_REVERSE, u8"ab中", u8"中ba"},
    {IDC_BTN_REVERSE, u8"1，2。丂", u8"丂。2，1"},
    {IDC_BTN_CHARCOUNT, u8"Hello",
     u8"输入字符串总长度：5字节\r\n\r\n其中：\r\nAscii字符：5个\r\n汉字：0个\r\n"
     u8"\r\n更八卦的统计结果如下：\r\n"
     u8"字符“H”：1个\r\n字符“e”：1个\r\n字符“l”：2个\r\n字符“o”：1个\r\n"},
    {IDC_BTN_CHARCOUNT, u8"a中b",
     u8"输入字符串总长度：4字节\r\n\r\n其中：\r\nAscii字符：2个\r\n汉字：1个\r\n"
     u8"\r\n更八卦的统计结果如下：\r\n字符“a”：1个\r\n字符“b”：1个\r\n"},
    // 丂 is 81 40: its second byte counts as an at sign.
    {IDC_BTN_CHARCOUNT, u8"丂",
     u8"输入字符串总长度：2字节\r\n\r\n其中：\r\nAscii字符：1个\r\n汉字：0个\r\n"
     u8"\r\n更八卦的统计结果如下：\r\n字符“@”：1个\r\n"},
    // The line feed and carriage return stand raw between the quotation marks.
    {IDC_BTN_CHARCOUNT, "ab\r\ncd",
     u8"输入字符串总长度：6字节\r\n\r\n其中：\r\nAscii字符：6个\r\n汉字：0个\r\n"
     u8"\r\n更八卦的统计结果如下：\r\n字符“\n”：1个\r\n字符“\r”：1个\r\n"
     u8"字符“a”：1个\r\n字符“b”：1个\r\n字符“c”：1个\r\n字符“d”：1个\r\n"},
    {IDC_BTN_REVERSE, "ab\r\ncd", "dc\n\rba"},
};

TEST_F(TextButtons, ResultReplacesTheOutputAndKeepsTheInput) {
    for (const TextCase& c : kTextCases) {
        SCOPED_TRACE("button " + std::to_string(c.button) + ", input " + Show(Gbk(c.input)));
        EXPECT_EQ(Show(Run(c.button, Gbk(c.input))), Show(Gbk(c.output)));
    }
    EXPECT_TRUE(OwnedDialogs(dialog()).empty());
}

// The format option does not matter to the text tools.
TEST_F(TextButtons, HexFormatChangesNothing) {
    SendBounded(Control(IDC_RADIO_HEX), BM_CLICK);
    ASSERT_TRUE(IsChecked(Control(IDC_RADIO_HEX)));
    EXPECT_EQ(Show(Run(IDC_BTN_UPPER, "ff 0x1a")), Show("FF 0X1A"));
    EXPECT_EQ(Show(Run(IDC_BTN_REVERSE, "41 42")), Show("24 14"));
}

TEST_F(TextButtons, ClearShowsTheLastResultAgainAndEmptiesTheInput) {
    const std::string result = Run(IDC_BTN_UPPER, Gbk(u8"clear me 中"));
    ASSERT_EQ(Show(result), Show(Gbk(u8"CLEAR ME 中")));

    const std::string edited = Gbk(u8"the user edited the result 改");
    SetText(Control(IDC_EDIT_INPUT), "new input");
    SetText(Control(IDC_EDIT_OUTPUT), edited);
    PostMessageA(Control(IDC_BTN_CLEAR), BM_CLICK, 0, 0);
    // Both boxes are written by one handler, the input box first.
    ASSERT_TRUE(WaitUntil([&] { return TextOf(Control(IDC_EDIT_OUTPUT)) != edited; }));
    EXPECT_EQ(Show(TextOf(Control(IDC_EDIT_OUTPUT))), Show(result));
    EXPECT_EQ(Show(TextOf(Control(IDC_EDIT_INPUT))), Show(""));
}

TEST_F(TextButtons, ClearBeforeAnyCommandEmptiesBothBoxes) {
    SetText(Control(IDC_EDIT_INPUT), "typed");
    SetText(Control(IDC_EDIT_OUTPUT), "also typed");
    PostMessageA(Control(IDC_BTN_CLEAR), BM_CLICK, 0, 0);
    ASSERT_TRUE(WaitUntil([&] { return TextOf(Control(IDC_EDIT_OUTPUT)).empty(); }));
    EXPECT_EQ(Show(TextOf(Control(IDC_EDIT_INPUT))), Show(""));
}

}  // namespace
}  // namespace window_test
