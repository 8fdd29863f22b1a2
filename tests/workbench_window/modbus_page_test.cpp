// The Modbus page's logic without a window. Oracles: the requests of the
// MODBUS Application Protocol V1.1b3's examples (Read Holding Registers
// 03 00 6B 00 03, Write Single Coil 05 00 AC FF 00), IEEE 754 bytes worked
// by hand and checked with Python's struct (struct.pack('>f', 3.14) is
// 40 48 F5 C3), the 40001 convention counted on fingers, and, end to end,
// a device simulated from a map and asked through the library's master.
#include <gtest/gtest.h>

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "modbus/master.h"
#include "modbus/slave.h"
#include "workbench_window/pages/modbus_page.h"
#include "workbench_window/pages/settings.h"

namespace {

using modbus_page::Poll;
using modbus_page::ValueRow;

ModbusPdu Response(const ModbusBytes& bytes) {
    const PduParse parse = ParseModbusPdu(bytes, ModbusDirection::kResponse);
    EXPECT_TRUE(parse.ok()) << parse.message;
    return parse.pdu;
}

Poll HoldingPoll(const std::string& format, const std::string& address = "0", const std::string& count = "10") {
    Poll poll;
    std::string error;
    EXPECT_TRUE(modbus_page::ReadPoll("1", 2, address, count, "1000", format, poll, error)) << error;
    return poll;
}

// ---- The fields ---------------------------------------------------------

TEST(ModbusPageFields, ConnectionReadsOnlyWhatItsFramingUses) {
    modbus_page::Connection tcp;
    std::string error;
    // A TCP framing takes no port: a blank one is no fault.
    ASSERT_TRUE(modbus_page::ReadConnection(2, "", "x", "x", "192.0.2.7:1502", "500", tcp, error)) << error;
    EXPECT_EQ(tcp.framing, ModbusFraming::kTcp);
    EXPECT_EQ(tcp.host, "192.0.2.7");
    EXPECT_EQ(tcp.tcp_port, "1502");
    EXPECT_EQ(tcp.timeout_ms, 500);
    EXPECT_FALSE(tcp.serial());

    modbus_page::Connection rtu;
    // A listed port runs on with its friendly name.
    ASSERT_TRUE(modbus_page::ReadConnection(0, "COM3 USB-SERIAL CH340", "19200", "8E1", "", "1000", rtu, error))
        << error;
    EXPECT_EQ(rtu.port, "COM3");
    EXPECT_EQ(rtu.settings.baud, 19200u);
    EXPECT_EQ(rtu.settings.data_bits, 8);
    EXPECT_EQ(rtu.settings.parity, Parity::kEven);
    EXPECT_EQ(rtu.settings.stop_bits, StopBits::kOne);

    const struct {
        int framing;
        const char *port, *baud, *word, *host, *timeout, *says;
    } faults[] = {
        {0, "", "9600", "8E1", "", "1000", "串口"},
        {1, "COM1", "96OO", "8E1", "", "1000", "波特率"},
        {0, "COM1", "9600", "8Z1", "", "1000", "字符格式"},
        {2, "", "", "", "localhost", "1000", "主机:端口"},
        {3, "", "", "", "h:70000", "1000", "主机:端口"},
        {2, "", "", "", "h:502", "9", "超时"},
        {2, "", "", "", "h:502", "60001", "超时"},
        {4, "", "", "", "h:502", "1000", "连接方式"},
    };
    for (const auto& fault : faults) {
        modbus_page::Connection connection;
        error.clear();
        EXPECT_FALSE(modbus_page::ReadConnection(fault.framing, fault.port, fault.baud, fault.word, fault.host,
                                                 fault.timeout, connection, error))
            << fault.says;
        EXPECT_NE(error.find(fault.says), std::string::npos) << error;
    }
}

// The silence before a request on a serial line: 3.5 characters of 11 bits
// at 9600 baud is 4010.4 µs, kept whole upward; past 19200 baud the fixed
// 1.75 ms. None over TCP.
TEST(ModbusPageFields, MasterSettingsCarryTheFramingUnitTimeoutAndGap) {
    modbus_page::Connection connection;
    std::string error;
    ASSERT_TRUE(modbus_page::ReadConnection(0, "COM1", "9600", "8E1", "", "250", connection, error)) << error;
    ModbusMasterSettings settings = modbus_page::MasterSettings(connection, 17);
    EXPECT_EQ(settings.framing, ModbusFraming::kRtu);
    EXPECT_EQ(settings.unit, 17);
    EXPECT_EQ(settings.timeout_us, 250000);
    EXPECT_EQ(settings.gap_us, 4011);
    ASSERT_TRUE(modbus_page::ReadConnection(1, "COM1", "115200", "7E1", "", "250", connection, error)) << error;
    EXPECT_EQ(modbus_page::MasterSettings(connection, 1).gap_us, 1750);
    ASSERT_TRUE(modbus_page::ReadConnection(3, "", "", "", "h:502", "250", connection, error)) << error;
    EXPECT_EQ(modbus_page::MasterSettings(connection, 1).framing, ModbusFraming::kRtuOverTcp);
    EXPECT_EQ(modbus_page::MasterSettings(connection, 1).gap_us, 0);
}

TEST(ModbusPageFields, FormatIsATypeAndAnOrderOfItsWidth) {
    std::string type, order, error;
    ASSERT_TRUE(modbus_page::ReadFormat(" F32  CDAB ", type, order, error)) << error;
    EXPECT_EQ(type, "f32");
    EXPECT_EQ(order, "cdab");
    // Without an order, the registers' own: high byte first throughout.
    ASSERT_TRUE(modbus_page::ReadFormat("u16", type, order, error)) << error;
    EXPECT_EQ(order, "ab");
    ASSERT_TRUE(modbus_page::ReadFormat("f64", type, order, error)) << error;
    EXPECT_EQ(order, "abcdefgh");
    for (const char* bad : {"", "f32 ab", "u16 abcd", "x32", "f32 cdab x", "f32 aabb", "bit"}) {
        error.clear();
        EXPECT_FALSE(modbus_page::ReadFormat(bad, type, order, error)) << bad;
        EXPECT_FALSE(error.empty()) << bad;
    }
    // Every offered format reads.
    for (const std::string& choice : modbus_page::FormatChoices()) {
        EXPECT_TRUE(modbus_page::ReadFormat(choice, type, order, error)) << choice << ": " << error;
    }
}

TEST(ModbusPageFields, PollIsJudgedAtItsLimits) {
    Poll poll;
    std::string error;
    // The protocol's most: 125 registers, 2000 bits; the last address 65535.
    EXPECT_TRUE(modbus_page::ReadPoll("247", 2, "0", "125", "10", "u16", poll, error)) << error;
    EXPECT_EQ(poll.unit, 247);
    EXPECT_TRUE(modbus_page::ReadPoll("1", 0, "0", "2000", "1000", "", poll, error)) << error;
    EXPECT_EQ(poll.table, ModbusTable::kCoils);
    EXPECT_TRUE(modbus_page::ReadPoll("1", 3, "65535", "1", "1000", "u16", poll, error)) << error;
    EXPECT_EQ(poll.table, ModbusTable::kInputRegisters);
    EXPECT_TRUE(modbus_page::ReadPoll("1", 2, "65534", "2", "3600000", "f32", poll, error)) << error;
    EXPECT_EQ(poll.interval_ms, 3600000);

    const struct {
        const char *unit;
        int table;
        const char *address, *count, *interval, *format, *says;
    } faults[] = {
        {"0", 2, "0", "1", "1000", "u16", "广播"},
        {"248", 2, "0", "1", "1000", "u16", "从站"},
        {"1", -1, "0", "1", "1000", "u16", "功能/表"},
        {"1", 2, "65536", "1", "1000", "u16", "地址"},
        {"1", 2, "-1", "1", "1000", "u16", "地址"},
        {"1", 2, "0", "126", "1000", "u16", "1 到 125"},
        {"1", 2, "0", "0", "1000", "u16", "1 到 125"},
        {"1", 1, "0", "2001", "1000", "u16", "1 到 2000"},
        {"1", 2, "0", "3", "1000", "f32", "2 的倍数"},
        {"1", 2, "0", "6", "1000", "f64", "4 的倍数"},
        {"1", 2, "65535", "2", "1000", "u16", "65535"},
        {"1", 0, "65000", "537", "1000", "", "65535"},
        {"1", 2, "0", "1", "9", "u16", "间隔"},
        {"1", 2, "0", "1", "1000", "q16", "类型"},
    };
    for (const auto& fault : faults) {
        error.clear();
        EXPECT_FALSE(modbus_page::ReadPoll(fault.unit, fault.table, fault.address, fault.count, fault.interval,
                                           fault.format, poll, error))
            << fault.says;
        EXPECT_NE(error.find(fault.says), std::string::npos) << error;
    }
}

// Addresses count from 0; references from 1 with the table's digit before:
// holding register 0 is 40001, 9998 the last of five digits (49999), and
// on from there the six-digit form, 400001 + address.
TEST(ModbusPageFields, ReferencesFollowTheTableAndReachPastFiveDigits) {
    EXPECT_EQ(modbus_page::ReferenceText(ModbusTable::kHoldingRegisters, 0), "40001");
    EXPECT_EQ(modbus_page::ReferenceText(ModbusTable::kHoldingRegisters, 9998), "49999");
    EXPECT_EQ(modbus_page::ReferenceText(ModbusTable::kHoldingRegisters, 9999), "410000");
    EXPECT_EQ(modbus_page::ReferenceText(ModbusTable::kInputRegisters, 65535), "365536");
    EXPECT_EQ(modbus_page::ReferenceText(ModbusTable::kCoils, 19), "00020");
    EXPECT_EQ(modbus_page::ReferenceText(ModbusTable::kDiscreteInputs, 196), "10197");
}

// ---- The poll and its answer --------------------------------------------

TEST(ModbusPagePoll, RequestReadsTheTableAskedFor) {
    // The protocol document's example: registers 108 to 110 (0x6B, three).
    EXPECT_EQ(modbus_page::PollRequest(HoldingPoll("u16", "107", "3")), (ModbusBytes{0x03, 0x00, 0x6B, 0x00, 0x03}));
    Poll poll;
    std::string error;
    ASSERT_TRUE(modbus_page::ReadPoll("1", 0, "19", "37", "1000", "", poll, error)) << error;
    EXPECT_EQ(modbus_page::PollRequest(poll), (ModbusBytes{0x01, 0x00, 0x13, 0x00, 0x25}));
    ASSERT_TRUE(modbus_page::ReadPoll("1", 1, "196", "22", "1000", "", poll, error)) << error;
    EXPECT_EQ(modbus_page::PollRequest(poll), (ModbusBytes{0x02, 0x00, 0xC4, 0x00, 0x16}));
    ASSERT_TRUE(modbus_page::ReadPoll("1", 3, "8", "1", "1000", "i16", poll, error)) << error;
    EXPECT_EQ(modbus_page::PollRequest(poll), (ModbusBytes{0x04, 0x00, 0x08, 0x00, 0x01}));
}

// 3.14 as a float is 40 48 F5 C3 (struct.pack('>f', 3.14)); CDAB sends its
// low register first: F5 C3 40 48. -2.5 is C0 20 00 00.
TEST(ModbusPagePoll, RegistersBecomeRowsOfTheFormatsNumbers) {
    const ModbusPdu answer = Response({0x03, 0x08, 0xF5, 0xC3, 0x40, 0x48, 0x00, 0x00, 0xC0, 0x20});
    const std::vector<ValueRow> rows = modbus_page::ValueRows(HoldingPoll("f32 cdab", "0", "4"), answer);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].address, 0);
    EXPECT_EQ(rows[0].address_text, "0");
    EXPECT_EQ(rows[0].reference, "40001");
    EXPECT_EQ(rows[0].raw, "F5C3 4048");
    EXPECT_EQ(rows[0].value, "3.14");
    // The second number starts two registers on.
    EXPECT_EQ(rows[1].address, 2);
    EXPECT_EQ(rows[1].reference, "40003");
    EXPECT_EQ(rows[1].raw, "0000 C020");
    EXPECT_EQ(rows[1].value, "-2.5");

    // The same registers one by one: struct.unpack('>h', b'\xf5\xc3') is -2621.
    const std::vector<ValueRow> singles = modbus_page::ValueRows(HoldingPoll("i16", "9998", "4"), answer);
    ASSERT_EQ(singles.size(), 4u);
    EXPECT_EQ(singles[0].value, "-2621");
    EXPECT_EQ(singles[0].raw, "F5C3");
    EXPECT_EQ(singles[1].value, "16456");
    EXPECT_EQ(singles[0].reference, "49999");
    EXPECT_EQ(singles[1].reference, "410000");
    EXPECT_EQ(singles[3].address_text, "10001");
    // u32 in ABCD: 0x0000C020 is 49184.
    const std::vector<ValueRow> wide = modbus_page::ValueRows(HoldingPoll("u32", "0", "4"), answer);
    ASSERT_EQ(wide.size(), 2u);
    EXPECT_EQ(wide[1].value, "49184");
}

