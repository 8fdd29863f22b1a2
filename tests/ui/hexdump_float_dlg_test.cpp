// The hex dump and floating-point buttons, driven like a user on the
// offscreen backend; expected reports written out by hand.
#include <string>

#include "ui/dialog_fixture.h"

namespace {

using Strings = std::vector<std::string>;

std::string Dump(const char* spaced, const char* elements) {
    return Gbk("十六进制格式1：\r\n") + spaced + Gbk("\r\n\r\n十六进制格式2：\r\n") + elements;
}

std::string FloatReport(const char* single_text, const char* single_bytes, const char* double_text,
                        const char* double_bytes) {
    return Gbk(std::string("单精度：\r\n输入单精度浮点数：") + single_text + "\r\n转成十六进制：" + single_bytes +
               "\r\n双精度：\r\n输入双精度浮点数：" + double_text + "\r\n转成十六进制：" + double_bytes);
}

class HexDumpButtons : public DialogTest {
protected:
    std::string Run(int button, int format, const std::string& gbk_input) {
        Click(format);
        TypeInput(gbk_input);
        Type(IDC_EDIT_OUTPUT, "old");
        Click(button);
        EXPECT_EQ(Text(IDC_EDIT_INPUT), gbk_input);
        return Output();
    }
};

TEST_F(HexDumpButtons, AsciiToHexDumpsTheCharactersWhateverTheFormat) {
    const std::string ab = Dump("41 42 ", "0x41,0x42,");
    EXPECT_EQ(Run(IDC_BTN_ASCII2HEX, IDC_RADIO_ASCII, ""), Dump("", ""));
    EXPECT_EQ(Run(IDC_BTN_ASCII2HEX, IDC_RADIO_ASCII, "AB"), ab);
    EXPECT_EQ(Run(IDC_BTN_ASCII2HEX, IDC_RADIO_ASCII, Gbk("中a")), Dump("D6 D0 61 ", "0xD6,0xD0,0x61,"));
    EXPECT_EQ(Run(IDC_BTN_ASCII2HEX, IDC_RADIO_ASCII, "A\r\nB"), Dump("41 0D 0A 42 ", "0x41,0x0D,0x0A,0x42,"));
    EXPECT_EQ(Run(IDC_BTN_ASCII2HEX, IDC_RADIO_HEX, "41"), Dump("34 31 ", "0x34,0x31,"));
    EXPECT_EQ(Run(IDC_BTN_ASCII2HEX, IDC_RADIO_ASCII, "\xFF\x80 "), Dump("FF 80 20 ", "0xFF,0x80,0x20,"));
    EXPECT_EQ(Boxes(), Strings{});
}

TEST_F(HexDumpButtons, HexConversionFollowsTheFormat) {
    const std::string ab = Dump("41 42 ", "0x41,0x42,");
    for (const char* text : {"0x41, 0x42", "4142", "41 42", "0X41\r\n0x42,"})
        EXPECT_EQ(Run(IDC_BTN_HEXCONV, IDC_RADIO_HEX, text), ab) << text;
    EXPECT_EQ(Run(IDC_BTN_HEXCONV, IDC_RADIO_HEX, "ABCDE"), Dump("AB CD 0E ", "0xAB,0xCD,0x0E,"));
    EXPECT_EQ(Run(IDC_BTN_HEXCONV, IDC_RADIO_HEX, Gbk("中文")), Dump("", ""));
    EXPECT_EQ(Run(IDC_BTN_HEXCONV, IDC_RADIO_ASCII, "41"), Dump("34 31 ", "0x34,0x31,"));
    EXPECT_EQ(Run(IDC_BTN_HEXCONV, IDC_RADIO_ASCII, ""), Dump("", ""));
}

TEST_F(HexDumpButtons, FullBufferGivesTheWholeReport) {
    const std::string report = Run(IDC_BTN_ASCII2HEX, IDC_RADIO_ASCII, std::string(WORK_BUFFER_SIZE, 'z'));
    ASSERT_EQ(report.size(), 163878u);
    std::string spaced, elements;
    for (int i = 0; i < WORK_BUFFER_SIZE; ++i) {
        spaced += "7A ";
        elements += "0x7A,";
    }
    EXPECT_EQ(report, Dump(spaced.c_str(), elements.c_str()));
    // With "Hex", 40960 digits decode to the same number of bytes.
    EXPECT_EQ(Run(IDC_BTN_HEXCONV, IDC_RADIO_HEX, std::string(2 * WORK_BUFFER_SIZE, 'f')).size(), 163878u);
    EXPECT_EQ(Boxes(), Strings{});
}

TEST_F(HexDumpButtons, TooManyCharactersShowTwoBoxesAndKeepTheirText) {
    for (int button : {IDC_BTN_ASCII2HEX, IDC_BTN_HEXCONV}) {
        EXPECT_EQ(Run(button, IDC_RADIO_ASCII, std::string(WORK_BUFFER_SIZE + 1, 'a')), Gbk("输入字符太多……"));
        EXPECT_EQ(Boxes(), (Strings{Gbk("输入字符太多……"), Gbk("输入字符串转换为数组出错！")}));
    }
}

TEST_F(HexDumpButtons, HexToAsciiShowsTheBytesUpToTheFirstZero) {
    const struct {
        const char* input;
        std::string shown;
    } cases[] = {
        {"48 65 6C 6C 6F", "Hello"},
        {"C4E3BAC3", Gbk("你好")},
        {"41 00 42", "A"},
        {"00 41", ""},
        {"xyz d", "\r"},  // d is a hex digit and a lone digit is a byte
        {"xyz", ""},
        {"", ""},
        {"41 0 42", "A"},
        {"41 0D 0A 42", "A\r\nB"},
        {"80 FF 7F", "\x80\xFF\x7F"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Run(IDC_BTN_HEX2ASCII, IDC_RADIO_HEX, c.input), c.shown) << c.input;
    }
    // The format does not matter.
    EXPECT_EQ(Run(IDC_BTN_HEX2ASCII, IDC_RADIO_ASCII, "41"), "A");
    EXPECT_EQ(Boxes(), Strings{});
}

TEST_F(HexDumpButtons, HexToAsciiOfAFullBufferHasRoomForItsZero) {
    EXPECT_EQ(Run(IDC_BTN_HEX2ASCII, IDC_RADIO_HEX, std::string(2 * WORK_BUFFER_SIZE, '7')),
              std::string(WORK_BUFFER_SIZE, 'w'));
}

class FloatButtons : public HexDumpButtons {
protected:
    std::string Run(int button, bool low_first, const std::string& input, int format = IDC_RADIO_ASCII) {
        if (fw::offscreen::IsChecked(dlg, IDC_CHECK_LOWFIRST) != low_first) Click(IDC_CHECK_LOWFIRST);
        return HexDumpButtons::Run(button, format, input);
    }
};

TEST_F(FloatButtons, HexToFloatInBothByteOrders) {
    const struct {
        bool low_first;
        const char* input;
        const char* shown;
    } cases[] = {
        {false, "3F 80 00 00", "1"},
        {false, "BF800000", "-1"},
        {false, "41 20 00 00", "10"},
        {false, "C0490FDB", "-3.14159"},
        {true, "00 00 80 3F", "1"},
        {true, "DB0F49C0", "-3.14159"},
        {true, "3F 80 00 00", "4.6006e-41"},  // 32831 * 2^-149
        {false, "3F800000 40000000", "12"},
        {false, "00000000 80000000", "0-0"},
        {false, "7F800000FF800000", "inf-inf"},
        {false, "7FC00000 FFC00000 7F800001", "nan-nannan"},
        {false, "00000001", "1.4013e-45"},
        {false, "7F7FFFFF", "3.40282e+38"},
        {false, "38D1B717", "0.0001"},  // the float nearest 1e-4 lies just above it
        {false, "38D1B716", "0.0001"},  // 9.999999e-05 rounds up into the fixed notation
        {false, "38D1B600", "9.9998e-05"},
        {false, "49742400", "1e+06"},
        {false, "4973F5A0", "999258"},
        {false, "0x3F,0x80,0x00,0x00", "1"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Run(IDC_BTN_HEX2FLOAT, c.low_first, c.input, IDC_RADIO_HEX), c.shown) << c.input;
    // "Ascii" does not change how the hex digits are read.
    EXPECT_EQ(Run(IDC_BTN_HEX2FLOAT, false, "3F800000", IDC_RADIO_ASCII), "1");
    EXPECT_EQ(Boxes(), Strings{});
}

TEST_F(FloatButtons, HexToFloatNeedsWholeGroupsOfFour) {
    for (const char* input : {"", "xyz", "3F 80 00", "ABCDE", "3F800000 40"}) {
        EXPECT_EQ(Run(IDC_BTN_HEX2FLOAT, false, input, IDC_RADIO_HEX), "old") << input;
        EXPECT_EQ(Boxes(), Strings{Gbk("请输入正确的数据！（字节数必须是4的倍数）")}) << input;
        EXPECT_EQ(Text(IDC_EDIT_INPUT), input);
    }
}

TEST_F(FloatButtons, FloatToHexReports) {
    const struct {
        const char* input;
        bool low_first;
        std::string report;
    } cases[] = {
        {"1", false, FloatReport("1", " 3F 80 00 00", "1", " 3F F0 00 00 00 00 00 00")},
        {"1", true, FloatReport("1", " 00 00 80 3F", "1", " 00 00 00 00 00 00 F0 3F")},
        {"0.1", false, FloatReport("0.1", " 3D CC CC CD", "0.1", " 3F B9 99 99 99 99 99 9A")},
        {"3.14159265358979", false,
         FloatReport("3.141593", " 40 49 0F DB", "3.14159265358979", " 40 09 21 FB 54 44 2D 11")},
        {"  -2.5xyz", false, FloatReport("-2.5", " C0 20 00 00", "-2.5", " C0 04 00 00 00 00 00 00")},
        {"", false, FloatReport("0", " 00 00 00 00", "0", " 00 00 00 00 00 00 00 00")},
        {"abc", true, FloatReport("0", " 00 00 00 00", "0", " 00 00 00 00 00 00 00 00")},
        {"-0", false, FloatReport("-0", " 80 00 00 00", "-0", " 80 00 00 00 00 00 00 00")},
        {"1e39", false, FloatReport("1e+39", " 7F 80 00 00", "1e+39", " 48 07 82 87 F4 9C 4A 1D")},
        {"1e-50", false, FloatReport("1e-50", " 00 00 00 00", "1e-50", " 35 8D EE 7A 4A D4 B8 1F")},
        {"1e400", false, FloatReport("inf", " 7F 80 00 00", "inf", " 7F F0 00 00 00 00 00 00")},
        {"-1.2345678901234567e-308", false,
         FloatReport("-1.234568e-308", " 80 00 00 00", "-1.23456789012346e-308", " 80 08 E0 A3 A2 BC 30 1F")},
        {"16777217", false, FloatReport("1.677722e+07", " 4B 80 00 00", "16777217", " 41 70 00 00 10 00 00 00")},
        {"0x10", false, FloatReport("0", " 00 00 00 00", "0", " 00 00 00 00 00 00 00 00")},
        {"inf", false, FloatReport("0", " 00 00 00 00", "0", " 00 00 00 00 00 00 00 00")},
    };
    for (const auto& c : cases) EXPECT_EQ(Run(IDC_BTN_FLOAT2HEX, c.low_first, c.input), c.report) << c.input;
    EXPECT_EQ(Boxes(), Strings{});
}

TEST_F(FloatButtons, FloatToHexIgnoresTheFormat) {
    EXPECT_EQ(Run(IDC_BTN_FLOAT2HEX, false, "10", IDC_RADIO_HEX),
              FloatReport("10", " 41 20 00 00", "10", " 40 24 00 00 00 00 00 00"));
}

}  // namespace
