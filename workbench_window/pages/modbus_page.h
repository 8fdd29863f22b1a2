// The MODBUS page's logic, without a window: a master that polls one run of
// a device's table, in the manner of Modbus Poll. The connection's fields
// and the poll's read into settings (one line of Chinese when they do not
// hold), the request the poll sends, the live table's rows (address, its
// 40001-style reference, the registers' hex, the number), the counters, the
// traffic's rows with each frame's verdict, and the write a double-clicked
// row and a typed value make. The window holds the link and the polling
// thread; everything it shows comes from here. Texts are UTF-8.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "link/serial_settings.h"
#include "modbus/slave.h"
#include "modbus/addressing.h"
#include "modbus/adu.h"
#include "modbus/master.h"
#include "modbus/pdu.h"

namespace modbus_page {

// The choices of the page's lists, in their order: the framings
// (ModbusFraming's order), the tables by the function that reads them (01,
// 02, 03, 04), and the formats offered (any "TYPE [ORDER]" may be typed).
std::vector<std::string> FramingChoices();
std::vector<std::string> TableChoices();
std::vector<std::string> FormatChoices();
ModbusTable TableOfChoice(int index);

// Where the master talks: a serial port for RTU and ASCII, a TCP peer for
// TCP and RTU over TCP.
struct Connection {
    ModbusFraming framing = ModbusFraming::kTcp;
    std::string port;  // the serial framings
    SerialSettings settings;
    std::string host, tcp_port;  // the TCP framings
    int timeout_ms = 1000;
    bool serial() const { return framing == ModbusFraming::kRtu || framing == ModbusFraming::kAscii; }
};

// The connection's fields: the framing chosen, the port, the baud and the
// character's word ("8E1") for a serial framing, host:port for a TCP one,
// and the answer's timeout (10 to 60000 ms). Only the fields the framing
// uses are judged. False with why in `error`.
bool ReadConnection(int framing_index, const std::string& port, const std::string& baud, const std::string& word,
                    const std::string& host_port, const std::string& timeout_ms, Connection& connection,
                    std::string& error);

// The master's settings for `connection` and `unit`: the silence between
// frames from the port's rate on a serial line, none over TCP.
ModbusMasterSettings MasterSettings(const Connection& connection, unsigned char unit);

// What is polled: `count` registers (or bits) from `address` of `table` at
// `unit`, every `interval_ms`, the registers read as numbers of `type` in
// `order` (a bit table ignores the format).
struct Poll {
    unsigned char unit = 1;
    ModbusTable table = ModbusTable::kHoldingRegisters;
    std::uint16_t address = 0;
    std::uint16_t count = 10;
    int interval_ms = 1000;
    std::string type = "u16";
    std::string order = "ab";
    bool bits() const { return table == ModbusTable::kCoils || table == ModbusTable::kDiscreteInputs; }
    // The run read as one text ("string ab", "string ba").
    bool text() const { return !bits() && type == "string"; }
    // The registers one number takes (1 for bits and 16-bit numbers; the
    // whole run for a text).
    int width() const;
};

// A number format as typed: "f32 cdab", "u16", "I32 BADC"; without an
// order, the registers' own (high byte first throughout). False with why.
bool ReadFormat(const std::string& text, std::string& type, std::string& order, std::string& error);

// The poll's fields, each judged: unit 0 to 247 (0 broadcasts, and a poll
// of a broadcast hears nothing: refused), the table's index, a 0-based
// address, a count within the protocol's limit for the table and a whole
// number of the format's numbers, the run inside the 65536 addresses, an
// interval of 10 to 3600000 ms. False with why in `error`.
bool ReadPoll(const std::string& unit, int table_index, const std::string& address, const std::string& count,
              const std::string& interval_ms, const std::string& format, Poll& poll, std::string& error);

// The reference a user reads: "40001" for holding register 0, the six-digit
// form past the five digits' reach ("409999").
std::string ReferenceText(ModbusTable table, std::uint16_t address);

// The read request of the poll (function code first).
ModbusBytes PollRequest(const Poll& poll);

// One row of the live table: one bit, or one number of the format.
struct ValueRow {
    std::uint16_t address = 0;
    std::string address_text;  // "0"
    std::string reference;     // "40001"
    std::string raw;           // the registers in hex, "F5C3 4048"; a bit's "1" or "0"
    std::string value;         // "3.14"; a bit's "ON" or "OFF"
    int poll = 1;              // the poll's number in the list, from 1
};

// The rows of an answer to `poll`'s request: the first `count` bits, or the
// registers' numbers in turn.
std::vector<ValueRow> ValueRows(const Poll& poll, const ModbusPdu& response);

// The tally of the poll: a request per transaction; an answer per answer
// received (exceptions too), a timeout per request left unanswered after
// every try; errors for exception answers, for frames refused (a bad check,
// another unit or transaction) and for a link that failed.
struct Counters {
    std::uint64_t requests = 0, answers = 0, timeouts = 0, errors = 0;
};
void Count(const ModbusTransaction& transaction, Counters& counters);
// "请求 12   应答 11   超时 1   错误 0"
std::string CountersText(const Counters& counters);

// The status line after a transaction: "已应答", "异常 02 ILLEGAL DATA
// ADDRESS", "超时：no answer ...", "链路失败：...".
std::string OutcomeText(const ModbusTransaction& transaction);

// One row of the traffic list.
struct TrafficRow {
    std::string time;       // "12:03:04.125"
    std::string direction;  // "TX", "RX"
    std::string hex;        // "01 03 00 00 00 0A C5 CD"; ASCII's frame as its characters' bytes
    std::string verdict;    // "✔ CRC 0xCDC5 ok", "✘ CRC 0x1234 expected, ..."
    bool ok = true;
};
TrafficRow TraceRow(const ModbusTraceEvent& event, long long ms_of_day);

// What a double-clicked row and a typed value write: a coil by 05, a 16-bit
// number of a holding register by 06, a wider one by 10 over its
// registers. Discrete inputs and input registers are read-only. `what` is
// the line the status shows: "写入 40001 = 3.14（功能 10，2 个寄存器）".
// False with why in `error`.
bool WriteRequest(const Poll& poll, std::uint16_t address, const std::string& typed, ModbusBytes& pdu,
                  std::string& what, std::string& error);

// ---- several polls ------------------------------------------------------

// The most polls the list holds: a line shares its time among them.
constexpr int kMostPolls = 16;

// A poll as the settings keep it and the list shows it, one line:
// "1 2 0 10 1000 f32 cdab" (unit, table's index, address, count, interval,
// format); read back through ReadPoll, so a line edited by hand is judged
// as the fields are. False with why.
std::string PollLine(const Poll& poll, int table_index);
bool ReadPollLine(const std::string& line, Poll& poll, std::string& error);
int TableIndex(ModbusTable table);
// The list's row: "从站 1  03 保持寄存器  40001 起 10 个  f32 cdab  每 1000 毫秒".
std::string PollTitle(const Poll& poll);

// ---- the simulator -------------------------------------------------------

// The map file's text read into a device (one line of Chinese with the
// line's number and what is wrong when it does not hold).
bool LoadMap(const std::string& text, ModbusDataModel& model, std::string& error);

// The simulator's unit field: 0 answers every unit, else 1 to 247.
bool ReadServedUnit(const std::string& text, unsigned char& unit, std::string& error);

// What the simulated device holds in the run `poll` names, read as a master
// on the line would read it (the device's lock keeps a client's write
// whole): the rows, or why none (an address the map lacks).
bool DeviceRows(ModbusSlave& slave, const Poll& poll, std::vector<ValueRow>& rows, std::string& error);

// A value typed for a double-clicked row of the simulated device, written
// as a master would write it, so the clients read it at once. Every table
// takes it: the simulator plays the device's own side too, whose inputs
// change without a master. False with why.
bool WriteDevice(ModbusSlave& slave, const Poll& poll, std::uint16_t address, const std::string& typed,
                 std::string& what, std::string& error);

// The traffic's rows for one request served: the request as it came (its
// verdict the device's word on it) and the answer as it went, if one did.
// `client` names a TCP client ("客户端 2"), 0 for the serial line.
std::vector<TrafficRow> ServedRows(const ModbusSlaveEvent& event, long long ms_of_day, int client);

// The tally of a simulator: a request per frame that came, an answer per
// answer sent, errors for frames refused and exceptions answered.
void CountServed(const ModbusSlaveEvent& event, Counters& counters);

}  // namespace modbus_page