// Bits come in whole bytes: past the count they are padding, not rows.
// 0xCD is 1100 1101, read from its lowest bit: 1 0 1 1 0 0 1 1.
TEST(ModbusPagePoll, BitsBecomeRowsUpToTheCount) {
    Poll poll;
    std::string error;
    ASSERT_TRUE(modbus_page::ReadPoll("1", 0, "19", "10", "1000", "", poll, error)) << error;
    const std::vector<ValueRow> rows = modbus_page::ValueRows(poll, Response({0x01, 0x02, 0xCD, 0x01}));
    ASSERT_EQ(rows.size(), 10u);
    const char* expected = "1011001110";
    for (std::size_t i = 0; i < rows.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(rows[i].raw, std::string(1, expected[i]));
        EXPECT_EQ(rows[i].value, expected[i] == '1' ? "ON" : "OFF");
        EXPECT_EQ(rows[i].address, 19 + i);
    }
    EXPECT_EQ(rows[0].reference, "00020");
}

TEST(ModbusPagePoll, CountersTallyEachOutcome) {
    modbus_page::Counters counters;
    ModbusTransaction answered;
    answered.status = ModbusTransaction::kAnswered;
    modbus_page::Count(answered, counters);
    // An answer after a frame with a bad CRC was refused: answered, and an error.
    answered.refused = {"CRC 0x1234 expected, the frame holds 0x3412"};
    modbus_page::Count(answered, counters);
    ModbusTransaction exception;
    exception.status = ModbusTransaction::kAnswered;
    exception.response.exception = true;
    exception.response.exception_code = 2;
    modbus_page::Count(exception, counters);
    ModbusTransaction timeout;
    timeout.status = ModbusTransaction::kTimeout;
    timeout.error = "no answer from unit 1 within 1 s";
    modbus_page::Count(timeout, counters);
    ModbusTransaction failed;
    failed.status = ModbusTransaction::kLinkFailed;
    modbus_page::Count(failed, counters);
    EXPECT_EQ(counters.requests, 5u);
    EXPECT_EQ(counters.answers, 3u);
    EXPECT_EQ(counters.timeouts, 1u);
    EXPECT_EQ(counters.errors, 3u);
    EXPECT_EQ(modbus_page::CountersText(counters), "请求 5   应答 3   超时 1   错误 3");

    EXPECT_EQ(modbus_page::OutcomeText(answered), "已应答");
    EXPECT_EQ(modbus_page::OutcomeText(exception), "异常 02 ILLEGAL DATA ADDRESS");
    EXPECT_EQ(modbus_page::OutcomeText(timeout), "超时：no answer from unit 1 within 1 s");
}

