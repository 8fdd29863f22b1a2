// The CRC and MD5 buttons on the offscreen dialog: every report byte for byte.
// The CRC values were worked out with Python's binascii.crc_hqx (XMODEM),
// zlib.crc32 and a bit-serial CRC-8 of polynomial 0x31 reflected; the digests
// with hashlib.
#include <string>

#include "ui/dialog_fixture.h"

namespace {

using Strings = std::vector<std::string>;

const std::string kTrv41And42 = "\r\n湖北TRV41和TRV42协议专用：\r\n";
const std::string kTrv42 = "\r\n湖北TRV42协议专用：\r\n";

std::string Crc8Report(const std::string& crc, const std::string& frame) {
    return Gbk("CRC8计算结果：" + crc + "\r\n" + kTrv41And42) + frame;
}
std::string Crc16Report(const std::string& crc, const std::string& frame) {
    return Gbk("CRC16计算结果：" + crc + "\r\n" + kTrv41And42) + frame;
}
std::string Crc32Report(const std::string& crc, const std::string& frame) {
    return Gbk("CRC32计算结果：" + crc + "\r\n" + kTrv42) + frame;
}

std::string Md5Report(const std::string& hex32) {
    std::string spaced, constants;
    for (std::size_t i = 0; i < hex32.size(); i += 2) {
        spaced += hex32.substr(i, 2) + " ";
        constants += "0x" + hex32.substr(i, 2) + ",";
    }
    return Gbk("MD5计算结果：\r\n\r\n格式1：\r\n" + spaced + "\r\n\r\n格式2：\r\n" + constants +
               "\r\n\r\n格式3：\r\n" + hex32);
}

struct CrcCase {
    const char* utf8_input;
    bool hex;
    const char* data;  // the decoded bytes as the frame lists them
    const char* crc8;
    const char* crc16;
    const char* crc32;
};

const CrcCase kCrcCases[] = {
    {"123456789", false, "31 32 33 34 35 36 37 38 39 ", "A1", "31C3", "CBF43926"},
    {"31 32 33 34 35 36 37 38 39", true, "31 32 33 34 35 36 37 38 39 ", "A1", "31C3", "CBF43926"},
    {"", false, "", "00", "0000", "00000000"},
    {"xyz, 中文 ghi", true, "", "00", "0000", "00000000"},
    {"00", true, "00 ", "00", "0000", "D202EF8D"},
    {"FF FF FF", true, "FF FF FF ", "66", "D26C", "FFFFFF00"},
    {"中", false, "D6 D0 ", "A5", "74FC", "1068A2B2"},
    {"A", false, "41 ", "18", "58E5", "D3D99E8B"},
    {"A\r\nB", false, "41 0D 0A 42 ", "62", "DD34", "6809BB21"},
    // Leading zeros keep the headline widths.
    {"2", false, "32 ", "02", "1611", "1AD5BE0D"},
    {"3", false, "33 ", "5C", "0630", "6DD28E9B"},
    {"33", false, "33 33 ", "24", "56F6", "0A6216D9"},
};

TEST_F(DialogTest, CrcReports) {
    for (const CrcCase& c : kCrcCases) {
        SCOPED_TRACE(c.utf8_input);
        Click(c.hex ? IDC_RADIO_HEX : IDC_RADIO_ASCII);
        TypeInput(Gbk(c.utf8_input));
        const std::string data = c.data;
        const std::string crc16 = c.crc16, crc32 = c.crc32;

        Click(IDC_BTN_CRC8);
        EXPECT_EQ(Output(), Crc8Report(c.crc8, "AA " + data + c.crc8 + " A9"));
        Click(IDC_BTN_CRC16);
        EXPECT_EQ(Output(), Crc16Report(crc16, "AA " + data + crc16.substr(0, 2) + " " + crc16.substr(2) +
                                                   " 00 00 A9"));
        Click(IDC_BTN_CRC32);
        EXPECT_EQ(Output(), Crc32Report(crc32, "AA " + data + crc32.substr(0, 2) + " " + crc32.substr(2, 2) +
                                                   " " + crc32.substr(4, 2) + " " + crc32.substr(6) + " A9"));
        EXPECT_EQ(Text(IDC_EDIT_INPUT), Gbk(c.utf8_input));
    }
    EXPECT_EQ(Boxes(), Strings{});
}

TEST_F(DialogTest, PressingAReportButtonTwiceGivesTheSameReport) {
    TypeInput("abc");
    Type(IDC_EDIT_OUTPUT, "typed by the user");
    for (int button : {IDC_BTN_CRC8, IDC_BTN_CRC16, IDC_BTN_CRC32, IDC_BTN_MD5}) {
        Click(button);
        const std::string first = Output();
        Click(button);
        EXPECT_EQ(Output(), first) << button;
        EXPECT_EQ(first.find("typed"), std::string::npos) << button;
    }
}

// Where two long texts part: their common length, or the shorter length.
std::size_t FirstDifference(const std::string& a, const std::string& b) {
    std::size_t i = 0;
    while (i < a.size() && i < b.size() && a[i] == b[i]) ++i;
    return i;
}

// Every byte of a full work buffer appears in the frame, three characters
// each. The bytes 01..FF cycle (an edit box holds no zero byte).
TEST_F(DialogTest, FullBufferFramesListEveryByte) {
    std::string input;
    std::string frame = "AA ";
    const char* digits = "0123456789ABCDEF";
    for (int i = 0; i < WORK_BUFFER_SIZE; ++i) {
        const unsigned char b = static_cast<unsigned char>(i % 255 + 1);
        input += static_cast<char>(b);
        frame += {digits[b >> 4], digits[b & 0xF], ' '};
    }
    ASSERT_EQ(frame.size(), 3u * WORK_BUFFER_SIZE + 3);
    TypeInput(input);

    Click(IDC_BTN_CRC32);
    std::string expected = Crc32Report("A3DD4EC3", frame + "A3 DD 4E C3 A9");
    EXPECT_EQ(Output().size(), expected.size());
    EXPECT_EQ(FirstDifference(Output(), expected), expected.size());

    Click(IDC_BTN_CRC16);
    expected = Crc16Report("3DDC", frame + "3D DC 00 00 A9");
    EXPECT_EQ(FirstDifference(Output(), expected), expected.size());

    Click(IDC_BTN_MD5);
    EXPECT_EQ(Output(), Md5Report("D82AF263FE8AE845A21F8AAA4CEB081A"));
    EXPECT_EQ(Boxes(), Strings{});
}

TEST_F(DialogTest, TooManyCharactersForCrcOrMd5ShowsTwoBoxes) {
    for (int button : {IDC_BTN_CRC8, IDC_BTN_CRC16, IDC_BTN_CRC32, IDC_BTN_MD5}) {
        TypeInput(std::string(WORK_BUFFER_SIZE + 1, '7'));
        Type(IDC_EDIT_OUTPUT, "old report");
        Click(button);
        EXPECT_EQ(Boxes(), (Strings{Gbk("输入字符太多……"), Gbk("输入字符串转换为数组出错！")})) << button;
        EXPECT_EQ(Output(), Gbk("输入字符太多……")) << button;
        EXPECT_EQ(Text(IDC_EDIT_INPUT), std::string(WORK_BUFFER_SIZE + 1, '7')) << button;
    }
}

TEST_F(DialogTest, Md5ReportOfTheEmptyInputWordForWord) {
    Click(IDC_BTN_MD5);
    EXPECT_EQ(Output(), Gbk("MD5计算结果：\r\n\r\n格式1：\r\n"
                            "D4 1D 8C D9 8F 00 B2 04 E9 80 09 98 EC F8 42 7E \r\n\r\n格式2：\r\n"
                            "0xD4,0x1D,0x8C,0xD9,0x8F,0x00,0xB2,0x04,0xE9,0x80,0x09,0x98,0xEC,0xF8,0x42,0x7E,"
                            "\r\n\r\n格式3：\r\nD41D8CD98F00B204E9800998ECF8427E"));
}

TEST_F(DialogTest, Md5Reports) {
    struct Case {
        const char* utf8_input;
        bool hex;
        const char* digest;
    } cases[] = {
        {"abc", false, "900150983CD24FB0D6963F7D28E17F72"},
        {"61 62 63", true, "900150983CD24FB0D6963F7D28E17F72"},
        {"123456789", false, "25F9E794323B453885F5181F1B624D0B"},
        {"中", false, "5301DA37E5FFCA1823A5CEF67488D4BF"},
        {"A\r\nB", false, "2F55AADE65656FBCF1942AB77DCE28C5"},
        {"0x00", true, "93B885ADFE0DA089CDF634904FD59F71"},
    };
    for (const Case& c : cases) {
        Click(c.hex ? IDC_RADIO_HEX : IDC_RADIO_ASCII);
        TypeInput(Gbk(c.utf8_input));
        Click(IDC_BTN_MD5);
        EXPECT_EQ(Output(), Md5Report(c.digest)) << c.utf8_input;
    }
    EXPECT_EQ(Boxes(), Strings{});
}

}  // namespace
