// The serial assistant's logic without a window. Oracles: the read request
// every MODBUS text opens with (01 03 00 00 00 0A C5 CD), a CRC-16
// worked bit by bit here, GBK and UTF-8 bytes of characters from their
// tables, and character times worked out by hand.
#include <gtest/gtest.h>

#include <cstdint>
#include <deque>
#include <random>
#include <string>
#include <vector>

#include "codepage/gbk_codec.h"
#include "workbench_window/pages/serial_page.h"

namespace {

using serial_page::Direction;
using serial_page::Row;
using serial_page::Session;

// CRC-16/MODBUS one bit at a time: reflected 0x8005 (0xA001), init FFFF.
std::uint16_t ModbusCrc(const LinkBytes& bytes) {
    std::uint16_t crc = 0xFFFF;
    for (unsigned char b : bytes) {
        crc ^= b;
        for (int i = 0; i < 8; ++i) crc = (crc & 1) ? static_cast<std::uint16_t>((crc >> 1) ^ 0xA001) : crc >> 1;
    }
    return crc;
}

LinkCheck Modbus(bool little_endian) {
    LinkCheck check;
    std::string error;
    EXPECT_TRUE(serial_page::ReadCheck("CRC-16/MODBUS", little_endian, check, error)) << error;
    return check;
}

std::string Hex2(unsigned v) {
    static const char d[] = "0123456789ABCDEF";
    return std::string{d[(v >> 4) & 15], d[v & 15]};
}

TEST(SerialPageCheck, ModbusRequestOfTheProtocolsExample) {
    const LinkCheck low_first = Modbus(true);
    const LinkBytes request = {0x01, 0x03, 0x00, 0x00, 0x00, 0x0A};
    const LinkBytes framed = BuildLinkFrame(low_first, request);
    EXPECT_EQ(framed, (LinkBytes{0x01, 0x03, 0x00, 0x00, 0x00, 0x0A, 0xC5, 0xCD}));
    bool ok = false;
    EXPECT_EQ(serial_page::Verdict(low_first, "CRC-16/MODBUS", framed, ok), "✔ CRC-16/MODBUS");
    EXPECT_TRUE(ok);
    // The check's bytes swapped: the verdict names the bytes the data calls for.
    const LinkBytes swapped = {0x01, 0x03, 0x00, 0x00, 0x00, 0x0A, 0xCD, 0xC5};
    EXPECT_EQ(serial_page::Verdict(low_first, "CRC-16/MODBUS", swapped, ok), "✘ 应为 C5 CD");
    EXPECT_FALSE(ok);
    // High byte first, the swapped frame is the right one.
    const LinkCheck high_first = Modbus(false);
    EXPECT_EQ(serial_page::Verdict(high_first, "CRC-16/MODBUS", swapped, ok), "✔ CRC-16/MODBUS");
    EXPECT_EQ(serial_page::Verdict(high_first, "CRC-16/MODBUS", framed, ok), "✘ 应为 CD C5");
    // No room for a data byte besides the check.
    EXPECT_EQ(serial_page::Verdict(low_first, "CRC-16/MODBUS", LinkBytes{0xC5, 0xCD}, ok), "✘ 太短");
    EXPECT_FALSE(ok);
}

TEST(SerialPageCheck, RandomFramesAgainstABitwiseCrc) {
    const LinkCheck check = Modbus(true);
    std::mt19937 random(7);
    for (int round = 0; round < 300; ++round) {
        LinkBytes frame(1 + random() % 40);
        for (unsigned char& b : frame) b = static_cast<unsigned char>(random());
        const std::uint16_t crc = ModbusCrc(frame);
        frame.push_back(static_cast<unsigned char>(crc & 0xFF));
        frame.push_back(static_cast<unsigned char>(crc >> 8));
        EXPECT_EQ(BuildLinkFrame(check, LinkBytes(frame.begin(), frame.end() - 2)), frame);
        bool ok = false;
        EXPECT_EQ(serial_page::Verdict(check, "M", frame, ok), "✔ M");
        // One bit flipped anywhere: a CRC-16 catches every single-bit error.
        LinkBytes bad = frame;
        const std::size_t bit = random() % (bad.size() * 8);
        bad[bit / 8] ^= static_cast<unsigned char>(1u << (bit % 8));
        const std::uint16_t want = ModbusCrc(LinkBytes(bad.begin(), bad.end() - 2));
        EXPECT_EQ(serial_page::Verdict(check, "M", bad, ok), "✘ 应为 " + Hex2(want & 0xFF) + " " + Hex2(want >> 8));
        EXPECT_FALSE(ok);
    }
}

TEST(SerialPageCheck, SumsAndUnknownNames) {
    LinkCheck check;
    std::string error;
    // A one-byte check has no order: taken whichever order the page says.
    ASSERT_TRUE(serial_page::ReadCheck("SUM-8", true, check, error)) << error;
    bool ok = false;
    // 0x12 + 0x34 + 0xF0 = 0x136: the low byte.
    EXPECT_EQ(serial_page::Verdict(check, "SUM-8", LinkBytes{0x12, 0x34, 0xF0, 0x36}, ok), "✔ SUM-8");
    EXPECT_EQ(serial_page::Verdict(check, "SUM-8", LinkBytes{0x12, 0x34, 0xF0, 0x37}, ok), "✘ 应为 36");
    EXPECT_FALSE(serial_page::ReadCheck("CRC-99/NOTHING", false, check, error));
    EXPECT_FALSE(error.empty());
}

TEST(SerialPageFields, SettingsFromTheBoxes) {
    SerialSettings s;
    std::string error;
    ASSERT_TRUE(serial_page::ReadSettings("115200", 1, 1, 2, 1, s, error)) << error;
    EXPECT_EQ(s.baud, 115200u);
    EXPECT_EQ(s.data_bits, 7);
    EXPECT_EQ(s.parity, Parity::kEven);
    EXPECT_EQ(s.stop_bits, StopBits::kTwo);
    EXPECT_EQ(s.flow, FlowControl::kRtsCts);
    EXPECT_EQ(FramingWord(s), "7E2");
    for (const char* baud : {"", "abc", "49", "4000001", "96 00", "-9600", "1e5"}) {
        EXPECT_FALSE(serial_page::ReadSettings(baud, 0, 0, 0, 0, s, error)) << baud;
    }
    EXPECT_TRUE(serial_page::ReadSettings(" 4000000 ", 0, 0, 0, 0, s, error));
    EXPECT_FALSE(serial_page::ReadSettings("9600", -1, 0, 0, 0, s, error));
    EXPECT_FALSE(serial_page::ReadSettings("9600", 0, 5, 0, 0, s, error));
    // The boxes' lists match the settings' orders.
    EXPECT_EQ(serial_page::DataBitsChoices().size(), 4u);
    EXPECT_EQ(serial_page::ParityChoices().size(), 5u);
    EXPECT_EQ(serial_page::StopBitsChoices().size(), 3u);
    EXPECT_EQ(serial_page::FlowChoices().size(), 3u);
}

TEST(SerialPageFields, GapByBaud) {
    SerialSettings s;
    // 8N1 at 9600: 3.5 characters are 3.65 ms; the adapters' 20 ms rule.
    s.baud = 9600;
    EXPECT_EQ(serial_page::DefaultGapMs(s), 20);
    // 1200 baud: 35 bits / 1200 = 29.17 ms, up to whole ms.
    s.baud = 1200;
    EXPECT_EQ(serial_page::DefaultGapMs(s), 30);
    // 300 baud 8E1: 11 bits, 38.5 bits = 128.33 ms.
    s.baud = 300;
    s.parity = Parity::kEven;
    EXPECT_EQ(serial_page::DefaultGapMs(s), 129);
    int gap = 0;
    std::string error;
    EXPECT_TRUE(serial_page::ReadGapMs("35", gap, error));
    EXPECT_EQ(gap, 35);
    EXPECT_FALSE(serial_page::ReadGapMs("0", gap, error));
    EXPECT_FALSE(serial_page::ReadGapMs("60001", gap, error));
    EXPECT_FALSE(serial_page::ReadGapMs("2.5", gap, error));
}

TEST(SerialPageFields, HostsAndPorts) {
    std::string host, port, error;
    EXPECT_TRUE(serial_page::ReadHostPort("127.0.0.1:502", host, port, error));
    EXPECT_EQ(host, "127.0.0.1");
    EXPECT_EQ(port, "502");
    EXPECT_TRUE(serial_page::ReadHostPort("[::1]:8080", host, port, error));
    EXPECT_EQ(host, "::1");
    EXPECT_EQ(port, "8080");
    for (const char* bad : {"127.0.0.1", ":502", "h:0", "h:65536", "h:", "h:5x"}) {
        EXPECT_FALSE(serial_page::ReadHostPort(bad, host, port, error)) << bad;
    }
    EXPECT_TRUE(serial_page::ReadListenPort("65535", port, error));
    EXPECT_FALSE(serial_page::ReadListenPort("0", port, error));
}

TEST(SerialPageFields, SendBoxBytes) {
    LinkBytes bytes;
    std::string error;
    ASSERT_TRUE(serial_page::SendBytes("01 03 00 00 00 0a", true, TextEncoding::kGbk, bytes, error));
    EXPECT_EQ(bytes, (LinkBytes{1, 3, 0, 0, 0, 10}));
    EXPECT_FALSE(serial_page::SendBytes("01 0G", true, TextEncoding::kGbk, bytes, error));
    EXPECT_FALSE(serial_page::SendBytes("", true, TextEncoding::kGbk, bytes, error));
    // 中 is D6D0 in GB 2312 (row 54, cell 48) and U+4E2D, E4 B8 AD in UTF-8.
    ASSERT_TRUE(serial_page::SendBytes("A中", false, TextEncoding::kGbk, bytes, error));
    EXPECT_EQ(bytes, (LinkBytes{0x41, 0xD6, 0xD0}));
    ASSERT_TRUE(serial_page::SendBytes("A中", false, TextEncoding::kUtf8, bytes, error));
    EXPECT_EQ(bytes, (LinkBytes{0x41, 0xE4, 0xB8, 0xAD}));
    // An emoji has no GBK bytes: said, not dropped.
    EXPECT_FALSE(serial_page::SendBytes("ok\xF0\x9F\x98\x80", false, TextEncoding::kGbk, bytes, error));
    EXPECT_NE(error.find("3"), std::string::npos) << error;
}

TEST(SerialPageRows, TimesCountersAndLog) {
    EXPECT_EQ(serial_page::TimeOfDay(0), "00:00:00.000");
    EXPECT_EQ(serial_page::TimeOfDay(((13 * 60 + 5) * 60 + 9) * 1000LL + 42), "13:05:09.042");
    EXPECT_EQ(serial_page::TimeOfDay(24LL * 3600 * 1000 - 1), "23:59:59.999");
    EXPECT_EQ(serial_page::TimeOfDay(24LL * 3600 * 1000), "00:00:00.000");

    Session session;
    session.SetEncoding(TextEncoding::kGbk);
    session.SetCheck(Modbus(true), "CRC-16/MODBUS");
    session.AddSent({0x01, 0x03, 0x00, 0x00, 0x00, 0x0A, 0xC5, 0xCD}, 1000);
    LinkFrame answer;
    answer.bytes = {0x01, 0x03, 0x02, 0x00, 0x2A};
    const std::uint16_t crc = ModbusCrc(answer.bytes);
    answer.bytes.push_back(crc & 0xFF);
    answer.bytes.push_back(crc >> 8);
    session.AddReceived(answer, 1020);
    LinkFrame bad = answer;
    bad.bytes.back() ^= 0xFF;
    session.AddReceived(bad, 1040);
    LinkFrame noise;
    noise.kind = LinkFrame::kNoise;
    noise.bytes = {'h', 'i', '\r', '\n'};
    session.AddReceived(noise, 1060);

    const serial_page::Counters& c = session.counters();
    EXPECT_EQ(c.tx_frames, 1u);
    EXPECT_EQ(c.tx_bytes, 8u);
    EXPECT_EQ(c.rx_frames, 2u);  // noise is bytes, not a frame
    EXPECT_EQ(c.rx_bytes, 7u + 7u + 4u);
    EXPECT_EQ(serial_page::CountersText(c), "收 2 帧 / 18 字节   发 1 帧 / 8 字节");

    const std::vector<Row> rows = session.TakeNew();
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[0].direction, Direction::kSent);
    EXPECT_EQ(rows[0].verdict, "");  // what is sent carries the check by construction
    EXPECT_EQ(rows[1].verdict, "✔ CRC-16/MODBUS");
    EXPECT_TRUE(rows[1].ok);
    EXPECT_FALSE(rows[2].ok);
    EXPECT_EQ(rows[2].verdict.rfind("✘ 应为 ", 0), 0u);
    EXPECT_EQ(rows[3].text, "hi\\r\\n");
    // C5 CD is one GBK character: the text column decodes it whole.
    std::string gbk_char;
    EXPECT_EQ(GbkToUtf8("\xC5\xCD", gbk_char), 0u);
    EXPECT_EQ(serial_page::LogLine(rows[0]),
              "00:00:01.000 发 01 03 00 00 00 0A C5 CD | \\x01\\x03\\x00\\x00\\x00\\n" + gbk_char);
    EXPECT_TRUE(session.TakeNew().empty());
    // The log holds each row's line, in order.
    const std::string log = session.LogText();
    EXPECT_EQ(log.find(serial_page::LogLine(rows[0]) + "\r\n"), 0u);
    EXPECT_NE(log.find("00:00:01.040 收 "), std::string::npos);
}