TEST(ModbusPagePoll, TrafficRowsCarryTheFrameAndItsVerdict) {
    ModbusTraceEvent sent;
    sent.sent = true;
    sent.bytes = {0x01, 0x03, 0x00, 0x00, 0x00, 0x0A, 0xC5, 0xCD};
    sent.check = "CRC 0xCDC5 ok";
    modbus_page::TrafficRow row = modbus_page::TraceRow(sent, ((12 * 60 + 3) * 60 + 4) * 1000LL + 125);
    EXPECT_EQ(row.time, "12:03:04.125");
    EXPECT_EQ(row.direction, "TX");
    EXPECT_EQ(row.hex, "01 03 00 00 00 0A C5 CD");
    EXPECT_EQ(row.verdict, "✔ CRC 0xCDC5 ok");
    EXPECT_TRUE(row.ok);
    ModbusTraceEvent refused;
    refused.bytes = {0x02, 0x03, 0x00};
    refused.check = "an answer from unit 2, not 1";
    refused.ok = false;
    row = modbus_page::TraceRow(refused, 0);
    EXPECT_EQ(row.direction, "RX");
    EXPECT_EQ(row.verdict, "✘ an answer from unit 2, not 1");
    EXPECT_FALSE(row.ok);
}

// ---- Writes ---------------------------------------------------------------

