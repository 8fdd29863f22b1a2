// The text buttons of the main dialog, driven like a user on the offscreen
// backend: what each box shows afterwards, and the statistics report.
#include <string>

#include "ui/dialog_fixture.h"

namespace {

using Strings = std::vector<std::string>;

std::string Raw(std::initializer_list<unsigned> bytes) {
    std::string out;
    for (unsigned byte : bytes) out += static_cast<char>(byte);
    return out;
}

// The report's four fixed pieces, then the table lines.
std::string Report(int total, int ascii, int chinese, const std::string& table_lines) {
    return Gbk("输入字符串总长度：" + std::to_string(total) + "字节\r\n\r\n其中：\r\nAscii字符：" +
               std::to_string(ascii) + "个\r\n汉字：" + std::to_string(chinese) +
               "个\r\n\r\n更八卦的统计结果如下：\r\n") +
           table_lines;
}

// One table line; the byte stands raw between the quotation marks.
std::string Line(char byte, int count) {
    return Gbk("字符“") + byte + Gbk("”：" + std::to_string(count) + "个\r\n");
}

class TextTools : public DialogTest {
protected:
    // Types the input, scribbles into the output box and clicks `button`.
    std::string Run(int button, const std::string& gbk_input) {
        TypeInput(gbk_input);
        Type(IDC_EDIT_OUTPUT, "scribbles");
        Click(button);
        EXPECT_EQ(Text(IDC_EDIT_INPUT), gbk_input);
        EXPECT_EQ(dlg.m_strInput.Bytes(), gbk_input);
        return Output();
    }
};

TEST_F(TextTools, ConversionsCopyTheInputIntoTheOutputBox) {
    EXPECT_EQ(Run(IDC_BTN_UPPER, Gbk("abc中文xyz")), Gbk("ABC中文XYZ"));
    EXPECT_EQ(Run(IDC_BTN_LOWER, Gbk("ABC中文XYZ")), Gbk("abc中文xyz"));
    EXPECT_EQ(Run(IDC_BTN_UPPER, Gbk("ａｂα")), Gbk("ＡＢΑ"));
    EXPECT_EQ(Run(IDC_BTN_LOWER, Gbk("ＡＢΑ")), Gbk("ａｂα"));
    EXPECT_EQ(Run(IDC_BTN_REVERSE, Gbk("ab中")), Gbk("中ba"));
    EXPECT_EQ(Run(IDC_BTN_REVERSE, "ab\r\ncd"), "dc\n\rba");
    EXPECT_EQ(Run(IDC_BTN_REVERSE, Raw({0x61, 0x62, 0xB0})), Raw({0xB0, 0x62, 0x61}));
    EXPECT_EQ(Run(IDC_BTN_UPPER, Raw({0x61, 0x62, 0xB0})), Raw({0x41, 0x42, 0xB0}));
    EXPECT_EQ(Run(IDC_BTN_UPPER, ""), "");
    EXPECT_EQ(Boxes(), Strings{});
}

// The conversion works on a copy: the input text is shared until then.
TEST_F(TextTools, InputTextIsNotConvertedWithItsCopy) {
    TypeInput("MiXeD");
    for (int button : {IDC_BTN_UPPER, IDC_BTN_LOWER, IDC_BTN_REVERSE}) {
        Click(button);
        EXPECT_EQ(dlg.m_strInput, CString("MiXeD")) << button;
    }
    EXPECT_EQ(Output(), "DeXiM");
}

TEST_F(TextTools, FormatOptionAndLengthDoNotMatter) {
    std::string long_text(WORK_BUFFER_SIZE + 5000, 'q');
    long_text += Gbk("中z");
    std::string upper(WORK_BUFFER_SIZE + 5000, 'Q');
    upper += Gbk("中Z");
    for (int format : {IDC_RADIO_ASCII, IDC_RADIO_HEX}) {
        Click(format);
        EXPECT_EQ(Run(IDC_BTN_UPPER, long_text), upper);
        EXPECT_EQ(Run(IDC_BTN_REVERSE, Gbk("41 42中")), Gbk("中24 14"));
        EXPECT_EQ(Run(IDC_BTN_CHARCOUNT, long_text).substr(0, Gbk("输入字符串总长度：25483字节").size()),
                  Gbk("输入字符串总长度：25483字节"));
    }
    EXPECT_EQ(Boxes(), Strings{});
}

TEST_F(TextTools, StatisticsReports) {
    EXPECT_EQ(Run(IDC_BTN_CHARCOUNT, ""), Report(0, 0, 0, ""));
    EXPECT_EQ(Run(IDC_BTN_CHARCOUNT, "Hello"),
              Report(5, 5, 0, Line('H', 1) + Line('e', 1) + Line('l', 2) + Line('o', 1)));
    EXPECT_EQ(Run(IDC_BTN_CHARCOUNT, Gbk("a中b")), Report(4, 2, 1, Line('a', 1) + Line('b', 1)));
    EXPECT_EQ(Run(IDC_BTN_CHARCOUNT, "ab\r\ncd"),
              Report(6, 6, 0,
                     Line('\n', 1) + Line('\r', 1) + Line('a', 1) + Line('b', 1) + Line('c', 1) + Line('d', 1)));
    EXPECT_EQ(Run(IDC_BTN_CHARCOUNT, Gbk("丂")), Report(2, 1, 0, Line('@', 1)));
    EXPECT_EQ(Run(IDC_BTN_CHARCOUNT, Raw({0xB0, 0xA1, 0xB0})), Report(3, 0, 1, ""));
    EXPECT_EQ(Boxes(), Strings{});
}

// Every byte below 80, in descending order: the table comes out ascending.
TEST_F(TextTools, StatisticsTableIsInByteOrder) {
    std::string input, once, twice;
    for (int byte = 0x7F; byte >= 1; --byte) input += static_cast<char>(byte);
    for (int byte = 1; byte <= 0x7F; ++byte) {
        once += Line(static_cast<char>(byte), 1);
        twice += Line(static_cast<char>(byte), 2);
    }
    EXPECT_EQ(Run(IDC_BTN_CHARCOUNT, input), Report(127, 127, 0, once));
    EXPECT_EQ(Run(IDC_BTN_CHARCOUNT, input + Gbk("中") + input), Report(256, 254, 1, twice));
}

TEST_F(TextTools, ClearBeforeAnyCommandEmptiesBothBoxes) {
    TypeInput("typed");
    Type(IDC_EDIT_OUTPUT, "also typed");
    Click(IDC_BTN_CLEAR);
    EXPECT_EQ(Text(IDC_EDIT_INPUT), "");
    EXPECT_EQ(Output(), "");
    EXPECT_EQ(Boxes(), Strings{});
}

// The output box gets back what the last command left in it; edits made
// since are dropped, and so is new input.
TEST_F(TextTools, ClearAfterACommandShowsItsOutputAgain) {
    const std::string report = Run(IDC_BTN_CHARCOUNT, "Hello");
    TypeInput("new input");
    Type(IDC_EDIT_OUTPUT, "edited report");
    Click(IDC_BTN_CLEAR);
    EXPECT_EQ(Text(IDC_EDIT_INPUT), "");
    EXPECT_EQ(Output(), report);

    // After a failed byte tool the text to restore is the failure's own.
    TypeInput(std::string(WORK_BUFFER_SIZE + 1, 'a'));
    Click(IDC_BTN_SUM8);
    Boxes();
    Type(IDC_EDIT_OUTPUT, "edited again");
    Click(IDC_BTN_CLEAR);
    EXPECT_EQ(Output(), Gbk("输入字符太多……"));
    EXPECT_EQ(Text(IDC_EDIT_INPUT), "");
    EXPECT_TRUE(dlg.m_strInput.IsEmpty());
}

}  // namespace