TEST(SerialPageRows, PauseHoldsRowsAndTheBoundDropsTheOldest) {
    Session session(5);
    LinkFrame frame;
    frame.bytes = {0x55};
    session.AddReceived(frame, 0);
    EXPECT_EQ(session.TakeNew().size(), 1u);
    session.SetPaused(true);
    for (int i = 0; i < 3; ++i) session.AddReceived(frame, i);
    EXPECT_TRUE(session.TakeNew().empty());
    session.SetPaused(false);
    EXPECT_EQ(session.TakeNew().size(), 3u);
    // Beyond the bound: the oldest go, and rows not yet taken are at most
    // what is kept.
    for (int i = 0; i < 12; ++i) session.AddReceived(frame, i);
    EXPECT_EQ(session.rows().size(), 5u);
    EXPECT_EQ(session.dropped(), 1u + 3u + 12u - 5u);
    EXPECT_EQ(session.TakeNew().size(), 5u);
    EXPECT_EQ(session.counters().rx_frames, 16u);
    session.Clear();
    EXPECT_EQ(session.counters().rx_bytes, 0u);
    EXPECT_TRUE(session.rows().empty());
    EXPECT_TRUE(session.TakeNew().empty());
}

TEST(SerialPageRows, TheBoundOfBytesKeepsTheNewestRows) {
    Session session(100, 10);
    LinkFrame frame;
    for (unsigned char size : {4, 4, 4, 3, 12}) {
        frame.bytes.assign(size, size);
        session.AddReceived(frame, 0);
    }
    // 4 + 4 + 4 > 10: the first row goes with the third, the second with
    // the fourth (4 + 3 kept); the 12-byte row, longer than the bound
    // alone, stays by itself.
    ASSERT_EQ(session.rows().size(), 1u);
    EXPECT_EQ(session.rows().front().bytes.size(), 12u);
    EXPECT_EQ(session.dropped(), 4u);
    frame.bytes.assign(2, 2);
    session.AddReceived(frame, 0);
    ASSERT_EQ(session.rows().size(), 1u);
    EXPECT_EQ(session.rows().front().bytes.size(), 2u);
    EXPECT_EQ(session.counters().rx_bytes, 4u + 4 + 4 + 3 + 12 + 2);
}