TEST(ModbusPageWrite, ARowAndATypedValueMakeTheWriteOfItsTable) {
    ModbusBytes pdu;
    std::string what, error;
    // 3.14 over two registers in CDAB: function 10, F5C3 then 4048.
    ASSERT_TRUE(modbus_page::WriteRequest(HoldingPoll("f32 cdab"), 0, "3.14", pdu, what, error)) << error;
    EXPECT_EQ(pdu, (ModbusBytes{0x10, 0x00, 0x00, 0x00, 0x02, 0x04, 0xF5, 0xC3, 0x40, 0x48}));
    EXPECT_EQ(what, "写入 40001 = 3.14（功能 10，2 个寄存器）");
    // A 16-bit number by 06; hex and negative numbers as the number tool reads them.
    ASSERT_TRUE(modbus_page::WriteRequest(HoldingPoll("u16"), 1, "0x0003", pdu, what, error)) << error;
    EXPECT_EQ(pdu, (ModbusBytes{0x06, 0x00, 0x01, 0x00, 0x03}));
    EXPECT_EQ(what, "写入 40002 = 0x0003（功能 06）");
    ASSERT_TRUE(modbus_page::WriteRequest(HoldingPoll("i16 ba"), 1, "-2", pdu, what, error)) << error;
    EXPECT_EQ(pdu, (ModbusBytes{0x06, 0x00, 0x01, 0xFE, 0xFF}));
    // The protocol document's coil example: coil 173 (address 0xAC) on.
    Poll coils;
    ASSERT_TRUE(modbus_page::ReadPoll("1", 0, "0", "8", "1000", "", coils, error)) << error;
    ASSERT_TRUE(modbus_page::WriteRequest(coils, 0xAC, " ON ", pdu, what, error)) << error;
    EXPECT_EQ(pdu, (ModbusBytes{0x05, 0x00, 0xAC, 0xFF, 0x00}));
    EXPECT_EQ(what, "写入 00173 = ON（功能 05）");
    ASSERT_TRUE(modbus_page::WriteRequest(coils, 0xAC, "0", pdu, what, error)) << error;
    EXPECT_EQ(pdu, (ModbusBytes{0x05, 0x00, 0xAC, 0x00, 0x00}));
}

TEST(ModbusPageWrite, ReadOnlyTablesBadValuesAndNoRoomAreRefused) {
    ModbusBytes pdu = {0x99};
    std::string what, error;
    Poll inputs;
    ASSERT_TRUE(modbus_page::ReadPoll("1", 3, "0", "1", "1000", "u16", inputs, error)) << error;
    EXPECT_FALSE(modbus_page::WriteRequest(inputs, 0, "1", pdu, what, error));
    EXPECT_NE(error.find("只读"), std::string::npos) << error;
    Poll discrete;
    ASSERT_TRUE(modbus_page::ReadPoll("1", 1, "0", "1", "1000", "", discrete, error)) << error;
    EXPECT_FALSE(modbus_page::WriteRequest(discrete, 0, "1", pdu, what, error));
    Poll coils;
    ASSERT_TRUE(modbus_page::ReadPoll("1", 0, "0", "1", "1000", "", coils, error)) << error;
    EXPECT_FALSE(modbus_page::WriteRequest(coils, 0, "2", pdu, what, error));
    EXPECT_FALSE(modbus_page::WriteRequest(HoldingPoll("u16"), 0, "65536", pdu, what, error));
    EXPECT_FALSE(modbus_page::WriteRequest(HoldingPoll("u16"), 0, "", pdu, what, error));
    EXPECT_FALSE(modbus_page::WriteRequest(HoldingPoll("i16"), 0, "3.5", pdu, what, error));
    // A float at the last address has no room for its second register.
    EXPECT_FALSE(modbus_page::WriteRequest(HoldingPoll("f32"), 65535, "1", pdu, what, error));
    EXPECT_NE(error.find("65535"), std::string::npos) << error;
    EXPECT_EQ(pdu, ModbusBytes{0x99});
}

// ---- End to end: a simulated device behind a link ------------------------

// A TCP peer in memory: each whole request the master writes is answered
// at once by the slave; with `silent`, nothing ever answers. Reads that find
// nothing move the test's clock on by their wait, so a timeout costs no time.
class DeviceLink : public Link {
public:
    DeviceLink(ModbusSlave& slave, bool silent) : slave_(slave), silent_(silent) {}

