#include "workbench_window/pages/modbus_page.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <sstream>

#include "cli/hex_bytes.h"
#include "cli/messages.h"
#include "link/framer.h"
#include "modbus/register_numbers.h"
#include "workbench_window/pages/field_number.h"
#include "workbench_window/pages/serial_page.h"

namespace modbus_page {

namespace {

std::string Lowered(std::string text) {
    for (char& ch : text) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    return text;
}

std::string Hex4(std::uint16_t value) {
    char text[8];
    std::snprintf(text, sizeof text, "%04X", static_cast<unsigned>(value));
    return text;
}

constexpr ModbusTable kTablesByChoice[] = {ModbusTable::kCoils, ModbusTable::kDiscreteInputs,
                                           ModbusTable::kHoldingRegisters, ModbusTable::kInputRegisters};

// The number formats' widths in bytes: the registers' own orders are ab,
// abcd, abcdefgh.
std::string NaturalOrder(int bytes) { return std::string("abcdefgh").substr(0, static_cast<std::size_t>(bytes)); }

}  // namespace

std::vector<std::string> FramingChoices() { return {"RTU", "ASCII", "TCP", "RTU over TCP"}; }

std::vector<std::string> TableChoices() {
    return {"01 线圈", "02 离散输入", "03 保持寄存器", "04 输入寄存器"};
}

std::vector<std::string> FormatChoices() {
    return {"u16",      "i16",      "u16 ba",   "u32",      "u32 cdab", "i32",      "i32 cdab",
            "f32",      "f32 cdab", "f32 badc", "f32 dcba", "u64",      "i64",      "f64",
            "f64 ghefcdab", "string"};
}

ModbusTable TableOfChoice(int index) {
    if (index < 0 || index >= 4) return ModbusTable::kHoldingRegisters;
    return kTablesByChoice[index];
}

bool ReadConnection(int framing_index, const std::string& port, const std::string& baud, const std::string& word,
                    const std::string& host_port, const std::string& timeout_ms, Connection& connection,
                    std::string& error) {
    if (framing_index < 0 || framing_index > 3) {
        error = "请选择连接方式：RTU、ASCII、TCP 或 RTU over TCP";
        return false;
    }
    connection.framing = static_cast<ModbusFraming>(framing_index);
    long long timeout = 0;
    if (!ReadFieldNumber(timeout_ms, 10, 60000, timeout)) {
        error = "超时应为 10 到 60000 毫秒";
        return false;
    }
    connection.timeout_ms = static_cast<int>(timeout);
    if (!connection.serial()) return serial_page::ReadHostPort(host_port, connection.host, connection.tcp_port, error);

    const std::size_t first = port.find_first_not_of(' ');
    if (first == std::string::npos) {
        error = "请选择或输入串口";
        return false;
    }
    // A listed port's text runs on with its friendly name: the name is the port.
    connection.port = port.substr(first, port.find(' ', first) - first);
    long long rate = 0;
    if (!ReadFieldNumber(baud, kMinBaud, kMaxBaud, rate)) {
        error = "波特率应为 " + std::to_string(kMinBaud) + " 到 " + std::to_string(kMaxBaud) + " 的整数";
        return false;
    }
    SerialSettings settings;
    std::string why;
    if (!ParseFraming(word, settings, why)) {
        error = "字符格式应如 8N1、8E1、7E1、8N2（数据位、校验 N/E/O/M/S、停止位）";
        return false;
    }
    settings.baud = static_cast<unsigned long>(rate);
    connection.settings = settings;
    return true;
}

ModbusMasterSettings MasterSettings(const Connection& connection, unsigned char unit) {
    ModbusMasterSettings settings;
    settings.framing = connection.framing;
    settings.unit = unit;
    settings.timeout_us = static_cast<LinkTime>(connection.timeout_ms) * 1000;
    settings.gap_us = connection.serial() ? ModbusGapUs(connection.settings) : 0;
    return settings;
}

int Poll::width() const {
    if (bits()) return 1;
    // A text fills the whole run: one value of every register.
    if (text()) return std::max<int>(1, count);
    return std::max(1, ModbusNumberSize(type) / 2);
}

bool ReadFormat(const std::string& text, std::string& type, std::string& order, std::string& error) {
    const std::string lowered = Lowered(text);
    const std::size_t first = lowered.find_first_not_of(' ');
    const std::size_t type_end = first == std::string::npos ? first : lowered.find(' ', first);
    std::string read_type = first == std::string::npos ? "" : lowered.substr(first, type_end - first);
    if (read_type == "string" || read_type == "str") read_type = "string";
    std::string read_order;
    if (type_end != std::string::npos) {
        const std::size_t order_start = lowered.find_first_not_of(' ', type_end);
        if (order_start != std::string::npos) {
            const std::size_t order_end = lowered.find(' ', order_start);
            read_order = lowered.substr(order_start, order_end - order_start);
            if (order_end != std::string::npos && lowered.find_first_not_of(' ', order_end) != std::string::npos) {
                error = "格式应为 类型 [字节序]，如 u16、f32 cdab";
                return false;
            }
        }
    }
    if (read_type == "string") {
        // Two characters a register: the first in the high byte (ab), or
        // in the low (ba), as some devices keep them.
        if (read_order.empty()) read_order = "ab";
        if (read_order != "ab" && read_order != "ba") {
            error = "字符串的字节序应为 ab（首字符在高字节）或 ba（在低字节）";
            return false;
        }
        type = read_type;
        order = read_order;
        return true;
    }
    const int size = ModbusNumberSize(read_type);
    if (size < 2) {
        error = "格式的类型应为 u16 i16 u32 i32 f32 u64 i64 f64 或 string 之一";
        return false;
    }
    if (read_order.empty()) read_order = NaturalOrder(size);
    std::vector<std::string> none;
    std::string why;
    if (!RegistersAsNumbers({}, read_type, read_order, none, why)) {
        error = "字节序 " + read_order + " 不是 " + std::to_string(size) + " 字节的顺序：字母 a 到 " +
                std::string(1, static_cast<char>('a' + size - 1)) + " 各一次，如 " +
                (size == 2 ? "ab、ba" : size == 4 ? "abcd、cdab" : "abcdefgh、ghefcdab");
        return false;
    }
    type = read_type;
    order = read_order;
    return true;
}

bool ReadPoll(const std::string& unit, int table_index, const std::string& address, const std::string& count,
              const std::string& interval_ms, const std::string& format, Poll& poll, std::string& error) {
    Poll read;
    long long number = 0;
    if (!ReadFieldNumber(unit, 0, 247, number)) {
        error = "从站应为 1 到 247";
        return false;
    }
    if (number == 0) {
        error = "从站 0 是广播，没有应答可读：轮询请用 1 到 247";
        return false;
    }
    read.unit = static_cast<unsigned char>(number);
    if (table_index < 0 || table_index > 3) {
        error = "请选择功能/表";
        return false;
    }
    read.table = kTablesByChoice[table_index];
    if (!ReadFieldNumber(address, 0, 65535, number)) {
        error = "地址应为 0 到 65535（从 0 起算，40001 即地址 0）";
        return false;
    }
    read.address = static_cast<std::uint16_t>(number);
    if (!read.bits() && !ReadFormat(format, read.type, read.order, error)) return false;
    const long long limit = read.bits() ? kMaxReadBits : kMaxReadRegisters;
    if (!ReadFieldNumber(count, 1, limit, number)) {
        error = "数量应为 1 到 " + std::to_string(limit);
        return false;
    }
    read.count = static_cast<std::uint16_t>(number);
    if (read.count % read.width() != 0) {
        error = "数量应为 " + std::to_string(read.width()) + " 的倍数：" + read.type + " 每个数占 " +
                std::to_string(read.width()) + " 个寄存器";
        return false;
    }
    if (read.address + number - 1 > 65535) {
        error = "地址 " + std::to_string(read.address) + " 起的 " + std::to_string(number) + " 个超出 65535";
        return false;
    }
    if (!ReadFieldNumber(interval_ms, 10, 3600000, number)) {
        error = "间隔应为 10 到 3600000 毫秒";
        return false;
    }
    read.interval_ms = static_cast<int>(number);
    poll = read;
    return true;
}

std::string ReferenceText(ModbusTable table, std::uint16_t address) {
    std::string reference, error;
    if (!AddressToReference(table, address, ReferenceForm::kFiveDigits, reference, error)) {
        AddressToReference(table, address, ReferenceForm::kSixDigits, reference, error);
    }
    return reference;
}

ModbusBytes PollRequest(const Poll& poll) {
    return ReadRequest(ModbusReadFunction(poll.table), poll.address, poll.count);
}

std::vector<ValueRow> ValueRows(const Poll& poll, const ModbusPdu& response) {
    std::vector<ValueRow> rows;
    const auto row_at = [&](std::uint32_t offset) {
        ValueRow row;
        row.address = static_cast<std::uint16_t>(poll.address + offset);
        row.address_text = std::to_string(row.address);
        row.reference = ReferenceText(poll.table, row.address);
        return row;
    };
    if (poll.bits()) {
        // The answer's bytes hold whole bytes of bits: past the count they
        // are padding.
        for (std::uint32_t i = 0; i < poll.count && i < response.bits.size(); ++i) {
            ValueRow row = row_at(i);
            row.raw = response.bits[i] ? "1" : "0";
            row.value = response.bits[i] ? "ON" : "OFF";
            rows.push_back(std::move(row));
        }
        return rows;
    }
    std::vector<std::string> numbers;
    std::string error;
    if (poll.text()) {
        // The text as a user reads it: quoted, what is not UTF-8 as \xHH.
        numbers.push_back("\"" + EscapeBytes(RegistersAsText(response.registers, poll.order == "ba")) + "\"");
    } else if (!RegistersAsNumbers(response.registers, poll.type, poll.order, numbers, error)) {
        return rows;
    }
    const std::size_t width = static_cast<std::size_t>(poll.width());
    for (std::size_t n = 0; n < numbers.size(); ++n) {
        ValueRow row = row_at(static_cast<std::uint32_t>(n * width));
        for (std::size_t r = 0; r < width; ++r) {
            if (r) row.raw += ' ';
            row.raw += Hex4(response.registers[n * width + r]);
        }
        row.value = numbers[n];
        rows.push_back(std::move(row));
    }
    return rows;
}

void Count(const ModbusTransaction& transaction, Counters& counters) {
    ++counters.requests;
    counters.errors += transaction.refused.size();
    switch (transaction.status) {
        case ModbusTransaction::kAnswered:
            ++counters.answers;
            if (transaction.response.exception) ++counters.errors;
            break;
        case ModbusTransaction::kTimeout:
            ++counters.timeouts;
            break;
        case ModbusTransaction::kLinkFailed:
            ++counters.errors;
            break;
        case ModbusTransaction::kBroadcast:
            break;
    }
}

std::string CountersText(const Counters& c) {
    return "请求 " + std::to_string(c.requests) + "   应答 " + std::to_string(c.answers) + "   超时 " +
           std::to_string(c.timeouts) + "   错误 " + std::to_string(c.errors);
}

std::string OutcomeText(const ModbusTransaction& transaction) {
    switch (transaction.status) {
        case ModbusTransaction::kAnswered:
            if (transaction.response.exception) {
                char code[4];
                std::snprintf(code, sizeof code, "%02X", static_cast<unsigned>(transaction.response.exception_code));
                const std::string name = ModbusExceptionName(transaction.response.exception_code);
                return std::string("异常 ") + code + (name.empty() ? "" : " " + name);
            }
            return "已应答";
        case ModbusTransaction::kTimeout:
            return "超时：" + transaction.error;
        case ModbusTransaction::kLinkFailed:
            return "链路失败：" + transaction.error;
        case ModbusTransaction::kBroadcast:
            break;
    }
    return "已广播";
}

TrafficRow TraceRow(const ModbusTraceEvent& event, long long ms_of_day) {
    TrafficRow row;
    row.time = serial_page::TimeOfDay(ms_of_day);
    row.direction = event.sent ? "TX" : "RX";
    row.hex = HexLine(event.bytes.data(), event.bytes.size());
    row.ok = event.ok;
    row.verdict = (event.ok ? "✔ " : "✘ ") + event.check;
    return row;
}

bool WriteRequest(const Poll& poll, std::uint16_t address, const std::string& typed, ModbusBytes& pdu,
                  std::string& what, std::string& error) {
    const std::string reference = ReferenceText(poll.table, address);
    if (poll.table == ModbusTable::kDiscreteInputs || poll.table == ModbusTable::kInputRegisters) {
        error = std::string(poll.table == ModbusTable::kDiscreteInputs ? "离散输入" : "输入寄存器") +
                "只读，不能写入；可写的是线圈和保持寄存器";
        return false;
    }
    std::string value = Lowered(typed);
    const std::size_t first = value.find_first_not_of(' ');
    value = first == std::string::npos ? "" : value.substr(first, value.find_last_not_of(' ') + 1 - first);
    if (value.empty()) {
        error = "请输入要写入的值";
        return false;
    }
    if (poll.table == ModbusTable::kCoils) {
        const bool on = value == "1" || value == "on";
        if (!on && value != "0" && value != "off") {
            error = "线圈的值应为 1 或 0（ON 或 OFF）";
            return false;
        }
        pdu = WriteSingleCoilRequest(address, on);
        what = "写入 " + reference + " = " + (on ? "ON" : "OFF") + "（功能 05）";
        return true;
    }
    std::vector<std::uint16_t> registers;
    std::string why;
    if (poll.text()) {
        // The text as typed, not lowered; padded with NULs to the run.
        registers = TextToRegisters(typed, poll.order == "ba");
        registers.resize(std::max<std::size_t>(registers.size(), poll.count), 0);
        value = typed;
    } else if (!NumbersToRegisters({value}, poll.type, poll.order, registers, why)) {
        error = "“" + typed + "”不是 " + poll.type + " 的值";
        return false;
    }
    if (poll.text() && address + registers.size() > poll.address + static_cast<std::size_t>(poll.count)) {
        error = "“" + typed + "”长于这 " + std::to_string(poll.count) + " 个寄存器（每个两个字符）";
        return false;
    }
    if (registers.size() == 1) {
        pdu = WriteSingleRegisterRequest(address, registers.front());
        what = "写入 " + reference + " = " + value + "（功能 06）";
        return true;
    }
    if (address + registers.size() - 1 > 65535) {
        error = "地址 " + std::to_string(address) + " 起放不下 " + std::to_string(registers.size()) + " 个寄存器";
        return false;
    }
    pdu = WriteMultipleRegistersRequest(address, registers);
    what = "写入 " + reference + " = " + value + "（功能 10，" + std::to_string(registers.size()) + " 个寄存器）";
    return true;
}

// ---- several polls ------------------------------------------------------

int TableIndex(ModbusTable table) {
    for (int i = 0; i < 4; ++i) {
        if (kTablesByChoice[i] == table) return i;
    }
    return 2;
}

std::string PollLine(const Poll& poll, int table_index) {
    std::string line = std::to_string(poll.unit) + " " + std::to_string(table_index) + " " +
                       std::to_string(poll.address) + " " + std::to_string(poll.count) + " " +
                       std::to_string(poll.interval_ms) + " " + poll.type;
    if (!poll.bits()) line += " " + poll.order;
    return line;
}

bool ReadPollLine(const std::string& line, Poll& poll, std::string& error) {
    std::istringstream words(line);
    std::string unit, table, address, count, interval, format;
    words >> unit >> table >> address >> count >> interval;
    std::getline(words, format);
    long long table_index = 0;
    if (!ReadFieldNumber(table, 0, 3, table_index)) {
        error = "轮询“" + line + "”的功能/表应为 0 到 3";
        return false;
    }
    if (!ReadPoll(unit, static_cast<int>(table_index), address, count, interval, format, poll, error)) {
        error = "轮询“" + line + "”：" + error;
        return false;
    }
    return true;
}

std::string PollTitle(const Poll& poll) {
    std::string title = "从站 " + std::to_string(poll.unit) + "  " + TableChoices()[TableIndex(poll.table)] + "  " +
                        ReferenceText(poll.table, poll.address) + " 起 " + std::to_string(poll.count) + " 个";
    if (!poll.bits()) title += "  " + poll.type + " " + poll.order;
    return title + "  每 " + std::to_string(poll.interval_ms) + " 毫秒";
}

// ---- the simulator -------------------------------------------------------

bool LoadMap(const std::string& text, ModbusDataModel& model, std::string& error) {
    ModbusDataModel read;
    std::string why;
    if (!ReadModbusMap(text, read, why)) {
        error = "映射文件有误：" + why;
        return false;
    }
    if (read.coils.empty() && read.discrete_inputs.empty() && read.input_registers.empty() &&
        read.holding_registers.empty()) {
        error = "映射文件里没有任何地址：每行如 f32 cdab 40001 3.14";
        return false;
    }
    model = std::move(read);
    return true;
}

bool ReadServedUnit(const std::string& text, unsigned char& unit, std::string& error) {
    long long number = 0;
    if (!ReadFieldNumber(text, 0, 247, number)) {
        error = "模拟的从站应为 1 到 247（0：应答任何从站地址）";
        return false;
    }
    unit = static_cast<unsigned char>(number);
    return true;
}

bool DeviceRows(ModbusSlave& slave, const Poll& poll, std::vector<ValueRow>& rows, std::string& error) {
    // Unit 0 over TCP reaches the device whatever unit it answers as.
    ModbusSlaveEvent event;
    const ModbusBytes answer = slave.Answer(ModbusAdu{0, PollRequest(poll), 0}, event, ModbusFraming::kTcp);
    const PduParse parse = ParseModbusPdu(answer, ModbusDirection::kResponse);
    if (!parse.ok() || parse.pdu.exception) {
        error = "映射中没有 " + ReferenceText(poll.table, poll.address) + " 起的 " + std::to_string(poll.count) +
                " 个地址";
        return false;
    }
    rows = ValueRows(poll, parse.pdu);
    return true;
}

bool WriteDevice(ModbusSlave& slave, const Poll& poll, std::uint16_t address, const std::string& typed,
                 std::string& what, std::string& error) {
    // The value reads as a master's write would, whatever the table.
    Poll as_holding = poll;
    if (poll.table == ModbusTable::kDiscreteInputs) as_holding.table = ModbusTable::kCoils;
    if (poll.table == ModbusTable::kInputRegisters) as_holding.table = ModbusTable::kHoldingRegisters;
    ModbusBytes pdu;
    std::string written;
    if (!WriteRequest(as_holding, address, typed, pdu, written, error)) return false;
    const PduParse request = ParseModbusPdu(pdu, ModbusDirection::kRequest);
    bool held = true;
    slave.Change([&](ModbusDataModel& model) {
        if (poll.bits()) {
            auto& bits = poll.table == ModbusTable::kCoils ? model.coils : model.discrete_inputs;
            held = bits.count(address) != 0;
            if (held) bits[address] = request.pdu.bits.empty() ? false : request.pdu.bits.front();
            return;
        }
        auto& registers = poll.table == ModbusTable::kHoldingRegisters ? model.holding_registers : model.input_registers;
        for (std::size_t i = 0; i < request.pdu.registers.size(); ++i) {
            held = held && registers.count(static_cast<std::uint16_t>(address + i)) != 0;
        }
        if (!held) return;
        for (std::size_t i = 0; i < request.pdu.registers.size(); ++i) {
            registers[static_cast<std::uint16_t>(address + i)] = request.pdu.registers[i];
        }
    });
    const std::string reference = ReferenceText(poll.table, address);
    if (!held) {
        error = "映射中没有 " + reference + " 起放得下这个值的地址";
        return false;
    }
    what = "已设 " + reference + " = " + typed;
    return true;
}

std::vector<TrafficRow> ServedRows(const ModbusSlaveEvent& event, long long ms_of_day, int client) {
    std::vector<TrafficRow> rows;
    const std::string who = client > 0 ? "客户端 " + std::to_string(client) + " " : "";
    TrafficRow came;
    came.time = serial_page::TimeOfDay(ms_of_day);
    came.direction = "RX";
    came.hex = HexLine(event.received.data(), event.received.size());
    came.ok = !event.request.pdu.empty();
    came.verdict = (came.ok ? "✔ " : "✘ ") + who + event.summary;
    rows.push_back(std::move(came));
    if (!event.sent.empty()) {
        TrafficRow went;
        went.time = rows.front().time;
        went.direction = "TX";
        went.hex = HexLine(event.sent.data(), event.sent.size());
        went.verdict = who.empty() ? "应答" : who + "应答";
        rows.push_back(std::move(went));
    }
    return rows;
}

void CountServed(const ModbusSlaveEvent& event, Counters& counters) {
    ++counters.requests;
    if (event.request.pdu.empty()) ++counters.errors;
    if (event.response_pdu.empty()) return;
    ++counters.answers;
    if (event.response_pdu.front() & 0x80) ++counters.errors;
}

}  // namespace modbus_page