TEST(SerialPageRows, HistoryNewestFirstWithoutRepeats) {
    std::deque<LinkBytes> history;
    serial_page::Remember(history, {1}, 3);
    serial_page::Remember(history, {2}, 3);
    serial_page::Remember(history, {1}, 3);
    EXPECT_EQ(history, (std::deque<LinkBytes>{{1}, {2}}));
    serial_page::Remember(history, {3}, 3);
    serial_page::Remember(history, {4}, 3);
    EXPECT_EQ(history, (std::deque<LinkBytes>{{4}, {3}, {1}}));
    EXPECT_EQ(serial_page::FramesText({{0x01, 0xAB}, {0x10}}), "01 AB\r\n10");
}

}  // namespace

namespace {

// A long row's cells are cut where the list would hide the rest anyway, at
// a character's start, and say how long the frame is; short ones stay.
TEST(SerialPageList, LongCellsAreCutAtACharacter) {
    const std::string short_hex = "01 03 00 00 00 0A C5 CD";
    EXPECT_EQ(serial_page::ListCell(short_hex, 8), short_hex);
    std::string hex;
    for (int i = 0; i < 1024; ++i) hex += i ? " 5A" : "5A";
    const std::string cut = serial_page::ListCell(hex, 1024);
    EXPECT_EQ(cut, hex.substr(0, serial_page::kListCellChars) + "…（共 1024 字节）");
    // Exactly the limit: nothing to cut.
    EXPECT_EQ(serial_page::ListCell(hex.substr(0, serial_page::kListCellChars), 64),
              hex.substr(0, serial_page::kListCellChars));
    // Text of three-byte characters (中 is E4 B8 AD): cut after whole ones.
    std::string text;
    for (std::size_t i = 0; i < serial_page::kListCellChars + 5; ++i) text += "中";
    const std::string cut_text = serial_page::ListCell(text, 600);
    EXPECT_EQ(cut_text.substr(0, 3 * serial_page::kListCellChars), text.substr(0, 3 * serial_page::kListCellChars));
    EXPECT_EQ(cut_text.substr(3 * serial_page::kListCellChars), "…（共 600 字节）");
}

}  // namespace