    LinkRead Read(LinkTime timeout_us) override {
        LinkRead read;
        if (answers_.empty()) {
            now_ += timeout_us;
            return read;
        }
        read.status = LinkRead::kData;
        read.bytes = answers_.front();
        read.time = now_;
        answers_.pop_front();
        return read;
    }
    long long WriteSome(const unsigned char* bytes, std::size_t size, LinkTime, std::string&) override {
        pending_.insert(pending_.end(), bytes, bytes + size);
        const std::size_t whole = MbapFrameSize(pending_.data(), pending_.size());
        if (whole != 0 && whole <= pending_.size()) {
            const AduParse request = ParseTcp(pending_.data(), whole);
            pending_.erase(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(whole));
            ModbusSlaveEvent event;
            const ModbusBytes pdu = slave_.Answer(request.adu, event, ModbusFraming::kTcp);
            if (!silent_ && !pdu.empty()) answers_.push_back(EncodeTcp(request.adu.transaction, request.adu.unit, pdu));
        }
        return static_cast<long long>(size);
    }
    std::string Name() const override { return "device"; }
    LinkTime Now() const { return now_; }

private:
    ModbusSlave& slave_;
    bool silent_;
    LinkBytes pending_;
    std::deque<LinkBytes> answers_;
    LinkTime now_ = 1000000;
};

// The page's poll of a device holding 3.14 as f32 CDAB shows 3.14; its
// write of 2.5 changes the device, and the next poll shows 2.5.
TEST(ModbusPageDevice, PollShowsTheDevicesNumberAndAWriteChangesIt) {
    ModbusDataModel model;
    std::string error;
    ASSERT_TRUE(ReadModbusMap("f32 cdab 40001 3.14\nu16 40003 7\n", model, error)) << error;
    ModbusSlave slave(model, ModbusSlaveSettings());
    DeviceLink link(slave, false);
    modbus_page::Connection connection;
    ASSERT_TRUE(modbus_page::ReadConnection(2, "", "", "", "127.0.0.1:502", "1000", connection, error)) << error;
    ModbusMaster master(link, modbus_page::MasterSettings(connection, 1));
    master.SetClock([&link] { return link.Now(); });
    std::vector<modbus_page::TrafficRow> traffic;
    master.SetTrace([&traffic](const ModbusTraceEvent& event) { traffic.push_back(modbus_page::TraceRow(event, 0)); });

    const Poll poll = HoldingPoll("f32 cdab", "0", "2");
    modbus_page::Counters counters;
    ModbusTransaction read = master.Transact(modbus_page::PollRequest(poll));
    modbus_page::Count(read, counters);
    ASSERT_EQ(read.status, ModbusTransaction::kAnswered) << read.error;
    std::vector<ValueRow> rows = modbus_page::ValueRows(poll, read.response);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].value, "3.14");
    EXPECT_EQ(rows[0].raw, "F5C3 4048");
    // The request and its answer, MBAP header first: transaction 1, length 6.
    ASSERT_EQ(traffic.size(), 2u);
    EXPECT_EQ(traffic[0].hex, "00 01 00 00 00 06 01 03 00 00 00 02");
    EXPECT_EQ(traffic[1].hex, "00 01 00 00 00 07 01 03 04 F5 C3 40 48");
    EXPECT_EQ(traffic[1].verdict, "✔ MBAP length agrees");

    ModbusBytes write;
    std::string what;
    ASSERT_TRUE(modbus_page::WriteRequest(poll, rows[0].address, "2.5", write, what, error)) << error;
    ModbusTransaction written = master.Transact(write);
    modbus_page::Count(written, counters);
    ASSERT_EQ(written.status, ModbusTransaction::kAnswered) << written.error;
    EXPECT_FALSE(written.response.exception);
    // 2.5 is 40 20 00 00: in CDAB the device now holds 0000 4020.
    EXPECT_EQ(model.holding_registers[0], 0x0000);
    EXPECT_EQ(model.holding_registers[1], 0x4020);
    read = master.Transact(modbus_page::PollRequest(poll));
    modbus_page::Count(read, counters);
    rows = modbus_page::ValueRows(poll, read.response);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].value, "2.5");
    // The register beside it is untouched.
    EXPECT_EQ(model.holding_registers[2], 7);

    // Past the map's end the device answers 02, counted as an error.
    const Poll beyond = HoldingPoll("u16", "2", "2");
    read = master.Transact(modbus_page::PollRequest(beyond));
    modbus_page::Count(read, counters);
    EXPECT_EQ(modbus_page::OutcomeText(read), "异常 02 ILLEGAL DATA ADDRESS");
    EXPECT_TRUE(modbus_page::ValueRows(beyond, read.response).empty());
    EXPECT_EQ(modbus_page::CountersText(counters), "请求 4   应答 4   超时 0   错误 1");
}

TEST(ModbusPageDevice, ADeviceThatNeverAnswersCountsATimeout) {
    ModbusDataModel model;
    std::string error;
    ASSERT_TRUE(ReadModbusMap("u16 40001 1\n", model, error)) << error;
    ModbusSlave slave(model, ModbusSlaveSettings());
    DeviceLink link(slave, true);
    modbus_page::Connection connection;
    ASSERT_TRUE(modbus_page::ReadConnection(2, "", "", "", "127.0.0.1:502", "200", connection, error)) << error;
    ModbusMaster master(link, modbus_page::MasterSettings(connection, 1));
    master.SetClock([&link] { return link.Now(); });
    modbus_page::Counters counters;
    const ModbusTransaction read = master.Transact(modbus_page::PollRequest(HoldingPoll("u16", "0", "1")));
    modbus_page::Count(read, counters);
    EXPECT_EQ(read.status, ModbusTransaction::kTimeout);
    EXPECT_EQ(modbus_page::OutcomeText(read).rfind("超时：", 0), 0u) << modbus_page::OutcomeText(read);
    EXPECT_EQ(modbus_page::CountersText(counters), "请求 1   应答 0   超时 1   错误 0");
}

}  // namespace

namespace {

// The page's fields under modbus.* keys: what was written is read back; a
// value out of its list or not of its kind gives that field's default and
// leaves the rest, and a pasted line break never starts a key of its own.
TEST(ModbusPageSettings, FieldsReadBackAndDamageTouchesOnlyItself) {
    settings::Settings written;
    settings::ModbusSettings& m = written.modbus;
    m.framing = 3;
    m.port = "COM4";
    m.baud = "19200";
    m.word = "8N2";
    m.host = "192.0.2.7:1502";
    m.timeout = "250";
    m.unit = "17";
    m.table = 0;
    m.address = "99";
    m.count = "8";
    m.interval = "500";
    m.format = "f32 cdab";
    const std::string text = settings::Format(written);
    EXPECT_NE(text.find("modbus.format=f32 cdab\r\n"), std::string::npos) << text;
    const settings::ModbusSettings read = settings::Parse(text).modbus;
    EXPECT_EQ(read.framing, 3);
    EXPECT_EQ(read.port, "COM4");
    EXPECT_EQ(read.baud, "19200");
    EXPECT_EQ(read.word, "8N2");
    EXPECT_EQ(read.host, "192.0.2.7:1502");
    EXPECT_EQ(read.timeout, "250");
    EXPECT_EQ(read.unit, "17");
    EXPECT_EQ(read.table, 0);
    EXPECT_EQ(read.address, "99");
    EXPECT_EQ(read.count, "8");
    EXPECT_EQ(read.interval, "500");
    EXPECT_EQ(read.format, "f32 cdab");

    const settings::ModbusSettings defaults;
    const settings::ModbusSettings damaged = settings::Parse(
        "[workbench]\nmodbus.framing=4\nmodbus.table=-1\nmodbus.unit=1x\nmodbus.count=\nmodbus.format=\xE5\x9B\xBA\n"
        "modbus.host=h:1\n").modbus;
    EXPECT_EQ(damaged.framing, defaults.framing);
    EXPECT_EQ(damaged.table, defaults.table);
    EXPECT_EQ(damaged.unit, defaults.unit);
    EXPECT_EQ(damaged.count, defaults.count);
    EXPECT_EQ(damaged.format, defaults.format);
    EXPECT_EQ(damaged.host, "h:1");

    settings::Settings pasted;
    pasted.modbus.format = "u16\r\npage=7";
    pasted.modbus.map = "a.txt\r\npage=8";
    pasted.modbus.polls = {"1 2 0 10 1000 u16\npage=9"};
    const std::string pasted_text = settings::Format(pasted);
    EXPECT_EQ(pasted_text.find("page=7"), std::string::npos);
    EXPECT_EQ(pasted_text.find("page=8"), std::string::npos);
    EXPECT_EQ(pasted_text.find("page=9"), std::string::npos);
}

// The simulator's mode and map, and the poll list in its order; a list
// longer than the page holds keeps its first polls.
TEST(ModbusPageSettings, ModeMapAndPollListReadBack) {
    settings::Settings written;
    written.modbus.mode = 1;
    written.modbus.map = "C:\\设备\\泵站 1.txt";
    for (int i = 0; i < settings::kModbusPolls + 3; ++i) {
        written.modbus.polls.push_back(std::to_string(i + 1) + " 2 0 10 1000 f32 cdab");
    }
    const settings::ModbusSettings read = settings::Parse(settings::Format(written)).modbus;
    EXPECT_EQ(read.mode, 1);
    EXPECT_EQ(read.map, written.modbus.map);
    ASSERT_EQ(read.polls.size(), static_cast<size_t>(settings::kModbusPolls));
    EXPECT_EQ(read.polls.front(), "1 2 0 10 1000 f32 cdab");
    EXPECT_EQ(read.polls.back(), std::to_string(settings::kModbusPolls) + " 2 0 10 1000 f32 cdab");
    EXPECT_EQ(settings::Parse("[workbench]\nmodbus.mode=2\n").modbus.mode, 0);
    // The list is read up to the first number missing.
    EXPECT_EQ(settings::Parse("[workbench]\nmodbus.poll.1=1 2 0 1 100 u16\nmodbus.poll.3=1 2 0 1 100 u16\n")
                  .modbus.polls.size(),
              1u);
}

}  // namespace

// ---- Several polls -------------------------------------------------------

namespace {

// A poll kept as a line comes back as it was, each kind of table and
// format, so a list the settings hold polls what the user defined.
TEST(ModbusPagePolls, ALineKeptComesBackAsThePoll) {
    for (const auto& [table, format] : std::vector<std::pair<int, std::string>>{
             {0, ""}, {1, ""}, {2, "f32 cdab"}, {3, "u16"}, {2, "f64 ghefcdab"}, {2, "i32"}}) {
        SCOPED_TRACE(std::to_string(table) + " " + format);
        Poll poll;
        std::string error;
        ASSERT_TRUE(modbus_page::ReadPoll("17", table, "9998", "8", "250", format, poll, error)) << error;
        const std::string line = modbus_page::PollLine(poll, table);
        Poll back;
        ASSERT_TRUE(modbus_page::ReadPollLine(line, back, error)) << line << ": " << error;
        EXPECT_EQ(back.unit, 17);
        EXPECT_EQ(back.table, poll.table);
        EXPECT_EQ(back.address, 9998);
        EXPECT_EQ(back.count, 8);
        EXPECT_EQ(back.interval_ms, 250);
        if (!poll.bits()) {
            EXPECT_EQ(back.type, poll.type);
            EXPECT_EQ(back.order, poll.order);
        }
        EXPECT_EQ(modbus_page::TableIndex(back.table), table);
    }
    // A hand-edited line is judged as the fields are, and says which line.
    Poll poll;
    std::string error;
    EXPECT_FALSE(modbus_page::ReadPollLine("1 4 0 10 1000 u16", poll, error));
    EXPECT_NE(error.find("1 4 0 10 1000 u16"), std::string::npos) << error;
    EXPECT_FALSE(modbus_page::ReadPollLine("1 2 0 3 1000 f32", poll, error));
    EXPECT_NE(error.find("2 的倍数"), std::string::npos) << error;
    EXPECT_FALSE(modbus_page::ReadPollLine("", poll, error));
    // The title names the reference in the table's own convention.
    ASSERT_TRUE(modbus_page::ReadPollLine("3 3 9999 2 500 f32 cdab", poll, error)) << error;
    EXPECT_EQ(modbus_page::PollTitle(poll), "从站 3  04 输入寄存器  310000 起 2 个  f32 cdab  每 500 毫秒");
}

// ---- The simulator -------------------------------------------------------

// The device's own side: the values the page shows are what a master
// reads, and a value set on a read-only table (an input, which only the
// device changes) is what the next master's 04 reads.
TEST(ModbusPageSimulator, ShowsAndSetsWhatTheMastersRead) {
    ModbusDataModel model;
    std::string error;
    ASSERT_TRUE(modbus_page::LoadMap("f32 cdab 30001 3.14\nu16 30003 7\nbit 10001 1 0\n", model, error)) << error;
    ModbusSlave slave(model, ModbusSlaveSettings{5});

    Poll inputs;
    ASSERT_TRUE(modbus_page::ReadPoll("5", 3, "0", "2", "1000", "f32 cdab", inputs, error)) << error;
    std::vector<ValueRow> rows;
    ASSERT_TRUE(modbus_page::DeviceRows(slave, inputs, rows, error)) << error;
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].value, "3.14");
    EXPECT_EQ(rows[0].raw, "F5C3 4048");

    std::string what;
    ASSERT_TRUE(modbus_page::WriteDevice(slave, inputs, 0, "2.5", what, error)) << error;
    EXPECT_EQ(what, "已设 30001 = 2.5");
    // What a master on the line reads: 2.5 is 40 20 00 00, CDAB 0000 4020.
    ModbusSlaveEvent event;
    const ModbusBytes answer = slave.Answer(ModbusAdu{5, ReadRequest(0x04, 0, 3), 0}, event);
    EXPECT_EQ(answer, (ModbusBytes{0x04, 0x06, 0x00, 0x00, 0x40, 0x20, 0x00, 0x07}));

    Poll bits;
    ASSERT_TRUE(modbus_page::ReadPoll("5", 1, "1", "1", "1000", "", bits, error)) << error;
    ASSERT_TRUE(modbus_page::WriteDevice(slave, bits, 1, "on", what, error)) << error;
    const ModbusBytes read_bits = slave.Answer(ModbusAdu{5, ReadRequest(0x02, 0, 2), 0}, event);
    EXPECT_EQ(read_bits, (ModbusBytes{0x02, 0x01, 0x03}));

    // A float at the map's last register would run past it: refused, and
    // nothing written.
    ASSERT_FALSE(modbus_page::WriteDevice(slave, inputs, 2, "1.5", what, error));
    EXPECT_NE(error.find("30003"), std::string::npos) << error;
    EXPECT_EQ(model.input_registers.at(2), 7);
    EXPECT_EQ(model.input_registers.count(3), 0u);
    // A run the map lacks shows no rows, and says where.
    Poll past;
    ASSERT_TRUE(modbus_page::ReadPoll("5", 3, "2", "4", "1000", "u16", past, error)) << error;
    EXPECT_FALSE(modbus_page::DeviceRows(slave, past, rows, error));
    EXPECT_NE(error.find("30003"), std::string::npos) << error;
}

TEST(ModbusPageSimulator, MapsAndUnitsAreJudged) {
    ModbusDataModel model;
    std::string error;
    EXPECT_FALSE(modbus_page::LoadMap("# nothing but a comment\n", model, error));
    EXPECT_FALSE(modbus_page::LoadMap("u16 40001 1\nu16 40001 2\n", model, error));
    EXPECT_NE(error.find("2"), std::string::npos) << error;  // the line that overlaps
    unsigned char unit = 9;
    EXPECT_TRUE(modbus_page::ReadServedUnit("0", unit, error));
    EXPECT_EQ(unit, 0);
    EXPECT_FALSE(modbus_page::ReadServedUnit("248", unit, error));
}

// The traffic and tally of requests served over a line, cut as the device
// cuts them: a read answered, a frame with a broken CRC skipped, a read
// past the map answered with exception 02. The frames are the Application
// Protocol's read example in RTU, its CRC worked out bit by bit apart from
// the program (11 03 00 6B 00 03 -> 76 87).
TEST(ModbusPageSimulator, TrafficAndCountersOfRequestsServed) {
    ModbusDataModel model;
    std::string error;
    ASSERT_TRUE(modbus_page::LoadMap("u16 40108 555 0 100\n", model, error)) << error;
    ModbusSlave slave(model, ModbusSlaveSettings{0x11});
    modbus_page::Counters counters;
    std::vector<modbus_page::TrafficRow> rows;
    const auto serve = [&](const ModbusBytes& frame) {
        ModbusSlaveEvent event;
        event.received = frame;
        const AduParse parse = ParseAdu(ModbusFraming::kRtu, frame.data(), frame.size());
        if (parse.ok()) {
            slave.Answer(parse.adu, event);
            if (!event.response_pdu.empty()) event.sent = EncodeRtu(parse.adu.unit, event.response_pdu);
        } else {
            event.summary = parse.message;
        }
        modbus_page::CountServed(event, counters);
        for (auto& row : modbus_page::ServedRows(event, 0, 2)) rows.push_back(row);
    };
    serve({0x11, 0x03, 0x00, 0x6B, 0x00, 0x03, 0x76, 0x87});
    serve({0x11, 0x03, 0x00, 0x6B, 0x00, 0x03, 0x76, 0x88});
    serve(EncodeRtu(0x11, ReadRequest(0x03, 0x6D, 2)));
    ASSERT_EQ(rows.size(), 5u);
    EXPECT_EQ(rows[0].direction, "RX");
    EXPECT_EQ(rows[0].hex, "11 03 00 6B 00 03 76 87");
    EXPECT_EQ(rows[0].verdict.rfind("✔ 客户端 2 ", 0), 0u) << rows[0].verdict;
    EXPECT_EQ(rows[1].direction, "TX");
    EXPECT_EQ(rows[1].hex.rfind("11 03 06 02 2B 00 00 00 64 ", 0), 0u) << rows[1].hex;
    EXPECT_FALSE(rows[2].ok);
    EXPECT_EQ(rows[2].verdict.rfind("✘ ", 0), 0u) << rows[2].verdict;
    EXPECT_EQ(rows[4].hex.rfind("11 83 02 ", 0), 0u) << rows[4].hex;
    EXPECT_EQ(modbus_page::CountersText(counters), "请求 3   应答 2   超时 0   错误 2");
}

}  // namespace

namespace {

// A run of registers as one text, as devices keep names: two characters a
// register, ASCII's codes ('P' 0x50, 'U' 0x55), the first in the high byte
// unless the order is ba; a write pads the run with NULs and refuses a text
// longer than the run.
TEST(ModbusPageText, ARunReadAndWrittenAsOneText) {
    Poll poll;
    std::string error;
    ASSERT_TRUE(modbus_page::ReadPoll("1", 2, "10", "4", "1000", "string", poll, error)) << error;
    EXPECT_TRUE(poll.text());
    EXPECT_EQ(poll.order, "ab");
    EXPECT_EQ(poll.width(), 4);
    const std::vector<ValueRow> rows =
        modbus_page::ValueRows(poll, Response({0x03, 0x08, 0x50, 0x55, 0x4D, 0x50, 0x2D, 0x37, 0x00, 0x00}));
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].reference, "40011");
    EXPECT_EQ(rows[0].raw, "5055 4D50 2D37 0000");
    EXPECT_EQ(rows[0].value, "\"PUMP-7\"");

    ModbusBytes pdu;
    std::string what;
    ASSERT_TRUE(modbus_page::WriteRequest(poll, 10, "Ab", pdu, what, error)) << error;
    EXPECT_EQ(pdu, (ModbusBytes{0x10, 0x00, 0x0A, 0x00, 0x04, 0x08, 0x41, 0x62, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(what, "写入 40011 = Ab（功能 10，4 个寄存器）");
    EXPECT_FALSE(modbus_page::WriteRequest(poll, 10, "123456789", pdu, what, error));
    EXPECT_NE(error.find("4 个寄存器"), std::string::npos) << error;

    ASSERT_TRUE(modbus_page::ReadPoll("1", 2, "10", "1", "1000", "STRING BA", poll, error)) << error;
    EXPECT_EQ(modbus_page::ValueRows(poll, Response({0x03, 0x02, 0x4B, 0x4F}))[0].value, "\"OK\"");
    EXPECT_FALSE(modbus_page::ReadPoll("1", 2, "10", "1", "1000", "string abcd", poll, error));
    // Kept as a list line and read back.
    ASSERT_TRUE(modbus_page::ReadPoll("1", 2, "10", "4", "1000", "string ba", poll, error)) << error;
    Poll back;
    ASSERT_TRUE(modbus_page::ReadPollLine(modbus_page::PollLine(poll, 2), back, error)) << error;
    EXPECT_TRUE(back.text());
    EXPECT_EQ(back.order, "ba");
}

}  // namespace
